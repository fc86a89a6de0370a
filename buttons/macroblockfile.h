#pragma once
// What the button page takes from a macro file: the macro block a button
// plays, and the head (the repeat setting) that becomes the second value of
// the button's assignment. Pure functions over the file's bytes, so that the
// page and the fuzz harness read files the same way.
#include "core/flashdatamap.h"

#include <QByteArray>
#include <QString>

// The macro block of a macro file: the name (NULs removed, cut to the
// 30-byte field on a character boundary) and the events the file's rows
// give, read as the macro page reads them. Each key row fills event i, the
// delay row after it sets that event's delay and moves to the next event.
// The event count is the number of delay rows + 1, never more than the
// block's 70 events; rows past the block are left out.
MacroBlock macroBlockFromFile(const QString& name, const QByteArray& bytes);

// The first blank-separated word of the file's first line: "" for a first
// line without a word, "0" for an empty file.
QString macroFileHead(const QByteArray& bytes);

// The bytes of macro `name`'s file (line ends made "\n"), at most the macro
// file bound; false when the name has no file or it cannot be read.
bool readMacroFile(const QString& name, QByteArray* bytes);
