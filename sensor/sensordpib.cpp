#include "sensor/sensordpib.h"

#include "ui_sensordpib.h"

#include "core/globals.h"
#include "core/setters.h"
#include "sensor/dpistageedit.h"
#include "sensor/optionskin.h"
#include "widgets/pagedialogs.h"

#include <QButtonGroup>
#include <QColorDialog>
#include <QSignalBlocker>

namespace {

constexpr int kLevels = 8;

bool validLevel(int level)
{
    return level >= 0 && level < kLevels;
}

const char* const kStartColours[kLevels] = {"#ff0000", "#ffff00", "#ffaa00", "#00ff00",
                                            "#aaffff", "#aa55ff", "#9f0000", "#00d4d4"};
const char* const kResetLooks[kLevels] = {"#ff0000", "#00ffff", "#00ff00", "#ffffff",
                                          "#00ffff", "#ff557d", "#ff00ff", "#00ffff"};

} // namespace

SensorDPIB::SensorDPIB(QWidget* parent)
    : QFrame(parent)
    , ui(new Ui::SensorDPIB)
{
    ui->setupUi(this);
    pictureDir = optionPictureDir(QStringLiteral("Sensor"));
    for (int k = 0; k < kLevels; ++k)
        levelColors[k] = QLatin1String(kStartColours[k]);

    colourButtons[0] = ui->BlueButtonA;
    colourButtons[1] = ui->BrightRedButtonA;
    colourButtons[2] = ui->RedButtonA;
    colourButtons[3] = ui->YellowButtonA;
    colourButtons[4] = ui->GreenButtonA;
    colourButtons[5] = ui->PurpleButtonA;
    colourButtons[6] = ui->LightBlueButtonA;
    colourButtons[7] = ui->LightYellowButtonA;
    MySlider* const rowSliders[kLevels] = {ui->horizontalSliderA, ui->horizontalSliderB, ui->horizontalSliderC,
                                           ui->horizontalSliderD, ui->horizontalSliderE, ui->horizontalSliderF,
                                           ui->horizontalSliderG, ui->horizontalSliderH};
    QSpinBox* const rowSpins[kLevels] = {ui->spinBoxA, ui->spinBoxB, ui->spinBoxC, ui->spinBoxD,
                                         ui->spinBoxE, ui->spinBoxF, ui->spinBoxG, ui->spinBoxH};
    QCheckBox* const rowChecks[kLevels] = {ui->MA, ui->MB, ui->MC, ui->MD, ui->ME, ui->MF, ui->MG, ui->MH};
    for (int k = 0; k < kLevels; ++k) {
        sliders[k] = rowSliders[k];
        spins[k] = rowSpins[k];
        checks[k] = rowChecks[k];
    }

    levelGroup = new QButtonGroup(this);
    levelGroup->setExclusive(true);
    colourDialog = new QColorDialog(this);
    connect(colourDialog, &QColorDialog::colorSelected, this, &SensorDPIB::SetColor);
    // A colour chosen after the page was left would go to no open device.
    closeWithDevicePage(colourDialog);

    ui->label->setStyleSheet(optionLabelSkin());
    ui->ChooseEvent->setStyleSheet(optionComboSkin(pictureDir));
    setOptionComboPopup(ui->ChooseEvent, 5);
    const QString sliderSkin = optionSliderSkin(pictureDir, 5);
    const QString spinSkin = stageSpinSkin();
    const QString checkSkin = optionCheckSkin(pictureDir);
    for (int k = 0; k < kLevels; ++k) {
        sliders[k]->setStyleSheet(sliderSkin);
        spins[k]->setStyleSheet(spinSkin);
        colourButtons[k]->setStyleSheet(QLatin1Char('#') + colourButtons[k]->objectName()
                                        + QStringLiteral("{border:0px;border-radius:3px;background-position:center;"
                                                         "background-repeat:no-repeat;background-color: rgb(255, 0, "
                                                         "0);}"));
        checks[k]->setStyleSheet(checkSkin);
    }
    for (int k = 0; k < kLevels; ++k)
        levelGroup->addButton(checks[k]);
}

SensorDPIB::~SensorDPIB()
{
    delete ui;
}

// ---- Fill operations ------------------------------------------------------------

void SensorDPIB::blockCountComboSignals(bool block)
{
    ui->ChooseEvent->blockSignals(block);
}

