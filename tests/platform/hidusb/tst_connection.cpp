#include "support/devicefixture.h"
#include "support/testsupport.h"

#include "platform/hidusb/flashimage.h"
#include "platform/hidusb/hidusb.h"
#include "platform/hidusb/simcontrol.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QMutex>
#include <QProcess>
#include <QThread>

#include <atomic>
#include <functional>

namespace image = hidsim::image;

namespace {

const char* const kQ3 = "/dev/hidsim/q3";
const char* const kRx = "/dev/hidsim/rx4k";

struct Seen
{
    int headerLength;
    int kind;
    int subKind;
    QByteArray data;
    bool onGuiThread;
};

QMutex g_mutex;
QVector<Seen> g_seen;
QStringList g_order;
std::atomic<int> g_depth{0};
std::atomic<int> g_maxDepth{0};
QThread* g_gui = nullptr;
// Runs inside the callback, after the report is recorded.
std::function<void(const Seen&)> g_hook;

void onData(const unsigned char* header, int headerLength, const unsigned char* data, int dataLength)
{
    const int depth = ++g_depth;
    int seenMax = g_maxDepth;
    while (depth > seenMax && !g_maxDepth.compare_exchange_weak(seenMax, depth)) {
    }
    const Seen s{headerLength, header[1], header[4], QByteArray(reinterpret_cast<const char*>(data), dataLength),
                 QThread::currentThread() == g_gui};
    const QString tag = QStringLiteral("%1/%2").arg(s.kind).arg(s.subKind);
    {
        QMutexLocker lock(&g_mutex);
        g_seen.append(s);
        g_order << "enter " + tag;
    }
    if (g_hook)
        g_hook(s);
    {
        QMutexLocker lock(&g_mutex);
        g_order << "leave " + tag;
    }
    --g_depth;
}

QVector<Seen> seen()
{
    QMutexLocker lock(&g_mutex);
    return g_seen;
}

QByteArray recordFromImage(const QByteArray& img)
{
    QByteArray rec(HIDUSB_RECORD_SIZE, '\0');
    if (!ProtocolDataParser(reinterpret_cast<const unsigned char*>(img.constData()), rec.data()))
        return QByteArray();
    return rec;
}

// The configuration the device hands out now.
QByteArray readRecord()
{
    const int before = seen().size();
    UsbServer_ReadAllFlashData();
    if (!hidsim::waitForIdle() || seen().size() != before + 1)
        return QByteArray();
    const Seen s = seen().last();
    return s.data.size() == HIDUSB_IMAGE_SIZE ? recordFromImage(s.data) : QByteArray();
}

// Blocks the library thread in a blocking-queued call to the GUI thread.
class Sink : public QObject
{
    Q_OBJECT
public:
    std::atomic<int> taken{0};
public slots:
    void take() { ++taken; }
};

Sink* g_sink = nullptr;
std::atomic<bool> g_entered{false};
std::atomic<bool> g_left{false};

void blockingData(const unsigned char*, int, const unsigned char*, int)
{
    g_entered = true;
    QMetaObject::invokeMethod(g_sink, "take", Qt::BlockingQueuedConnection);
    g_left = true;
}

// Opens q3 and asks for two reports; returns once the first one's callback
// waits for the GUI thread in `sink`.
bool blockTheLibraryThread(Sink* sink)
{
    g_sink = sink;
    g_entered = false;
    g_left = false;
    if (!UsbServerC_Start(kQ3, kQ3, blockingData))
        return false;
    UsbServer_ReadReportRate();
    UsbServer_ReadCurrentDPI();
    QElapsedTimer t;
    t.start();
    while (!g_entered && t.elapsed() < 30000)
        QThread::msleep(1);
    return g_entered;
}

} // namespace

