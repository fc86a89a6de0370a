#pragma once
// A device macro block and the macro page's event rows, each made from the
// other. Rows alternate key, delay, key, ...: the delay row after key i is the
// pause after event i, and the last event's pause has no row.
#include "macro/macrofile.h"

#include <QString>
#include <QVector>

struct MacroBlock;

// The rows of a block's events: a key row per event (a press for action 0,
// else a release) and the delay row between two events. The event count is
// taken at most 70. Rows carry no icon.
QVector<MacroRow> macroRowsFromBlock(const MacroBlock& block);

// The most event rows a block holds: 70 key rows and the 69 delays between them.
constexpr int kMaxMacroBlockRows = 2 * 70 - 1;

// A block from a name and the rows as they stand. Even rows are taken as key
// rows, odd rows as the delay of the key row before them ("<n>ms"; any other
// text is a delay of 0). The event count is the number of delay rows, plus
// one when there are rows. Rows past kMaxMacroBlockRows are left out, and the
// name is cut to 30 bytes on a character boundary.
MacroBlock macroBlockFromRows(const QString& name, const QVector<MacroRow>& rows);
