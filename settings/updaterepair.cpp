#include "settings/updaterepair.h"

#include "ui_updaterepair.h"

#include "core/firmware.h"
#include "core/globals.h"
#include "core/languagetable.h"
#include "core/postmsg.h"
#include "core/registry.h"
#include "core/settings.h"
#include "platform/hidusb/hidusb.h"
#include "widgets/dialogframe.h"

#include <QCoreApplication>
#include <QTimer>

UpDateRepair* settingsRepairDialog = nullptr;
QStringList failInfoFields;
int repairStage = 0;
int repairStageCount = 1;
int failedStage = 0;
int failRateClass = 0;
int failCid = 0;
int repairMid = 0;
QString mouseFirmwareName;
bool repairRunning = false;
bool repairUpgrading = false;
QByteArray receiverIdBytes;
bool receiverOnline = false;
int UpDateRepair::answerTimeoutMs = 15000;

namespace {

const int kFullProgress = 100;
// What the library is given as its own time-out; it does not tell the program.
const int kLibraryTimeoutMs = 10000;
// Devices waiting in boot mode are counted up to this many.
const int kBootCountLimit = 5;
// A catalogue never has more models than this.
const int kModelGroupsMax = 64;

// Items of the "AutoRepair" texts.
enum RepairText {
    kInstruction = 0,
    kCancel = 1,
    kNoDeviceWaiting = 2,
    kSeveralWaiting = 3,
    kStart = 4,
    kReceiverMissing = 5,
    kMouseMissing = 6,
    kNoImage = 8,
    kWrongMouse = 10,
    kWrongReceiver = 11,
    kReady = 12
};

// Set while a status from the library is awaited. A packet that arrives when
// nothing is awaited (after a time-out) changes nothing.
bool repairAnswerExpected = false;

QString optionValue(const QString& key)
{
    return ConfigSettings::instance()->value(QStringLiteral("Option"), key);
}

void writeFailRecord(int kind)
{
    writeUpdateFailRecord(kind, failRateClass, failCid, repairMid);
}

// The end of a run, whichever way it ends: the program is idle again.
void endRun()
{
    repairAnswerExpected = false;
    repairRunning = false;
    repairUpgrading = false;
    upgradeIdle = 1;
}

void showSuccess()
{
    endRun();
    PostMsg* hub = PostMsg::GetInstance();
    hub->PostAutoRepair(0);
    hub->PostUpDateButton(true);
    hub->PostProgress(0, 2);
}

// A failure; the record names the device that still needs its firmware.
void showFailure()
{
    endRun();
    PostMsg* hub = PostMsg::GetInstance();
    hub->PostAutoRepair(1);
    hub->PostUpDateButton(false);
    hub->PostProgress(0, 6);
}

bool startRun()
{
    if (repairFirmwareList.isEmpty())
        return false;
    repairAnswerExpected = true;
    const bool started = UsbUpgrade_Start(reinterpret_cast<const unsigned char*>(repairFirmwareList.first().constData()),
                                          repairUpgradeStatusCallback, kLibraryTimeoutMs)
                         != 0;
    repairAnswerExpected = started;
    return started;
}

bool foundMouseWithMid(int mid)
{
    for (const DeviceAllInfo& device : foundDevices) {
        if (device.isMouse && device.mid() == mid)
            return true;
    }
    return false;
}

// The receiver stage succeeded: the mouse follows when its image is there and
// it is; otherwise the repair ends, a success when the receiver was the
// failed device.
void afterReceiverStage()
{
    repairStage = 1;
    const bool found = findFirmwareFile(kMouseFirmware, QString(), mouseFirmwareName, failCid, repairMid);
    const bool mousePresent = failedStage == 1 || foundMouseWithMid(repairMid);
    if (found && mousePresent) {
        if (startRun())
            return;
        // Refused: the mouse was not touched.
    }
    if (failedStage == 0)
        showSuccess();
    else
        showFailure();
}

// Runs on the GUI thread for every packet of a repair run.
void handleRepairPacket(const QByteArray& packet)
{
    if (!repairAnswerExpected || packet.size() < 3 || quint8(packet[0]) != HIDUSB_UPGRADE_STATUS)
        return;
    const int what = quint8(packet[1]);
    if (what == HIDUSB_UPGRADE_PROGRESS) {
        repairUpgrading = true;
        int value = qMin(int(quint8(packet[2])), kFullProgress);
        if (repairStageCount == 2) {
            value /= 2;
            if (repairStage != 0)
                value += 50;
        }
        PostMsg::GetInstance()->PostAutoRepairProgress(value);
        return;
    }
    if (what != HIDUSB_UPGRADE_RESULT)
        return;
    repairAnswerExpected = false;
    if (quint8(packet[2]) != 1) {
        writeFailRecord(repairStage == 0 ? kReceiverFirmware : kMouseFirmware);
        showFailure();
        return;
    }
    if (repairStage == failedStage)
        removeUpdateFailRecord();
    if (repairStage == 0)
        afterReceiverStage();
    else
        showSuccess();
}

} // namespace

