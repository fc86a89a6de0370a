#pragma once
// The macro's two file forms, without the page: the macro file (a repeat line,
// then one line per event row) and the binary macro export file. Readers take
// what they can up to the first fault and never trust a count or a length.
#include <QIcon>
#include <QString>
#include <QStringList>
#include <QVector>

class QIODevice;

// One row of the event list: a key press (type 0), a key release (type 1) or
// a delay (type 0, text "<ms>ms").
struct MacroRow
{
    QString text;
    int type = 0;
    QIcon icon;   // only shown, and carried by the export file
    // A key row's [code text, kind text] when known: a mouse button's name
    // follows the language, its key does not. Empty: taken from the text.
    QStringList codes;
};

// A row is a delay row exactly when its text contains "ms".
bool isDelayText(const QString& text);
// "<ms>ms", the milliseconds printed without decimals.
QString delayText(double ms);

// A key row's [code text, kind text]: its own codes, else those of its
// text; empty for a name outside the key table.
QStringList rowKeyCodes(const MacroRow& row);
// Whether two key rows name the same key: the same codes, or for names
// outside the key table the same name.
bool isSameKey(const MacroRow& a, const MacroRow& b);

// Bounds of what a reader takes from a file.
constexpr int kMaxMacroFileRows = 4096;
constexpr qint64 kMaxMacroFileBytes = 256 * 1024;

// The repeat values of line 1 and of the export's repeat field.
enum MacroRepeat { kRepeatUntilAnyButton = 253, kRepeatWhileHeld = 254, kRepeatUntilClicked = 255 };
constexpr int kMaxRepeatCount = 250;
// The repeat value a line-1 value stands for, as the page shows it and the
// mouse gets it: 253, 254, 255 or a count of 1 to 250; anything else (0, 251,
// 300, -1, no number) is a count of 1.
int shownRepeat(int value);

// One line per row: a key row "<code> <kind> <0 press|1 release>", a name
// outside the key table as the empty name "0x00 1 <flag>"; a delay row its
// text.
QByteArray macroFileRowLines(const QVector<MacroRow>& rows);
// The whole file: repeat + "\n", then the row lines.
QByteArray macroFileBytes(const QString& repeat, const QVector<MacroRow>& rows);

struct MacroFileContent
{
    bool hasRepeatLine = false;   // false for an empty file
    int repeat = 0;               // line 1 as a number; 0 when it is none
    QVector<MacroRow> rows;       // without icons
};
// Line 1 is the repeat value; every later line of three parts is a key row
// (a flag other than "0" or "1" skips it), of one part containing "ms" a
// delay row; other lines are skipped. The last line counts without a line
// end. At most kMaxMacroFileRows rows.
MacroFileContent parseMacroFile(const QByteArray& bytes);

// The bytes of a macro file as every reader takes them: raw (parseMacroFile
// makes the line ends), at most kMaxMacroFileBytes; false when it cannot be
// opened.
bool readMacroFileBytes(const QString& path, QByteArray* bytes);

// Where a page fill keeps the content of macro `name`'s file that it replaces:
// a hidden file beside it in the macro folder, which no macro list shows and
// no macro name can reach. Empty when the name has no file.
QString replacedMacroFilePath(const QString& name);
// Before a fill rewrites macro `name`'s file with these rows: when the file
// holds events and they are others, its content is kept at replacedMacroFilePath() (one
// copy per name, the last one replaced). True when a copy was written.
bool keepMacroFileBeforeFill(const QString& name, const QVector<MacroRow>& rows);

// Writes a file atomically; false when it could not be written whole.
bool writeFileAtomically(const QString& path, const QByteArray& bytes);

// ---- Export file -------------------------------------------------------------

constexpr char kMacroExportTag[] = "Qelvo";
constexpr int kExportTagBytes = 12;
constexpr int kExportNameBytes = 48;
constexpr int kExportRepeatBytes = 12;

struct MacroExportHead
{
    QString tag;
    QString name;
    QString repeat;
};

// Tag, name, repeat, row count, then per row its text, icon and, for a key
// row, its flag. A name longer than 48 UTF-8 bytes is cut on a character
// boundary.
bool writeMacroExport(QIODevice* device, const QString& name, const QString& repeat,
                      const QVector<MacroRow>& rows);
// Fields 1 to 3; false when the file ends before them.
bool readMacroExportHead(QIODevice* device, MacroExportHead* head);
// The rows after the head, up to the first fault and at most
// kMaxMacroFileRows. Icons are skipped, not decoded: rows come without one.
// A delay row must read "<digits>ms"; any other is a fault. isExport, when
// given, tells whether the rest reads as an export's rows at all: a row
// count that reads and is not negative, and when it announces rows, at
// least one row that reads.
QVector<MacroRow> readMacroExportRows(QIODevice* device, bool* isExport = nullptr);
