#include "mainwindow/dialog.h"

#include "ui_dialog.h"

#include "buttons/buttoninterface.h"
#include "core/crashdump.h"
#include "core/flashdatamap.h"
#include "core/globals.h"
#include "core/postmsg.h"
#include "core/product.h"
#include "core/waits.h"
#include "core/worker.h"
#include "macro/macro.h"
#include "platform/hidusb/hidusb.h"
#include "sensor/sensor.h"
#include "settings/formsetting.h"
#include "widgets/dialogframe.h"
#include "widgets/pagedialogs.h"
#include "widgets/updataparam.h"

#include <QButtonGroup>
#include <QDebug>
#include <QKeyEvent>
#include <QTimer>

int Dialog::backWaitMs = 100;
int Dialog::unansweredPauseMs = 5000;

namespace {

QString pageButtonStyle(const QString& folder, const QString& normal, const QString& hover, const QString& checked)
{
    return QStringLiteral("QToolButton{border: 0px;background-position:center;background-repeat:no-repeat;"
                          "background-image: url(")
        + folder + normal + QStringLiteral(");}QToolButton:hover{background-image:  url(") + folder + hover
        + QStringLiteral(");}QToolButton:checked{background-image: url(") + folder + checked + QStringLiteral(");}");
}

QString pushButtonStyle(const QString& folder, const QString& normal, const QString& hover, const QString& pressed)
{
    return QStringLiteral("QToolButton{border:0px;background-image: url(") + folder + normal
        + QStringLiteral(");background-position:center;background-repeat:no-repeat;}QToolButton:hover{"
                         "background-image: url(")
        + folder + hover + QStringLiteral(");}QToolButton:pressed{background-image: url(") + folder + pressed
        + QStringLiteral(");}");
}

const char kBatteryLowStyle[] =
    "#progressBar{border: none;background-color: transparent;}#progressBar::chunk {background-color: rgb(152, 43, 34);}";
const char kBatteryStyle[] =
    "#progressBar{border: none;background-color: transparent;}#progressBar::chunk {background-color: rgb(0, 255, 153);}";
const int kBatteryLowPercent = 15;

} // namespace

