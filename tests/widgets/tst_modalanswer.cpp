#include "support/dialogfixture.h"
#include "support/modalanswer.h"
#include "support/testsupport.h"

#include "widgets/confirmations.h"
#include "widgets/notices.h"

using namespace testsupport;

namespace {

// A window whose constructor already runs a notice, as the main window's
// first device scan may.
class ShowsNoticeWhileBuilt : public QWidget
{
public:
    ShowsNoticeWhileBuilt()
    {
        QuestiondialogB notice;
        notice.exec();
    }
};

} // namespace

class ModalAnswerTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        useSkinConfig();
        fillLanguageTables(1);
    }

    void answersDialogsInOrder()
    {
        RePair question;
        ModalAnswer answer({clickButton("OK"), clickButton("NewHong")});
        question.exec();
        MakeMacro notice;
        notice.exec();
        QCOMPARE(answer.answered(), (QStringList{"RePair", "MakeMacro"}));
        QVERIFY(answer.allAnswered());
        QVERIFY(question.okClicked);
    }

    // A dialog that closes itself before its answer could run still takes
    // its place in the order: the next dialog gets the next answer.
    void aDialogClosingAtOnceKeepsItsPlace()
    {
        ModalAnswer answer({[](QDialog*) {}, clickButton("OK")});
        MakeMacro brief;
        // Posted before the dialog shows, so it runs before the answer.
        QTimer::singleShot(0, &brief, &QDialog::reject);
        brief.exec();
        RePair question;
        question.exec();
        QCOMPARE(answer.answered(), (QStringList{"MakeMacro", "RePair"}));
        QVERIFY(answer.allAnswered());
        QVERIFY(question.okClicked);
    }

    // A dialog opened from inside another before the outer one's answer ran:
    // each still gets the answer of its turn.
    void nestedDialogsAnswerInTheOrderShown()
    {
        RePair outer;
        MakeMacro inner;
        QTimer::singleShot(0, &outer, [&] { inner.exec(); });
        ModalAnswer answer({clickButton("OK"), clickButton("NewHong")});
        outer.exec();
        QCOMPARE(answer.answered(), (QStringList{"RePair", "MakeMacro"}));
        QVERIFY(answer.allAnswered());
        QVERIFY(outer.okClicked);
        QVERIFY(!inner.isVisible());
    }

    void answersADialogShownInsideAConstructor()
    {
        ModalAnswer answer(clickButton("CloseButton"));
        ShowsNoticeWhileBuilt window;
        QCOMPARE(answer.answered(), QStringList{"QuestiondialogB"});
    }

    void closesADialogItsAnswerLeftOpen()
    {
        DeleteConfirm question;
        QTest::ignoreMessage(QtWarningMsg, "ModalAnswer: DeleteConfirm still open, closing it");
        ModalAnswer answer([](QDialog*) {}, 100);
        question.exec();
        QVERIFY(answer.forced());
        QVERIFY(!question.okClicked);
    }

    void closesADialogNoAnswerWasGivenFor()
    {
        QTest::ignoreMessage(QtWarningMsg, "ModalAnswer: MakeMacro still open, closing it");
        ModalAnswer answer(QList<ModalAnswer::Answer>{}, 100);
        MakeMacro notice;
        notice.exec();
        QVERIFY(answer.forced());
    }
};

QUEMBREL_TEST_MAIN(ModalAnswerTest)
#include "tst_modalanswer.moc"
