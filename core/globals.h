#pragma once
// Process-wide state shared by the pages, the device connection and the
// device-data callback. Plain data without locks: the hub's blocking-queued
// deliveries keep page code and callback code from running at the same time.

#include "core/deviceinfo.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>

// ---- The open device ----------------------------------------------------------

// The device open on the device page, or last selected; an empty path means
// "no device open".
extern DeviceAllInfo currentDevice;

// The open device's path as the library takes it; never null.
extern const char* devicePath;
// Replaces devicePath. Every text ever set stays valid for the whole run, so a
// thread still holding the old pointer never reads freed memory.
void setDevicePath(const QByteArray& path);
inline void setDevicePath(const QString& path) { setDevicePath(path.toLocal8Bit()); }

extern QList<DeviceAllInfo> foundDevices;      // home page tiles
extern QList<DeviceAllInfo> allFoundDevices;   // every accepted device of the home page's scan
extern QList<DeviceAllInfo> workerDevices;     // the device page's rescan
// Receiver product ids of the four rate classes, as the home page's last
// rescan read them.
extern QStringList wirelessPidList;
extern QStringList wireless2PidList;
extern QStringList wireless4PidList;
extern QStringList wireless8PidList;
extern DeviceAllInfo pairTargetDevice;         // the device the pairing dialog is to pair
extern uint8_t pairTargetSet;                  // 1: the pairing dialog uses pairTargetDevice

extern DongleRGB* dongleRgb;                   // the one receiver LED cell

extern QString selectedCacheName;              // cache file name of the selected device
extern QString receivedCacheName;              // the same, rebuilt on every full image

// ---- Plug and unplug -------------------------------------------------------------

// The second argument of StartUsbChanged for the plug/unplug callbacks.
constexpr int kUsbChangedInterval = 600;
// The home page's plug/unplug callback, set when the home page is built; the
// pairing dialog gives it back when it closes.
extern HidUsbChangedCallback homeUsbChanged;

// The vendor id and the product ids, in order, that the home page's last
// rescan searched for; other device lists search the same ones.
extern QString scanVendorId;
extern QStringList scanProductIds;

// Followers of the rescans of the one registered plug/unplug callback (the
// home page's or the device page's): each rescan ends by calling them, so a
// follower keeps its own device list current without taking the callback
// slot from the page that holds it. A follower added twice is called once
// and stays until removed twice.
void addRescanFollower(HidUsbChangedCallback follower);
void removeRescanFollower(HidUsbChangedCallback follower);
void notifyRescanFollowers();

// ---- Connection flags -----------------------------------------------------------

extern uint8_t workerRunAllowed;
extern int deviceSessionActive;
extern uint8_t reloadRequested;
extern uint8_t statusReload;
extern uint8_t lastOnline;
extern uint8_t openedOnline;
extern uint8_t deviceDataExpected;
extern uint8_t offlineNoticePending;
extern uint8_t waitDialogShown;
extern uint8_t keyResetPending;
extern uint8_t skipReceiverExtras;
extern QList<int> keptKeyIndexes;

// Set by the device-data callback once the open device's full image has
// arrived, cleared when a device is opened. Until then the setters treat the
// device as offline, so a stale or foreign record never reaches it.
extern uint8_t deviceRecordReceived;

// Answer cells of the device library.
extern uint8_t batteryState[HIDUSB_BATTERY_CELL_SIZE];
extern uint8_t changedParams[HIDUSB_STATUS_CELL_SIZE];
extern uint8_t receiverStatus[HIDUSB_RECEIVER_STATE_SIZE];

extern int showBatteryValue;

// Page acknowledgements of a full configuration.
extern uint8_t sensorPageUpdated;
extern uint8_t buttonPageUpdated;

// ---- Page and program flags -----------------------------------------------------

extern uint8_t sensorPageFilling;     // the sensor page fills its widgets
extern uint8_t buttonPageFilling;     // the button page fills its widgets
extern uint8_t lightPageFilling;      // the lighting page fills its widgets
extern uint8_t deviceWriteEnabled;    // widget slots may write to the device

extern int languageIndex;             // 0 English, 1 Czech, 2 Slovak
extern int importFailReason;          // 1 not a configuration file, 2 does not fit the device,
                                       // 3 not a macro, 4 an export that could not be written
extern uint8_t importWaitText;        // 1 while the button page's import shows its wait dialog
extern QString updateWarningText;     // firmware-update warning of the current language

extern uint8_t upgradeIdle;           // 1 at start; 0 while a firmware upgrade runs
extern uint8_t versionCheckRunning;
// Whether the settings page's firmware repair dialog is showing; that dialog
// keeps it, so the device page's rescan can ask without knowing the dialog.
extern bool repairDialogVisible;
extern uint8_t receiverUpdateAvailable;
extern uint8_t mouseUpdateAvailable;
extern uint8_t macroRecording;
