#include "settings/updaterepair.h"

#include "ui_updaterepair.h"

#include "core/languagetable.h"
#include "core/globals.h"
#include "core/postmsg.h"
#include "widgets/dialogframe.h"

UpDateRepair* settingsRepairDialog = nullptr;
bool repairRunning = false;

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

    hubConnect(SIGNAL(SigRepairCheckUpdate()), this, SLOT(SlotRepairCheckUpdate()));
    connectLanguage(this);
    scaleFontsToScreen(this);
}

UpDateRepair::~UpDateRepair()
{
    if (settingsRepairDialog == this)
        settingsRepairDialog = nullptr;
    delete ui;
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
