#include "core/worker.h"

#include "core/firmware.h"
#include "core/globals.h"
#include "core/postmsg.h"
#include "core/product.h"
#include "core/registry.h"
#include "core/settings.h"
#include "platform/hidusb/hidusb.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QDebug>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSaveFile>
#include <QTimer>

#include <algorithm>
#include <cstring>

Worker* deviceWorker = nullptr;

int Worker::onlineCheckIntervalMs = 1300;
int Worker::fullReloadGapMs = 3000;

namespace {

const int kShutdownPollMs = 20;
const int kProfileCount = 4;
const uint8_t kNoLongRangeAnswer = 0x73;

// Paces the full reloads that status changes ask for.
QElapsedTimer& reloadPace()
{
    static QElapsedTimer timer;
    return timer;
}

QString optionValue(const QString& key)
{
    return ConfigSettings::instance()->value(QStringLiteral("Option"), key);
}

int modelCount()
{
    return optionValue(QStringLiteral("DeviceTotal")).toInt();
}

// The catalogue group of the open device's model.
QString currentDriveGroup()
{
    return QStringLiteral("Drive") + QString::number(currentDevice.modelIndex + 1);
}

QByteArray currentPathLatin1()
{
    return currentDevice.path.toLatin1();
}

// A report payload of at least `least` bytes, zero-filled behind the data, so
// a decoder that reads a fixed size never reads past a short report.
QByteArray paddedPayload(const unsigned char* data, int length, int least)
{
    QByteArray bytes;
    if (data && length > 0)
        bytes = QByteArray(reinterpret_cast<const char*>(data), length);
    if (bytes.size() < least)
        bytes.append(QByteArray(least - bytes.size(), '\0'));
    return bytes;
}

const unsigned char* bytesOf(const QByteArray& bytes)
{
    return reinterpret_cast<const unsigned char*>(bytes.constData());
}

// A mouse that sits behind the open receiver (or the receiver that no device
// page holds open yet): same model, online, and the receiver's id when both
// records carry one.
bool isMouseOfCurrentReceiver(const DeviceAllInfo& entry)
{
    if (entry.modelIndex != currentDevice.modelIndex || entry.isMouse != 1 || entry.online != 1)
        return false;
    if (entry.usbAddress.size() == 3 && currentDevice.usbAddress.size() == 3)
        return entry.usbAddress == currentDevice.usbAddress;
    return true;
}

void publishRecord(const FlashDataMap& record)
{
    PostMsg* hub = PostMsg::GetInstance();
    hub->PostUpDataLightUIButton(record);
    hub->PostUpDataLightLight(record);
    hub->PostUpDataLightSensor(record);
    hub->PostForm();
}

// After a factory reset the buttons whose factory function sends their key
// block keep it; every other key and macro block is zeroed.
void clearKeyBlocksAfterReset()
{
    const QString group = currentDriveGroup();
    for (int i = 1; i <= 6; ++i) {
        const QStringList param = ConfigSettings::instance()->valueList(group, QStringLiteral("KeyParam") + QString::number(i));
        if (!param.isEmpty() && param.at(0) == QLatin1String("0x05"))
            keptKeyIndexes.append(i - 1);
    }
    if (keptKeyIndexes.isEmpty()) {
        std::memset(&CurrentFlashData.keyBlocks, 0, sizeof(CurrentFlashData.keyBlocks) + sizeof(CurrentFlashData.macroBlocks));
        return;
    }
    for (int j = 0; j < kButtonCount; ++j) {
        if (keptKeyIndexes.contains(j))
            continue;
        std::memset(&CurrentFlashData.keyBlocks[j], 0, sizeof(KeyBlock));
        std::memset(&CurrentFlashData.macroBlocks[j], 0, sizeof(MacroBlock));
    }
}

void handleFullImage(const unsigned char* data)
{
    // An image the parser cannot read leaves the record as it was; writing
    // that record back would hand the device a stale or foreign one.
    if (!ProtocolDataParser(data, &CurrentFlashData)) {
        qWarning() << "the device sent a configuration image that cannot be read; it is ignored";
        return;
    }
    receivedCacheName = deviceCacheFileName(currentDevice.idPair);

    UsbServer_ReadDPILed();
    UsbServer_ReadBatteryLevel();
    UsbServer_ReadVersion();
    UsbServer_ReadConfig();

    PostMsg* hub = PostMsg::GetInstance();
    if (!skipReceiverExtras) {
        const QByteArray path = currentPathLatin1();
        if (currentDevice.isMouse != 1 && currentDevice.deviceType == 1) {
            UsbFinderC_Get4KDongleRGBValue(path.constData(), reinterpret_cast<unsigned char*>(dongleRgb));
            if (dongleRgb->mode != 0)
                hub->PostRGBValue(dongleRgb);
        }
        unsigned char longRange = kNoLongRangeAnswer;
        UsbFinderC_GetLongRangeMode(path.constData(), &longRange);
        if (longRange != kNoLongRangeAnswer && longRange != 0)
            hub->PostLongRangeMode(true);
    }
    skipReceiverExtras = 0;

    if (keyResetPending) {
        clearKeyBlocksAfterReset();
        keyResetPending = 0;
    }
    // From here on the record is this device's own: the setters may write it.
    deviceRecordReceived = 1;

    ProtocolDataUpdate(&CurrentFlashData);
    keptKeyIndexes.clear();
    sensorPageUpdated = 0;
    buttonPageUpdated = 0;

    FlashDataMap copy = CurrentFlashData;
    hub->PostUpDataLightUIButton(copy);
    copy = CurrentFlashData;
    hub->PostUpDataLightLight(copy);
    copy = CurrentFlashData;
    hub->PostUpDataLightSensor(copy);
    hub->PostForm();

    deviceDataExpected = 1;
    workerRunAllowed = 0;
}

// A single field the device changed by itself goes back with the whole
// record, but only once the record is this device's own.
void writeBackIfOwnRecord()
{
    if (deviceRecordReceived)
        ProtocolDataUpdate(&CurrentFlashData);
}

void handleParameter(int subKind, const unsigned char* data, int dataLength)
{
    PostMsg* hub = PostMsg::GetInstance();
    if (subKind == HIDUSB_PARAM_CONFIG && dataLength == HIDUSB_IMAGE_SIZE) {
        handleFullImage(data);
    } else if (subKind == HIDUSB_PARAM_CONFIG && dataLength == 1) {
        CurrentFlashData.reportRate = data[0];
        hub->PostUpDataReportRate(data[0]);
        writeBackIfOwnRecord();
    } else if (subKind == HIDUSB_PARAM_CURRENT_DPI && dataLength == 1) {
        // The stage indexes the record's eight stages; a wild byte must not.
        const uint8_t stage = std::min<uint8_t>(data[0], kDpiStageCount - 1);
        CurrentFlashData.currentDpiStage = stage;
        hub->PostUpDataDPI(stage);
        writeBackIfOwnRecord();
    } else if (subKind == HIDUSB_PARAM_DPI_LED && dataLength == 8) {
        BufferToDPILed(data, &CurrentFlashData.dpiLightMode);
        hub->PostUpDataDPILed(CurrentFlashData);
    } else if (subKind == HIDUSB_PARAM_LED_BAR && dataLength == 9) {
        BufferToLedBar(data, &CurrentFlashData.lightMode);
        hub->PostUpDataLightLight(CurrentFlashData);
    }
}

void handleAfterReset()
{
    UsbServer_SetBatteryOptimizeEnable(1);
    const QStringList advanced = ConfigSettings::instance()->valueList(currentDriveGroup(), QStringLiteral("Adveanced"));
    // A missing item means the model has no such option.
    const int longRange = advanced.value(0, QStringLiteral("-1")).toInt();
    const int ledMode = advanced.value(1, QStringLiteral("-1")).toInt();
    const QByteArray path = currentPathLatin1();
    PostMsg* hub = PostMsg::GetInstance();

    if (ledMode > 0 && currentDevice.isMouse != 1 && currentDevice.deviceType == 1) {
        dongleRgb->mode = uint8_t(ledMode);
        UsbFinderC_Set4KDongleRGB(path.constData(), reinterpret_cast<const unsigned char*>(dongleRgb));
        if (dongleRgb->mode != 0)
            hub->PostRGBValue(dongleRgb);
    }
    if (longRange == 0 || longRange == 1) {
        UsbFinderC_SetLongRangeMode(path.constData(), longRange);
        hub->PostLongRangeMode(longRange == 1);
    }
    UsbServer_ReadAllFlashData();
    keyResetPending = 1;
    skipReceiverExtras = 1;
}

void handleVersion()
{
    const int version = UsbFinderC_GetVersion(currentDevice.path.toUtf8().constData());
    currentDevice.firmwareVersionText = versionText(version);
    const QString cid = optionValue(QStringLiteral("CID"));
    const QString mid = ConfigSettings::instance()->value(currentDriveGroup(), QStringLiteral("MID"));
    PostMsg::GetInstance()->PostSetver(0);
    RegistryKey(mouseDriveTestRegistryKey()).setValue(QStringLiteral("MouseVer") + cid + mid,
                                                      currentDevice.firmwareVersionText);
}

// The firmware check of the device page's rescan, for an open mouse.
void checkFirmware()
{
    const QString mouseVersion = currentDevice.firmwareVersionText;
    QString receiverVersion;
    int rateClass = 0;
    if (workerDevices.size() == 2) {
        for (const DeviceAllInfo& entry : qAsConst(workerDevices)) {
            if (!entry.usbAddress.isEmpty() && entry.isMouse == 0) {
                receiverVersion = entry.usbVersionText;
                rateClass = receiverRateClass(entry.deviceType);
                break;
            }
        }
    }
    PostMsg* hub = PostMsg::GetInstance();
    if (!QDir(firmwareFolder()).exists()) {
        hub->PostLabelTextB(receiverVersion, QString());
        return;
    }
    receiverUpdateAvailable = hasFirmwareUpdate(kReceiverFirmware, receiverVersion, rateClass) ? 1 : 0;
    mouseUpdateAvailable = hasFirmwareUpdate(kMouseFirmware, mouseVersion, rateClass) ? 1 : 0;
    hub->PostLabelTextB(receiverVersion, receiverUpdateAvailable || mouseUpdateAvailable ? QStringLiteral("true") : QString());
}

} // namespace

