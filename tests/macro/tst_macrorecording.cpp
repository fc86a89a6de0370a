// Recording a macro from the keyboard: key messages become key and delay rows
// measured on an injected clock, held keys and repeats are filtered, a key
// outside the table is dropped, the recording stops itself at 70 keys, and
// Start, Stop and leaving the device page set the page and the process-wide
// flag.
#include "support/buttonfixture.h"
#include "support/macrofixture.h"
#include "support/modalanswer.h"
#include "support/testsupport.h"
#include "support/widgetprobe.h"

#include "core/globals.h"
#include "core/postmsg.h"
#include "macro/keyboardhook.h"
#include "widgets/macroname.h"

#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QToolButton>

using testsupport::child;
using testsupport::ModalAnswer;

namespace {

// A key with no row in the table (a media key).
constexpr int kUnlistedKey = 0xAD;

} // namespace

class MacroRecordingTest : public QObject
{
    Q_OBJECT

    testsupport::MacroPageFixture f;
    qint64 now = 1000;

    template <typename T>
    T* get(const char* name)
    {
        return child<T>(f.page.get(), name);
    }

    void openAndSelect()
    {
        f.open({"m.ini"});
        f.page->setRecordingClock([this] { return now; });
        f.select("m");
    }

    // A recording on the active page; the widget that takes the keys.
    QWidget* startOnActivePage()
    {
        openAndSelect();
        f.page->show();
        QApplication::setActiveWindow(f.page.get());
        if (!QTest::qWaitForWindowActive(f.page.get()))
            return nullptr;
        start();
        return QApplication::focusWidget() ? QApplication::focusWidget() : f.page.get();
    }

    void start() { QMetaObject::invokeMethod(f.page.get(), "on_StartRecord_clicked"); }
    void stop() { QMetaObject::invokeMethod(f.page.get(), "on_StopRecord_clicked"); }

    // Words: a number moves the clock on by that many milliseconds; "A+" is a
    // key-down of A, "A-" its key-up; "?" stands for a key outside the table.
    void play(const QString& script)
    {
        for (const QString& word : script.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            bool number = false;
            const int ms = word.toInt(&number);
            if (number) {
                now += ms;
                continue;
            }
            const int vk = word.at(0) == QLatin1Char('?') ? kUnlistedKey : word.at(0).unicode();
            f.page->UpdateCapslockTip(vk, word.endsWith(QLatin1Char('+')), false);
        }
    }

private slots:
    void init()
    {
        languageIndex = 0;
        testsupport::loadInstalledLanguages();
        macroRecording = 0;
    }

    void cleanup()
    {
        f.reset();
        QCOMPARE(int(macroRecording), 0);
        QVERIFY(!KeyboardHook<1>::installed());
    }

    void keysBecomeRows_data()
    {
        QTest::addColumn<bool>("fixedDelay");
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("rows");
        QTest::newRow("one stroke") << false << "A+ 35 A-" << "P:A D:35ms R:A";
        // The repeats of a held key are ignored; their time counts.
        QTest::newRow("held key") << false << "A+ 30 A+ 30 A+ 40 A-" << "P:A D:100ms R:A";
        // Only a key still held repeats: B, released, goes down again.
        QTest::newRow("overlapping keys") << false << "A+ 10 B+ 10 A- 10 B- 10 B+ 10 B-"
                                          << "P:A D:10ms P:B D:10ms R:A D:10ms R:B D:10ms P:B D:10ms R:B";
        QTest::newRow("a held key repeats while another goes")
            << false << "A+ 10 B+ 10 A+ 10 B- 10 A+ 10 A-" << "P:A D:10ms P:B D:20ms R:B D:20ms R:A";
        // A key outside the table keeps the delay before it and no row; the
        // next listed key gets no delay row of its own.
        QTest::newRow("unlisted key") << false << "A+ 10 ?+ 15 B+ 5 B-" << "P:A D:10ms P:B D:5ms R:B";
        QTest::newRow("fixed delay") << true << "A+ 3 A- 900 B+ 1 B-" << "P:A D:250ms R:A D:250ms P:B D:250ms R:B";
        QTest::newRow("no time passes") << false << "H+ H- E+ E-" << "P:H D:0ms R:H D:0ms P:E D:0ms R:E";
    }

    void keysBecomeRows()
    {
        QFETCH(bool, fixedDelay);
        QFETCH(QString, script);
        QFETCH(QString, rows);
        openAndSelect();
        if (fixedDelay) {
            get<QCheckBox>("DefaultDelay")->click();
            get<QSpinBox>("DelayTime")->setValue(250);
        }
        // Time before Start is not part of the first delay.
        now += 5000;
        start();
        play(script);
        QCOMPARE(testsupport::describeEvents(f.events), rows);
    }

