#include "settings/formsetting.h"

#include "ui_formsetting.h"

#include "core/firmware.h"
#include "core/globals.h"
#include "core/languagetable.h"
#include "core/launcher.h"
#include "core/postmsg.h"
#include "core/registry.h"
#include "core/settings.h"
#include "sensor/optionskin.h"
#include "platform/hidusb/hidusb.h"
#include "sensor/stopclosetime.h"
#include "settings/match.h"
#include "settings/updaterepair.h"
#include "widgets/dialogframe.h"
#include "widgets/notices.h"
#include "widgets/pagedialogs.h"

#include <QButtonGroup>
#include <QCoreApplication>
#include <QDir>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTimer>
#include <QtEndian>

#include <algorithm>
#include <iterator>

namespace {
// Item of the page's texts that the other screens show as the firmware warning.
const int kUpdateWarningItem = 14;
// First of the eleven idle-time texts of frameClose.
const int kSleepTimeFirstItem = 28;
const int kSleepTimeCount = int(std::size(kSleepTimeValues));

// What the library is given as its own time-out; it does not tell the program.
const int kLibraryTimeoutMs = 10000;
// Devices waiting in boot mode are counted up to this many.
const int kBootCountLimit = 5;
const int kFullProgress = 100;
// The receiver image keys by boot-count slot.
const int kRateClasses[4] = {1, 2, 4, 8};

// Status packets the page's runs have handled; the step machine's wait
// watches it to know the library still answers.
int upgradePackets = 0;

int& runState(int kind)
{
    return kind == kReceiverFirmware ? receiverRunState : mouseRunState;
}

QString optionValue(const QString& key)
{
    return ConfigSettings::instance()->value(QStringLiteral("Option"), key);
}

// How many devices wait in boot mode for the kept image (none without one).
int bootDeviceCount()
{
    if (firmwareImages.isEmpty())
        return 0;
    int count = kBootCountLimit;
    UsbUpgradeC_FindBootDevices(reinterpret_cast<const unsigned char*>(firmwareImages.first().constData()), &count);
    return qBound(0, count, kBootCountLimit);
}

QString keptImageVersion()
{
    if (firmwareImages.isEmpty())
        return QString();
    return firmwareVersionText(qFromLittleEndian<quint32>(
        reinterpret_cast<const uchar*>(firmwareImages.first().constData()) + HIDUSB_FIRMWARE_VERSION_OFFSET));
}

// A run failed (or never started): the log, no update offered any more, the
// run states that ran are failed, and the dialog is told. Only a run that
// reached the device leaves a record to repair from.
void failUpgrade(bool leaveRecord)
{
    writeUpgradeLog();
    mouseUpdateAvailable = 0;
    receiverUpdateAvailable = 0;
    for (int* state : {&receiverRunState, &mouseRunState}) {
        if (*state == kRunRunning)
            *state = kRunFailed;
    }
    PostMsg::GetInstance()->PostProgress(0, 1);
    if (leaveRecord)
        writeUpdateFailRecord(upgradeDeviceKind, upgradeRateClass, upgradeCid, upgradeMid);
}

// Runs on the GUI thread for every packet of the page's runs.
void handleUpgradePacket(const QByteArray& packet)
{
    // Nothing runs: a packet after a time-out changes nothing.
    if (receiverRunState != kRunRunning && mouseRunState != kRunRunning)
        return;
    if (packet.size() < 3 || quint8(packet[0]) != HIDUSB_UPGRADE_STATUS)
        return;
    PostMsg* hub = PostMsg::GetInstance();
    const int what = quint8(packet[1]);
    const int value = quint8(packet[2]);
    if (what == HIDUSB_UPGRADE_PROGRESS) {
        ++upgradePackets;
        const int percent = qMin(value, kFullProgress);
        if (receiverRunState == kRunRunning)
            hub->PostProgress(upgradeRunCount == 1 ? percent : percent / 2, 0);
        if (mouseRunState == kRunRunning)
            hub->PostProgress(upgradeRunCount == 1 ? percent : percent / 2 + 50, 0);
        return;
    }
    if (what != HIDUSB_UPGRADE_RESULT)
        return;
    ++upgradePackets;
    if (value != 1) {
        failUpgrade(true);
        return;
    }
    const QString version = keptImageVersion();
    if (receiverRunState == kRunRunning) {
        receiverRunState = kRunSucceeded;
        if (upgradeRunCount == 1)
            hub->PostProgress(0, 2);
        hub->PostLabelText(0, version);
    }
    if (mouseRunState == kRunRunning) {
        mouseRunState = kRunSucceeded;
        const QString group = QStringLiteral("Drive") + QString::number(currentDevice.modelIndex + 1);
        RegistryKey(mouseDriveTestRegistryKey())
            .setValue(QStringLiteral("MouseVer") + optionValue(QStringLiteral("CID"))
                          + ConfigSettings::instance()->value(group, QStringLiteral("MID")),
                      version);
        hub->PostProgress(0, 2);
        hub->PostLabelText(1, version);
    }
    removeUpdateFailRecord();
}

} // namespace

