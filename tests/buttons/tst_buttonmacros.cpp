// Macros on the button page: the macro block and head read from a macro file,
// a macro entry assigning its macro, the buttons following the macro page's
// rename, change and delete, the device's macros written to their files on a
// fill, and the profile switch. What reaches the device is read back from the
// simulated library's call log.
#include "support/buttonfixture.h"
#include "support/devicefixture.h"
#include "support/modalanswer.h"
#include "support/openeddevice.h"
#include "support/testsupport.h"
#include "support/widgetprobe.h"

#include "buttons/buttoninterface.h"
#include "buttons/macroblockfile.h"
#include "core/deviceinfo.h"
#include "core/flashdatamap.h"
#include "core/globals.h"
#include "core/postmsg.h"
#include "core/product.h"
#include "core/settings.h"
#include "core/setters.h"
#include "core/worker.h"
#include "macro/keynames.h"
#include "macro/macro.h"
#include "macro/macroblock.h"
#include "macro/macrofile.h"
#include "platform/hidusb/simcontrol.h"
#include "sensor/sensor.h"
#include "widgets/macroname.h"
#include "widgets/myconmbobox.h"
#include "widgets/updataparam.h"

#include <QDir>
#include <QComboBox>
#include <QFile>
#include <QListWidget>
#include <QTimer>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QToolButton>

#include <cstring>

using testsupport::ModalAnswer;
using testsupport::OpenedDevice;
using testsupport::child;

using testsupport::recordOf;

