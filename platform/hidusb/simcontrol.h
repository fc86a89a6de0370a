#pragma once
// Control of the simulated device bus behind hidusb.h: what a person does to
// the hardware (plug, unplug, sleep, battery, the DPI button) and what a test
// checks afterwards (the call log, the records sent). The program itself never
// includes this header; tests and the control tool do.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

namespace hidsim {

// One simulated device as the control side sees it. Ids are short texts
// chosen by the bus ("rx4k", "q7", "q3" on the default bus).
struct DeviceStatus
{
    QString id;
    QString path;          // HID path; empty while unplugged (a mouse behind a receiver has none)
    QString kind;          // "receiver" or "mouse"
    QString model;         // catalogue model name
    int cid = 0;
    int mid = 0;
    int deviceType = 0;    // the type byte UsbFinderC_GetDeviceInfo answers
    int productId = 0;
    bool plugged = false;  // on the USB bus (a receiver, or a mouse on its cable)
    bool awake = true;     // a mouse that sleeps does not answer
    bool online = false;   // what UsbFinderC_GetDeviceOnLine answers for it
    int battery = 100;     // percent
    bool charging = false;
    int version = 0;       // firmware version word, major << 8 | minor
    QString pairedWith;    // receiver id of a mouse, mouse id of a receiver
    int profile = 0;       // current onboard profile
    bool bootMode = false; // waits for firmware after a failed run
    QByteArray receiverId; // 3 bytes: a receiver's own id, or the one a mouse answers
};

// One library call as made by the program, with its arguments as texts.
struct Call
{
    QString name;
    QStringList args;
};

// Puts the bus back to the built-in default bus, drops every callback and
// registration, clears the call log and the faults. Tests call it first.
void resetToDefaultBus();

QVector<DeviceStatus> devices();
bool device(const QString& id, DeviceStatus* out);

// Hardware events. Each returns false for an unknown id (nothing happens).
// plug/unplug fire the plug/unplug callback on the Qt main thread.
bool plug(const QString& id);
bool unplug(const QString& id);
// A sleeping mouse is offline; reads sent to it are held by the receiver and
// answered when it wakes.
bool setAwake(const QString& id, bool awake);
// Sends a battery report on the open connection when the mouse is the open one.
bool setBattery(const QString& id, int percent, bool charging);
// The DPI button on the mouse: moves the current stage and sends a
// status-change report on the open connection.
bool pressDpiButton(const QString& id);
// Factory settings, as the device would do on a reset request (a mouse that
// is the open one then sends the after-reset report).
bool factoryReset(const QString& id);

// Faults on demand.
bool setOffline(const QString& id, bool offline);   // the device never answers (a receiver: nor its mouse)
void setReadsUnanswered(bool on);                    // read requests get no report
// The online mouse refuses every record ProtocolDataUpdate sends (it keeps
// the one it has), as it does a record that does not fit its memory.
void setRecordsRefused(bool on);
// The device answers its next `asks` identity requests with zeros, as one still
// starting up does. False for an unknown id.
bool setIdentityUnknownFor(const QString& id, int asks);
void setReadLatencyMs(int ms);                       // reports arrive late
// Firmware runs. A run reports its progress in steps of 5 % (one step each
// setUpgradeStepMs, 150 ms by default, so a person can watch it), then its
// result. On success the device takes the image's version. A run whose device,
// or the receiver it goes through, leaves the bus fails at once. A device whose run
// failed waits in boot mode (found only by UsbUpgradeC_FindBootDevices, not as
// a normal device) until a run succeeds.
void setUpgradeFailAt(int percent);                  // -1 off; 0..100: the run fails there
void setUpgradeSilent(bool on);                      // a run leaves the device in boot mode and never answers
void setUpgradeStepMs(int ms);                       // 0..60000; tests shorten it
// -1 off; 0..100: a run waits once it has reported that percentage, until
// the hold is lifted or its device leaves the bus. Tests act at a known point.
void setUpgradeHoldAt(int percent);
bool upgradeRunning();
// Puts a device into boot mode (as a failed run leaves it) or takes it out;
// the program hears of it as a plug or unplug. False for an unknown id.
bool setBootMode(const QString& id, bool on);

// Pairing: a receiver asked to pair answers after setPairingMs (2 s by default)
// with success, pairing an awake mouse of its model and CID that is paired
// with no one (else its own mouse again), or with failure when there is none.
void setPairingResult(int result);                   // 3 success (default), 2 failure, 0 never answers
void setPairingMs(int ms);                           // 0..60000; tests shorten it
// Ends the pairing of a mouse or receiver (and of its partner).
bool unpair(const QString& id);

// The device's stored record of its current profile (HIDUSB_RECORD_SIZE bytes).
// setStoredRecord returns false for a record the device cannot hold.
QByteArray storedRecord(const QString& id);
bool setStoredRecord(const QString& id, const QByteArray& record);

// Every library call since the last clear, in order, and every record that
// ProtocolDataUpdate sent (taken or refused; recordsTaken counts the taken
// ones). A long run keeps only the latest 50,000 calls and 500 records at least.
// The log is kept from the first resetToDefaultBus, loadScenario or
// clearCallLog on; the program calls none of them, so in a real run the
// library keeps no log.
QVector<Call> callLog();
QVector<QByteArray> recordsSent();
int recordsTaken();
void clearCallLog();

// Waits (processing Qt events) until the library's callback thread has
// delivered everything queued so far, or the time runs out. The default bound
// only guards against a hang: on a loaded machine the thread may take seconds.
bool waitForIdle(int timeoutMs = 30000);

// ---- Scenarios, saved device state, control socket ----------------------------
//
// At start the bus comes from the scenario file named by QUEMBREL_SIM_SCENARIO
// (the default bus without it), then each device takes its saved state from
// the state file: QUEMBREL_SIM_STATE, or else quembrel-sim/devices.state in the
// user's data folder ($XDG_DATA_HOME). resetToDefaultBus() also removes the
// state file.

// Builds the bus from a scenario file, dropping the connection and the
// registrations. A missing or malformed file gives one warning line and the
// default bus; the result tells whether the file was used.
bool loadScenario(const QString& file);

// As if the program started again: pending state is written, the connection
// and registrations are dropped, and the bus is built anew from the scenario
// and the state file as at start.
void restart();

// Writes changed device state now; otherwise it is written a moment after a
// change, and when the application object is destroyed.
void saveState();
QString stateFilePath();

// The local socket the library listens on once a Qt application exists:
// QUEMBREL_SIM_SOCKET, or else quembrel-sim.socket in $XDG_RUNTIME_DIR.
QString controlServerName();

} // namespace hidsim