int FormSetting::checkIntervalMs = 1000;

void settingsUpgradeStatusCallback(const unsigned char* packet, int length)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!packet || length < 3 || !app)
        return;
    const QByteArray copy(reinterpret_cast<const char*>(packet), 3);
    QMetaObject::invokeMethod(app, [copy] { handleUpgradePacket(copy); }, Qt::QueuedConnection);
}

FormSetting::FormSetting(QWidget* parent)
    : QWidget(parent)
    , ui(new Ui::FormSetting)
    , updateWarning(new UpDateWarning)
    , ledModeGroup(new QButtonGroup(this))
    , receiverCheckTimer(new QTimer(this))
    , mouseCheckTimer(new QTimer(this))
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
    hubConnect(SIGNAL(SigSecondPageChange()), this, SLOT(SlotDevicePageLeft()));
    connect(ui->scrollArea->verticalScrollBar(), &QScrollBar::valueChanged, this, &FormSetting::SlotScroolChange);

    pictureDir = optionPictureDir(QStringLiteral("FormSetting"));
    settingsRepairDialog = new UpDateRepair;
    settingsRepairDialog->hide();
    // The device-screen dialogs act on the open device: they close with its page.
    for (QDialog* dialog : std::initializer_list<QDialog*>{&ledInfo, &inputPicA, &inputPicB, &lightModeSet})
        closeWithDevicePage(dialog);
    ledModeGroup->setExclusive(true);

    applySkin();
    setUpdateLook(false);
    for (QTimer* timer : {receiverCheckTimer, mouseCheckTimer})
        timer->setInterval(checkIntervalMs);
    connect(receiverCheckTimer, &QTimer::timeout, this, &FormSetting::onDongleCheckTimer);
    connect(mouseCheckTimer, &QTimer::timeout, this, &FormSetting::onMouseCheckTimer);
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


void FormSetting::mousePressEvent(QMouseEvent*) {}

// ---- Receiver options, pairing and links -----------------------------------------

QStringList FormSetting::advancedOptions() const
{
    // A model without the key, or with a short list or empty items, offers
    // what is missing as "-1": not available.
    QStringList items = ConfigSettings::instance()->valueList(driveGroup(), QStringLiteral("Adveanced"));
    while (items.size() < 2)
        items << QString();
    for (QString& item : items) {
        item = item.trimmed();
        if (item.isEmpty())
            item = QStringLiteral("-1");
    }
    return items;
}

namespace {
void setRowsVisible(const QList<QWidget*>& rows, bool visible)
{
    for (QWidget* row : rows)
        row->setVisible(visible);
}
} // namespace

void FormSetting::fillRows(bool mayShowLongRange)
{
    const QStringList advanced = advancedOptions();
    if (advanced.at(1) == QLatin1String("-1"))
        setRowsVisible(ledRows(), false);
    if (advanced.at(0) == QLatin1String("-1"))
        setRowsVisible(longRangeRows(), false);
    else if (mayShowLongRange)
        setRowsVisible(longRangeRows(), true);
    // The LED rows wait for the receiver's own report.
    if (!isMouseType(currentDevice.deviceType)) {
        setRowsVisible(ledRows(), false);
        setTallPage(false);
    }
    if (currentDevice.isMouse) {
        setRowsVisible(longRangeRows() + ledRows(), false);
        setTallPage(false);
    }
}

void FormSetting::SlotForm()
{
    fillRows(true);
}

// After an imported configuration: rows are only closed, never opened.
void FormSetting::SlotFormB()
{
    fillRows(false);
}

