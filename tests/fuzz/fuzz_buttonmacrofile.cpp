// The button page's reading of a macro file: the macro block a button plays
// and the file's head. The first byte is the length of the macro name that
// follows it (UTF-8); the rest is the file. Whatever the bytes, the block
// keeps its name within the 30-byte field and its events within the 70 slots,
// holds every key row the macro page shows (no blank event), and is the block the macro page sends for the same
// file, also once the page saved it again; the head is the repeat value the
// macro page shows.
#include "fuzzsupport.h"

#include "buttons/macroblockfile.h"
#include "macro/macroblock.h"
#include "macro/macrofile.h"
#include "widgets/macroname.h"

#include <cstring>

namespace {

bool sameBlock(const MacroBlock& a, const MacroBlock& b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray input = fuzz::bytes(data, size);
    const int nameBytes = input.isEmpty() ? 0 : qMin(int(uint8_t(input.at(0))), input.size() - 1);
    const QString name = QString::fromUtf8(input.mid(1, nameBytes));
    const QByteArray file = input.mid(1 + nameBytes);

    const MacroBlock block = macroBlockFromFile(name, file);
    fuzz::check(block.nameLength <= kMacroNameBytes, "a name longer than its field");
    for (int i = 0; i < kMacroNameBytes; ++i)
        fuzz::check((block.name[i] == 0) == (i >= block.nameLength), "name bytes and length disagree");
    fuzz::check(block.eventCount <= kMacroBlockEvents, "an event count out of the block");
    static const DeviceEvent zero = {};
    for (int i = 0; i < kMacroBlockEvents; ++i) {
        fuzz::check(block.events[i].action <= 1, "an event neither press nor release");
        if (i >= block.eventCount)
            fuzz::check(std::memcmp(&block.events[i], &zero, sizeof zero) == 0, "an event past the count");
    }

    // The macro page: the rows it shows for the file, the block it sends.
    const MacroFileContent content = parseMacroFile(file);
    const QString pageName = QString(name).remove(QChar(0));
    fuzz::check(sameBlock(block, macroBlockFromRows(pageName, content.rows)), "the pages send different blocks");
    QVector<const MacroRow*> keys;
    for (const MacroRow& row : content.rows) {
        if (!isDelayText(row.text))
            keys.append(&row);
    }
    if (keys.size() <= kMacroBlockEvents) {
        fuzz::check(block.eventCount == keys.size(), "a key row lost or a blank event");
        for (int i = 0; i < keys.size(); ++i)
            fuzz::check(block.events[i].action == keys.at(i)->type, "an event of another action than its row");
    }

    const QString head = macroFileHead(file);
    const int repeat = head.toInt();
    fuzz::check(head == QString::number(shownRepeat(content.repeat)), "a head the macro page does not show");
    fuzz::check((repeat >= 1 && repeat <= kMaxRepeatCount) || (repeat >= 253 && repeat <= 255),
                "a head no repeat control shows");

    // Saved again by the macro page: the same block and head.
    const QByteArray saved = macroFileBytes(head, content.rows);
    fuzz::check(sameBlock(block, macroBlockFromFile(name, saved)), "a saved file sends another block");
    fuzz::check(macroFileHead(saved) == head, "a saved file shows another repeat value");
    return 0;
}
