#pragma once
// The simulated mouse's flash image and report payloads, and how they map to
// the configuration record. The image keeps the record's bytes before the
// macro blocks verbatim, then the 16 macros packed one after another (name
// length, name, event count, events), zero padding, and a 4-byte trailer
// (magic and checksum) that lets the parser tell an image from noise.

#include "platform/hidusb/hidusb.h"

#include <QByteArray>
#include <QString>

namespace hidsim {
namespace image {

// Record layout (little-endian, byte aligned).
enum : int {
    kReportRate = 0x00,
    kDpiStageCount = 0x01,
    kCurrentDpiStage = 0x02,
    kDpiStages = 0x0f,
    kDpiStageSize = 6,
    kDpiStageSlots = 8,
    kDpiLed = 0x3f,
    kDpiLedSize = 4,
    kLedBar = 0x43,
    kLedBarSize = 7,
    kButtons = 0x4a,
    kKeyBlocks = 0x7c,
    kKeyBlockSize = 52,
    kKeyEventsMax = 6,
    kMacroBlocks = 0x3bc,
    kMacroBlockSize = 592,
    kMacroNameMax = 30,
    kMacroCountByte = 31,
    kMacroEvents = 32,
    kMacroEventsMax = 70,
    kEventSize = 8,
    kBlocks = 16,

    kTrailerSize = 4,
    // Room for the packed macros between the verbatim part and the trailer.
    kMacroSpace = HIDUSB_IMAGE_SIZE - kMacroBlocks - kTrailerSize,

    kDpiLedPayloadSize = 8,
    kLedBarPayloadSize = 9,
    kBatteryPayloadSize = 4,
    kStatusPayloadSize = 2,
    kProfiles = 4
};

// Why the device cannot hold this record (counts out of bounds, macros too
// large for its memory), or an empty text when it can.
QString recordProblem(const unsigned char* record);

// Record -> image. Returns false (image untouched) when recordProblem() is not
// empty.
bool pack(const unsigned char* record, unsigned char* image);

// Image -> record. Returns false (record untouched) for an invalid image.
bool unpack(const unsigned char* image, unsigned char* record);

// Writes the trailer (magic and checksum) over the image's last
// kTrailerSize bytes, as pack() does; the fuzz harnesses seal what they
// made up, so the parser gets past its checksum.
void seal(unsigned char* image);

// The record as the device keeps it, equal to pack() then unpack(): every byte
// the image cannot carry (padding behind a macro's name or events) reads as
// zero. Empty when the record cannot be stored.
QByteArray canonical(const QByteArray& record);

// A mouse's factory record for onboard profile 0..3. The model's buttons
// are those of the installation's catalogue (its "KeyParam" defaults).
QByteArray factoryRecord(int profile, const QString& model = QString());

// Report payloads and their decoders (the decoders are the library's
// BufferToDPILed, BufferToLedBar, GetDeviceBatteryStatus and
// GetDeviceStatusChanged).
QByteArray dpiLedPayload(const QByteArray& record);
QByteArray ledBarPayload(const QByteArray& record);
QByteArray batteryPayload(int percent, bool charging);
void decodeDpiLed(const unsigned char* payload, unsigned char* dpiLed);
void decodeLedBar(const unsigned char* payload, unsigned char* ledBar);
void decodeBattery(const unsigned char* payload, unsigned char* cell);

// Status-change flags, one bit per value the device changed by itself; the
// bit numbers are the positions in the 7-byte status cell.
enum StatusFlag : int {
    kStatusCurrentDpi = 1 << 0,
    kStatusReportRate = 1 << 1,
    kStatusConfig = 1 << 2,
    kStatusDpiLed = 1 << 3,
    kStatusLedBar = 1 << 5,
    kStatusBattery = 1 << 6
};
QByteArray statusPayload(int flags);
void decodeStatus(const unsigned char* payload, unsigned char* cell);

} // namespace image
} // namespace hidsim
