#include "buttons/macroblockfile.h"

#include "macro/macroblock.h"
#include "macro/macrofile.h"
#include "widgets/macroname.h"

MacroBlock macroBlockFromFile(const QString& name, const QByteArray& bytes)
{
    // The rows the macro page shows for this file, built as the macro page
    // builds them: both pages send one block for one file.
    return macroBlockFromRows(QString(name).remove(QChar(0)), parseMacroFile(bytes).rows);
}

QString macroFileHead(const QByteArray& bytes)
{
    // The value the macro page shows for the file, a new macro's 1 for a
    // file not yet saved.
    return QString::number(shownRepeat(parseMacroFile(bytes).repeat));
}

bool readMacroFile(const QString& name, QByteArray* bytes)
{
    return readMacroFileBytes(macroFilePath(QString(name).remove(QChar(0))), bytes);
}

void setMacroFileHead(const QString& name, const QByteArray& bytes, const QString& head)
{
    const int end = bytes.indexOf('\n');
    const QByteArray line = head.toUtf8();
    if (end >= 0 && bytes.left(end) == line)
        return;
    const QByteArray rest = end < 0 ? QByteArray() : bytes.mid(end + 1);
    writeFileAtomically(macroFilePath(QString(name).remove(QChar(0))), line + '\n' + rest);
}
