#include "core/setters.h"

#include "core/globals.h"
#include "core/postmsg.h"
#include "platform/hidusb/hidusb.h"

#include <QByteArray>
#include <QDebug>

#include <cstring>
#include <vector>

namespace {

// The changes one setter makes to CurrentFlashData, with the bytes they
// replaced, so that a record the device refuses can be taken back.
class RecordEdit
{
public:
    void put(uint8_t* field, int value)
    {
        const uint8_t byte = uint8_t(value & 0xff);
        copy(field, &byte, 1);
    }

    void copy(void* field, const void* source, size_t size)
    {
        unsigned char* target = static_cast<unsigned char*>(field);
        saved.push_back({offsetOf(target), QByteArray(reinterpret_cast<const char*>(target), int(size))});
        std::memmove(target, source, size);
    }

    bool send()
    {
        if (ProtocolDataUpdate(&CurrentFlashData))
            return true;
        qWarning() << "the device refused the record; the change is taken back";
        for (auto it = saved.rbegin(); it != saved.rend(); ++it)
            std::memcpy(recordBytes() + it->offset, it->old.constData(), size_t(it->old.size()));
        return false;
    }

private:
    struct Saved
    {
        size_t offset;
        QByteArray old;
    };

    static unsigned char* recordBytes() { return reinterpret_cast<unsigned char*>(&CurrentFlashData); }

    static size_t offsetOf(const unsigned char* field)
    {
        Q_ASSERT(field >= recordBytes() && field < recordBytes() + sizeof(FlashDataMap));
        return size_t(field - recordBytes());
    }

    std::vector<Saved> saved;
};

template <typename Edit>
bool writeRecord(Edit edit)
{
    if (!CheckDeviceOnline())
        return false;
    RecordEdit record;
    edit(record);
    return record.send();
}

bool validStage(int stage)
{
    if (stage >= 0 && stage < kDpiStageCount)
        return true;
    qWarning() << "DPI stage" << stage << "is outside 0..7; nothing is written";
    return false;
}

bool validButton(int button)
{
    if (button >= 0 && button < kButtonCount)
        return true;
    qWarning() << "button" << button << "is outside 0..15; nothing is written";
    return false;
}

bool setByte(uint8_t FlashDataMap::*field, int value)
{
    return writeRecord([&](RecordEdit& record) { record.put(&(CurrentFlashData.*field), value); });
}

// Mode 0 switches the effect off and keeps the last mode; others set both.
bool setModeWithSwitch(uint8_t FlashDataMap::*mode, uint8_t FlashDataMap::*on, int value)
{
    return writeRecord([&](RecordEdit& record) {
        if (uint8_t(value & 0xff) == 0) {
            record.put(&(CurrentFlashData.*on), 0);
        } else {
            record.put(&(CurrentFlashData.*on), 1);
            record.put(&(CurrentFlashData.*mode), value);
        }
    });
}

template <typename Block>
bool setButtonWithBlock(int button, const ButtonParam* param, const Block* block, Block* recordBlocks)
{
    if (!validButton(button))
        return false;
    if (!param || !block) {
        qWarning() << "button" << button << "given no assignment or block; nothing is written";
        return false;
    }
    return writeRecord([&](RecordEdit& record) {
        record.copy(&CurrentFlashData.buttons[button], param, sizeof(ButtonParam));
        record.copy(&recordBlocks[button], block, sizeof(Block));
    });
}

} // namespace

bool DeviceAcceptsWrites()
{
    return deviceRecordReceived && UsbFinderC_GetDeviceOnLine(devicePath);
}

bool DeviceRefusedWrite(bool written)
{
    return !written && DeviceAcceptsWrites();
}

bool CheckDeviceOnline()
{
    if (DeviceAcceptsWrites())
        return true;
    if (!buttonPageFilling && !sensorPageFilling)
        PostMsg::GetInstance()->PostMouseOffLineo(0);
    return false;
}

