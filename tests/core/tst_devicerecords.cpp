#include "support/testsupport.h"

#include "core/globals.h"

#include <cstring>

class DeviceRecordsTest : public QObject
{
    Q_OBJECT
private slots:
    void defaultRecord()
    {
        const DeviceAllInfo info;
        QCOMPARE(info.path, QString());
        QCOMPARE(info.vid, QStringLiteral("0"));
        QCOMPARE(info.pid, QStringLiteral("0"));
        QCOMPARE(int(info.idPair), 0);
        QCOMPARE(info.modelIndex, 0);
        QCOMPARE(int(info.online), 0);
        QCOMPARE(int(info.isMouse), 0);
        QVERIFY(info.usbAddress.isEmpty());
    }

    void copyKeepsEveryField()
    {
        DeviceAllInfo info;
        info.path = "/dev/sim/rx4k";
        info.idPair = 0x112a;
        info.deviceType = 1;
        info.modelIndex = 2;
        info.online = 1;
        info.firmwareVersionText = "v1.03";
        info.usbAddress = QByteArray("\x5a\x31\x07", 3);
        DeviceAllInfo copy;
        copy = info;
        QCOMPARE(copy.path, info.path);
        QCOMPARE(copy.usbAddress, info.usbAddress);
        QCOMPARE(copy.firmwareVersionText, info.firmwareVersionText);
        QCOMPARE(int(copy.cid()), 0x2a);
        QCOMPARE(int(copy.mid()), 0x11);
    }

    void deviceTypes_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<bool>("mouse");
        QTest::addColumn<int>("rateClass");
        QTest::newRow("0") << 0 << false << 1;
        QTest::newRow("1") << 1 << false << 4;
        QTest::newRow("4") << 4 << false << 2;
        QTest::newRow("5") << 5 << false << 8;
        QTest::newRow("2") << 2 << true << 0;
        QTest::newRow("3") << 3 << true << 0;
        QTest::newRow("6") << 6 << true << 0;
        QTest::newRow("7") << 7 << true << 0;
        QTest::newRow("255") << 255 << true << 0;
    }
    void deviceTypes()
    {
        QFETCH(int, type);
        QFETCH(bool, mouse);
        QFETCH(int, rateClass);
        QCOMPARE(isMouseType(uint8_t(type)), mouse);
        QCOMPARE(receiverRateClass(uint8_t(type)), rateClass);
    }

    void names_data()
    {
        QTest::addColumn<QString>("actual");
        QTest::addColumn<QString>("expected");
        QTest::newRow("cache 0A 3F") << deviceCacheFileName(0x0a, 0x3f) << "Device_CID0A_MID3F.bin";
        QTest::newRow("cache idPair") << deviceCacheFileName(uint16_t(0x112a)) << "Device_CID2A_MID11.bin";
        QTest::newRow("cache zero") << deviceCacheFileName(0, 0) << "Device_CID00_MID00.bin";
        QTest::newRow("version") << versionText(0x0103) << "v1.03";
        QTest::newRow("version hex") << versionText(0x0c1f) << "v12.1F";
        QTest::newRow("version minor 0x10") << versionText(0x0110) << "v1.10";
        QTest::newRow("version minor 0xFF") << versionText(0x01ff) << "v1.FF";
        QTest::newRow("version major 0x80") << versionText(0x8005) << "v128.05";
        QTest::newRow("version major 0xFF") << versionText(0xff10) << "v255.10";
    }
    void names()
    {
        QFETCH(QString, actual);
        QFETCH(QString, expected);
        QCOMPARE(actual, expected);
    }

    void startValues()
    {
        QCOMPARE(QByteArray(devicePath), QByteArray());
        QVERIFY(currentDevice.path.isEmpty());
        QCOMPARE(int(upgradeIdle), 1);
        QCOMPARE(int(deviceRecordReceived), 0);
        QVERIFY(dongleRgb);
        QCOMPARE(int(dongleRgb->mode), 0);
    }

    void devicePathStaysValid()
    {
        setDevicePath(QByteArray("/dev/sim/a"));
        const char* first = devicePath;
        setDevicePath(QStringLiteral("/dev/sim/b"));
        QCOMPARE(QByteArray(devicePath), QByteArray("/dev/sim/b"));
        // A reader that still holds the old pointer reads the old text.
        QCOMPARE(QByteArray(first), QByteArray("/dev/sim/a"));
        setDevicePath(QByteArray("/dev/sim/a"));
        QCOMPARE(devicePath, first);
    }
};

QUEMBREL_TEST_MAIN(DeviceRecordsTest)
#include "tst_devicerecords.moc"
