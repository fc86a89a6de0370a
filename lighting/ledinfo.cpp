#include "lighting/ledinfo.h"

#include "ui_ledinfo.h"

#include "core/globals.h"
#include "core/languagetable.h"
#include "core/postmsg.h"
#include "core/settings.h"
#include "sensor/optionskin.h"
#include "widgets/dialogframe.h"

#include <QButtonGroup>

namespace {
// Items of FormSettingTexts this dialog shows: the heading, then the three
// descriptions in the order of the choices.
const int kHeadingItem = 19;
const int kFirstDescriptionItem = 20;
// The device type of a 4 kHz-class receiver, the only one with a LED option.
const uint8_t kReceiver4kType = 1;
} // namespace

LedInfo::LedInfo(QWidget* parent)
    : QDialog(parent)
    , ui(new Ui::LedInfo)
{
    ui->setupUi(this);
    dropRaisedPanelOutlines(this);
    modeGroup = new QButtonGroup(this);
    modeGroup->setExclusive(true);
    pictureDir = optionPictureDir(QStringLiteral("FormSetting"));
    setDialogWindowFlags(this);
    applySkin();
    modeGroup->addButton(ui->ReUntil);
    modeGroup->addButton(ui->ReUntil_2);
    modeGroup->addButton(ui->ReUntil_3);
    // Blocking: the device-data thread keeps the LED record unchanged while
    // the slot reads it. The library's shutdown never waits for that thread,
    // so a pending call cannot hold the connection's end.
    hubConnect(SIGNAL(SigRGBValue(DongleRGB*)), this, SLOT(SlotRGBValue(DongleRGB*)), Qt::BlockingQueuedConnection);
    // The dialog keeps its form's sizes; it only follows the language.
    connectLanguage(this);
}

LedInfo::~LedInfo()
{
    delete ui;
}

void LedInfo::applySkin()
{
    const QString& p = pictureDir;
    const QString colour = skinColour(QStringLiteral("LabelColor"));
    ui->label_14->setStyleSheet(optionLabelSkin());
    ui->TitleButton_7->setStyleSheet(QStringLiteral("#TitleButton_7{border-image: url(") + p
                                     + QStringLiteral("Title.png);}"));
    const QString choiceSkin = optionCheckSkin(p, QStringLiteral("CheckBoxCheck.png"), QStringLiteral("CheckBox2.png"));
    for (QCheckBox* choice : {ui->ReUntil, ui->ReUntil_2, ui->ReUntil_3})
        choice->setStyleSheet(choiceSkin);
    ui->LedInfoFrame->setStyleSheet(
        QStringLiteral("#LedInfoFrame{border:0px;background-position:center;background-repeat:no-repeat;"
                       "background-image: url(")
        + p + QStringLiteral("Back.png);}"));
    for (QTextEdit* edit : {ui->textEdit_2, ui->textEdit_3, ui->textEdit_4})
        edit->setStyleSheet(QLatin1Char('#') + edit->objectName()
                            + QStringLiteral("{border: transparent;background-color: transparent;color: rgb(") + colour
                            + QStringLiteral(";);}"));
    ui->CloseButton->setStyleSheet(closeButtonStyleSheet(p, QStringLiteral("Close")));
}

void LedInfo::SlotRGBValue(DongleRGB* Rgb)
{
    const QString group = QStringLiteral("Drive") + QString::number(currentDevice.modelIndex + 1);
    const QStringList advanced = ConfigSettings::instance()->valueList(group, QStringLiteral("Adveanced"));
    // A missing model group or a list without item 1 means the model has no
    // receiver LED option.
    if (advanced.value(1, QStringLiteral("-1")) == QLatin1String("-1") || currentDevice.isMouse == 1
        || currentDevice.deviceType != kReceiver4kType)
        return;

    const QList<QWidget*> rows = {ui->TitleButton_7, ui->label_14, ui->ReUntil, ui->ReUntil_2,
                                  ui->ReUntil_3, ui->textEdit_2, ui->textEdit_3, ui->textEdit_4};
    for (QWidget* row : rows)
        row->show();

    if (!Rgb)
        return;
    switch (Rgb->mode) {
    case 1:
        ui->ReUntil->setChecked(true);
        break;
    case 2:
        ui->ReUntil_2->setChecked(true);
        break;
    case 3:
        ui->ReUntil_3->setChecked(true);
        break;
    default:
        break;
    }
}

void LedInfo::SlotAllLanguage(int index)
{
    ui->label_14->setText(FormSettingTexts.text(index, kHeadingItem));
    ui->textEdit_2->setText(FormSettingTexts.text(index, kFirstDescriptionItem));
    ui->textEdit_3->setText(FormSettingTexts.text(index, kFirstDescriptionItem + 1));
    ui->textEdit_4->setText(FormSettingTexts.text(index, kFirstDescriptionItem + 2));
}

void LedInfo::on_CloseButton_clicked()
{
    PostMsg::GetInstance()->PostButtonCheck();
    close();
}
