#include "settings/match.h"

#include "ui_match.h"

#include "core/globals.h"
#include "core/languagetable.h"
#include "core/postmsg.h"
#include "core/product.h"
#include "core/settings.h"
#include "core/worker.h"
#include "platform/hidusb/hidusb.h"
#include "widgets/dialogframe.h"
#include "widgets/pagedialogs.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>

bool pairStarted = false;
int pairResult = 0;
bool activeFlagSaved = false;
int dotCount = 0;
int Match::pairTimeoutMs = 30000;

namespace {

// Items of the "Match" texts.
enum MatchText { kNotice = 0, kInstruction = 1, kStartText = 2, kPairingText = 3, kFailureText = 4, kSuccessText = 5 };
// Pairing statuses of a pair-status report.
enum : int { kPairFailed = 2, kPairSucceeded = 3 };
// Paths listed when the receiver is looked for.
const int kPathLimit = 5;

// The open device's session was set aside for the pairing: it comes back
// with the pairing's end, however it ends.
void restoreSession()
{
    if (activeFlagSaved) {
        activeFlagSaved = false;
        deviceSessionActive = 1;
    }
}

// A pairing status, on the GUI thread.
void takePairStatus(int status)
{
    if (status != kPairFailed && status != kPairSucceeded)
        return;
    PostMsg* hub = PostMsg::GetInstance();
    hub->PostTimerStop();
    pairStarted = false;
    if (status == kPairFailed) {
        qDebug("fail");
        pairResult = 3;
    } else {
        qDebug("success");
        pairResult = 2;
    }
    restoreSession();
    hub->PostButtonEnable(status == kPairSucceeded ? 1 : 0);
}

} // namespace

void PairStatusCallback(const unsigned char* buf, int len, const unsigned char* status, int statusLength)
{
    const int kind = buf && len >= 2 ? buf[1] : 0;
    QCoreApplication* app = QCoreApplication::instance();
    if (kind != HIDUSB_REPORT_PAIR_STATUS || !status || statusLength < 1 || !app)
        return;
    const int value = status[0];
    QMetaObject::invokeMethod(app, [value] { takePairStatus(value); }, Qt::QueuedConnection);
}

Match::Match(QWidget* parent)
    : QDialog(parent)
    , ui(new Ui::Match)
    , usbTimer(new QTimer(this))
    , pairTimer(new QTimer(this))
    , textTimer(new QTimer(this))
    , timeoutTimer(new QTimer(this))
{
    ui->setupUi(this);
    setDialogWindowFlags(this);
    setFixedSize(size());
    setAttribute(Qt::WA_TranslucentBackground);

    pictureDir = installDir() + QStringLiteral("/Picture/Setting/");
    const QString& folder = pictureDir;
    const QString labelColour = skinColour(QStringLiteral("LabelColor"));
    buttonColour = skinColour(QStringLiteral("ButtonColor"));
    ui->textEdit->setStyleSheet(QStringLiteral("#textEdit{border: transparent;background-color: transparent;color: rgb(")
                                + labelColour + QStringLiteral(");}"));
    ui->label->setStyleSheet(QStringLiteral("#label{color: rgb(") + labelColour + QStringLiteral(");}"));
    setLook(Look::Normal);
    ui->toolButton_2->setStyleSheet(QStringLiteral("QToolButton{border:0px;color: rgb(255, 255, 255);"
                                                   "background-image: url(")
                                    + folder + QStringLiteral("Picture.png);}"));
    // The form's second picture place has no picture: without a style of its
    // own it would show as a blank light square beside the button.
    ui->toolButton_3->setStyleSheet(QStringLiteral("QToolButton{border:0px;background:transparent;}"));
    ui->CloseButton->setStyleSheet(closeButtonStyleSheet(folder, QStringLiteral("CloseSecondPage")));
    ui->MatchA->setStyleSheet(QStringLiteral("#MatchA{border:0px;background-position:center;"
                                             "background-repeat:no-repeat;background-image: url(")
                              + folder + QStringLiteral("BackSecondPage.png); }"));
    ui->label->hide();
    openDevicePath = currentDevice.path;

    connect(pairTimer, &QTimer::timeout, this, &Match::onPairTimeupDestroy);
    connect(usbTimer, &QTimer::timeout, this, &Match::onUSBTimeupDestroy);
    connect(textTimer, &QTimer::timeout, this, &Match::onTextTimeupDestroy);
    pairTimer->setInterval(1000);
    usbTimer->setInterval(100);
    textTimer->setInterval(500);
    // No outcome in this time: the pairing has failed, and the dialog can be
    // closed again.
    timeoutTimer->setSingleShot(true);
    connect(timeoutTimer, &QTimer::timeout, this, [this] {
        if (pairStarted)
            failPairing();
    });

    hubConnect(SIGNAL(SigTimerStop()), this, SLOT(SlotStopTimer()));
    hubConnect(SIGNAL(SigButtonEnable(int)), this, SLOT(SlotButtonenable(int)));
    hubConnect(SIGNAL(SigSecondPageChange()), this, SLOT(SlotDevicePageLeft()));
    connect(ui->CloseButton, &QToolButton::clicked, this, &Match::WindowClosedSet);
    connectLanguage(this);
    scaleFontsToScreen(this);
}

