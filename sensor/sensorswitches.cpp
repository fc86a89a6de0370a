#include "sensor/sensorswitches.h"

#include "ui_motionsync.h"
#include "ui_motionsyncb.h"
#include "ui_rippecontrol.h"
#include "ui_rippecontrolb.h"
#include "ui_straightline.h"
#include "ui_straightlineb.h"

#include "core/globals.h"
#include "core/setters.h"
#include "sensor/optionskin.h"

#include <QLabel>
#include <QToolButton>

void SensorSwitch::setUpSwitch(QToolButton* switchButton, QLabel* captionLabel, Setter optionSetter,
                               uint8_t FlashDataMap::*recordField)
{
    button = switchButton;
    caption = captionLabel;
    setter = optionSetter;
    field = recordField;
    const QString pictureDir = optionPictureDir(QStringLiteral("Sensor"));
    caption->setStyleSheet(optionLabelSkin());
    button->setStyleSheet(optionSwitchSkin(button->objectName(), pictureDir));
}

void SensorSwitch::setChecked(bool checked)
{
    button->setChecked(checked);
}

void SensorSwitch::setCaptionText(const QString& text)
{
    caption->setText(text);
}

void SensorSwitch::setCaptionToolTip(const QString& text)
{
    caption->setToolTip(text);
}

void SensorSwitch::switchClicked(bool checked)
{
    // The switch's new state is written, never the byte that was read; a
    // state the online device refused goes back to the device's own.
    if (deviceWriteEnabled && DeviceRefusedWrite(setter(checked ? 1 : 0)))
        button->setChecked(CurrentFlashData.*field != 0);
}

RippeControl::RippeControl(QWidget* parent)
    : QFrame(parent)
    , ui(new Ui::RippeControl)
{
    ui->setupUi(this);
    setUpSwitch(ui->RippeControl_2, ui->label, SetRippleControl, &FlashDataMap::rippleControl);
}

RippeControl::~RippeControl()
{
    delete ui;
}

void RippeControl::on_RippeControl_2_clicked(bool checked)
{
    switchClicked(checked);
}

RippeControlB::RippeControlB(QWidget* parent)
    : QFrame(parent)
    , ui(new Ui::RippeControlB)
{
    ui->setupUi(this);
    setUpSwitch(ui->RippeControl_2, ui->label, SetRippleControl, &FlashDataMap::rippleControl);
}

RippeControlB::~RippeControlB()
{
    delete ui;
}

void RippeControlB::on_RippeControl_2_clicked(bool checked)
{
    switchClicked(checked);
}

StraightLine::StraightLine(QWidget* parent)
    : QFrame(parent)
    , ui(new Ui::StraightLine)
{
    ui->setupUi(this);
    setUpSwitch(ui->StraightLine_2, ui->label, SetStraightLine, &FlashDataMap::angleSnapping);
}

StraightLine::~StraightLine()
{
    delete ui;
}

void StraightLine::on_StraightLine_2_clicked(bool checked)
{
    switchClicked(checked);
}

StraightLineB::StraightLineB(QWidget* parent)
    : QFrame(parent)
    , ui(new Ui::StraightLineB)
{
    ui->setupUi(this);
    setUpSwitch(ui->StraightLine_2, ui->label, SetStraightLine, &FlashDataMap::angleSnapping);
}

StraightLineB::~StraightLineB()
{
    delete ui;
}

void StraightLineB::on_StraightLine_2_clicked(bool checked)
{
    switchClicked(checked);
}

MotionSync::MotionSync(QWidget* parent)
    : QFrame(parent)
    , ui(new Ui::MotionSync)
{
    ui->setupUi(this);
    setUpSwitch(ui->MotionSync_2, ui->label, SetMotionSync, &FlashDataMap::motionSync);
}

MotionSync::~MotionSync()
{
    delete ui;
}

void MotionSync::on_MotionSync_2_clicked(bool checked)
{
    switchClicked(checked);
}

MotionSyncB::MotionSyncB(QWidget* parent)
    : QFrame(parent)
    , ui(new Ui::MotionSyncB)
{
    ui->setupUi(this);
    setUpSwitch(ui->MotionSync_2, ui->label, SetMotionSync, &FlashDataMap::motionSync);
}

MotionSyncB::~MotionSyncB()
{
    delete ui;
}

void MotionSyncB::on_MotionSync_2_clicked(bool checked)
{
    switchClicked(checked);
}
