// The button function menu: key texts and their key blocks, the menu opening
// on a button's current function, every option's write to the device, rapid
// fire with its dialog, and the key and multimedia assignments the macro
// list uses. A write reaches the caption and the model only when the device
// took it.
#include "support/buttonfixture.h"
#include "support/devicefixture.h"
#include "support/modalanswer.h"
#include "support/openeddevice.h"
#include "support/testsupport.h"
#include "support/widgetprobe.h"

#include "buttons/buttoninterface.h"
#include "buttons/firekey.h"
#include "buttons/groupkey.h"
#include "core/globals.h"
#include "core/languagetable.h"
#include "core/postmsg.h"
#include "core/product.h"
#include "core/settings.h"
#include "macro/keynames.h"
#include "platform/hidusb/simcontrol.h"
#include "sensor/sensor.h"
#include "widgets/dialogframe.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QStackedWidget>
#include <QToolButton>

#include <cstring>

using testsupport::ModalAnswer;
using testsupport::OpenedDevice;
using testsupport::child;
using testsupport::buttonCaption;
using testsupport::kButtonRows;

using testsupport::recordOf;

namespace {

const char* const kMainEntries[] = {"LeftKey_3", "RightKey_3", "MidKey", "BackKey_2", "ForWardKey", "DPI_2",
                                    "DPI_3",     "DPI_6",      "DPI_8",  "DPI_5",     "DPI_13",     "DPI_11",
                                    "DPI_4",     "DPI_9",      "DPI_7",  "DPI_12",    "DPI_10"};

QString hex(const void* data, int size)
{
    return QString::fromLatin1(QByteArray(static_cast<const char*>(data), size).toHex(' '));
}

// A key block in hex from its count and its events, each "action kind code"
// with a 16-bit code; every event waits 10 ms.
QString blockHex(int count, const QVector<QVector<int>>& events)
{
    QByteArray bytes(52, '\0');
    bytes[0] = char(count);
    for (int e = 0; e < events.size(); ++e) {
        const QVector<int>& event = events.at(e);
        bytes[4 + 8 * e] = char(event.at(0));
        bytes[5 + 8 * e] = char(event.at(1));
        bytes[6 + 8 * e] = char(event.at(2) & 0xFF);
        bytes[7 + 8 * e] = char(event.at(2) >> 8);
        bytes[8 + 8 * e] = 10;
    }
    return QString::fromLatin1(bytes.toHex(' '));
}

// One macro file per macro name.
void writeMacroFiles(const QStringList& names)
{
    QStringList files;
    for (const QString& name : names)
        files << name + QStringLiteral(".ini");
    testsupport::writeMacroFiles(files);
}

// The names of the checked buttons under a widget.
QStringList checkedUnder(QWidget* root)
{
    QStringList names;
    for (QToolButton* button : root->findChildren<QToolButton*>())
        if (button->isChecked())
            names << (button->objectName().isEmpty() ? button->text() : button->objectName());
    names.sort();
    return names;
}

QString checkedMainEntry(Buttoninterface* page)
{
    QStringList names;
    for (const char* name : kMainEntries)
        if (child<QToolButton>(page, name)->isChecked())
            names << QLatin1String(name);
    return names.join(QLatin1Char(','));
}

QScrollBar* listBar(Buttoninterface* page, const char* area)
{
    return child<QScrollArea>(page, area)->verticalScrollBar();
}

// A scroll position as the list can take it.
int position(Buttoninterface* page, const char* area, int pixels)
{
    return qMin(pixels, listBar(page, area)->maximum());
}

QString shownPage(Buttoninterface* page, const char* stack)
{
    return child<QStackedWidget>(page, stack)->currentWidget()->objectName();
}

// The record with button k's assignment replaced.
QByteArray withAssignment(QByteArray record, int k, int type, int value1, int value2)
{
    record[0x4A + 3 * k] = char(type);
    record[0x4A + 3 * k + 1] = char(value1);
    record[0x4A + 3 * k + 2] = char(value2);
    return record;
}

QByteArray withKeyBlock(QByteArray record, int k, const KeyBlock& block)
{
    record.replace(0x7C + 52 * k, 52, QByteArray(reinterpret_cast<const char*>(&block), 52));
    return record;
}

// A page filled from the open device's record and shown, in English. The
// device opens after the page, whose worker starts on a path of its own.
struct MenuPage
{
    MenuPage()
    {
        PostMsg::GetInstance()->PostAllLanguage(0);
        page.SlotUpDataButtonUIButton(CurrentFlashData);
        page.show();
        // Each sub-page laid out once, so its list knows its range.
        auto* pages = child<QStackedWidget>(&page, "stackedWidget_2");
        for (int i = 0; i < pages->count(); ++i) {
            pages->setCurrentIndex(i);
            QCoreApplication::processEvents();
        }
        page.closeFunctionMenu();
        QCoreApplication::processEvents();
    }
    void fill(const QByteArray& record)
    {
        CurrentFlashData = recordOf(record);
        page.SlotUpDataButtonUIButton(CurrentFlashData);
    }
    // Selects device button k with its number badge: the menu stays shut.
    void select(int k)
    {
        for (int row = 0; row < 12; ++row)
            if (QLatin1String(kButtonRows[k]) == QLatin1String(kScreenRows[row]))
                QMetaObject::invokeMethod(&page, qPrintable(QStringLiteral("on_Number%1_clicked").arg(row + 1)));
    }
    QToolButton* button(const char* name) { return child<QToolButton>(&page, name); }

    static constexpr const char* kScreenRows[12] = {"FireKey", "RightKey", "BackKey", "StartPause",
                                                     "TopMusic", "BackMusic", "Button7", "Button8",
                                                     "Button9", "Button10", "Button11", "Button12"};
    Buttoninterface page;
    OpenedDevice device;
};
constexpr const char* MenuPage::kScreenRows[12];

// RightKey fires rapidly, StartPause (row 4) sends Ctrl+C.
QByteArray rapidFireAndCtrlC()
{
    const QByteArray record = withAssignment(OpenedDevice::record(), 1, 4, 50, 0);
    return withKeyBlock(withAssignment(record, 4, 5, 0, 0), 4,
                        Buttoninterface::KeyTextToKeyBlock(QStringLiteral("Ctrl+C")));
}

// A DPI-lock value of the open sensor that reads back as this DPI.
int sensorValueOf(Buttoninterface* page, int dpi)
{
    for (int v = 0; v < 256; ++v)
        if (page->SensorValueToDpi(v) == dpi)
            return v;
    return -1;
}

ModalAnswer::Answer fireKeyOk(int time, int count)
{
    return [time, count](QDialog* dialog) {
        child<QSpinBox>(dialog, "Time")->setValue(time);
        child<QSpinBox>(dialog, "Count")->setValue(count);
        child<QToolButton>(dialog, "NewHong")->click();
    };
}

} // namespace

class FunctionMenuTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        testsupport::loadInstalledLanguages();
        QVERIFY(ButtoninterfaceTexts.rowCount() >= 3);
    }

    void init() { testsupport::startButtonPageTest(); }
    void cleanup() { testsupport::endButtonPageTest(); }

    // ---- Key texts ------------------------------------------------------------------

    void keyTextToKeyBlock_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("block");
        const int mod = 0, key = 1;
        QTest::newRow("A") << "A" << blockHex(2, {{0, key, 0x04}, {1, key, 0x04}});
        QTest::newRow("Ctrl+A") << "Ctrl+A"
                                << blockHex(4, {{0, mod, 0x01}, {0, key, 0x04}, {1, key, 0x04}, {1, mod, 0x01}});
        QTest::newRow("Shift+Ctrl+Z") << "Shift+Ctrl+Z"
                                      << blockHex(6, {{0, mod, 0x02}, {0, mod, 0x01}, {0, key, 0x1D},
                                                      {1, key, 0x1D}, {1, mod, 0x01}, {1, mod, 0x02}});
        QTest::newRow("Alt+Win+F") << "Alt+Win+F"
                                   << blockHex(6, {{0, mod, 0x04}, {0, mod, 0x08}, {0, key, 0x09},
                                                   {1, key, 0x09}, {1, mod, 0x08}, {1, mod, 0x04}});
        QTest::newRow("F1") << "F1" << blockHex(2, {{0, key, 0x3A}, {1, key, 0x3A}});
        QTest::newRow("F12") << "F12" << blockHex(2, {{0, key, 0x45}, {1, key, 0x45}});
        QTest::newRow("Num0+0") << "Num0+0"
                                << blockHex(4, {{0, key, 0x62}, {0, key, 0x27}, {1, key, 0x27}, {1, key, 0x62}});
        QTest::newRow("Num3, Num.") << "Num3+Num." << blockHex(4, {{0, key, 0x5B}, {0, key, 0x63},
                                                                   {1, key, 0x63}, {1, key, 0x5B}});
        QTest::newRow("arrow and backslash") << QString::fromUtf8("\u2191+\\")
                                             << blockHex(4, {{0, key, 0x52}, {0, key, 0x31},
                                                             {1, key, 0x31}, {1, key, 0x52}});
        QTest::newRow("lower case is unknown") << "a" << blockHex(2, {{0, key, 0}, {1, key, 0}});
        QTest::newRow("unknown name") << "Ctrl+Hyper"
                                      << blockHex(4, {{0, mod, 0x01}, {0, key, 0}, {1, key, 0}, {1, mod, 0x01}});
        QTest::newRow("empty text") << "" << blockHex(2, {{0, key, 0}, {1, key, 0}});
        QTest::newRow("keypad plus") << "Ctrl+Num+" << blockHex(4, {{0, mod, 0x01}, {0, key, 0x57},
                                                                    {1, key, 0x57}, {1, mod, 0x01}});
        QTest::newRow("keypad plus first") << "Num++A" << blockHex(4, {{0, key, 0x57}, {0, key, 0x04},
                                                                       {1, key, 0x04}, {1, key, 0x57}});
        QTest::newRow("empty middle name") << "Ctrl++A"
                                           << blockHex(6, {{0, mod, 0x01}, {0, key, 0}, {0, key, 0x04},
                                                           {1, key, 0x04}, {1, key, 0}, {1, mod, 0x01}});
        QTest::newRow("four keys cut to three") << "Ctrl+Shift+Alt+A"
                                                << blockHex(6, {{0, mod, 0x01}, {0, mod, 0x02}, {0, mod, 0x04},
                                                                {1, mod, 0x04}, {1, mod, 0x02}, {1, mod, 0x01}});
        QTest::newRow("seven keys cut to three") << "A+B+C+D+E+F+G"
                                                 << blockHex(6, {{0, key, 0x04}, {0, key, 0x05}, {0, key, 0x06},
                                                                 {1, key, 0x06}, {1, key, 0x05}, {1, key, 0x04}});
    }

    void keyTextToKeyBlock()
    {
        QFETCH(QString, text);
        QFETCH(QString, block);
        const KeyBlock built = Buttoninterface::KeyTextToKeyBlock(text);
        QCOMPARE(hex(&built, sizeof built), block);
    }

    // Every name of the vocabulary reads back as itself. ("Num+" fits no
    // "+"-joined text, so the names go in one by one.)
    void keyNamesRoundTrip()
    {
        int named = 0;
        for (int usage = 1; usage < 0x100; ++usage) {
            const QString name = Buttoninterface::KeyCodeToName(usage, 1);
            // Codes that are modifier bits in any mode, and a second Enter.
            if (name.isEmpty() || usage == 0x58 || usage == 0x01 || usage == 0x02 || usage == 0x80)
                continue;
            ++named;
            KeyBlock block;
            std::memset(&block, 0, sizeof block);
            block = Buttoninterface::KeyNameToEvents(name, 0, 1, block);
            QCOMPARE(int(block.events[0].code()), usage);
            QCOMPARE(int(block.events[0].kind), 1);
        }
        QCOMPARE(named, 95);
    }

    void keyNameToSlot()
    {
        MacroBlock block;
        std::memset(&block, 0xAB, sizeof block);
        const QByteArray before(reinterpret_cast<const char*>(&block), sizeof block);
        Buttoninterface::KeyNameToSlot(QStringLiteral("RAlt"), 3, block);
        QByteArray expected = before;
        expected[32 + 8 * 3 + 1] = 0;
        expected[32 + 8 * 3 + 2] = 0x40;
        expected[32 + 8 * 3 + 3] = 0;
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(&block), sizeof block), expected);

        Buttoninterface::KeyNameToSlot(QStringLiteral("Num+"), 69, block);
        QCOMPARE(int(block.events[69].kind), 1);
        QCOMPARE(int(block.events[69].code()), 0x57);
        // An unknown name keeps the code; a slot past the block is ignored.
        Buttoninterface::KeyNameToSlot(QStringLiteral("Ctrl"), 69, block);
        QCOMPARE(int(block.events[69].kind), 1);
        QCOMPARE(int(block.events[69].code()), 0x57);
        const QByteArray kept(reinterpret_cast<const char*>(&block), sizeof block);
        Buttoninterface::KeyNameToSlot(QStringLiteral("A"), 70, block);
        Buttoninterface::KeyNameToSlot(QStringLiteral("A"), -1, block);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(&block), sizeof block), kept);
    }

    void consumerKeyBlock()
    {
        const KeyBlock block = Buttoninterface::MakeConsumerKeyBlock(0x01, 0x83);
        QCOMPARE(hex(&block, sizeof block), blockHex(2, {{0, 2, 0x0183}, {1, 2, 0x0183}}));
    }

    // ---- Menu opening ---------------------------------------------------------------

    void menuState_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("value");        // a DPI for type 10
        QTest::addColumn<int>("lowByte");      // of the first key event
        QTest::addColumn<bool>("consumer");    // the first key event is a consumer key
        QTest::addColumn<QString>("macro");    // the record's macro name
        QTest::addColumn<QStringList>("macros");  // macro files
        QTest::addColumn<QString>("subPage");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("option");
        QTest::addColumn<int>("mainStep");
        QTest::addColumn<int>("mediaStep");    // -1: not moved
        QTest::addColumn<int>("dpiStep");      // -1: not moved
        QTest::addColumn<int>("macroStep");    // -1: not moved

        const QStringList none;
        const QStringList three = {"Alpha", "Beta", "Gamma"};
        auto row = [&](const char* name, int type, int value, int low, const QString& macro, const QStringList& macros,
                       const char* sub, const char* entry, const char* option, int mainStep, int mediaStep,
                       int dpiStep, int macroStep, bool consumer = false) {
            QTest::newRow(name) << type << value << low << consumer << macro << macros << QString::fromLatin1(sub)
                                << QString::fromLatin1(entry) << QString::fromLatin1(option) << mainStep << mediaStep
                                << dpiStep << macroStep;
        };
        row("disabled", 0, 0, 0, {}, none, "page_9", "DPI_5", "", 9, -1, 0, -1);
        row("left button", 1, 1, 0, {}, none, "page_9", "LeftKey_3", "", 0, -1, 0, -1);
        row("forward button", 1, 16, 0, {}, none, "page_9", "ForWardKey", "", 4, -1, 0, -1);
        row("mouse button 3", 1, 3, 0, {}, none, "page_9", "", "", 0, -1, 0, -1);
        row("DPI up", 2, 2, 0, {}, none, "page_7", "DPI_7", "VolumeUp_9", 13, -1, 0, -1);
        row("DPI switch 4", 2, 4, 0, {}, none, "page_7", "DPI_7", "", 13, -1, 0, -1);
        row("wheel right", 3, 2, 0, {}, none, "page_4", "DPI_11", "VolumeDown_2", 10, -1, 0, -1);
        row("rapid fire", 4, 50, 0, {}, none, "page_9", "DPI_6", "", 7, -1, 0, -1);
        row("media player 0x183", 5, 0, 0x83, {}, none, "page_3", "DPI_12", "Player", 16, 0, -1, -1, true);
        row("browser search", 5, 0, 0x21, {}, none, "page_3", "DPI_12", "VolumeDown_9", 16, 12, -1, -1, true);
        row("bookmarks", 5, 0, 0x2A, {}, none, "page_3", "DPI_12", "VolumeDown_11", 16, 17, -1, -1, true);
        row("key combination", 5, 0, 0x01, {}, none, "page_9", "DPI_8", "", 8, 0, -1, -1);
        // Keyboard keys that share a low byte with a multimedia usage: the
        // caption names the keys, and so does the menu.
        row("key 4, not search", 5, 0, 0x21, {}, none, "page_9", "DPI_8", "", 8, 0, -1, -1);
        row("BackSpace, not bookmarks", 5, 0, 0x2A, {}, none, "page_9", "DPI_8", "", 8, 0, -1, -1);
        row("macro listed", 6, 0, 0, "Beta", three, "page_5", "DPI_10", "Beta", 15, -1, 0, 2);
        row("macro gone", 6, 0, 0, "Delta", three, "page_5", "DPI_10", "", 15, -1, 0, -1);
        row("report rate", 7, 0, 0, {}, none, "page_9", "DPI_2", "", 5, -1, 0, -1);
        row("light bar", 8, 3, 0, {}, none, "page_6", "DPI_9", "VolumeUp_6", 12, -1, 0, -1);
        row("light switch 2", 8, 2, 0, {}, none, "page_6", "DPI_9", "", 12, -1, 0, -1);
        row("profile", 9, 0, 0, {}, none, "page_9", "DPI_3", "", 6, -1, 0, -1);
        row("DPI lock 800", 10, 800, 0, {}, none, "page_8", "DPI_4", "VolumeUp_22", 15, -1, 7, -1);
        row("DPI lock 1200", 10, 1200, 0, {}, none, "page_8", "DPI_4", "VolumeUp_21", 15, -1, 11, -1);
        row("DPI lock 450", 10, 450, 0, {}, none, "page_8", "DPI_4", "", 15, -1, 0, -1);
        row("wheel up", 11, 1, 0, {}, none, "page_10", "DPI_13", "VolumeUp_14", 10, -1, 0, -1);
        row("type 12", 12, 0, 0, {}, none, "page_9", "", "", 0, -1, 0, -1);
    }

    // Device button 1 (RightKey) holds the function; a click on it opens the
    // menu there. Every list starts scrolled away from where it should go.
    void menuState()
    {
        QFETCH(int, type);
        QFETCH(int, value);
        QFETCH(int, lowByte);
        QFETCH(bool, consumer);
        QFETCH(QString, macro);
        QFETCH(QStringList, macros);
        writeMacroFiles(macros);
        MenuPage menu;
        OpenedDevice& device = menu.device;
        Buttoninterface* page = &menu.page;

        int value1 = value;
        if (type == 10) {
            value1 = sensorValueOf(page, value);
            QVERIFY(value1 >= 0);
        }
        QByteArray record = withAssignment(OpenedDevice::record(), 1, type, value1, 0);
        KeyBlock keys = Buttoninterface::KeyTextToKeyBlock(QStringLiteral("A"));
        keys.events[0].codeLE[0] = uint8_t(lowByte);
        if (consumer) {
            keys.events[0].codeLE[1] = 0x01;
            keys.events[0].kind = keys.events[1].kind = 2;
        }
        record = withKeyBlock(record, 1, keys);
        const QByteArray name = macro.toLocal8Bit();
        record.replace(0x3BC + 592 + 1, name.size(), name);
        record[0x3BC + 592] = char(name.size());
        menu.fill(record);
        device.clearSent();

        const QStringList scrolled = {"scrollArea_4", "scrollArea_3", "scrollArea_10", "scrollArea_7"};
        for (const QString& area : scrolled)
            listBar(page, qPrintable(area))->setValue(listBar(page, qPrintable(area))->maximum());
        QMap<QString, int> before;
        for (const QString& area : scrolled)
            before[area] = listBar(page, qPrintable(area))->value();

        menu.button("RightKey")->click();

        QFETCH(QString, subPage);
        QFETCH(QString, entry);
        QFETCH(QString, option);
        QFETCH(int, mainStep);
        QFETCH(int, mediaStep);
        QFETCH(int, dpiStep);
        QFETCH(int, macroStep);
        QCOMPARE(shownPage(page, "stackedWidget"), QString::fromLatin1(type <= 11 ? "page_2" : "page"));
        QCOMPARE(shownPage(page, "stackedWidget_2"), subPage);
        QCOMPARE(checkedMainEntry(page), entry);
        QCOMPARE(checkedUnder(child<QWidget>(page, "stackedWidget_2")).join(QLatin1Char(',')), option);
        QCOMPARE(listBar(page, "scrollArea_4")->value(), position(page, "scrollArea_4", 15 * mainStep));
        auto expect = [&](const char* area, int step) {
            const int moved = step < 0 ? before[QLatin1String(area)] : position(page, area, 15 * step);
            QCOMPARE(listBar(page, area)->value(), moved);
        };
        expect("scrollArea_3", mediaStep);
        expect("scrollArea_10", dpiStep);
        expect("scrollArea_7", macroStep);
        QCOMPARE(listBar(page, "scrollArea_11")->styleSheet(), QStringLiteral("QScrollBar {width:0px;}"));
        QVERIFY(device.recordsSent().isEmpty());
        if (type == 5 && !consumer && !keyNameOfUsage(lowByte).isEmpty())
            QCOMPARE(buttonCaption(page, 1), keyNameOfUsage(lowByte));
    }

    // The lists are long enough for the steps the menu takes.
    void menuListsReachTheirSteps()
    {
        MenuPage menu;
        QVERIFY(listBar(&menu.page, "scrollArea_3")->maximum() >= 15 * 17);
        QVERIFY(listBar(&menu.page, "scrollArea_10")->maximum() >= 15 * 11);
    }

    void leftClickStaysOnOneButton_data()
    {
        QTest::addColumn<int>("leftClickAlso");  // another device index with the left click, -1 none
        QTest::addColumn<bool>("guarded");
        QTest::newRow("only BackKey") << -1 << true;
        QTest::newRow("FireKey too") << 0 << false;
        QTest::newRow("hidden Button7 too") << 6 << false;
    }

    void leftClickStaysOnOneButton()
    {
        QFETCH(int, leftClickAlso);
        QFETCH(bool, guarded);
        MenuPage menu;
        QByteArray record = OpenedDevice::record();
        for (int k : {0, 6, 7, 8, 9, 10, 11})
            record = withAssignment(record, k, 0, 0, 0);
        record = withAssignment(record, 2, 1, 1, 0);
        if (leftClickAlso >= 0)
            record = withAssignment(record, leftClickAlso, 1, 1, 0);
        menu.fill(record);
        menu.button("RightKey")->click();   // the menu is open on another button

        QRect notice;
        ModalAnswer modal(testsupport::inspectThen([&](QDialog* d) { notice = d->geometry(); },
                                                   testsupport::clickButton("CloseButton")));
        menu.button("BackKey")->click();

        QCOMPARE(modal.answeredCount(), guarded ? 1 : 0);
        if (guarded) {
            QCOMPARE(modal.answered(), QStringList{QStringLiteral("LeftButtonOnly")});
            QCOMPARE(shownPage(&menu.page, "stackedWidget"), QStringLiteral("page"));
            QCOMPARE(shownPage(&menu.page, "stackedWidget_2"), QStringLiteral("page_9"));
            QVERIFY(checkedUnder(child<QWidget>(&menu.page, "scrollArea_11")).isEmpty());
            const QPoint corner = menu.page.mapToGlobal(QPoint(0, 0));
            QCOMPARE(notice.topLeft(), QPoint(corner.x() + (menu.page.width() - notice.width()) / 2 - 50,
                                              corner.y() + (menu.page.height() - notice.height()) / 2 - 70));
        } else {
            QCOMPARE(shownPage(&menu.page, "stackedWidget"), QStringLiteral("page_2"));
            QCOMPARE(checkedMainEntry(&menu.page), QStringLiteral("LeftKey_3"));
            QVERIFY(menu.button("BackKey")->isChecked());
        }
        // A caption one character off is no left click.
        menu.button("BackKey")->setText(menu.button("LeftKey_3")->text() + QLatin1Char(' '));
        ModalAnswer none(testsupport::clickButton("CloseButton"));
        menu.button("BackKey")->click();
        QCOMPARE(none.answeredCount(), 0);
    }

    void numberBadges_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("selected");
        QTest::newRow("Number1") << 1 << "FireKey";
        QTest::newRow("Number4") << 4 << "StartPause";
        QTest::newRow("Number5") << 5 << "TopMusic";
        QTest::newRow("Number12") << 12 << "Button12";
    }

    void numberBadges()
    {
        QFETCH(int, row);
        QFETCH(QString, selected);
        MenuPage menu;
        child<QToolButton>(&menu.page, qPrintable(QStringLiteral("Number%1").arg(row)))->click();
        QCOMPARE(checkedUnder(child<QWidget>(&menu.page, "scrollArea_11")), QStringList{selected});
        QCOMPARE(listBar(&menu.page, "scrollArea_11")->value(), position(&menu.page, "scrollArea_11", 20 * (row - 1)));
        QCOMPARE(shownPage(&menu.page, "stackedWidget"), QStringLiteral("page"));
    }

    // The open menu shows the selected button's function or nothing: a badge
    // selecting another button, a new record and another device opened each
    // leave it closed.
    void menuFollowsTheSelection_data()
    {
        QTest::addColumn<QString>("then");
        QTest::newRow("badge of another row") << "badge";
        QTest::newRow("badge of the same row") << "same badge";
        QTest::newRow("record arrives") << "record";
        QTest::newRow("device opened") << "opened";
    }

    void menuFollowsTheSelection()
    {
        QFETCH(QString, then);
        MenuPage menu;
        const QByteArray record = rapidFireAndCtrlC();
        menu.fill(record);
        menu.button("RightKey")->click();
        QCOMPARE(checkedMainEntry(&menu.page), QStringLiteral("DPI_6"));

        bool open = false;
        QString selected = QStringLiteral("RightKey");
        if (then == QLatin1String("badge")) {
            menu.select(4);
            selected = QStringLiteral("StartPause");
        } else if (then == QLatin1String("same badge")) {
            menu.select(1);
            open = true;
        } else if (then == QLatin1String("record")) {
            menu.fill(withKeyBlock(withAssignment(record, 1, 5, 0, 0), 1,
                                   Buttoninterface::KeyTextToKeyBlock(QStringLiteral("Q"))));
        } else {
            PostMsg::GetInstance()->PostChangeMainDialog(1);
            selected.clear();
        }
        QCOMPARE(shownPage(&menu.page, "stackedWidget"), QLatin1String(open ? "page_2" : "page"));
        QCOMPARE(checkedUnder(child<QWidget>(&menu.page, "scrollArea_11")),
                 selected.isEmpty() ? QStringList() : QStringList{selected});
        if (!selected.isEmpty()) {
            // Opening it again shows the selected button's own function.
            menu.button(qPrintable(selected))->click();
            QCOMPARE(checkedMainEntry(&menu.page),
                     QLatin1String(then == QLatin1String("badge") || then == QLatin1String("record") ? "DPI_8" : "DPI_6"));
        }
    }

    // A dialog cancelled from the open menu leaves it on the button's own
    // function, not on the option that opened the dialog.
    void cancelledDialogKeepsTheFunction_data()
    {
        QTest::addColumn<QString>("row");
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("entry");
        QTest::newRow("rapid fire on Ctrl+C") << "StartPause" << "DPI_6" << "DPI_8";
        QTest::newRow("key combination on rapid fire") << "RightKey" << "DPI_8" << "DPI_6";
    }

    void cancelledDialogKeepsTheFunction()
    {
        QFETCH(QString, row);
        QFETCH(QString, option);
        QFETCH(QString, entry);
        MenuPage menu;
        const QByteArray record = rapidFireAndCtrlC();
        menu.fill(record);
        menu.button(qPrintable(row))->click();
        QCOMPARE(checkedMainEntry(&menu.page), entry);
        ModalAnswer modal(testsupport::clickButton("NewHong_2"));
        QTest::mousePress(menu.button(qPrintable(option)), Qt::LeftButton);
        QCOMPARE(modal.answeredCount(), 1);
        QCOMPARE(shownPage(&menu.page, "stackedWidget"), QStringLiteral("page_2"));
        QCOMPARE(checkedMainEntry(&menu.page), entry);
        QVERIFY(menu.button(qPrintable(row))->isChecked());
    }

    // Offline the badge still selects; the notice is the setter's.
    void numberBadgeOffline()
    {
        MenuPage menu;
        OpenedDevice& device = menu.device;
        device.goOffline();
        QSignalSpy offline(PostMsg::GetInstance(), &PostMsg::SigMouseOffLineo);
        menu.button("Number2")->click();
        QCOMPARE(offline.size(), 1);
        QVERIFY(menu.button("RightKey")->isChecked());
    }

    void subPageEntriesAndStacking()
    {
        MenuPage menu;
        OpenedDevice& device = menu.device;
        const QList<QPair<const char*, const char*>> entries = {
            {"DPI_11", "page_4"}, {"DPI_12", "page_3"}, {"DPI_13", "page_10"},
            {"DPI_4", "page_8"},  {"DPI_7", "page_7"},  {"DPI_9", "page_6"}};
        for (const auto& entry : entries) {
            QMetaObject::invokeMethod(&menu.page, qPrintable(QStringLiteral("on_%1_clicked").arg(entry.first)));
            QCOMPARE(shownPage(&menu.page, "stackedWidget_2"), QLatin1String(entry.second));
        }
        auto* stack = child<QStackedWidget>(&menu.page, "stackedWidget");
        QWidget* list = child<QWidget>(&menu.page, "scrollArea_11");
        stack->setCurrentIndex(1);
        QCOMPARE(stack->parentWidget()->children().last(), static_cast<QObject*>(stack));
        stack->setCurrentIndex(0);
        QCOMPARE(list->parentWidget()->children().last(), static_cast<QObject*>(list));
        QVERIFY(device.recordsSent().isEmpty());
    }

    // ---- Fixed functions --------------------------------------------------------------

    void fixedOption_data()
    {
        QTest::addColumn<QString>("option");
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("value");      // a DPI for type 10
        const QList<std::tuple<const char*, int, int, bool>> options = {
            {"LeftKey_3", 1, 1, true},     {"RightKey_3", 1, 2, true},   {"MidKey", 1, 4, true},
            {"BackKey_2", 1, 8, true},     {"ForWardKey", 1, 16, true},  {"DPI_5", 0, 0, true},
            {"DPI_2", 7, 0, true},         {"DPI_3", 9, 0, true},        {"VolumeUp_8", 2, 1, false},
            {"VolumeUp_9", 2, 2, false},   {"VolumeUp_10", 2, 3, false}, {"VolumeUp_2", 3, 1, false},
            {"VolumeDown_2", 3, 2, false}, {"VolumeUp_14", 11, 1, false}, {"VolumeDown_14", 11, 2, false},
            {"VolumeUp_4", 8, 0, false},   {"VolumeUp_5", 8, 1, false},  {"VolumeUp_6", 8, 3, false},
            {"VolumeUp_7", 8, 4, false},   {"VolumeUp_11", 10, 100, false}, {"VolumeUp_12", 10, 200, false},
            {"VolumeUp_13", 10, 300, false}, {"VolumeUp_16", 10, 400, false}, {"VolumeUp_15", 10, 500, false},
            {"VolumeUp_19", 10, 600, false}, {"VolumeUp_20", 10, 700, false}, {"VolumeUp_22", 10, 800, false},
            {"VolumeUp_18", 10, 900, false}, {"VolumeUp_24", 10, 1000, false}, {"VolumeUp_23", 10, 1100, false},
            {"VolumeUp_21", 10, 1200, false}};
        for (const auto& o : options)
            QTest::newRow(std::get<0>(o)) << QString::fromLatin1(std::get<0>(o)) << std::get<1>(o) << std::get<2>(o);
    }

    // StartPause (device index 4) selected, a multimedia option and a macro
    // entry checked: one click sends exactly one record with button 4's new
    // assignment and nothing else changed. The main-list options clear the
    // sub-menus' checks; a sub-menu option's group unchecks them.
    void fixedOption()
    {
        QFETCH(QString, option);
        QFETCH(int, type);
        QFETCH(int, value);
        writeMacroFiles({QStringLiteral("Alpha")});
        MenuPage menu;
        OpenedDevice& device = menu.device;
        menu.select(4);
        menu.button("Mute")->setChecked(true);
        menu.page.macroButtons().first()->setChecked(true);
        const QByteArray before = OpenedDevice::record();
        const int value1 = type == 10 ? menu.page.DpiToSensorValue(value) : value;
        device.clearSent();

        menu.button(qPrintable(option))->click();

        const QVector<QByteArray> sent = device.recordsSent();
        QCOMPARE(sent.size(), 1);
        QCOMPARE(sent.first().toHex(), withAssignment(before, 4, type, value1 & 0xFF, 0).toHex());
        QCOMPARE(menu.page.modelTypes().at(4), type);
        QCOMPARE(menu.page.modelValues1().at(4), value1);
        QCOMPARE(menu.page.modelValues2().at(4), 0);
        const QString expected = type == 10
            ? menu.button("DPI_4")->text() + QLatin1Char('-') + QString::number(value)
            : menu.button(qPrintable(option))->text();
        QCOMPARE(buttonCaption(&menu.page, 4), expected);
        QCOMPARE(shownPage(&menu.page, "stackedWidget"), QStringLiteral("page"));
        QCOMPARE(shownPage(&menu.page, "stackedWidget_2"), QStringLiteral("page_9"));
        QCOMPARE(listBar(&menu.page, "scrollArea_11")->styleSheet(), QStringLiteral("QScrollBar {width:10px;}"));
        QVERIFY(menu.button("StartPause")->isChecked());
        QVERIFY(menu.button(qPrintable(option))->isChecked());
        QVERIFY(!menu.button("Mute")->isChecked());
        QVERIFY(!menu.page.macroButtons().first()->isChecked());
    }

    void fixedOptionWritesNothing_data()
    {
        QTest::addColumn<QString>("why");
        QTest::newRow("offline") << "offline";
        QTest::newRow("refused") << "refused";
        QTest::newRow("nothing selected") << "nothing selected";
        QTest::newRow("clicked(false)") << "clicked(false)";
    }

    void fixedOptionWritesNothing()
    {
        QFETCH(QString, why);
        MenuPage menu;
        OpenedDevice& device = menu.device;
        menu.button("RightKey")->click();
        QCOMPARE(shownPage(&menu.page, "stackedWidget"), QStringLiteral("page_2"));
        const QString captionBefore = buttonCaption(&menu.page, 1);
        const QVector<int> modelBefore = menu.page.modelTypes();
        if (why == QLatin1String("offline"))
            device.goOffline();
        if (why == QLatin1String("refused")) {
            testsupport::fillEveryMacro(&CurrentFlashData);
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("hidsim: .* refused a record"));
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("the device refused the record"));
        }
        if (why == QLatin1String("nothing selected"))
            menu.page.uncheckDisplayButtons();
        const QByteArray recordBefore = OpenedDevice::record();
        device.clearSent();

        if (why == QLatin1String("clicked(false)"))
            QVERIFY(QMetaObject::invokeMethod(&menu.page, "on_DPI_5_clicked", Q_ARG(bool, false)));
        else
            menu.button("DPI_5")->click();

        if (why != QLatin1String("refused"))
            QVERIFY(device.recordsSent().isEmpty());
        QCOMPARE(OpenedDevice::record(), recordBefore);
        QCOMPARE(buttonCaption(&menu.page, 1), captionBefore);
        QCOMPARE(menu.page.modelTypes(), modelBefore);
        QCOMPARE(shownPage(&menu.page, "stackedWidget"),
                 QString::fromLatin1(why == QLatin1String("clicked(false)") ? "page_2" : "page"));
    }

    // ---- Multimedia keys ---------------------------------------------------------------

    void multimediaOption_data()
    {
        QTest::addColumn<QString>("option");
        QTest::addColumn<int>("usage");
        const QList<QPair<const char*, int>> options = {
            {"Player", 0x0183},       {"StartPause_2", 0x00CD},  {"BackMusic_2", 0x00B5},  {"TopMusic_2", 0x00B6},
            {"Mute", 0x00B7},         {"VolumeUp", 0x00E2},      {"VolumeDown", 0x00E9},   {"VolumeDown_4", 0x00EA},
            {"VolumeDown_5", 0x018A}, {"VolumeDown_6", 0x0192},  {"VolumeDown_3", 0x0194}, {"VolumeDown_8", 0x0223},
            {"VolumeDown_9", 0x0221}, {"VolumeDown_7", 0x0225},  {"VolumeDown_10", 0x0224}, {"VolumeDown_12", 0x0226},
            {"VolumeDown_13", 0x0227}, {"VolumeDown_11", 0x022A}};
        for (const auto& o : options)
            QTest::newRow(o.first) << QString::fromLatin1(o.first) << o.second;
    }

    // TopMusic (device index 3) selected: one record with (5, 0, 0) and the
    // usage's block for button 3; the light-switch check stays.
    void multimediaOption()
    {
        QFETCH(QString, option);
        QFETCH(int, usage);
        MenuPage menu;
        OpenedDevice& device = menu.device;
        menu.select(3);
        menu.button("VolumeUp_4")->setChecked(true);
        const QByteArray before = OpenedDevice::record();
        device.clearSent();

        menu.button(qPrintable(option))->click();

        const QVector<QByteArray> sent = device.recordsSent();
        QCOMPARE(sent.size(), 1);
        const QByteArray expected = withKeyBlock(withAssignment(before, 3, 5, 0, 0), 3,
                                                 Buttoninterface::MakeConsumerKeyBlock(usage >> 8, usage & 0xFF));
        QCOMPARE(sent.first().toHex(), expected.toHex());
        // The code goes low byte first.
        QCOMPARE(uint8_t(sent.first().at(0x7C + 52 * 3 + 6)), uint8_t(usage & 0xFF));
        QCOMPARE(uint8_t(sent.first().at(0x7C + 52 * 3 + 7)), uint8_t(usage >> 8));
        QCOMPARE(buttonCaption(&menu.page, 3), menu.button(qPrintable(option))->text());
        QCOMPARE(menu.page.modelTypes().at(3), 5);
        QCOMPARE(menu.page.modelValues1().at(3), 0);
        QCOMPARE(shownPage(&menu.page, "stackedWidget_2"), QStringLiteral("page_9"));
        QVERIFY(menu.button(qPrintable(option))->isChecked());
        QVERIFY(!menu.button("VolumeUp_4")->isChecked());   // the one group's exclusivity

        // Opened again, the menu finds the key it wrote.
        menu.button("TopMusic")->click();
        QVERIFY(menu.button(qPrintable(option))->isChecked());
        QCOMPARE(shownPage(&menu.page, "stackedWidget_2"), QStringLiteral("page_3"));
    }

    void multimediaOptionOffline()
    {
        MenuPage menu;
        OpenedDevice& device = menu.device;
        menu.select(0);
        const QString before = buttonCaption(&menu.page, 0);
        device.goOffline();
        device.clearSent();
        menu.button("VolumeUp")->click();
        QVERIFY(device.recordsSent().isEmpty());
        QCOMPARE(buttonCaption(&menu.page, 0), before);
        QCOMPARE(menu.page.modelTypes().at(0), 1);
        QCOMPARE(shownPage(&menu.page, "stackedWidget"), QStringLiteral("page"));
    }

    // ---- Rapid fire ----------------------------------------------------------------------

    // A press on the option: the dialog, preset from the button when it fires
    // already; OK writes the pair.
    void rapidFireDialog_data()
    {
        QTest::addColumn<bool>("firesAlready");
        QTest::addColumn<int>("time");
        QTest::addColumn<int>("count");
        QTest::newRow("preset from the button") << true << 255 << 0;
        QTest::newRow("preset 10 and 3") << false << 10 << 1;
    }

    void rapidFireDialog()
    {
        QFETCH(bool, firesAlready);
        QFETCH(int, time);
        QFETCH(int, count);
        MenuPage menu;
        OpenedDevice& device = menu.device;
        menu.fill(withAssignment(OpenedDevice::record(), 2, 4, 50, 0));
        if (!firesAlready)
            menu.button("BackKey")->setText(QStringLiteral("other"));
        menu.select(2);
        const QByteArray before = OpenedDevice::record();
        device.clearSent();

        QPair<int, int> preset;
        QPoint at;
        ModalAnswer modal(testsupport::inspectThen(
            [&](QDialog* d) {
                preset = {child<QSpinBox>(d, "Time")->value(), child<QSpinBox>(d, "Count")->value()};
                at = d->pos();
            },
            fireKeyOk(time, count)));
        QTest::mousePress(menu.button("DPI_6"), Qt::LeftButton);

        QCOMPARE(modal.answered(), QStringList{QStringLiteral("FireKey")});
        QCOMPARE(preset, firesAlready ? qMakePair(50, 0) : qMakePair(10, 3));
        const QPoint corner = menu.page.mapToGlobal(QPoint(0, 0));
        QCOMPARE(at, QPoint(corner.x() + (menu.page.width() - 406) / 2 - 50,
                            corner.y() + (menu.page.height() - 170) / 2 - 70));
        const QVector<QByteArray> sent = device.recordsSent();
        QCOMPARE(sent.size(), 1);
        QCOMPARE(sent.first().toHex(), withAssignment(before, 2, 4, time, count).toHex());
        QCOMPARE(buttonCaption(&menu.page, 2), menu.button("DPI_6")->text());
        QCOMPARE(menu.page.modelValues1().at(2), time);
        QCOMPARE(menu.page.modelValues2().at(2), count);
        QCOMPARE(shownPage(&menu.page, "stackedWidget"), QStringLiteral("page"));
    }

    // Cancel keeps the pair: the assignment handler then writes the pair kept
    // before, which starts as 10 and 3.
    void rapidFireKeptPair()
    {
        MenuPage menu;
        OpenedDevice& device = menu.device;
        menu.select(0);
        menu.button("DPI_6")->setChecked(true);
        device.clearSent();
        QVERIFY(QMetaObject::invokeMethod(&menu.page, "on_DPI_6_clicked", Q_ARG(bool, false)));
        QVERIFY(device.recordsSent().isEmpty());

        const QByteArray before = OpenedDevice::record();
        QVERIFY(QMetaObject::invokeMethod(&menu.page, "on_DPI_6_clicked", Q_ARG(bool, true)));
        QCOMPARE(device.recordsSent().size(), 1);
        QCOMPARE(device.recordsSent().last().toHex(), withAssignment(before, 0, 4, 10, 3).toHex());

        {
            ModalAnswer modal([](QDialog* d) {
                child<QSpinBox>(d, "Time")->setValue(99);
                child<QSpinBox>(d, "Count")->setValue(1);
                child<QToolButton>(d, "NewHong_2")->click();
            });
            QTest::mousePress(menu.button("DPI_6"), Qt::LeftButton);
            QCOMPARE(modal.answeredCount(), 1);
        }
        QCOMPARE(device.recordsSent().size(), 1);
        menu.select(1);
        QVERIFY(QMetaObject::invokeMethod(&menu.page, "on_DPI_6_clicked", Q_ARG(bool, true)));
        QCOMPARE(device.recordsSent().size(), 2);
        QCOMPARE(device.recordsSent().last().mid(0x4A + 3, 3), QByteArray::fromHex("040a03"));

        // A double click's clicked(true) assigns the kept pair, then asks.
        ModalAnswer modal(fireKeyOk(20, 2));
        emit menu.button("DPI_6")->clicked(true);
        QCOMPARE(modal.answeredCount(), 1);
        const QVector<QByteArray> sent = device.recordsSent();
        QCOMPARE(sent.size(), 4);
        QCOMPARE(sent.at(2).mid(0x4A + 3, 3), QByteArray::fromHex("040a03"));
        QCOMPARE(sent.at(3).mid(0x4A + 3, 3), QByteArray::fromHex("041402"));
    }

    void rapidFireOffline()
    {
        MenuPage menu;
        OpenedDevice& device = menu.device;
        menu.button("RightKey")->click();
        device.goOffline();
        QSignalSpy offline(PostMsg::GetInstance(), &PostMsg::SigMouseOffLineo);
        ModalAnswer modal(testsupport::clickButton("NewHong_2"));
        QTest::mousePress(menu.button("DPI_6"), Qt::LeftButton);
        QCOMPARE(modal.answeredCount(), 0);
        QCOMPARE(offline.size(), 0);
        QCOMPARE(shownPage(&menu.page, "stackedWidget"), QStringLiteral("page"));
        QCOMPARE(shownPage(&menu.page, "stackedWidget_2"), QStringLiteral("page_9"));
        QVERIFY(device.recordsSent().isEmpty());
    }

    void fireKeyDialog_data()
    {
        QTest::addColumn<int>("language");
        QTest::newRow("English") << 0;
        QTest::newRow("Czech") << 1;
        QTest::newRow("Slovak") << 2;
    }

    // OK takes what the boxes show once they have read the typed text: a
    // value below the range is its floor, never the value before.
    void fireKeyTypedValue_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("time");
        QTest::newRow("7") << "7" << 10;
        QTest::newRow("5") << "5" << 10;
        QTest::newRow("nothing") << "" << 10;
        QTest::newRow("120") << "120" << 120;
        QTest::newRow("a digit past the top is refused") << "300" << 30;
    }

    void fireKeyTypedValue()
    {
        QFETCH(QString, typed);
        QFETCH(int, time);
        FireKey dialog;
        dialog.setTimeValue(50);
        dialog.setCountValue(2);
        auto* box = child<QSpinBox>(&dialog, "Time");
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Delete);
        QTest::keyClicks(box, typed);
        child<QToolButton>(&dialog, "NewHong")->click();
        QVERIFY(dialog.IsOk);
        QCOMPARE(dialog.TimeValue, time);
        QCOMPARE(box->text(), QString::number(time));
        QCOMPARE(dialog.CountValue, 2);
    }

    void fireKeyDialog()
    {
        QFETCH(int, language);
        languageIndex = language;
        FireKey dialog;
        QCOMPARE(child<QLabel>(&dialog, "label")->text(), FireKeyTexts.text(language, 0));
        QCOMPARE(child<QLabel>(&dialog, "label_2")->text(), FireKeyTexts.text(language, 1));
        QCOMPARE(child<QLabel>(&dialog, "label_3")->text(), FireKeyTexts.text(language, 2));
        QCOMPARE(child<QToolButton>(&dialog, "NewHong")->text(), QuestionTexts.text(language, 2));
        QCOMPARE(child<QToolButton>(&dialog, "NewHong_2")->text(), QuestionTexts.text(language, 3));
        for (const char* name : {"label", "label_2", "label_3"})
            QVERIFY(!child<QLabel>(&dialog, name)->text().isEmpty());
        QCOMPARE(int(dialog.windowFlags() & ~Qt::Window), kDialogWindowFlags);
        QCOMPARE(dialog.size(), QSize(406, 170));
        QVERIFY(!dialog.IsOk);
        QCOMPARE(dialog.TimeValue, 10);
        QCOMPARE(dialog.CountValue, 3);

        dialog.setTimeValue(300);
        dialog.setCountValue(-1);
        QCOMPARE(child<QSpinBox>(&dialog, "Time")->value(), 255);
        QCOMPARE(child<QSpinBox>(&dialog, "Count")->value(), 0);
        child<QToolButton>(&dialog, "CloseButton")->click();
        QVERIFY(!dialog.IsOk);
        QCOMPARE(dialog.TimeValue, 10);
        child<QToolButton>(&dialog, "NewHong")->click();
        QVERIFY(dialog.IsOk);
        QCOMPARE(dialog.TimeValue, 255);
        QCOMPARE(dialog.CountValue, 0);
    }

    // ---- Key combination and multimedia key by index -------------------------------------

    void setKeyComboButton_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("kept");
        QTest::newRow("A on 0") << 0 << "A" << "A";
        QTest::newRow("Ctrl+Shift+A on 1") << 1 << "Ctrl+Shift+A" << "Ctrl+Shift+A";
        QTest::newRow("on 8") << 8 << "F5" << "F5";
        QTest::newRow("four keys") << 4 << "Ctrl+Shift+Alt+Del" << "Ctrl+Shift+Alt";
        QTest::newRow("keypad plus") << 5 << "Ctrl+Num++A+B" << "Ctrl+Num++A";
        QTest::newRow("index 12") << 12 << "A" << "";
    }

    void setKeyComboButton()
    {
        QFETCH(int, index);
        QFETCH(QString, text);
        QFETCH(QString, kept);
        MenuPage menu;
        OpenedDevice& device = menu.device;
        menu.button("Mute")->setChecked(true);
        const QByteArray before = OpenedDevice::record();
        device.clearSent();

        menu.page.SetKeyComboButton(index, text);

        QVERIFY(!menu.button("Mute")->isChecked());
        QCOMPARE(shownPage(&menu.page, "stackedWidget"), QStringLiteral("page_2"));
        QCOMPARE(shownPage(&menu.page, "stackedWidget_2"), QStringLiteral("page_9"));
        if (index > 11) {
            QVERIFY(device.recordsSent().isEmpty());
            return;
        }
        QCOMPARE(device.recordsSent().size(), 1);
        const QByteArray expected = withKeyBlock(withAssignment(before, index, 5, 0, 0), index,
                                                 Buttoninterface::KeyTextToKeyBlock(kept));
        QCOMPARE(device.recordsSent().first().toHex(), expected.toHex());
        QCOMPARE(buttonCaption(&menu.page, index), kept);
        QCOMPARE(menu.page.modelTypes().at(index), 5);
    }

    // The key-combination entry opens GroupKey; what it accepts is assigned to
    // the selected button, and the function list stays open.
    void keyCombinationEntry_data()
    {
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<int>("vk");           // 0: no key captured
        QTest::addColumn<QString>("button");   // OK or Cancel
        QTest::addColumn<QString>("shown");    // what the button then reads
        QTest::newRow("Shift+Ctrl+A") << QStringList{"Ctrl", "Shift"} << 0x41 << "NewHong" << "Shift+Ctrl+A";
        QTest::newRow("empty combination") << QStringList() << 0 << "NewHong" << "";
        QTest::newRow("keypad plus") << QStringList{"Alt"} << 0x6B << "NewHong" << "Alt+Num+";
        QTest::newRow("cancelled") << QStringList{"Ctrl"} << 0x41 << "NewHong_2" << "old";
    }

    void keyCombinationEntry()
    {
        QFETCH(QStringList, boxes);
        QFETCH(int, vk);
        QFETCH(QString, button);
        QFETCH(QString, shown);
        MenuPage menu;
        OpenedDevice& device = menu.device;
        menu.select(1);
        menu.button("RightKey")->setText(QStringLiteral("old"));
        const QByteArray before = OpenedDevice::record();
        device.clearSent();

        QPoint at;
        ModalAnswer modal(testsupport::inspectThen(
            [&](QDialog* d) {
                at = d->pos();
                for (const QString& box : boxes)
                    child<QCheckBox>(d, qPrintable(box))->setChecked(true);
                if (vk)
                    QMetaObject::invokeMethod(d, "UpdateCapslockTip", Q_ARG(int, vk), Q_ARG(bool, true),
                                              Q_ARG(bool, false));
            },
            testsupport::clickButton(button)));
        QTest::mousePress(menu.button("DPI_8"), Qt::LeftButton);

        QCOMPARE(modal.answered(), QStringList{QStringLiteral("GroupKey")});
        QVERIFY(!GroupKey::Hook::installed());
        const QPoint corner = menu.page.mapToGlobal(QPoint(0, 0));
        QCOMPARE(at, QPoint(corner.x() + (menu.page.width() - 300) / 2 - 50,
                            corner.y() + (menu.page.height() - 140) / 2 - 70));
        QCOMPARE(buttonCaption(&menu.page, 1), shown);
        if (button != QLatin1String("NewHong")) {
            QVERIFY(device.recordsSent().isEmpty());
            return;
        }
        QCOMPARE(device.recordsSent().size(), 1);
        const QByteArray expected = withKeyBlock(withAssignment(before, 1, 5, 0, 0), 1,
                                                 Buttoninterface::KeyTextToKeyBlock(shown));
        QCOMPARE(device.recordsSent().first().toHex(), expected.toHex());
        QCOMPARE(menu.page.modelTypes().at(1), 5);
        QCOMPARE(shownPage(&menu.page, "stackedWidget"), QStringLiteral("page_2"));
        QCOMPARE(shownPage(&menu.page, "stackedWidget_2"), QStringLiteral("page_9"));
    }

    void setConsumerKeyButton_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("lowByte");
        QTest::addColumn<int>("usage");      // 0: nothing written
        QTest::addColumn<QString>("option");
        QTest::newRow("mute on TopMusic") << 3 << 0xE2 << 0x00E2 << "VolumeUp";
        QTest::newRow("mute on StartPause") << 4 << 0xE2 << 0x00E2 << "VolumeUp";
        QTest::newRow("my computer on 6") << 6 << 0x94 << 0x0194 << "VolumeDown_3";
        QTest::newRow("home page") << 0 << 0x23 << 0x0223 << "VolumeDown_8";
        QTest::newRow("full usage") << 0 << 0x1E2 << 0 << "";
        QTest::newRow("0x183 is no low byte") << 0 << 0x183 << 0 << "";
        QTest::newRow("zero") << 0 << 0x00 << 0 << "";
        QTest::newRow("index 12") << 12 << 0xE2 << 0 << "";
        QTest::newRow("index -1") << -1 << 0xE2 << 0 << "";
    }

    void setConsumerKeyButton()
    {
        QFETCH(int, index);
        QFETCH(int, lowByte);
        QFETCH(int, usage);
        QFETCH(QString, option);
        MenuPage menu;
        OpenedDevice& device = menu.device;
        menu.button("Mute")->setChecked(true);
        const QByteArray before = OpenedDevice::record();
        device.clearSent();

        menu.page.SetConsumerKeyButton(index, lowByte);

        QVERIFY(menu.button("Mute")->isChecked());
        QCOMPARE(shownPage(&menu.page, "stackedWidget"), QStringLiteral("page"));
        if (!usage) {
            QVERIFY(device.recordsSent().isEmpty());
            return;
        }
        QCOMPARE(device.recordsSent().size(), 1);
        const QByteArray expected = withKeyBlock(withAssignment(before, index, 5, 0, 0), index,
                                                 Buttoninterface::MakeConsumerKeyBlock(usage >> 8, usage & 0xFF));
        QCOMPARE(device.recordsSent().first().toHex(), expected.toHex());
        QCOMPARE(buttonCaption(&menu.page, index), menu.button(qPrintable(option))->text());
    }

    void keyAssignmentsOffline()
    {
        MenuPage menu;
        OpenedDevice& device = menu.device;
        const QString before = buttonCaption(&menu.page, 0);
        const QVector<int> model = menu.page.modelTypes();
        device.goOffline();
        device.clearSent();
        menu.page.SetKeyComboButton(0, QStringLiteral("A"));
        menu.page.SetConsumerKeyButton(0, 0xE2);
        QVERIFY(device.recordsSent().isEmpty());
        QCOMPARE(buttonCaption(&menu.page, 0), before);
        QCOMPARE(menu.page.modelTypes(), model);
        QCOMPARE(shownPage(&menu.page, "stackedWidget"), QStringLiteral("page_2"));
        QCOMPARE(shownPage(&menu.page, "stackedWidget_2"), QStringLiteral("page_9"));
    }
};

QUEMBREL_TEST_MAIN(FunctionMenuTest)
#include "tst_functionmenu.moc"
