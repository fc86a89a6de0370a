#include "support/testsupport.h"

#include "core/languagetable.h"

#include <QRegularExpression>

// The language loader on small fixture sets written into a temporary folder.
class LanguageTableTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir* m_dir = nullptr;

    // The texts of a fixture are "<tag>|<section>|<item>", so any text shows
    // where it came from.
    static QString expected(const QString& tag, const LanguageSection& section, int item)
    {
        return tag + '|' + section.name + '|' + QString::number(item);
    }

    static QString sectionXml(const LanguageSection& section, const QString& tag)
    {
        QString xml = "  <" + section.name + ">\n";
        for (int k = 0; k < section.children.size(); ++k)
            xml += "    <" + section.children[k] + ">" + expected(tag, section, k) + "</" + section.children[k] + ">\n";
        return xml + "  </" + section.name + ">\n";
    }

    static const LanguageSection& company() { return languageSections().last(); }

    // Every section but the company one, as a language file carries them.
    static QString languageXml(const QString& tag, const QString& root = "Total", const QString& extra = QString())
    {
        QString xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<" + root + ">\n" + extra;
        for (const LanguageSection& section : languageSections()) {
            if (section.table != &CompanyTexts)
                xml += sectionXml(section, tag);
        }
        return xml + "</" + root + ">\n";
    }

    static QString netXml(const QString& root = "Profile")
    {
        return "<?xml version=\"1.0\"?>\n<" + root + ">\n" + sectionXml(company(), "Net") + "</" + root + ">\n";
    }

    void write(const QString& name, const QString& xml)
    {
        QFile file(m_dir->path() + '/' + name);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(xml.toUtf8());
    }

    void writeAll()
    {
        write("English.xml", languageXml("En"));
        write("Czech.xml", languageXml("Cz"));
        write("Slovak.xml", languageXml("Sk"));
        write("Net.xml", netXml());
    }

    void load() { LanguageLoader().loadLanguageFiles(m_dir->path()); }

    // Row counts of the language tables (all equal in these fixtures) and of
    // the company table.
    static void verifyRowCounts(int languageRows, int companyRows)
    {
        for (const LanguageSection& section : languageSections()) {
            const int want = section.table == &CompanyTexts ? companyRows : languageRows;
            QVERIFY2(section.table->rowCount() == want, qPrintable(section.name));
        }
    }