class ConnectionTest : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        hidsim::resetToDefaultBus();
        QMutexLocker lock(&g_mutex);
        g_seen.clear();
        g_order.clear();
        g_maxDepth = 0;
        g_hook = nullptr;
        g_gui = QThread::currentThread();
    }

    void cleanup()
    {
        if (qEnvironmentVariableIsSet("HIDSIM_TEST_CHILD"))
            return; // leave the child's callback waiting
        UsbServer_Exit();
        QVERIFY(hidsim::waitForIdle());
        g_hook = nullptr;
    }

    void readsAreAnsweredByTheirReports_data()
    {
        QTest::addColumn<void*>("read");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("subKind");
        QTest::addColumn<QByteArray>("data");
        const QByteArray rec = image::factoryRecord(0);
        QByteArray img(HIDUSB_IMAGE_SIZE, '\0');
        image::pack(reinterpret_cast<const unsigned char*>(rec.constData()), reinterpret_cast<unsigned char*>(img.data()));
        auto row = [](const char* name, void (*read)(), int kind, int sub, const QByteArray& data) {
            QTest::newRow(name) << reinterpret_cast<void*>(read) << kind << sub << data;
        };
        row("all flash data", UsbServer_ReadAllFlashData, 8, 0, img);
        row("report rate", UsbServer_ReadReportRate, 8, 0, QByteArray(1, 1));
        row("current DPI", UsbServer_ReadCurrentDPI, 8, 4, QByteArray(1, 1));
        row("DPI light", UsbServer_ReadDPILed, 8, 0x4c, image::dpiLedPayload(rec));
        row("light bar", UsbServer_ReadLedBar, 8, 0xa0, image::ledBarPayload(rec));
        row("battery", UsbServer_ReadBatteryLevel, 4, 0, image::batteryPayload(80, false));
        row("version", UsbServer_ReadVersion, 18, 0, QByteArray("\x05\x01", 2));
        row("profile", UsbServer_ReadConfig, 14, 0, QByteArray(1, 0));
    }

    void readsAreAnsweredByTheirReports()
    {
        QFETCH(void*, read);
        QFETCH(int, kind);
        QFETCH(int, subKind);
        QFETCH(QByteArray, data);
        QVERIFY(UsbServerC_Start(kRx, kRx, onData));
        reinterpret_cast<void (*)()>(read)();
        QVERIFY(hidsim::waitForIdle());
        // The default bus's receiver is of the 4 kHz class: its LED state
        // (mode 1) comes right after the profile, and after no other read.
        const bool led = kind == HIDUSB_REPORT_PROFILE;
        QCOMPARE(seen().size(), led ? 2 : 1);
        QCOMPARE(seen()[0].headerLength, int(HIDUSB_HEADER_SIZE));
        QCOMPARE(seen()[0].kind, kind);
        QCOMPARE(seen()[0].subKind, subKind);
        QCOMPARE(seen()[0].data, data);
        if (led) {
            QCOMPARE(seen()[1].kind, int(HIDUSB_REPORT_RECEIVER_LED));
            QCOMPARE(seen()[1].data, QByteArray(1, 1) + QByteArray(HIDUSB_DONGLE_RGB_SIZE - 1, '\0'));
        }
    }

    // The reads that follow a record: a 4 kHz receiver adds its LED state
    // after the profile; a receiver of another class and a mouse on its
    // cable do not.
    void onlyA4kHzReceiverReportsItsLed_data()
    {
        QTest::addColumn<int>("rate");  // 0: the mouse on its cable
        QTest::addColumn<bool>("led");
        QTest::newRow("4 kHz receiver") << 4 << true;
        QTest::newRow("1 kHz receiver") << 1 << false;
        QTest::newRow("2 kHz receiver") << 2 << false;
        QTest::newRow("8 kHz receiver") << 8 << false;
        QTest::newRow("mouse on its cable") << 0 << false;
    }

    void onlyA4kHzReceiverReportsItsLed()
    {
        QFETCH(int, rate);
        QFETCH(bool, led);
        QJsonObject receiver{{"id", "rx"}, {"kind", "receiver"}, {"model", "Q7 Pro"}, {"rate", rate ? rate : 4},
                             {"pairedWith", "m"}, {"ledMode", 2}};
        QJsonObject mouse{{"id", "m"}, {"kind", "mouse"}, {"model", "Q7 Pro"}, {"plugged", rate == 0}};
        QVERIFY(testsupport::loadBus(QJsonArray{receiver, mouse}));
        const QByteArray path = QByteArray("/dev/hidsim/") + (rate ? "rx" : "m");
        QVERIFY(UsbServerC_Start(path.constData(), path.constData(), onData));
        UsbServer_ReadAllFlashData();
        QVERIFY(hidsim::waitForIdle());
        UsbServer_ReadDPILed();
        UsbServer_ReadBatteryLevel();
        UsbServer_ReadVersion();
        UsbServer_ReadConfig();
        QVERIFY(hidsim::waitForIdle());
        QList<int> kinds;
        for (const Seen& report : seen())
            kinds << report.kind;
        QList<int> expected{8, 8, 4, 18, 14};
        if (led)
            expected << HIDUSB_REPORT_RECEIVER_LED;
        QCOMPARE(kinds, expected);
        if (led) {
            QCOMPARE(seen().last().data.size(), int(HIDUSB_DONGLE_RGB_SIZE));
            QCOMPARE(int(seen().last().data.at(0)), 2);
        }
    }

    // Off the GUI thread, one at a time, and a request made inside a callback
    // is answered only after that callback has returned.
    void callbacksRunSeriallyOffTheGuiThread()
    {
        QVERIFY(UsbServerC_Start(kQ3, kQ3, onData));
        g_hook = [](const Seen& s) {
            if (s.kind == 8 && s.subKind == 0) {
                UsbServer_ReadCurrentDPI();
                QThread::msleep(20);
            }
        };
        UsbServer_ReadReportRate();
        UsbServer_ReadBatteryLevel();
        UsbServer_ReadVersion();
        QVERIFY(hidsim::waitForIdle());
        QCOMPARE(seen().size(), 4);
        for (const Seen& s : seen())
            QVERIFY(!s.onGuiThread);
        QCOMPARE(g_maxDepth.load(), 1);
        QCOMPARE(g_order.size(), 8);
        for (int i = 0; i < g_order.size(); i += 2) {
            QVERIFY(g_order[i].startsWith("enter "));
            QCOMPARE(g_order[i + 1], QString(g_order[i]).replace("enter", "leave"));
        }
        QCOMPARE(g_order.mid(0, 2), QStringList({"enter 8/0", "leave 8/0"}));
        QVERIFY(g_order.indexOf("enter 8/4") > 1);
    }

    void exitReturnsWhileACallbackWaitsForTheGuiThread()
    {
        Sink sink;
        QVERIFY(blockTheLibraryThread(&sink));

        QElapsedTimer t;
        t.start();
        UsbServer_Exit();
        QVERIFY(UsbServerC_Start(kRx, kRx, blockingData));
        UsbServer_Exit();
        // Neither waited for the blocked callback: it is still inside.
        QVERIFY(!g_left);
        QVERIFY(t.elapsed() < 5000);
        QCOMPARE(sink.taken.load(), 0);

        // Once the GUI thread runs, the waiting callback finishes; the second
        // report belonged to the ended connection and is dropped.
        QVERIFY(hidsim::waitForIdle());
        QVERIFY(g_left);
        QCOMPARE(sink.taken.load(), 1);
        g_sink = nullptr;
    }

    // The program quits while the library thread still waits for the GUI
    // thread: the process ends cleanly, without a sanitizer report.
    void processEndsWhileACallbackWaits()
    {
        if (qEnvironmentVariableIsSet("HIDSIM_TEST_CHILD")) {
            auto* sink = new Sink;
            sink->setParent(qApp);
            QVERIFY(blockTheLibraryThread(sink));
            return;
        }
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HIDSIM_TEST_CHILD", "1");
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {"processEndsWhileACallbackWaits"});
        QVERIFY(child.waitForFinished(30000));
        const QByteArray err = child.readAllStandardError();
        QVERIFY2(!err.contains("Sanitizer"), err.constData());
        QCOMPARE(child.exitStatus(), QProcess::NormalExit);
        QCOMPARE(child.exitCode(), 0);
        QVERIFY(child.readAllStandardOutput().contains("Totals: 3 passed"));
    }

    void reportsOfAnEndedConnectionAreDropped()
    {
        // Long enough that no answer can come before the connection ends,
        // however slow the machine.
        hidsim::setReadLatencyMs(1000);
        QVERIFY(UsbServerC_Start(kQ3, kQ3, onData));
        UsbServer_ReadAllFlashData();
        UsbServer_Exit();
        QVERIFY(UsbServerC_Start(kRx, kRx, onData));
        UsbServer_ReadReportRate();
        QVERIFY(UsbServerC_Start(kRx, kRx, onData));
        QVERIFY(hidsim::waitForIdle());
        QCOMPARE(seen().size(), 0);
    }

    void recordSentIsReadBackWithoutAnEcho()
    {
        QVERIFY(UsbServerC_Start(kRx, kRx, onData));
        QByteArray rec = image::factoryRecord(0);
        rec[image::kReportRate] = 32;
        rec[0x03] = char(0xee); // reserved bytes travel as they are
        char* macro = rec.data() + image::kMacroBlocks + 5 * image::kMacroBlockSize;
        macro[0] = 4;
        memcpy(macro + 1, "Fire", 4);
        macro[image::kMacroCountByte] = 2;
        memcpy(macro + image::kMacroEvents, "\x00\x01\x04\x00\x0a\x00\x00\x00\x01\x01\x04\x00\x0a\x00\x00\x00", 16);

        QCOMPARE(ProtocolDataUpdate(rec.constData()), 1);
        QVERIFY(hidsim::waitForIdle());
        QCOMPARE(seen().size(), 0);
        QCOMPARE(hidsim::recordsTaken(), 1);
        QCOMPARE(hidsim::recordsSent(), QVector<QByteArray>{rec});
        QCOMPARE(hidsim::storedRecord("q7"), rec);
        QCOMPARE(readRecord(), rec);
    }

    void recordIsNotTakenWhileTheMouseSleeps()
    {
        QVERIFY(UsbServerC_Start(kRx, kRx, onData));
        hidsim::setAwake("q7", false);
        const QByteArray before = hidsim::storedRecord("q7");
        QByteArray rec = before;
        rec[image::kReportRate] = 8;
        QCOMPARE(ProtocolDataUpdate(rec.constData()), 0);
        QCOMPARE(hidsim::storedRecord("q7"), before);
        QCOMPARE(hidsim::recordsTaken(), 0);
    }

    void readWhileAsleepIsAnsweredOnWaking()
    {
        QVERIFY(UsbServerC_Start(kRx, kRx, onData));
        QVERIFY(hidsim::setAwake("q7", false));
        QCOMPARE(UsbFinderC_GetDeviceOnLine(kRx), 0);
        UsbServer_ReadAllFlashData();
        UsbServer_ReadBatteryLevel();
        QVERIFY(hidsim::waitForIdle());
        QTest::qWait(30);
        QCOMPARE(seen().size(), 0);

        QVERIFY(hidsim::setAwake("q7", true));
        QCOMPARE(UsbFinderC_GetDeviceOnLine(kRx), 1);
        QVERIFY(hidsim::waitForIdle());
        QCOMPARE(seen().size(), 2);
        QCOMPARE(seen()[0].data.size(), int(HIDUSB_IMAGE_SIZE));
        QCOMPARE(seen()[1].kind, int(HIDUSB_REPORT_BATTERY));
    }

    void faultsSilenceOrDelayReads()
    {
        QVERIFY(UsbServerC_Start(kQ3, kQ3, onData));
        hidsim::setReadsUnanswered(true);
        UsbServer_ReadReportRate();
        QVERIFY(hidsim::waitForIdle());
        QCOMPARE(seen().size(), 0);
        hidsim::setReadsUnanswered(false);

        hidsim::setOffline("q3", true);
        QCOMPARE(UsbFinderC_GetDeviceOnLine(kQ3), 0);
        UsbServer_ReadReportRate();
        hidsim::setOffline("q3", false);
        QVERIFY(hidsim::waitForIdle());
        QCOMPARE(seen().size(), 0);

        hidsim::setReadLatencyMs(80);
        QElapsedTimer t;
        t.start();
        UsbServer_ReadReportRate();
        QVERIFY(hidsim::waitForIdle());
        QCOMPARE(seen().size(), 1);
        QVERIFY(t.elapsed() >= 75);
    }

    void profileSwitchSendsTheNewImage()
    {
        QVERIFY(UsbServerC_Start(kRx, kRx, onData));
        UsbServer_SetCurrentConfig(2);
        QVERIFY(hidsim::waitForIdle());
        QCOMPARE(seen().size(), 1);
        QCOMPARE(recordFromImage(seen()[0].data), image::factoryRecord(2));
        hidsim::DeviceStatus q7;
        QVERIFY(hidsim::device("q7", &q7));
        QCOMPARE(q7.profile, 2);

        UsbServer_SetCurrentConfig(image::kProfiles); // no such profile
        UsbServer_ReadConfig();
        QVERIFY(hidsim::waitForIdle());
        QCOMPARE(seen().size(), 3);  // the profile, then the 4 kHz receiver's LED state
        QCOMPARE(seen()[1].kind, int(HIDUSB_REPORT_PROFILE));
        QCOMPARE(seen()[1].data, QByteArray(1, 2));
        QCOMPARE(seen()[2].kind, int(HIDUSB_REPORT_RECEIVER_LED));
    }

    void factoryResetReportsAndRestores()
    {
        QVERIFY(UsbServerC_Start(kQ3, kQ3, onData));
        QByteArray rec = image::factoryRecord(0);
        rec[image::kReportRate] = 2;
        QVERIFY(ProtocolDataUpdate(rec.constData()));
        UsbServer_SetClearSetting();
        QVERIFY(hidsim::waitForIdle());
        QCOMPARE(seen().size(), 1);
        QCOMPARE(seen()[0].kind, int(HIDUSB_REPORT_AFTER_RESET));
        QCOMPARE(readRecord(), image::factoryRecord(0, "Q3"));
    }

    void deviceEventsReachTheOpenConnection()
    {
        QVERIFY(UsbServerC_Start(kRx, kRx, onData));
        QVERIFY(hidsim::pressDpiButton("q7"));
        QVERIFY(hidsim::setBattery("q7", 15, true));
        QVERIFY(hidsim::pressDpiButton("q3")); // not the open mouse: no report
        QVERIFY(!hidsim::pressDpiButton("nope"));
        QVERIFY(hidsim::waitForIdle());
        QCOMPARE(seen().size(), 2);

        unsigned char status[HIDUSB_STATUS_CELL_SIZE];
        GetDeviceStatusChanged(reinterpret_cast<const unsigned char*>(seen()[0].data.constData()), status);
        QCOMPARE(seen()[0].kind, int(HIDUSB_REPORT_STATUS_CHANGE));
        QCOMPARE(QByteArray(reinterpret_cast<char*>(status), 7), QByteArray("\x01\0\0\0\0\0\0", 7));
        unsigned char battery[HIDUSB_BATTERY_CELL_SIZE];
        GetDeviceBatteryStatus(reinterpret_cast<const unsigned char*>(seen()[1].data.constData()), battery);
        QCOMPARE(int(battery[0]), 15);
        QCOMPARE(int(battery[1]), 1);

        UsbServer_ReadCurrentDPI();
        QVERIFY(hidsim::waitForIdle());
        QCOMPARE(seen().last().data, QByteArray(1, 2));
    }

    // The receiver reports a changed LED state and leaving long range; the same
    // state again is no change and no report.
    void receiverReportsItsChanges()
    {
        QVERIFY(UsbServerC_Start(kRx, kRx, onData));
        unsigned char rgb[HIDUSB_DONGLE_RGB_SIZE] = {2};
        QVERIFY(UsbFinderC_Set4KDongleRGB(kRx, rgb));
        QVERIFY(UsbFinderC_Set4KDongleRGB(kRx, rgb));
        QVERIFY(UsbFinderC_SetLongRangeMode(kRx, 1));
        QVERIFY(UsbFinderC_SetLongRangeMode(kRx, 0));
        QVERIFY(hidsim::waitForIdle());
        QCOMPARE(seen().size(), 3);
        QCOMPARE(seen()[0].kind, int(HIDUSB_REPORT_RECEIVER_LED));
        QCOMPARE(seen()[0].data, QByteArray(reinterpret_cast<char*>(rgb), HIDUSB_DONGLE_RGB_SIZE));
        QCOMPARE(seen()[1].kind, int(HIDUSB_REPORT_LONG_RANGE));
        QCOMPARE(seen()[1].data.size(), 1);
        QCOMPARE(seen()[2].kind, int(HIDUSB_REPORT_LONG_RANGE));
        QCOMPARE(seen()[2].data.size(), 10);
    }

    void callLogHoldsCallsAndArguments()
    {
        QVERIFY(UsbServerC_Start(kRx, "second", onData));
        UsbServer_SetPCDriverStatus(1);
        UsbServer_SetCurrentConfig(3);
        const QVector<hidsim::Call> log = hidsim::callLog();
        QCOMPARE(log.size(), 3);
        QCOMPARE(log[0].name, QStringLiteral("UsbServerC_Start"));
        QCOMPARE(log[0].args, QStringList({kRx, "second"}));
        QCOMPARE(log[1].args, QStringList({"1"}));
        QCOMPARE(log[2].name, QStringLiteral("UsbServer_SetCurrentConfig"));
        QCOMPARE(log[2].args, QStringList({"3"}));
        hidsim::clearCallLog();
        QVERIFY(hidsim::callLog().isEmpty());
    }
};

QUEMBREL_TEST_MAIN(ConnectionTest)
#include "tst_connection.moc"
