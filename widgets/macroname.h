#pragma once
// The rules that keep a macro name fit for the 30-byte name field of a macro
// block and for a file name.
#include <QString>

// Bytes a macro name may take in the local 8-bit encoding.
constexpr int kMacroNameBytes = 30;

// The longest start of text that takes at most maxBytes in the local 8-bit
// encoding. It ends on a character boundary: a character that would not fit
// whole (a multi-byte character, a surrogate pair, a letter with its
// combining marks) is left out whole.
QString cutToLocal8Bit(const QString& text, int maxBytes);

// A name as the user edited it, made fit: when it ends with a blank every
// blank goes, and it is cut to kMacroNameBytes.
QString cleanMacroName(const QString& edited);

// Punctuation kept out of a macro name: a key press whose whole text is one of
// these never reaches the field.
bool isBlockedNameKeyText(const QString& text);

// The same for an input method's commit string.
bool isBlockedNameCommitText(const QString& commit);
