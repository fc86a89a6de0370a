#include "sensor/sensor.h"

#include "ui_sensor.h"

#include "core/globals.h"
#include "core/languagetable.h"
#include "core/postmsg.h"
#include "core/product.h"
#include "core/settings.h"
#include "core/setters.h"
#include "sensor/dpiencoding.h"
#include "sensor/optionskin.h"
#include "sensor/sensordefinitions.h"
#include "widgets/dialogframe.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QListView>
#include <QSignalBlocker>
#include <QTextStream>

#include <algorithm>
#include <iterator>

namespace {

// Full-performance time of each PerformanceOpen item, in units of 10 s.
constexpr int kPerformanceTimes[6] = {3, 6, 12, 30, 60, 90};

// The PerformanceOpen item of a full-performance time; -1 for a time it lacks.
int performanceTimeIndex(int level)
{
    const int* item = std::find(std::begin(kPerformanceTimes), std::end(kPerformanceTimes), level);
    return item != std::end(kPerformanceTimes) ? int(item - std::begin(kPerformanceTimes)) : -1;
}

// The mode choice's "Corded" row: shown only for the high report rates.
constexpr int kCordedMode = 2;

QString driveValue(const QString& key)
{
    return ConfigSettings::instance()->value(QStringLiteral("Drive") + QString::number(currentDevice.modelIndex + 1),
                                             key);
}

// A model is listed in a feature switch when the switch's text contains it.
bool listed(const QString& featureText)
{
    return featureText.contains(currentSensorModel);
}

bool isFastReceiverType(int type)
{
    return type == 1 || type == 4 || type == 5;
}

QString twoHex(int value)
{
    return QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0'));
}

} // namespace

Sensor::Sensor(QWidget* parent)
    : QWidget(parent)
    , ui(new Ui::Sensor())
{
    ui->setupUi(this);
    ui->frame_3->show();
    dropRaisedPanelOutlines(this);

    pictureDir = optionPictureDir(QStringLiteral("Sensor"));
    dataFolder = userDir() + QStringLiteral("/usersetting/SensorPage");

    hubConnect(SIGNAL(SigHideModel(int)), this, SLOT(SlotHideModel(int)));

    QDir().mkpath(dataFolder);
    loadLevelFile();

    const QString comboSkin = optionComboSkin(pictureDir, true);
    ui->ModelChoose->setStyleSheet(comboSkin);
    ui->PerformanceOpen->setStyleSheet(comboSkin);
    setOptionComboPopup(ui->ModelChoose);
    setOptionComboPopup(ui->PerformanceOpen, 5);

    SensorFeatureSwitches features;
    readSensorDefinitions(sensorDefinitionPath(), &features, nullptr);
    loadSensorDefineTable();
    supportSensorModeSel = features.values[FeatureSensorModeSel];
    supportLodCal = features.values[FeatureLodCal];
    supportRipple = features.values[FeatureRipple];
    supportFixLine = features.values[FeatureFixLine];
    supportMotionSync = features.values[FeatureMotionSync];
    supportMousepadCal = features.values[FeatureMousepadCal];

    ui->label_5->setStyleSheet(optionLabelSkin());
    ui->label_11->setStyleSheet(optionLabelSkin());
    ui->Performance->setStyleSheet(QStringLiteral("QCheckBox{color: rgb(") + skinColour(QStringLiteral("LabelColor"))
                                   + QStringLiteral(";);}QCheckBox::indicator:checked {image: url(") + pictureDir
                                   + QStringLiteral("CheckBoxChecked.png);}QCheckBox::indicator:unchecked {image: url(")
                                   + pictureDir + QStringLiteral("CheckBox.png);}"));
    for (QToolButton* marker : {ui->TitleButton, ui->TitleButton_2, ui->TitleButton_3, ui->TitleButton_4})
        marker->setStyleSheet(QLatin1Char('#') + marker->objectName() + QStringLiteral("{border-image: url(")
                              + pictureDir + QStringLiteral("Title.png);}"));

    modeListView = qobject_cast<QListView*>(ui->ModelChoose->view());

    hubConnect(SIGNAL(SigUpDataLightSensor(FlashDataMap)), this, SLOT(SlotUpDataSenSorUISensor(FlashDataMap)),
               Qt::BlockingQueuedConnection);
    hubConnect(SIGNAL(SigFormReset()), this, SLOT(SlotFormReset()), Qt::BlockingQueuedConnection);
    hubConnect(SIGNAL(SigUpDataReportRate(int)), this, SLOT(SlotUpDataReportRate(int)), Qt::BlockingQueuedConnection);
    hubConnect(SIGNAL(SigUpDataDPI(int)), this, SLOT(SlotUpDataDPI(int)), Qt::BlockingQueuedConnection);
    hubConnect(SIGNAL(SigUpDataDPILed(FlashDataMap)), this, SLOT(SlotUpDataDPILed(FlashDataMap)),
               Qt::BlockingQueuedConnection);
    hubConnect(SIGNAL(SigUpDataSensorUIB(FlashDataMap)), this, SLOT(SlotUpDataSenSorUIB(FlashDataMap)));
    hubConnect(SIGNAL(SigAllLanguage(int)), this, SLOT(SlotAllLanguage(int)));

    SlotAllLanguage(languageIndex);
}