Match::~Match()
{
    delete ui;
}

void Match::setLook(Look look)
{
    QString picture = QStringLiteral("Pair.png");
    QString colour = buttonColour;
    if (look == Look::Success)
        picture = QStringLiteral("PairSuccess.png");
    else if (look == Look::Failure)
        picture = QStringLiteral("PairFail.png");
    else if (look == Look::NotPairable)
        colour = QStringLiteral("0,0,0");
    ui->MatchButton->setStyleSheet(
        QStringLiteral("QPushButton{border:0px;background-position:center;background-repeat:no-repeat;color: rgb(")
        + colour + QStringLiteral(";);background-image: url(") + pictureDir + picture + QStringLiteral(");}"));
}

// A button's new text takes its mnemonic as the shortcut: Space comes back
// with every text.
void Match::setButtonText(const QString& text)
{
    ui->MatchButton->setText(text);
    ui->MatchButton->setShortcut(QKeySequence(Qt::Key_Space));
}

void Match::InitPair()
{
    ui->MatchButton->setEnabled(true);
    setLook(Look::Normal);
    dotCount = 0;
    pairResult = 0;
    setButtonText(texts.value(kStartText));

    const DeviceAllInfo* device = nullptr;
    if (deviceSessionActive == 1)
        device = &currentDevice;
    else if (pairTargetSet == 1)
        device = &pairTargetDevice;
    else if (!foundDevices.isEmpty())
        device = &foundDevices.first();
    if (device) {
        pairDevicePath = (device == &currentDevice ? openDevicePath : device->path).toLocal8Bit();
        vidText = device->vid;
        pidText = device->pid;
        onCable = device->isMouse != 0;
    }
    pairCid = ConfigSettings::instance()->value(QStringLiteral("Option"), QStringLiteral("CID")).toInt();
    // The button is right from the start, not only from the first tick.
    onUSBTimeupDestroy();
    usbTimer->start();
}

void Match::on_MatchButton_clicked()
{
    // The device page this pairing was for is gone: the outcome on the button
    // is all that is left to see, and the button puts it away.
    if (pageLeft) {
        reject();
        return;
    }
    // A pairing under way ends with its outcome or its time-out; another
    // click must not send it again and start the time-out over.
    if (pairStarted || pairResult == 2 || !canPair)
        return;
    pairResult = 1;
    textTimer->start();
    setButtonText(texts.value(kPairingText));
    setLook(Look::Normal);
    if (deviceSessionActive == 1) {
        deviceSessionActive = 0;
        activeFlagSaved = true;
    }
    pairStarted = false;
    StartPair();
}

