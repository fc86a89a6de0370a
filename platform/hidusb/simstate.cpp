// Where the bus comes from: the scenario file and the saved device state.
#include "platform/hidusb/flashimage.h"
#include "platform/hidusb/simbus.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSet>
#include <QStandardPaths>
#include <QtEndian>

#include <cmath>
#include <cstring>

namespace hidsim {
namespace detail {

namespace {

const QByteArray kStateMagic("QSIM-STATE");
// Format 2 adds boot mode and pairing; a format 1 file is still read.
constexpr quint32 kStateFormat = 2;
constexpr quint32 kStateFormatFirst = 1;
// A device's model text, in a scenario and so in the state file.
constexpr quint32 kScenarioModelMax = 64;
// A scenario is a short hand-written file.
constexpr qint64 kScenarioFileMax = 1024 * 1024;

// The whole of an open file when it holds at most `limit` bytes. Read in
// small pieces, so neither a huge file nor the limit itself is allocated.
bool readAtMost(QFile& file, qint64 limit, QByteArray* out)
{
    QByteArray bytes;
    while (bytes.size() <= limit) {
        const QByteArray piece = file.read(qMin<qint64>(64 * 1024, limit + 1 - bytes.size()));
        if (piece.isEmpty())
            break;
        bytes += piece;
    }
    if (bytes.size() > limit)
        return false;
    *out = bytes;
    return true;
}

} // namespace

QString stateFilePathFromEnvironment()
{
    const QString named = qEnvironmentVariable("QUEMBREL_SIM_STATE");
    if (!named.isEmpty())
        return named;
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return data.isEmpty() ? QString() : data + QStringLiteral("/quembrel-sim/devices.state");
}

namespace {

// ---- Saved device state ----------------------------------------------------

QByteArray serializeState(const Bus& b)
{
    QByteArray payload;
    QDataStream out(&payload, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_5_15);
    out << quint32(b.devices.size());
    for (const Device& d : b.devices)
        out << d.id << d.model << d.receiver << qint32(d.version) << qint32(d.profile) << d.profiles << d.led
            << d.longRange << d.bootMode << d.pairedWith
            << QByteArray(reinterpret_cast<const char*>(d.receiverId), 3);

    QByteArray file;
    QDataStream f(&file, QIODevice::WriteOnly);
    f.setVersion(QDataStream::Qt_5_15);
    f << kStateMagic << kStateFormat << payload << qChecksum(payload.constData(), payload.size());
    return file;
}

struct Saved
{
    QString model;
    bool receiver = false;
    qint32 version = 0;
    qint32 profile = 0;
    QVector<QByteArray> profiles;
    QByteArray led;
    bool longRange = false;
    bool bootMode = false;
    QString pairedWith;
    QByteArray receiverId;
    bool pairingKept = false;  // format 2: pairing and receiver id were saved
};

// What a state file can hold at most. Every length and count in it is held to
// these before anything is allocated for it: a damaged file must not make the
// program ask for gigabytes.
constexpr qint64 kStateFileMax = 64 * 1024 * 1024;
constexpr quint32 kSavedIdMax = 32;  // characters, as a scenario allows
// The smallest saved device: two empty texts, a flag, two numbers, a profile
// count, an empty LED block and a flag.
constexpr quint32 kSavedDeviceMin = 4 + 4 + 1 + 4 + 4 + 4 + 4 + 1;

// Whether the next length-prefixed block of `s` (a QByteArray or a QString)
// is null or at most `maxBytes` long and still in the stream. Looks only.
bool nextBlockFits(QDataStream& s, quint32 maxBytes)
{
    uchar prefix[4];
    if (s.status() != QDataStream::Ok || s.device()->peek(reinterpret_cast<char*>(prefix), 4) != 4)
        return false;
    const quint32 length = qFromBigEndian<quint32>(prefix);
    return length == 0xffffffffu || (length <= maxBytes && length <= s.device()->bytesAvailable() - 4);
}

// One saved device; false at the first length or count out of bounds, or at
// the payload's end.
bool readSaved(QDataStream& p, quint32 format, QString* id, Saved* s)
{
    if (!nextBlockFits(p, 2 * kSavedIdMax))
        return false;
    p >> *id;
    if (!nextBlockFits(p, 2 * kScenarioModelMax))
        return false;
    quint32 profiles = 0;
    p >> s->model >> s->receiver >> s->version >> s->profile >> profiles;
    if (p.status() != QDataStream::Ok || profiles > quint32(image::kProfiles))
        return false;
    for (quint32 i = 0; i < profiles; ++i) {
        if (!nextBlockFits(p, HIDUSB_RECORD_SIZE))
            return false;
        QByteArray record;
        p >> record;
        s->profiles.append(record);
    }
    if (!nextBlockFits(p, HIDUSB_DONGLE_RGB_SIZE))
        return false;
    p >> s->led >> s->longRange;
    if (format >= 2) {
        p >> s->bootMode;
        if (!nextBlockFits(p, 2 * kSavedIdMax))
            return false;
        p >> s->pairedWith;
        if (!nextBlockFits(p, 3))
            return false;
        p >> s->receiverId;
        if (s->receiverId.size() != 3)
            return false;
        s->pairingKept = true;
    }
    return p.status() == QDataStream::Ok;
}

// Reads the state file. A missing file is no error (nothing saved yet).
bool readState(const QString& path, QHash<QString, Saved>* out, QString* error)
{
    QFile file(path);
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return false;
    }
    QByteArray bytes;
    if (!readAtMost(file, kStateFileMax, &bytes)) {
        *error = QStringLiteral("larger than %1 bytes").arg(kStateFileMax);
        return false;
    }
    QDataStream in(bytes);
    in.setVersion(QDataStream::Qt_5_15);
    QByteArray magic;
    quint32 format = 0;
    QByteArray payload;
    quint16 checksum = 0;
    in >> magic >> format >> payload >> checksum;
    if (in.status() != QDataStream::Ok || magic != kStateMagic || format < kStateFormatFirst || format > kStateFormat
        || !in.atEnd()
        || checksum != qChecksum(payload.constData(), payload.size())) {
        *error = QStringLiteral("not a state file, or truncated");
        return false;
    }
    QDataStream p(payload);
    p.setVersion(QDataStream::Qt_5_15);
    quint32 count = 0;
    p >> count;
    if (p.status() != QDataStream::Ok || count > quint32(payload.size()) / kSavedDeviceMin) {
        *error = QStringLiteral("truncated device list");
        return false;
    }
    for (quint32 i = 0; i < count; ++i) {
        QString id;
        Saved s;
        if (!readSaved(p, format, &id, &s)) {
            *error = QStringLiteral("saved device %1 is damaged or out of bounds").arg(i + 1);
            return false;
        }
        const bool mouseOk = s.profile >= 0 && s.profile < image::kProfiles && s.profiles.size() == image::kProfiles;
        const bool receiverOk = s.led.size() == HIDUSB_DONGLE_RGB_SIZE && s.led.at(0) >= 1 && s.led.at(0) <= 3;
        if (s.receiver ? !receiverOk : !mouseOk) {
            *error = QStringLiteral("device %1 is out of bounds").arg(id);
            return false;
        }
        for (QByteArray& record : s.profiles) {
            record = image::canonical(record);
            if (record.isEmpty()) {
                *error = QStringLiteral("device %1 holds a record it cannot take").arg(id);
                return false;
            }
        }
        out->insert(id, s);
    }
    if (!p.atEnd()) {
        *error = QStringLiteral("trailing bytes after the device list");
        return false;
    }
    return true;
}

void applyState(Bus& b)
{
    if (b.statePath.isEmpty())
        return;
    QHash<QString, Saved> saved;
    QString error;
    if (!readState(b.statePath, &saved, &error)) {
        qWarning("hidsim: state file %s is unusable (%s); the devices start with factory settings",
                 qPrintable(QDir::toNativeSeparators(b.statePath)), qPrintable(error));
        return;
    }
    const QVector<Device> scenario = b.devices;
    for (Device& d : b.devices) {
        const auto it = saved.constFind(d.id);
        // The same id in another scenario may be another device.
        if (it == saved.constEnd() || it->model != d.model || it->receiver != d.receiver)
            continue;
        d.version = it->version;
        d.bootMode = it->bootMode;
        if (it->pairingKept) {
            d.pairedWith = it->pairedWith;
            std::memcpy(d.receiverId, it->receiverId.constData(), 3);
        }
        if (d.receiver) {
            d.led = it->led;
            d.longRange = it->longRange;
        } else {
            d.profile = it->profile;
            d.profiles = it->profiles;
        }
    }
    // Saved pairings hold only when both sides agree; else the scenario's.
    for (const Device& d : b.devices) {
        if (d.pairedWith.isEmpty())
            continue;
        const Device* other = nullptr;
        for (const Device& o : b.devices) {
            if (o.id == d.pairedWith)
                other = &o;
        }
        if (!other || other->receiver == d.receiver || other->pairedWith != d.id) {
            for (int i = 0; i < b.devices.size(); ++i) {
                b.devices[i].pairedWith = scenario[i].pairedWith;
                std::memcpy(b.devices[i].receiverId, scenario[i].receiverId, 3);
            }
            break;
        }
    }
    // A mouse answers the receiver id it holds: a pair whose ids differ is no
    // pairing, whatever the two names say.
    QStringList unpaired;
    for (Device& mouse : b.devices) {
        if (mouse.receiver || mouse.pairedWith.isEmpty())
            continue;
        Device* rx = deviceById(b, mouse.pairedWith);
        if (!rx || std::memcmp(rx->receiverId, mouse.receiverId, 3) == 0)
            continue;
        unpaired << mouse.id + QLatin1Char('/') + rx->id;
        rx->pairedWith.clear();
        mouse.pairedWith.clear();
    }
    if (!unpaired.isEmpty())
        qWarning("hidsim: state file %s pairs %s with differing receiver ids; they start unpaired",
                 qPrintable(QDir::toNativeSeparators(b.statePath)), qPrintable(unpaired.join(QStringLiteral(", "))));
}

// ---- Scenario files ----------------------------------------------------------

struct Model
{
    const char* name;
    int mid;
    int cableProductId;
};
const Model kModels[] = {{"Q7 Pro", 17, 0x5110}, {"Q3", 18, 0x5120}};

// A JSON number that is a whole number from low to high. The range is checked
// on the double itself: converting one outside int's range is undefined.
bool boundedInt(const QJsonValue& v, int low, int high, int* out)
{
    if (!v.isDouble())
        return false;
    const double d = v.toDouble();
    if (!(d >= low && d <= high) || d != std::floor(d))
        return false;
    *out = int(d);
    return true;
}

// Reads the keys of one scenario device object, each checked for its type and
// range; the first problem ends the reading.
class DeviceReader
{
public:
    DeviceReader(const QJsonObject& o, const QString& where) : m_o(o), m_where(where) {}

