#include "sensor/sensordpi.h"

#include "ui_sensordpi.h"

#include "core/globals.h"
#include "core/settings.h"
#include "core/setters.h"
#include "sensor/dpiencoding.h"
#include "sensor/dpistageedit.h"
#include "sensor/optionskin.h"
#include "widgets/dialogframe.h"
#include "widgets/pagedialogs.h"

#include <QButtonGroup>
#include <QColorDialog>
#include <QMouseEvent>
#include <QSignalBlocker>

namespace {

constexpr int kStages = 8;

bool validStage(int k)
{
    return k >= 0 && k < kStages;
}

// A marker released this far (inclusive) from the current stage's marker
// moves it by `steps` stages; the first window that holds the distance wins.
struct DragWindow
{
    int from, to, steps;
};
const DragWindow kDragWindows[] = {
    {78, 129, 1},    {-102, -51, -1}, {168, 214, 2},   {-192, -144, -2}, {264, 317, 3},
    {-284, -236, -3}, {361, 389, 4},  {-369, -327, -4}, {443, 495, 5},   {-465, -411, -5},
    {538, 591, 6},   {-556, -504, -6}, {623, 669, 7},   {-646, -599, -7},
};
constexpr int kMarkerStepX = 91;

// The rightmost release x that stays within 1..7 stages; 8 stages have none.
const int kCountLimitX[] = {69, 160, 251, 342, 433, 524, 612};

// Releases left of the first or right of the last stage button never count.
constexpr int kLeftmostReleaseX = 15;
constexpr int kRightmostReleaseX = 706;

const char* const kDefaultColours[kStages] = {"255,0,0",   "0,0,255",   "0,255,0",     "255,255,0",
                                              "0,255,255", "255,0,255", "255,255,255", "0,255,255"};

QString colourTriple(const QStringList& items, int first)
{
    return items.at(first).trimmed() + QLatin1Char(',') + items.at(first + 1).trimmed() + QLatin1Char(',')
        + items.at(first + 2).trimmed();
}

} // namespace

