// The macro page's event list: key rows and delay rows, and where each
// editing operation puts new rows.
#include "macro/macro.h"

#include "ui_macro.h"

#include "core/flashdatamap.h"
#include "macro/keynames.h"

namespace {

// The delay an inserted key brings with it.
constexpr double kInsertedDelayMs = 10;

} // namespace

QStringList Macro::hidCodesForKey(const QString& name)
{
    return keyCodesForName(name);
}

void Macro::setBlockEventCode(const QString& name, int i, MacroBlock& block)
{
    if (i < 0 || i >= kMacroBlockEvents)
        return;
    writeKeyEventCode(name, block.events[i]);
}

QListWidgetItem* Macro::newRow(const MacroRow& row) const
{
    if (isDelayText(row.text))
        return new QListWidgetItem(QIcon(pictureFolder + QStringLiteral("MacroTime.png")), row.text, nullptr, row.type);
    const QString picture = row.type == 0 ? QStringLiteral("MacroDown.png") : QStringLiteral("MacroUp.png");
    auto* item = new QListWidgetItem(QIcon(pictureFolder + picture), row.text, nullptr, row.type);
    // The key as it was named when the row was made: a mouse button's name
    // changes with the language, its key must not.
    item->setData(kRowKeyCodesRole, rowKeyCodes(row));
    return item;
}

QListWidgetItem* Macro::newKeyRow(const QString& name, bool keyDown) const
{
    MacroRow row;
    row.text = name;
    row.type = keyDown ? 0 : 1;
    return newRow(row);
}

QListWidgetItem* Macro::newDelayRow(const QString& text) const
{
    MacroRow row;
    row.text = text;
    return newRow(row);
}

void Macro::insertRow(int row, QListWidgetItem* item)
{
    QListWidget* list = ui->listWidgetKey;
    list->insertItem(qBound(0, row, list->count()), item);
}

void Macro::appendKeyEvent(const QString& name, bool keyDown)
{
    if (!ui->listWidgetHong->currentItem())
        return;
    QListWidget* list = ui->listWidgetKey;
    list->addItem(newKeyRow(name, keyDown));
    list->setCurrentRow(list->count() - 1);
}

void Macro::appendDelayEvent(double ms)
{
    if (!ui->listWidgetHong->currentItem())
        return;
    QListWidget* list = ui->listWidgetKey;
    list->addItem(newDelayRow(delayText(ms)));
    list->setCurrentRow(list->count() - 2);
}

void Macro::insertKeyEvent(const QString& name, bool keyDown)
{
    QListWidget* list = ui->listWidgetKey;
    const int r = list->currentRow();
    const int count = list->count();
    QListWidgetItem* key = newKeyRow(name, keyDown);
    QListWidgetItem* delay = newDelayRow(delayText(kInsertedDelayMs));
    if (r == 0) {
        insertRow(2, key);
        insertRow(3, delay);
    } else if (r < 0) {
        insertRow(count, key);
        insertRow(count + 1, delay);
    } else if (r == count - 1) {
        insertRow(count, delay);
        insertRow(count + 1, key);
    } else if (isDelayText(list->item(r)->text())) {
        insertRow(r + 1, key);
        insertRow(r + 2, delay);
    } else {
        insertRow(r + 2, key);
        insertRow(r + 3, delay);
    }
}

void Macro::insertKeyStroke(const QString& name)
{
    QListWidget* list = ui->listWidgetKey;
    const int r = list->currentRow();
    const int count = list->count();
    auto delay = [this] { return newDelayRow(delayText(kInsertedDelayMs)); };
    // Rows in their order, placed from the first position on.
    auto place = [this](int first, const QList<QListWidgetItem*>& rows) {
        for (int i = 0; i < rows.size(); ++i)
            insertRow(first + i, rows.at(i));
    };
    if (r == 0) {
        place(2, {newKeyRow(name, true), delay(), newKeyRow(name, false), delay()});
    } else if (r < 0 && count == 0) {
        place(0, {newKeyRow(name, true), delay(), newKeyRow(name, false)});
    } else if (r < 0 || r == count - 1) {
        place(count, {delay(), newKeyRow(name, true), delay(), newKeyRow(name, false)});
    } else if (isDelayText(list->item(r)->text())) {
        place(r + 1, {newKeyRow(name, true), delay(), newKeyRow(name, false), delay()});
    } else {
        place(r + 1, {delay(), newKeyRow(name, true), delay(), newKeyRow(name, false)});
    }
}

void Macro::setDelayEvent(double ms)
{
    QListWidget* list = ui->listWidgetKey;
    const int r = list->currentRow();
    const QString text = delayText(ms);
    if (r < 0) {
        list->addItem(newDelayRow(text));
        return;
    }
    if (r == 0)
        return;
    int at = r;
    if (isDelayText(list->item(r)->text())) {
        delete list->takeItem(r);
    } else if (isDelayText(list->item(r - 1)->text())) {
        at = r - 1;
        delete list->takeItem(at);
    }
    insertRow(at, newDelayRow(text));
    list->setCurrentRow(at);
}

QVector<MacroRow> Macro::eventRows() const
{
    QVector<MacroRow> rows;
    const QListWidget* list = ui->listWidgetKey;
    rows.reserve(list->count());
    for (int i = 0; i < list->count(); ++i) {
        const QListWidgetItem* item = list->item(i);
        rows.append({item->text(), item->type(), item->icon(), item->data(kRowKeyCodesRole).toStringList()});
    }
    return rows;
}