    // Start and Stop: the hub, the hook, the flag and the page's controls.
    void startAndStop()
    {
        openAndSelect();
        f.events->addItem("old");
        QSignalSpy hub(PostMsg::GetInstance(), &PostMsg::SigStartRecord);
        start();
        QCOMPARE(hub.count(), 1);
        QCOMPARE(hub.at(0).at(0).toInt(), 0);
        QCOMPARE(int(macroRecording), 1);
        QVERIFY(KeyboardHook<1>::installed());
        QCOMPARE(f.events->count(), 0);
        QVERIFY(get<QWidget>("StartRecord")->isHidden());
        QVERIFY(!get<QWidget>("StopRecord")->isHidden());
        QVERIFY(get<QWidget>("DelayTime")->isHidden());
        QVERIFY(get<QWidget>("NumberEdit")->isHidden());
        QVERIFY(!f.macros->isEnabled());
        QVERIFY(!get<QComboBox>("ChooseEvent")->isEnabled());

        play("A+ 20 A-");
        stop();
        QCOMPARE(hub.count(), 2);
        QCOMPARE(hub.at(1).at(0).toInt(), 1);
        QCOMPARE(int(macroRecording), 0);
        QVERIFY(!KeyboardHook<1>::installed());
        QVERIFY(!get<QWidget>("StartRecord")->isHidden());
        QVERIFY(get<QWidget>("StopRecord")->isHidden());
        QVERIFY(!get<QWidget>("DelayTime")->isHidden());
        QVERIFY(!get<QWidget>("NumberEdit")->isHidden());
        QVERIFY(f.macros->isEnabled());
        QVERIFY(get<QComboBox>("ChooseEvent")->isEnabled());
        QVERIFY(get<QToolButton>("Save")->isEnabled());
        // Keys after Stop add nothing.
        play("B+ 5 B-");
        QCOMPARE(testsupport::describeEvents(f.events), QStringLiteral("P:A D:20ms R:A"));

        // The recording counts as a change of the events.
        QSignalSpy update(PostMsg::GetInstance(), &PostMsg::SigUpDataMacro);
        get<QToolButton>("Save")->click();
        QCOMPARE(update.count(), 1);
        QCOMPARE(update.at(0), (QVariantList{"m", 0}));
    }

    // Without a macro Start shows the "no macro" notice and changes nothing.
    void startNeedsAMacro()
    {
        f.open({"m.ini"});
        QSignalSpy hub(PostMsg::GetInstance(), &PostMsg::SigStartRecord);
        QString shown;
        {
            ModalAnswer modal(testsupport::inspectThen(
                [&](QDialog* d) {
                    for (QLabel* label : d->findChildren<QLabel*>())
                        shown += label->text();
                },
                testsupport::clickButton("NewHong")));
            start();
            QCOMPARE(modal.answered(), QStringList{"ExeIsRun"});
        }
        QVERIFY(!shown.isEmpty());
        QCOMPARE(hub.count(), 0);
        QCOMPARE(int(macroRecording), 0);
        QVERIFY(!KeyboardHook<1>::installed());
        QVERIFY(!get<QWidget>("StartRecord")->isHidden());
    }

    // The 70th key row ends the recording: the hook goes, the limit notice
    // shows once, and the page keeps its recording layout until Stop.
    void stopsAtSeventyKeys()
    {
        openAndSelect();
        start();
        QSignalSpy hub(PostMsg::GetInstance(), &PostMsg::SigStartRecord);
        {
            ModalAnswer modal(testsupport::clickButton("CloseButton"));
            for (int i = 0; i < 40; ++i)
                play("A+ 1 A- 1");
            QCOMPARE(modal.answered(), QStringList{"KeyNumberLimit"});
        }
        QStringList expected;
        for (int i = 0; i < 35; ++i)
            expected << "P:A" << "D:1ms" << "R:A" << "D:1ms";
        expected.removeLast();
        QCOMPARE(testsupport::describeEvents(f.events), expected.join(' '));
        QCOMPARE(f.events->count(), 139);
        QCOMPARE(int(macroRecording), 0);
        QVERIFY(!KeyboardHook<1>::installed());
        QVERIFY(!get<QWidget>("StopRecord")->isHidden());
        QVERIFY(!f.macros->isEnabled());
        QCOMPARE(hub.count(), 0);

        stop();
        QCOMPARE(hub.count(), 1);
        QVERIFY(f.macros->isEnabled());
        // A new recording counts from 0 again.
        start();
        {
            ModalAnswer modal(testsupport::clickButton("CloseButton"));
            for (int i = 0; i < 35; ++i)
                play("B+ 1 B- 1");
            QCOMPARE(modal.answeredCount(), 1);
        }
        stop();
    }