void SensorDPIB::clearCountCombo()
{
    const bool wasBlocked = ui->ChooseEvent->blockSignals(true);
    ui->ChooseEvent->clear();
    ui->ChooseEvent->blockSignals(wasBlocked);
}

void SensorDPIB::insertCountItem(int index, const QString& text)
{
    ui->ChooseEvent->insertItem(index, text);
}

void SensorDPIB::setCountComboIndex(int index)
{
    ui->ChooseEvent->setCurrentIndex(index);
}

void SensorDPIB::blockSliderSignals(bool block)
{
    for (MySlider* slider : sliders)
        slider->blockSignals(block);
}

void SensorDPIB::setSlidersEnabled(bool enabled)
{
    for (MySlider* slider : sliders)
        slider->setEnabled(enabled);
}

void SensorDPIB::setSlidersMinimum(int dpi)
{
    for (MySlider* slider : sliders)
        slider->setMinimum(dpi);
}

void SensorDPIB::setSlidersMaximum(int dpi)
{
    for (MySlider* slider : sliders)
        slider->setMaximum(dpi);
}

void SensorDPIB::setSliderValue(int dpi, int level)
{
    if (validLevel(level))
        sliders[level]->setValue(dpi);
}

void SensorDPIB::setSpinValue(int dpi, int level)
{
    if (validLevel(level))
        spins[level]->setValue(dpi);
}

void SensorDPIB::setLevelValue(int level, const QString& text)
{
    if (!validLevel(level))
        return;
    const int dpi = text.toInt();
    sliders[level]->setValue(dpi);
    spins[level]->setValue(dpi);
}

void SensorDPIB::setLevelColorText(int level, const QString& text)
{
    if (validLevel(level))
        levelColors[level] = text;
}

void SensorDPIB::styleLevelButtonWith(int level, const QString& colour)
{
    colourButtons[level]->setStyleSheet(QStringLiteral("QToolButton{border:0px;border-radius:3px;background-"
                                                       "position:center;background-repeat:no-repeat;background-"
                                                       "color:")
                                        + colour + QStringLiteral(";}"));
}

void SensorDPIB::styleLevelButton(int level)
{
    if (validLevel(level))
        styleLevelButtonWith(level, levelColors[level]);
}

void SensorDPIB::restyleLevelButtons()
{
    for (int k = 0; k < kLevels; ++k)
        styleLevelButton(k);
}

void SensorDPIB::resetLevelColors()
{
    for (int k = 0; k < kLevels; ++k)
        styleLevelButtonWith(k, QLatin1String(kResetLooks[k]));
}

void SensorDPIB::checkLevel(int level)
{
    if (validLevel(level))
        checks[level]->setChecked(true);
}

void SensorDPIB::selectLevel(int level)
{
    if (stageEditRefusedOffline())
        return;
    writeArmed = false;
    checkLevel(level);
}

void SensorDPIB::showLevelRows(int k)
{
    if (!validLevel(k))
        return;
    for (int j = 0; j < kLevels; ++j) {
        const bool shown = j <= k;
        colourButtons[j]->setVisible(shown);
        sliders[j]->setVisible(shown);
        spins[j]->setVisible(shown);
        checks[j]->setVisible(shown);
    }
}

void SensorDPIB::storeCurrentLevel(int level)
{
    currentLevel = level;
}

void SensorDPIB::storeLevelCount(int count)
{
    levelCount = count;
}

void SensorDPIB::setCaptionText(const QString& text)
{
    ui->label->setText(text);
}

// ---- User edits --------------------------------------------------------------------

void SensorDPIB::sliderChanged(int level, int value)
{
    if (stageEditRefusedOffline()) {
        spins[level]->setValue(value);
        return;
    }
    int pageStep = sliders[level]->pageStep();
    const int dpi = snapDpiToRanges(value, dpiRangeTable, &pageStep);
    sliders[level]->setPageStep(pageStep);
    spins[level]->setValue(dpi);
    // The sensor cannot run at that DPI and the device keeps its own.
    if (writeStageDpi(&writeArmed, level, dpi) == DpiStageWrite::Inexpressible)
        spins[level]->setValue(storedStageDpi(level));
}