Sensor::~Sensor()
{
    delete ui;
}

void Sensor::setButtonIcon(QAbstractButton* button, const QString& imagePath)
{
    button->setIconSize(QSize(button->width(), button->height()));
    button->setIcon(QIcon(imagePath));
}

void Sensor::changeEvent(QEvent* /*event*/)
{
    // Change events also arrive while the form is being built.
    if (ui->Performance && ui->PerformanceOpen)
        ui->PerformanceOpen->setEnabled(ui->Performance->isChecked());
}

// ---- Level file -----------------------------------------------------------------

void Sensor::loadLevelFile()
{
    int level = 1;
    QFile file(dataFolder + QStringLiteral("/Level.ini"));
    if (file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        const QString line = QTextStream(&file).readLine();
        if (!line.isEmpty())
            level = line.toInt();
    }
    ui->frameDpi->storeStageCount(level);
}

void Sensor::saveLevelFile(int value)
{
    QFile file(dataFolder + QStringLiteral("/Level.ini"));
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        file.write(QByteArray::number(value));
}

// ---- Fills ------------------------------------------------------------------------

void Sensor::SlotUpDataSenSorUISensor(FlashDataMap DataMap)
{
    sensorPageUpdated = 0;
    fillFromRecord(DataMap);
    sensorPageUpdated = 1;
}

void Sensor::SlotUpDataSenSorUIB(FlashDataMap DataMap)
{
    fillFromRecord(DataMap);
}