void repairUpgradeStatusCallback(const unsigned char* packet, int length)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!packet || length < 3 || !app)
        return;
    const QByteArray copy(reinterpret_cast<const char*>(packet), 3);
    QMetaObject::invokeMethod(app, [copy] { handleRepairPacket(copy); }, Qt::QueuedConnection);
}

UpDateRepair::UpDateRepair(QWidget* parent)
    : QDialog(parent)
    , ui(new Ui::UpDateRepair)
    , answerWatch(new QTimer(this))
{
    ui->setupUi(this);
    ui->NewHong->hide();
    ui->progressBar_2->hide();
    ui->NewHong_2->hide();
    ui->ToolText_2->hide();
    setWindowFlags(Qt::FramelessWindowHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint);

    const QString w = warningPictureDir();
    ui->ToolText->setStyleSheet(QStringLiteral("#ToolText{color: rgb(") + skinColour(QStringLiteral("LabelColor"))
                                + QStringLiteral(");background-color:rgba(0,0,0,0);}"));
    ui->ToolText_2->setStyleSheet(
        QStringLiteral("#ToolText_2{color: rgb(255,0,0);background-color:rgba(0,0,0,0);}"));
    const QString buttonStyle = QStringLiteral("QToolButton{border:0px;background-position:center;"
                                               "background-repeat:no-repeat;color: rgb(")
        + skinColour(QStringLiteral("ButtonColor")) + QStringLiteral(");border-image: url(") + w
        + QStringLiteral("ok_nr.png);}QToolButton:hover{border-image: url(") + w + QStringLiteral("ok_enter.png); }");
    ui->NewHong->setStyleSheet(buttonStyle);
    ui->NewHong_2->setStyleSheet(buttonStyle);
    ui->CloseButton->setStyleSheet(closeButtonStyleSheet(w));
    ui->AutoRepair->setStyleSheet(QStringLiteral("#AutoRepair{border-image: url(") + w
                                  + QStringLiteral("BackGround.png);}"));

    // No status for this long: the run has failed, and the dialog says so.
    answerWatch->setSingleShot(true);
    connect(answerWatch, &QTimer::timeout, this, [] {
        if (!repairRunning || !repairAnswerExpected)
            return;
        writeFailRecord(repairStage == 0 ? kReceiverFirmware : kMouseFirmware);
        showFailure();
    });

    hubConnect(SIGNAL(SigAutoRepair(int)), this, SLOT(SlotAutoRepair(int)));
    hubConnect(SIGNAL(SigAutoRepairProgress(int)), this, SLOT(SlotAutoRepairProgress(int)));
    hubConnect(SIGNAL(SigProgress(int,int)), this, SLOT(SlotProgress(int,int)));
    hubConnect(SIGNAL(SigRepairCheckUpdate()), this, SLOT(SlotRepairCheckUpdate()));
    connectLanguage(this);
    scaleFontsToScreen(this);
}

UpDateRepair::~UpDateRepair()
{
    if (settingsRepairDialog == this) {
        settingsRepairDialog = nullptr;
        repairDialogVisible = false;
    }
    delete ui;
}

