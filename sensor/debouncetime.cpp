#include "sensor/debouncetime.h"

#include "ui_debouncetime.h"
#include "ui_debouncetimeb.h"
#include "ui_debouncetimec.h"

#include "core/globals.h"
#include "core/setters.h"
#include "sensor/optionskin.h"
#include "widgets/dialogframe.h"
#include "widgets/notices.h"
#include "widgets/pagedialogs.h"

namespace {

constexpr int kDebounceEntries = 16;
// Entries up to this index are short enough to warn about.
constexpr int kLastShortEntry = 7;
constexpr int kMaxNumber = 20;

// Where the short-debounce notice goes, relative to the selector's centre.
constexpr int kNoticeDx = -409;
constexpr int kNoticeDy = -202;

void writeDebounce(int value)
{
    if (deviceWriteEnabled)
        SetDebounceTime(value);
}

} // namespace

DebounceTime::DebounceTime(QWidget* parent)
    : QFrame(parent)
    , ui(new Ui::DebounceTime)
{
    ui->setupUi(this);
    pictureDir = optionPictureDir(QStringLiteral("Buttoninterface"));
    ui->Debunce->setStyleSheet(optionComboSkin(pictureDir));
    setOptionComboPopup(ui->Debunce, 5);
}

DebounceTime::~DebounceTime()
{
    delete ui;
}

void DebounceTime::setCurrentIndex(int index)
{
    changingByProgram = true;
    ui->Debunce->setCurrentIndex(index >= 0 && index < kDebounceEntries ? index : -1);
    changingByProgram = false;
}

void DebounceTime::setItemSuffix(int index, const QString& unit)
{
    if (index >= 0 && index < ui->Debunce->count())
        ui->Debunce->setItemText(index, QString::number(index) + unit);
}

void DebounceTime::on_Debunce_currentIndexChanged(int index)
{
    // A fill only shows the device's value: writing it back would turn a
    // byte above 15 into 0xFF.
    if (changingByProgram || !deviceWriteEnabled || buttonPageFilling)
        return;
    if (index < 0 || index >= kDebounceEntries)
        return;
    if (DeviceRefusedWrite(SetDebounceTime(index))) {
        // The device keeps its time, and the list shows it; nothing to warn of.
        setCurrentIndex(CurrentFlashData.debounceTime);
        return;
    }
    if (index > kLastShortEntry)
        return;
    LessThree notice;
    placeDialog(&notice, this, kNoticeDx, kNoticeDy);
    execForDevicePage(&notice);
}

DebouncetimeB::DebouncetimeB(QWidget* parent)
    : QFrame(parent)
    , ui(new Ui::DebouncetimeB)
{
    ui->setupUi(this);
    pictureDir = optionPictureDir(QStringLiteral("Sensor"));
    ui->Debunce->setStyleSheet(optionSliderSkin(pictureDir, 2));
    ui->spinBoxA->setStyleSheet(optionNumberBoxSkin());
}

DebouncetimeB::~DebouncetimeB()
{
    delete ui;
}

void DebouncetimeB::setValueSilent(int value)
{
    const bool blocked = ui->Debunce->blockSignals(true);
    ui->Debunce->setValue(value);
    ui->Debunce->blockSignals(blocked);
    ui->spinBoxA->setValue(ui->Debunce->value());
}

void DebouncetimeB::setSuffix(const QString& unit)
{
    ui->spinBoxA->setSuffix(unit);
}

void DebouncetimeB::on_Debunce_sliderMoved(int position)
{
    ui->spinBoxA->setValue(position);
}

void DebouncetimeB::on_Debunce_valueChanged(int value)
{
    ui->spinBoxA->setValue(value);
    writeDebounce(value);
}

DebouncetimeC::DebouncetimeC(QWidget* parent)
    : QFrame(parent)
    , ui(new Ui::DebouncetimeC)
{
    ui->setupUi(this);
    pictureDir = optionPictureDir(QStringLiteral("Sensor"));
    ui->AddLevelA->setStyleSheet(QStringLiteral("QToolButton{border:0px;border-image: url(") + pictureDir
                                 + QStringLiteral("Add.png);}"));
    ui->ReduceLevelA->setStyleSheet(QStringLiteral("QToolButton{border:0px;border-image: url(") + pictureDir
                                    + QStringLiteral("Reduce.png);}"));
    ui->spinBoxA->setStyleSheet(optionNumberBoxSkin());
}

DebouncetimeC::~DebouncetimeC()
{
    delete ui;
}

void DebouncetimeC::setValue(int value)
{
    ui->spinBoxA->setValue(value);
}

void DebouncetimeC::setSuffix(const QString& unit)
{
    ui->spinBoxA->setSuffix(unit);
}

void DebouncetimeC::on_AddLevelA_clicked()
{
    const int value = ui->spinBoxA->value();
    if (value >= kMaxNumber)
        return;
    ui->spinBoxA->setValue(value + 1);
    writeDebounce(ui->spinBoxA->value());
}

void DebouncetimeC::on_ReduceLevelA_clicked()
{
    const int value = ui->spinBoxA->value();
    if (value == 1)
        return;
    ui->spinBoxA->setValue(qMax(0, value - 1));
    writeDebounce(ui->spinBoxA->value());
}
