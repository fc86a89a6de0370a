#include "keynames.h"

#include "core/flashdatamap.h"

#include <QHash>
#include <QVector>

QString leftButtonName;
QString rightButtonName;
QString middleButtonName;
QString backButtonName;
QString forwardButtonName;

namespace {

QVector<KeyRow> buildRows()
{
    static QList<QByteArray> generated; // keeps the generated names alive
    QVector<KeyRow> rows;
    auto add = [&](int vk, const QByteArray& name, int usage) {
        generated << name;
        rows.append({vk, generated.last().constData(), usage, kKeyboardKey});
    };
    for (int i = 0; i < 26; ++i)
        add(0x41 + i, QByteArray(1, char('A' + i)), 0x04 + i);
    for (int i = 0; i <= 9; ++i)
        add(0x30 + i, QByteArray::number(i), i == 0 ? 0x27 : 0x1D + i);
    for (int i = 1; i <= 12; ++i)
        add(0x6F + i, "F" + QByteArray::number(i), 0x39 + i);
    for (int i = 0; i <= 9; ++i)
        add(0x60 + i, "Num" + QByteArray::number(i), i == 0 ? 0x62 : 0x58 + i);
    static const KeyRow named[] = {
        {0x08, "BackSpace", 0x2A, kKeyboardKey}, {0x09, "Tab", 0x2B, kKeyboardKey},      {0x0D, "Enter", 0x28, kKeyboardKey},
        {0x13, "Pause", 0x48, kKeyboardKey},     {0x14, "CapsLock", 0x39, kKeyboardKey}, {0x1B, "Esc", 0x29, kKeyboardKey},
        {0x20, "Space", 0x2C, kKeyboardKey},     {0x21, "PgUp", 0x4B, kKeyboardKey},     {0x22, "PgDn", 0x4E, kKeyboardKey},
        {0x23, "End", 0x4D, kKeyboardKey},       {0x24, "Home", 0x4A, kKeyboardKey},     {0x25, "\u2190", 0x50, kKeyboardKey},
        {0x26, "\u2191", 0x52, kKeyboardKey},    {0x27, "\u2192", 0x4F, kKeyboardKey},   {0x28, "\u2193", 0x51, kKeyboardKey},
        {0x2C, "Screen", 0x46, kKeyboardKey},    {0x2D, "Insert", 0x49, kKeyboardKey},   {0x2E, "Del", 0x4C, kKeyboardKey},
        {0x5D, "APPs", 0x65, kKeyboardKey},      {0x6A, "Num*", 0x55, kKeyboardKey},     {0x6B, "Num+", 0x57, kKeyboardKey},
        {0x6D, "Num-", 0x56, kKeyboardKey},      {0x6E, "Num.", 0x63, kKeyboardKey},     {0x6F, "Num/", 0x54, kKeyboardKey},
        {0x90, "NumLock", 0x53, kKeyboardKey},   {0x91, "Scroll", 0x47, kKeyboardKey},   {0xBA, ";", 0x33, kKeyboardKey},
        {0xBB, "=", 0x2E, kKeyboardKey},         {0xBC, ",", 0x36, kKeyboardKey},        {0xBD, "-", 0x2D, kKeyboardKey},
        {0xBE, ".", 0x37, kKeyboardKey},         {0xBF, "/", 0x38, kKeyboardKey},        {0xC0, "`", 0x35, kKeyboardKey},
        {0xDB, "[", 0x2F, kKeyboardKey},         {0xDC, "\\", 0x31, kKeyboardKey},       {0xDD, "]", 0x30, kKeyboardKey},
        {0xDE, "'", 0x34, kKeyboardKey},
        // The keypad 5 with Num Lock off (Clear) has no name and usage 0: an
        // unnamed key row is stored as this row.
        {0x0C, "", 0x00, kKeyboardKey},
        // Sided modifiers; the usage column is the modifier bit.
        {0xA2, "LCtrl", 0x01, kModifierKey},      {0xA0, "LShift", 0x02, kModifierKey},    {0xA4, "LAlt", 0x04, kModifierKey},
        {0x5B, "LWin", 0x08, kModifierKey},       {0xA3, "RCtrl", 0x10, kModifierKey},     {0xA1, "RShift", 0x20, kModifierKey},
        {0xA5, "RAlt", 0x40, kModifierKey},       {0x5C, "RWin", 0x80, kModifierKey},
    };
    for (const KeyRow& row : named)
        rows.append(row);
    return rows;
}

const QVector<KeyRow>& rows()
{
    static const QVector<KeyRow> table = buildRows();
    return table;
}

struct Indexes
{
    QHash<int, int> byVk;
    QHash<QString, int> usageByName;
    QHash<int, QString> nameByUsage;
    QHash<QString, int> modifierBitByName;
};

const Indexes& indexes()
{
    static const Indexes index = [] {
        Indexes ix;
        for (int i = 0; i < rows().size(); ++i) {
            const KeyRow& row = rows().at(i);
            ix.byVk.insert(row.vk, i);
            const QString name = QString::fromUtf8(row.name);
            if (row.modifier()) {
                ix.modifierBitByName.insert(name, row.usage);
                continue;
            }
            ix.usageByName.insert(name, row.usage);
            ix.nameByUsage.insert(row.usage, name);
        }
        return ix;
    }();
    return index;
}

} // namespace

const KeyRow* keyRows(int* count)
{
    if (count)
        *count = rows().size();
    return rows().constData();
}

const KeyRow* keyRowOfVk(int vk)
{
    const int i = indexes().byVk.value(vk, -1);
    return i < 0 ? nullptr : &rows().at(i);
}