namespace {

const QString kPrefix = QStringLiteral("Macro: ");

// Offsets of button k's parts in the record.
int assignmentAt(int k) { return 0x4A + 3 * k; }
int keyBlockAt(int k) { return 0x7C + 52 * k; }
int macroBlockAt(int k) { return 0x3BC + 592 * k; }

void writeMacro(const QString& name, const QByteArray& bytes)
{
    QDir().mkpath(macroFolder());
    QFile file(macroFilePath(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray macroFile(const QString& name)
{
    QFile file(macroFilePath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QByteArray blockBytes(const MacroBlock& block)
{
    return QByteArray(reinterpret_cast<const char*>(&block), sizeof block);
}

// A macro block in hex: name, count and events "action kind code delay".
QString blockHex(const QByteArray& name, int count, const QVector<QVector<int>>& events)
{
    QByteArray bytes(592, '\0');
    bytes[0] = char(name.size());
    bytes.replace(1, name.size(), name);
    bytes[31] = char(count);
    for (int e = 0; e < events.size(); ++e) {
        const QVector<int>& event = events.at(e);
        bytes[32 + 8 * e] = char(event.at(0));
        bytes[33 + 8 * e] = char(event.at(1));
        bytes[34 + 8 * e] = char(event.at(2) & 0xFF);
        bytes[35 + 8 * e] = char(event.at(2) >> 8);
        for (int b = 0; b < 4; ++b)
            bytes[36 + 8 * e + b] = char(uint32_t(event.at(3)) >> (8 * b));
    }
    return QString::fromLatin1(bytes.toHex(' '));
}

// The record with button k carrying macro `name` (type 6, k, repeat); the
// block holds one press of A.
QByteArray withMacro(QByteArray record, int k, const QString& name, int repeat = 1)
{
    record[assignmentAt(k)] = 6;
    record[assignmentAt(k) + 1] = char(k);
    record[assignmentAt(k) + 2] = char(repeat);
    MacroBlock block;
    std::memset(&block, 0, sizeof block);
    setMacroBlockName(block, name);
    block.eventCount = 1;
    block.events[0].kind = 1;
    block.events[0].setCode(0x04);
    record.replace(macroBlockAt(k), 592, blockBytes(block));
    return record;
}

QByteArray withAssignment(QByteArray record, int k, int type, int value1, int value2)
{
    record[assignmentAt(k)] = char(type);
    record[assignmentAt(k) + 1] = char(value1);
    record[assignmentAt(k) + 2] = char(value2);
    return record;
}

QString shownPage(Buttoninterface* page, const char* stack)
{
    return child<QStackedWidget>(page, stack)->currentWidget()->objectName();
}

// An opened q3 and the button page in English, filled from `record`.
struct MacroPage
{
    explicit MacroPage(const QByteArray& record = QByteArray())
    {
        PostMsg::GetInstance()->PostAllLanguage(0);
        fill(record.isEmpty() ? OpenedDevice::record() : record);
        hidsim::clearCallLog();
    }
    void fill(const QByteArray& record)
    {
        CurrentFlashData = recordOf(record);
        page.SlotUpDataButtonUIButton(CurrentFlashData);
    }
    QString caption(int k) const { return page.displayButton(k)->text(); }
    QToolButton* entry(const QString& name) const
    {
        for (QToolButton* entry : page.macroButtons())
            if (entry->isEnabled() && entry->text() == name)
                return entry;
        return nullptr;
    }

    // The device opens after the page, whose worker starts on a path of its own.
    Buttoninterface page;
    OpenedDevice device;
};

} // namespace

class ButtonMacrosTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        testsupport::loadInstalledLanguages();
        // The macro page names the mouse buttons once its language is set.
        leftButtonName = QStringLiteral("Left button");
        rightButtonName = QStringLiteral("Right button");
        middleButtonName = QStringLiteral("Middle button");
        backButtonName = QStringLiteral("Back button");
        forwardButtonName = QStringLiteral("Forward button");
        Buttoninterface::macroResendWaitMs = 0;
    }

    void init()
    {
        testsupport::startButtonPageTest();
        deviceWriteEnabled = 1;
    }
    void cleanup() { testsupport::endButtonPageTest(); }

    // ---- Reading macro files ---------------------------------------------------------

    void loadMacroBlock_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("block");
        const QByteArray a = "Alpha";
        // No blank event: the count is the number of key lines.
        QTest::newRow("head only") << "Alpha" << QByteArray("1\n") << blockHex(a, 0, {});
        QTest::newRow("press, delay, release")
            << "Alpha" << QByteArray("1\n0x04 1 0\n20ms\n0x04 1 1\n")
            << blockHex(a, 2, {{0, 1, 0x04, 20}, {1, 1, 0x04, 0}});
        QTest::newRow("last line without a line end")
            << "Alpha" << QByteArray("1\n0x04 1 0\n20ms\n0x04 1 1")
            << blockHex(a, 2, {{0, 1, 0x04, 20}, {1, 1, 0x04, 0}});
        QTest::newRow("ends with a delay") << "Alpha" << QByteArray("1\n0x02 0 0\n7ms\n")
                                           << blockHex(a, 1, {{0, 0, 0x02, 7}});
        // Every key line is an event, each with the delays after it.
        QTest::newRow("two key lines in a row")
            << "Alpha" << QByteArray("1\n0x04 1 0\n10ms\n0x04 1 1\n0x05 1 0\n3ms\n4ms\n0x05 1 1\n")
            << blockHex(a, 4, {{0, 1, 0x04, 10}, {1, 1, 0x04, 0}, {0, 1, 0x05, 7}, {1, 1, 0x05, 0}});
        QTest::newRow("delay past 32 bits") << "Alpha" << QByteArray("1\n0x04 1 0\n9999999999ms\n0x04 1 1\n")
                                            << blockHex(a, 2, {{0, 1, 0x04, -1}, {1, 1, 0x04, 0}});
        // Only a line end's carriage return goes, as on the macro page.
        QTest::newRow("carriage return inside a line")
            << "Alpha" << QByteArray("1\n0x0\r4 1 0\r\n") << blockHex(a, 1, {{0, 1, 0, 0}});
        QTest::newRow("line ends of another system")
            << "Alpha" << QByteArray("3\r\n0x01 4 0\r\n5ms\r\n0x01 4 1\r\n") << blockHex(a, 2, {{0, 4, 0x01, 5}, {1, 4, 0x01, 0}});
        QTest::newRow("odd lines skipped") << "Alpha" << QByteArray("1\nhello there\n0x04 1 0 9\n0x05 1 0\n3ms\n")
                                           << blockHex(a, 1, {{0, 1, 0x05, 3}});
        QTest::newRow("NUL in the name") << QString::fromLatin1("Al\0pha", 6) << QByteArray("1\n") << blockHex(a, 0, {});
        QTest::newRow("name cut to its field")
            << QString(40, QLatin1Char('n')) << QByteArray("1\n") << blockHex(QByteArray(30, 'n'), 0, {});
        QByteArray many = "1\n";
        QVector<QVector<int>> seventy;
        for (int i = 0; i < 80; ++i) {
            many += "0x04 1 0\n" + QByteArray::number(i + 1) + "ms\n";
            if (i < 70)
                seventy.append({0, 1, 0x04, i + 1});
        }
        // The 70th event keeps no pause towards a key left out.
        seventy.last()[3] = 0;
        QTest::newRow("more events than the block") << "Alpha" << many << blockHex(a, 70, seventy);
    }

    void loadMacroBlock()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, file);
        QFETCH(QString, block);
        writeMacro(QString(name).remove(QChar(0)), file);
        bool ok = false;
        const MacroBlock read = Buttoninterface::LoadMacroBlock(name, 3, ok);
        QVERIFY(ok);
        QCOMPARE(QString::fromLatin1(blockBytes(read).toHex(' ')), block);
    }

    void loadMacroBlockRefuses()
    {
        writeMacro(QStringLiteral("Alpha"), "1\n0x04 1 0\n20ms\n");
        bool ok = true;
        QCOMPARE(blockBytes(Buttoninterface::LoadMacroBlock(QStringLiteral("Beta"), 0, ok)), QByteArray(592, '\0'));
        QVERIFY(!ok);
        QCOMPARE(blockBytes(Buttoninterface::LoadMacroBlock(QStringLiteral("../MacroPage/Alpha"), 0, ok)),
                 QByteArray(592, '\0'));
        QVERIFY(!ok);
        deviceWriteEnabled = 0;
        ok = true;
        QCOMPARE(blockBytes(Buttoninterface::LoadMacroBlock(QStringLiteral("Alpha"), 0, ok)), QByteArray(592, '\0'));
        QVERIFY(!ok);
    }

