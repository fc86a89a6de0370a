#pragma once
// The DPI stage editor of the sensor page: eight stage buttons with their
// colour swatches, one slider for the selected stage's DPI with Add and
// Reduce, the stage-count list and the draggable level marker below the
// stage buttons. The sensor page fills it through the operations below; the
// editor writes the user's edits to the device itself.
#include <QFrame>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>

class QButtonGroup;
class QColor;
class QColorDialog;
class QToolButton;

namespace Ui {
class SensorDPI;
}

class SensorDPI : public QFrame
{
    Q_OBJECT
public:
    explicit SensorDPI(QWidget* parent = nullptr);
    ~SensorDPI() override;

    // ---- What the sensor page fills (none of these writes to the device) ----
    void blockStageSignals(bool block);
    void clearStageCombo();
    void insertStageItem(int index, const QString& text);
    // The count list's signals stay as they are: a change runs the count
    // handler, which writes nothing while the sensor page fills.
    void setStageComboIndex(int index);
    void blockSliderSignals(bool block);
    void setSliderEnabled(bool enabled);
    void setSliderMinimum(int value);
    void setSliderMaximum(int value);
    void setSliderValue(int value);
    void setDpiSpinValue(int value);
    void setCaptionText(const QString& text);
    // Stage k is 0..7; other stages are ignored.
    void setStageText(int k, const QString& text);
    // `text` is "#rrggbb"; stored for the next restyle.
    void setStageColor(int k, const QString& text);
    void storeCurrentStage(int stage);
    void storeStageCount(int count);
    // Shows stages 0..k and hides the rest.
    void setStageCount(int k);
    // Restyles the eight swatches with swatch k marked selected.
    void restyleSwatches(int k);
    // Checks stage k's button and selects its swatch; writes nothing while
    // writes are disabled or the sensor page fills.
    void selectStage(int k);
    // n is 1..8.
    void moveMarkerToStage(int n);
    // Stage colours ("DPIColor") and texts ("DPIGrade") of the open model.
    void loadStageColors();

    // The marker drag's way to select a stage: false, with the offline
    // notice, when the device cannot take the change.
    bool selectStageByIndex(int k);

private slots:
    void on_ChooseEvent_currentIndexChanged(int index);
    void on_horizontalSliderC_valueChanged(int value);
    void on_horizontalSliderC_sliderMoved(int value);
    void on_ReduceLevelA_clicked();
    void on_AddLevelA_clicked();
    void on_BlueButton_toggled(bool checked);
    void on_BlueButtonA_toggled(bool checked);
    void on_LightBlueButton_toggled(bool checked);
    void on_LightBlueButtonA_toggled(bool checked);
    void on_BlueButtonA_clicked();
    void SetColor(const QColor& colour);
    void on_LightBlueButtonA_clicked();
    void on_BrightRedButton_toggled(bool checked);
    void on_BrightRedButtonA_toggled(bool checked);
    void on_BrightRedButtonA_clicked();
    void on_RedButton_toggled(bool checked);
    void on_RedButtonA_toggled(bool checked);
    void on_RedButtonA_clicked();
    void on_YellowButton_toggled(bool checked);
    void on_YellowButtonA_toggled(bool checked);
    void on_LightYellowButton_toggled(bool checked);
    void on_LightYellowButtonA_toggled(bool checked);
    void on_YellowButtonA_clicked();
    void on_LightYellowButtonA_clicked();
    void on_GreenButton_toggled(bool checked);
    void on_GreenButtonA_toggled(bool checked);
    void on_GreenButtonA_clicked();
    void on_PurpleButton_toggled(bool checked);
    void on_PurpleButtonA_toggled(bool checked);
    void on_PurpleButtonA_clicked();
    void on_BlueButton_clicked();
    void on_BrightRedButton_clicked();
    void on_RedButton_clicked();
    void on_YellowButton_clicked();
    void on_GreenButton_clicked();
    void on_PurpleButton_clicked();
    void on_LightBlueButton_clicked();
    void on_LightYellowButton_clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void stageToggled(int k, bool checked);
    void swatchToggled(int k, bool checked);
    void stageClicked(int k);
    void swatchClicked();
    void styleStageButton(int k, bool selected);
    void styleStageSwatch(int k, bool selected);
    void setSwatchGeometry(int k, bool selected);
    void setSliderToStageText(int k);
    void stepSlider(int value);
    // Stage k's DPI as the record holds it, on its button, the number and
    // the slider, written nowhere.
    void showStoredStageDpi(int k);
    void endDrag(const QPoint& position);
    void moveMarkerTo(const QPoint& point);
    // The record's current stage selected again, written nowhere.
    void showDeviceStage();
    int checkedStage() const;

    Ui::SensorDPI* ui;
    QString pictureDir;
    QButtonGroup* stageGroup = nullptr;
    QButtonGroup* swatchGroup = nullptr;
    QColorDialog* colourDialog = nullptr;
    QStringList buttonColorList;
    QString buttonColor;
    QToolButton* stageButtons[8] = {};
    QToolButton* swatches[8] = {};
    QRect stageRects[8];
    QRect swatchRects[8];
    QPoint markerPoints[8];
    QRect dragArea;
    bool dragging = false;
    QPoint dragOffset;
    int currentStage = 1;
    int stageCount = 1;
    QString stageColors[8];
    bool writeArmed = false;
    int previousStage = 0;
};
