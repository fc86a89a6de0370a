// The macro file: a repeat line, then key lines and delay lines. Whatever the
// bytes, the reader keeps within its row bound, every row is a well-formed
// delay or a key of the table, and the rows written again read as themselves,
// keys included.
#include "fuzzsupport.h"

#include "macro/keynames.h"
#include "macro/macrofile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const MacroFileContent content = parseMacroFile(fuzz::bytes(data, size));
    fuzz::check(content.rows.size() <= kMaxMacroFileRows, "more rows than the bound");
    fuzz::check(content.hasRepeatLine || content.rows.isEmpty(), "rows without a repeat line");
    for (const MacroRow& row : content.rows) {
        if (isDelayText(row.text))
            fuzz::check(!row.text.contains(QLatin1Char(' ')) && !row.text.contains(QLatin1Char('\n')),
                        "a delay row with a blank or a line end");
        else
            fuzz::check(!keyCodesForName(row.text).isEmpty(), "a key row outside the key table");
        fuzz::check(row.codes.isEmpty() || keyCodesOf(row.codes.value(0), row.codes.value(1).toInt()) == row.codes,
                    "a key row's codes outside the key table");
        fuzz::check(row.type == 0 || row.type == 1, "a row of another type");
    }
    const MacroFileContent again = parseMacroFile(macroFileBytes(QString::number(content.repeat), content.rows));
    fuzz::check(again.repeat == content.repeat && again.rows.size() == content.rows.size(),
                "a written file does not read as itself");
    for (int i = 0; i < again.rows.size(); ++i)
        fuzz::check(again.rows.at(i).text == content.rows.at(i).text && again.rows.at(i).type == content.rows.at(i).type
                        && rowKeyCodes(again.rows.at(i)) == rowKeyCodes(content.rows.at(i)),
                    "a written row does not read as itself");
    return 0;
}
