#include "lighting/inputpic.h"

#include "ui_inputpica.h"
#include "ui_inputpicb.h"

#include "core/globals.h"
#include "core/languagetable.h"
#include "core/postmsg.h"
#include "sensor/optionskin.h"
#include "widgets/dialogframe.h"

#include "platform/hidusb/hidusb.h"

#include <QButtonGroup>
#include <QDebug>
#include <QTimer>

#include <algorithm>
#include <numeric>

QStringList screenDevicePaths;

namespace {

// The arguments the screen-device search passes to the library.
const int kScreenUsagePage = 1;
const int kScreenMaxDevices = 8;
// Reply bytes that must repeat the request: kind and the date.
const int kEchoedBytes = 7;

// How many clock synchronisations follow the rescans; the follower is
// registered while at least one does.
int clockSyncsFollowing = 0;

// The skin and the picture group both dialogs share: their forms differ only
// in geometry.
template<class Form>
QButtonGroup* setUpScreenDialog(QDialog* dialog, Form* ui, const QString& dir)
{
    auto* group = new QButtonGroup(dialog);
    group->setExclusive(true);
    for (QToolButton* slot : {ui->toolButtonA, ui->toolButtonB, ui->toolButtonC, ui->toolButtonD})
        group->addButton(slot);
    setDialogWindowFlags(dialog);

    const QString labelSkin = optionLabelSkin();
    for (QLabel* label : {ui->label, ui->label_2, ui->label_3, ui->label_4, ui->label_5, ui->label_6, ui->label_7})
        label->setStyleSheet(labelSkin);
    const QString buttonColour = skinColour(QStringLiteral("ButtonColor"));
    const QString pictureSkin =
        QStringLiteral("QToolButton{border:0px;background-position:center;background-repeat:no-repeat;color: rgb(")
        + buttonColour + QStringLiteral(";);border-image: url(") + dir
        + QStringLiteral("Pic.png);}QToolButton:checked{border-image: url(") + dir + QStringLiteral("PicHover.png); }");
    for (QToolButton* slot : {ui->toolButtonA, ui->toolButtonB, ui->toolButtonC, ui->toolButtonD})
        slot->setStyleSheet(pictureSkin);
    const QString buttonSkin =
        QStringLiteral("QToolButton{border:0px;background-position:center;background-repeat:no-repeat;color: rgb(")
        + buttonColour + QStringLiteral(";);border-image: url(") + dir
        + QStringLiteral("Button.png);}QToolButton:hover{border-image: url(") + dir
        + QStringLiteral("ButtonHover.png); }");
    ui->Input->setStyleSheet(buttonSkin);
    ui->Output->setStyleSheet(buttonSkin);
    ui->CheckButton->setStyleSheet(optionSwitchSkin(QStringLiteral("CheckButton"), dir));
    ui->SpeedH->setStyleSheet(
        QStringLiteral("QSlider::groove:horizontal { border-radius: 2px;  height: 5px;background:#ffffff}"
                       "QSlider:handle:horizontal{ border-radius: 2px;width:  6px;height: 18px;  margin-top: "
                       "-9px;margin-left: -1px; margin-bottom: -9px;margin-right: -1px; border-image: url(")
        + dir + QStringLiteral("Slider.png);} QSlider:sub-page:horizontal{border-radius: 2px;background-color: rgb(")
        + skinColour(QStringLiteral("SliderColor"))
        + QStringLiteral(";);}QSlider:add-page:horizontal{border-radius: 2px;background-color: rgb(255, 255, 255);}"));
    ui->CloseButton->setStyleSheet(closeButtonSkin(dir));
    ui->InputPicAFrame->setStyleSheet(
        QStringLiteral("#InputPicAFrame{border:0px;background-position:center;background-repeat:no-repeat;"
                       "background-image: url(")
        + dir + QStringLiteral("Back.png);}"));
    dropRaisedPanelOutlines(dialog);
    return group;
}

template<class Form>
void setScreenDialogTexts(Form* ui, int index)
{
    ui->label->setText(ScreenInfoTexts.text(index, 0));
    ui->label_2->setText(ScreenInfoTexts.text(index, 1));
    ui->label_3->setText(ScreenInfoTexts.text(index, 2));
    ui->Input->setText(ScreenInfoTexts.text(index, 3));
    ui->Output->setText(ScreenInfoTexts.text(index, 4));
}

} // namespace

void enumerateScreenDevices()
{
    screenDevicePaths.clear();
    const QByteArray vid = scanVendorId.toLatin1();
    for (const QString& pid : scanProductIds) {
        int count = 0;
        const char** found = UsbFinderC_FindHidDevicesByDeviceId(vid.constData(), pid.toLatin1().constData(),
                                                                 kScreenUsagePage, kScreenMaxDevices, &count);
        // The count comes from the library: never more than asked for.
        count = found ? qBound(0, count, kScreenMaxDevices) : 0;
        for (int i = 0; i < count; ++i)
            screenDevicePaths.append(found[i] ? QString::fromLatin1(found[i]) : QString());
    }
}

// ---- MyThread -------------------------------------------------------------------