void FormSetting::SlotRGBValue(DongleRGB* Rgb)
{
    if (advancedOptions().at(1) == QLatin1String("-1") || currentDevice.isMouse == 1 || currentDevice.deviceType != 1)
        return;
    setRowsVisible(ledRows(), true);
    const int mode = Rgb ? Rgb->mode : 0;
    if (mode >= 1 && mode <= 3) {
        // The receiver's own report: shown, not written back.
        filling = true;
        const QSignalBlocker a(ui->ReUntil);
        const QSignalBlocker b(ui->ReUntil_2);
        const QSignalBlocker c(ui->ReUntil_3);
        QCheckBox* boxes[] = {ui->ReUntil, ui->ReUntil_2, ui->ReUntil_3};
        boxes[mode - 1]->setChecked(true);
        filling = false;
    }
    setTallPage(true);
}

void FormSetting::SlotLongRangeMode(bool Select)
{
    if (advancedOptions().at(0) == QLatin1String("-1"))
        return;
    setRowsVisible(longRangeRows(), true);
    const QSignalBlocker blocker(ui->checkBox_2);
    ui->checkBox_2->setChecked(Select);
}

void FormSetting::SlotFormResetForm()
{
    setRowsVisible(longRangeRows() + ledRows(), false);
    {
        const QSignalBlocker blocker(ui->checkBox_2);
        ui->checkBox_2->setChecked(false);
    }
    setTallPage(false);
}

bool FormSetting::receiverWritable()
{
    if (!deviceWriteEnabled || filling)
        return false;
    if (!UsbFinderC_GetDeviceOnLine(devicePath)) {
        PostMsg::GetInstance()->PostMouseOffLineo(0);
        return false;
    }
    return true;
}

void FormSetting::ledModeToggled(int mode, bool checked)
{
    if (!receiverWritable() || !checked || !dongleRgb)
        return;
    dongleRgb->mode = uint8_t(mode);
    UsbFinderC_Set4KDongleRGB(devicePath, reinterpret_cast<const unsigned char*>(dongleRgb));
}

void FormSetting::on_ReUntil_toggled(bool checked)
{
    ledModeToggled(1, checked);
}

void FormSetting::on_ReUntil_2_toggled(bool checked)
{
    ledModeToggled(2, checked);
}

void FormSetting::on_ReUntil_3_toggled(bool checked)
{
    ledModeToggled(3, checked);
}

void FormSetting::on_checkBox_2_toggled(bool checked)
{
    if (receiverWritable())
        UsbFinderC_SetLongRangeMode(devicePath, checked ? 1 : 0);
}

void FormSetting::on_pushButton_clicked()
{
    launchExternal(LaunchKind::MouseSettings);
}

void FormSetting::on_pushButton_3_clicked()
{
    launchExternal(LaunchKind::Url, ui->pushButton_3->text());
}

void FormSetting::on_pushButton_2_clicked()
{
    pairOpenDevice(this, -70, -30);
}

// ---- Firmware versions and the update button ---------------------------------------

QString FormSetting::driveGroup() const
{
    return QStringLiteral("Drive") + QString::number(currentDevice.modelIndex + 1);
}

int FormSetting::rateClassOfPage() const
{
    if (!currentDevice.path.isEmpty() && !isMouseType(currentDevice.deviceType) && currentDevice.isMouse == 0)
        return receiverRateClass(currentDevice.deviceType);
    if (currentDevice.isMouse && workerDevices.size() == 2) {
        for (const DeviceAllInfo& entry : qAsConst(workerDevices)) {
            if (!entry.isMouse && !entry.usbAddress.isEmpty())
                return receiverRateClass(entry.deviceType);
        }
    }
    return 0;
}

void FormSetting::setUpdateLook(bool available)
{
    const QString head =
        QStringLiteral("QToolButton{border:0px;background-position:center;background-repeat:no-repeat;color: rgb(")
        + buttonColor + QStringLiteral(";);");
    if (available)
        ui->Receive_2->setStyleSheet(head + QStringLiteral("background-image: url(") + pictureDir
                                     + QStringLiteral("WaitUpdate.png);}QToolButton::hover{background-image: url(")
                                     + pictureDir + QStringLiteral("WaitUpdateHover.png);}"));
    else
        ui->Receive_2->setStyleSheet(head + QStringLiteral("border-image: url(") + pictureDir
                                     + QStringLiteral("Confirm.png);}"));
}

