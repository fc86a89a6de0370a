#include "core/globals.h"

#include <QMutex>
#include <QMutexLocker>

#include <list>

DeviceAllInfo currentDevice;
const char* devicePath = "";

void setDevicePath(const QByteArray& path)
{
    // Paths are few; keeping each one for the run costs nothing and keeps
    // every pointer handed out valid.
    static QMutex guard;
    static std::list<QByteArray>* kept = new std::list<QByteArray>;
    QMutexLocker lock(&guard);
    for (const QByteArray& known : *kept) {
        if (known == path) {
            devicePath = known.constData();
            return;
        }
    }
    kept->push_back(path);
    devicePath = kept->back().constData();
}

QList<DeviceAllInfo> foundDevices;
QList<DeviceAllInfo> allFoundDevices;
QList<DeviceAllInfo> workerDevices;
QStringList wirelessPidList;
QStringList wireless2PidList;
QStringList wireless4PidList;
QStringList wireless8PidList;
DeviceAllInfo pairTargetDevice;
uint8_t pairTargetSet = 0;

static DongleRGB dongleRgbCell = {};
DongleRGB* dongleRgb = &dongleRgbCell;

QString selectedCacheName;
QString receivedCacheName;

HidUsbChangedCallback homeUsbChanged = nullptr;

QString scanVendorId;
QStringList scanProductIds;

namespace {
// One entry per addition; called on the GUI thread only, as the plug/unplug
// callbacks are.
QList<HidUsbChangedCallback> rescanFollowers;
} // namespace

void addRescanFollower(HidUsbChangedCallback follower)
{
    if (follower)
        rescanFollowers.append(follower);
}

void removeRescanFollower(HidUsbChangedCallback follower)
{
    rescanFollowers.removeOne(follower);
}

void notifyRescanFollowers()
{
    QList<HidUsbChangedCallback> called;
    // A follower may add or remove followers while it runs.
    const QList<HidUsbChangedCallback> followers = rescanFollowers;
    for (HidUsbChangedCallback follower : followers) {
        if (!called.contains(follower)) {
            called.append(follower);
            follower();
        }
    }
}

uint8_t workerRunAllowed = 0;
int deviceSessionActive = 0;
uint8_t reloadRequested = 0;
uint8_t statusReload = 0;
uint8_t lastOnline = 0;
uint8_t openedOnline = 0;
uint8_t deviceDataExpected = 0;
uint8_t offlineNoticePending = 0;
uint8_t waitDialogShown = 0;
uint8_t keyResetPending = 0;
uint8_t skipReceiverExtras = 0;
QList<int> keptKeyIndexes;
uint8_t deviceRecordReceived = 0;

uint8_t batteryState[HIDUSB_BATTERY_CELL_SIZE] = {};
uint8_t changedParams[HIDUSB_STATUS_CELL_SIZE] = {};
uint8_t receiverStatus[HIDUSB_RECEIVER_STATE_SIZE] = {};

int showBatteryValue = 0;

uint8_t sensorPageUpdated = 0;
uint8_t buttonPageUpdated = 0;

uint8_t sensorPageFilling = 0;
uint8_t buttonPageFilling = 0;
uint8_t lightPageFilling = 0;
uint8_t deviceWriteEnabled = 0;

int languageIndex = 0;
int importFailReason = 0;
uint8_t importWaitText = 0;
QString updateWarningText;

uint8_t upgradeIdle = 1;
uint8_t versionCheckRunning = 0;
bool repairDialogVisible = false;
uint8_t receiverUpdateAvailable = 0;
uint8_t mouseUpdateAvailable = 0;
uint8_t macroRecording = 0;
