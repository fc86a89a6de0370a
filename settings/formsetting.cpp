#include "settings/formsetting.h"

#include "ui_formsetting.h"

#include "core/globals.h"
#include "core/languagetable.h"
#include "core/postmsg.h"
#include "core/registry.h"
#include "core/settings.h"
#include "sensor/optionskin.h"
#include "sensor/stopclosetime.h"
#include "settings/updaterepair.h"
#include "widgets/dialogframe.h"
#include "widgets/notices.h"

#include <QButtonGroup>
#include <QScrollBar>
#include <QSignalBlocker>

#include <iterator>

namespace {
// Item of the page's texts that the other screens show as the firmware warning.
const int kUpdateWarningItem = 14;
// First of the eleven idle-time texts of frameClose.
const int kSleepTimeFirstItem = 28;
const int kSleepTimeCount = int(std::size(kSleepTimeValues));
} // namespace

FormSetting::FormSetting(QWidget* parent)
    : QWidget(parent)
    , ui(new Ui::FormSetting)
    , updateWarning(new UpDateWarning)
    , ledModeGroup(new QButtonGroup(this))
{
    ui->setupUi(this);
    dropRaisedPanelOutlines(this);
    ui->NewLabel->hide();
    ui->Receive_2->hide();

    hubConnect(SIGNAL(SigLanguageSameB(int)), this, SLOT(SlotLanguageSameB(int)));
    hubConnect(SIGNAL(SigSetNewVer()), this, SLOT(SetVerText()));
    hubConnect(SIGNAL(SigLightToFrom(int)), this, SLOT(SlotLightToFrom(int)));
    hubConnect(SIGNAL(SigRGBValue(DongleRGB*)), this, SLOT(SlotRGBValue(DongleRGB*)), Qt::BlockingQueuedConnection);
    hubConnect(SIGNAL(SigLongRangeMode(bool)), this, SLOT(SlotLongRangeMode(bool)), Qt::BlockingQueuedConnection);
    hubConnect(SIGNAL(SigForm()), this, SLOT(SlotForm()), Qt::BlockingQueuedConnection);
    hubConnect(SIGNAL(SigFormB()), this, SLOT(SlotFormB()));
    hubConnect(SIGNAL(SigSetver(int)), this, SLOT(SetVer(int)));
    hubConnect(SIGNAL(SigLabelText(int,QString)), this, SLOT(SlotLabelText(int,QString)));
    hubConnect(SIGNAL(SigCheckUpdate()), this, SLOT(SlotCheckUpdate()));
    hubConnect(SIGNAL(SigLabelTextB(QString,QString)), this, SLOT(SlotLabelTextB(QString,QString)));
    hubConnect(SIGNAL(SigFormReset()), this, SLOT(SlotFormResetForm()), Qt::BlockingQueuedConnection);
    hubConnect(SIGNAL(SigUpdateStart()), this, SLOT(on_Start()));
    hubConnect(SIGNAL(SigUpdateFrame(bool)), this, SLOT(SlotUpdateFrame(bool)));
    hubConnect(SIGNAL(SigContinue(int)), this, SLOT(SlotContinue(int)));
    connect(ui->scrollArea->verticalScrollBar(), &QScrollBar::valueChanged, this, &FormSetting::SlotScroolChange);

    pictureDir = optionPictureDir(QStringLiteral("FormSetting"));
    settingsRepairDialog = new UpDateRepair;
    settingsRepairDialog->hide();
    ledModeGroup->setExclusive(true);

    applySkin();
    labelHomePos = ui->label->pos();
    const QString autoStart = UserSettings::instance()->value(QStringLiteral("AutoStart"), QStringLiteral("Enable"));
    ui->checkBox->setChecked(autoStart.toInt() == 1);

    for (QWidget* row : longRangeRows() + ledRows())
        row->hide();
    setTallPage(false);
    ledModeGroup->addButton(ui->ReUntil);
    ledModeGroup->addButton(ui->ReUntil_2);
    ledModeGroup->addButton(ui->ReUntil_3);

    hubConnect(SIGNAL(SigAllLanguage(int)), this, SLOT(SlotAllLanguage(int)));
    SlotAllLanguage(languageIndex);
}

FormSetting::~FormSetting()
{
    delete settingsRepairDialog;
    delete updateWarning;
    delete ui;
}

