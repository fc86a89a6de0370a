#pragma once
// The simulated bus behind hidusb.h: devices, the one device connection, the
// library thread that delivers its reports, the plug/unplug notification and
// the call log. Everything here is guarded by Bus::mutex.

#include "platform/hidusb/hidusb.h"
#include "platform/hidusb/simcontrol.h"

#include <QByteArray>
#include <QString>
#include <QVector>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>

namespace hidsim {
namespace detail {

constexpr int kVendorId = 0x3A5C;
constexpr int kCustomerId = 42;
constexpr int kReceiverStateBytes = 10;
constexpr int kFourKhzReceiverType = 1; // the device type of the 4 kHz receivers, the only ones with an LED choice
constexpr int kDongleIdRecordSize = 5;   // {id0, id1, id2, 0, rate}
constexpr int kMouseImageKind = 210;
constexpr int kReceiverImageKind = 211;
extern const char* const kPathPrefix;

struct Device
{
    QString id;
    bool receiver = false;
    QString model;
    int cid = kCustomerId;
    int mid = 0;
    int deviceType = 0;          // receiver class type, or 2 for a mouse on its cable
    int productId = 0;           // receiver's, or the mouse's on its cable
    int version = 0;
    bool plugged = false;        // on the USB bus
    bool offline = false;        // fault: never answers
    bool bootMode = false;       // waits for firmware: found only as a boot device
    int identityUnknownAsks = 0; // fault: identity asks still answered with zeros
    QString pairedWith;          // mouse id of a receiver, receiver id of a mouse
    unsigned char receiverId[3] = {0, 0, 0};

    // Mouse.
    bool awake = true;
    int battery = 100;
    bool charging = false;
    bool batteryOptimize = false;
    int profile = 0;
    QVector<QByteArray> profiles;

    // Receiver.
    QByteArray led;              // HIDUSB_DONGLE_RGB_SIZE bytes, byte 0 the mode 1..3
    bool longRange = false;

    QString path() const;
};

// What the program asked of the open device.
enum class Request {
    ReadAllFlashData,
    ReadBatteryLevel,
    ReadConfig,
    ReadCurrentDpi,
    ReadDpiLed,
    ReadLedBar,
    ReadReportRate,
    ReadVersion,
    ClearSetting,
    SetCurrentConfig,
    BatteryOptimize
};

struct PendingRequest
{
    Request request;
    int argument;
};

// One report on its way to the data callback.
struct Report
{
    std::uint64_t generation;
    QByteArray header;
    QByteArray data;
    std::int64_t dueMs;
};

// A firmware run: the library thread reports its progress step by step and
// then its result.
struct UpgradeRun
{
    bool active = false;
    bool reportingResult = false;  // the progress is done; the result comes next
    HidUsbUpgradeCallback callback = nullptr;
    QString deviceId;
    QString viaReceiverId;         // the receiver a mouse off its cable is reached through
    bool lost = false;             // the device, or its receiver, left the bus
    QString imageName;
    int imageVersion = 0;
    int imageLength = 0;
    int fromVersion = 0;
    int percent = 0;               // the next progress to report
    int reported = -1;             // the last progress reported
    int failAt = -1;
    bool silent = false;
    std::int64_t dueMs = 0;
};

// A pairing request: the receiver reports its outcome a moment later.
struct PairRun
{
    bool active = false;
    QString receiverId;
    int cid = 0;
    std::uint64_t generation = 0;  // of the connection that asked
    std::int64_t dueMs = 0;
};

// Defaults of the simulated timings. A person can watch a flash; tests
// shorten both through the control API.
constexpr int kUpgradeStepMsDefault = 150;
constexpr int kUpgradeStepPercent = 5;
constexpr int kPairingMsDefault = 2000;

struct Bus
{
    std::mutex mutex;

    QVector<Device> devices;

    // The device connection. A new generation begins with every start and
    // every exit; a report of an older generation is dropped.
    bool open = false;
    QByteArray openPath;
    HidUsbDataCallback dataCallback = nullptr;
    std::uint64_t generation = 1;
    QVector<PendingRequest> held;     // waiting for the mouse to answer
    int reportSequence = 0;

    // Plug/unplug notification.
    HidUsbChangedCallback changedCallback = nullptr;
    std::uint64_t changedGeneration = 1;
    int changedPending = 0;

    // Faults.
    bool readsUnanswered = false;
    bool recordsRefused = false;
    int latencyMs = 0;
    int upgradeFailAt = -1;
    bool upgradeSilent = false;
    int upgradeHoldAt = -1;          // a run waits once it has reported this percentage
    int pairingResult = 3;           // 3 success, 2 failure, 0 never answers

    // Firmware runs and pairing.
    UpgradeRun upgrade;
    int upgradeStepMs = kUpgradeStepMsDefault;
    QVector<QByteArray> upgradeLog;  // HIDUSB_UPGRADE_LOG_LINES lines about the last run
    PairRun pairing;
    int pairingMs = kPairingMsDefault;

    // Direct requests: the device UsbFinderC_OpenDevice opened last.
    QString directDeviceId;

