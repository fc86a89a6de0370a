// Opening a device from the home page, the Space key's pairing and firmware
// decisions, and leaving the device page, on the whole main window against
// the simulated device bus.
#include "support/buttonfixture.h"
#include "support/devicefixture.h"
#include "support/macrofixture.h"
#include "support/dialogfixture.h"
#include "support/modalanswer.h"
#include "support/testsupport.h"

#include "buttons/buttoninterface.h"
#include "buttons/macroblockfile.h"
#include "core/flashdatamap.h"
#include "core/globals.h"
#include "core/postmsg.h"
#include "core/product.h"
#include "core/registry.h"
#include "core/settings.h"
#include "core/worker.h"
#include "macro/addkey.h"
#include "macro/keyboardhook.h"
#include "macro/macro.h"
#include "macro/macrofile.h"
#include "mainwindow/dialog.h"
#include "mainwindow/dialogchange.h"
#include "mainwindow/dialogmain.h"
#include "platform/hidusb/simcontrol.h"
#include "sensor/sensor.h"
#include "settings/formsetting.h"
#include "settings/match.h"
#include "widgets/macroname.h"
#include "widgets/mytoolbuttonenter.h"
#include "widgets/updataparam.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QProgressBar>
#include <QStackedWidget>
#include <QTimer>
#include <QToolButton>

using testsupport::ModalAnswer;

namespace {

const char kMouseVersionValue[] = "MouseVer4217";  // CID 42, MID 17: the Q7 Pro
const char kCurrentMouse[] = "v1.05";              // the image in bin/ is v1.05
const char kOldMouse[] = "v1.03";
const char kCurrentReceiver[] = "0x0104";          // the receiver images are v1.04
const char kOldReceiver[] = "0x0102";

QJsonObject receiver(const QString& id, int rate, const QString& version, const QString& mouse = QString())
{
    QJsonObject o{{"id", id}, {"kind", "receiver"}, {"model", "Q7 Pro"}, {"rate", rate}, {"version", version}};
    if (!mouse.isEmpty())
        o.insert("pairedWith", mouse);
    return o;
}

QJsonObject mouse(const QString& id, const QString& model = QStringLiteral("Q7 Pro"))
{
    return {{"id", id}, {"kind", "mouse"}, {"model", model}};
}

// The answers a test expects, as "Class:button" ("Class:" closes the window).
QList<ModalAnswer::Answer> answersFor(const QStringList& expected)
{
    QList<ModalAnswer::Answer> answers;
    for (const QString& item : expected) {
        const QString button = item.section(':', 1);
        answers << (button.isEmpty() ? testsupport::closeWindow() : testsupport::clickButton(button));
    }
    return answers;
}

QStringList classesOf(const QStringList& expected)
{
    QStringList classes;
    for (const QString& item : expected)
        classes << item.section(':', 0, 0);
    return classes;
}

} // namespace

class OpenDeviceTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<DialogMain> window;

    void loadBus(const QJsonArray& devices) { QVERIFY(testsupport::loadBus(devices)); }

    static void setMouseVersion(const QString& version, const QString& name = QString(kMouseVersionValue))
    {
        RegistryKey key(mouseDriveTestRegistryKey());
        if (version.isEmpty())
            key.remove(name);
        else
            key.setValue(name, version);
    }

    void buildWindow()
    {
        window = std::make_unique<DialogMain>();
        window->show();
        QCOMPARE(hubConnectFailures(), 0);
    }

    int page() const { return window->findChild<QStackedWidget*>("stackedWidgetMain")->currentIndex(); }

    mytoolButtonEnter* tile(int k) const
    {
        return window->findChild<mytoolButtonEnter*>(QStringLiteral("btn") + QString::number(k));
    }

    int tileOf(const QString& id) const
    {
        for (int k = 0; k < foundDevices.size(); ++k)
            if (foundDevices[k].path == QStringLiteral("/dev/hidsim/") + id)
                return k;
        return -1;
    }

    // Clicks a page button of the device page frame, as the user does.
    void clickTab(const char* name) const
    {
        auto* tab = window->findChild<Dialog*>()->findChild<QToolButton*>(name);
        QTest::mouseClick(tab, Qt::LeftButton, Qt::NoModifier, tab->rect().center());
    }

    // Opens a device by its tile and waits until its configuration arrived.
    void openByTile(const QString& id)
    {
        const int k = tileOf(id);
        QVERIFY(k >= 0);
        tile(k)->click();
        QCOMPARE(page(), 1);
        QTRY_VERIFY(deviceRecordReceived);
        QVERIFY(hidsim::waitForIdle());
    }