Worker::Worker(QObject* /*parent*/)
    : QThread(nullptr)
    , dummyPath(QByteArrayLiteral("a"))
{
    workerRunAllowed = 1;
    reloadPace().start();
    setDevicePath(dummyPath);
    lastOnline = 0;
    timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, &Worker::SlotCheckOnline);
    timer->setInterval(onlineCheckIntervalMs);
    timer->start();
    hubConnect(SIGNAL(SigSelectMouseInfo(DeviceAllInfo)), this, SLOT(SlotSelectMouseInfo(DeviceAllInfo)));
    hubConnect(SIGNAL(SigMainPageChange()), this, SLOT(SlotMainPageChange()));
    showBatteryValue = optionValue(QStringLiteral("ShowBatteryValue")).toInt();
}

Worker::~Worker()
{
    // Deleting a running thread object aborts the program.
    waitForPass();
    if (deviceWorker == this)
        deviceWorker = nullptr;
}

void Worker::waitForPass()
{
    // A pass may sit in a blocking-queued emit that only this thread can
    // deliver; deliver such calls while waiting.
    const bool onOwnThread = QThread::currentThread() == thread();
    while (!wait(kShutdownPollMs)) {
        if (onOwnThread)
            QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
    }
}

void Worker::run()
{
    if (!workerRunAllowed)
        return;
    if (!lastOnline)
        lastOnline = UsbFinderC_GetDeviceOnLine(devicePath) ? 1 : 0;
    const bool unchanged = currentDevice.path == openedPath && currentDevice.deviceType == openedType
                           && openedOnline == lastOnline && !statusReload;
    if (!unchanged && deviceSessionActive == 1) {
        PostMsg* hub = PostMsg::GetInstance();
        if (UsbFinderC_GetDeviceOnLine(devicePath)) {
            currentDevice.online = 1;
            if (statusReload) {
                hub->PostUpDataParam(1);
                statusReload = 0;
            } else if (waitDialogShown != 1) {
                hub->PostUpDataParam(0);
            }
        } else {
            offlineNoticePending = 1;
            currentDevice.online = 0;
            FlashDataMap cached;
            if (readDeviceCache(selectedCacheName, &cached))
                publishRecord(cached);
            else
                hub->PostFormReset();
        }
        openedPath = currentDevice.path;
        openedType = currentDevice.deviceType;
        UsbServerC_Start(devicePath, devicePath, Worker::onDeviceData);
        qDebug() << "OnlinA";
        UsbServer_SetPCDriverStatus(1);
        UsbServer_ReadAllFlashData();
        openedOnline = lastOnline;
        qDebug() << "OnlinB";
    }
    deviceDataExpected = lastOnline;
    workerRunAllowed = 0;
}