    QString error() const { return m_error; }
    bool has(const char* key) const { return m_o.contains(QLatin1String(key)); }

    QString text(const char* key, const QString& fallback)
    {
        const QJsonValue v = m_o.value(QLatin1String(key));
        if (v.isUndefined())
            return fallback;
        if (!v.isString())
            fail(key, "is not a text");
        return v.toString();
    }

    bool flag(const char* key, bool fallback)
    {
        const QJsonValue v = m_o.value(QLatin1String(key));
        if (v.isUndefined())
            return fallback;
        if (!v.isBool())
            fail(key, "is not true or false");
        return v.toBool();
    }

    // A whole number; also a hexadecimal text ("0x5110") when hex is set.
    int number(const char* key, int fallback, int low, int high, bool hex = false)
    {
        const QJsonValue v = m_o.value(QLatin1String(key));
        if (v.isUndefined())
            return fallback;
        int n = -1;
        bool ok = false;
        if (hex && v.isString()) {
            n = parseHexWord(v.toString().toLatin1());
            ok = n >= low && n <= high;
        } else {
            ok = boundedInt(v, low, high, &n);
        }
        if (!ok)
            fail(key, QStringLiteral("is not a whole number from %1 to %2").arg(low).arg(high).toLatin1());
        return n;
    }

