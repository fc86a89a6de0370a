// The modal guard of every test: a dialog in exec() that nobody answers fails
// the running test within the guard's delay, named by class and title, and is
// closed so that the test ends; a dialog a ModalAnswer answers is left alone,
// however long its answer takes, and so is a modal window shown without exec().
#include "support/modalanswer.h"
#include "support/modalguard.h"
#include "support/testsupport.h"

#include <QDialog>
#include <QMessageBox>
#include <QProcess>

#include <cstdio>

namespace {

const char* const kChildVar = "QUEMBREL_MODALGUARD_CHILD";
const int kChildDelayMs = 300;

} // namespace

// Runs in a child process: the functions that must fail do.
class GuardedTests : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        testsupport::setModalGuardDelayMs(kChildDelayMs);
    }

    void unansweredMessageBox()
    {
        QMessageBox box(QMessageBox::Question, QStringLiteral("Left alone"), QStringLiteral("Nobody answers"),
                        QMessageBox::Yes | QMessageBox::No);
        box.setObjectName(QStringLiteral("lonely"));
        box.exec();
        std::printf("exec returned\n");
    }

    // The answers run out: the second dialog is nobody's.
    void dialogAfterTheLastAnswer()
    {
        testsupport::ModalAnswer answer(testsupport::closeWindow());
        QDialog first;
        first.setWindowTitle(QStringLiteral("First"));
        first.exec();
        QDialog second;
        second.setWindowTitle(QStringLiteral("Second"));
        second.exec();
        std::printf("exec returned\n");
    }

    // Answered by class: every one that shows, and a list leaves them alone.
    void answeredByClass()
    {
        testsupport::ModalAnswer boxes({QStringLiteral("QMessageBox")}, [](QDialog* dialog) {
            QTimer::singleShot(3 * kChildDelayMs, dialog, &QDialog::reject);
        });
        testsupport::ModalAnswer list(testsupport::closeWindow());
        for (int i = 0; i < 2; ++i) {
            QMessageBox box(QMessageBox::Information, QStringLiteral("Box"), QStringLiteral("Closed by its answer"));
            box.exec();
        }
        QDialog other;
        other.exec();
        QCOMPARE(boxes.answeredCount(), 2);
        QVERIFY(boxes.allAnswered() && list.allAnswered());
    }

    // Shown without exec(), a modal dialog blocks no test.
    void modalShownWithoutExec()
    {
        QDialog dialog;
        dialog.setModal(true);
        dialog.show();
        QTest::qWait(5 * kChildDelayMs);
        QVERIFY(dialog.isVisible());
    }

    // A modal dialog shown without exec() from inside another's exec().
    void modalShownInsideAnotherExec()
    {
        QDialog inner;
        testsupport::ModalAnswer outerAnswer([&inner](QDialog* outer) {
            inner.setModal(true);
            inner.show();
            QTimer::singleShot(5 * kChildDelayMs, outer, &QDialog::accept);
        });
        QDialog outer;
        QCOMPARE(outer.exec(), int(QDialog::Accepted));
        QVERIFY(inner.isVisible());
    }

    // An answer that closes its dialog only well after the guard's delay.
    void answeredSlowly()
    {
        testsupport::ModalAnswer answer([](QDialog* dialog) {
            QTimer::singleShot(5 * kChildDelayMs, dialog, &QDialog::accept);
        });
        QDialog dialog;
        dialog.setWindowTitle(QStringLiteral("Answered"));
        QCOMPARE(dialog.exec(), int(QDialog::Accepted));
        // Shown again, the same dialog is answered again.
        testsupport::ModalAnswer again([](QDialog* dialog) {
            QTimer::singleShot(5 * kChildDelayMs, dialog, &QDialog::reject);
        });
        QCOMPARE(dialog.exec(), int(QDialog::Rejected));
        QVERIFY(answer.allAnswered() && again.allAnswered());
    }

};

class ModalGuardTest : public QObject
{
    Q_OBJECT
private slots:
    void guard_data()
    {
        QTest::addColumn<QString>("function");
        QTest::addColumn<bool>("passes");
        QTest::addColumn<QString>("report");
        QTest::newRow("message box") << "unansweredMessageBox" << false
                                     << "dialog QMessageBox \"Left alone\" (lonely) left unanswered";
        QTest::newRow("after the last answer") << "dialogAfterTheLastAnswer" << false
                                               << "dialog QDialog \"Second\" left unanswered";
        QTest::newRow("modal without exec") << "modalShownWithoutExec" << true << "";
        QTest::newRow("modal without exec inside an exec") << "modalShownInsideAnotherExec" << true << "";
        QTest::newRow("answered slowly") << "answeredSlowly" << true << "";
        QTest::newRow("answered by class") << "answeredByClass" << true << "";
    }
    void guard()
    {
        QFETCH(QString, function);
        QFETCH(bool, passes);
        QFETCH(QString, report);
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(kChildVar, "1");
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QCoreApplication::applicationFilePath(), {function});
        // A guard that did not close the window would leave the child hanging.
        QVERIFY(child.waitForFinished(120000));
        const QString output = QString::fromLocal8Bit(child.readAll());
        QVERIFY2(child.exitStatus() == QProcess::NormalExit, qPrintable(output));
        QVERIFY2((child.exitCode() == 0) == passes, qPrintable(output));
        if (passes)
            return;
        QVERIFY2(output.contains(QStringLiteral("FAIL!  : GuardedTests::") + function + "() " + report),
                 qPrintable(output));
        // Closed, the window let the test run on to its end.
        QVERIFY2(output.contains(QStringLiteral("\nexec returned\n")), qPrintable(output));
    }
};

int main(int argc, char** argv)
{
    testsupport::isolateHome();
    QApplication app(argc, argv);
    if (qEnvironmentVariableIsSet(kChildVar)) {
        GuardedTests child;
        return QTest::qExec(&child, argc, argv);
    }
    ModalGuardTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_modalguard.moc"