QString FormSetting::shownReceiverVersion() const
{
    if (currentDevice.isMouse) {
        if (workerDevices.size() == 2) {
            for (const DeviceAllInfo& entry : qAsConst(workerDevices)) {
                if (!entry.isMouse && !entry.usbAddress.isEmpty())
                    return entry.usbVersionText;
            }
        }
        return QString();
    }
    // The version a run just flashed, else what the open receiver reports.
    if (!receiverVersionText.isEmpty())
        return receiverVersionText;
    for (const DeviceAllInfo& entry : qAsConst(workerDevices)) {
        if (entry.path == currentDevice.path)
            return entry.usbVersionText;
    }
    return currentDevice.usbVersionText;
}

QString FormSetting::shownMouseVersion() const
{
    return mouseVersionText.isEmpty() ? currentDevice.firmwareVersionText : mouseVersionText;
}

void FormSetting::SetVer(int what)
{
    switch (what) {
    case 0: {
        const QString receiverText = shownReceiverVersion();
        const QString mouseText = currentDevice.online == 1 ? shownMouseVersion() : QString();
        const int rateClass = rateClassOfPage();
        // A run keeps the class it was started with.
        if (!versionCheckRunning)
            upgradeRateClass = rateClass;
        if (QDir(firmwareFolder()).exists()) {
            mouseUpdateAvailable = hasFirmwareUpdate(kMouseFirmware, mouseText, rateClass) ? 1 : 0;
            receiverUpdateAvailable = hasFirmwareUpdate(kReceiverFirmware, receiverText, rateClass) ? 1 : 0;
            const bool available = mouseUpdateAvailable || receiverUpdateAvailable;
            // The dialog opens by itself once per opened device: every later
            // report (a profile switch, a reload) would bring back what the
            // user has just closed.
            if (!available || !updateOffered)
                PostMsg::GetInstance()->PostUpdateFrame(available);
            updateOffered = updateOffered || available;
            setUpdateLook(available);
        }
        ui->label_5->setText(receiverText);
        ui->label_7->setText(mouseText);
        break;
    }
    case 1:
        ui->toolButton_2->hide();
        break;
    case 2:
        ui->toolButton_3->hide();
        break;
    case 3:
        ui->Receive_2->setText(updateText);
        break;
    case 4:
    case 5:
        ui->Receive_2->setText(updateText);
        ui->toolButton_2->hide();
        ui->toolButton_3->hide();
        receiverNoImage = false;
        mouseNoImage = false;
        // A rescan while a run goes on (the device restarts after its flash)
        // must not forget the run.
        if (!versionCheckRunning) {
            mouseRunActive = false;
            receiverRunActive = false;
        }
        if (what == 5) {
            ui->label_5->setText(shownReceiverVersion());
            ui->label_7->setText(currentDevice.online == 1 ? shownMouseVersion() : QString());
        }
        break;
    case 6:
        // Another device is being opened: what a run flashed belonged to the last one.
        updateOffered = false;
        receiverVersionText.clear();
        mouseVersionText.clear();
        ui->label_5->clear();
        ui->label_7->clear();
        break;
    default:
        break;
    }
}

void FormSetting::SlotLabelText(int index, QString text)
{
    if (index == 0) {
        ui->label_5->setText(text);
        receiverVersionText = text;
    } else if (index == 1) {
        ui->label_7->setText(text);
        mouseVersionText = text;
    }
}

void FormSetting::SlotLabelTextB(QString version, QString flag)
{
    ui->label_5->setText(version);
    setUpdateLook(flag == QLatin1String("true"));
}

// ---- Firmware update: the check and the dialog --------------------------------------

bool FormSetting::repairMessage(const QString& text)
{
    settingsRepairDialog->setStatusText(text);
    settingsRepairDialog->showMessageState();
    return false;
}

