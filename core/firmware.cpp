#include "core/firmware.h"

#include "core/globals.h"
#include "core/product.h"
#include "core/registry.h"
#include "core/settings.h"
#include "platform/hidusb/hidusb.h"

#include <QDir>
#include <QFile>
#include <QTextStream>
#include <QtEndian>

QList<QByteArray> firmwareImages;
QList<QByteArray> repairFirmwareList;
int upgradeCid = 0;
int receiverRunState = kRunIdle;
int mouseRunState = kRunIdle;
int upgradeRunCount = 1;
int upgradeRateClass = 0;
int upgradeMid = 0;
int upgradeDeviceKind = 0;

namespace {

QString folderOverride;

const uchar* bytes(const QByteArray& image)
{
    return reinterpret_cast<const uchar*>(image.constData());
}

// The whole file, or nothing when the library would refuse to flash it: it
// cannot be read, holds no whole header, lacks the magic, is longer than any
// device takes, is not as long as its header says, or is neither a mouse nor
// a receiver image. What is never flashed must not be offered either.
QByteArray readImage(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > HIDUSB_FIRMWARE_MAX_SIZE)
        return QByteArray();
    const QByteArray image = file.read(HIDUSB_FIRMWARE_MAX_SIZE + 1);
    if (file.error() != QFileDevice::NoError || image.size() < HIDUSB_FIRMWARE_HEADER_SIZE
        || image.size() > HIDUSB_FIRMWARE_MAX_SIZE)
        return QByteArray();
    if (!image.startsWith(HIDUSB_FIRMWARE_MAGIC)
        || qFromLittleEndian<quint32>(bytes(image) + HIDUSB_FIRMWARE_LENGTH_OFFSET) != quint32(image.size()))
        return QByteArray();
    const int kind = bytes(image)[HIDUSB_FIRMWARE_KIND_OFFSET];
    if (kind != kMouseFirmware && kind != kReceiverFirmware)
        return QByteArray();
    return image;
}

QString modelNameOf(const QByteArray& image)
{
    const char* name = image.constData() + HIDUSB_FIRMWARE_NAME_OFFSET;
    return QString::fromLocal8Bit(name, int(qstrnlen(name, HIDUSB_FIRMWARE_NAME_SIZE)));
}

bool headerMatches(const QByteArray& image, int kind, const QString& modelName, int cid, int mid)
{
    const uchar* d = bytes(image);
    return d[HIDUSB_FIRMWARE_KIND_OFFSET] == uchar(kind) && d[HIDUSB_FIRMWARE_CID_OFFSET] == uchar(cid)
           && d[HIDUSB_FIRMWARE_MID_OFFSET] == uchar(mid) && modelNameOf(image) == modelName;
}

// Walks the folder's images in name order (case ignored). A matching image
// whose version differs from the current one is taken; `taken` ends up with
// the last one. With stopOnSameNumber the walk ends at the first image whose
// version reads as the same number as the current one.
bool scanImages(int kind, const QString& currentVersion, const QString& modelName, int cid, int mid,
                bool stopOnSameNumber, QByteArray* taken)
{
    const QString current = currentVersion.isEmpty() ? QStringLiteral("0.0")
                                                     : QString(currentVersion).remove(QLatin1Char('v'));
    const QDir dir(firmwareFolder());
    if (!dir.exists())
        return false;
    const QStringList names = dir.entryList(QStringList(QStringLiteral("*.bin")), QDir::Files,
                                            QDir::Name | QDir::IgnoreCase);
    bool result = false;
    for (const QString& name : names) {
        const QByteArray image = readImage(dir.filePath(name));
        if (image.isEmpty() || !headerMatches(image, kind, modelName, cid, mid))
            continue;
        const quint32 version = qFromLittleEndian<quint32>(bytes(image) + HIDUSB_FIRMWARE_VERSION_OFFSET);
        const QString fileText = firmwareVersionText(version).remove(QLatin1Char('v'));
        if (!currentVersion.isEmpty()) {
            if (fileText == current)
                continue;
            if (stopOnSameNumber && fileText.toDouble() == current.toDouble())
                return result;
        }
        result = true;
        if (taken)
            *taken = image;
    }
    return result;
}