    // Keys typed into the page reach the recorder through the hook.
    void recordsThroughTheHook()
    {
        QWidget* target = startOnActivePage();
        QVERIFY(target);
        for (char c : QByteArray("hello")) {
            const Qt::Key key = Qt::Key(Qt::Key_A + (c - 'a'));
            QTest::keyPress(target, key);
            now += 50;
            QTest::keyRelease(target, key);
            now += 100;
        }
        stop();
        QCOMPARE(testsupport::describeEvents(f.events),
                 QStringLiteral("P:H D:50ms R:H D:100ms P:E D:50ms R:E D:100ms P:L D:50ms R:L D:100ms "
                                "P:L D:50ms R:L D:100ms P:O D:50ms R:O"));
    }

    // Under a Czech layout the digit row types ě and š: the keys are still 2
    // and 3, and Q is Q.
    void recordsKeysByPlace()
    {
        QWidget* target = startOnActivePage();
        QVERIFY(target);
        struct Key
        {
            quint32 scanCode;
            int qtKey;
            quint32 keysym;
        };
        for (const Key& key : {Key{11, 0x11A, 0x1ec}, Key{12, 0x160, 0x1b9}, Key{24, Qt::Key_Q, 0x71}}) {
            QKeyEvent press(QEvent::KeyPress, key.qtKey, Qt::NoModifier, key.scanCode, key.keysym, 0);
            QApplication::sendEvent(target, &press);
            now += 50;
            QKeyEvent release(QEvent::KeyRelease, key.qtKey, Qt::NoModifier, key.scanCode, key.keysym, 0);
            QApplication::sendEvent(target, &release);
            now += 100;
        }
        stop();
        QCOMPARE(testsupport::describeEvents(f.events),
                 QStringLiteral("P:2 D:50ms R:2 D:100ms P:3 D:50ms R:3 D:100ms P:Q D:50ms R:Q"));
    }

    // The limit reached from inside the hook: the hook goes while its own
    // key event is still being delivered, and the notice runs there.
    void limitThroughTheHook()
    {
        QWidget* target = startOnActivePage();
        QVERIFY(target);
        {
            ModalAnswer modal(testsupport::clickButton("NewHong"));
            for (int i = 0; i < 36; ++i)
                QTest::keyClick(target, Qt::Key_A);
            QCOMPARE(modal.answered(), QStringList{"KeyNumberLimit"});
        }
        QCOMPARE(f.events->count(), 139);
        QVERIFY(!KeyboardHook<1>::installed());
        stop();
    }

    // Leaving the device page ends a recording and resets the controls.
    void leavingTheDevicePage()
    {
        openAndSelect();
        start();
        play("A+ 5");
        QSignalSpy hub(PostMsg::GetInstance(), &PostMsg::SigStartRecord);
        emit PostMsg::GetInstance()->SigSetMacroPage();
        QCOMPARE(hub.count(), 1);
        QCOMPARE(hub.at(0).at(0).toInt(), 1);
        QCOMPARE(int(macroRecording), 0);
        QVERIFY(!KeyboardHook<1>::installed());
        QVERIFY(!get<QWidget>("StartRecord")->isHidden());
        QVERIFY(get<QWidget>("StopRecord")->isHidden());
        QVERIFY(f.macros->isEnabled());
        QVERIFY(get<QComboBox>("ChooseEvent")->isEnabled());
        QVERIFY(!get<QToolButton>("Save")->isEnabled());
        QVERIFY(get<QToolButton>("Save")->styleSheet().contains("rgb(127,127,127)"));
        // No macro is current, and no rows are shown that belong to none.
        QCOMPARE(f.macros->currentItem(), nullptr);
        QCOMPARE(f.events->count(), 0);
        QCOMPARE(testsupport::readFileBytes(macroFolder() + "/m.ini"), QByteArray("1\n"));
    }

    // A page that goes while it records leaves no hook and no flag behind.
    void destroyedWhileRecording()
    {
        openAndSelect();
        start();
        QVERIFY(KeyboardHook<1>::installed());
        f.reset();
        QVERIFY(!KeyboardHook<1>::installed());
        QVERIFY(!KeyboardHook<1>::data().callback);
        QCOMPARE(int(macroRecording), 0);
    }
};

QUEMBREL_TEST_MAIN(MacroRecordingTest)
#include "tst_macrorecording.moc"
