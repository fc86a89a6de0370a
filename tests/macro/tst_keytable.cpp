// The macro editor's key table (name, usage code text, kind, virtual key) and
// the event list's editing operations: where each puts its rows.
#include "support/buttonfixture.h"
#include "support/testsupport.h"
#include "support/widgetprobe.h"

#include "buttons/buttoninterface.h"
#include "core/flashdatamap.h"
#include "core/globals.h"
#include "core/product.h"
#include "macro/keynames.h"
#include "macro/macro.h"

#include <QListWidget>

#include <cstring>

using testsupport::child;

namespace {

void setMouseNames(const QStringList& names)
{
    QString* const targets[] = {&leftButtonName, &rightButtonName, &middleButtonName, &backButtonName,
                                &forwardButtonName};
    for (int i = 0; i < 5; ++i)
        *targets[i] = names.value(i);
}

// A list as "P:A D:10ms R:A": P press, R release, D delay.
QString describe(QListWidget* list)
{
    QStringList rows;
    for (int i = 0; i < list->count(); ++i) {
        const QListWidgetItem* item = list->item(i);
        const QString text = item->text();
        rows << (text.contains(QLatin1String("ms")) ? QStringLiteral("D:") : item->type() == 0 ? QStringLiteral("P:")
                                                                                                : QStringLiteral("R:"))
                + text;
    }
    return rows.join(QLatin1Char(' '));
}

// Fills the event list from a description; "*" marks the current row.
void fill(QListWidget* list, const QString& rows)
{
    list->clear();
    int current = -1;
    for (QString row : rows.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (row.startsWith(QLatin1Char('*'))) {
            row.remove(0, 1);
            current = list->count();
        }
        const int type = row.startsWith(QLatin1String("R:")) ? 1 : 0;
        list->addItem(new QListWidgetItem(row.mid(2), nullptr, type));
    }
    list->setCurrentRow(current);
    if (current < 0)
        list->setCurrentItem(nullptr);
}

} // namespace

class KeyTableTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<Macro> page;
    QListWidget* events = nullptr;
    QListWidget* macros = nullptr;