QString sidedKeyName(int vk)
{
    const KeyRow* row = keyRowOfVk(vk);
    return row ? QString::fromUtf8(row->name) : QString();
}

QString comboKeyName(int vk)
{
    const KeyRow* row = keyRowOfVk(vk);
    return !row || row->modifier() ? QString() : QString::fromUtf8(row->name);
}

int keyUsage(const QString& name)
{
    return indexes().usageByName.value(name, -1);
}

int sidedModifierBit(const QString& name)
{
    return indexes().modifierBitByName.value(name, -1);
}

QString keyNameOfUsage(int usage)
{
    return indexes().nameByUsage.value(usage);
}

QStringList splitKeyText(const QString& text)
{
    QStringList names;
    QString current;
    for (const QChar c : text) {
        if (c == QLatin1Char('+') && current != QLatin1String("Num")) {
            names << current;
            current.clear();
        } else {
            current += c;
        }
    }
    names << current;
    return names;
}

namespace {

struct MouseButton
{
    int bit;
    const QString* name;
};

const MouseButton kMouseButtons[] = {
    {0x01, &leftButtonName},   {0x02, &rightButtonName},   {0x04, &middleButtonName},
    {0x08, &backButtonName},   {0x10, &forwardButtonName},
};

// The fixed row of a name: usage and kind; false for none.
bool fixedRow(const QString& name, int* usage, KeyKind* kind)
{
    const int key = keyUsage(name);
    if (key >= 0) {
        *usage = key;
        *kind = kKeyboardKey;
        return true;
    }
    const int bit = sidedModifierBit(name);
    if (bit >= 0) {
        *usage = bit;
        *kind = kModifierKey;
        return true;
    }
    return false;
}

// Mouse buttons are compared after every fixed name.
bool rowOfName(const QString& name, int* usage, KeyKind* kind)
{
    if (fixedRow(name, usage, kind))
        return true;
    for (const MouseButton& button : kMouseButtons) {
        if (*button.name == name) {
            *usage = button.bit;
            *kind = kMouseButtonKey;
            return true;
        }
    }
    return false;
}

} // namespace

QString usageCodeText(int code)
{
    return QStringLiteral("0x") + QStringLiteral("%1").arg(code & 0xFF, 2, 16, QLatin1Char('0')).toUpper();
}

QStringList keyCodesForName(const QString& name)
{
    int usage = 0;
    KeyKind kind = kKeyboardKey;
    if (!rowOfName(name, &usage, &kind))
        return QStringList();
    return {usageCodeText(usage), QString::number(int(kind))};
}

QString keyNameForCode(const QString& codeText, int kind)
{
    // Only the table's own form of a code text matches: "0x", two upper-case digits.
    if (codeText.size() != 4 || !codeText.startsWith(QLatin1String("0x")))
        return QString();
    bool ok = false;
    const int code = codeText.midRef(2).toInt(&ok, 16);
    if (!ok || usageCodeText(code) != codeText)
        return QString();
    switch (kind) {
    case kKeyboardKey:
        return keyNameOfUsage(code);
    case kModifierKey:
        for (const KeyRow& row : rows()) {
            if (row.modifier() && row.usage == code)
                return QString::fromUtf8(row.name);
        }
        return QString();
    case kMouseButtonKey:
        return mouseButtonName(code);
    default:
        return QString();
    }
}

QString keyNameForUsage(int usage, int kind)
{
    switch (usage) {
    case 0x04:
    case 0x08:
    case 0x10:
    case 0x20:
        if (kind == kKeyboardKey)
            return keyNameOfUsage(usage);
        return kind == kModifierKey ? keyNameForCode(usageCodeText(usage), kModifierKey) : QString();
    case 0x40:
        return kind == kModifierKey ? QStringLiteral("RAlt") : keyNameOfUsage(usage);
    case 0x01:
    case 0x02:
    case 0x80:
        return keyNameForCode(usageCodeText(usage), kModifierKey);
    default:
        return usage > 0 && usage <= 0xFF ? keyNameOfUsage(usage) : QString();
    }
}

QString mouseButtonName(int bit)
{
    for (const MouseButton& button : kMouseButtons) {
        if (button.bit == bit)
            return *button.name;
    }
    return QString();
}

QStringList keyCodesOf(const QString& codeText, int kind)
{
    const QStringList codes{codeText, QString::number(kind)};
    if (kind == kMouseButtonKey) {
        for (const MouseButton& button : kMouseButtons) {
            if (usageCodeText(button.bit) == codeText)
                return codes;
        }
        return QStringList();
    }
    for (const KeyRow& row : rows()) {
        if (row.kind == kind && usageCodeText(row.usage) == codeText)
            return codes;
    }
    return QStringList();
}

void writeKeyEventCode(const QStringList& codes, DeviceEvent& event)
{
    if (codes.size() != 2 || keyCodesOf(codes.at(0), codes.at(1).toInt()) != codes) {
        event.kind = kKeyboardKey;
        return;
    }
    event.kind = uint8_t(codes.at(1).toInt());
    event.setCode(uint16_t(codes.at(0).midRef(2).toInt(nullptr, 16)));
}

void writeKeyEventCode(const QString& name, DeviceEvent& event)
{
    int usage = 0;
    KeyKind kind = kKeyboardKey;
    if (!rowOfName(name, &usage, &kind)) {
        event.kind = kKeyboardKey;
        return;
    }
    event.kind = uint8_t(kind);
    event.setCode(uint16_t(usage));
}
