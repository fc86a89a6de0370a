// A device macro block read into event rows. Whatever the 592 bytes, the rows
// stay within 70 events, alternate key and delay rows (a delay row after the
// last key only for a pause that is not 0), and the rows sent back as a block
// keep every event's action and pause, the last one's included, and read as
// themselves. The name kept of the device's reads back as itself.
#include "fuzzsupport.h"

#include "core/flashdatamap.h"
#include "macro/macroblock.h"
#include "widgets/macroname.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    MacroBlock block;
    std::memset(&block, 0, sizeof block);
    std::memcpy(&block, data, qMin(size, sizeof block));

    const QVector<MacroRow> rows = macroRowsFromBlock(block);
    fuzz::check(rows.size() <= kMaxMacroBlockRows, "more rows than a block holds");
    const int count = macroBlockEventCount(block);
    fuzz::check(rows.size() == 2 * count - (count > 0 && block.events[count - 1].delay() == 0 ? 1 : 0),
                "rows other than a key row per event and a delay row per pause");
    for (int i = 0; i < rows.size(); ++i) {
        const MacroRow& row = rows.at(i);
        if (i % 2 == 1) {
            bool number = false;
            QString(row.text).chopped(2).toUInt(&number);
            fuzz::check(row.text.endsWith(QLatin1String("ms")) && number && row.type == 0, "a malformed delay row");
        } else {
            fuzz::check(!isDelayText(row.text) && (row.type == 0 || row.type == 1), "a malformed key row");
        }
    }

    const QString name = safeMacroName(macroBlockName(block));
    fuzz::check(isMacroFileName(name), "a device name that is no file name");
    fuzz::check(QString::fromLocal8Bit(name.toLocal8Bit()) == name, "a device name that reads back as another");

    const MacroBlock again = macroBlockFromRows(macroBlockName(block), rows);
    fuzz::check(again.nameLength <= kMacroNameSize && again.eventCount == macroBlockEventCount(block),
                "a block sent back out of bounds");
    for (int i = 0; i < again.eventCount; ++i) {
        const DeviceEvent& e = again.events[i];
        const DeviceEvent& o = block.events[i];
        fuzz::check(e.action == (o.action == 0 ? 0 : 1) && e.delay() == o.delay(),
                    "an event sent back with another action or pause");
    }
    fuzz::check(macroFileGivesBlock(macroFileBytes(QStringLiteral("1"), rows), block),
                "the device's rows as a file give another block");
    const QVector<MacroRow> back = macroRowsFromBlock(again);
    fuzz::check(back.size() == rows.size(), "rows sent back read as another count");
    for (int i = 0; i < rows.size(); ++i)
        fuzz::check(back.at(i).text == rows.at(i).text && back.at(i).type == rows.at(i).type,
                    "a row sent back reads as another");
    return 0;
}
