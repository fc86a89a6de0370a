#include "core/flashdatamap.h"

#include <cstring>

FlashDataMap CurrentFlashData = {};

uint16_t DeviceEvent::code() const
{
    return static_cast<uint16_t>(codeLE[0] | (codeLE[1] << 8));
}

void DeviceEvent::setCode(uint16_t value)
{
    codeLE[0] = static_cast<uint8_t>(value & 0xff);
    codeLE[1] = static_cast<uint8_t>(value >> 8);
}

uint32_t DeviceEvent::delay() const
{
    return uint32_t(delayLE[0]) | (uint32_t(delayLE[1]) << 8) | (uint32_t(delayLE[2]) << 16)
           | (uint32_t(delayLE[3]) << 24);
}

void DeviceEvent::setDelay(uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        delayLE[i] = static_cast<uint8_t>((value >> (8 * i)) & 0xff);
}

QByteArray flashDataBytes(const FlashDataMap& record)
{
    return QByteArray(reinterpret_cast<const char*>(&record), int(sizeof(FlashDataMap)));
}

bool flashDataFromBytes(const QByteArray& bytes, FlashDataMap* record)
{
    if (!record || bytes.size() != int(sizeof(FlashDataMap)))
        return false;
    std::memcpy(record, bytes.constData(), sizeof(FlashDataMap));
    return true;
}

int macroBlockEventCount(const MacroBlock& block)
{
    return block.eventCount < kMacroBlockEvents ? int(block.eventCount) : int(kMacroBlockEvents);
}

bool recordCountsInBounds(const FlashDataMap& record)
{
    for (const KeyBlock& keys : record.keyBlocks) {
        if (keys.count > kKeyBlockEvents)
            return false;
    }
    for (const MacroBlock& macro : record.macroBlocks) {
        if (macro.nameLength > kMacroNameSize || macro.eventCount > kMacroBlockEvents)
            return false;
    }
    return true;
}
