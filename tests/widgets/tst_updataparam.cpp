#include "support/devicefixture.h"
#include "support/modalanswer.h"
#include "support/testsupport.h"

#include "buttons/buttoninterface.h"
#include "core/configfile.h"
#include "core/globals.h"
#include "core/languagetable.h"
#include "core/postmsg.h"
#include "core/settings.h"
#include "core/worker.h"
#include "platform/hidusb/simcontrol.h"
#include "sensor/sensor.h"
#include "widgets/updataparam.h"

#include <QFile>
#include <QLabel>
#include <QSignalSpy>

#include <cstring>

using testsupport::ModalAnswer;

namespace {

void noReports(const unsigned char*, int, const unsigned char*, int)
{
}

// A record the simulated mouse can hold, told apart by its seed.
FlashDataMap deviceRecord(unsigned char seed)
{
    FlashDataMap record;
    flashDataFromBytes(hidsim::storedRecord("q3"), &record);
    record.dpiStageCount = 3;
    record.dpiStages[1].red = seed;
    record.lightColor[2] = seed;
    return record;
}

// A record change as an import test names it: counts just over their
// blocks, or macros that each fit their block but together not the device.
void change(FlashDataMap* record, const QString& how)
{
    if (how == "7 key events") {
        record->keyBlocks[4].count = kKeyBlockEvents + 1;
    } else if (how == "31-byte macro name") {
        record->macroBlocks[4].nameLength = kMacroNameSize + 1;
    } else if (how == "71 macro events") {
        record->macroBlocks[4].eventCount = kMacroBlockEvents + 1;
    } else if (how == "full macros") {
        testsupport::fillEveryMacro(record);
    }
}

// The wait dialog is the first modal dialog a ModalAnswer sees; its timer
// starts once it runs, so the answer never misses it. It closes on its own.
const ModalAnswer::Answer letItRun = [](QDialog* dialog) { static_cast<UpDataParam*>(dialog)->startWaitTimer(); };

} // namespace

class UpDataParamTest : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;

