// The keyboard hook: Qt keys to virtual-key codes, the press, release and
// repeat reports of each copy, and the application filter that feeds them
// only while a window of ours is active, without taking a key from anyone.
#include "macro/keyboardhook.h"
#include "macro/keynames.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QVBoxLayout>
#include <QtTest>

namespace {

struct Report
{
    int vk;
    bool down;
    bool repeat;
    bool operator==(const Report& o) const { return vk == o.vk && down == o.down && repeat == o.repeat; }
};

using Reports = QVector<Report>;

char* toString(const Reports& reports)
{
    QStringList parts;
    for (const Report& r : reports)
        parts << QStringLiteral("(%1,%2,%3)").arg(r.vk, 0, 16).arg(r.down).arg(r.repeat);
    return qstrdup(qPrintable(parts.join(QLatin1Char(' '))));
}

// A key message as the system gives it: code, down, system key.
struct Message
{
    int vk;
    bool down;
    bool system;
};

Reports run(const QVector<Message>& messages, bool sysKeysChangeDown)
{
    keyhook::HookState state;
    Reports reports;
    state.callback = [&](int vk, bool down, bool repeat) { reports.append({vk, down, repeat}); };
    for (const Message& m : messages)
        state.handle(m.vk, m.down, m.system, sysKeysChangeDown);
    return reports;
}

QKeyEvent keyEvent(QEvent::Type type, int key, quint32 keysym = 0, bool autoRepeat = false,
                   Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    return QKeyEvent(type, key, modifiers, 0, keysym, 0, QString(), autoRepeat);
}

// A window of ours with a line edit that has the focus.
struct Window
{
    Window()
    {
        auto* layout = new QVBoxLayout(&widget);
        edit = new QLineEdit(&widget);
        layout->addWidget(edit);
        widget.show();
        QApplication::setActiveWindow(&widget);
        edit->setFocus();
    }
    QWidget widget;
    QLineEdit* edit;
};

} // namespace

Q_DECLARE_METATYPE(Reports)
Q_DECLARE_METATYPE(QVector<Message>)

class KeyboardHookTest : public QObject
{
    Q_OBJECT

private slots:
    void cleanup()
    {
        KeyboardHook<1>::uninstall();
        KeyboardHook<2>::uninstall();
        KeyboardHook<3>::uninstall();
        KeyboardHook<1>::setCallback(nullptr);
        KeyboardHook<2>::setCallback(nullptr);
        KeyboardHook<3>::setCallback(nullptr);
    }

    void virtualKey_data()
    {
        QTest::addColumn<int>("qtKey");
        QTest::addColumn<uint>("keysym");
        QTest::addColumn<bool>("keypad");
        QTest::addColumn<int>("vk");
        QTest::newRow("left Shift") << int(Qt::Key_Shift) << 0xffe1u << false << 0xA0;
        QTest::newRow("right Shift") << int(Qt::Key_Shift) << 0xffe2u << false << 0xA1;
        QTest::newRow("left Ctrl") << int(Qt::Key_Control) << 0xffe3u << false << 0xA2;
        QTest::newRow("right Ctrl") << int(Qt::Key_Control) << 0xffe4u << false << 0xA3;
        QTest::newRow("left Alt") << int(Qt::Key_Alt) << 0xffe9u << false << 0xA4;
        QTest::newRow("right Alt") << int(Qt::Key_Alt) << 0xffeau << false << 0xA5;
        QTest::newRow("AltGr") << int(Qt::Key_AltGr) << 0xfe03u << false << 0xA5;
        QTest::newRow("left Win") << int(Qt::Key_Super_L) << 0xffebu << false << 0x5B;
        QTest::newRow("right Win") << int(Qt::Key_Super_R) << 0xffecu << false << 0x5C;
        QTest::newRow("Shift, side unknown") << int(Qt::Key_Shift) << 0u << false << 0xA0;
        QTest::newRow("keypad 5 without NumLock") << int(Qt::Key_Clear) << 0xff9du << true << 0x0C;
        QTest::newRow("keypad 5 with NumLock") << int(Qt::Key_5) << 0xffb5u << true << 0x65;
        QTest::newRow("keypad 1 without NumLock") << int(Qt::Key_End) << 0xff9cu << true << 0x23;
        QTest::newRow("keypad Del") << int(Qt::Key_Delete) << 0xff9fu << true << 0x2E;
        QTest::newRow("keypad decimal") << int(Qt::Key_Period) << 0xffaeu << true << 0x6E;
        QTest::newRow("keypad plus") << int(Qt::Key_Plus) << 0xffabu << true << 0x6B;
        QTest::newRow("keypad plus, no keysym") << int(Qt::Key_Plus) << 0u << true << 0x6B;
        QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << 0xff8du << true << 0x0D;
        QTest::newRow("main plus is =") << int(Qt::Key_Plus) << 0x2bu << false << 0xBB;
        QTest::newRow("main End") << int(Qt::Key_End) << 0xff57u << false << 0x23;
        QTest::newRow("Print") << int(Qt::Key_Print) << 0xff61u << false << 0x2C;
        QTest::newRow("CapsLock") << int(Qt::Key_CapsLock) << 0xffe5u << false << 0x14;
        QTest::newRow("NumLock") << int(Qt::Key_NumLock) << 0xff7fu << true << 0x90;
        QTest::newRow("A") << int(Qt::Key_A) << 0x61u << false << 0x41;
        QTest::newRow("shifted 1") << int(Qt::Key_Exclam) << 0x21u << false << 0x31;
        QTest::newRow("F12") << int(Qt::Key_F12) << 0xffc9u << false << 0x7B;
        QTest::newRow("Escape") << int(Qt::Key_Escape) << 0xff1bu << false << 0x1B;
        QTest::newRow("Menu") << int(Qt::Key_Menu) << 0xff67u << false << 0x5D;
        QTest::newRow("backslash") << int(Qt::Key_Backslash) << 0x5cu << false << 0xDC;
        QTest::newRow("unknown") << int(Qt::Key_LaunchMail) << 0u << false << 0;
    }

