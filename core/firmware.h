#pragma once
// Firmware images in the installation's "bin" folder: finding the image to
// flash for a device, and asking whether one with another version exists.

#include <QByteArray>
#include <QList>
#include <QString>

#include <cstdint>

// Header kinds of an image.
enum : int {
    kMouseFirmware = 210,
    kReceiverFirmware = 211
};

// The image findFirmwareUpdateFile took last (at most one, whole file, header
// first). Its first entry is what the upgrade is started with.
extern QList<QByteArray> firmwareImages;
// The repair dialog's own kept image, filled by findFirmwareFile.
extern QList<QByteArray> repairFirmwareList;
// "Option" / "CID" as hasFirmwareUpdate last read it.
extern int upgradeCid;

// The folder scanned for "*.bin" images: installDir() + "/bin".
QString firmwareFolder();
// Tests only: scan another folder instead (the default one when empty).
void setFirmwareFolderForTests(const QString& folder);

// "v" + major (every bit above the low byte) in decimal + "." + minor as two
// upper-case hexadecimal digits: 0x0105 gives "v1.05", 0x0A0F "v10.0F".
QString firmwareVersionText(uint32_t version);

// Keeps in firmwareImages the last image, in name order, for this kind, CID,
// MID and model name whose version differs from the current one ("0.0" when
// the current one is empty). Stops early when both versions read as the same
// number. True when an image was taken.
bool findFirmwareUpdateFile(int kind, const QString& currentVersion, const QString& modelName, int cid, int mid);
// The same question, keeping nothing; false for an empty current version.
bool probeFirmwareUpdateFile(int kind, const QString& currentVersion, const QString& modelName, int cid, int mid);
// Whether the current device's model has an image of another version: kind
// 210 asks about the mouse, any other kind about the receiver of this rate
// class (1, 2, 4 or 8; any other class gives false). Sets upgradeCid.
bool hasFirmwareUpdate(int kind, const QString& currentVersion, int rateClass);
// The repair dialog's scan: like findFirmwareUpdateFile, but into
// repairFirmwareList and without the early stop on an equal version.
bool findFirmwareFile(int kind, const QString& currentVersion, const QString& modelName, int cid, int mid);

// The image key of a receiver rate class in a "Drive" group: 1 "DM", 2 "D2M",
// 4 "D4M", 8 "D8M"; "" for any other class.
QString receiverImageKey(int rateClass);

// ---- Runs of the firmware update ----------------------------------------------
// Shared by the settings page's update, the repair dialog and the device
// worker. Changed only on the GUI thread.

enum UpgradeRunState : int {
    kRunIdle = 0,
    kRunRunning = 1,
    kRunSucceeded = 2,
    kRunFailed = 3,
    kRunNothingToDo = 4
};
extern int receiverRunState;
extern int mouseRunState;
extern int upgradeRunCount;    // 2 when the receiver and then the mouse are flashed
extern int upgradeRateClass;   // receiver rate class 0 (none), 1, 2, 4, 8
extern int upgradeMid;
extern int upgradeDeviceKind;  // the kind last handed to UsbUpgrade_Start

// The failed-upgrade record "UpdateFailInfo": kind, rate class, CID, MID.
void writeUpdateFailRecord(int kind, int rateClass, int cid, int mid);
void removeUpdateFailRecord();

// The per-user "Exception/UpDateLog.txt".
QString upgradeLogPath();
// Rewrites the log with the library's lines about its last run; a log that
// cannot be opened is left alone.
void writeUpgradeLog();
