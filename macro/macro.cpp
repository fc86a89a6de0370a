#include "macro/macro.h"

#include "ui_macro.h"

#include "core/globals.h"
#include "core/languagetable.h"
#include "core/postmsg.h"
#include "widgets/dialogframe.h"
#include "widgets/exeisrun.h"

namespace {

enum MacroTextItem { kListTitleItem = 0, kStartRecordItem = 6, kStopRecordItem = 7 };

} // namespace

Macro::Macro(QWidget* parent)
    : QWidget(parent)
    , ui(new Ui::Macro)
{
    ui->setupUi(this);
    ui->StopRecord->setEnabled(false);
    hubConnect(SIGNAL(SigSetMacroPage()), this, SLOT(SlotSetMacroPage()));
    hubConnect(SIGNAL(SigAllLanguage(int)), this, SLOT(SlotAllLanguage(int)));
    SlotAllLanguage(languageIndex);
}

Macro::~Macro()
{
    // The main window ignores every key while a recording runs.
    if (recording)
        macroRecording = 0;
    delete ui;
}

void Macro::SlotAllLanguage(int index)
{
    ui->label->setText(MacroTexts.text(index, kListTitleItem));
    ui->StartRecord->setText(MacroTexts.text(index, kStartRecordItem));
    ui->StopRecord->setText(MacroTexts.text(index, kStopRecordItem));
}

void Macro::on_StartRecord_clicked()
{
    if (!ui->listWidgetHong->currentItem()) {
        ExeIsRun notice(nullptr);
        notice.showSecondText();
        placeDialog(&notice, this, -100, -50);
        notice.exec();
        return;
    }
    recording = true;
    macroRecording = 1;
    ui->StartRecord->setEnabled(false);
    ui->StopRecord->setEnabled(true);
    PostMsg::GetInstance()->PostStartRecord(0);
}

void Macro::on_StopRecord_clicked()
{
    stopRecording();
}

void Macro::SlotSetMacroPage()
{
    stopRecording();
    ui->listWidgetHong->setCurrentItem(nullptr);
}

void Macro::stopRecording()
{
    recording = false;
    macroRecording = 0;
    ui->StartRecord->setEnabled(true);
    ui->StopRecord->setEnabled(false);
    PostMsg::GetInstance()->PostStartRecord(1);
}
