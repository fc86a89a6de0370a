#include "support/testsupport.h"

#include "core/crashdump.h"
#include "core/product.h"

#include <QProcess>
#include <QRegularExpression>

#include <csignal>
#include <cstdlib>
#include <unistd.h>

// The child: the test binary run again with QUEMBREL_CRASH_CHILD set to a
// signal number. It installs the handler and dies of that signal before the
// test harness starts.
static int crashIfAsked()
{
    const QByteArray signalNumber = qgetenv("QUEMBREL_CRASH_CHILD");
    if (signalNumber.isEmpty())
        return 0;
    CrashDump::InstallFilter();
    const int sig = signalNumber.toInt();
    if (sig == SIGSEGV) {
        // A real fault rather than a raised signal.
        volatile int* volatile nowhere = reinterpret_cast<int*>(16);
        *nowhere = 1;
    }
    raise(sig);
    _exit(99);
}
static const int crashChild = crashIfAsked();

class CrashDumpTest : public QObject
{
    Q_OBJECT

    static QString dumpFolder() { return userDir() + "/Exception"; }

private slots:
    void crashLeavesOneDump_data()
    {
        QTest::addColumn<int>("signalNumber");
        QTest::newRow("SIGSEGV") << int(SIGSEGV);
        QTest::newRow("SIGABRT") << int(SIGABRT);
        QTest::newRow("SIGFPE") << int(SIGFPE);
    }

    void crashLeavesOneDump()
    {
        QFETCH(int, signalNumber);
        QCOMPARE(crashChild, 0);
        // The folders are gone: the handler makes them again.
        QDir(QDir::homePath() + "/AppData").removeRecursively();

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QUEMBREL_CRASH_CHILD", QString::number(signalNumber));
        // The sanitizers must leave the fatal signals to our handler.
        env.insert("ASAN_OPTIONS", "handle_segv=0:handle_sigbus=0:handle_sigfpe=0:handle_sigill=0:handle_abort=0:detect_leaks=0");
        env.insert("UBSAN_OPTIONS", "handle_segv=0:handle_sigfpe=0");
        QProcess child;
        child.setProcessEnvironment(env);
        const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
        child.start(QCoreApplication::applicationFilePath(), QStringList());
        QVERIFY(child.waitForFinished(30000));
        const QDateTime after = QDateTime::currentDateTime().addSecs(1);
        // It still dies of the signal, as it would without the handler.
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);
        QCOMPARE(child.exitCode(), signalNumber);

        const QFileInfoList dumps = QDir(dumpFolder()).entryInfoList(QDir::Files);
        QCOMPARE(dumps.size(), 1);
        const QString name = dumps.first().fileName();
        QVERIFY2(QRegularExpression("^\\d{4}(_\\d\\d){5}\\.dmp$").match(name).hasMatch(), qPrintable(name));
        const QDateTime stamp = QDateTime::fromString(name.left(19), "yyyy_MM_dd_hh_mm_ss");
        QVERIFY2(stamp >= before.addMSecs(-before.time().msec()) && stamp <= after, qPrintable(name));

        QFile dump(dumps.first().absoluteFilePath());
        QVERIFY(dump.open(QIODevice::ReadOnly));
        const QByteArray contents = dump.readAll();
        QVERIFY(contents.startsWith("Quembrel crash dump\nsignal " + QByteArray::number(signalNumber) + "\n"));
        QVERIFY(contents.contains("backtrace:\n"));
        QVERIFY(contents.count('\n') > 5);
    }
};

QUEMBREL_TEST_MAIN(CrashDumpTest)
#include "tst_crashdump.moc"
