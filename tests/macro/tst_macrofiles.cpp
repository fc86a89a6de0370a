// Macro files and the macro export file: their round trips, what a reader
// makes of a damaged file, the names a macro file may have, and the page's
// load, save, rename, export and import.
#include "support/buttonfixture.h"
#include "support/macrofixture.h"
#include "support/modalanswer.h"
#include "support/testsupport.h"
#include "support/widgetprobe.h"

#include "core/flashdatamap.h"
#include "core/globals.h"
#include "core/languagetable.h"
#include "core/postmsg.h"
#include "core/product.h"
#include "macro/keynames.h"
#include "macro/macro.h"
#include "macro/macroblock.h"
#include "macro/macrofile.h"
#include "widgets/macroname.h"
#include "widgets/notices.h"

#include <QBuffer>
#include <QCheckBox>
#include <QDataStream>
#include <QDir>
#include <QDirIterator>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalSpy>
#include <QSpinBox>

#include <cstring>

using testsupport::ModalAnswer;
using testsupport::chooseFile;
using testsupport::child;
using testsupport::enterName;

namespace {

QString describe(const QVector<MacroRow>& rows)
{
    QStringList parts;
    for (const MacroRow& row : rows)
        parts << (isDelayText(row.text) ? QStringLiteral("D:") : row.type == 0 ? QStringLiteral("P:")
                                                                               : QStringLiteral("R:"))
                + row.text;
    return parts.join(QLatin1Char(' '));
}

QVector<MacroRow> rowsOf(const QString& description)
{
    return testsupport::eventRowsOf(description);
}

QString describe(QListWidget* list)
{
    QVector<MacroRow> rows;
    for (int i = 0; i < list->count(); ++i)
        rows.append({list->item(i)->text(), list->item(i)->type(), QIcon(), {}});
    return describe(rows);
}

QByteArray readAll(const QString& path)
{
    return testsupport::readFileBytes(path);
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    testsupport::writeFileBytes(path, bytes);
}

// Every file under the temporary home, so a test sees any file written
// outside the macro folder; the file dialog's own settings aside.
QStringList homeFiles()
{
    QStringList files;
    QDirIterator it(testsupport::homeDir(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        if (!file.contains(QLatin1String("/.config/")))
            files << file;
    }
    files.sort();
    return files;
}

// An export file's head and rows written field by field.
QByteArray exportBytes(const QByteArray& tag, const QByteArray& name, const QByteArray& repeat,
                       std::function<void(QDataStream&)> rows = nullptr)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_5_6);
    out << tag.leftJustified(12, '\0') << name.leftJustified(48, '\0') << repeat.leftJustified(12, '\0');
    if (rows)
        rows(out);
    return bytes;
}

const QString kStroke = QStringLiteral("P:A D:10ms R:A");

} // namespace

Q_DECLARE_METATYPE(QVector<MacroRow>)

class MacroFilesTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<Macro> page;
    QListWidget* macros = nullptr;
    QListWidget* events = nullptr;

    void openPage(const QStringList& files)
    {
        page.reset();
        testsupport::writeMacroFiles(files);
        page = std::make_unique<Macro>();
        macros = child<QListWidget>(page.get(), "listWidgetHong");
        events = child<QListWidget>(page.get(), "listWidgetKey");
    }

    void select(const QString& name)
    {
        const QList<QListWidgetItem*> found = macros->findItems(name, Qt::MatchExactly);
        QVERIFY(!found.isEmpty());
        macros->setCurrentItem(found.first());
    }

