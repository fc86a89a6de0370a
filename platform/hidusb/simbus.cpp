#include "platform/hidusb/simbus.h"

#include "platform/hidusb/flashimage.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <chrono>
#include <cstring>

namespace hidsim {
namespace detail {

const char* const kPathPrefix = "/dev/hidsim/";

namespace {

// The log keeps at least this many of the latest entries; a program that runs
// for hours must not grow without bound.
constexpr int kMaxCalls = 100000;
constexpr int kMaxRecords = 1000;

std::int64_t nowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

Device makeReceiver(const QString& id, const QString& model, int mid, int rateClass, int version,
                    const unsigned char (&rid)[3])
{
    // Rate class -> product id and device type, as in the catalogue.
    struct Class { int rate, productId, type; };
    static const Class classes[] = {{1, 0x5111, 0}, {2, 0x5112, 4}, {4, 0x5114, kFourKhzReceiverType}, {8, 0x5118, 5}};
    Device d;
    d.id = id;
    d.receiver = true;
    d.model = model;
    d.mid = mid;
    for (const Class& c : classes) {
        if (c.rate == rateClass) {
            d.productId = c.productId;
            d.deviceType = c.type;
        }
    }
    d.version = version;
    d.plugged = true;
    std::memcpy(d.receiverId, rid, 3);
    d.led = QByteArray(HIDUSB_DONGLE_RGB_SIZE, '\0');
    d.led[0] = 1;
    return d;
}

Device makeMouse(const QString& id, const QString& model, int mid, int cableProductId, int version)
{
    Device d;
    d.id = id;
    d.model = model;
    d.mid = mid;
    d.deviceType = 2;
    d.productId = cableProductId;
    d.version = version;
    resetMouse(d);
    return d;
}

namespace {

Bus& busInstance();

void postRoutine()
{
    Bus& b = busInstance();
    std::unique_lock<std::mutex> lock(b.mutex);
    writeState(b, lock);
    // The application is gone: nothing may call into the program any more.
    b.appGone = true;
    b.changedCallback = nullptr;
    b.queue.clear();
}

void deliverChanged(std::uint64_t generation)
{
    Bus& b = busInstance();
    HidUsbChangedCallback callback = nullptr;
    {
        std::lock_guard<std::mutex> lock(b.mutex);
        if (generation != b.changedGeneration)
            return;
        --b.changedPending;
        callback = b.changedCallback;
    }
    if (callback)
        callback();
}

// Whether the run is due to report on its own: not silent, and not held at
// the percentage a test asked for (a run that lost its device is never held).
bool upgradeStepping(const Bus& b)
{
    const UpgradeRun& u = b.upgrade;
    if (!u.active || u.silent)
        return false;
    return u.lost || b.upgradeHoldAt < 0 || u.reported < b.upgradeHoldAt;
}

// One step of the firmware run: the next progress packet, or the result.
// Called with the lock held; releases it while the callback runs.
void stepUpgrade(Bus& b, std::unique_lock<std::mutex>& lock, std::int64_t now)
{
    UpgradeRun& u = b.upgrade;
    unsigned char packet[3] = {HIDUSB_UPGRADE_STATUS, HIDUSB_UPGRADE_PROGRESS, 0};
    bool bootChanged = false;
    if (!u.reportingResult && !u.lost) {
        const int p = u.percent;
        packet[2] = static_cast<unsigned char>(p);
        u.reported = p;
        if ((u.failAt >= 0 && p >= u.failAt) || p >= 100) {
            u.reportingResult = true;
        } else {
            int next = p + kUpgradeStepPercent;
            if (u.failAt > p && u.failAt < next)
                next = u.failAt;
            u.percent = qMin(next, 100);
        }
    } else {
        // A device that left the bus took only part of the image, whatever
        // the run had reported.
        const bool ok = u.failAt < 0 && !u.lost;
        packet[1] = HIDUSB_UPGRADE_RESULT;
        packet[2] = ok ? 1 : 0;
        Device* d = deviceById(b, u.deviceId);
        if (d) {
            // What was written of a failed run is no firmware: the device
            // waits in boot mode until a run succeeds. Into boot mode or out
            // of it, the device comes onto the bus anew once the result is
            // out.
            if (ok)
                d->version = u.imageVersion;
            bootChanged = d->bootMode == ok;
            d->bootMode = !ok;
        }
        markStateChanged(b);
        const auto versionText = [](int v) {
            return QStringLiteral("%1.%2").arg(v >> 8).arg(v & 0xff, 2, 16, QLatin1Char('0'));
        };
        const QString result = ok       ? QStringLiteral("result: success")
                               : u.lost ? QStringLiteral("result: the device left the bus")
                                        : QStringLiteral("result: failed while writing");
        setUpgradeLog(b, {QStringLiteral("device: ") + u.deviceId,
                          QStringLiteral("image: %1, %2 bytes").arg(u.imageName).arg(u.imageLength),
                          QStringLiteral("version before: ") + versionText(u.fromVersion),
                          QStringLiteral("image version: ") + versionText(u.imageVersion),
                          QStringLiteral("written: %1 %").arg(ok ? 100 : u.lost ? qMax(0, u.reported) : u.failAt),
                          result,
                          ok ? QStringLiteral("boot mode: left")
                             : QStringLiteral("boot mode: the device waits for firmware")});
        u.active = false;
    }
    u.dueMs = now + b.upgradeStepMs;
    const HidUsbUpgradeCallback callback = u.callback;
    if (callback && !b.appGone) {
        b.delivering = true;
        lock.unlock();
        callback(packet, int(sizeof packet));
        lock.lock();
        b.delivering = false;
    }
    if (bootChanged)
        notifyChanged(b);
}

// The receiver's answer to a pairing request: an awake mouse of its model and
// CID that is paired with no one pairs with it (its own mouse pairs again
// when there is no other).
void finishPairing(Bus& b)
{
    const PairRun run = b.pairing;
    b.pairing.active = false;
    if (run.generation != b.generation || !b.open || b.pairingResult == 0)
        return;
    Device* rx = deviceById(b, run.receiverId);
    if (!rx || !rx->plugged || rx->offline || rx->bootMode)
        return;
    char status = 2;
    if (b.pairingResult == 3) {
        Device* chosen = nullptr;
        for (Device& m : b.devices) {
            const bool fits = !m.receiver && m.cid == run.cid && m.mid == rx->mid && !m.offline && !m.bootMode
                              && m.awake;
            if (!fits)
                continue;
            if (m.pairedWith.isEmpty() || !deviceById(b, m.pairedWith)) {
                chosen = &m;
                break;
            }
            if (m.pairedWith == rx->id)
                chosen = &m;
        }
        if (chosen) {
            pairDevices(b, *rx, *chosen);
            status = 3;
        }
    }
    sendFromReceiver(b, *rx, HIDUSB_REPORT_PAIR_STATUS, QByteArray(1, status));
}

void runThread(Bus* b)
{
    std::unique_lock<std::mutex> lock(b->mutex);
    for (;;) {
        const std::int64_t now = nowMs();
        if (b->stateDirty && now >= b->stateDueMs) {
            writeState(*b, lock);
            continue;
        }
        if (upgradeStepping(*b) && b->upgrade.dueMs <= now) {
            stepUpgrade(*b, lock, now);
            continue;
        }
        if (b->pairing.active && b->pairing.dueMs <= now) {
            finishPairing(*b);
            continue;
        }
        if (!b->queue.empty() && b->queue.front().dueMs <= now) {
            const Report report = b->queue.front();
            b->queue.pop_front();
            if (report.generation != b->generation || !b->open || !b->dataCallback || b->appGone)
                continue;
            const HidUsbDataCallback callback = b->dataCallback;
            b->delivering = true;
            lock.unlock();
            callback(reinterpret_cast<const unsigned char*>(report.header.constData()), report.header.size(),
                     reinterpret_cast<const unsigned char*>(report.data.constData()), report.data.size());
            lock.lock();
            b->delivering = false;
            continue;
        }
        if (isIdle(*b))
            b->idle.notify_all();
        std::int64_t due = b->queue.empty() ? -1 : b->queue.front().dueMs;
        const auto sooner = [&due](std::int64_t t) {
            if (due < 0 || t < due)
                due = t;
        };
        if (b->stateDirty)
            sooner(b->stateDueMs);
        if (upgradeStepping(*b))
            sooner(b->upgrade.dueMs);
        if (b->pairing.active)
            sooner(b->pairing.dueMs);
        if (due < 0)
            b->wake.wait(lock);
        else
            b->wake.wait_for(lock, std::chrono::milliseconds(qMax<std::int64_t>(1, due - now)));
    }
}

} // namespace

void startThread(Bus& b)
{
    if (!b.thread.joinable()) {
        b.thread = std::thread(runThread, &b);
        b.threadId = b.thread.get_id();
    }
    b.wake.notify_one();
}

namespace {

void enqueue(Bus& b, int kind, int subKind, const QByteArray& data)
{
    Report r;
    r.generation = b.generation;
    r.header = QByteArray(HIDUSB_HEADER_SIZE, '\0');
    r.header[0] = char(0xA1);
    r.header[1] = char(kind);
    r.header[2] = char(++b.reportSequence);
    r.header[3] = 0;
    r.header[4] = char(subKind);
    r.data = data;
    r.dueMs = nowMs() + b.latencyMs;
    b.queue.push_back(r);
    startThread(b);
}

QByteArray fullImage(const Device& mouse)
{
    QByteArray img(HIDUSB_IMAGE_SIZE, '\0');
    image::pack(reinterpret_cast<const unsigned char*>(mouse.profiles[mouse.profile].constData()),
                reinterpret_cast<unsigned char*>(img.data()));
    return img;
}

bool isRead(Request r)
{
    return r != Request::ClearSetting && r != Request::SetCurrentConfig && r != Request::BatteryOptimize;
}

// `at` is the device the connection is open on: the receiver, or the mouse
// on its cable.
void perform(Bus& b, const Device& at, Device& mouse, Request r, int argument)
{
    const QByteArray& record = mouse.profiles[mouse.profile];
    switch (r) {
    case Request::ReadAllFlashData:
        enqueue(b, HIDUSB_REPORT_PARAMETER, HIDUSB_PARAM_CONFIG, fullImage(mouse));
        break;
    case Request::ReadBatteryLevel:
        enqueue(b, HIDUSB_REPORT_BATTERY, 0, image::batteryPayload(mouse.battery, mouse.charging));
        break;
    case Request::ReadConfig:
        enqueue(b, HIDUSB_REPORT_PROFILE, 0, QByteArray(1, char(mouse.profile)));
        // A 4 kHz receiver adds its LED state to the answers that follow the
        // record, as it does whenever that state changes.
        if (at.receiver && at.deviceType == kFourKhzReceiverType)
            enqueue(b, HIDUSB_REPORT_RECEIVER_LED, 0, at.led);
        break;
    case Request::ReadCurrentDpi:
        enqueue(b, HIDUSB_REPORT_PARAMETER, HIDUSB_PARAM_CURRENT_DPI, record.mid(image::kCurrentDpiStage, 1));
        break;
    case Request::ReadDpiLed:
        enqueue(b, HIDUSB_REPORT_PARAMETER, HIDUSB_PARAM_DPI_LED, image::dpiLedPayload(record));
        break;
    case Request::ReadLedBar:
        enqueue(b, HIDUSB_REPORT_PARAMETER, HIDUSB_PARAM_LED_BAR, image::ledBarPayload(record));
        break;
    case Request::ReadReportRate:
        enqueue(b, HIDUSB_REPORT_PARAMETER, HIDUSB_PARAM_CONFIG, record.mid(image::kReportRate, 1));
        break;
    case Request::ReadVersion: {
        QByteArray v(2, '\0');
        v[0] = char(mouse.version & 0xff);
        v[1] = char((mouse.version >> 8) & 0xff);
        enqueue(b, HIDUSB_REPORT_VERSION, 0, v);
        break;
    }
    case Request::ClearSetting:
        resetMouse(mouse);
        markStateChanged(b);
        enqueue(b, HIDUSB_REPORT_AFTER_RESET, 0, QByteArray(1, '\0'));
        break;
    case Request::SetCurrentConfig:
        if (argument < 0 || argument >= image::kProfiles)
            return;
        mouse.profile = argument;
        markStateChanged(b);
        enqueue(b, HIDUSB_REPORT_PARAMETER, HIDUSB_PARAM_CONFIG, fullImage(mouse));
        break;
    case Request::BatteryOptimize:
        mouse.batteryOptimize = argument != 0;
        break;
    }
}

// The device the connection's path names and the mouse behind it, when both
// are there and the mouse can answer at all (it may still be asleep).
Device* openMouse(Bus& b, Device** at)
{
    if (!b.open)
        return nullptr;
    *at = deviceByPath(b, b.openPath.constData());
    if (!*at || (*at)->offline)
        return nullptr;
    Device* mouse = mouseBehind(b, **at);
    if (!mouse || mouse->offline)
        return nullptr;
    return mouse;
}

} // namespace

QString Device::path() const
{
    return plugged ? QString::fromLatin1(kPathPrefix) + id : QString();
}

namespace {

Bus& busInstance()
{
    static Bus* const b = [] {
        auto* created = new Bus;
        buildBus(*created);
        qAddPostRoutine(postRoutine);
        return created;
    }();
    return *b;
}

} // namespace

Bus& bus()
{
    Bus& b = busInstance();
    if (!b.serverRequested.load(std::memory_order_relaxed))
        requestControlServer(b);
    return b;
}

void resetMouse(Device& mouse)
{
    mouse.profiles.clear();
    for (int p = 0; p < image::kProfiles; ++p)
        mouse.profiles.append(image::factoryRecord(p, mouse.model));
    mouse.profile = 0;
}

void loadDefaultBus(Bus& b)
{
    b.devices.clear();
    const unsigned char rid[3] = {0x5A, 0x31, 0x07};
    // The Q7 Pro's receiver and mouse run the firmware of the installation's
    // images: the update needs the mouse on its cable, which this bus never
    // has, so it offers none (scenarios/update.json is the bus to try it on).
    Device rx = makeReceiver(QStringLiteral("rx4k"), QStringLiteral("Q7 Pro"), 17, 4, 0x0104, rid);
    Device q7 = makeMouse(QStringLiteral("q7"), QStringLiteral("Q7 Pro"), 17, 0x5110, 0x0105);
    q7.battery = 80;
    std::memcpy(q7.receiverId, rid, 3);
    rx.pairedWith = q7.id;
    q7.pairedWith = rx.id;
    Device q3 = makeMouse(QStringLiteral("q3"), QStringLiteral("Q3"), 18, 0x5120, 0x0101);
    q3.plugged = true;
    b.devices << rx << q7 << q3;
}

Device* deviceById(Bus& b, const QString& id)
{
    for (Device& d : b.devices) {
        if (d.id == id)
            return &d;
    }
    return nullptr;
}

Device* deviceByPath(Bus& b, const char* path)
{
    if (!path)
        return nullptr;
    const size_t prefix = std::strlen(kPathPrefix);
    if (std::strncmp(path, kPathPrefix, prefix) != 0)
        return nullptr;
    Device* d = deviceById(b, QString::fromLatin1(path + prefix));
    // A device in boot mode answers under no normal path.
    return d && d->plugged && !d->bootMode ? d : nullptr;
}

void unpair(Bus& b, Device& d)
{
    if (d.pairedWith.isEmpty())
        return;
    Device* partner = deviceById(b, d.pairedWith);
    if (partner && partner->pairedWith == d.id)
        partner->pairedWith.clear();
    d.pairedWith.clear();
    markStateChanged(b);
}

void pairDevices(Bus& b, Device& receiver, Device& mouse)
{
    if (receiver.pairedWith != mouse.id) {
        unpair(b, receiver);
        unpair(b, mouse);
    }
    receiver.pairedWith = mouse.id;
    mouse.pairedWith = receiver.id;
    std::memcpy(mouse.receiverId, receiver.receiverId, 3);
    markStateChanged(b);
}

void setBootMode(Bus& b, Device& d, bool on)
{
    if (d.bootMode == on)
        return;
    d.bootMode = on;
    markStateChanged(b);
    notifyChanged(b);
}

void startUpgrade(Bus& b, const UpgradeRun& run)
{
    b.upgrade = run;
    b.upgrade.active = true;
    b.upgrade.reportingResult = false;
    b.upgrade.percent = 0;
    b.upgrade.failAt = b.upgradeFailAt;
    b.upgrade.silent = b.upgradeSilent;
    b.upgrade.dueMs = nowMs() + b.upgradeStepMs;
    setUpgradeLog(b, {QStringLiteral("device: ") + run.deviceId,
                      QStringLiteral("image: %1, %2 bytes").arg(run.imageName).arg(run.imageLength),
                      QStringLiteral("result: running")});
    if (b.upgrade.silent) {
        // The device took the erase and then hung: it waits in boot mode, and
        // the run never reports.
        if (Device* d = deviceById(b, run.deviceId)) {
            d->bootMode = true;
            markStateChanged(b);
        }
        return;
    }
    startThread(b);
}

void checkUpgradeReach(Bus& b)
{
    UpgradeRun& u = b.upgrade;
    if (!u.active || u.lost)
        return;
    const Device* d = deviceById(b, u.deviceId);
    const Device* rx = u.viaReceiverId.isEmpty() ? nullptr : deviceById(b, u.viaReceiverId);
    const bool reached = d && (u.viaReceiverId.isEmpty() ? d->plugged : rx && rx->plugged);
    if (reached)
        return;
    u.lost = true;
    u.dueMs = nowMs();
    startThread(b);
}

void startPairing(Bus& b, Device& receiver, int cid)
{
    b.pairing.active = true;
    b.pairing.receiverId = receiver.id;
    b.pairing.cid = cid;
    b.pairing.generation = b.generation;
    b.pairing.dueMs = nowMs() + b.pairingMs;
    startThread(b);
}

void setUpgradeLog(Bus& b, const QStringList& lines)
{
    b.upgradeLog.clear();
    for (int i = 0; i < HIDUSB_UPGRADE_LOG_LINES; ++i)
        b.upgradeLog.append(lines.value(i).toLocal8Bit());
}


Device* pairedMouse(Bus& b, const Device& receiver)
{
    Device* m = deviceById(b, receiver.pairedWith);
    return m && !m->receiver && m->pairedWith == receiver.id ? m : nullptr;
}

Device* mouseBehind(Bus& b, Device& atPath)
{
    return atPath.receiver ? pairedMouse(b, atPath) : &atPath;
}

bool answersThrough(Bus& b, Device& atPath, const Device& mouse)
{
    if (!atPath.plugged || atPath.offline || atPath.bootMode || mouse.offline || mouse.bootMode || !mouse.awake)
        return false;
    if (!atPath.receiver)
        return &atPath == &mouse;
    // A mouse on its cable talks over the cable, not through the receiver.
    return pairedMouse(b, atPath) == &mouse && !mouse.plugged;
}

DeviceStatus statusOf(Bus& b, const Device& d)
{
    DeviceStatus s;
    s.id = d.id;
    s.path = d.path();
    s.kind = d.receiver ? QStringLiteral("receiver") : QStringLiteral("mouse");
    s.model = d.model;
    s.cid = d.cid;
    s.mid = d.mid;
    s.deviceType = d.deviceType;
    s.productId = d.productId;
    s.plugged = d.plugged;
    s.awake = d.awake;
    s.battery = d.battery;
    s.charging = d.charging;
    s.version = d.version;
    s.pairedWith = d.pairedWith;
    s.profile = d.profile;
    s.bootMode = d.bootMode;
    s.receiverId = QByteArray(reinterpret_cast<const char*>(d.receiverId), 3);
    Device& self = const_cast<Device&>(d);
    if (d.receiver) {
        Device* m = pairedMouse(b, self);
        s.online = m && answersThrough(b, self, *m);
    } else if (d.plugged) {
        s.online = answersThrough(b, self, d);
    } else {
        Device* rx = deviceById(b, d.pairedWith);
        s.online = rx && rx->receiver && answersThrough(b, *rx, d);
    }
    return s;
}

void markStateChanged(Bus& b)
{
    if (!b.stateDirty) {
        b.stateDirty = true;
        b.stateDueMs = nowMs() + 100;
    }
    startThread(b);
}

void logCall(Bus& b, const char* name, const QStringList& args)
{
    if (!b.logKept)
        return;
    if (b.calls.size() >= kMaxCalls)
        b.calls.remove(0, kMaxCalls / 2);
    b.calls.append(Call{QString::fromLatin1(name), args});
}

int parseHexWord(const QByteArray& text)
{
    QByteArray t = text.trimmed();
    if (t.startsWith("0x") || t.startsWith("0X"))
        t = t.mid(2);
    bool ok = false;
    const uint v = t.toUInt(&ok, 16);
    return ok && v <= 0xffff ? int(v) : -1;
}

void logRecord(Bus& b, const QByteArray& record)
{
    if (!b.logKept)
        return;
    if (b.records.size() >= kMaxRecords)
        b.records.remove(0, kMaxRecords / 2);
    b.records.append(record);
}

QString pathArg(const char* path)
{
    return path ? QString::fromLocal8Bit(path) : QStringLiteral("(null)");
}

QString bytesArg(const unsigned char* bytes, int length)
{
    if (!bytes)
        return QStringLiteral("(null)");
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(bytes), length).toHex(' '));
}

void endConnection(Bus& b)
{
    b.open = false;
    b.openPath.clear();
    b.dataCallback = nullptr;
    ++b.generation;
    b.held.clear();
    b.queue.clear();
    b.pairing.active = false;
}

void request(Bus& b, Request r, int argument)
{
    if (b.readsUnanswered && isRead(r))
        return;
    Device* at = nullptr;
    Device* mouse = openMouse(b, &at);
    if (!mouse)
        return;
    if (!answersThrough(b, *at, *mouse)) {
        // The receiver keeps the request until its mouse wakes.
        b.held.append(PendingRequest{r, argument});
        return;
    }
    perform(b, *at, *mouse, r, argument);
}

void releaseHeld(Bus& b)
{
    Device* at = nullptr;
    Device* mouse = openMouse(b, &at);
    if (!mouse || !answersThrough(b, *at, *mouse))
        return;
    const QVector<PendingRequest> held = b.held;
    b.held.clear();
    for (const PendingRequest& p : held)
        perform(b, *at, *mouse, p.request, p.argument);
}

bool sendFromMouse(Bus& b, const Device& mouse, int kind, int subKind, const QByteArray& data)
{
    Device* at = nullptr;
    Device* open = openMouse(b, &at);
    if (open != &mouse || !answersThrough(b, *at, mouse))
        return false;
    enqueue(b, kind, subKind, data);
    return true;
}

bool sendFromReceiver(Bus& b, const Device& receiver, int kind, const QByteArray& data)
{
    if (!b.open || deviceByPath(b, b.openPath.constData()) != &receiver)
        return false;
    enqueue(b, kind, 0, data);
    return true;
}

bool isIdle(Bus& b)
{
    return b.queue.empty() && !b.delivering && b.changedPending == 0 && !b.pairing.active
           && !upgradeStepping(b);
}

void notifyChanged(Bus& b)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || b.appGone)
        return;
    const std::uint64_t generation = b.changedGeneration;
    ++b.changedPending;
    QMetaObject::invokeMethod(app, [generation] { deliverChanged(generation); }, Qt::QueuedConnection);
}

} // namespace detail
} // namespace hidsim
