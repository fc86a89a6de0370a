#include "buttons/macroblockfile.h"

#include "macro/keynames.h"
#include "macro/macrofile.h"
#include "widgets/macroname.h"

#include <QFile>

#include <cstring>
#include <limits>

MacroBlock macroBlockFromFile(const QString& name, const QByteArray& bytes)
{
    MacroBlock block;
    std::memset(&block, 0, sizeof block);
    setMacroBlockName(block, name);
    const MacroFileContent content = parseMacroFile(bytes);
    int i = 0;
    for (const MacroRow& row : content.rows) {
        if (i >= kMacroBlockEvents)
            break;
        DeviceEvent& event = block.events[i];
        if (isDelayText(row.text)) {
            // The reader takes only "<digits>ms"; a delay past 32 bits is held
            // at the most the event can say.
            const qulonglong ms = QString(row.text).remove(QStringLiteral("ms")).toULongLong();
            event.setDelay(uint32_t(qMin<qulonglong>(ms, std::numeric_limits<uint32_t>::max())));
            ++i;
        } else {
            // A second key row before the next delay row takes the same event.
            writeKeyEventCode(row.text, event);
            event.action = uint8_t(row.type == 0 ? 0 : 1);
            event.setDelay(0);
        }
    }
    block.eventCount = uint8_t(qMin(i + 1, int(kMacroBlockEvents)));
    return block;
}

QString macroFileHead(const QByteArray& bytes)
{
    if (bytes.isEmpty())
        return QStringLiteral("0");
    const int end = bytes.indexOf('\n');
    QByteArray line = end < 0 ? bytes : bytes.left(end);
    if (line.endsWith('\r'))
        line.chop(1);
    const QStringList words = QString::fromUtf8(line).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    return words.value(0);
}

bool readMacroFile(const QString& name, QByteArray* bytes)
{
    const QString path = macroFilePath(QString(name).remove(QChar(0)));
    if (path.isEmpty())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    *bytes = file.read(kMaxMacroFileBytes);
    return true;
}
