// Writes one firmware image per catalogue device into the folder named on the
// command line. An image is the 728-byte header the program and the device
// library read, followed by a payload the simulated device accepts as is.
#include "platform/hidusb/hidusb.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QTextStream>
#include <QtEndian>

#include <cstring>

namespace {

enum : quint8 { kMouseImage = 210, kReceiverImage = 211 };

struct Image
{
    const char* name;  // model name in the header; also the file name
    quint8 kind;
    quint8 cid;
    quint8 mid;
    quint32 version;   // major << 8 | minor
    int payloadSize;
};

// The default bus's devices run these versions; the update scenario's run
// older ones. The wired Q3 gets no image: the update reaches a mouse only
// with its receiver.
const Image kImages[] = {
    {"Q7PRO_MOUSE", kMouseImage, 42, 17, 0x0105, 6144},
    {"Q7PRO_RX1K", kReceiverImage, 42, 17, 0x0104, 4096},
    {"Q7PRO_RX2K", kReceiverImage, 42, 17, 0x0104, 4096},
    {"Q7PRO_RX4K", kReceiverImage, 42, 17, 0x0104, 4096},
    {"Q7PRO_RX8K", kReceiverImage, 42, 17, 0x0104, 4096},
};

// Deterministic filler, different per image, so builds are reproducible.
QByteArray payload(const Image& image)
{
    quint32 state = 2166136261u;
    for (const char* p = image.name; *p; ++p)
        state = (state ^ quint8(*p)) * 16777619u;
    QByteArray bytes(image.payloadSize, '\0');
    for (char& b : bytes) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        b = char(state & 0xFF);
    }
    return bytes;
}

QByteArray build(const Image& image)
{
    QByteArray file(HIDUSB_FIRMWARE_HEADER_SIZE, '\0');
    file += payload(image);
    uchar* d = reinterpret_cast<uchar*>(file.data());
    std::memcpy(d, HIDUSB_FIRMWARE_MAGIC, 4);
    qToLittleEndian<quint32>(quint32(file.size()), d + HIDUSB_FIRMWARE_LENGTH_OFFSET);
    qToLittleEndian<quint32>(image.version, d + HIDUSB_FIRMWARE_VERSION_OFFSET);
    d[HIDUSB_FIRMWARE_KIND_OFFSET] = image.kind;
    d[HIDUSB_FIRMWARE_CID_OFFSET] = image.cid;
    d[HIDUSB_FIRMWARE_MID_OFFSET] = image.mid;
    const int nameLength = qMin(int(qstrlen(image.name)), HIDUSB_FIRMWARE_NAME_SIZE - 1);
    std::memcpy(d + HIDUSB_FIRMWARE_NAME_OFFSET, image.name, size_t(nameLength));
    return file;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        err << "usage: quembrel_firmwaregen <output folder>\n";
        return 2;
    }
    const QString folder = args.at(1);
    if (!QDir().mkpath(folder)) {
        err << "cannot create " << folder << '\n';
        return 1;
    }
    // An image an earlier build wrote and the list no longer holds goes.
    QStringList stale = QDir(folder).entryList({QStringLiteral("*.bin")}, QDir::Files);
    for (const Image& image : kImages)
        stale.removeAll(QLatin1String(image.name) + QStringLiteral(".bin"));
    for (const QString& name : stale) {
        if (!QFile::remove(folder + QLatin1Char('/') + name)) {
            err << "cannot remove " << name << " from " << folder << '\n';
            return 1;
        }
    }
    for (const Image& image : kImages) {
        QSaveFile out(folder + QLatin1Char('/') + QLatin1String(image.name) + QStringLiteral(".bin"));
        if (!out.open(QIODevice::WriteOnly) || out.write(build(image)) < 0 || !out.commit()) {
            err << "cannot write " << out.fileName() << ": " << out.errorString() << '\n';
            return 1;
        }
    }
    return 0;
}
