#pragma once
// The DPI light effect panel: the effect mode (off, steady, breathing), the
// breathing speed (1..5) and the steady brightness (levels 1..10). Each user
// change is written at once; the page's operations below only show values.
#include "core/flashdatamap.h"

#include <QFrame>

class QButtonGroup;
class QLabel;
class QSlider;
class QSpinBox;
class QWidget;

namespace Ui {
class SensorEffect;
class SensorEffectB;
} // namespace Ui

// Brightness byte of each level 1..10, and the level of a byte (a byte
// outside the table is taken as the level itself).
int dpiLightBrightnessByte(int level);
int dpiLightBrightnessLevel(int byte);

// What both layouts share: the two slider rows, their visibility by mode,
// the texts and the writes of a user's change.
class EffectPanel : public QFrame
{
    Q_OBJECT
public:
    // Speed and brightness level, held within the sliders' ranges. Writes
    // nothing.
    void setSpeed(int speed);
    void setBrightnessLevel(int level);
    void setSlidersEnabled(bool enabled);
    // Selects mode 0..2 and shows its rows; other modes change nothing.
    // Writes nothing.
    virtual void setEffectMode(int mode) = 0;
    // The DPI light of a record: its mode (off when the light is off; a mode
    // byte other than 1 and 2 leaves the mode), speed and brightness. Writes
    // nothing.
    void showDeviceLight(const FlashDataMap& record);
    void setCaptionText(const QString& text);
    void setSpeedLabelText(const QString& text);
    void setBrightnessLabelText(const QString& text);

protected:
    struct Widgets
    {
        QLabel* caption;
        QLabel* speedLabel;
        QLabel* lightLabel;
        QSlider* speed;
        QSpinBox* speedBox;
        QWidget* speedLine;
        QSlider* light;
        QSpinBox* lightBox;
        QWidget* lightLine;
    };

    explicit EffectPanel(QWidget* parent);
    void setUpPanel(const Widgets& widgets);
    // Mode 0 hides both sliders, 1 shows brightness, 2 speed; others nothing.
    void showRowsOf(int mode);
    // The user chose a mode: its rows, then the write.
    void modeChosen(int mode);
    // A write the online device refused: the panel shows its record again.
    void showDeviceOnRefusal(bool written);

    QString pictureDir;
    // Set while an operation changes a value: only a user's change is written.
    bool changingByProgram = false;

private slots:
    void on_SpeedH_valueChanged(int value);
    void on_SpeedH_sliderMoved(int position);
    void on_LightH_valueChanged(int value);
    void on_LightH_sliderMoved(int position);

private:
    Widgets w = {};
};

class SensorEffect : public EffectPanel
{
    Q_OBJECT
public:
    explicit SensorEffect(QWidget* parent = nullptr);
    ~SensorEffect() override;

    void setEffectMode(int mode) override;
    void setModeComboEnabled(bool enabled);
    void setModeItemText(int index, const QString& text);

private slots:
    void on_Model_currentIndexChanged(int index);

private:
    Ui::SensorEffect* ui;
};

// The same panel with three check buttons for the mode.
class SensorEffectB : public EffectPanel
{
    Q_OBJECT
public:
    explicit SensorEffectB(QWidget* parent = nullptr);
    ~SensorEffectB() override;

    // 0 selects "MM3", 1 "MM1", 2 "MM2", then shows the mode's rows; other
    // modes change nothing. Writes nothing.
    void setEffectMode(int mode) override;
    void setModeButtonText(int index, const QString& text);

private slots:
    void on_MM3_clicked(bool checked);
    void on_MM1_clicked(bool checked);
    void on_MM2_clicked(bool checked);

private:
    Ui::SensorEffectB* ui;
    QButtonGroup* group;
};
