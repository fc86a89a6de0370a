#include "support/devicefixture.h"
#include "support/hubrecorder.h"
#include "support/testsupport.h"

#include "buttons/buttoninterface.h"
#include "core/firmware.h"
#include "core/globals.h"
#include "core/postmsg.h"
#include "core/product.h"
#include "core/registry.h"
#include "core/setters.h"
#include "core/settings.h"
#include "core/worker.h"
#include "platform/hidusb/hidusb.h"
#include "platform/hidusb/simcontrol.h"
#include "sensor/sensor.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QtEndian>
#include <QSignalSpy>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>

using testsupport::HubRecorder;

namespace {

const QStringList kFullRecordSignals{QStringLiteral("SigUpDataLightUIButton"), QStringLiteral("SigUpDataLightLight"),
                                     QStringLiteral("SigUpDataLightSensor"), QStringLiteral("SigForm")};

// The signals of `all` that carry or end a configuration, in order.
QStringList recordSignals(const QStringList& all)
{
    QStringList picked;
    for (const QString& s : all) {
        if (kFullRecordSignals.contains(s) || s == QLatin1String("SigFormReset"))
            picked << s;
    }
    return picked;
}

void writeCacheFile(const QString& name, const QByteArray& content)
{
    QDir().mkpath(userDir() + QStringLiteral("/Device_Info"));
    QFile file(Worker::deviceCachePath(name));
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
}

// A cache file's bytes for a record block of the given length.
QByteArray cacheFileBytes(const QByteArray& block)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.writeBytes(block.constData(), uint(block.size()));
    return bytes;
}

} // namespace

class TestWorker : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<HubRecorder> recorder;
    std::unique_ptr<testsupport::DevicePages> pages;

