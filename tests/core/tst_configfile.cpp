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
    // Counts within their blocks, up to each limit.
    for (int k = 0; k < kButtonCount; ++k) {
        record.keyBlocks[k].count = uint8_t(k % (kKeyBlockEvents + 1));
        record.macroBlocks[k].nameLength = uint8_t(k == 0 ? kMacroNameSize : k);
        record.macroBlocks[k].eventCount = uint8_t(k == 0 ? kMacroBlockEvents : k * 4);
    }
    return record;
}

// Where a count byte of block k sits in the record.
int keyCountAt(int k)
{
    return int(offsetof(FlashDataMap, keyBlocks) + k * sizeof(KeyBlock) + offsetof(KeyBlock, count));
}
int macroNameLengthAt(int k)
{
    return int(offsetof(FlashDataMap, macroBlocks) + k * sizeof(MacroBlock) + offsetof(MacroBlock, nameLength));
}
int macroCountAt(int k)
{
    return int(offsetof(FlashDataMap, macroBlocks) + k * sizeof(MacroBlock) + offsetof(MacroBlock, eventCount));
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

    // A record whose counts or lengths overrun their blocks is no record of
    // ours: refused as unreadable, and nothing of it is taken.
    void recordCounts_data()
    {
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("expected");
        QTest::newRow("6 key events") << keyCountAt(3) << 6 << 0;
        QTest::newRow("7 key events") << keyCountAt(3) << 7 << 1;
        QTest::newRow("7 key events, last button") << keyCountAt(15) << 7 << 1;
        QTest::newRow("255 key events") << keyCountAt(0) << 255 << 1;
        QTest::newRow("30-byte macro name") << macroNameLengthAt(7) << 30 << 0;
        QTest::newRow("31-byte macro name") << macroNameLengthAt(7) << 31 << 1;
        QTest::newRow("255-byte macro name, last button") << macroNameLengthAt(15) << 255 << 1;
        QTest::newRow("70 macro events") << macroCountAt(2) << 70 << 0;
        QTest::newRow("71 macro events") << macroCountAt(2) << 71 << 1;
        QTest::newRow("255 macro events, last button") << macroCountAt(15) << 255 << 1;
    }

    void recordCounts()
    {
        QFETCH(int, offset);
        QFETCH(int, value);
        QFETCH(int, expected);
        QByteArray record = flashDataBytes(sampleRecord());
        record[offset] = char(value);
        const QString path = writeFile(fileBytes(configTextBlock("Qelvo"), configTextBlock("3395"), record));
        FlashDataMap out;
        std::memset(&out, 0xA5, sizeof(out));
        const QByteArray before = flashDataBytes(out);
        QCOMPARE(int(readConfigFile(path, "3395", 8, &out)), expected);
        QCOMPARE(flashDataBytes(out), expected == 0 ? record : before);
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
