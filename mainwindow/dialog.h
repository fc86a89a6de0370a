#pragma once
// The device page frame: the open device's pages, battery state and the
// back, minimise and close buttons.
#include <QString>
#include <QWidget>

class Buttoninterface;
class FormSetting;
class Macro;
class QButtonGroup;
class QTimer;
class Sensor;
class UpDataParam;

namespace Ui {
class Dialog;
}

class Dialog : public QWidget
{
    Q_OBJECT
    friend class DialogTest;

public:
    explicit Dialog(QWidget* parent = nullptr);
    ~Dialog() override;

    // The event-processing pause of the back button before the connection ends.
    static int backWaitMs;
    // After a wait that went unanswered, the window takes clicks this long
    // before the next wait shows, so the back and close buttons can be used.
    static int unansweredPauseMs;

    // The battery indicator as before a device's first battery report: full,
    // grey, not charging. A device that never reports (a receiver without its
    // mouse) must not show the level of the device opened before it.
    void resetBatteryIndicator();

    // Until the open device's own record has come, the pages show its cache
    // file, else the factory settings, never the device opened before. A
    // record that has come is left as it is. The main window calls it as the
    // page opens; the wait calls it when it ends or is put away.
    void showLastKnownSettings();

public slots:
    void WindowClosed();
    void WindowMin();
    void on_ButtonMain_clicked();
    void on_SensorButton_clicked();
    void on_MacroButton_clicked();
    void on_LightsButton_clicked();
    void on_UpArrow_clicked();
    void on_SetButton_clicked();
    void SlotSecondDialog();
    void SlotUpDataParam(int index);
    void SlotStartRecord(int index);
    void SlotBattery(bool IsCharg, int Number, bool IsText);
    void SlotMouseIndex(int index);
    void on_CloseButton_clicked();
    void on_FormSetting_clicked();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void saveDeviceCache();
    // Runs the requested wait unless one is running or the window is left
    // free after an unanswered one; the pause's end comes back here.
    void showRequestedWait();
    // Leaving the device: no wait is shown for it any more.
    void dropRequestedWait();

    Ui::Dialog* ui;
    QButtonGroup* unusedGroup;
    QButtonGroup* pageGroup;
    Buttoninterface* buttonPage;
    Macro* macroPage;
    Sensor* sensorPage;
    FormSetting* settingsPage;
    UpDataParam* waitDialog;
    QTimer* unansweredPause;
    bool waitRequested = false;
    bool waitRunning = false;  // inside the wait dialog's exec()
    bool leaving = false;      // the back or close button is at work
    QString pictureFolder;
    QString batteryUnknownStyle;  // the form's grey fill
};
