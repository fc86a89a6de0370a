// The waits that keep the windows alive: they last their time, handle events
// meanwhile, and block in the event loop instead of polling, also through the
// endless wait-and-notice cycle of a device whose reads are never answered.
#include "support/devicefixture.h"
#include "support/dialogfixture.h"
#include "support/modalanswer.h"
#include "support/testsupport.h"

#include "buttons/buttoninterface.h"
#include "core/globals.h"
#include "core/postmsg.h"
#include "core/waits.h"
#include "core/worker.h"
#include "mainwindow/dialog.h"
#include "mainwindow/dialogmain.h"
#include "platform/hidusb/simcontrol.h"
#include "sensor/sensor.h"
#include "widgets/mytoolbuttonenter.h"
#include "widgets/updataparam.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QToolButton>

#include <ctime>

namespace {

double processCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// A blocked wait costs next to nothing; a polling one a whole core. The bound
// leaves room for a loaded machine and the sanitizers.
const double kMaxCpuShare = 0.2;

int callCount(const QString& name)
{
    return int(testsupport::callNames().count(name));
}

} // namespace

class WaitsTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<DialogMain> window;

    int page() const { return window->findChild<QStackedWidget*>("stackedWidgetMain")->currentIndex(); }

    // The program's timings, or short ones for the acknowledgement steps, the
    // online watch and the ways out (the wait itself and the pause between
    // two waits keep their lengths).
    static void useTimings(bool shortened)
    {
        UpDataParam::stepMs = shortened ? 20 : 500;
        UpDataParam::settleSleepMs = shortened ? 1 : 2000;
        Worker::onlineCheckIntervalMs = shortened ? 100 : 1300;
        Dialog::backWaitMs = shortened ? 1 : 100;
        DialogMain::homeReturnSleepMs = shortened ? 1 : 100;
        DialogMain::quitWaitMs = shortened ? 1 : 200;
    }

    void openQ3()
    {
        window = std::make_unique<DialogMain>();
        window->show();
        int k = 0;
        while (k < foundDevices.size() && foundDevices[k].path != QLatin1String("/dev/hidsim/q3"))
            ++k;
        QVERIFY(k < foundDevices.size());
        window->findChild<mytoolButtonEnter*>(QStringLiteral("btn") + QString::number(k))->click();
        QCOMPARE(page(), 1);
    }

