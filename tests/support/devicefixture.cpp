#include "support/devicefixture.h"

#include "buttons/buttoninterface.h"
#include "core/flashdatamap.h"
#include "core/globals.h"
#include "core/postmsg.h"
#include "core/product.h"
#include "core/settings.h"
#include "core/worker.h"
#include "platform/hidusb/hidusb.h"
#include "platform/hidusb/simcontrol.h"
#include "sensor/sensor.h"
#include "support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

#include <cstring>

namespace testsupport {

void resetDeviceState()
{
    currentDevice = DeviceAllInfo();
    setDevicePath(QByteArray());
    workerDevices.clear();
    scanVendorId.clear();
    scanProductIds.clear();
    selectedCacheName.clear();
    receivedCacheName.clear();
    std::memset(&CurrentFlashData, 0, sizeof CurrentFlashData);
    std::memset(dongleRgb, 0, sizeof *dongleRgb);
    workerRunAllowed = 0;
    deviceSessionActive = 0;
    reloadRequested = 0;
    statusReload = 0;
    lastOnline = 0;
    openedOnline = 0;
    deviceDataExpected = 0;
    offlineNoticePending = 0;
    waitDialogShown = 0;
    keyResetPending = 0;
    skipReceiverExtras = 0;
    keptKeyIndexes.clear();
    deviceRecordReceived = 0;
    sensorPageUpdated = 0;
    buttonPageUpdated = 0;
    sensorPageFilling = 0;
    buttonPageFilling = 0;
    upgradeIdle = 1;
    receiverUpdateAvailable = 0;
    mouseUpdateAvailable = 0;
    QDir(userDir() + QStringLiteral("/Device_Info")).removeRecursively();
}

bool loadBus(const QJsonArray& devices)
{
    const QString file = homeDir() + QStringLiteral("/scenario.json");
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    out.write(QJsonDocument(QJsonObject{{QStringLiteral("devices"), devices}}).toJson());
    out.close();
    return hidsim::loadScenario(file);
}

DeviceAllInfo deviceEntry(const QString& id)
{
    hidsim::DeviceStatus status;
    DeviceAllInfo info;
    if (!hidsim::device(id, &status))
        return info;
    info.path = status.path;
    info.idPair = uint16_t(status.cid | (status.mid << 8));
    info.deviceType = uint8_t(status.deviceType);
    info.modelIndex = status.model == QLatin1String("Q3") ? 1 : 0;
    info.isMouse = isMouseType(info.deviceType) ? 1 : 0;
    info.online = UsbFinderC_GetDeviceOnLine(status.path.toUtf8().constData()) ? 1 : 0;
    info.vid = QStringLiteral("3A5C");
    info.pid = QString::number(status.productId, 16).toUpper();
    return info;
}

void openDevice(const DeviceAllInfo& info)
{
    PostMsg::GetInstance()->PostSelectMouseInfo(info);
    StartUsbChanged(Worker::onUsbChanged, 600);
    deviceSessionActive = 1;
    workerRunAllowed = 1;
    deviceWorker->start();
}

void useConfigWith(const QStringList& lines)
{
    QFile installed(installDir() + QStringLiteral("/usersetting/Config.ini"));
    installed.open(QIODevice::ReadOnly | QIODevice::Text);
    QStringList text = QString::fromUtf8(installed.readAll()).split(QLatin1Char('\n'));
    for (const QString& line : lines) {
        const QString key = line.section(QLatin1Char('='), 0, 0) + QLatin1Char('=');
        for (QString& existing : text) {
            if (existing.startsWith(key)) {
                existing = line;
                break;
            }
        }
    }
    const QString path = homeDir() + QStringLiteral("/Config-fixture.ini");
    QFile out(path);
    out.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text);
    out.write(text.join(QLatin1Char('\n')).toUtf8());
    out.close();
    ConfigSettings::resetForTests(path);
}

QStringList callNames()
{
    QStringList names;
    for (const hidsim::Call& call : hidsim::callLog())
        names << call.name;
    return names;
}

QByteArray currentRecordBytes()
{
    return flashDataBytes(CurrentFlashData);
}

FlashDataMap recordOf(const QByteArray& bytes)
{
    FlashDataMap record;
    if (!flashDataFromBytes(bytes, &record))
        qFatal("not a record");
    return record;
}

void fillEveryMacro(FlashDataMap* record)
{
    for (MacroBlock& macro : record->macroBlocks) {
        macro.nameLength = kMacroNameSize;
        std::memset(macro.name, 'M', kMacroNameSize);
        macro.eventCount = kMacroBlockEvents;
    }
}

DevicePages::DevicePages()
{
    create();
}

DevicePages::~DevicePages()
{
    close();
}

void DevicePages::create()
{
    sensor.reset(new Sensor(nullptr));
    buttons.reset(new Buttoninterface(nullptr));
}

void DevicePages::close()
{
    closeButtonPage();
    sensor.reset();
}

void DevicePages::closeButtonPage()
{
    buttons.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace testsupport
