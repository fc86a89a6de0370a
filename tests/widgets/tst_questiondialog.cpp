#include "support/dialogfixture.h"
#include "support/modalanswer.h"
#include "support/testsupport.h"

#include "core/languagetable.h"
#include "core/postmsg.h"
#include "widgets/macroname.h"
#include "widgets/questiondialog.h"

#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTextCodec>
#include <QToolButton>

using namespace testsupport;

class QuestionDialogTest : public QObject
{
    Q_OBJECT

    static QLineEdit* field(QuestionDialog& dialog) { return dialog.findChild<QLineEdit*>("lineEdit"); }

    static void commit(QWidget* target, const QString& text)
    {
        QInputMethodEvent event;
        event.setCommitString(text);
        QApplication::sendEvent(target, &event);
    }

private slots:
    void initTestCase()
    {
        // The byte limit counts the local 8-bit encoding; fix it for the test.
        QTextCodec::setCodecForLocale(QTextCodec::codecForName("UTF-8"));
        useSkinConfig();
    }

    void init() { fillLanguageTables(2); }

    void nameCleanup_data()
    {
        QTest::addColumn<QString>("edited");
        QTest::addColumn<QString>("expected");
        const QString han10 = QStringLiteral("一二三四五六七八九十");
        const QString smile = QStringLiteral("😀");
        QTest::newRow("trailing blank removes every blank") << "a b " << "ab";
        QTest::newRow("inner blank stays") << "a b" << "a b";
        QTest::newRow("only the last blank counts") << " ab" << " ab";
        QTest::newRow("pasted punctuation stays") << "a-b.c" << "a-b.c";
        QTest::newRow("31 ASCII cut to 30") << QString(31, 'x') << QString(30, 'x');
        QTest::newRow("exactly 30 bytes stays") << han10 << han10;
        QTest::newRow("11 CJK cut to 10") << han10 + QStringLiteral("一") << han10;
        QTest::newRow("letter after 30 bytes goes") << han10 + "a" << han10;
        QTest::newRow("28 bytes and a 3-byte character") << QString(14, QChar(0xE9)) + QStringLiteral("中")
                                                         << QString(14, QChar(0xE9));
        QTest::newRow("surrogate pair never split") << smile.repeated(8) << smile.repeated(7);
        QTest::newRow("30 letters and an emoji") << QString(30, 'a') + smile << QString(30, 'a');
        QTest::newRow("29 letters and an emoji") << QString(29, 'a') + smile + "b" << QString(29, 'a');
        QTest::newRow("letter keeps its accent or goes whole")
            << QString(29, 'a') + QStringLiteral("e\u0301") << QString(29, 'a');
        QTest::newRow("empty") << "" << "";
        // What the bytes would not give back goes.
        const QString bom(QChar::ByteOrderMark);
        QTest::newRow("byte order mark first") << bom + QStringLiteral("Jump") << "Jump";
        QTest::newRow("two byte order marks first") << bom + bom + "Jump" << "Jump";
        QTest::newRow("byte order mark first once blanks go") << bom + QStringLiteral(" Jump ") << "Jump";
        QTest::newRow("inner byte order mark stays") << "Ju" + bom + "mp" << "Ju" + bom + "mp";
        QTest::newRow("Thai letter and a lone low half") << QStringLiteral("\u0E01") + smile.at(1)
                                                          << QStringLiteral("\u0E01");
        QTest::newRow("lone high half after a letter") << "a" + smile.left(1) + "b" << "ab";
        QTest::newRow("lone half first") << smile.right(1) + bom + "a" << "a";
    }
    void nameCleanup()
    {
        QFETCH(QString, edited);
        QFETCH(QString, expected);
        const QString name = cleanMacroName(edited);
        QCOMPARE(name, expected);
        QVERIFY(name.toLocal8Bit().size() <= kMacroNameBytes);
        // Whole characters only: the bytes decode back to the same text.
        QCOMPARE(QString::fromLocal8Bit(name.toLocal8Bit()), name);
    }