    void allowOnly(const QStringList& keys)
    {
        for (const QString& k : m_o.keys()) {
            if (!keys.contains(k))
                setError(QStringLiteral("%1: unknown key \"%2\"").arg(m_where, k));
        }
    }

    void setError(const QString& e)
    {
        if (m_error.isEmpty())
            m_error = e;
    }

private:
    void fail(const char* key, const QByteArray& why)
    {
        setError(QStringLiteral("%1: \"%2\" %3").arg(m_where, QLatin1String(key), QString::fromLatin1(why)));
    }

    QJsonObject m_o;
    QString m_where;
    QString m_error;
};

bool readDevice(const QJsonObject& o, int index, Device* out, bool* pluggedGiven, QString* error)
{
    DeviceReader r(o, QStringLiteral("device %1").arg(index + 1));
    const QString id = r.text("id", QString());
    static const QRegularExpression idPattern(QStringLiteral("^[A-Za-z0-9_.-]{1,32}$"));
    if (r.error().isEmpty() && !idPattern.match(id).hasMatch())
        r.setError(QStringLiteral("device %1: \"id\" must be 1 to 32 letters, digits, '_', '.' or '-'").arg(index + 1));
    DeviceReader d(o, QStringLiteral("device %1").arg(id));
    const QString kind = d.text("kind", QString());
    const bool receiver = kind == QLatin1String("receiver");
    if (d.error().isEmpty() && !receiver && kind != QLatin1String("mouse"))
        d.setError(QStringLiteral("device %1: \"kind\" must be \"receiver\" or \"mouse\"").arg(id));

    QStringList keys = {"id", "kind", "model", "mid", "cid", "version", "plugged", "offline", "pairedWith", "bootMode"};
    keys += receiver ? QStringList{"rate", "receiverId", "ledMode", "longRange"}
                     : QStringList{"productId", "battery", "charging", "awake", "profile"};
    d.allowOnly(keys);

    const QString model = d.text("model", QStringLiteral("Q7 Pro"));
    if (model.size() > int(kScenarioModelMax))
        d.setError(QStringLiteral("device %1: \"model\" is longer than %2 characters").arg(id).arg(kScenarioModelMax));
    const Model* known = nullptr;
    for (const Model& m : kModels) {
        if (model == QLatin1String(m.name))
            known = &m;
    }
    if (!known && !d.has("mid"))
        d.setError(QStringLiteral("device %1: model \"%2\" is not in the catalogue; give its \"mid\"").arg(id, model));
    const int mid = d.number("mid", known ? known->mid : 0, 0, 255);
    const int version = d.number("version", 0x0100, 0, 0xffff, true);

    Device dev;
    if (receiver) {
        const int rate = d.number("rate", 4, 1, 8);
        unsigned char rid[3] = {0x5A, 0x31, static_cast<unsigned char>(0x07 + index)};
        const QString ridText = d.text("receiverId", QString());
        if (!ridText.isEmpty()) {
            const QByteArray bytes = QByteArray::fromHex(ridText.toLatin1());
            if (bytes.size() != 3 || bytes.toHex() != ridText.toLatin1().toLower().replace(" ", ""))
                d.setError(QStringLiteral("device %1: \"receiverId\" must be 3 hexadecimal bytes").arg(id));
            else
                std::memcpy(rid, bytes.constData(), 3);
        }
        dev = makeReceiver(id, model, mid, rate, version, rid);
        if (d.error().isEmpty() && dev.productId == 0)
            d.setError(QStringLiteral("device %1: \"rate\" must be 1, 2, 4 or 8").arg(id));
        dev.led[0] = char(d.number("ledMode", 1, 1, 3));
        dev.longRange = d.flag("longRange", false);
    } else {
        if (!known && !d.has("productId"))
            d.setError(QStringLiteral("device %1: model \"%2\" is not in the catalogue; give its \"productId\"").arg(id, model));
        const int pid = d.number("productId", known ? known->cableProductId : 0, 1, 0xffff, true);
        dev = makeMouse(id, model, mid, pid, version);
        dev.battery = d.number("battery", 100, 0, 100);
        dev.charging = d.flag("charging", false);
        dev.awake = d.flag("awake", true);
        dev.profile = d.number("profile", 0, 0, image::kProfiles - 1);
    }
    dev.cid = d.number("cid", kCustomerId, 0, 255);
    dev.plugged = d.flag("plugged", true);
    *pluggedGiven = d.has("plugged");
    dev.offline = d.flag("offline", false);
    dev.bootMode = d.flag("bootMode", false);
    dev.pairedWith = d.text("pairedWith", QString());

    *error = r.error().isEmpty() ? d.error() : r.error();
    *out = dev;
    return error->isEmpty();
}

} // namespace

bool loadScenario(Bus& b, const QString& file, QString* error)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) {
        *error = f.errorString();
        return false;
    }
    QByteArray text;
    if (!readAtMost(f, kScenarioFileMax, &text)) {
        *error = QStringLiteral("larger than %1 bytes").arg(kScenarioFileMax);
        return false;
    }
    QJsonParseError parse;
    const QJsonDocument doc = QJsonDocument::fromJson(text, &parse);
    if (parse.error != QJsonParseError::NoError) {
        *error = QStringLiteral("%1 at byte %2").arg(parse.errorString()).arg(parse.offset);
        return false;
    }
    const QJsonObject root = doc.object();
    for (const QString& k : root.keys()) {
        static const QStringList rootKeys = {"devices", "latencyMs", "readsUnanswered", "upgradeFailAt",
                                             "upgradeSilent", "pairing"};
        if (!rootKeys.contains(k)) {
            *error = QStringLiteral("unknown key \"%1\"").arg(k);
            return false;
        }
    }
    if (!doc.isObject() || !root.value(QLatin1String("devices")).isArray()) {
        *error = QStringLiteral("it needs an object with a \"devices\" list");
        return false;
    }
    const QJsonValue latency = root.value(QLatin1String("latencyMs"));
    const QJsonValue unanswered = root.value(QLatin1String("readsUnanswered"));
    int latencyMs = 0;
    if ((!latency.isUndefined() && !boundedInt(latency, 0, 60000, &latencyMs))
        || (!unanswered.isUndefined() && !unanswered.isBool())) {
        *error = QStringLiteral("\"latencyMs\" must be a whole number from 0 to 60000 and \"readsUnanswered\" true or false");
        return false;
    }
    const QJsonValue failAt = root.value(QLatin1String("upgradeFailAt"));
    const QJsonValue silent = root.value(QLatin1String("upgradeSilent"));
    int upgradeFailAt = -1;
    if ((!failAt.isUndefined() && !boundedInt(failAt, 0, 100, &upgradeFailAt))
        || (!silent.isUndefined() && !silent.isBool())) {
        *error = QStringLiteral("\"upgradeFailAt\" must be a whole number from 0 to 100 and \"upgradeSilent\" true or false");
        return false;
    }
    static const QHash<QString, int> pairingResults = {{"ok", 3}, {"fail", 2}, {"silent", 0}};
    const QJsonValue pairing = root.value(QLatin1String("pairing"));
    if (!pairing.isUndefined() && !pairingResults.contains(pairing.toString())) {
        *error = QStringLiteral("\"pairing\" must be \"ok\", \"fail\" or \"silent\"");
        return false;
    }

    QVector<Device> devices;
    QVector<bool> pluggedGiven;
    const QJsonArray list = root.value(QLatin1String("devices")).toArray();
    QSet<QString> ids;
    for (int i = 0; i < list.size(); ++i) {
        if (!list[i].isObject()) {
            *error = QStringLiteral("device %1 is not an object").arg(i + 1);
            return false;
        }
        Device d;
        bool given = false;
        if (!readDevice(list[i].toObject(), i, &d, &given, error))
            return false;
        if (ids.contains(d.id)) {
            *error = QStringLiteral("device id %1 is used twice").arg(d.id);
            return false;
        }
        ids.insert(d.id);
        devices.append(d);
        pluggedGiven.append(given);
    }

    // Pairing is mutual: naming it on either side is enough.
    for (Device& d : devices) {
        if (d.pairedWith.isEmpty())
            continue;
        Device* other = nullptr;
        for (Device& o : devices) {
            if (o.id == d.pairedWith)
                other = &o;
        }
        if (!other || other->receiver == d.receiver || (!other->pairedWith.isEmpty() && other->pairedWith != d.id)) {
            *error = QStringLiteral("device %1 cannot be paired with \"%2\" (a %3 that is not paired elsewhere is needed)")
                         .arg(d.id, d.pairedWith, d.receiver ? QStringLiteral("mouse") : QStringLiteral("receiver"));
            return false;
        }
        other->pairedWith = d.id;
    }
    for (int i = 0; i < devices.size(); ++i) {
        Device& d = devices[i];
        if (d.receiver || d.pairedWith.isEmpty())
            continue;
        for (const Device& rx : devices) {
            if (rx.id == d.pairedWith)
                std::memcpy(d.receiverId, rx.receiverId, 3);
        }
        // A paired mouse is on its receiver, not its cable, unless told.
        if (!pluggedGiven[i])
            d.plugged = false;
    }

    b.devices = devices;
    b.latencyMs = latencyMs;
    b.readsUnanswered = unanswered.toBool(false);
    b.upgradeFailAt = upgradeFailAt;
    b.upgradeSilent = silent.toBool(false);
    b.pairingResult = pairingResults.value(pairing.toString(QStringLiteral("ok")));
    return true;
}

