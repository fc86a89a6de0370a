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

// One value as the state file writes it.
template <typename T>
QByteArray streamed(const T& value)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_5_15);
    out << value;
    return bytes;
}

// The saved wired mouse q3 field by field: id, model, receiver flag, version,
// profile, profile count, the four records, LED block and long-range flag.
enum SavedField { Id, Model, Receiver, Version, Profile, ProfileCount, Record0, Record3 = Record0 + 3, Led, LongRange };

QList<QByteArray> savedQ3()
{
    QList<QByteArray> fields = {streamed(QStringLiteral("q3")), streamed(QStringLiteral("Q3")), streamed(false),
                                streamed(qint32(0x0101)),        streamed(qint32(0)),           streamed(quint32(4))};
    for (int p = 0; p < image::kProfiles; ++p)
        fields << streamed(image::factoryRecord(p));
    fields << streamed(QByteArray()) << streamed(false);
    return fields;
}

// A state file around `payload`, as the library writes one.
void writeStateFile(const QByteArray& payload)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_5_15);
    out << QByteArray("QSIM-STATE") << quint32(1) << payload << qChecksum(payload.constData(), payload.size());
    QDir().mkpath(QFileInfo(hidsim::stateFilePath()).absolutePath());
    QFile file(hidsim::stateFilePath());
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

// The program starts again with these bytes as its state file; its warnings
// are collected.
void restartWithStateFile(const QByteArray& bytes)
{
    QFile file(hidsim::stateFilePath());
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
    file.close();
    qInstallMessageHandler(collect);
    hidsim::restart();
    qInstallMessageHandler(nullptr);
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

    // A device waiting in boot mode waits after a restart too, and a new
    // pairing holds.
    void bootModeAndPairingSurviveARestart()
    {
        QVERIFY(hidsim::setBootMode("q3", true));
        QVERIFY(hidsim::unpair("q7"));
        hidsim::saveState();
        hidsim::restart();
        hidsim::DeviceStatus q3, q7;
        QVERIFY(hidsim::device("q3", &q3));
        QVERIFY(hidsim::device("q7", &q7));
        QVERIFY(q3.bootMode);
        QVERIFY(q7.pairedWith.isEmpty());
    }

    // Two partners that name each other but hold different receiver ids are
    // no pairing: both start unpaired, with one warning line, and the rest
    // of the saved state holds.
    void pairingWithDifferentIdsIsNotRestored()
    {
        QVERIFY(UsbServerC_Start(kRx, kRx, nullptr));
        UsbServer_SetCurrentConfig(2);
        hidsim::saveState();
        hidsim::DeviceStatus q7;
        QVERIFY(hidsim::device("q7", &q7));
        QFile file(hidsim::stateFilePath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QDataStream in(&file);
        in.setVersion(QDataStream::Qt_5_15);
        QByteArray magic, payload;
        quint32 format = 0;
        quint16 checksum = 0;
        in >> magic >> format >> payload >> checksum;
        file.close();
        // q7's pairing as saved: its receiver's id and the receiver id it answers.
        const QByteArray saved = streamed(QStringLiteral("rx4k")) + streamed(q7.receiverId);
        QCOMPARE(payload.count(saved), 1);
        payload.replace(saved, streamed(QStringLiteral("rx4k")) + streamed(QByteArray("\x01\x02\x03", 3)));
        QByteArray bytes;
        QDataStream out(&bytes, QIODevice::WriteOnly);
        out.setVersion(QDataStream::Qt_5_15);
        out << magic << format << payload << qChecksum(payload.constData(), payload.size());
        restartWithStateFile(bytes);
        QCOMPARE(g_warnings.size(), 1);
        QVERIFY(g_warnings[0].contains(hidsim::stateFilePath()));
        hidsim::DeviceStatus rx;
        QVERIFY(hidsim::device("q7", &q7));
        QVERIFY(hidsim::device("rx4k", &rx));
        QVERIFY(q7.pairedWith.isEmpty());
        QVERIFY(rx.pairedWith.isEmpty());
        QCOMPARE(q7.profile, 2);
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
        restartWithStateFile(bytes);
        QCOMPARE(g_warnings.size(), 1);
        QVERIFY(g_warnings[0].contains("factory settings"));
        QCOMPARE(hidsim::storedRecord("q3"), image::factoryRecord(0, "Q3"));
        QCOMPARE(hidsim::devices().size(), 3);
    }

    // Files whose envelope and checksum are sound but whose counts and
    // lengths lie: each gives one warning line and factory settings, and
    // never an allocation of the size it claims.
    void boundsOfASavedDevice_data()
    {
        QTest::addColumn<quint32>("count");          // devices the file claims
        QTest::addColumn<int>("field");              // SavedField replaced; -1 none
        QTest::addColumn<QByteArray>("replacement");
        QTest::addColumn<bool>("usable");
        QTest::newRow("as saved") << 1u << int(Record0) << streamed(changedRecord()) << true;
        QTest::newRow("device count past the list") << 0xffffffffu << -1 << QByteArray() << false;
        QTest::newRow("one device more than saved") << 2u << -1 << QByteArray() << false;
        QTest::newRow("profile count huge") << 1u << int(ProfileCount) << streamed(quint32(0x7fffffff)) << false;
        QTest::newRow("five profiles") << 1u << int(ProfileCount)
                                       << streamed(quint32(5)) + streamed(image::factoryRecord(0)) << false;
        QTest::newRow("record length huge") << 1u << int(Record0) << streamed(quint32(0xfffffff0)) << false;
        QTest::newRow("record longer than a record")
            << 1u << int(Record3) << streamed(QByteArray(HIDUSB_RECORD_SIZE + 1, '\0')) << false;
        QTest::newRow("id length huge") << 1u << int(Id) << streamed(quint32(0x7ffffffe)) << false;
        QTest::newRow("id too long") << 1u << int(Id) << streamed(QString(33, QLatin1Char('q'))) << false;
        QTest::newRow("model too long") << 1u << int(Model) << streamed(QString(65, QLatin1Char('Q'))) << false;
        QTest::newRow("LED length huge") << 1u << int(Led) << streamed(quint32(0xfffffff0)) << false;
        QTest::newRow("profile out of range") << 1u << int(Profile) << streamed(qint32(-1)) << false;
    }

    void boundsOfASavedDevice()
    {
        QFETCH(quint32, count);
        QFETCH(int, field);
        QFETCH(QByteArray, replacement);
        QFETCH(bool, usable);
        QList<QByteArray> fields = savedQ3();
        if (field >= 0)
            fields[field] = replacement;
        writeStateFile(streamed(count) + fields.join());

        qInstallMessageHandler(collect);
        hidsim::restart();
        qInstallMessageHandler(nullptr);
        if (usable) {
            QVERIFY2(g_warnings.isEmpty(), qPrintable(g_warnings.join('\n')));
            QCOMPARE(hidsim::storedRecord("q3"), changedRecord());
        } else {
            QCOMPARE(g_warnings.size(), 1);
            QVERIFY2(g_warnings[0].contains("factory settings"), qPrintable(g_warnings[0]));
            QCOMPARE(hidsim::storedRecord("q3"), image::factoryRecord(0, "Q3"));
        }
        QCOMPARE(hidsim::devices().size(), 3);
    }
};

QUEMBREL_TEST_MAIN(PersistenceTest)
#include "tst_persistence.moc"
