// The home page against the simulated device bus: discovery, tiles and pages,
// the wired-mouse merge, the duplicate notice, hover feedback and texts.
#include "support/devicefixture.h"
#include "support/dialogfixture.h"
#include "support/modalanswer.h"
#include "support/testsupport.h"

#include "buttons/buttoninterface.h"
#include "core/globals.h"
#include "core/postmsg.h"
#include "core/product.h"
#include "core/registry.h"
#include "core/settings.h"
#include "mainwindow/dialogchange.h"
#include "sensor/sensor.h"
#include "platform/hidusb/simcontrol.h"
#include "settings/updaterepair.h"
#include "widgets/mytoolbuttonenter.h"

#include <QComboBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QToolButton>

namespace {

QJsonObject wired(const QString& id, const QString& model)
{
    return {{"id", id}, {"kind", "mouse"}, {"model", model}};
}

QJsonObject receiver(const QString& id, int rate, const QString& model = QStringLiteral("Q7 Pro"))
{
    QJsonObject o{{"id", id}, {"kind", "receiver"}, {"model", model}, {"rate", rate}};
    if (model != QLatin1String("Q7 Pro"))
        o.insert("mid", 90);
    return o;
}

// A mouse of a model the catalogue does not know, on a searched product id.
QJsonObject unknownMouse(const QString& id, int mid)
{
    return {{"id", id}, {"kind", "mouse"}, {"model", "Other"}, {"mid", mid}, {"productId", "0x5120"}};
}

// Devices that never count as duplicates of each other, in search order.
QJsonArray distinctDevices(int n)
{
    const QJsonArray all = {wired("q3", "Q3"),      receiver("rx1", 1),      receiver("rx2", 2),
                            receiver("rx4", 4),     receiver("rx8", 8),      unknownMouse("u1", 90),
                            unknownMouse("u2", 91)};
    QJsonArray out;
    for (int i = 0; i < n; ++i)
        out.append(all.at(i));
    return out;
}

QString devicePathOf(const QString& id)
{
    return QStringLiteral("/dev/hidsim/") + id;
}

QStringList paths(const QList<DeviceAllInfo>& devices)
{
    QStringList out;
    for (const DeviceAllInfo& d : devices)
        out << d.path;
    return out;
}

} // namespace

class DialogChangeTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<DialogChange> page;

    void loadBus(const QJsonArray& devices) { QVERIFY(testsupport::loadBus(devices)); }

    QStackedWidget* stack() const { return page->findChild<QStackedWidget*>("stackedWidget"); }
    QWidget* child(const char* name) const { return page->findChild<QWidget*>(name); }

    QList<int> tilesPerPage() const
    {
        QList<int> counts;
        for (int i = 0; i < stack()->count(); ++i)
            counts << stack()->widget(i)->findChildren<mytoolButtonEnter*>().size();
        return counts;
    }

    mytoolButtonEnter* tile(int k) const
    {
        return page->findChild<mytoolButtonEnter*>(QStringLiteral("btn") + QString::number(k));
    }

    // The tile of a device, by its id on the bus.
    int tileOf(const QString& id) const { return paths(foundDevices).indexOf(devicePathOf(id)); }

