#include "sensor/sensorrate.h"

#include "ui_sensorrate.h"
#include "ui_sensorrateb.h"

#include "core/globals.h"
#include "core/postmsg.h"
#include "core/setters.h"
#include "sensor/optionskin.h"
#include "widgets/dialogframe.h"

#include <QButtonGroup>

namespace {

// Rates from index 4 on (2000 Hz and more) are the high rates.
constexpr int kFirstHighRate = 4;

// One skin for all seven buttons: a separate 1000 Hz skin would differ only
// by a stray closing brace, which Qt reports as a sheet it cannot parse.
QString rateButtonSkin(const QString& pictureDir)
{
    return QStringLiteral("QToolButton{border:0px;background-position:center;background-repeat:no-repeat;color: rgb(")
        + skinColour(QStringLiteral("ButtonColor")) + QStringLiteral(";);padding-left:0px;background-image: url(")
        + pictureDir + QStringLiteral("ReportRate.png")
        + QStringLiteral(");}QToolButton:checked{padding-left:0px;background-image: url(") + pictureDir
        + QStringLiteral("ReportRateClick.png); }");
}

} // namespace

int rateButtonClass(int deviceType)
{
    switch (deviceType) {
    case 0:
    case 2:
        return 0;
    case 1:
        return 1;
    case 4:
        return 2;
    case 3:
    case 5:
        return 3;
    default:
        return -1;
    }
}

int rateButtonOfCode(int code)
{
    for (int i = 0; i < 7; ++i)
        if (kReportRateCodes[i] == code)
            return i;
    return -1;
}

RateSelector::RateSelector(QWidget* parent)
    : QFrame(parent)
    , pictureDir(optionPictureDir(QStringLiteral("Sensor")))
{
}

void RateSelector::setUpGroup(QLabel* captionLabel, const QList<QAbstractButton*>& buttons)
{
    caption = captionLabel;
    caption->setStyleSheet(optionLabelSkin());
    group = new QButtonGroup(this);
    group->setExclusive(true);
    for (QAbstractButton* button : buttons)
        group->addButton(button);
}

void RateSelector::checkRateButton(int index)
{
    const QList<QAbstractButton*> buttons = group->buttons();
    if (index >= 0 && index < buttons.size())
        buttons.at(index)->setChecked(true);
}

void RateSelector::showRateButtons(int receiverClass)
{
    // Visibility of 2000, 4000 and 8000 Hz by receiver class.
    static const bool kShown[4][3] = {
        {false, false, false}, {true, true, false}, {true, false, false}, {true, true, true}};
    if (receiverClass < 0 || receiverClass > 3)
        return;
    const QList<QAbstractButton*> buttons = group->buttons();
    for (int i = 0; i < 3; ++i)
        buttons.at(kFirstHighRate + i)->setVisible(kShown[receiverClass][i]);
}

void RateSelector::setCaptionText(const QString& text)
{
    caption->setText(text);
}

void RateSelector::rateClicked(int index, bool checked)
{
    if (!checked || !deviceWriteEnabled)
        return;
    const bool written = SetReportRate(kReportRateCodes[index]);
    if (DeviceRefusedWrite(written)) {
        // The device keeps its rate: its button is the checked one again.
        checkRateButton(rateButtonOfCode(CurrentFlashData.reportRate));
    }
    if (!written)
        return;
    PostMsg::GetInstance()->PostHideModel(index >= kFirstHighRate ? 1 : 0);
}

void RateSelector::on_Button125HZ_clicked(bool checked) { rateClicked(0, checked); }
void RateSelector::on_Button250HZ_clicked(bool checked) { rateClicked(1, checked); }
void RateSelector::on_Button500HZ_clicked(bool checked) { rateClicked(2, checked); }
void RateSelector::on_Button1000HZ_clicked(bool checked) { rateClicked(3, checked); }
void RateSelector::on_Button2000HZ_clicked(bool checked) { rateClicked(4, checked); }
void RateSelector::on_Button4000HZ_clicked(bool checked) { rateClicked(5, checked); }
void RateSelector::on_Button8000HZ_clicked(bool checked) { rateClicked(6, checked); }

SensorRate::SensorRate(QWidget* parent)
    : RateSelector(parent)
    , ui(new Ui::SensorRate)
{
    ui->setupUi(this);
    setUpGroup(ui->label, {ui->Button125HZ, ui->Button250HZ, ui->Button500HZ, ui->Button1000HZ, ui->Button2000HZ,
                           ui->Button4000HZ, ui->Button8000HZ});
    const QString skin = rateButtonSkin(pictureDir);
    for (QAbstractButton* button : group->buttons())
        button->setStyleSheet(skin);
}

SensorRate::~SensorRate()
{
    delete ui;
}

SensorRateB::SensorRateB(QWidget* parent)
    : RateSelector(parent)
    , ui(new Ui::SensorRateB)
{
    ui->setupUi(this);
    setUpGroup(ui->label, {ui->Button125HZ, ui->Button250HZ, ui->Button500HZ, ui->Button1000HZ, ui->Button2000HZ,
                           ui->Button4000HZ, ui->Button8000HZ});
    const QString checkSkin = optionCheckSkin(pictureDir);
    for (QAbstractButton* button : group->buttons())
        button->setStyleSheet(checkSkin);
}

SensorRateB::~SensorRateB()
{
    delete ui;
}