void UpDateRepair::setVisible(bool visible)
{
    QDialog::setVisible(visible);
    if (settingsRepairDialog == this)
        repairDialogVisible = isVisible();
}

void UpDateRepair::setShortcuts()
{
    ui->NewHong_2->setShortcut(QKeySequence(Qt::Key_Return));
    ui->NewHong->setShortcut(QKeySequence(Qt::Key_Escape));
}

void UpDateRepair::resetView()
{
    ui->NewHong_2->setText(repairTexts.value(kStart));
    ui->ToolText_2->clear();
    ui->ToolText_2->show();
    ui->NewHong_2->show();
    ui->NewHong->show();
    ui->CloseButton->show();
    ui->progressBar_2->setValue(0);
    ui->progressBar_2->hide();
    ui->NewHong->setText(repairTexts.value(kCancel));
    setShortcuts();
}

void UpDateRepair::showReadyState()
{
    ui->NewHong_2->setText(repairTexts.value(kStart));
    ui->NewHong_2->show();
    ui->NewHong->show();
    ui->NewHong->setEnabled(true);
    ui->CloseButton->show();
    ui->CloseButton->setEnabled(true);
    ui->ToolText_2->setText(repairTexts.value(kReady));
    ui->ToolText_2->show();
    ui->progressBar_2->hide();
    ui->NewHong->setText(repairTexts.value(kCancel));
    setShortcuts();
}

void UpDateRepair::showMessageState()
{
    ui->NewHong->setEnabled(true);
    ui->CloseButton->setEnabled(true);
    ui->NewHong->show();
    ui->CloseButton->show();
    ui->ToolText_2->show();
    ui->NewHong_2->setText(finishText);
    ui->NewHong_2->show();
    ui->progressBar_2->hide();
    setShortcuts();
}

void UpDateRepair::showUpgradingState()
{
    ui->NewHong_2->hide();
    ui->NewHong->hide();
    ui->CloseButton->show();
    ui->NewHong->setEnabled(false);
    ui->CloseButton->setEnabled(false);
    ui->ToolText_2->setText(progressTexts.value(0));
    ui->ToolText_2->show();
    ui->progressBar_2->show();
    setShortcuts();
}

void UpDateRepair::setStatusText(const QString& text)
{
    ui->ToolText_2->setText(text);
}

void UpDateRepair::hideCancelAndProgress()
{
    ui->NewHong->hide();
    ui->progressBar_2->hide();
}

bool UpDateRepair::showsRun() const
{
    return !ui->progressBar_2->isHidden();
}

bool UpDateRepair::awaitsResult() const
{
    return showsRun() && !ui->CloseButton->isEnabled();
}

void UpDateRepair::showRunEnd(const QString& text)
{
    stopAnswerWatch();
    ui->NewHong_2->setText(finishText);
    ui->NewHong_2->show();
    ui->NewHong->show();
    ui->NewHong->setEnabled(true);
    ui->CloseButton->setEnabled(true);
    ui->ToolText_2->setText(text);
    ui->ToolText_2->show();
    setShortcuts();
}

bool UpDateRepair::showMessage(const QString& text)
{
    setStatusText(text);
    showMessageState();
    return false;
}

void UpDateRepair::stopAnswerWatch()
{
    answerWatch->stop();
}

void UpDateRepair::SlotAutoRepair(int index)
{
    stopAnswerWatch();
    ui->ToolText_2->setText(progressTexts.value(index == 0 ? 1 : 2));
    ui->NewHong_2->setText(finishText);
    ui->NewHong->show();
    setShortcuts();
}

void UpDateRepair::SlotAutoRepairProgress(int value)
{
    ui->progressBar_2->setValue(value);
    // Still answering: the watch starts again.
    if (answerWatch->isActive())
        answerWatch->start(answerTimeoutMs);
}

