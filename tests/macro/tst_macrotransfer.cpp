// The macro page and the device's macro blocks: the open macro sent to a
// button and read back from the simulated mouse, the block layout's corner
// cases, the bounds of a block, the guard, a refused record, and a caption
// refresh that meets unsaved work.
#include "support/buttonfixture.h"
#include "support/devicefixture.h"
#include "support/openeddevice.h"
#include "support/testsupport.h"
#include "support/widgetprobe.h"

#include "buttons/buttoninterface.h"
#include "core/flashdatamap.h"
#include "core/globals.h"
#include "core/postmsg.h"
#include "macro/keynames.h"
#include "macro/macro.h"
#include "macro/macroblock.h"
#include "platform/hidusb/simcontrol.h"
#include "sensor/sensor.h"
#include "widgets/macroname.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>

#include <cstring>

using testsupport::OpenedDevice;
using testsupport::child;

// One event of a block as a test states it: action, kind, code, delay.
struct Event
{
    int action;
    int kind;
    int code;
    uint delay;
    bool operator==(const Event& o) const
    {
        return action == o.action && kind == o.kind && code == o.code && delay == o.delay;
    }
};
using Events = QVector<Event>;
// Rows as "+A" (press), "-A" (release) or "10ms".
using RowTexts = QStringList;
Q_DECLARE_METATYPE(Event)

namespace {

constexpr int kButton = 5;
const QString kMouse = QStringLiteral("q3");

QString macroFile(const QString& name)
{
    return macroFolder() + QLatin1Char('/') + name + QStringLiteral(".ini");
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

// "LEFT" and "FORWARD" stand for the mouse buttons' names in the current
// language, which the page sets when it is made.
QString named(QString text)
{
    return text.replace(QLatin1String("LEFT"), leftButtonName).replace(QLatin1String("FORWARD"), forwardButtonName);
}

RowTexts named(const RowTexts& texts)
{
    RowTexts out;
    for (const QString& text : texts)
        out << named(text);
    return out;
}

QVector<MacroRow> rowsOf(const RowTexts& texts)
{
    QVector<MacroRow> rows;
    for (const QString& text : named(texts)) {
        MacroRow row;
        row.text = text;
        if (text.startsWith(QLatin1Char('+')) || text.startsWith(QLatin1Char('-'))) {
            row.text = text.mid(1);
            row.type = text.startsWith(QLatin1Char('-')) ? 1 : 0;
        }
        rows.append(row);
    }
    return rows;
}

RowTexts textsOf(const QVector<MacroRow>& rows)
{
    RowTexts texts;
    for (const MacroRow& row : rows)
        texts << (isDelayText(row.text) ? row.text : (row.type == 0 ? "+" : "-") + row.text);
    return texts;
}

Events eventsOf(const MacroBlock& block, int count)
{
    Events events;
    for (int i = 0; i < count; ++i) {
        const DeviceEvent& e = block.events[i];
        events.append({e.action, e.kind, e.code(), e.delay()});
    }
    return events;
}

MacroBlock blockWith(const QByteArray& name, int count, const Events& events)
{
    MacroBlock block;
    std::memset(&block, 0, sizeof block);
    block.nameLength = uint8_t(name.size());
    std::memcpy(block.name, name.constData(), size_t(qMin(name.size(), int(kMacroNameSize))));
    block.eventCount = uint8_t(count);
    for (int i = 0; i < events.size() && i < kMacroBlockEvents; ++i) {
        DeviceEvent& e = block.events[i];
        e.action = uint8_t(events[i].action);
        e.kind = uint8_t(events[i].kind);
        e.setCode(uint16_t(events[i].code));
        e.setDelay(events[i].delay);
    }
    return block;
}

// The block of one button in a record as the device holds it.
MacroBlock storedBlock(int button)
{
    FlashDataMap record;
    if (!flashDataFromBytes(hidsim::storedRecord(kMouse), &record))
        return MacroBlock{};
    return record.macroBlocks[button];
}

MacroBlock sentBlock(const QByteArray& record, int button)
{
    FlashDataMap map;
    if (!flashDataFromBytes(record, &map))
        return MacroBlock{};
    return map.macroBlocks[button];
}

} // namespace

class MacroTransferTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<Macro> page;

