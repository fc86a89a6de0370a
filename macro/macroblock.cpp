#include "macro/macroblock.h"

#include "core/flashdatamap.h"
#include "macro/keynames.h"
#include "widgets/macroname.h"

#include <cstring>

static_assert(kMaxMacroBlockRows == 2 * kMacroBlockEvents - 1, "row bound follows the block");

QVector<MacroRow> macroRowsFromBlock(const MacroBlock& block)
{
    QVector<MacroRow> rows;
    const int count = macroBlockEventCount(block);
    for (int i = 0; i < count; ++i) {
        const DeviceEvent& event = block.events[i];
        MacroRow key;
        key.text = event.kind == kMouseButtonKey ? mouseButtonName(event.code())
                                                 : keyNameForUsage(event.code(), event.kind);
        key.type = event.action == 0 ? 0 : 1;
        rows.append(key);
        if (i + 1 < count) {
            MacroRow delay;
            delay.text = delayText(event.delay());
            rows.append(delay);
        }
    }
    return rows;
}

MacroBlock macroBlockFromRows(const QString& name, const QVector<MacroRow>& rows)
{
    MacroBlock block;
    std::memset(&block, 0, sizeof block);
    setMacroBlockName(block, name);
    const int taken = qMin(rows.size(), kMaxMacroBlockRows);
    int slot = 0;
    for (int position = 0; position < taken; ++position) {
        const MacroRow& row = rows.at(position);
        DeviceEvent& event = block.events[slot];
        if (position % 2 == 0) {
            writeKeyEventCode(rowKeyCodes(row), event);
            event.action = row.type == 0 ? 0 : 1;
            event.setDelay(0);
        } else {
            // A text that is no unsigned number (a key name here, a negative
            // or an oversized count) is no pause.
            bool ok = false;
            const uint delay = QString(row.text).remove(QLatin1String("ms")).toUInt(&ok);
            event.setDelay(ok ? delay : 0);
            ++slot;
        }
    }
    block.eventCount = uint8_t(slot + (taken > 0 ? 1 : 0));
    return block;
}
