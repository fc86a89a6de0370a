#include "lighting/lamplight.h"

#include "ui_lamplight.h"

#include "core/globals.h"
#include "core/languagetable.h"
#include "core/postmsg.h"
#include "core/setters.h"
#include "lighting/lightcontrols.h"
#include "sensor/optionskin.h"
#include "sensor/stopclosetime.h"
#include "widgets/dialogframe.h"

#include <QMouseEvent>
#include <QSignalBlocker>

#include <algorithm>
#include <iterator>

namespace {

// Only a user's change is written: never while the page fills itself.
bool mayWrite()
{
    return deviceWriteEnabled && !lightPageFilling;
}

// Sets lightPageFilling for its lifetime and puts the previous value back.
class LightPageFill
{
public:
    LightPageFill()
        : previous(lightPageFilling)
    {
        lightPageFilling = 1;
    }
    ~LightPageFill() { lightPageFilling = previous; }
    LightPageFill(const LightPageFill&) = delete;
    LightPageFill& operator=(const LightPageFill&) = delete;

private:
    uint8_t previous;
};

// Where the "Light" texts lie in LightTexts.
constexpr LightTextItems kPageTextItems = {0, 1, 8, 9, 23};
constexpr int kMovingOffTextItem = 10;
constexpr int kIdleTimeTextItem = 11;
constexpr int kFirstIdleEntryTextItem = 12;
constexpr int kIdleEntries = int(std::size(kSleepTimeValues));

// Factory defaults the page shows on a reset.
constexpr int kResetMode = 1;
constexpr int kResetBrightness = 10;
constexpr int kResetSpeed = 8;
constexpr int kResetIdleIndex = 2; // 1 minute

} // namespace

LampLight::LampLight(QWidget* parent)
    : QWidget(parent)
    , ui(new Ui::LampLight)
{
    ui->setupUi(this);
    pictureDir = optionPictureDir(QStringLiteral("Light"));
    controls = new LightControls(this);
    controls->mayEditColour = [] {
        // An edit that would not reach the device is refused with the offline
        // notice; with writes off or while filling it only changes the page.
        return !mayWrite() || CheckDeviceOnline();
    };
    connect(controls, &LightControls::colourEdited, this, &LampLight::writeColour);

    ui->line->hide();
    ui->line_2->hide();
    {
        // The starting layout is the page's own, not the user's choice.
        LightPageFill fill;
        on_LightMod_currentIndexChanged(ui->LightMod->currentIndex());
    }

    controls->applySkin(pictureDir);
    const QString label = optionLabelSkin();
    for (QWidget* caption : {ui->label, ui->label_2, ui->label_3, ui->label_4, ui->label_5, ui->label_8, ui->label_6,
                             ui->label_13})
        caption->setStyleSheet(label);
    ui->LightSpinBox_2->setStyleSheet(optionSpinSkin());
    ui->SpeedSpinBox_2->setStyleSheet(optionSpinSkin());
    const QString slider = optionSliderSkin(pictureDir, 5);
    ui->horizontalLight->setStyleSheet(slider);
    ui->horizontalSpeed->setStyleSheet(slider);
    ui->RippeControl->setStyleSheet(optionSwitchSkin(QStringLiteral("RippeControl"), pictureDir));
    dropRaisedPanelOutlines(this);

    hubConnect(SIGNAL(SigAllLanguage(int)), this, SLOT(SlotAllLanguage(int)));
    SlotAllLanguage(languageIndex);
    hubConnect(SIGNAL(SigUpDataLightLight(FlashDataMap)), this, SLOT(SlotUpDataLightUILight(FlashDataMap)),
               Qt::BlockingQueuedConnection);
    hubConnect(SIGNAL(SigUpDataLightUIA(FlashDataMap)), this, SLOT(SlotUpDataLightUIA(FlashDataMap)));
    hubConnect(SIGNAL(SigFormReset()), this, SLOT(SlotFormResetLight()), Qt::BlockingQueuedConnection);
}

LampLight::~LampLight()
{
    delete ui;
}

