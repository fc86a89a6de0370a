#include "keynames.h"

#include <QHash>
#include <QVector>

namespace {

QVector<KeyRow> buildRows()
{
    static QList<QByteArray> generated; // keeps the generated names alive
    QVector<KeyRow> rows;
    auto add = [&](int vk, const QByteArray& name, int usage, bool modifier = false) {
        generated << name;
        rows.append({vk, generated.last().constData(), usage, modifier});
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
        {0x08, "BackSpace", 0x2A, false}, {0x09, "Tab", 0x2B, false},      {0x0D, "Enter", 0x28, false},
        {0x13, "Pause", 0x48, false},     {0x14, "CapsLock", 0x39, false}, {0x1B, "Esc", 0x29, false},
        {0x20, "Space", 0x2C, false},     {0x21, "PgUp", 0x4B, false},     {0x22, "PgDn", 0x4E, false},
        {0x23, "End", 0x4D, false},       {0x24, "Home", 0x4A, false},     {0x25, "\u2190", 0x50, false},
        {0x26, "\u2191", 0x52, false},    {0x27, "\u2192", 0x4F, false},   {0x28, "\u2193", 0x51, false},
        {0x2C, "Screen", 0x46, false},    {0x2D, "Insert", 0x49, false},   {0x2E, "Del", 0x4C, false},
        {0x5D, "APPs", 0x65, false},      {0x6A, "Num*", 0x55, false},     {0x6B, "Num+", 0x57, false},
        {0x6D, "Num-", 0x56, false},      {0x6E, "Num.", 0x63, false},     {0x6F, "Num/", 0x54, false},
        {0x90, "NumLock", 0x53, false},   {0x91, "Scroll", 0x47, false},   {0xBA, ";", 0x33, false},
        {0xBB, "=", 0x2E, false},         {0xBC, ",", 0x36, false},        {0xBD, "-", 0x2D, false},
        {0xBE, ".", 0x37, false},         {0xBF, "/", 0x38, false},        {0xC0, "`", 0x35, false},
        {0xDB, "[", 0x2F, false},         {0xDC, "\\", 0x31, false},       {0xDD, "]", 0x30, false},
        {0xDE, "'", 0x34, false},
        // Sided modifiers; the usage column is the modifier bit.
        {0xA2, "LCtrl", 0x01, true},      {0xA0, "LShift", 0x02, true},    {0xA4, "LAlt", 0x04, true},
        {0x5B, "LWin", 0x08, true},       {0xA3, "RCtrl", 0x10, true},     {0xA1, "RShift", 0x20, true},
        {0xA5, "RAlt", 0x40, true},       {0x5C, "RWin", 0x80, true},
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
            if (row.modifier) {
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

QString sidedKeyName(int vk)
{
    const int i = indexes().byVk.value(vk, -1);
    return i < 0 ? QString() : QString::fromUtf8(rows().at(i).name);
}

QString comboKeyName(int vk)
{
    const int i = indexes().byVk.value(vk, -1);
    return i < 0 || rows().at(i).modifier ? QString() : QString::fromUtf8(rows().at(i).name);
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