SensorDPI::SensorDPI(QWidget* parent)
    : QFrame(parent)
    , ui(new Ui::SensorDPI)
{
    ui->setupUi(this);
    pictureDir = optionPictureDir(QStringLiteral("Sensor"));

    stageButtons[0] = ui->BlueButton;
    stageButtons[1] = ui->BrightRedButton;
    stageButtons[2] = ui->RedButton;
    stageButtons[3] = ui->YellowButton;
    stageButtons[4] = ui->GreenButton;
    stageButtons[5] = ui->PurpleButton;
    stageButtons[6] = ui->LightBlueButton;
    stageButtons[7] = ui->LightYellowButton;
    swatches[0] = ui->BlueButtonA;
    swatches[1] = ui->BrightRedButtonA;
    swatches[2] = ui->RedButtonA;
    swatches[3] = ui->YellowButtonA;
    swatches[4] = ui->GreenButtonA;
    swatches[5] = ui->PurpleButtonA;
    swatches[6] = ui->LightBlueButtonA;
    swatches[7] = ui->LightYellowButtonA;

    const int markerX[kStages] = {27, 118, 209, 300, 391, 483, 573, 664};
    for (int k = 0; k < kStages; ++k) {
        markerPoints[k] = QPoint(markerX[k], 154);
        stageColors[k] = QLatin1String(kDefaultColours[k]);
    }
    dragArea = QRect(0, 0, 728, 194);

    buttonColorList = ConfigSettings::instance()->valueList(QStringLiteral("Option"), QStringLiteral("ButtonColor"));
    buttonColor = skinColour(QStringLiteral("ButtonColor"));

    stageGroup = new QButtonGroup(this);
    stageGroup->setExclusive(true);
    swatchGroup = new QButtonGroup(this);
    swatchGroup->setExclusive(true);
    colourDialog = new QColorDialog(this);
    connect(colourDialog, &QColorDialog::colorSelected, this, &SensorDPI::SetColor);
    // A colour chosen after the page was left would go to no open device.
    closeWithDevicePage(colourDialog);

    ui->label->setStyleSheet(optionLabelSkin());
    const QString markerLook = QStringLiteral("border:0px;background-position:center;background-repeat:no-repeat;"
                                              "background-image: url(");
    ui->label_8->setStyleSheet(QStringLiteral("#label_8{") + markerLook + pictureDir + QStringLiteral("Level.png);}")
                               + QStringLiteral("#label_8:hover{") + markerLook + pictureDir
                               + QStringLiteral("LevelHover.png);}"));
    ui->ChooseEvent->setStyleSheet(optionComboSkin(pictureDir));
    ui->horizontalSliderC->setStyleSheet(optionSliderSkin(pictureDir, 5));
    ui->spinBoxA->setStyleSheet(stageSpinSkin());
    const QString stepButtonLook = QStringLiteral(");border:0px;background-position:center;background-repeat:no-repeat;}");
    ui->ReduceLevelA->setStyleSheet(QStringLiteral("#ReduceLevelA{background-image: url(") + pictureDir
                                    + QStringLiteral("Reduce.png") + stepButtonLook);
    ui->AddLevelA->setStyleSheet(QStringLiteral("#AddLevelA{background-image: url(") + pictureDir
                                 + QStringLiteral("Add.png") + stepButtonLook);
    for (int k = 0; k < kStages; ++k) {
        stageButtons[k]->setStyleSheet(
            QStringLiteral("QToolButton{border:0px;background-position:center;background-repeat:no-repeat;color: rgb(")
            + buttonColor + QStringLiteral(";);background-image: url(") + pictureDir + QStringLiteral("MinA.png);}"));
        swatches[k]->setStyleSheet(QLatin1Char('#') + swatches[k]->objectName()
                                   + QStringLiteral("{border:0px;border-radius:3px;background-position:center;"
                                                    "background-repeat:no-repeat;background-color: rgb(255, 0, 0);"
                                                    "background-image: url(")
                                   + pictureDir + QStringLiteral("MinB.png);}"));
    }
    setOptionComboPopup(ui->ChooseEvent, 5);
    for (int k = 0; k < kStages; ++k) {
        stageRects[k] = stageButtons[k]->geometry();
        swatchRects[k] = swatches[k]->geometry();
    }

    for (int k = 0; k < kStages; ++k) {
        stageGroup->addButton(stageButtons[k]);
        swatchGroup->addButton(swatches[k]);
    }
}

SensorDPI::~SensorDPI()
{
    delete ui;
}

// ---- Fill operations ------------------------------------------------------------

void SensorDPI::blockStageSignals(bool block)
{
    ui->ChooseEvent->blockSignals(block);
}

void SensorDPI::clearStageCombo()
{
    ui->ChooseEvent->blockSignals(true);
    ui->ChooseEvent->clear();
    ui->ChooseEvent->blockSignals(false);
}

void SensorDPI::insertStageItem(int index, const QString& text)
{
    ui->ChooseEvent->insertItem(index, text);
}

void SensorDPI::setStageComboIndex(int index)
{
    ui->ChooseEvent->setCurrentIndex(index);
}

void SensorDPI::blockSliderSignals(bool block)
{
    ui->horizontalSliderC->blockSignals(block);
}

void SensorDPI::setSliderEnabled(bool enabled)
{
    ui->horizontalSliderC->setEnabled(enabled);
}

void SensorDPI::setSliderMinimum(int value)
{
    ui->horizontalSliderC->setMinimum(value);
}

void SensorDPI::setSliderMaximum(int value)
{
    ui->horizontalSliderC->setMaximum(value);
}

void SensorDPI::setSliderValue(int value)
{
    ui->horizontalSliderC->setValue(value);
}

void SensorDPI::setDpiSpinValue(int value)
{
    ui->spinBoxA->setValue(value);
}

void SensorDPI::setCaptionText(const QString& text)
{
    ui->label->setText(text);
}

void SensorDPI::setStageText(int k, const QString& text)
{
    if (validStage(k))
        stageButtons[k]->setText(text);
}

void SensorDPI::setStageColor(int k, const QString& text)
{
    if (!validStage(k))
        return;
    int red, green, blue;
    parseStageColour(text, &red, &green, &blue);
    stageColors[k] = QStringLiteral("%1,%2,%3").arg(red).arg(green).arg(blue);
}

