#pragma once
// The settings page: language, auto-start, firmware versions and pairing.
#include "core/deviceinfo.h"
#include "lighting/inputpic.h"
#include "lighting/ledinfo.h"
#include "lighting/lightmodeset.h"

#include <QElapsedTimer>
#include <QList>
#include <QPoint>
#include <QStringList>
#include <QWidget>

namespace Ui {
class FormSetting;
}
class QButtonGroup;
class QTimer;
class UpDateWarning;

class FormSetting : public QWidget
{
    Q_OBJECT
public:
    explicit FormSetting(QWidget* parent = nullptr);
    ~FormSetting() override;

    // The interval of the firmware update's step machine. Tests shorten it.
    static int checkIntervalMs;

    // Start a receiver or a mouse run of the update. Plain calls, not slots:
    // no widget of the form bears these names.
    void on_Receive_clicked();
    void on_Mouse_clicked();

public slots:
    // Firmware update: whether a run can start (the repair dialog is
    // prepared either way), its step machine and its chaining.
    bool ChechIsUpDate();
    void on_Receive_2_clicked();
    void onDongleCheckTimer();
    void onMouseCheckTimer();
    void SetVer(int what);
    void SetVerText();
    void SlotLabelText(int index, QString text);
    void SlotLabelTextB(QString version, QString flag);
    void SlotCheckUpdate();
    void SlotRGBValue(DongleRGB* Rgb);
    void SlotLongRangeMode(bool Select);
    void SlotForm();
    void SlotFormB();
    void SlotFormResetForm();
    void SlotLightToFrom(int seconds);
    void SlotLanguageSameB(int index);
    void SlotAllLanguage(int index);
    void SlotUpdateFrame(bool IsVis);
    void SlotDevicePageLeft();
    void SlotContinue(int value);
    void SlotScroolChange(int value);
    void on_Start();
    void on_comboBox_activated(int index);
    void on_checkBox_clicked(bool on);
    // Receiver options, pairing and the two links.
    void on_checkBox_2_toggled(bool checked);
    void on_ReUntil_toggled(bool checked);
    void on_ReUntil_2_toggled(bool checked);
    void on_ReUntil_3_toggled(bool checked);
    void on_pushButton_clicked();
    void on_pushButton_2_clicked();
    void on_pushButton_3_clicked();

protected:
    // Presses on the page's background stay on the page.
    void mousePressEvent(QMouseEvent* event) override;

private:
    void checkVersion(int step, int kind, const QString& currentVersion);
    // Busy, idle cleared, the kind's step machine started.
    void startRun(int kind);
    // The other device's run after one ended: the mouse after the receiver,
    // the receiver after the mouse when allowed.
    void chainRuns(bool mayStartReceiver);
    // No image for this kind: its run ends with nothing done.
    void nothingToRun(int kind);
    QString shownReceiverVersion() const;
    QString shownMouseVersion() const;
    void chooseImage(int kind, const QString& currentVersion);
    void startRunIfOneTarget(int kind, const QString& currentVersion);
    void waitForRun(int kind);
    void endRun(int kind);
    // Once the runs the update dialog started have all ended: a dialog that
    // no run has given a result gets one, and its way out.
    void finishDialogRun();
    // The button and indicator after a run of this kind.
    void refreshLook(int kind);
    void showUpdateNotice(const QString& text);
    void showRepairDialog();
    // Puts a message into the repair dialog; false.
    bool repairMessage(const QString& text);
    int rateClassOfPage() const;
    QString driveGroup() const;
    void setUpdateLook(bool available);
    // The receiver's LED mode, written when the user picks it.
    void ledModeToggled(int mode, bool checked);
    // A device-writing option may write: writing is on, the page is not
    // filling itself and the device answers (else the offline notice).
    bool receiverWritable();
    QStringList advancedOptions() const;
    // The option rows the model and the open device offer.
    void fillRows(bool mayShowLongRange);

    void applySkin();
    // The content is 710 high without the receiver LED rows and 860 with
    // them; the two footer buttons follow its bottom.
    void setTallPage(bool tall);
    QList<QWidget*> longRangeRows() const;
    QList<QWidget*> ledRows() const;

    Ui::FormSetting* ui;
    QString pictureDir;
    // Language texts the firmware update reports with.
    QString noDeviceText;
    QString sameDeviceText;
    QString upToDateText;
    QString updateText;
    QString noReceiverText;
    QString noMouseText;
    QString repairErrorText;
    QString multiDongleText;
    QString multiMouseText;
    UpDateWarning* updateWarning;
    QPoint labelHomePos;
    QButtonGroup* ledModeGroup;
    QString buttonColor;
    // Vertical offset of the rows below the sleep section.
    const int layoutOffset = 80;
    // Held with the page and never shown; they build without a parent.
    LedInfo ledInfo;
    InputPicA inputPicA;
    InputPicB inputPicB;
    LightModeSet lightModeSet;
    bool fontScaled = false;
    // Set while the page mirrors the device; no handler writes meanwhile.
    bool filling = false;

    // The firmware update's step machine.
    QTimer* receiverCheckTimer;
    QTimer* mouseCheckTimer;
    int updateStep = 0;
    int receiverBootCounts[4] = {};     // "DM", "D2M", "D4M", "D8M"
    QStringList receiverPaths;
    bool receiverNoImage = false;
    bool mouseNoImage = false;
    bool receiverRunActive = false;
    bool mouseRunActive = false;
    bool chainedStart = false;
    int mouseRepairPending = 0;
    QString repairGroup;                // kept by the repair check for on_Start
    QString repairReceiverImage;
    QString receiverVersionText;
    QString mouseVersionText;
    // The runs the update dialog's start button began: whether one flashed,
    // and why one could not start (the text its notice would show).
    bool dialogRun = false;
    bool dialogRunFlashed = false;
    QString dialogRunMessage;
    // The update dialog has opened by itself for the device now open.
    bool updateOffered = false;
    // Time since the running flash last reported; a run that stays silent
    // too long has failed.
    QElapsedTimer answerClock;
    int answersSeen = 0;
};

// The status callback of the settings page's firmware runs. Runs on the
// library's thread and only passes the packet to the GUI thread.
void settingsUpgradeStatusCallback(const unsigned char* packet, int length);
