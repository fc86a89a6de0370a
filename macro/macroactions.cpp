// What the user does on the macro page: new, delete and the context menu of
// the macro list, inserting, changing and deleting events, the delay and
// repeat controls, and Save.
#include "macro/macro.h"

#include "ui_macro.h"

#include "core/globals.h"
#include "core/postmsg.h"
#include "macro/adddelaytime.h"
#include "macro/addkey.h"
#include "macro/keynames.h"
#include "widgets/confirmations.h"
#include "widgets/dialogframe.h"
#include "widgets/exeisrun.h"
#include "widgets/macroname.h"
#include "widgets/pagedialogs.h"

#include <QCursor>
#include <QFile>
#include <QMenu>

namespace {

// Notices and the name dialog sit on the page's centre, moved left and up;
// the event dialogs a little less to the left and higher.
constexpr int kNoticeDx = -100;
constexpr int kNoticeDy = -50;
constexpr int kEventDialogDx = -50;
constexpr int kEventDialogDy = -70;

// The delay spin box's effective top: a device delay is 16 bits.
constexpr int kMaxDelayMs = 65535;

// Items of the insert-event box.
enum ChooseEventItem {
    kChooseNothing = 0,
    kChooseKeyPress = 1,
    kChooseKeyRelease = 2,
    kChooseDelay = 3,
    kChooseLeftButton = 4,
    kChooseBackButton = 8,
};

} // namespace

// ---- Refusals ----------------------------------------------------------------------

void Macro::showRunningNotice(bool pleaseStop)
{
    ExeIsRun notice(nullptr);
    if (pleaseStop)
        notice.showPleaseStopText();
    else
        notice.showSecondText();
    placeDialog(&notice, this, kNoticeDx, kNoticeDy);
    execForDevicePage(&notice);
}

bool Macro::refusedWhileRecording()
{
    if (!macroRecording)
        return false;
    showRunningNotice(true);
    return true;
}

// ---- The macro list -----------------------------------------------------------------

void Macro::on_NewHong_clicked()
{
    if (refusedWhileRecording())
        return;
    const QString name = askMacroName(false);
    if (name.isEmpty())
        return;
    auto* item = new QListWidgetItem(name);
    ui->listWidgetHong->addItem(item);
    ui->listWidgetHong->setCurrentItem(item);
    createMacroFile();
    ui->listWidgetKey->clear();
    ui->ReNumber->setChecked(true);
    ui->NumberEdit->setValue(1);
}

void Macro::CreateMewMacro()
{
    on_NewHong_clicked();
}

void Macro::on_DeleteHong_clicked()
{
    if (refusedWhileRecording())
        return;
    QListWidgetItem* item = ui->listWidgetHong->currentItem();
    if (!item)
        return;
    DeleteConfirm confirm(nullptr);
    placeDialog(&confirm, this, kNoticeDx, kNoticeDy);
    // Leaving the page clears the list, and the item with it.
    if (!execForDevicePage(&confirm) || !confirm.okClicked)
        return;
    const QString name = item->text();
    const QString path = macroFilePath(name);
    if (!path.isEmpty())
        QFile::remove(path);
    PostMsg::GetInstance()->PostDeleteMacroButton(macroCaptionPrefix + name);
    delete ui->listWidgetHong->takeItem(ui->listWidgetHong->row(item));
    ui->listWidgetKey->clear();
    ui->listWidgetHong->setCurrentRow(-1);
}

void Macro::DeleteMacro()
{
    on_DeleteHong_clicked();
}

