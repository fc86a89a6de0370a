// The repair dialog's check and its two-stage repair, and the pairing
// dialog, against the simulated devices and the home page's scan.
#include "support/devicefixture.h"
#include "buttons/buttoninterface.h"
#include "sensor/sensor.h"
#include "support/dialogfixture.h"
#include "support/testsupport.h"

#include "core/firmware.h"
#include "core/globals.h"
#include "core/postmsg.h"
#include "core/registry.h"
#include "mainwindow/dialogchange.h"
#include "platform/hidusb/hidusb.h"
#include "platform/hidusb/simcontrol.h"
#include "settings/match.h"
#include "settings/updaterepair.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

#include <memory>

namespace {

QJsonObject receiver(const QString& id, int rate, bool boot = false, int mid = 17)
{
    QJsonObject o{{"id", id}, {"kind", "receiver"}, {"model", mid == 17 ? "Q7 Pro" : "Other"}, {"rate", rate},
                  {"version", "0x0102"}, {"bootMode", boot}};
    if (mid != 17)
        o.insert("mid", mid);
    return o;
}

// A Q7 Pro mouse on its cable (or behind `pairedWith` when not plugged).
QJsonObject q7(const QString& id, bool plugged, bool boot = false, const QString& pairedWith = QString())
{
    QJsonObject o{{"id", id}, {"kind", "mouse"}, {"model", "Q7 Pro"}, {"version", "0x0103"},
                  {"plugged", plugged}, {"bootMode", boot}};
    if (!pairedWith.isEmpty())
        o.insert("pairedWith", pairedWith);
    return o;
}

QJsonObject q3()
{
    return QJsonObject{{"id", "q3"}, {"kind", "mouse"}, {"model", "Q3"}, {"version", "0x0101"}};
}

RegistryKey& failRecord()
{
    static RegistryKey key(mouseDriveTestRegistryKey());
    return key;
}

QString repairText(int item)
{
    return testsupport::tableText("AutoRepair", 0, item);
}

QString progressText(int item)
{
    return testsupport::tableText("Progress", 0, item);
}

} // namespace

class RepairPairingTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<DialogChange> home;

    // The bus, then the home page's scan of it, as at the program's start.
    void startWith(const QJsonArray& devices)
    {
        home.reset();
        QVERIFY(testsupport::loadBus(devices));
        hidsim::setUpgradeStepMs(1);
        hidsim::setPairingMs(1);
        home.reset(new DialogChange);
    }

    static QLabel* status(UpDateRepair& d) { return d.findChild<QLabel*>("ToolText_2"); }
    static QToolButton* button(UpDateRepair& d, const char* name) { return d.findChild<QToolButton*>(name); }

