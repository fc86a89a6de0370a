#pragma once
// The sensor and DPI page: the DPI stages, report rate, lift-off distance,
// DPI light, the on/off sensor switches, the sensor mode and the
// full-performance switch of the open device. It fills itself from the
// device's record and reports, offers what the model supports, and writes the
// user's edits of its own controls; the option widgets write their own bytes.
#include "core/flashdatamap.h"

#include <QString>
#include <QWidget>

class QAbstractButton;
class QListView;

namespace Ui {
class Sensor;
}

class Sensor : public QWidget
{
    Q_OBJECT
public:
    explicit Sensor(QWidget* parent = nullptr);
    ~Sensor() override;

    // The DPI editor's starting stage count from dataFolder + "/Level.ini":
    // the first line's number; 1 for a missing file or an empty line.
    void loadLevelFile();
    void saveLevelFile(int value);

    // Sizes the button's icon to the button and shows the image.
    static void setButtonIcon(QAbstractButton* button, const QString& imagePath);

protected:
    void changeEvent(QEvent* event) override;

public slots:
    void on_Performance_toggled(bool on);
    // Delivered blocking-queued from the device connection.
    void SlotUpDataSenSorUISensor(FlashDataMap DataMap);
    void SlotFormReset();
    void SlotUpDataReportRate(int index);
    void SlotUpDataDPI(int index);
    void SlotUpDataDPILed(FlashDataMap DataMap);
    // A configuration file was imported.
    void SlotUpDataSenSorUIB(FlashDataMap DataMap);
    void on_ModelChoose_currentIndexChanged(int index);
    void on_LOD_currentIndexChanged(int index);
    void on_Performance_clicked(bool on);
    void on_PerformanceOpen_currentIndexChanged(int index);
    void SlotAllLanguage(int index);
    // The report-rate selector wrote a rate: 0 up to 1000 Hz, 1 above.
    void SlotHideModel(int index);

public:
    // No child of the form carries these names (the switches write through
    // their own buttons), so they are plain members: the form's
    // connect-by-name would only warn about them.
    void on_RippeControl_clicked(bool on);
    void on_StraightLine_clicked(bool on);
    void on_MotionSync_clicked(bool on);
    void on_pushButton_clicked();
    void on_pushButton_2_clicked();

private:
    void fillFromRecord(const FlashDataMap& record);
    // The stored LP/HP mode back in an enabled mode choice without "Corded".
    void showStoredMode();
    // "Corded" in a disabled mode choice, for the high report rates.
    void showCordedMode();
    bool modelOffersModeChoice() const;

    Ui::Sensor* ui;
    QString dataFolder;
    QString dpiMinText;
    QString dpiMaxText;
    QString pictureDir;
    QListView* modeListView = nullptr;
    QString supportSensorModeSel;
    QString supportLodCal;
    QString supportRipple;
    QString supportFixLine;
    QString supportMotionSync;
    QString supportMousepadCal;
};
