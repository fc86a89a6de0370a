// A long run: opening and leaving a device page many times through the tile
// and the back button keeps no object and no hub connection per opening.
// Run by hand in a release build with QUEMBREL_LONGRUN_CYCLES=100, it also
// tells how much the resident memory grew over the cycles.
#include "support/devicefixture.h"
#include "support/dialogfixture.h"
#include "support/liveobjects.h"
#include "support/testsupport.h"

#include "buttons/buttoninterface.h"
#include "core/globals.h"
#include "core/postmsg.h"
#include "core/settings.h"
#include "core/worker.h"
#include "mainwindow/dialog.h"
#include "mainwindow/dialogchange.h"
#include "mainwindow/dialogmain.h"
#include "platform/hidusb/simcontrol.h"
#include "sensor/sensor.h"
#include "widgets/mytoolbuttonenter.h"
#include "widgets/updataparam.h"

#include <QFile>
#include <QMetaMethod>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTimer>
#include <QToolButton>

namespace {

const int kCycles = 50;

// Connections made to all of the hub's signals.
struct HubConnections : QObject
{
    static int count()
    {
        const QObject* hub = PostMsg::GetInstance();
        const QMetaObject& meta = PostMsg::staticMetaObject;
        int total = 0;
        for (int i = meta.methodOffset(); i < meta.methodCount(); ++i) {
            const QMetaMethod method = meta.method(i);
            if (method.methodType() != QMetaMethod::Signal)
                continue;
            const QByteArray signal = QByteArray::number(QSIGNAL_CODE) + method.methodSignature();
            total += (hub->*(&HubConnections::receivers))(signal.constData());
        }
        return total;
    }
};

// The process's resident set in KB, for the log of a run by hand.
qint64 residentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return 0;
}

} // namespace

class LongRunTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<DialogMain> window;
    UpDataParam* waitDialog = nullptr;
    QTimer answerTimer;

    int page() const { return window->findChild<QStackedWidget*>("stackedWidgetMain")->currentIndex(); }

    // The device page's wait dialog ends once the opening is complete: the
    // record arrived, the pass ended and everything the device sent is
    // delivered. Its own timer is kept out of the way, so the outcome never
    // hangs on how fast this machine is.
    void endWaitWhenOpened()
    {
        if (!waitDialog || !waitDialog->isVisible())
            return;
        if (!deviceRecordReceived || !deviceWorker || deviceWorker->isRunning() || !hidsim::waitForIdle(0))
            return;
        waitDialog->findChild<QTimer*>()->start(0);
    }

    void openAndLeave(int k)
    {
        auto* tile = window->findChild<mytoolButtonEnter*>(QStringLiteral("btn") + QString::number(k));
        QVERIFY(tile);
        QSignalSpy waitEnded(waitDialog, &QDialog::finished);
        tile->click();
        QCOMPARE(page(), 1);
        QVERIFY(waitEnded.count() == 1 || waitEnded.wait(10000));
        QVERIFY(deviceRecordReceived);
        QVERIFY(hidsim::waitForIdle());

        window->findChild<Dialog*>()->findChild<QToolButton*>("UpArrow")->click();
        QCOMPARE(page(), 0);
        QVERIFY(hidsim::waitForIdle());
        // The home page's old tiles go at the next turn of the event loop.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(testsupport::LiveObjects::available());
        QApplication::setQuitOnLastWindowClosed(false);
        DialogMain::homeReturnSleepMs = 1;
        DialogChange::openSleepMs = 1;
        Dialog::backWaitMs = 1;
        UpDataParam::waitTimerMs = 60 * 60 * 1000;
        UpDataParam::stepMs = 1;
        UpDataParam::settleSleepMs = 1;
        // The bus as the program finds it at start, without resetToDefaultBus:
        // the library then keeps no call log, as in a real run.
        testsupport::resetDeviceState();
        testsupport::fillLanguageTables();
        ConfigSettings::resetForTests();
        answerTimer.setInterval(1);
        connect(&answerTimer, &QTimer::timeout, this, &LongRunTest::endWaitWhenOpened);
    }

    void cleanupTestCase()
    {
        window.reset();
    }

    void openingAndLeavingKeepsNothing()
    {
        window = std::make_unique<DialogMain>();
        window->show();
        QCOMPARE(hubConnectFailures(), 0);
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* dialog = qobject_cast<UpDataParam*>(widget))
                waitDialog = dialog;
        }
        QVERIFY(waitDialog);
        answerTimer.start();
        QCOMPARE(foundDevices.size(), 2);

        // The first opening of each device may set up what lives for the
        // whole run, and each leaving leaves the home page's tiles of its
        // rescan: after that every cycle must keep nothing.
        const testsupport::LiveObjects objects;
        openAndLeave(0);
        openAndLeave(1);
        const int live = objects.count();
        const QStringList liveClasses = objects.classes();
        const int connections = HubConnections::count();
        const qint64 rss = residentKb();

        const int cycles = qEnvironmentVariableIsSet("QUEMBREL_LONGRUN_CYCLES")
            ? qEnvironmentVariableIntValue("QUEMBREL_LONGRUN_CYCLES")
            : kCycles;
        for (int cycle = 0; cycle < cycles; ++cycle) {
            openAndLeave(cycle % 2);
            if (QTest::currentTestFailed())
                return;
        }
        qInfo("%d cycles: resident memory %+lld KB", cycles, residentKb() - rss);
        QCOMPARE(objects.classes().join(QStringLiteral(", ")), liveClasses.join(QStringLiteral(", ")));
        QCOMPARE(objects.count(), live);
        QCOMPARE(HubConnections::count(), connections);
        // Nothing asked the library for its call log, as in a real run: it
        // kept none.
        QCOMPARE(hidsim::callLog().size(), 0);
        QCOMPARE(hidsim::recordsSent().size(), 0);
        answerTimer.stop();
    }
};

QUEMBREL_TEST_MAIN(LongRunTest)
#include "tst_longrun.moc"
