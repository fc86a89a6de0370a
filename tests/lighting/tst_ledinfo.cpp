// The receiver LED dialog: it follows the receiver's LED mode (byte 0 of the
// LED record) for a 4 kHz-class receiver with the option, writes nothing,
// and never holds up the end of the device connection.
#include "support/devicefixture.h"
#include "support/dialogfixture.h"
#include "support/testsupport.h"
#include "support/widgetprobe.h"

#include "buttons/buttoninterface.h"
#include "core/globals.h"
#include "core/postmsg.h"
#include "core/product.h"
#include "core/settings.h"
#include "core/worker.h"
#include "lighting/ledinfo.h"
#include "platform/hidusb/hidusb.h"
#include "widgets/dialogframe.h"
#include "platform/hidusb/simcontrol.h"
#include "sensor/sensor.h"

#include <QCheckBox>
#include <QLabel>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTextEdit>
#include <QToolButton>

#include <cstring>
#include <memory>
#include <thread>

namespace {

const char* const kChoices[] = {"ReUntil", "ReUntil_2", "ReUntil_3"};
const char* const kRows[] = {"TitleButton_7", "label_14",   "ReUntil",    "ReUntil_2",
                             "ReUntil_3",     "textEdit_2", "textEdit_3", "textEdit_4"};

QCheckBox* choice(LedInfo& dialog, int i)
{
    return testsupport::child<QCheckBox>(&dialog, kChoices[i]);
}

// 1, 2 or 3 for the checked choice, 0 for none.
int checkedChoice(LedInfo& dialog)
{
    for (int i = 0; i < 3; ++i) {
        if (choice(dialog, i)->isChecked())
            return i + 1;
    }
    return 0;
}

bool rowsHidden(LedInfo& dialog)
{
    for (const char* name : kRows) {
        if (!testsupport::child<QWidget>(&dialog, name)->isHidden())
            return false;
    }
    return true;
}

void hideRows(LedInfo& dialog)
{
    for (const char* name : kRows)
        testsupport::child<QWidget>(&dialog, name)->hide();
}

} // namespace

class LedInfoTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        hidsim::resetToDefaultBus();
        testsupport::resetDeviceState();
        testsupport::fillLanguageTables();
        ConfigSettings::resetForTests();
        resetHubConnectFailures();
    }

    void cleanup()
    {
        StopUsbChanged();
        UsbServer_Exit();
        QVERIFY(hidsim::waitForIdle());
        ConfigSettings::resetForTests();
        QCOMPARE(hubConnectFailures(), 0);
    }

    // Byte 0 of the LED record picks the choice, but only for a 4 kHz-class
    // receiver whose model has a receiver LED option ("Adveanced" item 1
    // other than -1); anything else leaves the dialog exactly as it was.
    void followsTheLedMode_data()
    {
        QTest::addColumn<int>("deviceType");
        QTest::addColumn<int>("isMouse");
        QTest::addColumn<int>("modelIndex");
        QTest::addColumn<QString>("advanced");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("checked");   // the choice checked afterwards, 0 none
        QTest::addColumn<bool>("followed"); // the rows shown

        // The dialog starts with choice 1 checked.
        QTest::newRow("mode 1") << 1 << 0 << 0 << "Adveanced=0,1" << 1 << 1 << true;
        QTest::newRow("mode 2") << 1 << 0 << 0 << "Adveanced=0,1" << 2 << 2 << true;
        QTest::newRow("mode 3") << 1 << 0 << 0 << "Adveanced=0,2" << 3 << 3 << true;
        QTest::newRow("mode 0 changes no choice") << 1 << 0 << 0 << "Adveanced=0,1" << 0 << 1 << true;
        QTest::newRow("mode 4 changes no choice") << 1 << 0 << 0 << "Adveanced=0,1" << 4 << 1 << true;
        QTest::newRow("1 kHz receiver") << 0 << 0 << 0 << "Adveanced=0,1" << 2 << 1 << false;
        QTest::newRow("2 kHz receiver") << 4 << 0 << 0 << "Adveanced=0,1" << 2 << 1 << false;
        QTest::newRow("8 kHz receiver") << 5 << 0 << 0 << "Adveanced=0,1" << 2 << 1 << false;
        QTest::newRow("mouse on its cable") << 1 << 1 << 0 << "Adveanced=0,1" << 2 << 1 << false;
        QTest::newRow("model without the option") << 1 << 0 << 0 << "Adveanced=0,-1" << 2 << 1 << false;
        QTest::newRow("list of one item") << 1 << 0 << 0 << "Adveanced=1" << 2 << 1 << false;
        QTest::newRow("empty list") << 1 << 0 << 0 << "Adveanced=" << 2 << 1 << false;
        QTest::newRow("unknown model") << 1 << 0 << 7 << "Adveanced=0,1" << 2 << 1 << false;
    }

    void followsTheLedMode()
    {
        QFETCH(int, deviceType);
        QFETCH(int, isMouse);
        QFETCH(int, modelIndex);
        QFETCH(QString, advanced);
        QFETCH(int, mode);
        QFETCH(int, checked);
        QFETCH(bool, followed);

        testsupport::useConfigWith({advanced});
        currentDevice = testsupport::deviceEntry(QStringLiteral("rx4k"));
        currentDevice.deviceType = uint8_t(deviceType);
        currentDevice.isMouse = uint8_t(isMouse);
        currentDevice.modelIndex = modelIndex;

        LedInfo dialog;
        choice(dialog, 0)->setChecked(true);
        hideRows(dialog);
        DongleRGB rgb{};
        rgb.mode = uint8_t(mode);
        rgb.data[0] = 0x5a;
        const DongleRGB before = rgb;
        dialog.SlotRGBValue(&rgb);

        QCOMPARE(checkedChoice(dialog), checked);
        QCOMPARE(rowsHidden(dialog), !followed);
        // The record is only read.
        QVERIFY(std::memcmp(&rgb, &before, sizeof rgb) == 0);
    }

    // The receiver's LED state reaches the dialog from the device-data
    // thread when the device opens, while the dialog stays hidden.
    void followsTheReceiverWhenTheDeviceOpens()
    {
        const DeviceAllInfo rx = testsupport::deviceEntry(QStringLiteral("rx4k"));
        const unsigned char mode3[HIDUSB_DONGLE_RGB_SIZE] = {3};
        QVERIFY(UsbFinderC_Set4KDongleRGB(rx.path.toLatin1().constData(), mode3));

        LedInfo dialog;
        testsupport::DevicePages pages;
        testsupport::openDevice(rx);
        QTRY_COMPARE(checkedChoice(dialog), 3);
        QVERIFY(dialog.isHidden());
        QVERIFY(hidsim::waitForIdle());
    }

    // The device-data thread waits in its blocking emit for the GUI thread
    // while the device connection is shut down: the shutdown ends, the wait
    // ends, and the library thread comes to rest, whether the dialog stays or
    // goes first.
    void shutdownWhileTheLedStateWaitsForTheDialog_data()
    {
        QTest::addColumn<bool>("dialogGoesFirst");
        QTest::newRow("dialog stays") << false;
        QTest::newRow("dialog goes first") << true;
    }

    void shutdownWhileTheLedStateWaitsForTheDialog()
    {
        QFETCH(bool, dialogGoesFirst);
        const DeviceAllInfo rx = testsupport::deviceEntry(QStringLiteral("rx4k"));
        const unsigned char mode2[HIDUSB_DONGLE_RGB_SIZE] = {2};
        QVERIFY(UsbFinderC_Set4KDongleRGB(rx.path.toLatin1().constData(), mode2));

        // Runs on the device-data thread before the dialog's blocking delivery,
        // being connected first.
        QSemaphore emitted;
        QObject guard;
        connect(PostMsg::GetInstance(), &PostMsg::SigRGBValue, &guard, [&] { emitted.release(); },
                Qt::DirectConnection);
        auto dialog = std::make_unique<LedInfo>();
        auto pages = std::make_unique<testsupport::DevicePages>();
        testsupport::openDevice(rx);
        // The GUI thread processes no events here, so the emit now waits for it.
        QVERIFY(emitted.tryAcquire(1, kTryTimeoutMs));

        if (dialogGoesFirst)
            dialog.reset();
        pages->closeButtonPage();
        UsbServer_Exit();
        StopUsbChanged();
        pages.reset();
        QVERIFY(hidsim::waitForIdle());
        if (!dialogGoesFirst)
            QCOMPARE(checkedChoice(*dialog), 2);
    }

    // The choices are the dialog's own: ticking one sends nothing.
    void aChoiceWritesNothing()
    {
        currentDevice = testsupport::deviceEntry(QStringLiteral("rx4k"));
        setDevicePath(currentDevice.path);
        deviceWriteEnabled = 1;
        LedInfo dialog;
        dialog.show();
        hidsim::clearCallLog();
        QTest::mouseClick(choice(dialog, 1), Qt::LeftButton);
        QTest::mouseClick(choice(dialog, 2), Qt::LeftButton);
        QCOMPARE(checkedChoice(dialog), 3);
        QVERIFY(!choice(dialog, 1)->isChecked());
        QCOMPARE(testsupport::callNames(), QStringList());
        deviceWriteEnabled = 0;
    }

    void closeButtonEmitsButtonCheckOnceAndCloses()
    {
        LedInfo dialog;
        dialog.show();
        QVERIFY(dialog.isVisible());
        QSignalSpy spy(PostMsg::GetInstance(), &PostMsg::SigButtonCheck);
        QTest::mouseClick(testsupport::child<QToolButton>(&dialog, "CloseButton"), Qt::LeftButton);
        QCOMPARE(spy.count(), 1);
        QVERIFY(!dialog.isVisible());
    }

    // Texts from the settings page's table (items 19 to 22), in the current
    // language and following a change of language.
    void textsFollowTheLanguage()
    {
        languageIndex = 1;
        LedInfo dialog;
        QCOMPARE(testsupport::child<QLabel>(&dialog, "label_14")->text(), testsupport::tableText("FormSetting", 1, 19));
        PostMsg::GetInstance()->PostAllLanguage(0);
        QCOMPARE(testsupport::child<QLabel>(&dialog, "label_14")->text(), testsupport::tableText("FormSetting", 0, 19));
        const char* const edits[] = {"textEdit_2", "textEdit_3", "textEdit_4"};
        for (int i = 0; i < 3; ++i)
            QCOMPARE(testsupport::child<QTextEdit>(&dialog, edits[i])->toPlainText(),
                     testsupport::tableText("FormSetting", 0, 20 + i));
        languageIndex = 0;
    }

    // The skin: the label colour from Config.ini, every picture installed,
    // the frameless dialog flags, and the form's own font sizes.
    void skin()
    {
        testsupport::useSkinConfig();
        LedInfo dialog;
        QCOMPARE(testsupport::child<QLabel>(&dialog, "label_14")->styleSheet(), QString("QLabel{color: rgb(1,2,3;);}"));
        QVERIFY(testsupport::child<QTextEdit>(&dialog, "textEdit_3")->styleSheet().contains("color: rgb(1,2,3;);"));
        const QStringList pictures = testsupport::styleSheetPictures(&dialog);
        QCOMPARE(pictures.size(), 11);
        for (const QString& picture : pictures) {
            QVERIFY2(picture.startsWith(installDir() + "/Picture/FormSetting/"), qPrintable(picture));
            QVERIFY2(QFile::exists(picture), qPrintable(picture));
        }
        QCOMPARE(int(dialog.windowFlags() & ~Qt::Window), kDialogWindowFlags);
        QCOMPARE(dialog.size(), QSize(638, 318));
        QCOMPARE(testsupport::child<QLabel>(&dialog, "label_14")->font().pointSize(), 11);
    }
};

QUEMBREL_TEST_MAIN(LedInfoTest)
#include "tst_ledinfo.moc"
