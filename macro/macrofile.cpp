#include "macro/macrofile.h"

#include "macro/keynames.h"
#include "widgets/macroname.h"

#include <QDataStream>
#include <QDebug>
#include <QFile>
#include <QIODevice>
#include <QSaveFile>
#include <QSize>

#include <cstring>

namespace {

// The export file's stream version.
constexpr QDataStream::Version kExportStreamVersion = QDataStream::Qt_5_6;
static_assert(kExportStreamVersion == 17, "the export file is written with stream version 17");

constexpr char kPressFlag[] = "0";
constexpr char kReleaseFlag[] = "1";

// A delay as the lists write it: decimal milliseconds, "ms".
bool isWellFormedDelay(const QString& text)
{
    // At most ten digits: up to 2^32 - 1 and a little beyond, which the
    // event list takes as it takes any delay text.
    const int digits = text.size() - 2;
    if (digits < 1 || digits > 10 || !text.endsWith(QLatin1String("ms")))
        return false;
    for (int i = 0; i < digits; ++i) {
        if (text.at(i) < QLatin1Char('0') || text.at(i) > QLatin1Char('9'))
            return false;
    }
    return true;
}

QByteArray fixedField(const QByteArray& text, int size)
{
    QByteArray field = text.left(size);
    field.append(QByteArray(size - field.size(), '\0'));
    return field;
}

// The text of a length-prefixed field up to its first zero byte.
QString fieldText(const QByteArray& field)
{
    const int end = field.indexOf('\0');
    return QString::fromUtf8(end < 0 ? field : field.left(end));
}

bool streamOk(const QDataStream& in)
{
    return in.status() == QDataStream::Ok;
}

// Skips one PNG image: signature, then chunks up to IEND.
bool skipPng(QDataStream& in)
{
    static const char signature[] = "\x89PNG\r\n\x1a\n";
    char head[8];
    if (in.readRawData(head, 8) != 8 || std::memcmp(head, signature, 8) != 0)
        return false;
    for (;;) {
        quint32 length = 0;
        char type[4];
        in >> length;
        if (!streamOk(in) || length > 0x7FFFFFFFu || in.readRawData(type, 4) != 4)
            return false;
        // Data and CRC.
        const qint64 rest = qint64(length) + 4;
        if (in.skipRawData(int(qMin<qint64>(rest, INT_MAX))) != rest)
            return false;
        if (std::memcmp(type, "IEND", 4) == 0)
            return true;
    }
}

// Skips the stream form of an icon without decoding its pictures: the
// engine's key, and for the pixmap engine its entries (a null-image marker
// or a PNG image, file name, size, mode, state). Any other engine is a
// fault. Qt's own reader would load an entry without picture from its file
// name, a path the file chooses.
bool skipIcon(QDataStream& in)
{
    QString key;
    in >> key;
    if (!streamOk(in))
        return false;
    if (key.isEmpty())
        return true;
    if (key != QLatin1String("QPixmapIconEngine"))
        return false;
    qint32 entries = 0;
    in >> entries;
    if (!streamOk(in) || entries < 0 || entries > 64)
        return false;
    for (int i = 0; i < entries; ++i) {
        qint32 marker = 0;
        in >> marker;
        if (!streamOk(in) || (marker != 0 && marker != 1))
            return false;
        if (marker == 1 && !skipPng(in))
            return false;
        QString fileName;
        QSize size;
        quint32 mode = 0;
        quint32 state = 0;
        in >> fileName >> size >> mode >> state;
        if (!streamOk(in))
            return false;
    }
    return true;
}

} // namespace

QStringList rowKeyCodes(const MacroRow& row)
{
    return row.codes.isEmpty() ? keyCodesForName(row.text) : row.codes;
}

bool isSameKey(const MacroRow& a, const MacroRow& b)
{
    const QStringList codes = rowKeyCodes(a);
    return codes == rowKeyCodes(b) && (!codes.isEmpty() || a.text == b.text);
}

bool isDelayText(const QString& text)
{
    return text.contains(QLatin1String("ms"));
}

QString delayText(double ms)
{
    return QString::number(ms, 'f', 0) + QStringLiteral("ms");
}

QByteArray macroFileRowLines(const QVector<MacroRow>& rows)
{
    QByteArray lines;
    for (const MacroRow& row : rows) {
        if (isDelayText(row.text)) {
            lines += row.text.toUtf8() + '\n';
            continue;
        }
        QStringList codes = rowKeyCodes(row);
        // A name outside the table is kept as the unnamed key.
        if (codes.isEmpty())
            codes = keyCodesForName(QString());
        lines += codes.join(QLatin1Char(' ')).toUtf8() + ' ' + (row.type == 0 ? kPressFlag : kReleaseFlag) + '\n';
    }
    return lines;
}

QByteArray macroFileBytes(const QString& repeat, const QVector<MacroRow>& rows)
{
    return repeat.toUtf8() + '\n' + macroFileRowLines(rows);
}

