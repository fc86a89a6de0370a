// The macro page's actions: new, delete and the context menu of the macro
// list, inserting, changing and deleting events, the delay cap, Save and its
// updates to the button page, and every refusal while a recording runs.
#include "support/buttonfixture.h"
#include "support/macrofixture.h"
#include "support/modalanswer.h"
#include "support/testsupport.h"
#include "support/widgetprobe.h"

#include "core/flashdatamap.h"
#include "core/globals.h"
#include "core/languagetable.h"
#include "core/postmsg.h"
#include "macro/keynames.h"
#include "macro/macroblock.h"
#include "macro/macrofile.h"
#include "widgets/exeisrun.h"
#include "widgets/macroname.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QSpinBox>
#include <QToolButton>

#include <algorithm>

using testsupport::child;
using testsupport::clickButton;
using testsupport::enterName;
using testsupport::describeEvents;
using testsupport::eventRowsOf;
using testsupport::readFileBytes;
using testsupport::writeFileBytes;
using testsupport::ModalAnswer;

namespace {

QString filePath(const QString& name)
{
    return macroFolder() + QLatin1Char('/') + name + QStringLiteral(".ini");
}

// Types a delay into the delay dialog and confirms it.
ModalAnswer::Answer enterDelay(const QString& ms)
{
    return [ms](QDialog* dialog) {
        auto* spin = dialog->findChild<QSpinBox*>("spinBox");
        spin->selectAll();
        QTest::keyClick(spin, Qt::Key_Delete);
        QTest::keyClicks(spin, ms);
        clickButton("NewHong")(dialog);
    };
}

// Presses a key in the key dialog and confirms it.
ModalAnswer::Answer captureKey(Qt::Key key)
{
    return [key](QDialog* dialog) {
        QWidget* focus = QApplication::focusWidget() ? QApplication::focusWidget() : dialog;
        QTest::keyClick(focus, key);
        clickButton("NewHong")(dialog);
    };
}

} // namespace

class MacroActionsTest : public QObject
{
    Q_OBJECT

    testsupport::MacroPageFixture f;

    template <typename T>
    T* get(const char* name)
    {
        return child<T>(f.page.get(), name);
    }

    // A page whose macro "m" holds these rows, selected.
    void openWith(const QString& rows, const QString& repeat = QStringLiteral("1"))
    {
        f.open({"m.ini"});
        writeFileBytes(filePath("m"), macroFileBytes(repeat, eventRowsOf(rows)));
        f.select("m");
        QCOMPARE(describeEvents(f.events), rows);
    }

    void act(const char* slot) { QVERIFY(QMetaObject::invokeMethod(f.page.get(), slot)); }
    void choose(int item) { QMetaObject::invokeMethod(f.page.get(), "on_ChooseEvent_activated", Q_ARG(int, item)); }

    bool saveActive() { return get<QToolButton>("Save")->isEnabled(); }

    // What Save reports: the update signals' arguments.
    QList<QVariantList> saveUpdates()
    {
        QSignalSpy update(PostMsg::GetInstance(), &PostMsg::SigUpDataMacro);
        get<QToolButton>("Save")->setEnabled(true);
        get<QToolButton>("Save")->click();
        return QList<QVariantList>(update.begin(), update.end());
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
    }

    // While a recording runs, New, Delete, Amend, Delete event and Save show
    // the "stop first" notice and change nothing.
    void refusedWhileRecording_data()
    {
        QTest::addColumn<QByteArray>("slot");
        QTest::newRow("new") << QByteArray("on_NewHong_clicked");
        QTest::newRow("delete macro") << QByteArray("on_DeleteHong_clicked");
        QTest::newRow("amend") << QByteArray("on_Amend_clicked");
        QTest::newRow("delete event") << QByteArray("on_DeleteKey_clicked");
        QTest::newRow("save") << QByteArray("on_Save_clicked");
    }