Dialog::Dialog(QWidget* parent)
    : QWidget(parent)
    , ui(new Ui::Dialog)
{
    ui->setupUi(this);
    ui->LightsButton->hide();
    ui->line_6->hide();
    pictureFolder = installDir() + QStringLiteral("/Picture/Dialog/");

    buttonPage = new Buttoninterface(this);
    macroPage = new Macro(this);
    sensorPage = new Sensor(this);
    settingsPage = new FormSetting(this);
    ui->stackedWidgetDialog->addWidget(buttonPage);
    ui->stackedWidgetDialog->addWidget(sensorPage);
    ui->stackedWidgetDialog->addWidget(macroPage);
    ui->stackedWidgetDialog->addWidget(settingsPage);

    waitDialog = new UpDataParam(nullptr);
    unansweredPause = new QTimer(this);
    unansweredPause->setSingleShot(true);
    connect(unansweredPause, &QTimer::timeout, this, &Dialog::showRequestedWait);
    connect(waitDialog, &UpDataParam::waitDecided, this, [this](bool answered) {
        // An opening whose reads go unanswered would otherwise put one modal
        // dialog after another on screen and leave no way out.
        if (!answered && deviceSessionActive == 1)
            unansweredPause->start(unansweredPauseMs);
    });
    connect(waitDialog, &UpDataParam::recordNotArrived, this, &Dialog::showLastKnownSettings);
    qDebug() << "Start";

    const QString& p = pictureFolder;
    ui->label_2->setStyleSheet(QStringLiteral("#label_2{color: rgb(") + skinColour(QStringLiteral("LabelColor"))
                               + QStringLiteral(");}"));
    ui->frame_2->setStyleSheet(QStringLiteral("#frame_2{border-image: url(") + p + QStringLiteral("BackGround.png);}"));
    ui->BatteryButtonC->setStyleSheet(QStringLiteral("#BatteryButtonC{border:0px;background-image: url(") + p
                                      + QStringLiteral("Battery.png);background-position:center;"
                                                       "background-repeat:no-repeat;}"));
    ui->label->setStyleSheet(QStringLiteral("#label{border-image: url(") + p + QStringLiteral("Charg.png);}"));
    ui->ButtonMain->setStyleSheet(pageButtonStyle(p, "Home.png", "HomeHover.png", "HomeChecked.png"));
    ui->LightsButton->setStyleSheet(pageButtonStyle(p, "Light.png", "LightHover.png", "LightChecked.png"));
    ui->FormSetting->setStyleSheet(pageButtonStyle(p, "Setting.png", "SettingHover.png", "SettingClick.png"));
    ui->MacroButton->setStyleSheet(pageButtonStyle(p, "Macro.png", "MacroHover.png", "MacroChecked.png"));
    ui->SensorButton->setStyleSheet(pageButtonStyle(p, "Sensor.png", "SensorHover.png", "SensorChecked.png"));
    ui->CloseButton->setStyleSheet(pushButtonStyle(p, "Close.png", "CloseHover.png", "CloseClick.png"));
    ui->MinButton->setStyleSheet(pushButtonStyle(p, "Min.png", "MinHover.png", "MinClick.png"));
    ui->SetButton->setStyleSheet(pushButtonStyle(p, "Setting.png", "SettingHover.png", "SettingClick.png"));
    ui->UpArrow->setStyleSheet(pushButtonStyle(p, "PageChange.png", "PageChangeHover.png", "PageChangeClick.png"));

    ui->label->hide();
    ui->SetButton->hide();
    batteryUnknownStyle = ui->progressBar->styleSheet();

    unusedGroup = new QButtonGroup(this);
    unusedGroup->setExclusive(true);
    pageGroup = new QButtonGroup(this);
    pageGroup->setExclusive(true);
    for (QToolButton* button : {ui->ButtonMain, ui->MacroButton, ui->LightsButton, ui->SensorButton, ui->FormSetting})
        pageGroup->addButton(button);

    connect(ui->MinButton, &QToolButton::clicked, this, &Dialog::WindowMin);
    ui->ButtonMain->setChecked(true);

    setWindowFlags(Qt::FramelessWindowHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint);
    setFixedSize(size());

    CrashDump::InstallFilter();

    ui->stackedWidgetDialog->setCurrentWidget(buttonPage);

    hubConnect(SIGNAL(SigSecondPageChange()), this, SLOT(SlotSecondDialog()));
    hubConnect(SIGNAL(SigUpDataParam(int)), this, SLOT(SlotUpDataParam(int)));
    hubConnect(SIGNAL(SigStartRecord(int)), this, SLOT(SlotStartRecord(int)));
    hubConnect(SIGNAL(SigMouseIndex(int)), this, SLOT(SlotMouseIndex(int)));
    hubConnect(SIGNAL(SigBattery(bool, int, bool)), this, SLOT(SlotBattery(bool, int, bool)),
               Qt::BlockingQueuedConnection);

    ui->label_3->hide();
    ui->label_2->hide();
}

Dialog::~Dialog()
{
    delete buttonPage;
    delete macroPage;
    delete sensorPage;
    delete settingsPage;
    delete waitDialog;
    delete ui;
}

void Dialog::WindowClosed()
{
    on_CloseButton_clicked();
}

void Dialog::WindowMin()
{
    PostMsg::GetInstance()->PostChangeSize(0);
}

void Dialog::on_ButtonMain_clicked()
{
    ui->stackedWidgetDialog->setCurrentWidget(buttonPage);
    PostMsg::GetInstance()->PostAddMacroButton();
}

void Dialog::on_SensorButton_clicked()
{
    ui->stackedWidgetDialog->setCurrentWidget(sensorPage);
}

void Dialog::on_MacroButton_clicked()
{
    ui->stackedWidgetDialog->setCurrentWidget(macroPage);
}

void Dialog::on_LightsButton_clicked()
{
}

void Dialog::on_SetButton_clicked()
{
}

void Dialog::on_FormSetting_clicked()
{
    ui->stackedWidgetDialog->setCurrentWidget(settingsPage);
}

void Dialog::SlotMouseIndex(int /*index*/)
{
}

void Dialog::SlotSecondDialog()
{
    dropRequestedWait();
    // The page's dialogs go with it, as cancelled.
    leaveDevicePage();
    ui->ButtonMain->setChecked(true);
    ui->stackedWidgetDialog->setCurrentWidget(buttonPage);
    // Every way home leaves the device page, the device's departure too: a
    // recording ends and gives the page buttons back, as the back button's does.
    PostMsg::GetInstance()->PostSetMacroPage();
}