bool FormSetting::ChechIsUpDate()
{
    ConfigSettings* config = ConfigSettings::instance();
    upgradeRateClass = 0;
    mouseRepairPending = 0;
    const QStringList record =
        RegistryKey(mouseDriveTestRegistryKey()).value(QStringLiteral("UpdateFailInfo")).split(QLatin1Char(','));
    const bool hasRecord = record.size() == 4;
    const int failedKind = hasRecord ? record.at(0).toInt() : 0;
    const int failedCid = hasRecord ? record.at(2).toInt() : 0;
    const int failedMid = hasRecord ? record.at(3).toInt() : 0;
    repairGroup = driveGroup();
    repairReceiverImage.clear();
    const QString mouseImage = config->value(repairGroup, QStringLiteral("MM"));
    const int groupMid = config->value(repairGroup, QStringLiteral("MID")).toInt();
    upgradeCid = optionValue(QStringLiteral("CID")).toInt();
    const QList<DeviceAllInfo> page = workerDevices;

    if (page.size() == 2) {
        if (!page.at(0).isMouse && !page.at(1).isMouse)
            return repairMessage(noMouseText);
        if (page.at(0).mid() != page.at(1).mid())
            return repairMessage(noReceiverText);
        for (const DeviceAllInfo& entry : page) {
            if (!entry.isMouse && !entry.usbAddress.isEmpty()) {
                upgradeRateClass = receiverRateClass(entry.deviceType);
                break;
            }
        }
        if (upgradeRateClass == 0)
            return repairMessage(noReceiverText);
        const QString receiverImage = config->value(repairGroup, receiverImageKey(upgradeRateClass));
        const bool receiverFound =
            findFirmwareUpdateFile(kReceiverFirmware, ui->label_5->text(), receiverImage, upgradeCid, groupMid);
        const bool mouseFound =
            findFirmwareUpdateFile(kMouseFirmware, ui->label_7->text(), mouseImage, upgradeCid, groupMid);
        mouseUpdateAvailable = mouseFound ? 1 : 0;
        if (receiverFound || mouseFound) {
            upgradeRunCount = receiverFound && mouseFound ? 2 : 1;
            return true;
        }
        receiverNoImage = true;
        return repairMessage(upToDateText);
    }

    if (page.size() == 1 && hasRecord) {
        const DeviceAllInfo& entry = page.first();
        if (failedKind == kReceiverFirmware) {
            if (!(entry.isMouse && entry.mid() == failedMid))
                return repairMessage(noMouseText);
        } else if (failedKind == kMouseFirmware) {
            mouseRepairPending = 1;
            if (!(!entry.isMouse && entry.mid() == failedMid))
                return repairMessage(noReceiverText);
        } else {
            return repairMessage(repairErrorText);
        }
        const int recordClass = record.at(1).toInt();
        if (!receiverImageKey(recordClass).isEmpty() && record.at(1) == QString::number(recordClass)) {
            upgradeRateClass = recordClass;
            repairReceiverImage = config->value(repairGroup, receiverImageKey(recordClass));
        }
        if (entry.cid() != failedCid)
            return repairMessage(repairErrorText);
        if (failedKind == kReceiverFirmware)
            findFirmwareUpdateFile(kReceiverFirmware, QString(), repairReceiverImage, failedCid, groupMid);
        else
            findFirmwareUpdateFile(kMouseFirmware, QString(), mouseImage, failedCid, groupMid);
        const int waiting = bootDeviceCount();
        if (waiting == 1) {
            const bool other = failedKind == kReceiverFirmware
                                   ? findFirmwareUpdateFile(kMouseFirmware, ui->label_7->text(), mouseImage,
                                                            upgradeCid, groupMid)
                                   : findFirmwareUpdateFile(kReceiverFirmware, ui->label_5->text(),
                                                            repairReceiverImage, upgradeCid, groupMid);
            upgradeRunCount = other ? 2 : 1;
            return true;
        }
        return repairMessage(waiting == 0 ? noDeviceText : sameDeviceText);
    }

    if (page.size() == 1)
        return repairMessage(page.first().isMouse ? noReceiverText : noMouseText);
    if (page.isEmpty())
        return repairMessage(repairErrorText);
    const auto receivers = std::count_if(page.begin(), page.end(), [](const DeviceAllInfo& d) { return !d.isMouse; });
    if (receivers > 1)
        settingsRepairDialog->setStatusText(multiDongleText);
    if (page.size() - receivers > 1)
        settingsRepairDialog->setStatusText(multiMouseText);
    settingsRepairDialog->showMessageState();
    return false;
}