    void refusedWhileRecording()
    {
        QFETCH(QByteArray, slot);
        openWith("P:A D:10ms R:A");
        const QByteArray fileBefore = readFileBytes(filePath("m"));
        act("on_StartRecord_clicked");
        f.page->UpdateCapslockTip('B', true, false);
        f.page->UpdateCapslockTip('B', false, false);
        f.events->setCurrentRow(0);
        const QString events = describeEvents(f.events);

        ExeIsRun expected;
        expected.showPleaseStopText();
        const QString pleaseStop = child<QLabel>(&expected, "label")->text();
        QVERIFY(!pleaseStop.isEmpty());

        QSignalSpy update(PostMsg::GetInstance(), &PostMsg::SigUpDataMacro);
        QSignalSpy deleted(PostMsg::GetInstance(), &PostMsg::SigDeleteMacroButton);
        QString shown;
        {
            ModalAnswer modal(testsupport::inspectThen(
                [&](QDialog* d) { shown = child<QLabel>(d, "label")->text(); }, clickButton("NewHong")));
            act(slot.constData());
            QCOMPARE(modal.answered(), QStringList{"ExeIsRun"});
        }
        QCOMPARE(shown, pleaseStop);
        QCOMPARE(describeEvents(f.events), events);
        QCOMPARE(f.macros->count(), 1);
        QCOMPARE(readFileBytes(filePath("m")), fileBefore);
        QCOMPARE(update.count(), 0);
        QCOMPARE(deleted.count(), 0);
        QCOMPARE(int(macroRecording), 1);
        act("on_StopRecord_clicked");
    }

    // The delay spin box takes no more than 65535, typed or set.
    void delayCap()
    {
        f.open({});
        auto* spin = get<QSpinBox>("DelayTime");
        spin->selectAll();
        QTest::keyClick(spin, Qt::Key_Delete);
        QTest::keyClicks(spin, "70000");
        QCOMPARE(spin->value(), 65535);
        spin->setValue(65534);
        QCOMPARE(spin->value(), 65534);
        spin->setValue(99999);
        QCOMPARE(spin->value(), 65535);
        QVERIFY(!saveActive());
    }

    // Save writes the rows and the repeat mode to the file, the list and the
    // file agree, and the updates go out in order for what changed.
    void save_data()
    {
        QTest::addColumn<bool>("editEvents");
        QTest::addColumn<bool>("editRepeat");
        QTest::addColumn<QString>("repeat");
        QTest::newRow("nothing changed") << false << false << "7";
        QTest::newRow("events") << true << false << "7";
        QTest::newRow("repeat") << false << true << "253";
        QTest::newRow("both") << true << true << "253";
    }

    void save()
    {
        QFETCH(bool, editEvents);
        QFETCH(bool, editRepeat);
        QFETCH(QString, repeat);
        openWith("P:A D:10ms R:A", "7");
        // Another program changed the file: Save writes it again from the rows.
        writeFileBytes(filePath("m"), "junk\n");
        if (editEvents)
            choose(4);
        if (editRepeat)
            get<QCheckBox>("ReUntil")->click();
        QCOMPARE(saveActive(), editEvents || editRepeat);

        QList<QVariantList> expected;
        if (editEvents)
            expected << QVariantList{"m", 0};
        if (editRepeat)
            expected << QVariantList{"m", 1};
        QCOMPARE(saveUpdates(), expected);
        QVERIFY(!saveActive());
        QCOMPARE(readFileBytes(filePath("m")), macroFileBytes(repeat, f.page->eventRows()));

        // The file holds what the list shows.
        const QString shown = describeEvents(f.events);
        f.select("m");
        QCOMPARE(describeEvents(f.events), shown);
        QCOMPARE(f.page->repeatText(), repeat);
        // The flags were cleared.
        QCOMPARE(saveUpdates(), QList<QVariantList>());
    }