private slots:
    void initTestCase()
    {
        QApplication::setQuitOnLastWindowClosed(false);
        DialogMain::homeReturnSleepMs = 1;
        DialogMain::systemTrayAvailable = [] { return true; };
        DialogChange::openSleepMs = 1;
        Dialog::backWaitMs = 1;
        UpDataParam::waitTimerMs = 1;
        UpDataParam::stepMs = 5;
        UpDataParam::settleSleepMs = 1;
    }

    void init()
    {
        hidsim::resetToDefaultBus();
        resetHubConnectFailures();
        testsupport::resetDeviceState();
        testsupport::fillLanguageTables();
        ConfigSettings::resetForTests();
        setMouseVersion(QString());
        // The wait dialog of an opening is not what these tests look at.
        waitDialogShown = 1;
        macroRecording = 0;
        updateWarningText = "update the mouse";
    }

    void cleanup()
    {
        window.reset();
        hidsim::setReadsUnanswered(false);
        Worker::onlineCheckIntervalMs = 1300;
        Dialog::unansweredPauseMs = 5000;
        UpDataParam::waitTimerMs = 1;
        UpDataParam::stepMs = 5;
        setMouseVersion(QString(), QStringLiteral("MouseVer42"));
        waitDialogShown = 0;
        macroRecording = 0;
    }

    void tileClick_data()
    {
        QTest::addColumn<QString>("bus");
        QTest::addColumn<QString>("clicked");
        QTest::addColumn<QString>("mouseVersion");
        QTest::addColumn<QString>("receiverVersion");
        QTest::addColumn<QStringList>("dialogs");
        QTest::addColumn<bool>("opens");

        // "pair": two receivers of one model, only rx1's mouse answers;
        // "online": both answer. The clicked tile is given by device id.
        QTest::newRow("both online: opens") << "online" << "rx4" << "" << kOldReceiver << QStringList{} << true;
        QTest::newRow("offline one, no version: pairing at once")
            << "pair" << "rx4" << "" << kOldReceiver << QStringList{"Match:"} << false;
        QTest::newRow("no newer file: re-pair asked, cancelled")
            << "pair" << "rx4" << kCurrentMouse << kCurrentReceiver << QStringList{"RePair:Cancel"} << false;
        QTest::newRow("no newer file: re-pair confirmed")
            << "pair" << "rx4" << kCurrentMouse << kCurrentReceiver << QStringList{"RePair:OK", "Match:"} << false;
        QTest::newRow("both newer: re-pair asked")
            << "pair" << "rx4" << kOldMouse << kOldReceiver << QStringList{"RePair:Cancel"} << false;
        QTest::newRow("newer mouse only: firmware warning")
            << "pair" << "rx4" << kOldMouse << kCurrentReceiver << QStringList{"UpDateWarning:NewHong"} << false;
        QTest::newRow("newer receiver only: opens")
            << "pair" << "rx4" << kCurrentMouse << kOldReceiver << QStringList{} << true;
        QTest::newRow("the online one: opens") << "pair" << "rx1" << "" << kOldReceiver << QStringList{} << true;
        QTest::newRow("unknown receiver, no version: pairing")
            << "unknown" << "rxu" << "" << kOldReceiver << QStringList{"Match:"} << false;
        // No catalogue group for an unknown model: its version is "MouseVer" + CID alone.
        QTest::newRow("unknown receiver, version known, no file: re-pair asked")
            << "unknown" << "rxu" << kCurrentMouse << kOldReceiver << QStringList{"RePair:Cancel"} << false;
        QTest::newRow("unknown mouse: nothing") << "unknown" << "mu" << "" << kOldReceiver << QStringList{} << false;
    }

    void tileClick()
    {
        QFETCH(QString, bus);
        QFETCH(QString, clicked);
        QFETCH(QString, mouseVersion);
        QFETCH(QString, receiverVersion);
        QFETCH(QStringList, dialogs);
        QFETCH(bool, opens);

        if (bus == "unknown") {
            QJsonObject rx = receiver("rxu", 4, receiverVersion);
            rx.insert("model", "Other");
            rx.insert("mid", 90);
            QJsonObject other = mouse("mu", "Other");
            other.insert("mid", 91);
            other.insert("productId", "0x5120");
            loadBus({rx, other});
        } else {
            QJsonArray devices{receiver("rx1", 1, receiverVersion, "m1"), mouse("m1")};
            if (bus == "online")
                devices << receiver("rx4", 4, receiverVersion, "m4") << mouse("m4");
            else
                devices << receiver("rx4", 4, receiverVersion);  // its mouse is paired elsewhere
            loadBus(devices);
        }
        setMouseVersion(mouseVersion, bus == "unknown" ? QStringLiteral("MouseVer42") : QString(kMouseVersionValue));
        pairTargetSet = 0;
        ModalAnswer modal(answersFor(dialogs));
        buildWindow();
        QCOMPARE(foundDevices.size(), 2);

        QObject receiverObject;
        QStringList order;
        PostMsg* hub = PostMsg::GetInstance();
        connect(hub, &PostMsg::SigSetver, &receiverObject, [&](int i) { order << "Setver" + QString::number(i); });
        connect(hub, &PostMsg::SigMouseIndex, &receiverObject, [&](int i) { order << "MouseIndex" + QString::number(i); });
        connect(hub, &PostMsg::SigChangeMainDialog, &receiverObject,
                [&](int i) { order << "ChangeMainDialog" + QString::number(i); });

        const int k = tileOf(clicked);
        QVERIFY(k >= 0);
        tile(k)->click();

        QCOMPARE(modal.answered(), classesOf(dialogs));
        QVERIFY(modal.allAnswered());
        QCOMPARE(page(), opens ? 1 : 0);
        QCOMPARE(deviceSessionActive, opens ? 1 : 0);
        QCOMPARE(order.value(0), QString("Setver6"));
        if (opens) {
            QCOMPARE(order.last(), QString("ChangeMainDialog1"));
            QCOMPARE(currentDevice.path, QStringLiteral("/dev/hidsim/") + clicked);
            QTRY_VERIFY(testsupport::callNames().contains("UsbServer_ReadAllFlashData"));
        }
        if (dialogs.contains("Match:"))
            QCOMPARE(pairTargetSet, uint8_t(1));
    }

    void mouseIndexFollowsTheModelsMid_data()
    {
        QTest::addColumn<int>("mid");
        QTest::addColumn<QList<int>>("indexes");
        QTest::newRow("MID 1") << 1 << QList<int>{0};
        QTest::newRow("MID 2") << 2 << QList<int>{1};
        QTest::newRow("MID 17") << 17 << QList<int>{};
    }

    void mouseIndexFollowsTheModelsMid()
    {
        QFETCH(int, mid);
        QFETCH(QList<int>, indexes);
        testsupport::useConfigWith({"MID=" + QString::number(mid)});  // the first model's
        QJsonObject wiredQ7 = mouse("w", "Q7 Pro");
        wiredQ7.insert("mid", mid);
        wiredQ7.insert("productId", "0x5110");
        wiredQ7.insert("plugged", true);
        loadBus({wiredQ7});
        buildWindow();
        QCOMPARE(foundDevices.size(), 1);
        QList<int> emitted;
        QObject receiverObject;
        // The home page's own; the device page's factory settings, shown
        // until the record comes, give the index of their own.
        connect(PostMsg::GetInstance(), &PostMsg::SigMouseIndex, &receiverObject, [&](int i) {
            if (page() == 0)
                emitted << i;
        });
        tile(0)->click();
        QCOMPARE(emitted.mid(0, 1), indexes);
        QCOMPARE(page(), 1);
    }

    void spaceKey_data()
    {
        QTest::addColumn<QString>("bus");
        QTest::addColumn<QString>("mouseVersion");
        QTest::addColumn<QString>("receiverVersion");
        QTest::addColumn<QStringList>("dialogs");

        QTest::newRow("two devices: nothing") << "default" << "" << kOldReceiver << QStringList{};
        QTest::newRow("one wired mouse: nothing") << "wired" << "" << kOldReceiver << QStringList{};
        QTest::newRow("one receiver, no version: pairing")
            << "receiver" << "" << kOldReceiver << QStringList{"Match:"};
        QTest::newRow("no newer file: pairing")
            << "receiver" << kCurrentMouse << kCurrentReceiver << QStringList{"Match:"};
        QTest::newRow("both newer: pairing") << "receiver" << kOldMouse << kOldReceiver << QStringList{"Match:"};
        QTest::newRow("newer mouse only: warning")
            << "receiver" << kOldMouse << kCurrentReceiver << QStringList{"UpDateWarning:NewHong"};
        QTest::newRow("newer receiver only: repair asked, cancelled")
            << "receiver" << kCurrentMouse << kOldReceiver << QStringList{"ContainReset:Cancel"};
        QTest::newRow("newer receiver only: repair confirmed")
            << "receiver" << kCurrentMouse << kOldReceiver << QStringList{"ContainReset:OK", "UpDateRepair:"};
        QTest::newRow("recording a macro: nothing") << "recording" << "" << kOldReceiver << QStringList{};
    }

    void spaceKey()
    {
        QFETCH(QString, bus);
        QFETCH(QString, mouseVersion);
        QFETCH(QString, receiverVersion);
        QFETCH(QStringList, dialogs);

        if (bus == "wired")
            loadBus({mouse("q3", "Q3")});
        else if (bus != "default")
            loadBus({receiver("rx4", 4, receiverVersion, "m4"), mouse("m4")});
        setMouseVersion(mouseVersion);
        ModalAnswer modal(answersFor(dialogs));
        buildWindow();
        // An old device path from an earlier opening.
        setDevicePath(QByteArray("/dev/hidsim/q7"));
        pairTargetSet = 1;
        macroRecording = bus == "recording" ? 1 : 0;
        hidsim::clearCallLog();

        QTest::keyClick(window.get(), Qt::Key_Space);

        QCOMPARE(modal.answered(), classesOf(dialogs));
        QVERIFY(modal.allAnswered());
        if (dialogs.contains("Match:"))
            QCOMPARE(pairTargetSet, uint8_t(0));
        // The home page never gives the connection back to an old path.
        QVERIFY(!testsupport::callNames().contains("UsbServerC_Start"));
        QCOMPARE(page(), 0);
        QVERIFY(window->isVisible());
    }

    void spaceOnTheDevicePagePairsTheOpenDevice_data()
    {
        QTest::addColumn<bool>("closeButton");
        QTest::newRow("closed by its button") << true;
        QTest::newRow("closed by the window manager") << false;
    }

    void spaceOnTheDevicePagePairsTheOpenDevice()
    {
        QFETCH(bool, closeButton);
        buildWindow();
        openByTile("q3");
        hidsim::clearCallLog();
        pairTargetSet = 0;
        ModalAnswer modal(closeButton ? testsupport::clickButton("CloseButton") : testsupport::closeWindow());
        QTest::keyClick(window.get(), Qt::Key_Space);
        QCOMPARE(modal.answered(), QStringList{"Match"});
        QCOMPARE(pairTargetSet, uint8_t(1));
        const QVector<hidsim::Call> calls = hidsim::callLog();
        QVERIFY(!calls.isEmpty());
        QCOMPARE(calls.last().name, QString("UsbServerC_Start"));
        QCOMPARE(calls.last().args.value(0), QString("/dev/hidsim/q3"));

        // The device page still follows its device: unplugged, it goes home.
        QVERIFY(hidsim::unplug("q3"));
        QTRY_COMPARE(page(), 0);
        QVERIFY(currentDevice.path.isEmpty());
    }

    // A receiver without its mouse never reports a battery level: its page
    // shows the indicator's start look, not the device opened before it.
    void batteryIndicatorStartsAfreshOnEveryOpening()
    {
        loadBus({receiver("rx1", 1, kOldReceiver, "m1"), mouse("m1"), receiver("rx4", 4, kOldReceiver),
                 mouse("q3", "Q3")});
        buildWindow();
        auto* bar = window->findChild<QProgressBar*>("progressBar");
        auto* charging = window->findChild<Dialog*>()->findChild<QLabel*>("label");
        const QString startStyle = bar->styleSheet();
        QVERIFY(startStyle.contains("191, 191, 191"));

        openByTile("rx1");
        QVERIFY(hidsim::setBattery("m1", 55, true));
        QTRY_COMPARE(bar->value(), 55);
        QVERIFY(!charging->isHidden());
        window->findChild<Dialog*>()->findChild<QToolButton*>("UpArrow")->click();
        QCOMPARE(page(), 0);

        tile(tileOf("rx4"))->click();
        QCOMPARE(page(), 1);
        QVERIFY(hidsim::waitForIdle());
        QCOMPARE(bar->value(), 100);
        QCOMPARE(bar->styleSheet(), startStyle);
        QVERIFY(charging->isHidden());
    }

    void leavingSavesTheCacheFirst_data()
    {
        QTest::addColumn<QString>("button");
        QTest::newRow("back") << "UpArrow";
        QTest::newRow("close") << "CloseButton";
    }

    void leavingSavesTheCacheFirst()
    {
        QFETCH(QString, button);
        buildWindow();
        openByTile("q3");
        const QString cache = Worker::deviceCachePath(receivedCacheName);
        QFile::remove(cache);
        CurrentFlashData.lightColor[0] ^= 0x5a;  // a change the cache must keep
        const QByteArray expected = testsupport::currentRecordBytes();
        hidsim::clearCallLog();

        window->findChild<Dialog*>()->findChild<QToolButton*>(button)->click();

        QFile file(cache);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QCOMPARE(bytes.size(), 10432);
        QCOMPARE(bytes.mid(4), expected);
        const QStringList calls = testsupport::callNames();
        QCOMPARE(calls.value(0), QString("UsbServer_SetPCDriverStatus"));
        QVERIFY(calls.contains("UsbServer_Exit"));
        if (button == "CloseButton") {
            QVERIFY(!window->isVisible());
            return;
        }
        QCOMPARE(page(), 0);
        QCOMPARE(deviceSessionActive, 0);
        // Reopening reads the device again.
        deviceRecordReceived = 0;
        openByTile("q3");
    }

    void homePageButtons()
    {
        QJsonArray devices{mouse("q3", "Q3")};
        for (int rate : {1, 2, 4, 8})
            devices << receiver("rx" + QString::number(rate), rate, kOldReceiver);
        for (int mid : {90, 91})
            devices << QJsonObject{{"id", "u" + QString::number(mid)}, {"kind", "mouse"}, {"model", "Other"},
                                   {"mid", mid}, {"productId", "0x5120"}};
        loadBus(devices);
        buildWindow();
        auto* home = window->findChild<DialogChange*>();
        auto* stack = home->findChild<QStackedWidget*>("stackedWidget");
        auto* left = home->findChild<QToolButton*>("LeftButton");
        auto* right = home->findChild<QToolButton*>("RightButton");
        QCOMPARE(stack->count(), 3);

        // The left arrow shows only on the last page, the right one only on the first.
        right->click();
        QCOMPARE(stack->currentIndex(), 1);
        QVERIFY(left->isHidden());
        right->click();
        QCOMPARE(stack->currentIndex(), 2);
        QVERIFY(!left->isHidden());
        QVERIFY(right->isHidden());
        left->click();
        QCOMPARE(stack->currentIndex(), 1);
        QVERIFY(right->isHidden());
        left->click();
        QCOMPARE(stack->currentIndex(), 0);
        QVERIFY(!right->isHidden());
        QVERIFY(left->isHidden());
        QVERIFY(home->findChild<QWidget*>("label_2")->isHidden());

        home->findChild<QCheckBox*>("NoApear")->click();
        QCOMPARE(UserSettings::instance()->value("FindNew", "IsShow"), QString("1"));
        home->findChild<QCheckBox*>("NoApear")->click();
        QCOMPARE(UserSettings::instance()->value("FindNew", "IsShow"), QString("0"));

        // A language-change event puts the chooser back to its first entry, silently.
        auto* chooser = home->findChild<QComboBox*>("comboBox");
        chooser->setCurrentIndex(2);
        QSignalSpy languages(PostMsg::GetInstance(), &PostMsg::SigAllLanguage);
        QEvent change(QEvent::LanguageChange);
        QApplication::sendEvent(home, &change);
        QCOMPARE(chooser->currentIndex(), 0);
        QCOMPARE(chooser->count(), 3);
        QCOMPARE(languages.size(), 0);

        QSignalSpy sizes(PostMsg::GetInstance(), &PostMsg::SigChangeSize);
        home->findChild<QToolButton*>("MinButton")->click();
        QCOMPARE(sizes.value(0).value(0).toInt(), 2);
        QVERIFY(!window->isVisible());
    }

    void removingTheOpenDevice_data()
    {
        QTest::addColumn<bool>("upgrading");
        QTest::newRow("returns home") << false;
        QTest::newRow("stays during a firmware upgrade") << true;
    }

    void removingTheOpenDevice()
    {
        QFETCH(bool, upgrading);
        loadBus({mouse("q3", "Q3")});
        buildWindow();
        openByTile("q3");
        upgradeIdle = upgrading ? 0 : 1;
        QVERIFY(hidsim::unplug("q3"));
        if (upgrading) {
            // The unplug notice has been handled once the library is idle.
            QVERIFY(hidsim::waitForIdle());
            QCOMPARE(page(), 1);
            QCOMPARE(currentDevice.path, QString("/dev/hidsim/q3"));
        } else {
            QTRY_COMPARE(page(), 0);
            QVERIFY(currentDevice.path.isEmpty());
        }
        upgradeIdle = 1;
    }

    // The receiver leaves while the macro page records: the recording ends
    // with nothing left behind, and once the receiver is back and opened
    // again every page button works at once.
    void receiverUnpluggedWhileRecording()
    {
        testsupport::writeMacroFiles({"m.ini"});
        buildWindow();
        openByTile("rx4k");
        auto* frame = window->findChild<Dialog*>();
        auto* stack = frame->findChild<QStackedWidget*>("stackedWidgetDialog");
        auto* macroPage = frame->findChild<Macro*>();
        clickTab("MacroButton");
        QCOMPARE(stack->currentWidget(), macroPage);
        auto* macros = macroPage->findChild<QListWidget*>("listWidgetHong");
        macros->setCurrentRow(0);
        macroPage->findChild<QPushButton*>("StartRecord")->click();
        QVERIFY(macroPage->isRecording());
        macroPage->UpdateCapslockTip('A', true, false);
        macroPage->UpdateCapslockTip('A', false, false);
        QVERIFY(!frame->findChild<QToolButton*>("SensorButton")->isEnabled());

        QVERIFY(hidsim::unplug("rx4k"));
        QTRY_COMPARE(page(), 0);
        QVERIFY(!macroPage->isRecording());
        QCOMPARE(int(macroRecording), 0);
        QVERIFY(!KeyboardHook<1>::installed());
        QCOMPARE(macroPage->findChild<QListWidget*>("listWidgetKey")->count(), 0);
        QCOMPARE(testsupport::readFileBytes(macroFolder() + "/m.ini"), QByteArray("1\n"));

        QVERIFY(hidsim::plug("rx4k"));
        QTRY_VERIFY(tileOf("rx4k") >= 0);
        openByTile("rx4k");
        const QList<QPair<const char*, QWidget*>> tabs{{"SensorButton", frame->findChild<Sensor*>()},
                                                       {"MacroButton", macroPage},
                                                       {"FormSetting", frame->findChild<FormSetting*>()},
                                                       {"ButtonMain", frame->findChild<Buttoninterface*>()}};
        for (const auto& tab : tabs) {
            QVERIFY(tab.second);
            clickTab(tab.first);
            QCOMPARE(stack->currentWidget(), tab.second);
        }
    }

    // However the button page comes on screen, it offers the macros of the
    // folder: one made, renamed or deleted on the macro page is there (or
    // gone) when the device is opened again, with no click on the page's tab.
    void buttonPageOffersTheMacroFolder_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QStringList>("offered");
        QTest::newRow("new") << QStringList{} << "new" << QStringList{"made"};
        QTest::newRow("rename") << QStringList{"old.ini"} << "rename" << QStringList{"renamed"};
        QTest::newRow("delete") << QStringList{"gone.ini", "kept.ini"} << "delete" << QStringList{"kept"};
    }

    void buttonPageOffersTheMacroFolder()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, action);
        QFETCH(QStringList, offered);
        testsupport::writeMacroFiles(files);
        buildWindow();
        openByTile("q3");
        auto* frame = window->findChild<Dialog*>();
        auto* stack = frame->findChild<QStackedWidget*>("stackedWidgetDialog");
        auto* macroPage = frame->findChild<Macro*>();
        auto* buttonPage = frame->findChild<Buttoninterface*>();
        clickTab("MacroButton");
        QCOMPARE(stack->currentWidget(), macroPage);

        {
            macroPage->findChild<QListWidget*>("listWidgetHong")->setCurrentRow(0);
            ModalAnswer modal(action == "new"        ? testsupport::enterName("made")
                              : action == "rename" ? testsupport::enterName("renamed")
                                                   : testsupport::clickButton("NewHong"));
            if (action == "new")
                macroPage->findChild<QToolButton*>("NewHong")->click();
            else if (action == "rename")
                macroPage->RenameMacro();
            else
                macroPage->findChild<QToolButton*>("DeleteHong")->click();
            QVERIFY(modal.allAnswered());
        }
        QStringList folder;
        for (const QFileInfo& file : macroFolderFiles())
            folder << macroNameOfFile(file.fileName());
        QCOMPARE(folder, offered);

        frame->findChild<QToolButton*>("UpArrow")->click();
        QTRY_COMPARE(page(), 0);
        openByTile("q3");
        QCOMPARE(stack->currentWidget(), buttonPage);
        QStringList listed;
        for (QToolButton* entry : buttonPage->macroButtons()) {
            if (entry->isEnabled())
                listed << entry->text();
        }
        QCOMPARE(listed, offered);
        // The menu's Macro option opens the list, with no notice to make one.
        QVERIFY(QMetaObject::invokeMethod(buttonPage, "on_DPI_10_clicked"));
        QCOMPARE(buttonPage->findChild<QStackedWidget*>("stackedWidget_2")->currentWidget()->objectName(),
                 QStringLiteral("page_5"));
    }

    // A pairing under way when its device page is left shows its outcome;
    // its button then only puts it away: no new pairing, no connection and no
    // device session, not even once the receiver is back.
    void pairingLeftByItsPageStartsNothingMore()
    {
        buildWindow();
        openByTile("rx4k");
        auto* frame = window->findChild<Dialog*>();
        clickTab("FormSetting");

        bool closedByItsButton = false;
        QStringList callsAfterTheOutcome;
        ModalAnswer modal([&](QDialog* dialog) {
            testsupport::clickButton("MatchButton")(dialog);
            QVERIFY(hidsim::unplug("rx4k"));
            QTRY_COMPARE(page(), 0);
            QTRY_COMPARE_WITH_TIMEOUT(pairResult, 3, 20000);
            QVERIFY(dialog->isVisible());
            hidsim::clearCallLog();
            testsupport::clickButton("MatchButton")(dialog);
            closedByItsButton = !dialog->isVisible();
            QVERIFY(hidsim::plug("rx4k"));
            QTRY_VERIFY(tileOf("rx4k") >= 0);
            if (dialog->isVisible())
                testsupport::clickButton("MatchButton")(dialog);
            QVERIFY(hidsim::waitForIdle());
            callsAfterTheOutcome = testsupport::callNames();
            // A pairing the faulty button started would keep the dialog up.
            if (dialog->isVisible())
                dialog->done(QDialog::Rejected);
        });
        frame->findChild<FormSetting*>()->findChild<QPushButton*>("pushButton_2")->click();

        QCOMPARE(modal.answered(), QStringList{"Match"});
        QVERIFY(closedByItsButton);
        QVERIFY2(!callsAfterTheOutcome.contains("UsbServerC_Start"), qPrintable(callsAfterTheOutcome.join(' ')));
        QVERIFY2(!callsAfterTheOutcome.contains("UsbServer_EnterDonglePairOnlyCid"),
                 qPrintable(callsAfterTheOutcome.join(' ')));
        QCOMPARE(deviceSessionActive, uint8_t(0));
        QCOMPARE(page(), 0);
        // The home page works: the receiver's tile opens it.
        openByTile("rx4k");
        QCOMPARE(deviceSessionActive, uint8_t(1));
    }

    // What the button page shows of a device: its twelve captions and its
    // debounce entry.
    QStringList buttonPageShows() const
    {
        auto* page = window->findChild<Buttoninterface*>();
        QStringList shown;
        for (int index = 0; index < 12; ++index)
            shown << testsupport::buttonCaption(page, index);
        shown << QString::number(page->findChild<QComboBox*>("Debunce")->currentIndex());
        return shown;
    }

    // Opens a device, gives it a debounce of its own as the user does, and
    // goes home again (its cache is written); what its page showed.
    void openWithDebounce(const QString& id, int debounce, QStringList* shown)
    {
        openByTile(id);
        QTRY_VERIFY(!QApplication::activeModalWidget());
        window->findChild<Buttoninterface*>()->findChild<QComboBox*>("Debunce")->setCurrentIndex(debounce);
        QCOMPARE(CurrentFlashData.debounceTime, uint8_t(debounce));
        *shown = buttonPageShows();
        window->findChild<Dialog*>()->findChild<QToolButton*>("UpArrow")->click();
        QCOMPARE(page(), 0);
    }

    // A device whose reads go unanswered, opened after another: from its
    // first wait on (looked at while that wait is on screen) and once its
    // wait ends or is put away with Escape, the pages show its own cache or
    // the factory settings, never the other device's; its record, when it
    // comes at last, fills them.
    void unansweredDeviceShowsNoOtherDevicesSettings_data()
    {
        QTest::addColumn<bool>("cached");  // the receiver was opened before and has its cache
        QTest::addColumn<bool>("escape");  // the wait is put away with Escape before it decides
        QTest::newRow("no cache: factory settings") << false << false;
        QTest::newRow("its cache") << true << false;
        QTest::newRow("no cache, wait left with Escape") << false << true;
        QTest::newRow("its cache, wait left with Escape") << true << true;
    }

    void unansweredDeviceShowsNoOtherDevicesSettings()
    {
        QFETCH(bool, cached);
        QFETCH(bool, escape);
        // Every opening has its wait, as in the program; the acknowledgement
        // window leaves room for a loaded machine.
        waitDialogShown = 0;
        UpDataParam::stepMs = 200;
        Worker::onlineCheckIntervalMs = 100;
        Dialog::unansweredPauseMs = 100;
        bool escapeTheWait = false;
        // The receiver's first wait is looked behind a while after it shows,
        // from its own event loop; only then is it let decide (or put away).
        bool lookBehindTheFirstWait = false;
        bool lookedWhileItWasShown = false;
        QStringList behindTheFirstWait;
        ModalAnswer modal({QStringLiteral("UpDataParam"), QStringLiteral("MouseOffLine")}, [&](QDialog* dialog) {
            auto* wait = qobject_cast<UpDataParam*>(dialog);
            if (!wait)
                return;
            if (lookBehindTheFirstWait) {
                lookBehindTheFirstWait = false;
                QTimer::singleShot(300, wait, [&, wait] {
                    lookedWhileItWasShown = wait->isVisible();
                    behindTheFirstWait = buttonPageShows();
                    if (escapeTheWait) {
                        testsupport::pressKey(Qt::Key_Escape)(wait);
                    } else {
                        UpDataParam::waitTimerMs = 1;
                        QVERIFY(wait->restartWait());
                    }
                });
                return;
            }
            if (escapeTheWait)
                testsupport::pressKey(Qt::Key_Escape)(wait);
        });
        buildWindow();
        auto* buttons = window->findChild<Buttoninterface*>();
        buttons->SlotFormResetButton();
        const QStringList factory = buttonPageShows();

        QStringList receiverOwn;
        if (cached)
            openWithDebounce("rx4k", 11, &receiverOwn);
        QStringList q3Shown;
        openWithDebounce("q3", 9, &q3Shown);
        QVERIFY(q3Shown != factory && q3Shown != receiverOwn);
        const QStringList expected = cached ? receiverOwn : factory;

        hidsim::setReadsUnanswered(true);
        escapeTheWait = escape;
        // The first wait decides only once the test has looked behind it.
        UpDataParam::waitTimerMs = 60000;
        lookBehindTheFirstWait = true;
        QSignalSpy offline(PostMsg::GetInstance(), &PostMsg::SigMouseOffLineo);
        const int waitsBefore = modal.answered().count("UpDataParam");
        tile(tileOf("rx4k"))->click();
        QCOMPARE(page(), 1);
        QTRY_VERIFY_WITH_TIMEOUT(!behindTheFirstWait.isEmpty(), 15000);
        QVERIFY(lookedWhileItWasShown);
        QCOMPARE(behindTheFirstWait, expected);
        if (escape)
            QTRY_VERIFY(modal.answered().count("UpDataParam") > waitsBefore && !QApplication::activeModalWidget());
        else
            QTRY_VERIFY_WITH_TIMEOUT(offline.count() >= 1, 15000);
        QCOMPARE(deviceRecordReceived, uint8_t(0));
        QCOMPARE(buttonPageShows(), expected);

        // The device answers again: its own record fills the pages.
        hidsim::setReadsUnanswered(false);
        if (!escape) {
            QTRY_VERIFY_WITH_TIMEOUT(deviceRecordReceived, 30000);
            QTRY_COMPARE(buttonPageShows().last(), QString::number(CurrentFlashData.debounceTime));
            if (cached)
                QCOMPARE(buttonPageShows(), receiverOwn);
        }
        QTRY_VERIFY(!QApplication::activeModalWidget());
        window->findChild<Dialog*>()->findChild<QToolButton*>("UpArrow")->click();
        QCOMPARE(page(), 0);
    }

    // A device that answers at once, opened after another, ends with its own
    // record on every page, whatever its cache held: the cache shown while
    // the record is on its way never covers it, and the user's macro files
    // follow the record alone.
    void answeredOpeningEndsWithItsRecord_data()
    {
        QTest::addColumn<bool>("cached");  // the receiver has a cache older than its record
        QTest::newRow("no cache") << false;
        QTest::newRow("an older cache") << true;
    }

    void answeredOpeningEndsWithItsRecord()
    {
        QFETCH(bool, cached);
        waitDialogShown = 0;
        UpDataParam::stepMs = 200;
        ModalAnswer modal({QStringLiteral("UpDataParam")}, testsupport::leaveToTheProgram());
        buildWindow();
        QStringList shown;
        if (cached)
            openWithDebounce("rx4k", 11, &shown);
        openWithDebounce("q3", 9, &shown);

        // The mouse's record changes behind the program's back: another
        // debounce and angle snapping than its cache and the wired mouse.
        FlashDataMap record = testsupport::recordOf(hidsim::storedRecord("q7"));
        record.debounceTime = 6;
        record.angleSnapping = record.angleSnapping ? 0 : 1;
        QVERIFY(hidsim::setStoredRecord("q7", flashDataBytes(record)));
        const QStringList macroFilesBefore = QDir(macroFolder()).entryList(QDir::Files | QDir::Hidden);

        openByTile("rx4k");
        QTRY_VERIFY(!QApplication::activeModalWidget());
        QCOMPARE(CurrentFlashData.debounceTime, uint8_t(6));
        QCOMPARE(buttonPageShows().last(), QStringLiteral("6"));
        auto* sensor = window->findChild<Sensor*>();
        QCOMPARE(sensor->findChild<QWidget*>("frame_4")->findChild<QAbstractButton*>("StraightLine_2")->isChecked(),
                 record.angleSnapping != 0);
        QCOMPARE(QDir(macroFolder()).entryList(QDir::Files | QDir::Hidden), macroFilesBefore);
        window->findChild<Dialog*>()->findChild<QToolButton*>("UpArrow")->click();
        QCOMPARE(page(), 0);
    }

    // The receiver opens while its mouse sleeps: the pages show its cache,
    // whose macro "seedA" is older than the user's file. The file keeps the
    // user's bytes while the mouse sleeps, and follows the mouse's own record
    // once it wakes: replaced (the user's version beside it) when the record
    // still holds the macro, left alone when the mouse was reset meanwhile.
    void sleepingMouseLeavesTheMacroFileToItsRecord_data()
    {
        QTest::addColumn<bool>("reset");  // the mouse's settings were reset on the mouse itself
        QTest::newRow("its record still holds the macro") << false;
        QTest::newRow("its settings reset") << true;
    }

    void sleepingMouseLeavesTheMacroFileToItsRecord()
    {
        QFETCH(bool, reset);
        const QString name = QStringLiteral("seedA");
        const QString file = macroFilePath(name);
        const QString kept = replacedMacroFilePath(name);
        Worker::onlineCheckIntervalMs = 100;
        ModalAnswer modal({QStringLiteral("UpDataParam"), QStringLiteral("MouseOffLine")},
                          testsupport::leaveToTheProgram());
        buildWindow();

        // The mouse's button 4 sends "seedA" (one key); the receiver's cache
        // holds it once the receiver was opened and left.
        QVERIFY(QDir().mkpath(macroFolder()));
        FlashDataMap record = testsupport::recordOf(hidsim::storedRecord("q7"));
        record.macroBlocks[3] = macroBlockFromFile(name, "1\n0x04 1 0\n10ms\n0x04 1 1\n");
        record.buttons[3] = ButtonParam{6, 3, 1};
        QVERIFY(hidsim::setStoredRecord("q7", flashDataBytes(record)));
        openByTile("rx4k");
        QTRY_VERIFY(!QApplication::activeModalWidget());
        auto* buttons = window->findChild<Buttoninterface*>();
        QVERIFY(testsupport::buttonCaption(buttons, 3).endsWith(name));
        const QByteArray devices = testsupport::readFileBytes(file);
        QCOMPARE(devices, QByteArray("1\n0x04 1 0\n10ms\n0x04 1 1\n"));
        window->findChild<Dialog*>()->findChild<QToolButton*>("UpArrow")->click();
        QCOMPARE(page(), 0);

        // The user inserts a key (Z) on another device's macro page and saves.
        const QByteArray users = devices + "0x1D 1 0\n10ms\n0x1D 1 1\n";
        testsupport::writeFileBytes(file, users);
        QFile::remove(kept);
        if (reset)
            QVERIFY(hidsim::factoryReset("q7"));
        QVERIFY(hidsim::setAwake("q7", false));

        tile(tileOf("rx4k"))->click();
        QCOMPARE(page(), 1);
        // The worker's pass for a device that is not online has filled the
        // pages from the cache.
        QTRY_VERIFY(deviceWorker && deviceWorker->isFinished());
        QCOMPARE(offlineNoticePending, uint8_t(1));
        QCOMPARE(deviceRecordReceived, uint8_t(0));
        QVERIFY(testsupport::buttonCaption(buttons, 3).endsWith(name));
        QCOMPARE(testsupport::readFileBytes(file), users);
        QVERIFY(!QFile::exists(kept));

        // The mouse wakes: the read the receiver held brings its record.
        QVERIFY(hidsim::setAwake("q7", true));
        QTRY_VERIFY_WITH_TIMEOUT(deviceRecordReceived, 30000);
        QVERIFY(hidsim::waitForIdle());
        QTRY_VERIFY(!QApplication::activeModalWidget());
        if (reset) {
            QVERIFY(!testsupport::buttonCaption(buttons, 3).endsWith(name));
            QCOMPARE(testsupport::readFileBytes(file), users);
            QVERIFY(!QFile::exists(kept));
        } else {
            QVERIFY(testsupport::buttonCaption(buttons, 3).endsWith(name));
            QCOMPARE(testsupport::readFileBytes(file), devices);
            QCOMPARE(testsupport::readFileBytes(kept), users);
        }
        window->findChild<Dialog*>()->findChild<QToolButton*>("UpArrow")->click();
        QCOMPARE(page(), 0);
    }

    // The receiver's LED choice on the settings page: a 4 kHz receiver shows
    // it once its record has come, with the receiver's own mode checked; a
    // choice goes to the receiver and is what the next opening shows. The
    // wired mouse and a receiver of another class show no such rows.
    void receiverLedChoiceShowsOnItsPage_data()
    {
        QTest::addColumn<QString>("device");
        QTest::addColumn<int>("rate");  // 0: the default bus
        QTest::addColumn<int>("mode");  // the receiver's LED mode; 0: no LED rows
        QTest::newRow("4 kHz receiver of the default bus") << "rx4k" << 0 << 1;
        QTest::newRow("4 kHz receiver in LED mode 2") << "rx" << 4 << 2;
        QTest::newRow("1 kHz receiver") << "rx" << 1 << 0;
        QTest::newRow("8 kHz receiver") << "rx" << 8 << 0;
        QTest::newRow("wired mouse") << "q3" << 0 << 0;
    }

    void receiverLedChoiceShowsOnItsPage()
    {
        QFETCH(QString, device);
        QFETCH(int, rate);
        QFETCH(int, mode);
        if (rate)
            loadBus({QJsonObject{{"id", "rx"}, {"kind", "receiver"}, {"model", "Q7 Pro"}, {"rate", rate},
                                 {"pairedWith", "q7"}, {"ledMode", 2}},
                     mouse("q7")});
        buildWindow();
        auto* settings = window->findChild<FormSetting*>();
        const char* const choices[] = {"ReUntil", "ReUntil_2", "ReUntil_3"};
        auto checkedMode = [&] {
            for (int m = 1; m <= 3; ++m)
                if (settings->findChild<QCheckBox*>(choices[m - 1])->isChecked())
                    return m;
            return 0;
        };
        auto ledRowsShown = [&] {
            for (const char* name : {"TitleButton_7", "label_14", "ReUntil", "ReUntil_2", "ReUntil_3"})
                if (settings->findChild<QWidget*>(name)->isHidden())
                    return false;
            return true;
        };

        openByTile(device);
        clickTab("FormSetting");
        QVERIFY(settings->isVisible());
        if (!mode) {
            QVERIFY(!ledRowsShown());
            QVERIFY(!testsupport::callNames().contains("UsbFinderC_Set4KDongleRGB"));
            return;
        }
        QTRY_VERIFY(ledRowsShown());
        QCOMPARE(checkedMode(), mode);
        QVERIFY(settings->findChild<QCheckBox*>("ReUntil_3")->isVisible());

        // The user chooses mode 3: it goes to the receiver.
        hidsim::clearCallLog();
        QTest::mouseClick(settings->findChild<QCheckBox*>("ReUntil_3"), Qt::LeftButton);
        QCOMPARE(testsupport::callNames().count("UsbFinderC_Set4KDongleRGB"), 1);
        hidsim::DeviceStatus rx;
        QVERIFY(hidsim::device(device, &rx));
        unsigned char rgb[HIDUSB_DONGLE_RGB_SIZE] = {};
        QVERIFY(UsbFinderC_Get4KDongleRGBValue(rx.path.toLatin1().constData(), rgb));
        QCOMPARE(int(rgb[0]), 3);
        QVERIFY(hidsim::waitForIdle());
        QCOMPARE(checkedMode(), 3);

        // Home, and the receiver again: its page shows mode 3, also in a
        // window that never showed a choice before.
        window->findChild<Dialog*>()->findChild<QToolButton*>("UpArrow")->click();
        QCOMPARE(page(), 0);
        for (bool newWindow : {false, true}) {
            if (newWindow) {
                window.reset();
                buildWindow();
                settings = window->findChild<FormSetting*>();
                QCOMPARE(checkedMode(), 0);
            }
            openByTile(device);
            clickTab("FormSetting");
            QTRY_VERIFY(ledRowsShown());
            QCOMPARE(checkedMode(), 3);
            window->findChild<Dialog*>()->findChild<QToolButton*>("UpArrow")->click();
            QCOMPARE(page(), 0);
        }
    }

    // A dialog of the device page that is open when its device leaves closes
    // with the page, and an OK that still reaches it acts on nothing: no
    // freed row, no macro file, no record or connection for a device that is
    // gone, and the home page keeps following plugs.
    void dialogsCloseWithTheirPage_data()
    {
        QTest::addColumn<QString>("device");
        QTest::addColumn<QString>("opener");
        QTest::addColumn<QString>("dialogClass");
        QTest::addColumn<QString>("okButton");  // empty: no OK to give after the departure

        QTest::newRow("macro: edit a key") << "q3" << "macro edit key" << "addKey" << "NewHong";
        QTest::newRow("macro: edit a delay") << "q3" << "macro edit delay" << "AddDelayTime" << "NewHong";
        QTest::newRow("macro: insert a key") << "q3" << "macro insert key" << "addKey" << "NewHong";
        QTest::newRow("macro: insert a delay") << "q3" << "macro insert delay" << "AddDelayTime" << "NewHong";
        QTest::newRow("macro: new name") << "q3" << "macro new" << "QuestionDialog" << "NewHong";
        QTest::newRow("macro: rename") << "q3" << "macro rename" << "QuestionDialog" << "NewHong";
        QTest::newRow("macro: delete") << "q3" << "macro delete" << "DeleteConfirm" << "NewHong";
        QTest::newRow("buttons: key combination") << "q3" << "key combination" << "GroupKey" << "NewHong";
        QTest::newRow("buttons: rapid fire") << "q3" << "rapid fire" << "FireKey" << "NewHong";
        QTest::newRow("buttons: factory reset") << "q3" << "reset" << "ContainReset" << "OK";
        QTest::newRow("buttons: import") << "q3" << "import" << "QFileDialog" << "file";
        QTest::newRow("settings: pairing") << "rx4k" << "pairing" << "Match" << "";
        QTest::newRow("settings: pairing under way") << "rx4k" << "pairing started" << "Match" << "";
    }

    void dialogsCloseWithTheirPage()
    {
        QFETCH(QString, device);
        QFETCH(QString, opener);
        QFETCH(QString, dialogClass);
        QFETCH(QString, okButton);
        const QByteArray macroBytes("1\n0x04 1 0\n10ms\n0x04 1 1\n");
        testsupport::writeMacroFiles({});
        {
            QFile file(macroFolder() + "/m.ini");
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(macroBytes);
        }
        const QString configFile = QDir::homePath() + "/config.bin";
        {
            QFile file(configFile);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("not a configuration");
        }
        buildWindow();
        openByTile(device);
        auto* frame = window->findChild<Dialog*>();
        auto* macroPage = frame->findChild<Macro*>();
        auto* buttonPage = frame->findChild<Buttoninterface*>();
        auto* macros = macroPage->findChild<QListWidget*>("listWidgetHong");
        auto* rows = macroPage->findChild<QListWidget*>("listWidgetKey");
        if (opener.startsWith("macro")) {
            clickTab("MacroButton");
            macros->setCurrentRow(0);
            QCOMPARE(rows->count(), 3);
            rows->setCurrentRow(opener.endsWith("delay") ? 1 : 0);
        } else if (opener.startsWith("pairing")) {
            clickTab("FormSetting");
        }

        bool closedWithThePage = false;
        const bool pairingUnderWay = opener == "pairing started";
        ModalAnswer modal([&](QDialog* dialog) {
            if (pairingUnderWay)
                testsupport::clickButton("MatchButton")(dialog);
            hidsim::clearCallLog();
            QVERIFY(hidsim::unplug(device));
            QTRY_COMPARE(page(), 0);
            if (pairingUnderWay) {
                // A request already sent is not cancelled: the dialog shows
                // its outcome, then closes as the user asks.
                QTRY_COMPARE_WITH_TIMEOUT(pairResult, 3, 20000);
                testsupport::clickButton("CloseButton")(dialog);
            }
            closedWithThePage = !dialog->isVisible();
            // An OK that was on its way still arrives.
            if (auto* key = qobject_cast<addKey*>(dialog))
                key->keyName = "B";
            if (auto* name = dialog->findChild<QLineEdit*>("lineEdit"))
                name->setText("B");
            if (okButton == "file")
                testsupport::chooseFile(configFile)(dialog);
            else if (!okButton.isEmpty())
                testsupport::clickButton(okButton)(dialog);
        });

        if (opener == "macro edit key" || opener == "macro edit delay")
            macroPage->findChild<QToolButton*>("Amend")->click();
        else if (opener == "macro insert key")
            QVERIFY(QMetaObject::invokeMethod(macroPage, "on_ChooseEvent_activated", Q_ARG(int, 1)));
        else if (opener == "macro insert delay")
            QVERIFY(QMetaObject::invokeMethod(macroPage, "on_ChooseEvent_activated", Q_ARG(int, 3)));
        else if (opener == "macro new")
            macroPage->findChild<QToolButton*>("NewHong")->click();
        else if (opener == "macro rename")
            macroPage->RenameMacro();
        else if (opener == "macro delete")
            macroPage->findChild<QToolButton*>("DeleteHong")->click();
        else if (opener == "key combination")
            QVERIFY(QMetaObject::invokeMethod(buttonPage, "on_DPI_8_clicked"));
        else if (opener == "rapid fire")
            QVERIFY(QMetaObject::invokeMethod(buttonPage, "on_DPI_6_clicked"));
        else if (opener == "reset")
            buttonPage->findChild<QToolButton*>("Reset")->click();
        else if (opener == "import")
            buttonPage->findChild<QToolButton*>("ImportData")->click();
        else if (opener.startsWith("pairing"))
            frame->findChild<FormSetting*>()->findChild<QPushButton*>("pushButton_2")->click();

        QCOMPARE(modal.answered(), QStringList{dialogClass});
        QVERIFY(closedWithThePage);
        QCOMPARE(page(), 0);
        QCOMPARE(deviceSessionActive, uint8_t(0));
        const QStringList calls = testsupport::callNames();
        QVERIFY2(!calls.contains("ProtocolDataUpdate"), qPrintable(calls.join(' ')));
        QVERIFY2(!calls.contains("UsbServerC_Start"), qPrintable(calls.join(' ')));
        QCOMPARE(testsupport::readFileBytes(macroFolder() + "/m.ini"), macroBytes);
        QVERIFY(!QFile::exists(macroFolder() + "/B.ini"));
        QCOMPARE(rows->count(), 0);
        // The home page, not the page left, follows the device's return.
        QVERIFY(hidsim::plug(device));
        QTRY_VERIFY(tileOf(device) >= 0);
    }
};

QUEMBREL_TEST_MAIN(OpenDeviceTest)
#include "tst_opendevice.moc"