void FormSetting::showRepairDialog()
{
    if (!upToDateText.isEmpty() && ui->Receive_2->text() == upToDateText)
        return;
    // A run, or the result it shows, is not replaced behind the user's back.
    if (versionCheckRunning || (settingsRepairDialog->isVisible() && settingsRepairDialog->showsRun()))
        return;
    receiverNoImage = false;
    placeDialog(settingsRepairDialog, this, -75, -65);
    settingsRepairDialog->setModal(true);
    settingsRepairDialog->resetView();
    if (ChechIsUpDate()) {
        settingsRepairDialog->showReadyState();
        settingsRepairDialog->show();
    } else if (receiverNoImage) {
        ui->Receive_2->setText(upToDateText);
    } else {
        settingsRepairDialog->show();
    }
}

void FormSetting::on_Receive_2_clicked()
{
    showRepairDialog();
}

void FormSetting::SlotUpdateFrame(bool IsVis)
{
    if (IsVis) {
        showRepairDialog();
        return;
    }
    if (versionCheckRunning || settingsRepairDialog->showsRun())
        return;
    settingsRepairDialog->close();
}

void FormSetting::SlotDevicePageLeft()
{
    // An offer to update a device that was left goes with it; a run, or the
    // result it shows, stays until the user closes it.
    SlotUpdateFrame(false);
}

void FormSetting::SlotCheckUpdate()
{
    if (versionCheckRunning || settingsRepairDialog->showsRun())
        return;
    if (ChechIsUpDate())
        settingsRepairDialog->showReadyState();
}

void FormSetting::showUpdateNotice(const QString& text)
{
    placeDialog(updateWarning, this, -75, -65);
    updateWarning->setModal(true);
    updateWarning->setWarningText(text);
    updateWarning->show();
}

// ---- Firmware update: starting and chaining runs ------------------------------------

void FormSetting::on_Start()
{
    dialogRun = true;
    dialogRunFlashed = false;
    dialogRunMessage.clear();
    std::fill(std::begin(receiverBootCounts), std::end(receiverBootCounts), 0);
    settingsRepairDialog->showUpgradingState();
    const QString group = repairGroup.isEmpty() ? driveGroup() : repairGroup;
    const bool found =
        findFirmwareUpdateFile(kReceiverFirmware, ui->label_5->text(), repairReceiverImage, upgradeCid,
                               ConfigSettings::instance()->value(group, QStringLiteral("MID")).toInt());
    if (!found && mouseRepairPending == 1) {
        chainedStart = true;
        on_Mouse_clicked();
    } else if (receiverRunState != kRunRunning && mouseRunState != kRunRunning && !mouseRunActive
               && !receiverNoImage) {
        startRun(kReceiverFirmware);
    } else if (receiverNoImage) {
        setUpdateLook(false);
        SlotContinue(0);
    }
    finishDialogRun();
}

void FormSetting::finishDialogRun()
{
    if (!dialogRun || versionCheckRunning)
        return;
    dialogRun = false;
    if (!settingsRepairDialog->awaitsResult())
        return;
    if (dialogRunMessage.isEmpty() && dialogRunFlashed) {
        // The mouse had nothing to flash after the receiver's run.
        PostMsg::GetInstance()->PostProgress(0, 2);
    } else if (dialogRunFlashed) {
        settingsRepairDialog->showRunEnd(dialogRunMessage);
    } else {
        // Nothing reached a device: the dialog says why, as its check would.
        settingsRepairDialog->setStatusText(dialogRunMessage.isEmpty() ? upToDateText : dialogRunMessage);
        settingsRepairDialog->showMessageState();
    }
}

void FormSetting::startRun(int kind)
{
    const bool receiver = kind == kReceiverFirmware;
    versionCheckRunning = 1;
    updateStep = 0;
    (receiver ? ui->toolButton_2 : ui->toolButton_3)->hide();
    SetVer(receiver ? 2 : 1);
    upgradeIdle = 0;
    (receiver ? receiverCheckTimer : mouseCheckTimer)->start(checkIntervalMs);
    (receiver ? receiverRunActive : mouseRunActive) = true;
}

void FormSetting::on_Receive_clicked()
{
    upgradeRateClass = rateClassOfPage();
    if (receiverNoImage || mouseRunActive)
        return;
    startRun(kReceiverFirmware);
}

void FormSetting::on_Mouse_clicked()
{
    if (currentDevice.isMouse) {
        const bool sameMouse = !workerDevices.isEmpty() && workerDevices.first().isMouse
                               && workerDevices.first().mid() == currentDevice.mid();
        if (!sameMouse) {
            PostMsg::GetInstance()->PostProgress(0, 5);
            return;
        }
    }
    if (!mouseNoImage && !receiverRunActive)
        startRun(kMouseFirmware);
    else if (mouseNoImage)
        ui->Receive_2->setText(upToDateText);
}