    QListWidget* macros() { return child<QListWidget>(page.get(), "listWidgetHong"); }
    QListWidget* events() { return child<QListWidget>(page.get(), "listWidgetKey"); }

    // The page with macro `name` open and these rows in its list, saved to
    // its file: a send asked for after a Save sends the macro saved.
    void openWithRows(const QString& name, const RowTexts& texts)
    {
        page = std::make_unique<Macro>();
        const QList<QListWidgetItem*> found = macros()->findItems(name, Qt::MatchExactly);
        QVERIFY(!found.isEmpty());
        macros()->setCurrentItem(found.first());
        for (const MacroRow& row : rowsOf(texts)) {
            if (isDelayText(row.text))
                page->appendDelayEvent(QString(row.text).remove("ms").toDouble());
            else
                page->appendKeyEvent(row.text, row.type == 0);
        }
        QCOMPARE(textsOf(page->eventRows()), named(texts));
        writeFile(macroFile(name), macroFileBytes(QStringLiteral("1"), page->eventRows()));
    }

    // What the button page does while it labels a macro button: the file
    // rewritten with its repeat line alone, then the record handed over.
    void captionRefresh(const FlashDataMap& record, int button, const QByteArray& repeatLine = "254\n")
    {
        const QString name = safeMacroName(macroBlockName(record.macroBlocks[button]));
        if (QFile::exists(macroFile(name)))
            writeFile(macroFile(name), repeatLine);
        PostMsg::GetInstance()->PostButtonToMacro(record, button);
    }

private slots:
    void init()
    {
        languageIndex = 0;
        testsupport::loadInstalledLanguages();
        testsupport::writeMacroFiles({"Hop.ini", "Walk.ini"});
        macroRecording = 0;
    }

    void cleanup()
    {
        page.reset();
        macroRecording = 0;
        deviceWriteEnabled = 0;
    }