void UpDateRepair::SlotProgress(int schedue, int Discrib)
{
    const QString failed = progressTexts.value(2);
    switch (Discrib) {
    case 0:
        ui->progressBar_2->setValue(schedue);
        break;
    case 1:
        ui->NewHong_2->setText(finishText);
        ui->NewHong_2->show();
        ui->NewHong->show();
        ui->ToolText_2->setText(failed);
        ui->ToolText_2->show();
        ui->CloseButton->setEnabled(true);
        ui->NewHong->setEnabled(true);
        break;
    case 2:
        ui->NewHong_2->setText(finishText);
        ui->ToolText_2->setText(progressTexts.value(1));
        ui->ToolText_2->show();
        ui->progressBar_2->setValue(kFullProgress);
        ui->NewHong_2->show();
        ui->NewHong->show();
        ui->CloseButton->setEnabled(true);
        ui->NewHong->setEnabled(true);
        break;
    case 3:
        ui->NewHong->hide();
        break;
    case 4:
        ui->NewHong->hide();
        ui->progressBar_2->setValue(0);
        break;
    case 5:
        ui->NewHong_2->setText(finishText);
        ui->NewHong_2->show();
        ui->ToolText_2->setText(failed);
        ui->ToolText_2->show();
        ui->NewHong->show();
        ui->CloseButton->setEnabled(true);
        ui->NewHong->setEnabled(true);
        ui->progressBar_2->setValue(50);
        break;
    case 6:
        ui->ToolText_2->setText(failed);
        ui->ToolText_2->show();
        ui->NewHong->show();
        ui->CloseButton->setEnabled(true);
        ui->NewHong->setEnabled(true);
        break;
    default:
        break;
    }
    if (Discrib == 1 || Discrib == 2 || Discrib == 5 || Discrib == 6)
        stopAnswerWatch();
    setShortcuts();
}

void UpDateRepair::SlotRepairCheckUpdate()
{
    // A run's result stays until the dialog is left or reset: devices coming
    // back after the run must not replace it.
    if (showsRun() && !repairRunning)
        return;
    if (checkRepairNeeded())
        showReadyState();
}

void UpDateRepair::startManualRepair(int value)
{
    manualRequest = true;
    manualValue = value;
    startRepairUpgrade();
}

