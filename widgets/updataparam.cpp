#include "widgets/updataparam.h"

#include "ui_updataparam.h"

#include "core/configfile.h"
#include "core/globals.h"
#include "core/languagetable.h"
#include "core/postmsg.h"
#include "core/product.h"
#include "core/settings.h"
#include "core/waits.h"
#include "core/worker.h"
#include "platform/hidusb/hidusb.h"
#include "widgets/dialogframe.h"
#include "widgets/notices.h"
#include "widgets/pagedialogs.h"

#include <QDebug>
#include <QKeyEvent>
#include <QThread>

int UpDataParam::waitTimerMs = 2500;
int UpDataParam::stepMs = 500;
int UpDataParam::attempts = 12;
int UpDataParam::settleSleepMs = 2000;
int UpDataParam::importSettleSteps = 5;

UpDataParam::UpDataParam(QWidget* parent)
    : QDialog(parent)
    , ui(new Ui::UpDataParam)
{
    ui->setupUi(this);
    pictureFolder = installDir() + QStringLiteral("/Picture/WarningDialog/");
    setDialogWindowFlags(this);
    waitTimer = new QTimer(this);
    ui->label->setStyleSheet(labelStyleSheet());
    ui->UpDataParamA->setStyleSheet(frameStyleSheet(QStringLiteral("UpDataParamA"), pictureFolder));
    connect(waitTimer, &QTimer::timeout, this, &UpDataParam::onTimeupDestroy);
    // A wait of a device page decides nothing once that page is left.
    hubConnect(SIGNAL(SigSecondPageChange()), this, SLOT(abandonWait()));
    connectLanguage(this);
    scaleFontsToScreen(this);
}

UpDataParam::~UpDataParam()
{
    delete ui;
}

void UpDataParam::startWaitTimer()
{
    waitTimer->setSingleShot(true);
    waitTimer->start(waitTimerMs);
}

bool UpDataParam::restartWait()
{
    if (!waitTimer->isActive())
        return false;
    waitTimer->start(waitTimerMs);
    return true;
}

void UpDataParam::abandonWait()
{
    if (!waitTimer->isActive())
        return;
    waitTimer->stop();
    close();
}

void UpDataParam::reportRecordMissing()
{
    if (!deviceRecordReceived && deviceSessionActive == 1)
        emit recordNotArrived();
}

void UpDataParam::keyPressEvent(QKeyEvent* event)
{
    // Escape puts the wait away: the page behind it is on screen again, and
    // must not go on showing the device opened before. An import has nothing
    // to do with that.
    if (event->matches(QKeySequence::Cancel) && !importMode)
        reportRecordMissing();
    QDialog::keyPressEvent(event);
}

void UpDataParam::SlotAllLanguage(int index)
{
    ui->label->setText(UpDataParamTexts.text(index, importWaitText ? 1 : 0));
}

int UpDataParam::readImportFile(const QString& path, FlashDataMap* out)
{
    const QString group = QStringLiteral("Drive") + QString::number(currentDevice.modelIndex + 1);
    ConfigSettings* config = ConfigSettings::instance();
    const QString sensor = config->value(group, QStringLiteral("Sensor"));
    // The record holds eight stages, whatever the catalogue lists.
    const int maxStages = qMin(config->value(group, QStringLiteral("DPIMaxGrade")).toInt(), int(kDpiStageCount));
    return readConfigFile(path, sensor, maxStages, out);
}

bool UpDataParam::waitForAcknowledgements()
{
    for (int attempt = 0; attempt < attempts; ++attempt) {
        if (sensorPageUpdated && buttonPageUpdated)
            return true;
        waitWithEvents(stepMs);
    }
    return false;
}

void UpDataParam::refillPages(const FlashDataMap& record)
{
    PostMsg* hub = PostMsg::GetInstance();
    hub->PostUpDataLightUIA(record);
    hub->PostUpDataSensorUIB(record);
    hub->PostUpDataButtonUIC(record);
    hub->PostFormB();
}

void UpDataParam::refuseImport(int reason)
{
    importFailReason = reason;
    qDebug() << "import refused" << reason;
    InportFail notice(nullptr);
    placeDialog(&notice, this, 0, 0);
    execForDevicePage(&notice);
}

void UpDataParam::importFile()
{
    FlashDataMap record;
    const int result = readImportFile(filePath, &record);
    importFailReason = result;
    if (result != 0) {
        refuseImport(result);
        return;
    }
    // The record replaces ours only once the device has taken it (its macros
    // may not fit the device's memory): a refused one leaves everything as it
    // was and tells that the file does not fit this device.
    if (!ProtocolDataUpdate(&record)) {
        refuseImport(ConfigFileMismatch);
        return;
    }
    qDebug() << "import";
    CurrentFlashData = record;
    // The device holds this record now, as if it had sent it: its macros
    // replace the user's files and the setters may write it.
    deviceRecordReceived = 1;
    refillPages(record);
    for (int step = 0; step < importSettleSteps; ++step)
        waitWithEvents(stepMs);
}

void UpDataParam::onTimeupDestroy()
{
    PostMsg* hub = PostMsg::GetInstance();
    hub->PostSetver(4);

    if (waitForPages) {
        qDebug() << "wait for pages";
        const bool acknowledged = waitForAcknowledgements();
        QThread::msleep(static_cast<unsigned long>(settleSleepMs));
        close();
        // Before the notice, which waits on screen for the device.
        reportRecordMissing();
        if (!acknowledged)
            hub->PostMouseOffLineo(0);
        close();
        emit waitDecided(acknowledged);
        return;
    }

    if (importMode) {
        importFile();
        importMode = 0;
        close();
        emit waitDecided(true);
        return;
    }

    if (!deviceDataExpected) {
        qDebug() << "nothing expected";
        FlashDataMap cached;
        if (Worker::readDeviceCache(selectedCacheName, &cached))
            refillPages(cached);
        else
            reportRecordMissing();
        hub->PostMouseOffLineo(0);
        close();
        emit waitDecided(false);
        return;
    }

    qDebug() << "wait for the configuration";
    const bool acknowledged = waitForAcknowledgements();
    if (acknowledged) {
        sensorPageUpdated = 0;
        buttonPageUpdated = 0;
    }
    close();
    reportRecordMissing();
    if (!acknowledged)
        hub->PostMouseOffLineo(1);
    FlashDataMap cached;
    if (lastOnline && !Worker::readDeviceCache(selectedCacheName, &cached))
        Worker::writeDeviceCache(receivedCacheName, CurrentFlashData);
    emit waitDecided(acknowledged);
}