    void virtualKey()
    {
        QFETCH(int, qtKey);
        QFETCH(uint, keysym);
        QFETCH(bool, keypad);
        QFETCH(int, vk);
        QCOMPARE(virtualKeyOf(0, qtKey, keysym, keypad), vk); // made by a program: no key code
    }

    // A physical key's code is its place on the keyboard: the same under a
    // US and a Czech layout, whatever character the key types.
    void physicalKey_data()
    {
        QTest::addColumn<uint>("scanCode"); // X11 key code
        QTest::addColumn<int>("qtKey");
        QTest::addColumn<uint>("keysym");
        QTest::addColumn<bool>("keypad");
        QTest::addColumn<int>("vk");
        struct Key
        {
            const char* name;
            uint scanCode;
            int usKey;
            uint usKeysym;
            int czKey;
            uint czKeysym;
            bool keypad;
            int vk;
        };
        static const Key keys[] = {
            {"1", 10, Qt::Key_1, 0x31, Qt::Key_Plus, 0x2b, false, 0x31},
            {"2", 11, Qt::Key_2, 0x32, 0x11A /* Ě */, 0x1ec, false, 0x32},
            {"3", 12, Qt::Key_3, 0x33, 0x160 /* Š */, 0x1b9, false, 0x33},
            {"9", 18, Qt::Key_9, 0x39, Qt::Key_Iacute, 0xed, false, 0x39},
            {"0", 19, Qt::Key_0, 0x30, Qt::Key_Eacute, 0xe9, false, 0x30},
            {"minus", 20, Qt::Key_Minus, 0x2d, Qt::Key_Equal, 0x3d, false, 0xBD},
            {"equal", 21, Qt::Key_Equal, 0x3d, Qt::Key_Dead_Acute, 0xfe51, false, 0xBB},
            {"Q", 24, Qt::Key_Q, 0x71, Qt::Key_Q, 0x71, false, 0x51},
            {"Y of QWERTY", 29, Qt::Key_Y, 0x79, Qt::Key_Z, 0x7a, false, 0x59},
            {"Z of QWERTY", 52, Qt::Key_Z, 0x7a, Qt::Key_Y, 0x79, false, 0x5A},
            {"left bracket", 34, Qt::Key_BracketLeft, 0x5b, Qt::Key_Uacute, 0xfa, false, 0xDB},
            {"semicolon", 47, Qt::Key_Semicolon, 0x3b, 0x16E /* Ů */, 0x1f9, false, 0xBA},
            {"apostrophe", 48, Qt::Key_Apostrophe, 0x27, Qt::Key_section, 0xa7, false, 0xDE},
            {"grave", 49, Qt::Key_QuoteLeft, 0x60, Qt::Key_Semicolon, 0x3b, false, 0xC0},
            {"backslash", 51, Qt::Key_Backslash, 0x5c, Qt::Key_Dead_Diaeresis, 0xfe57, false, 0xDC},
            {"slash", 61, Qt::Key_Slash, 0x2f, Qt::Key_Minus, 0x2d, false, 0xBF},
            {"ISO extra key", 94, Qt::Key_Less, 0x3c, Qt::Key_Backslash, 0x5c, false, 0xE2},
            {"left Shift", 50, Qt::Key_Shift, 0xffe1, Qt::Key_Shift, 0xffe1, false, 0xA0},
            {"right Shift", 62, Qt::Key_Shift, 0xffe2, Qt::Key_Shift, 0xffe2, false, 0xA1},
            {"right Ctrl", 105, Qt::Key_Control, 0xffe4, Qt::Key_Control, 0xffe4, false, 0xA3},
            {"left Alt", 64, Qt::Key_Alt, 0xffe9, Qt::Key_Alt, 0xffe9, false, 0xA4},
            {"right Alt, AltGr", 108, Qt::Key_Alt, 0xffea, Qt::Key_AltGr, 0xfe03, false, 0xA5},
            {"left Win", 133, Qt::Key_Super_L, 0xffeb, Qt::Key_Super_L, 0xffeb, false, 0x5B},
            {"Menu", 135, Qt::Key_Menu, 0xff67, Qt::Key_Menu, 0xff67, false, 0x5D},
            {"F10", 76, Qt::Key_F10, 0xffc7, Qt::Key_F10, 0xffc7, false, 0x79},
            {"F12", 96, Qt::Key_F12, 0xffc9, Qt::Key_F12, 0xffc9, false, 0x7B},
            {"Pause", 127, Qt::Key_Pause, 0xff13, Qt::Key_Pause, 0xff13, false, 0x13},
            {"Print", 107, Qt::Key_Print, 0xff61, Qt::Key_Print, 0xff61, false, 0x2C},
            {"Home", 110, Qt::Key_Home, 0xff50, Qt::Key_Home, 0xff50, false, 0x24},
            {"Delete", 119, Qt::Key_Delete, 0xffff, Qt::Key_Delete, 0xffff, false, 0x2E},
            {"keypad 7", 79, Qt::Key_7, 0xffb7, Qt::Key_7, 0xffb7, true, 0x67},
            {"keypad 7 without NumLock", 79, Qt::Key_Home, 0xff95, Qt::Key_Home, 0xff95, true, 0x24},
            {"keypad 5 without NumLock", 84, Qt::Key_Clear, 0xff9d, Qt::Key_Clear, 0xff9d, true, 0x0C},
            {"keypad decimal", 91, Qt::Key_Period, 0xffae, Qt::Key_Comma, 0xffac, true, 0x6E},
            {"keypad Del", 91, Qt::Key_Delete, 0xff9f, Qt::Key_Delete, 0xff9f, true, 0x2E},
            {"keypad plus", 86, Qt::Key_Plus, 0xffab, Qt::Key_Plus, 0xffab, true, 0x6B},
            {"keypad Enter", 104, Qt::Key_Enter, 0xff8d, Qt::Key_Enter, 0xff8d, true, 0x0D},
            {"mute, on no PC keyboard", 121, Qt::Key_VolumeMute, 0x1008ff12, Qt::Key_VolumeMute, 0x1008ff12, false, 0},
        };
        for (const Key& key : keys) {
            QTest::addRow("US %s", key.name) << key.scanCode << key.usKey << key.usKeysym << key.keypad << key.vk;
            QTest::addRow("Czech %s", key.name) << key.scanCode << key.czKey << key.czKeysym << key.keypad << key.vk;
        }
    }