void SensorDPIB::on_ChooseEvent_currentIndexChanged(int index)
{
    if (sensorPageFilling)
        return;
    previousLevel = currentLevel;
    // A current level the record cannot hold has no row to move.
    if (index >= 0 && index < currentLevel && validLevel(currentLevel)) {
        // The current level would fall out of the count: its row becomes
        // the new last one, keeping its DPI and colour.
        const int p = currentLevel;
        blockSliderSignals(true);
        const QString colourP = levelColors[p];
        const QString colourI = levelColors[index];
        const int dpiP = spins[p]->value();
        const int dpiI = spins[index]->value();
        levelColors[p] = colourI;
        styleLevelButton(p);
        sliders[p]->setValue(dpiI);
        spins[p]->setValue(dpiI);
        levelColors[index] = colourP;
        styleLevelButton(index);
        sliders[index]->setValue(dpiP);
        spins[index]->setValue(dpiP);
        checks[index]->setChecked(true);
        levelCount = index + 1;
        currentLevel = index;
        swapStagesOnDevice(index, p);
        blockSliderSignals(false);
    }
    // More levels than the record holds are sent, and shown, as eight.
    if (index >= kLevels) {
        const QSignalBlocker quiet(ui->ChooseEvent);
        ui->ChooseEvent->setCurrentIndex(kLevels - 1);
    }
    showLevelRows(qMin(index, kLevels - 1));
    sendStageCount(index);
}

void SensorDPIB::levelToggled(int level, bool checked)
{
    if (!checked || !deviceWriteEnabled || sensorPageFilling)
        return;
    currentLevel = level;
    SetCurrentDpiStage(level);
}

void SensorDPIB::colourButtonClicked(int level)
{
    editLevel = level;
    colourDialog->show();
}

void SensorDPIB::SetColor(const QColor& colour)
{
    if (!validLevel(editLevel))
        return;
    levelColors[editLevel] = stageColourText(colour);
    if (deviceWriteEnabled && !sensorPageFilling)
        SetDpiStageColor(editLevel, colour.red(), colour.green(), colour.blue());
    styleLevelButton(editLevel);
}

// ---- The per-level slots -------------------------------------------------------------

void SensorDPIB::on_horizontalSliderA_valueChanged(int value) { sliderChanged(0, value); }
void SensorDPIB::on_horizontalSliderB_valueChanged(int value) { sliderChanged(1, value); }
void SensorDPIB::on_horizontalSliderC_valueChanged(int value) { sliderChanged(2, value); }
void SensorDPIB::on_horizontalSliderD_valueChanged(int value) { sliderChanged(3, value); }
void SensorDPIB::on_horizontalSliderE_valueChanged(int value) { sliderChanged(4, value); }
void SensorDPIB::on_horizontalSliderF_valueChanged(int value) { sliderChanged(5, value); }
void SensorDPIB::on_horizontalSliderG_valueChanged(int value) { sliderChanged(6, value); }
void SensorDPIB::on_horizontalSliderH_valueChanged(int value) { sliderChanged(7, value); }

void SensorDPIB::on_MA_toggled(bool checked) { levelToggled(0, checked); }
void SensorDPIB::on_MB_toggled(bool checked) { levelToggled(1, checked); }
void SensorDPIB::on_MC_toggled(bool checked) { levelToggled(2, checked); }
void SensorDPIB::on_MD_toggled(bool checked) { levelToggled(3, checked); }
void SensorDPIB::on_ME_toggled(bool checked) { levelToggled(4, checked); }
void SensorDPIB::on_MF_toggled(bool checked) { levelToggled(5, checked); }
void SensorDPIB::on_MG_toggled(bool checked) { levelToggled(6, checked); }
void SensorDPIB::on_MH_toggled(bool checked) { levelToggled(7, checked); }

void SensorDPIB::on_BlueButtonA_clicked() { colourButtonClicked(0); }
void SensorDPIB::on_BrightRedButtonA_clicked() { colourButtonClicked(1); }
void SensorDPIB::on_RedButtonA_clicked() { colourButtonClicked(2); }
void SensorDPIB::on_YellowButtonA_clicked() { colourButtonClicked(3); }
void SensorDPIB::on_GreenButtonA_clicked() { colourButtonClicked(4); }
void SensorDPIB::on_PurpleButtonA_clicked() { colourButtonClicked(5); }
void SensorDPIB::on_LightBlueButtonA_clicked() { colourButtonClicked(6); }
void SensorDPIB::on_LightYellowButtonA_clicked() { colourButtonClicked(7); }
