// The settings page's receiver options, its pairing button and its two
// links, and the upgrade progress window.
#include "support/devicefixture.h"
#include "buttons/buttoninterface.h"
#include "sensor/sensor.h"
#include "support/dialogfixture.h"
#include "support/modalanswer.h"
#include "support/testsupport.h"

#include "core/globals.h"
#include "core/launcher.h"
#include "core/postmsg.h"
#include "core/settings.h"
#include "platform/hidusb/hidusb.h"
#include "platform/hidusb/simcontrol.h"
#include "settings/formsetting.h"
#include "settings/match.h"
#include "settings/progress.h"

#include <QCheckBox>
#include <QJsonArray>
#include <QJsonObject>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>

#include <memory>

namespace {

const QStringList kReceiverWrites{"UsbFinderC_Set4KDongleRGB", "UsbFinderC_SetLongRangeMode"};

// The receiver writes logged since the log was cleared.
QStringList receiverWrites()
{
    QStringList writes;
    for (const QString& name : testsupport::callNames())
        if (kReceiverWrites.contains(name))
            writes << name;
    return writes;
}

int receiverLedMode(const QString& id)
{
    hidsim::DeviceStatus rx;
    hidsim::device(id, &rx);
    unsigned char rgb[HIDUSB_DONGLE_RGB_SIZE] = {};
    UsbFinderC_Get4KDongleRGBValue(rx.path.toUtf8().constData(), rgb);
    return rgb[0];
}

int receiverLongRange(const QString& id)
{
    hidsim::DeviceStatus rx;
    hidsim::device(id, &rx);
    unsigned char cell = 0xFF;
    UsbFinderC_GetLongRangeMode(rx.path.toUtf8().constData(), &cell);
    return cell;
}

} // namespace

class SettingsOptionsTest : public QObject
{
    Q_OBJECT

    // The page on an open device whose writes are allowed.
    std::unique_ptr<FormSetting> openPage(const QString& id, int modelIndex = -1)
    {
        currentDevice = testsupport::deviceEntry(id);
        if (modelIndex >= 0)
            currentDevice.modelIndex = modelIndex;
        setDevicePath(currentDevice.path);
        deviceSessionActive = 1;
        deviceWriteEnabled = 1;
        auto page = std::make_unique<FormSetting>();
        hidsim::clearCallLog();
        return page;
    }

    static bool shown(FormSetting& page, const char* name) { return !page.findChild<QWidget*>(name)->isHidden(); }
    static QCheckBox* box(FormSetting& page, const char* name) { return page.findChild<QCheckBox*>(name); }
    static int contentHeight(FormSetting& page)
    {
        return page.findChild<QWidget*>("scrollAreaWidgetContents")->height();
    }

private slots:
    void init()
    {
        hidsim::resetToDefaultBus();
        testsupport::resetDeviceState();
        testsupport::fillLanguageTables();
        resetHubConnectFailures();
        versionCheckRunning = 0;
    }

    void cleanup()
    {
        setLaunchHandlerForTests(nullptr);
        ConfigSettings::resetForTests();
        testsupport::resetDeviceState();
        deviceWriteEnabled = 0;
        StopUsbChanged();
        homeUsbChanged = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            w->hide();
    }

