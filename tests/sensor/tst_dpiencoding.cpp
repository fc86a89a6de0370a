#include "support/openeddevice.h"
#include "support/sensorfixture.h"
#include "support/testsupport.h"

#include "core/globals.h"
#include "core/postmsg.h"
#include "core/settings.h"
#include "platform/hidusb/simcontrol.h"
#include "sensor/dpiencoding.h"

#include <QBuffer>
#include <cstddef>

// DPI values to stage bytes and back, by model, range mode and register
// defines; and the write of a stage through the device setter.

namespace {

// Register defines of sensor 3950 for the tables below. 900 shares the code
// of 800, so it reads back as 800.
const QByteArray kDefines3950 = "#define SENSOR_3950_DPI_400\t0x07\n"
                                "#define SENSOR_3950_DPI_800\t0x0F\n"
                                "#define SENSOR_3950_DPI_900\t0x0F\n"
                                "#define SENSOR_3950_DPI_1600\t0x1F\n"
                                "#define SENSOR_3950_DPI_5000\t0x63\n";

const QStringList kFourRanges = {"50",    "3000",  "50",  "3100",  "10000", "100", "10200",
                                 "20000", "200",   "20200", "26000", "200",  "0x33"};
const QStringList kDoubledRange = {"50", "10000", "50", "10100", "20000", "100", "0x22"};
const QStringList kNoRangeMode = {"50", "30000", "50", "0"};

SensorDefineTable definesOf(const QByteArray& text)
{
    SensorDefineTable defines;
    QBuffer buffer;
    buffer.setData(text);
    buffer.open(QIODevice::ReadOnly | QIODevice::Text);
    readSensorDefinitions(&buffer, nullptr, &defines);
    return defines;
}

const int kStages = offsetof(FlashDataMap, dpiStages);

} // namespace

class DpiEncodingTest : public QObject
{
    Q_OBJECT

    // The sensor, register defines and DPI ranges of a catalogue model, as the
    // sensor page takes them when the model opens.
    static void useCatalogueSensor(int modelIndex)
    {
        currentDevice.modelIndex = modelIndex;
        currentSensorModel = ConfigSettings::instance()->value(QStringLiteral("Drive%1").arg(modelIndex + 1), "Sensor");
        readSensorDefinitions(sensorDefinitionPath(), nullptr, &sensorDefineTable);
        QVERIFY(sensorDefineTable.hasDpiDefines(currentSensorModel));
        QString min, max;
        refillDpiRangeTable(&min, &max);
        QVERIFY(dpiRangeTable.rangeCount > 0);
    }

private slots:
    void init()
    {
        currentSensorModel.clear();
        dpiRangeTable = DpiRangeTable();
        sensorDefineTable = SensorDefineTable();
    }

    void encodeAndDecode_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<bool>("withDefines");
        QTest::addColumn<QStringList>("ranges");
        QTest::addColumn<int>("dpi");
        QTest::addColumn<bool>("written");
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("flags");
        QTest::addColumn<int>("decoded");

