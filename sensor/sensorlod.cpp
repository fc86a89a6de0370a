#include "sensor/sensorlod.h"

#include "ui_sensorlod.h"
#include "ui_sensorlodb.h"

#include "core/globals.h"
#include "core/setters.h"
#include "sensor/optionskin.h"

#include <QButtonGroup>

namespace {

const QString kSmallLod = QStringLiteral("0.7mm");
constexpr int kSmallLodCode = 3;

// Lift-off writes of both layouts: never while the sensor page fills. True
// when the online device refused the code: the layout shows its own again.
bool liftOffRefused(int code)
{
    if (!deviceWriteEnabled || sensorPageFilling)
        return false;
    return DeviceRefusedWrite(SetLiftOffDistance(code));
}

} // namespace

SensorLOD::SensorLOD(QWidget* parent)
    : QFrame(parent)
    , ui(new Ui::SensorLOD)
{
    ui->setupUi(this);
    pictureDir = optionPictureDir(QStringLiteral("Sensor"));
    ui->label->setStyleSheet(optionLabelSkin());
    ui->LOD->setStyleSheet(optionComboSkin(pictureDir, true));
    setOptionComboPopup(ui->LOD);
}

SensorLOD::~SensorLOD()
{
    delete ui;
}

void SensorLOD::addSmallLod()
{
    if (ui->LOD->count() != 2)
        return;
    changingByProgram = true;
    ui->LOD->insertItem(0, kSmallLod);
    changingByProgram = false;
}

void SensorLOD::removeSmallLod()
{
    if (ui->LOD->count() != 3)
        return;
    changingByProgram = true;
    ui->LOD->removeItem(0);
    changingByProgram = false;
}

void SensorLOD::setComboEnabled(bool enabled)
{
    ui->LOD->setEnabled(enabled);
}

void SensorLOD::setCurrentLod(int value)
{
    int index = value;
    if (ui->LOD->count() == 3) {
        static const int kIndexOfValue[] = {1, 2, 0};
        if (value < 0 || value > 2)
            return;
        index = kIndexOfValue[value];
    }
    changingByProgram = true;
    // An index outside the items leaves the list without a selection.
    ui->LOD->setCurrentIndex(index >= 0 && index < ui->LOD->count() ? index : -1);
    changingByProgram = false;
}

void SensorLOD::setCaptionText(const QString& text)
{
    ui->label->setText(text);
}

void SensorLOD::setCaptionToolTip(const QString& text)
{
    ui->label->setToolTip(text);
}

void SensorLOD::on_LOD_currentIndexChanged(int index)
{
    if (changingByProgram)
        return;
    bool refused = false;
    if (ui->LOD->count() == 3) {
        static const int kCodeOfIndex[] = {kSmallLodCode, 1, 2};
        if (index >= 0 && index <= 2)
            refused = liftOffRefused(kCodeOfIndex[index]);
    } else if (index >= 0) {
        refused = liftOffRefused(index + 1);
    }
    if (refused)
        setCurrentLod(CurrentFlashData.liftOffDistance - 1);
}

SensorLODB::SensorLODB(QWidget* parent)
    : QFrame(parent)
    , ui(new Ui::SensorLODB)
{
    ui->setupUi(this);
    pictureDir = optionPictureDir(QStringLiteral("Sensor"));
    group = new QButtonGroup(this);
    group->setExclusive(true);
    group->addButton(ui->MM0);
    group->addButton(ui->MM1);
    group->addButton(ui->MM2);
    ui->label->setStyleSheet(optionLabelSkin());
    const QString checkSkin = optionCheckSkin(pictureDir);
    ui->MM1->setStyleSheet(checkSkin);
    ui->MM2->setStyleSheet(checkSkin);
    ui->MM0->hide();
}

SensorLODB::~SensorLODB()
{
    delete ui;
}

void SensorLODB::showSmallLod()
{
    ui->MM0->show();
    ui->MM0->move(80, 0);
    ui->MM1->move(165, 0);
    ui->MM2->move(250, 0);
}

void SensorLODB::hideSmallLod()
{
    ui->MM0->hide();
    ui->MM1->move(80, 0);
    ui->MM2->move(165, 0);
}

void SensorLODB::setButtonsEnabled(bool enabled)
{
    ui->MM2->setEnabled(enabled);
    ui->MM1->setEnabled(enabled);
}

void SensorLODB::setCurrentLod(int value)
{
    if (value == 2 && !ui->MM0->isHidden())
        ui->MM0->setChecked(true);
    else if (value == 0)
        ui->MM1->setChecked(true);
    else if (value == 1)
        ui->MM2->setChecked(true);
}

void SensorLODB::setCaptionText(const QString& text)
{
    ui->label->setText(text);
}

void SensorLODB::setCaptionToolTip(const QString& text)
{
    ui->label->setToolTip(text);
}

void SensorLODB::on_MM1_clicked(bool)
{
    if (liftOffRefused(1))
        setCurrentLod(CurrentFlashData.liftOffDistance - 1);
}

void SensorLODB::on_MM2_clicked(bool)
{
    if (liftOffRefused(2))
        setCurrentLod(CurrentFlashData.liftOffDistance - 1);
}

void SensorLODB::on_MM0_clicked(bool)
{
    if (liftOffRefused(kSmallLodCode))
        setCurrentLod(CurrentFlashData.liftOffDistance - 1);
}