MyThread::MyThread(QObject* parent)
    : QThread(parent)
{
}

MyThread::~MyThread()
{
    // A quit that comes before the loop starts still ends it.
    quit();
    wait();
}

void MyThread::run()
{
    qDebug() << "Thread is running";
    // Blocks in the thread's own event loop until quit.
    exec();
}

// ---- InputPicA ------------------------------------------------------------------

InputPicA::InputPicA(QWidget* parent)
    : QDialog(parent)
    , ui(new Ui::InputPicA)
{
    ui->setupUi(this);
    clockTimer = new QTimer(this);
    scaleFontsToScreen(this);
    connect(clockTimer, &QTimer::timeout, this, &InputPicA::onEraseChipTimeTimer);
    clockTimer->setInterval(kTickMs);
    pictureDir = optionPictureDir(QStringLiteral("ScreeInfo"));
    pictureGroup = setUpScreenDialog(this, ui, pictureDir);
    connectLanguage(this);
}

InputPicA::~InputPicA()
{
    if (followingRescans && --clockSyncsFollowing == 0)
        removeRescanFollower(enumerateScreenDevices);
    delete ui;
}

void InputPicA::startClockSync(bool start)
{
    if (!start)
        return;
    tickCount = 0;
    clockTimer->start();
    // The registered plug/unplug callback stays the page's; its rescans
    // bring the screen devices along.
    if (!followingRescans) {
        followingRescans = true;
        if (clockSyncsFollowing++ == 0)
            addRescanFollower(enumerateScreenDevices);
    }
    enumerateScreenDevices();
}

ClockFrame InputPicA::clockFrame(const QDateTime& now)
{
    ClockFrame frame{};
    const QDate date = now.date();
    const QTime time = now.time();
    frame[0] = 0x0A;
    frame[1] = 0x00;
    frame[2] = 0x10;
    frame[3] = static_cast<unsigned char>((date.year() >> 8) & 0xFF);
    frame[4] = static_cast<unsigned char>(date.year() & 0xFF);
    frame[5] = static_cast<unsigned char>(date.month());
    frame[6] = static_cast<unsigned char>(date.day());
    frame[7] = static_cast<unsigned char>(time.hour());
    frame[8] = static_cast<unsigned char>(time.minute());
    frame[9] = static_cast<unsigned char>(time.second());
    // From the same reading as the date, so a frame sent at midnight never
    // pairs one day's date with the next day's weekday.
    frame[10] = static_cast<unsigned char>(date.dayOfWeek());
    return frame;
}

unsigned char InputPicA::frameChecksum(const unsigned char* bytes, int length)
{
    const unsigned sum = std::accumulate(bytes, bytes + length, 0u);
    return static_cast<unsigned char>(0x55 - sum);
}

bool InputPicA::verifyFrameChecksum(const ClockFrame& reply)
{
    return reply[kClockFrameLength - 1] == frameChecksum(reply.data(), kClockFrameLength - 1);
}

bool InputPicA::replyIsValid(const ClockFrame& request, const ClockFrame& reply)
{
    return std::equal(request.begin(), request.begin() + kEchoedBytes, reply.begin()) && verifyFrameChecksum(reply);
}

bool InputPicA::sendFrameWithRetry(ClockFrame& frame)
{
    frame[kClockFrameLength - 1] = frameChecksum(frame.data(), kClockFrameLength - 1);
    for (int attempt = 0; attempt < kFrameAttempts; ++attempt) {
        ClockFrame reply{};
        UsbFinderC_ReadWriteDeviceData(frame.data(), reply.data(), kClockFrameLength);
        if (replyIsValid(frame, reply))
            return true;
    }
    return false;
}

void InputPicA::onEraseChipTimeTimer()
{
    if (++tickCount < kTicksPerFrame)
        return;
    tickCount = 0;
    // Only a device of the current scan gets a frame; none found, none sent.
    const QByteArray path = screenDevicePaths.value(0).toLatin1();
    if (path.isEmpty() || !UsbFinderC_OpenDevice(path.constData()))
        return;
    ClockFrame frame = clockFrame(QDateTime::currentDateTime());
    sendFrameWithRetry(frame);
}

void InputPicA::on_Input_clicked() {}

void InputPicA::SlotAllLanguage(int index)
{
    setScreenDialogTexts(ui, index);
}

void InputPicA::on_CloseButton_clicked()
{
    PostMsg::GetInstance()->PostButtonCheck();
    close();
}

// ---- InputPicB ------------------------------------------------------------------

InputPicB::InputPicB(QWidget* parent)
    : QDialog(parent)
    , ui(new Ui::InputPicB)
{
    ui->setupUi(this);
    scaleFontsToScreen(this);
    pictureDir = optionPictureDir(QStringLiteral("ScreeInfo"));
    pictureGroup = setUpScreenDialog(this, ui, pictureDir);
    connectLanguage(this);
}

InputPicB::~InputPicB()
{
    delete ui;
}

void InputPicB::SlotAllLanguage(int index)
{
    setScreenDialogTexts(ui, index);
}

void InputPicB::on_CloseButton_clicked()
{
    PostMsg::GetInstance()->PostButtonCheck();
    close();
}
