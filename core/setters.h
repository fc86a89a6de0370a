#pragma once
// The device write setters: one per device field or group of fields. Each
// checks that the open device answers, stores the new bytes into
// CurrentFlashData, sends the whole record and tells whether the device took
// the change. Values are ints of which the low 8 bits are stored.
//
// A setter returns false and changes nothing when
// - a stage index is outside 0..7 or a button index outside 0..15;
// - the device is offline, or its record has not arrived since it was opened
//   (then SigMouseOffLineo(0) is emitted, unless the sensor or the button page
//   is filling its widgets);
// - the device refuses the record: the bytes the setter changed are restored.

#include "core/flashdatamap.h"

// Steps 1 and 2 of every setter alone: true when the device can take a write,
// otherwise the offline notice as above and false. Writes and sends nothing.
bool CheckDeviceOnline();
// The same test without the notice.
bool DeviceAcceptsWrites();

// Whether a setter's answer `written` was a refusal by the online device
// (rather than an offline device, which keeps the user's value on screen):
// CurrentFlashData then still holds the device's value, which the control
// that made the edit shows again.
bool DeviceRefusedWrite(bool written);

bool SetReportRate(int code);
bool SetCurrentDpiStage(int stage);
bool SetLiftOffDistance(int code);
bool SetDebounceTime(int value);
bool SetMotionSync(int on);
bool SetSleepTime(int value);
bool SetStraightLine(int on);
bool SetRippleControl(int on);
bool SetLightRippleControl(int on);
bool SetPerformanceMode(int on);
bool SetPerformanceLevel(int value);
bool SetSensorMode(int value);

// Bytes 0-2 (register codes) and 3-5 (colour) of one DPI stage.
bool SetDpiStageValue(int stage, int b0, int b1, int b2);
bool SetDpiStageColor(int stage, int r, int g, int b);
// Stores first into secondSlot and second into firstSlot, then makes stage
// the current stage and stage + 1 the stage count; one send.
bool SwapDpiStages(const DpiStage* first, const DpiStage* second, int firstSlot, int secondSlot, int stage);

// Mode 0 turns the DPI light off and keeps the last effect; any other mode
// turns it on with that effect.
bool SetDpiLightMode(int mode);
bool SetDpiLightBrightness(int value);
bool SetDpiLightSpeed(int value);

// The same rule as SetDpiLightMode, for the light bar.
bool SetLightMode(int mode);
bool SetLightColor(int r, int g, int b);
bool SetLightSpeed(int value);
bool SetLightBrightness(int value);

bool SetButtonAssignment(int button, int type, int value1, int value2);
bool SetButtonKeyBlock(int button, const ButtonParam* param, const KeyBlock* block);
bool SetButtonMacro(int button, const ButtonParam* param, const MacroBlock* block);