bool SetReportRate(int code) { return setByte(&FlashDataMap::reportRate, code); }
bool SetLiftOffDistance(int code) { return setByte(&FlashDataMap::liftOffDistance, code); }
bool SetDebounceTime(int value) { return setByte(&FlashDataMap::debounceTime, value); }
bool SetMotionSync(int on) { return setByte(&FlashDataMap::motionSync, on); }
bool SetSleepTime(int value) { return setByte(&FlashDataMap::sleepTime, value); }
bool SetStraightLine(int on) { return setByte(&FlashDataMap::angleSnapping, on); }
bool SetRippleControl(int on) { return setByte(&FlashDataMap::rippleControl, on); }
bool SetLightRippleControl(int on) { return setByte(&FlashDataMap::lightRippleControl, on); }
bool SetPerformanceMode(int on) { return setByte(&FlashDataMap::performanceMode, on); }
bool SetPerformanceLevel(int value) { return setByte(&FlashDataMap::performanceLevel, value); }
bool SetSensorMode(int value) { return setByte(&FlashDataMap::sensorMode, value); }
bool SetDpiLightBrightness(int value) { return setByte(&FlashDataMap::dpiLightBrightness, value); }
bool SetDpiLightSpeed(int value) { return setByte(&FlashDataMap::dpiLightSpeed, value); }
bool SetLightSpeed(int value) { return setByte(&FlashDataMap::lightSpeed, value); }
bool SetLightBrightness(int value) { return setByte(&FlashDataMap::lightBrightness, value); }

bool SetCurrentDpiStage(int stage)
{
    return validStage(stage) && setByte(&FlashDataMap::currentDpiStage, stage);
}

bool SetDpiStageValue(int stage, int b0, int b1, int b2)
{
    if (!validStage(stage))
        return false;
    return writeRecord([&](RecordEdit& record) {
        DpiStage& entry = CurrentFlashData.dpiStages[stage];
        record.put(&entry.codeX, b0);
        record.put(&entry.codeY, b1);
        record.put(&entry.range, b2);
    });
}

bool SetDpiStageColor(int stage, int r, int g, int b)
{
    if (!validStage(stage))
        return false;
    return writeRecord([&](RecordEdit& record) {
        DpiStage& entry = CurrentFlashData.dpiStages[stage];
        record.put(&entry.red, r);
        record.put(&entry.green, g);
        record.put(&entry.blue, b);
    });
}

bool SwapDpiStages(const DpiStage* first, const DpiStage* second, int firstSlot, int secondSlot, int stage)
{
    if (!validStage(firstSlot) || !validStage(secondSlot) || !validStage(stage))
        return false;
    if (!first || !second) {
        qWarning() << "DPI stage swap given no entries; nothing is written";
        return false;
    }
    // Copies first: the entries may be the record's own slots.
    const DpiStage firstEntry = *first;
    const DpiStage secondEntry = *second;
    return writeRecord([&](RecordEdit& record) {
        record.copy(&CurrentFlashData.dpiStages[secondSlot], &firstEntry, sizeof(DpiStage));
        record.copy(&CurrentFlashData.dpiStages[firstSlot], &secondEntry, sizeof(DpiStage));
        record.put(&CurrentFlashData.currentDpiStage, stage);
        record.put(&CurrentFlashData.dpiStageCount, stage + 1);
    });
}

bool SetDpiLightMode(int mode)
{
    return setModeWithSwitch(&FlashDataMap::dpiLightMode, &FlashDataMap::dpiLightOn, mode);
}

bool SetLightMode(int mode)
{
    return setModeWithSwitch(&FlashDataMap::lightMode, &FlashDataMap::lightOn, mode);
}

bool SetLightColor(int r, int g, int b)
{
    return writeRecord([&](RecordEdit& record) {
        record.put(&CurrentFlashData.lightColor[0], r);
        record.put(&CurrentFlashData.lightColor[1], g);
        record.put(&CurrentFlashData.lightColor[2], b);
    });
}

bool SetButtonAssignment(int button, int type, int value1, int value2)
{
    if (!validButton(button))
        return false;
    return writeRecord([&](RecordEdit& record) {
        ButtonParam& entry = CurrentFlashData.buttons[button];
        record.put(&entry.type, type);
        record.put(&entry.value1, value1);
        record.put(&entry.value2, value2);
    });
}

bool SetButtonKeyBlock(int button, const ButtonParam* param, const KeyBlock* block)
{
    return setButtonWithBlock(button, param, block, CurrentFlashData.keyBlocks);
}

bool SetButtonMacro(int button, const ButtonParam* param, const MacroBlock* block)
{
    return setButtonWithBlock(button, param, block, CurrentFlashData.macroBlocks);
}
