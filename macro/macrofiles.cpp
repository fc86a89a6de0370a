// The macro page's files: the macro list from the macro folder, loading and
// writing a macro's file, rename, export and import.
#include "macro/macro.h"

#include "ui_macro.h"

#include "core/globals.h"
#include "core/postmsg.h"
#include "core/waits.h"
#include "widgets/dialogframe.h"
#include "widgets/macroname.h"
#include "widgets/notices.h"
#include "widgets/pagedialogs.h"
#include "widgets/questiondialog.h"

#include <QButtonGroup>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QSignalBlocker>

namespace {

// Name and notice dialogs sit on the page's centre, moved left and up.
constexpr int kDialogDx = -100;
constexpr int kDialogDy = -50;
// The size the import's name-clash notice is placed by.
const QSize kImportNoticeSize(300, 110);

constexpr char kMacroFileFilter[] = "File(*.ini)";

// A repeat value as line 1 may hold it; anything else is a count of 1.
QString fittingRepeat(const QString& text)
{
    return QString::number(shownRepeat(text.toInt()));
}

} // namespace

QString Macro::currentMacroName() const
{
    const QListWidgetItem* item = ui->listWidgetHong->currentItem();
    return item ? item->text() : QString();
}

bool Macro::macroListHas(const QString& name) const
{
    for (int i = 0; i < ui->listWidgetHong->count(); ++i) {
        if (ui->listWidgetHong->item(i)->text() == name)
            return true;
    }
    return false;
}

void Macro::fillMacroList()
{
    for (const QFileInfo& file : macroFolderFiles()) {
        if (file.fileName().contains(QLatin1String("xml")))
            continue;
        ui->listWidgetHong->addItem(macroNameOfFile(file.fileName()));
    }
}

void Macro::loadMacroFile()
{
    if (!ui->listWidgetHong->currentItem())
        return;
    ui->listWidgetKey->clear();
    const QString path = macroFilePath(currentMacroName());
    if (path.isEmpty())
        return;
    currentFile = path;
    QByteArray bytes;
    if (!readMacroFileBytes(path, &bytes))
        return;
    const MacroFileContent content = parseMacroFile(bytes);
    if (content.hasRepeatLine)
        setRepeatControls(content.repeat);
    for (const MacroRow& row : content.rows)
        ui->listWidgetKey->addItem(newRow(row));
}

void Macro::setRepeatControls(int value)
{
    // The value the button page sends for the same line.
    switch (shownRepeat(value)) {
    case kRepeatWhileHeld:
        ui->ReUntilLoose->setChecked(true);
        break;
    case kRepeatUntilClicked:
        ui->ReUntilClick->setChecked(true);
        break;
    case kRepeatUntilAnyButton:
        ui->ReUntil->setChecked(true);
        break;
    default:
        ui->ReNumber->setChecked(true);
        ui->NumberEdit->setValue(shownRepeat(value));
        break;
    }
}

QString Macro::repeatText() const
{
    if (ui->ReUntilLoose->isChecked())
        return QString::number(kRepeatWhileHeld);
    if (ui->ReUntilClick->isChecked())
        return QString::number(kRepeatUntilClicked);
    if (ui->ReUntil->isChecked())
        return QString::number(kRepeatUntilAnyButton);
    return QString::number(ui->NumberEdit->value());
}

bool Macro::createMacroFile()
{
    if (!ui->listWidgetHong->currentItem())
        return false;
    const QString path = macroFilePath(currentMacroName());
    QDir().mkpath(macroFolderPath);
    return writeFileAtomically(path, QByteArray());
}

void Macro::truncateFile(const QString& path)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.close();
}

bool Macro::saveMacroFile(const QString& repeat)
{
    const QString path = macroFilePath(currentMacroName());
    if (path.isEmpty() || !QFile::exists(path))
        return false;
    currentFile = path;
    // Written whole from the rows as they are now: the file is never seen half written.
    return writeFileAtomically(path, macroFileBytes(repeat, eventRows()));
}

bool Macro::appendMacroFile(const QString& name)
{
    return appendMacroFile(name, eventRows());
}

bool Macro::appendMacroFile(const QString& name, const QVector<MacroRow>& rows)
{
    const QString path = macroFilePath(name);
    if (path.isEmpty() || !QFile::exists(path))
        return false;
    currentFile = path;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    const QByteArray lines = macroFileRowLines(rows);
    return file.write(lines) == lines.size();
}

void Macro::WaitMs(int ms)
{
    waitWithEvents(ms);
}