void FormSetting::applySkin()
{
    const QString& p = pictureDir;
    const QString labelColour = skinColour(QStringLiteral("LabelColor"));
    buttonColor = skinColour(QStringLiteral("ButtonColor"));

    const QString labelSkin = optionLabelSkin();
    for (QLabel* label : {ui->label, ui->label_2, ui->label_3, ui->label_4, ui->label_5, ui->label_6, ui->label_7,
                          ui->label_8, ui->label_9, ui->label_11, ui->label_14, ui->label_10})
        label->setStyleSheet(labelSkin);

    ui->pushButton_2->setStyleSheet(
        QStringLiteral("QPushButton{border:0px;background-position:center;background-repeat:no-repeat;color: rgb(")
        + buttonColor + QStringLiteral(";);background-image: url(") + p + QStringLiteral("PariButton.png);}"));
    const QString linkSkin = QStringLiteral("QPushButton{border:none;background:transparent;color: rgb(") + labelColour
        + QStringLiteral(";);text-align : %1;padding-right:1px;}");
    ui->pushButton->setStyleSheet(linkSkin.arg(QStringLiteral("left")));
    ui->pushButton_3->setStyleSheet(linkSkin.arg(QStringLiteral("right")));
    ui->pushButton_4->setStyleSheet(linkSkin.arg(QStringLiteral("right")));

    for (QToolButton* mark : {ui->TitleButton_2, ui->TitleButton_3, ui->TitleButton_4, ui->TitleButton_5,
                              ui->TitleButton_6, ui->TitleButton_7, ui->TitleButton_8})
        mark->setStyleSheet(QLatin1Char('#') + mark->objectName() + QStringLiteral("{border-image: url(") + p
                            + QStringLiteral("Title.png);}"));
    ui->toolButton->setStyleSheet(QStringLiteral("#toolButton{border-image: url(") + p + QStringLiteral("Mouse.png);}"));

    ui->comboBox->setStyleSheet(optionComboSkin(p) + QStringLiteral("QComboBox:disabled{color: rgb(63, 63, 63);}"));
    setOptionComboPopup(ui->comboBox);
    ui->comboBox->setMaxVisibleItems(5);

    for (QCheckBox* box : {ui->checkBox, ui->checkBox_2}) {
        const QString id = QLatin1Char('#') + box->objectName();
        box->setStyleSheet(id + QStringLiteral("{color: rgb(255, 255, 255);}") + id
                           + QStringLiteral("::indicator:unchecked{image: url(") + p + QStringLiteral("CheckBox.png);}")
                           + id + QStringLiteral("::indicator:checked{image: url(") + p
                           + QStringLiteral("CheckBoxChecked.png);}"));
    }
    const QString ledSkin =
        optionCheckSkin(p, QStringLiteral("CheckBoxCheck.png"), QStringLiteral("CheckBox2.png"));
    for (QCheckBox* box : {ui->ReUntil, ui->ReUntil_2, ui->ReUntil_3})
        box->setStyleSheet(ledSkin);
    for (QTextEdit* edit : {ui->textEdit, ui->textEdit_2, ui->textEdit_3, ui->textEdit_4})
        edit->setStyleSheet(QLatin1Char('#') + edit->objectName()
                            + QStringLiteral("{border: transparent;background-color: transparent;color: rgb(")
                            + labelColour + QStringLiteral(";);}"));
    for (QToolButton* mark : {ui->toolButton_2, ui->toolButton_3}) {
        mark->setStyleSheet(QStringLiteral("QToolButton{border:0px;background-position:center;background-repeat:no-"
                                           "repeat;color: rgb(255,106,0);background-image: url(")
                            + p + QStringLiteral("Picture.png);}"));
        mark->hide();
    }

    ui->scrollArea->setFrameShape(QFrame::NoFrame);
    ui->scrollAreaWidgetContents->setStyleSheet(QStringLiteral("background-color:transparent;border:none;"));
}

void FormSetting::setTallPage(bool tall)
{
    ui->scrollAreaWidgetContents->setFixedSize(880, layoutOffset + (tall ? 780 : 630));
    ui->pushButton_3->move(610, layoutOffset + (tall ? 710 : 540));
    ui->pushButton_4->move(490, layoutOffset + (tall ? 730 : 560));
}

QList<QWidget*> FormSetting::longRangeRows() const
{
    return {ui->TitleButton_6, ui->label_11, ui->checkBox_2, ui->textEdit};
}

QList<QWidget*> FormSetting::ledRows() const
{
    return {ui->TitleButton_7, ui->label_14, ui->ReUntil, ui->ReUntil_2, ui->ReUntil_3,
            ui->textEdit_2, ui->textEdit_3, ui->textEdit_4};
}

