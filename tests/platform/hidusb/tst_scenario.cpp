#include "support/testsupport.h"

#include "platform/hidusb/hidusb.h"
#include "platform/hidusb/simcontrol.h"

namespace {

QStringList g_warnings;

void collect(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtWarningMsg)
        g_warnings << message;
}

QString writeScenario(const QByteArray& text)
{
    static int n = 0;
    const QString path = testsupport::homeDir() + QStringLiteral("/scenario%1.json").arg(++n);
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(text);
    return path;
}

QStringList ids()
{
    QStringList out;
    for (const hidsim::DeviceStatus& s : hidsim::devices())
        out << s.id;
    return out;
}

const QStringList kDefaultBus{"rx4k", "q7", "q3"};

} // namespace

class ScenarioTest : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        hidsim::resetToDefaultBus();
        g_warnings.clear();
        qInstallMessageHandler(collect);
    }

    void cleanup()
    {
        qInstallMessageHandler(nullptr);
        qunsetenv("QUEMBREL_SIM_SCENARIO");
        hidsim::resetToDefaultBus();
    }

    void badScenarioGivesTheDefaultBus_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("reason");
        QTest::newRow("not JSON") << QByteArray("{ devices: [") << "at byte";
        QTest::newRow("no device list") << QByteArray("{\"devices\": 3}") << "\"devices\" list";
        QTest::newRow("unknown top key") << QByteArray("{\"devices\": [], \"latency\": 5}") << "unknown key \"latency\"";
        QTest::newRow("unknown device key") << QByteArray("{\"devices\": [{\"id\": \"m\", \"kind\": \"mouse\", \"batery\": 5}]}")
                                            << "device m: unknown key \"batery\"";
        QTest::newRow("bad kind") << QByteArray("{\"devices\": [{\"id\": \"m\", \"kind\": \"keyboard\"}]}") << "\"kind\"";
        QTest::newRow("id with a slash") << QByteArray("{\"devices\": [{\"id\": \"../x\", \"kind\": \"mouse\"}]}") << "\"id\"";
        QTest::newRow("same id twice") << QByteArray("{\"devices\": [{\"id\": \"m\", \"kind\": \"mouse\"}, {\"id\": \"m\", \"kind\": \"mouse\"}]}")
                                       << "used twice";
        QTest::newRow("battery out of range") << QByteArray("{\"devices\": [{\"id\": \"m\", \"kind\": \"mouse\", \"battery\": 101}]}")
                                              << "\"battery\"";
        QTest::newRow("rate class") << QByteArray("{\"devices\": [{\"id\": \"r\", \"kind\": \"receiver\", \"rate\": 3}]}")
                                    << "\"rate\"";
        QTest::newRow("paired with nothing") << QByteArray("{\"devices\": [{\"id\": \"r\", \"kind\": \"receiver\", \"pairedWith\": \"x\"}]}")
                                             << "cannot be paired";
        QTest::newRow("receiver id") << QByteArray("{\"devices\": [{\"id\": \"r\", \"kind\": \"receiver\", \"receiverId\": \"5A31\"}]}")
                                     << "\"receiverId\"";
        // Numbers are range-checked before any conversion to an integer.
        const auto mouseWith = [](const char* key, const char* number) {
            return QByteArray("{\"devices\": [{\"id\": \"m\", \"kind\": \"mouse\", \"") + key + "\": " + number + "}]}";
        };
        QTest::newRow("battery 1e20") << mouseWith("battery", "1e20") << "\"battery\"";
        QTest::newRow("battery -1e20") << mouseWith("battery", "-1e20") << "\"battery\"";
        QTest::newRow("battery not whole") << mouseWith("battery", "50.5") << "\"battery\"";
        QTest::newRow("profile 1e10") << mouseWith("profile", "1e10") << "\"profile\"";
        QTest::newRow("mid 1e300") << mouseWith("mid", "1e300") << "\"mid\"";
        QTest::newRow("cid -9.3e18") << mouseWith("cid", "-9.3e18") << "\"cid\"";
        QTest::newRow("version 1e20") << mouseWith("version", "1e20") << "\"version\"";
        QTest::newRow("product id 4294967296") << mouseWith("productId", "4294967296") << "\"productId\"";
        QTest::newRow("LED mode 1e20") << QByteArray("{\"devices\": [{\"id\": \"r\", \"kind\": \"receiver\", \"ledMode\": 1e20}]}")
                                       << "\"ledMode\"";
        QTest::newRow("rate 1e20") << QByteArray("{\"devices\": [{\"id\": \"r\", \"kind\": \"receiver\", \"rate\": 1e20}]}")
                                   << "\"rate\"";
        QTest::newRow("latency 1e20") << QByteArray("{\"devices\": [], \"latencyMs\": 1e20}") << "\"latencyMs\"";
        QTest::newRow("upgrade failure over 100 %") << QByteArray("{\"devices\": [], \"upgradeFailAt\": 101}")
                                                    << "\"upgradeFailAt\"";
        QTest::newRow("silent upgrade not a flag") << QByteArray("{\"devices\": [], \"upgradeSilent\": 1}")
                                                   << "\"upgradeSilent\"";
        QTest::newRow("unknown pairing answer") << QByteArray("{\"devices\": [], \"pairing\": \"maybe\"}")
                                                << "\"pairing\"";
        QTest::newRow("boot mode not a flag") << QByteArray("{\"devices\": [{\"id\": \"m\", \"kind\": \"mouse\", \"bootMode\": 1}]}")
                                              << "\"bootMode\"";
        QTest::newRow("latency not whole") << QByteArray("{\"devices\": [], \"latencyMs\": 2.5}") << "\"latencyMs\"";
        QTest::newRow("model too long") << QByteArray("{\"devices\": [{\"id\": \"m\", \"kind\": \"mouse\", \"mid\": 1, "
                                                      "\"productId\": 1, \"model\": \"") + QByteArray(65, 'Z') + "\"}]}"
                                        << "\"model\" is longer than 64";
        QTest::newRow("file over 1 MiB") << QByteArray("{\"devices\": []}") + QByteArray(1024 * 1024, ' ')
                                         << "larger than";
        QTest::newRow("unknown model without MID") << QByteArray("{\"devices\": [{\"id\": \"m\", \"kind\": \"mouse\", \"model\": \"Z9\"}]}")
                                                   << "not in the catalogue";
    }

    void badScenarioGivesTheDefaultBus()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, reason);
        hidsim::loadScenario("/nonexistent/x.json"); // start from something else than the default
        g_warnings.clear();
        QVERIFY(!hidsim::loadScenario(writeScenario(text)));
        QCOMPARE(g_warnings.size(), 1);
        QVERIFY2(g_warnings[0].contains(reason), qPrintable(g_warnings[0]));
        QVERIFY(g_warnings[0].contains("using the default bus"));
        QCOMPARE(ids(), kDefaultBus);
    }

    void missingScenarioFromTheEnvironment()
    {
        qputenv("QUEMBREL_SIM_SCENARIO", "/nonexistent/scenario.json");
        hidsim::restart();
        QCOMPARE(g_warnings.size(), 1);
        QVERIFY(g_warnings[0].contains("/nonexistent/scenario.json"));
        QCOMPARE(ids(), kDefaultBus);
    }

    void scenarioListsExactlyItsDevices_data()
    {
        QTest::addColumn<int>("count");
        QTest::newRow("none") << 0;
        QTest::newRow("one") << 1;
        QTest::newRow("seven") << 7;
    }

    void scenarioListsExactlyItsDevices()
    {
        QFETCH(int, count);
        QStringList entries;
        QStringList expected;
        for (int i = 0; i < count; ++i) {
            const QString id = QStringLiteral("m%1").arg(i);
            entries << QStringLiteral("{\"id\": \"%1\", \"kind\": \"mouse\", \"model\": \"Q3\"}").arg(id);
            expected << id;
        }
        qputenv("QUEMBREL_SIM_SCENARIO", writeScenario("{\"devices\": [" + entries.join(",").toUtf8() + "]}").toLocal8Bit());
        hidsim::restart();
        QVERIFY2(g_warnings.isEmpty(), qPrintable(g_warnings.join('\n')));
        QCOMPARE(ids(), expected);
        int found = 5;
        UsbFinderC_FindHidDevicesByDefaultDeviceId("3A5C", "5120", &found);
        QCOMPARE(found, qMin(count, 5));
    }

    void scenarioDescribesTheBus()
    {
        const QByteArray text = R"({
            "latencyMs": 0,
            "devices": [
                {"id": "rx8k", "kind": "receiver", "rate": 8, "receiverId": "0A 0B 0C", "version": "0x0203",
                 "pairedWith": "mouse", "ledMode": 2, "longRange": true},
                {"id": "mouse", "kind": "mouse", "model": "Q7 Pro", "battery": 35, "charging": true,
                 "awake": false, "profile": 2, "version": 260},
                {"id": "rx1k", "kind": "receiver", "rate": 1},
                {"id": "odd", "kind": "mouse", "model": "Z9", "mid": 99, "productId": "0x5999", "offline": true}
            ]})";
        QVERIFY(hidsim::loadScenario(writeScenario(text)));
        QVERIFY(g_warnings.isEmpty());
        hidsim::DeviceStatus rx, mouse, rx1k, odd;
        QVERIFY(hidsim::device("rx8k", &rx));
        QVERIFY(hidsim::device("mouse", &mouse));
        QVERIFY(hidsim::device("rx1k", &rx1k));
        QVERIFY(hidsim::device("odd", &odd));
        QCOMPARE(rx.productId, 0x5118);
        QCOMPARE(rx.deviceType, 5);
        QCOMPARE(rx.version, 0x0203);
        QCOMPARE(rx1k.productId, 0x5111);
        QCOMPARE(rx1k.deviceType, 0);
        QCOMPARE(mouse.pairedWith, QStringLiteral("rx8k"));
        QVERIFY(!mouse.plugged); // a paired mouse is on its receiver
        QVERIFY(!mouse.online);
        QCOMPARE(mouse.battery, 35);
        QCOMPARE(mouse.profile, 2);
        QCOMPARE(mouse.version, 260);
        QCOMPARE(odd.mid, 99);
        QCOMPARE(odd.productId, 0x5999);

        const QByteArray rxPath = rx.path.toLatin1();
        unsigned char state[HIDUSB_RECEIVER_STATE_SIZE] = {};
        QCOMPARE(UsbFinderC_GetDeviceOnLineWithUsbAddress(rxPath.constData(), state), 0);
        QCOMPARE(QByteArray(reinterpret_cast<char*>(state) + 7, 3), QByteArray("\x0a\x0b\x0c", 3));
        unsigned char rgb[HIDUSB_DONGLE_RGB_SIZE] = {};
        QVERIFY(UsbFinderC_Get4KDongleRGBValue(rxPath.constData(), rgb));
        QCOMPARE(int(rgb[0]), 2);
        QVERIFY(hidsim::setAwake("mouse", true));
        QCOMPARE(UsbFinderC_GetDeviceOnLine(rxPath.constData()), 1);
        QVERIFY(hidsim::plug("mouse")); // on its cable, it carries its receiver's id
        unsigned char cable[HIDUSB_RECEIVER_STATE_SIZE] = {};
        QCOMPARE(UsbFinderC_GetDeviceOnLineWithUsbAddress("/dev/hidsim/mouse", cable), 1);
        QCOMPARE(QByteArray(reinterpret_cast<char*>(cable) + 7, 3), QByteArray("\x0a\x0b\x0c", 3));
        QCOMPARE(UsbFinderC_GetDeviceOnLine("/dev/hidsim/odd"), 0); // offline
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(UsbFinderC_GetDeviceInfo("/dev/hidsim/odd")), 3), QByteArray(3, '\0'));
    }

    void scenarioFaultsOnReads()
    {
        QVERIFY(hidsim::loadScenario(writeScenario(
            R"({"latencyMs": 60, "devices": [{"id": "m", "kind": "mouse", "model": "Q3"}]})")));
        static int reports;
        reports = 0;
        QVERIFY(UsbServerC_Start("/dev/hidsim/m", "/dev/hidsim/m", [](const unsigned char*, int, const unsigned char*, int) { ++reports; }));
        QElapsedTimer t;
        t.start();
        UsbServer_ReadReportRate();
        QVERIFY(hidsim::waitForIdle());
        QCOMPARE(reports, 1);
        QVERIFY(t.elapsed() >= 55);

        QVERIFY(hidsim::loadScenario(writeScenario(
            R"({"readsUnanswered": true, "devices": [{"id": "m", "kind": "mouse", "model": "Q3"}]})")));
        QVERIFY(UsbServerC_Start("/dev/hidsim/m", "/dev/hidsim/m", [](const unsigned char*, int, const unsigned char*, int) { ++reports; }));
        UsbServer_ReadReportRate();
        QVERIFY(hidsim::waitForIdle());
        QCOMPARE(reports, 1);
        UsbServer_Exit();
    }

    // Firmware and pairing faults, and a device waiting in boot mode.
    void scenarioFaultsOnUpgradeAndPairing()
    {
        QVERIFY(hidsim::loadScenario(writeScenario(
            R"({"upgradeFailAt": 30, "pairing": "fail", "devices": [
                {"id": "m", "kind": "mouse", "model": "Q3", "bootMode": true},
                {"id": "r", "kind": "receiver", "rate": 4}]})")));
        hidsim::DeviceStatus m;
        QVERIFY(hidsim::device("m", &m));
        QVERIFY(m.bootMode);
        int count = 5;
        QVERIFY(!UsbFinderC_FindHidDevicesByDefaultDeviceId("3A5C", "5120", &count)[0]);
        QCOMPARE(count, 0);

        static QVector<int> statuses;
        statuses.clear();
        QVERIFY(UsbServerC_Start("/dev/hidsim/r", "/dev/hidsim/r", [](const unsigned char* h, int, const unsigned char* d, int n) {
            if (h[1] == HIDUSB_REPORT_PAIR_STATUS && n > 0)
                statuses << d[0];
        }));
        hidsim::setPairingMs(1);
        UsbServer_EnterDonglePairOnlyCid(42);
        QVERIFY(hidsim::waitForIdle());
        QCOMPARE(statuses, QVector<int>{2});
        UsbServer_Exit();
    }
};

QUEMBREL_TEST_MAIN(ScenarioTest)
#include "tst_scenario.moc"
