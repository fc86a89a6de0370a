// The firmware images of the bin folder: up to four files (the input split at
// "QFWNEXT!") scanned as the settings page, the repair dialog and the
// device page's firmware check scan them, for the catalogue's models and for
// the model the first header names. An image taken is whole: its length
// field is its size, it carries the magic, and its header is the one asked
// for, of a mouse or a receiver.
#include "fuzzsupport.h"

#include "core/firmware.h"
#include "core/globals.h"
#include "core/settings.h"
#include "platform/hidusb/hidusb.h"

#include <QDir>
#include <QtEndian>

namespace {

const QByteArray kSeparator("QFWNEXT!");
const int kMostFiles = 4;
const char* const kFileNames[kMostFiles] = {"a.bin", "B.bin", "c.bin", "Q7PRO_MOUSE.bin"};

struct Query
{
    int kind;
    QString model;
    int cid;
    int mid;
};

void checkTaken(const QList<QByteArray>& kept, const Query& q)
{
    fuzz::check(kept.size() <= 1, "more than one image kept");
    if (kept.isEmpty())
        return;
    const QByteArray& image = kept.first();
    const uchar* d = reinterpret_cast<const uchar*>(image.constData());
    fuzz::check(image.size() >= HIDUSB_FIRMWARE_HEADER_SIZE, "an image shorter than its header was taken");
    fuzz::check(qFromLittleEndian<quint32>(d + HIDUSB_FIRMWARE_LENGTH_OFFSET) == quint32(image.size()),
                "an image whose length field is not its size was taken");
    fuzz::check(image.startsWith(HIDUSB_FIRMWARE_MAGIC), "an image without the magic was taken");
    fuzz::check(q.kind == kMouseFirmware || q.kind == kReceiverFirmware, "an image of an unknown kind was taken");
    fuzz::check(d[HIDUSB_FIRMWARE_KIND_OFFSET] == uchar(q.kind) && d[HIDUSB_FIRMWARE_CID_OFFSET] == uchar(q.cid)
                    && d[HIDUSB_FIRMWARE_MID_OFFSET] == uchar(q.mid),
                "an image for another device was taken");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool once = [] {
        ConfigSettings::resetForTests(fuzz::sourceFile("platform/install/data/usersetting/Config.ini"));
        setFirmwareFolderForTests(fuzz::scratchDir() + QStringLiteral("/bin"));
        return true;
    }();
    Q_UNUSED(once);

    QDir folder(fuzz::scratchDir() + QStringLiteral("/bin"));
    folder.removeRecursively();
    const QByteArray input = fuzz::bytes(data, size);
    QList<QByteArray> files;
    for (int from = 0; files.size() < kMostFiles;) {
        const int at = input.indexOf(kSeparator, from);
        files.append(input.mid(from, at < 0 ? -1 : at - from));
        if (at < 0)
            break;
        from = at + kSeparator.size();
    }
    for (int i = 0; i < files.size(); ++i)
        fuzz::writeScratchFile(QStringLiteral("bin/") + QLatin1String(kFileNames[i]), files.at(i));

    // A few questions only: every scan reads the whole folder.
    QVector<Query> queries = {
        {kMouseFirmware, QStringLiteral("Q7PRO_MOUSE"), 42, 17},
        {kReceiverFirmware, QStringLiteral("Q7PRO_RX4K"), 42, 17},
    };
    QStringList versions = {QString(), QStringLiteral("v1.04")};
    const QByteArray& first = files.first();
    if (first.size() >= HIDUSB_FIRMWARE_HEADER_SIZE) {
        const uchar* d = reinterpret_cast<const uchar*>(first.constData());
        const char* name = first.constData() + HIDUSB_FIRMWARE_NAME_OFFSET;
        queries.append({d[HIDUSB_FIRMWARE_KIND_OFFSET],
                        QString::fromLocal8Bit(name, int(qstrnlen(name, HIDUSB_FIRMWARE_NAME_SIZE))),
                        d[HIDUSB_FIRMWARE_CID_OFFSET], d[HIDUSB_FIRMWARE_MID_OFFSET]});
        versions.append(firmwareVersionText(qFromLittleEndian<quint32>(d + HIDUSB_FIRMWARE_VERSION_OFFSET)));
    }
    for (const Query& q : qAsConst(queries)) {
        for (const QString& version : qAsConst(versions)) {
            findFirmwareUpdateFile(q.kind, version, q.model, q.cid, q.mid);
            checkTaken(firmwareImages, q);
            findFirmwareFile(q.kind, version, q.model, q.cid, q.mid);
            checkTaken(repairFirmwareList, q);
            probeFirmwareUpdateFile(q.kind, version, q.model, q.cid, q.mid);
        }
    }
    // The device page's check, for both catalogue models and every rate class.
    for (int model : {0, 1}) {
        currentDevice.modelIndex = model;
        hasFirmwareUpdate(kMouseFirmware, versions.last(), 0);
        for (int rateClass : {1, 4, 8})
            hasFirmwareUpdate(kReceiverFirmware, versions.last(), rateClass);
    }
    return 0;
}
