#include "support/devicefixture.h"
#include "support/hubrecorder.h"
#include "support/testsupport.h"

#include "buttons/buttoninterface.h"
#include "core/globals.h"
#include "core/postmsg.h"
#include "core/settings.h"
#include "core/worker.h"
#include "platform/hidusb/flashimage.h"
#include "platform/hidusb/hidusb.h"
#include "platform/hidusb/simcontrol.h"
#include "sensor/sensor.h"

#include <memory>

using testsupport::HubRecorder;
namespace image = hidsim::image;

namespace {

void ignoreReports(const unsigned char*, int, const unsigned char*, int)
{
}

QByteArray header(int kind, int subKind = 0, int byte3 = 0, int length = HIDUSB_HEADER_SIZE)
{
    QByteArray bytes(HIDUSB_HEADER_SIZE, '\0');
    bytes[1] = char(kind);
    bytes[3] = char(byte3);
    bytes[4] = char(subKind);
    return bytes.left(length);
}

const unsigned char* bytesOf(const QByteArray& bytes)
{
    return reinterpret_cast<const unsigned char*>(bytes.constData());
}

// Delivers one report as the library does: on a thread of its own, while the
// GUI thread runs the pages' blocking-queued slots.
void deliver(const QByteArray& head, const QByteArray& data)
{
    std::unique_ptr<QThread> thread(QThread::create(
        [head, data] { Worker::onDeviceData(bytesOf(head), head.size(), bytesOf(data), data.size()); }));
    thread->start();
    QTRY_VERIFY(thread->isFinished());
}

// A record whose 16 key blocks and 16 macros all hold something.
QByteArray recordWithKeysAndMacros()
{
    QByteArray record = image::factoryRecord(0);
    for (int j = 0; j < kButtonCount; ++j) {
        char* key = record.data() + image::kKeyBlocks + j * image::kKeyBlockSize;
        key[0] = 2;
        key[4] = 0;
        key[5] = 1;
        key[6] = char(4 + j);
        key[12] = 1;
        key[13] = 1;
        key[14] = char(4 + j);
        char* macro = record.data() + image::kMacroBlocks + j * image::kMacroBlockSize;
        macro[0] = 1;
        macro[1] = char('A' + j);
        macro[image::kMacroCountByte] = 1;
        macro[image::kMacroEvents + 1] = 1;
        macro[image::kMacroEvents + 2] = char(4 + j);
    }
    return record;
}

QByteArray imageOf(const QByteArray& record)
{
    QByteArray bytes(HIDUSB_IMAGE_SIZE, '\0');
    if (!image::pack(bytesOf(record), reinterpret_cast<unsigned char*>(bytes.data())))
        return QByteArray();
    return bytes;
}

const int kKeyAndMacroStart = 0x7c;

} // namespace

class TestDeviceReports : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<HubRecorder> recorder;
    std::unique_ptr<testsupport::DevicePages> pages;
    QByteArray startRecord;