private slots:
    void init()
    {
        languageIndex = 0;
        testsupport::loadInstalledLanguages();
    }

    void cleanup() { page.reset(); }

    void macroFileRoundTrip()
    {
        leftButtonName = QStringLiteral("Left");
        const QString rows = QStringLiteral("P:LShift D:10ms P:A D:250ms R:A D:0ms R:LShift D:5ms P:Left D:5ms "
                                            "R:Left D:5ms P: D:1ms R:") + QString::fromUtf8("→");
        const QByteArray bytes = macroFileBytes("254", rowsOf(rows));
        QVERIFY(bytes.startsWith("254\n0x02 0 0\n10ms\n0x04 1 0\n"));
        MacroFileContent content = parseMacroFile(bytes);
        QVERIFY(content.hasRepeatLine);
        QCOMPARE(content.repeat, 254);
        QCOMPARE(describe(content.rows), rows);

        // CR LF lines read as LF lines, and so does a last line without its end.
        QByteArray crlf = bytes;
        crlf.replace("\n", "\r\n");
        crlf.chop(2);
        QCOMPARE(describe(parseMacroFile(crlf).rows), rows);
    }

    // A name outside the key table is stored as the unnamed key, never as a
    // line of the flag alone.
    void unknownNameIsTheUnnamedKey()
    {
        const QByteArray bytes = macroFileBytes("1", rowsOf("P:nothing D:10ms R:nothing"));
        QCOMPARE(bytes, QByteArray("1\n0x00 1 0\n10ms\n0x00 1 1\n"));
        QCOMPARE(describe(parseMacroFile(bytes).rows), QStringLiteral("P: D:10ms R:"));
    }

    void damagedMacroFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("hasRepeat");
        QTest::addColumn<int>("repeat");
        QTest::addColumn<QString>("rows");
        QTest::newRow("empty") << QByteArray() << false << 0 << "";
        QTest::newRow("repeat only, no line end") << QByteArray("255") << true << 255 << "";
        QTest::newRow("word as repeat") << QByteArray("many\n0x04 1 0\n") << true << 0 << "P:A";
        QTest::newRow("last key line without end") << QByteArray("1\n0x04 1 0\n10ms\n0x04 1 1") << true << 1
                                                   << kStroke;
        QTest::newRow("truncated key line") << QByteArray("1\n0x04 1 0\n10ms\n0x04 1") << true << 1 << "P:A D:10ms";
        QTest::newRow("bad flag") << QByteArray("1\n0x04 1 2\n0x04 1 01\n0x04 1 1\n") << true << 1 << "R:A";
        QTest::newRow("four parts") << QByteArray("1\n0x04 1 0 0\n10ms\n") << true << 1 << "D:10ms";
        QTest::newRow("blanks around") << QByteArray("  7  \n  0x04   1  0  \n") << true << 7 << "P:A";
        QTest::newRow("not a delay") << QByteArray("1\nhello\n12\nms\n-5ms\n1.5ms\n99999999999ms\n3ms\n") << true << 1
                                     << "D:3ms";
        QTest::newRow("unknown code") << QByteArray("1\n0xZZ 1 0\n0x32 1 1\n") << true << 1 << "P: R:";
        QTest::newRow("binary") << QByteArray("\x00\xff\n\x00 \x01 0\n", 9) << true << 0 << "P:";
        QTest::newRow("path in a line") << QByteArray("1\n../../x 1 0\n") << true << 1 << "P:";
        // A code is looked up under its own kind only: 0x05 is B and 0x01 LCtrl
        // or the left button, none of them under the kinds given here.
        QTest::newRow("code of another kind") << QByteArray("1\n0x05 4 0\n0x05 0 1\n0x01 1 0\n") << true << 1
                                              << "P: R: P:";
    }

    void damagedMacroFiles()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, hasRepeat);
        QFETCH(int, repeat);
        QFETCH(QString, rows);
        const MacroFileContent content = parseMacroFile(bytes);
        QCOMPARE(content.hasRepeatLine, hasRepeat);
        QCOMPARE(content.repeat, repeat);
        QCOMPARE(describe(content.rows), rows);
    }

    // What the mouse gets from such lines: a code read under another kind,
    // or no code at all, is sent as the blank keyboard key, never as the code
    // under the kind the line gave.
    void damagedLinesSendBlankKeys_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QList<int>>("actions");
        QTest::newRow("code of another kind") << QByteArray("1\n0x05 4 0\n0x05 0 1\n0x01 1 0\n") << QList<int>{0, 1, 0};
        QTest::newRow("unknown code") << QByteArray("1\n0xZZ 1 0\n0x32 1 1\n") << QList<int>{0, 1};
        QTest::newRow("path in a line") << QByteArray("1\n../../x 1 0\n") << QList<int>{0};
    }

    void damagedLinesSendBlankKeys()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QList<int>, actions);
        const MacroBlock block = macroBlockFromRows("m", parseMacroFile(bytes).rows);
        QCOMPARE(int(block.eventCount), actions.size());
        for (int i = 0; i < actions.size(); ++i) {
            const DeviceEvent& event = block.events[i];
            QCOMPARE(int(event.action), actions.at(i));
            QCOMPARE(int(event.kind), int(kKeyboardKey));
            QCOMPARE(int(event.code()), 0);
        }
    }

    void hugeMacroFileIsBounded()
    {
        QByteArray bytes("1\n");
        for (int i = 0; i < 3 * kMaxMacroFileRows; ++i)
            bytes += "0x04 1 0\n";
        QCOMPARE(parseMacroFile(bytes).rows.size(), kMaxMacroFileRows);
    }

    void exportRoundTrip()
    {
        openPage({"one.ini"});
        const QIcon icon(installDir() + "/Picture/Macro/MacroDown.png");
        QVector<MacroRow> rows = rowsOf(QStringLiteral("P:A D:10ms R:A D:65535ms P:LCtrl D:1ms R:LCtrl"));
        for (MacroRow& row : rows)
            row.icon = icon;
        QBuffer buffer;
        buffer.open(QIODevice::ReadWrite);
        QVERIFY(writeMacroExport(&buffer, QString::fromUtf8("Přepínač"), "255", rows));
        const QByteArray bytes = buffer.data();
        QVERIFY(bytes.startsWith(QByteArray("\0\0\0\x0cQelvo\0\0\0\0\0\0\0\0\0\0\x30", 20)));

        buffer.seek(0);
        MacroExportHead head;
        QVERIFY(readMacroExportHead(&buffer, &head));
        QCOMPARE(head.tag, QStringLiteral("Qelvo"));
        QCOMPARE(head.name, QString::fromUtf8("Přepínač"));
        QCOMPARE(head.repeat, QStringLiteral("255"));
        QCOMPARE(describe(readMacroExportRows(&buffer)), describe(rows));
        QVERIFY(buffer.atEnd());
    }

    // 60 bytes of name: the first 48 are kept, cut on a character boundary.
    void exportCutsLongNames()
    {
        const QString name = QString(29, QLatin1Char('a')) + QString(10, QChar(0x10D)) + QStringLiteral("b");
        QCOMPARE(name.toUtf8().size(), 50);
        QBuffer buffer;
        buffer.open(QIODevice::ReadWrite);
        QVERIFY(writeMacroExport(&buffer, name, "1", {}));
        buffer.seek(0);
        MacroExportHead head;
        QVERIFY(readMacroExportHead(&buffer, &head));
        QCOMPARE(head.name, name.left(38));
        QCOMPARE(head.name.toUtf8().size(), 47);
    }

    void damagedExports_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("head");
        QTest::addColumn<QString>("rows");
        const QByteArray tag("Qelvo");
        auto row = [](QDataStream& out, const QString& text, const char* flag) {
            out << text << QIcon();
            if (flag)
                out << QByteArray(flag, 2);
        };
        QTest::newRow("empty") << QByteArray() << false << "";
        QTest::newRow("head cut") << exportBytes(tag, "m", "1").left(70) << false << "";
        QTest::newRow("no row count") << exportBytes(tag, "m", "1") << true << "";
        QTest::newRow("huge count, one row") << exportBytes(tag, "m", "1", [&](QDataStream& out) {
            out << qint32(0x7fffffff);
            row(out, "A", "0");
        }) << true << "P:A";
        QTest::newRow("negative count") << exportBytes(tag, "m", "1", [&](QDataStream& out) {
            out << qint32(-4);
            row(out, "A", "0");
        }) << true << "";
        QTest::newRow("row cut in its flag") << exportBytes(tag, "m", "1", [&](QDataStream& out) {
            out << qint32(3);
            row(out, "A", "0");
            row(out, "10ms", nullptr);
            out << QString("A") << QIcon() << quint32(2);
        }) << true << "P:A D:10ms";
        QTest::newRow("huge text length") << exportBytes(tag, "m", "1", [&](QDataStream& out) {
            out << qint32(2);
            row(out, "A", "1");
            out << quint32(0xfffffff0);
        }) << true << "R:A";
        QTest::newRow("delay text with a line") << exportBytes(tag, "m", "1", [&](QDataStream& out) {
            out << qint32(3);
            row(out, "A", "0");
            row(out, "10ms\n0x04 1 0", nullptr);
            row(out, "A", "1");
        }) << true << "P:A";
        QTest::newRow("foreign icon engine") << exportBytes(tag, "m", "1", [&](QDataStream& out) {
            out << qint32(2);
            row(out, "A", "0");
            out << QString("B") << QString("svg") << qint32(1);
        }) << true << "P:A";
        QTest::newRow("icon with a broken picture") << exportBytes(tag, "m", "1", [&](QDataStream& out) {
            out << qint32(2);
            row(out, "A", "0");
            out << QString("B") << QString("QPixmapIconEngine") << qint32(1) << qint32(1);
            // A chunk longer than the file.
            out.writeRawData("\x89PNG\r\n\x1a\n\x7f\xff\xff\xff", 12);
        }) << true << "P:A";
    }

    void damagedExports()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, head);
        QFETCH(QString, rows);
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        MacroExportHead read;
        QCOMPARE(readMacroExportHead(&buffer, &read), head);
        if (head)
            QCOMPARE(describe(readMacroExportRows(&buffer)), rows);
    }

    void macroNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("hasFile");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("cleaned");
        QTest::newRow("plain") << "Combo 1" << true << true << "Combo 1";
        QTest::newRow("empty") << "" << false << false << "Macro";
        QTest::newRow("slash") << "a/b" << false << false << "a_b";
        QTest::newRow("backslash") << "a\\b" << false << false << "a_b";
        QTest::newRow("up") << "../x" << false << false << "__x";
        QTest::newRow("dots") << "a..b" << true << false << "a_b";
        QTest::newRow("hidden") << ".x" << true << false << "x";
        QTest::newRow("xml") << "myxml" << true << false << "my";
        QTest::newRow("xml hidden in xml") << "xxmlml" << true << false << "Macro";
        QTest::newRow("ini") << "a.ini" << true << false << "a";
        QTest::newRow("NUL") << QString("a") + QChar(0) + "b" << false << false << "ab";
        QTest::newRow("line end") << "a\nb" << true << false << "ab";
        QTest::newRow("long") << QString(40, 'n') << true << true << QString(30, 'n');
        // Names whose bytes read back as another name.
        const QString bom(QChar::ByteOrderMark);
        QTest::newRow("byte order mark first") << bom + QStringLiteral("Jump") << true << false << "Jump";
        QTest::newRow("byte order mark after a dot") << "." + bom + "Jump" << true << false << "Jump";
        QTest::newRow("inner byte order mark") << "Ju" + bom + "mp" << true << true << "Ju" + bom + "mp";
        QTest::newRow("lone half") << "a" + QString(QChar(0xDE00)) << true << false << "a";
        QTest::newRow("lone half joins xml") << "xm" + QString(QChar(0xD83D)) + "lb" << true << false << "b";
    }

    void macroNames()
    {
        QFETCH(QString, name);
        QFETCH(bool, hasFile);
        QFETCH(bool, accepted);
        QFETCH(QString, cleaned);
        const QString path = macroFilePath(name);
        QCOMPARE(!path.isEmpty(), hasFile);
        if (hasFile) {
            QCOMPARE(QFileInfo(path).absolutePath(), QFileInfo(macroFolder()).absoluteFilePath());
        }
        QCOMPARE(isMacroFileName(name), accepted);
        QCOMPARE(safeMacroName(name), cleaned);
        QVERIFY(isMacroFileName(safeMacroName(name)));
    }

    // A block's name is cut to its 30 bytes on a character boundary, and a
    // block's event count never reads above 70.
    void macroBlocks()
    {
        MacroBlock block;
        std::memset(&block, 0xEE, sizeof block);
        const QString name = QString(29, QLatin1Char('m')) + QString::fromUtf8("č") + QStringLiteral("x");
        setMacroBlockName(block, name);
        const QByteArray local = QString(29, QLatin1Char('m')).toLocal8Bit();
        QCOMPARE(int(block.nameLength), local.size());
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(block.name), kMacroNameSize),
                 local.leftJustified(kMacroNameSize, '\0'));
        QCOMPARE(macroBlockName(block), QString(29, QLatin1Char('m')));
        // A name is written as it reads back: without a leading byte order
        // mark or a lone half of a surrogate pair.
        for (const QString& sent : {QStringLiteral("Jump"), QChar(QChar::ByteOrderMark) + QStringLiteral("Jump"),
                                    "Ju" + QString(QChar(0xD83D)) + "mp"}) {
            setMacroBlockName(block, sent);
            QCOMPARE(macroBlockName(block), QStringLiteral("Jump"));
            QCOMPARE(int(block.nameLength), 4);
        }

        for (int count : {0, 1, 70, 71, 255}) {
            block.eventCount = uint8_t(count);
            QCOMPARE(macroBlockEventCount(block), qMin(count, 70));
        }
    }

    // The list: files only, by name with case ignored, "xml" names skipped,
    // every ".ini" removed.
    void listsTheFolder()
    {
        testsupport::writeMacroFiles({"b.ini", "A.ini", "c.txt", "list.xml", "m.ini.ini", "zxml.ini"});
        QDir().mkpath(macroFolder() + "/folder.ini");
        page = std::make_unique<Macro>();
        macros = child<QListWidget>(page.get(), "listWidgetHong");
        QStringList texts;
        for (int i = 0; i < macros->count(); ++i)
            texts << macros->item(i)->text();
        QCOMPARE(texts, (QStringList{"A", "b", "c.txt", "m"}));
        QCOMPARE(macros->currentRow(), -1);
    }

    void loadSetsTheRepeatControls_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("checked");
        QTest::addColumn<int>("count");
        QTest::newRow("254") << QByteArray("254\n") << "ReUntilLoose" << 5;
        QTest::newRow("255") << QByteArray("255\n") << "ReUntilClick" << 5;
        QTest::newRow("253") << QByteArray("253\n") << "ReUntil" << 5;
        QTest::newRow("count") << QByteArray("17\n") << "ReNumber" << 17;
        QTest::newRow("0") << QByteArray("0\n") << "ReNumber" << 1;
        QTest::newRow("251") << QByteArray("251\n") << "ReNumber" << 1;
        QTest::newRow("word") << QByteArray("often\n") << "ReNumber" << 1;
        QTest::newRow("empty file keeps them") << QByteArray() << "ReUntilClick" << 5;
        QTest::newRow("missing file keeps them") << QByteArray("-") << "ReUntilClick" << 5;
    }

    void loadSetsTheRepeatControls()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, checked);
        QFETCH(int, count);
        openPage({"m.ini"});
        if (bytes == "-")
            QFile::remove(macroFolder() + "/m.ini");
        else
            writeFile(macroFolder() + "/m.ini", bytes.isEmpty() ? bytes : bytes + "0x04 1 0\n10ms\n0x04 1 1\n");
        child<QSpinBox>(page.get(), "NumberEdit")->setValue(5);
        child<QCheckBox>(page.get(), "ReUntilClick")->setChecked(true);
        select("m");
        page->loadMacroFile();
        QVERIFY(child<QCheckBox>(page.get(), checked.toLatin1().constData())->isChecked());
        QCOMPARE(child<QSpinBox>(page.get(), "NumberEdit")->value(), count);
        QCOMPARE(describe(events), bytes == "-" || bytes.isEmpty() ? QString() : kStroke);
    }

    // Save writes the file whole from the rows; a missing file stays missing.
    void saveAndAppend()
    {
        openPage({"m.ini", "n.ini"});
        select("m");
        page->insertKeyStroke("A");
        const QString path = macroFolder() + "/m.ini";
        QVERIFY(page->saveMacroFile("3"));
        QCOMPARE(readAll(path), QByteArray("3\n0x04 1 0\n10ms\n0x04 1 1\n"));
        QCOMPARE(page->currentFilePath(), path);

        QVERIFY(page->appendMacroFile("n"));
        QCOMPARE(readAll(macroFolder() + "/n.ini"), QByteArray("1\n0x04 1 0\n10ms\n0x04 1 1\n"));
        QVERIFY(!page->appendMacroFile("gone"));
        QVERIFY(!QFile::exists(macroFolder() + "/gone.ini"));

        QFile::remove(path);
        QVERIFY(!page->saveMacroFile("3"));
        QVERIFY(!QFile::exists(path));
        QVERIFY(page->createMacroFile());
        QCOMPARE(readAll(path), QByteArray());
        Macro::truncateFile(macroFolder() + "/n.ini");
        QCOMPARE(QFileInfo(macroFolder() + "/n.ini").size(), 0);
    }

    void renameMacro_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("dialogs");
        QTest::addColumn<QString>("listed");
        QTest::newRow("renamed") << "fresh" << QStringList{"QuestionDialog"} << "fresh";
        QTest::newRow("own name") << "m" << QStringList{"QuestionDialog", "SameMacro"} << "m";
        QTest::newRow("other macro") << "n" << QStringList{"QuestionDialog", "SameMacro"} << "m";
        QTest::newRow("cancelled") << "" << QStringList{"QuestionDialog"} << "m";
        // A name that cannot name a macro says so.
        QTest::newRow("xml") << "axml" << QStringList{"QuestionDialog", "SameMacro"} << "m";
        QTest::newRow("up the tree") << "../../up" << QStringList{"QuestionDialog", "SameMacro"} << "m";
        // The file cannot be renamed: the list, the buttons and the file keep the old name.
        QTest::newRow("a folder in the way") << "blocked" << QStringList{"QuestionDialog"} << "m";
    }

    void renameMacro()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, dialogs);
        QFETCH(QString, listed);
        openPage({"m.ini", "n.ini"});
        select("m");
        if (name == "blocked")
            QVERIFY(QDir().mkpath(macroFolder() + "/blocked.ini/inside"));
        const QStringList before = homeFiles();
        QSignalSpy renamed(PostMsg::GetInstance(), &PostMsg::SigMacroRename);
        {
            ModalAnswer modal({enterName(name), testsupport::clickButton("NewHong")});
            page->RenameMacro();
            QCOMPARE(modal.answered(), dialogs);
        }
        QCOMPARE(page->currentMacroName(), listed);
        if (listed == "m") {
            QCOMPARE(renamed.count(), 0);
            QCOMPARE(homeFiles(), before);
        } else {
            QCOMPARE(renamed.count(), 1);
            QCOMPARE(renamed.at(0), (QVariantList{"m", name}));
            QVERIFY(QFile::exists(macroFolder() + "/" + name + ".ini"));
            QVERIFY(!QFile::exists(macroFolder() + "/m.ini"));
        }
    }

    // Export, then import into a folder without that macro: the same rows and
    // the same file.
    // The page then shows the imported repeat mode, and a later Save keeps it.
    void exportThenImport()
    {
        openPage({"m.ini"});
        writeFile(macroFolder() + "/m.ini", "253\n0x04 1 0\n10ms\n0x04 1 1\n5ms\n0x02 0 0\n");
        select("m");
        page->loadMacroFile();
        const QString exported = testsupport::homeDir() + "/m-export.ini";
        {
            ModalAnswer modal(chooseFile(exported));
            page->ExPortMacro();
            QVERIFY(modal.allAnswered());
        }
        QVERIFY(QFile::exists(exported));

        openPage({"other.ini"});
        writeFile(macroFolder() + "/other.ini", "7\n");
        select("other");
        QCOMPARE(page->repeatText(), QStringLiteral("7"));
        {
            ModalAnswer modal(chooseFile(exported));
            page->InPortMacro();
            QVERIFY(modal.allAnswered());
        }
        QCOMPARE(page->currentMacroName(), QStringLiteral("m"));
        QCOMPARE(describe(events), kStroke + " D:5ms P:LShift");
        for (int i = 0; i < events->count(); ++i)
            QVERIFY(!events->item(i)->icon().isNull());
        const QByteArray file("253\n0x04 1 0\n10ms\n0x04 1 1\n5ms\n0x02 0 0\n");
        QCOMPARE(readAll(macroFolder() + "/m.ini"), file);
        QCOMPARE(page->repeatText(), QStringLiteral("253"));
        QVERIFY(child<QCheckBox>(page.get(), "ReUntil")->isChecked());
        // The file already holds it: nothing waits to be saved.
        QVERIFY(!child<QWidget>(page.get(), "Save")->isEnabled());
        // An edit and Save keep the imported repeat mode.
        events->setCurrentRow(1);
        QMetaObject::invokeMethod(page.get(), "on_DeleteKey_clicked");
        QMetaObject::invokeMethod(page.get(), "on_Save_clicked");
        QCOMPARE(readAll(macroFolder() + "/m.ini"), QByteArray("253\n0x04 1 0\n0x04 1 1\n5ms\n0x02 0 0\n"));
    }

    // The notice of a refused import and its text: the name is taken, the
    // name cannot be used, or the file is no exported macro.
    void importRefusals_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("notice");
        QTest::addColumn<QString>("text");
        const auto stroke = [](QDataStream& out) {
            out << qint32(1) << QString("A") << QIcon() << QByteArray("0", 2);
        };
        const QString taken = SameMacroTexts.text(0, 0);
        const QString badName = SameMacroTexts.text(0, 1);
        const QString notAMacro = InportFailTexts.text(0, kImportNotAMacro - 1);
        QTest::newRow("name clash") << exportBytes("Qelvo", "m", "1", stroke) << "SameMacro" << taken;
        QTest::newRow("clash before tag") << exportBytes("Other", "m", "1", stroke) << "SameMacro" << taken;
        QTest::newRow("wrong tag") << exportBytes("Qelv", "x", "1", stroke) << "InportFail" << notAMacro;
        QTest::newRow("truncated head") << exportBytes("Qelvo", "x", "1").left(40) << "InportFail" << notAMacro;
        QTest::newRow("no row count") << exportBytes("Qelvo", "x", "1") << "InportFail" << notAMacro;
        QTest::newRow("negative row count") << exportBytes("Qelvo", "x", "1", [](QDataStream& out) {
            out << qint32(-1);
        }) << "InportFail" << notAMacro;
        QTest::newRow("no row reads") << exportBytes("Qelvo", "x", "1", [](QDataStream& out) {
            out << qint32(2) << QString("A") << QString("not an icon");
        }) << "InportFail" << notAMacro;
        QTest::newRow("random bytes") << QByteArray::fromHex("1377ffffff0120ee9a") << "InportFail" << notAMacro;
        QTest::newRow("slash") << exportBytes("Qelvo", "../../../evil", "1", stroke) << "SameMacro" << badName;
        QTest::newRow("dots") << exportBytes("Qelvo", "..", "1", stroke) << "SameMacro" << badName;
        QTest::newRow("empty name") << exportBytes("Qelvo", "", "1", stroke) << "SameMacro" << badName;
        QTest::newRow("xml") << exportBytes("Qelvo", "a.xml", "1", stroke) << "SameMacro" << badName;
        // The decoder drops one byte order mark; the name drops the next.
        const QByteArray bom("\xEF\xBB\xBF");
        QTest::newRow("byte order marks before a taken name")
            << exportBytes("Qelvo", bom + bom + "m", "1", stroke) << "SameMacro" << taken;
        QTest::newRow("byte order marks only") << exportBytes("Qelvo", bom + bom, "1", stroke) << "SameMacro"
                                               << badName;
        // An exported configuration: the same tag, the sensor's name, the record.
        QBuffer config;
        config.open(QIODevice::WriteOnly);
        QDataStream out(&config);
        out.setVersion(QDataStream::Qt_5_6);
        out << QByteArray("Qelvo").leftJustified(12, '\0') << QByteArray("3395").leftJustified(12, '\0')
            << QByteArray(int(sizeof(FlashDataMap)), '\0');
        QTest::newRow("configuration export") << config.data() << "InportFail" << notAMacro;
    }

    // A refused import changes neither the list nor any file, and says why.
    void importRefusals()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, notice);
        QFETCH(QString, text);
        openPage({"m.ini"});
        const QString source = testsupport::homeDir() + "/import.ini";
        writeFile(source, bytes);
        const QStringList before = homeFiles();
        QString shown;
        {
            ModalAnswer modal({chooseFile(source), testsupport::inspectThen(
                                                       [&](QDialog* d) { shown = child<QLabel>(d, "label")->text(); },
                                                       testsupport::clickButton("NewHong"))});
            page->InPortMacro();
            QCOMPARE(modal.answered(), (QStringList{"QFileDialog", notice}));
        }
        QVERIFY(!text.isEmpty());
        QCOMPARE(shown, text);
        QCOMPARE(macros->count(), 1);
        QCOMPARE(homeFiles(), before);
    }

    // An export of a macro without events is still a macro.
    void importEmptyMacro()
    {
        openPage({});
        const QString source = testsupport::homeDir() + "/import.ini";
        writeFile(source, exportBytes("Qelvo", "empty", "255", [](QDataStream& out) { out << qint32(0); }));
        {
            ModalAnswer modal(chooseFile(source));
            page->InPortMacro();
            QCOMPARE(modal.answered(), QStringList{"QFileDialog"});
        }
        QCOMPARE(page->currentMacroName(), QStringLiteral("empty"));
        QCOMPARE(events->count(), 0);
        QCOMPARE(readAll(macroFolder() + "/empty.ini"), QByteArray("255\n"));
    }

    // What an import takes of a damaged file: the rows up to the fault; the
    // repeat field only as a repeat value.
    void importReadsUpToTheFault()
    {
        openPage({});
        const QString source = testsupport::homeDir() + "/import.ini";
        writeFile(source, exportBytes("Qelvo", "cut", "12\n0x04 1 0", [](QDataStream& out) {
            out << qint32(1000) << QString("A") << QIcon() << QByteArray("0", 2) << QString("10ms") << QIcon()
                << QString("B");
        }));
        {
            ModalAnswer modal(chooseFile(source));
            page->InPortMacro();
        }
        QCOMPARE(describe(events), QStringLiteral("P:A D:10ms"));
        QCOMPARE(readAll(macroFolder() + "/cut.ini"), QByteArray("1\n0x04 1 0\n10ms\n"));
    }
};

QUEMBREL_TEST_MAIN(MacroFilesTest)
#include "tst_macrofiles.moc"