    void physicalKey()
    {
        QFETCH(uint, scanCode);
        QFETCH(int, qtKey);
        QFETCH(uint, keysym);
        QFETCH(bool, keypad);
        QFETCH(int, vk);
        QCOMPARE(virtualKeyOf(scanCode, qtKey, keysym, keypad), vk);
        // Through the filter too: the key's own code and name.
        Window window;
        QVERIFY(QTest::qWaitForWindowActive(&window.widget));
        Reports reports;
        KeyboardHook<3>::install();
        KeyboardHook<3>::setCallback([&](int code, bool down, bool repeat) { reports.append({code, down, repeat}); });
        const Qt::KeyboardModifiers modifiers = keypad ? Qt::KeypadModifier : Qt::NoModifier;
        QKeyEvent press(QEvent::KeyPress, qtKey, modifiers, scanCode, keysym, 0);
        QApplication::sendEvent(window.edit, &press);
        QKeyEvent release(QEvent::KeyRelease, qtKey, modifiers, scanCode, keysym, 0);
        QApplication::sendEvent(window.edit, &release);
        QCOMPARE(reports, vk ? (Reports{{vk, true, false}, {vk, false, false}}) : Reports());
    }

    void systemKeys()
    {
        QVERIFY(isSystemKey(0xA4, Qt::NoModifier));
        QVERIFY(isSystemKey(0x79, Qt::NoModifier)); // F10
        QVERIFY(isSystemKey(0x41, Qt::AltModifier));
        QVERIFY(!isSystemKey(0x41, Qt::AltModifier | Qt::ControlModifier));
        QVERIFY(!isSystemKey(0x41, Qt::ShiftModifier));
    }

