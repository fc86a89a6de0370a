#pragma once
// What the button page takes from a macro file: the macro block a button
// plays, and the head (the repeat setting) that becomes the second value of
// the button's assignment. Pure functions over the file's bytes, so that the
// page and the fuzz harness read files the same way.
#include "core/flashdatamap.h"

#include <QByteArray>
#include <QString>

// The macro block of a macro file: the rows the macro page reads from the
// file, made a block by the macro page's own builder (macroBlockFromRows), so
// that both pages send one block for one file. The name has its NULs removed.
MacroBlock macroBlockFromFile(const QString& name, const QByteArray& bytes);

// The repeat value of the file's first line as the macro page shows it (see
// shownRepeat()), in decimal: what the button's assignment carries.
QString macroFileHead(const QByteArray& bytes);

// The bytes of macro `name`'s file as the macro page reads them, at most the
// macro file bound; false when the name has no file or it cannot be read.
bool readMacroFile(const QString& name, QByteArray* bytes);

// Makes the first line of macro `name`'s file, read as `bytes`, the line
// `head`; the lines after it stay as they are. Nothing is written when it
// already is.
void setMacroFileHead(const QString& name, const QByteArray& bytes, const QString& head);
