#include "support/modalanswer.h"
#include "support/testsupport.h"

#include "core/globals.h"
#include "core/postmsg.h"
#include "mainwindow/dialog.h"
#include "platform/hidusb/simcontrol.h"
#include "widgets/updataparam.h"

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

private slots:
    void initTestCase()
    {
        UpDataParam::waitTimerMs = 1;
        UpDataParam::stepMs = 5;
        UpDataParam::settleSleepMs = 1;
        Dialog::backWaitMs = 1;
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
        sensorPageUpdated = buttonPageUpdated = 0;
        deviceDataExpected = 1;
        // Each wait ends by itself.
        testsupport::ModalAnswer waits({QStringLiteral("UpDataParam")}, testsupport::leaveToTheProgram());

        // Before any 1: the device-data wait, whose notice is 1.
        hub->PostUpDataParam(0);
        QCOMPARE(frame->waitDialog->waitForPages, uint8_t(0));
        // 1 switches to the page wait; a later 0 keeps it.
        hub->PostUpDataParam(1);
        hub->PostUpDataParam(0);
        QCOMPARE(frame->waitDialog->waitForPages, uint8_t(1));
        QCOMPARE(offline.size(), 3);
        QCOMPARE(offline[0].first().toInt(), 1);
        QCOMPARE(offline[1].first().toInt(), 0);
        QCOMPARE(offline[2].first().toInt(), 0);
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