void LampLight::SlotUpDataLightUILight(FlashDataMap DataMap)
{
    fillFrom(DataMap, true);
}

void LampLight::SlotUpDataLightUIA(FlashDataMap DataMap)
{
    fillFrom(DataMap, false);
}

void LampLight::fillFrom(const FlashDataMap& data, bool slidersEnabled)
{
    ui->horizontalLight->setEnabled(slidersEnabled);
    ui->horizontalSpeed->setEnabled(slidersEnabled);
    LightPageFill fill;
    {
        const QSignalBlocker light(ui->horizontalLight);
        const QSignalBlocker speed(ui->horizontalSpeed);
        const QSignalBlocker red(ui->RSpinBox);
        const QSignalBlocker green(ui->GSpinBox);
        const QSignalBlocker blue(ui->BSpinBox);
        ui->horizontalLight->setValue(data.lightBrightness + 1);
        ui->horizontalSpeed->setValue(data.lightSpeed + 1);
        ui->LightSpinBox_2->setValue(data.lightBrightness + 1);
        ui->SpeedSpinBox_2->setValue(data.lightSpeed + 1);
        controls->setColour(data.lightColor[0], data.lightColor[1], data.lightColor[2]);
    }
    controls->refreshPreview();
    // Not blocked: the mode handler lays the page out (and writes nothing).
    ui->LightMod->setCurrentIndex(data.lightOn ? data.lightMode : 0);
    ui->RippeControl->setChecked(data.lightRippleControl != 0);
    const int idle = sleepTimeIndex(data.sleepTime);
    if (idle >= 0)
        ui->frameClose->setCurrentIndexSilent(idle);
}

void LampLight::SlotFormResetLight()
{
    LightPageFill fill;
    ui->LightMod->setCurrentIndex(kResetMode);
    ui->horizontalLight->setValue(kResetBrightness);
    ui->horizontalSpeed->setValue(kResetSpeed);
    ui->LightSpinBox_2->setValue(kResetBrightness);
    ui->SpeedSpinBox_2->setValue(kResetSpeed);
    ui->RippeControl->setChecked(true);
    ui->frameClose->setCurrentIndexSilent(kResetIdleIndex);
}

void LampLight::SlotAllLanguage(int index)
{
    controls->applyTexts(LightTexts, index, kPageTextItems);
    ui->label_4->setText(LightTexts.text(index, kMovingOffTextItem));
    ui->label_5->setText(LightTexts.text(index, kIdleTimeTextItem));
    for (int entry = 0; entry < kIdleEntries; ++entry)
        ui->frameClose->setItemText(entry, LightTexts.text(index, kFirstIdleEntryTextItem + entry));
}

void LampLight::on_LightMod_currentIndexChanged(int index)
{
    controls->showMode(index);
    // A fill may select an index the combo lacks (-1); that is no mode to send.
    if (mayWrite() && index >= 0 && index < kLightModeCount)
        showDeviceOnRefusal(SetLightMode(index));
}

void LampLight::on_horizontalLight_valueChanged(int value)
{
    ui->LightSpinBox_2->setValue(value);
    if (mayWrite())
        showDeviceOnRefusal(SetLightBrightness(value - 1));
}

void LampLight::on_horizontalSpeed_valueChanged(int value)
{
    ui->SpeedSpinBox_2->setValue(value);
    if (mayWrite())
        showDeviceOnRefusal(SetLightSpeed(value - 1));
}

void LampLight::on_horizontalLight_sliderMoved(int position)
{
    ui->LightSpinBox_2->setValue(position);
}

void LampLight::on_horizontalSpeed_sliderMoved(int position)
{
    ui->SpeedSpinBox_2->setValue(position);
}

void LampLight::on_RippeControl_clicked(bool checked)
{
    if (mayWrite())
        showDeviceOnRefusal(SetLightRippleControl(checked ? 1 : 0));
}

void LampLight::on_RSpinBox_valueChanged(int)
{
    controls->colourBoxChanged();
}

void LampLight::on_GSpinBox_valueChanged(int)
{
    controls->colourBoxChanged();
}

