#include "buttons/firekey.h"

#include "ui_firekey.h"

#include "core/languagetable.h"
#include "widgets/dialogframe.h"

FireKey::FireKey(QWidget* parent)
    : QDialog(parent)
    , ui(new Ui::FireKey)
{
    ui->setupUi(this);
    PicturePath = warningPictureDir();
    setUpNoticeFrame(this, {ui->FireKeyA, ui->label, ui->CloseButton, {ui->NewHong, ui->NewHong_2}}, PicturePath);
    // The notices' background is smaller than this dialog: stretched, not
    // centred.
    ui->FireKeyA->setStyleSheet(QStringLiteral("#FireKeyA{border:0px;background-position:center;"
                                               "background-repeat:no-repeat;border-image: url(")
                                + PicturePath + QStringLiteral("BackGround.png);}"));
    ui->label_2->setStyleSheet(labelStyleSheet());
    ui->label_3->setStyleSheet(labelStyleSheet());
    const QString spinBox = entryStyleSheet(QStringLiteral("QSpinBox"));
    ui->Count->setStyleSheet(spinBox);
    ui->Time->setStyleSheet(spinBox);
    connectLanguage(this);
    scaleFontsToScreen(this);
}

FireKey::~FireKey()
{
    delete ui;
}

void FireKey::setTimeValue(int value)
{
    ui->Time->setValue(value);
}

void FireKey::setCountValue(int value)
{
    ui->Count->setValue(value);
}

void FireKey::SlotAllLanguage(int index)
{
    ui->label->setText(FireKeyTexts.text(index, 0));
    ui->label_2->setText(FireKeyTexts.text(index, 1));
    ui->label_3->setText(FireKeyTexts.text(index, 2));
    ui->NewHong->setText(QuestionTexts.text(index, kConfirmTextItem));
    ui->NewHong_2->setText(QuestionTexts.text(index, kCancelTextItem));
}

void FireKey::on_NewHong_clicked()
{
    IsOk = true;
    // A half-typed entry ("7" where 10 is the least) counts as the nearest
    // value in range, as the box then shows it, never as an older value.
    ui->Time->interpretText();
    ui->Count->interpretText();
    TimeValue = ui->Time->value();
    CountValue = ui->Count->value();
    close();
}

void FireKey::on_NewHong_2_clicked()
{
    IsOk = false;
    close();
}

void FireKey::on_CloseButton_clicked()
{
    IsOk = false;
    close();
}
