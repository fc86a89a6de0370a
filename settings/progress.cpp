#include "settings/progress.h"

#include "ui_progress.h"

#include "core/globals.h"
#include "core/languagetable.h"
#include "core/postmsg.h"
#include "widgets/dialogframe.h"

#include <QKeySequence>

namespace {
const int kFullProgress = 100;
} // namespace

Progress::Progress(QWidget* parent)
    : QDialog(parent)
    , ui(new Ui::Progress)
    , pictureDir(warningPictureDir())
{
    ui->setupUi(this);
    dropRaisedPanelOutlines(this);
    hubConnect(SIGNAL(SigCloseProgress()), this, SLOT(SlotCloseProgress()));
    NoticeSkin skin;
    skin.frame = ui->AddDelayTimeA;
    skin.label = ui->label;
    skin.closeButton = ui->CloseButton;
    skin.confirmButtons = {ui->NewHong};
    setUpNotice(this, skin, pictureDir);
    showPercent(1);
}

Progress::~Progress()
{
    delete ui;
}

void Progress::SlotAllLanguage(int index)
{
    ui->NewHong->setText(DialogChangeTexts.text(index, 4));
    progressPrefix = ProgressTexts.text(index, 0);
    progressTextA = ProgressTexts.text(index, 1);
    progressTextB = ProgressTexts.text(index, 2);
}

void Progress::showPercent(int value)
{
    ui->label->setText(progressPrefix + QStringLiteral(": ") + QString::number(value) + QLatin1Char('%'));
}

void Progress::SlotProgress(int value, int type)
{
    ui->progressBar_2->setValue(value);
    switch (type) {
    case 0:
        showPercent(value);
        break;
    case 1:
        ui->NewHong->setShortcut(QKeySequence(Qt::Key_Return));
        ui->label->setText(progressTextB);
        ui->NewHong->show();
        break;
    case 2:
        ui->NewHong->setShortcut(QKeySequence(Qt::Key_Return));
        ui->label->setText(progressTextA);
        ui->progressBar_2->setValue(kFullProgress);
        ui->NewHong->show();
        break;
    case 3:
        ui->NewHong->hide();
        break;
    case 4:
        ui->NewHong->hide();
        showPercent(0);
        ui->progressBar_2->setValue(0);
        break;
    default:
        break;
    }
}

void Progress::closeAndReset()
{
    close();
    showPercent(0);
    ui->progressBar_2->setValue(0);
}

void Progress::SlotCloseProgress()
{
    if (versionCheckRunning)
        return;
    closeAndReset();
}

void Progress::on_CloseButton_clicked()
{
    if (versionCheckRunning)
        return;
    on_NewHong_clicked();
}

void Progress::on_NewHong_clicked()
{
    if (ui->label->text() == progressTextB) {
        PostMsg::GetInstance()->PostChangeMainDialog(0);
        close();
        return;
    }
    closeAndReset();
    PostMsg::GetInstance()->PostContinue(0);
}
