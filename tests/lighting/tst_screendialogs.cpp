// The device-screen dialogs and the clock synchronisation: the clock frame
// and its checksum, the frames reaching the simulated device through the
// direct requests, the screen-device scan riding on the registered
// plug/unplug callback's rescans, and the idle thread object.
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
#include "lighting/inputpic.h"
#include "mainwindow/dialogchange.h"
#include "platform/hidusb/hidusb.h"
#include "widgets/dialogframe.h"
#include "platform/hidusb/simcontrol.h"
#include "sensor/sensor.h"

#include <QButtonGroup>
#include <QLabel>
#include <QSignalSpy>
#include <QSlider>
#include <QTimer>
#include <QToolButton>

#include <memory>

namespace {

QString pathOf(const QString& id)
{
    hidsim::DeviceStatus status;
    return hidsim::device(id, &status) ? status.path : QString();
}

QVector<hidsim::Call> callsNamed(const QString& name)
{
    QVector<hidsim::Call> found;
    for (const hidsim::Call& call : hidsim::callLog()) {
        if (call.name == name)
            found << call;
    }
    return found;
}

// The request bytes a logged direct request carried.
QByteArray requestBytes(const hidsim::Call& call)
{
    return QByteArray::fromHex(call.args.value(0).toLatin1());
}

ClockFrame frameOf(const QByteArray& bytes)
{
    ClockFrame frame{};
    std::copy_n(bytes.constData(), qMin(bytes.size(), kClockFrameLength), frame.begin());
    return frame;
}

void tick(InputPicA& dialog, int times)
{
    for (int i = 0; i < times; ++i)
        dialog.onEraseChipTimeTimer();
}

// Debug lines of the thread object, counted from any thread.
QAtomicInt runningLines;
QtMessageHandler previousHandler = nullptr;
void countRunningLines(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (text == QLatin1String("Thread is running"))
        runningLines.fetchAndAddOrdered(1);
    else
        previousHandler(type, context, text);
}

// The rows of a test that runs on both dialogs.
void bothDialogs()
{
    QTest::addColumn<bool>("second");
    QTest::newRow("InputPicA") << false;
    QTest::newRow("InputPicB") << true;
}

std::unique_ptr<QDialog> makeDialog(bool second)
{
    if (second)
        return std::make_unique<InputPicB>();
    return std::make_unique<InputPicA>();
}

} // namespace

class ScreenDialogsTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<DialogChange> home;