void Macro::on_listWidgetHong_customContextMenuRequested(QPoint pos)
{
    // One menu at a time: the last one goes when the next is asked for, as
    // its entry may still be running while it hides.
    delete listMenu.data();
    auto* menu = new QMenu(this);
    listMenu = menu;
    menu->setFont(ui->listWidgetHong->font());
    // The page's dark skin, with the combo boxes' colours.
    menu->setStyleSheet(QStringLiteral("QMenu{border: 1px solid gray; background-color: rgb(")
                        + skinColour(QStringLiteral("ComboxBackGroundColor")) + QStringLiteral("); color: rgb(")
                        + skinColour(QStringLiteral("ComboxTextColor"))
                        + QStringLiteral(");}QMenu::item{padding: 4px 24px;}QMenu::item:selected{background-color: rgb(")
                        + skinColour(QStringLiteral("ComboxSelectColor")) + QStringLiteral(");}"));
    auto add = [this, menu](const QString& text, void (Macro::*slot)()) {
        QAction* action = menu->addAction(text);
        action->setFont(menu->font());
        connect(action, &QAction::triggered, this, slot);
    };
    if (ui->listWidgetHong->itemAt(pos)) {
        add(exportMenuText, &Macro::ExPortMacro);
        add(renameMenuText, &Macro::RenameMacro);
        add(deleteMenuText, &Macro::DeleteMacro);
    } else {
        add(newMenuText, &Macro::CreateMewMacro);
        add(importMenuText, &Macro::InPortMacro);
    }
    menu->popup(QCursor::pos());
}

// ---- Events -------------------------------------------------------------------------

void Macro::on_ChooseEvent_activated(int index)
{
    // Asked again after a dialog: the page may have been left while it was
    // open, and its macro with it.
    auto macroSelected = [this] { return ui->listWidgetHong->currentItem() != nullptr; };
    switch (index) {
    case kChooseKeyPress:
    case kChooseKeyRelease: {
        addKey dialog(nullptr);
        placeDialog(&dialog, this, kEventDialogDx, kEventDialogDy);
        if (!execForDevicePage(&dialog) || dialog.result() != QDialog::Accepted || !dialog.isOk || !macroSelected())
            return;
        insertKeyEvent(dialog.keyName, index == kChooseKeyPress);
        break;
    }
    case kChooseDelay: {
        AddDelayTime dialog(nullptr);
        placeDialog(&dialog, this, kEventDialogDx, kEventDialogDy);
        if (!execForDevicePage(&dialog) || !dialog.isOk || !macroSelected() || ui->listWidgetKey->currentRow() < 0)
            return;
        setDelayEvent(dialog.delayTime);
        break;
    }
    default: {
        if (index < kChooseLeftButton || index > kChooseBackButton || !macroSelected())
            return;
        const QString* const names[] = {&leftButtonName, &rightButtonName, &middleButtonName, &forwardButtonName,
                                        &backButtonName};
        insertKeyStroke(*names[index - kChooseLeftButton]);
        break;
    }
    }
    eventsChanged = true;
    setSaveActive(true);
}

void Macro::on_Amend_clicked()
{
    if (refusedWhileRecording())
        return;
    QListWidgetItem* row = ui->listWidgetKey->currentItem();
    if (!row)
        return;
    // The new text marks the events changed through itemChanged. Leaving the
    // page while a dialog is open clears the list, and the row with it.
    if (isDelayText(row->text())) {
        AddDelayTime dialog(nullptr);
        placeDialog(&dialog, this, kEventDialogDx, kEventDialogDy);
        if (!execForDevicePage(&dialog) || !dialog.isOk)
            return;
        row->setText(QString::number(dialog.delayTime) + QStringLiteral("ms"));
    } else {
        addKey dialog(nullptr);
        placeDialog(&dialog, this, kEventDialogDx, kEventDialogDy);
        if (!execForDevicePage(&dialog) || dialog.result() != QDialog::Accepted || !dialog.isOk)
            return;
        row->setText(dialog.keyName);
        row->setData(kRowKeyCodesRole, keyCodesForName(dialog.keyName));
    }
    setSaveActive(true);
}

