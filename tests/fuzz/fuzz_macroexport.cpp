// The macro export file: tag, name and repeat fields, a row count, then rows
// of text, icon and flag. The reader never trusts the count, skips icons
// without decoding them, takes only well-formed delays, takes no rows from
// what it calls no export, and what it read is written and read back
// unchanged, as an export.
#include "fuzzsupport.h"

#include "macro/macrofile.h"

#include <QBuffer>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QByteArray bytes = fuzz::bytes(data, size);
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    MacroExportHead head;
    if (!readMacroExportHead(&buffer, &head))
        return 0;
    bool isExport = false;
    const QVector<MacroRow> rows = readMacroExportRows(&buffer, &isExport);
    fuzz::check(rows.size() <= kMaxMacroFileRows, "more rows than the bound");
    fuzz::check(isExport || rows.isEmpty(), "rows taken from no export");
    for (const MacroRow& row : rows) {
        fuzz::check(row.icon.isNull(), "an icon was decoded");
        if (isDelayText(row.text))
            fuzz::check(!row.text.contains(QLatin1Char('\n')) && !row.text.contains(QLatin1Char(' ')),
                        "a delay row with a line end or a blank");
    }

    QBuffer written;
    written.open(QIODevice::ReadWrite);
    fuzz::check(writeMacroExport(&written, head.name, head.repeat.left(kExportRepeatBytes), rows),
                "the rows cannot be exported");
    written.seek(0);
    MacroExportHead again;
    fuzz::check(readMacroExportHead(&written, &again) && again.tag == QLatin1String(kMacroExportTag),
                "an export does not read back");
    bool rereadIsExport = false;
    const QVector<MacroRow> reread = readMacroExportRows(&written, &rereadIsExport);
    fuzz::check(rereadIsExport, "a written export reads as no export");
    fuzz::check(reread.size() == rows.size(), "an export lost rows");
    for (int i = 0; i < rows.size(); ++i)
        fuzz::check(reread.at(i).text == rows.at(i).text && reread.at(i).type == rows.at(i).type,
                    "an exported row does not read as itself");
    return 0;
}
