#include "support/testsupport.h"

#include "platform/hidusb/flashimage.h"
#include "platform/hidusb/hidusb.h"
#include "platform/hidusb/simcontrol.h"

namespace image = hidsim::image;

namespace {

const char* const kQ3 = "/dev/hidsim/q3";
const char* const kRx = "/dev/hidsim/rx4k";

QStringList g_warnings;

void collect(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtWarningMsg)
        g_warnings << message;
}

// A record that differs from the factory one in its settings and its macros.
QByteArray changedRecord()
{
    QByteArray rec = image::factoryRecord(0);
    rec[image::kReportRate] = 8;
    rec[image::kCurrentDpiStage] = 3;
    char* macro = rec.data() + image::kMacroBlocks + 2 * image::kMacroBlockSize;
    macro[0] = 3;
    memcpy(macro + 1, "abc", 3);
    macro[image::kMacroCountByte] = 1;
    macro[image::kMacroEvents + 2] = 4;
    return rec;
}

} // namespace

class PersistenceTest : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        hidsim::resetToDefaultBus();
        g_warnings.clear();
    }

    void cleanup()
    {
        qInstallMessageHandler(nullptr);
    }

    // Outside the per-user folder, in this test's own data folder.
    void stateFileLocation()
    {
        const QString path = hidsim::stateFilePath();
        QVERIFY(path.startsWith(testsupport::homeDir() + "/.local/share/"));
        QVERIFY(!path.contains("AppData"));
    }

    void deviceStateSurvivesARestart()
    {
        QVERIFY(UsbServerC_Start(kQ3, kQ3, nullptr));
        const QByteArray rec = changedRecord();
        QVERIFY(ProtocolDataUpdate(rec.constData()));
        QVERIFY(UsbServerC_Start(kRx, kRx, nullptr));
        UsbServer_SetCurrentConfig(3);
        unsigned char rgb[HIDUSB_DONGLE_RGB_SIZE] = {2, 9, 8, 7};
        QVERIFY(UsbFinderC_Set4KDongleRGB(kRx, rgb));
        QVERIFY(UsbFinderC_SetLongRangeMode(kRx, 1));
        // Written by itself a moment later, without being asked.
        QTRY_VERIFY(QFile::exists(hidsim::stateFilePath()));

        hidsim::restart();
        QCOMPARE(hidsim::storedRecord("q3"), rec);
        hidsim::DeviceStatus q7;
        QVERIFY(hidsim::device("q7", &q7));
        QCOMPARE(q7.profile, 3);
        unsigned char back[HIDUSB_DONGLE_RGB_SIZE] = {};
        QVERIFY(UsbFinderC_Get4KDongleRGBValue(kRx, back));
        QCOMPARE(QByteArray(reinterpret_cast<char*>(back), 10), QByteArray(reinterpret_cast<char*>(rgb), 10));
        unsigned char cell = 0;
        QVERIFY(UsbFinderC_GetLongRangeMode(kRx, &cell));
        QCOMPARE(int(cell), 1);

        // And what the device hands out after the restart is the same record.
        QVERIFY(UsbServerC_Start(kQ3, kQ3, nullptr));
        QCOMPARE(hidsim::storedRecord("q3"), rec);
    }

    void resetRemovesTheState()
    {
        QVERIFY(UsbServerC_Start(kQ3, kQ3, nullptr));
        QVERIFY(ProtocolDataUpdate(changedRecord().constData()));
        hidsim::saveState();
        QVERIFY(QFile::exists(hidsim::stateFilePath()));
        hidsim::resetToDefaultBus();
        QVERIFY(!QFile::exists(hidsim::stateFilePath()));
        hidsim::restart();
        QCOMPARE(hidsim::storedRecord("q3"), image::factoryRecord(0, "Q3"));
    }

    void unusableStateGivesFactorySettings_data()
    {
        QTest::addColumn<int>("cut");       // bytes kept of a good file; -1 keeps all
        QTest::addColumn<int>("flip");      // byte flipped; -1 none
        QTest::addColumn<QByteArray>("junk");
        QTest::newRow("truncated") << 3000 << -1 << QByteArray();
        QTest::newRow("cut to nothing") << 0 << -1 << QByteArray();
        QTest::newRow("one byte flipped") << -1 << 5000 << QByteArray();
        QTest::newRow("not a state file") << 0 << -1 << QByteArray("hello, world\n");
        QTest::newRow("trailing bytes") << -1 << -1 << QByteArray("xx");
    }

    void unusableStateGivesFactorySettings()
    {
        QFETCH(int, cut);
        QFETCH(int, flip);
        QFETCH(QByteArray, junk);
        QVERIFY(UsbServerC_Start(kQ3, kQ3, nullptr));
        QVERIFY(ProtocolDataUpdate(changedRecord().constData()));
        hidsim::saveState();
        QFile file(hidsim::stateFilePath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QByteArray bytes = file.readAll();
        file.close();
        if (cut >= 0)
            bytes.truncate(cut);
        if (flip >= 0)
            bytes[flip] = char(bytes[flip] ^ 0x10);
        bytes += junk;
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        file.close();

        qInstallMessageHandler(collect);
        hidsim::restart();
        qInstallMessageHandler(nullptr);
        QCOMPARE(g_warnings.size(), 1);
        QVERIFY(g_warnings[0].contains("factory settings"));
        QCOMPARE(hidsim::storedRecord("q3"), image::factoryRecord(0, "Q3"));
        QCOMPARE(hidsim::devices().size(), 3);
    }
};

QUEMBREL_TEST_MAIN(PersistenceTest)
#include "tst_persistence.moc"
