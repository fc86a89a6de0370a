#pragma once
// The firmware repair dialog: finishes a firmware upgrade that failed earlier.
#include <QDialog>

namespace Ui {
class UpDateRepair;
}

class UpDateRepair : public QDialog
{
    Q_OBJECT
public:
    explicit UpDateRepair(QWidget* parent = nullptr);
    ~UpDateRepair() override;

    // Puts the dialog in its start state: button texts, empty status line,
    // progress bar at 0 and hidden.
    void resetView();
    // A repair the user asked for: the check for a recorded failed upgrade
    // is then skipped.
    void startManualRepair(int value);

    // Keeps repairDialogVisible for the settings page's instance.
    void setVisible(bool visible) override;

public slots:
    void SlotRepairCheckUpdate();
    void SlotAllLanguage(int index);
    void on_CloseButton_clicked();
    void on_NewHong_clicked();

private:
    Ui::UpDateRepair* ui;
    bool manualRequest = false;
    int manualValue = 0;
    QString startText;
    QString cancelText;
};

// The settings page's hidden instance; null until the settings page exists.
extern UpDateRepair* settingsRepairDialog;
// Set while a repair upgrade runs; the home page then does not ask for a new
// check on every plug and unplug.
extern bool repairRunning;
// Set from the first progress report of a repair upgrade to its result; the
// dialog cannot be left meanwhile.
extern bool repairUpgrading;