private slots:
    void init()
    {
        testsupport::writeMacroFiles({QStringLiteral("one.ini")});
        setMouseNames({"Left", "Right", "Middle", "Back", "Forward"});
        page = std::make_unique<Macro>();
        // The page's own language sets the names; the tests use their own.
        setMouseNames({"Left", "Right", "Middle", "Back", "Forward"});
        events = child<QListWidget>(page.get(), "listWidgetKey");
        macros = child<QListWidget>(page.get(), "listWidgetHong");
        macros->setCurrentRow(0);
    }

    void cleanup() { page.reset(); }

    // Every row: its name gives its code and kind, the code and kind give
    // the name back, the virtual key names it, and the button page writes the
    // same kind and code into an event.
    void everyRowIsConsistent()
    {
        int count = 0;
        const KeyRow* rows = keyRows(&count);
        QCOMPARE(count + 5, 109);
        QSet<QString> codes;
        for (int i = 0; i < count; ++i) {
            const QString name = QString::fromUtf8(rows[i].name);
            const QStringList hid = Macro::hidCodesForKey(name);
            QCOMPARE(hid, (QStringList{usageCodeText(rows[i].usage), QString::number(int(rows[i].kind))}));
            QVERIFY2(QRegularExpression("^0x[0-9A-F]{2}$").match(hid.at(0)).hasMatch(), qPrintable(hid.at(0)));
            QCOMPARE(keyNameForCode(hid.at(0), hid.at(1).toInt()), name);
            QCOMPARE(sidedKeyName(rows[i].vk), name);
            QVERIFY2(!codes.contains(hid.join(' ')), qPrintable(name));
            codes.insert(hid.join(' '));
            QVERIFY(!name.contains(QLatin1String("ms")));

            MacroBlock block;
            std::memset(&block, 0, sizeof block);
            Buttoninterface::KeyNameToSlot(name, 5, block);
            QCOMPARE(int(block.events[5].kind), int(rows[i].kind));
            QCOMPARE(int(block.events[5].code()), rows[i].usage);
        }
        const QStringList mice{"Left", "Right", "Middle", "Back", "Forward"};
        const int bits[] = {1, 2, 4, 8, 16};
        for (int i = 0; i < 5; ++i) {
            QCOMPARE(Macro::hidCodesForKey(mice.at(i)), (QStringList{usageCodeText(bits[i]), "4"}));
            QCOMPARE(keyNameForCode(usageCodeText(bits[i]), 4), mice.at(i));
            QCOMPARE(mouseButtonName(bits[i]), mice.at(i));
            MacroBlock block;
            std::memset(&block, 0, sizeof block);
            Macro::setBlockEventCode(mice.at(i), 69, block);
            QCOMPARE(int(block.events[69].kind), 4);
            QCOMPARE(int(block.events[69].code()), bits[i]);
            Buttoninterface::KeyNameToSlot(mice.at(i), 1, block);
            QCOMPARE(int(block.events[1].kind), 4);
            QCOMPARE(int(block.events[1].code()), bits[i]);
        }
    }

    void rowsByRule_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("code");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("vk");
        QTest::newRow("A") << "A" << "0x04" << 1 << 65;
        QTest::newRow("Z") << "Z" << "0x1D" << 1 << 90;
        QTest::newRow("1") << "1" << "0x1E" << 1 << 49;
        QTest::newRow("0") << "0" << "0x27" << 1 << 48;
        QTest::newRow("F12") << "F12" << "0x45" << 1 << 123;
        QTest::newRow("Num0") << "Num0" << "0x62" << 1 << 96;
        QTest::newRow("Num9") << "Num9" << "0x61" << 1 << 105;
        QTest::newRow("left arrow") << QString::fromUtf8("←") << "0x50" << 1 << 37;
        QTest::newRow("APPs") << "APPs" << "0x65" << 1 << 93;
        QTest::newRow("unnamed keypad 5") << "" << "0x00" << 1 << 12;
        QTest::newRow("LCtrl") << "LCtrl" << "0x01" << 0 << 162;
        QTest::newRow("RWin") << "RWin" << "0x80" << 0 << 92;
    }

    void rowsByRule()
    {
        QFETCH(QString, name);
        QFETCH(QString, code);
        QFETCH(int, kind);
        QFETCH(int, vk);
        QCOMPARE(Macro::hidCodesForKey(name), (QStringList{code, QString::number(kind)}));
        QCOMPARE(sidedKeyName(vk), name);
    }

    void lookups_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("code");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("name");
        QTest::newRow("code 0x20 kind 1") << "code" << "0x20" << 1 << "3";
        QTest::newRow("code 0x20 kind 0") << "code" << "0x20" << 0 << "RShift";
        QTest::newRow("code 0x20 kind 4") << "code" << "0x20" << 4 << "";
        QTest::newRow("code lower-case") << "code" << "0x1d" << 1 << "";
        QTest::newRow("code short") << "code" << "0x4" << 1 << "";
        QTest::newRow("code kind 2") << "code" << "0x04" << 2 << "";
        QTest::newRow("code mouse") << "code" << "0x10" << 4 << "Forward";
        QTest::newRow("usage 0x40 kind 1") << "usage" << "0x40" << 1 << "F7";
        QTest::newRow("usage 0x40 kind 0") << "usage" << "0x40" << 0 << "RAlt";
        QTest::newRow("usage 0x40 kind 7") << "usage" << "0x40" << 7 << "F7";
        QTest::newRow("usage 0x02 kind 1") << "usage" << "0x02" << 1 << "LShift";
        QTest::newRow("usage 0x80 kind 1") << "usage" << "0x80" << 1 << "RWin";
        QTest::newRow("usage 0x04 kind 0") << "usage" << "0x04" << 0 << "LAlt";
        QTest::newRow("usage 0x08 kind 1") << "usage" << "0x08" << 1 << "E";
        QTest::newRow("usage 0x10 kind 3") << "usage" << "0x10" << 3 << "";
        QTest::newRow("usage 0x3A kind 0") << "usage" << "0x3A" << 0 << "F1";
        QTest::newRow("usage 0") << "usage" << "0x00" << 1 << "";
        QTest::newRow("usage unknown") << "usage" << "0x32" << 1 << "";
    }

    void lookups()
    {
        QFETCH(QString, how);
        QFETCH(QString, code);
        QFETCH(int, kind);
        QFETCH(QString, name);
        if (how == QLatin1String("code"))
            QCOMPARE(keyNameForCode(code, kind), name);
        else
            QCOMPARE(keyNameForUsage(code.mid(2).toInt(nullptr, 16), kind), name);
    }

    void namesOutsideTheTable()
    {
        QCOMPARE(Macro::hidCodesForKey(QString()), (QStringList{"0x00", "1"}));
        QCOMPARE(Macro::hidCodesForKey("10ms"), QStringList());
        QCOMPARE(Macro::hidCodesForKey("a"), QStringList());
        QCOMPARE(keyNameForUsage(0x1234, 1), QString());
        QCOMPARE(mouseButtonName(3), QString());
        // An unknown name sets kind 1 and keeps the code.
        MacroBlock block;
        std::memset(&block, 0, sizeof block);
        block.events[2].setCode(0x55);
        block.events[2].kind = 0;
        Macro::setBlockEventCode("nothing", 2, block);
        QCOMPARE(int(block.events[2].kind), 1);
        QCOMPARE(int(block.events[2].code()), 0x55);
        // A slot outside the block is left alone.
        const MacroBlock before = block;
        Macro::setBlockEventCode("A", kMacroBlockEvents, block);
        QCOMPARE(std::memcmp(&before, &block, sizeof block), 0);
    }

    // Before any language the mouse buttons have no name: such a row is the
    // unnamed key.
    void mouseNamesBeforeAnyLanguage()
    {
        setMouseNames({});
        QCOMPARE(mouseButtonName(1), QString());
        QCOMPARE(Macro::hidCodesForKey(leftButtonName), (QStringList{"0x00", "1"}));
        QCOMPARE(keyNameForCode("0x01", 4), QString());
    }

    void insertKeyEvent_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<bool>("down");
        QTest::addColumn<QString>("after");
        QTest::newRow("r = 0") << "*P:A D:5ms R:A" << true << "P:A D:5ms P:K D:10ms R:A";
        QTest::newRow("r = 0, one row") << "*P:A" << true << "P:A P:K D:10ms";
        QTest::newRow("no current row") << "P:A D:5ms R:A" << false << "P:A D:5ms R:A R:K D:10ms";
        QTest::newRow("no current row, empty") << "" << true << "P:K D:10ms";
        QTest::newRow("last row") << "P:A D:5ms *R:A" << true << "P:A D:5ms R:A D:10ms P:K";
        QTest::newRow("delay row") << "P:A *D:5ms R:A D:6ms P:B" << true << "P:A D:5ms P:K D:10ms R:A D:6ms P:B";
        QTest::newRow("key row") << "P:A D:5ms *R:A D:6ms P:B" << false
                                 << "P:A D:5ms R:A D:6ms R:K D:10ms P:B";
    }

    void insertKeyEvent()
    {
        QFETCH(QString, before);
        QFETCH(bool, down);
        QFETCH(QString, after);
        fill(events, before);
        const int current = events->currentRow();
        page->insertKeyEvent("K", down);
        QCOMPARE(describe(events), after);
        QCOMPARE(events->currentRow(), current);
    }

    void insertKeyStroke_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::newRow("r = 0") << "*P:A D:5ms R:A" << "P:A D:5ms P:K D:10ms R:K D:10ms R:A";
        QTest::newRow("r = 0, one row") << "*P:A" << "P:A P:K D:10ms R:K D:10ms";
        QTest::newRow("empty, no current row") << "" << "P:K D:10ms R:K";
        QTest::newRow("no current row") << "P:A D:5ms R:A" << "P:A D:5ms R:A D:10ms P:K D:10ms R:K";
        QTest::newRow("last row") << "P:A D:5ms *R:A" << "P:A D:5ms R:A D:10ms P:K D:10ms R:K";
        QTest::newRow("key row") << "P:A D:5ms *R:A D:6ms P:B" << "P:A D:5ms R:A D:10ms P:K D:10ms R:K D:6ms P:B";
        QTest::newRow("delay row") << "P:A *D:5ms R:A" << "P:A D:5ms P:K D:10ms R:K D:10ms R:A";
    }

    void insertKeyStroke()
    {
        QFETCH(QString, before);
        QFETCH(QString, after);
        fill(events, before);
        const int current = events->currentRow();
        page->insertKeyStroke("K");
        QCOMPARE(describe(events), after);
        QCOMPARE(events->currentRow(), current);
    }

    void setDelayEvent_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::addColumn<int>("current");
        QTest::newRow("no current row") << "P:A D:5ms R:A" << "P:A D:5ms R:A D:70ms" << -1;
        QTest::newRow("r = 0") << "*P:A D:5ms R:A" << "P:A D:5ms R:A" << 0;
        QTest::newRow("delay row") << "P:A *D:5ms R:A" << "P:A D:70ms R:A" << 1;
        QTest::newRow("key after delay") << "P:A D:5ms *R:A" << "P:A D:70ms R:A" << 1;
        QTest::newRow("key after key") << "P:A *R:A" << "P:A D:70ms R:A" << 1;
    }

    void setDelayEvent()
    {
        QFETCH(QString, before);
        QFETCH(QString, after);
        QFETCH(int, current);
        fill(events, before);
        page->setDelayEvent(70.4);
        QCOMPARE(describe(events), after);
        QCOMPARE(events->currentRow(), current);
    }

    void appendsNeedACurrentMacro()
    {
        fill(events, "");
        page->appendKeyEvent("A", true);
        page->appendDelayEvent(12);
        page->appendKeyEvent("A", false);
        QCOMPARE(describe(events), QStringLiteral("P:A D:12ms R:A"));
        QCOMPARE(events->currentRow(), 2);
        page->appendDelayEvent(7);
        QCOMPARE(events->currentRow(), 2);

        macros->setCurrentItem(nullptr);
        fill(events, "");
        page->appendKeyEvent("A", true);
        page->appendDelayEvent(12);
        QCOMPARE(events->count(), 0);
    }

    // Each row carries the picture of its kind.
    void rowIcons()
    {
        fill(events, "");
        page->insertKeyStroke("A");
        const QStringList pictures{"MacroDown.png", "MacroTime.png", "MacroUp.png"};
        for (int i = 0; i < 3; ++i) {
            const QIcon icon = events->item(i)->icon();
            QVERIFY(!icon.isNull());
            const QImage expected(installDir() + "/Picture/Macro/" + pictures.at(i));
            QVERIFY(!expected.isNull());
            QCOMPARE(icon.pixmap(expected.size()).toImage().convertToFormat(QImage::Format_ARGB32),
                     expected.convertToFormat(QImage::Format_ARGB32));
        }
    }
};

QUEMBREL_TEST_MAIN(KeyTableTest)
#include "tst_keytable.moc"
