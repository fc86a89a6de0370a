// The button page's reading of a macro file: the macro block a button plays
// and the file's head. The first byte is the length of the macro name that
// follows it (UTF-8); the rest is the file. Whatever the bytes, the block
// keeps its name within the 30-byte field and its events within the 70 slots,
// and the head is one word of the first line.
#include "fuzzsupport.h"

#include "buttons/macroblockfile.h"
#include "widgets/macroname.h"

#include <cstring>

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
    fuzz::check(block.eventCount >= 1 && block.eventCount <= kMacroBlockEvents, "an event count out of the block");
    static const DeviceEvent zero = {};
    for (int i = 0; i < kMacroBlockEvents; ++i) {
        fuzz::check(block.events[i].action <= 1, "an event neither press nor release");
        if (i >= block.eventCount)
            fuzz::check(std::memcmp(&block.events[i], &zero, sizeof zero) == 0, "an event past the count");
    }

    const QString head = macroFileHead(file);
    fuzz::check(!head.contains(QLatin1Char('\n')) && !head.contains(QLatin1Char(' ')), "a head of more than one word");
    fuzz::check(!file.isEmpty() || head == QLatin1String("0"), "an empty file's head is not 0");
    return 0;
}