void SensorDPI::storeCurrentStage(int stage)
{
    currentStage = stage;
}

void SensorDPI::storeStageCount(int count)
{
    stageCount = count;
}

void SensorDPI::setStageCount(int k)
{
    if (!validStage(k))
        return;
    for (int j = 0; j < kStages; ++j) {
        stageButtons[j]->setVisible(j <= k);
        swatches[j]->setVisible(j <= k);
    }
}

void SensorDPI::restyleSwatches(int k)
{
    for (int j = 0; j < kStages; ++j) {
        if (j == k)
            continue;
        setSwatchGeometry(j, false);
        styleStageSwatch(j, false);
    }
    if (validStage(k))
        styleStageSwatch(k, true);
}

void SensorDPI::selectStage(int k)
{
    if (!validStage(k))
        return;
    stageButtons[k]->setChecked(true);
    swatchToggled(k, true);
}

void SensorDPI::moveMarkerToStage(int n)
{
    if (n >= 1 && n <= kStages)
        ui->label_8->move(markerPoints[n - 1]);
}

void SensorDPI::loadStageColors()
{
    const QString group = QStringLiteral("Drive") + QString::number(currentDevice.modelIndex + 1);
    const QStringList colours = ConfigSettings::instance()->valueList(group, QStringLiteral("DPIColor"));
    // Whole triples only, and no more stages than there are.
    for (int t = 0; t + 2 < colours.size() && t / 3 < kStages; t += 3)
        stageColors[t / 3] = colourTriple(colours, t);
    const QStringList grades = ConfigSettings::instance()->valueList(group, QStringLiteral("DPIGrade"));
    if (grades.size() < kStages)
        return;
    for (int k = 0; k < kStages; ++k) {
        setSwatchGeometry(k, false);
        styleStageSwatch(k, false);
        stageButtons[k]->setText(grades.at(k).trimmed());
    }
}

bool SensorDPI::selectStageByIndex(int k)
{
    if (stageEditRefusedOffline())
        return false;
    writeArmed = false;
    if (validStage(k))
        stageButtons[k]->setChecked(true);
    // No slider change follows when the stage was already checked.
    writeArmed = true;
    return true;
}

// ---- Looks -------------------------------------------------------------------------

void SensorDPI::styleStageButton(int k, bool selected)
{
    const QPoint at = stageRects[k].topLeft();
    if (selected)
        stageButtons[k]->setGeometry(at.x() - 7, at.y() - 7, 68, 70);
    else
        stageButtons[k]->setGeometry(at.x(), at.y(), 54, 56);
    stageButtons[k]->setStyleSheet(
        QStringLiteral("QToolButton{border:0px;border-radius:3px;background-position:center;background-repeat:no-"
                       "repeat;color: rgb(")
        + buttonColor + QStringLiteral(";);background-image: url(") + pictureDir
        + (selected ? QStringLiteral("MaxA.png") : QStringLiteral("MinA.png")) + QStringLiteral(");}"));
}

void SensorDPI::styleStageSwatch(int k, bool selected)
{
    swatches[k]->setStyleSheet(
        QStringLiteral("QToolButton{border:0px;border-radius:3px;background-position:center;background-repeat:no-"
                       "repeat;background-color:rgb(")
        + stageColors[k] + QStringLiteral(");background-image: url(") + pictureDir
        + (selected ? QStringLiteral("MaxB.png") : QStringLiteral("MinB.png")) + QStringLiteral(");}"));
}

void SensorDPI::setSwatchGeometry(int k, bool selected)
{
    const QPoint at = swatchRects[k].topLeft();
    if (selected)
        swatches[k]->setGeometry(at.x() - 8, at.y() + 6, 66, 14);
    else
        swatches[k]->setGeometry(at.x(), at.y(), 50, 12);
}

void SensorDPI::moveMarkerTo(const QPoint& point)
{
    ui->label_8->move(point);
}

int SensorDPI::checkedStage() const
{
    for (int k = 0; k < kStages; ++k)
        if (stageButtons[k]->isChecked())
            return k;
    return -1;
}

