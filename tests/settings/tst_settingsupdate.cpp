// The settings page's firmware update: its check, its step machine, the
// library's status packets, whole runs against the simulated devices, and a
// failed run repaired from the home page.
#include "support/devicefixture.h"
#include "buttons/buttoninterface.h"
#include "sensor/sensor.h"
#include "support/dialogfixture.h"
#include "support/testsupport.h"

#include "core/firmware.h"
#include "core/globals.h"
#include "core/postmsg.h"
#include "core/product.h"
#include "core/registry.h"
#include "core/settings.h"
#include "mainwindow/dialogchange.h"
#include "platform/hidusb/simcontrol.h"
#include "settings/formsetting.h"
#include "settings/updaterepair.h"
#include "widgets/notices.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>

#include <algorithm>
#include <memory>

namespace {

QJsonObject receiver(const QString& id, int rate, bool boot = false, const QString& version = "0x0102")
{
    return QJsonObject{{"id", id},       {"kind", "receiver"}, {"model", "Q7 Pro"},
                       {"rate", rate},   {"version", version}, {"bootMode", boot}};
}

// A Q7 Pro mouse on its cable, or behind `pairedWith` when not plugged.
QJsonObject q7(const QString& id, bool plugged, bool boot = false, const QString& pairedWith = QString())
{
    QJsonObject o{{"id", id},           {"kind", "mouse"},   {"model", "Q7 Pro"},
                  {"version", "0x0103"}, {"plugged", plugged}, {"bootMode", boot}};
    if (!pairedWith.isEmpty())
        o.insert("pairedWith", pairedWith);
    return o;
}

QJsonObject q3()
{
    return QJsonObject{{"id", "q3"}, {"kind", "mouse"}, {"model", "Q3"}, {"version", "0x0101"}};
}

// The device page's record of a simulated device, as its rescan makes it.
// An id ending in "!" stands for a receiver that has not told its id yet.
DeviceAllInfo pageEntry(QString id)
{
    const bool withoutId = id.endsWith(QLatin1Char('!'));
    id.remove(QLatin1Char('!'));
    DeviceAllInfo info = testsupport::deviceEntry(id);
    hidsim::DeviceStatus status;
    hidsim::device(id, &status);
    info.usbVersionText = versionText(status.version);
    if (status.kind == QLatin1String("receiver") && !withoutId)
        info.usbAddress = status.receiverId;
    return info;
}

RegistryKey& records()
{
    static RegistryKey key(mouseDriveTestRegistryKey());
    return key;
}

QString formText(int item)
{
    return testsupport::tableText("FormSetting", 0, item);
}

// The text of the visible update notice; "" when none shows.
QString noticeShown()
{
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (qobject_cast<UpDateWarning*>(w) && w->isVisible())
            return w->findChild<QLabel*>("label")->text();
    }
    return QString();
}

// "value/status" of every SigProgress, in order.
class ProgressLog : public QObject
{
public:
    ProgressLog()
    {
        connect(PostMsg::GetInstance(), &PostMsg::SigProgress, this,
                [this](int value, int status) { entries << QStringLiteral("%1/%2").arg(value).arg(status); });
        connect(PostMsg::GetInstance(), &PostMsg::SigLabelText, this,
                [this](int which, const QString& text) { labels << QStringLiteral("%1:%2").arg(which).arg(text); });
    }
    QList<int> values(int status) const
    {
        QList<int> out;
        for (const QString& e : entries)
            if (e.section('/', 1).toInt() == status)
                out << e.section('/', 0, 0).toInt();
        return out;
    }
    QStringList entries;
    QStringList labels;
};

} // namespace

class SettingsUpdateTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<FormSetting> page;

    // The bus, the open device and the device page's rescan, then the page.
    void openPage(const QJsonArray& bus, const QString& open, const QStringList& entries)
    {
        page.reset();
        QVERIFY(testsupport::loadBus(bus));
        hidsim::setUpgradeStepMs(1);
        currentDevice = pageEntry(open);
        currentDevice.online = 1;
        hidsim::DeviceStatus mouse;
        if (hidsim::device("q7", &mouse))
            currentDevice.firmwareVersionText = versionText(mouse.version);
        setDevicePath(currentDevice.path);
        workerDevices.clear();
        for (const QString& id : entries)
            workerDevices << pageEntry(id);
        deviceSessionActive = 1;
        page.reset(new FormSetting);
    }

    QLabel* label(const char* name) { return page->findChild<QLabel*>(name); }
    QToolButton* toolButton(const char* name) { return page->findChild<QToolButton*>(name); }
    static QLabel* status() { return settingsRepairDialog->findChild<QLabel*>("ToolText_2"); }
    static QToolButton* repairButton(const char* name) { return settingsRepairDialog->findChild<QToolButton*>(name); }

    // Receiver and mouse run the images' versions and wait for nothing.
    static void verifyBothFlashed()
    {
        hidsim::DeviceStatus rx, mouse;
        QVERIFY(hidsim::device("rx4k", &rx));
        QVERIFY(hidsim::device("q7", &mouse));
        QVERIFY(!rx.bootMode && !mouse.bootMode);
        QCOMPARE(rx.version, 0x0104);
        QCOMPARE(mouse.version, 0x0105);
    }

    static bool stepMachineIdle() { return versionCheckRunning == 0 && upgradeIdle == 1; }

