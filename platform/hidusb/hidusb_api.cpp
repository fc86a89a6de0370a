// The library's operations over the simulated bus.
#include "platform/hidusb/hidusb.h"

#include "platform/hidusb/flashimage.h"
#include "platform/hidusb/simbus.h"

#include <QtEndian>

#include <cstring>
#include <string>
#include <vector>

using namespace hidsim::detail;
namespace image = hidsim::image;

namespace {

using Lock = std::lock_guard<std::mutex>;

QString num(long long n)
{
    return QString::number(n);
}

// Path arrays stay valid until the next find on the same thread.
struct PathList
{
    std::vector<std::string> texts;
    std::vector<const char*> pointers;
};

const char** findPaths(Bus& b, const char* vid, const char* pid, int limit, int* count)
{
    thread_local PathList list;
    list.texts.clear();
    list.pointers.clear();
    const int vendor = vid ? parseHexWord(QByteArray(vid)) : -1;
    const int product = pid ? parseHexWord(QByteArray(pid)) : -1;
    for (const Device& d : b.devices) {
        if (int(list.texts.size()) >= limit)
            break;
        if (d.plugged && !d.bootMode && vendor == kVendorId && d.productId == product)
            list.texts.push_back(d.path().toStdString());
    }
    for (const std::string& t : list.texts)
        list.pointers.push_back(t.c_str());
    list.pointers.push_back(nullptr);
    if (count)
        *count = int(list.texts.size());
    return list.pointers.data();
}

Device* receiverAt(Bus& b, const char* path)
{
    Device* d = deviceByPath(b, path);
    return d && d->receiver && !d->offline ? d : nullptr;
}

void logOnly(const char* name, const QStringList& args = {})
{
    Bus& b = bus();
    Lock lock(b.mutex);
    logCall(b, name, args);
}

// The payload decoders only log their call; they hold no state.
void decode(const char* name, const unsigned char* data, unsigned char* out,
            void (*decoder)(const unsigned char*, unsigned char*))
{
    logOnly(name);
    if (data && out)
        decoder(data, out);
}

// A request to the open device, answered (if at all) on the library thread.
void ask(const char* name, Request r, const QStringList& args = {}, int argument = 0)
{
    Bus& b = bus();
    Lock lock(b.mutex);
    logCall(b, name, args);
    request(b, r, argument);
}

} // namespace