void Sensor::fillFromRecord(const FlashDataMap& record)
{
    SensorDPI* dpi = ui->frameDpi;
    dpi->clearStageCombo();
    dpi->blockSliderSignals(true);
    dpi->setSliderEnabled(true);
    ui->frameEffect->setSlidersEnabled(true);
    sensorPageFilling = 1;

    // The device's stage bytes are held to the record's eight stages, so no
    // stage outside them is ever shown, selected or written.
    const int stageCount = qBound(1, int(record.dpiStageCount), int(kDpiStageCount));
    const int stage = qMin(int(record.currentDpiStage), kDpiStageCount - 1);
    dpi->storeStageCount(stageCount);
    dpi->storeCurrentStage(stage);

    const int rate = record.reportRate;
    ui->frameRate->checkRateButton(rateButtonOfCode(rate));
    // A mouse on its cable runs 2000 and 4000 Hz as 1000 Hz.
    if (currentDevice.isMouse == 1 && (rate == 16 || rate == 32))
        ui->frameRate->checkRateButton(3);

    currentSensorModel = driveValue(QStringLiteral("Sensor"));
    if (currentSensorModel == QLatin1String("3950"))
        ui->frameLOD->addSmallLod();
    else
        ui->frameLOD->removeSmallLod();

    if (!modelOffersModeChoice()) {
        ui->ModelChoose->setEnabled(false);
    } else {
        ui->ModelChoose->setEnabled(true);
        if (currentDevice.isMouse == 1) {
            ui->ModelChoose->setCurrentIndex(kCordedMode);
            ui->ModelChoose->setEnabled(false);
        } else if (isFastReceiverType(currentDevice.deviceType) && (rate == 16 || rate == 32 || rate == 64)) {
            ui->ModelChoose->setCurrentIndex(kCordedMode);
            ui->ModelChoose->setEnabled(false);
        } else {
            ui->ModelChoose->setCurrentIndex(record.sensorMode);
            modeListView->setRowHidden(kCordedMode, true);
        }
    }

    ui->frameLOD->setCurrentLod(record.liftOffDistance - 1);

    const bool performance = record.performanceMode != 0;
    ui->Performance->setChecked(performance);
    ui->PerformanceOpen->setEnabled(performance);
    const int performanceTime = performanceTimeIndex(record.performanceLevel);
    if (performanceTime >= 0)
        ui->PerformanceOpen->setCurrentIndex(performanceTime);

    ui->frame->setChecked(record.rippleControl != 0);
    ui->frame_4->setChecked(record.angleSnapping != 0);
    ui->frame_3->setChecked(record.motionSync != 0);

    SlotUpDataDPILed(record);

    // The catalogue may name more stages than the record holds: the list
    // offers them all, but only the record's eight stages are read.
    const int grades = driveValue(QStringLiteral("DPIMaxGrade")).toInt();
    const int stagesRead = qMin(grades, int(kDpiStageCount));
    dpi->blockStageSignals(true);
    for (int i = 0; i < grades; ++i) {
        if (i < stagesRead) {
            const DpiStage& entry = record.dpiStages[i];
            dpi->setStageColor(i, QLatin1Char('#') + twoHex(entry.red) + twoHex(entry.green) + twoHex(entry.blue));
        }
        dpi->insertStageItem(i, QString::number(i + 1));
    }
    dpi->blockStageSignals(false);
    dpi->restyleSwatches(stage);

    const bool compact = driveValue(QStringLiteral("XIn1")).toInt() == 2;
    const QList<QWidget*> sensorSection = {ui->TitleButton_4, ui->label_5,     ui->label_11,
                                           ui->ModelChoose,   ui->frameLOD,    ui->Performance,
                                           ui->PerformanceOpen, ui->frame,     ui->frame_4};
    for (QWidget* section : sensorSection)
        section->setVisible(!compact);
    ui->frame_3->show();
    ui->frameEffect->move(80, compact ? 316 : 456);
    ui->TitleButton_3->move(40, compact ? 323 : 463);

    refillDpiRangeTable(&dpiMinText, &dpiMaxText);
    dpi->setSliderMaximum(dpiMaxText.toInt());
    dpi->setSliderMinimum(dpiMinText.toInt());

    for (int i = 0; i < stagesRead; ++i) {
        const DpiStage& entry = record.dpiStages[i];
        const int value = decodeDpiStage(entry.codeX, entry.range);
        dpi->setStageText(i, QString::number(value));
        if (i == stage) {
            dpi->setSliderValue(value);
            dpi->setDpiSpinValue(value);
        }
    }

    dpi->setStageCount(stageCount - 1);
    dpi->setStageComboIndex(stageCount - 1);
    dpi->moveMarkerToStage(stage + 1);
    dpi->selectStage(stage);

    ui->frameRate->showRateButtons(rateButtonClass(currentDevice.deviceType));

    // After the section visibility: a listed switch shows even in the
    // compact layout.
    ui->frameLOD->setComboEnabled(listed(supportLodCal));
    ui->frame->setVisible(listed(supportRipple));
    ui->frame_4->setVisible(listed(supportFixLine));
    ui->frame_3->setVisible(true);

    dpi->blockSliderSignals(false);
    sensorPageFilling = 0;
}

void Sensor::SlotUpDataDPILed(FlashDataMap DataMap)
{
    ui->frameEffect->showDeviceLight(DataMap);
}