bool loadScenarioOrDefault(Bus& b, const QString& file)
{
    QString error;
    if (loadScenario(b, file, &error))
        return true;
    qWarning("hidsim: scenario %s: %s; using the default bus", qPrintable(QDir::toNativeSeparators(file)),
             qPrintable(error));
    loadDefaultBus(b);
    return false;
}

void buildBus(Bus& b)
{
    b.statePath = stateFilePathFromEnvironment();
    const QString scenario = qEnvironmentVariable("QUEMBREL_SIM_SCENARIO");
    if (scenario.isEmpty())
        loadDefaultBus(b);
    else
        loadScenarioOrDefault(b, scenario);
    applyState(b);
}

void writeState(Bus& b, std::unique_lock<std::mutex>& lock)
{
    if (!b.stateDirty)
        return;
    b.stateDirty = false;
    if (b.statePath.isEmpty())
        return;
    const QByteArray bytes = serializeState(b);
    const QString path = b.statePath;
    const std::uint64_t sequence = ++b.stateSequence;
    lock.unlock();
    {
        std::lock_guard<std::mutex> writing(b.writeMutex);
        // A newer state may have been written (or the file removed) meanwhile.
        if (sequence > b.stateWritten) {
            b.stateWritten = sequence;
            QDir().mkpath(QFileInfo(path).absolutePath());
            QSaveFile file(path);
            if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
                qWarning("hidsim: cannot write the state file %s: %s", qPrintable(QDir::toNativeSeparators(path)),
                         qPrintable(file.errorString()));
        }
    }
    lock.lock();
}

void removeStateFile(Bus& b)
{
    b.stateDirty = false;
    const std::uint64_t sequence = ++b.stateSequence;
    std::lock_guard<std::mutex> writing(b.writeMutex);
    b.stateWritten = sequence;
    if (!b.statePath.isEmpty())
        QFile::remove(b.statePath);
}

} // namespace detail
} // namespace hidsim
