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
        if (d.plugged && vendor == kVendorId && d.productId == product)
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

// Pairing and the device screen's direct I/O are not simulated yet: they fail.
unsigned char UsbFinderC_SetDongleIDToMouse(const char* path, const unsigned char* idRecord)
{
    logOnly("UsbFinderC_SetDongleIDToMouse", {pathArg(path), bytesArg(idRecord, 5)});
    return 0;
}

unsigned char UsbFinderC_OpenDevice(const char* path)
{
    logOnly("UsbFinderC_OpenDevice", {pathArg(path)});
    return 0;
}

int UsbFinderC_ReadWriteDeviceData(unsigned char* request, unsigned char* reply, unsigned char length)
{
    Q_UNUSED(reply);
    logOnly("UsbFinderC_ReadWriteDeviceData", {bytesArg(request, length), num(length)});
    return 0;
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

// Pairing is not simulated yet: every attempt ends in a failure report (or in
// silence, when the bus is told that pairing never answers).
void UsbServer_EnterDonglePairOnlyCid(int cid)
{
    Bus& b = bus();
    Lock lock(b.mutex);
    logCall(b, "UsbServer_EnterDonglePairOnlyCid", {num(cid)});
    if (!b.open || !deviceByPath(b, b.openPath.constData()))
        return;
    b.pairingTried = true;
    if (b.pairingResult != 0)
        sendFromReceiver(b, *deviceByPath(b, b.openPath.constData()), HIDUSB_REPORT_PAIR_STATUS, QByteArray(1, '\2'));
}

void UsbServer_ReadDonglePairStatus(void)
{
    Bus& b = bus();
    Lock lock(b.mutex);
    logCall(b, "UsbServer_ReadDonglePairStatus");
    Device* at = b.open ? deviceByPath(b, b.openPath.constData()) : nullptr;
    if (at && b.pairingTried && b.pairingResult != 0)
        sendFromReceiver(b, *at, HIDUSB_REPORT_PAIR_STATUS, QByteArray(1, '\2'));
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
// Not simulated yet: nothing is ever flashed, and no run is reported as begun.

unsigned char UsbUpgrade_Start(const unsigned char* imageBytes, HidUsbUpgradeCallback callback, int timeout)
{
    Q_UNUSED(imageBytes);
    Q_UNUSED(callback);
    logOnly("UsbUpgrade_Start", {num(timeout)});
    return 0;
}

unsigned char UsbUpgradeC_FindBootDevices(const unsigned char* imageBytes, int* count)
{
    Q_UNUSED(imageBytes);
    logOnly("UsbUpgradeC_FindBootDevices", {num(count ? *count : 0)});
    if (count)
        *count = 0;
    return 0;
}

const char** UsbUpgradeC_GetLogs(void)
{
    static const char* lines[HIDUSB_UPGRADE_LOG_LINES] = {
        "firmware upgrade is not available on the simulated bus", "", "", "", "", "", "", ""};
    logOnly("UsbUpgradeC_GetLogs");
    return lines;
}

} // extern "C"
