// The key-combination dialog: the capture field's rules on an injected
// clock, the modifier boxes and OK's count of items, and the hook's life
// with the dialog.
#include "support/dialogfixture.h"
#include "support/modalanswer.h"
#include "support/testsupport.h"

#include "buttons/groupkey.h"
#include "core/languagetable.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QtTest>

using namespace testsupport;

namespace {

// (virtual-key code, down, time in ms)
using Events = QVector<QVector<int>>;

constexpr int Q = 0x51, W = 0x57, E = 0x45, R = 0x52, F1 = 0x70, F12 = 0x7B, Esc = 0x1B, Shift = 0xA0,
              NumPlus = 0x6B, A = 0x41, B = 0x42;

// Feeds the hook events to the dialog's capture at their times.
void feed(GroupKey& dialog, const Events& events)
{
    qint64 now = 0;
    dialog.clock = [&now] { return now; };
    for (const QVector<int>& e : events) {
        now = e.at(2);
        QVERIFY(QMetaObject::invokeMethod(&dialog, "UpdateCapslockTip", Q_ARG(int, e.at(0)), Q_ARG(bool, e.at(1) != 0),
                                          Q_ARG(bool, false)));
    }
    dialog.clock = [] { return qint64(0); };
}

QString field(GroupKey& dialog)
{
    return dialog.findChild<QLineEdit*>("lineEdit")->text();
}

// A key from the keyboard: X11 key code, Qt key, keysym; held: pressed
// and kept down as Alt.
struct KeyPress
{
    quint32 scanCode;
    int qtKey;
    quint32 keysym;
    bool held = false;
};

} // namespace

Q_DECLARE_METATYPE(Events)
Q_DECLARE_METATYPE(QVector<KeyPress>)

class GroupKeyTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { useSkinConfig(); }
    void init() { fillLanguageTables(2); }

    void capture_data()
    {
        QTest::addColumn<Events>("events");
        QTest::addColumn<QString>("text");
        QTest::newRow("Q W E") << Events{{Q, 1, 0}, {W, 1, 100}, {E, 1, 1900}} << "Q+W+E";
        QTest::newRow("fourth key alone") << Events{{Q, 1, 0}, {W, 1, 10}, {E, 1, 20}, {R, 1, 30}} << "R";
        QTest::newRow("third key again") << Events{{Q, 1, 0}, {W, 1, 10}, {E, 1, 20}, {E, 1, 30}} << "E";
        QTest::newRow("W 2500 ms after Q") << Events{{Q, 1, 0}, {W, 1, 2500}} << "W";
        QTest::newRow("2000 ms is still the window") << Events{{Q, 1, 0}, {W, 1, 2000}} << "Q+W";
        QTest::newRow("held key") << Events{{Q, 1, 0}, {Q, 1, 500}, {Q, 1, 1500}, {Q, 1, 1990}} << "Q";
        QTest::newRow("held key past the window")
            << Events{{Q, 1, 0}, {Q, 1, 1900}, {Q, 1, 2001}, {W, 1, 2100}} << "Q+W";
        QTest::newRow("Q W Q") << Events{{Q, 1, 0}, {W, 1, 10}, {Q, 1, 20}} << "Q+W";
        QTest::newRow("F12 F1") << Events{{F12, 1, 0}, {F1, 1, 10}} << "F12+F1";
        QTest::newRow("Escape") << Events{{Esc, 1, 0}} << "Esc";
        QTest::newRow("key-ups change nothing") << Events{{Q, 1, 0}, {Q, 0, 10}, {Q, 1, 20}, {W, 0, 30}} << "Q";
        QTest::newRow("modifier adds nothing") << Events{{Shift, 1, 0}, {Q, 1, 10}} << "Q";
        QTest::newRow("modifier starts the window") << Events{{Shift, 1, 0}, {Q, 1, 2100}} << "Q";
        QTest::newRow("modifier empties a full field")
            << Events{{Q, 1, 0}, {W, 1, 10}, {E, 1, 20}, {Shift, 1, 30}} << "";
        QTest::newRow("Num+ is one name") << Events{{NumPlus, 1, 0}, {A, 1, 10}, {B, 1, 20}} << "Num++A+B";
        QTest::newRow("Num+ then a fourth") << Events{{NumPlus, 1, 0}, {A, 1, 10}, {B, 1, 20}, {Q, 1, 30}} << "Q";
        QTest::newRow("Num+ third") << Events{{A, 1, 0}, {B, 1, 10}, {NumPlus, 1, 20}} << "A+B+Num+";
    }

    void capture()
    {
        QFETCH(Events, events);
        QFETCH(QString, text);
        GroupKey dialog;
        feed(dialog, events);
        QCOMPARE(field(dialog), text);
    }

    void ok_data()
    {
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<Events>("keys");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("keyText");
        QTest::newRow("empty") << QStringList() << Events() << true << "";
        QTest::newRow("boxes alone, fixed order") << QStringList{"Ctrl", "Shift"} << Events() << true << "Shift+Ctrl";
        QTest::newRow("Shift Ctrl A") << QStringList{"Ctrl", "Shift"} << Events{{A, 1, 0}} << true << "Shift+Ctrl+A";
        QTest::newRow("three keys") << QStringList() << Events{{Q, 1, 0}, {W, 1, 1}, {E, 1, 2}} << true << "Q+W+E";
        QTest::newRow("Alt Num+") << QStringList{"Alt"} << Events{{NumPlus, 1, 0}} << true << "Alt+Num+";
        QTest::newRow("four boxes") << QStringList{"Shift", "Ctrl", "Alt", "Win"} << Events() << false << "";
        QTest::newRow("two boxes two keys") << QStringList{"Shift", "Win"} << Events{{Q, 1, 0}, {W, 1, 1}} << false
                                            << "";
        QTest::newRow("box and Num+ with two keys")
            << QStringList{"Ctrl"} << Events{{NumPlus, 1, 0}, {A, 1, 1}, {B, 1, 2}} << false << "";
    }

    void ok()
    {
        QFETCH(QStringList, boxes);
        QFETCH(Events, keys);
        QFETCH(bool, accepted);
        QFETCH(QString, keyText);
        GroupKey dialog;
        dialog.show();
        feed(dialog, keys);
        for (const QString& box : boxes)
            dialog.findChild<QCheckBox*>(box)->setChecked(true);
        QRect notice;
        ModalAnswer modal(inspectThen([&](QDialog* d) { notice = QRect(d->pos(), d->size()); },
                                      clickButton(QStringLiteral("NewHong"))));
        dialog.findChild<QToolButton*>("NewHong")->click();
        QCOMPARE(dialog.IsOk, accepted);
        QCOMPARE(dialog.isVisible(), !accepted);
        QCOMPARE(GroupKey::Hook::installed(), !accepted);
        if (accepted) {
            QCOMPARE(modal.answeredCount(), 0);
            QCOMPARE(dialog.KeyText, keyText);
            return;
        }
        // The notice covers the dialog; then the field is empty, the boxes
        // stay and the capture goes on.
        QCOMPARE(modal.answered(), QStringList{QStringLiteral("GroupMaxThree")});
        QCOMPARE(notice.topLeft(), dialog.mapToGlobal(QPoint(0, 0)));
        QCOMPARE(field(dialog), QString());
        for (const QString& box : boxes)
            QVERIFY(dialog.findChild<QCheckBox*>(box)->isChecked());
        feed(dialog, {{R, 1, 5}});
        QCOMPARE(field(dialog), QStringLiteral("R"));
    }

    void cancelAndClose_data()
    {
        QTest::addColumn<QString>("button");
        QTest::newRow("Cancel") << "NewHong_2";
        QTest::newRow("close") << "CloseButton";
    }

    void cancelAndClose()
    {
        QFETCH(QString, button);
        GroupKey dialog;
        dialog.show();
        QVERIFY(GroupKey::Hook::installed());
        feed(dialog, {{Q, 1, 0}});
        dialog.findChild<QToolButton*>(button)->click();
        QVERIFY(!dialog.IsOk);
        QVERIFY(dialog.KeyText.isEmpty());
        QVERIFY(!dialog.isVisible());
        QVERIFY(!GroupKey::Hook::installed());
    }

    // However the dialog goes, its callback goes with it.
    void destructorUnbinds()
    {
        {
            GroupKey dialog;
            QVERIFY(GroupKey::Hook::installed());
        }
        QVERIFY(!GroupKey::Hook::installed());
        QVERIFY(!GroupKey::Hook::data().callback);
    }

    // Real key events through the hook: Escape is captured and does not
    // close the dialog.
    void keysThroughTheHook()
    {
        GroupKey dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QWidget* target = QApplication::focusWidget();
        QVERIFY(target);
        QTest::keyClick(target, Qt::Key_Escape);
        QTest::keyClick(target, Qt::Key_Q);
        QVERIFY(dialog.isVisible());
        QCOMPARE(field(dialog), QStringLiteral("Esc+Q"));
    }

    // Keys from the keyboard, named by their place whatever the layout: the
    // Czech digit row, F10 and keys pressed with Alt held are captured.
    void physicalKeysThroughTheHook_data()
    {
        QTest::addColumn<QVector<KeyPress>>("keys");
        QTest::addColumn<QString>("text");
        QTest::newRow("Czech 2 3 Q") << QVector<KeyPress>{{11, 0x11A, 0x1ec}, {12, 0x160, 0x1b9}, {24, Qt::Key_Q, 0x71}}
                                     << "2+3+Q";
        QTest::newRow("F10") << QVector<KeyPress>{{76, Qt::Key_F10, 0xffc7}} << "F10";
        QTest::newRow("Alt held, Q and F4")
            << QVector<KeyPress>{{64, Qt::Key_Alt, 0xffe9, true}, {24, Qt::Key_Q, 0x71}, {70, Qt::Key_F4, 0xffc1}}
            << "Q+F4";
        QTest::newRow("AltGr held, Czech 2")
            << QVector<KeyPress>{{108, Qt::Key_AltGr, 0xfe03, true}, {11, Qt::Key_At, 0x40}} << "2";
    }

    void physicalKeysThroughTheHook()
    {
        QFETCH(QVector<KeyPress>, keys);
        QFETCH(QString, text);
        GroupKey dialog;
        dialog.clock = [] { return qint64(0); };
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QWidget* target = QApplication::focusWidget();
        QVERIFY(target);
        Qt::KeyboardModifiers held;
        auto send = [&](QEvent::Type type, const KeyPress& key) {
            QKeyEvent event(type, key.qtKey, held, key.scanCode, key.keysym, 0);
            QApplication::sendEvent(target, &event);
        };
        for (const KeyPress& key : keys) {
            send(QEvent::KeyPress, key);
            if (key.held)
                held |= Qt::AltModifier;
            else
                send(QEvent::KeyRelease, key);
        }
        QVERIFY(dialog.isVisible());
        QCOMPARE(field(dialog), text);
    }

    void pastedTextIsUpperCase()
    {
        GroupKey dialog;
        QVERIFY(QMetaObject::invokeMethod(&dialog, "on_lineEdit_textEdited", Q_ARG(QString, QStringLiteral("ctrl+a"))));
        QCOMPARE(field(dialog), QStringLiteral("CTRL+A"));
    }

    // OK takes only names a key has: a pasted unknown name is taken out of
    // the field and nothing is accepted until OK is pressed again.
    void pastedNamesOutsideTheTable_data()
    {
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<QString>("left");
        QTest::newRow("ctrl+a") << "ctrl+a" << "A";
        QTest::newRow("nothing known") << "hello" << "";
        QTest::newRow("empty name") << "a++b" << "A+B";
        QTest::newRow("upper-cased Num+") << "num+" << "";
        QTest::newRow("F1 and an upper-cased Tab") << "f1+tab" << "F1";
    }

    void pastedNamesOutsideTheTable()
    {
        QFETCH(QString, pasted);
        QFETCH(QString, left);
        GroupKey dialog;
        dialog.show();
        QVERIFY(QMetaObject::invokeMethod(&dialog, "on_lineEdit_textEdited", Q_ARG(QString, pasted)));
        auto* ok = dialog.findChild<QToolButton*>("NewHong");
        ok->click();
        QVERIFY(!dialog.IsOk);
        QVERIFY(dialog.isVisible());
        QCOMPARE(field(dialog), left);
        ok->click();
        QVERIFY(dialog.IsOk);
        QCOMPARE(dialog.KeyText, left);
    }

    void texts()
    {
        languageIndex = 1;
        GroupKey dialog;
        QCOMPARE(dialog.findChild<QLabel*>("label")->text(), tableText(QStringLiteral("groupKey"), 1, 0));
        QCOMPARE(dialog.findChild<QToolButton*>("NewHong")->text(), tableText(QStringLiteral("Question"), 1, 2));
        QCOMPARE(dialog.findChild<QToolButton*>("NewHong_2")->text(), tableText(QStringLiteral("Question"), 1, 3));
        QCOMPARE(dialog.findChild<QCheckBox*>("Shift")->text(), QStringLiteral("shift"));
        QVERIFY(dialog.windowFlags().testFlag(Qt::X11BypassWindowManagerHint));
        languageIndex = 0;
    }
};

QTEST_MAIN(GroupKeyTest)
#include "tst_groupkey.moc"
