#include "mainwindow/paircheck.h"

#include "core/firmware.h"
#include "core/registry.h"
#include "core/settings.h"
#include "widgets/dialogframe.h"

PairCheck::PairCheck(const DeviceAllInfo& device)
    : device(device)
    , group(QStringLiteral("Drive") + QString::number(device.modelIndex + 1))
{
    ConfigSettings* config = ConfigSettings::instance();
    cidText = config->value(QStringLiteral("Option"), QStringLiteral("CID"));
    midText = config->value(group, QStringLiteral("MID"));
}

QString PairCheck::mouseVersion() const
{
    return RegistryKey(mouseDriveTestRegistryKey()).value(QStringLiteral("MouseVer") + cidText + midText);
}

bool PairCheck::mouseUpdate() const
{
    const QString mouseId = ConfigSettings::instance()->value(group, QStringLiteral("MM"));
    return findFirmwareUpdateFile(kMouseFirmware, mouseVersion(), mouseId, cidText.toInt(), midText.toInt());
}

bool PairCheck::receiverUpdate() const
{
    const QString key = receiverFirmwareKey(device.deviceType);
    if (key.isEmpty())
        return false;
    const QString receiverId = ConfigSettings::instance()->value(group, key);
    if (receiverId.isEmpty() && key != QLatin1String("DM"))
        return false;
    return findFirmwareFile(kReceiverFirmware, device.usbVersionText, receiverId, cidText.toInt(), midText.toInt());
}

QString receiverFirmwareKey(uint8_t deviceType)
{
    return receiverImageKey(receiverRateClass(deviceType));
}
