#include "support/modalanswer.h"
#include "support/testsupport.h"

#include "core/globals.h"
#include "core/postmsg.h"
#include "mainwindow/dialog.h"
#include "platform/hidusb/simcontrol.h"
#include "widgets/updataparam.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QSignalSpy>
#include <QToolButton>

#include <csignal>
#include <thread>

class DialogTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<Dialog> frame;

    template <typename T>
    T* child(const char* name) const
    {
        return frame->findChild<T*>(name);
    }

    QList<QToolButton*> pageButtons() const
    {
        return {child<QToolButton>("ButtonMain"), child<QToolButton>("SensorButton"),
                child<QToolButton>("MacroButton"), child<QToolButton>("FormSetting"),
                child<QToolButton>("LightsButton")};
    }

    // The device-data callback's thread: a blocking-queued emit from there,
    // while this (GUI) thread serves it.
    static void fromLibraryThread(const std::function<void()>& emitter)
    {
        std::atomic<bool> done{false};
        std::thread thread([&] {
            emitter();
            done = true;
        });
        QTRY_VERIFY(done);
        thread.join();
    }

    // An open device whose configuration is expected and never acknowledged.
    static void expectUnansweredData()
    {
        sensorPageUpdated = buttonPageUpdated = 0;
        deviceDataExpected = 1;
        deviceSessionActive = 1;
    }