void Macro::on_DeleteKey_clicked()
{
    if (refusedWhileRecording())
        return;
    if (!ui->listWidgetHong->currentItem())
        return;
    QListWidget* list = ui->listWidgetKey;
    const int n = list->count();
    // A key and its delay go together; three rows or fewer cannot keep a pair.
    if (n <= 3) {
        list->clear();
        eventsChanged = true;
        setSaveActive(true);
        return;
    }
    const int r = list->currentRow();
    if (r < 0)
        return;
    const QVector<MacroRow> rows = eventRows();
    if (isDelayText(rows.at(r).text)) {
        // A pause goes alone: the keys around it keep their press and release.
        delete list->takeItem(r);
    } else {
        // A key goes with its other half, so no key is left held down, and
        // each of the two with one delay beside it.
        const int partner = keyPartnerRow(rows, r);
        QList<QListWidgetItem*> keys{list->item(r)};
        if (partner >= 0)
            keys << list->item(partner);
        for (QListWidgetItem* key : keys) {
            const int at = list->row(key);
            if (at + 1 < list->count() && isDelayText(list->item(at + 1)->text()))
                delete list->takeItem(at + 1);
            else if (at > 0 && isDelayText(list->item(at - 1)->text()))
                delete list->takeItem(at - 1);
            delete list->takeItem(list->row(key));
        }
    }
    eventsChanged = true;
    setSaveActive(true);
}

int Macro::keyPartnerRow(const QVector<MacroRow>& rows, int row)
{
    auto sameKey = [&](const MacroRow& other) {
        return !isDelayText(other.text) && isSameKey(other, rows.at(row));
    };
    // A press pairs with the next release of its key, a release with the
    // press before it; presses of the same key in between nest.
    const bool press = rows.at(row).type == 0;
    const int step = press ? 1 : -1;
    int depth = 0;
    for (int i = row + step; i >= 0 && i < rows.size(); i += step) {
        if (!sameKey(rows.at(i)))
            continue;
        if ((rows.at(i).type == 0) == press) {
            ++depth;
        } else if (depth == 0) {
            return i;
        } else {
            --depth;
        }
    }
    return -1;
}

void Macro::on_listWidgetKey_itemChanged(QListWidgetItem* /*item*/)
{
    eventsChanged = true;
}

// ---- Delay and repeat -------------------------------------------------------------

void Macro::on_DelayTime_valueChanged(int value)
{
    if (value >= kMaxDelayMs)
        ui->DelayTime->setValue(kMaxDelayMs);
}

void Macro::on_NumberEdit_valueChanged(int /*value*/)
{
    repeatChanged = true;
    setSaveActive(true);
}

// ---- Save ----------------------------------------------------------------------------

void Macro::on_Save_clicked()
{
    if (refusedWhileRecording())
        return;
    setSaveActive(false);
    if (!ui->listWidgetHong->currentItem())
        return;
    const QString name = currentMacroName();
    // A file gone from the folder is made again: the rows are what counts.
    if (!QFile::exists(macroFilePath(name)))
        createMacroFile();
    // The rows saved are the rows sent, though the send waits and another
    // macro may be opened meanwhile.
    const QVector<MacroRow> rows = eventRows();
    if (!saveMacroFile(repeatText())) {
        // Nothing was stored: the changes stay unsaved and Save stays offered.
        setSaveActive(true);
        return;
    }
    if (eventsChanged) {
        // Cleared first: an edit made while the send waits, or a button the
        // device did not take, marks the events unsaved again.
        eventsChanged = false;
        takeMacroSendRefused();
        savedRows.insert(name, rows);
        PostMsg::GetInstance()->PostUpDataMacro(name, 0);
        // A later Save of the same macro inside the wait has sent its own
        // rows; what is left sends the file, the last one saved.
        savedRows.remove(name);
        takeMacroSendRefused();
    }
    if (repeatChanged) {
        repeatChanged = false;
        PostMsg::GetInstance()->PostUpDataMacro(name, 1);
    }
}
