// The control socket: the quembrel-sim tool acts on a running program's
// simulated bus through it. One command line in; reply lines out, the last
// one "ok" or "error: ..."; then the server closes the connection.
#include "platform/hidusb/simbus.h"
#include "platform/hidusb/simcontrol.h"

#include <QCoreApplication>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>

#include <unistd.h>

namespace hidsim {

namespace {

QString yesNo(bool b)
{
    return b ? QStringLiteral("yes") : QStringLiteral("no");
}

QString describe(const DeviceStatus& s)
{
    return QStringLiteral("%1 %2 model=\"%3\" pid=0x%4 type=%5 version=%6.%7 plugged=%8 awake=%9 online=%10 "
                          "battery=%11 charging=%12 profile=%13 paired=%14 boot=%15 path=%16")
        .arg(s.id, s.kind, s.model)
        .arg(s.productId, 4, 16, QLatin1Char('0'))
        .arg(s.deviceType)
        .arg(s.version >> 8)
        .arg(s.version & 0xff, 2, 16, QLatin1Char('0'))
        .arg(yesNo(s.plugged), yesNo(s.awake), yesNo(s.online))
        .arg(s.battery)
        .arg(yesNo(s.charging))
        .arg(s.profile)
        .arg(s.pairedWith.isEmpty() ? QStringLiteral("-") : s.pairedWith, yesNo(s.bootMode),
             s.path.isEmpty() ? QStringLiteral("-") : s.path);
}

bool onOff(const QString& word, bool* on)
{
    if (word == QLatin1String("on") || word == QLatin1String("yes")) {
        *on = true;
        return true;
    }
    if (word == QLatin1String("off") || word == QLatin1String("no")) {
        *on = false;
        return true;
    }
    return false;
}

const char kUsage[] =
    "commands: list | plug ID | unplug ID | sleep ID | wake ID | battery ID PERCENT [charging] | dpi ID | "
    "reset ID | offline ID on|off | boot ID on|off | unpair ID | unanswered on|off | refuse on|off | latency MS | "
    "upgradefail PERCENT|off | upgradesilent on|off | pairing ok|fail|silent";

// Runs one command; the reply lines end with "ok" or "error: ...".
QStringList execute(const QString& line)
{
    const QStringList w = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const QString cmd = w.value(0);
    const QString id = w.value(1);
    auto error = [](const QString& e) { return QStringList{QStringLiteral("error: ") + e}; };
    const QStringList ok{QStringLiteral("ok")};

    if (cmd == QLatin1String("list") && w.size() == 1) {
        QStringList out;
        for (const DeviceStatus& s : devices())
            out << describe(s);
        return out << ok;
    }
    if (cmd == QLatin1String("upgradefail") || cmd == QLatin1String("upgradesilent")
        || cmd == QLatin1String("pairing")) {
        const QString arg = w.value(1);
        bool on = false;
        bool number = false;
        const int percent = arg.toInt(&number);
        if (w.size() != 2)
            return error(QString::fromLatin1(kUsage));
        if (cmd == QLatin1String("upgradefail") && arg == QLatin1String("off"))
            setUpgradeFailAt(-1);
        else if (cmd == QLatin1String("upgradefail") && number && percent >= 0 && percent <= 100)
            setUpgradeFailAt(percent);
        else if (cmd == QLatin1String("upgradesilent") && onOff(arg, &on))
            setUpgradeSilent(on);
        else if (cmd == QLatin1String("pairing") && arg == QLatin1String("ok"))
            setPairingResult(3);
        else if (cmd == QLatin1String("pairing") && arg == QLatin1String("fail"))
            setPairingResult(2);
        else if (cmd == QLatin1String("pairing") && arg == QLatin1String("silent"))
            setPairingResult(0);
        else
            return error(QString::fromLatin1(kUsage));
        return ok;
    }
    if (cmd == QLatin1String("refuse")) {
        bool on = false;
        if (w.size() != 2 || !onOff(w[1], &on))
            return error(QString::fromLatin1(kUsage));
        setRecordsRefused(on);
        return ok;
    }
    if (cmd == QLatin1String("unanswered") || cmd == QLatin1String("latency")) {
        bool on = false;
        bool number = false;
        const int ms = w.value(1).toInt(&number);
        if (w.size() != 2 || (cmd == QLatin1String("unanswered") ? !onOff(w[1], &on) : !number || ms < 0))
            return error(QString::fromLatin1(kUsage));
        if (cmd == QLatin1String("unanswered"))
            setReadsUnanswered(on);
        else
            setReadLatencyMs(ms);
        return ok;
    }

    using Action = bool (*)(const QString&, const QStringList&);
    struct Command
    {
        const char* name;
        int words;        // with the command and the id
        bool mouseOnly;
        Action run;
    };
    static const Command commands[] = {
        {"plug", 2, false, [](const QString& d, const QStringList&) { return plug(d); }},
        {"unplug", 2, false, [](const QString& d, const QStringList&) { return unplug(d); }},
        {"sleep", 2, true, [](const QString& d, const QStringList&) { return setAwake(d, false); }},
        {"wake", 2, true, [](const QString& d, const QStringList&) { return setAwake(d, true); }},
        {"dpi", 2, true, [](const QString& d, const QStringList&) { return pressDpiButton(d); }},
        {"reset", 2, false, [](const QString& d, const QStringList&) { return factoryReset(d); }},
        {"offline", 3, false,
         [](const QString& d, const QStringList& a) {
             bool on = false;
             return onOff(a[2], &on) && setOffline(d, on);
         }},
        {"boot", 3, false,
         [](const QString& d, const QStringList& a) {
             bool on = false;
             return onOff(a[2], &on) && setBootMode(d, on);
         }},
        {"unpair", 2, false, [](const QString& d, const QStringList&) { return unpair(d); }},
        {"battery", 3, true,
         [](const QString& d, const QStringList& a) {
             bool number = false;
             const int percent = a[2].toInt(&number);
             const bool charging = a.value(3) == QLatin1String("charging");
             if (!number || percent < 0 || percent > 100 || (a.size() == 4 && !charging))
                 return false;
             return setBattery(d, percent, charging);
         }},
    };
    for (const Command& c : commands) {
        if (cmd != QLatin1String(c.name))
            continue;
        const bool optionalWord = cmd == QLatin1String("battery") && w.size() == c.words + 1;
        if (w.size() != c.words && !optionalWord)
            return error(QString::fromLatin1(kUsage));
        DeviceStatus s;
        if (!device(id, &s))
            return error(QStringLiteral("unknown device \"%1\"").arg(id));
        if (c.mouseOnly && s.kind != QLatin1String("mouse"))
            return error(QStringLiteral("\"%1\" is not a mouse").arg(id));
        if (!c.run(id, w))
            return error(QString::fromLatin1(kUsage));
        return ok;
    }
    return error(QString::fromLatin1(kUsage));
}

void serve(QLocalSocket* socket)
{
    while (socket->canReadLine()) {
        const QString line = QString::fromUtf8(socket->readLine()).trimmed();
        for (const QString& reply : execute(line))
            socket->write(reply.toUtf8() + '\n');
        socket->disconnectFromServer();
        return;
    }
}

void startServer()
{
    const QString name = controlServerName();
    // A socket left by a program that ended without closing it is removed; one
    // that answers belongs to another running copy and is left alone.
    QLocalSocket probe;
    probe.connectToServer(name);
    if (probe.waitForConnected(100)) {
        qWarning("hidsim: control socket %s is taken by another program", qPrintable(name));
        return;
    }
    QLocalServer::removeServer(name);
    auto* server = new QLocalServer(QCoreApplication::instance());
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(name)) {
        qWarning("hidsim: cannot open the control socket %s: %s", qPrintable(name), qPrintable(server->errorString()));
        delete server;
        return;
    }
    QObject::connect(server, &QLocalServer::newConnection, server, [server] {
        while (QLocalSocket* socket = server->nextPendingConnection()) {
            QObject::connect(socket, &QLocalSocket::readyRead, socket, [socket] { serve(socket); });
            QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            serve(socket);
        }
    });
}

} // namespace

QString controlServerName()
{
    const QString named = qEnvironmentVariable("QUEMBREL_SIM_SOCKET");
    if (!named.isEmpty())
        return named;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty())
        return runtime + QStringLiteral("/quembrel-sim.socket");
    return QDir::tempPath() + QStringLiteral("/quembrel-sim-%1.socket").arg(getuid());
}

namespace detail {

void requestControlServer(Bus& b)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || b.serverRequested.exchange(true))
        return;
    if (QThread::currentThread() == app->thread())
        startServer();
    else
        QMetaObject::invokeMethod(app, &startServer, Qt::QueuedConnection);
}

} // namespace detail
} // namespace hidsim