QString Macro::askMacroName(bool rename)
{
    QuestionDialog question(nullptr);
    question.SetLabelText(rename);
    placeDialog(&question, this, kDialogDx, kDialogDy);
    // A name given after the page was left names nothing.
    if (!execForDevicePage(&question))
        return QString();
    const QString name = question.macroName;
    if (name.isEmpty())
        return QString();
    if (macroListHas(name)) {
        SameMacro notice(nullptr);
        placeDialog(&notice, this, kDialogDx, kDialogDy, question.size());
        execForDevicePage(&notice);
        return QString();
    }
    // A name that has no file of its own in the folder, or one the list would
    // not show at the next start, is refused.
    if (!isMacroFileName(name)) {
        showNameRefused(question.size());
        return QString();
    }
    return name;
}

void Macro::showNameRefused(const QSize& placedBy)
{
    SameMacro notice(nullptr);
    notice.showNameRefusedText();
    placeDialog(&notice, this, kDialogDx, kDialogDy, placedBy);
    execForDevicePage(&notice);
}

void Macro::showImportRefused()
{
    importFailReason = kImportNotAMacro;
    InportFail notice(nullptr);
    placeDialog(&notice, this, kDialogDx, kDialogDy);
    execForDevicePage(&notice);
}

void Macro::RenameMacro()
{
    QListWidgetItem* item = ui->listWidgetHong->currentItem();
    if (!item)
        return;
    const QString oldName = item->text();
    // Empty too when the page was left meanwhile, which clears the list and
    // the item with it.
    const QString name = askMacroName(true);
    const QString oldPath = macroFilePath(oldName);
    if (name.isEmpty() || oldPath.isEmpty())
        return;
    // A file that cannot take the new name keeps the old one everywhere: the
    // list and the buttons must keep naming a file that exists.
    if (QFile::exists(oldPath) && !QFile::rename(oldPath, macroFilePath(name)))
        return;
    item->setText(name);
    PostMsg::GetInstance()->PostMacroRename(oldName, name);
}

void Macro::ExPortMacro()
{
    if (!ui->listWidgetHong->currentItem())
        return;
    const QString fileName = askSaveFileName(this, QStringLiteral("FileSave"), QLatin1String(kMacroFileFilter));
    if (fileName.isEmpty())
        return;
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return;
    if (writeMacroExport(&file, currentMacroName(), repeatText(), eventRows()))
        file.commit();
}

void Macro::InPortMacro()
{
    const QString fileName = askOpenFileName(this, QStringLiteral("SelectFile"), QLatin1String(kMacroFileFilter));
    if (fileName.isEmpty())
        return;
    // A file that is no exported macro (unreadable, another tag, or rows
    // that do not read, as in a configuration export) adds nothing, and says so.
    QFile file(fileName);
    MacroExportHead head;
    if (!file.open(QIODevice::ReadOnly) || !readMacroExportHead(&file, &head)) {
        showImportRefused();
        return;
    }
    // The name a macro block can hold and give back.
    const QString name = fitMacroName(head.name);
    if (macroListHas(name)) {
        SameMacro notice(nullptr);
        placeDialog(&notice, this, kDialogDx, kDialogDy, kImportNoticeSize);
        execForDevicePage(&notice);
        return;
    }
    bool isExport = false;
    // Read whole before anything changes on the page.
    const QVector<MacroRow> rows = head.tag == QLatin1String(kMacroExportTag)
        ? readMacroExportRows(&file, &isExport)
        : QVector<MacroRow>();
    file.close();
    if (!isExport) {
        showImportRefused();
        return;
    }
    if (!isMacroFileName(name)) {
        showNameRefused(kImportNoticeSize);
        return;
    }

    auto* item = new QListWidgetItem(name);
    ui->listWidgetHong->addItem(item);
    ui->listWidgetHong->setCurrentItem(item);
    ui->listWidgetKey->clear();
    for (const MacroRow& row : rows)
        ui->listWidgetKey->addItem(newRow(row));
    // The repeat mode shown is the imported macro's, as its file says.
    const QString repeat = fittingRepeat(head.repeat);
    {
        const QSignalBlocker blockModes(repeatModeGroup);
        const QSignalBlocker blockCount(ui->NumberEdit);
        setRepeatControls(repeat.toInt());
    }
    const QString path = macroFilePath(name);
    QDir().mkpath(macroFolderPath);
    currentFile = path;
    writeFileAtomically(path, macroFileBytes(repeat, rows));
}
