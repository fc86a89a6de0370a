#include "buttons/buttoninterface.h"

#include "ui_buttoninterface.h"

#include "core/configfile.h"
#include "core/globals.h"
#include "core/postmsg.h"
#include "core/product.h"
#include "core/setters.h"
#include "core/settings.h"
#include "core/worker.h"
#include "platform/hidusb/hidusb.h"
#include "widgets/confirmations.h"
#include "widgets/dialogframe.h"
#include "widgets/updataparam.h"

#include <QDir>
#include <QFileDialog>
#include <QTimer>

Buttoninterface::Buttoninterface(QWidget* parent)
    : QWidget(parent)
    , ui(new Ui::Buttoninterface)
{
    ui->setupUi(this);
    QDir().mkpath(userDir() + QStringLiteral("//usersetting/MainPage"));

    deviceWorker = new Worker(this);

    hubConnect(SIGNAL(SigMouseIndex(int)), this, SLOT(SlotMouseIndex(int)));
    hubConnect(SIGNAL(SigUpDataButtonUIC(FlashDataMap)), this, SLOT(SlotUpDataButtonUIB(FlashDataMap)));
    hubConnect(SIGNAL(SigAddMacroButton()), this, SLOT(SlotAddMacroButton()));
    hubConnect(SIGNAL(SigDeleteMacroButton(QString)), this, SLOT(SlotDeleteMacroButton(QString)));
    hubConnect(SIGNAL(SigUpDataMacro(QString,int)), this, SLOT(SlotUpDataMacro(QString,int)));
    hubConnect(SIGNAL(SigMacroRename(QString,QString)), this, SLOT(SlotMacroRename(QString,QString)));
    hubConnect(SIGNAL(SigAllLanguage(int)), this, SLOT(SlotAllLanguage(int)));
    hubConnect(SIGNAL(SigUpDataLightUIButton(FlashDataMap)), this, SLOT(SlotUpDataButtonUIButton(FlashDataMap)),
               Qt::BlockingQueuedConnection);
    hubConnect(SIGNAL(SigUpDataConfigUI(int,int,bool)), this, SLOT(SlotUpDataConfigUI(int,int,bool)),
               Qt::BlockingQueuedConnection);
    hubConnect(SIGNAL(SigFormReset()), this, SLOT(SlotFormResetButton()), Qt::BlockingQueuedConnection);

    SlotAllLanguage(languageIndex);
}

Buttoninterface::~Buttoninterface()
{
    Worker::clearRunFlag();
    if (deviceWorker) {
        Worker* worker = deviceWorker;
        worker->deleteLater();
        // Until the deferred deletion nothing may start another pass.
        worker->onlineTimer()->stop();
        worker->waitForPass();
    }
    StopUsbChanged();
    delete ui;
}

void Buttoninterface::fillFromRecord(const FlashDataMap& record)
{
    PostMsg::GetInstance()->PostLightToFrom(record.sleepTime * 10);
}

void Buttoninterface::SlotUpDataButtonUIButton(FlashDataMap DataMap)
{
    buttonPageUpdated = 0;
    buttonPageFilling = 1;
    fillFromRecord(DataMap);
    buttonPageFilling = 0;
    buttonPageUpdated = 1;
}

void Buttoninterface::SlotUpDataButtonUIB(FlashDataMap DataMap)
{
    buttonPageFilling = 1;
    fillFromRecord(DataMap);
    buttonPageFilling = 0;
}

void Buttoninterface::SlotFormResetButton()
{
    buttonPageFilling = 1;
    PostMsg* hub = PostMsg::GetInstance();
    hub->PostLightToFrom(60);
    hub->PostMouseIndex(0);
    buttonPageFilling = 0;
}

void Buttoninterface::SlotUpDataConfigUI(int /*ToTalItem*/, int /*SelectIndex*/, bool /*ItemEnable*/)
{
}

void Buttoninterface::SlotMouseIndex(int /*index*/)
{
}

void Buttoninterface::SlotAddMacroButton()
{
}

void Buttoninterface::SlotDeleteMacroButton(QString /*MacroName*/)
{
}

void Buttoninterface::SlotUpDataMacro(QString /*MacroName*/, int /*index*/)
{
}

void Buttoninterface::SlotMacroRename(QString /*Rename*/, QString /*Name*/)
{
}

void Buttoninterface::SlotAllLanguage(int /*index*/)
{
}

namespace {

const char kConfigFileFilter[] = "File(*.bin)";
// Where the page's dialogs go: its centre, moved up and to the left.
const int kDialogDx = -75;
const int kDialogDy = -65;

} // namespace

void Buttoninterface::on_OutputData_clicked()
{
    // Until this device's own record has arrived the record in memory may be
    // another device's: export nothing, and let the offline notice's watch
    // read the device again.
    if (!deviceRecordReceived) {
        PostMsg::GetInstance()->PostMouseOffLineo(0);
        return;
    }
    const QString fileName = QFileDialog::getSaveFileName(this, QStringLiteral("FileSave"), QDir::homePath(),
                                                          QLatin1String(kConfigFileFilter));
    if (!fileName.isEmpty())
        SaveConfigFile(fileName, CurrentFlashData);
}

void Buttoninterface::SaveConfigFile(QString fileName, FlashDataMap data)
{
    const QString group = QStringLiteral("Drive") + QString::number(currentDevice.modelIndex + 1);
    const QString sensor = ConfigSettings::instance()->value(group, QStringLiteral("Sensor"));
    writeConfigFile(fileName, sensor.toUtf8(), data);
}

void Buttoninterface::on_ImportData_clicked()
{
    if (!UsbFinderC_GetDeviceOnLine(devicePath)) {
        PostMsg::GetInstance()->PostMouseOffLineo(0);
        return;
    }
    waitDialogShown = 1;
    const QString fileName = QFileDialog::getOpenFileName(this, QStringLiteral("SelectFile"), QDir::homePath(),
                                                          QLatin1String(kConfigFileFilter));
    if (!fileName.isEmpty()) {
        importWaitText = 1;
        UpDataParam wait(nullptr);
        wait.startWaitTimer();
        wait.importMode = 1;
        wait.filePath = fileName;
        placeDialog(&wait, this, kDialogDx, kDialogDy);
        wait.exec();
        importWaitText = 0;
    }
    waitDialogShown = 0;
}

void Buttoninterface::on_Reset_clicked()
{
    // The reset sends the record in memory first: until this device's own
    // record has arrived that record may be another device's.
    if (!CheckDeviceOnline())
        return;
    ContainReset confirm(nullptr);
    placeDialog(&confirm, this, kDialogDx, kDialogDy);
    confirm.exec();
    if (!confirm.okClicked)
        return;

    waitDialogShown = 1;
    QTimer* onlineTimer = deviceWorker ? deviceWorker->onlineTimer() : nullptr;
    if (onlineTimer)
        onlineTimer->stop();
    UsbServer_SetBatteryOptimizeEnable(0);
    ProtocolDataUpdate(&CurrentFlashData);
    UsbServer_SetClearSetting();
    UpDataParam wait(nullptr);
    wait.startWaitTimer();
    wait.waitForPages = 1;
    workerRunAllowed = 1;
    if (deviceWorker)
        deviceWorker->start(QThread::InheritPriority);
    placeDialog(&wait, this, kDialogDx, kDialogDy);
    wait.exec();
    waitDialogShown = 0;
    if (onlineTimer)
        onlineTimer->start();
}
