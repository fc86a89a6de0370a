#include "support/testsupport.h"

#include "platform/hidusb/hidusb.h"
#include "platform/hidusb/simcontrol.h"

#include <QProcess>

namespace {

const char* const kQ3 = "/dev/hidsim/q3";
const char* const kRx = "/dev/hidsim/rx4k";

struct Run
{
    int exitCode = -1;
    QString out;
    QString err;
};

// Runs the tool while this test program keeps serving its socket.
Run tool(const QStringList& args, const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment())
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(QCoreApplication::applicationDirPath() + "/quembrel-sim", args);
    Run r;
    if (!p.waitForStarted(30000))
        return r;
    QElapsedTimer t;
    t.start();
    while (p.state() != QProcess::NotRunning && t.elapsed() < 60000)
        QTest::qWait(5);
    r.exitCode = p.exitStatus() == QProcess::NormalExit && p.state() == QProcess::NotRunning ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

int g_changes = 0;
QVector<int> g_kinds;

void onChanged()
{
    ++g_changes;
}

void onData(const unsigned char* header, int, const unsigned char*, int)
{
    g_kinds << header[1];
}

} // namespace

class ControlToolTest : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        hidsim::resetToDefaultBus();
        g_changes = 0;
        g_kinds.clear();
    }

    void unplugIsSeenByTheProgram()
    {
        StartUsbChanged(onChanged, 600);
        QCOMPARE(UsbFinderC_GetDeviceOnLine(kQ3), 1);
        const Run r = tool({"unplug", "q3"});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(UsbFinderC_GetDeviceOnLine(kQ3), 0);
        QVERIFY(hidsim::waitForIdle());
        QCOMPARE(g_changes, 2);
        StopUsbChanged();
    }

    void dpiButtonSendsAStatusChange()
    {
        QVERIFY(UsbServerC_Start(kRx, kRx, onData));
        QCOMPARE(tool({"dpi", "q7"}).exitCode, 0);
        QVERIFY(hidsim::waitForIdle());
        QCOMPARE(g_kinds, QVector<int>{HIDUSB_REPORT_STATUS_CHANGE});
        UsbServer_Exit();
    }

    void sleepAndWakeChangeTheOnlineAnswer()
    {
        QCOMPARE(tool({"sleep", "q7"}).exitCode, 0);
        QCOMPARE(UsbFinderC_GetDeviceOnLine(kRx), 0);
        const Run list = tool({"list"});
        QCOMPARE(list.exitCode, 0);
        QVERIFY(list.out.contains(QRegularExpression("^q7 mouse .*awake=no online=no", QRegularExpression::MultilineOption)));
        QCOMPARE(tool({"wake", "q7"}).exitCode, 0);
        QCOMPARE(UsbFinderC_GetDeviceOnLine(kRx), 1);
    }

    void batteryAndFaults()
    {
        QCOMPARE(tool({"battery", "q7", "12", "charging"}).exitCode, 0);
        hidsim::DeviceStatus q7;
        QVERIFY(hidsim::device("q7", &q7));
        QCOMPARE(q7.battery, 12);
        QVERIFY(q7.charging);
        QCOMPARE(tool({"offline", "q3", "on"}).exitCode, 0);
        QCOMPARE(UsbFinderC_GetDeviceOnLine(kQ3), 0);
    }

    void bootModeAndPairing()
    {
        QCOMPARE(tool({"boot", "q7", "on"}).exitCode, 0);
        hidsim::DeviceStatus q7;
        QVERIFY(hidsim::device("q7", &q7));
        QVERIFY(q7.bootMode);
        QVERIFY(tool({"list"}).out.contains("boot=yes"));
        QCOMPARE(tool({"boot", "q7", "off"}).exitCode, 0);
        QCOMPARE(tool({"unpair", "q7"}).exitCode, 0);
        QVERIFY(hidsim::device("q7", &q7));
        QVERIFY(q7.pairedWith.isEmpty());
        for (const QStringList& args : {QStringList{"upgradefail", "50"}, QStringList{"upgradefail", "off"},
                                        QStringList{"upgradesilent", "on"}, QStringList{"pairing", "silent"},
                                        QStringList{"pairing", "ok"}})
            QCOMPARE(tool(args).exitCode, 0);
    }

    void clearErrors_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message");
        QTest::newRow("unknown device") << QStringList{"unplug", "q9"} << "unknown device \"q9\"";
        QTest::newRow("not a mouse") << QStringList{"sleep", "rx4k"} << "\"rx4k\" is not a mouse";
        QTest::newRow("unknown command") << QStringList{"fly", "q7"} << "commands:";
        QTest::newRow("bad battery") << QStringList{"battery", "q7", "200"} << "commands:";
        QTest::newRow("upgrade failure over 100") << QStringList{"upgradefail", "101"} << "commands:";
        QTest::newRow("unknown pairing answer") << QStringList{"pairing", "maybe"} << "commands:";
        QTest::newRow("boot of nobody") << QStringList{"boot", "q9", "on"} << "unknown device \"q9\"";
    }

    void clearErrors()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        const Run r = tool(args);
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
    }

    void noRunningProgram()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QUEMBREL_SIM_SOCKET", testsupport::homeDir() + "/nobody.socket");
        const Run r = tool({"list"}, env);
        QCOMPARE(r.exitCode, 2);
        QVERIFY2(r.err.contains("no running program"), qPrintable(r.err));
    }
};

QUEMBREL_TEST_MAIN(ControlToolTest)
#include "tst_controltool.moc"
