#pragma once
// The "please wait" dialog of the device page: after its timer it imports a
// configuration file, or waits for the sensor and button pages to take a
// freshly read configuration, or falls back to the device cache.
#include "core/flashdatamap.h"

#include <QDialog>
#include <QString>
#include <QTimer>

#include <cstdint>

namespace Ui {
class UpDataParam;
}

class QKeyEvent;

class UpDataParam : public QDialog
{
    Q_OBJECT
public:
    explicit UpDataParam(QWidget* parent = nullptr);
    ~UpDataParam() override;

    // Waits of a showing; tests shorten them.
    static int waitTimerMs;        // the timer before the decision
    static int stepMs;             // one wait for the page acknowledgements
    static int attempts;           // acknowledgement checks
    static int settleSleepMs;      // blocking pause after the acknowledgement wait
    static int importSettleSteps;  // waits after a successful import

    // Starts the single-shot timer whose end makes the decision.
    void startWaitTimer();
    // Starts the timer's count over when it is still counting; false once the
    // decision has begun (or when no wait was started).
    bool restartWait();

public slots:
    // A wait still counting ends without a decision: its timer stops and the
    // dialog, when shown, closes. A decision under way goes on. Leaving the
    // device page calls it.
    void abandonWait();

public:

    // The sensor, button and settings pages show `record` (the fills of the
    // GUI thread: they acknowledge nothing and write nothing).
    static void refillPages(const FlashDataMap& record);

    // 0 the file fits the open model (the record is in *out); 1 it cannot be
    // read or is no configuration file; 2 another sensor or too many stages.
    int readImportFile(const QString& path, FlashDataMap* out);

    QString filePath;
    uint8_t importMode = 0;    // the next timer end imports filePath
    uint8_t waitForPages = 0;  // every timer end waits for both page acknowledgements

signals:
    // The end of a decision: whether the configuration it waited for came
    // (an import counts as answered).
    void waitDecided(bool answered);
    // A wait of the open device ended, or was left with Escape, before that
    // device's own record came: what the pages show is still another
    // device's, so they must show this one's cache or the factory settings.
    void recordNotArrived();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private slots:
    void onTimeupDestroy();
    void SlotAllLanguage(int index);

private:
    // Emits recordNotArrived() when the open device's record has not come.
    void reportRecordMissing();
    // Checks both acknowledgements up to `attempts` times with a wait after
    // each miss; true when both came.
    bool waitForAcknowledgements();
    void importFile();
    // Sets importFailReason and shows the import-failure notice.
    void refuseImport(int reason);

    Ui::UpDataParam* ui;
    QString pictureFolder;
    QTimer* waitTimer;
};