private slots:
    void init()
    {
        hidsim::resetToDefaultBus();
        testsupport::resetDeviceState();
        testsupport::fillLanguageTables();
        ConfigSettings::resetForTests();
        screenDevicePaths.clear();
        resetHubConnectFailures();
    }

    void cleanup()
    {
        home.reset();
        StopUsbChanged();
        homeUsbChanged = nullptr;
        UsbServer_Exit();
        QVERIFY(hidsim::waitForIdle());
        QCOMPARE(hubConnectFailures(), 0);
    }

    // 9 December 2026, 07:44:47, a Wednesday.
    void clockFrameOfOneReading()
    {
        const ClockFrame frame = InputPicA::clockFrame(QDateTime(QDate(2026, 12, 9), QTime(7, 44, 47)));
        const QByteArray expected = QByteArray::fromHex("0a0010 07ea 0c 09 07 2c 2f 03") + QByteArray(29, '\0');
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(frame.data()), kClockFrameLength), expected);
        // Sunday is 7; the weekday belongs to the same reading as the date.
        QCOMPARE(int(InputPicA::clockFrame(QDateTime(QDate(2026, 12, 13), QTime(23, 59, 59)))[10]), 7);
    }

    void checksum_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("checksum");
        QTest::newRow("frame kind alone")
            << QByteArray::fromHex("0a0010") + QByteArray(36, '\0') << 0x3B;   // 0x55 - 0x1A
        QTest::newRow("sum past a byte") << QByteArray(39, '\xff') << 0x7C;   // (0x55 - 39 * 0xFF) mod 256
        QTest::newRow("sum of 0x55") << QByteArray::fromHex("55") + QByteArray(38, '\0') << 0x00;
    }

    void checksum()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, checksum);
        const auto* data = reinterpret_cast<const unsigned char*>(bytes.constData());
        QCOMPARE(int(InputPicA::frameChecksum(data, bytes.size())), checksum);
        ClockFrame frame = frameOf(bytes);
        frame[39] = uchar(checksum);
        QVERIFY(InputPicA::verifyFrameChecksum(frame));
        frame[39] = uchar(checksum + 1);
        QVERIFY(!InputPicA::verifyFrameChecksum(frame));
    }

    // A reply repeats the request's kind and date and carries its own
    // checksum; anything else is a failed attempt.
    void replyValidity_data()
    {
        QTest::addColumn<int>("changedByte");   // -1 none
        QTest::addColumn<bool>("fixChecksum");
        QTest::addColumn<bool>("valid");
        QTest::newRow("echo") << -1 << true << true;
        QTest::newRow("kind differs") << 0 << true << false;
        QTest::newRow("year differs") << 3 << true << false;
        QTest::newRow("day differs") << 6 << true << false;
        QTest::newRow("time may differ") << 7 << true << true;
        QTest::newRow("checksum wrong") << 8 << false << false;
    }

    void replyValidity()
    {
        QFETCH(int, changedByte);
        QFETCH(bool, fixChecksum);
        QFETCH(bool, valid);
        ClockFrame request = InputPicA::clockFrame(QDateTime(QDate(2026, 12, 9), QTime(7, 44, 47)));
        request[39] = InputPicA::frameChecksum(request.data(), 39);
        ClockFrame reply = request;
        if (changedByte >= 0)
            reply[changedByte] ^= 0x01;
        if (fixChecksum)
            reply[39] = InputPicA::frameChecksum(reply.data(), 39);
        QCOMPARE(InputPicA::replyIsValid(request, reply), valid);
    }

    // A device that answers takes one request per frame; one that gives no
    // valid answer gets exactly five, and then the frame is dropped.
    void attemptsPerFrame_data()
    {
        QTest::addColumn<bool>("answers");
        QTest::addColumn<int>("requests");
        QTest::newRow("device answers") << true << 1;
        QTest::newRow("device gone") << false << InputPicA::kFrameAttempts;
    }

    void attemptsPerFrame()
    {
        QFETCH(bool, answers);
        QFETCH(int, requests);
        QVERIFY(UsbFinderC_OpenDevice(pathOf("q3").toLatin1().constData()));
        if (!answers)
            QVERIFY(hidsim::unplug("q3"));
        hidsim::clearCallLog();
        ClockFrame frame = InputPicA::clockFrame(QDateTime(QDate(2026, 12, 9), QTime(7, 44, 47)));
        QCOMPARE(InputPicA::sendFrameWithRetry(frame), answers);
        QCOMPARE(frame[39], InputPicA::frameChecksum(frame.data(), 39));
        const QVector<hidsim::Call> sent = callsNamed("UsbFinderC_ReadWriteDeviceData");
        QCOMPARE(sent.size(), requests);
        for (const hidsim::Call& call : sent) {
            QCOMPARE(requestBytes(call), QByteArray(reinterpret_cast<const char*>(frame.data()), kClockFrameLength));
            QCOMPARE(call.args.value(1), QString("40"));
        }
    }

    // The home page's rescan records what it searched for, and the clock
    // synchronisation finds the screen devices by it without taking the
    // home page's plug/unplug callback. A frame goes out on every 50th tick
    // of the 200 ms timer to the first device found, through the direct
    // requests.
    void clockSyncSendsTheTimeToTheFirstDeviceFound()
    {
        home.reset(new DialogChange);
        QCOMPARE(scanVendorId, QString("3A5C"));
        QCOMPARE(scanProductIds, QStringList({"5110", "5120", "5111", "5112", "5114", "5118"}));

        InputPicA dialog;
        QTimer* timer = dialog.findChild<QTimer*>();
        QVERIFY(timer);
        QVERIFY(!timer->isActive());
        hidsim::clearCallLog();
        dialog.startClockSync(true);
        QVERIFY(timer->isActive());
        QCOMPARE(timer->interval(), InputPicA::kTickMs);
        QCOMPARE(InputPicA::kTicksPerFrame * InputPicA::kTickMs, 10000);
        QVERIFY(!testsupport::callNames().contains("StartUsbChanged"));
        const QVector<hidsim::Call> finds = callsNamed("UsbFinderC_FindHidDevicesByDeviceId");
        QCOMPARE(finds.size(), scanProductIds.size());
        QCOMPARE(finds.at(1).args, QStringList({"3A5C", "5120", "1", "8"}));
        QCOMPARE(screenDevicePaths, QStringList({pathOf("q3"), pathOf("rx4k")}));

        for (int frame = 0; frame < 2; ++frame) {
            hidsim::clearCallLog();
            tick(dialog, InputPicA::kTicksPerFrame - 1);
            QCOMPARE(testsupport::callNames(), QStringList());
            const QDateTime before = QDateTime::currentDateTime();
            tick(dialog, 1);
            const QDateTime after = QDateTime::currentDateTime();
            QCOMPARE(testsupport::callNames(),
                     QStringList({"UsbFinderC_OpenDevice", "UsbFinderC_ReadWriteDeviceData"}));
            QCOMPARE(callsNamed("UsbFinderC_OpenDevice").at(0).args, QStringList{pathOf("q3")});
            const ClockFrame sent = frameOf(requestBytes(callsNamed("UsbFinderC_ReadWriteDeviceData").at(0)));
            QVERIFY(InputPicA::verifyFrameChecksum(sent));
            // The frame carries one reading taken between the two.
            const QDateTime reading(QDate((sent[3] << 8) | sent[4], sent[5], sent[6]), QTime(sent[7], sent[8], sent[9]));
            QVERIFY(reading.isValid());
            QVERIFY(reading >= before.addMSecs(-before.time().msec()) && reading <= after);
            ClockFrame expected = InputPicA::clockFrame(reading);
            expected[39] = sent[39];
            QVERIFY(sent == expected);
        }

        // The home page's callback is still the registered one: a plug
        // reaches both its tiles and the screen devices.
        QVERIFY(hidsim::plug("q7"));
        QTRY_COMPARE(screenDevicePaths, QStringList({pathOf("q7"), pathOf("q3"), pathOf("rx4k")}));
        bool q7Tile = false;
        for (const DeviceAllInfo& found : foundDevices)
            q7Tile = q7Tile || found.path == pathOf("q7");
        QVERIFY(q7Tile);
    }

    // The device page's callback brings the screen devices along as well,
    // and a frame goes only to a device of the current scan: none found,
    // none sent.
    void framesFollowTheCurrentScan()
    {
        home.reset(new DialogChange);
        InputPicA dialog;
        dialog.startClockSync(true);
        home.reset();
        StartUsbChanged(Worker::onUsbChanged, kUsbChangedInterval);

        QVERIFY(hidsim::unplug("q3"));
        QTRY_COMPARE(screenDevicePaths, QStringList{pathOf("rx4k")});
        hidsim::clearCallLog();
        tick(dialog, InputPicA::kTicksPerFrame);
        QCOMPARE(callsNamed("UsbFinderC_OpenDevice").value(0).args, QStringList{pathOf("rx4k")});
        QCOMPARE(callsNamed("UsbFinderC_ReadWriteDeviceData").size(), 1);

        QVERIFY(hidsim::unplug("rx4k"));
        QTRY_VERIFY(screenDevicePaths.isEmpty());
        hidsim::clearCallLog();
        tick(dialog, 3 * InputPicA::kTicksPerFrame);
        QCOMPARE(testsupport::callNames(), QStringList());
    }

    // Not started, the synchronisation scans nothing and sends nothing, and
    // a rescan does not start it either.
    void clockSyncStartedWithFalseDoesNothing()
    {
        InputPicA dialog;
        hidsim::clearCallLog();
        dialog.startClockSync(false);
        QVERIFY(!dialog.findChild<QTimer*>()->isActive());
        home.reset(new DialogChange);
        QVERIFY(screenDevicePaths.isEmpty());
        QVERIFY(!testsupport::callNames().contains("UsbFinderC_FindHidDevicesByDeviceId"));
        hidsim::clearCallLog();
        tick(dialog, InputPicA::kTicksPerFrame);
        QCOMPARE(testsupport::callNames(), QStringList());
    }

    // A dialog that goes stops following the rescans.
    void aDestroyedDialogLeavesTheRescansAlone()
    {
        home.reset(new DialogChange);
        {
            InputPicA first;
            InputPicA second;
            first.startClockSync(true);
            second.startClockSync(true);
        }
        hidsim::clearCallLog();
        QVERIFY(hidsim::unplug("q3"));
        QTRY_VERIFY(testsupport::callNames().contains("UsbFinderC_FindHidDevicesByDefaultDeviceId"));
        QVERIFY(!testsupport::callNames().contains("UsbFinderC_FindHidDevicesByDeviceId"));
    }

    // Started, the thread object reports once and then waits without using
    // the processor; its destruction ends it.
    void threadObjectWaitsWithoutSpinning()
    {
        runningLines = 0;
        previousHandler = qInstallMessageHandler(countRunningLines);
        {
            MyThread thread;
            thread.start();
            QTRY_COMPARE(int(runningLines), 1);
            // A spinning loop would have written thousands of lines by now.
            QTest::qWait(100);
            QVERIFY(thread.isRunning());
            QCOMPARE(int(runningLines), 1);
        }
        {
            // Stopped before its loop could start: still ends.
            MyThread thread;
            thread.start();
        }
        qInstallMessageHandler(previousHandler);
        InputPicA dialog;
        QVERIFY(dialog.findChild<QTimer*>());
    }

    void closeButtonEmitsButtonCheckOnceAndCloses_data()
    {
        bothDialogs();
    }

    void closeButtonEmitsButtonCheckOnceAndCloses()
    {
        QFETCH(bool, second);
        const std::unique_ptr<QDialog> dialog = makeDialog(second);
        dialog->show();
        QSignalSpy spy(PostMsg::GetInstance(), &PostMsg::SigButtonCheck);
        QTest::mouseClick(testsupport::child<QToolButton>(dialog.get(), "CloseButton"), Qt::LeftButton);
        QCOMPARE(spy.count(), 1);
        QVERIFY(!dialog->isVisible());
    }

    // The controls are a layout: a picture slot excludes the others, and
    // nothing reaches the device or the hub.
    void controlsAreLayoutOnly_data()
    {
        bothDialogs();
    }

    void controlsAreLayoutOnly()
    {
        QFETCH(bool, second);
        const std::unique_ptr<QDialog> dialog = makeDialog(second);
        dialog->show();
        QSignalSpy spy(PostMsg::GetInstance(), &PostMsg::SigButtonCheck);
        hidsim::clearCallLog();
        auto* a = testsupport::child<QToolButton>(dialog.get(), "toolButtonA");
        auto* c = testsupport::child<QToolButton>(dialog.get(), "toolButtonC");
        QTest::mouseClick(a, Qt::LeftButton);
        QTest::mouseClick(c, Qt::LeftButton);
        QVERIFY(c->isChecked());
        QVERIFY(!a->isChecked());
        QTest::mouseClick(testsupport::child<QToolButton>(dialog.get(), "CheckButton"), Qt::LeftButton);
        QTest::mouseClick(testsupport::child<QToolButton>(dialog.get(), "Input"), Qt::LeftButton);
        QTest::mouseClick(testsupport::child<QToolButton>(dialog.get(), "Output"), Qt::LeftButton);
        auto* slider = testsupport::child<QSlider>(dialog.get(), "SpeedH");
        QCOMPARE(slider->minimum(), 1);
        QCOMPARE(slider->maximum(), 5);
        testsupport::dragSlider(slider, 4);
        QCOMPARE(slider->value(), 4);
        QCOMPARE(testsupport::callNames(), QStringList());
        QCOMPARE(spy.count(), 0);
        QVERIFY(dialog->isVisible());
    }

    // Texts of the ScreenInfo table in the current language, following a
    // change; the two layouts differ only in geometry.
    void textsAndLayout_data()
    {
        QTest::addColumn<bool>("second");
        QTest::addColumn<QRect>("slot");
        QTest::addColumn<QPoint>("preview");
        QTest::newRow("InputPicA") << false << QRect(50, 160, 74, 100) << QPoint(50, 135);
        QTest::newRow("InputPicB") << true << QRect(50, 155, 88, 64) << QPoint(50, 75);
    }

    void textsAndLayout()
    {
        QFETCH(bool, second);
        QFETCH(QRect, slot);
        QFETCH(QPoint, preview);
        languageIndex = 1;
        const std::unique_ptr<QDialog> dialog = makeDialog(second);
        const char* const names[] = {"label", "label_2", "label_3"};
        for (int i = 0; i < 3; ++i)
            QCOMPARE(testsupport::child<QLabel>(dialog.get(), names[i])->text(),
                     testsupport::tableText("ScreenInfo", 1, i));
        PostMsg::GetInstance()->PostAllLanguage(0);
        QCOMPARE(testsupport::child<QToolButton>(dialog.get(), "Input")->text(), testsupport::tableText("ScreenInfo", 0, 3));
        QCOMPARE(testsupport::child<QToolButton>(dialog.get(), "Output")->text(),
                 testsupport::tableText("ScreenInfo", 0, 4));
        QCOMPARE(testsupport::child<QLabel>(dialog.get(), "label_4")->text(), QString("1"));
        languageIndex = 0;

        QCOMPARE(dialog->size(), QSize(638, 318));
        QCOMPARE(int(dialog->windowFlags() & ~Qt::Window), kDialogWindowFlags);
        QCOMPARE(testsupport::child<QToolButton>(dialog.get(), "toolButtonA")->geometry(), slot);
        QCOMPARE(testsupport::child<QLabel>(dialog.get(), "label_2")->pos(), preview);
    }

    void skin_data()
    {
        bothDialogs();
    }

    void skin()
    {
        QFETCH(bool, second);
        testsupport::useSkinConfig();
        const std::unique_ptr<QDialog> dialog = makeDialog(second);
        ConfigSettings::resetForTests();
        QCOMPARE(testsupport::child<QLabel>(dialog.get(), "label_7")->styleSheet(), QString("QLabel{color: rgb(1,2,3;);}"));
        QVERIFY(testsupport::child<QToolButton>(dialog.get(), "Input")->styleSheet().contains("color: rgb(4,5,6;);"));
        const QStringList pictures = testsupport::styleSheetPictures(dialog.get());
        QCOMPARE(pictures.size(), 19);
        for (const QString& picture : pictures) {
            QVERIFY2(picture.startsWith(installDir() + "/Picture/ScreeInfo/"), qPrintable(picture));
            QVERIFY2(QFile::exists(picture), qPrintable(picture));
        }
    }
};

QUEMBREL_TEST_MAIN(ScreenDialogsTest)
#include "tst_screendialogs.moc"
