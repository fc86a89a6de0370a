// The macro page and the device's macro blocks: a button's block read into
// its macro's file, and the open macro's rows sent to a button.
#include "macro/macro.h"

#include "ui_macro.h"

#include "core/globals.h"
#include "core/postmsg.h"
#include "core/setters.h"
#include "macro/macroblock.h"
#include "macro/macrofile.h"
#include "widgets/macroname.h"

void Macro::connectTransfer()
{
    hubConnect(SIGNAL(SigButtonToMacro(FlashDataMap,int)), this, SLOT(SlotButtonToMacro(FlashDataMap,int)));
    hubConnect(SIGNAL(SigMacroDownLoadData(QString,int)), this, SLOT(SlotMacroDownLoadData(QString,int)));
}

bool Macro::holdsUnsavedWork() const
{
    return eventsChanged || repeatChanged || recording || macroRecording;
}

QListWidgetItem* Macro::listDeviceMacro(const QString& name, bool makeCurrent)
{
    QListWidget* list = ui->listWidgetHong;
    const QList<QListWidgetItem*> found = list->findItems(name, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (!found.isEmpty())
        return found.first();
    auto* item = new QListWidgetItem(name);
    if (list->currentItem()) {
        list->insertItem(list->currentRow() + 1, item);
    } else {
        list->addItem(item);
        if (makeCurrent)
            list->setCurrentItem(item);
    }
    return item;
}

void Macro::SlotButtonToMacro(FlashDataMap DataMap, int KeyNumer)
{
    if (KeyNumer < 0 || KeyNumer >= kButtonCount)
        return;
    const MacroBlock& block = DataMap.macroBlocks[KeyNumer];
    // The name becomes a file name: what the device holds is made safe first.
    const QString name = safeMacroName(macroBlockName(block));
    // A file that already sends the device's macro keeps its rows as they
    // are: the button page left it whole.
    QByteArray bytes;
    const QVector<MacroRow> rows =
        readMacroFileBytes(macroFilePath(name), &bytes) && macroFileGivesBlock(bytes, block)
        ? QVector<MacroRow>()
        : macroRowsFromBlock(block);

    // Every full image and every language change brings the device's macros
    // again: they must not wipe edits not yet saved, nor a recording.
    if (holdsUnsavedWork()) {
        const QString openFile = currentFile;
        listDeviceMacro(name, false);
        appendMacroFile(name, rows);
        currentFile = openFile;
    } else {
        ui->listWidgetKey->clear();
        listDeviceMacro(name, true);
        appendMacroFile(name, rows);
        ui->listWidgetHong->setCurrentItem(nullptr);
        ui->listWidgetKey->clear();
    }
    PostMsg::GetInstance()->PostAddMacroButton();
}

void Macro::SlotMacroDownLoadData(QString MacroName, int index)
{
    if (index < 0 || index >= kButtonCount)
        return;
    const ButtonParam param = CurrentFlashData.buttons[index];
    const QString name = MacroName.remove(QChar(0));
    if (name.isEmpty())
        return;
    // The send comes a while after the Save: another macro may be open by now.
    QVector<MacroRow> rows;
    if (savedRows.contains(name)) {
        rows = savedRows.value(name);
    } else {
        QByteArray bytes;
        if (!readMacroFileBytes(macroFilePath(name), &bytes))
            return;
        rows = parseMacroFile(bytes).rows;
    }
    const MacroBlock block = macroBlockFromRows(name, rows);
    if (!deviceWriteEnabled || !SetButtonMacro(index, &param, &block)) {
        // Not on the device: the events stay to be sent by the next save.
        macroSendRefused = true;
        eventsChanged = true;
        setSaveActive(true);
    }
}

bool Macro::takeMacroSendRefused()
{
    const bool refused = macroSendRefused;
    macroSendRefused = false;
    return refused;
}