void LampLight::on_BSpinBox_valueChanged(int)
{
    controls->colourBoxChanged();
}

void LampLight::on_AddR_clicked()
{
    controls->step(LightControls::Red, 1);
}

void LampLight::on_AddG_clicked()
{
    controls->step(LightControls::Green, 1);
}

void LampLight::on_AddB_clicked()
{
    controls->step(LightControls::Blue, 1);
}

void LampLight::on_ReduceR_clicked()
{
    controls->step(LightControls::Red, -1);
}

void LampLight::on_ReduceG_clicked()
{
    controls->step(LightControls::Green, -1);
}

void LampLight::on_ReduceB_clicked()
{
    controls->step(LightControls::Blue, -1);
}

void LampLight::on_toolButtonColorA_clicked()
{
    controls->applyPreset('A');
}

void LampLight::on_toolButtonColorB_clicked()
{
    controls->applyPreset('B');
}

void LampLight::on_toolButtonColorC_clicked()
{
    controls->applyPreset('C');
}

void LampLight::on_toolButtonColorD_clicked()
{
    controls->applyPreset('D');
}

void LampLight::on_toolButtonColorE_clicked()
{
    controls->applyPreset('E');
}

void LampLight::on_toolButtonColorF_clicked()
{
    controls->applyPreset('F');
}

void LampLight::on_toolButtonColorG_clicked()
{
    controls->applyPreset('G');
}

void LampLight::on_toolButtonColorH_clicked()
{
    controls->applyPreset('H');
}

void LampLight::on_toolButtonColorI_clicked()
{
    controls->applyPreset('I');
}

void LampLight::on_toolButtonColorJ_clicked()
{
    controls->applyPreset('J');
}

void LampLight::on_toolButtonColorK_clicked()
{
    controls->applyPreset('K');
}

void LampLight::on_toolButtonColorL_clicked()
{
    controls->applyPreset('L');
}

void LampLight::on_toolButtonColorM_clicked()
{
    controls->applyPreset('M');
}

void LampLight::on_toolButtonColorN_clicked()
{
    controls->applyPreset('N');
}

void LampLight::on_StopCloseTime_activated(int index)
{
    // Never connected: the idle-time widget is named frameClose and writes
    // the time itself.
    if (mayWrite() && index >= 0 && index < kIdleEntries)
        showDeviceOnRefusal(SetSleepTime(kSleepTimeValues[index]));
}

void LampLight::on_LightSpinBox_2_valueChanged(int)
{
    // The number only shows the slider's value; the slider writes.
}

void LampLight::on_SpeedSpinBox_2_valueChanged(int)
{
    // The number only shows the slider's value; the slider writes.
}

void LampLight::on_LightMod_editTextChanged(const QString&)
{
    // The mode combo is not editable: the index handler does the work.
}

void LampLight::on_LightMod_activated(int)
{
    // currentIndexChanged handles every choice, a user's or a fill's.
}

QString LampLight::ByteToQString(uchar a)
{
    // Nothing in the program calls it.
    return QString(QChar::fromLatin1(char(a)));
}

void LampLight::writeColour()
{
    if (mayWrite())
        showDeviceOnRefusal(SetLightColor(controls->red(), controls->green(), controls->blue()));
}

void LampLight::showDeviceOnRefusal(bool written)
{
    // An offline device keeps the user's value on the page until it answers;
    // a record the online device refused leaves its own values, so the page
    // shows them again.
    if (DeviceRefusedWrite(written))
        fillFrom(CurrentFlashData, ui->horizontalLight->isEnabled());
}

void LampLight::mousePressEvent(QMouseEvent* event)
{
    // The second press of a double click arrives here too: one pick per click.
    if (event->type() == QEvent::MouseButtonPress)
        controls->press(event->pos());
}

void LampLight::changeEvent(QEvent* event)
{
    // No change needs the page's own handling (its texts follow the hub's
    // language signal); Qt's repaint on enable, font and style changes stays.
    QWidget::changeEvent(event);
}
