#include "settings/updaterepair.h"

#include "ui_updaterepair.h"

#include "core/languagetable.h"
#include "core/globals.h"
#include "core/postmsg.h"
#include "widgets/dialogframe.h"

UpDateRepair* settingsRepairDialog = nullptr;
bool repairRunning = false;
bool repairUpgrading = false;

namespace {

const int kFullProgress = 100;

} // namespace

UpDateRepair::UpDateRepair(QWidget* parent)
    : QDialog(parent)
    , ui(new Ui::UpDateRepair)
{
    ui->setupUi(this);
    ui->NewHong->hide();
    ui->progressBar_2->hide();
    ui->NewHong_2->hide();
    ui->ToolText_2->hide();
    setWindowFlags(Qt::FramelessWindowHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint);

    const QString w = warningPictureDir();
    ui->ToolText->setStyleSheet(QStringLiteral("#ToolText{color: rgb(") + skinColour(QStringLiteral("LabelColor"))
                                + QStringLiteral(");background-color:rgba(0,0,0,0);}"));
    ui->ToolText_2->setStyleSheet(
        QStringLiteral("#ToolText_2{color: rgb(255,0,0);background-color:rgba(0,0,0,0);}"));
    const QString buttonStyle = QStringLiteral("QToolButton{border:0px;background-position:center;"
                                               "background-repeat:no-repeat;color: rgb(")
        + skinColour(QStringLiteral("ButtonColor")) + QStringLiteral(");border-image: url(") + w
        + QStringLiteral("ok_nr.png);}QToolButton:hover{border-image: url(") + w + QStringLiteral("ok_enter.png); }");
    ui->NewHong->setStyleSheet(buttonStyle);
    ui->NewHong_2->setStyleSheet(buttonStyle);
    ui->CloseButton->setStyleSheet(closeButtonStyleSheet(w));
    ui->AutoRepair->setStyleSheet(QStringLiteral("#AutoRepair{border-image: url(") + w
                                  + QStringLiteral("BackGround.png);}"));

    hubConnect(SIGNAL(SigRepairCheckUpdate()), this, SLOT(SlotRepairCheckUpdate()));
    connectLanguage(this);
    scaleFontsToScreen(this);
}

UpDateRepair::~UpDateRepair()
{
    if (settingsRepairDialog == this) {
        settingsRepairDialog = nullptr;
        repairDialogVisible = false;
    }
    delete ui;
}

void UpDateRepair::setVisible(bool visible)
{
    QDialog::setVisible(visible);
    if (settingsRepairDialog == this)
        repairDialogVisible = isVisible();
}

void UpDateRepair::resetView()
{
    ui->NewHong_2->setText(startText);
    ui->ToolText_2->clear();
    ui->ToolText_2->show();
    ui->NewHong_2->show();
    ui->NewHong->show();
    ui->CloseButton->show();
    ui->progressBar_2->setValue(0);
    ui->progressBar_2->hide();
    ui->NewHong->setText(cancelText);
    ui->NewHong_2->setShortcut(QKeySequence(Qt::Key_Return));
    ui->NewHong->setShortcut(QKeySequence(Qt::Key_Escape));
}

void UpDateRepair::startManualRepair(int value)
{
    manualRequest = true;
    manualValue = value;
}

void UpDateRepair::SlotRepairCheckUpdate()
{
}

void UpDateRepair::SlotAllLanguage(int index)
{
    ui->ToolText->setText(AutoRepairTexts.text(index, 0));
    cancelText = AutoRepairTexts.text(index, 1);
    startText = AutoRepairTexts.text(index, 4);
    ui->NewHong->setText(cancelText);
    ui->NewHong_2->setText(startText);
}

void UpDateRepair::on_CloseButton_clicked()
{
    if (repairUpgrading)
        return;
    if (!ui->progressBar_2->isHidden()) {
        if (ui->progressBar_2->value() == kFullProgress)
            PostMsg::GetInstance()->PostSetNewVer();
        else if (deviceSessionActive != 0)
            PostMsg::GetInstance()->PostChangeMainDialog(0);
    }
    close();
}

void UpDateRepair::on_NewHong_clicked()
{
    on_CloseButton_clicked();
}