private slots:
    void init()
    {
        hidsim::resetToDefaultBus();
        testsupport::resetDeviceState();
        ConfigSettings::resetForTests();
        recorder.reset(new HubRecorder);
        pages.reset(new testsupport::DevicePages);

        currentDevice = testsupport::deviceEntry(QStringLiteral("rx4k"));
        setDevicePath(currentDevice.path);
        QVERIFY(UsbServerC_Start(devicePath, devicePath, ignoreReports));
        startRecord = hidsim::storedRecord(QStringLiteral("q7"));
        QVERIFY(flashDataFromBytes(startRecord, &CurrentFlashData));
        deviceRecordReceived = 1;
        hidsim::clearCallLog();
    }

    void cleanup()
    {
        QVERIFY(hidsim::waitForIdle());
        pages.reset();
        recorder.reset();
        ConfigSettings::resetForTests();
        Worker::fullReloadGapMs = 3000;
    }

    void singleReports_data()
    {
        QTest::addColumn<QByteArray>("head");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<bool>("ownRecord");         // the device's record has arrived
        QTest::addColumn<int>("offset");             // where the record changes
        QTest::addColumn<QByteArray>("bytes");       // what it holds there afterwards
        QTest::addColumn<QStringList>("signalTexts");
        QTest::addColumn<QStringList>("calls");

        QByteArray led = image::factoryRecord(0);
        led[0x3f] = 2;
        led[0x40] = char(128);
        led[0x41] = 3;
        led[0x42] = 1;
        led[0x43] = 3;
        led[0x44] = 10;
        led[0x45] = 20;
        led[0x46] = 30;
        led[0x47] = 4;
        led[0x48] = 5;
        led[0x49] = 1;
        const QStringList none;
        const QStringList writeBack{"ProtocolDataUpdate"};

        QTest::newRow("battery") << header(4) << image::batteryPayload(55, true) << true << 0 << QByteArray()
                                 << QStringList{"SigBattery(true,55,true)"} << QStringList{"GetDeviceBatteryStatus"};
        QTest::newRow("battery without payload") << header(4) << QByteArray() << true << 0 << QByteArray()
                                                 << QStringList{"SigBattery(false,0,true)"}
                                                 << QStringList{"GetDeviceBatteryStatus"};
        QTest::newRow("report rate") << header(8, 0) << QByteArray(1, 4) << true << 0x00 << QByteArray(1, 4)
                                     << QStringList{"SigUpDataReportRate(4)"} << writeBack;
        QTest::newRow("report rate before the device's record") << header(8, 0) << QByteArray(1, 4) << false << 0x00
                                                                << QByteArray(1, 4)
                                                                << QStringList{"SigUpDataReportRate(4)"} << none;
        QTest::newRow("report rate, four-byte header") << header(8, 4, 0, 4) << QByteArray(1, 2) << true << 0x00
                                                       << QByteArray(1, 2) << QStringList{"SigUpDataReportRate(2)"}
                                                       << writeBack;
        QTest::newRow("report rate, byte 3 set") << header(8, 0, 1) << QByteArray(1, 4) << true << 0 << QByteArray()
                                                 << none << none;
        QTest::newRow("current stage") << header(8, 4) << QByteArray(1, 3) << true << 0x02 << QByteArray(1, 3)
                                       << QStringList{"SigUpDataDPI(3)"} << writeBack;
        QTest::newRow("current stage beyond the eight") << header(8, 4) << QByteArray(1, 9) << true << 0x02
                                                        << QByteArray(1, 7) << QStringList{"SigUpDataDPI(7)"}
                                                        << writeBack;
        QTest::newRow("current stage, two bytes") << header(8, 4) << QByteArray(2, 3) << true << 0 << QByteArray()
                                                  << none << none;
        QTest::newRow("DPI light") << header(8, 0x4c) << image::dpiLedPayload(led) << true << 0x3f << led.mid(0x3f, 4)
                                   << QStringList{"SigUpDataDPILed"} << QStringList{"BufferToDPILed"};
        QTest::newRow("DPI light, seven bytes") << header(8, 0x4c) << image::dpiLedPayload(led).left(7) << true << 0
                                                << QByteArray() << none << none;
        QTest::newRow("light bar") << header(8, 0xa0) << image::ledBarPayload(led) << true << 0x43 << led.mid(0x43, 7)
                                   << QStringList{"SigUpDataLightLight"} << QStringList{"BufferToLedBar"};
        QTest::newRow("image one byte short") << header(8, 0) << QByteArray(6911, 1) << true << 0 << QByteArray()
                                              << none << none;
        QTest::newRow("image one byte long") << header(8, 0) << QByteArray(6913, 1) << true << 0 << QByteArray()
                                             << none << none;
        QTest::newRow("profile") << header(14) << QByteArray(1, 2) << true << 0 << QByteArray()
                                 << QStringList{"SigUpDataConfigUI(4,2,true)"} << none;
        QTest::newRow("profile, two bytes") << header(14) << QByteArray(2, 2) << true << 0 << QByteArray()
                                            << QStringList{"SigUpDataConfigUI(0,0,false)"} << none;
        QTest::newRow("receiver LED") << header(21) << QByteArray(1, 0) << true << 0 << QByteArray()
                                      << QStringList{"SigRGBValue(0)"} << none;
        QTest::newRow("long range, ten bytes") << header(23) << QByteArray(10, 0) << true << 0 << QByteArray()
                                               << QStringList{"SigLongRangeMode(false)"} << none;
        QTest::newRow("long range, nine bytes") << header(23) << QByteArray(9, 0) << true << 0 << QByteArray()
                                                << none << none;
        QTest::newRow("status change: stage and battery")
            << header(10) << image::statusPayload(image::kStatusCurrentDpi | image::kStatusBattery) << true << 0
            << QByteArray() << none
            << QStringList{"GetDeviceStatusChanged", "UsbServer_ReadCurrentDPI", "UsbServer_ReadBatteryLevel"};
        QTest::newRow("status change: rate, light bar, DPI light")
            << header(10) << image::statusPayload(image::kStatusReportRate | image::kStatusLedBar | image::kStatusDpiLed)
            << true << 0 << QByteArray() << none
            << QStringList{"GetDeviceStatusChanged", "UsbServer_ReadReportRate", "UsbServer_ReadLedBar",
                           "UsbServer_ReadDPILed"};
        QTest::newRow("header of one byte") << header(4, 0, 0, 1) << image::batteryPayload(55, true) << true << 0
                                            << QByteArray() << none << none;
        QTest::newRow("kind without an entry") << header(5) << QByteArray(1, 1) << true << 0 << QByteArray() << none
                                               << none;
        QTest::newRow("kind beyond the table") << header(24) << QByteArray(1, 1) << true << 0 << QByteArray() << none
                                               << none;
    }

    void singleReports()
    {
        QFETCH(QByteArray, head);
        QFETCH(QByteArray, data);
        QFETCH(bool, ownRecord);
        QFETCH(int, offset);
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, signalTexts);
        QFETCH(QStringList, calls);
        deviceRecordReceived = ownRecord ? 1 : 0;
        QByteArray expected = startRecord;
        expected.replace(offset, bytes.size(), bytes);

        deliver(head, data);

        QCOMPARE(recorder->signalTexts(), signalTexts);
        QCOMPARE(testsupport::callNames(), calls);
        QCOMPARE(testsupport::currentRecordBytes(), expected);
        if (calls.contains(QStringLiteral("ProtocolDataUpdate")))
            QCOMPARE(hidsim::recordsSent().last(), expected);
        if (signalTexts.contains(QStringLiteral("SigUpDataDPILed")))
            QCOMPARE(recorder->lastRecord(QStringLiteral("SigUpDataDPILed")), expected);
    }

    void fullImage_data()
    {
        QTest::addColumn<bool>("afterReset");
        QTest::addColumn<QString>("keyParam");
        QTest::addColumn<QList<int>>("keptBlocks");

        QTest::newRow("plain image") << false << "KeyParam1=0x01,0x01,0x00" << QList<int>();
        QTest::newRow("after reset, button 1 keeps its keys") << true << "KeyParam1=0x05,0x04,0x00" << QList<int>{0};
        QTest::newRow("after reset, button 6 keeps its keys") << true << "KeyParam6=0x05,0x04,0x00" << QList<int>{5};
        QTest::newRow("after reset, no button keeps keys") << true << "KeyParam1=0x01,0x01,0x00" << QList<int>();
    }

    void fullImage()
    {
        QFETCH(bool, afterReset);
        QFETCH(QString, keyParam);
        QFETCH(QList<int>, keptBlocks);
        testsupport::useConfigWith({keyParam});
        const QByteArray sent = recordWithKeysAndMacros();
        const QByteArray img = imageOf(sent);
        QVERIFY(!img.isEmpty());
        keyResetPending = afterReset ? 1 : 0;
        skipReceiverExtras = afterReset ? 1 : 0;
        deviceRecordReceived = 0;
        workerRunAllowed = 1;

        deliver(header(8, 0), img);

        QByteArray expected = sent;
        if (afterReset) {
            for (int j = 0; j < kButtonCount; ++j) {
                if (keptBlocks.contains(j))
                    continue;
                expected.replace(kKeyAndMacroStart + j * int(sizeof(KeyBlock)), int(sizeof(KeyBlock)),
                                 QByteArray(int(sizeof(KeyBlock)), '\0'));
                expected.replace(image::kMacroBlocks + j * int(sizeof(MacroBlock)), int(sizeof(MacroBlock)),
                                 QByteArray(int(sizeof(MacroBlock)), '\0'));
            }
        }
        QCOMPARE(testsupport::currentRecordBytes(), expected);
        if (afterReset && keptBlocks.isEmpty())
            QCOMPARE(testsupport::currentRecordBytes().mid(kKeyAndMacroStart), QByteArray(10304, '\0'));

        QStringList calls{"ProtocolDataParser", "UsbServer_ReadDPILed", "UsbServer_ReadBatteryLevel",
                          "UsbServer_ReadVersion", "UsbServer_ReadConfig"};
        if (!afterReset)
            calls << "UsbFinderC_Get4KDongleRGBValue" << "UsbFinderC_GetLongRangeMode";
        calls << "ProtocolDataUpdate";
        QCOMPARE(testsupport::callNames(), calls);
        QCOMPARE(hidsim::recordsSent().last(), expected);

        QStringList signalTexts;
        if (!afterReset)
            signalTexts << QStringLiteral("SigRGBValue(1)");   // the receiver's LED mode
        signalTexts << "SigUpDataLightUIButton" << QStringLiteral("SigLightToFrom(%1)").arg(uint8_t(sent[0x08]) * 10)
                    << "SigUpDataLightLight" << "SigUpDataLightSensor" << "SigForm";
        QCOMPARE(recorder->signalTexts(), signalTexts);
        QCOMPARE(recorder->lastRecord(QStringLiteral("SigUpDataLightSensor")), expected);

        QCOMPARE(sensorPageUpdated, uint8_t(1));
        QCOMPARE(buttonPageUpdated, uint8_t(1));
        QCOMPARE(deviceRecordReceived, uint8_t(1));
        QCOMPARE(deviceDataExpected, uint8_t(1));
        QCOMPARE(workerRunAllowed, uint8_t(0));
        QCOMPARE(keyResetPending, uint8_t(0));
        QCOMPARE(skipReceiverExtras, uint8_t(0));
        QVERIFY(keptKeyIndexes.isEmpty());
        QCOMPARE(receivedCacheName, QStringLiteral("Device_CID2A_MID11.bin"));
    }

    void unreadableImageChangesNothing()
    {
        deviceRecordReceived = 0;
        deliver(header(8, 0), QByteArray(HIDUSB_IMAGE_SIZE, 1));
        QCOMPARE(testsupport::currentRecordBytes(), startRecord);
        QCOMPARE(testsupport::callNames(), QStringList{"ProtocolDataParser"});
        QVERIFY(recorder->signalTexts().isEmpty());
        QCOMPARE(deviceRecordReceived, uint8_t(0));
    }

    void afterResetReport_data()
    {
        QTest::addColumn<QString>("device");
        QTest::addColumn<QString>("advanced");
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<QStringList>("signalTexts");

        QTest::newRow("4 kHz receiver: long range off, LED mode 2")
            << "rx4k" << "Adveanced=0,2"
            << QStringList{"UsbServer_SetBatteryOptimizeEnable", "UsbFinderC_Set4KDongleRGB",
                           "UsbFinderC_SetLongRangeMode", "UsbServer_ReadAllFlashData"}
            << QStringList{"SigRGBValue(2)", "SigLongRangeMode(false)"};
        QTest::newRow("no options") << "rx4k" << "Adveanced=-1,-1"
                                    << QStringList{"UsbServer_SetBatteryOptimizeEnable", "UsbServer_ReadAllFlashData"}
                                    << QStringList();
        QTest::newRow("wired mouse: long range on, no receiver LED")
            << "q3" << "Adveanced=1,3"
            << QStringList{"UsbServer_SetBatteryOptimizeEnable", "UsbFinderC_SetLongRangeMode",
                           "UsbServer_ReadAllFlashData"}
            << QStringList{"SigLongRangeMode(true)"};
        QTest::newRow("list of one item") << "rx4k" << "Adveanced=1"
                                          << QStringList{"UsbServer_SetBatteryOptimizeEnable",
                                                         "UsbFinderC_SetLongRangeMode", "UsbServer_ReadAllFlashData"}
                                          << QStringList{"SigLongRangeMode(true)"};
    }

    void afterResetReport()
    {
        QFETCH(QString, device);
        QFETCH(QString, advanced);
        QFETCH(QStringList, calls);
        QFETCH(QStringList, signalTexts);
        // Both models read the first "Adveanced" entry of the catalogue.
        testsupport::useConfigWith({advanced});
        currentDevice = testsupport::deviceEntry(device);
        currentDevice.modelIndex = 0;
        hidsim::clearCallLog();

        deliver(header(9), QByteArray());

        QCOMPARE(testsupport::callNames(), calls);
        QCOMPARE(recorder->signalTexts(), signalTexts);
        QCOMPARE(keyResetPending, uint8_t(1));
        QCOMPARE(skipReceiverExtras, uint8_t(1));
        QCOMPARE(testsupport::currentRecordBytes(), startRecord);
    }

    void versionReport()
    {
        deliver(header(18), QByteArray());
        QCOMPARE(currentDevice.firmwareVersionText, QStringLiteral("v1.05"));
        QCOMPARE(recorder->signalTexts(), QStringList{"SigSetver(0)"});
    }

    void fullReloadsArePaced()
    {
        // The gap is read at each report: a long one stands for a report
        // that comes too soon however slow the machine, a short one after a
        // longer wait for one that comes after the gap.
        const int tooSoon = 3600 * 1000;
        const int gap = 100;
        // The pace starts with the worker.
        pages->close();
        pages->create();
        const QByteArray config = image::statusPayload(image::kStatusConfig);

        Worker::fullReloadGapMs = tooSoon;
        deliver(header(10), config);
        QCOMPARE(reloadRequested, uint8_t(0));

        Worker::fullReloadGapMs = gap;
        QTest::qWait(gap + 50);
        deliver(header(10), config);
        QCOMPARE(reloadRequested, uint8_t(1));
        QCOMPARE(statusReload, uint8_t(1));

        reloadRequested = 0;
        statusReload = 0;
        Worker::fullReloadGapMs = tooSoon;
        deliver(header(10), config);
        QCOMPARE(reloadRequested, uint8_t(0));
        QCOMPARE(statusReload, uint8_t(0));

        Worker::fullReloadGapMs = gap;
        QTest::qWait(gap + 50);
        deliver(header(10), config);
        QCOMPARE(reloadRequested, uint8_t(1));
        QVERIFY(!testsupport::callNames().contains(QStringLiteral("UsbServer_ReadAllFlashData")));
    }
};

QUEMBREL_TEST_MAIN(TestDeviceReports)
#include "tst_devicereports.moc"