void Sensor::SlotFormReset()
{
    sensorPageFilling = 1;
    SensorDPI* dpi = ui->frameDpi;
    dpi->setSliderMaximum(26000);
    dpi->setSliderMinimum(50);
    dpi->loadStageColors();
    dpi->clearStageCombo();
    for (int i = 0; i < 6; ++i)
        dpi->insertStageItem(i, QString::number(i + 1));
    dpi->blockStageSignals(false);
    dpi->setStageCount(5);
    dpi->setStageComboIndex(5);
    dpi->moveMarkerToStage(2);
    dpi->selectStage(1);
    // The editor's own stage follows what it shows, not the last device's.
    dpi->storeCurrentStage(1);

    ui->frameLOD->setCurrentLod(0);
    ui->Performance->setEnabled(true);
    dpi->setSliderValue(800);
    dpi->setDpiSpinValue(800);

    const int type = currentDevice.deviceType;
    const int receiverClass = rateButtonClass(type);
    if (receiverClass >= 0) {
        ui->frameRate->showRateButtons(receiverClass);
        ui->frameRate->checkRateButton(3);
        const QSignalBlocker quiet(ui->ModelChoose);
        ui->ModelChoose->setCurrentIndex(receiverClass == 0 ? 0 : kCordedMode);
    }
    if (currentDevice.isMouse == 1) {
        const QSignalBlocker quiet(ui->ModelChoose);
        ui->ModelChoose->setCurrentIndex(kCordedMode);
    }
    {
        const QSignalBlocker quiet(ui->PerformanceOpen);
        ui->PerformanceOpen->setCurrentIndex(1);
    }
    ui->frameLOD->setCurrentLod(0);
    ui->frameEffect->setEffectMode(0);
    ui->frameEffect->setSpeed(3);
    ui->frameEffect->setBrightnessLevel(5);

    ui->Performance->setChecked(false);
    ui->PerformanceOpen->setEnabled(false);
    ui->frame_3->setChecked(true);
    ui->frame_4->setChecked(false);
    ui->frame->setChecked(false);
    sensorPageFilling = 0;
}

// ---- Device reports -------------------------------------------------------------

bool Sensor::modelOffersModeChoice() const
{
    return listed(supportSensorModeSel);
}

void Sensor::showStoredMode()
{
    ui->ModelChoose->setEnabled(true);
    ui->ModelChoose->setCurrentIndex(CurrentFlashData.sensorMode);
    modeListView->setRowHidden(kCordedMode, true);
}

void Sensor::showCordedMode()
{
    modeListView->setRowHidden(kCordedMode, false);
    ui->ModelChoose->setCurrentIndex(kCordedMode);
    ui->ModelChoose->setEnabled(false);
}

void Sensor::SlotUpDataReportRate(int index)
{
    const int button = rateButtonOfCode(index);
    if (button < 0)
        return;
    ui->frameRate->checkRateButton(button);
    if (!modelOffersModeChoice() || currentDevice.isMouse == 1)
        return;
    // The device changed its own rate: show its mode, write nothing back.
    const QSignalBlocker quiet(ui->ModelChoose);
    if (button <= 3)
        showStoredMode();
    else
        showCordedMode();
}

void Sensor::SlotHideModel(int index)
{
    if (index == 0 && currentDevice.isMouse != 1 && modelOffersModeChoice())
        showStoredMode();
    else if (index == 1 && isFastReceiverType(currentDevice.deviceType) && modelOffersModeChoice())
        showCordedMode();
}

void Sensor::SlotUpDataDPI(int index)
{
    // Selecting the stage runs the stage button's own handler, which would
    // send the stage straight back to the device.
    const uint8_t writeEnabled = deviceWriteEnabled;
    deviceWriteEnabled = 0;
    ui->frameDpi->moveMarkerToStage(index + 1);
    if (index >= 0 && index < kDpiStageCount) {
        ui->frameDpi->selectStage(index);
        ui->frameDpi->storeCurrentStage(index);
    }
    deviceWriteEnabled = writeEnabled;
}

