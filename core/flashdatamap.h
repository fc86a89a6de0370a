#pragma once
// The device's whole configuration as one fixed-layout record of 10,428 bytes.
//
// Every member is a byte or an array of bytes, so the structs have alignment 1
// and no padding: the layout in memory is the layout on the wire and in files.
// Multi-byte numbers are little-endian byte arrays read and written through
// accessors, never through a wider type, so no access is ever misaligned.

#include "platform/hidusb/hidusb.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>

// One DPI stage: the sensor's register codes and the stage colour.
struct DpiStage
{
    uint8_t codeX;  // DPI register code (X)
    uint8_t codeY;  // DPI register code (Y)
    uint8_t range;  // range code (high register bits for some sensors)
    uint8_t red;
    uint8_t green;
    uint8_t blue;
};

// The assignment of one button: the function and its two parameters.
struct ButtonParam
{
    uint8_t type;
    uint8_t value1;
    uint8_t value2;
};

// One key or macro event.
struct DeviceEvent
{
    uint8_t action;       // 0 press, 1 release
    uint8_t kind;         // 0 modifier bits, 1 keyboard usage, 2 consumer usage, ...
    uint8_t codeLE[2];    // u16 little-endian
    uint8_t delayLE[4];   // u32 little-endian, milliseconds after the event

    uint16_t code() const;
    void setCode(uint16_t value);
    uint32_t delay() const;
    void setDelay(uint32_t value);
};

enum {
    kDpiStageCount = 8,
    kButtonCount = 16,
    kKeyBlockEvents = 6,
    kMacroNameSize = 30,
    kMacroBlockEvents = 70
};

// The key events one button sends (two events per key).
struct KeyBlock
{
    uint8_t count;
    uint8_t reserved[3];
    DeviceEvent events[kKeyBlockEvents];
};

// The macro one button plays.
struct MacroBlock
{
    uint8_t nameLength;
    uint8_t name[kMacroNameSize];  // local 8-bit encoding, zero after the name
    uint8_t eventCount;
    DeviceEvent events[kMacroBlockEvents];
};

struct FlashDataMap
{
    uint8_t reportRate;          // 0x00: 8 125 Hz, 4 250, 2 500, 1 1000, 16 2000, 32 4000, 64 8000
    uint8_t dpiStageCount;       // 0x01: 1..8
    uint8_t currentDpiStage;     // 0x02: 0..7
    uint8_t reserved03;          // 0x03: carried through untouched
    uint8_t reserved04;          // 0x04: carried through untouched
    uint8_t liftOffDistance;     // 0x05
    uint8_t debounceTime;        // 0x06
    uint8_t motionSync;          // 0x07
    uint8_t sleepTime;           // 0x08: units of 10 s
    uint8_t angleSnapping;       // 0x09
    uint8_t rippleControl;       // 0x0a
    uint8_t lightRippleControl;  // 0x0b
    uint8_t performanceMode;     // 0x0c
    uint8_t performanceLevel;    // 0x0d
    uint8_t sensorMode;          // 0x0e
    DpiStage dpiStages[kDpiStageCount];  // 0x0f
    uint8_t dpiLightMode;        // 0x3f
    uint8_t dpiLightBrightness;  // 0x40
    uint8_t dpiLightSpeed;       // 0x41
    uint8_t dpiLightOn;          // 0x42
    uint8_t lightMode;           // 0x43
    uint8_t lightColor[3];       // 0x44: R, G, B
    uint8_t lightSpeed;          // 0x47
    uint8_t lightBrightness;     // 0x48
    uint8_t lightOn;             // 0x49
    ButtonParam buttons[kButtonCount];     // 0x4a
    uint8_t reserved7a[2];       // 0x7a: carried through untouched
    KeyBlock keyBlocks[kButtonCount];      // 0x7c
    MacroBlock macroBlocks[kButtonCount];  // 0x3bc, ends at 0x28bc
};

static_assert(sizeof(DpiStage) == 6, "DpiStage is 6 bytes");
static_assert(sizeof(ButtonParam) == 3, "ButtonParam is 3 bytes");
static_assert(sizeof(DeviceEvent) == 8, "DeviceEvent is 8 bytes");
static_assert(sizeof(KeyBlock) == 52, "KeyBlock is 52 bytes");
static_assert(offsetof(KeyBlock, events) == 4, "key events start at byte 4");
static_assert(sizeof(MacroBlock) == 592, "MacroBlock is 592 bytes");
static_assert(offsetof(MacroBlock, eventCount) == 31, "macro event count at byte 31");
static_assert(offsetof(MacroBlock, events) == 32, "macro events start at byte 32");
static_assert(alignof(FlashDataMap) == 1, "the record is byte-aligned");
static_assert(sizeof(FlashDataMap) == 10428, "the record is 10,428 bytes");
static_assert(sizeof(FlashDataMap) == HIDUSB_RECORD_SIZE, "the record is what the device library expects");
static_assert(offsetof(FlashDataMap, reserved03) == 0x03, "layout");
static_assert(offsetof(FlashDataMap, liftOffDistance) == 0x05, "layout");
static_assert(offsetof(FlashDataMap, sensorMode) == 0x0e, "layout");
static_assert(offsetof(FlashDataMap, dpiStages) == 0x0f, "layout");
static_assert(offsetof(FlashDataMap, dpiLightMode) == 0x3f, "layout");
static_assert(offsetof(FlashDataMap, dpiLightOn) == 0x42, "layout");
static_assert(offsetof(FlashDataMap, lightMode) == 0x43, "layout");
static_assert(offsetof(FlashDataMap, lightColor) == 0x44, "layout");
static_assert(offsetof(FlashDataMap, lightOn) == 0x49, "layout");
static_assert(offsetof(FlashDataMap, buttons) == 0x4a, "layout");
static_assert(offsetof(FlashDataMap, reserved7a) == 0x7a, "layout");
static_assert(offsetof(FlashDataMap, keyBlocks) == 0x7c, "layout");
static_assert(offsetof(FlashDataMap, macroBlocks) == 0x3bc, "layout");
static_assert(offsetof(FlashDataMap, macroBlocks) + kButtonCount * sizeof(MacroBlock) == 0x28bc, "layout");

// The record of the open device; all zero at start.
extern FlashDataMap CurrentFlashData;

// The record's 10,428 raw bytes, as written to cache and export files.
QByteArray flashDataBytes(const FlashDataMap& record);

// Copies a block into the record only when it is exactly one record long;
// anything else leaves the record untouched and returns false.
bool flashDataFromBytes(const QByteArray& bytes, FlashDataMap* record);

// A macro block's event count, at most the 70 events it has room for.
int macroBlockEventCount(const MacroBlock& block);

// True when every key block, macro name and macro event count stays within
// its block (at most 6 key events, 30 name bytes and 70 macro events).
bool recordCountsInBounds(const FlashDataMap& record);