void SensorDPI::setSliderToStageText(int k)
{
    ui->horizontalSliderC->setValue(stageButtons[k]->text().toInt());
}

// ---- Stage selection ---------------------------------------------------------------

void SensorDPI::stageToggled(int k, bool checked)
{
    if (!checked) {
        styleStageButton(k, false);
        return;
    }
    styleStageButton(k, true);
    swatches[k]->setChecked(true);
    if (deviceWriteEnabled && !sensorPageFilling) {
        currentStage = k;
        moveMarkerTo(markerPoints[k]);
        if (DeviceRefusedWrite(SetCurrentDpiStage(k)))
            showDeviceStage();
    }
}

void SensorDPI::showDeviceStage()
{
    // The device keeps its current stage: select it again without writing.
    const int stored = qBound(0, int(CurrentFlashData.currentDpiStage), kStages - 1);
    const uint8_t writeEnabled = deviceWriteEnabled;
    deviceWriteEnabled = 0;
    selectStage(stored);
    deviceWriteEnabled = writeEnabled;
    currentStage = stored;
    moveMarkerTo(markerPoints[stored]);
}

void SensorDPI::swatchToggled(int k, bool checked)
{
    if (!checked) {
        setSwatchGeometry(k, false);
        styleStageSwatch(k, false);
        return;
    }
    setSwatchGeometry(k, true);
    stageButtons[k]->setChecked(true);
    styleStageSwatch(k, true);
    // Showing the selected stage's DPI is not an edit: the slider change it
    // makes writes nothing. The user's next change is one, even when the
    // stage's DPI left the slider where it was (or its signals were blocked).
    writeArmed = false;
    setSliderToStageText(k);
    writeArmed = true;
}

void SensorDPI::stageClicked(int k)
{
    // A stage the device did not take is not selected: its DPI is not shown.
    if (stageButtons[k]->isChecked())
        setSliderToStageText(k);
}

void SensorDPI::swatchClicked()
{
    colourDialog->show();
}

void SensorDPI::SetColor(const QColor& colour)
{
    int k = -1;
    for (int j = 0; j < kStages && k < 0; ++j)
        if (swatches[j]->isChecked())
            k = j;
    if (k < 0)
        return;
    int red, green, blue;
    parseStageColour(stageColourText(colour), &red, &green, &blue);
    stageColors[k] = QStringLiteral("%1,%2,%3").arg(red).arg(green).arg(blue);
    if (deviceWriteEnabled && !sensorPageFilling && DeviceRefusedWrite(SetDpiStageColor(k, red, green, blue))) {
        // The device keeps the stage's colour, and so does the swatch.
        const DpiStage& stored = CurrentFlashData.dpiStages[k];
        stageColors[k] = QStringLiteral("%1,%2,%3").arg(stored.red).arg(stored.green).arg(stored.blue);
    }
    styleStageSwatch(k, true);
}

// ---- Stage count --------------------------------------------------------------------

void SensorDPI::on_ChooseEvent_currentIndexChanged(int index)
{
    if (!sensorPageFilling) {
        previousStage = currentStage;
        // A current stage the record cannot hold has no entry to move.
        if (index >= 0 && index < currentStage && validStage(currentStage)) {
            // The current stage would fall out of the count: it becomes the
            // new last stage, keeping its DPI and colour.
            const int p = currentStage;
            const QString colourP = stageColors[p];
            const QString colourI = stageColors[index];
            const QString dpiP = QString::number(stageButtons[p]->text().toInt());
            const QString dpiI = QString::number(stageButtons[index]->text().toInt());
            stageColors[p] = colourI;
            styleStageSwatch(p, swatches[p]->isChecked());
            stageButtons[p]->setText(dpiI);
            stageColors[index] = colourP;
            styleStageSwatch(index, swatches[index]->isChecked());
            moveMarkerTo(markerPoints[index]);
            stageButtons[index]->setText(dpiP);
            stageButtons[index]->setChecked(true);
            stageCount = index + 1;
            currentStage = index;
            swapStagesOnDevice(index, p);
        }
        // The list may offer more stages than the record holds: the count
        // sent is then eight, and so is the count shown.
        if (index >= kStages) {
            const QSignalBlocker quiet(ui->ChooseEvent);
            ui->ChooseEvent->setCurrentIndex(kStages - 1);
        }
        setStageCount(qMin(index, kStages - 1));
    }
    if (sendStageCount(index)) {
        // The device keeps its count, and so do the list and the stages shown.
        const int kept = qBound(1, int(CurrentFlashData.dpiStageCount), kStages) - 1;
        const QSignalBlocker quiet(ui->ChooseEvent);
        ui->ChooseEvent->setCurrentIndex(kept);
        setStageCount(kept);
    }
}

