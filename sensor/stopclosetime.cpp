#include "sensor/stopclosetime.h"

#include "ui_stopclosetime.h"
#include "ui_stopclosetimeb.h"

#include "core/globals.h"
#include "core/setters.h"
#include "sensor/optionskin.h"

namespace {

constexpr int kEntries = 11;
// The number the slider layout shows for positions 1..11.
constexpr int kShownNumbers[kEntries] = {10, 30, 1, 5, 10, 15, 20, 25, 30, 35, 40};
// Positions up to this one count seconds, later ones minutes.
constexpr int kLastSecondsPosition = 2;

} // namespace

int sleepTimeIndex(int sleepByte)
{
    for (int index = 0; index < kEntries; ++index)
        if (kSleepTimeValues[index] == sleepByte)
            return index;
    return -1;
}

StopCloseTime::StopCloseTime(QWidget* parent)
    : QFrame(parent)
    , ui(new Ui::StopCloseTime)
{
    ui->setupUi(this);
    pictureDir = optionPictureDir(QStringLiteral("Light"));
    ui->StopClose->setStyleSheet(optionComboSkin(pictureDir));
    ui->StopClose->setMaxVisibleItems(15);
}

StopCloseTime::~StopCloseTime()
{
    delete ui;
}

void StopCloseTime::setCurrentIndexSilent(int index)
{
    const bool blocked = ui->StopClose->blockSignals(true);
    ui->StopClose->setCurrentIndex(index);
    ui->StopClose->blockSignals(blocked);
}

void StopCloseTime::setItemText(int index, const QString& text)
{
    if (index >= 0 && index < ui->StopClose->count())
        ui->StopClose->setItemText(index, text);
}

void StopCloseTime::on_StopClose_activated(int index)
{
    if (!deviceWriteEnabled || index < 0 || index >= kEntries)
        return;
    if (buttonPageFilling)
        return;
    // A time the device refused: it keeps its own, and so does the list.
    if (DeviceRefusedWrite(SetSleepTime(kSleepTimeValues[index])))
        setCurrentIndexSilent(sleepTimeIndex(CurrentFlashData.sleepTime));
}

StopCloseTimeB::StopCloseTimeB(QWidget* parent)
    : QFrame(parent)
    , ui(new Ui::StopCloseTimeB)
{
    ui->setupUi(this);
    pictureDir = optionPictureDir(QStringLiteral("Sensor"));
    ui->StopClose->setStyleSheet(optionSliderSkin(pictureDir, 2));
    ui->spinBoxA->setStyleSheet(optionNumberBoxSkin());
}

StopCloseTimeB::~StopCloseTimeB()
{
    delete ui;
}

void StopCloseTimeB::showPosition(int position)
{
    if (position < 1 || position > kEntries)
        return;
    ui->spinBoxA->setSuffix(position <= kLastSecondsPosition ? secondsUnit : minutesUnit);
    ui->spinBoxA->setValue(kShownNumbers[position - 1]);
}

void StopCloseTimeB::setCurrentIndexSilent(int index)
{
    const bool blocked = ui->StopClose->blockSignals(true);
    ui->StopClose->setValue(index + 1);
    ui->StopClose->blockSignals(blocked);
    showPosition(ui->StopClose->value());
}

void StopCloseTimeB::setItemText(int index, const QString& text)
{
    if (index == 0)
        secondsUnit = QString(text).remove(QStringLiteral("10"));
    else if (index == 5)
        minutesUnit = QString(text).remove(QStringLiteral("15"));
    else
        return;
    showPosition(ui->StopClose->value());
}

void StopCloseTimeB::on_StopClose_sliderMoved(int position)
{
    showPosition(position);
}

void StopCloseTimeB::on_StopClose_valueChanged(int value)
{
    showPosition(value);
    if (deviceWriteEnabled && !lightPageFilling && value >= 1 && value <= kEntries
        && DeviceRefusedWrite(SetSleepTime(kSleepTimeValues[value - 1]))) {
        const int index = sleepTimeIndex(CurrentFlashData.sleepTime);
        if (index >= 0)
            setCurrentIndexSilent(index);
    }
}
