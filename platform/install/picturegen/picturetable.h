#pragma once
// Reader of the skin picture table (pictures.txt). The generator draws from
// it and the tests check the generated folder against it, so both read the
// table the same way.
#include <QFile>
#include <QHash>
#include <QSet>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QTextStream>
#include <QVector>

namespace picturetable {

// One picture: where it goes, how large it is and how it is drawn.
struct Row
{
    int line = 0;
    QString folder;  // sub-folder of the installation's "Picture" folder
    QString name;    // file name, case as the program asks for it
    QSize size;
    QString shape;   // background shape, with optional ":" parameters
    QString fill;    // colour, "a>b" gradient from top to bottom, or "-"
    QString border;  // colour with optional "/width", or "-"
    QString glyph;   // "name[@scale][:left|:right]" joined by "+", or "-"
    QString ink;     // colour of glyphs and text
    QString text;    // text drawn in the middle, or "-"
};

struct Table
{
    QHash<QString, QString> palette;  // "@name" -> "#rrggbb[aa]"
    QVector<Row> rows;
    QStringList errors;
};

inline QSize parseSize(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char('x'));
    if (parts.size() != 2)
        return QSize();
    bool okW = false;
    bool okH = false;
    const int w = parts.at(0).toInt(&okW);
    const int h = parts.at(1).toInt(&okH);
    return okW && okH && w > 0 && h > 0 ? QSize(w, h) : QSize();
}

// Lines: "# comment", "@name = #colour", or nine "|"-separated columns
// folder | name | size | shape | fill | border | glyph | ink | text.
inline Table read(const QString& path)
{
    Table table;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        table.errors << QStringLiteral("%1: cannot open").arg(path);
        return table;
    }
    QTextStream in(&file);
    in.setCodec("UTF-8");
    QSet<QString> seen;
    int lineNumber = 0;
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        ++lineNumber;
        const QString where = QStringLiteral("%1:%2: ").arg(path).arg(lineNumber);
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('@'))) {
            const int eq = line.indexOf(QLatin1Char('='));
            if (eq < 0) {
                table.errors << where + QStringLiteral("palette line without '='");
                continue;
            }
            table.palette.insert(line.left(eq).trimmed(), line.mid(eq + 1).trimmed());
            continue;
        }
        const QStringList cells = line.split(QLatin1Char('|'));
        if (cells.size() != 9) {
            table.errors << where + QStringLiteral("%1 columns instead of 9").arg(cells.size());
            continue;
        }
        Row row;
        row.line = lineNumber;
        row.folder = cells.at(0).trimmed();
        row.name = cells.at(1).trimmed();
        row.size = parseSize(cells.at(2).trimmed());
        row.shape = cells.at(3).trimmed();
        row.fill = cells.at(4).trimmed();
        row.border = cells.at(5).trimmed();
        row.glyph = cells.at(6).trimmed();
        row.ink = cells.at(7).trimmed();
        row.text = cells.at(8).trimmed();
        if (row.folder.isEmpty() || row.name.isEmpty() || !row.size.isValid()) {
            table.errors << where + QStringLiteral("folder, name or size missing");
            continue;
        }
        // Names that differ only in case are separate files; exact repeats are mistakes.
        const QString key = row.folder + QLatin1Char('/') + row.name;
        if (seen.contains(key)) {
            table.errors << where + QStringLiteral("%1 listed twice").arg(key);
            continue;
        }
        seen.insert(key);
        table.rows << row;
    }
    return table;
}

} // namespace picturetable