// ---- DPI slider, Add and Reduce ------------------------------------------------------

void SensorDPI::on_horizontalSliderC_valueChanged(int value)
{
    if (stageEditRefusedOffline()) {
        ui->spinBoxA->setValue(value);
        return;
    }
    int pageStep = ui->horizontalSliderC->pageStep();
    const int dpi = snapDpiToRanges(value, dpiRangeTable, &pageStep);
    ui->horizontalSliderC->setPageStep(pageStep);
    const int k = checkedStage();
    if (k >= 0)
        stageButtons[k]->setText(QString::number(dpi));
    ui->spinBoxA->setValue(dpi);
    const DpiStageWrite written = writeStageDpi(&writeArmed, k, dpi);
    if (written == DpiStageWrite::Inexpressible || written == DpiStageWrite::Refused)
        showStoredStageDpi(k);
}

void SensorDPI::showStoredStageDpi(int k)
{
    // The device keeps the stage's DPI: the stage, the number and the handle
    // show it, and putting the handle back is no edit to write.
    const int stored = storedStageDpi(k);
    stageButtons[k]->setText(QString::number(stored));
    ui->spinBoxA->setValue(stored);
    const QSignalBlocker quiet(ui->horizontalSliderC);
    ui->horizontalSliderC->setValue(stored);
}

void SensorDPI::on_horizontalSliderC_sliderMoved(int value)
{
    int pageStep = ui->horizontalSliderC->pageStep();
    ui->spinBoxA->setValue(snapDpiToRanges(value, dpiRangeTable, &pageStep));
    ui->horizontalSliderC->setPageStep(pageStep);
}

void SensorDPI::stepSlider(int value)
{
    writeArmed = true;
    ui->horizontalSliderC->setValue(value);
}

void SensorDPI::on_ReduceLevelA_clicked()
{
    if (deviceWriteEnabled && !CheckDeviceOnline())
        return;
    stepSlider(stepDpiDown(ui->spinBoxA->value(), dpiRangeTable));
}

void SensorDPI::on_AddLevelA_clicked()
{
    if (deviceWriteEnabled && !CheckDeviceOnline())
        return;
    stepSlider(stepDpiUp(ui->spinBoxA->value(), dpiRangeTable));
}

// ---- Marker drag ---------------------------------------------------------------------

void SensorDPI::mousePressEvent(QMouseEvent* event)
{
    if (event->buttons() == Qt::NoButton)
        return;
    if (ui->label_8->geometry().contains(event->pos())) {
        dragging = true;
        dragOffset = event->pos() - ui->label_8->pos();
    }
}

void SensorDPI::mouseMoveEvent(QMouseEvent* event)
{
    if (event->buttons() == Qt::NoButton || !dragging)
        return;
    if (dragArea.contains(event->pos()))
        moveMarkerTo(event->pos() - dragOffset);
    else
        endDrag(event->pos());
}

void SensorDPI::mouseReleaseEvent(QMouseEvent* event)
{
    endDrag(event->pos());
}