    // The open macro goes to the mouse as a block, the mouse keeps it, and
    // the block read back gives the same rows in the macro's file.
    void roundTripThroughDevice()
    {
        OpenedDevice device;
        const RowTexts rows = {"+LShift", "25ms", "+A",  "10ms", "-A",     "300ms", "+RAlt", "0ms",
                               "+F7",     "7ms",  "-F7", "1ms",  "-RAlt",  "65535ms", "+3", "12ms",
                               "+RShift", "5ms",  "-3",  "5ms",  "-RShift", "40ms", "+LEFT",
                               "20ms",    "-LEFT", "9ms", "-LShift"};
        openWithRows("Hop", rows);
        QVERIFY(!leftButtonName.isEmpty());
        const ButtonParam before = CurrentFlashData.buttons[kButton];

        PostMsg::GetInstance()->PostMacroDownLoadData(QStringLiteral("Hop"), kButton);

        QCOMPARE(device.recordsSent().size(), 1);
        QCOMPARE(hidsim::recordsTaken(), 1);
        const QByteArray sent = device.recordsSent().first();
        QCOMPARE(hidsim::storedRecord(kMouse), sent);
        FlashDataMap sentMap;
        QVERIFY(flashDataFromBytes(sent, &sentMap));
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(&sentMap.buttons[kButton]), 3),
                 QByteArray(reinterpret_cast<const char*>(&before), 3));
        const MacroBlock block = storedBlock(kButton);
        QCOMPARE(int(block.nameLength), 3);
        QCOMPARE(macroBlockName(block), QStringLiteral("Hop"));
        QCOMPARE(int(block.eventCount), 14);
        QCOMPARE(eventsOf(block, 3), (Events{{0, 0, 0x02, 25}, {0, 1, 0x04, 10}, {1, 1, 0x04, 300}}));
        QCOMPARE(eventsOf(block, 14).mid(3, 4), (Events{{0, 0, 0x40, 0}, {0, 1, 0x40, 7}, {1, 1, 0x40, 1},
                                                        {1, 0, 0x40, 65535}}));
        QCOMPARE(eventsOf(block, 14).mid(11, 3), (Events{{0, 4, 0x01, 20}, {1, 4, 0x01, 9}, {1, 0, 0x02, 0}}));

        // Back from the device, as a caption refresh brings it.
        FlashDataMap stored;
        QVERIFY(flashDataFromBytes(hidsim::storedRecord(kMouse), &stored));
        device.clearSent();
        page = std::make_unique<Macro>();
        captionRefresh(stored, kButton);
        QCOMPARE(fileBytes(macroFile("Hop")), "254\n" + macroFileRowLines(rowsOf(rows)));
        QCOMPARE(textsOf(parseMacroFile(fileBytes(macroFile("Hop"))).rows), named(rows));
        // Reading a macro from the device sends nothing.
        QVERIFY(device.recordsSent().isEmpty());
    }

    // The block layout's corner cases, each from the open macro's rows to
    // the record the mouse got.
    void rowsToBlock_data()
    {
        QTest::addColumn<RowTexts>("rows");
        QTest::addColumn<int>("count");
        QTest::addColumn<Events>("expected");
        QTest::newRow("one key") << RowTexts{"+A"} << 1 << Events{{0, 1, 0x04, 0}, {0, 0, 0, 0}};
        QTest::newRow("no rows") << RowTexts{} << 0 << Events{{0, 0, 0, 0}};
        QTest::newRow("10ms before the next key")
            << RowTexts{"+A", "10ms", "-A"} << 2 << Events{{0, 1, 0x04, 10}, {1, 1, 0x04, 0}, {0, 0, 0, 0}};
        // As many events as key rows: the last keeps the delay after it.
        QTest::newRow("ends with a delay")
            << RowTexts{"+A", "10ms", "-A", "30ms"} << 2 << Events{{0, 1, 0x04, 10}, {1, 1, 0x04, 30}, {0, 0, 0, 0}};
        // A key inserted with no row selected: every key row is an event,
        // none lost and no blank one.
        QTest::newRow("two key rows in a row")
            << RowTexts{"+A", "10ms", "-A", "+B", "10ms"} << 3
            << Events{{0, 1, 0x04, 10}, {1, 1, 0x04, 0}, {0, 1, 0x05, 10}, {0, 0, 0, 0}};
        QTest::newRow("two delay rows in a row, and one before the first key")
            << RowTexts{"5ms", "+A", "3ms", "4ms", "-A"} << 2 << Events{{0, 1, 0x04, 7}, {1, 1, 0x04, 0}, {0, 0, 0, 0}};
        QTest::newRow("delay past 32 bits") << RowTexts{"+A", "4294967296ms", "-A"} << 2
                                            << Events{{0, 1, 0x04, 4294967295u}, {1, 1, 0x04, 0}};
        QTest::newRow("key outside the table") << RowTexts{"+Hyper", "10ms", "-Hyper"} << 2
                                               << Events{{0, 1, 0, 10}, {1, 1, 0, 0}};
        // 70 events are no cut: the pause after the last key is sent.
        RowTexts strokes;
        Events events;
        for (int i = 0; i < 35; ++i) {
            strokes << "+A" << QStringLiteral("%1ms").arg(i + 1) << "-A" << "2ms";
            events << Event{0, 1, 0x04, uint(i + 1)} << Event{1, 1, 0x04, 2};
        }
        strokes.last() = "250ms";
        events.last().delay = 250;
        QTest::newRow("exactly 70 events, ending in a delay") << strokes << 70 << events;
        // The 70th key is a press released past the cut: it goes, and the
        // event then sent last waits for nothing.
        strokes = strokes.mid(0, 4 * 34);
        events = events.mid(0, 68);
        strokes << "+C" << "60000ms" << "+B" << "1ms" << "-B";
        events << Event{0, 1, 0x06, 0} << Event{0, 0, 0, 0};
        QTest::newRow("70th key a press cut from its release") << strokes << 69 << events;
        QTest::newRow("modifier and its usage twin")
            << RowTexts{"+RShift", "4ms", "+3"} << 2 << Events{{0, 0, 0x20, 4}, {0, 1, 0x20, 0}};
    }

    void rowsToBlock()
    {
        QFETCH(RowTexts, rows);
        QFETCH(int, count);
        QFETCH(Events, expected);
        OpenedDevice device;
        openWithRows("Hop", rows);

        PostMsg::GetInstance()->PostMacroDownLoadData(QStringLiteral("Hop"), kButton);

        QCOMPARE(device.recordsSent().size(), 1);
        const MacroBlock block = sentBlock(device.recordsSent().first(), kButton);
        QCOMPARE(int(block.eventCount), count);
        QCOMPARE(eventsOf(block, expected.size()), expected);
        QCOMPARE(eventsOf(block, kMacroBlockEvents).mid(expected.size()),
                 Events(kMacroBlockEvents - expected.size(), Event{0, 0, 0, 0}));
    }

    // A device block's events as rows of the macro's file.
    void blockToRows_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<Events>("events");
        QTest::addColumn<RowTexts>("rows");
        QTest::addColumn<Events>("back");   // the file's rows sent again
        QTest::newRow("count 1: its pause a delay row") << 1 << Events{{0, 1, 0x04, 99}} << RowTexts{"+A", "99ms"}
                                                        << Events{{0, 1, 0x04, 99}};
        QTest::newRow("count 0") << 0 << Events{{0, 1, 0x04, 99}} << RowTexts{} << Events{};
        QTest::newRow("stroke") << 2 << Events{{0, 1, 0x04, 10}, {1, 1, 0x04, 0}} << RowTexts{"+A", "10ms", "-A"}
                                << Events{{0, 1, 0x04, 10}, {1, 1, 0x04, 0}};
        QTest::newRow("stroke, then the gap between rounds")
            << 2 << Events{{0, 1, 0x04, 10}, {1, 1, 0x04, 500}} << RowTexts{"+A", "10ms", "-A", "500ms"}
            << Events{{0, 1, 0x04, 10}, {1, 1, 0x04, 500}};
        const Events chord = {{0, 0, 0x02, 0}, {0, 1, 0x04, 0}, {1, 1, 0x04, 0}, {1, 0, 0x02, 60000}};
        QTest::newRow("zero pauses between keys")
            << 4 << chord << RowTexts{"+LShift", "0ms", "+A", "0ms", "-A", "0ms", "-LShift", "60000ms"} << chord;
        QTest::newRow("code twins by kind")
            << 4 << Events{{0, 0, 0x40, 1}, {0, 1, 0x40, 2}, {1, 0, 0x08, 3}, {7, 1, 0x08, 0}}
            << RowTexts{"+RAlt", "1ms", "+F7", "2ms", "-LWin", "3ms", "-E"}
            << Events{{0, 0, 0x40, 1}, {0, 1, 0x40, 2}, {1, 0, 0x08, 3}, {1, 1, 0x08, 0}};
        // A code no name stands for comes back as the unnamed key.
        QTest::newRow("mouse button") << 2 << Events{{0, 4, 0x10, 4294967295u}, {1, 4, 0x03, 0}}
                                      << RowTexts{"+FORWARD", "4294967295ms", "-"}
                                      << Events{{0, 4, 0x10, 4294967295u}, {1, 1, 0x00, 0}};
        const Events clicks = {{0, 4, 0x10, 5}, {1, 4, 0x10, 0}, {0, 4, 0x01, 0}, {1, 4, 0x01, 1000}};
        QTest::newRow("mouse buttons, then the gap between rounds")
            << 4 << clicks << RowTexts{"+FORWARD", "5ms", "-FORWARD", "0ms", "+LEFT", "0ms", "-LEFT", "1000ms"}
            << clicks;
        QTest::newRow("unknown code") << 1 << Events{{0, 9, 0x7777, 0}} << RowTexts{"+"} << Events{{0, 1, 0x00, 0}};
        RowTexts strokes;
        Events events;
        for (int i = 0; i < 35; ++i) {
            strokes << "+A" << QStringLiteral("%1ms").arg(i) << "-A" << "0ms";
            events << Event{0, 1, 0x04, uint(i)} << Event{1, 1, 0x04, 0};
        }
        strokes.last() = "7ms";
        events.last().delay = 7;
        QTest::newRow("70 events, then the gap between rounds") << 70 << events << strokes << events;
    }

    // Rows from the device's block, the macro's file from them, and back:
    // every event's key, kind, action and pause, the last one's included.
    void blockToRows()
    {
        QFETCH(int, count);
        QFETCH(Events, events);
        QFETCH(RowTexts, rows);
        QFETCH(Events, back);
        page = std::make_unique<Macro>();
        QCOMPARE(textsOf(macroRowsFromBlock(blockWith("Hop", count, events))), named(rows));

        // And through the page into the macro's file.
        FlashDataMap record = {};
        record.macroBlocks[kButton] = blockWith("Hop", count, events);
        captionRefresh(record, kButton);
        const QByteArray file = fileBytes(macroFile("Hop"));
        QCOMPARE(file, "254\n" + macroFileRowLines(rowsOf(rows)));

        const MacroBlock sent = macroBlockFromRows(QStringLiteral("Hop"), parseMacroFile(file).rows);
        QCOMPARE(int(sent.eventCount), back.size());
        QCOMPARE(eventsOf(sent, back.size()), back);
    }

    // The block's bounds: 70 events and 30 name bytes on the way out, a count
    // above 70 taken as 70 on the way in.
    void blockBounds()
    {
        OpenedDevice device;
        // 75 strokes: 150 key rows.
        RowTexts rows;
        for (int i = 0; i < 75; ++i)
            rows << "+A" << QStringLiteral("%1ms").arg(i + 1) << "-A" << "2ms";
        rows.removeLast();
        const QString longName = QString::fromUtf8("Přepínač_čtyři_šest_osm_dům_ž");
        QVERIFY(longName.toLocal8Bit().size() > kMacroNameBytes);
        testsupport::writeMacroFiles({longName + ".ini"});
        openWithRows(longName, rows);

        PostMsg::GetInstance()->PostMacroDownLoadData(longName, kButton);

        QCOMPARE(device.recordsSent().size(), 1);
        const MacroBlock block = sentBlock(device.recordsSent().first(), kButton);
        QCOMPARE(int(block.eventCount), kMacroBlockEvents);
        const Events sent = eventsOf(block, kMacroBlockEvents);
        QCOMPARE(sent.first(), (Event{0, 1, 0x04, 1}));
        QCOMPARE(sent.at(68), (Event{0, 1, 0x04, 35}));
        // The 70th event keeps no pause towards a key that was left out.
        QCOMPARE(sent.at(69), (Event{1, 1, 0x04, 0}));
        const QString cut = cutToLocal8Bit(longName, kMacroNameBytes);
        QVERIFY(cut.size() < longName.size());
        QVERIFY(longName.startsWith(cut));
        QCOMPARE(macroBlockName(block), cut);
        QCOMPARE(int(block.nameLength), cut.toLocal8Bit().size());
        QVERIFY(int(block.nameLength) <= kMacroNameBytes);

        // A count above 70 from the device: 70 key rows and the 69 delays between them.
        MacroBlock wild = block;
        wild.eventCount = 255;
        const QVector<MacroRow> back = macroRowsFromBlock(wild);
        QCOMPARE(back.size(), 2 * kMacroBlockEvents - 1);
        QCOMPARE(textsOf(back), rows.mid(0, 2 * kMacroBlockEvents - 2) << "-A");
    }

    // A cut at 70 events leaves no key held: a press whose release was left
    // out goes too.
    void blockCutReleasesEveryKey()
    {
        RowTexts texts;
        for (int i = 0; i < 34; ++i)
            texts << "+B" << "1ms" << "-B" << "1ms";
        texts << "+LShift" << "2ms" << "+A" << "3ms" << "-A" << "-LShift" << "+C";
        const MacroBlock block = macroBlockFromRows(QStringLiteral("Cut"), rowsOf(texts));
        QCOMPARE(int(block.eventCount), 68);
        // The event sent last waits for no key that was left out.
        QCOMPARE(eventsOf(block, 69).mid(66), (Events{{0, 1, 0x05, 1}, {1, 1, 0x05, 0}, {0, 0, 0, 0}}));
        // A press the list never releases is the user's: it stays.
        texts.replace(texts.indexOf("-A"), "-C");
        const MacroBlock kept = macroBlockFromRows(QStringLiteral("Cut"), rowsOf(texts));
        QCOMPARE(int(kept.eventCount), 69);
        QCOMPARE(eventsOf(kept, 69).at(68), (Event{0, 1, 0x04, 0}));
        // A press left out before keys that stay gives them its pause.
        RowTexts middle;
        for (int i = 0; i < 33; ++i)
            middle << "+B" << "1ms" << "-B" << "1ms";
        middle << "+LShift" << "2ms" << "+C" << "3ms" << "-C" << "4ms" << "+D" << "-D" << "-LShift";
        const MacroBlock between = macroBlockFromRows(QStringLiteral("Cut"), rowsOf(middle));
        QCOMPARE(int(between.eventCount), 68);
        QCOMPARE(eventsOf(between, 68).mid(65), (Events{{1, 1, 0x05, 3}, {0, 1, 0x06, 3}, {1, 1, 0x06, 0}}));

        // Names outside the key table are each their own key: the release of
        // one does not keep the other's press whose release was cut.
        RowTexts foreign;
        for (int i = 0; i < 33; ++i)
            foreign << "+B" << "1ms" << "-B" << "1ms";
        foreign << "+Souris4" << "+Souris5" << "-Souris4" << "+C" << "-Souris5" << "-C";
        const MacroBlock apart = macroBlockFromRows(QStringLiteral("Cut"), rowsOf(foreign));
        QCOMPARE(int(apart.eventCount), 68);
        QCOMPARE(eventsOf(apart, 69).mid(66), (Events{{0, 1, 0, 0}, {1, 1, 0, 0}, {0, 0, 0, 0}}));
    }

    // The macro asked for is sent from its file, whichever macro is open,
    // while writes are on, to a button of the device.
    void guard_data()
    {
        QTest::addColumn<QString>("current");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("button");
        QTest::addColumn<bool>("writes");
        QTest::addColumn<int>("events");   // -1: nothing sent
        QTest::newRow("the open macro") << "Hop" << "Hop" << kButton << true << 1;
        QTest::newRow("another macro") << "Hop" << "Walk" << kButton << true << 2;
        QTest::newRow("no macro open") << "" << "Hop" << kButton << true << 1;
        QTest::newRow("writes disabled") << "Hop" << "Hop" << kButton << false << -1;
        QTest::newRow("button past the last") << "Hop" << "Hop" << int(kButtonCount) << true << -1;
        QTest::newRow("negative button") << "Hop" << "Hop" << -1 << true << -1;
        QTest::newRow("empty name, none open") << "" << "" << kButton << true << -1;
        QTest::newRow("a macro with no file") << "Hop" << "Gone" << kButton << true << -1;
        QTest::newRow("NULs removed, sent") << "Hop" << QString::fromLatin1("H\0op\0", 5) << kButton << true << 1;
    }

    void guard()
    {
        QFETCH(QString, current);
        QFETCH(QString, name);
        QFETCH(int, button);
        QFETCH(bool, writes);
        QFETCH(int, events);
        OpenedDevice device;
        writeFile(macroFile("Hop"), "1\n0x04 1 0\n");
        writeFile(macroFile("Walk"), "1\n0x05 1 0\n3ms\n0x05 1 1\n");
        page = std::make_unique<Macro>();
        if (!current.isEmpty()) {
            macros()->setCurrentItem(macros()->findItems(current, Qt::MatchExactly).value(0));
            // Not saved: the file is what is sent.
            page->appendKeyEvent("Z", true);
        }
        deviceWriteEnabled = writes ? 1 : 0;

        PostMsg::GetInstance()->PostMacroDownLoadData(name, button);

        QCOMPARE(hidsim::callLog().size() > 0, events >= 0);
        QCOMPARE(device.recordsSent().size(), events >= 0 ? 1 : 0);
        if (events >= 0)
            QCOMPARE(int(sentBlock(device.recordsSent().first(), kButton).eventCount), events);
        // A macro not sent stays to be saved.
        QCOMPARE(page->takeMacroSendRefused(), !writes);
    }

    // A record the device does not take leaves the events to be sent again.
    void refusedSend_data()
    {
        QTest::addColumn<bool>("offline");
        QTest::newRow("macros no longer fit") << false;
        QTest::newRow("mouse offline") << true;
    }

    void refusedSend()
    {
        QFETCH(bool, offline);
        OpenedDevice device;
        openWithRows("Hop", {"+A", "10ms", "-A"});
        QToolButton* save = child<QToolButton>(page.get(), "Save");
        QVERIFY(!save->isEnabled());
        if (offline) {
            device.goOffline();
        } else {
            testsupport::fillEveryMacro(&CurrentFlashData);
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("hidsim: .* refused a record"));
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("the device refused the record"));
        }
        const QByteArray before = OpenedDevice::record();
        QSignalSpy offlineNotice(PostMsg::GetInstance(), SIGNAL(SigMouseOffLineo(int)));

        PostMsg::GetInstance()->PostMacroDownLoadData(QStringLiteral("Hop"), kButton);

        QCOMPARE(OpenedDevice::record(), before);
        QCOMPARE(offlineNotice.count(), offline ? 1 : 0);
        QCOMPARE(hidsim::recordsTaken(), 0);
        QVERIFY(save->isEnabled());
        QVERIFY(page->takeMacroSendRefused());
        QVERIFY(!page->takeMacroSendRefused());

        // Through Save, answered as the button page answers it: the refused
        // events stay unsaved, and the next Save offers them again.
        QObject buttonPage;
        QVector<int> modes;
        connect(PostMsg::GetInstance(), &PostMsg::SigUpDataMacro, &buttonPage, [&modes](QString macro, int mode) {
            modes << mode;
            if (mode == 0)
                PostMsg::GetInstance()->PostMacroDownLoadData(macro, kButton);
        });
        if (!offline) {
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("hidsim: .* refused a record"));
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("the device refused the record"));
        }
        auto* chooser = child<QComboBox>(page.get(), "ChooseEvent");
        emit chooser->activated(4);        // a left-button stroke: the events changed
        QVERIFY(save->isEnabled());
        save->click();
        QCOMPARE(modes, QVector<int>({0}));
        QVERIFY(save->isEnabled());
        if (!offline) {
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("hidsim: .* refused a record"));
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("the device refused the record"));
        }
        save->click();
        QCOMPARE(modes, QVector<int>({0, 0}));
        QCOMPARE(hidsim::recordsTaken(), 0);
    }

    // A caption refresh rewrites the macro's file from the device every time;
    // it takes the page along only while the page holds no unsaved work.
    void captionRefreshKeepsUnsavedWork_data()
    {
        QTest::addColumn<QString>("state");
        QTest::newRow("nothing unsaved") << "clean";
        QTest::newRow("repeat changed") << "repeat";
        QTest::newRow("recording") << "recording";
        QTest::newRow("recording elsewhere") << "macroRecording";
    }

    void captionRefreshKeepsUnsavedWork()
    {
        QFETCH(QString, state);
        testsupport::writeMacroFiles({"Hop.ini", "Walk.ini", "Zed.ini"});
        const RowTexts open = {"+B", "50ms", "-B"};
        openWithRows("Walk", open);
        if (state == "repeat")
            child<QCheckBox>(page.get(), "ReUntil")->click();
        else if (state == "recording")
            child<QPushButton>(page.get(), "StartRecord")->click();
        else if (state == "macroRecording")
            macroRecording = 1;
        const RowTexts during = textsOf(page->eventRows());
        const QString fileDuring = page->currentFilePath();
        QSignalSpy rebuilt(PostMsg::GetInstance(), SIGNAL(SigAddMacroButton()));

        FlashDataMap record = {};
        record.macroBlocks[2] = blockWith("Hop", 2, {{0, 1, 0x04, 10}, {1, 1, 0x04, 0}});
        record.macroBlocks[3] = blockWith("Walk", 1, {{0, 1, 0x1D, 0}});
        record.macroBlocks[4] = blockWith("Fresh", 1, {{0, 1, 0x06, 0}});
        // Twice, as every full image and every language change do.
        for (int pass = 0; pass < 2; ++pass) {
            for (int button : {2, 3, 4})
                captionRefresh(record, button);
        }

        // The files follow the device whatever the page holds, never growing.
        QCOMPARE(fileBytes(macroFile("Hop")), "254\n" + macroFileRowLines(rowsOf({"+A", "10ms", "-A"})));
        QCOMPARE(fileBytes(macroFile("Walk")), "254\n" + macroFileRowLines(rowsOf({"+Z"})));
        QVERIFY(!QFile::exists(macroFile("Fresh")));
        QCOMPARE(rebuilt.count(), 6);
        // A device macro not listed is listed once, after the open one.
        QCOMPARE(macros()->findItems("Fresh", Qt::MatchExactly).size(), 1);
        QCOMPARE(macros()->count(), 4);

        if (state == "clean") {
            QCOMPARE(macros()->currentItem(), nullptr);
            QCOMPARE(events()->count(), 0);
        } else {
            QVERIFY(macros()->currentItem());
            QCOMPARE(page->currentMacroName(), QStringLiteral("Walk"));
            QCOMPARE(macros()->item(2)->text(), QStringLiteral("Fresh"));
            QCOMPARE(textsOf(page->eventRows()), during);
            QCOMPARE(page->currentFilePath(), fileDuring);
        }
    }

    // A device name that is no fit file name is made safe for the list and
    // the file.
    void unsafeDeviceName()
    {
        page = std::make_unique<Macro>();
        writeFile(macroFile("a_b"), "1\n");
        FlashDataMap record = {};
        record.macroBlocks[0] = blockWith("a/b", 1, {{0, 1, 0x04, 0}});
        record.macroBlocks[1] = blockWith("", 1, {{0, 1, 0x04, 0}});
        captionRefresh(record, 0);
        captionRefresh(record, 1);
        QCOMPARE(macros()->findItems("a_b", Qt::MatchExactly).size(), 1);
        QCOMPARE(macros()->findItems("Macro", Qt::MatchExactly).size(), 1);
        QCOMPARE(fileBytes(macroFile("a_b")), "254\n" + macroFileRowLines(rowsOf({"+A"})));
        QVERIFY(!QDir(macroFolder()).exists("a"));
    }
};

QUEMBREL_TEST_MAIN(MacroTransferTest)
#include "tst_macrotransfer.moc"