void FormSetting::SlotContinue(int)
{
    chainRuns(true);
}

void FormSetting::chainRuns(bool mayStartReceiver)
{
    std::fill(std::begin(receiverBootCounts), std::end(receiverBootCounts), 0);
    if (mouseUpdateAvailable && (receiverRunState == kRunSucceeded || receiverRunState == kRunNothingToDo)) {
        chainedStart = true;
        on_Mouse_clicked();
    }
    if (mayStartReceiver && receiverUpdateAvailable
        && (mouseRunState == kRunSucceeded || mouseRunState == kRunNothingToDo)) {
        chainedStart = true;
        on_Receive_clicked();
    }
}

// ---- Firmware update: the step machine --------------------------------------------

void FormSetting::onDongleCheckTimer()
{
    checkVersion(updateStep, kReceiverFirmware, ui->label_5->text());
}

void FormSetting::onMouseCheckTimer()
{
    checkVersion(updateStep, kMouseFirmware, ui->label_7->text());
}

void FormSetting::checkVersion(int step, int kind, const QString& currentVersion)
{
    switch (step) {
    case 0:
        chooseImage(kind, currentVersion);
        break;
    case 1:
        startRunIfOneTarget(kind, currentVersion);
        break;
    case 2:
        // The run state was set when the run started, so that no packet of
        // a quick run is missed.
        updateStep = 3;
        break;
    case 3:
        waitForRun(kind);
        break;
    case 4:
        endRun(kind);
        break;
    default:
        break;
    }
}

void FormSetting::nothingToRun(int kind)
{
    runState(kind) = kRunNothingToDo;
    refreshLook(kind);
    (kind == kReceiverFirmware ? receiverNoImage : mouseNoImage) = true;
    updateStep = 4;
}

void FormSetting::chooseImage(int kind, const QString& currentVersion)
{
    ConfigSettings* config = ConfigSettings::instance();
    const QString group = driveGroup();
    upgradeCid = optionValue(QStringLiteral("CID")).toInt();
    upgradeMid = config->value(group, QStringLiteral("MID")).toInt();
    bool found = false;
    if (kind == kMouseFirmware) {
        found = findFirmwareUpdateFile(kMouseFirmware, currentVersion, config->value(group, QStringLiteral("MM")),
                                       upgradeCid, upgradeMid);
    } else {
        receiverPaths.clear();
        const QString key = receiverImageKey(upgradeRateClass);
        const QString name = config->value(group, key);
        if (!key.isEmpty() && (upgradeRateClass == 1 || !name.isEmpty())) {
            found = findFirmwareUpdateFile(kReceiverFirmware, QString(), name, upgradeCid, upgradeMid);
            if (found) {
                const int slot = int(std::find(std::begin(kRateClasses), std::end(kRateClasses), upgradeRateClass)
                                     - std::begin(kRateClasses));
                receiverBootCounts[slot] = bootDeviceCount();
            }
        }
        const bool receiverOpen = !currentDevice.path.isEmpty() && currentDevice.isMouse == 0;
        for (const DeviceAllInfo& entry : qAsConst(workerDevices)) {
            if (!entry.isMouse && (!receiverOpen || entry.path == currentDevice.path))
                receiverPaths << entry.path;
        }
    }
    if (!found && upgradeRateClass != 0) {
        nothingToRun(kind);
        return;
    }
    updateStep = 1;
}

