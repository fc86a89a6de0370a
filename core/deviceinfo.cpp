#include "core/deviceinfo.h"

namespace {

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