void SensorDPI::endDrag(const QPoint& position)
{
    dragging = false;
    const bool known = validStage(currentStage);
    const QPoint home = known ? markerPoints[currentStage] : QPoint(0, 0);
    // Back on the current stage; a stage the editor does not know leaves it.
    auto putBack = [&] {
        if (known)
            moveMarkerTo(home);
    };

    if (!ui->label_8->geometry().contains(position)) {
        putBack();
        return;
    }
    const int x = position.x();
    if (x < kLeftmostReleaseX || x > kRightmostReleaseX) {
        putBack();
        return;
    }
    const int countIndex = ui->ChooseEvent->currentIndex();
    if (countIndex >= 0 && countIndex < kStages - 1 && x > kCountLimitX[countIndex]) {
        putBack();
        if (deviceWriteEnabled && known)
            SetCurrentDpiStage(currentStage);
        return;
    }
    const int distance = x - home.x();
    const DragWindow* window = nullptr;
    for (const DragWindow& w : kDragWindows) {
        if (distance >= w.from && distance <= w.to) {
            window = &w;
            break;
        }
    }
    const int target = known && window ? currentStage + window->steps : -1;
    if (!validStage(target)) {
        putBack();
        return;
    }
    // Offline the stage does not change at all, so the marker, the current
    // stage and the checked stage button stay together.
    if (stageEditRefusedOffline()) {
        putBack();
        return;
    }
    moveMarkerTo(QPoint(home.x() + kMarkerStepX * window->steps, home.y()));
    currentStage = target;
    selectStageByIndex(currentStage);
    if (deviceWriteEnabled)
        SetCurrentDpiStage(currentStage);
}

// ---- The per-stage slots ---------------------------------------------------------------

void SensorDPI::on_BlueButton_toggled(bool checked) { stageToggled(0, checked); }
void SensorDPI::on_BrightRedButton_toggled(bool checked) { stageToggled(1, checked); }
void SensorDPI::on_RedButton_toggled(bool checked) { stageToggled(2, checked); }
void SensorDPI::on_YellowButton_toggled(bool checked) { stageToggled(3, checked); }
void SensorDPI::on_GreenButton_toggled(bool checked) { stageToggled(4, checked); }
void SensorDPI::on_PurpleButton_toggled(bool checked) { stageToggled(5, checked); }
void SensorDPI::on_LightBlueButton_toggled(bool checked) { stageToggled(6, checked); }
void SensorDPI::on_LightYellowButton_toggled(bool checked) { stageToggled(7, checked); }

void SensorDPI::on_BlueButtonA_toggled(bool checked) { swatchToggled(0, checked); }
void SensorDPI::on_BrightRedButtonA_toggled(bool checked) { swatchToggled(1, checked); }
void SensorDPI::on_RedButtonA_toggled(bool checked) { swatchToggled(2, checked); }
void SensorDPI::on_YellowButtonA_toggled(bool checked) { swatchToggled(3, checked); }
void SensorDPI::on_GreenButtonA_toggled(bool checked) { swatchToggled(4, checked); }
void SensorDPI::on_PurpleButtonA_toggled(bool checked) { swatchToggled(5, checked); }
void SensorDPI::on_LightBlueButtonA_toggled(bool checked) { swatchToggled(6, checked); }
void SensorDPI::on_LightYellowButtonA_toggled(bool checked) { swatchToggled(7, checked); }

void SensorDPI::on_BlueButton_clicked() { stageClicked(0); }
void SensorDPI::on_BrightRedButton_clicked() { stageClicked(1); }
void SensorDPI::on_RedButton_clicked() { stageClicked(2); }
void SensorDPI::on_YellowButton_clicked() { stageClicked(3); }
void SensorDPI::on_GreenButton_clicked() { stageClicked(4); }
void SensorDPI::on_PurpleButton_clicked() { stageClicked(5); }
void SensorDPI::on_LightBlueButton_clicked() { stageClicked(6); }
void SensorDPI::on_LightYellowButton_clicked() { stageClicked(7); }

void SensorDPI::on_BlueButtonA_clicked() { swatchClicked(); }
void SensorDPI::on_BrightRedButtonA_clicked() { swatchClicked(); }
void SensorDPI::on_RedButtonA_clicked() { swatchClicked(); }
void SensorDPI::on_YellowButtonA_clicked() { swatchClicked(); }
void SensorDPI::on_GreenButtonA_clicked() { swatchClicked(); }
void SensorDPI::on_PurpleButtonA_clicked() { swatchClicked(); }
void SensorDPI::on_LightBlueButtonA_clicked() { swatchClicked(); }
void SensorDPI::on_LightYellowButtonA_clicked() { swatchClicked(); }