void FormSetting::SetVer(int what)
{
    if (what == 6) {
        ui->label_5->clear();
        ui->label_7->clear();
    }
}

void FormSetting::SlotLabelTextB(QString version, QString)
{
    ui->label_5->setText(version);
}

void FormSetting::SlotLanguageSameB(int index)
{
    const QSignalBlocker blocker(ui->comboBox);
    ui->comboBox->setCurrentIndex(index);
}

void FormSetting::on_comboBox_activated(int index)
{
    chooseLanguage(index);
    PostMsg::GetInstance()->PostLanguageSameA(index);
}

void FormSetting::SlotAllLanguage(int index)
{
    // From the second call on the font follows the screen's DPI; it is built
    // afresh each time so the scaling never accumulates.
    QFont updateFont(QStringLiteral("微软雅黑"), 10);
    if (fontScaled)
        updateFont.setPointSizeF(10 * screenFontFactor());
    ui->Receive_2->setFont(updateFont);
    fontScaled = true;

    // The version labels and the update button sit after their captions,
    // whose length differs by language.
    ui->label_5->move(index == 1 ? 230 : 200, 155);
    ui->label_7->move(index == 1 ? 230 : 200, 185);
    ui->Receive_2->move(index == 2 ? 330 : 280, 170);
    ui->toolButton_2->move(460, 160);
    ui->toolButton_3->move(460, 190);

    // The company texts have one row; the link leads to the English site for
    // English and to the local one otherwise.
    const bool local = index == 1 || index == 2;
    ui->pushButton_4->setText(CompanyTexts.text(0, 0));
    ui->pushButton_3->setText(CompanyTexts.text(0, local ? 2 : 3));

    const auto text = [index](int item) { return FormSettingTexts.text(index, item); };
    ui->label->setText(text(0).replace(QStringLiteral("1.2"), QStringLiteral("1.3")));
    ui->label_2->setText(text(1));
    ui->label_3->setText(text(2));
    ui->label_4->setText(text(3));
    ui->label_6->setText(text(4));
    ui->label_8->setText(text(5));
    ui->pushButton_2->setText(text(6));
    updateText = text(7);
    ui->Receive_2->setText(updateText);
    ui->label_9->setText(text(9));
    ui->label_10->setText(text(10));
    ui->pushButton->setText(text(11));
    ui->label_11->setText(text(12));
    ui->textEdit->setText(text(13));
    updateWarningText = text(kUpdateWarningItem);
    noDeviceText = text(15);
    ui->NewLabel->setText(text(16));
    sameDeviceText = text(17);
    upToDateText = text(18);
    ui->label_14->setText(text(19));
    ui->textEdit_2->setText(text(20));
    ui->textEdit_3->setText(text(21));
    ui->textEdit_4->setText(text(22));
    noReceiverText = text(23);
    noMouseText = text(24);
    repairErrorText = text(25);
    multiMouseText = text(26);
    multiDongleText = text(27);
    for (int i = 0; i < kSleepTimeCount; ++i)
        ui->frameClose->setItemText(i, text(kSleepTimeFirstItem + i));
    ui->label_12->setText(text(39));
    ui->label_13->setText(text(40));
}

void FormSetting::SetVerText()
{
    ui->Receive_2->setText(upToDateText);
}

void FormSetting::SlotLightToFrom(int seconds)
{
    for (int i = 0; i < kSleepTimeCount; ++i) {
        if (kSleepTimeValues[i] * 10 == seconds) {
            ui->frameClose->setCurrentIndexSilent(i);
            return;
        }
    }
}

void FormSetting::SlotScroolChange(int value)
{
    // The version text stays in view while the content scrolls.
    ui->label->move(labelHomePos.x(), labelHomePos.y() + value + 10);
}

void FormSetting::on_checkBox_clicked(bool on)
{
    UserSettings::instance()->setValue(QStringLiteral("AutoStart"), QStringLiteral("Enable"),
                                       on ? QStringLiteral("1") : QStringLiteral("0"));
    setAutoStartEntry(on);
}

// The version check, the receiver options and the firmware update of the page
// build on these.
void FormSetting::SlotLabelText(int, QString) {}
void FormSetting::SlotCheckUpdate() {}
void FormSetting::SlotRGBValue(DongleRGB*) {}
void FormSetting::SlotLongRangeMode(bool) {}
void FormSetting::SlotForm() {}
void FormSetting::SlotFormB() {}
void FormSetting::SlotFormResetForm() {}
void FormSetting::SlotUpdateFrame(bool) {}
void FormSetting::SlotContinue(int) {}
void FormSetting::on_Start() {}