    // The cut under both encodings: it ends on a whole character, and a
    // surrogate pair that does not fit whole is left out whole, wherever the
    // pair falls against the byte limit.
    void byteCut_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("maxBytes");
        QTest::addColumn<QString>("expected");
        const QString smile = QStringLiteral("😀");
        QTest::newRow("30 letters and an emoji") << QString(30, 'a') + smile << 30 << QString(30, 'a');
        QTest::newRow("30 letters, an emoji and more") << QString(30, 'a') + smile + "bc" << 30 << QString(30, 'a');
        QTest::newRow("26 letters and an emoji fit") << QString(26, 'a') + smile + "b" << 30
                                                      << QString(26, 'a') + smile;
        QTest::newRow("an emoji alone cut to 1 byte") << smile << 1 << "";
        QTest::newRow("emojis cut to 5 bytes") << smile + smile << 5 << smile;
        // A variation selector is a surrogate pair that belongs to the letter before it.
        const QString selector = QString::fromUcs4(U"\U000E0100");
        QTest::newRow("letter and its selector cut to 1 byte") << "a" + selector << 1 << "";
        QTest::newRow("30 letters and a selector") << QString(30, 'a') + selector << 30 << QString(29, 'a');
        // After some letters the grapheme finder puts a boundary between the
        // two halves of an emoji, and an encoder writes nothing for a first
        // half at the end: the half must not seem to fit.
        const QString ka = QStringLiteral("क");  // 3 bytes
        for (int maxBytes : {28, 29, 30})
            QTest::addRow("nine Devanagari letters and an emoji cut to %d bytes", maxBytes)
                << QString(9, ka.at(0)) + smile << maxBytes << QString(9, ka.at(0));
        QTest::newRow("a Thai letter and an emoji cut to 5 bytes") << QStringLiteral("ก") + smile << 5
                                                                  << QStringLiteral("ก");
    }
    void byteCut()
    {
        QFETCH(QString, text);
        QFETCH(int, maxBytes);
        QFETCH(QString, expected);
        QCOMPARE(cutToLocal8Bit(text, maxBytes), expected);
        QCOMPARE(cutToUtf8(text, maxBytes), expected);
    }

    void punctuationFilter_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("keyBlocked");
        QTest::addColumn<bool>("commitBlocked");
        QTest::newRow("-") << "-" << true << true;
        QTest::newRow("+") << "+" << true << false;
        QTest::newRow("fullwidth comma") << "，" << true << true;
        QTest::newRow("ideographic full stop") << "。" << true << true;
        QTest::newRow("middle dot") << "·" << false << true;
        QTest::newRow("backslash") << "\\" << true << false;
        QTest::newRow("both brackets together") << "【】" << false << false;
        QTest::newRow("letter") << "a" << false << false;
        QTest::newRow("hyphen among letters") << "a-" << false << false;
    }
    void punctuationFilter()
    {
        QFETCH(QString, text);
        QFETCH(bool, keyBlocked);
        QFETCH(bool, commitBlocked);
        QCOMPARE(isBlockedNameKeyText(text), keyBlocked);
        QCOMPARE(isBlockedNameCommitText(text), commitBlocked);

        QuestionDialog dialog;
        QLineEdit* edit = field(dialog);
        edit->setText("x");
        commit(edit, text);
        QCOMPARE(edit->text(), commitBlocked ? QStringLiteral("x") : "x" + text);
    }

    void typingIsFilteredAndCut()
    {
        QuestionDialog dialog;
        QLineEdit* edit = field(dialog);
        QTest::keyClicks(edit, "ab-c+d");
        QCOMPARE(edit->text(), QStringLiteral("abcd"));
        // A blank typed at the end goes at once; one typed inside stays ...
        QTest::keyClick(edit, Qt::Key_Space);
        QCOMPARE(edit->text(), QStringLiteral("abcd"));
        edit->setCursorPosition(2);
        QTest::keyClick(edit, Qt::Key_Space);
        QCOMPARE(edit->text(), QStringLiteral("ab cd"));
        QCOMPARE(edit->cursorPosition(), 5);
        // ... until a blank is typed at the end.
        QTest::keyClick(edit, Qt::Key_Space);
        QCOMPARE(edit->text(), QStringLiteral("abcd"));
        QTest::keyClicks(edit, QString(40, 'z'));
        QCOMPARE(edit->text(), QStringLiteral("abcd") + QString(26, 'z'));
        QCOMPARE(edit->cursorPosition(), 30);
    }

    void shiftLocksTheField()
    {
        QuestionDialog dialog;
        QLineEdit* edit = field(dialog);
        QTest::keyPress(&dialog, Qt::Key_Shift);
        QVERIFY(!edit->isEnabled());
        QTest::keyRelease(&dialog, Qt::Key_Shift);
        QVERIFY(edit->isEnabled());
    }

    void promptsFollowTheLanguage()
    {
        languageIndex = 1;
        QuestionDialog dialog;
        dialog.SetLabelText(false);
        QCOMPARE(dialog.findChild<QLabel*>("label")->text(), tableText("Question", 1, 0));
        dialog.SetLabelText(true);
        QCOMPARE(dialog.findChild<QLabel*>("label")->text(), tableText("Question", 1, 1));
        QCOMPARE(dialog.findChild<QToolButton*>("NewHong_2")->text(), tableText("Question", 1, 3));

        PostMsg::GetInstance()->PostAllLanguage(0);
        QCOMPARE(dialog.findChild<QToolButton*>("NewHong")->text(), tableText("Question", 0, 2));
        // The shown prompt stays until the caller sets it again.
        QCOMPARE(dialog.findChild<QLabel*>("label")->text(), tableText("Question", 1, 1));
        dialog.SetLabelText(true);
        QCOMPARE(dialog.findChild<QLabel*>("label")->text(), tableText("Question", 0, 1));
    }

    void nameAfterEachWayOut_data()
    {
        QTest::addColumn<QString>("way");
        QTest::addColumn<QString>("expected");
        QTest::newRow("OK") << "NewHong" << "Macro1";
        QTest::newRow("Cancel") << "NewHong_2" << "";
        QTest::newRow("close button") << "CloseButton" << "";
    }
    void nameAfterEachWayOut()
    {
        QFETCH(QString, way);
        QFETCH(QString, expected);
        QuestionDialog dialog;
        dialog.SetLabelText(false);
        bool openAfterKeys = false;
        ModalAnswer answer([&](QDialog* d) {
            QTest::keyClicks(d->findChild<QLineEdit*>("lineEdit"), "Macro1");
            // Neither Escape nor Return nor Enter ends the dialog.
            for (int key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter})
                QTest::keyClick(d, Qt::Key(key));
            testsupport::waitForShortcutClicks();
            openAfterKeys = d->isVisible();
            clickButton(way)(d);
        });
        dialog.exec();
        QVERIFY(!answer.forced());
        QVERIFY(openAfterKeys);
        QCOMPARE(dialog.macroName, expected);
    }
};

QUEMBREL_TEST_MAIN(QuestionDialogTest)
#include "tst_questiondialog.moc"
