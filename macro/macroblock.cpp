#include "macro/macroblock.h"

#include "core/flashdatamap.h"
#include "macro/keynames.h"
#include "widgets/macroname.h"

#include <cstring>
#include <limits>

static_assert(kMaxMacroBlockRows == 2 * kMacroBlockEvents, "row bound follows the block");

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
        // The last pause is a row only when there is one: a file written
        // before it had a row reads the same.
        if (i + 1 < count || event.delay() != 0) {
            MacroRow delay;
            delay.text = delayText(event.delay());
            rows.append(delay);
        }
    }
    return rows;
}

namespace {

// The milliseconds of a delay row's text, held at what an event can say.
uint32_t delayOfText(const QString& text)
{
    const QString digits = QString(text).remove(QLatin1String("ms"));
    if (digits.isEmpty())
        return 0;
    quint64 ms = 0;
    for (const QChar c : digits) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return 0;
        ms = qMin<quint64>(ms * 10 + quint64(c.unicode() - '0'), std::numeric_limits<uint32_t>::max());
    }
    return uint32_t(ms);
}

struct KeyEvent
{
    const MacroRow* row;
    uint32_t delay;
};

// A pause grows by another, held at the 32 bits a device event has.
void addPause(uint32_t* pause, uint32_t more)
{
    *pause = uint32_t(qMin<quint64>(quint64(*pause) + more, std::numeric_limits<uint32_t>::max()));
}

} // namespace

MacroBlock macroBlockFromRows(const QString& name, const QVector<MacroRow>& rows)
{
    // Every key row with the pause after it, whatever the rows' placement.
    QVector<KeyEvent> keys;
    for (const MacroRow& row : rows) {
        if (!isDelayText(row.text)) {
            keys.append({&row, 0});
        } else if (!keys.isEmpty()) {
            addPause(&keys.last().delay, delayOfText(row.text));
        }
    }

    QVector<KeyEvent> taken = keys.mid(0, kMacroBlockEvents);
    if (keys.size() > kMacroBlockEvents) {
        // A press whose release was left out would keep its key held.
        auto releasedAfter = [](const QVector<KeyEvent>& events, int from, const MacroRow& press) {
            for (int j = from; j < events.size(); ++j) {
                if (events.at(j).row->type != 0 && isSameKey(*events.at(j).row, press))
                    return true;
            }
            return false;
        };
        QVector<KeyEvent> kept;
        for (int i = 0; i < taken.size(); ++i) {
            const MacroRow& row = *taken.at(i).row;
            if (row.type == 0 && !releasedAfter(taken, i + 1, row) && releasedAfter(keys, i + 1, row)) {
                // The keys after it still wait as long as they did.
                if (!kept.isEmpty())
                    addPause(&kept.last().delay, taken.at(i).delay);
                continue;
            }
            kept.append(taken.at(i));
        }
        // No pause towards a key that was left out, whichever event ends up last.
        if (!kept.isEmpty())
            kept.last().delay = 0;
        taken = kept;
    }

    MacroBlock block;
    std::memset(&block, 0, sizeof block);
    setMacroBlockName(block, name);
    for (int i = 0; i < taken.size(); ++i) {
        DeviceEvent& event = block.events[i];
        writeKeyEventCode(rowKeyCodes(*taken.at(i).row), event);
        event.action = taken.at(i).row->type == 0 ? 0 : 1;
        event.setDelay(taken.at(i).delay);
    }
    block.eventCount = uint8_t(taken.size());
    return block;
}

bool macroFileGivesBlock(const QByteArray& bytes, const MacroBlock& block)
{
    // Both built by the one builder: a device event no row can say reads
    // as what its row sends back.
    const MacroBlock mine = macroBlockFromRows(QString(), parseMacroFile(bytes).rows);
    const MacroBlock device = macroBlockFromRows(QString(), macroRowsFromBlock(block));
    return mine.eventCount == device.eventCount
        && std::memcmp(mine.events, device.events, sizeof(DeviceEvent) * mine.eventCount) == 0;
}