    void messages_data()
    {
        QTest::addColumn<QVector<Message>>("messages");
        QTest::addColumn<bool>("recorder");
        QTest::addColumn<Reports>("reports");
        const int A = 0x41, B = 0x42, alt = 0xA4;
        QTest::newRow("held key") << QVector<Message>{{A, true, false}, {A, true, false}, {A, true, false},
                                                      {A, false, false}}
                                  << false << Reports{{A, true, false}, {A, true, true}, {A, true, true},
                                                      {A, false, false}};
        QTest::newRow("A, B, release A, B repeats")
            << QVector<Message>{{A, true, false}, {B, true, false}, {A, false, false}, {B, true, false},
                                {B, true, false}}
            << false << Reports{{A, true, false}, {B, true, false}, {A, false, false}, {B, true, false},
                                {B, true, true}};
        // Alt+A: the capture copies take a system key as any other; the
        // recorder's copy keeps the last code over a system key's release.
        const QVector<Message> altA{{A, false, false}, {alt, true, true}, {A, true, true}, {A, false, true},
                                    {alt, false, false}};
        QTest::newRow("Alt+A, capture copy") << altA << false
                                             << Reports{{A, false, false}, {alt, true, false}, {A, true, false},
                                                        {A, false, false}, {alt, false, false}};
        const int F10 = 0x79;
        QTest::newRow("F10, capture copy") << QVector<Message>{{F10, true, true}, {F10, false, true}} << false
                                           << Reports{{F10, true, false}, {F10, false, false}};
        QTest::newRow("Alt+A, recorder copy") << altA << true
                                              << Reports{{A, false, false}, {alt, true, false}, {A, true, false},
                                                         {A, false, true}, {alt, false, false}};
    }

    void messages()
    {
        QFETCH(QVector<Message>, messages);
        QFETCH(bool, recorder);
        QFETCH(Reports, reports);
        QCOMPARE(run(messages, recorder), reports);
    }

    // Keys reach the callback and still reach the focused widget; X11's
    // auto-repeat release is dropped and its press is a repeat.
    void filterReportsWithoutConsuming()
    {
        Window window;
        QVERIFY(QTest::qWaitForWindowActive(&window.widget));
        Reports reports;
        KeyboardHook<3>::install();
        KeyboardHook<3>::setCallback([&](int vk, bool down, bool repeat) { reports.append({vk, down, repeat}); });

        QTest::keyClick(window.edit, Qt::Key_Q);
        QCOMPARE(window.edit->text(), QStringLiteral("q"));
        QKeyEvent press = keyEvent(QEvent::KeyPress, Qt::Key_Shift, 0xffe2);
        QApplication::sendEvent(window.edit, &press);
        QKeyEvent autoRelease = keyEvent(QEvent::KeyRelease, Qt::Key_Shift, 0xffe2, true);
        QApplication::sendEvent(window.edit, &autoRelease);
        QKeyEvent autoPress = keyEvent(QEvent::KeyPress, Qt::Key_Shift, 0xffe2, true);
        QApplication::sendEvent(window.edit, &autoPress);
        QKeyEvent release = keyEvent(QEvent::KeyRelease, Qt::Key_Shift, 0xffe2);
        QApplication::sendEvent(window.edit, &release);
        // A key the line edit ignores climbs to its parent: still one report.
        QTest::keyClick(window.edit, Qt::Key_F5);

        QCOMPARE(reports, (Reports{{0x51, true, false}, {0x51, false, false}, {0xA1, true, false},
                                   {0xA1, true, true}, {0xA1, false, false}, {0x74, true, false},
                                   {0x74, false, false}}));
    }