    void readMacroFileHead_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("head");
        // The value the macro page shows for the same line: what it cannot
        // show is a count of 1, as is a file not yet saved.
        QTest::newRow("number and more words") << QByteArray("255 9 x\n0x04 1 0\n") << "255";
        QTest::newRow("leading blanks") << QByteArray("   17\n") << "17";
        QTest::newRow("no line end") << QByteArray("253") << "253";
        QTest::newRow("past the counts") << QByteArray("300\n") << "1";
        QTest::newRow("between counts and modes") << QByteArray("251\n") << "1";
        QTest::newRow("negative") << QByteArray("-1\n") << "1";
        QTest::newRow("line ends of another system") << QByteArray("254\r\n") << "254";
        QTest::newRow("empty first line") << QByteArray("\n255\n") << "1";
        QTest::newRow("blanks only") << QByteArray("   ") << "1";
        QTest::newRow("empty file") << QByteArray() << "1";
        QTest::newRow("missing file") << QByteArray("<none>") << "0";
    }

    void readMacroFileHead()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, head);
        if (file != "<none>")
            writeMacro(QStringLiteral("Alpha"), file);
        QCOMPARE(Buttoninterface::ReadMacroFileHead(QStringLiteral("Alpha")), head);
    }

    // ---- Assigning a macro -------------------------------------------------------------

    void assignMacro_data()
    {
        QTest::addColumn<int>("k");
        QTest::addColumn<QByteArray>("head");
        QTest::addColumn<int>("sent");
        QTest::addColumn<int>("kept");
        QTest::newRow("Button9, until clicked") << 8 << QByteArray("255") << 255 << 255;
        QTest::newRow("StartPause, count") << 4 << QByteArray("3") << 3 << 3;
        // The count the macro page shows for the file.
        QTest::newRow("FireKey, 300 is a count of 1") << 0 << QByteArray("300") << 1 << 1;
        QTest::newRow("TopMusic, empty head") << 3 << QByteArray("") << 1 << 1;
    }

    void assignMacro()
    {
        QFETCH(int, k);
        QFETCH(QByteArray, head);
        QFETCH(int, sent);
        QFETCH(int, kept);
        testsupport::writeMacroFiles({});
        writeMacro(QStringLiteral("Alpha"), head + "\n0x04 1 0\n20ms\n0x04 1 1\n");
        MacroPage menu;
        const QByteArray before = OpenedDevice::record();
        menu.page.displayButton(k)->setChecked(true);

        for (int click = 0; click < 2; ++click) {
            // The checked entry assigns again.
            menu.entry(QStringLiteral("Alpha"))->click();
            QVERIFY(menu.entry(QStringLiteral("Alpha"))->isChecked());
        }

        QByteArray expected = withAssignment(before, k, 6, k, sent);
        bool ok = false;
        expected.replace(macroBlockAt(k), 592, blockBytes(Buttoninterface::LoadMacroBlock("Alpha", k, ok)));
        const QVector<QByteArray> records = menu.device.recordsSent();
        QCOMPARE(records.size(), 2);
        QCOMPARE(records.at(0).toHex(), expected.toHex());
        QCOMPARE(records.at(1).toHex(), expected.toHex());
        QCOMPARE(menu.caption(k), kPrefix + "Alpha");
        QCOMPARE(menu.page.modelTypes().at(k), 6);
        QCOMPARE(menu.page.modelValues1().at(k), k);
        QCOMPARE(menu.page.modelValues2().at(k), kept);
        QCOMPARE(shownPage(&menu.page, "stackedWidget_2"), QStringLiteral("page_9"));
    }

    void assignMacroWritesNothing_data()
    {
        QTest::addColumn<QString>("why");
        QTest::newRow("nothing selected") << "nothing selected";
        QTest::newRow("file gone") << "file gone";
        QTest::newRow("writes off") << "writes off";
        QTest::newRow("offline") << "offline";
    }

    void assignMacroWritesNothing()
    {
        QFETCH(QString, why);
        testsupport::writeMacroFiles({QStringLiteral("Alpha.ini")});
        MacroPage menu;
        const QString shown = menu.caption(2);
        if (why != QLatin1String("nothing selected"))
            menu.page.displayButton(2)->setChecked(true);
        if (why == QLatin1String("file gone"))
            QFile::remove(macroFilePath(QStringLiteral("Alpha")));
        if (why == QLatin1String("writes off"))
            deviceWriteEnabled = 0;
        if (why == QLatin1String("offline"))
            menu.device.goOffline();
        QSignalSpy offline(PostMsg::GetInstance(), &PostMsg::SigMouseOffLineo);

        menu.entry(QStringLiteral("Alpha"))->click();

        QVERIFY(menu.device.recordsSent().isEmpty());
        QCOMPARE(menu.caption(2), shown);
        QCOMPARE(menu.page.modelTypes().at(2), 1);
        QCOMPARE(offline.size(), why == QLatin1String("offline") ? 1 : 0);
        QCOMPARE(shownPage(&menu.page, "stackedWidget_2"), QStringLiteral("page_9"));
    }

    void macroOption()
    {
        // Without a macro the option tells how to make one.
        MacroPage menu;
        {
            ModalAnswer modal(testsupport::clickButton("NewHong"));
            QMetaObject::invokeMethod(&menu.page, "on_DPI_10_clicked");
            QCOMPARE(modal.answered(), QStringList{"MakeMacro"});
            QVERIFY(modal.allAnswered());
        }
        QCOMPARE(shownPage(&menu.page, "stackedWidget_2"), QStringLiteral("page_9"));

        // Only a file the list skips: the page opens on its fillers alone.
        testsupport::writeMacroFiles({QStringLiteral("keys.xml"), QStringLiteral("more.xml")});
        PostMsg::GetInstance()->PostAddMacroButton();
        QCOMPARE(menu.page.macroButtons().size(), 6);
        ModalAnswer none(QList<ModalAnswer::Answer>{});
        QMetaObject::invokeMethod(&menu.page, "on_DPI_10_clicked");
        QCOMPARE(none.answeredCount(), 0);
        QCOMPARE(shownPage(&menu.page, "stackedWidget_2"), QStringLiteral("page_5"));
    }

    // ---- The macro page's changes ---------------------------------------------------

    void renameFollowsOnMacroButtonsOnly()
    {
        const QString oldName = QStringLiteral("Thirteen char");
        QByteArray record = withMacro(OpenedDevice::record(), 2, oldName);
        record = withMacro(record, 8, oldName, 7);
        record = withMacro(record, 6, QStringLiteral("Other"));
        MacroPage menu(record);
        // A key combination whose caption happens to read as the macro's.
        menu.page.displayButton(3)->setText(kPrefix + oldName);
        const QByteArray before = OpenedDevice::record();

        PostMsg::GetInstance()->PostMacroRename(oldName, QStringLiteral("abc"));

        QByteArray expected = before;
        const QVector<QByteArray> records = menu.device.recordsSent();
        QCOMPARE(records.size(), 2);
        for (int i = 0; i < 2; ++i) {
            const int k = i == 0 ? 2 : 8;
            expected[macroBlockAt(k)] = 3;
            expected.replace(macroBlockAt(k) + 1, 30, QByteArray("abc") + QByteArray(27, '\0'));
            QCOMPARE(records.at(i).toHex(), expected.toHex());
            QCOMPARE(menu.caption(k), kPrefix + "abc");
        }
        QCOMPARE(menu.caption(3), kPrefix + oldName);
        QCOMPARE(menu.caption(6), kPrefix + "Other");
        QCOMPARE(menu.page.modelValues2().at(8), 7);
    }

    void renameOfflineKeepsTheNewCaption()
    {
        MacroPage menu(withMacro(OpenedDevice::record(), 2, QStringLiteral("Old")));
        menu.device.goOffline();
        PostMsg::GetInstance()->PostMacroRename(QStringLiteral("Old"), QStringLiteral("New"));
        QCOMPARE(menu.caption(2), kPrefix + "New");
        QVERIFY(menu.device.recordsSent().isEmpty());
        QCOMPARE(menu.page.macrosAwaitingDevice().value(QStringLiteral("Old")), QStringLiteral("New"));
    }

    void repeatChangeResendsTheAssignment()
    {
        QByteArray record = withMacro(OpenedDevice::record(), 1, QStringLiteral("Rep"));
        record = withMacro(record, 5, QStringLiteral("Rep"));
        MacroPage menu(record);
        menu.page.displayButton(4)->setText(kPrefix + "Rep");   // not a macro button
        writeMacro(QStringLiteral("Rep"), "300\n0x04 1 0\n5ms\n");
        const QByteArray before = OpenedDevice::record();

        PostMsg::GetInstance()->PostUpDataMacro(QStringLiteral("Rep"), 2);
        QVERIFY(menu.device.recordsSent().isEmpty());

        PostMsg::GetInstance()->PostUpDataMacro(QStringLiteral("Rep"), 1);
        const QVector<QByteArray> records = menu.device.recordsSent();
        QCOMPARE(records.size(), 2);
        // 300 is no count the macro page can show: it shows, and sends, 1.
        QCOMPARE(records.at(0).toHex(), withAssignment(before, 1, 6, 1, 1).toHex());
        QCOMPARE(records.at(1).toHex(), withAssignment(withAssignment(before, 1, 6, 1, 1), 5, 6, 5, 1).toHex());
        // The page model is left as it was.
        QCOMPARE(menu.page.modelValues2().at(1), 1);
    }

    void eventChangeAsksTheMacroPage()
    {
        QByteArray record = withMacro(OpenedDevice::record(), 5, QStringLiteral("Ev"));
        record = withMacro(record, 3, QStringLiteral("Ev"));
        record = withMacro(record, 4, QStringLiteral("Ev"));
        MacroPage menu(record);
        menu.page.displayButton(0)->setText(kPrefix + "Ev");   // a mouse button
        QSignalSpy download(PostMsg::GetInstance(), &PostMsg::SigMacroDownLoadData);

        PostMsg::GetInstance()->PostUpDataMacro(QStringLiteral("Ev"), 0);

        QCOMPARE(download.size(), 3);
        QCOMPARE(download.at(0), (QVariantList{QStringLiteral("Ev"), 4}));
        QCOMPARE(download.at(1), (QVariantList{QStringLiteral("Ev"), 3}));
        QCOMPARE(download.at(2), (QVariantList{QStringLiteral("Ev"), 5}));
        QVERIFY(menu.device.recordsSent().isEmpty());
        QVERIFY(menu.page.macrosAwaitingDevice().isEmpty());
    }

    void deleteRestoresFactoryFunctions_data()
    {
        QTest::addColumn<QStringList>("config");
        QTest::addColumn<int>("backKeyType");
        QTest::newRow("middle button") << QStringList() << 1;
        QTest::newRow("catalogue key") << QStringList{"KeyParam3=0x05,0x00,0xE9"} << 5;
    }

    void deleteRestoresFactoryFunctions()
    {
        QFETCH(QStringList, config);
        QFETCH(int, backKeyType);
        if (!config.isEmpty()) {
            // The q3's own group comes second in the catalogue.
            QStringList lines;
            QFile installed(installDir() + QStringLiteral("/usersetting/Config.ini"));
            QVERIFY(installed.open(QIODevice::ReadOnly | QIODevice::Text));
            lines = QString::fromUtf8(installed.readAll()).split(QLatin1Char('\n'));
            const int drive2 = lines.indexOf(QStringLiteral("[Drive2]"));
            for (int i = drive2; i < lines.size(); ++i)
                if (lines[i].startsWith(QLatin1String("KeyParam3="))) {
                    lines[i] = config.first();
                    break;
                }
            const QString path = testsupport::homeDir() + QStringLiteral("/Config-macros.ini");
            QFile out(path);
            QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
            out.write(lines.join(QLatin1Char('\n')).toUtf8());
            out.close();
            ConfigSettings::resetForTests(path);
        }
        QByteArray record = withMacro(OpenedDevice::record(), 11, QStringLiteral("Gone"));
        record = withMacro(record, 2, QStringLiteral("Gone"));
        // Key blocks left over from earlier assignments.
        const KeyBlock mute = Buttoninterface::MakeConsumerKeyBlock(0, 0xE2);
        record.replace(keyBlockAt(11), 52, QByteArray(reinterpret_cast<const char*>(&mute), 52));
        record.replace(keyBlockAt(2), 52, QByteArray(reinterpret_cast<const char*>(&mute), 52));
        // A multimedia key on StartPause, whose caption will read as the macro's.
        record = withAssignment(record, 4, 5, 0, 0);
        record.replace(keyBlockAt(4), 52, QByteArray(reinterpret_cast<const char*>(&mute), 52));
        MacroPage menu(record);
        menu.page.displayButton(4)->setText(kPrefix + "Gone");   // not a macro button

        PostMsg::GetInstance()->PostDeleteMacroButton(kPrefix + "Gone");

        // One record per button, then the whole record once more.
        const QVector<QByteArray> records = menu.device.recordsSent();
        QCOMPARE(records.size(), 3);
        QCOMPARE(records.at(1), records.at(2));
        const QByteArray last = records.at(2);
        QCOMPARE(last, OpenedDevice::record());
        QCOMPARE(last.mid(assignmentAt(11), 3).toHex(), QByteArray("000000"));
        QCOMPARE(last.mid(keyBlockAt(11), 52), QByteArray(52, '\0'));
        QCOMPARE(menu.page.modelTypes().at(11), 0);
        QCOMPARE(menu.caption(11), child<QToolButton>(&menu.page, "DPI_5")->text());
        QCOMPARE(menu.page.modelTypes().at(2), backKeyType);
        if (backKeyType == 1) {
            QCOMPARE(last.mid(assignmentAt(2), 3).toHex(), QByteArray("010400"));
            QCOMPARE(last.mid(keyBlockAt(2), 52), QByteArray(52, '\0'));
            QCOMPARE(menu.caption(2), child<QToolButton>(&menu.page, "MidKey")->text());
        } else {
            QCOMPARE(last.mid(assignmentAt(2), 3).toHex(), QByteArray("050000"));
            const KeyBlock volumeUp = Buttoninterface::MakeConsumerKeyBlock(0, 0xE9);
            QCOMPARE(last.mid(keyBlockAt(2), 52), QByteArray(reinterpret_cast<const char*>(&volumeUp), 52));
            QCOMPARE(menu.caption(2), child<QToolButton>(&menu.page, "VolumeDown")->text());
        }
        QCOMPARE(menu.caption(4), kPrefix + "Gone");
        QCOMPARE(menu.page.modelTypes().at(4), 5);
        for (int k = 0; k < Buttoninterface::kDisplayButtons; ++k)
            QVERIFY(!menu.page.displayButton(k)->isChecked());
        QCOMPARE(shownPage(&menu.page, "stackedWidget"), QStringLiteral("page"));
    }

    void deleteOfflineSendsNothing()
    {
        MacroPage menu(withMacro(OpenedDevice::record(), 11, QStringLiteral("Gone")));
        menu.device.goOffline();
        PostMsg::GetInstance()->PostDeleteMacroButton(kPrefix + "Gone");
        QVERIFY(menu.device.recordsSent().isEmpty());
        QVERIFY(!testsupport::callNames().contains(QStringLiteral("ProtocolDataUpdate")));
        QCOMPARE(menu.caption(11), kPrefix + "Gone");
    }

    void deleteOfNoButtonStillSendsTheRecord()
    {
        MacroPage menu;
        PostMsg::GetInstance()->PostDeleteMacroButton(kPrefix + "Nobody");
        QCOMPARE(menu.device.recordsSent(), QVector<QByteArray>{OpenedDevice::record()});
    }

    // ---- Fills ---------------------------------------------------------------------------

    void fillWritesEachDeviceMacroWhole()
    {
        QSignalSpy toMacro(PostMsg::GetInstance(), &PostMsg::SigButtonToMacro);
        QByteArray record = withMacro(OpenedDevice::record(), 2, QStringLiteral("Fill"), 5);
        record = withMacro(record, 5, QStringLiteral("a/b"), 9);
        MacroPage menu(record);
        writeMacro(QStringLiteral("Fill"), "3\n0x04 1 0\n");   // the device's events
        toMacro.clear();

        for (int fill = 0; fill < 2; ++fill)
            menu.fill(record);

        // Written whole every time, never added to; the device's name made
        // fit for a file, and the caption shows that name. Rows that already
        // send the device's macro stay, under the device's head.
        QCOMPARE(macroFile(QStringLiteral("Fill")), QByteArray("5\n0x04 1 0\n"));
        QCOMPARE(macroFile(QStringLiteral("a_b")), QByteArray("9\n"));
        QCOMPARE(toMacro.size(), 4);
        QCOMPARE(toMacro.at(0).at(1).toInt(), 2);
        QCOMPARE(toMacro.at(1).at(1).toInt(), 5);
        QCOMPARE(menu.caption(5), kPrefix + "a_b");
        QVERIFY(menu.device.recordsSent().isEmpty());
    }

    // A macro the user saved while the device was offline outlives the
    // device's older block, and goes to the device once it is back.
    void macroSavedOfflineWinsOverTheDevice()
    {
        const QByteArray record = withMacro(OpenedDevice::record(), 2, QStringLiteral("Mine"), 1);
        MacroPage menu(record);
        const QByteArray saved = "9\n0x05 1 0\n30ms\n0x05 1 1\n";
        writeMacro(QStringLiteral("Mine"), saved);
        menu.device.goOffline();
        PostMsg::GetInstance()->PostUpDataMacro(QStringLiteral("Mine"), 1);
        QCOMPARE(menu.page.macrosAwaitingDevice().value(QStringLiteral("Mine")), QStringLiteral("Mine"));

        // Back: the device's record arrives with its older block.
        QVERIFY(hidsim::setOffline(QStringLiteral("q3"), false));
        hidsim::clearCallLog();
        QSignalSpy toMacro(PostMsg::GetInstance(), &PostMsg::SigButtonToMacro);
        menu.fill(record);
        QVERIFY(menu.device.recordsSent().isEmpty());   // nothing inside the fill
        QCOMPARE(toMacro.size(), 0);
        QCOMPARE(macroFile(QStringLiteral("Mine")), saved);

        QTRY_COMPARE(menu.device.recordsSent().size(), 1);
        bool ok = false;
        QByteArray expected = withAssignment(record, 2, 6, 2, 9);
        expected.replace(macroBlockAt(2), 592, blockBytes(Buttoninterface::LoadMacroBlock("Mine", 2, ok)));
        QCOMPARE(menu.device.recordsSent().first().toHex(), expected.toHex());
        QCOMPARE(hidsim::storedRecord(QStringLiteral("q3")).toHex(), expected.toHex());
        QVERIFY(menu.page.macrosAwaitingDevice().isEmpty());
        QCOMPARE(menu.page.modelValues2().at(2), 9);
        QCOMPARE(macroFile(QStringLiteral("Mine")), saved);
    }

    // A fill brings the device's macro into a file that holds other events:
    // the user's events are kept beside it, where no macro list shows them.
    void fillKeepsTheFileItReplaces()
    {
        const QByteArray record = withMacro(OpenedDevice::record(), 2, QStringLiteral("Mine"), 1);
        MacroPage menu(record);
        const QByteArray mine = "9\n0x05 1 0\n30ms\n0x05 1 1\n";
        writeMacro(QStringLiteral("Mine"), mine);
        writeMacro(QStringLiteral("Other"), "1\n");

        QTest::ignoreMessage(QtDebugMsg, QRegularExpression("\"Mine\" replaces other events"));
        for (int fill = 0; fill < 2; ++fill)
            menu.fill(record);

        QCOMPARE(macroFile(QStringLiteral("Mine")), QByteArray("1\n"));
        QFile kept(replacedMacroFilePath(QStringLiteral("Mine")));
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), mine);
        // The same events again replace nothing: no copy, no trace.
        QFile::remove(kept.fileName());
        writeMacro(QStringLiteral("Mine"), "4\n0x04 1 0\n");
        menu.fill(record);
        QVERIFY(!QFile::exists(kept.fileName()));

        // Neither page lists the copy.
        writeMacro(QStringLiteral("Mine"), mine);
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression("\"Mine\" replaces other events"));
        menu.fill(record);
        QVERIFY(QFile::exists(kept.fileName()));
        PostMsg::GetInstance()->PostAddMacroButton();
        QStringList entries;
        for (QToolButton* entry : menu.page.macroButtons())
            if (entry->isEnabled())
                entries << entry->text();
        QCOMPARE(entries, (QStringList{"Mine", "Other"}));
        Macro macroPage;
        auto* list = child<QListWidget>(&macroPage, "listWidgetHong");
        QCOMPARE(list->count(), 2);
        QCOMPARE(list->item(0)->text(), QStringLiteral("Mine"));
        QCOMPARE(list->item(1)->text(), QStringLiteral("Other"));
    }

    // A record shown from the device cache is only shown, whichever way it
    // reaches the page: the user's macro files and the macro page are left
    // as they are, since the device may hold other macros than the cache,
    // or none. After this device's own record has come too (a reload the
    // device did not answer), as long as the device holds another macro.
    void cachedRecordLeavesTheMacroFilesAlone_data()
    {
        QTest::addColumn<QString>("way");
        QTest::addColumn<bool>("received");  // this device's own record came before
        QTest::newRow("the worker, the device not online") << "worker" << false;
        QTest::newRow("the worker, a reload the device missed") << "worker" << true;
        QTest::newRow("before the first wait") << "refill" << false;
        QTest::newRow("the wait that expects nothing") << "wait" << false;
        QTest::newRow("a language change before the record") << "language" << false;
    }

    void cachedRecordLeavesTheMacroFilesAlone()
    {
        QFETCH(QString, way);
        QFETCH(bool, received);
        MacroPage menu;
        const QByteArray cached = withMacro(OpenedDevice::record(), 2, QStringLiteral("Mine"), 1);
        const QByteArray mine = "9\n0x05 1 0\n30ms\n0x05 1 1\n";
        writeMacro(QStringLiteral("Mine"), mine);
        deviceRecordReceived = received ? 1 : 0;
        selectedCacheName = deviceCacheFileName(42, 18);
        Worker::writeDeviceCache(selectedCacheName, recordOf(cached));
        QSignalSpy toMacro(PostMsg::GetInstance(), &PostMsg::SigButtonToMacro);
        if (way == "worker") {
            // As the worker's blocking-queued fill delivers it.
            menu.page.SlotUpDataButtonUIButton(recordOf(cached));
        } else if (way == "refill") {
            UpDataParam::refillPages(recordOf(cached));
        } else if (way == "wait") {
            deviceDataExpected = 0;
            UpDataParam wait;
            QVERIFY(QMetaObject::invokeMethod(&wait, "onTimeupDestroy"));
        } else {
            PostMsg::GetInstance()->PostAllLanguage(1);
            PostMsg::GetInstance()->PostAllLanguage(0);
        }
        QCOMPARE(menu.caption(2), kPrefix + "Mine");
        QCOMPARE(macroFile(QStringLiteral("Mine")), mine);
        QVERIFY(!QFile::exists(replacedMacroFilePath(QStringLiteral("Mine"))));
        QCOMPARE(toMacro.size(), 0);
        QVERIFY(menu.device.recordsSent().isEmpty());
    }

    // A language change fills the pages from the device again: a file that
    // already sends the device's macro, down to the gap between rounds after
    // its last key, stays as the user saved it, with no copy beside it.
    void languageChangeKeepsTheMacroSaved_data()
    {
        QTest::addColumn<QByteArray>("saved");
        QTest::newRow("as the editor writes it") << QByteArray("254\n0x04 1 0\n10ms\n0x04 1 1\n500ms\n");
        QTest::newRow("the same events in other rows")
            << QByteArray("254\n0x04 1 0\n4ms\n6ms\n0x04 1 1\n0x05 1 0\n0ms\n0x05 1 1\n500ms\n");
    }

    void languageChangeKeepsTheMacroSaved()
    {
        QFETCH(QByteArray, saved);
        writeMacro(QStringLiteral("Loop"), saved);
        // The device holds what the Save sent.
        const MacroBlock block = macroBlockFromFile(QStringLiteral("Loop"), saved);
        QVERIFY(block.events[block.eventCount - 1].delay() == 500);
        QByteArray record = withMacro(OpenedDevice::record(), 2, QStringLiteral("Loop"), 254);
        record.replace(macroBlockAt(2), 592, blockBytes(block));
        Macro macroPage;
        MacroPage menu(record);
        QSignalSpy toMacro(PostMsg::GetInstance(), &PostMsg::SigButtonToMacro);

        PostMsg::GetInstance()->PostAllLanguage(1);
        PostMsg::GetInstance()->PostAllLanguage(0);

        QCOMPARE(toMacro.size(), 2);
        QCOMPARE(macroFile(QStringLiteral("Loop")), saved);
        QVERIFY(!QFile::exists(replacedMacroFilePath(QStringLiteral("Loop"))));
        QCOMPARE(blockBytes(macroBlockFromFile(QStringLiteral("Loop"), macroFile(QStringLiteral("Loop")))),
                 blockBytes(block));
    }

    // Both pages send one block for one macro, whatever the rows' placement;
    // a Save sends the macro saved though another macro opens meanwhile.
    void bothPagesSendTheMacroSaved()
    {
        const QByteArray record = withMacro(OpenedDevice::record(), 2, QStringLiteral("Hop"), 1);
        MacroPage menu(record);
        writeMacro(QStringLiteral("Hop"), "1\n0x04 1 0\n10ms\n0x04 1 1\n");
        writeMacro(QStringLiteral("Walk"), "1\n0x1D 1 0\n");
        Macro macroPage;
        auto* macros = child<QListWidget>(&macroPage, "listWidgetHong");
        auto* events = child<QListWidget>(&macroPage, "listWidgetKey");
        auto* save = child<QToolButton>(&macroPage, "Save");
        auto open = [&](const QString& name) {
            macros->setCurrentItem(macros->findItems(name, Qt::MatchExactly).value(0));
            macroPage.loadMacroFile();
        };
        open(QStringLiteral("Hop"));
        QCOMPARE(events->currentRow(), -1);
        // A key inserted with no row selected sits right after the last key.
        macroPage.insertKeyEvent(QStringLiteral("B"), true);
        emit child<QComboBox>(&macroPage, "ChooseEvent")->activated(4);   // a left-button stroke
        const QVector<MacroRow> rows = macroPage.eventRows();
        QCOMPARE(rows.size(), 9);
        QCOMPARE(rows.at(3).text, QStringLiteral("B"));

        // Another macro opens while the button page waits before the send.
        Buttoninterface::macroResendWaitMs = 300;
        QTimer::singleShot(0, &macroPage, [&] { open(QStringLiteral("Walk")); });
        save->click();
        Buttoninterface::macroResendWaitMs = 0;
        QCOMPARE(macroPage.currentMacroName(), QStringLiteral("Walk"));
        QVERIFY(!save->isEnabled());

        const MacroBlock sent = recordOf(hidsim::storedRecord(QStringLiteral("q3"))).macroBlocks[2];
        QCOMPARE(int(sent.eventCount), 5);
        const QVector<QVector<int>> expected = {
            {0, 1, 0x04, 10}, {1, 1, 0x04, 0}, {0, 1, 0x05, 20}, {0, 4, 0x01, 10}, {1, 4, 0x01, 0}};
        QCOMPARE(QString::fromLatin1(blockBytes(sent).toHex(' ')), blockHex("Hop", 5, expected));

        // The button page assigns the saved file: the same block.
        PostMsg::GetInstance()->PostAddMacroButton();
        menu.page.displayButton(7)->setChecked(true);
        menu.entry(QStringLiteral("Hop"))->click();
        QCOMPARE(blockBytes(recordOf(hidsim::storedRecord(QStringLiteral("q3"))).macroBlocks[7]), blockBytes(sent));
    }

    void macroRenamedOfflineReachesTheDevice()
    {
        const QByteArray record = withMacro(OpenedDevice::record(), 1, QStringLiteral("Old"), 4);
        MacroPage menu(record);
        // The macro page gives the file its new name, then tells the pages.
        QFile::remove(macroFilePath(QStringLiteral("Old")));
        writeMacro(QStringLiteral("New"), "4\n0x04 1 0\n10ms\n");
        menu.device.goOffline();
        PostMsg::GetInstance()->PostMacroRename(QStringLiteral("Old"), QStringLiteral("New"));
        QVERIFY(hidsim::setOffline(QStringLiteral("q3"), false));

        menu.fill(record);
        QCOMPARE(macroFile(QStringLiteral("Old")), QByteArray("<missing>"));
        QTRY_COMPARE(menu.device.recordsSent().size(), 1);
        QCOMPARE(menu.caption(1), kPrefix + "New");
        QCOMPARE(macroBlockName(CurrentFlashData.macroBlocks[1]), QStringLiteral("New"));
        QVERIFY(menu.page.macrosAwaitingDevice().isEmpty());
    }
};

QUEMBREL_TEST_MAIN(ButtonMacrosTest)
#include "tst_buttonmacros.moc"