        const auto row = [](const char* name, const char* model, bool defines, const QStringList& ranges, int dpi,
                            bool written, int code, int flags, int decoded) {
            QTest::newRow(name) << QString(model) << defines << ranges << dpi << written << code << flags
                                << decoded;
        };
        // Arithmetic codes: DPI / (50 x divisor) - 1.
        row("800 in range 0", "1234", false, kFourRanges, 800, true, 15, 0x00, 800);
        row("4000 in range 1", "1234", false, kFourRanges, 4000, true, 39, 0x22, 4000);
        row("12000 in range 2", "1234", false, kFourRanges, 12000, true, 119, 0x11, 12000);
        row("26000 in range 3", "1234", false, kFourRanges, 26000, true, 129, 0x33, 26000);
        row("125 truncates to 100", "1234", false, kFourRanges, 125, true, 1, 0x00, 100);
        row("0 gives code 255", "1234", false, kFourRanges, 0, true, 255, 0x00, 12800);
        row("0x22 at the first maximum", "1234", false, kDoubledRange, 10000, true, 199, 0x00, 10000);
        row("0x22 past the first maximum", "1234", false, kDoubledRange, 10100, true, 100, 0x22, 10100);
        row("3395 folds high bits", "3395", false, kNoRangeMode, 20000, true, 143, 0x44, 20000);
        row("3950 folds high bits", "3950", false, kNoRangeMode, 30000, true, 87, 0x88, 30000);
        row("3395A folds nothing", "3395A", false, kNoRangeMode, 20000, true, 143, 0x00, 7200);
        row("another model's defines", "3395", true, kNoRangeMode, 20000, true, 143, 0x44, 20000);
        // Register defines: the define of DPI / divisor, its DPI doubled by the flags.
        row("define in range 0", "3950", true, kFourRanges, 800, true, 15, 0x00, 800);
        row("define doubled in range 1", "3950", true, kFourRanges, 3200, true, 31, 0x22, 3200);
        row("define doubled at range 1 top", "3950", true, kFourRanges, 10000, true, 99, 0x22, 10000);
        // Bytes that would read back as another DPI are never written.
        row("no define", "3950", true, kFourRanges, 1000, false, 0, 0, 0);
        row("define naming another DPI", "3950", true, kFourRanges, 900, false, 0, 0, 0);
        row("odd DPI in a halved range", "3950", true, kFourRanges, 3201, false, 0, 0, 0);
    }
    void encodeAndDecode()
    {
        QFETCH(QString, model);
        QFETCH(bool, withDefines);
        QFETCH(QStringList, ranges);
        QFETCH(int, dpi);
        QFETCH(bool, written);
        QFETCH(int, code);
        QFETCH(int, flags);
        QFETCH(int, decoded);

        const SensorDefineTable defines = withDefines ? definesOf(kDefines3950) : SensorDefineTable();
        DpiStageCode bytes;
        QCOMPARE(dpiStageCode(dpi, 0, model, testsupport::rangeTableOf(ranges), defines, &bytes), written);
        if (!written)
            return;
        QCOMPARE(bytes.code, code);
        QCOMPARE(bytes.flags, flags);
        QCOMPARE(decodeDpiStage(code, flags, model, defines), decoded);
    }

    // Stored bytes as the device may hold them.
    void decodeStored_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("flags");
        QTest::addColumn<int>("dpi");
        QTest::newRow("define") << 0x63 << 0x00 << 5000;
        QTest::newRow("define, both doublings") << 0x63 << 0x33 << 20000;
        QTest::newRow("first define of a shared code") << 0x0F << 0x00 << 800;
        QTest::newRow("code without define") << 50 << 0x00 << 0;
    }
    void decodeStored()
    {
        QFETCH(int, code);
        QFETCH(int, flags);
        QFETCH(int, dpi);
        sensorDefineTable = definesOf(kDefines3950);
        currentSensorModel = QStringLiteral("3950");
        QCOMPARE(decodeDpiStage(code, flags), dpi);
    }

    // A define naming a huge DPI never reaches the doubling: the file's is
    // skipped when read, and one put in the table by hand names no DPI.
    void hugeDefineDpi_data()
    {
        QTest::addColumn<bool>("fromFile");
        QTest::newRow("from the file") << true;
        QTest::newRow("in the table") << false;
    }
    void hugeDefineDpi()
    {
        QFETCH(bool, fromFile);
        currentSensorModel = QStringLiteral("3950");
        const QString huge = QStringLiteral("SENSOR_3950_DPI_2147483647");
        if (fromFile) {
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("SENSOR_3950_DPI_2147483647 names a DPI outside"));
            sensorDefineTable = definesOf(kDefines3950 + "#define " + huge.toLatin1() + "\t0x50\n");
            QCOMPARE(sensorDefineTable.indexOf(huge), -1);
        } else {
            sensorDefineTable = definesOf(kDefines3950);
            sensorDefineTable.append(huge, 0x50);
        }
        QCOMPARE(decodeDpiStage(0x50, 0x33), 0);
        QCOMPARE(decodeDpiStage(0x63, 0x33), 20000);
    }

    void rangeTable_data()
    {
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("minText");
        QTest::addColumn<QString>("maxText");
        QTest::addColumn<QList<int>>("minimums");
        QTest::addColumn<QList<int>>("maximums");
        QTest::newRow("four ranges") << kFourRanges << 4 << 0x33 << "50" << "26000"
                                     << QList<int>{50, 3100, 10200, 20200} << QList<int>{3000, 10000, 20000, 26000};
        QTest::newRow("two ranges") << kDoubledRange << 2 << 0x22 << "50" << "20000" << QList<int>{50, 10100}
                                    << QList<int>{10000, 20000};
        QTest::newRow("mode not a number") << QStringList{"100", "800", "100", "fast"} << 1 << 0 << "100" << "800"
                                           << QList<int>{100} << QList<int>{800};
        // Counts outside 1..4 keep the previous texts and no ranges.
        QTest::newRow("three items") << QStringList{"50", "100", "0x11"} << 0 << 0x11 << "old min" << "old max"
                                     << QList<int>{} << QList<int>{};
        QTest::newRow("empty") << QStringList{} << 0 << 0 << "old min" << "old max" << QList<int>{} << QList<int>{};
        QStringList sixteen = kFourRanges.mid(0, 12) + QStringList{"26200", "27000", "200", "0x33"};
        QTest::newRow("five ranges") << sixteen << 0 << 0x33 << "old min" << "old max" << QList<int>{}
                                     << QList<int>{};
    }
    void rangeTable()
    {
        QFETCH(QStringList, items);
        QFETCH(int, count);
        QFETCH(int, mode);
        QFETCH(QString, minText);
        QFETCH(QString, maxText);
        QFETCH(QList<int>, minimums);
        QFETCH(QList<int>, maximums);
        DpiRangeTable table = testsupport::rangeTableOf(kFourRanges);
        QString min = QStringLiteral("old min"), max = QStringLiteral("old max");
        refillDpiRangeTable(items, &table, &min, &max);
        QCOMPARE(table.rangeCount, count);
        QCOMPARE(table.rangeMode, mode);
        QCOMPARE(min, minText);
        QCOMPARE(max, maxText);
        QCOMPARE(table.minimums, minimums);
        QCOMPARE(table.maximums, maximums);
        // Mode 0x22/0x11 without a first range: no flags, divisor 1.
        DpiStageCode bytes;
        QVERIFY(dpiStageCode(30000, 0, QStringLiteral("1234"), table, SensorDefineTable(), &bytes));
        if (table.minimums.isEmpty())
            QCOMPARE(bytes.flags, 0);
    }

    // The stage write: bytes 0-2 of the stage through SetDpiStageValue, and
    // nothing at all for a refused DPI or no stage.
    void writesTheStage()
    {
        testsupport::OpenedDevice device;
        dpiRangeTable = testsupport::rangeTableOf(kFourRanges);
        currentSensorModel = QStringLiteral("1234");
        const QByteArray before = device.record();

        QCOMPARE(encodeDpiStage(3, 4000), DpiStageWrite::Written);
        QCOMPARE(device.recordsSent(),
                 QVector<QByteArray>{device.withBytes(before, {{kStages + 18, 39}, {kStages + 19, 39},
                                                               {kStages + 20, 0x22}})});

        device.clearSent();
        sensorDefineTable = definesOf(kDefines3950);
        currentSensorModel = QStringLiteral("3950");
        const QByteArray defined = device.record();
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("no register value for 1000 DPI"));
        QCOMPARE(encodeDpiStage(0, 1000), DpiStageWrite::Inexpressible);
        QCOMPARE(encodeDpiStage(-1, 800), DpiStageWrite::NotSent);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("outside 0..7"));
        QCOMPARE(encodeDpiStage(8, 800), DpiStageWrite::NotSent);
        QCOMPARE(device.record(), defined);
        QVERIFY(hidsim::callLog().isEmpty());
    }

    void offlineLeavesTheRecord()
    {
        testsupport::OpenedDevice device;
        device.goOffline();
        const QByteArray before = device.record();
        QSignalSpy offline(PostMsg::GetInstance(), SIGNAL(SigMouseOffLineo(int)));
        QCOMPARE(encodeDpiStage(2, 800), DpiStageWrite::NotSent);
        QCOMPARE(device.record(), before);
        QVERIFY(device.recordsSent().isEmpty());
        QCOMPARE(offline.count(), 1);
    }

    // Every grade of every catalogue model, written as the stage editor
    // writes it, reads back from the device's record as the same DPI.
    void catalogueGradesRoundTrip_data()
    {
        QTest::addColumn<int>("modelIndex");
        const int total = ConfigSettings::instance()->value("Option", "DeviceTotal").toInt();
        QVERIFY(total > 0);
        for (int i = 0; i < total; ++i)
            QTest::newRow(qPrintable(QStringLiteral("Drive%1").arg(i + 1))) << i;
    }
    void catalogueGradesRoundTrip()
    {
        QFETCH(int, modelIndex);
        testsupport::OpenedDevice device;
        useCatalogueSensor(modelIndex);
        if (QTest::currentTestFailed())
            return;
        const QString group = QStringLiteral("Drive%1").arg(modelIndex + 1);

        const QStringList grades = ConfigSettings::instance()->valueList(group, "DPIGrade");
        QCOMPARE(grades.size(), int(kDpiStageCount));
        for (int k = 0; k < grades.size(); ++k)
            QVERIFY2(encodeDpiStage(k, grades.at(k).toInt()) == DpiStageWrite::Written, qPrintable(grades.at(k)));
        QCOMPARE(device.recordsSent().size(), grades.size());
        const QByteArray sent = device.recordsSent().last();
        for (int k = 0; k < grades.size(); ++k) {
            const int code = quint8(sent.at(kStages + 6 * k));
            QCOMPARE(quint8(sent.at(kStages + 6 * k + 1)), quint8(code));
            QCOMPARE(decodeDpiStage(code, quint8(sent.at(kStages + 6 * k + 2))), grades.at(k).toInt());
        }
    }

    // A DPI exactly at the start of each range of either catalogue sensor
    // goes out with that range's flags and the code of its define.
    void catalogueRangeStarts_data()
    {
        QTest::addColumn<int>("modelIndex");
        QTest::addColumn<QString>("sensor");
        QTest::addColumn<int>("dpi");
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("flags");
        const QList<QList<int>> starts = {{50, 0x00, 0x00}, {10100, 0x64, 0x22}, {20200, 0xC9, 0x11}, {22200, 0x6E, 0x33}};
        for (int model = 0; model < 2; ++model) {
            const QString sensor = model == 0 ? QStringLiteral("3395") : QStringLiteral("3950");
            for (const QList<int>& start : starts)
                QTest::addRow("%s at %d", qPrintable(sensor), start[0]) << model << sensor << start[0] << start[1] << start[2];
        }
    }
    void catalogueRangeStarts()
    {
        QFETCH(int, modelIndex);
        QFETCH(QString, sensor);
        QFETCH(int, dpi);
        QFETCH(int, code);
        QFETCH(int, flags);
        testsupport::OpenedDevice device;
        useCatalogueSensor(modelIndex);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(currentSensorModel, sensor);
        QCOMPARE(dpiRangeTable.rangeMode, 0x33);
        QCOMPARE(dpiRangeTable.minimums, (QList<int>{50, 10100, 20200, 22200}));

        QCOMPARE(encodeDpiStage(2, dpi), DpiStageWrite::Written);
        QCOMPARE(device.recordsSent().size(), 1);
        const QByteArray sent = device.recordsSent().last();
        QCOMPARE(quint8(sent.at(kStages + 12)), quint8(code));
        QCOMPARE(quint8(sent.at(kStages + 13)), quint8(code));
        QCOMPARE(quint8(sent.at(kStages + 14)), quint8(flags));
        QCOMPARE(decodeDpiStage(code, flags), dpi);
    }
};

QUEMBREL_TEST_MAIN(DpiEncodingTest)
#include "tst_dpiencoding.moc"
