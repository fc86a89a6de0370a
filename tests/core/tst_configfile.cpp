#include "support/testsupport.h"

#include "core/configfile.h"

#include <QDataStream>
#include <QFile>
#include <QtEndian>

#include <cstring>

namespace {

FlashDataMap sampleRecord()
{
    FlashDataMap record;
    auto* bytes = reinterpret_cast<unsigned char*>(&record);
    for (size_t i = 0; i < sizeof(record); ++i)
        bytes[i] = static_cast<unsigned char>((i * 7 + 3) & 0xff);
    record.dpiStageCount = 4;
    return record;
}

QByteArray block(const QByteArray& data)
{
    QByteArray out(4, '\0');
    qToBigEndian<quint32>(quint32(data.size()), out.data());
    return out + data;
}

QByteArray fileBytes(const QByteArray& tag, const QByteArray& sensor, const QByteArray& record)
{
    return block(tag) + block(sensor) + block(record);
}

} // namespace

class ConfigFileTest : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;

    QString writeFile(const QByteArray& bytes)
    {
        const QString path = dir.filePath("config.bin");
        QFile file(path);
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(bytes);
        return path;
    }

private slots:
    void exportLayout()
    {
        const QString path = dir.filePath("export.bin");
        const FlashDataMap record = sampleRecord();
        QVERIFY(writeConfigFile(path, "3395", record));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QCOMPARE(bytes.size(), 10464);
        QCOMPARE(bytes.left(16), QByteArray::fromHex("0000000C") + QByteArray("Qelvo") + QByteArray(7, '\0'));
        QCOMPARE(bytes.mid(16, 16), QByteArray::fromHex("0000000C") + QByteArray("3395") + QByteArray(8, '\0'));
        QCOMPARE(bytes.mid(32, 4), QByteArray::fromHex("000028BC"));
        QCOMPARE(bytes.mid(36), flashDataBytes(record));
    }

    void exportCutsLongSensorName()
    {
        const QString path = dir.filePath("long.bin");
        QVERIFY(writeConfigFile(path, "ABCDEFGHIJKLMNOP", sampleRecord()));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll().mid(16, 16), QByteArray::fromHex("0000000C") + QByteArray("ABCDEFGHIJKL"));
        FlashDataMap out{};
        QCOMPARE(readConfigFile(path, "ABCDEFGHIJKLMNOP", 8, &out), ConfigFileMismatch);
        QCOMPARE(readConfigFile(path, "ABCDEFGHIJKL", 8, &out), ConfigFileAccepted);
    }

    void roundTripsByteForByte()
    {
        const QString path = dir.filePath("round.bin");
        const FlashDataMap record = sampleRecord();
        QVERIFY(writeConfigFile(path, "3950", record));
        FlashDataMap out{};
        QCOMPARE(readConfigFile(path, "3950", 8, &out), ConfigFileAccepted);
        QCOMPARE(flashDataBytes(out), flashDataBytes(record));
    }

    void checks_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("maxStages");
        QTest::addColumn<int>("expected");

        const QByteArray tag = QByteArray("Qelvo") + QByteArray(7, '\0');
        const QByteArray sensor = QByteArray("3395") + QByteArray(8, '\0');
        const QByteArray record = flashDataBytes(sampleRecord());  // 4 stages
        const QByteArray good = fileBytes(tag, sensor, record);

        QTest::newRow("valid") << good << 8 << 0;
        QTest::newRow("filler after the tag's NUL") << fileBytes(QByteArray("Qelvo\0xyzwvu", 12), sensor, record) << 8 << 0;
        QTest::newRow("stage count at the limit") << good << 4 << 0;
        QTest::newRow("one stage over the limit") << good << 3 << 2;
        QTest::newRow("no limit in the catalogue") << good << 0 << 2;
        QTest::newRow("wrong tag") << fileBytes(QByteArray("qelvo") + QByteArray(7, '\0'), sensor, record) << 8 << 1;
        QTest::newRow("wrong sensor") << fileBytes(tag, QByteArray("3950") + QByteArray(8, '\0'), record) << 8 << 2;
        QTest::newRow("empty file") << QByteArray() << 8 << 1;
        QTest::newRow("truncated record") << good.left(5000) << 8 << 1;
        QTest::newRow("truncated in the tag") << good.left(10) << 8 << 1;
        QTest::newRow("oversized record block") << fileBytes(tag, sensor, record + QByteArray(1, '\x55')) << 8 << 1;
        QTest::newRow("short record block") << fileBytes(tag, sensor, record.left(10427)) << 8 << 1;
        QByteArray lying = good.left(32);
        lying += QByteArray::fromHex("FFFFFFF0") + QByteArray(100, '\x01');
        QTest::newRow("record length past the file") << lying << 8 << 1;
        QTest::newRow("tag block without NUL") << fileBytes(QByteArray("QelvoQelvoQe"), sensor, record) << 8 << 1;
    }

    void checks()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, maxStages);
        QFETCH(int, expected);
        const QString path = writeFile(bytes);
        FlashDataMap out;
        std::memset(&out, 0xA5, sizeof(out));
        const QByteArray before = flashDataBytes(out);
        QCOMPARE(int(readConfigFile(path, "3395", maxStages, &out)), expected);
        if (expected == 0)
            QCOMPARE(flashDataBytes(out), flashDataBytes(sampleRecord()));
        else
            QCOMPARE(flashDataBytes(out), before);
    }

    void missingFileIsUnreadable()
    {
        FlashDataMap out{};
        QTest::ignoreMessage(QtDebugMsg, "failed");
        QCOMPARE(readConfigFile(dir.filePath("absent.bin"), "3395", 8, &out), ConfigFileUnreadable);
    }

    void unwritableExportFails()
    {
        QVERIFY(!writeConfigFile(dir.filePath("no/such/folder/x.bin"), "3395", sampleRecord()));
    }
};

QUEMBREL_TEST_MAIN(ConfigFileTest)
#include "tst_configfile.moc"