private slots:
    void init()
    {
        hidsim::resetToDefaultBus();
        testsupport::resetDeviceState();
        testsupport::fillLanguageTables();
        records().remove("UpdateFailInfo");
        records().remove("MouseVer4217");
        QFile::remove(upgradeLogPath());
        setFirmwareFolderForTests(QString());
        FormSetting::checkIntervalMs = 5;
        UpDateRepair::answerTimeoutMs = 60000;
        receiverRunState = mouseRunState = kRunIdle;
        versionCheckRunning = 0;
        upgradeRunCount = 1;
        repairRunning = false;
        repairUpgrading = false;
    }

    void cleanup()
    {
        page.reset();
        for (QWidget* w : QApplication::topLevelWidgets())
            w->hide();
        StopUsbChanged();
        homeUsbChanged = nullptr;
        hidsim::setUpgradeFailAt(-1);
        hidsim::setUpgradeSilent(false);
        records().remove("UpdateFailInfo");
        setFirmwareFolderForTests(QString());
        testsupport::resetDeviceState();
        foundDevices.clear();
        allFoundDevices.clear();
    }

    // Whether an update or a repair can start, from the devices of the page,
    // the failed-upgrade record, the versions shown and the images.
    void chechIsUpDate_data()
    {
        QTest::addColumn<QJsonArray>("bus");
        QTest::addColumn<QString>("open");
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QString>("record");
        QTest::addColumn<QString>("receiverVersion");
        QTest::addColumn<QString>("mouseVersion");
        QTest::addColumn<bool>("ready");
        QTest::addColumn<int>("message");  // FormSetting item in the dialog; -1 none
        QTest::addColumn<int>("runCount"); // checked when ready

        const QJsonArray wired{receiver("rx4k", 4), q7("q7", true)};
        const QStringList both{"rx4k", "q7"};
        QTest::newRow("receiver and mouse both older")
            << wired << "rx4k" << both << "" << "v1.02" << "v1.03" << true << -1 << 2;
        QTest::newRow("only the mouse older")
            << wired << "rx4k" << both << "" << "v1.04" << "v1.03" << true << -1 << 1;
        QTest::newRow("only the receiver older")
            << wired << "rx4k" << both << "" << "v1.02" << "v1.05" << true << -1 << 1;
        QTest::newRow("both up to date")
            << wired << "rx4k" << both << "" << "v1.04" << "v1.05" << false << 18 << 0;
        QTest::newRow("two receivers") << QJsonArray{receiver("rx4k", 4), receiver("rx1k", 1)} << "rx4k"
                                       << QStringList{"rx4k", "rx1k"} << "" << "v1.02" << "" << false << 24 << 0;
        QTest::newRow("mouse of another model") << QJsonArray{receiver("rx4k", 4), q3()} << "rx4k"
                                                << QStringList{"rx4k", "q3"} << "" << "v1.02" << "v1.01" << false
                                                << 23 << 0;
        QTest::newRow("receiver without its id") << wired << "rx4k" << QStringList{"rx4k!", "q7"} << "" << "v1.02"
                                                 << "v1.03" << false << 23 << 0;
        QTest::newRow("lone receiver") << wired << "rx4k" << QStringList{"rx4k"} << "" << "v1.02" << "" << false << 24
                                       << 0;
        QTest::newRow("lone mouse") << wired << "q7" << QStringList{"q7"} << "" << "" << "v1.03" << false << 23 << 0;
        QTest::newRow("no device") << wired << "rx4k" << QStringList{} << "" << "" << "" << false << 25 << 0;
        QTest::newRow("three entries, two receivers")
            << QJsonArray{receiver("rx4k", 4), receiver("rx1k", 1), q7("q7", true)} << "rx4k"
            << QStringList{"rx4k", "rx1k", "q7"} << "" << "" << "" << false << 27 << 0;
        QTest::newRow("three entries, two mice") << QJsonArray{receiver("rx4k", 4), q7("q7", true), q3()} << "rx4k"
                                                 << QStringList{"rx4k", "q7", "q3"} << "" << "" << "" << false << 26
                                                 << 0;

        const QJsonArray receiverWaits{receiver("rx4k", 4, true), q7("q7", true)};
        QTest::newRow("receiver record, receiver waits, mouse older")
            << receiverWaits << "q7" << QStringList{"q7"} << "211,4,42,17" << "" << "v1.03" << true << -1 << 2;
        QTest::newRow("receiver record, mouse up to date")
            << receiverWaits << "q7" << QStringList{"q7"} << "211,4,42,17" << "" << "v1.05" << true << -1 << 1;
        QTest::newRow("receiver record, mouse of another model")
            << QJsonArray{receiver("rx4k", 4, true), q3()} << "q3" << QStringList{"q3"} << "211,4,42,17" << ""
            << "v1.01" << false << 24 << 0;
        QTest::newRow("receiver record of another CID")
            << receiverWaits << "q7" << QStringList{"q7"} << "211,4,43,17" << "" << "v1.03" << false << 25 << 0;
        QTest::newRow("record of an unknown kind")
            << receiverWaits << "q7" << QStringList{"q7"} << "212,4,42,17" << "" << "v1.03" << false << 25 << 0;
        QTest::newRow("receiver record, unknown rate class: nothing to flash")
            << receiverWaits << "q7" << QStringList{"q7"} << "211,3,42,17" << "" << "v1.03" << false << 15 << 0;
        QTest::newRow("mouse record, mouse waits, receiver older")
            << QJsonArray{receiver("rx4k", 4), q7("q7", false, true, "rx4k")} << "rx4k" << QStringList{"rx4k"}
            << "210,4,42,17" << "v1.02" << "" << true << -1 << 2;
        QTest::newRow("mouse record, nothing waits")
            << QJsonArray{receiver("rx4k", 4), q7("q7", false, false, "rx4k")} << "rx4k" << QStringList{"rx4k"}
            << "210,4,42,17" << "v1.02" << "" << false << 15 << 0;
        QTest::newRow("mouse record, two mice wait")
            << QJsonArray{receiver("rx4k", 4), q7("q7", false, true, "rx4k"), q7("q7b", true, true)} << "rx4k"
            << QStringList{"rx4k"} << "210,4,42,17" << "v1.02" << "" << false << 17 << 0;
        QTest::newRow("mouse record, receiver of another model")
            << QJsonArray{receiver("rx4k", 4), q7("q7", false, true, "rx4k")} << "rx4k" << QStringList{"rx4k"}
            << "210,4,42,18" << "v1.02" << "" << false << 23 << 0;
    }
    void chechIsUpDate()
    {
        QFETCH(QJsonArray, bus);
        QFETCH(QString, open);
        QFETCH(QStringList, entries);
        QFETCH(QString, record);
        QFETCH(QString, receiverVersion);
        QFETCH(QString, mouseVersion);
        QFETCH(bool, ready);
        QFETCH(int, message);
        QFETCH(int, runCount);
        openPage(bus, open, entries);
        if (!record.isEmpty())
            records().setValue("UpdateFailInfo", record);
        label("label_5")->setText(receiverVersion);
        label("label_7")->setText(mouseVersion);
        settingsRepairDialog->resetView();
        upgradeRunCount = 0;

        QCOMPARE(page->ChechIsUpDate(), ready);
        QCOMPARE(status()->text(), message < 0 ? QString() : formText(message));
        if (ready)
            QCOMPARE(upgradeRunCount, runCount);
    }

    // Each run of the step machine, started directly or chained after the
    // other device's run: one target flashes; none, several or no image end
    // the run without flashing, with the indicator or (chained) a notice.
    void checkVersion_data()
    {
        QTest::addColumn<QJsonArray>("bus");
        QTest::addColumn<QString>("open");
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("chained");
        QTest::addColumn<QString>("shownVersion"); // the label the run compares with
        QTest::addColumn<bool>("images");
        QTest::addColumn<int>("state");
        QTest::addColumn<bool>("started");
        QTest::addColumn<bool>("indicator");
        QTest::addColumn<int>("notice");           // FormSetting item; -1 none

        const QJsonArray wired{receiver("rx4k", 4), q7("q7", true)};
        const QStringList both{"rx4k", "q7"};
        const QJsonArray twoReceivers{receiver("rx4k", 4), receiver("rxb", 4, true), q7("q7", true)};
        const int r = kReceiverFirmware;
        const int m = kMouseFirmware;
        QTest::newRow("receiver: one target") << wired << "rx4k" << both << r << false << "v1.02" << true
                                              << int(kRunSucceeded) << true << false << -1;
        QTest::newRow("receiver: no image") << wired << "rx4k" << both << r << false << "v1.02" << false
                                            << int(kRunNothingToDo) << false << false << -1;
        QTest::newRow("receiver: up to date") << QJsonArray{receiver("rx4k", 4, false, "0x0104"), q7("q7", true)}
                                              << "rx4k" << both << r << false << "v1.04" << true
                                              << int(kRunNothingToDo) << false << false << -1;
        QTest::newRow("receiver: two targets") << twoReceivers << "rx4k" << both << r << false << "v1.02" << true
                                               << int(kRunIdle) << false << true << -1;
        QTest::newRow("receiver: two targets, chained") << twoReceivers << "rx4k" << both << r << true << "v1.02"
                                                        << true << int(kRunIdle) << false << false << 17;
        QTest::newRow("receiver: no target") << wired << "q7" << QStringList{"q7"} << r << false << "" << true
                                             << int(kRunIdle) << false << true << -1;
        QTest::newRow("receiver: no target, chained") << wired << "q7" << QStringList{"q7"} << r << true << ""
                                                      << true << int(kRunIdle) << false << false << 15;
        QTest::newRow("mouse: one target") << wired << "rx4k" << both << m << false << "v1.03" << true
                                           << int(kRunSucceeded) << true << false << -1;
        QTest::newRow("mouse: up to date") << wired << "rx4k" << both << m << false << "v1.05" << true
                                           << int(kRunNothingToDo) << false << false << -1;
        QTest::newRow("mouse: no target, chained")
            << QJsonArray{receiver("rx4k", 4), q7("q7", false, false, "rx4k")} << "rx4k" << QStringList{"rx4k"} << m
            << true << "v1.03" << true << int(kRunIdle) << false << false << 14;
        QTest::newRow("mouse: open mouse is not the page's first")
            << QJsonArray{q7("q7", true), q3()} << "q7" << QStringList{"q3", "q7"} << m << false << "v1.03" << true
            << int(kRunIdle) << false << false << -1;
    }
    void checkVersion()
    {
        QFETCH(QJsonArray, bus);
        QFETCH(QString, open);
        QFETCH(QStringList, entries);
        QFETCH(int, kind);
        QFETCH(bool, chained);
        QFETCH(QString, shownVersion);
        QFETCH(bool, images);
        QFETCH(int, state);
        QFETCH(bool, started);
        QFETCH(bool, indicator);
        QFETCH(int, notice);
        openPage(bus, open, entries);
        QTemporaryDir empty;
        if (!images)
            setFirmwareFolderForTests(empty.path());
        const bool receiverRun = kind == kReceiverFirmware;
        label(receiverRun ? "label_5" : "label_7")->setText(shownVersion);
        hidsim::clearCallLog();
        ProgressLog log;

        if (chained) {
            // What the other device's finished run leaves behind.
            (receiverRun ? receiverUpdateAvailable : mouseUpdateAvailable) = 1;
            (receiverRun ? mouseRunState : receiverRunState) = kRunSucceeded;
            page->SlotContinue(0);
        } else if (receiverRun) {
            page->on_Receive_clicked();
        } else {
            page->on_Mouse_clicked();
        }
        QTRY_VERIFY(stepMachineIdle());

        QCOMPARE(receiverRun ? receiverRunState : mouseRunState, state);
        QCOMPARE(testsupport::callNames().contains("UsbUpgrade_Start"), started);
        QCOMPARE(!toolButton(receiverRun ? "toolButton_2" : "toolButton_3")->isHidden(), indicator);
        QCOMPARE(noticeShown(), notice < 0 ? QString() : notice == 14 ? updateWarningText : formText(notice));
        if (state == kRunSucceeded) {
            QTRY_COMPARE(label(receiverRun ? "label_5" : "label_7")->text(),
                         QString(receiverRun ? "v1.04" : "v1.05"));
            QVERIFY(!records().contains("UpdateFailInfo"));
        }
        if (state == kRunNothingToDo && !receiverRun)
            QCOMPARE(page->findChild<QToolButton*>("Receive_2")->text(), formText(18));
        if (QTest::currentDataTag() == QByteArray("mouse: open mouse is not the page's first"))
            QCOMPARE(log.entries, QStringList{"0/5"});
    }

    // What each status packet of a run does: progress scaled over one or two
    // runs, a result's run state, version label, records and log.
    void statusPackets_data()
    {
        QTest::addColumn<int>("receiverBefore");
        QTest::addColumn<int>("mouseBefore");
        QTest::addColumn<int>("runCount");
        QTest::addColumn<QByteArray>("packet");
        QTest::addColumn<QStringList>("progress");
        QTest::addColumn<QStringList>("labels");
        QTest::addColumn<int>("receiverAfter");
        QTest::addColumn<int>("mouseAfter");
        QTest::addColumn<QString>("record");   // "UpdateFailInfo" afterwards ("old" one: "210,1,1,1")
        QTest::addColumn<QString>("mouseVer"); // "MouseVer4217" afterwards
        QTest::addColumn<bool>("log");

        const int run = kRunRunning;
        const int idle = kRunIdle;
        const QString old = "210,1,1,1";
        const auto bytes = [](int a, int b, int c) { return QByteArray() + char(a) + char(b) + char(c); };
        QTest::newRow("receiver progress, one run") << run << idle << 1 << bytes(7, 1, 40) << QStringList{"40/0"}
                                                    << QStringList{} << run << idle << old << "" << false;
        QTest::newRow("receiver progress, two runs") << run << idle << 2 << bytes(7, 1, 40) << QStringList{"20/0"}
                                                     << QStringList{} << run << idle << old << "" << false;
        QTest::newRow("mouse progress, two runs") << idle << run << 2 << bytes(7, 1, 40) << QStringList{"70/0"}
                                                  << QStringList{} << idle << run << old << "" << false;
        QTest::newRow("progress beyond 100 %") << idle << run << 1 << bytes(7, 1, 250) << QStringList{"100/0"}
                                               << QStringList{} << idle << run << old << "" << false;
        QTest::newRow("receiver success, one run")
            << run << idle << 1 << bytes(7, 2, 1) << QStringList{"0/2"} << QStringList{"0:v1.05"}
            << int(kRunSucceeded) << idle << "" << "" << false;
        QTest::newRow("receiver success, two runs")
            << run << idle << 2 << bytes(7, 2, 1) << QStringList{} << QStringList{"0:v1.05"} << int(kRunSucceeded)
            << idle << "" << "" << false;
        QTest::newRow("mouse success") << idle << run << 2 << bytes(7, 2, 1) << QStringList{"0/2"}
                                       << QStringList{"1:v1.05"} << idle << int(kRunSucceeded) << "" << "v1.05"
                                       << false;
        QTest::newRow("failure") << run << idle << 2 << bytes(7, 2, 0) << QStringList{"0/1"} << QStringList{}
                                 << int(kRunFailed) << idle << "211,4,42,17" << "" << true;
        QTest::newRow("any result but 1 fails") << idle << run << 2 << bytes(7, 2, 9) << QStringList{"0/1"}
                                                << QStringList{} << idle << int(kRunFailed) << "211,4,42,17" << ""
                                                << true;
        QTest::newRow("not a status packet") << run << idle << 1 << bytes(8, 2, 1) << QStringList{} << QStringList{}
                                             << run << idle << old << "" << false;
        QTest::newRow("unknown status") << run << idle << 1 << bytes(7, 3, 1) << QStringList{} << QStringList{}
                                        << run << idle << old << "" << false;
        QTest::newRow("nothing runs: a late failure") << idle << idle << 1 << bytes(7, 2, 0) << QStringList{}
                                                      << QStringList{} << idle << idle << old << "" << false;
        QTest::newRow("nothing runs: a late success") << int(kRunFailed) << idle << 1 << bytes(7, 2, 1)
                                                      << QStringList{} << QStringList{} << int(kRunFailed) << idle
                                                      << old << "" << false;
    }
    void statusPackets()
    {
        QFETCH(int, receiverBefore);
        QFETCH(int, mouseBefore);
        QFETCH(int, runCount);
        QFETCH(QByteArray, packet);
        QFETCH(QStringList, progress);
        QFETCH(QStringList, labels);
        QFETCH(int, receiverAfter);
        QFETCH(int, mouseAfter);
        QFETCH(QString, record);
        QFETCH(QString, mouseVer);
        QFETCH(bool, log);
        // The image the run flashes: the mouse's, version 1.05.
        QVERIFY(findFirmwareUpdateFile(kMouseFirmware, QString(),
                                       ConfigSettings::instance()->value("Drive1", "MM"), 42, 17));
        records().setValue("UpdateFailInfo", "210,1,1,1");
        receiverRunState = receiverBefore;
        mouseRunState = mouseBefore;
        upgradeRunCount = runCount;
        upgradeDeviceKind = kReceiverFirmware;
        upgradeRateClass = 4;
        upgradeCid = 42;
        upgradeMid = 17;
        receiverUpdateAvailable = mouseUpdateAvailable = 1;
        ProgressLog seen;

        settingsUpgradeStatusCallback(reinterpret_cast<const unsigned char*>(packet.constData()), packet.size());
        QCoreApplication::processEvents();

        QCOMPARE(seen.entries, progress);
        QCOMPARE(seen.labels, labels);
        QCOMPARE(receiverRunState, receiverAfter);
        QCOMPARE(mouseRunState, mouseAfter);
        QCOMPARE(records().value("UpdateFailInfo"), record);
        QCOMPARE(records().value("MouseVer4217"), mouseVer);
        QFile file(upgradeLogPath());
        QCOMPARE(file.exists(), log);
        if (log) {
            QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
            QCOMPARE(QString::fromLocal8Bit(file.readAll()).count('\n'), 8);
            QCOMPARE(receiverUpdateAvailable + mouseUpdateAvailable, 0);
        }
    }

    // The default devices with the mouse also on its cable: the dialog opens
    // by itself when the versions are reported, and its start button flashes
    // the receiver, then the mouse, over one progress bar.
    void fullUpdateOfBothFirmwares()
    {
        openPage({receiver("rx4k", 4), q7("q7", true)}, "rx4k", {"rx4k", "q7"});
        ProgressLog log;
        PostMsg::GetInstance()->PostSetver(0);
        QCOMPARE(label("label_5")->text(), QString("v1.02"));
        QCOMPARE(label("label_7")->text(), QString("v1.03"));
        QVERIFY(settingsRepairDialog->isVisible());
        QCOMPARE(status()->text(), testsupport::tableText("AutoRepair", 0, 12));

        repairButton("NewHong_2")->click();
        QVERIFY(versionCheckRunning);
        QCOMPARE(upgradeIdle, uint8_t(0));
        QTRY_VERIFY(stepMachineIdle() && mouseRunState == kRunSucceeded);

        const QList<int> values = log.values(0);
        QVERIFY(!values.isEmpty());
        QVERIFY(std::is_sorted(values.begin(), values.end()));
        QCOMPARE(values.last(), 100);
        QVERIFY(values.contains(50));
        QCOMPARE(log.values(2), QList<int>{0});
        QVERIFY(log.values(1).isEmpty());
        QCOMPARE(log.labels, QStringList({"0:v1.04", "1:v1.05"}));
        QCOMPARE(label("label_5")->text(), QString("v1.04"));
        QCOMPARE(label("label_7")->text(), QString("v1.05"));
        QCOMPARE(receiverRunState, int(kRunSucceeded));
        QVERIFY(!records().contains("UpdateFailInfo"));
        QCOMPARE(records().value("MouseVer4217"), QString("v1.05"));
        QCOMPARE(settingsRepairDialog->findChild<QProgressBar*>("progressBar_2")->value(), 100);
        QCOMPARE(status()->text(), testsupport::tableText("Progress", 0, 1));

        verifyBothFlashed();
        if (QTest::currentTestFailed())
            return;
        // Nothing is offered again.
        QCOMPARE(receiverUpdateAvailable + mouseUpdateAvailable, 0);
    }

    // The dialog opens by itself once per opened device: a later report (a
    // profile switch, a reload) leaves it closed; the next device opened
    // gets it again.
    void updateIsOfferedOncePerDevice()
    {
        openPage({receiver("rx4k", 4), q7("q7", true)}, "rx4k", {"rx4k", "q7"});
        PostMsg::GetInstance()->PostSetver(0);
        QVERIFY(settingsRepairDialog->isVisible());
        settingsRepairDialog->close();
        PostMsg::GetInstance()->PostSetver(0);
        QVERIFY(!settingsRepairDialog->isVisible());
        QVERIFY(receiverUpdateAvailable || mouseUpdateAvailable);
        PostMsg::GetInstance()->PostSetver(6);
        PostMsg::GetInstance()->PostSetver(0);
        QVERIFY(settingsRepairDialog->isVisible());
    }

    // A failure injected into the receiver's or the mouse's run leaves the
    // record; after a restart the home page offers the repair, which then
    // succeeds.
    // A device that leaves the bus during its run (`unplugged`, once the run
    // has reported `failAt` %) fails the run just the same.
    void failedRunIsRepairedFromTheHomePage_data()
    {
        QTest::addColumn<int>("failAt");
        QTest::addColumn<bool>("inMouseRun");
        QTest::addColumn<QString>("record");
        QTest::addColumn<QString>("unplugged");
        QTest::newRow("receiver at 0 %") << 0 << false << "211,4,42,17" << "";
        QTest::newRow("receiver at 35 %") << 35 << false << "211,4,42,17" << "";
        QTest::newRow("receiver at 95 %") << 95 << false << "211,4,42,17" << "";
        QTest::newRow("mouse at 50 %") << 50 << true << "210,4,42,17" << "";
        QTest::newRow("receiver unplugged at 34 %") << 34 << false << "211,4,42,17" << "rx4k";
        QTest::newRow("mouse's cable unplugged at 44 %") << 44 << true << "210,4,42,17" << "q7";
    }
    void failedRunIsRepairedFromTheHomePage()
    {
        QFETCH(int, failAt);
        QFETCH(bool, inMouseRun);
        QFETCH(QString, record);
        QFETCH(QString, unplugged);
        const QJsonArray bus{receiver("rx4k", 4), q7("q7", true, false, "rx4k")};
        openPage(bus, "rx4k", {"rx4k", "q7"});
        ProgressLog log;
        QObject guard;
        const auto arm = [failAt, unplugged] {
            if (unplugged.isEmpty())
                hidsim::setUpgradeFailAt(failAt);
            else
                hidsim::setUpgradeHoldAt(failAt);
        };
        if (inMouseRun) {
            // Armed once the receiver's run has ended well.
            connect(PostMsg::GetInstance(), &PostMsg::SigLabelText, &guard, [arm](int which) {
                if (which == 0)
                    arm();
            });
        } else {
            arm();
        }
        PostMsg::GetInstance()->PostSetver(0);
        repairButton("NewHong_2")->click();
        if (!unplugged.isEmpty()) {
            // The bar of the two runs: 17 % into the receiver's, 72 % into the mouse's.
            const int bar = inMouseRun ? failAt / 2 + 50 : failAt / 2;
            QTRY_VERIFY(log.values(0).contains(bar));
            QVERIFY(hidsim::unplug(unplugged));
        }
        QTRY_VERIFY(stepMachineIdle() && (receiverRunState == kRunFailed || mouseRunState == kRunFailed));

        QCOMPARE(log.values(1), QList<int>{0});
        QVERIFY(log.values(2).isEmpty());
        QCOMPARE(records().value("UpdateFailInfo"), record);
        QVERIFY(QFile::exists(upgradeLogPath()));
        QCOMPARE(status()->text(), testsupport::tableText("Progress", 0, 2));
        QCOMPARE(inMouseRun ? receiverRunState : mouseRunState, inMouseRun ? int(kRunSucceeded) : int(kRunIdle));
        // A failure chains nothing and leaves the device waiting, on the
        // version it had.
        hidsim::DeviceStatus failed;
        QVERIFY(hidsim::device(inMouseRun ? "q7" : "rx4k", &failed));
        QVERIFY(failed.bootMode);
        QCOMPARE(failed.version, inMouseRun ? 0x0103 : 0x0102);
        QCOMPARE(label(inMouseRun ? "label_7" : "label_5")->text(), QString(inMouseRun ? "v1.03" : "v1.02"));
        QVERIFY(repairButton("CloseButton")->isEnabled());

        // The program starts again on the home page; the devices stay as the
        // failed run left them, the one unplugged back on the bus.
        hidsim::setUpgradeFailAt(-1);
        hidsim::setUpgradeHoldAt(-1);
        if (!unplugged.isEmpty())
            QVERIFY(hidsim::plug(unplugged));
        page.reset();
        testsupport::resetDeviceState();
        deviceSessionActive = 0;
        FormSetting settings;
        DialogChange home;
        auto* repair = home.findChild<QPushButton*>("Repair");
        QVERIFY(repair && !repair->isHidden());
        repair->click();
        QVERIFY(settingsRepairDialog->isVisible());
        QCOMPARE(status()->text(), testsupport::tableText("AutoRepair", 0, 12));
        repairButton("NewHong_2")->click();
        QVERIFY(repairRunning);
        QTRY_VERIFY(!repairRunning);
        QCOMPARE(status()->text(), testsupport::tableText("Progress", 0, 1));
        QVERIFY(!records().contains("UpdateFailInfo"));
        verifyBothFlashed();
        if (QTest::currentTestFailed())
            return;
        settingsRepairDialog->hide();
    }

    // A failed run repaired from the settings page itself: the device that
    // waits in boot mode is flashed, then the other one when it has a newer
    // image, and the record goes.
    void repairFromTheSettingsPage_data()
    {
        QTest::addColumn<QJsonArray>("bus");
        QTest::addColumn<QString>("open");
        QTest::addColumn<QString>("record");
        QTest::addColumn<bool>("mouseOnline");
        QTest::newRow("receiver waits, wired mouse open")
            << QJsonArray{receiver("rx4k", 4, true), q7("q7", true)} << "q7" << "211,4,42,17" << true;
        QTest::newRow("mouse waits, receiver open")
            << QJsonArray{receiver("rx4k", 4), q7("q7", false, true, "rx4k")} << "rx4k" << "210,4,42,17" << false;
    }
    void repairFromTheSettingsPage()
    {
        QFETCH(QJsonArray, bus);
        QFETCH(QString, open);
        QFETCH(QString, record);
        QFETCH(bool, mouseOnline);
        openPage(bus, open, {open});
        currentDevice.online = mouseOnline ? 1 : 0;
        records().setValue("UpdateFailInfo", record);
        ProgressLog log;
        PostMsg::GetInstance()->PostSetver(0);
        QVERIFY(settingsRepairDialog->isVisible());
        QCOMPARE(status()->text(), testsupport::tableText("AutoRepair", 0, 12));
        QCOMPARE(upgradeRunCount, 2);

        repairButton("NewHong_2")->click();
        QTRY_VERIFY(stepMachineIdle() && mouseRunState == kRunSucceeded);
        QCOMPARE(receiverRunState, int(kRunSucceeded));
        QVERIFY(!records().contains("UpdateFailInfo"));
        QCOMPARE(log.labels, QStringList({"0:v1.04", "1:v1.05"}));
        const QList<int> values = log.values(0);
        QVERIFY(std::is_sorted(values.begin(), values.end()));
        QCOMPARE(values.last(), 100);
        QCOMPARE(status()->text(), testsupport::tableText("Progress", 0, 1));
        verifyBothFlashed();
        if (QTest::currentTestFailed())
            return;
    }

    // However the runs that the start button began end without flashing,
    // the dialog shows why and can be left: the receiver unplugged right
    // after the click, two receivers to flash, the mouse gone before its
    // chained run.
    void everyStartEndsWithAWayOut_data()
    {
        QTest::addColumn<QJsonArray>("bus");
        QTest::addColumn<QString>("unplugged");  // right after the click, and gone from the page
        QTest::addColumn<bool>("mouseLeaves");   // gone from the page once the receiver is flashed
        QTest::addColumn<int>("message");        // FormSetting item (14: the mouse notice's text)
        QTest::addColumn<int>("bar");            // -1: hidden

        const QJsonArray wired{receiver("rx4k", 4), q7("q7", true)};
        QTest::newRow("receiver unplugged") << wired << "rx4k" << false << 15 << -1;
        QTest::newRow("two receivers") << QJsonArray{receiver("rx4k", 4), receiver("rxb", 4, true), q7("q7", true)}
                                       << "" << false << 17 << -1;
        QTest::newRow("no mouse for the chained run") << wired << "" << true << 14 << 50;
    }
    void everyStartEndsWithAWayOut()
    {
        QFETCH(QJsonArray, bus);
        QFETCH(QString, unplugged);
        QFETCH(bool, mouseLeaves);
        QFETCH(int, message);
        QFETCH(int, bar);
        openPage(bus, "rx4k", {"rx4k", "q7"});
        PostMsg::GetInstance()->PostSetver(0);
        QVERIFY(settingsRepairDialog->isVisible());
        QCOMPARE(status()->text(), testsupport::tableText("AutoRepair", 0, 12));
        QObject guard;
        if (mouseLeaves) {
            connect(PostMsg::GetInstance(), &PostMsg::SigLabelText, &guard, [](int which) {
                if (which == 0)
                    workerDevices.removeLast();
            });
        }

        repairButton("NewHong_2")->click();
        if (!unplugged.isEmpty()) {
            QVERIFY(hidsim::unplug(unplugged));
            workerDevices.removeFirst();
        }
        QTRY_VERIFY(stepMachineIdle() && repairButton("CloseButton")->isEnabled());

        QCOMPARE(status()->text(), message == 14 ? updateWarningText : formText(message));
        QCOMPARE(repairButton("NewHong_2")->text(), testsupport::tableText("DialogChange", 0, 4));
        QVERIFY(!repairButton("NewHong_2")->isHidden());
        QVERIFY(repairButton("NewHong")->isEnabled());
        auto* progress = settingsRepairDialog->findChild<QProgressBar*>("progressBar_2");
        QCOMPARE(progress->isHidden(), bar < 0);
        if (bar >= 0)
            QCOMPARE(progress->value(), bar);
        repairButton("CloseButton")->click();
        QVERIFY(!settingsRepairDialog->isVisible());
    }

    // A run the library never answers ends as a failure once it has been
    // silent too long; the step machine does not wait for ever.
    void silentRunTimesOut()
    {
        openPage({receiver("rx4k", 4), q7("q7", true)}, "rx4k", {"rx4k", "q7"});
        UpDateRepair::answerTimeoutMs = 100;
        hidsim::setUpgradeSilent(true);
        ProgressLog log;
        label("label_5")->setText("v1.02");
        page->on_Receive_clicked();
        QTRY_VERIFY(stepMachineIdle());
        QCOMPARE(receiverRunState, int(kRunFailed));
        QCOMPARE(log.entries, QStringList{"0/1"});
        QCOMPARE(records().value("UpdateFailInfo"), QString("211,4,42,17"));
        QVERIFY(QFile::exists(upgradeLogPath()));
    }
};

QUEMBREL_TEST_MAIN(SettingsUpdateTest)
#include "tst_settingsupdate.moc"
