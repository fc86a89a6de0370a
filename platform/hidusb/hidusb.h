#pragma once
// The device library: finds the mouse and its receivers, runs the device
// connection, converts between the device's flash image and the configuration
// record, reports plug and unplug, and flashes firmware.
//
// On this platform the devices behind it are simulated (see simcontrol.h);
// the program includes only this header and never knows the difference.
//
// Conventions:
// - Paths are the device's HID path as a NUL-terminated 8-bit text.
// - Answer cells are byte buffers owned by the caller.
// - Texts and arrays the library returns stay valid until the next call of
//   the same operation.
// - Callbacks are plain function pointers.

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

// Sizes the program and the library agree on.
enum {
    HIDUSB_RECORD_SIZE = 10428,      // the configuration record (FlashDataMap)
    HIDUSB_IMAGE_SIZE = 6912,        // the device's flash image
    HIDUSB_ATTRIBUTE_SIZE = 12,      // UsbFinderC_GetUsbDeviceAttribute cell
    HIDUSB_RECEIVER_STATE_SIZE = 16, // UsbFinderC_GetDeviceOnLineWithUsbAddress cell (10 bytes read)
    HIDUSB_DONGLE_RGB_SIZE = 10,     // DongleRGB cell
    HIDUSB_BATTERY_CELL_SIZE = 4,    // GetDeviceBatteryStatus cell
    HIDUSB_STATUS_CELL_SIZE = 7,     // GetDeviceStatusChanged cell
    HIDUSB_FIRMWARE_HEADER_SIZE = 728,
    HIDUSB_FIRMWARE_MAX_SIZE = 256 * 1024, // the longest image a device's flash takes
    HIDUSB_UPGRADE_LOG_LINES = 8
};

// Report kinds (header byte 1) and parameter sub-kinds (header byte 4) that
// the data callback receives. Header byte 3 is 0 for a parameter report.
enum {
    HIDUSB_REPORT_BATTERY = 4,
    HIDUSB_REPORT_PAIR_STATUS = 6,     // data byte 0: 2 failure, 3 success
    HIDUSB_REPORT_PARAMETER = 8,
    HIDUSB_REPORT_AFTER_RESET = 9,
    HIDUSB_REPORT_STATUS_CHANGE = 10,
    HIDUSB_REPORT_PROFILE = 14,        // 1 data byte: current profile
    HIDUSB_REPORT_VERSION = 18,
    HIDUSB_REPORT_RECEIVER_LED = 21,
    HIDUSB_REPORT_LONG_RANGE = 23,

    HIDUSB_PARAM_CONFIG = 0,           // 6,912 bytes: full image; 1 byte: report rate
    HIDUSB_PARAM_CURRENT_DPI = 4,      // 1 byte: current DPI stage
    HIDUSB_PARAM_DPI_LED = 0x4c,       // 8 bytes
    HIDUSB_PARAM_LED_BAR = 0xa0,       // 9 bytes

    HIDUSB_HEADER_SIZE = 5
};

// Firmware image files: the program reads bytes 16..150 of the 728-byte
// header (version, kind, CID, MID, model name). The library also reads bytes
// 0..3, the magic "QFW1", and bytes 4..7, the whole file's length (u32
// little-endian). An image whose length and header disagree is never flashed.
#define HIDUSB_FIRMWARE_MAGIC "QFW1"
// Header field offsets (u32 fields little-endian; the name is 64 bytes, up
// to the first NUL).
enum {
    HIDUSB_FIRMWARE_LENGTH_OFFSET = 4,
    HIDUSB_FIRMWARE_VERSION_OFFSET = 16,
    HIDUSB_FIRMWARE_KIND_OFFSET = 20,
    HIDUSB_FIRMWARE_CID_OFFSET = 21,
    HIDUSB_FIRMWARE_MID_OFFSET = 22,
    HIDUSB_FIRMWARE_NAME_OFFSET = 87,
    HIDUSB_FIRMWARE_NAME_SIZE = 64
};

// Upgrade status packets (first three bytes): byte 0 = 7; byte 1 = 1 progress
// (byte 2 percent) or 2 result (byte 2 = 1 success, anything else failure).
enum {
    HIDUSB_UPGRADE_STATUS = 7,
    HIDUSB_UPGRADE_PROGRESS = 1,
    HIDUSB_UPGRADE_RESULT = 2
};

typedef void (*HidUsbDataCallback)(const unsigned char* header, int headerLength,
                                   const unsigned char* data, int dataLength);
typedef void (*HidUsbChangedCallback)(void);
typedef void (*HidUsbUpgradeCallback)(const unsigned char* packet, int length);

// ---- Device finding and direct requests -------------------------------------

// Paths of the devices with this vendor and product id (hexadecimal texts,
// with or without "0x"). ByDefaultDeviceId: on entry *count is the most the
// caller takes. ByDeviceId: maxCount is the most the caller takes, and *count
// is not read on entry (callers may leave it unset). On return *count is the
// number of paths in the array, which ends with a null entry.
const char** UsbFinderC_FindHidDevicesByDeviceId(const char* vid, const char* pid,
                                                 int usagePage, int maxCount, int* count);
const char** UsbFinderC_FindHidDevicesByDefaultDeviceId(const char* vid, const char* pid, int* count);

// Fills the 12-byte HID attributes cell: u32 size, u16 vendor id, u16 product
// id, u16 version number (bytes 8-9). Returns 0 for an unknown path.
unsigned char UsbFinderC_GetUsbDeviceAttribute(const char* path, unsigned char* attributes);