private slots:
    void init()
    {
        hidsim::resetToDefaultBus();
        resetHubConnectFailures();
        testsupport::fillLanguageTables();
        ConfigSettings::resetForTests();
        RegistryKey(mouseDriveTestRegistryKey()).remove("UpdateFailInfo");
    }

    void cleanup()
    {
        page.reset();
        QCOMPARE(hubConnectFailures(), 0);
        UserSettings::instance()->remove("Language", "Language");
        languageIndex = 0;
    }

    void tilesAndPages_data()
    {
        QTest::addColumn<int>("devices");
        QTest::addColumn<QList<int>>("pages");
        QTest::addColumn<QList<int>>("lastPageX");
        QTest::newRow("none") << 0 << QList<int>{} << QList<int>{};
        QTest::newRow("one") << 1 << QList<int>{1} << QList<int>{305};
        QTest::newRow("three") << 3 << QList<int>{3} << QList<int>{0, 300, 600};
        QTest::newRow("four") << 4 << QList<int>{3, 1} << QList<int>{305};
        QTest::newRow("seven") << 7 << QList<int>{3, 3, 1} << QList<int>{305};
    }
    void tilesAndPages()
    {
        QFETCH(int, devices);
        QFETCH(QList<int>, pages);
        QFETCH(QList<int>, lastPageX);
        loadBus(distinctDevices(devices));
        testsupport::ModalAnswer noNotice(testsupport::closeWindow());
        page = std::make_unique<DialogChange>();

        QCOMPARE(noNotice.answeredCount(), 0);
        QCOMPARE(foundDevices.size(), devices);
        QCOMPARE(tilesPerPage(), pages);
        for (int k = 0; k < devices; ++k)
            QVERIFY(tile(k));
        QCOMPARE(stack()->currentIndex(), devices ? 0 : -1);
        QCOMPARE(!child("RightButton")->isHidden(), devices > 3);
        QVERIFY(child("LeftButton")->isHidden());
        QCOMPARE(child("label_2")->isHidden(), devices > 0);
        QCOMPARE(child("label_3")->isHidden(), devices == 0);

        QList<int> xs;
        if (devices) {
            for (mytoolButtonEnter* button : stack()->widget(stack()->count() - 1)->findChildren<mytoolButtonEnter*>())
                xs << button->x();
        }
        std::sort(xs.begin(), xs.end());
        QCOMPARE(xs, lastPageX);
    }

    void twoTilesOnTheLastPage()
    {
        loadBus(distinctDevices(5));
        page = std::make_unique<DialogChange>();
        QCOMPARE(tilesPerPage(), (QList<int>{3, 2}));
        QCOMPARE(tile(3)->pos(), QPoint(135, 0));
        QCOMPARE(tile(4)->pos(), QPoint(445, 0));
        QCOMPARE(child("label3")->pos(), QPoint(360, 20));
        QCOMPARE(child("UsbWifi4")->pos(), QPoint(665, 20));
    }

    // The text line under the tiles overlaps their lower edge: a click there
    // still reaches the tile.
    void tileLowerEdgeTakesClicks()
    {
        loadBus(distinctDevices(1));
        page = std::make_unique<DialogChange>();
        mytoolButtonEnter* button = tile(0);
        for (int y : {10, 180, 350})
            QCOMPARE(page->childAt(button->mapTo(page.get(), QPoint(142, y))), button);
    }

    void unknownModels()
    {
        QJsonObject otherCid = wired("alien", "Q3");
        otherCid.insert("cid", 7);
        QJsonObject silent = wired("silent", "Q3");
        silent.insert("offline", true);
        loadBus({wired("q3", "Q3"), unknownMouse("u1", 90), otherCid, silent, receiver("urx", 4, "Other")});
        page = std::make_unique<DialogChange>();

        QCOMPARE(modelTotal, 2);
        QCOMPARE(foundDevices.size(), 5);
        for (const QString& id : QStringList{"u1", "alien", "silent", "urx"}) {
            const int k = tileOf(id);
            QVERIFY2(k >= 0, qPrintable(id));
            QCOMPARE(foundDevices.at(k).modelIndex, modelTotal);
            QVERIFY(tile(k)->styleSheet().contains("Unknow.png"));
            QVERIFY(!child(qPrintable(QStringLiteral("UsbWifi") + QString::number(k)))->isHidden());
            // Its type is not known, so no rate badge claims one.
            for (QLabel* label : tile(k)->parentWidget()->findChildren<QLabel*>())
                QVERIFY(!label->objectName().isEmpty() || label->x() != tile(k)->x() + 7);
        }
        QCOMPARE(foundDevices.at(tileOf("q3")).modelIndex, 1);

        // A device that never tells its identity is asked ten times per read:
        // once by the scan and once by its tile's first hover.
        int asked = 0;
        for (const hidsim::Call& call : hidsim::callLog())
            asked += call.name == "UsbFinderC_GetDeviceInfo" && call.args.value(0) == devicePathOf("silent");
        QCOMPARE(asked, 20);
    }

    void noCatalogueListsOnlySilentDevices()
    {
        const QString path = testsupport::homeDir() + "/empty-Config.ini";
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("[Option]\nCID=NDI=\nVID=M0E1Qw==\nUSB_PID=NTEyMA==\nDeviceTotal=0\n");
        file.close();
        ConfigSettings::resetForTests(path);
        QJsonObject silent = wired("silent", "Q3");
        silent.insert("offline", true);
        loadBus({wired("q3", "Q3"), silent});
        page = std::make_unique<DialogChange>();
        QCOMPARE(paths(foundDevices), QStringList{devicePathOf("silent")});
        QCOMPARE(foundDevices.first().modelIndex, 0);
    }

    void wiredMouseHidesItsReceivers()
    {
        // The Q7 Pro on its cable, its 1 kHz receiver, and a receiver of an
        // unknown model behind them: the merge shifts the tiles' indexes
        // against allFoundDevices.
        QJsonObject q7 = wired("q7", "Q7 Pro");
        q7.insert("pairedWith", "rx1");
        q7.insert("plugged", true);
        loadBus({q7, receiver("rx1", 1), receiver("urx", 4, "Other")});
        testsupport::ModalAnswer noNotice(testsupport::closeWindow());
        page = std::make_unique<DialogChange>();

        QCOMPARE(noNotice.answeredCount(), 0);
        QCOMPARE(paths(foundDevices), (QStringList{devicePathOf("q7"), devicePathOf("urx")}));
        QCOMPARE(paths(allFoundDevices), (QStringList{devicePathOf("q7"), devicePathOf("rx1"), devicePathOf("urx")}));
        QCOMPARE(tilesPerPage(), QList<int>{2});

        // Every hover writes its record over the same device in both lists.
        QEvent enter(QEvent::Enter);
        QApplication::sendEvent(tile(1), &enter);
        QCOMPARE(paths(allFoundDevices), (QStringList{devicePathOf("q7"), devicePathOf("rx1"), devicePathOf("urx")}));
        for (const DeviceAllInfo& shown : foundDevices) {
            const DeviceAllInfo& kept = allFoundDevices.at(paths(allFoundDevices).indexOf(shown.path));
            QCOMPARE(kept.modelIndex, shown.modelIndex);
            QCOMPARE(kept.online, shown.online);
            QCOMPARE(kept.usbAddress, shown.usbAddress);
        }
        QCOMPARE(allFoundDevices.at(1).modelIndex, 0);
        QVERIFY(!allFoundDevices.at(1).isMouse);
    }

    void duplicates_data()
    {
        QTest::addColumn<QJsonArray>("devices");
        QTest::addColumn<bool>("notice");
        QTest::newRow("two wired mice of one model") << QJsonArray{wired("a", "Q3"), wired("b", "Q3")} << true;
        QTest::newRow("two receivers of one class") << QJsonArray{receiver("a", 4), receiver("b", 4)} << true;
        QTest::newRow("receivers of two classes") << QJsonArray{receiver("a", 4), receiver("b", 1)} << false;
        QTest::newRow("mice of two models") << QJsonArray{wired("a", "Q3"), wired("b", "Q7 Pro")} << false;
        QTest::newRow("two unknown mice") << QJsonArray{unknownMouse("a", 90), unknownMouse("b", 91)} << false;
        // A single wired mouse stands for a single receiver of its model only.
        QTest::newRow("a wired mouse and two receivers of its model")
            << QJsonArray{wired("q7", "Q7 Pro"), receiver("a", 4), receiver("b", 4)} << true;
    }
    void duplicates()
    {
        QFETCH(QJsonArray, devices);
        QFETCH(bool, notice);
        loadBus(devices);
        testsupport::ModalAnswer answer(testsupport::closeWindow());
        page = std::make_unique<DialogChange>();

        QCOMPARE(answer.answered(), notice ? QStringList{"QuestiondialogB"} : QStringList{});
        // Nothing is folded into another device's tile.
        QCOMPARE(foundDevices.size(), devices.size());
        QCOMPARE(stack()->count(), notice ? 0 : 1);
        QCOMPARE(child("label_2")->isHidden(), !notice);
        QCOMPARE(child("label_3")->isHidden(), notice);
        QVERIFY(child("RightButton")->isHidden());
    }

    // More models than a fixed-size count table holds: the Q7 Pro receivers
    // match model 17 of 20, and their duplicate is still found.
    void largeCatalogue()
    {
        QFile source(installDir() + "/usersetting/Config.ini");
        QVERIFY(source.open(QIODevice::ReadOnly));
        QByteArray ini = source.readAll();
        ini.replace("DeviceTotal=2", "DeviceTotal=20");
        ini.replace("[Drive1]", "[Drive99]");
        ini.replace("[Drive2]", "[Drive98]");
        for (int n = 1; n <= 20; ++n)
            ini += "\n[Drive" + QByteArray::number(n) + "]\nMID=" + QByteArray::number(n == 17 ? 17 : 100 + n) + "\n";
        const QString path = testsupport::homeDir() + "/large-Config.ini";
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(ini);
        file.close();
        ConfigSettings::resetForTests(path);

        loadBus({receiver("a", 4), receiver("b", 4), wired("q3", "Q3")});
        testsupport::ModalAnswer answer(testsupport::closeWindow());
        page = std::make_unique<DialogChange>();
        QCOMPARE(modelTotal, 20);
        QCOMPARE(foundDevices.size(), 3);
        QCOMPARE(foundDevices.at(tileOf("a")).modelIndex, 16);
        QCOMPARE(foundDevices.at(tileOf("q3")).modelIndex, 20);
        QCOMPARE(answer.answered(), QStringList{"QuestiondialogB"});
    }

    void plugAndUnplugRebuild()
    {
        page = std::make_unique<DialogChange>();
        // The pairing dialog hands the plug watch back through this.
        QVERIFY(homeUsbChanged == &DialogChange::onUsbChanged);
        // The default bus: the 4 kHz receiver with its mouse, and the Q3.
        QCOMPARE(paths(foundDevices), (QStringList{devicePathOf("q3"), devicePathOf("rx4k")}));
        QCOMPARE(foundDevices.at(0).usbVersionText, QString("v1.01"));
        QCOMPARE(foundDevices.at(1).usbVersionText, QString("v1.04"));
        QPointer<mytoolButtonEnter> before = tile(0);

        QVERIFY(hidsim::unplug("q3"));
        QTRY_COMPARE(paths(foundDevices), QStringList{devicePathOf("rx4k")});
        QCOMPARE(tilesPerPage(), QList<int>{1});
        QTRY_VERIFY(before.isNull());

        QVERIFY(hidsim::plug("q3"));
        QTRY_COMPARE(foundDevices.size(), 2);
        QCOMPARE(tilesPerPage(), QList<int>{2});
    }

    void hoverShowsTheMouseState()
    {
        page = std::make_unique<DialogChange>();
        const int k = tileOf("rx4k");
        QWidget* offline = child(qPrintable("label" + QString::number(k)));
        QWidget* connection = child(qPrintable("UsbWifi" + QString::number(k)));
        QVERIFY(tile(k)->styleSheet().contains("OnLine0.png"));
        QVERIFY(!connection->isHidden());
        QVERIFY(offline->isHidden());
        QCOMPARE(foundDevices.at(k).usbAddress, QByteArray::fromHex("5A3107"));
        QVERIFY(connection->styleSheet().contains("OnLineWifi.png"));
        QVERIFY(child(qPrintable("UsbWifi" + QString::number(tileOf("q3"))))->styleSheet().contains("OnLineUsb.png"));

        QVERIFY(hidsim::setAwake("q7", false));
        QEvent enter(QEvent::Enter);
        QApplication::sendEvent(tile(k), &enter);
        QVERIFY(tile(k)->styleSheet().contains("DisOnlin0.png"));
        QVERIFY(connection->isHidden());
        QVERIFY(!offline->isHidden());
        QCOMPARE(foundDevices.at(k).online, uint8_t(0));
        QCOMPARE(offline->toolTip(), testsupport::tableText("DialogChange", 0, 5) + "\n"
                                         + testsupport::tableText("DialogChange", 0, 6));

        // Out of range does nothing.
        DialogChange::onTileHover(-1);
        DialogChange::onTileHover(foundDevices.size());
    }

    void rateBadges()
    {
        loadBus({receiver("rx1", 1), receiver("rx2", 2), receiver("rx4", 4), receiver("rx8", 8), wired("q3", "Q3")});
        page = std::make_unique<DialogChange>();
        QStringList badges;
        for (int i = 0; i < stack()->count(); ++i) {
            for (QLabel* label : stack()->widget(i)->findChildren<QLabel*>()) {
                if (label->objectName().isEmpty())
                    badges << label->styleSheet().section('/', -1).section(')', 0, 0);
            }
        }
        // The wired Q3 (type 2) has none.
        QCOMPARE(badges, (QStringList{"1KHz.png", "2KHz.png", "4KHz.png", "8KHz.png"}));
    }

    void pendingRepairShowsOnEveryRescan()
    {
        RegistryKey(mouseDriveTestRegistryKey()).setValue("UpdateFailInfo", "211,4,42,17");
        page = std::make_unique<DialogChange>();
        QVERIFY(!child("Repair")->isHidden());
        QCOMPARE(qobject_cast<QLabel*>(child("label_2"))->text(), testsupport::tableText("DialogChange", 0, 2));

        RegistryKey(mouseDriveTestRegistryKey()).remove("UpdateFailInfo");
        DialogChange::onUsbChanged();
        QVERIFY(child("Repair")->isHidden());
        QCOMPARE(qobject_cast<QLabel*>(child("label_2"))->text(), testsupport::tableText("DialogChange", 0, 0));

        // The repair's own outcome moves the button the same way.
        PostMsg::GetInstance()->PostUpDateButton(false);
        QVERIFY(!child("Repair")->isHidden());
        PostMsg::GetInstance()->PostUpDateButton(true);
        QVERIFY(child("Repair")->isHidden());
    }

    void rescanAsksTheVisibleRepairDialog()
    {
        page = std::make_unique<DialogChange>();
        UpDateRepair repair;
        settingsRepairDialog = &repair;
        QSignalSpy checks(PostMsg::GetInstance(), &PostMsg::SigRepairCheckUpdate);
        DialogChange::onUsbChanged();
        QCOMPARE(checks.count(), 0);
        repair.show();
        DialogChange::onUsbChanged();
        QCOMPARE(checks.count(), 1);
        repairRunning = true;
        DialogChange::onUsbChanged();
        repairRunning = false;
        QCOMPARE(checks.count(), 1);
        repair.hide();
        DialogChange::onUsbChanged();
        QCOMPARE(checks.count(), 1);
    }

    // Enter closes the firmware hint first; else, with a repair pending, it
    // opens the settings page's repair dialog as the repair button does.
    void enterKeyAndRepairButton()
    {
        RegistryKey(mouseDriveTestRegistryKey()).setValue("UpdateFailInfo", "211,4,42,17");
        page = std::make_unique<DialogChange>();
        page->move(100, 50);
        page->show();
        UpDateRepair repair;
        settingsRepairDialog = &repair;
        QSignalSpy checks(PostMsg::GetInstance(), &PostMsg::SigRepairCheckUpdate);

        child("FindVer")->show();
        PostMsg::GetInstance()->PostEnterKey();
        QVERIFY(child("FindVer")->isHidden());
        QVERIFY(!repair.isVisible());

        PostMsg::GetInstance()->PostEnterKey();
        QVERIFY(repair.isVisible());
        QVERIFY(repair.isModal());
        QCOMPARE(checks.count(), 1);
        QCOMPARE(repair.geometry().center(), page->mapToGlobal(page->rect().center()));
        QVERIFY(repair.findChild<QWidget*>("progressBar_2")->isHidden());
        repair.close();

        RegistryKey(mouseDriveTestRegistryKey()).remove("UpdateFailInfo");
        DialogChange::onUsbChanged();
        PostMsg::GetInstance()->PostEnterKey();
        QVERIFY(!repair.isVisible());
        QCOMPARE(checks.count(), 1);
    }

    void languageChooser()
    {
        page = std::make_unique<DialogChange>();
        QSignalSpy all(PostMsg::GetInstance(), &PostMsg::SigAllLanguage);
        QSignalSpy sameB(PostMsg::GetInstance(), &PostMsg::SigLanguageSameB);
        auto* combo = page->findChild<QComboBox*>("comboBox");
        QCOMPARE(combo->count(), 3);
        QMetaObject::invokeMethod(combo, "activated", Q_ARG(int, 1));

        QCOMPARE(UserSettings::instance()->value("Language", "Language"), QString("1"));
        QCOMPARE(languageIndex, 1);
        QCOMPARE(all.count(), 1);
        QCOMPARE(all.first().first().toInt(), 1);
        QCOMPARE(sameB.count(), 1);
        QCOMPARE(qobject_cast<QLabel*>(child("label_3"))->text(), testsupport::tableText("DialogChange", 1, 1));
        QCOMPARE(homeKeyMessageText, testsupport::tableText("DialogChange", 1, 8));

        // The settings page's choice only moves the box.
        QSignalSpy moved(combo, QOverload<int>::of(&QComboBox::currentIndexChanged));
        PostMsg::GetInstance()->PostLanguageSameA(2);
        QCOMPARE(combo->currentIndex(), 2);
        QCOMPARE(moved.count(), 0);
        QCOMPARE(all.count(), 1);
    }
};

QUEMBREL_TEST_MAIN(DialogChangeTest)
#include "tst_dialogchange.moc"
