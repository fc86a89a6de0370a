#include "settings/formsetting.h"

#include "ui_formsetting.h"

#include "core/globals.h"
#include "core/languagetable.h"
#include "core/postmsg.h"
#include "core/registry.h"
#include "core/settings.h"
#include "mainwindow/dialogchange.h"
#include "settings/updaterepair.h"
#include "widgets/notices.h"

#include <QSignalBlocker>

namespace {
// Item of the page's texts that the other screens show as the firmware warning.
const int kUpdateWarningItem = 14;
}

FormSetting::FormSetting(QWidget* parent)
    : QWidget(parent)
    , ui(new Ui::FormSetting)
    , updateWarning(new UpDateWarning)
{
    ui->setupUi(this);

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

    settingsRepairDialog = new UpDateRepair;
    settingsRepairDialog->hide();

    hubConnect(SIGNAL(SigAllLanguage(int)), this, SLOT(SlotAllLanguage(int)));
    SlotAllLanguage(languageIndex);
}

FormSetting::~FormSetting()
{
    delete settingsRepairDialog;
    delete updateWarning;
    delete ui;
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
    updateWarningText = FormSettingTexts.text(index, kUpdateWarningItem);
}

void FormSetting::on_checkBox_clicked(bool on)
{
    UserSettings::instance()->setValue(QStringLiteral("AutoStart"), QStringLiteral("Enable"),
                                       on ? QStringLiteral("1") : QStringLiteral("0"));
    setAutoStartEntry(on);
}

// The version check, the receiver options and the firmware update of the page
// build on these.
void FormSetting::SetVerText() {}
void FormSetting::SlotLabelText(int, QString) {}
void FormSetting::SlotCheckUpdate() {}
void FormSetting::SlotRGBValue(DongleRGB*) {}
void FormSetting::SlotLongRangeMode(bool) {}
void FormSetting::SlotForm() {}
void FormSetting::SlotFormB() {}
void FormSetting::SlotFormResetForm() {}
void FormSetting::SlotLightToFrom(int) {}
void FormSetting::SlotUpdateFrame(bool) {}
void FormSetting::SlotContinue(int) {}
void FormSetting::on_Start() {}