void Worker::SlotSelectMouseInfo(DeviceAllInfo info)
{
    currentDevice = info;
    selectedCacheName = deviceCacheFileName(info.idPair);
    // Nothing of this device has arrived yet, and a reset still waiting for
    // another device's image must not clear this device's keys and macros.
    deviceRecordReceived = 0;
    keyResetPending = 0;
    skipReceiverExtras = 0;
}

void Worker::SlotMainPageChange()
{
    openedOnline = 0;
    deviceRecordReceived = 0;
}

void Worker::SlotCheckOnline()
{
    if (offlineNoticePending) {
        if (deviceSessionActive == 0) {
            if (currentDevice.deviceType != 0)
                offlineNoticePending = 0;
        } else if (upgradeIdle == 1) {
            lastOnline = UsbFinderC_GetDeviceOnLine(devicePath) ? 1 : 0;
            openedOnline = 0;
            if (!lastOnline)
                return;
            PostMsg::GetInstance()->PostCloseOffOnline();
            offlineNoticePending = 0;
        }
    }
    if (lastOnline == 1 && reloadRequested) {
        reloadRequested = 0;
        workerRunAllowed = 1;
        start();
    }
}

void Worker::startForPath(DeviceAllInfo info)
{
    if (UsbFinderC_GetDeviceOnLine(info.path.toUtf8().constData())) {
        currentDevice = info;
        setDevicePath(currentDevice.path.toUtf8());
        // Another device is followed now; its own record has yet to come.
        deviceRecordReceived = 0;
    }
    workerRunAllowed = 1;
    if (deviceWorker)
        deviceWorker->start();
}

