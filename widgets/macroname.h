#pragma once
// The rules that keep a macro name fit for the 30-byte name field of a macro
// block and for a file name, and the one way from a name to its file.
#include <QFileInfoList>
#include <QString>

struct MacroBlock;

// Bytes a macro name may take in the local 8-bit encoding.
constexpr int kMacroNameBytes = 30;

// The longest start of text that takes at most maxBytes in the local 8-bit
// encoding. It ends on a character boundary: a character that would not fit
// whole (a multi-byte character, a surrogate pair, a letter with its
// combining marks) is left out whole.
QString cutToLocal8Bit(const QString& text, int maxBytes);
// The same in UTF-8.
QString cutToUtf8(const QString& text, int maxBytes);

// A name made fit for a macro block, so that its local 8-bit bytes read back
// as the same name (its file, its list entry and the name the mouse gives back
// agree): a lone half of a surrogate pair goes, and so does a byte order mark
// at the start, which the decoder drops; then it is cut to kMacroNameBytes.
QString fitMacroName(const QString& name);

// A name as the user edited it, made fit: when it ends with a blank every
// blank goes, and then fitMacroName().
QString cleanMacroName(const QString& edited);

// Punctuation kept out of a macro name: a key press whose whole text is one of
// these never reaches the field.
bool isBlockedNameKeyText(const QString& text);

// The same for an input method's commit string.
bool isBlockedNameCommitText(const QString& commit);

// The per-user folder of the macro files: userDir() + "/usersetting/MacroPage".
QString macroFolder();

// The file of macro `name`: macroFolder() + "/" + name + ".ini". Empty for
// an empty name or one with a path separator or a NUL, so no caller reaches a
// file outside the folder.
QString macroFilePath(const QString& name);

// The macro name a file of the folder is listed under: the file name with
// every ".ini" removed.
QString macroNameOfFile(const QString& fileName);

// The files of the macro folder, files only and no symbolic links, by name
// with case ignored.
QFileInfoList macroFolderFiles();

// Whether a name may become a macro file: not empty, no path separator, no
// "..", no control character, not starting with "." (a hidden file is never
// listed), neither "xml" nor ".ini" in it (the list skips or cuts such
// files, so the macro would be lost at the next start), and nothing that
// fitMacroName() drops.
bool isMacroFileName(const QString& name);

// A name from the device made fit for a file: what isMacroFileName() refuses
// is replaced or removed, and an empty result becomes "Macro". The result is
// fit as by fitMacroName().
QString safeMacroName(const QString& name);

// A macro block's name: the bytes before the first NUL, in the local 8-bit
// encoding.
QString macroBlockName(const MacroBlock& block);

// Writes a name into a macro block: without NULs and fit as by fitMacroName(),
// zero after it, its byte count in the length byte.
void setMacroBlockName(MacroBlock& block, const QString& name);
