#include "support/testsupport.h"

#include "sensor/sensordefinitions.h"

#include <QFile>

// driver_sensor.h line rules: which lines give a define, which a feature
// switch, and which are skipped.

namespace {

// "NAME=value" for every switch the file set.
QStringList switchTexts(const SensorFeatureSwitches& switches)
{
    QStringList texts;
    for (int f = 0; f < kSensorFeatureCount; ++f)
        if (!switches.values[f].isNull())
            texts << sensorFeatureName(SensorFeature(f)) + QLatin1Char('=') + switches.values[f];
    return texts;
}

QString writeFile(const QByteArray& contents)
{
    static int count = 0;
    const QString path = testsupport::homeDir() + QStringLiteral("/driver_sensor_%1.h").arg(++count);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(contents) != contents.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

} // namespace

class SensorDefinitionsTest : public QObject
{
    Q_OBJECT
private slots:
    void lines_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QList<int>>("values");
        QTest::addColumn<QStringList>("switches");

        const QStringList none;
        const QList<int> noValues;
        QTest::newRow("define") << QByteArray("#define SENSOR_3950_DPI_400\t7\n")
                                << QStringList{"SENSOR_3950_DPI_400"} << QList<int>{7} << none;
        QTest::newRow("hex value") << QByteArray("#define X\t0x1F\n") << QStringList{"X"} << QList<int>{31} << none;
        QTest::newRow("consecutive blanks are one") << QByteArray("#define   X\t5\n") << QStringList{"X"}
                                                    << QList<int>{5} << none;
        QTest::newRow("carriage return dropped") << QByteArray("#define X\t5\r\n") << QStringList{"X"}
                                                 << QList<int>{5} << none;
        QTest::newRow("not a number is 0") << QByteArray("#define X\tabc\n") << QStringList{"X"} << QList<int>{0}
                                           << none;
        QTest::newRow("tab but no value is 0") << QByteArray("#define X\t\n") << QStringList{"X"}
                                               << QList<int>{0} << none;
        QTest::newRow("name alone skipped") << QByteArray("#define X\n") << none << noValues << none;
        QTest::newRow("blank instead of tab") << QByteArray("#define X 5\n") << none << noValues << none;
        QTest::newRow("trailing blank") << QByteArray("#define X\t5 \n") << none << noValues << none;
        QTest::newRow("tab then comment") << QByteArray("#define X\t5\t//c\n") << none << noValues << none;
        QTest::newRow("commented define") << QByteArray("#define X\t12 //note\n") << QStringList{"X"}
                                          << QList<int>{12} << none;
        QTest::newRow("commented hex is 0") << QByteArray("#define X\t0x1F //c\n") << QStringList{"X"}
                                            << QList<int>{0} << none;
        QTest::newRow("comment with blanks") << QByteArray("#define X\t12 // a note\n") << none << noValues << none;
        QTest::newRow("third part no comment") << QByteArray("#define X\t12 y\n") << none << noValues << none;
        QTest::newRow("other first word") << QByteArray("#DEFINE X\t5\n#defin Y\t6\n") << none << noValues << none;
        QTest::newRow("comment line") << QByteArray("// Sensor 3395: one code per DPI\n") << none << noValues
                                      << none;
        QTest::newRow("last define without line end")
            << QByteArray("#define A\t1\n#define B\t2") << QStringList{"A"} << QList<int>{1} << none;
        QTest::newRow("duplicate names kept") << QByteArray("#define X\t1\n#define X\t2\n")
                                              << QStringList{"X", "X"} << QList<int>{1, 2} << none;
        QTest::newRow("switch") << QByteArray("#define SUPPORT_RIPPLE\t3395,3950\n") << none << noValues
                                << QStringList{"SUPPORT_RIPPLE=3395,3950"};
        QTest::newRow("last switch without line end")
            << QByteArray("#define SUPPORT_LOD_CAL\t3395") << none << noValues
            << QStringList{"SUPPORT_LOD_CAL=3395"};
        QTest::newRow("later switch line wins")
            << QByteArray("#define SUPPORT_LOD_CAL\t3395\n#define SUPPORT_LOD_CAL\t3950\n") << none << noValues
            << QStringList{"SUPPORT_LOD_CAL=3950"};
        QTest::newRow("earlier switch name decides")
            << QByteArray("#define SUPPORT_RIPPLE_SUPPORT_LOD_CAL\tx\n") << none << noValues
            << QStringList{"SUPPORT_LOD_CAL=x"};
        QTest::newRow("switch first word not examined") << QByteArray("// SUPPORT_FIXLINE\t3950\n") << none
                                                        << noValues << QStringList{"SUPPORT_FIXLINE=3950"};
        QTest::newRow("switch value's first piece") << QByteArray("#define SUPPORT_MOTION_SYNC\t3395\t3950\n")
                                                    << none << noValues
                                                    << QStringList{"SUPPORT_MOTION_SYNC=3395"};
        QTest::newRow("switch without value") << QByteArray("#define SUPPORT_FIXLINE\n") << none << noValues
                                              << none;
        QTest::newRow("empty file") << QByteArray() << none << noValues << none;
    }
    void lines()
    {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, names);
        QFETCH(QList<int>, values);
        QFETCH(QStringList, switches);

        SensorFeatureSwitches readSwitches;
        SensorDefineTable defines;
        readSensorDefinitions(writeFile(file), &readSwitches, &defines);

