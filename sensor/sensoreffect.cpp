#include "sensor/sensoreffect.h"

#include "ui_sensoreffect.h"
#include "ui_sensoreffectb.h"

#include "core/globals.h"
#include "core/setters.h"
#include "sensor/optionskin.h"

#include <QButtonGroup>

namespace {

constexpr int kBrightnessBytes[10] = {16, 30, 60, 90, 128, 150, 180, 210, 230, 255};

// The effect panel writes only while the device may be written and the
// sensor page is not filling.
bool mayWrite()
{
    return deviceWriteEnabled && !sensorPageFilling;
}

} // namespace

int dpiLightBrightnessByte(int level)
{
    return kBrightnessBytes[qBound(1, level, 10) - 1];
}

int dpiLightBrightnessLevel(int byte)
{
    for (int level = 1; level <= 10; ++level)
        if (kBrightnessBytes[level - 1] == byte)
            return level;
    return byte;
}

EffectPanel::EffectPanel(QWidget* parent)
    : QFrame(parent)
    , pictureDir(optionPictureDir(QStringLiteral("Sensor")))
{
}

void EffectPanel::setUpPanel(const Widgets& widgets)
{
    w = widgets;
    const QString label = optionLabelSkin();
    w.caption->setStyleSheet(label);
    w.speedLabel->setStyleSheet(label);
    w.lightLabel->setStyleSheet(label);
    const QString slider = optionSliderSkin(pictureDir, 5);
    w.speed->setStyleSheet(slider);
    w.light->setStyleSheet(slider);
    const QString spin = optionSpinSkin();
    w.speedBox->setStyleSheet(spin);
    w.lightBox->setStyleSheet(spin);
}

void EffectPanel::setSpeed(int speed)
{
    changingByProgram = true;
    w.speed->setValue(speed);
    changingByProgram = false;
}

void EffectPanel::setBrightnessLevel(int level)
{
    changingByProgram = true;
    w.light->setValue(level);
    changingByProgram = false;
}

void EffectPanel::showDeviceLight(const FlashDataMap& record)
{
    if (record.dpiLightOn == 0)
        setEffectMode(0);
    else if (record.dpiLightMode == 1 || record.dpiLightMode == 2)
        setEffectMode(record.dpiLightMode);
    setSpeed(record.dpiLightSpeed);
    setBrightnessLevel(dpiLightBrightnessLevel(record.dpiLightBrightness));
}

void EffectPanel::showDeviceOnRefusal(bool written)
{
    if (DeviceRefusedWrite(written))
        showDeviceLight(CurrentFlashData);
}

void EffectPanel::setSlidersEnabled(bool enabled)
{
    w.speed->setEnabled(enabled);
    w.light->setEnabled(enabled);
}

void EffectPanel::setCaptionText(const QString& text)
{
    w.caption->setText(text);
}

void EffectPanel::setSpeedLabelText(const QString& text)
{
    w.speedLabel->setText(text);
}

void EffectPanel::setBrightnessLabelText(const QString& text)
{
    w.lightLabel->setText(text);
}

void EffectPanel::showRowsOf(int mode)
{
    if (mode < 0 || mode > 2)
        return;
    const bool speed = mode == 2;
    const bool light = mode == 1;
    w.speed->setVisible(speed);
    w.speedBox->setVisible(speed);
    w.speedLine->setVisible(!speed);
    w.light->setVisible(light);
    w.lightBox->setVisible(light);
    w.lightLine->setVisible(!light);
}

void EffectPanel::modeChosen(int mode)
{
    showRowsOf(mode);
    if (!changingByProgram && mayWrite())
        showDeviceOnRefusal(SetDpiLightMode(mode));
}

void EffectPanel::on_SpeedH_valueChanged(int value)
{
    w.speedBox->setValue(value);
    if (!changingByProgram && mayWrite())
        showDeviceOnRefusal(SetDpiLightSpeed(value));
}

void EffectPanel::on_SpeedH_sliderMoved(int position)
{
    w.speedBox->setValue(position);
}

void EffectPanel::on_LightH_valueChanged(int value)
{
    w.lightBox->setValue(value);
    if (!changingByProgram && mayWrite())
        showDeviceOnRefusal(SetDpiLightBrightness(dpiLightBrightnessByte(value)));
}

void EffectPanel::on_LightH_sliderMoved(int position)
{
    w.lightBox->setValue(position);
}

SensorEffect::SensorEffect(QWidget* parent)
    : EffectPanel(parent)
    , ui(new Ui::SensorEffect)
{
    ui->setupUi(this);
    setUpPanel({ui->label, ui->label_14, ui->label_15, ui->SpeedH, ui->SpeedSpinBox, ui->line, ui->LightH,
                ui->LightSpinBox, ui->line_2});
    ui->Model->setStyleSheet(optionComboSkin(pictureDir));
    setOptionComboPopup(ui->Model);
}

SensorEffect::~SensorEffect()
{
    delete ui;
}

void SensorEffect::setEffectMode(int mode)
{
    if (mode < 0 || mode >= ui->Model->count())
        return;
    changingByProgram = true;
    ui->Model->setCurrentIndex(mode);
    changingByProgram = false;
    showRowsOf(mode);
}

void SensorEffect::setModeComboEnabled(bool enabled)
{
    ui->Model->setEnabled(enabled);
}

void SensorEffect::setModeItemText(int index, const QString& text)
{
    ui->Model->setItemText(index, text);
}

void SensorEffect::on_Model_currentIndexChanged(int index)
{
    modeChosen(index);
}

SensorEffectB::SensorEffectB(QWidget* parent)
    : EffectPanel(parent)
    , ui(new Ui::SensorEffectB)
{
    ui->setupUi(this);
    setUpPanel({ui->label, ui->label_14, ui->label_15, ui->SpeedH, ui->SpeedSpinBox, ui->line, ui->LightH,
                ui->LightSpinBox, ui->line_2});
    group = new QButtonGroup(this);
    group->setExclusive(true);
    const QString check = optionCheckSkin(pictureDir);
    for (QCheckBox* button : {ui->MM1, ui->MM2, ui->MM3}) {
        group->addButton(button);
        button->setStyleSheet(check);
    }
}

SensorEffectB::~SensorEffectB()
{
    delete ui;
}

void SensorEffectB::setEffectMode(int mode)
{
    QCheckBox* const buttons[] = {ui->MM3, ui->MM1, ui->MM2};
    if (mode < 0 || mode > 2)
        return;
    buttons[mode]->setChecked(true);
    showRowsOf(mode);
}

void SensorEffectB::setModeButtonText(int index, const QString& text)
{
    QCheckBox* const buttons[] = {ui->MM3, ui->MM1, ui->MM2};
    if (index >= 0 && index <= 2)
        buttons[index]->setText(text);
}

void SensorEffectB::on_MM3_clicked(bool checked)
{
    if (checked)
        modeChosen(0);
}

void SensorEffectB::on_MM1_clicked(bool checked)
{
    if (checked)
        modeChosen(1);
}

void SensorEffectB::on_MM2_clicked(bool checked)
{
    if (checked)
        modeChosen(2);
}