    void filterOnlyWhileOurWindowIsActive()
    {
        Window window;
        QVERIFY(QTest::qWaitForWindowActive(&window.widget));
        int reports = 0;
        KeyboardHook<2>::install();
        KeyboardHook<2>::setCallback([&](int, bool, bool) { ++reports; });
        QApplication::setActiveWindow(nullptr);
        QTest::keyClick(window.edit, Qt::Key_A);
        QCOMPARE(reports, 0);
        QApplication::setActiveWindow(&window.widget);
        QTest::keyClick(window.edit, Qt::Key_A);
        QCOMPARE(reports, 2);
    }

    // Copies keep their own state and may be on together; uninstall stops the
    // reports and is harmless twice.
    void copiesAreIndependent()
    {
        Window window;
        QVERIFY(QTest::qWaitForWindowActive(&window.widget));
        Reports first, third;
        KeyboardHook<1>::install();
        KeyboardHook<1>::setCallback([&](int vk, bool down, bool repeat) { first.append({vk, down, repeat}); });
        KeyboardHook<3>::install();
        KeyboardHook<3>::setCallback([&](int vk, bool down, bool repeat) { third.append({vk, down, repeat}); });
        QTest::keyPress(window.edit, Qt::Key_A);
        KeyboardHook<3>::uninstall();
        KeyboardHook<3>::uninstall();
        QVERIFY(!KeyboardHook<3>::installed());
        QTest::keyPress(window.edit, Qt::Key_A);
        QTest::keyRelease(window.edit, Qt::Key_A);
        QCOMPARE(third, (Reports{{0x41, true, false}}));
        QCOMPARE(first, (Reports{{0x41, true, false}, {0x41, true, true}, {0x41, false, false}}));
        QCOMPARE(KeyboardHook<3>::data().lastVkCode, 0x41); // kept until its next key-up
        QCOMPARE(KeyboardHook<1>::data().lastVkCode, 0);
    }

    // One table, each reader its own view.
    void keyNameViews_data()
    {
        QTest::addColumn<int>("vk");
        QTest::addColumn<QString>("combo");
        QTest::addColumn<QString>("sided");
        QTest::newRow("A") << 0x41 << "A" << "A";
        QTest::newRow("Num+") << 0x6B << "Num+" << "Num+";
        QTest::newRow("Screen") << 0x2C << "Screen" << "Screen";
        QTest::newRow("backslash") << 0xDC << "\\" << "\\";
        QTest::newRow("LShift") << 0xA0 << "" << "LShift";
        QTest::newRow("RWin") << 0x5C << "" << "RWin";
        QTest::newRow("generic Shift") << 0x10 << "" << "";
        QTest::newRow("Clear") << 0x0C << "" << "";
    }

    void keyNameViews()
    {
        QFETCH(int, vk);
        QFETCH(QString, combo);
        QFETCH(QString, sided);
        QCOMPARE(comboKeyName(vk), combo);
        QCOMPARE(sidedKeyName(vk), sided);
    }

    void keyTable()
    {
        int count = 0;
        const KeyRow* rows = keyRows(&count);
        int named = 0;
        QSet<int> codes;
        QSet<QString> names;
        for (int i = 0; i < count; ++i) {
            codes.insert(rows[i].vk);
            names.insert(QString::fromUtf8(rows[i].name));
            if (!rows[i].modifier()) {
                ++named;
                QCOMPARE(keyNameOfUsage(keyUsage(QString::fromUtf8(rows[i].name))), QString::fromUtf8(rows[i].name));
            }
        }
        QCOMPARE(named, 96); // 95 named keys and the unnamed keypad 5
        QCOMPARE(codes.size(), count);
        QCOMPARE(names.size(), count);
    }

    void splitKeyText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("plain") << "Ctrl+A" << QStringList{"Ctrl", "A"};
        QTest::newRow("Num+ last") << "Ctrl+Num+" << QStringList{"Ctrl", "Num+"};
        QTest::newRow("Num+ first") << "Num++A+B" << QStringList{"Num+", "A", "B"};
        QTest::newRow("Num- stays") << "Num-+A" << QStringList{"Num-", "A"};
        QTest::newRow("empty") << "" << QStringList{""};
        QTest::newRow("empty middle") << "Ctrl++A" << QStringList{"Ctrl", "", "A"};
    }

    void splitKeyText()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, names);
        QCOMPARE(::splitKeyText(text), names);
    }
};

QTEST_MAIN(KeyboardHookTest)
#include "tst_keyboardhook.moc"
