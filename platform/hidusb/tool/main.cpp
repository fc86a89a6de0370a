// quembrel-sim: acts on the simulated devices of a running Quembrel through
// the control socket its device library opens.
#include "platform/hidusb/simcontrol.h"

#include <QCoreApplication>
#include <QLocalSocket>
#include <QTextStream>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const QStringList args = app.arguments().mid(1);
    if (args.isEmpty() || args.first() == QLatin1String("--help") || args.first() == QLatin1String("-h")) {
        out << "usage: quembrel-sim COMMAND [ARGUMENTS]\n"
               "  list                          the devices and their state\n"
               "  plug ID | unplug ID           put a device on the USB bus or take it off\n"
               "  sleep ID | wake ID            the mouse falls asleep or wakes\n"
               "  battery ID PERCENT [charging] set the battery level\n"
               "  dpi ID                        press the DPI button on the mouse\n"
               "  reset ID                      factory settings\n"
               "  offline ID on|off             the device never answers\n"
               "  boot ID on|off                the device waits in boot mode, as a failed update leaves it\n"
               "  unpair ID                     the mouse or receiver forgets its partner\n"
               "  unanswered on|off             read requests get no answer\n"
               "  refuse on|off                 the mouse refuses every record sent to it\n"
               "  latency MS                    answers arrive this late\n"
               "  upgradefail PERCENT|off       firmware updates fail at this percentage\n"
               "  upgradesilent on|off          firmware updates never answer (the device stays in boot mode)\n"
               "  pairing ok|fail|silent        how the receiver answers a pairing request\n";
        return args.isEmpty() ? 2 : 0;
    }

    const QString name = hidsim::controlServerName();
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(2000)) {
        err << "quembrel-sim: no running program with simulated devices (nothing answers at " << name << ")\n";
        return 2;
    }
    socket.write(args.join(QLatin1Char(' ')).toUtf8() + '\n');
    socket.flush();

    QByteArray reply;
    while (socket.state() == QLocalSocket::ConnectedState && socket.waitForReadyRead(5000))
        reply += socket.readAll();
    reply += socket.readAll();

    const QStringList lines = QString::fromUtf8(reply).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    const QString last = lines.value(lines.size() - 1);
    for (int i = 0; i + 1 < lines.size(); ++i)
        out << lines[i] << '\n';
    if (last == QLatin1String("ok"))
        return 0;
    err << "quembrel-sim: " << (last.startsWith(QLatin1String("error: ")) ? last.mid(7) : QStringLiteral("no answer"))
        << '\n';
    return 1;
}