// Runs the scan into a kept list: emptied first, then holding the image taken.
bool scanInto(QList<QByteArray>& kept, int kind, const QString& currentVersion, const QString& modelName, int cid,
              int mid, bool stopOnSameNumber)
{
    kept.clear();
    QByteArray taken;
    const bool found = scanImages(kind, currentVersion, modelName, cid, mid, stopOnSameNumber, &taken);
    if (found)
        kept.append(taken);
    return found;
}

} // namespace

QString firmwareFolder()
{
    return folderOverride.isEmpty() ? installDir() + QStringLiteral("/bin") : folderOverride;
}

void setFirmwareFolderForTests(const QString& folder)
{
    folderOverride = folder;
}

QString firmwareVersionText(uint32_t version)
{
    return QLatin1Char('v') + QString::number(version >> 8) + QLatin1Char('.')
           + QStringLiteral("%1").arg(version & 0xFF, 2, 16, QLatin1Char('0')).toUpper();
}

bool findFirmwareUpdateFile(int kind, const QString& currentVersion, const QString& modelName, int cid, int mid)
{
    return scanInto(firmwareImages, kind, currentVersion, modelName, cid, mid, true);
}

bool probeFirmwareUpdateFile(int kind, const QString& currentVersion, const QString& modelName, int cid, int mid)
{
    if (currentVersion.isEmpty())
        return false;
    return scanImages(kind, currentVersion, modelName, cid, mid, true, nullptr);
}

bool findFirmwareFile(int kind, const QString& currentVersion, const QString& modelName, int cid, int mid)
{
    return scanInto(repairFirmwareList, kind, currentVersion, modelName, cid, mid, false);
}

bool hasFirmwareUpdate(int kind, const QString& currentVersion, int rateClass)
{
    const ConfigSettings* config = ConfigSettings::instance();
    const QString group = QStringLiteral("Drive") + QString::number(currentDevice.modelIndex + 1);
    upgradeCid = config->value(QStringLiteral("Option"), QStringLiteral("CID")).toInt();

    const QString key = kind == kMouseFirmware ? QStringLiteral("MM") : receiverImageKey(rateClass);
    if (key.isEmpty())
        return false;
    const QString modelName = config->value(group, key);
    const int mid = config->value(group, QStringLiteral("MID")).toInt();
    return probeFirmwareUpdateFile(kind, currentVersion, modelName, upgradeCid, mid);
}

QString receiverImageKey(int rateClass)
{
    switch (rateClass) {
    case 1: return QStringLiteral("DM");
    case 2: return QStringLiteral("D2M");
    case 4: return QStringLiteral("D4M");
    case 8: return QStringLiteral("D8M");
    default: return QString();
    }
}

void writeUpdateFailRecord(int kind, int rateClass, int cid, int mid)
{
    RegistryKey(mouseDriveTestRegistryKey())
        .setValue(QStringLiteral("UpdateFailInfo"),
                  QStringLiteral("%1,%2,%3,%4").arg(kind).arg(rateClass).arg(cid).arg(mid));
}

void removeUpdateFailRecord()
{
    RegistryKey(mouseDriveTestRegistryKey()).remove(QStringLiteral("UpdateFailInfo"));
}

QString upgradeLogPath()
{
    return userDir() + QStringLiteral("/Exception/UpDateLog.txt");
}

void writeUpgradeLog()
{
    const char** lines = UsbUpgradeC_GetLogs();
    QDir().mkpath(userDir() + QStringLiteral("/Exception"));
    QFile file(upgradeLogPath());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        return;
    QTextStream out(&file);
    for (int i = 0; lines && i < HIDUSB_UPGRADE_LOG_LINES; ++i)
        out << QString::fromLocal8Bit(lines[i] ? lines[i] : "") << '\n';
}
