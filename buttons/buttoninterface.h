#pragma once
// The button assignment page. It owns the device connection worker: it
// creates the one Worker and shuts it down when the page goes.
#include "core/flashdatamap.h"

#include <QString>
#include <QWidget>

namespace Ui {
class Buttoninterface;
}

class Buttoninterface : public QWidget
{
    Q_OBJECT
public:
    explicit Buttoninterface(QWidget* parent = nullptr);
    ~Buttoninterface() override;

public slots:
    void SlotMouseIndex(int index);
    void SlotUpDataButtonUIB(FlashDataMap DataMap);
    void SlotAddMacroButton();
    void SlotDeleteMacroButton(QString MacroName);
    void SlotUpDataMacro(QString MacroName, int index);
    void SlotMacroRename(QString Rename, QString Name);
    void SlotAllLanguage(int index);
    // Delivered blocking-queued from the device connection.
    void SlotUpDataButtonUIButton(FlashDataMap DataMap);
    void SlotUpDataConfigUI(int ToTalItem, int SelectIndex, bool ItemEnable);
    void SlotFormResetButton();

    // Export, import and factory reset of the whole configuration.
    void on_OutputData_clicked();
    void on_ImportData_clicked();
    void on_Reset_clicked();
    // Writes the configuration file of this record, with the open model's
    // sensor name; a file that cannot be written is left alone.
    void SaveConfigFile(QString fileName, FlashDataMap data);

private:
    void fillFromRecord(const FlashDataMap& record);

    Ui::Buttoninterface* ui;
};
