#include "platform/hidusb/simcontrol.h"

#include "platform/hidusb/flashimage.h"
#include "platform/hidusb/simbus.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <chrono>

namespace hidsim {

using namespace detail;

namespace {

using Lock = std::lock_guard<std::mutex>;

Device* mouseById(Bus& b, const QString& id)
{
    Device* d = deviceById(b, id);
    return d && !d->receiver ? d : nullptr;
}

bool setPlugged(const QString& id, bool plugged)
{
    Bus& b = bus();
    Lock lock(b.mutex);
    Device* d = deviceById(b, id);
    if (!d)
        return false;
    if (d->plugged != plugged) {
        d->plugged = plugged;
        notifyChanged(b);
        releaseHeld(b);
        if (!plugged)
            checkUpgradeReach(b);
    }
    return true;
}

// Ends the connection, forgets the registrations and clears the faults.
void dropSession(Bus& b)
{
    endConnection(b);
    b.changedCallback = nullptr;
    ++b.changedGeneration;
    b.changedPending = 0;
    b.readsUnanswered = false;
    b.recordsRefused = false;
    b.latencyMs = 0;
    b.upgradeFailAt = -1;
    b.upgradeSilent = false;
    b.upgradeHoldAt = -1;
    b.pairingResult = 3;
    b.upgrade = UpgradeRun();
    b.upgradeStepMs = kUpgradeStepMsDefault;
    b.upgradeLog.clear();
    b.pairingMs = kPairingMsDefault;
    b.directDeviceId.clear();
}

} // namespace

void resetToDefaultBus()
{
    Bus& b = bus();
    Lock lock(b.mutex);
    dropSession(b);
    loadDefaultBus(b);
    b.statePath = stateFilePathFromEnvironment();
    removeStateFile(b);
    b.logKept = true;
    b.calls.clear();
    b.records.clear();
    b.recordsTaken = 0;
}

bool loadScenario(const QString& file)
{
    Bus& b = bus();
    Lock lock(b.mutex);
    dropSession(b);
    b.logKept = true;
    return loadScenarioOrDefault(b, file);
}

void restart()
{
    Bus& b = bus();
    std::unique_lock<std::mutex> lock(b.mutex);
    writeState(b, lock);
    dropSession(b);
    buildBus(b);
}

void saveState()
{
    Bus& b = bus();
    std::unique_lock<std::mutex> lock(b.mutex);
    writeState(b, lock);
}

QString stateFilePath()
{
    Bus& b = bus();
    Lock lock(b.mutex);
    return b.statePath;
}

QVector<DeviceStatus> devices()
{
    Bus& b = bus();
    Lock lock(b.mutex);
    QVector<DeviceStatus> out;
    for (const Device& d : b.devices)
        out.append(statusOf(b, d));
    return out;
}

bool device(const QString& id, DeviceStatus* out)
{
    Bus& b = bus();
    Lock lock(b.mutex);
    const Device* d = deviceById(b, id);
    if (!d)
        return false;
    if (out)
        *out = statusOf(b, *d);
    return true;
}

bool plug(const QString& id)
{
    return setPlugged(id, true);
}

bool unplug(const QString& id)
{
    return setPlugged(id, false);
}

bool setAwake(const QString& id, bool awake)
{
    Bus& b = bus();
    Lock lock(b.mutex);
    Device* m = mouseById(b, id);
    if (!m)
        return false;
    m->awake = awake;
    releaseHeld(b);
    return true;
}

bool setBattery(const QString& id, int percent, bool charging)
{
    Bus& b = bus();
    Lock lock(b.mutex);
    Device* m = mouseById(b, id);
    if (!m)
        return false;
    m->battery = qBound(0, percent, 100);
    m->charging = charging;
    sendFromMouse(b, *m, HIDUSB_REPORT_BATTERY, 0, image::batteryPayload(m->battery, m->charging));
    return true;
}

bool pressDpiButton(const QString& id)
{
    Bus& b = bus();
    Lock lock(b.mutex);
    Device* m = mouseById(b, id);
    if (!m)
        return false;
    QByteArray& rec = m->profiles[m->profile];
    const int stages = qBound(1, int(quint8(rec[image::kDpiStageCount])), int(image::kDpiStageSlots));
    const int current = quint8(rec[image::kCurrentDpiStage]);
    rec[image::kCurrentDpiStage] = char(current + 1 < stages ? current + 1 : 0);
    markStateChanged(b);
    sendFromMouse(b, *m, HIDUSB_REPORT_STATUS_CHANGE, 0, image::statusPayload(image::kStatusCurrentDpi));
    return true;
}

bool factoryReset(const QString& id)
{
    Bus& b = bus();
    Lock lock(b.mutex);
    Device* d = deviceById(b, id);
    if (!d)
        return false;
    if (d->receiver) {
        d->led = QByteArray(HIDUSB_DONGLE_RGB_SIZE, '\0');
        d->led[0] = 1;
        d->longRange = false;
        markStateChanged(b);
    } else {
        resetMouse(*d);
        markStateChanged(b);
        sendFromMouse(b, *d, HIDUSB_REPORT_AFTER_RESET, 0, QByteArray(1, '\0'));
    }
    return true;
}

bool setOffline(const QString& id, bool offline)
{
    Bus& b = bus();
    Lock lock(b.mutex);
    Device* d = deviceById(b, id);
    if (!d)
        return false;
    d->offline = offline;
    releaseHeld(b);
    return true;
}

bool setIdentityUnknownFor(const QString& id, int asks)
{
    Bus& b = bus();
    Lock lock(b.mutex);
    Device* d = deviceById(b, id);
    if (!d)
        return false;
    d->identityUnknownAsks = std::max(asks, 0);
    return true;
}

void setReadsUnanswered(bool on)
{
    Bus& b = bus();
    Lock lock(b.mutex);
    b.readsUnanswered = on;
}

void setRecordsRefused(bool on)
{
    Bus& b = bus();
    Lock lock(b.mutex);
    b.recordsRefused = on;
}

void setReadLatencyMs(int ms)
{
    Bus& b = bus();
    Lock lock(b.mutex);
    b.latencyMs = qMax(0, ms);
}

void setUpgradeFailAt(int percent)
{
    Bus& b = bus();
    Lock lock(b.mutex);
    b.upgradeFailAt = percent < 0 ? -1 : qMin(percent, 100);
}

void setUpgradeSilent(bool on)
{
    Bus& b = bus();
    Lock lock(b.mutex);
    b.upgradeSilent = on;
}

void setUpgradeHoldAt(int percent)
{
    Bus& b = bus();
    Lock lock(b.mutex);
    b.upgradeHoldAt = percent < 0 ? -1 : qMin(percent, 100);
    startThread(b);
}

void setPairingResult(int result)
{
    Bus& b = bus();
    Lock lock(b.mutex);
    b.pairingResult = result == 3 || result == 0 ? result : 2;
}

void setUpgradeStepMs(int ms)
{
    Bus& b = bus();
    Lock lock(b.mutex);
    b.upgradeStepMs = qBound(0, ms, 60000);
}

void setPairingMs(int ms)
{
    Bus& b = bus();
    Lock lock(b.mutex);
    b.pairingMs = qBound(0, ms, 60000);
}

bool setBootMode(const QString& id, bool on)
{
    Bus& b = bus();
    Lock lock(b.mutex);
    Device* d = deviceById(b, id);
    if (!d)
        return false;
    detail::setBootMode(b, *d, on);
    return true;
}

bool unpair(const QString& id)
{
    Bus& b = bus();
    Lock lock(b.mutex);
    Device* d = deviceById(b, id);
    if (!d)
        return false;
    detail::unpair(b, *d);
    return true;
}

bool upgradeRunning()
{
    Bus& b = bus();
    Lock lock(b.mutex);
    return b.upgrade.active;
}

QByteArray storedRecord(const QString& id)
{
    Bus& b = bus();
    Lock lock(b.mutex);
    const Device* m = mouseById(b, id);
    return m ? m->profiles[m->profile] : QByteArray();
}

bool setStoredRecord(const QString& id, const QByteArray& record)
{
    const QByteArray stored = image::canonical(record);
    if (stored.isEmpty())
        return false;
    Bus& b = bus();
    Lock lock(b.mutex);
    Device* m = mouseById(b, id);
    if (!m)
        return false;
    m->profiles[m->profile] = stored;
    markStateChanged(b);
    return true;
}

QVector<Call> callLog()
{
    Bus& b = bus();
    Lock lock(b.mutex);
    return b.calls;
}

QVector<QByteArray> recordsSent()
{
    Bus& b = bus();
    Lock lock(b.mutex);
    return b.records;
}

int recordsTaken()
{
    Bus& b = bus();
    Lock lock(b.mutex);
    return b.recordsTaken;
}

void clearCallLog()
{
    Bus& b = bus();
    Lock lock(b.mutex);
    b.logKept = true;
    b.calls.clear();
    b.records.clear();
    b.recordsTaken = 0;
}

bool waitForIdle(int timeoutMs)
{
    Bus& b = bus();
    QElapsedTimer timer;
    timer.start();
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(b.mutex);
            // Waiting for itself from inside a callback would never end.
            if (std::this_thread::get_id() == b.threadId)
                return false;
            if (isIdle(b))
                return true;
            if (timer.elapsed() >= timeoutMs)
                return false;
            b.idle.wait_for(lock, std::chrono::milliseconds(2));
        }
        // A callback may be waiting for this thread (blocking-queued signals),
        // and plug/unplug notifications are posted here.
        if (QCoreApplication::instance())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
}

} // namespace hidsim
