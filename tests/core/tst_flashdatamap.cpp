#include "support/testsupport.h"

#include "core/flashdatamap.h"

#include <cstring>

// The record's layout is the device's and the files': every field must land
// on its byte, and multi-byte numbers must be little-endian.
class FlashDataMapTest : public QObject
{
    Q_OBJECT

    static int offsetIn(const FlashDataMap& record, const void* field)
    {
        return int(static_cast<const unsigned char*>(field) - reinterpret_cast<const unsigned char*>(&record));
    }

private slots:
    void fieldOffsets_data()
    {
        QTest::addColumn<int>("actual");
        QTest::addColumn<int>("expected");
        static FlashDataMap r = {};
        QTest::newRow("reportRate") << offsetIn(r, &r.reportRate) << 0x00;
        QTest::newRow("dpiStageCount") << offsetIn(r, &r.dpiStageCount) << 0x01;
        QTest::newRow("currentDpiStage") << offsetIn(r, &r.currentDpiStage) << 0x02;
        QTest::newRow("reserved03") << offsetIn(r, &r.reserved03) << 0x03;
        QTest::newRow("reserved04") << offsetIn(r, &r.reserved04) << 0x04;
        QTest::newRow("liftOffDistance") << offsetIn(r, &r.liftOffDistance) << 0x05;
        QTest::newRow("debounceTime") << offsetIn(r, &r.debounceTime) << 0x06;
        QTest::newRow("motionSync") << offsetIn(r, &r.motionSync) << 0x07;
        QTest::newRow("sleepTime") << offsetIn(r, &r.sleepTime) << 0x08;
        QTest::newRow("angleSnapping") << offsetIn(r, &r.angleSnapping) << 0x09;
        QTest::newRow("rippleControl") << offsetIn(r, &r.rippleControl) << 0x0a;
        QTest::newRow("lightRippleControl") << offsetIn(r, &r.lightRippleControl) << 0x0b;
        QTest::newRow("performanceMode") << offsetIn(r, &r.performanceMode) << 0x0c;
        QTest::newRow("performanceLevel") << offsetIn(r, &r.performanceLevel) << 0x0d;
        QTest::newRow("sensorMode") << offsetIn(r, &r.sensorMode) << 0x0e;
        QTest::newRow("dpiStages[0]") << offsetIn(r, &r.dpiStages[0]) << 0x0f;
        QTest::newRow("dpiStages[7].blue") << offsetIn(r, &r.dpiStages[7].blue) << 0x0f + 6 * 7 + 5;
        QTest::newRow("dpiLightMode") << offsetIn(r, &r.dpiLightMode) << 0x3f;
        QTest::newRow("dpiLightBrightness") << offsetIn(r, &r.dpiLightBrightness) << 0x40;
        QTest::newRow("dpiLightSpeed") << offsetIn(r, &r.dpiLightSpeed) << 0x41;
        QTest::newRow("dpiLightOn") << offsetIn(r, &r.dpiLightOn) << 0x42;
        QTest::newRow("lightMode") << offsetIn(r, &r.lightMode) << 0x43;
        QTest::newRow("lightColor") << offsetIn(r, &r.lightColor[0]) << 0x44;
        QTest::newRow("lightSpeed") << offsetIn(r, &r.lightSpeed) << 0x47;
        QTest::newRow("lightBrightness") << offsetIn(r, &r.lightBrightness) << 0x48;
        QTest::newRow("lightOn") << offsetIn(r, &r.lightOn) << 0x49;
        QTest::newRow("buttons[1].value2") << offsetIn(r, &r.buttons[1].value2) << 0x4a + 3 + 2;
        QTest::newRow("reserved7a") << offsetIn(r, &r.reserved7a[0]) << 0x7a;
        QTest::newRow("reserved7b") << offsetIn(r, &r.reserved7a[1]) << 0x7b;
        QTest::newRow("keyBlocks[1].events[0]") << offsetIn(r, &r.keyBlocks[1].events[0]) << 0x7c + 52 + 4;
        QTest::newRow("macroBlocks[0]") << offsetIn(r, &r.macroBlocks[0]) << 0x3bc;
        QTest::newRow("macroBlocks[2].eventCount") << offsetIn(r, &r.macroBlocks[2].eventCount) << 0x3bc + 2 * 592 + 31;
        QTest::newRow("end") << offsetIn(r, &r.macroBlocks[15].events[69].delayLE[3]) + 1 << 0x28bc;
        QTest::newRow("size") << int(sizeof(FlashDataMap)) << 10428;
    }
    void fieldOffsets()
    {
        QFETCH(int, actual);
        QFETCH(int, expected);
        QCOMPARE(actual, expected);
    }

    void eventNumbersAreLittleEndian()
    {
        FlashDataMap record = {};
        DeviceEvent& event = record.macroBlocks[15].events[69];
        event.setCode(0x183);
        event.setDelay(0x01020304u);
        const QByteArray bytes = flashDataBytes(record);
        QCOMPARE(bytes.size(), 10428);
        QCOMPARE(bytes.mid(10428 - 6), QByteArray("\x83\x01\x04\x03\x02\x01", 6));
        QCOMPARE(event.code(), uint16_t(0x183));
        QCOMPARE(event.delay(), 0x01020304u);
        event.setDelay(0xffffffffu);
        QCOMPARE(event.delay(), 0xffffffffu);
    }

    void emptyBlocksAreValid()
    {
        // The process-wide record starts all zero: empty key and macro blocks.
        QCOMPARE(flashDataBytes(CurrentFlashData), QByteArray(10428, '\0'));
        QCOMPARE(int(CurrentFlashData.keyBlocks[0].count), 0);
        QCOMPARE(int(CurrentFlashData.macroBlocks[0].nameLength), 0);
    }

    void onlyAWholeRecordIsCopied_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("copied");
        QTest::newRow("empty") << 0 << false;
        QTest::newRow("one short") << 10427 << false;
        QTest::newRow("one long") << 10429 << false;
        QTest::newRow("export file") << 10464 << false;
        QTest::newRow("exact") << 10428 << true;
    }
    void onlyAWholeRecordIsCopied()
    {
        QFETCH(int, size);
        QFETCH(bool, copied);
        FlashDataMap record = {};
        record.reserved03 = 0x5a;
        QCOMPARE(flashDataFromBytes(QByteArray(size, '\x11'), &record), copied);
        QCOMPARE(int(record.reserved03), copied ? 0x11 : 0x5a);
        QCOMPARE(int(record.macroBlocks[15].events[69].delayLE[3]), copied ? 0x11 : 0);
    }

    void roundTrip()
    {
        QByteArray bytes(10428, '\0');
        for (int i = 0; i < bytes.size(); ++i)
            bytes[i] = char(i * 7);
        FlashDataMap record;
        QVERIFY(flashDataFromBytes(bytes, &record));
        QCOMPARE(flashDataBytes(record), bytes);
    }
};

QUEMBREL_TEST_MAIN(FlashDataMapTest)
#include "tst_flashdatamap.moc"
