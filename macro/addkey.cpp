#include "macro/addkey.h"

#include "ui_addkey.h"

#include "core/languagetable.h"
#include "macro/keynames.h"
#include "widgets/dialogframe.h"

#include <QKeyEvent>

addKey::addKey(QWidget* parent)
    : QDialog(parent)
    , ui(new Ui::addKey)
{
    ui->setupUi(this);
    PicturePath = warningPictureDir();
    hook.start([this](int keyCode, bool down, bool repeat) { UpdateCapslockTip(keyCode, down, repeat); });
    setUpNoticeFrame(this, {ui->addKeyA, ui->label, ui->CloseButton, {ui->NewHong, ui->NewHong_2}}, PicturePath);
    ui->lineEdit->setStyleSheet(entryStyleSheet(QStringLiteral("QLineEdit")));
    ui->lineEdit->setFocus(Qt::ActiveWindowFocusReason);
    connectLanguage(this);
    scaleFontsToScreen(this);
}

addKey::~addKey()
{
    delete ui;
}

void addKey::done(int result)
{
    hook.stop();
    QDialog::done(result);
}

void addKey::keyPressEvent(QKeyEvent* event)
{
    if (isSwallowedCaptureKey(event))
        return;
    QDialog::keyPressEvent(event);
}

void addKey::UpdateCapslockTip(int keyCode, bool /*downOrUp*/, bool /*aotu*/)
{
    // Every event names its key, a release too: the last one decides.
    const QString name = sidedKeyName(keyCode);
    ui->lineEdit->setText(name);
    keyName = name;
}

void addKey::on_NewHong_clicked()
{
    isOk = true;
    hook.stop();
    accept();
}

void addKey::on_NewHong_2_clicked()
{
    isOk = false;
    hook.stop();
    reject();
}

void addKey::on_CloseButton_clicked()
{
    on_NewHong_2_clicked();
}

void addKey::SlotAllLanguage(int index)
{
    ui->label->setText(AddKeyTexts.text(index, 0));
    ui->NewHong->setText(QuestionTexts.text(index, kConfirmTextItem));
    ui->NewHong_2->setText(QuestionTexts.text(index, kCancelTextItem));
}
