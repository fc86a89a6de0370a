// The macro editor's two small dialogs: the delay entry with its range and
// results, and the single-key capture through its own copy of the keyboard
// hook, with Escape and F12 captured rather than closing it.
#include "support/buttonfixture.h"
#include "support/dialogfixture.h"
#include "support/modalanswer.h"
#include "support/testsupport.h"
#include "support/widgetprobe.h"

#include "core/languagetable.h"
#include "core/postmsg.h"
#include "macro/adddelaytime.h"
#include "macro/addkey.h"
#include "widgets/dialogframe.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QToolButton>
#include <QtTest>

using namespace testsupport;

namespace {

QString field(QWidget* dialog)
{
    return child<QLineEdit>(dialog, "lineEdit")->text();
}

void hookEvent(addKey& dialog, int vk, bool down = true)
{
    QVERIFY(QMetaObject::invokeMethod(&dialog, "UpdateCapslockTip", Q_ARG(int, vk), Q_ARG(bool, down),
                                      Q_ARG(bool, false)));
}

// A key press and release as the X server gives them, with its keysym.
void sendKey(int key, quint32 keysym, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QWidget* target = QApplication::focusWidget();
    QVERIFY(target);
    for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
        QKeyEvent event(type, key, modifiers, 0, keysym, 0);
        QApplication::sendEvent(target, &event);
    }
}

// Types into the spin box as a user would, over its whole text.
void typeDelay(AddDelayTime& dialog, const QString& keys)
{
    auto* spin = child<QSpinBox>(&dialog, "spinBox");
    spin->selectAll();
    QTest::keyClick(spin, Qt::Key_Delete);
    QTest::keyClicks(spin, keys);
}

// The skin both dialogs share, with the colours of useSkinConfig().
void checkSkin(QDialog& dialog, const char* frame, const char* entry, const QString& entryRule)
{
    QCOMPARE(int(dialog.windowFlags() & ~Qt::Window), kDialogWindowFlags);
    QCOMPARE(dialog.size(), QSize(300, 140));
    const QString dir = warningPictureDir();
    QCOMPARE(child<QFrame>(&dialog, frame)->styleSheet(), frameStyleSheet(QLatin1String(frame), dir));
    QVERIFY(child<QFrame>(&dialog, frame)->styleSheet().contains(dir + "BackGround.png"));
    QCOMPARE(child<QLabel>(&dialog, "label")->styleSheet(), QStringLiteral("QLabel{color: rgb(1,2,3);}"));
    for (const char* button : {"NewHong", "NewHong_2"})
        QVERIFY(child<QToolButton>(&dialog, button)->styleSheet().contains(dir + "Confirm.png"));
    QVERIFY(child<QToolButton>(&dialog, "NewHong")->styleSheet().contains("rgb(4,5,6)"));
    QVERIFY(child<QToolButton>(&dialog, "CloseButton")->styleSheet().contains(dir + "CloseHover.png"));
    QCOMPARE(child<QWidget>(&dialog, entry)->styleSheet(), entryRule);
    // Fonts follow the screen, the entry field's too.
    QCOMPARE(child<QLabel>(&dialog, "label")->font().pointSizeF(), 11 * screenFontFactor());
    QCOMPARE(child<QWidget>(&dialog, entry)->font().pointSizeF(), 12 * screenFontFactor());
}

// Each dialog's label reads its own section; OK and Cancel the shared texts.
void checkTexts(QDialog& dialog, const LanguageTable& table, int language)
{
    QVERIFY(!table.text(language, 0).isEmpty());
    QCOMPARE(child<QLabel>(&dialog, "label")->text(), table.text(language, 0));
    QCOMPARE(child<QToolButton>(&dialog, "NewHong")->text(), QuestionTexts.text(language, kConfirmTextItem));
    QCOMPARE(child<QToolButton>(&dialog, "NewHong_2")->text(), QuestionTexts.text(language, kCancelTextItem));
    QVERIFY(!child<QToolButton>(&dialog, "NewHong")->text().isEmpty());
}

} // namespace

class MacroDialogsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { useSkinConfig(); }
    void init()
    {
        loadInstalledLanguages();
        languageIndex = 0;
    }
    void cleanup() { QVERIFY(!addKey::Hook::installed()); }

    // ---- Delay entry ------------------------------------------------------------

    void delayOkWithoutTyping()
    {
        AddDelayTime dialog;
        QVERIFY(!dialog.isOk);
        QCOMPARE(dialog.delayTime, 0);
        ModalAnswer answer(clickButton(QStringLiteral("NewHong")));
        QCOMPARE(dialog.exec(), int(QDialog::Rejected));
        QVERIFY(answer.allAnswered());
        QVERIFY(dialog.isOk);
        QCOMPARE(dialog.delayTime, 10);
    }

    // What can be typed stays in 10..65535, and OK takes what is shown.
    void delayCap_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("delay");
        QTest::newRow("250") << "250" << 250;
        QTest::newRow("the cap") << "65535" << 65535;
        QTest::newRow("a digit past the cap is refused") << "65536" << 6553;
        QTest::newRow("99999") << "99999" << 9999;
        QTest::newRow("six digits") << "123456" << 12345;
        QTest::newRow("below the floor") << "5" << 10;
        QTest::newRow("nothing") << "" << 10;
        QTest::newRow("letters and signs") << "-a+" << 10;
    }
    void delayCap()
    {
        QFETCH(QString, typed);
        QFETCH(int, delay);
        AddDelayTime dialog;
        typeDelay(dialog, typed);
        child<QToolButton>(&dialog, "NewHong")->click();
        QVERIFY(dialog.isOk);
        QCOMPARE(dialog.delayTime, delay);
        QCOMPARE(child<QSpinBox>(&dialog, "spinBox")->text(), QString::number(delay));
    }

    // A half-typed entry never hands back an older value than it shows.
    void delayHalfTypedAfterAValue()
    {
        AddDelayTime dialog;
        typeDelay(dialog, "123");
        QTest::keyClick(child<QSpinBox>(&dialog, "spinBox"), Qt::Key_Backspace);
        QTest::keyClick(child<QSpinBox>(&dialog, "spinBox"), Qt::Key_Backspace);
        child<QToolButton>(&dialog, "NewHong")->click();
        QCOMPARE(dialog.delayTime, 10);
    }

    void delayCancel_data()
    {
        QTest::addColumn<QString>("way");
        QTest::newRow("Cancel") << "NewHong_2";
        QTest::newRow("close") << "CloseButton";
        QTest::newRow("Escape") << "Escape";
        QTest::newRow("window manager") << "window";
    }
    void delayCancel()
    {
        QFETCH(QString, way);
        AddDelayTime dialog;
        typeDelay(dialog, "500");
        ModalAnswer answer(way == "Escape"   ? pressKey(Qt::Key_Escape)
                           : way == "window" ? closeWindow()
                                             : clickButton(way));
        QCOMPARE(dialog.exec(), int(QDialog::Rejected));
        QVERIFY(answer.allAnswered());
        QVERIFY(!dialog.isVisible());
        QVERIFY(!dialog.isOk);
        QCOMPARE(dialog.delayTime, 0);
    }

    // Shown, the dialog is active with the spin box focused, so typed keys
    // reach it.
    void delayTakesKeysWhenShown()
    {
        AddDelayTime dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QWidget* focus = QApplication::focusWidget();
        QVERIFY(focus);
        QVERIFY(focus == child<QSpinBox>(&dialog, "spinBox") || child<QSpinBox>(&dialog, "spinBox")->isAncestorOf(focus));
        child<QSpinBox>(&dialog, "spinBox")->selectAll();
        QTest::keyClicks(focus, "750");
        child<QToolButton>(&dialog, "NewHong")->click();
        QCOMPARE(dialog.delayTime, 750);
    }

    void delaySkin()
    {
        AddDelayTime dialog;
        checkSkin(dialog, "AddDelayTimeA", "spinBox", QStringLiteral("QSpinBox{color: rgb(7,8,9);}"));
        auto* spin = child<QSpinBox>(&dialog, "spinBox");
        QCOMPARE(spin->buttonSymbols(), QAbstractSpinBox::NoButtons);
        QCOMPARE(spin->alignment(), Qt::AlignCenter);
    }

    // ---- Key capture ------------------------------------------------------------

    // Every hook event shows its key's name, sided modifiers included; a key
    // without a name empties the field.
    void keyNames_data()
    {
        QTest::addColumn<int>("vk");
        QTest::addColumn<QString>("name");
        QTest::newRow("A") << 0x41 << "A";
        QTest::newRow("left Shift") << 0xA0 << "LShift";
        QTest::newRow("right Alt") << 0xA5 << "RAlt";
        QTest::newRow("right Win") << 0x5C << "RWin";
        QTest::newRow("Escape") << 0x1B << "Esc";
        QTest::newRow("F12") << 0x7B << "F12";
        QTest::newRow("keypad plus") << 0x6B << "Num+";
        QTest::newRow("left arrow") << 0x25 << QString::fromUtf8("\u2190");
        QTest::newRow("backslash") << 0xDC << "\\";
        QTest::newRow("keypad 5 without NumLock") << 0x0C << "";
        QTest::newRow("generic Shift") << 0x10 << "";
        QTest::newRow("media key") << 0xB3 << "";
    }
    void keyNames()
    {
        QFETCH(int, vk);
        QFETCH(QString, name);
        addKey dialog;
        hookEvent(dialog, 0x51); // Q first: an unnamed key must clear it
        hookEvent(dialog, vk);
        QCOMPARE(field(&dialog), name);
        QCOMPARE(dialog.keyName, name);
        hookEvent(dialog, vk, false);
        QCOMPARE(dialog.keyName, name);
    }

    // The dialog names 103 codes (the 104 of its table less 0x0C, whose
    // name is empty) and no generic modifier: the key table's other views
    // must not widen this one.
    void namedCodes()
    {
        addKey dialog;
        int named = 0;
        for (int vk = 0; vk < 256; ++vk) {
            hookEvent(dialog, vk);
            if (!dialog.keyName.isEmpty())
                ++named;
        }
        QCOMPARE(named, 103);
    }

    // Real key events through the hook's application filter. Escape and F12
    // are captured and leave the dialog open.
    void keysThroughTheHook_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<uint>("keysym");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("name");
        QTest::newRow("A") << int(Qt::Key_A) << 0x61u << 0 << "A";
        QTest::newRow("Escape") << int(Qt::Key_Escape) << 0xff1bu << 0 << "Esc";
        QTest::newRow("F12") << int(Qt::Key_F12) << 0xffc9u << 0 << "F12";
        QTest::newRow("left Shift") << int(Qt::Key_Shift) << 0xffe1u << 0 << "LShift";
        QTest::newRow("right Alt") << int(Qt::Key_Alt) << 0xffeau << int(Qt::AltModifier) << "RAlt";
        QTest::newRow("right Ctrl") << int(Qt::Key_Control) << 0xffe4u << int(Qt::ControlModifier) << "RCtrl";
        QTest::newRow("keypad 5 without NumLock")
            << int(Qt::Key_Clear) << 0xff9du << int(Qt::KeypadModifier) << "";
    }
    void keysThroughTheHook()
    {
        QFETCH(int, key);
        QFETCH(uint, keysym);
        QFETCH(int, modifiers);
        QFETCH(QString, name);
        addKey dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QCOMPARE(QApplication::focusWidget(), child<QLineEdit>(&dialog, "lineEdit"));
        sendKey(Qt::Key_Q, 0x71);
        QCOMPARE(dialog.keyName, QStringLiteral("Q"));
        sendKey(key, keysym, Qt::KeyboardModifiers(modifiers));
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.keyName, name);
        QCOMPARE(field(&dialog), name);
    }

    // Typing into the field changes only what it shows; the next hook event
    // replaces it.
    void typedTextIsNotTheKey()
    {
        addKey dialog;
        hookEvent(dialog, 0x41);
        child<QLineEdit>(&dialog, "lineEdit")->insert("xyz");
        QCOMPARE(dialog.keyName, QStringLiteral("A"));
        hookEvent(dialog, 0x42);
        QCOMPARE(field(&dialog), QStringLiteral("B"));
    }

    void keyResult_data()
    {
        QTest::addColumn<QString>("way");
        QTest::addColumn<int>("vk");
        QTest::addColumn<int>("result");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("name");
        QTest::newRow("OK before any key") << "NewHong" << 0 << int(QDialog::Accepted) << true << "";
        QTest::newRow("OK after A") << "NewHong" << 0x41 << int(QDialog::Accepted) << true << "A";
        QTest::newRow("OK after an unnamed key") << "NewHong" << 0x0C << int(QDialog::Accepted) << true << "";
        QTest::newRow("Cancel after A") << "NewHong_2" << 0x41 << int(QDialog::Rejected) << false << "A";
        QTest::newRow("close after A") << "CloseButton" << 0x41 << int(QDialog::Rejected) << false << "A";
        QTest::newRow("window manager") << "window" << 0x41 << int(QDialog::Rejected) << false << "A";
    }
    void keyResult()
    {
        QFETCH(QString, way);
        QFETCH(int, vk);
        QFETCH(int, result);
        QFETCH(bool, ok);
        QFETCH(QString, name);
        addKey dialog;
        QVERIFY(addKey::Hook::installed()); // from construction, before exec
        ModalAnswer answer(inspectThen(
            [&](QDialog*) {
                if (vk)
                    hookEvent(dialog, vk);
            },
            way == "window" ? closeWindow() : clickButton(way)));
        QCOMPARE(dialog.exec(), result);
        QVERIFY(answer.allAnswered());
        QCOMPARE(dialog.isOk, ok);
        QCOMPARE(dialog.keyName, name);
        QVERIFY(!addKey::Hook::installed());
        // Closed, the dialog hears no more keys.
        QWidget other;
        other.show();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        QTest::keyClick(&other, Qt::Key_Z);
        QCOMPARE(dialog.keyName, name);
    }

    // Escape typed while the dialog runs does not end it: the next answer does.
    void escapeDoesNotCloseTheCapture()
    {
        addKey dialog;
        ModalAnswer answer(QList<ModalAnswer::Answer>{[](QDialog* d) {
            QVERIFY(QTest::qWaitForWindowActive(d));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
            QVERIFY(d->isVisible());
            QCOMPARE(static_cast<addKey*>(d)->keyName, QStringLiteral("Esc"));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_F12);
            QVERIFY(d->isVisible());
            clickButton(QStringLiteral("NewHong"))(d);
        }});
        QCOMPARE(dialog.exec(), int(QDialog::Accepted));
        QVERIFY(answer.allAnswered());
        QVERIFY(dialog.isOk);
        QCOMPARE(dialog.keyName, QStringLiteral("F12"));
    }

    // However the dialog goes, its callback goes with it.
    void destroyedDialogUnbinds()
    {
        {
            addKey dialog;
            QVERIFY(addKey::Hook::installed());
            QVERIFY(addKey::Hook::data().callback);
        }
        QVERIFY(!addKey::Hook::installed());
        QVERIFY(!addKey::Hook::data().callback);
    }

    void keySkin()
    {
        addKey dialog;
        checkSkin(dialog, "addKeyA", "lineEdit", QStringLiteral("QLineEdit{color: rgb(7,8,9);}"));
        QCOMPARE(child<QLineEdit>(&dialog, "lineEdit")->maxLength(), 50);
        QCOMPARE(child<QLineEdit>(&dialog, "lineEdit")->alignment(), Qt::AlignCenter);
    }

    // ---- Both ---------------------------------------------------------------------

    void texts_data()
    {
        QTest::addColumn<int>("language");
        QTest::newRow("English") << 0;
        QTest::newRow("Czech") << 1;
        QTest::newRow("Slovak") << 2;
    }
    void texts()
    {
        QFETCH(int, language);
        QVERIFY(AddKeyTexts.rowCount() >= 3 && AddDelayTimeTexts.rowCount() >= 3);
        languageIndex = language;
        AddDelayTime delay;
        addKey key;
        checkTexts(delay, AddDelayTimeTexts, language);
        checkTexts(key, AddKeyTexts, language);
        // A language change reaches an open dialog.
        const int next = (language + 1) % 3;
        PostMsg::GetInstance()->PostAllLanguage(next);
        checkTexts(delay, AddDelayTimeTexts, next);
        checkTexts(key, AddKeyTexts, next);
        languageIndex = 0;
        QCOMPARE(hubConnectFailures(), 0);
    }

    // The three languages say different things.
    void languagesDiffer()
    {
        for (const LanguageTable* table : {&AddKeyTexts, &AddDelayTimeTexts}) {
            QCOMPARE(QSet<QString>({table->text(0, 0), table->text(1, 0), table->text(2, 0)}).size(), 3);
        }
    }
};

QTEST_MAIN(MacroDialogsTest)
#include "tst_macrodialogs.moc"