private slots:
    void init()
    {
        clearLanguageTables();
        m_dir = new QTemporaryDir;
        QVERIFY(m_dir->isValid());
    }

    void cleanup()
    {
        delete m_dir;
        m_dir = nullptr;
        clearLanguageTables();
    }

    void sectionsAreComplete()
    {
        QCOMPARE(languageSections().size(), 31);
        QCOMPARE(SensorTexts.rowCount(), 0);
        int items = 0;
        for (const LanguageSection& section : languageSections())
            items += section.children.size();
        QCOMPARE(items, 267);
    }

    void allFilesGiveOneRowPerLanguageInPosition()
    {
        writeAll();
        load();
        verifyRowCounts(3, 1);
        const QStringList tags = {"En", "Cz", "Sk"};
        for (const LanguageSection& section : languageSections()) {
            const bool isCompany = section.table == &CompanyTexts;
            for (int row = 0; row < section.table->rowCount(); ++row) {
                const QStringList items = section.table->row(row);
                QCOMPARE(items.size(), section.children.size());
                for (int k = 0; k < items.size(); ++k)
                    QCOMPARE(items[k], expected(isCompany ? "Net" : tags[row], section, k));
            }
        }
    }

    void missingFileStopsLoading_data()
    {
        QTest::addColumn<QString>("missing");
        QTest::addColumn<int>("languageRows");
        QTest::addColumn<int>("companyRows");
        QTest::newRow("English") << "English.xml" << 0 << 0;
        QTest::newRow("Czech") << "Czech.xml" << 1 << 0;
        QTest::newRow("Slovak") << "Slovak.xml" << 2 << 0;
        QTest::newRow("Net") << "Net.xml" << 3 << 0;
    }

    void missingFileStopsLoading()
    {
        QFETCH(QString, missing);
        QFETCH(int, languageRows);
        QFETCH(int, companyRows);
        writeAll();
        QVERIFY(QFile::remove(m_dir->path() + '/' + missing));
        load();
        verifyRowCounts(languageRows, companyRows);
    }

    void wrongRootAddsNothing_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("xml");
        QTest::addColumn<int>("languageRows");
        QTest::addColumn<int>("companyRows");
        QTest::newRow("Czech with Profile") << "Czech.xml" << languageXml("Cz", "Profile") << 3 << 1;
        QTest::newRow("Net with Total") << "Net.xml" << netXml("Total") << 3 << 0;
    }

    void wrongRootAddsNothing()
    {
        QFETCH(QString, file);
        QFETCH(QString, xml);
        QFETCH(int, languageRows);
        QFETCH(int, companyRows);
        writeAll();
        write(file, xml);
        load();
        verifyRowCounts(languageRows, companyRows);
        // The files after the refused one keep their own rows; the refused
        // language shows English.
        if (file == "Czech.xml") {
            QCOMPARE(SensorTexts.text(1, 0), QString("En|Sensor|0"));
            QCOMPARE(SensorTexts.text(2, 0), QString("Sk|Sensor|0"));
        }

        LanguageLoader loader;
        QVERIFY(loader.loadFile(m_dir->path() + '/' + file, file == "Net.xml" ? "Profile" : "Total"));
        QCOMPARE(loader.errorString(), QString("Not a labels file"));
    }

    void unknownElementsAreSkipped()
    {
        const QString xml = R"(<?xml version="1.0"?>
<Total>
  <Unknown><a><b><c>deep</c></b><Sensor><label_2>not me</label_2></Sensor></a></Unknown>
  <EXEIsRun><label>running</label><NewHong>OK</NewHong><label_2>x</label_2><PleaseStop>y</PleaseStop></EXEIsRun>
  <groupKey>
    <Stray><label>inner</label></Stray>
    <label>group text</label>
  </groupKey>
  <MouseOffLine>
    <label>offline</label>
    <Other>ignored<x/>text</Other>
    <Timeout>timeout</Timeout>
  </MouseOffLine>
</Total>
)";
        write("English.xml", xml);
        load();
        QCOMPARE(GroupKeyTexts.row(0), QStringList{"group text"});
        QCOMPARE(MouseOffLineTexts.row(0), (QStringList{"offline", "timeout"}));
        QCOMPARE(SensorTexts.rowCount(), 0);
    }

    void textsLandByTheirElementsName()
    {
        // Items follow the element names whatever the file's order; a text
        // given twice keeps the first; a text left out is empty.
        const QString xml = R"(<?xml version="1.0"?>
<Total>
  <FireKey><label_2>two</label_2><label>one</label><label_3>three</label_3><label>after</label></FireKey>
  <Progress><UpdateNotMove>a</UpdateNotMove><UpDateFail>c</UpDateFail><UpDateSuccess>b</UpDateSuccess></Progress>
  <MouseOffLine><label>a</label><Timeout>b</Timeout><Timeout>c</Timeout></MouseOffLine>
  <MouseOffLine><label>again</label></MouseOffLine>
  <UpDataParam><label>no last child</label></UpDataParam>
  <Limit><label></label></Limit>
</Total>
)";
        write("English.xml", xml);
        load();
        QCOMPARE(FireKeyTexts.rowCount(), 1);
        QCOMPARE(FireKeyTexts.row(0), (QStringList{"one", "two", "three"}));
        QCOMPARE(ProgressTexts.row(0), (QStringList{"a", "b", "c"}));
        QCOMPARE(MouseOffLineTexts.rowCount(), 1);
        QCOMPARE(MouseOffLineTexts.row(0), (QStringList{"a", "b"}));
        QCOMPARE(UpDataParamTexts.rowCount(), 1);
        QCOMPARE(UpDataParamTexts.text(0, 0), QString("no last child"));
        QCOMPARE(UpDataParamTexts.text(0, 1), QString());
        QCOMPARE(LimitTexts.text(0, 0), QString(""));
    }

    // A damaged or edited file never moves another language's texts: each
    // file fills its own row, and what it lacks shows in English.
    void eachFileKeepsItsOwnRow_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("tag");
        QTest::addColumn<int>("row");
        QTest::newRow("English") << "English.xml" << "En" << 0;
        QTest::newRow("Czech") << "Czech.xml" << "Cz" << 1;
        QTest::newRow("Slovak") << "Slovak.xml" << "Sk" << 2;
    }
    void eachFileKeepsItsOwnRow()
    {
        QFETCH(QString, file);
        QFETCH(QString, tag);
        QFETCH(int, row);
        writeAll();
        // The file lacks its Limit section, repeats its MaxThree section with
        // another text, and its Sensor section lacks its first and last texts.
        const LanguageSection* maxThree = nullptr;
        for (const LanguageSection& section : languageSections())
            if (section.table == &MaxThreeTexts)
                maxThree = &section;
        QString xml = languageXml(tag);
        xml.remove(QRegularExpression("  <Limit>.*?</Limit>\n", QRegularExpression::DotMatchesEverythingOption));
        xml.remove(QRegularExpression("<label_2>[^<]*</label_2>\\s*(?=<label_3>" + tag + "\\|Sensor)"));
        xml.remove(QRegularExpression("<RippleDes>[^<]*</RippleDes>"));
        xml.replace("</Total>", sectionXml(*maxThree, "Again") + "</Total>");
        write(file, xml);
        load();

        const QStringList tags = {"En", "Cz", "Sk"};
        for (int r = 0; r < 3; ++r) {
            const QString own = r == row ? (r == 0 ? QString() : "En") : tags[r];
            QCOMPARE(LimitTexts.text(r, 0), own.isEmpty() ? QString() : own + "|Limit|0");
            QCOMPARE(MaxThreeTexts.text(r, 0), tags[r] + "|MaxThree|0");
            QCOMPARE(SensorTexts.text(r, 1), tags[r] + "|Sensor|1");
            const QString missing = r == row ? (r == 0 ? QString() : "En") : tags[r];
            QCOMPARE(SensorTexts.text(r, 0), missing.isEmpty() ? QString() : missing + "|Sensor|0");
            QCOMPARE(SensorTexts.text(r, 26), missing.isEmpty() ? QString() : missing + "|Sensor|26");
        }
        QCOMPARE(MaxThreeTexts.rowCount(), 3);
        QCOMPARE(CompanyTexts.text(0, 0), QString("Net|English|0"));
    }

    void textsAreStoredUnchanged()
    {
        write("English.xml", "<Total><Limit><label>  two\n lines &amp; more \n</label></Limit></Total>");
        load();
        QCOMPARE(LimitTexts.text(0, 0), QString("  two\n lines & more \n"));
    }

    void malformedFileKeepsRowsReadSoFar_data()
    {
        QTest::addColumn<QString>("broken");
        QTest::newRow("unclosed tag") << "<label>one</label><label_1>two</lab";
        QTest::newRow("element inside a text") << "<label>one</label><label_1>t<b>w</b>o</label_1>";
        QTest::newRow("mismatched end") << "<label>one</label></Total>";
    }

    void malformedFileKeepsRowsReadSoFar()
    {
        QFETCH(QString, broken);
        const QString english = "<Total><Limit><label>limit</label></Limit><InportFail>" + broken
                                + "</InportFail><MaxThree><label>later</label></MaxThree></Total>";
        write("English.xml", english);
        write("Czech.xml", languageXml("Cz"));
        load();
        // Completed before the error: kept. Under way and after: nothing.
        QCOMPARE(LimitTexts.rowCount(), 2);
        QCOMPARE(LimitTexts.text(0, 0), QString("limit"));
        QCOMPARE(LimitTexts.text(1, 0), QString("Cz|Limit|0"));
        QCOMPARE(InportFailTexts.text(0, 0), QString());
        QCOMPARE(InportFailTexts.text(1, 0), QString("Cz|InportFail|0"));
        QCOMPARE(MaxThreeTexts.text(0, 0), QString());
        QCOMPARE(MaxThreeTexts.text(1, 0), QString("Cz|MaxThree|0"));
        QCOMPARE(SensorTexts.text(1, 0), QString("Cz|Sensor|0"));
    }

    void garbageFileAddsNothing()
    {
        write("English.xml", QString::fromLatin1("\x01\x02 not xml at all <<<"));
        write("Czech.xml", "");
        write("Slovak.xml", languageXml("Sk"));
        load();
        verifyRowCounts(3, 0);
        QCOMPARE(SensorTexts.text(0, 0), QString());
        QCOMPARE(SensorTexts.text(1, 0), QString());
        QCOMPARE(SensorTexts.text(2, 0), QString("Sk|Sensor|0"));
    }

    void missingRowsAndItemsNeverCrash()
    {
        LanguageTable table;
        QCOMPARE(table.text(0, 0), QString());
        QCOMPARE(table.text(-1, 5), QString());
        QCOMPARE(table.row(2), QStringList());

        table.appendRow({"en0", "en1"});
        table.appendRow({"cz0"});
        QCOMPARE(table.text(1, 0), QString("cz0"));
        QCOMPARE(table.text(1, 1), QString("en1")); // short row: the English text
        QCOMPARE(table.text(2, 1), QString("en1")); // no row for the language: row 0
        QCOMPARE(table.text(-1, 0), QString("en0"));
        QCOMPARE(table.text(0, 2), QString());
        QCOMPARE(table.text(0, -1), QString());
    }
};

QUEMBREL_TEST_MAIN(LanguageTableTest)
#include "tst_languagetable.moc"