// Three bytes: CID, MID, device type. All zero for an unknown path or a
// device that does not answer.
const unsigned char* UsbFinderC_GetDeviceInfo(const char* path);

// Non-zero when the mouse answers: a wired mouse that is plugged in, or the
// awake paired mouse behind a receiver.
unsigned char UsbFinderC_GetDeviceOnLine(const char* path);

// Fills the receiver state cell: byte 6 is 1 when the paired mouse is online,
// bytes 7, 8, 9 are the receiver id. Returns the online byte.
unsigned char UsbFinderC_GetDeviceOnLineWithUsbAddress(const char* path, unsigned char* state);

// Firmware version word (major << 8 | minor) of the mouse at or behind the
// path; 0 when there is none.
int UsbFinderC_GetVersion(const char* path);

// Firmware version word of the receiver at the path. Returns 0 on failure.
unsigned char UsbFinderC_GetSlaveVersion(const char* path, int* version);

// Receiver LED state: byte 0 the mode 1..3, bytes 1-9 the receiver's own.
unsigned char UsbFinderC_Get4KDongleRGBValue(const char* path, unsigned char* rgb);
unsigned char UsbFinderC_Set4KDongleRGB(const char* path, const unsigned char* rgb);

// Long-range mode: the cell receives 1 on, 0 off; it is left unchanged when
// the receiver does not answer.
unsigned char UsbFinderC_GetLongRangeMode(const char* path, unsigned char* cell);
unsigned char UsbFinderC_SetLongRangeMode(const char* path, int on);

// Gives the mouse at the path the receiver id record {id0, id1, id2, 0, rate}.
unsigned char UsbFinderC_SetDongleIDToMouse(const char* path, const unsigned char* idRecord);

// Direct request/reply I/O with a device screen.
unsigned char UsbFinderC_OpenDevice(const char* path);
int UsbFinderC_ReadWriteDeviceData(unsigned char* request, unsigned char* reply, unsigned char length);

// ---- Device connection -------------------------------------------------------

// Opens the connection to the device at the path; its reports reach the
// callback on the library's own thread. Returns 0 for an unknown path. Any
// earlier connection ends either way, and its reports not yet delivered are
// dropped.
unsigned char UsbServerC_Start(const char* path, const char* path2, HidUsbDataCallback callback);
// Ends the connection. Never waits for the callback thread.
void UsbServer_Exit(void);
void UsbServer_SetPCDriverStatus(int status);

// Read requests: each is answered by one report.
void UsbServer_ReadAllFlashData(void);
void UsbServer_ReadBatteryLevel(void);
void UsbServer_ReadConfig(void);
void UsbServer_ReadCurrentDPI(void);
void UsbServer_ReadDPILed(void);
void UsbServer_ReadLedBar(void);
void UsbServer_ReadReportRate(void);
void UsbServer_ReadVersion(void);

void UsbServer_SetBatteryOptimizeEnable(int enable);
// Factory reset; the device answers later with the after-reset report.
void UsbServer_SetClearSetting(void);
// Makes the onboard profile current; its image follows as a full image.
void UsbServer_SetCurrentConfig(unsigned char profile);
// Pairing: the outcome arrives as a pair-status report.
void UsbServer_EnterDonglePairOnlyCid(int cid);
void UsbServer_ReadDonglePairStatus(void);

// ---- Record encoding -----------------------------------------------------------

// Fills the whole 10,428-byte record from a 6,912-byte image. Returns 0 when
// the image is not valid (the record is then left unchanged).
unsigned char ProtocolDataParser(const unsigned char* image, void* record);
// Sends the whole record to the open device. Returns non-zero when the device
// took it; a record the device cannot hold is refused and changes nothing.
// Produces no report.
unsigned char ProtocolDataUpdate(const void* record);
// Fill the DPI-light bytes (4, at record byte 0x3f) and the light-bar bytes
// (7, at record byte 0x43) from their report payloads.
void BufferToDPILed(const unsigned char* data, unsigned char* dpiLed);
void BufferToLedBar(const unsigned char* data, unsigned char* ledBar);
// Battery cell: byte 0 level, byte 1 non-zero while charging.
void GetDeviceBatteryStatus(const unsigned char* data, unsigned char* cell);
// Status-change cell: one flag byte each for current DPI, report rate,
// configuration, DPI light, (unused), light bar, battery.
void GetDeviceStatusChanged(const unsigned char* data, unsigned char* cell);

// ---- Plug and unplug -------------------------------------------------------------

// Registers the one plug/unplug callback, replacing any earlier one. Calls it
// once on the caller's thread before returning, then after every plug or
// unplug on the Qt main thread.
void StartUsbChanged(HidUsbChangedCallback callback, int interval);
void StopUsbChanged(void);

// ---- Firmware upgrade ----------------------------------------------------------------

// Starts flashing the image (a whole image file in memory). Progress and the
// result reach the callback. Returns 0 when the run cannot start.
unsigned char UsbUpgrade_Start(const unsigned char* image, HidUsbUpgradeCallback callback, int timeout);
// *count: on entry the most to count; on return the devices waiting in boot
// mode for this image.
unsigned char UsbUpgradeC_FindBootDevices(const unsigned char* image, int* count);
// Eight NUL-terminated lines about the last run.
const char** UsbUpgradeC_GetLogs(void);

#ifdef __cplusplus
}
#endif