private slots:
    void init()
    {
        hidsim::resetToDefaultBus();
        testsupport::fillLanguageTables();
        failRecord().remove("UpdateFailInfo");
        setFirmwareFolderForTests(QString());
        foundDevices.clear();
        allFoundDevices.clear();
        deviceSessionActive = 0;
        pairTargetSet = 0;
        repairRunning = false;
        repairUpgrading = false;
        upgradeIdle = 1;
        UpDateRepair::answerTimeoutMs = 60000;
        Match::pairTimeoutMs = 60000;
    }

    void cleanup()
    {
        home.reset();
        StopUsbChanged();
        homeUsbChanged = nullptr;
        failRecord().remove("UpdateFailInfo");
        setFirmwareFolderForTests(QString());
    }

    // The check from the failed-upgrade record, the devices found and the
    // images: a repair can start, or the dialog says why not.
    void repairCheck_data()
    {
        QTest::addColumn<QJsonArray>("devices");
        QTest::addColumn<QString>("record");
        QTest::addColumn<bool>("images");
        QTest::addColumn<bool>("ready");
        QTest::addColumn<int>("message");  // AutoRepair item; -1 nothing shown
        const QJsonArray nothing{q7("q7", false)};
        QTest::newRow("no record") << nothing << "" << true << false << -1;
        QTest::newRow("record without four fields") << nothing << "210,4,42" << true << false << -1;
        QTest::newRow("mouse record, nothing found") << nothing << "210,4,42,17" << true << false << 5;
        QTest::newRow("receiver record, nothing found") << nothing << "211,4,42,17" << true << false << 6;
        QTest::newRow("other record, nothing found") << nothing << "212,4,42,17" << true << false << 2;
        QTest::newRow("two mice") << QJsonArray{q7("q7", true), q3()} << "211,4,42,17" << true << false << 10;
        QTest::newRow("two receivers")
            << QJsonArray{receiver("rx4k", 4), receiver("rx1k", 1)} << "210,4,42,17" << true << false << 11;
        QTest::newRow("mouse record, mouse of another model")
            << QJsonArray{receiver("rx4k", 4), q3()} << "210,4,42,17" << true << false << 10;
        QTest::newRow("receiver record, receiver of another model")
            << QJsonArray{receiver("rxo", 4, false, 30), q7("q7", true)} << "211,4,42,17" << true << false << 11;
        QTest::newRow("mouse record, no receiver first")
            << QJsonArray{q7("q7", true)} << "210,4,42,17" << true << false << 5;
        QTest::newRow("receiver record, no mouse first")
            << QJsonArray{receiver("rx4k", 4), q7("q7", false, false, "rx4k")} << "211,4,42,17" << true << false << 6;
        QTest::newRow("mouse in boot mode: ready")
            << QJsonArray{receiver("rx4k", 4), q7("q7", false, true, "rx4k")} << "210,4,42,17" << true << true << -1;
        QTest::newRow("mouse record, nothing waits")
            << QJsonArray{receiver("rx4k", 4), q7("q7", false, false, "rx4k")} << "210,4,42,17" << true << false << 2;
        QTest::newRow("two mice wait")
            << QJsonArray{receiver("rx4k", 4), q7("q7", false, true, "rx4k"), q7("q7b", true, true)} << "210,4,42,17"
            << true << false << 3;
        QTest::newRow("receiver in boot mode: ready")
            << QJsonArray{receiver("rx4k", 4, true), q7("q7", true)} << "211,4,42,17" << true << true << -1;
        QTest::newRow("receiver answering still counts as waiting")
            << QJsonArray{receiver("rx4k", 4), q7("q7", true)} << "211,4,42,17" << true << true << -1;
        QTest::newRow("no image")
            << QJsonArray{receiver("rx4k", 4), q7("q7", false, true, "rx4k")} << "210,4,42,17" << false << false << 8;
        QTest::newRow("unknown rate class: no receiver image")
            << QJsonArray{receiver("rx4k", 4, true), q7("q7", true)} << "211,3,42,17" << true << false << 8;
    }
    void repairCheck()
    {
        QFETCH(QJsonArray, devices);
        QFETCH(QString, record);
        QFETCH(bool, images);
        QFETCH(bool, ready);
        QFETCH(int, message);
        startWith(devices);
        if (!record.isEmpty())
            failRecord().setValue("UpdateFailInfo", record);
        QTemporaryDir empty;
        if (!images)
            setFirmwareFolderForTests(empty.path());

        UpDateRepair dialog;
        dialog.resetView();
        QCOMPARE(dialog.checkRepairNeeded(), ready);
        QCOMPARE(status(dialog)->text(), message < 0 ? QString() : repairText(message));
        if (message >= 0)
            QCOMPARE(button(dialog, "NewHong_2")->text(), testsupport::tableText("DialogChange", 0, 4));
        if (ready) {
            QCOMPARE(repairStageCount, 2);
            PostMsg::GetInstance()->PostRepairCheckUpdate();
            QCOMPARE(status(dialog)->text(), repairText(12));
        }
    }

    // A manual start on a fresh dialog does nothing until a check has found
    // an image.
    void manualStartWaitsForACheck()
    {
        startWith({receiver("rx4k", 4), q7("q7", false, true, "rx4k")});
        failRecord().setValue("UpdateFailInfo", "210,4,42,17");
        hidsim::clearCallLog();
        {
            UpDateRepair fresh;
            fresh.startManualRepair(0);
            QVERIFY(!repairRunning);
            QVERIFY(!testsupport::callNames().contains("UsbUpgrade_Start"));
        }
        UpDateRepair dialog;
        QVERIFY(dialog.checkRepairNeeded());
        dialog.startManualRepair(0);
        QVERIFY(repairRunning);
        QTRY_VERIFY(!repairRunning);
        QCOMPARE(status(dialog)->text(), progressText(1));
        QVERIFY(!failRecord().contains("UpdateFailInfo"));
    }

    // The two-stage repair, receiver then mouse, with a failure in either
    // stage: the failure is shown, the dialog can be left, and a new repair
    // succeeds; the mouse keeps its configuration throughout.
    void twoStageRepair_data()
    {
        QTest::addColumn<int>("failAt");   // -1: the library never answers
        QTest::addColumn<int>("failStage");
        QTest::addColumn<QString>("recordAfterFailure");
        QTest::newRow("receiver fails at 0 %") << 0 << 0 << "211,4,42,17";
        QTest::newRow("receiver fails at 50 %") << 50 << 0 << "211,4,42,17";
        QTest::newRow("receiver fails at 99 %") << 99 << 0 << "211,4,42,17";
        QTest::newRow("receiver never answers") << -1 << 0 << "211,4,42,17";
        QTest::newRow("mouse fails at 0 %") << 0 << 1 << "210,4,42,17";
        QTest::newRow("mouse fails at 50 %") << 50 << 1 << "210,4,42,17";
        QTest::newRow("mouse fails at 99 %") << 99 << 1 << "210,4,42,17";
    }
    void twoStageRepair()
    {
        QFETCH(int, failAt);
        QFETCH(int, failStage);
        QFETCH(QString, recordAfterFailure);
        startWith({receiver("rx4k", 4, true), q7("q7", true, false, "rx4k")});
        failRecord().setValue("UpdateFailInfo", "211,4,42,17");
        const QByteArray mouseRecord = hidsim::storedRecord("q7");

        // The fault comes with the stage it is meant for: the mouse stage
        // starts once the receiver's progress has reached half the bar.
        QObject watcher;
        QList<int> progress;
        bool armed = failStage == 1;
        connect(PostMsg::GetInstance(), &PostMsg::SigAutoRepairProgress, &watcher, [&](int value) {
            progress << value;
            if (armed && value >= 50) {
                armed = false;
                hidsim::setUpgradeFailAt(failAt);
            }
        });
        if (failStage == 0 && failAt < 0) {
            hidsim::setUpgradeSilent(true);
            UpDateRepair::answerTimeoutMs = 200;
        } else if (failStage == 0) {
            hidsim::setUpgradeFailAt(failAt);
        }

        UpDateRepair dialog;
        auto* bar = dialog.findChild<QProgressBar*>("progressBar_2");
        dialog.resetView();
        dialog.show();
        PostMsg::GetInstance()->PostRepairCheckUpdate();
        QCOMPARE(status(dialog)->text(), repairText(12));
        button(dialog, "NewHong_2")->click();
        QVERIFY(repairRunning);
        QCOMPARE(upgradeIdle, uint8_t(0));
        QVERIFY(!button(dialog, "CloseButton")->isEnabled());

        QTRY_VERIFY(!repairRunning);
        QCOMPARE(status(dialog)->text(), progressText(2));
        QCOMPARE(failRecord().value("UpdateFailInfo"), recordAfterFailure);
        QCOMPARE(upgradeIdle, uint8_t(1));
        QVERIFY(!repairUpgrading);
        QVERIFY(bar->value() < 100);
        if (failStage == 1)
            QVERIFY(progress.contains(50));
        QVERIFY(button(dialog, "CloseButton")->isEnabled());
        button(dialog, "CloseButton")->click();
        QVERIFY(!dialog.isVisible());

        // A new repair from the home page's button.
        hidsim::setUpgradeFailAt(-1);
        hidsim::setUpgradeSilent(false);
        UpDateRepair::answerTimeoutMs = 60000;
        progress.clear();
        dialog.resetView();
        dialog.show();
        PostMsg::GetInstance()->PostRepairCheckUpdate();
        QCOMPARE(status(dialog)->text(), repairText(12));
        button(dialog, "NewHong_2")->click();
        QTRY_VERIFY(!repairRunning);
        QCOMPARE(status(dialog)->text(), progressText(1));
        QCOMPARE(bar->value(), 100);
        QVERIFY(!failRecord().contains("UpdateFailInfo"));
        QCOMPARE(progress.first(), 0);
        QCOMPARE(progress.last(), 100);
        QVERIFY(std::is_sorted(progress.begin(), progress.end()));

        hidsim::DeviceStatus rx, mouse;
        QVERIFY(hidsim::device("rx4k", &rx));
        QVERIFY(hidsim::device("q7", &mouse));
        QVERIFY(!rx.bootMode);
        QVERIFY(!mouse.bootMode);
        QCOMPARE(rx.version, 0x0104);
        QCOMPARE(mouse.version, 0x0105);
        QCOMPARE(hidsim::storedRecord("q7"), mouseRecord);

        QSignalSpy newVersion(PostMsg::GetInstance(), &PostMsg::SigSetNewVer);
        button(dialog, "CloseButton")->click();
        QVERIFY(!dialog.isVisible());
        QCOMPARE(newVersion.count(), 1);
    }

    // A receiver-only repair (no mouse image) that succeeds is a success,
    // and leaves no run behind.
    void receiverOnlyRepairIsASuccess()
    {
        QTemporaryDir folder;
        QVERIFY(QFile::copy(firmwareFolder() + "/Q7PRO_RX4K.bin", folder.path() + "/Q7PRO_RX4K.bin"));
        setFirmwareFolderForTests(folder.path());
        startWith({receiver("rx4k", 4, true), q7("q7", true, false, "rx4k")});
        failRecord().setValue("UpdateFailInfo", "211,4,42,17");
        UpDateRepair dialog;
        dialog.resetView();
        QVERIFY(dialog.checkRepairNeeded());
        QCOMPARE(repairStageCount, 1);
        QList<int> progress;
        QObject watcher;
        connect(PostMsg::GetInstance(), &PostMsg::SigAutoRepairProgress, &watcher, [&](int v) { progress << v; });
        dialog.startRepairUpgrade();
        QTRY_VERIFY(!repairRunning);
        QCOMPARE(status(dialog)->text(), progressText(1));
        QCOMPARE(progress.last(), 100);
        QVERIFY(!failRecord().contains("UpdateFailInfo"));
        QCOMPARE(upgradeIdle, uint8_t(1));
    }

    // A start that finds no image flashes nothing and shows no success.
    void startWithoutImage()
    {
        startWith({receiver("rx4k", 4, true), q7("q7", true, false, "rx4k")});
        failRecord().setValue("UpdateFailInfo", "211,4,42,17");
        UpDateRepair dialog;
        dialog.resetView();
        QVERIFY(dialog.checkRepairNeeded());
        QTemporaryDir empty;
        setFirmwareFolderForTests(empty.path());
        hidsim::clearCallLog();
        QSignalSpy hidden(PostMsg::GetInstance(), &PostMsg::SigUpDateButton);
        dialog.startRepairUpgrade();
        QVERIFY(!repairRunning);
        QCOMPARE(upgradeIdle, uint8_t(1));
        QCOMPARE(status(dialog)->text(), repairText(8));
        QCOMPARE(hidden.count(), 0);
        QVERIFY(!testsupport::callNames().contains("UsbUpgrade_Start"));
        QCOMPARE(failRecord().value("UpdateFailInfo"), QString("211,4,42,17"));
    }

    // Late or foreign packets change nothing.
    void packetsOutsideARunAreIgnored()
    {
        QSignalSpy progress(PostMsg::GetInstance(), &PostMsg::SigAutoRepairProgress);
        QSignalSpy result(PostMsg::GetInstance(), &PostMsg::SigAutoRepair);
        const unsigned char late[3] = {7, 2, 1};
        const unsigned char other[3] = {8, 1, 50};
        repairUpgradeStatusCallback(late, 3);
        repairUpgradeStatusCallback(other, 3);
        repairUpgradeStatusCallback(late, 2);
        repairUpgradeStatusCallback(nullptr, 3);
        QCoreApplication::processEvents();
        QCOMPARE(progress.count(), 0);
        QCOMPARE(result.count(), 0);
    }

    // Pairing an unpaired mouse: success, failure and no answer; an open
    // device's session is set aside while it runs and comes back at its end.
    void pairing_data()
    {
        QTest::addColumn<int>("result");   // the receiver's answer: 3, 2 or 0 (none)
        QTest::addColumn<bool>("deviceOpen");
        QTest::addColumn<int>("item");     // "Match" text shown at the end
        QTest::newRow("success") << 3 << false << 5;
        QTest::newRow("success, device open") << 3 << true << 5;
        QTest::newRow("failure") << 2 << false << 4;
        QTest::newRow("failure, device open") << 2 << true << 4;
        QTest::newRow("no answer: time-out") << 0 << false << 4;
        QTest::newRow("no answer, device open") << 0 << true << 4;
    }
    void pairing()
    {
        QFETCH(int, result);
        QFETCH(bool, deviceOpen);
        QFETCH(int, item);
        startWith({receiver("rx4k", 4), q7("q7", false)});
        hidsim::setPairingResult(result);
        if (result == 0)
            Match::pairTimeoutMs = 200;
        QCOMPARE(foundDevices.size(), 1);
        if (deviceOpen) {
            currentDevice = foundDevices.first();
            deviceSessionActive = 1;
        }
        static int homeCalls;
        homeCalls = 0;
        homeUsbChanged = [] { ++homeCalls; };

        Match dialog;
        dialog.InitPair();
        dialog.show();
        auto* start = dialog.findChild<QPushButton*>("MatchButton");
        // Space is the button's key.
        QCOMPARE(start->shortcut().toString(), QKeySequence(Qt::Key_Space).toString());
        QVERIFY(start->isEnabled());
        start->click();
        QCOMPARE(pairResult, 1);
        QVERIFY(pairStarted);
        QCOMPARE(deviceSessionActive, 0);
        dialog.findChild<QToolButton*>("CloseButton")->click();
        QVERIFY(dialog.isVisible());

        QTRY_VERIFY(!pairStarted);
        QCOMPARE(pairResult, result == 3 ? 2 : 3);
        QTRY_COMPARE(start->text(), testsupport::tableText("Match", 0, item));
        QCOMPARE(deviceSessionActive, deviceOpen ? 1 : 0);
        hidsim::DeviceStatus rx;
        QVERIFY(hidsim::device("rx4k", &rx));
        QCOMPARE(rx.pairedWith, result == 3 ? QString("q7") : QString());
        if (result == 3) {
            // Another click after a success does nothing.
            start->click();
            QCOMPARE(pairResult, 2);
        }
        dialog.findChild<QToolButton*>("CloseButton")->click();
        QVERIFY(!dialog.isVisible());
        QCOMPARE(homeCalls, 1);
        currentDevice = DeviceAllInfo();
        deviceSessionActive = 0;
    }

    // The receiver unplugged while it pairs: failure within the presence
    // watch's second, and the open session comes back.
    void receiverGoneWhilePairing()
    {
        startWith({receiver("rx4k", 4), q7("q7", false)});
        hidsim::setPairingResult(0);
        currentDevice = foundDevices.first();
        deviceSessionActive = 1;
        Match dialog;
        dialog.InitPair();
        dialog.show();
        auto* start = dialog.findChild<QPushButton*>("MatchButton");
        QTRY_VERIFY(start->isEnabled());
        start->click();
        QVERIFY(pairStarted);
        hidsim::unplug("rx4k");
        QTRY_VERIFY(!pairStarted);
        QCOMPARE(pairResult, 3);
        QCOMPARE(deviceSessionActive, 1);
        currentDevice = DeviceAllInfo();
        deviceSessionActive = 0;
    }

    // Clicks and Space while a pairing runs start nothing: no second
    // connection, no second pairing command, and the time-out still counts
    // from the first click. After the failure the button pairs again.
    void runningPairingIsNotStartedAgain()
    {
        startWith({receiver("rx4k", 4), q7("q7", false)});
        hidsim::setPairingResult(0);
        const int timeoutMs = 3000;
        const int laterClicksAfterMs = 1000;
        Match::pairTimeoutMs = timeoutMs;
        Match dialog;
        dialog.InitPair();
        dialog.show();
        auto* start = dialog.findChild<QPushButton*>("MatchButton");
        QVERIFY(start->isEnabled());
        QTimer* timeout = nullptr;
        for (QTimer* timer : dialog.findChildren<QTimer*>())
            if (timer->isSingleShot())
                timeout = timer;
        QVERIFY(timeout);

        hidsim::clearCallLog();
        start->click();
        QVERIFY(pairStarted);
        QTest::qWait(laterClicksAfterMs);
        start->click();
        start->click();
        start->setFocus();
        QTest::keyClick(start, Qt::Key_Space);
        const QStringList calls = testsupport::callNames();
        QCOMPARE(calls.count("UsbServerC_Start"), 1);
        QCOMPARE(calls.count("UsbServer_EnterDonglePairOnlyCid"), 1);
        // Restarted, it would have nearly its whole length left (a timer
        // may be off by 5 %).
        QVERIFY(pairStarted);
        QVERIFY2(timeout->remainingTime() <= timeoutMs - laterClicksAfterMs / 2,
                 qPrintable(QString::number(timeout->remainingTime())));

        QTRY_VERIFY_WITH_TIMEOUT(!pairStarted, 4 * timeoutMs);
        QCOMPARE(pairResult, 3);
        QCOMPARE(start->text(), testsupport::tableText("Match", 0, 4));

        // A failed pairing may be tried again.
        hidsim::clearCallLog();
        hidsim::setPairingResult(2);
        start->click();
        QVERIFY(pairStarted);
        QCOMPARE(testsupport::callNames().count("UsbServer_EnterDonglePairOnlyCid"), 1);
        QTRY_VERIFY(!pairStarted);
        QCOMPARE(pairResult, 3);
    }

    // A mouse cannot be paired, on its cable or wired only, chosen on the
    // home page or open: notice, button disabled with the not-pairable look
    // (black text on the button's picture), nothing sent. A receiver keeps
    // the normal look, its light text.
    void whatCannotPair_data()
    {
        QTest::addColumn<QJsonArray>("bus");
        QTest::addColumn<bool>("open");
        QTest::addColumn<bool>("pairable");
        QTest::newRow("Q7 Pro on its cable") << QJsonArray{q7("q7", true)} << false << false;
        QTest::newRow("the wired Q3") << QJsonArray{q3()} << false << false;
        QTest::newRow("the wired Q3, open") << QJsonArray{q3()} << true << false;
        QTest::newRow("a receiver") << QJsonArray{receiver("rx4k", 4), q7("q7", false)} << false << true;
    }

    void whatCannotPair()
    {
        QFETCH(QJsonArray, bus);
        QFETCH(bool, open);
        QFETCH(bool, pairable);
        startWith(bus);
        QCOMPARE(foundDevices.size(), 1);
        if (open) {
            currentDevice = foundDevices.first();
            deviceSessionActive = 1;
        }
        Match dialog;
        dialog.InitPair();
        dialog.show();
        auto* start = dialog.findChild<QPushButton*>("MatchButton");
        QCOMPARE(start->isEnabled(), pairable);
        QCOMPARE(dialog.findChild<QLabel*>("label")->isHidden(), pairable);

        // The text's pixels inside the button's picture.
        const QImage shot = start->grab().toImage().convertToFormat(QImage::Format_RGB32);
        int dark = 0;
        int light = 0;
        for (int y = 6; y < shot.height() - 6; ++y) {
            for (int x = 8; x < shot.width() - 8; ++x) {
                const QColor c = shot.pixelColor(x, y);
                dark += qMax(c.red(), qMax(c.green(), c.blue())) < 60;
                light += qMin(c.red(), qMin(c.green(), c.blue())) > 200;
            }
        }
        QVERIFY2(pairable ? light > 10 && dark == 0 : dark > 10 && light == 0,
                 qPrintable(QStringLiteral("dark %1, light %2").arg(dark).arg(light)));

        hidsim::clearCallLog();
        start->click();
        if (!pairable) {
            QCOMPARE(pairResult, 0);
            QVERIFY(!testsupport::callNames().contains("UsbServer_EnterDonglePairOnlyCid"));
        }
        currentDevice = DeviceAllInfo();
        deviceSessionActive = 0;
    }
};

QUEMBREL_TEST_MAIN(RepairPairingTest)
#include "tst_repairpairing.moc"
