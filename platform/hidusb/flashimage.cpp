#include "platform/hidusb/flashimage.h"

#include <QByteArray>
#include <QtEndian>

#include <cstring>

namespace hidsim {
namespace image {

namespace {

const unsigned char kMagic[2] = {'Q', 'F'};

int macroName(const unsigned char* record, int block)
{
    return record[kMacroBlocks + block * kMacroBlockSize];
}

int macroCount(const unsigned char* record, int block)
{
    return record[kMacroBlocks + block * kMacroBlockSize + kMacroCountByte];
}

// A CRC-16 of everything before the trailer: unlike a sum or a folded hash,
// it sees every single flipped bit, wherever it is.
quint16 checksum(const unsigned char* image)
{
    return qChecksum(reinterpret_cast<const char*>(image), HIDUSB_IMAGE_SIZE - kTrailerSize);
}

} // namespace

QString recordProblem(const unsigned char* record)
{
    for (int k = 0; k < kBlocks; ++k) {
        const int keys = record[kKeyBlocks + k * kKeyBlockSize];
        if (keys > kKeyEventsMax)
            return QStringLiteral("key block %1 holds %2 events (at most %3)").arg(k).arg(keys).arg(int(kKeyEventsMax));
    }
    int used = 0;
    for (int k = 0; k < kBlocks; ++k) {
        const int name = macroName(record, k);
        const int count = macroCount(record, k);
        if (name > kMacroNameMax)
            return QStringLiteral("macro %1 has a name of %2 bytes (at most %3)").arg(k).arg(name).arg(int(kMacroNameMax));
        if (count > kMacroEventsMax)
            return QStringLiteral("macro %1 holds %2 events (at most %3)").arg(k).arg(count).arg(int(kMacroEventsMax));
        used += 2 + name + count * kEventSize;
    }
    if (used > kMacroSpace)
        return QStringLiteral("the macros need %1 bytes, the device holds %2").arg(used).arg(int(kMacroSpace));
    return QString();
}

bool pack(const unsigned char* record, unsigned char* image)
{
    if (!recordProblem(record).isEmpty())
        return false;
    std::memcpy(image, record, kMacroBlocks);
    unsigned char* out = image + kMacroBlocks;
    for (int k = 0; k < kBlocks; ++k) {
        const unsigned char* block = record + kMacroBlocks + k * kMacroBlockSize;
        const int name = block[0];
        const int events = block[kMacroCountByte] * kEventSize;
        *out++ = static_cast<unsigned char>(name);
        std::memcpy(out, block + 1, name);
        out += name;
        *out++ = block[kMacroCountByte];
        std::memcpy(out, block + kMacroEvents, events);
        out += events;
    }
    std::memset(out, 0, image + HIDUSB_IMAGE_SIZE - kTrailerSize - out);
    seal(image);
    return true;
}

void seal(unsigned char* image)
{
    unsigned char* trailer = image + HIDUSB_IMAGE_SIZE - kTrailerSize;
    trailer[0] = kMagic[0];
    trailer[1] = kMagic[1];
    qToLittleEndian<quint16>(checksum(image), trailer + 2);
}

bool unpack(const unsigned char* image, unsigned char* record)
{
    const unsigned char* trailer = image + HIDUSB_IMAGE_SIZE - kTrailerSize;
    if (trailer[0] != kMagic[0] || trailer[1] != kMagic[1] || qFromLittleEndian<quint16>(trailer + 2) != checksum(image))
        return false;
    for (int k = 0; k < kBlocks; ++k) {
        if (image[kKeyBlocks + k * kKeyBlockSize] > kKeyEventsMax)
            return false;
    }

    // Walk the packed macros once to check them before touching the record.
    int offsets[kBlocks];
    int pos = kMacroBlocks;
    const int end = HIDUSB_IMAGE_SIZE - kTrailerSize;
    for (int k = 0; k < kBlocks; ++k) {
        offsets[k] = pos;
        if (pos >= end || image[pos] > kMacroNameMax)
            return false;
        pos += 1 + image[pos];
        if (pos >= end || image[pos] > kMacroEventsMax)
            return false;
        pos += 1 + image[pos] * kEventSize;
        if (pos > end)
            return false;
    }
    for (; pos < end; ++pos) {
        if (image[pos] != 0)
            return false;
    }

    std::memcpy(record, image, kMacroBlocks);
    std::memset(record + kMacroBlocks, 0, HIDUSB_RECORD_SIZE - kMacroBlocks);
    for (int k = 0; k < kBlocks; ++k) {
        const unsigned char* in = image + offsets[k];
        unsigned char* block = record + kMacroBlocks + k * kMacroBlockSize;
        const int name = in[0];
        block[0] = in[0];
        std::memcpy(block + 1, in + 1, name);
        const int count = in[1 + name];
        block[kMacroCountByte] = static_cast<unsigned char>(count);
        std::memcpy(block + kMacroEvents, in + 2 + name, count * kEventSize);
    }
    return true;
}

QByteArray canonical(const QByteArray& record)
{
    if (record.size() != HIDUSB_RECORD_SIZE
        || !recordProblem(reinterpret_cast<const unsigned char*>(record.constData())).isEmpty())
        return QByteArray();
    unsigned char out[HIDUSB_RECORD_SIZE];
    std::memcpy(out, record.constData(), HIDUSB_RECORD_SIZE);
    for (int k = 0; k < kBlocks; ++k) {
        unsigned char* block = out + kMacroBlocks + k * kMacroBlockSize;
        std::memset(block + 1 + block[0], 0, kMacroNameMax - block[0]);
        const int events = block[kMacroCountByte] * kEventSize;
        std::memset(block + kMacroEvents + events, 0, kMacroBlockSize - kMacroEvents - events);
    }
    return QByteArray(reinterpret_cast<const char*>(out), HIDUSB_RECORD_SIZE);
}

QByteArray factoryRecord(int profile, const QString& model)
{
    unsigned char r[HIDUSB_RECORD_SIZE] = {};
    r[kReportRate] = 1;       // 1000 Hz
    r[kDpiStageCount] = 4;
    r[kCurrentDpiStage] = 1;
    r[0x05] = 1;              // lift-off 1 mm
    r[0x06] = 4;              // debounce item 4
    r[0x08] = 6;              // sleep after 60 s
    r[0x0d] = 3;              // performance level item 0

    // 400, 800, 1600, 3200, 6400, 12800, 16000, 26000 DPI as the catalogue's
    // sensors take them (driver_sensor.h): code = dpi / 50 - 1 up to 12800;
    // above, the code of dpi / 2 with range flags 0x22, or of dpi / 4 with 0x33.
    static const unsigned char stages[kDpiStageSlots][kDpiStageSize] = {
        {7, 7, 0x00, 255, 0, 0},       {15, 15, 0x00, 0, 255, 0},
        {31, 31, 0x00, 0, 0, 255},     {63, 63, 0x00, 255, 255, 0},
        {127, 127, 0x00, 255, 0, 255}, {255, 255, 0x00, 0, 255, 255},
        {159, 159, 0x22, 255, 255, 255}, {129, 129, 0x33, 255, 128, 0}};
    std::memcpy(r + kDpiStages, stages, sizeof stages);

    const unsigned char dpiLed[kDpiLedSize] = {1, 128, 5, 1};
    std::memcpy(r + kDpiLed, dpiLed, kDpiLedSize);

    static const unsigned char colours[kProfiles][3] = {{0, 128, 255}, {255, 64, 0}, {0, 255, 96}, {200, 0, 255}};
    const int p = (profile >= 0 && profile < kProfiles) ? profile : 0;
    const unsigned char ledBar[kLedBarSize] = {1, colours[p][0], colours[p][1], colours[p][2], 2, 4, 1};
    std::memcpy(r + kLedBar, ledBar, kLedBarSize);

    // Left, right, middle, back, forward; DPI cycle, up, down; report-rate
    // switch twice; rapid fire (interval 10, 3 shots); the rest disabled.
    static const unsigned char buttons[12][3] = {
        {1, 1, 0}, {1, 2, 0}, {1, 4, 0}, {1, 8, 0}, {1, 16, 0}, {2, 1, 0},
        {2, 2, 0}, {2, 3, 0}, {7, 0, 0}, {7, 0, 0}, {4, 10, 3}, {0, 0, 0}};
    std::memcpy(r + kButtons, buttons, sizeof buttons);

    // The Q3's side buttons send keys: volume up, and Ctrl+C.
    if (model == QLatin1String("Q3")) {
        static const unsigned char keys[2][3] = {{5, 0, 0}, {5, 0, 0}};
        std::memcpy(r + kButtons + 3 * 3, keys, sizeof keys);
        // Count, 3 reserved bytes, then events: action, kind, code (LE), delay (LE).
        static const unsigned char volumeUp[4 + 2 * 8] = {2, 0, 0, 0, 0, 2, 0xE9, 0, 10, 0, 0, 0,
                                                          1, 2, 0xE9, 0, 10, 0, 0, 0};
        static const unsigned char ctrlC[4 + 4 * 8] = {4, 0, 0, 0, 0, 0, 0x01, 0, 10, 0, 0, 0, 0, 1, 0x06, 0, 10, 0,
                                                       0, 0, 1, 1, 0x06, 0, 10, 0, 0, 0, 1, 0, 0x01, 0, 10, 0, 0, 0};
        std::memcpy(r + kKeyBlocks + 3 * kKeyBlockSize, volumeUp, sizeof volumeUp);
        std::memcpy(r + kKeyBlocks + 4 * kKeyBlockSize, ctrlC, sizeof ctrlC);
    }
    return QByteArray(reinterpret_cast<const char*>(r), HIDUSB_RECORD_SIZE);
}

// DPI light payload: on, mode, brightness, speed, 4 reserved bytes.
QByteArray dpiLedPayload(const QByteArray& record)
{
    QByteArray p(kDpiLedPayloadSize, '\0');
    const char* d = record.constData() + kDpiLed;
    p[0] = d[3];
    p[1] = d[0];
    p[2] = d[1];
    p[3] = d[2];
    return p;
}

void decodeDpiLed(const unsigned char* payload, unsigned char* dpiLed)
{
    dpiLed[0] = payload[1];
    dpiLed[1] = payload[2];
    dpiLed[2] = payload[3];
    dpiLed[3] = payload[0];
}

// Light bar payload: on, mode, R, G, B, speed, brightness, 2 reserved bytes.
QByteArray ledBarPayload(const QByteArray& record)
{
    QByteArray p(kLedBarPayloadSize, '\0');
    const char* d = record.constData() + kLedBar;
    p[0] = d[6];
    std::memcpy(p.data() + 1, d, 6);
    return p;
}

void decodeLedBar(const unsigned char* payload, unsigned char* ledBar)
{
    std::memcpy(ledBar, payload + 1, 6);
    ledBar[6] = payload[0];
}

QByteArray batteryPayload(int percent, bool charging)
{
    QByteArray p(kBatteryPayloadSize, '\0');
    p[0] = static_cast<char>(qBound(0, percent, 100));
    p[1] = charging ? 1 : 0;
    return p;
}

void decodeBattery(const unsigned char* payload, unsigned char* cell)
{
    cell[0] = qMin<unsigned char>(payload[0], 100);
    cell[1] = payload[1] ? 1 : 0;
    cell[2] = 0;
    cell[3] = 0;
}

QByteArray statusPayload(int flags)
{
    QByteArray p(kStatusPayloadSize, '\0');
    p[0] = static_cast<char>(flags & 0x7f);
    return p;
}

void decodeStatus(const unsigned char* payload, unsigned char* cell)
{
    for (int i = 0; i < HIDUSB_STATUS_CELL_SIZE; ++i)
        cell[i] = (payload[0] >> i) & 1;
}

} // namespace image
} // namespace hidsim
