#pragma once
// A device macro block and the macro page's event rows, each made from the
// other. Rows alternate key, delay, key, ...: the delay row after key i is the
// pause after event i. The last event's pause is a delay row after the last
// key when it is not 0 (the gap between rounds of a repeating macro).
#include "macro/macrofile.h"

#include <QString>
#include <QVector>

struct MacroBlock;

// The rows of a block's events: a key row per event (a press for action 0,
// else a release), the delay row between two events, and a delay row after
// the last key when its pause is not 0. The event count is taken at most 70.
// Rows carry no icon. Built back with macroBlockFromRows they give the same
// events.
QVector<MacroRow> macroRowsFromBlock(const MacroBlock& block);

// The most event rows a block holds: 70 key rows and the delay after each.
constexpr int kMaxMacroBlockRows = 2 * 70;

// A block from a name and the rows as they stand: every key row is one event,
// in list order, and the delay rows between it and the next key row are its
// pause ("<digits>ms", summed and held at 2^32 - 1 ms; any other text is no
// pause). Delay rows before the first key row have no event to go with. The
// event count is the number of key rows. Past 70 key rows the rest is left
// out, and a press whose release was left out goes too, so that no key stays
// held on the mouse (its pause is added to the event before it); the event
// then sent last keeps no pause towards what was left out. A macro of 70 key
// rows is not cut: its last event keeps its pause. The name is cut to 30
// bytes on a character boundary. Both pages build the block a button plays
// with this one function.
MacroBlock macroBlockFromRows(const QString& name, const QVector<MacroRow>& rows);

// Whether a macro file's rows send the events that a device's block holds
// (the name aside): a fill leaves a file alone whose rows already do.
bool macroFileGivesBlock(const QByteArray& bytes, const MacroBlock& block);