void Dialog::SlotUpDataParam(int index)
{
    // A pass of a device that is being left, or has been, asks for nothing.
    if (leaving || deviceSessionActive != 1)
        return;
    qDebug() << "q";
    if (index == 1) {
        // Stays on for every later showing.
        waitDialog->waitForPages = 1;
        qDebug() << "w";
    }
    // A wait on screen only starts its count over: a second exec() of the
    // same dialog would nest inside the first.
    if (waitDialog->isVisible() && waitDialog->restartWait())
        return;
    waitRequested = true;
    showRequestedWait();
}

void Dialog::showRequestedWait()
{
    // A request that comes while a showing decides runs once it has returned.
    while (waitRequested && !waitRunning && !unansweredPause->isActive() && deviceSessionActive == 1) {
        waitRequested = false;
        waitRunning = true;
        waitDialog->startWaitTimer();
        placeDialog(waitDialog, this, 0, -20);
        qDebug() << "t1";
        waitDialog->exec();
        waitRunning = false;
    }
}

void Dialog::dropRequestedWait()
{
    waitRequested = false;
    unansweredPause->stop();
    // A wait for a device already left (the device gone while it counted, or
    // its dialog put away with Escape) decides nothing.
    waitDialog->abandonWait();
}

void Dialog::showLastKnownSettings()
{
    // The record's own fill may already be on the pages; nothing covers it.
    // (It reaches this thread queued, after any call made before it came.)
    if (deviceRecordReceived)
        return;
    FlashDataMap cached;
    if (Worker::readDeviceCache(selectedCacheName, &cached)) {
        // The fills of the GUI thread, as a wait's refill: they acknowledge
        // nothing and write nothing, the user's macro files included.
        UpDataParam::refillPages(cached);
        return;
    }
    // The form reset the worker sends an offline device; its signal is
    // delivered blocking-queued for the worker's thread and would deadlock
    // here, on the GUI thread, so the pages are reset directly.
    sensorPage->SlotFormReset();
    buttonPage->SlotFormResetButton();
    settingsPage->SlotFormResetForm();
}

void Dialog::SlotStartRecord(int index)
{
    if (index != 0 && index != 1)
        return;
    const bool enabled = index == 1;
    for (QToolButton* button : {ui->ButtonMain, ui->SensorButton, ui->LightsButton, ui->MacroButton, ui->FormSetting})
        button->setEnabled(enabled);
}

void Dialog::SlotBattery(bool IsCharg, int Number, bool IsText)
{
    ui->label->setVisible(IsCharg);
    ui->progressBar->setValue(Number);
    ui->label_2->setText(IsText ? QString::number(Number) + QLatin1Char('%') : QString::number(Number));
    ui->progressBar->setStyleSheet(QLatin1String(Number <= kBatteryLowPercent ? kBatteryLowStyle : kBatteryStyle));
}

void Dialog::resetBatteryIndicator()
{
    ui->label->hide();
    ui->progressBar->setValue(ui->progressBar->maximum());
    ui->label_2->setText(QStringLiteral("100%"));
    ui->progressBar->setStyleSheet(batteryUnknownStyle);
}

void Dialog::saveDeviceCache()
{
    const FlashDataMap copy = CurrentFlashData;
    Worker::writeDeviceCache(receivedCacheName, copy);
}

void Dialog::on_CloseButton_clicked()
{
    // The program ends: no wait may come in its way.
    dropRequestedWait();
    leaving = true;
    saveDeviceCache();
    PostMsg::GetInstance()->PostChangeSize(1);
}

void Dialog::on_UpArrow_clicked()
{
    // The pause below handles events: a pass's request that comes in it must
    // not put a wait in the way out.
    dropRequestedWait();
    leaving = true;
    UsbServer_SetPCDriverStatus(0);
    saveDeviceCache();
    ui->ButtonMain->setChecked(true);
    waitWithEvents(backWaitMs);
    UsbServer_Exit();
    PostMsg* hub = PostMsg::GetInstance();
    hub->PostChangeMainDialog(0);
    hub->PostSetMacroPage();
    leaving = false;
}

void Dialog::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_F12)
        return;
    QWidget::keyPressEvent(event);
}

void Dialog::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        ui->retranslateUi(this);
}