    // Whatever makes another macro current shows its rows and repeat mode,
    // and Save then writes the rows shown into that macro's file alone.
    void currentMacroShowsItsRows_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("click") << "click";
        QTest::newRow("arrow key") << "down";
        QTest::newRow("type-ahead") << "type";
        QTest::newRow("right click") << "right";
    }

    void currentMacroShowsItsRows()
    {
        QFETCH(QString, how);
        f.open({"a.ini", "b.ini"});
        const QByteArray bFile = macroFileBytes("9", eventRowsOf("P:B D:20ms R:B"));
        writeFileBytes(filePath("a"), macroFileBytes("7", eventRowsOf("P:A D:10ms R:A")));
        writeFileBytes(filePath("b"), bFile);
        f.page->show();
        QApplication::setActiveWindow(f.page.get());
        f.select("a");
        QCOMPARE(describeEvents(f.events), QStringLiteral("P:A D:10ms R:A"));
        f.macros->setFocus();
        const QPoint onB = f.macros->visualItemRect(f.macros->item(1)).center();
        if (how == "click") {
            QTest::mouseClick(f.macros->viewport(), Qt::LeftButton, Qt::NoModifier, onB);
        } else if (how == "down") {
            QTest::keyClick(f.macros, Qt::Key_Down);
        } else if (how == "type") {
            QTest::keyClicks(f.macros, "b");
        } else {
            QTest::mousePress(f.macros->viewport(), Qt::RightButton, Qt::NoModifier, onB);
            QTest::mouseRelease(f.macros->viewport(), Qt::RightButton, Qt::NoModifier, onB);
        }
        QCOMPARE(f.page->currentMacroName(), QStringLiteral("b"));
        QCOMPARE(describeEvents(f.events), QStringLiteral("P:B D:20ms R:B"));
        QCOMPARE(get<QSpinBox>("NumberEdit")->value(), 9);
        QVERIFY(!saveActive());

        get<QCheckBox>("ReUntil")->click();
        QCOMPARE(saveUpdates(), (QList<QVariantList>{{"b", 1}}));
        QCOMPARE(readFileBytes(filePath("b")), "253" + bFile.mid(1));
        QCOMPARE(readFileBytes(filePath("a")), macroFileBytes("7", eventRowsOf("P:A D:10ms R:A")));
    }

    // A row keeps its key across a language change: a mouse button's name
    // changes, the line saved and the event sent do not.
    void mouseButtonRowKeepsItsKey()
    {
        openWith("P:A D:10ms R:A");
        f.events->setCurrentRow(-1);
        choose(4);
        const QString english = leftButtonName;
        QCOMPARE(describeEvents(f.events), "P:A D:10ms R:A D:10ms P:" + english + " D:10ms R:" + english);
        f.page->SlotAllLanguage(1);
        QVERIFY(leftButtonName != english);
        saveUpdates();
        QCOMPARE(readFileBytes(filePath("m")),
                 QByteArray("1\n0x04 1 0\n10ms\n0x04 1 1\n10ms\n0x01 4 0\n10ms\n0x01 4 1\n"));
        const MacroBlock block = macroBlockFromRows("m", f.page->eventRows());
        QCOMPARE(int(block.events[2].kind), int(kMouseButtonKey));
        QCOMPARE(int(block.events[2].code()), 0x01);

        // A row changed to another key takes that key.
        f.page->show();
        QApplication::setActiveWindow(f.page.get());
        f.events->setCurrentRow(4);
        {
            ModalAnswer modal(captureKey(Qt::Key_B));
            act("on_Amend_clicked");
        }
        saveUpdates();
        QVERIFY(readFileBytes(filePath("m")).endsWith("10ms\n0x05 1 0\n10ms\n0x01 4 1\n"));
        f.page->SlotAllLanguage(0);
    }

    // Save with no macro selected writes nothing, says nothing, and goes inactive.
    void saveWithoutAMacro()
    {
        f.open({"m.ini"});
        get<QCheckBox>("ReUntil")->click();
        QVERIFY(saveActive());
        QCOMPARE(saveUpdates(), QList<QVariantList>());
        QVERIFY(!saveActive());
        QCOMPARE(readFileBytes(filePath("m")), QByteArray("1\n"));
    }

    // New: a fresh name becomes the current macro with an empty file and a
    // count of 1; a taken name shows the notice; a name the folder cannot
    // keep is refused.
    // The notice's text: -1 none, 0 the name is taken, 1 it cannot be used.
    void newMacro_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("notice");
        QTest::addColumn<bool>("created");
        QTest::newRow("fresh") << "fresh" << -1 << true;
        QTest::newRow("other case") << "M" << -1 << true;
        QTest::newRow("cancelled") << "" << -1 << false;
        QTest::newRow("taken") << "m" << 0 << false;
        QTest::newRow("xml in it") << "myxml" << 1 << false;
        QTest::newRow("hidden file") << ".x" << 1 << false;
    }

    void newMacro()
    {
        QFETCH(QString, name);
        QFETCH(int, notice);
        QFETCH(bool, created);
        openWith("P:A D:10ms R:A", "9");
        QCOMPARE(get<QSpinBox>("NumberEdit")->value(), 9);
        QString shown;
        {
            ModalAnswer modal({enterName(name), testsupport::inspectThen(
                                                    [&](QDialog* d) { shown = child<QLabel>(d, "label")->text(); },
                                                    clickButton("NewHong"))});
            act("on_NewHong_clicked");
            QCOMPARE(modal.answered(),
                     (notice < 0 ? QStringList{"QuestionDialog"} : QStringList{"QuestionDialog", "SameMacro"}));
        }
        if (notice >= 0)
            QCOMPARE(shown, SameMacroTexts.text(0, notice));
        QCOMPARE(f.macros->count(), created ? 2 : 1);
        QCOMPARE(QDir(macroFolder()).entryList(QDir::Files).size(), created ? 2 : 1);
        if (!created) {
            QCOMPARE(f.page->currentMacroName(), QStringLiteral("m"));
            QCOMPARE(describeEvents(f.events), QStringLiteral("P:A D:10ms R:A"));
            return;
        }
        QCOMPARE(f.page->currentMacroName(), name);
        QCOMPARE(f.macros->currentRow(), 1);
        QCOMPARE(f.events->count(), 0);
        QVERIFY(get<QCheckBox>("ReNumber")->isChecked());
        QCOMPARE(get<QSpinBox>("NumberEdit")->value(), 1);
        QCOMPARE(readFileBytes(filePath(name)), QByteArray());
        QVERIFY(readFileBytes(filePath("m")).startsWith("9\n"));
    }

    // Delete: confirmed, the file, the row and the events go and the button
    // page hears of it; closed, nothing changes; with no macro, no question.
    void deleteMacro_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("deleted");
        QTest::newRow("confirmed") << "NewHong" << true;
        QTest::newRow("closed") << "CloseButton" << false;
    }

    void deleteMacro()
    {
        QFETCH(QString, answer);
        QFETCH(bool, deleted);
        openWith("P:A D:10ms R:A");
        QSignalSpy hub(PostMsg::GetInstance(), &PostMsg::SigDeleteMacroButton);
        {
            ModalAnswer modal(clickButton(answer));
            act("on_DeleteHong_clicked");
            QCOMPARE(modal.answered(), QStringList{"DeleteConfirm"});
        }
        QCOMPARE(QFile::exists(filePath("m")), !deleted);
        QCOMPARE(f.macros->count(), deleted ? 0 : 1);
        QCOMPARE(hub.count(), deleted ? 1 : 0);
        if (!deleted)
            return;
        QCOMPARE(hub.at(0).at(0).toString(), MacroTexts.text(0, 19) + "m");
        QCOMPARE(f.events->count(), 0);
        QCOMPARE(f.macros->currentRow(), -1);

        ModalAnswer none(clickButton("CloseButton"));
        act("on_DeleteHong_clicked");
        QCOMPARE(none.answeredCount(), 0);
    }

    // The context menu: export, rename and delete over a row; new and import
    // over the empty area; each entry reaches its action.
    void contextMenu()
    {
        openWith("P:A D:10ms R:A");
        f.page->show();
        const QPoint overRow = f.macros->visualItemRect(f.macros->item(0)).center();
        QMetaObject::invokeMethod(f.page.get(), "on_listWidgetHong_customContextMenuRequested",
                                  Q_ARG(QPoint, overRow));
        QMenu* menu = f.page->findChild<QMenu*>();
        QVERIFY(menu);
        QStringList texts;
        for (QAction* action : menu->actions())
            texts << action->text();
        QCOMPARE(texts, (QStringList{MacroTexts.text(0, 20), MacroTexts.text(0, 21), MacroTexts.text(0, 22)}));
        QCOMPARE(menu->font(), f.macros->font());

        // Export from the menu, then delete from it.
        const QString exported = testsupport::homeDir() + "/m-export.ini";
        // As a click on an entry does: the menu hides, then the entry runs.
        auto pick = [](QMenu* from, int entry) {
            QAction* action = from->actions().at(entry);
            from->hide();
            action->trigger();
        };
        {
            ModalAnswer modal(testsupport::chooseFile(exported));
            pick(menu, 0);
            QVERIFY(modal.allAnswered());
        }
        QVERIFY(QFile::exists(exported));
        QMetaObject::invokeMethod(f.page.get(), "on_listWidgetHong_customContextMenuRequested",
                                  Q_ARG(QPoint, overRow));
        // One menu at a time.
        QCOMPARE(f.page->findChildren<QMenu*>().size(), 1);
        menu = f.page->findChild<QMenu*>();
        {
            ModalAnswer modal(clickButton("NewHong"));
            pick(menu, 2);
            QCOMPARE(modal.answered(), QStringList{"DeleteConfirm"});
        }
        QCOMPARE(f.macros->count(), 0);

        // Import from the empty area's menu brings the macro back.
        QMetaObject::invokeMethod(f.page.get(), "on_listWidgetHong_customContextMenuRequested",
                                  Q_ARG(QPoint, QPoint(5, 300)));
        menu = f.page->findChild<QMenu*>();
        QVERIFY(menu);
        QCOMPARE(menu->actions().size(), 2);
        QCOMPARE(menu->actions().at(0)->text(), MacroTexts.text(0, 23));
        QCOMPARE(menu->actions().at(1)->text(), MacroTexts.text(0, 24));
        {
            ModalAnswer modal(testsupport::chooseFile(exported));
            pick(menu, 1);
            QVERIFY(modal.allAnswered());
        }
        QCOMPARE(f.page->currentMacroName(), QStringLiteral("m"));
        QCOMPARE(describeEvents(f.events), QStringLiteral("P:A D:10ms R:A"));
        QCOMPARE(readFileBytes(filePath("m")), macroFileBytes("1", f.page->eventRows()));
    }

    // Amend: a delay row takes the delay dialog's value, a key row the key
    // dialog's key; a cancelled dialog changes nothing.
    void amend_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("rows");
        QTest::addColumn<QStringList>("dialogs");
        QTest::newRow("delay") << 1 << "500" << "P:A D:500ms R:A" << QStringList{"AddDelayTime"};
        QTest::newRow("key press") << 0 << "B" << "P:B D:10ms R:A" << QStringList{"addKey"};
        QTest::newRow("key release") << 2 << "B" << "P:A D:10ms R:B" << QStringList{"addKey"};
        QTest::newRow("delay cancelled") << 1 << "" << "P:A D:10ms R:A" << QStringList{"AddDelayTime"};
        QTest::newRow("key cancelled") << 0 << "" << "P:A D:10ms R:A" << QStringList{"addKey"};
        QTest::newRow("no event row") << -1 << "" << "P:A D:10ms R:A" << QStringList{};
    }

    void amend()
    {
        QFETCH(int, row);
        QFETCH(QString, how);
        QFETCH(QString, rows);
        QFETCH(QStringList, dialogs);
        openWith("P:A D:10ms R:A");
        f.page->show();
        QApplication::setActiveWindow(f.page.get());
        f.events->setCurrentRow(row);
        ModalAnswer::Answer answer = clickButton("CloseButton");
        if (!how.isEmpty())
            answer = row == 1 ? enterDelay(how) : captureKey(Qt::Key_B);
        {
            ModalAnswer modal(answer);
            act("on_Amend_clicked");
            QCOMPARE(modal.answered(), dialogs);
        }
        QCOMPARE(describeEvents(f.events), rows);
        const bool changed = !how.isEmpty();
        QCOMPARE(saveActive(), changed);
        QCOMPARE(saveUpdates(), (changed ? QList<QVariantList>{{"m", 0}} : QList<QVariantList>()));
    }

    // Delete event: a delay goes alone; a key goes with its other half (the
    // release of a press, the press of a release) and a delay beside each,
    // so no key is left held down. Three rows or fewer go whole, and the
    // macro counts as changed.
    void deleteEvent_data()
    {
        QTest::addColumn<QString>("rows");
        QTest::addColumn<int>("current");
        QTest::addColumn<QString>("left");
        const QString seven = QStringLiteral("P:A D:10ms R:A D:20ms P:B D:30ms R:B");
        const QString typed = QStringLiteral("P:H D:10ms R:H D:20ms P:I D:30ms R:I");
        QTest::newRow("three rows, none selected") << "P:A D:10ms R:A" << -1 << "";
        QTest::newRow("three rows, one selected") << "P:A D:10ms R:A" << 2 << "";
        QTest::newRow("delay at the top") << "D:5ms P:A D:10ms R:A" << 0 << "P:A D:10ms R:A";
        QTest::newRow("delay after a release") << typed << 3 << "P:H D:10ms R:H P:I D:30ms R:I";
        QTest::newRow("delay after a press") << typed << 1 << "P:H R:H D:20ms P:I D:30ms R:I";
        QTest::newRow("delay at the end") << seven + " D:40ms" << 7 << seven;
        QTest::newRow("first key") << seven << 0 << "P:B D:30ms R:B";
        QTest::newRow("release of the first key") << seven << 2 << "P:B D:30ms R:B";
        QTest::newRow("press inside") << seven << 4 << "P:A D:10ms R:A";
        QTest::newRow("last row") << seven << 6 << "P:A D:10ms R:A";
        QTest::newRow("overlapping keys") << "P:A D:1ms P:B D:2ms R:A D:3ms R:B" << 0 << "P:B D:2ms R:B";
        QTest::newRow("same key again") << "P:A D:1ms R:A D:2ms P:A D:3ms R:A" << 6 << "P:A D:1ms R:A";
        QTest::newRow("press without release") << "P:A D:1ms R:A D:2ms P:B" << 4 << "P:A D:1ms R:A";
        QTest::newRow("none selected") << seven << -1 << seven;
        // Two names outside the key table (another language's mouse buttons)
        // are two keys, not one key of no code.
        QTest::newRow("keys outside the table")
            << "P:Souris4 D:1ms P:Souris5 D:2ms R:Souris4 D:3ms R:Souris5" << 0 << "P:Souris5 D:2ms R:Souris5";
    }

    void deleteEvent()
    {
        QFETCH(QString, rows);
        QFETCH(int, current);
        QFETCH(QString, left);
        const QVector<MacroRow> given = eventRowsOf(rows);
        const bool outsideTable = std::any_of(given.begin(), given.end(), [](const MacroRow& row) {
            return !isDelayText(row.text) && rowKeyCodes(row).isEmpty();
        });
        if (outsideTable) {
            // A file keeps no such name: the rows are put in the list itself.
            openWith("");
            for (const MacroRow& row : given) {
                if (isDelayText(row.text))
                    f.page->appendDelayEvent(row.text.chopped(2).toDouble());
                else
                    f.page->appendKeyEvent(row.text, row.type == 0);
            }
            QCOMPARE(describeEvents(f.events), rows);
        } else {
            openWith(rows);
        }
        f.events->setCurrentRow(current);
        act("on_DeleteKey_clicked");
        QCOMPARE(describeEvents(f.events), left);
        const bool changed = left != rows;
        QCOMPARE(saveActive(), changed);
        QCOMPARE(saveUpdates(), (changed ? QList<QVariantList>{{"m", 0}} : QList<QVariantList>()));
        QCOMPARE(readFileBytes(filePath("m")), macroFileBytes("1", eventRowsOf(left)));
    }

    // Insert an event: through the key dialog, the delay dialog, or straight
    // from a mouse button; nothing without a macro, or for a delay without
    // an event row.
    void chooseEvent_data()
    {
        QTest::addColumn<int>("item");
        QTest::addColumn<bool>("select");
        QTest::addColumn<int>("current");
        QTest::addColumn<QStringList>("dialogs");
        QTest::addColumn<QString>("rows");
        const QString start = QStringLiteral("P:A D:10ms R:A");
        QTest::newRow("empty item") << 0 << true << 2 << QStringList{} << start;
        QTest::newRow("key press") << 1 << true << 2 << QStringList{"addKey"} << start + " D:10ms P:B";
        QTest::newRow("key release") << 2 << true << 2 << QStringList{"addKey"} << start + " D:10ms R:B";
        QTest::newRow("delay") << 3 << true << 2 << QStringList{"AddDelayTime"} << "P:A D:500ms R:A";
        QTest::newRow("delay, no event row") << 3 << true << -1 << QStringList{"AddDelayTime"} << start;
        QTest::newRow("left button") << 4 << true << 2 << QStringList{} << start + " D:10ms P:L D:10ms R:L";
        QTest::newRow("back button") << 8 << true << 2 << QStringList{} << start + " D:10ms P:K D:10ms R:K";
        // With no macro current no rows are shown, and none are added.
        QTest::newRow("key, no macro") << 1 << false << 2 << QStringList{"addKey"} << "";
        QTest::newRow("button, no macro") << 4 << false << 2 << QStringList{} << "";
    }

    void chooseEvent()
    {
        QFETCH(int, item);
        QFETCH(bool, select);
        QFETCH(int, current);
        QFETCH(QStringList, dialogs);
        QFETCH(QString, rows);
        openWith("P:A D:10ms R:A");
        f.page->show();
        QApplication::setActiveWindow(f.page.get());
        if (!select)
            f.macros->setCurrentItem(nullptr);
        f.events->setCurrentRow(current);
        {
            ModalAnswer modal(item == 3 ? enterDelay("500") : captureKey(Qt::Key_B));
            choose(item);
            QCOMPARE(modal.answered(), dialogs);
        }
        rows.replace("P:L", "P:" + leftButtonName).replace("R:L", "R:" + leftButtonName);
        rows.replace("P:K", "P:" + backButtonName).replace("R:K", "R:" + backButtonName);
        QCOMPARE(describeEvents(f.events), rows);
        const bool changed = select && rows != QStringLiteral("P:A D:10ms R:A");
        QCOMPARE(saveActive(), changed);
        if (changed)
            QCOMPARE(saveUpdates(), (QList<QVariantList>{{"m", 0}}));
    }
};

QUEMBREL_TEST_MAIN(MacroActionsTest)
#include "tst_macroactions.moc"
