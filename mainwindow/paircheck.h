#pragma once
// What the home page and the main window ask before they pair a mouse with
// its receiver: the mouse firmware version last recorded for the model, and
// whether a firmware image of another version exists for the mouse or for
// the receiver.
#include "core/deviceinfo.h"

#include <QString>

class PairCheck
{
public:
    explicit PairCheck(const DeviceAllInfo& device);

    // The registry's "MouseVer" + CID + MID; "" when none was recorded.
    QString mouseVersion() const;
    // A mouse image of another version than mouseVersion().
    bool mouseUpdate() const;
    // A receiver image of another version than the device's USB version. A
    // device without a receiver key asks nothing; so does an empty name for
    // any key but "DM".
    bool receiverUpdate() const;

private:
    DeviceAllInfo device;
    QString group;
    QString cidText;
    QString midText;
};

// The receiver's firmware key for a device type ("" for a mouse).
QString receiverFirmwareKey(uint8_t deviceType);