int Worker::readDeviceInfo(DeviceAllInfo& info, const char* path)
{
    uint8_t answer[3];
    if (!readDeviceIdentity(path, answer)) {
        info.isMouse = isMouseType(answer[2]) ? 1 : 0;
        info.modelIndex = modelCount();
        return 0;
    }

    const int total = modelCount();
    if (total <= 0)
        return 0;
    const int cid = optionValue(QStringLiteral("CID")).toInt();
    for (int n = 1; n <= total; ++n) {
        const int mid = ConfigSettings::instance()->value(QStringLiteral("Drive") + QString::number(n), QStringLiteral("MID")).toInt();
        if (answer[0] != cid || answer[1] != mid)
            continue;
        info.isMouse = isMouseType(answer[2]) ? 1 : 0;
        info.idPair = uint16_t(answer[0] | (answer[1] << 8));
        info.deviceType = answer[2];
        info.modelIndex = n - 1;
        if (currentDevice.path.isEmpty()) {
            if (UsbFinderC_GetDeviceOnLine(path))
                info.online = 1;
        } else {
            info.usbAddress.clear();
            UsbFinderC_GetDeviceOnLineWithUsbAddress(path, receiverStatus);
            info.online = receiverStatus[6] == 1 ? 1 : 0;
            info.usbAddress = QByteArray(reinterpret_cast<const char*>(receiverStatus + 7), 3);
            if (info.path == currentDevice.path) {
                const QString usbVersion = currentDevice.usbVersionText;
                const QString firmwareVersion = currentDevice.firmwareVersionText;
                currentDevice = info;
                if (!usbVersion.isEmpty())
                    currentDevice.usbVersionText = usbVersion;
                if (!firmwareVersion.isEmpty())
                    currentDevice.firmwareVersionText = firmwareVersion;
            }
        }
        return 1;
    }
    info.isMouse = isMouseType(answer[2]) ? 1 : 0;
    info.modelIndex = total;
    return answer[0] == cid ? 2 : 3;
}

void Worker::findDevices(QString vid, QStringList pids)
{
    const QByteArray vidText = vid.toLatin1();
    for (const QString& pid : qAsConst(pids)) {
        int count = 5;
        const char** found = UsbFinderC_FindHidDevicesByDeviceId(vidText.constData(), pid.toLatin1().constData(), 1, 5, &count);
        for (const QByteArray& path : keptSearchPaths(found, count)) {
            DeviceAllInfo record = searchedDeviceRecord(path, vid, pid);
            if (currentDevice.path.isEmpty()) {
                workerDevices.append(record);
                continue;
            }
            if (readDeviceInfo(record, path.constData()) != 1) {
                workerDevices.append(record);
            } else if (record.modelIndex == currentDevice.modelIndex) {
                workerDevices.append(record);
                if (record.path == currentDevice.path)
                    setDevicePath(path);
            }
        }
    }
}