bool UpDateRepair::checkRepairNeeded()
{
    ConfigSettings* config = ConfigSettings::instance();
    const QString record = RegistryKey(mouseDriveTestRegistryKey()).value(QStringLiteral("UpdateFailInfo"));
    failInfoFields = record.split(QLatin1Char(','), Qt::KeepEmptyParts);
    if (failInfoFields.size() != 4)
        return false;
    failRateClass = 0;
    failedType = failInfoFields.at(0).toInt();
    const int wantedMid = failInfoFields.at(3).toInt();

    if (foundDevices.isEmpty()) {
        const int item = failedType == kMouseFirmware      ? kReceiverMissing
                         : failedType == kReceiverFirmware ? kMouseMissing
                                                           : kNoDeviceWaiting;
        return showMessage(repairTexts.value(item));
    }
    if (foundDevices.size() > 1) {
        int mice = 0;
        int receivers = 0;
        int lastMouseMid = -1;
        int lastReceiverMid = -1;
        for (const DeviceAllInfo& device : foundDevices) {
            if (device.isMouse) {
                ++mice;
                lastMouseMid = device.mid();
            } else {
                ++receivers;
                lastReceiverMid = device.mid();
            }
        }
        if (mice >= 2)
            return showMessage(repairTexts.value(kWrongMouse));
        if (receivers >= 2)
            return showMessage(repairTexts.value(kWrongReceiver));
        if (failedType == kMouseFirmware && mice == 1 && lastMouseMid != wantedMid)
            return showMessage(repairTexts.value(kWrongMouse));
        if (failedType == kReceiverFirmware && receivers == 1 && lastReceiverMid != wantedMid)
            return showMessage(repairTexts.value(kWrongReceiver));
    }

    // Receivers of the record's kind that are there and still answer.
    int waitingReceivers = 0;
    if (failedType == kReceiverFirmware) {
        const auto countIn = [](const QList<const QStringList*>& lists) {
            int n = 0;
            for (const DeviceAllInfo& device : allFoundDevices) {
                for (const QStringList* list : lists) {
                    if (list->contains(device.pid)) {
                        ++n;
                        break;
                    }
                }
            }
            return n;
        };
        waitingReceivers = countIn({&wirelessPidList, &wireless2PidList, &wireless4PidList, &wireless8PidList});
        if (waitingReceivers == 1) {
            const QString rate = failInfoFields.at(1);
            const QStringList* list = rate == QLatin1String("1")   ? &wirelessPidList
                                      : rate == QLatin1String("2") ? &wireless2PidList
                                      : rate == QLatin1String("4") ? &wireless4PidList
                                      : rate == QLatin1String("8") ? &wireless8PidList
                                                                   : nullptr;
            if (list)
                waitingReceivers = countIn({list});
        }
    }
    repairStage = 0;

    if (manualRequest) {
        repairReady = true;
    } else {
        const DeviceAllInfo& first = foundDevices.first();
        if (failedType == kReceiverFirmware && !(first.isMouse && first.mid() == wantedMid))
            return showMessage(repairTexts.value(kMouseMissing));
        if (failedType == kMouseFirmware && !(!first.isMouse && first.mid() == wantedMid))
            return showMessage(repairTexts.value(kReceiverMissing));

        const int total = qBound(0, optionValue(QStringLiteral("DeviceTotal")).toInt(), kModelGroupsMax);
        for (int n = 1; n <= total; ++n) {
            const QString group = QStringLiteral("Drive") + QString::number(n);
            if (config->value(group, QStringLiteral("MID")).toInt() == wantedMid) {
                driveGroup = group;
                break;
            }
        }
        mouseFirmwareName = config->value(driveGroup, QStringLiteral("MM"));
        const QString rate = failInfoFields.at(1);
        static const struct { const char* text; int rateClass; const char* key; } kClasses[] = {
            {"1", 1, "DM"}, {"2", 2, "D2M"}, {"4", 4, "D4M"}, {"8", 8, "D8M"}};
        for (const auto& c : kClasses) {
            if (rate == QLatin1String(c.text)) {
                failRateClass = c.rateClass;
                receiverFirmwareName = config->value(driveGroup, QLatin1String(c.key));
            }
        }
        failCid = failInfoFields.at(2).toInt();
        repairMid = config->value(driveGroup, QStringLiteral("MID")).toInt();

        const bool mouseImage = findFirmwareFile(kMouseFirmware, QString(), mouseFirmwareName, failCid, repairMid);
        const bool receiverImage =
            findFirmwareFile(kReceiverFirmware, QString(), receiverFirmwareName, failCid, repairMid);
        repairStageCount = mouseImage && receiverImage ? 2 : 1;
        if (failedType == kReceiverFirmware) {
            failedStage = 0;
            repairReady = findFirmwareFile(kReceiverFirmware, QString(), receiverFirmwareName, failCid, repairMid);
        } else {
            failedStage = 1;
            repairReady = findFirmwareFile(kMouseFirmware, QString(), mouseFirmwareName, failCid, repairMid);
        }
    }

    // Without an image nothing can be flashed, whatever waits.
    if (!repairReady) {
        repairRunning = false;
        return showMessage(repairTexts.value(kNoImage));
    }
    int bootDevices = 0;
    if (!repairFirmwareList.isEmpty()) {
        int count = kBootCountLimit;
        UsbUpgradeC_FindBootDevices(reinterpret_cast<const unsigned char*>(repairFirmwareList.first().constData()),
                                    &count);
        bootDevices = qBound(0, count, kBootCountLimit);
    }
    const int total = waitingReceivers + bootDevices;
    if (total == 1)
        return true;
    ui->NewHong->show();
    repairRunning = false;
    return showMessage(repairTexts.value(total == 0 ? kNoDeviceWaiting : kSeveralWaiting));
}