private slots:
    void initTestCase()
    {
        QApplication::setQuitOnLastWindowClosed(false);
        DialogMain::systemTrayAvailable = [] { return true; };
    }

    void init()
    {
        hidsim::resetToDefaultBus();
        testsupport::resetDeviceState();
        testsupport::fillLanguageTables();
    }

    void cleanup()
    {
        hidsim::setReadsUnanswered(false);
        window.reset();
        waitDialogShown = 0;
        useTimings(false);
    }

    void waitLastsItsTimeAndHandlesEvents_data()
    {
        QTest::addColumn<int>("ms");
        QTest::addColumn<int>("nestedMs");  // a wait started by an event handled in the first; 0 none
        QTest::newRow("back button") << 100 << 0;
        QTest::newRow("before quitting") << 200 << 0;
        QTest::newRow("acknowledgement step") << 500 << 0;
        QTest::newRow("a longer wait inside") << 200 << 400;
        QTest::newRow("a shorter wait inside") << 500 << 100;
    }

    void waitLastsItsTimeAndHandlesEvents()
    {
        QFETCH(int, ms);
        QFETCH(int, nestedMs);
        bool handled = false;
        qint64 nestedTook = -1;
        qint64 nestedEnd = -1;
        QElapsedTimer wall;
        QObject context;  // no timer outlives the locals it writes
        QTimer::singleShot(ms / 4, &context, [&] {
            handled = true;
            if (nestedMs) {
                QElapsedTimer nested;
                nested.start();
                waitWithEvents(nestedMs);
                nestedTook = nested.elapsed();
                nestedEnd = wall.elapsed();
            }
        });
        wall.start();
        const double cpu = processCpuSeconds();

        waitWithEvents(ms);

        const qint64 took = wall.elapsed();
        QVERIFY(handled);
        QVERIFY2(took >= ms, qPrintable(QString::number(took)));
        if (nestedMs) {
            QVERIFY2(nestedTook >= nestedMs, qPrintable(QString::number(nestedTook)));
            QVERIFY(took >= nestedEnd);
        }
        QVERIFY2(processCpuSeconds() - cpu < kMaxCpuShare * double(took) / 1000.0, "the wait polled");
    }

    // The back button and the quit request go on handling events during their
    // pause, before they end the connection.
    void backAndQuitHandleEventsBeforeTheConnectionEnds_data()
    {
        QTest::addColumn<bool>("quit");
        QTest::newRow("back") << false;
        QTest::newRow("quit") << true;
    }

    void backAndQuitHandleEventsBeforeTheConnectionEnds()
    {
        QFETCH(bool, quit);
        waitDialogShown = 1;
        openQ3();
        QTRY_VERIFY(deviceRecordReceived);
        QVERIFY(hidsim::waitForIdle());
        hidsim::clearCallLog();
        int exitsBeforeEvent = -1;
        QObject context;
        QTimer::singleShot(20, &context, [&] { exitsBeforeEvent = callCount("UsbServer_Exit"); });
        QElapsedTimer wall;
        wall.start();

        if (quit)
            PostMsg::GetInstance()->PostChangeSize(1);
        else
            window->findChild<Dialog*>()->findChild<QToolButton*>("UpArrow")->click();

        QVERIFY(wall.elapsed() >= (quit ? DialogMain::quitWaitMs : Dialog::backWaitMs));
        QCOMPARE(exitsBeforeEvent, 0);
        QVERIFY(callCount("UsbServer_Exit") >= 1);
        if (quit)
            QVERIFY(!window->isVisible());
        else
            QCOMPARE(page(), 0);
    }

    // Reads never answered: the wait dialog waits its full time, the offline
    // notice asks for a reload, and once the device answers the online check
    // the pass starts again, over and over; none of it may spin.
    void unansweredReadsWaitWithoutSpinning()
    {
        hidsim::setReadsUnanswered(true);
        PostMsg* hub = PostMsg::GetInstance();
        QSignalSpy offline(hub, &PostMsg::SigMouseOffLineo);
        QSignalSpy closed(hub, &PostMsg::SigCloseOffOnline);

        // The waits and the offline notice end by themselves, round after round.
        testsupport::ModalAnswer dialogs({QStringLiteral("UpDataParam"), QStringLiteral("MouseOffLine")},
                                         testsupport::leaveToTheProgram(), 120000);
        // Two rounds take about 20 s. Past a minute the cycle is broken: the
        // dialogs are closed, so the test fails instead of hanging.
        bool stuck = false;
        QTimer watchdog;
        connect(&watchdog, &QTimer::timeout, [&] {
            stuck = true;
            watchdog.setInterval(1000);
            if (QWidget* modal = QApplication::activeModalWidget())
                modal->close();
        });
        watchdog.start(60000);

        openQ3();
        const double cpuAtStart = processCpuSeconds();
        QElapsedTimer wall;
        wall.start();
        double cpuShare = -1;
        QTimer::singleShot(10000, &watchdog, [&] {
            cpuShare = (processCpuSeconds() - cpuAtStart) / (double(wall.elapsed()) / 1000.0);
        });

        QTRY_VERIFY_WITH_TIMEOUT(cpuShare >= 0 && callCount("UsbServer_ReadAllFlashData") >= 2, 90000);
        QVERIFY2(cpuShare < kMaxCpuShare, qPrintable(QStringLiteral("CPU share %1").arg(cpuShare)));
        QVERIFY(!stuck);
        QCOMPARE(offline.value(0).value(0).toInt(), 1);
        QVERIFY(closed.count() >= 1);
        QCOMPARE(page(), 1);
    }

    // Reads never answered: the window takes clicks between two waits, so the
    // back arrow leaves the device (its connection closed) and the close
    // button quits; Escape on the wait dialog returns to the page. The wait
    // keeps its length; the acknowledgement steps and the online watch are
    // shortened, the free time between two waits is the real one.
    void unansweredOpeningCanBeLeft_data()
    {
        QTest::addColumn<bool>("escape");
        QTest::addColumn<bool>("quit");
        QTest::newRow("back arrow") << false << false;
        QTest::newRow("close button") << false << true;
        QTest::newRow("Escape, then the back arrow") << true << false;
    }

    void unansweredOpeningCanBeLeft()
    {
        QFETCH(bool, escape);
        QFETCH(bool, quit);
        useTimings(true);
        hidsim::setReadsUnanswered(true);
        PostMsg* hub = PostMsg::GetInstance();
        QSignalSpy offline(hub, &PostMsg::SigMouseOffLineo);
        testsupport::ModalAnswer modal(
            escape ? testsupport::pressKey(Qt::Key_Escape) : testsupport::ModalAnswer::Answer([](QDialog*) {}));

        openQ3();
        if (escape) {
            // Back on the page at once, whether or not the wait had begun
            // to decide.
            QTRY_VERIFY(modal.answeredCount() == 1 && !QApplication::activeModalWidget());
        } else {
            // The wait went unanswered and its notice closed once the
            // device answered the online check: the window is free now.
            QTRY_VERIFY(offline.count() >= 1 && !QApplication::activeModalWidget());
        }
        QCOMPARE(page(), 1);
        QVERIFY(window->isVisible());
        const int notices = offline.count();
        hidsim::clearCallLog();

        auto* device = window->findChild<Dialog*>();
        device->findChild<QToolButton*>(quit ? "CloseButton" : "UpArrow")->click();

        QVERIFY(callCount("UsbServer_Exit") >= 1);
        if (quit) {
            // The program ends with its window.
            QVERIFY(!window->isVisible());
            return;
        }
        QCOMPARE(page(), 0);
        QCOMPARE(deviceSessionActive, uint8_t(0));
        // Nothing of the device left follows: no wait, no notice.
        QTest::qWait(UpDataParam::waitTimerMs + 3 * Worker::onlineCheckIntervalMs + 12 * UpDataParam::stepMs);
        QVERIFY(!QApplication::activeModalWidget());
        QCOMPARE(offline.count(), notices);
    }
};

QUEMBREL_TEST_MAIN(WaitsTest)
#include "tst_waits.moc"