void FormSetting::startRunIfOneTarget(int kind, const QString& currentVersion)
{
    int targets = 0;
    if (kind == kReceiverFirmware) {
        targets = receiverPaths.size();
        for (int count : receiverBootCounts)
            targets += count;
    } else {
        targets = int(std::count_if(workerDevices.begin(), workerDevices.end(),
                                    [](const DeviceAllInfo& d) { return d.isMouse != 0; }))
                  + mouseRepairPending;
    }
    if (targets != 1) {
        runState(kind) = kRunIdle;
        refreshLook(kind);
        const QString why = targets > 1                    ? sameDeviceText
                            : kind == kReceiverFirmware ? noDeviceText
                                                         : updateWarningText;
        if (dialogRun)
            dialogRunMessage = why;
        if (!chainedStart) {
            (kind == kReceiverFirmware ? ui->toolButton_2 : ui->toolButton_3)->show();
        } else {
            showUpdateNotice(why);
            chainedStart = false;
        }
        updateStep = 4;
        return;
    }

    ConfigSettings* config = ConfigSettings::instance();
    const QString group = driveGroup();
    bool found = false;
    if (kind == kReceiverFirmware) {
        const int* waiting = std::find(std::begin(receiverBootCounts), std::end(receiverBootCounts), 1);
        if (waiting != std::end(receiverBootCounts)) {
            // A receiver waiting in boot mode takes the image of its class.
            const int rateClass = kRateClasses[waiting - std::begin(receiverBootCounts)];
            found = findFirmwareUpdateFile(kReceiverFirmware, QString(),
                                           config->value(group, receiverImageKey(rateClass)), upgradeCid, upgradeMid);
        } else {
            QString live;
            int word = 0;
            if (!receiverPaths.isEmpty() && UsbFinderC_GetSlaveVersion(receiverPaths.first().toUtf8().constData(), &word))
                live = firmwareVersionText(uint32_t(word));
            const int rateClass = upgradeRateClass == 2 || upgradeRateClass == 4 || upgradeRateClass == 8
                                      ? upgradeRateClass
                                      : 1;
            found = findFirmwareUpdateFile(kReceiverFirmware, live, config->value(group, receiverImageKey(rateClass)),
                                           upgradeCid, upgradeMid);
        }
    } else {
        found = findFirmwareUpdateFile(kMouseFirmware, currentVersion, config->value(group, QStringLiteral("MM")),
                                       upgradeCid, upgradeMid);
    }
    if (!found || firmwareImages.isEmpty()) {
        nothingToRun(kind);
        return;
    }

    upgradeDeviceKind = kind;
    runState(kind) = kRunRunning;
    answersSeen = upgradePackets;
    answerClock.start();
    const bool started = UsbUpgrade_Start(reinterpret_cast<const unsigned char*>(firmwareImages.first().constData()),
                                          settingsUpgradeStatusCallback, kLibraryTimeoutMs)
                         != 0;
    // Refused by the library: nothing was flashed, so nothing needs a repair.
    if (!started)
        failUpgrade(false);
    updateStep = 2;
}

void FormSetting::waitForRun(int kind)
{
    if (runState(kind) != kRunRunning) {
        updateStep = 4;
        return;
    }
    if (upgradePackets != answersSeen) {
        answersSeen = upgradePackets;
        answerClock.restart();
        return;
    }
    // Silent for too long: the device is left waiting for its firmware.
    if (answerClock.elapsed() >= UpDateRepair::answerTimeoutMs) {
        failUpgrade(true);
        updateStep = 4;
    }
}

void FormSetting::endRun(int kind)
{
    (kind == kReceiverFirmware ? receiverRunActive : mouseRunActive) = false;
    if (dialogRun && runState(kind) == kRunSucceeded)
        dialogRunFlashed = true;
    refreshLook(kind);
    chainedStart = false;
    receiverCheckTimer->stop();
    mouseCheckTimer->stop();
    versionCheckRunning = 0;
    if (kind == kReceiverFirmware) {
        if (mouseRepairPending == 1) {
            chainedStart = true;
            on_Mouse_clicked();
        } else {
            // The mouse may follow; a receiver run never restarts itself, or a
            // receiver that found no single target would ask again for ever.
            chainRuns(false);
        }
    }
    finishDialogRun();
}

void FormSetting::refreshLook(int kind)
{
    upgradeIdle = 1;
    QToolButton* indicator = kind == kReceiverFirmware ? ui->toolButton_2 : ui->toolButton_3;
    switch (runState(kind)) {
    case kRunNothingToDo:
        indicator->hide();
        setUpdateLook(false);
        if (kind == kMouseFirmware)
            ui->Receive_2->setText(upToDateText);
        break;
    case kRunSucceeded:
        indicator->hide();
        removeUpdateFailRecord();
        setUpdateLook(false);
        (kind == kReceiverFirmware ? receiverUpdateAvailable : mouseUpdateAvailable) = 0;
        break;
    case kRunRunning:
        indicator->hide();
        removeUpdateFailRecord();
        break;
    default:
        break;
    }
    updateStep = 4;
}
