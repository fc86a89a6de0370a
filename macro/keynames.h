#pragma once
// One table of keys: Windows virtual-key code, the key's name, its kind and
// its HID code. Every reader takes its own view of it: the key-combination
// capture names no modifier key, the single-key capture names the sided
// modifiers, the button page turns names into usages, and the macro editor
// stores a key row as its code text and kind.
#include <QString>
#include <QStringList>

struct DeviceEvent;

// What the code of a key means; the numbers are those of a device event's
// kind byte and of a macro file's key line.
enum KeyKind { kModifierKey = 0, kKeyboardKey = 1, kMouseButtonKey = 4 };

struct KeyRow
{
    int vk;          // Windows virtual-key code; -1 for a mouse button
    const char* name;
    int usage;       // HID keyboard usage; for a modifier or a mouse button, its bit
    KeyKind kind;
    bool modifier() const { return kind == kModifierKey; }
};

// All rows with a fixed name: ordinary keys, then the keypad 5 with Num Lock
// off (its name is empty, usage 0), then the eight sided modifiers. The five
// mouse buttons follow them in the macro editor's table under the names of
// the current language (see leftButtonName).
const KeyRow* keyRows(int* count);

// The mouse buttons' names in the current language, empty until the macro
// page applies a language: bits 0x01, 0x02, 0x04, 0x08 and 0x10.
extern QString leftButtonName;
extern QString rightButtonName;
extern QString middleButtonName;
extern QString backButtonName;
extern QString forwardButtonName;

// The macro editor's views. Names and code texts compare exactly.
// "0x" and two upper-case hexadecimal digits.
QString usageCodeText(int code);
// [code text, kind text] of a name: keys and the empty name first, then the
// mouse buttons; empty for a name outside the table.
QStringList keyCodesForName(const QString& name);
// The name of the row whose code text and kind both match; empty for none.
QString keyNameForCode(const QString& codeText, int kind);
// The name of a device event's code: the code alone names the key, except
// where it means a key and a modifier (0x04, 0x08, 0x10, 0x20, 0x40).
// Mouse-button events are named by mouseButtonName.
QString keyNameForUsage(int usage, int kind);
// The name of a mouse-button bit; empty for any other value.
QString mouseButtonName(int bit);
// [code text, kind text] when the pair is a key of the table (a mouse button
// by its bit, whatever it is called in the current language); empty for any
// other pair.
QStringList keyCodesOf(const QString& codeText, int kind);
// Writes kind and code of one named key into a device event: a key or the
// empty name kind 1 and its usage, a sided modifier kind 0 and its bit, a
// mouse button kind 4 and its bit. A name outside the table gets kind 1 and
// keeps the event's code. Action and delay stay as they are.
void writeKeyEventCode(const QString& name, DeviceEvent& event);
// The same from [code text, kind text] (see keyCodesOf); a pair outside the
// table counts as a name outside it.
void writeKeyEventCode(const QStringList& codes, DeviceEvent& event);

// The row of a virtual-key code; nullptr outside the table.
const KeyRow* keyRowOfVk(int vk);

// The key-combination view: the name of an ordinary key, empty for a
// modifier or a code outside the table.
QString comboKeyName(int vk);

// The single-key capture view: as comboKeyName, with LShift .. RWin named.
QString sidedKeyName(int vk);

// The modifier bit of LCtrl .. RWin; -1 for any other name.
int sidedModifierBit(const QString& name);

// The HID usage of an ordinary key's name; -1 when the name is none.
int keyUsage(const QString& name);
// The name of an ordinary key's HID usage; empty when none.
QString keyNameOfUsage(int usage);

// Splits a key text at its "+" separators. A "+" directly after "Num" is
// the keypad plus's own, so "Ctrl+Num+" is Ctrl and Num+. As
// QString::split, an empty text gives one empty name.
QStringList splitKeyText(const QString& text);