void Match::StartPair()
{
    qDebug("Enter");
    pairStarted = true;
    pairTimer->start();
    timeoutTimer->start(pairTimeoutMs);
    UsbServerC_Start(pairDevicePath.constData(), pairDevicePath.constData(), PairStatusCallback);
    UsbServer_EnterDonglePairOnlyCid(pairCid);
}

void Match::failPairing()
{
    pairTimer->stop();
    textTimer->stop();
    timeoutTimer->stop();
    pairStarted = false;
    pairResult = 3;
    restoreSession();
    setButtonText(texts.value(kFailureText));
    setLook(Look::Failure);
}

void Match::onPairTimeupDestroy()
{
    UsbServer_ReadDonglePairStatus();
    int count = kPathLimit;
    const char** paths = UsbFinderC_FindHidDevicesByDefaultDeviceId(vidText.toLatin1().constData(),
                                                                    pidText.toLatin1().constData(), &count);
    bool present = false;
    for (int i = 0; paths && i < qBound(0, count, kPathLimit) && !present; ++i)
        present = paths[i] && pairDevicePath == paths[i];
    if (!present && pairStarted)
        failPairing();
}

void Match::onUSBTimeupDestroy()
{
    if (!pairStarted) {
        canPair = !onCable;
        ui->label->setVisible(onCable);
        ui->textEdit->setVisible(!onCable);
    }
    ui->MatchButton->setEnabled(canPair);
    if (!canPair)
        setLook(Look::NotPairable);
}

void Match::onTextTimeupDestroy()
{
    if (dotCount == 4)
        dotCount = 0;
    setButtonText(texts.value(kPairingText) + QString(dotCount, QLatin1Char('.')));
    ++dotCount;
}

void Match::SlotStopTimer()
{
    pairTimer->stop();
    textTimer->stop();
    timeoutTimer->stop();
}

void Match::SlotDevicePageLeft()
{
    // The session set aside for the pairing has ended with the page: its
    // end must not bring it back over the home page, and the dialog starts
    // no pairing more for the device that was left.
    activeFlagSaved = false;
    pageLeft = true;
}

void Match::SlotButtonenable(int index)
{
    if (index == 1) {
        setButtonText(texts.value(kSuccessText));
        setLook(Look::Success);
        ui->MatchButton->setEnabled(false);
    } else if (index == 0) {
        setButtonText(texts.value(kFailureText));
        setLook(Look::Failure);
    }
}

void Match::WindowClosedSet()
{
    reject();
}

// Every way out (the close button, Escape, the window's close) ends here.
void Match::reject()
{
    if (pairStarted)
        return;
    StartUsbChanged(homeUsbChanged, kUsbChangedInterval);
    usbTimer->stop();
    pairTimer->stop();
    textTimer->stop();
    timeoutTimer->stop();
    QDialog::reject();
}

void Match::SlotAllLanguage(int index)
{
    texts.clear();
    for (int item = 0; item <= kSuccessText; ++item)
        texts << MatchTexts.text(index, item);
    ui->label->setText(texts.value(kNotice));
    ui->textEdit->setPlainText(texts.value(kInstruction));
    const QString shown = pairResult == 2 ? texts.value(kSuccessText)
                          : pairResult == 3 ? texts.value(kFailureText)
                          : pairResult == 1 ? texts.value(kPairingText)
                                            : texts.value(kStartText);
    setButtonText(shown);
}

void Match::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange) {
        ui->retranslateUi(this);
        SlotAllLanguage(languageIndex);
    }
    QDialog::changeEvent(event);
}

bool runPairingDialog(QWidget* caller, int dx, int dy)
{
    Match pairing(nullptr);
    pairing.InitPair();
    placeDialog(&pairing, caller, dx, dy);
    return execForDevicePage(&pairing);
}

void pairOpenDevice(QWidget* caller, int dx, int dy)
{
    // A device page left meanwhile has no device to give them back to: the
    // home page keeps its own plug/unplug callback.
    if (!runPairingDialog(caller, dx, dy))
        return;
    StartUsbChanged(Worker::onUsbChanged, kUsbChangedInterval);
    UsbServerC_Start(devicePath, devicePath, Worker::onDeviceData);
}