    // Call log, kept only once the control API has asked for it (a test's
    // reset, scenario or clear): the program never does, so a real run keeps
    // no log at all.
    bool logKept = false;
    QVector<Call> calls;
    QVector<QByteArray> records;
    int recordsTaken = 0;

    // Device state kept across program runs. A change is written a moment
    // later by the library thread, so a burst of changes costs one write.
    QString statePath;
    bool stateDirty = false;
    std::int64_t stateDueMs = 0;
    std::uint64_t stateSequence = 0;
    std::mutex writeMutex;           // serialises file writes; taken without `mutex`
    std::uint64_t stateWritten = 0;  // guarded by writeMutex

    std::atomic<bool> serverRequested{false};

    // The library thread.
    std::deque<Report> queue;
    bool delivering = false;
    bool appGone = false;
    std::condition_variable wake;
    std::condition_variable idle;
    std::thread thread;
    std::thread::id threadId;
};

// The one bus. Created on first use and never destroyed, so that the library
// thread, which may still be blocked in a callback at exit, never touches freed
// memory.
Bus& bus();

// Catalogue devices. A receiver's rate class (1, 2, 4, 8 kHz) gives its
// product id and device type; productId stays 0 for an unknown class.
Device makeReceiver(const QString& id, const QString& model, int mid, int rateClass, int version,
                    const unsigned char (&receiverId)[3]);
Device makeMouse(const QString& id, const QString& model, int mid, int cableProductId, int version);

// All helpers below expect Bus::mutex to be held.
void loadDefaultBus(Bus& b);
// The bus as the program finds it at start: the scenario named by
// QUEMBREL_SIM_SCENARIO (or the default bus), then the saved device state.
void buildBus(Bus& b);
// Reads a scenario file into the bus. On failure the bus is left alone and
// *error says why.
bool loadScenario(Bus& b, const QString& file, QString* error);
// The same, but a file that cannot be used gives one warning line and the
// default bus.
bool loadScenarioOrDefault(Bus& b, const QString& file);
// Remembers that device state changed; it is written to the state file soon.
void markStateChanged(Bus& b);
// Writes the state file now if anything changed. Releases the lock while the
// file is written.
void writeState(Bus& b, std::unique_lock<std::mutex>& lock);
void removeStateFile(Bus& b);
QString stateFilePathFromEnvironment();
// Opens the control socket (on the Qt main thread) once an application exists.
void requestControlServer(Bus& b);
Device* deviceById(Bus& b, const QString& id);
Device* deviceByPath(Bus& b, const char* path);
Device* pairedMouse(Bus& b, const Device& receiver);
// The mouse that answers through the device at a path: the paired mouse of a
// receiver, or the mouse on its own cable.
Device* mouseBehind(Bus& b, Device& atPath);
// Whether that mouse answers now through that device.
bool answersThrough(Bus& b, Device& atPath, const Device& mouse);
// Ends the pairing of a device and of its partner.
void unpair(Bus& b, Device& d);
// Pairs a mouse with a receiver: each leaves an earlier partner, and the
// mouse takes the receiver's id.
void pairDevices(Bus& b, Device& receiver, Device& mouse);
// Puts a device into boot mode or takes it out; the program hears of it as a
// plug or unplug.
void setBootMode(Bus& b, Device& d, bool on);
DeviceStatus statusOf(Bus& b, const Device& d);

// A 16-bit hexadecimal text, with or without "0x", any case; -1 when it is
// not one.
int parseHexWord(const QByteArray& text);

void logCall(Bus& b, const char* name, const QStringList& args = {});
void logRecord(Bus& b, const QByteArray& record);
QString pathArg(const char* path);
QString bytesArg(const unsigned char* bytes, int length);

// The device connection.
// Ends the connection; reports already queued for it are dropped.
void endConnection(Bus& b);
void request(Bus& b, Request r, int argument = 0);
// Sends a report on the open connection when the mouse is the open one and
// answers. Returns whether it was sent.
bool sendFromMouse(Bus& b, const Device& mouse, int kind, int subKind, const QByteArray& data);
// Sends a report when the connection goes through this receiver.
bool sendFromReceiver(Bus& b, const Device& receiver, int kind, const QByteArray& data);
// Answers the held requests when the open mouse answers again.
void releaseHeld(Bus& b);
void resetMouse(Device& mouse);
// True when no report is queued or being delivered, no firmware run or
// pairing is on its way to an answer, and no plug/unplug notification is
// waiting for the main thread.
bool isIdle(Bus& b);

// Posts the plug/unplug callback to the Qt main thread.
void notifyChanged(Bus& b);

// Wakes the library thread (started on first use) for queued work.
void startThread(Bus& b);

// Firmware runs and pairing, worked by the library thread.
void startUpgrade(Bus& b, const UpgradeRun& run);
// After a device left the bus: a run whose device, or the receiver it goes
// through, is gone fails at once.
void checkUpgradeReach(Bus& b);
void startPairing(Bus& b, Device& receiver, int cid);
// The upgrade log's eight lines, empty ones included.
void setUpgradeLog(Bus& b, const QStringList& lines);

} // namespace detail
} // namespace hidsim