private slots:
    void initTestCase()
    {
        UpDataParam::waitTimerMs = 1;
        UpDataParam::stepMs = 5;
        UpDataParam::settleSleepMs = 1;
        Dialog::backWaitMs = 1;
        Dialog::unansweredPauseMs = 1;
    }

    void init()
    {
        hidsim::resetToDefaultBus();
        resetHubConnectFailures();
        std::signal(SIGABRT, SIG_DFL);
        frame = std::make_unique<Dialog>();
        frame->show();
    }

    void cleanup()
    {
        frame.reset();
        deviceSessionActive = 0;
    }

    void buildsTheFrame()
    {
        QCOMPARE(hubConnectFailures(), 0);
        QCOMPARE(frame->size(), QSize(1020, 700));
        QVERIFY(frame->windowFlags() & Qt::FramelessWindowHint);
        QVERIFY(child<QToolButton>("ButtonMain")->isChecked());
        QVERIFY(!child<QToolButton>("LightsButton")->isVisible());
        QVERIFY(!child<QLabel>("label_2")->isVisible());
        QVERIFY(!child<QLabel>("label")->isVisible());
        // The crash handler is in place.
        struct sigaction action;
        QCOMPARE(sigaction(SIGABRT, nullptr, &action), 0);
        QVERIFY(action.sa_handler != SIG_DFL);
    }

    void battery_data()
    {
        QTest::addColumn<bool>("charging");
        QTest::addColumn<int>("percent");
        QTest::addColumn<bool>("red");
        QTest::newRow("15 % is low") << false << 15 << true;
        QTest::newRow("16 % is not") << false << 16 << false;
        QTest::newRow("empty") << false << 0 << true;
        QTest::newRow("charging, low") << true << 5 << true;
        QTest::newRow("charging, full") << true << 100 << false;
    }

    void battery()
    {
        QFETCH(bool, charging);
        QFETCH(int, percent);
        QFETCH(bool, red);
        fromLibraryThread([=] { PostMsg::GetInstance()->PostBattery(charging, percent, true); });
        auto* bar = child<QProgressBar>("progressBar");
        QCOMPARE(bar->value(), percent);
        QCOMPARE(bar->styleSheet().contains("rgb(152, 43, 34)"), red);
        QCOMPARE(bar->styleSheet().contains("rgb(0, 255, 153)"), !red);
        QCOMPARE(child<QLabel>("label")->isVisible(), charging);
        QCOMPARE(child<QLabel>("label_2")->text(), QString::number(percent) + "%");
        QVERIFY(!child<QLabel>("label_2")->isVisible());
    }

    void recordingLocksThePageButtons()
    {
        PostMsg* hub = PostMsg::GetInstance();
        hub->PostStartRecord(0);
        for (QToolButton* button : pageButtons())
            QVERIFY(!button->isEnabled());
        hub->PostStartRecord(2);
        for (QToolButton* button : pageButtons())
            QVERIFY(!button->isEnabled());
        hub->PostStartRecord(1);
        for (QToolButton* button : pageButtons())
            QVERIFY(button->isEnabled());
    }

    void waitDialogKeepsItsPageMode()
    {
        PostMsg* hub = PostMsg::GetInstance();
        QSignalSpy offline(hub, &PostMsg::SigMouseOffLineo);
        expectUnansweredData();
        // Each wait ends by itself.
        testsupport::ModalAnswer waits({QStringLiteral("UpDataParam")}, testsupport::leaveToTheProgram());

        // Before any 1: the device-data wait, whose notice is 1.
        hub->PostUpDataParam(0);
        QCOMPARE(frame->waitDialog->waitForPages, uint8_t(0));
        QCOMPARE(offline.size(), 1);
        // 1 switches to the page wait; a later 0 keeps it. Each unanswered
        // wait leaves the window free for a while before the next shows.
        hub->PostUpDataParam(1);
        QTRY_COMPARE(offline.size(), 2);
        hub->PostUpDataParam(0);
        QTRY_COMPARE(offline.size(), 3);
        QCOMPARE(frame->waitDialog->waitForPages, uint8_t(1));
        QCOMPARE(offline[0].first().toInt(), 1);
        QCOMPARE(offline[1].first().toInt(), 0);
        QCOMPARE(offline[2].first().toInt(), 0);
    }

    // A pass that sees the device change twice asks for the wait twice. While
    // the wait is counting, the second request only starts the count over and
    // takes its index; one that comes while the wait decides (its offline
    // notice up) gets a showing of its own once the first has returned. The
    // dialog is never entered twice.
    void furtherRequestsNeverEnterTheWaitTwice_data()
    {
        QTest::addColumn<bool>("whileDeciding");
        QTest::addColumn<int>("showings");
        QTest::newRow("while the wait counts") << false << 1;
        QTest::newRow("while its notice is up") << true << 2;
    }

    void furtherRequestsNeverEnterTheWaitTwice()
    {
        QFETCH(bool, whileDeciding);
        QFETCH(int, showings);
        PostMsg* hub = PostMsg::GetInstance();
        QSignalSpy offline(hub, &PostMsg::SigMouseOffLineo);
        expectUnansweredData();
        const int timerMs = UpDataParam::waitTimerMs;
        UpDataParam::waitTimerMs = 200;
        static QStringList warnings;
        warnings.clear();
        const QtMessageHandler previous = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&,
                                                                    const QString& text) {
            // Qt warns when a dialog's exec() is entered a second time.
            if (type != QtDebugMsg && text.contains("exec"))
                warnings.append(text);
        });
        QElapsedTimer sincePosts;
        const auto postTwice = [&] {
            hub->PostUpDataParam(0);
            hub->PostUpDataParam(1);
            sincePosts.start();
        };
        QMetaObject::Connection fromNotice;
        if (whileDeciding) {
            fromNotice = connect(hub, &PostMsg::SigMouseOffLineo, this, [&] {
                disconnect(fromNotice);
                postTwice();
            });
        }
        testsupport::ModalAnswer modal(QList<testsupport::ModalAnswer::Answer>{
            [&](QDialog*) {
                if (!whileDeciding)
                    postTwice();
            },
            [](QDialog*) {}});

        hub->PostUpDataParam(0);
        QTRY_COMPARE(offline.size(), showings);
        const qint64 decidedAfter = sincePosts.elapsed();
        qInstallMessageHandler(previous);
        UpDataParam::waitTimerMs = timerMs;

        QCOMPARE(modal.answeredCount(), showings);
        QVERIFY2(warnings.isEmpty(), qPrintable(warnings.join('\n')));
        // The later request's index holds: the page wait, whose notice is 0.
        QCOMPARE(frame->waitDialog->waitForPages, uint8_t(1));
        QCOMPARE(offline.last().first().toInt(), 0);
        // The count started over at the second request (a coarse timer may
        // end 5 % early).
        if (!whileDeciding)
            QVERIFY2(decidedAfter >= 190, qPrintable(QString::number(decidedAfter)));
        QTest::qWait(50);
        QCOMPARE(offline.size(), showings);
    }

    // Leaving the device drops a wait still to come, ends one that counts (the
    // device gone meanwhile), and a wait that Escape put away decides nothing
    // any more.
    void leavingDropsTheWaitToCome()
    {
        PostMsg* hub = PostMsg::GetInstance();
        QSignalSpy offline(hub, &PostMsg::SigMouseOffLineo);
        expectUnansweredData();
        const int pauseMs = Dialog::unansweredPauseMs;
        Dialog::unansweredPauseMs = 60000;
        testsupport::ModalAnswer modal(QList<testsupport::ModalAnswer::Answer>{
            [](QDialog*) {}, [hub](QDialog*) { hub->PostSecondPageChange(); },
            testsupport::pressKey(Qt::Key_Escape)});

        hub->PostUpDataParam(0);  // decides unanswered: the window is left free
        QCOMPARE(offline.size(), 1);
        hub->PostUpDataParam(0);  // waits for the pause
        QVERIFY(frame->unansweredPause->isActive());
        QVERIFY(frame->waitRequested);
        hub->PostSecondPageChange();
        QVERIFY(!frame->unansweredPause->isActive());
        QVERIFY(!frame->waitRequested);

        Dialog::unansweredPauseMs = pauseMs;
        const int timerMs = UpDataParam::waitTimerMs;
        UpDataParam::waitTimerMs = 60000;
        // Left while the wait counts: the dialog closes, nothing is decided.
        hub->PostUpDataParam(0);
        QCOMPARE(modal.answeredCount(), 2);
        QVERIFY(!frame->waitDialog->isVisible());
        QCOMPARE(frame->waitDialog->restartWait(), false);
        // Escape returns to the page before the decision; leaving then stops it.
        hub->PostUpDataParam(0);
        UpDataParam::waitTimerMs = timerMs;
        QCOMPARE(modal.answeredCount(), 3);
        QVERIFY(!frame->waitDialog->isVisible());
        child<QToolButton>("UpArrow")->click();
        QCOMPARE(frame->waitDialog->restartWait(), false);
        QCOMPARE(offline.size(), 1);

        // A device left asks for no wait.
        deviceSessionActive = 0;
        hub->PostUpDataParam(0);
        QCOMPARE(offline.size(), 1);
        QVERIFY(!frame->waitRequested);
    }

    void escapeDoesNotCloseTheFrame()
    {
        QTest::keyClick(frame.get(), Qt::Key_Escape);
        QTest::keyClick(frame.get(), Qt::Key_F12);
        QVERIFY(frame->isVisible());
    }
};

QUEMBREL_TEST_MAIN(DialogTest)
#include "tst_dialog.moc"