        QCOMPARE(defines.names, names);
        QCOMPARE(defines.values.toList(), values);
        QCOMPARE(switchTexts(readSwitches), switches);
    }

    // A register define naming a DPI above the number box's maximum (or
    // below 0) is skipped with one warning line; values too large for an int
    // read as 0, as any text that is not a number.
    void dpiAndValueBounds_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QList<int>>("values");
        QTest::addColumn<int>("warnings");
        QTest::newRow("highest DPI kept") << QByteArray("#define SENSOR_3950_DPI_100000\t9\n")
                                          << QStringList{"SENSOR_3950_DPI_100000"} << QList<int>{9} << 0;
        QTest::newRow("DPI above the maximum") << QByteArray("#define SENSOR_3950_DPI_100001\t9\n") << QStringList()
                                               << QList<int>() << 1;
        QTest::newRow("DPI near int's end") << QByteArray("#define SENSOR_3950_DPI_2147483647\t9\n#define A\t1\n")
                                            << QStringList{"A"} << QList<int>{1} << 1;
        QTest::newRow("DPI past int") << QByteArray("#define SENSOR_3950_DPI_99999999999999999999\t9 //c\n")
                                      << QStringList() << QList<int>() << 1;
        QTest::newRow("negative DPI") << QByteArray("#define SENSOR_3950_DPI_-2147483648\t9\n") << QStringList()
                                      << QList<int>() << 1;
        QTest::newRow("commented huge DPI") << QByteArray("#define SENSOR_3395_DPI_800000\t9 //c\n")
                                            << QStringList() << QList<int>() << 1;
        QTest::newRow("DPI text no number") << QByteArray("#define SENSOR_3950_DPI_MAX\t9\n")
                                            << QStringList{"SENSOR_3950_DPI_MAX"} << QList<int>{9} << 0;
        QTest::newRow("hex value past int") << QByteArray("#define X\t0xFFFFFFFFFF\n") << QStringList{"X"}
                                            << QList<int>{0} << 0;
        QTest::newRow("decimal value past int") << QByteArray("#define X\t99999999999\n") << QStringList{"X"}
                                                << QList<int>{0} << 0;
        QTest::newRow("commented value past int") << QByteArray("#define X\t-99999999999 //c\n") << QStringList{"X"}
                                                  << QList<int>{0} << 0;
    }
    void dpiAndValueBounds()
    {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, names);
        QFETCH(QList<int>, values);
        QFETCH(int, warnings);
        static QStringList seen;
        seen.clear();
        const QtMessageHandler previous = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
            if (type == QtWarningMsg)
                seen << text;
        });
        SensorDefineTable defines;
        readSensorDefinitions(writeFile(file), nullptr, &defines);
        qInstallMessageHandler(previous);

        QCOMPARE(defines.names, names);
        QCOMPARE(defines.values.toList(), values);
        QCOMPARE(seen.size(), warnings);
        if (warnings)
            QVERIFY2(seen.first().contains("outside 0..100000"), qPrintable(seen.first()));
    }

    // The button page reads defines only; a switch line never becomes a define.
    void definesWithoutSwitches()
    {
        SensorDefineTable defines;
        readSensorDefinitions(writeFile("#define SUPPORT_RIPPLE\t3395\n#define X\t2\n"), nullptr, &defines);
        QCOMPARE(defines.names, QStringList{"X"});
    }

    void missingFileReadsNothing()
    {
        SensorFeatureSwitches switches;
        SensorDefineTable defines;
        readSensorDefinitions(testsupport::homeDir() + QStringLiteral("/absent.h"), &switches, &defines);
        QVERIFY(defines.names.isEmpty());
        QVERIFY(switchTexts(switches).isEmpty());
        // An empty switch still lists the empty model, and no other.
        QVERIFY(switches.lists(FeatureRipple, QString()));
        QVERIFY(!switches.lists(FeatureRipple, QStringLiteral("3395")));
    }

    // Listing is substring matching, case-sensitive.
    void listedModels_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<bool>("listed");
        QTest::newRow("3395") << "3395" << true;
        QTest::newRow("3950") << "3950" << true;
        QTest::newRow("3399") << "3399" << false;
        QTest::newRow("395 is a substring") << "395" << true;
        QTest::newRow("empty model") << "" << true;
        QTest::newRow("case") << "paw" << false;
    }
    void listedModels()
    {
        QFETCH(QString, model);
        QFETCH(bool, listed);
        SensorFeatureSwitches switches;
        readSensorDefinitions(writeFile("#define SUPPORT_RIPPLE\t3395,3950,PAW\n"), &switches, nullptr);
        QCOMPARE(switches.lists(FeatureRipple, model), listed);
        QCOMPARE(switches.lists(FeatureFixLine, model), model.isEmpty());
    }

    void dpiDefinesOfAModel()
    {
        SensorDefineTable defines;
        defines.append(QStringLiteral("SENSOR_3950_DPI_400"), 7);
        defines.append(QStringLiteral("OTHER"), 1);
        QVERIFY(defines.hasDpiDefines(QStringLiteral("3950")));
        QVERIFY(!defines.hasDpiDefines(QStringLiteral("3395")));
        QCOMPARE(defines.indexOf(QStringLiteral("OTHER")), 1);
        QCOMPARE(defines.indexOf(QStringLiteral("SENSOR_3950_DPI_4")), -1);
    }
};

QUEMBREL_TEST_MAIN(SensorDefinitionsTest)
#include "tst_sensordefinitions.moc"
