#pragma once
// The record of one found device and the receiver LED cell.

#include "platform/hidusb/hidusb.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <cstdint>

struct DeviceAllInfo
{
    QString path;                // HID path: the handle of every library call
    QString vid = QStringLiteral("0");
    QString pid = QStringLiteral("0");
    uint16_t idPair = 0;         // low byte CID, high byte MID
    // No identity has been read into a fresh record; 0 keeps it predictable.
    uint8_t deviceType = 0;      // 0, 1, 4, 5 receivers; anything else a mouse
    int modelIndex = 0;          // n - 1 for "Drive" + n; "DeviceTotal" when unknown
    uint8_t online = 0;
    uint8_t isMouse = 0;
    QString usbVersionText;
    QString firmwareVersionText;
    QByteArray usbAddress;       // the three receiver id bytes

    uint8_t cid() const { return uint8_t(idPair & 0xff); }
    uint8_t mid() const { return uint8_t(idPair >> 8); }
};

// True for every device type but the receivers' 0, 1, 4 and 5.
inline bool isMouseType(uint8_t deviceType)
{
    return (deviceType & 0xFA) != 0;
}

// The rate class (kHz) of a receiver type: 0 → 1, 4 → 2, 1 → 4, 5 → 8;
// 0 for a mouse.
int receiverRateClass(uint8_t deviceType);

// "v" + decimal high byte + "." + low byte as two upper-case hex digits.
QString versionText(int versionWord);

// The per-device cache file name, "Device_CID0A_MID3F.bin".
QString deviceCacheFileName(int cid, int mid);
inline QString deviceCacheFileName(uint16_t idPair)
{
    return deviceCacheFileName(idPair & 0xff, idPair >> 8);
}

// The paths of one device search, copied: the library's array lives only
// until its next search.
QList<QByteArray> keptSearchPaths(const char* const* found, int count);

// The record of a device a search found: its path, the vendor and product id
// texts searched with, and the USB version from its HID attributes; offline
// and without identity until the identity is read.
DeviceAllInfo searchedDeviceRecord(const QByteArray& path, const QString& vid, const QString& pid);

// Asks a device its identity (CID, MID, type) until CID or MID is not 0, at
// most ten times. True when one of the first nine answers names it; the tenth
// answer is taken for its type byte only. `answer` holds the last answer.
bool readDeviceIdentity(const char* path, uint8_t (&answer)[3]);

// The receiver LED state as the device library reads and writes it.
struct DongleRGB
{
    uint8_t mode;        // LED indicator mode 1..3
    uint8_t data[9];     // the receiver's own bytes, never interpreted
};
static_assert(sizeof(DongleRGB) == HIDUSB_DONGLE_RGB_SIZE, "DongleRGB is the library's 10-byte cell");
