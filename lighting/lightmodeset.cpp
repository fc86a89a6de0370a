#include "lighting/lightmodeset.h"

#include "ui_lightmodeset.h"

#include "core/languagetable.h"
#include "core/postmsg.h"
#include "lighting/lightcontrols.h"
#include "sensor/optionskin.h"
#include "widgets/dialogframe.h"

#include <QMouseEvent>

namespace {

// Where the dialog's texts lie in ScreenInfoTexts.
constexpr LightTextItems kDialogTextItems = {5, 6, 13, 14, 15};

} // namespace

LightModeSet::LightModeSet(QWidget* parent)
    : QDialog(parent)
    , ui(new Ui::LightModeSet)
{
    ui->setupUi(this);
    pictureDir = optionPictureDir(QStringLiteral("ScreeInfo"));
    setDialogWindowFlags(this);
    controls = new LightControls(this);

    const QString label = optionLabelSkin();
    for (QWidget* caption : {ui->label, ui->label_2, ui->label_3, ui->label_6, ui->label_7, ui->label_8, ui->label_10,
                             ui->label_11, ui->label_12, ui->label_13})
        caption->setStyleSheet(label);
    ui->LightModeSetframe->setStyleSheet(
        QStringLiteral("#LightModeSetframe{border:0px;background-position:center;background-repeat:no-repeat;"
                       "background-image: url(")
        + pictureDir + QStringLiteral("Back.png);}"));
    ui->CloseButton->setStyleSheet(closeButtonSkin(pictureDir));
    on_LightMod_currentIndexChanged(ui->LightMod->currentIndex());
    controls->applySkin(pictureDir);
    // The dialog's handles reach 1 px past the groove on both sides.
    const QString slider = optionSliderSkin(pictureDir, 5, QStringLiteral("Slider.png"), -1);
    ui->horizontalLight->setStyleSheet(slider);
    ui->horizontalSpeed->setStyleSheet(slider);

    // The dialog follows the program's language like every other screen.
    connectLanguage(this);
    scaleFontsToScreen(this);
}

LightModeSet::~LightModeSet()
{
    delete ui;
}

void LightModeSet::on_AddR_clicked()
{
    controls->step(LightControls::Red, 1);
}

void LightModeSet::on_AddG_clicked()
{
    controls->step(LightControls::Green, 1);
}

void LightModeSet::on_AddB_clicked()
{
    controls->step(LightControls::Blue, 1);
}

void LightModeSet::on_ReduceR_clicked()
{
    controls->step(LightControls::Red, -1);
}

void LightModeSet::on_ReduceG_clicked()
{
    controls->step(LightControls::Green, -1);
}

void LightModeSet::on_ReduceB_clicked()
{
    controls->step(LightControls::Blue, -1);
}

void LightModeSet::on_RSpinBox_valueChanged(int)
{
    controls->colourBoxChanged();
}

void LightModeSet::on_GSpinBox_valueChanged(int)
{
    controls->colourBoxChanged();
}

void LightModeSet::on_BSpinBox_valueChanged(int)
{
    controls->colourBoxChanged();
}

void LightModeSet::on_toolButtonColorA_clicked()
{
    controls->applyPreset('A');
}

void LightModeSet::on_toolButtonColorB_clicked()
{
    controls->applyPreset('B');
}

void LightModeSet::on_toolButtonColorC_clicked()
{
    controls->applyPreset('C');
}

void LightModeSet::on_toolButtonColorD_clicked()
{
    controls->applyPreset('D');
}

void LightModeSet::on_toolButtonColorE_clicked()
{
    controls->applyPreset('E');
}

void LightModeSet::on_toolButtonColorF_clicked()
{
    controls->applyPreset('F');
}

void LightModeSet::on_toolButtonColorG_clicked()
{
    controls->applyPreset('G');
}

void LightModeSet::on_toolButtonColorH_clicked()
{
    controls->applyPreset('H');
}

void LightModeSet::on_toolButtonColorI_clicked()
{
    controls->applyPreset('I');
}

void LightModeSet::on_toolButtonColorJ_clicked()
{
    controls->applyPreset('J');
}

void LightModeSet::on_toolButtonColorK_clicked()
{
    controls->applyPreset('K');
}

void LightModeSet::on_toolButtonColorL_clicked()
{
    controls->applyPreset('L');
}

void LightModeSet::on_toolButtonColorM_clicked()
{
    controls->applyPreset('M');
}

void LightModeSet::on_toolButtonColorN_clicked()
{
    controls->applyPreset('N');
}

void LightModeSet::SlotAllLanguage(int index)
{
    controls->applyTexts(ScreenInfoTexts, index, kDialogTextItems);
}

void LightModeSet::on_CloseButton_clicked()
{
    PostMsg::GetInstance()->PostButtonCheck();
    close();
}

void LightModeSet::on_LightMod_currentIndexChanged(int index)
{
    controls->showMode(index);
}

void LightModeSet::mousePressEvent(QMouseEvent* event)
{
    // The press of a double click arrives here too; it picks nothing.
    if (event->type() == QEvent::MouseButtonPress)
        controls->press(event->pos());
}
