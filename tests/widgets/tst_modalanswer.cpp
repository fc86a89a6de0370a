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