private slots:
    void initTestCase()
    {
        UpDataParam::waitTimerMs = 1;
        UpDataParam::stepMs = 20;
        UpDataParam::settleSleepMs = 1;
        UpDataParam::importSettleSteps = 1;
    }

    void init()
    {
        hidsim::resetToDefaultBus();
        resetHubConnectFailures();
        currentDevice = DeviceAllInfo();
        currentDevice.path = "/dev/hidsim/q3";
        currentDevice.modelIndex = 1;  // Drive2: sensor 3950, at most 8 stages
        setDevicePath(currentDevice.path);
        QVERIFY(UsbServerC_Start(devicePath, devicePath, noReports));
        sensorPageUpdated = buttonPageUpdated = 0;
        deviceDataExpected = 1;
        lastOnline = 0;
        hidsim::clearCallLog();
    }

    void cleanup()
    {
        UsbServer_Exit();
    }

    void import_data()
    {
        QTest::addColumn<QString>("sensor");
        QTest::addColumn<int>("cutTo");
        QTest::addColumn<QString>("change");
        QTest::addColumn<int>("reason");
        QTest::addColumn<bool>("sent");  // the device was asked and refused
        QTest::newRow("same model") << "3950" << 0 << "" << 0 << true;
        QTest::newRow("other sensor") << "3395" << 0 << "" << 2 << false;
        QTest::newRow("truncated") << "3950" << 6000 << "" << 1 << false;
        QTest::newRow("empty") << "3950" << -1 << "" << 1 << false;
        QTest::newRow("7 key events") << "3950" << 0 << "7 key events" << 1 << false;
        QTest::newRow("31-byte macro name") << "3950" << 0 << "31-byte macro name" << 1 << false;
        QTest::newRow("71 macro events") << "3950" << 0 << "71 macro events" << 1 << false;
        QTest::newRow("macros too large for the device") << "3950" << 0 << "full macros" << 2 << true;
    }

    void import()
    {
        QFETCH(QString, sensor);
        QFETCH(int, cutTo);
        QFETCH(QString, change);
        QFETCH(int, reason);
        QFETCH(bool, sent);
        const QString path = dir.filePath("import.bin");
        FlashDataMap imported = deviceRecord(9);
        ::change(&imported, change);
        const QByteArray stored = hidsim::storedRecord("q3");
        QVERIFY(writeConfigFile(path, sensor.toLatin1(), imported));
        if (cutTo != 0) {
            QFile file(path);
            QVERIFY(file.resize(qMax(cutTo, 0)));
        }
        CurrentFlashData = deviceRecord(1);
        const QByteArray before = flashDataBytes(CurrentFlashData);
        importFailReason = -1;

        int refills = 0;
        QObject receiver;
        PostMsg* hub = PostMsg::GetInstance();
        connect(hub, &PostMsg::SigUpDataSensorUIB, &receiver, [&](FlashDataMap m) {
            QCOMPARE(flashDataBytes(m), flashDataBytes(imported));
            ++refills;
        });
        connect(hub, &PostMsg::SigUpDataButtonUIC, &receiver, [&](FlashDataMap) { ++refills; });
        connect(hub, &PostMsg::SigUpDataLightUIA, &receiver, [&](FlashDataMap) { ++refills; });
        QSignalSpy formB(hub, &PostMsg::SigFormB);

        QList<ModalAnswer::Answer> answers{letItRun};
        if (reason != 0)
            answers << testsupport::clickButton("NewHong");
        ModalAnswer modal(answers);
        UpDataParam dialog;
        dialog.importMode = 1;
        dialog.filePath = path;
        dialog.exec();

        QVERIFY(modal.allAnswered());
        QCOMPARE(importFailReason, reason);
        QCOMPARE(dialog.importMode, uint8_t(0));
        if (reason == 0) {
            QCOMPARE(modal.answered(), QStringList{"UpDataParam"});
            QCOMPARE(flashDataBytes(CurrentFlashData), flashDataBytes(imported));
            QCOMPARE(hidsim::recordsSent().size(), 1);
            QCOMPARE(hidsim::recordsSent().first(), flashDataBytes(imported));
            QCOMPARE(refills, 3);
            QCOMPARE(formB.size(), 1);
        } else {
            QCOMPARE(modal.answered(), (QStringList{"UpDataParam", "InportFail"}));
            QCOMPARE(flashDataBytes(CurrentFlashData), before);
            QCOMPARE(hidsim::recordsSent().size(), sent ? 1 : 0);
            QCOMPARE(hidsim::recordsTaken(), 0);
            QCOMPARE(hidsim::storedRecord("q3"), stored);
            QCOMPARE(refills, 0);
            QCOMPARE(formB.size(), 0);
        }
    }

    // The record holds eight stages: a catalogue that lists more allows no
    // more than eight.
    void stageLimit_data()
    {
        QTest::addColumn<int>("listed");  // "DPIMaxGrade" of the model
        QTest::addColumn<int>("stages");
        QTest::addColumn<int>("reason");
        QTest::newRow("10 listed, 8 stages") << 10 << 8 << 0;
        QTest::newRow("10 listed, 9 stages") << 10 << 9 << 2;
        QTest::newRow("10 listed, 255 stages") << 10 << 255 << 2;
        QTest::newRow("6 listed, 6 stages") << 6 << 6 << 0;
        QTest::newRow("6 listed, 7 stages") << 6 << 7 << 2;
    }

    void stageLimit()
    {
        QFETCH(int, listed);
        QFETCH(int, stages);
        QFETCH(int, reason);
        // The first model's limit (sensor 3395).
        testsupport::useConfigWith({"DPIMaxGrade=" + QString::number(listed)});
        currentDevice.modelIndex = 0;
        FlashDataMap record = deviceRecord(5);
        record.dpiStageCount = uint8_t(stages);
        const QString path = dir.filePath("stages.bin");
        QVERIFY(writeConfigFile(path, "3395", record));
        FlashDataMap out = deviceRecord(1);
        UpDataParam dialog;
        const int result = dialog.readImportFile(path, &out);
        ConfigSettings::resetForTests();
        QCOMPARE(result, reason);
        QCOMPARE(flashDataBytes(out), flashDataBytes(reason == 0 ? record : deviceRecord(1)));
    }

    void acknowledgementWait_data()
    {
        QTest::addColumn<bool>("pagesMode");
        QTest::addColumn<QString>("ack");   // "waiting": while the dialog waits; "after": once it closed; "": never
        QTest::addColumn<int>("notice");    // -1: none
        QTest::addColumn<bool>("flagsKept");
        QTest::newRow("pages mode, both come") << true << "waiting" << -1 << true;
        QTest::newRow("device data, none come") << false << "" << 1 << false;
        QTest::newRow("pages mode, none come") << true << "" << 0 << false;
        QTest::newRow("device data, both come") << false << "waiting" << -1 << false;
        QTest::newRow("device data, after the attempts") << false << "after" << 1 << true;
    }

    void acknowledgementWait()
    {
        QFETCH(bool, pagesMode);
        QFETCH(QString, ack);
        QFETCH(int, notice);
        QFETCH(bool, flagsKept);
        PostMsg* hub = PostMsg::GetInstance();
        QSignalSpy offline(hub, &PostMsg::SigMouseOffLineo);
        QObject receiver;
        UpDataParam dialog;
        dialog.waitForPages = pagesMode ? 1 : 0;
        // The pages' acknowledgements arrive through the event loop: during
        // the dialog's first wait, or only once the dialog has closed.
        const auto acknowledge = [] { sensorPageUpdated = buttonPageUpdated = 1; };
        if (ack == "waiting") {
            connect(hub, &PostMsg::SigSetver, &receiver,
                    [&] { QMetaObject::invokeMethod(&receiver, acknowledge, Qt::QueuedConnection); });
        } else if (ack == "after") {
            connect(&dialog, &QDialog::finished, &receiver, acknowledge);
        }

        ModalAnswer modal(letItRun);
        QElapsedTimer clock;
        clock.start();
        dialog.exec();
        const qint64 took = clock.elapsed();

        QVERIFY(!dialog.isVisible());
        if (notice < 0) {
            QCOMPARE(offline.size(), 0);
        } else {
            QCOMPARE(offline.size(), 1);
            QCOMPARE(offline.first().first().toInt(), notice);
            // Every attempt was made and waited for.
            QVERIFY(took >= 12 * UpDataParam::stepMs);
        }
        if (!ack.isEmpty())
            QCOMPARE(sensorPageUpdated && buttonPageUpdated, flagsKept);
        sensorPageUpdated = buttonPageUpdated = 0;
    }

    void cacheFallback_data()
    {
        QTest::addColumn<bool>("expected");  // deviceDataExpected
        QTest::addColumn<bool>("cached");
        QTest::addColumn<int>("notice");
        QTest::addColumn<bool>("refilled");
        QTest::addColumn<bool>("cacheWritten");
        QTest::newRow("nothing expected, cache: last known record") << false << true << 0 << true << false;
        QTest::newRow("nothing expected, no cache") << false << false << 0 << false << false;
        QTest::newRow("online without cache: the record is cached") << true << false << 1 << false << true;
        QTest::newRow("online with cache: kept") << true << true << 1 << false << false;
    }

    void cacheFallback()
    {
        QFETCH(bool, expected);
        QFETCH(bool, cached);
        QFETCH(int, notice);
        QFETCH(bool, refilled);
        QFETCH(bool, cacheWritten);
        selectedCacheName = receivedCacheName = "Device_CID2A_MID12.bin";
        const QString cacheFile = Worker::deviceCachePath(selectedCacheName);
        QFile::remove(cacheFile);
        const FlashDataMap cachedRecord = deviceRecord(7);
        if (cached)
            Worker::writeDeviceCache(selectedCacheName, cachedRecord);
        CurrentFlashData = deviceRecord(3);
        deviceDataExpected = expected ? 1 : 0;
        lastOnline = 1;

        PostMsg* hub = PostMsg::GetInstance();
        QSignalSpy offline(hub, &PostMsg::SigMouseOffLineo);
        QByteArray refill;
        QObject receiver;
        connect(hub, &PostMsg::SigUpDataSensorUIB, &receiver, [&](FlashDataMap m) { refill = flashDataBytes(m); });
        ModalAnswer modal(letItRun);
        UpDataParam dialog;
        dialog.exec();

        QCOMPARE(offline.size(), 1);
        QCOMPARE(offline.first().first().toInt(), notice);
        QCOMPARE(refill, refilled ? flashDataBytes(cachedRecord) : QByteArray());
        FlashDataMap onDisk;
        QCOMPARE(Worker::readDeviceCache(selectedCacheName, &onDisk), cached || cacheWritten);
        if (cacheWritten)
            QCOMPARE(flashDataBytes(onDisk), flashDataBytes(CurrentFlashData));
        else if (cached)
            QCOMPARE(flashDataBytes(onDisk), flashDataBytes(cachedRecord));
        QFile::remove(cacheFile);
    }

    void labelTellsReadingFromImporting()
    {
        UpDataParamTexts.clear();
        UpDataParamTexts.appendRow({"reading", "importing"});
        importWaitText = 1;
        UpDataParam importing;
        importWaitText = 0;
        UpDataParam reading;
        QCOMPARE(importing.findChild<QLabel*>("label")->text(), QString("importing"));
        QCOMPARE(reading.findChild<QLabel*>("label")->text(), QString("reading"));
        QCOMPARE(hubConnectFailures(), 0);
        UpDataParamTexts.clear();
    }
};

QUEMBREL_TEST_MAIN(UpDataParamTest)
#include "tst_updataparam.moc"
