#include "core/deviceinfo.h"

#include <cstring>

namespace {

const int kIdentityTries = 10;

QString upperHex2(int value)
{
    return QString::number(value & 0xff, 16).toUpper().rightJustified(2, QLatin1Char('0'));
}

} // namespace

int receiverRateClass(uint8_t deviceType)
{
    switch (deviceType) {
    case 0: return 1;
    case 4: return 2;
    case 1: return 4;
    case 5: return 8;
    default: return 0;
    }
}

QString versionText(int versionWord)
{
    return QLatin1Char('v') + QString::number((versionWord >> 8) & 0xff) + QLatin1Char('.')
           + upperHex2(versionWord);
}

QString deviceCacheFileName(int cid, int mid)
{
    return QStringLiteral("Device_CID") + upperHex2(cid) + QStringLiteral("_MID") + upperHex2(mid)
           + QStringLiteral(".bin");
}

QList<QByteArray> keptSearchPaths(const char* const* found, int count)
{
    QList<QByteArray> paths;
    for (int i = 0; found && i < count && found[i]; ++i)
        paths.append(QByteArray(found[i]));
    return paths;
}

DeviceAllInfo searchedDeviceRecord(const QByteArray& path, const QString& vid, const QString& pid)
{
    DeviceAllInfo info;
    info.path = QString::fromLocal8Bit(path);
    info.vid = vid;
    info.pid = pid;
    unsigned char attributes[HIDUSB_ATTRIBUTE_SIZE] = {};
    UsbFinderC_GetUsbDeviceAttribute(path.constData(), attributes);
    info.usbVersionText = versionText(attributes[8] | (attributes[9] << 8));
    info.online = 0;
    return info;
}

bool readDeviceIdentity(const char* path, uint8_t (&answer)[3])
{
    for (int tries = 1; tries <= kIdentityTries; ++tries) {
        const unsigned char* reply = UsbFinderC_GetDeviceInfo(path);
        if (reply)
            std::memcpy(answer, reply, sizeof answer);
        else
            std::memset(answer, 0, sizeof answer);
        if (tries < kIdentityTries && (answer[0] != 0 || answer[1] != 0))
            return true;
    }
    return false;
}
