#pragma once
// The second layout of the DPI stage editor: all eight DPI levels at once,
// one row each (colour button, DPI slider, DPI number, current-level check
// box), and the level-count list. A host fills it through the operations
// below; the rows write the user's edits to the device themselves.
#include <QFrame>
#include <QString>

class QButtonGroup;
class QCheckBox;
class QColor;
class QColorDialog;
class QSpinBox;
class QToolButton;
class MySlider;

namespace Ui {
class SensorDPIB;
}

class SensorDPIB : public QFrame
{
    Q_OBJECT
public:
    explicit SensorDPIB(QWidget* parent = nullptr);
    ~SensorDPIB() override;

    // Levels outside 0..7 are ignored by every operation that takes one.
    void blockCountComboSignals(bool block);
    void clearCountCombo();
    // Item index = level count - 1.
    void insertCountItem(int index, const QString& text);
    // Runs the count handler, which writes nothing while the sensor page fills.
    void setCountComboIndex(int index);
    // A slider value set while the sliders' signals are open is an edit.
    void blockSliderSignals(bool block);
    void setSlidersEnabled(bool enabled);
    void setSlidersMinimum(int dpi);
    void setSlidersMaximum(int dpi);
    void setSliderValue(int dpi, int level);
    void setSpinValue(int dpi, int level);
    void setLevelValue(int level, const QString& text);
    // "#rrggbb"; shown at the next restyle.
    void setLevelColorText(int level, const QString& text);
    void styleLevelButton(int level);
    void restyleLevelButtons();
    // The fixed default looks; the stored colours stay.
    void resetLevelColors();
    void checkLevel(int level);
    // As checkLevel, after the offline test; the next slider change only arms.
    void selectLevel(int level);
    // Shows the rows of levels 0..k and hides the rest.
    void showLevelRows(int k);
    void storeCurrentLevel(int level);
    void storeLevelCount(int count);
    void setCaptionText(const QString& text);

private slots:
    void on_ChooseEvent_currentIndexChanged(int index);
    void on_horizontalSliderA_valueChanged(int value);
    void on_horizontalSliderB_valueChanged(int value);
    void on_horizontalSliderC_valueChanged(int value);
    void on_horizontalSliderD_valueChanged(int value);
    void on_horizontalSliderE_valueChanged(int value);
    void on_horizontalSliderF_valueChanged(int value);
    void on_horizontalSliderG_valueChanged(int value);
    void on_horizontalSliderH_valueChanged(int value);
    void on_MA_toggled(bool checked);
    void on_MB_toggled(bool checked);
    void on_MC_toggled(bool checked);
    void on_MD_toggled(bool checked);
    void on_ME_toggled(bool checked);
    void on_MF_toggled(bool checked);
    void on_MG_toggled(bool checked);
    void on_MH_toggled(bool checked);
    void on_BlueButtonA_clicked();
    void SetColor(const QColor& colour);
    void on_BrightRedButtonA_clicked();
    void on_RedButtonA_clicked();
    void on_YellowButtonA_clicked();
    void on_GreenButtonA_clicked();
    void on_PurpleButtonA_clicked();
    void on_LightBlueButtonA_clicked();
    void on_LightYellowButtonA_clicked();

private:
    void sliderChanged(int level, int value);
    void levelToggled(int level, bool checked);
    void colourButtonClicked(int level);
    void styleLevelButtonWith(int level, const QString& colour);

    Ui::SensorDPIB* ui;
    QColorDialog* colourDialog = nullptr;
    QString pictureDir;
    QButtonGroup* levelGroup = nullptr;
    int currentLevel = 1;
    int levelCount = 1;
    QString levelColors[8];
    bool writeArmed = false;
    int previousLevel = 0;
    int editLevel = 0;

    QToolButton* colourButtons[8] = {};
    MySlider* sliders[8] = {};
    QSpinBox* spins[8] = {};
    QCheckBox* checks[8] = {};
};