extern "C" {

// ---- Device finding and direct requests -------------------------------------

const char** UsbFinderC_FindHidDevicesByDeviceId(const char* vid, const char* pid, int usagePage, int maxCount,
                                                 int* count)
{
    Bus& b = bus();
    Lock lock(b.mutex);
    logCall(b, "UsbFinderC_FindHidDevicesByDeviceId",
            {pathArg(vid), pathArg(pid), num(usagePage), num(maxCount)});
    return findPaths(b, vid, pid, maxCount, count);
}

const char** UsbFinderC_FindHidDevicesByDefaultDeviceId(const char* vid, const char* pid, int* count)
{
    Bus& b = bus();
    Lock lock(b.mutex);
    const int limit = count ? *count : 0;
    logCall(b, "UsbFinderC_FindHidDevicesByDefaultDeviceId", {pathArg(vid), pathArg(pid), num(limit)});
    return findPaths(b, vid, pid, limit, count);
}

unsigned char UsbFinderC_GetUsbDeviceAttribute(const char* path, unsigned char* attributes)
{
    Bus& b = bus();
    Lock lock(b.mutex);
    logCall(b, "UsbFinderC_GetUsbDeviceAttribute", {pathArg(path)});
    const Device* d = deviceByPath(b, path);
    if (!d || !attributes)
        return 0;
    std::memset(attributes, 0, HIDUSB_ATTRIBUTE_SIZE);
    qToLittleEndian<quint32>(HIDUSB_ATTRIBUTE_SIZE, attributes);
    qToLittleEndian<quint16>(kVendorId, attributes + 4);
    qToLittleEndian<quint16>(quint16(d->productId), attributes + 6);
    qToLittleEndian<quint16>(quint16(d->version), attributes + 8);
    return 1;
}

const unsigned char* UsbFinderC_GetDeviceInfo(const char* path)
{
    thread_local unsigned char info[3];
    Bus& b = bus();
    Lock lock(b.mutex);
    logCall(b, "UsbFinderC_GetDeviceInfo", {pathArg(path)});
    std::memset(info, 0, sizeof info);
    Device* d = deviceByPath(b, path);
    if (d && d->identityUnknownAsks > 0) {
        --d->identityUnknownAsks;
    } else if (d && !d->offline) {
        info[0] = static_cast<unsigned char>(d->cid);
        info[1] = static_cast<unsigned char>(d->mid);
        info[2] = static_cast<unsigned char>(d->deviceType);
    }
    return info;
}

unsigned char UsbFinderC_GetDeviceOnLine(const char* path)
{
    Bus& b = bus();
    Lock lock(b.mutex);
    logCall(b, "UsbFinderC_GetDeviceOnLine", {pathArg(path)});
    Device* d = deviceByPath(b, path);
    Device* mouse = d ? mouseBehind(b, *d) : nullptr;
    return mouse && answersThrough(b, *d, *mouse) ? 1 : 0;
}

unsigned char UsbFinderC_GetDeviceOnLineWithUsbAddress(const char* path, unsigned char* state)
{
    Bus& b = bus();
    Lock lock(b.mutex);
    logCall(b, "UsbFinderC_GetDeviceOnLineWithUsbAddress", {pathArg(path)});
    if (!state)
        return 0;
    // Only the bytes the program reads are written: its buffers may be short.
    std::memset(state, 0, kReceiverStateBytes);
    Device* d = deviceByPath(b, path);
    if (!d || d->offline)
        return 0;
    Device* mouse = mouseBehind(b, *d);
    state[6] = mouse && answersThrough(b, *d, *mouse) ? 1 : 0;
    std::memcpy(state + 7, d->receiverId, 3);
    return state[6];
}

int UsbFinderC_GetVersion(const char* path)
{
    Bus& b = bus();
    Lock lock(b.mutex);
    logCall(b, "UsbFinderC_GetVersion", {pathArg(path)});
    Device* d = deviceByPath(b, path);
    Device* mouse = d ? mouseBehind(b, *d) : nullptr;
    return mouse && answersThrough(b, *d, *mouse) ? mouse->version : 0;
}

unsigned char UsbFinderC_GetSlaveVersion(const char* path, int* version)
{
    Bus& b = bus();
    Lock lock(b.mutex);
    logCall(b, "UsbFinderC_GetSlaveVersion", {pathArg(path)});
    const Device* rx = receiverAt(b, path);
    if (!rx || !version)
        return 0;
    *version = rx->version;
    return 1;
}

unsigned char UsbFinderC_Get4KDongleRGBValue(const char* path, unsigned char* rgb)
{
    Bus& b = bus();
    Lock lock(b.mutex);
    logCall(b, "UsbFinderC_Get4KDongleRGBValue", {pathArg(path)});
    const Device* rx = receiverAt(b, path);
    if (!rx || !rgb)
        return 0;
    std::memcpy(rgb, rx->led.constData(), HIDUSB_DONGLE_RGB_SIZE);
    return 1;
}

unsigned char UsbFinderC_Set4KDongleRGB(const char* path, const unsigned char* rgb)
{
    Bus& b = bus();
    Lock lock(b.mutex);
    logCall(b, "UsbFinderC_Set4KDongleRGB", {pathArg(path), bytesArg(rgb, HIDUSB_DONGLE_RGB_SIZE)});
    Device* rx = receiverAt(b, path);
    if (!rx || !rgb || rgb[0] < 1 || rgb[0] > 3)
        return 0;
    const QByteArray led(reinterpret_cast<const char*>(rgb), HIDUSB_DONGLE_RGB_SIZE);
    if (led != rx->led) {
        rx->led = led;
        markStateChanged(b);
        // The receiver tells the open connection that its LED state changed.
        sendFromReceiver(b, *rx, HIDUSB_REPORT_RECEIVER_LED, led);
    }
    return 1;
}

unsigned char UsbFinderC_GetLongRangeMode(const char* path, unsigned char* cell)
{
    Bus& b = bus();
    Lock lock(b.mutex);
    logCall(b, "UsbFinderC_GetLongRangeMode", {pathArg(path)});
    const Device* rx = receiverAt(b, path);
    if (!rx || !cell)
        return 0;
    *cell = rx->longRange ? 1 : 0;
    return 1;
}

unsigned char UsbFinderC_SetLongRangeMode(const char* path, int on)
{
    Bus& b = bus();
    Lock lock(b.mutex);
    logCall(b, "UsbFinderC_SetLongRangeMode", {pathArg(path), num(on)});
    Device* rx = receiverAt(b, path);
    if (!rx)
        return 0;
    const bool wanted = on != 0;
    if (rx->longRange != wanted) {
        rx->longRange = wanted;
        markStateChanged(b);
        // Leaving long range, the receiver reports its 10-byte state; entering
        // it, a single byte 1.
        sendFromReceiver(b, *rx, HIDUSB_REPORT_LONG_RANGE,
                         wanted ? QByteArray(1, '\1') : QByteArray(kReceiverStateBytes, '\0'));
    }
    return 1;
}

unsigned char UsbFinderC_SetDongleIDToMouse(const char* path, const unsigned char* idRecord)
{
    Bus& b = bus();
    Lock lock(b.mutex);
    logCall(b, "UsbFinderC_SetDongleIDToMouse", {pathArg(path), bytesArg(idRecord, kDongleIdRecordSize)});
    Device* mouse = deviceByPath(b, path);
    if (!mouse || mouse->receiver || mouse->offline || !idRecord)
        return 0;
    std::memcpy(mouse->receiverId, idRecord, 3);
    markStateChanged(b);
    // The mouse now answers the receiver that carries this id.
    for (Device& rx : b.devices) {
        if (rx.receiver && std::memcmp(rx.receiverId, idRecord, 3) == 0) {
            pairDevices(b, rx, *mouse);
            break;
        }
    }
    return 1;
}

unsigned char UsbFinderC_OpenDevice(const char* path)
{
    Bus& b = bus();
    Lock lock(b.mutex);
    logCall(b, "UsbFinderC_OpenDevice", {pathArg(path)});
    const Device* d = deviceByPath(b, path);
    b.directDeviceId = d && !d->offline ? d->id : QString();
    return b.directDeviceId.isEmpty() ? 0 : 1;
}

// A device answers a direct request with the request's bytes, the last byte
// made its checksum again (0x55 minus the sum of the others).
int UsbFinderC_ReadWriteDeviceData(unsigned char* request, unsigned char* reply, unsigned char length)
{
    Bus& b = bus();
    Lock lock(b.mutex);
    logCall(b, "UsbFinderC_ReadWriteDeviceData", {bytesArg(request, length), num(length)});
    const Device* d = b.directDeviceId.isEmpty() ? nullptr : deviceById(b, b.directDeviceId);
    if (!d || !d->plugged || d->offline || d->bootMode || !request || !reply || length < 2)
        return 0;
    std::memmove(reply, request, length);
    unsigned sum = 0;
    for (int i = 0; i + 1 < length; ++i)
        sum += reply[i];
    reply[length - 1] = static_cast<unsigned char>(0x55 - sum);
    return length;
}

// ---- Device connection -------------------------------------------------------

unsigned char UsbServerC_Start(const char* path, const char* path2, HidUsbDataCallback callback)
{
    Bus& b = bus();
    Lock lock(b.mutex);
    logCall(b, "UsbServerC_Start", {pathArg(path), pathArg(path2)});
    // The previous connection ends in any case; its queued reports are dropped.
    endConnection(b);
    if (!deviceByPath(b, path))
        return 0;
    b.open = true;
    b.openPath = QByteArray(path);
    b.dataCallback = callback;
    return 1;
}

void UsbServer_Exit(void)
{
    Bus& b = bus();
    Lock lock(b.mutex);
    logCall(b, "UsbServer_Exit");
    endConnection(b);
}

void UsbServer_SetPCDriverStatus(int status)
{
    logOnly("UsbServer_SetPCDriverStatus", {num(status)});
}

void UsbServer_ReadAllFlashData(void) { ask("UsbServer_ReadAllFlashData", Request::ReadAllFlashData); }
void UsbServer_ReadBatteryLevel(void) { ask("UsbServer_ReadBatteryLevel", Request::ReadBatteryLevel); }
void UsbServer_ReadConfig(void) { ask("UsbServer_ReadConfig", Request::ReadConfig); }
void UsbServer_ReadCurrentDPI(void) { ask("UsbServer_ReadCurrentDPI", Request::ReadCurrentDpi); }
void UsbServer_ReadDPILed(void) { ask("UsbServer_ReadDPILed", Request::ReadDpiLed); }
void UsbServer_ReadLedBar(void) { ask("UsbServer_ReadLedBar", Request::ReadLedBar); }
void UsbServer_ReadReportRate(void) { ask("UsbServer_ReadReportRate", Request::ReadReportRate); }
void UsbServer_ReadVersion(void) { ask("UsbServer_ReadVersion", Request::ReadVersion); }
void UsbServer_SetClearSetting(void) { ask("UsbServer_SetClearSetting", Request::ClearSetting); }

void UsbServer_SetBatteryOptimizeEnable(int enable)
{
    ask("UsbServer_SetBatteryOptimizeEnable", Request::BatteryOptimize, {num(enable)}, enable);
}

void UsbServer_SetCurrentConfig(unsigned char profile)
{
    ask("UsbServer_SetCurrentConfig", Request::SetCurrentConfig, {num(profile)}, profile);
}

// The receiver looks for a mouse to pair for a while, then reports the outcome.
void UsbServer_EnterDonglePairOnlyCid(int cid)
{
    Bus& b = bus();
    Lock lock(b.mutex);
    logCall(b, "UsbServer_EnterDonglePairOnlyCid", {num(cid)});
    Device* rx = b.open ? receiverAt(b, b.openPath.constData()) : nullptr;
    if (rx)
        startPairing(b, *rx, cid);
}

// While the receiver is pairing it answers status 1 (still pairing).
void UsbServer_ReadDonglePairStatus(void)
{
    Bus& b = bus();
    Lock lock(b.mutex);
    logCall(b, "UsbServer_ReadDonglePairStatus");
    Device* rx = b.open ? receiverAt(b, b.openPath.constData()) : nullptr;
    if (rx && b.pairing.active && b.pairingResult != 0)
        sendFromReceiver(b, *rx, HIDUSB_REPORT_PAIR_STATUS, QByteArray(1, '\1'));
}

// ---- Record encoding -----------------------------------------------------------

unsigned char ProtocolDataParser(const unsigned char* imageBytes, void* record)
{
    logOnly("ProtocolDataParser");
    if (!imageBytes || !record)
        return 0;
    return image::unpack(imageBytes, static_cast<unsigned char*>(record)) ? 1 : 0;
}

unsigned char ProtocolDataUpdate(const void* record)
{
    Bus& b = bus();
    Lock lock(b.mutex);
    logCall(b, "ProtocolDataUpdate");
    if (!record)
        return 0;
    const QByteArray sent(static_cast<const char*>(record), HIDUSB_RECORD_SIZE);
    logRecord(b, sent);

    Device* at = b.open ? deviceByPath(b, b.openPath.constData()) : nullptr;
    Device* mouse = at ? mouseBehind(b, *at) : nullptr;
    if (!mouse || !answersThrough(b, *at, *mouse))
        return 0;
    if (b.recordsRefused) {
        qWarning("hidsim: %s refused a record on request", qPrintable(mouse->id));
        return 0;
    }
    const QByteArray stored = image::canonical(sent);
    if (stored.isEmpty()) {
        qWarning("hidsim: %s refused a record: %s", qPrintable(mouse->id),
                 qPrintable(image::recordProblem(static_cast<const unsigned char*>(record))));
        return 0;
    }
    mouse->profiles[mouse->profile] = stored;
    markStateChanged(b);
    ++b.recordsTaken;
    return 1;
}

void BufferToDPILed(const unsigned char* data, unsigned char* dpiLed)
{
    decode("BufferToDPILed", data, dpiLed, image::decodeDpiLed);
}

void BufferToLedBar(const unsigned char* data, unsigned char* ledBar)
{
    decode("BufferToLedBar", data, ledBar, image::decodeLedBar);
}

void GetDeviceBatteryStatus(const unsigned char* data, unsigned char* cell)
{
    decode("GetDeviceBatteryStatus", data, cell, image::decodeBattery);
}

void GetDeviceStatusChanged(const unsigned char* data, unsigned char* cell)
{
    decode("GetDeviceStatusChanged", data, cell, image::decodeStatus);
}

// ---- Plug and unplug -------------------------------------------------------------

void StartUsbChanged(HidUsbChangedCallback callback, int interval)
{
    Bus& b = bus();
    {
        Lock lock(b.mutex);
        logCall(b, "StartUsbChanged", {num(interval)});
        // Notifications posted for the earlier registration are not delivered.
        ++b.changedGeneration;
        b.changedPending = 0;
        b.changedCallback = callback;
    }
    if (callback)
        callback();
}

void StopUsbChanged(void)
{
    Bus& b = bus();
    Lock lock(b.mutex);
    logCall(b, "StopUsbChanged");
    ++b.changedGeneration;
    b.changedPending = 0;
    b.changedCallback = nullptr;
}

// ---- Firmware upgrade ----------------------------------------------------------------

namespace {

struct ImageHeader
{
    int kind = 0;
    int cid = 0;
    int mid = 0;
    int version = 0;
    quint32 length = 0;
    QString name;
};

// The header of an image the library can flash: its magic, a length from a
// whole header up to what a device holds, and a mouse or receiver kind.
bool readHeader(const unsigned char* imageBytes, ImageHeader* h)
{
    if (!imageBytes || std::memcmp(imageBytes, HIDUSB_FIRMWARE_MAGIC, 4) != 0)
        return false;
    h->length = qFromLittleEndian<quint32>(imageBytes + HIDUSB_FIRMWARE_LENGTH_OFFSET);
    h->version = int(qFromLittleEndian<quint32>(imageBytes + HIDUSB_FIRMWARE_VERSION_OFFSET) & 0xffff);
    h->kind = imageBytes[HIDUSB_FIRMWARE_KIND_OFFSET];
    h->cid = imageBytes[HIDUSB_FIRMWARE_CID_OFFSET];
    h->mid = imageBytes[HIDUSB_FIRMWARE_MID_OFFSET];
    const char* name = reinterpret_cast<const char*>(imageBytes + HIDUSB_FIRMWARE_NAME_OFFSET);
    h->name = QString::fromLocal8Bit(name, int(qstrnlen(name, HIDUSB_FIRMWARE_NAME_SIZE)));
    return h->length >= HIDUSB_FIRMWARE_HEADER_SIZE && h->length <= HIDUSB_FIRMWARE_MAX_SIZE
           && (h->kind == kMouseImageKind || h->kind == kReceiverImageKind);
}

bool fitsImage(const Device& d, const ImageHeader& h)
{
    return d.receiver == (h.kind == kReceiverImageKind) && d.cid == h.cid && d.mid == h.mid && !d.offline;
}

// Whether the library reaches the device at all: a receiver or a mouse on
// the bus, or a mouse through its receiver.
bool reachable(Bus& b, const Device& d)
{
    if (d.plugged)
        return true;
    if (d.receiver)
        return false;
    const Device* rx = deviceById(b, d.pairedWith);
    return rx && rx->receiver && rx->plugged && !rx->offline && !rx->bootMode && rx->pairedWith == d.id
           && (d.awake || d.bootMode);
}

// The device an image goes to: one waiting in boot mode first, else the first
// one that runs this model's firmware.
Device* upgradeTarget(Bus& b, const ImageHeader& h)
{
    Device* running = nullptr;
    for (Device& d : b.devices) {
        if (!fitsImage(d, h) || !reachable(b, d))
            continue;
        if (d.bootMode)
            return &d;
        if (!running)
            running = &d;
    }
    return running;
}

} // namespace

unsigned char UsbUpgrade_Start(const unsigned char* imageBytes, HidUsbUpgradeCallback callback, int timeout)
{
    Bus& b = bus();
    Lock lock(b.mutex);
    logCall(b, "UsbUpgrade_Start", {num(timeout)});
    ImageHeader h;
    Device* target = readHeader(imageBytes, &h) ? upgradeTarget(b, h) : nullptr;
    if (!target || !callback || b.appGone) {
        setUpgradeLog(b, {QStringLiteral("result: not started"),
                          target ? QStringLiteral("no status callback")
                                 : QStringLiteral("no device takes this image")});
        return 0;
    }
    UpgradeRun run;
    run.callback = callback;
    run.deviceId = target->id;
    // A mouse off its cable takes its image through its receiver.
    if (!target->plugged)
        run.viaReceiverId = target->pairedWith;
    run.imageName = h.name;
    run.imageVersion = h.version;
    run.imageLength = int(h.length);
    run.fromVersion = target->version;
    startUpgrade(b, run);
    return 1;
}

unsigned char UsbUpgradeC_FindBootDevices(const unsigned char* imageBytes, int* count)
{
    Bus& b = bus();
    Lock lock(b.mutex);
    const int limit = count ? *count : 0;
    logCall(b, "UsbUpgradeC_FindBootDevices", {num(limit)});
    if (!count)
        return 0;
    *count = 0;
    ImageHeader h;
    if (!readHeader(imageBytes, &h))
        return 0;
    for (const Device& d : b.devices) {
        if (*count >= limit)
            break;
        if (d.bootMode && fitsImage(d, h) && reachable(b, d))
            ++*count;
    }
    return 1;
}

const char** UsbUpgradeC_GetLogs(void)
{
    thread_local std::string texts[HIDUSB_UPGRADE_LOG_LINES];
    thread_local const char* lines[HIDUSB_UPGRADE_LOG_LINES];
    Bus& b = bus();
    Lock lock(b.mutex);
    logCall(b, "UsbUpgradeC_GetLogs");
    for (int i = 0; i < HIDUSB_UPGRADE_LOG_LINES; ++i) {
        texts[i] = b.upgradeLog.value(i).toStdString();
        lines[i] = texts[i].c_str();
    }
    return lines;
}

} // extern "C"