private slots:
    void init()
    {
        hidsim::resetToDefaultBus();
        testsupport::resetDeviceState();
        ConfigSettings::resetForTests();
        resetHubConnectFailures();
        Worker::onlineCheckIntervalMs = 50;
        recorder.reset(new HubRecorder);
        pages.reset(new testsupport::DevicePages);
        QVERIFY(deviceWorker);
    }

    void cleanup()
    {
        pages.reset();
        recorder.reset();
        QVERIFY(!deviceWorker);
        QCOMPARE(hubConnectFailures(), 0);
        StopUsbChanged();
    }

    void openingAnOnlineDeviceReadsAndAcknowledgesItsRecord()
    {
        testsupport::openDevice(testsupport::deviceEntry(QStringLiteral("rx4k")));

        QTRY_VERIFY(sensorPageUpdated == 1 && buttonPageUpdated == 1);
        QVERIFY(hidsim::waitForIdle());
        QCOMPARE(QString::fromLatin1(devicePath), QStringLiteral("/dev/hidsim/rx4k"));
        QCOMPARE(testsupport::currentRecordBytes(), hidsim::storedRecord(QStringLiteral("q7")));
        QCOMPARE(deviceRecordReceived, uint8_t(1));
        QCOMPARE(deviceDataExpected, uint8_t(1));
        QCOMPARE(currentDevice.online, uint8_t(1));
        QCOMPARE(recordSignals(recorder->signalTexts()), kFullRecordSignals);
        QVERIFY(recorder->contains(QStringLiteral("SigUpDataParam(0)")));
        QCOMPARE(recorder->lastRecord(QStringLiteral("SigUpDataLightSensor")), testsupport::currentRecordBytes());

        const QStringList calls = testsupport::callNames();
        const int start = calls.indexOf(QStringLiteral("UsbServerC_Start"));
        QVERIFY(start >= 0);
        QCOMPARE(calls.mid(start + 1, 2),
                 QStringList({QStringLiteral("UsbServer_SetPCDriverStatus"), QStringLiteral("UsbServer_ReadAllFlashData")}));
        // The full image goes back to the device as it came.
        QVERIFY(calls.contains(QStringLiteral("ProtocolDataUpdate")));
        QCOMPARE(hidsim::recordsSent().last(), testsupport::currentRecordBytes());

        // The follow-up reads arrive as their own reports.
        QTRY_COMPARE(currentDevice.firmwareVersionText, QStringLiteral("v1.05"));
        QVERIFY(recorder->contains(QStringLiteral("SigSetver(0)")));
        QCOMPARE(RegistryKey(mouseDriveTestRegistryKey()).value(QStringLiteral("MouseVer4217")), QStringLiteral("v1.05"));

        QCOMPARE(receivedCacheName, QStringLiteral("Device_CID2A_MID11.bin"));
        Worker::writeDeviceCache(receivedCacheName, CurrentFlashData);
        QFile cache(Worker::deviceCachePath(receivedCacheName));
        QVERIFY(cache.open(QIODevice::ReadOnly));
        const QByteArray bytes = cache.readAll();
        QCOMPARE(bytes.size(), 10432);
        QCOMPARE(bytes.left(4), QByteArray::fromHex("000028BC"));
        QCOMPARE(bytes.mid(4), testsupport::currentRecordBytes());
        FlashDataMap back;
        QVERIFY(Worker::readDeviceCache(receivedCacheName, &back));
        QCOMPARE(flashDataBytes(back), testsupport::currentRecordBytes());

        // A second start with nothing changed does not open again.
        QTRY_VERIFY(deviceWorker->isFinished());
        hidsim::clearCallLog();
        workerRunAllowed = 1;
        deviceWorker->start();
        QTRY_VERIFY(deviceWorker->isFinished());
        QVERIFY(!testsupport::callNames().contains(QStringLiteral("UsbServerC_Start")));
        QCOMPARE(workerRunAllowed, uint8_t(0));
        QCOMPARE(deviceDataExpected, uint8_t(1));
    }

    void openingAnOfflineDevice_data()
    {
        QTest::addColumn<QByteArray>("cacheFile");   // empty: no file
        QTest::addColumn<bool>("cacheUsed");

        QByteArray cached = hidsim::storedRecord(QStringLiteral("q7"));
        cached[0x08] = char(30);   // sleep time 300 s
        QTest::newRow("cached record") << cacheFileBytes(cached) << true;
        QTest::newRow("no cache file") << QByteArray() << false;
        QTest::newRow("cache block one byte short") << cacheFileBytes(cached.left(10427)) << false;
        QTest::newRow("cache block one byte long") << cacheFileBytes(cached + 'x') << false;
        QTest::newRow("cache file cut short") << cacheFileBytes(cached).left(5000) << false;
    }

    void openingAnOfflineDevice()
    {
        QFETCH(QByteArray, cacheFile);
        QFETCH(bool, cacheUsed);
        const DeviceAllInfo rx = testsupport::deviceEntry(QStringLiteral("rx4k"));
        if (!cacheFile.isEmpty())
            writeCacheFile(deviceCacheFileName(rx.idPair), cacheFile);
        // A record of another device is still in memory.
        std::memset(&CurrentFlashData, 0x5a, sizeof CurrentFlashData);
        const QByteArray stale = testsupport::currentRecordBytes();
        QVERIFY(hidsim::setAwake(QStringLiteral("q7"), false));

        testsupport::openDevice(rx);
        QTRY_VERIFY(deviceWorker->isFinished());

        if (cacheUsed) {
            QCOMPARE(recordSignals(recorder->signalTexts()), kFullRecordSignals);
            QCOMPARE(recorder->lastRecord(QStringLiteral("SigUpDataLightUIButton")), cacheFile.mid(4));
            QVERIFY(recorder->contains(QStringLiteral("SigLightToFrom(300)")));
            QCOMPARE(buttonPageUpdated, uint8_t(1));
            QCOMPARE(sensorPageUpdated, uint8_t(1));
        } else {
            QCOMPARE(recordSignals(recorder->signalTexts()), QStringList{QStringLiteral("SigFormReset")});
            QVERIFY(recorder->contains(QStringLiteral("SigLightToFrom(60)")));
            QVERIFY(recorder->contains(QStringLiteral("SigMouseIndex(0)")));
        }
        QCOMPARE(testsupport::currentRecordBytes(), stale);
        QCOMPARE(offlineNoticePending, uint8_t(1));
        QCOMPARE(currentDevice.online, uint8_t(0));
        QCOMPARE(deviceDataExpected, uint8_t(0));
        QVERIFY(testsupport::callNames().contains(QStringLiteral("UsbServer_ReadAllFlashData")));

        // Until the device's own record arrives nothing is written to it.
        QVERIFY(!SetSleepTime(6));
        QVERIFY(!SetReportRate(1));
        QVERIFY(hidsim::recordsSent().isEmpty());

        // The mouse wakes: the held read answers with its full image and the
        // watch closes the offline notice.
        QVERIFY(hidsim::setAwake(QStringLiteral("q7"), true));
        QTRY_COMPARE(deviceRecordReceived, uint8_t(1));
        QCOMPARE(testsupport::currentRecordBytes(), hidsim::storedRecord(QStringLiteral("q7")));
        QTRY_VERIFY(recorder->contains(QStringLiteral("SigCloseOffOnline")));
        QCOMPARE(offlineNoticePending, uint8_t(0));
        QTRY_VERIFY(sensorPageUpdated == 1 && buttonPageUpdated == 1);
        QVERIFY(hidsim::waitForIdle());
        for (const QByteArray& sent : hidsim::recordsSent())
            QCOMPARE(sent, hidsim::storedRecord(QStringLiteral("q7")));
        QVERIFY(SetSleepTime(6));
    }

    // The device answers but its record never came: a setter raises the
    // offline notice, and the notice's watch reloads the record.
    void offlineNoticeReloadsAMissingRecord()
    {
        hidsim::setReadsUnanswered(true);
        testsupport::openDevice(testsupport::deviceEntry(QStringLiteral("q3")));
        QTRY_VERIFY(deviceWorker->isFinished());
        QVERIFY(hidsim::waitForIdle());
        QCOMPARE(deviceRecordReceived, uint8_t(0));
        hidsim::setReadsUnanswered(false);
        recorder->clear();

        QSignalSpy offline(PostMsg::GetInstance(), &PostMsg::SigMouseOffLineo);
        QVERIFY(!SetSleepTime(6));
        QCOMPARE(offline.size(), 1);
        QVERIFY(hidsim::recordsSent().isEmpty());
        // What the main window does when it shows the notice.
        offlineNoticePending = 1;
        reloadRequested = 1;

        QTRY_VERIFY(recorder->contains(QStringLiteral("SigCloseOffOnline")));
        QTRY_COMPARE(deviceRecordReceived, uint8_t(1));
        QCOMPARE(reloadRequested, uint8_t(0));
        QCOMPARE(offlineNoticePending, uint8_t(0));
        QCOMPARE(testsupport::currentRecordBytes(), hidsim::storedRecord(QStringLiteral("q3")));
        QTRY_VERIFY(sensorPageUpdated == 1 && buttonPageUpdated == 1);
        QVERIFY(hidsim::waitForIdle());
        QVERIFY(SetSleepTime(6));
        QCOMPARE(uint8_t(hidsim::storedRecord(QStringLiteral("q3")).at(0x08)), uint8_t(6));
    }

    // A factory reset whose fresh image never came must not clear the keys
    // and macros of the next device opened.
    void aPendingResetDoesNotReachTheNextDevice()
    {
        testsupport::openDevice(testsupport::deviceEntry(QStringLiteral("rx4k")));
        QTRY_COMPARE(deviceRecordReceived, uint8_t(1));
        QTRY_VERIFY(deviceWorker->isFinished());
        QVERIFY(hidsim::waitForIdle());
        hidsim::setReadsUnanswered(true);
        QVERIFY(hidsim::factoryReset(QStringLiteral("q7")));
        QTRY_COMPARE(keyResetPending, uint8_t(1));
        QVERIFY(hidsim::waitForIdle());
        hidsim::setReadsUnanswered(false);

        // Back to the home page, then the wired mouse, whose first button
        // sends a key block.
        deviceSessionActive = 0;
        PostMsg::GetInstance()->PostMainPageChange();
        UsbServer_Exit();
        QByteArray q3 = hidsim::storedRecord(QStringLiteral("q3"));
        q3[0x7c] = 2;
        q3[0x7c + 6] = 4;
        QVERIFY(hidsim::setStoredRecord(QStringLiteral("q3"), q3));
        hidsim::clearCallLog();
        testsupport::openDevice(testsupport::deviceEntry(QStringLiteral("q3")));
        QTRY_COMPARE(deviceRecordReceived, uint8_t(1));
        QVERIFY(hidsim::waitForIdle());

        QCOMPARE(testsupport::currentRecordBytes(), q3);
        QCOMPARE(hidsim::storedRecord(QStringLiteral("q3")), q3);
        QCOMPARE(keyResetPending, uint8_t(0));
    }

    void leavingTheDevicePageClearsItsRecordGuard()
    {
        testsupport::openDevice(testsupport::deviceEntry(QStringLiteral("rx4k")));
        QTRY_COMPARE(deviceRecordReceived, uint8_t(1));
        PostMsg::GetInstance()->PostMainPageChange();
        QCOMPARE(deviceRecordReceived, uint8_t(0));
        QCOMPARE(openedOnline, uint8_t(0));
        QVERIFY(hidsim::waitForIdle());
    }

    void unplug_data()
    {
        QTest::addColumn<QString>("opened");
        QTest::addColumn<QString>("unplugged");
        QTest::addColumn<bool>("upgrading");
        QTest::addColumn<bool>("deviceKept");

        QTest::newRow("open wired mouse unplugged") << "q3" << "q3" << false << false;
        QTest::newRow("open receiver unplugged") << "rx4k" << "rx4k" << false << false;
        QTest::newRow("open device unplugged during an upgrade") << "q3" << "q3" << true << true;
        QTest::newRow("another device unplugged") << "rx4k" << "q3" << false << true;
    }

    void unplug()
    {
        QFETCH(QString, opened);
        QFETCH(QString, unplugged);
        QFETCH(bool, upgrading);
        QFETCH(bool, deviceKept);

        const DeviceAllInfo info = testsupport::deviceEntry(opened);
        testsupport::openDevice(info);
        QTRY_COMPARE(deviceRecordReceived, uint8_t(1));
        QVERIFY(hidsim::waitForIdle());
        recorder->clear();
        upgradeIdle = upgrading ? 0 : 1;

        QVERIFY(hidsim::unplug(unplugged));
        QTRY_VERIFY(recorder->contains(QStringLiteral("SigSetver(4)")));
        QCOMPARE(recorder->contains(QStringLiteral("SigChangeMainDialog(0)")), !deviceKept);
        QCOMPARE(currentDevice.path, deviceKept ? info.path : QString());
        upgradeIdle = 1;
    }

    void identity_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QStringList>("catalogue");
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("modelIndex");
        QTest::addColumn<int>("identityCalls");
        QTest::addColumn<int>("unknownAsks");  // asks the device answers with zeros first
        QTest::addColumn<int>("isMouse");
        QTest::addColumn<int>("idPair");
        const QStringList two{"DeviceTotal=2"};

        QTest::newRow("catalogue model") << "q3" << two << 1 << 1 << 1 << 0 << 1 << 0x122a;
        QTest::newRow("family CID, unknown MID") << "fam" << two << 2 << 2 << 1 << 0 << 1 << 0;
        QTest::newRow("foreign CID") << "foreign" << two << 3 << 2 << 1 << 0 << 1 << 0;
        QTest::newRow("no identity in ten tries") << "dead" << two << 0 << 2 << 10 << 0 << 0 << 0;
        QTest::newRow("no configured model") << "q3" << QStringList{"DeviceTotal=0"} << 0 << 0 << 1 << 0 << 0 << 0;
        QTest::newRow("identity on the ninth ask") << "q3" << two << 1 << 1 << 9 << 8 << 1 << 0x122a;
        // The tenth answer gives the type only, whatever identity it names.
        QTest::newRow("identity only on the tenth ask") << "q3" << two << 0 << 2 << 10 << 9 << 1 << 0;
        // Only both bytes 0 is no answer; the first MID= line is model 1's.
        QTest::newRow("CID 0") << "cid0" << QStringList{"DeviceTotal=2", "CID=MA=="} << 1 << 1 << 1 << 0 << 1 << 0x1200;
        QTest::newRow("MID 0") << "mid0" << QStringList{"DeviceTotal=2", "MID=0"} << 1 << 0 << 1 << 0 << 1 << 0x002a;
    }

    void identity()
    {
        QFETCH(QString, id);
        QFETCH(QStringList, catalogue);
        QFETCH(int, result);
        QFETCH(int, modelIndex);
        QFETCH(int, identityCalls);
        QFETCH(int, unknownAsks);
        QFETCH(int, isMouse);
        QFETCH(int, idPair);
        const QString scenario = testsupport::homeDir() + QStringLiteral("/identity.json");
        QFile file(scenario);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(R"({"devices": [
            {"id": "q3", "kind": "mouse", "model": "Q3"},
            {"id": "fam", "kind": "mouse", "model": "Z9", "mid": 99, "productId": "0x5999"},
            {"id": "foreign", "kind": "mouse", "model": "Z8", "cid": 7, "mid": 17, "productId": "0x5998"},
            {"id": "dead", "kind": "mouse", "model": "Z7", "mid": 98, "productId": "0x5997", "offline": true},
            {"id": "cid0", "kind": "mouse", "model": "Q3", "cid": 0},
            {"id": "mid0", "kind": "mouse", "model": "Z6", "mid": 0, "productId": "0x5996"}]})");
        file.close();
        QVERIFY(hidsim::loadScenario(scenario));
        QVERIFY(hidsim::setIdentityUnknownFor(id, unknownAsks));
        testsupport::useConfigWith(catalogue);
        hidsim::clearCallLog();

        DeviceAllInfo info;
        const QByteArray path = "/dev/hidsim/" + id.toLatin1();
        QCOMPARE(Worker::readDeviceInfo(info, path.constData()), result);
        ConfigSettings::resetForTests();

        QCOMPARE(info.modelIndex, modelIndex);
        QCOMPARE(testsupport::callNames().count(QStringLiteral("UsbFinderC_GetDeviceInfo")), identityCalls);
        QCOMPARE(info.isMouse, uint8_t(isMouse));
        if (result == 1) {
            QCOMPARE(info.idPair, uint16_t(idPair));
            QCOMPARE(info.deviceType, uint8_t(2));
            QCOMPARE(info.isMouse, uint8_t(1));
            QCOMPARE(info.online, uint8_t(1));
        }
    }

    // A mouse plugged in on its cable while its receiver is open: the device
    // page follows the mouse and reads its record through the cable; a mouse
    // that does not answer there is not followed.
    void followsTheMouseOfTheOpenReceiver_data()
    {
        QTest::addColumn<bool>("awake");
        QTest::newRow("online") << true;
        QTest::newRow("offline") << false;
    }

    void followsTheMouseOfTheOpenReceiver()
    {
        QFETCH(bool, awake);
        testsupport::openDevice(testsupport::deviceEntry(QStringLiteral("rx4k")));
        QTRY_COMPARE(deviceRecordReceived, uint8_t(1));
        QTRY_VERIFY(deviceWorker->isFinished());
        QVERIFY(hidsim::waitForIdle());
        hidsim::clearCallLog();

        if (!awake) {
            hidsim::DeviceStatus rx;
            QVERIFY(hidsim::device(QStringLiteral("rx4k"), &rx));
            QVERIFY(hidsim::setAwake(QStringLiteral("q7"), false));
            std::atomic<int> passes{0};
            const QMetaObject::Connection counting = QObject::connect(
                deviceWorker, &QThread::started, deviceWorker, [&passes] { ++passes; }, Qt::DirectConnection);
            recorder->clear();
            QVERIFY(hidsim::plug(QStringLiteral("q7")));
            // The rescan of the plug has run once it announced itself.
            QTRY_VERIFY(recorder->contains(QStringLiteral("SigSetver(4)")));
            QVERIFY(hidsim::waitForIdle());
            QTRY_VERIFY(deviceWorker->isFinished());
            QObject::disconnect(counting);
            // Neither followed nor read again.
            QCOMPARE(passes.load(), 0);
            QCOMPARE(currentDevice.path, rx.path);
            QCOMPARE(QString::fromLatin1(devicePath), rx.path);
            QCOMPARE(currentDevice.isMouse, uint8_t(0));
            return;
        }
        QVERIFY(hidsim::plug(QStringLiteral("q7")));
        QTRY_COMPARE(currentDevice.isMouse, uint8_t(1));
        hidsim::DeviceStatus q7;
        QVERIFY(hidsim::device(QStringLiteral("q7"), &q7));
        QCOMPARE(currentDevice.path, q7.path);
        QCOMPARE(QString::fromLatin1(devicePath), q7.path);
        QTRY_COMPARE(deviceRecordReceived, uint8_t(1));
        QVERIFY(hidsim::waitForIdle());
        const QVector<hidsim::Call> calls = hidsim::callLog();
        const bool reopened = std::any_of(calls.begin(), calls.end(), [&](const hidsim::Call& call) {
            return call.name == QLatin1String("UsbServerC_Start") && call.args.value(0) == q7.path;
        });
        QVERIFY(reopened);
        QCOMPARE(testsupport::currentRecordBytes(), hidsim::storedRecord(QStringLiteral("q7")));
    }

    // Two receivers of one model, each with its mouse: the open receiver's
    // page never follows the other one's mouse onto its cable, nor writes to
    // it; its own mouse it follows.
    void followsOnlyItsOwnMouse()
    {
        const auto entry = [](const char* id, const char* kind, const char* partner) {
            QJsonObject device{{"id", id}, {"kind", kind}, {"model", "Q7 Pro"}, {"pairedWith", partner}};
            if (QByteArray(kind) == "mouse")
                device.insert("plugged", false);
            return device;
        };
        QVERIFY(testsupport::loadBus({entry("rxA", "receiver", "mA"), entry("mA", "mouse", "rxA"),
                                      entry("rxB", "receiver", "mB"), entry("mB", "mouse", "rxB")}));
        hidsim::DeviceStatus rxA, rxB;
        QVERIFY(hidsim::device(QStringLiteral("rxA"), &rxA) && hidsim::device(QStringLiteral("rxB"), &rxB));
        QVERIFY(rxA.receiverId != rxB.receiverId);
        testsupport::openDevice(testsupport::deviceEntry(QStringLiteral("rxA")));
        QTRY_COMPARE(deviceRecordReceived, uint8_t(1));
        QTRY_VERIFY(deviceWorker->isFinished());
        QVERIFY(hidsim::waitForIdle());
        QCOMPARE(currentDevice.usbAddress, rxA.receiverId);
        const QByteArray otherRecord = hidsim::storedRecord(QStringLiteral("mB"));
        hidsim::clearCallLog();
        recorder->clear();

        QVERIFY(hidsim::plug(QStringLiteral("mB")));
        hidsim::DeviceStatus mB;
        QVERIFY(hidsim::device(QStringLiteral("mB"), &mB));
        QVERIFY(!mB.path.isEmpty());
        // The rescan of the plug has run once it announced itself.
        QTRY_VERIFY(recorder->contains(QStringLiteral("SigSetver(4)")));
        QTRY_VERIFY(deviceWorker->isFinished());
        QVERIFY(hidsim::waitForIdle());
        QCOMPARE(currentDevice.path, rxA.path);
        QCOMPARE(QString::fromLatin1(devicePath), rxA.path);
        QCOMPARE(currentDevice.isMouse, uint8_t(0));
        // The rescan may ask the other mouse who it is, nothing more.
        for (const hidsim::Call& call : hidsim::callLog()) {
            const bool toOther = call.args.contains(mB.path) && !call.name.startsWith(QLatin1String("UsbFinderC_Get"));
            QVERIFY2(!toOther && call.name != QLatin1String("ProtocolDataUpdate"),
                     qPrintable(call.name + QLatin1Char(' ') + call.args.join(QLatin1Char(' '))));
        }
        QCOMPARE(hidsim::storedRecord(QStringLiteral("mB")), otherRecord);

        // Its own mouse on the cable: followed, and read through it.
        QVERIFY(hidsim::plug(QStringLiteral("mA")));
        hidsim::DeviceStatus mA;
        QVERIFY(hidsim::device(QStringLiteral("mA"), &mA));
        QTRY_COMPARE(currentDevice.path, mA.path);
        QTRY_COMPARE(deviceRecordReceived, uint8_t(1));
        QVERIFY(hidsim::waitForIdle());
        QCOMPARE(testsupport::currentRecordBytes(), hidsim::storedRecord(QStringLiteral("mA")));
        QCOMPARE(hidsim::storedRecord(QStringLiteral("mB")), otherRecord);
    }

    void firmwareCheckOfAnOpenMouse_data()
    {
        QTest::addColumn<bool>("folderPresent");
        QTest::addColumn<QString>("label");
        QTest::addColumn<int>("mouseUpdate");
        QTest::newRow("newer image installed") << true << "SigLabelTextB(,true)" << 1;
        QTest::newRow("no firmware folder") << false << "SigLabelTextB(,)" << 0;
    }

    void firmwareCheckOfAnOpenMouse()
    {
        QFETCH(bool, folderPresent);
        QFETCH(QString, label);
        QFETCH(int, mouseUpdate);
        testsupport::openDevice(testsupport::deviceEntry(QStringLiteral("q3")));
        QTRY_COMPARE(currentDevice.firmwareVersionText, QStringLiteral("v1.01"));
        QVERIFY(hidsim::waitForIdle());
        // The installation ships no image for the wired Q3: a v1.03 one,
        // made from the installed Q7 Pro mouse image.
        const QString folder = testsupport::homeDir() + (folderPresent ? "/q3-images" : "/no-such-folder");
        if (folderPresent) {
            QFile installed(firmwareFolder() + QStringLiteral("/Q7PRO_MOUSE.bin"));
            QVERIFY(installed.open(QIODevice::ReadOnly));
            QByteArray image = installed.readAll();
            QVERIFY(image.size() > HIDUSB_FIRMWARE_HEADER_SIZE);
            uchar* d = reinterpret_cast<uchar*>(image.data());
            qToLittleEndian<quint32>(0x0103, d + HIDUSB_FIRMWARE_VERSION_OFFSET);
            d[HIDUSB_FIRMWARE_MID_OFFSET] = 18;
            std::memset(d + HIDUSB_FIRMWARE_NAME_OFFSET, 0, HIDUSB_FIRMWARE_NAME_SIZE);
            std::memcpy(d + HIDUSB_FIRMWARE_NAME_OFFSET, "Q3_MOUSE", 8);
            QVERIFY(QDir().mkpath(folder));
            QFile q3(folder + QStringLiteral("/Q3_MOUSE.bin"));
            QVERIFY(q3.open(QIODevice::WriteOnly) && q3.write(image) == image.size());
        }
        setFirmwareFolderForTests(folder);
        recorder->clear();

        Worker::onUsbChanged();
        setFirmwareFolderForTests(QString());

        QCOMPARE(recorder->signalTexts(), (QStringList{"SigSetver(4)", label}));
        QCOMPARE(int(mouseUpdateAvailable), mouseUpdate);
        QCOMPARE(receiverUpdateAvailable, uint8_t(0));
        QCOMPARE(currentDevice.path, QStringLiteral("/dev/hidsim/q3"));
    }

    // The rescan asks for a new check while the settings page's repair
    // dialog shows and no check runs.
    void rescanAsksTheVisibleRepairDialog_data()
    {
        QTest::addColumn<bool>("dialogVisible");
        QTest::addColumn<int>("checkRunning");
        QTest::addColumn<bool>("asks");
        QTest::newRow("dialog shows") << true << 0 << true;
        QTest::newRow("dialog hidden") << false << 0 << false;
        QTest::newRow("a check runs") << true << 1 << false;
    }

    void rescanAsksTheVisibleRepairDialog()
    {
        QFETCH(bool, dialogVisible);
        QFETCH(int, checkRunning);
        QFETCH(bool, asks);
        repairDialogVisible = dialogVisible;
        versionCheckRunning = uint8_t(checkRunning);
        Worker::onUsbChanged();
        repairDialogVisible = false;
        versionCheckRunning = 0;
        QCOMPARE(recorder->contains(QStringLiteral("SigCheckUpdate")), asks);
    }

    void statusReloadIsAnnounced()
    {
        testsupport::openDevice(testsupport::deviceEntry(QStringLiteral("q3")));
        QTRY_COMPARE(deviceRecordReceived, uint8_t(1));
        QTRY_VERIFY(deviceWorker->isFinished());
        // The full image's handler ends by clearing the worker's run flag: it
        // must be done before the reload below is asked for, or it cancels it.
        QVERIFY(hidsim::waitForIdle());
        recorder->clear();
        hidsim::clearCallLog();

        // As a status change asks for a full reload: the watch starts a pass
        // that reopens and announces it.
        reloadRequested = 1;
        statusReload = 1;
        // A whole pass of the watch: on a loaded machine it may take a while.
        QTRY_VERIFY_WITH_TIMEOUT(recorder->contains(QStringLiteral("SigUpDataParam(1)")), 30000);
        QTRY_VERIFY_WITH_TIMEOUT(recorder->signalTexts().contains(QStringLiteral("SigForm")), 30000);
        QCOMPARE(statusReload, uint8_t(0));
        QCOMPARE(reloadRequested, uint8_t(0));
        QVERIFY(testsupport::callNames().contains(QStringLiteral("UsbServer_ReadAllFlashData")));
        QVERIFY(hidsim::waitForIdle());
    }

    // The page goes while the worker's pass waits for the GUI thread in a
    // blocking-queued page update: the shutdown must still end.
    void shutdownWhileAPassWaitsForThePages()
    {
        std::atomic<bool> emitted{false};
        // Runs on the worker thread before the pages' queued slots.
        QObject guard;
        connect(PostMsg::GetInstance(), &PostMsg::SigFormReset, &guard, [&] { emitted = true; }, Qt::DirectConnection);
        pages->close();
        pages->create();
        QVERIFY(hidsim::setAwake(QStringLiteral("q7"), false));

        testsupport::openDevice(testsupport::deviceEntry(QStringLiteral("rx4k")));
        QElapsedTimer clock;
        clock.start();
        while (!emitted && clock.elapsed() < kTryTimeoutMs)
            QThread::yieldCurrentThread();
        QVERIFY(emitted);
        // Hold the GUI thread so the pass is stuck in its emit to the pages.
        QThread::msleep(50);
        QVERIFY(deviceWorker->isRunning());
        Worker* worker = deviceWorker;

        pages->buttons.reset();
        QVERIFY(worker->isFinished());
        QCOMPARE(workerRunAllowed, uint8_t(0));
    }
};

QUEMBREL_TEST_MAIN(TestWorker)
#include "tst_worker.moc"