// ---- The user's edits -----------------------------------------------------------

void Sensor::on_Performance_toggled(bool on)
{
    ui->PerformanceOpen->setEnabled(on);
}

void Sensor::on_Performance_clicked(bool on)
{
    if (deviceWriteEnabled && DeviceRefusedWrite(SetPerformanceMode(on ? 1 : 0)))
        ui->Performance->setChecked(CurrentFlashData.performanceMode != 0);
}

void Sensor::on_PerformanceOpen_currentIndexChanged(int index)
{
    if (!deviceWriteEnabled || sensorPageFilling || index < 0 || index >= 6)
        return;
    if (!DeviceRefusedWrite(SetPerformanceLevel(kPerformanceTimes[index])))
        return;
    const QSignalBlocker quiet(ui->PerformanceOpen);
    ui->PerformanceOpen->setCurrentIndex(performanceTimeIndex(CurrentFlashData.performanceLevel));
}

void Sensor::on_ModelChoose_currentIndexChanged(int index)
{
    // Only LP and HP are modes the device takes; "Corded" follows the rate,
    // and no choice (a stored mode the list lacks) is no mode at all.
    if (!deviceWriteEnabled || sensorPageFilling || (index != 0 && index != 1))
        return;
    // A mode the device refused: the choice shows the device's rate and mode
    // again, as after a rate report.
    if (DeviceRefusedWrite(SetSensorMode(index)))
        SlotUpDataReportRate(CurrentFlashData.reportRate);
}

void Sensor::on_LOD_currentIndexChanged(int /*index*/)
{
}

void Sensor::on_RippeControl_clicked(bool on)
{
    if (deviceWriteEnabled && DeviceRefusedWrite(SetRippleControl(on ? 1 : 0)))
        ui->frame->setChecked(CurrentFlashData.rippleControl != 0);
}

void Sensor::on_StraightLine_clicked(bool on)
{
    if (deviceWriteEnabled && DeviceRefusedWrite(SetStraightLine(on ? 1 : 0)))
        ui->frame_4->setChecked(CurrentFlashData.angleSnapping != 0);
}

void Sensor::on_MotionSync_clicked(bool on)
{
    if (deviceWriteEnabled && DeviceRefusedWrite(SetMotionSync(on ? 1 : 0)))
        ui->frame_3->setChecked(CurrentFlashData.motionSync != 0);
}

void Sensor::on_pushButton_clicked()
{
    ui->frameLOD->addSmallLod();
}

void Sensor::on_pushButton_2_clicked()
{
    ui->frameLOD->removeSmallLod();
}

// ---- Texts ------------------------------------------------------------------------

void Sensor::SlotAllLanguage(int index)
{
    auto text = [index](int item) { return SensorTexts.text(index, item); };
    ui->frameDpi->setCaptionText(text(0));
    ui->frameRate->setCaptionText(text(1));
    ui->label_5->setText(text(2));
    ui->label_11->setText(text(3));
    ui->frameLOD->setCaptionText(text(4));
    ui->Performance->setText(text(5));
    ui->frame->setCaptionText(text(6));
    ui->frame_4->setCaptionText(text(7));
    ui->frame_3->setCaptionText(text(8));
    for (int i = 0; i < 6 && i < ui->PerformanceOpen->count(); ++i)
        ui->PerformanceOpen->setItemText(i, text(9 + i));
    ui->frameEffect->setCaptionText(text(15));
    for (int i = 0; i < 3; ++i)
        ui->frameEffect->setModeItemText(i, text(16 + i));
    ui->frameEffect->setSpeedLabelText(text(19));
    ui->frameEffect->setBrightnessLabelText(text(20));
    ui->label_11->setToolTip(text(21));
    ui->frameLOD->setCaptionToolTip(text(22));
    ui->Performance->setToolTip(text(23));
    ui->frame_3->setCaptionToolTip(text(24));
    ui->frame_4->setCaptionToolTip(text(25));
    ui->frame->setCaptionToolTip(text(26));
}
