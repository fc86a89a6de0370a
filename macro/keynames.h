#pragma once
// One table of keys: Windows virtual-key code, the key's name and its HID
// keyboard usage. Every reader takes its own view of it: the key-combination
// capture names no modifier key, the single-key capture names the sided
// modifiers, and the button page turns names into usages.
#include <QString>
#include <QStringList>

struct KeyRow
{
    int vk;          // Windows virtual-key code
    const char* name;
    int usage;       // HID keyboard usage; for a modifier, its bit
    bool modifier;   // a sided modifier key: LCtrl .. RWin
};

// All rows, ordinary keys first, then the eight sided modifiers.
const KeyRow* keyRows(int* count);

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