MacroFileContent parseMacroFile(const QByteArray& bytes)
{
    MacroFileContent content;
    const QList<QByteArray> lines = bytes.left(int(kMaxMacroFileBytes)).split('\n');
    for (int i = 0; i < lines.size(); ++i) {
        QByteArray line = lines.at(i);
        if (line.endsWith('\r'))
            line.chop(1);
        // split() leaves an empty piece after a final line end: no line.
        if (i == lines.size() - 1 && line.isEmpty())
            break;
        const QList<QByteArray> parts = line.split(' ');
        QStringList words;
        for (const QByteArray& part : parts) {
            if (!part.isEmpty())
                words << QString::fromUtf8(part);
        }
        if (i == 0) {
            content.hasRepeatLine = true;
            content.repeat = words.isEmpty() ? 0 : words.first().toInt();
            continue;
        }
        if (content.rows.size() >= kMaxMacroFileRows)
            break;
        if (words.size() == 3) {
            const QString& flag = words.at(2);
            if (flag != QLatin1String(kPressFlag) && flag != QLatin1String(kReleaseFlag))
                continue;
            MacroRow row;
            row.text = keyNameForCode(words.at(0), words.at(1).toInt());
            row.codes = keyCodesOf(words.at(0), words.at(1).toInt());
            row.type = flag == QLatin1String(kPressFlag) ? 0 : 1;
            content.rows.append(row);
        } else if (words.size() == 1 && isWellFormedDelay(words.first())) {
            MacroRow row;
            row.text = words.first();
            content.rows.append(row);
        }
    }
    return content;
}

int shownRepeat(int value)
{
    const bool shown = (value >= 1 && value <= kMaxRepeatCount) || value == kRepeatUntilAnyButton
        || value == kRepeatWhileHeld || value == kRepeatUntilClicked;
    return shown ? value : 1;
}

bool readMacroFileBytes(const QString& path, QByteArray* bytes)
{
    if (path.isEmpty())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    *bytes = file.read(kMaxMacroFileBytes);
    return true;
}

QString replacedMacroFilePath(const QString& name)
{
    const QString path = macroFilePath(name);
    if (path.isEmpty())
        return QString();
    return macroFolder() + QStringLiteral("/.") + name + QStringLiteral(".ini.replaced");
}

bool keepMacroFileBeforeFill(const QString& name, const QVector<MacroRow>& rows)
{
    QByteArray old;
    if (!readMacroFileBytes(macroFilePath(name), &old))
        return false;
    // Compared as the files would be read: the events alone, the repeat
    // value is the device's to give. A file without events loses nothing.
    const QVector<MacroRow> oldRows = parseMacroFile(old).rows;
    if (oldRows.isEmpty() || macroFileRowLines(oldRows) == macroFileRowLines(rows))
        return false;
    const QString copy = replacedMacroFilePath(name);
    if (!writeFileAtomically(copy, old))
        return false;
    qDebug() << "the device's macro" << name << "replaces other events in its file; the old file is kept as" << copy;
    return true;
}

bool writeFileAtomically(const QString& path, const QByteArray& bytes)
{
    if (path.isEmpty())
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool writeMacroExport(QIODevice* device, const QString& name, const QString& repeat,
                      const QVector<MacroRow>& rows)
{
    QDataStream out(device);
    out.setVersion(kExportStreamVersion);
    out << fixedField(kMacroExportTag, kExportTagBytes);
    out << fixedField(cutToUtf8(name, kExportNameBytes).toUtf8(), kExportNameBytes);
    out << fixedField(repeat.toLatin1(), kExportRepeatBytes);
    out << qint32(rows.size());
    for (const MacroRow& row : rows) {
        out << row.text << row.icon;
        if (!isDelayText(row.text))
            out << QByteArray(row.type == 0 ? kPressFlag : kReleaseFlag, 2);
    }
    return out.status() == QDataStream::Ok;
}

bool readMacroExportHead(QIODevice* device, MacroExportHead* head)
{
    QDataStream in(device);
    in.setVersion(kExportStreamVersion);
    QByteArray tag;
    QByteArray name;
    QByteArray repeat;
    in >> tag >> name >> repeat;
    if (!streamOk(in))
        return false;
    head->tag = fieldText(tag);
    head->name = fieldText(name);
    head->repeat = fieldText(repeat);
    return true;
}

QVector<MacroRow> readMacroExportRows(QIODevice* device, bool* isExport)
{
    QDataStream in(device);
    in.setVersion(kExportStreamVersion);
    QVector<MacroRow> rows;
    qint32 count = 0;
    in >> count;
    if (isExport)
        *isExport = false;
    if (!streamOk(in) || count < 0)
        return rows;
    count = qMin(count, kMaxMacroFileRows);
    for (int i = 0; i < count; ++i) {
        MacroRow row;
        in >> row.text;
        if (!streamOk(in) || !skipIcon(in))
            break;
        if (isDelayText(row.text)) {
            if (!isWellFormedDelay(row.text))
                break;
        } else {
            QByteArray flag;
            in >> flag;
            if (!streamOk(in))
                break;
            row.type = flag == QByteArray(kPressFlag, 2) ? 0 : 1;
        }
        rows.append(row);
    }
    if (isExport)
        *isExport = count == 0 || !rows.isEmpty();
    return rows;
}