    // The page holds the receiver LED, the two screen and the light mode
    // dialogs: top-level, never shown, gone with the page.
    void pageHoldsItsDialogsHidden()
    {
        const auto held = [] {
            QStringList names;
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (qobject_cast<LedInfo*>(w) || qobject_cast<InputPicA*>(w) || qobject_cast<InputPicB*>(w)
                    || qobject_cast<LightModeSet*>(w)) {
                    names << QString::fromLatin1(w->metaObject()->className())
                                 + (w->isVisible() || w->parentWidget() ? QStringLiteral(" shown or owned") : QString());
                }
            }
            names.sort();
            return names;
        };
        auto page = std::make_unique<FormSetting>();
        QCOMPARE(held(), QStringList({"InputPicA", "InputPicB", "LedInfo", "LightModeSet"}));
        page.reset();
        QCOMPARE(held(), QStringList());
    }

    // The receiver's LED mode and long-range mode as the device connection
    // reports them: the page shows them and writes nothing back.
    void receiverReportsFillThePageWithoutWriting()
    {
        QVERIFY(testsupport::loadBus({QJsonObject{{"id", "rx4k"}, {"kind", "receiver"}, {"model", "Q7 Pro"},
                                                  {"rate", 4}, {"ledMode", 2}, {"longRange", true}},
                                      QJsonObject{{"id", "q7"}, {"kind", "mouse"}, {"model", "Q7 Pro"},
                                                  {"pairedWith", "rx4k"}}}));
        testsupport::DevicePages pages;
        FormSetting page;
        deviceWriteEnabled = 1;
        hidsim::clearCallLog();
        testsupport::openDevice(testsupport::deviceEntry("rx4k"));
        QTRY_VERIFY(box(page, "ReUntil_2")->isChecked() && box(page, "checkBox_2")->isChecked());
        QTRY_VERIFY(buttonPageUpdated == 1);
        QVERIFY(hidsim::waitForIdle());
        QVERIFY(shown(page, "checkBox_2"));
        QVERIFY(!box(page, "ReUntil")->isChecked());
        QVERIFY(!box(page, "ReUntil_3")->isChecked());
        QCOMPARE(receiverWrites(), QStringList());
        QCOMPARE(receiverLedMode("rx4k"), 2);
        QCOMPARE(receiverLongRange("rx4k"), 1);
        QCOMPARE(hubConnectFailures(), 0);
    }

    // What the user picks reaches the receiver; offline it raises the
    // offline notice instead, and with writing off nothing happens.
    void userChoicesReachTheReceiver()
    {
        auto page = openPage("rx4k");
        page->SlotRGBValue(dongleRgb);
        page->SlotLongRangeMode(false);
        QCOMPARE(receiverWrites(), QStringList());

        box(*page, "ReUntil_3")->click();
        QCOMPARE(receiverWrites(), QStringList{"UsbFinderC_Set4KDongleRGB"});
        QCOMPARE(receiverLedMode("rx4k"), 3);
        box(*page, "checkBox_2")->click();
        QCOMPARE(receiverLongRange("rx4k"), 1);
        box(*page, "checkBox_2")->click();
        QCOMPARE(receiverLongRange("rx4k"), 0);
        QCOMPARE(receiverWrites().size(), 3);

        QSignalSpy offline(PostMsg::GetInstance(), &PostMsg::SigMouseOffLineo);
        hidsim::setOffline("rx4k", true);
        hidsim::clearCallLog();
        box(*page, "ReUntil")->click();
        box(*page, "checkBox_2")->click();
        // The button unchecked and the one checked each ask.
        QCOMPARE(offline.count(), 3);
        QCOMPARE(offline.first().first().toInt(), 0);
        QCOMPARE(receiverWrites(), QStringList());
        QVERIFY(box(*page, "ReUntil")->isChecked());

        deviceWriteEnabled = 0;
        offline.clear();
        hidsim::clearCallLog();
        box(*page, "ReUntil_2")->click();
        box(*page, "checkBox_2")->click();
        QCOMPARE(offline.count(), 0);
        QVERIFY(testsupport::callNames().isEmpty());
    }

    // The rows the model's "Adveanced" list and the device offer, after the
    // fill, the receiver's LED report and its long-range report; short or
    // missing lists offer nothing and never fail.
    void optionRows_data()
    {
        QTest::addColumn<QString>("advanced"); // Drive1's "Adveanced"; "(missing)": no such model group
        QTest::addColumn<QString>("device");
        QTest::addColumn<bool>("longRange");
        QTest::addColumn<bool>("led");
        QTest::newRow("both offered, 4 kHz receiver") << "0,1" << "rx4k" << true << true;
        QTest::newRow("no long range") << "-1,1" << "rx4k" << false << true;
        QTest::newRow("no LED choice") << "0,-1" << "rx4k" << true << false;
        QTest::newRow("one item") << "0" << "rx4k" << true << false;
        QTest::newRow("empty list") << "" << "rx4k" << false << false;
        QTest::newRow("(missing)") << "0,1" << "rx4k" << false << false;
        QTest::newRow("1 kHz receiver: no LED choice") << "0,1" << "rx1k" << true << false;
        QTest::newRow("wired mouse") << "0,1" << "q3" << true << false;
    }
    void optionRows()
    {
        QFETCH(QString, advanced);
        QFETCH(QString, device);
        QFETCH(bool, longRange);
        QFETCH(bool, led);
        testsupport::useConfigWith({"Adveanced=" + advanced});
        if (device == "rx1k")
            QVERIFY(testsupport::loadBus({QJsonObject{{"id", "rx1k"}, {"kind", "receiver"}, {"model", "Q7 Pro"},
                                                      {"rate", 1}}}));
        auto page = openPage(device, QString(QTest::currentDataTag()) == "(missing)" ? 40 : (device == "q3" ? 0 : -1));
        dongleRgb->mode = 2;

        page->SlotForm();
        // The fill opens no LED rows; the receiver's report does.
        QVERIFY(!shown(*page, "ReUntil"));
        QCOMPARE(contentHeight(*page), 710);
        page->SlotRGBValue(dongleRgb);
        page->SlotLongRangeMode(true);

        for (const char* name : {"TitleButton_6", "label_11", "checkBox_2", "textEdit"})
            QCOMPARE(shown(*page, name), longRange);
        for (const char* name : {"TitleButton_7", "label_14", "ReUntil", "ReUntil_2", "ReUntil_3", "textEdit_2"})
            QCOMPARE(shown(*page, name), led);
        QCOMPARE(box(*page, "ReUntil_2")->isChecked(), led);
        QCOMPARE(box(*page, "checkBox_2")->isChecked(), longRange);
        QCOMPARE(contentHeight(*page), led ? 860 : 710);
        QCOMPARE(page->findChild<QWidget*>("pushButton_3")->y(), led ? 790 : 620);
        QCOMPARE(receiverWrites(), QStringList());
    }

    // A reported LED mode outside 1..3 shows the rows and keeps the choice.
    void unknownLedModeKeepsTheChoice()
    {
        auto page = openPage("rx4k");
        dongleRgb->mode = 3;
        page->SlotRGBValue(dongleRgb);
        for (int mode : {0, 4}) {
            dongleRgb->mode = uint8_t(mode);
            page->SlotRGBValue(dongleRgb);
            QVERIFY(box(*page, "ReUntil_3")->isChecked());
        }
        QVERIFY(shown(*page, "ReUntil"));
        QCOMPARE(receiverWrites(), QStringList());
    }

    // No data and no cache: the rows close and long range reads off,
    // without a word to the receiver.
    void resetWritesNothing()
    {
        auto page = openPage("rx4k");
        page->SlotRGBValue(dongleRgb);
        page->SlotLongRangeMode(true);
        QVERIFY(box(*page, "checkBox_2")->isChecked());
        QSignalSpy offline(PostMsg::GetInstance(), &PostMsg::SigMouseOffLineo);
        page->SlotFormResetForm();
        QVERIFY(!box(*page, "checkBox_2")->isChecked());
        QVERIFY(!shown(*page, "checkBox_2"));
        QVERIFY(!shown(*page, "ReUntil"));
        QCOMPARE(contentHeight(*page), 710);
        QCOMPARE(receiverWrites(), QStringList());
        QCOMPARE(offline.count(), 0);
    }

    // Both links go through the launch seam; without a desktop's mouse
    // settings the request leaves only a trace.
    void linksGoThroughTheLaunchSeam()
    {
        auto page = openPage("rx4k");
        QList<QPair<LaunchKind, QString>> launched;
        setLaunchHandlerForTests([&](LaunchKind kind, const QString& text) { launched.append({kind, text}); });
        page->findChild<QPushButton*>("pushButton")->click();
        page->findChild<QPushButton*>("pushButton_3")->click();
        QCOMPARE(launched.size(), 2);
        QCOMPARE(launched.at(0).first, LaunchKind::MouseSettings);
        QCOMPARE(launched.at(1).first, LaunchKind::Url);
        QCOMPARE(launched.at(1).second, page->findChild<QPushButton*>("pushButton_3")->text());
        QVERIFY(!launched.at(1).second.isEmpty());

        setLaunchHandlerForTests(nullptr);
        QTemporaryDir emptyPath;
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(emptyPath.path()));
        QTest::ignoreMessage(QtDebugMsg, "no desktop mouse settings are installed; nothing was started");
        launchExternal(LaunchKind::MouseSettings);
        qputenv("PATH", path);
    }

    // Pairing from the page: afterwards the device page follows plugs and
    // unplugs again and its connection to the receiver is back.
    void pairingFromThePage()
    {
        QVERIFY(testsupport::loadBus({QJsonObject{{"id", "rx4k"}, {"kind", "receiver"}, {"model", "Q7 Pro"},
                                                  {"rate", 4}},
                                      QJsonObject{{"id", "q7"}, {"kind", "mouse"}, {"model", "Q7 Pro"},
                                                  {"plugged", false}}}));
        hidsim::setPairingMs(1);
        auto page = openPage("rx4k");
        testsupport::ModalAnswer answer([](QDialog* dialog) {
            // Closed once the receiver has answered.
            connect(PostMsg::GetInstance(), &PostMsg::SigButtonEnable, dialog, [dialog] {
                QMetaObject::invokeMethod(dialog, [dialog] { dialog->findChild<QToolButton*>("CloseButton")->click(); },
                                          Qt::QueuedConnection);
            });
            dialog->findChild<QPushButton*>("MatchButton")->click();
        });
        page->findChild<QPushButton*>("pushButton_2")->click();
        QVERIFY(answer.allAnswered());
        QCOMPARE(answer.answered(), QStringList{"Match"});
        QCOMPARE(pairResult, 2);
        hidsim::DeviceStatus rx;
        QVERIFY(hidsim::device("rx4k", &rx));
        QCOMPARE(rx.pairedWith, QString("q7"));

        // The device page's plug/unplug callback (which rescans at once),
        // then the connection to the open receiver.
        const QStringList names = testsupport::callNames();
        const int watch = names.lastIndexOf("StartUsbChanged");
        const int connection = names.lastIndexOf("UsbServerC_Start");
        QVERIFY(watch >= 0 && connection > watch);
        QCOMPARE(connection, names.size() - 1);
        QCOMPARE(hidsim::callLog().last().args.value(0), QString::fromLatin1(devicePath));
        QCOMPARE(deviceSessionActive, 1);
    }

    // The progress window: what each progress report shows.
    void progressReports_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("label");
        QTest::addColumn<int>("bar");
        QTest::addColumn<bool>("confirm");
        const QString prefix = testsupport::tableText("Progress", 0, 0);
        QTest::newRow("progress") << 42 << 0 << prefix + ": 42%" << 42 << true;
        QTest::newRow("failed") << 42 << 1 << testsupport::tableText("Progress", 0, 2) << 42 << true;
        QTest::newRow("finished") << 42 << 2 << testsupport::tableText("Progress", 0, 1) << 100 << true;
        QTest::newRow("hide confirm") << 42 << 3 << prefix + ": 1%" << 42 << false;
        QTest::newRow("start again") << 42 << 4 << prefix + ": 0%" << 0 << false;
    }
    void progressReports()
    {
        QFETCH(int, value);
        QFETCH(int, type);
        QFETCH(QString, label);
        QFETCH(int, bar);
        QFETCH(bool, confirm);
        Progress window;
        QCOMPARE(hubConnectFailures(), 0);
        QCOMPARE(window.findChild<QToolButton*>("NewHong")->text(), testsupport::tableText("DialogChange", 0, 4));
        window.SlotProgress(value, type);
        QCOMPARE(window.findChild<QLabel*>("label")->text(), label);
        QCOMPARE(window.findChild<QProgressBar*>("progressBar_2")->value(), bar);
        QCOMPARE(!window.findChild<QToolButton*>("NewHong")->isHidden(), confirm);
        if (type == 1 || type == 2)
            QCOMPARE(window.findChild<QToolButton*>("NewHong")->shortcut(), QKeySequence(Qt::Key_Return));
    }

    // Leaving the window: not while an upgrade runs (but by its confirm
    // button); after a failure back to the home page, otherwise the next run.
    void progressClose()
    {
        Progress window;
        auto* close = window.findChild<QToolButton*>("CloseButton");
        auto* confirm = window.findChild<QToolButton*>("NewHong");
        auto* label = window.findChild<QLabel*>("label");
        QSignalSpy home(PostMsg::GetInstance(), &PostMsg::SigChangeMainDialog);
        QSignalSpy next(PostMsg::GetInstance(), &PostMsg::SigContinue);
        const QString prefix = testsupport::tableText("Progress", 0, 0);

        window.show();
        window.SlotProgress(60, 0);
        versionCheckRunning = 1;
        close->click();
        PostMsg::GetInstance()->PostCloseProgress();
        QVERIFY(window.isVisible());
        QCOMPARE(label->text(), prefix + ": 60%");
        versionCheckRunning = 0;

        PostMsg::GetInstance()->PostCloseProgress();
        QVERIFY(!window.isVisible());
        QCOMPARE(label->text(), prefix + ": 0%");
        QCOMPARE(next.count(), 0);

        window.show();
        window.SlotProgress(100, 2);
        close->click();
        QVERIFY(!window.isVisible());
        QCOMPARE(next.count(), 1);
        QCOMPARE(next.first().first().toInt(), 0);
        QCOMPARE(home.count(), 0);

        window.show();
        window.SlotProgress(30, 1);
        versionCheckRunning = 1;
        confirm->click();
        versionCheckRunning = 0;
        QVERIFY(!window.isVisible());
        QCOMPARE(home.count(), 1);
        QCOMPARE(home.first().first().toInt(), 0);
        QCOMPARE(next.count(), 1);
    }
};

QUEMBREL_TEST_MAIN(SettingsOptionsTest)
#include "tst_settingsoptions.moc"
