#pragma once
// The device-screen dialogs: the layout of a device display's settings
// (screen off, four picture slots, import and export, brightness), and on
// InputPicA the synchronisation of the device's clock with the PC's.
#include <QDateTime>
#include <QDialog>
#include <QString>
#include <QStringList>
#include <QThread>

#include <array>

namespace Ui {
class InputPicA;
class InputPicB;
} // namespace Ui
class QButtonGroup;
class QTimer;

// HID paths of the devices the last screen-device scan found, in the order
// found.
extern QStringList screenDevicePaths;

// Fills screenDevicePaths from scanVendorId and scanProductIds. It runs when
// the clock synchronisation starts and after every rescan of the registered
// plug/unplug callback, whose place it never takes.
void enumerateScreenDevices();

// The clock frame, request and reply alike: 0x0A 0x00 0x10, the year (high
// byte first), month, day, hour, minute, second, the day of the week (1 =
// Monday), zeros, and the checksum in the last byte.
constexpr int kClockFrameLength = 40;
using ClockFrame = std::array<unsigned char, kClockFrameLength>;

// A thread object the screen dialog carries; nothing starts it. Started, it
// reports once that it runs and then waits, without using the processor,
// until it is stopped; its destruction stops it.
class MyThread : public QThread
{
public:
    explicit MyThread(QObject* parent = nullptr);
    ~MyThread() override;

protected:
    void run() override;
};

class InputPicA : public QDialog
{
    Q_OBJECT
public:
    // The settings page holds one by value and passes no parent.
    explicit InputPicA(QWidget* parent = nullptr);
    ~InputPicA() override;

    // With true: starts the clock timer (a frame every kTicksPerFrame ticks)
    // and finds the screen devices now and after every rescan. With false:
    // nothing.
    void startClockSync(bool start);

    // The frame for one reading of the PC clock; the checksum byte is left 0.
    static ClockFrame clockFrame(const QDateTime& now);
    // (0x55 - the sum of the bytes) mod 256.
    static unsigned char frameChecksum(const unsigned char* bytes, int length);
    // True when the last byte is the checksum of the ones before it.
    static bool verifyFrameChecksum(const ClockFrame& reply);
    // A reply is valid when its bytes 0..6 are those of the request and its
    // checksum holds.
    static bool replyIsValid(const ClockFrame& request, const ClockFrame& reply);
    // Sets the frame's checksum and sends it to the device last opened for
    // direct requests, up to kFrameAttempts times until a valid reply (its
    // bytes 0..6 those of the request) comes back. True on a valid reply.
    static bool sendFrameWithRetry(ClockFrame& frame);

    static constexpr int kTickMs = 200;
    static constexpr int kTicksPerFrame = 50;
    static constexpr int kFrameAttempts = 5;

public slots:
    void SlotAllLanguage(int index);
    void on_CloseButton_clicked();
    // The clock timer: on every kTicksPerFrame-th tick, sends the PC's time
    // to the first device of the current scan; nothing while it found none.
    void onEraseChipTimeTimer();
    void on_Input_clicked();

private:
    Ui::InputPicA* ui;
    QString pictureDir;
    QButtonGroup* pictureGroup = nullptr;
    QTimer* clockTimer = nullptr;
    int tickCount = 0;
    MyThread screenThread;
    bool followingRescans = false;
};

class InputPicB : public QDialog
{
    Q_OBJECT
public:
    // The settings page holds one by value and passes no parent.
    explicit InputPicB(QWidget* parent = nullptr);
    ~InputPicB() override;

public slots:
    void SlotAllLanguage(int index);
    void on_CloseButton_clicked();

private:
    Ui::InputPicB* ui;
    QString pictureDir;
    QButtonGroup* pictureGroup = nullptr;
};
