#pragma once
// The device connection: one thread whose pass opens the open device's
// connection and asks for its whole configuration, the watch that brings an
// offline device back, the device page's plug/unplug rescan, the per-device
// cache file, and the data callback that handles every device report.

#include "core/deviceinfo.h"
#include "core/flashdatamap.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QThread>

class QTimer;

class Worker : public QThread
{
    Q_OBJECT
public:
    // The parent is not used: the thread object belongs to nobody, and its
    // owner (the button page) deletes it.
    explicit Worker(QObject* parent = nullptr);
    ~Worker() override;

    // Waits for the running pass to end. Meanwhile the calling (GUI) thread
    // delivers the blocking-queued page updates the pass may be waiting on,
    // so the wait cannot deadlock against them.
    void waitForPass();

    // The online watch, stopped by operations that must not be disturbed by
    // a reload.
    QTimer* onlineTimer() const { return timer; }

    // Callbacks of the device library and their helpers; they take no Worker.
    static void startForPath(DeviceAllInfo info);
    // 1 model found, 2 family CID without a configured MID, 3 foreign CID,
    // 0 no identity.
    static int readDeviceInfo(DeviceAllInfo& info, const char* path);
    static void findDevices(QString vid, QStringList pids);
    static void onUsbChanged();
    // True only when the file holds one block of exactly one record.
    static bool readDeviceCache(QString name, FlashDataMap* destination);
    static void writeDeviceCache(QString name, FlashDataMap map);
    static void pollChangedParams();
    static void clearRunFlag();
    static void onDeviceData(const unsigned char* header, int headerLength, const unsigned char* data,
                             int dataLength);

    // The cache file's full path for a name.
    static QString deviceCachePath(const QString& name);

    // Pacing, shortened by tests.
    static int onlineCheckIntervalMs;   // the online watch
    static int fullReloadGapMs;         // least time between two full reloads a status change asks for

protected:
    void run() override;

public slots:
    void SlotSelectMouseInfo(DeviceAllInfo info);
    void SlotMainPageChange();
    void SlotCheckOnline();

private:
    QString openedPath;
    int openedType = 0;
    QByteArray dummyPath;
    QTimer* timer = nullptr;
};

// The one Worker, created by the button page.
extern Worker* deviceWorker;
