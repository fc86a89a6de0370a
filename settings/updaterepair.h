#pragma once
// The firmware repair dialog: finishes a firmware upgrade that failed earlier,
// the receiver first and then the mouse. It also shows the settings page's
// upgrade progress.
#include <QByteArray>
#include <QDialog>
#include <QStringList>

namespace Ui {
class UpDateRepair;
}
class QTimer;

class UpDateRepair : public QDialog
{
    Q_OBJECT
public:
    explicit UpDateRepair(QWidget* parent = nullptr);
    ~UpDateRepair() override;

    // Dialog states.
    void resetView();
    void showReadyState();
    // For a message already put in the status line.
    void showMessageState();
    void showUpgradingState();
    void setStatusText(const QString& text);
    void hideCancelAndProgress();
    // The progress bar is up: a run goes on, or its result is shown.
    bool showsRun() const;
    // A run goes on and no result has been shown yet.
    bool awaitsResult() const;
    // A run ended with this message: the bar stays as it got, the dialog can
    // be left.
    void showRunEnd(const QString& text);

    // A repair the user asked for: the check then skips the device match and
    // the image scan. Nothing starts until a check has found an image.
    void startManualRepair(int value);
    // Reads the failed-upgrade record, checks the devices and the images;
    // true when a repair can start, else the dialog shows why not (or nothing,
    // without a record).
    bool checkRepairNeeded();
    void startRepairUpgrade();

    // Copies the receiver's id into every connected mouse; true when a
    // receiver answered. rewriteDongleId sends the last id read again.
    static bool restoreDongleId();
    static void rewriteDongleId();

    // Keeps repairDialogVisible for the settings page's instance.
    void setVisible(bool visible) override;

    // How long a run may stay without any status from the library before it
    // counts as failed. Tests shorten it.
    static int answerTimeoutMs;

public slots:
    void SlotAutoRepair(int index);
    void SlotAutoRepairProgress(int value);
    void SlotProgress(int schedue, int Discrib);
    void SlotRepairCheckUpdate();
    void SlotAllLanguage(int index);
    void on_CloseButton_clicked();
    void on_NewHong_clicked();
    void on_NewHong_2_clicked();

protected:
    // Escape while a run goes on leaves nothing behind the user's back.
    void reject() override;

private:
    // Puts a message in the status line and shows the message state; false.
    bool showMessage(const QString& text);
    void setShortcuts();
    void stopAnswerWatch();

    Ui::UpDateRepair* ui;
    QTimer* answerWatch;
    int failedType = 0;
    QString driveGroup;
    QString receiverFirmwareName;
    bool repairReady = false;
    bool manualRequest = false;
    int manualValue = 0;
    QStringList repairTexts;   // "AutoRepair" items
    QStringList progressTexts; // "Progress" items
    QString finishText;
};

// The settings page's hidden instance; null until the settings page exists.
extern UpDateRepair* settingsRepairDialog;

// Process-wide repair state: the status callback has no object.
extern QStringList failInfoFields;   // "UpdateFailInfo": type, rate class, CID, MID
extern int repairStage;              // 0 the receiver is flashed, 1 the mouse
extern int repairStageCount;         // 2 when both images were found
extern int failedStage;              // 0 the failed device is the receiver, 1 the mouse
extern int failRateClass;            // 0, 1, 2, 4 or 8
extern int failCid;
extern int repairMid;
extern QString mouseFirmwareName;
// Set while a repair upgrade runs, from its start to its end however it
// ends; the home page then does not ask for a new check on every plug.
extern bool repairRunning;
// Set from the first progress report of a repair upgrade to its result; the
// dialog cannot be left meanwhile.
extern bool repairUpgrading;
extern QByteArray receiverIdBytes;
extern bool receiverOnline;

// The library's status callback of a repair run. Runs on the library's
// thread and only passes the packet to the GUI thread.
void repairUpgradeStatusCallback(const unsigned char* packet, int length);