void UpDateRepair::startRepairUpgrade()
{
    if (!repairReady)
        return;
    repairRunning = true;
    showUpgradingState();
    upgradeIdle = 0;

    const int mid = ConfigSettings::instance()->value(driveGroup, QStringLiteral("MID")).toInt();
    if (findFirmwareFile(kReceiverFirmware, QString(), receiverFirmwareName, failCid, mid)) {
        repairStage = 0;
    } else {
        repairStage = 1;
        if (!findFirmwareFile(kMouseFirmware, QString(), mouseFirmwareName, failCid, mid)) {
            // Nothing was flashed: neither a success nor a run.
            endRun();
            showMessage(repairTexts.value(kNoImage));
            return;
        }
    }
    repairReady = startRun();
    if (!repairReady) {
        // The library took no run: nothing was flashed, the record stays.
        showFailure();
        return;
    }
    answerWatch->start(answerTimeoutMs);
}

bool UpDateRepair::restoreDongleId()
{
    receiverOnline = false;
    const unsigned char rate = failRateClass == 1 ? 0 : failRateClass == 2 || failRateClass == 4 ? 1
                               : failRateClass == 8                                              ? 4
                                                                                                 : 0;
    for (const DeviceAllInfo& receiver : allFoundDevices) {
        if (receiver.isMouse)
            continue;
        unsigned char state[HIDUSB_RECEIVER_STATE_SIZE] = {};
        receiverOnline = UsbFinderC_GetDeviceOnLineWithUsbAddress(receiver.path.toUtf8().constData(), state) != 0;
        if (!receiverOnline)
            continue;
        receiverIdBytes = QByteArray(1, char(state[9])) + char(state[8]) + char(state[7]);
        const unsigned char id[5] = {uchar(receiverIdBytes[0]), uchar(receiverIdBytes[1]), uchar(receiverIdBytes[2]),
                                     0, rate};
        receiverIdBytes.clear();
        for (const DeviceAllInfo& mouse : allFoundDevices) {
            if (mouse.isMouse)
                UsbFinderC_SetDongleIDToMouse(mouse.path.toUtf8().constData(), id);
        }
    }
    return receiverOnline;
}

void UpDateRepair::rewriteDongleId()
{
    if (!receiverOnline)
        return;
    restoreDongleId();
}

void UpDateRepair::SlotAllLanguage(int index)
{
    const bool finishing = !finishText.isEmpty() && ui->NewHong_2->text() == finishText;
    repairTexts.clear();
    for (int item = 0; item <= kReady; ++item)
        repairTexts << AutoRepairTexts.text(index, item);
    progressTexts.clear();
    for (int item = 0; item < 3; ++item)
        progressTexts << ProgressTexts.text(index, item);
    finishText = DialogChangeTexts.text(index, 4);
    ui->ToolText->setText(repairTexts.value(kInstruction));
    ui->NewHong->setText(repairTexts.value(kCancel));
    ui->NewHong_2->setText(finishing ? finishText : repairTexts.value(kStart));
    // A new text takes its mnemonic as the button's shortcut.
    setShortcuts();
}

void UpDateRepair::on_CloseButton_clicked()
{
    if (repairUpgrading)
        return;
    if (!ui->progressBar_2->isHidden()) {
        if (ui->progressBar_2->value() == kFullProgress)
            PostMsg::GetInstance()->PostSetNewVer();
        else if (deviceSessionActive != 0)
            PostMsg::GetInstance()->PostChangeMainDialog(0);
    }
    close();
}

void UpDateRepair::on_NewHong_clicked()
{
    on_CloseButton_clicked();
}

void UpDateRepair::on_NewHong_2_clicked()
{
    if (!repairUpgrading && !ui->progressBar_2->isHidden()) {
        on_CloseButton_clicked();
        return;
    }
    if (ui->NewHong_2->text() == finishText) {
        close();
        return;
    }
    if (deviceSessionActive == 0)
        startRepairUpgrade();
    else
        PostMsg::GetInstance()->PostUpdateStart();
}

void UpDateRepair::reject()
{
    if (repairRunning || repairUpgrading)
        return;
    QDialog::reject();
}