void Worker::onUsbChanged()
{
    PostMsg* hub = PostMsg::GetInstance();
    hub->PostSetver(4);

    const QString vid = optionValue(QStringLiteral("VID"));
    workerDevices.clear();
    QStringList pids;
    for (const char* key : {"USB_PID", "Wireless_PID", "Wireless2_PID", "Wireless4_PID", "Wireless8_PID"}) {
        for (const QString& pid : ConfigSettings::instance()->valueList(QStringLiteral("Option"), QLatin1String(key))) {
            if (!pid.isEmpty())
                pids.append(pid);
        }
    }
    findDevices(vid, pids);

    if (workerDevices.isEmpty()) {
        if (upgradeIdle == 1) {
            currentDevice = DeviceAllInfo();
            deviceRecordReceived = 0;
            hub->PostChangeMainDialog(0);
        }
    } else {
        const QList<DeviceAllInfo> entries = workerDevices;
        int foreign = 0;
        for (const DeviceAllInfo& entry : entries) {
            const bool open = !currentDevice.path.isEmpty();
            if (open) {
                if (currentDevice.isMouse == 0 && isMouseOfCurrentReceiver(entry))
                    startForPath(entry);
            } else if (currentDevice.isMouse == 0 && currentDevice.online == 1) {
                if (isMouseOfCurrentReceiver(entry))
                    startForPath(entry);
            } else if (entry.path == currentDevice.path && entry.online == 1) {
                startForPath(entry);
            }
            if (!currentDevice.path.isEmpty() && entry.path != currentDevice.path) {
                ++foreign;
                if (foreign == entries.size() && upgradeIdle == 1)
                    hub->PostChangeMainDialog(0);
            }
        }
        if (currentDevice.isMouse == 1)
            checkFirmware();
    }
    notifyRescanFollowers();
    if (repairDialogVisible && versionCheckRunning == 0)
        hub->PostCheckUpdate();
}

bool Worker::readDeviceCache(QString name, FlashDataMap* destination)
{
    QFile file(deviceCachePath(name));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QDataStream in(&file);
    char* block = nullptr;
    uint length = 0;
    in.readBytes(block, length);
    const QByteArray bytes = block ? QByteArray(block, int(length)) : QByteArray();
    delete[] block;
    // Anything but one whole record counts as no cache at all.
    return in.status() == QDataStream::Ok && flashDataFromBytes(bytes, destination);
}

void Worker::writeDeviceCache(QString name, FlashDataMap map)
{
    const QString path = deviceCachePath(name);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return;
    QDataStream out(&file);
    const QByteArray bytes = flashDataBytes(map);
    out.writeBytes(bytes.constData(), uint(bytes.size()));
    file.commit();
}

QString Worker::deviceCachePath(const QString& name)
{
    return userDir() + QStringLiteral("/Device_Info/") + name;
}

void Worker::pollChangedParams()
{
    if (changedParams[0])
        UsbServer_ReadCurrentDPI();
    if (changedParams[1])
        UsbServer_ReadReportRate();
    if (changedParams[6])
        UsbServer_ReadBatteryLevel();
    if (changedParams[5])
        UsbServer_ReadLedBar();
    if (changedParams[3])
        UsbServer_ReadDPILed();
    if (changedParams[2] && reloadPace().elapsed() > fullReloadGapMs) {
        reloadPace().restart();
        reloadRequested = 1;
        statusReload = 1;
    }
}

void Worker::clearRunFlag()
{
    workerRunAllowed = 0;
}

void Worker::onDeviceData(const unsigned char* header, int headerLength, const unsigned char* data, int dataLength)
{
    auto headerByte = [&](int index) -> int { return header && index < headerLength ? header[index] : 0; };
    if (!data)
        dataLength = 0;
    PostMsg* hub = PostMsg::GetInstance();

    switch (headerByte(1)) {
    case HIDUSB_REPORT_BATTERY: {
        const QByteArray payload = paddedPayload(data, dataLength, 16);
        GetDeviceBatteryStatus(bytesOf(payload), batteryState);
        hub->PostBattery(batteryState[1] != 0, batteryState[0], showBatteryValue == 1);
        break;
    }
    case HIDUSB_REPORT_PARAMETER:
        if (headerByte(3) == 0)
            handleParameter(headerByte(4), data, dataLength);
        break;
    case HIDUSB_REPORT_AFTER_RESET:
        handleAfterReset();
        break;
    case HIDUSB_REPORT_STATUS_CHANGE: {
        const QByteArray payload = paddedPayload(data, dataLength, 16);
        GetDeviceStatusChanged(bytesOf(payload), changedParams);
        pollChangedParams();
        break;
    }
    case HIDUSB_REPORT_PROFILE:
        if (dataLength == 1)
            hub->PostUpDataConfigUI(kProfileCount, data[0], true);
        else
            hub->PostUpDataConfigUI(0, 0, false);
        break;
    case HIDUSB_REPORT_VERSION:
        handleVersion();
        break;
    case HIDUSB_REPORT_RECEIVER_LED:
        if (dongleRgb)
            hub->PostRGBValue(dongleRgb);
        break;
    case HIDUSB_REPORT_LONG_RANGE:
        if (dataLength == 10)
            hub->PostLongRangeMode(false);
        break;
    default:
        break;
    }
}
