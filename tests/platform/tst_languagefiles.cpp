#include "support/testsupport.h"

#include "core/languagetable.h"

#include <QFile>
#include <QUrl>
#include <QXmlStreamReader>

// The installed language files, read with a plain XML reader of their own so
// that a fault in the files is not hidden by a fault in the program's loader.
// Screens index their texts by position, so a missing, misspelt or misplaced
// element would shift every later text of its section.

namespace {

struct SectionSpec
{
    const char* name;
    QStringList children;
};

// Every screen section of a language file, in file order, with its text
// elements in item order.
const QVector<SectionSpec> kLanguageSections = {
    { "DialogChange", { "label_2", "label_3", "OfflineTips1", "OfflineTips2", "RepairDevice", "label", "NewHong", "NoApear", "MouseIsNewTips" } },
    { "Light", { "label", "LightMod", "LightMod1", "LightMod2", "LightMod3", "LightMod4", "LightMod5", "LightMod6", "label_2", "label_3", "label_4", "label_5", "StopCloseTime", "StopCloseTime1", "StopCloseTime2", "StopCloseTime3", "StopCloseTime4", "StopCloseTime5", "StopCloseTime6", "StopCloseTime7", "StopCloseTime8", "StopCloseTime9", "StopCloseTime10", "label_6", "label_8", "label_13", "label_11", "label_10", "label_12" } },
    { "Macro", { "label", "label_2", "NewHong", "DeleteHong", "Amend", "DeleteKey", "StartRecord", "StopRecord", "AutoInsertDelay", "DefaultDelay", "ReUntilLoose", "ReUntilClick", "ReUntil", "ReNumber", "label_3", "ChooseEvent1", "ChooseEvent2", "ChooseEvent3", "Save", "MacroReal", "Key1", "Key2", "Key3", "Key4", "Key5" } },
    { "Sensor", { "label_2", "label_3", "label_5", "label_11", "label_12", "Performance", "label", "label_6", "label_7", "PerformanceOpen", "PerformanceOpen1", "PerformanceOpen2", "PerformanceOpen3", "PerformanceOpen4", "PerformanceOpen5", "label_4", "Model", "Model1", "Model2", "label_14", "label_15", "ModeSelectDes", "LODDes", "FullPerformanceDes", "MotionSyncDes", "FixLineDes", "RippleDes" } },
    { "Buttoninterface", { "label_2", "Reset", "ImportData", "OutputData", "FireKey", "RightKey", "BackKey", "StartPause", "TopMusic", "BackMusic", "DPI_2", "DPI_3", "DPI_6", "DPI_8", "DPI_5", "DPI_13", "DPI_11", "DPI_10", "DPI_9", "DPI_7", "DPI_12", "DPI_4", "Player", "StartPause_2", "BackMusic_2", "TopMusic_2", "Mute", "VolumeUp", "VolumeDown", "VolumeDown_4", "VolumeDown_5", "VolumeDown_6", "VolumeDown_3", "VolumeDown_9", "VolumeDown_7", "VolumeDown_10", "VolumeDown_12", "VolumeDown_13", "VolumeDown_11", "VolumeUp_4", "VolumeUp_5", "VolumeUp_6", "VolumeUp_7", "checkBox", "VolumeUp_2", "VolumeDown_2", "VolumeUp_8", "VolumeUp_14", "VolumeDown_14", "Macro_", "Config", "S1", "VolumeDown_8" } },
    { "Progress", { "UpdateNotMove", "UpDateSuccess", "UpDateFail" } },
    { "UpDataParam", { "label", "label_1" } },
    { "QuestionB", { "label" } },
    { "Question", { "label", "label_2", "NewHong", "NewHong_2" } },
    { "MouseOffLine", { "label", "Timeout" } },
    { "Match", { "label", "textEdit", "MatchButton", "Matching", "MatchFail", "MatchSuccess" } },
    { "AutoRepair", { "ToolText", "Cancel", "NoDevice", "SameDevice", "NewHong_2", "NoRecieve", "NoUSB", "Error", "FileError", "Error2", "MultiMouse", "MultiDongle", "ReadyUpdate" } },
    { "SameMacro", { "label", "label_1" } },
    { "RePair", { "label" } },
    { "MakeMacro", { "label" } },
    { "ButtonOnly", { "label" } },
    { "Limit", { "label" } },
    { "MaxThree", { "label" } },
    { "groupKey", { "label" } },
    { "FireKey", { "label", "label_2", "label_3" } },
    { "DeleteConfirm", { "label" } },
    { "ContainReset", { "label" } },
    { "AddKey", { "label" } },
    { "AddDelayTime", { "label" } },
    { "DialogMain", { "MainForm", "Exit" } },
    { "FormSetting", { "label", "label_2", "label_3", "label_4", "label_6", "label_8", "pushButton_2", "Receive", "Mouse", "label_9", "label_10", "pushButton", "label_11", "textEdit", "WiredMode", "NoDevice", "NewLabel", "SameDevice", "VerNew", "label_14", "textEdit_2", "textEdit_3", "textEdit_4", "NoRecieve", "NoUSB", "Error", "MultiMouse", "MultiDongle", "StopCloseTime", "StopCloseTime1", "StopCloseTime2", "StopCloseTime3", "StopCloseTime4", "StopCloseTime5", "StopCloseTime6", "StopCloseTime7", "StopCloseTime8", "StopCloseTime9", "StopCloseTime10", "label_12", "label_13", "RecieveInfo", "ScreenInfo", "LihghtMode" } },
    { "InportFail", { "label", "label_1", "label_2", "label_3" } },
    { "NewVer", { "label", "NoApear" } },
    { "LessThree", { "label" } },
    { "ScreenInfo", { "label", "label_2", "label_3", "Input", "Output", "Light", "LightMod", "LightMod1", "LightMod2", "LightMod3", "LightMod4", "LightMod5", "LightMod6", "Bri", "Speed", "ColorPre", "LightColor", "SetColor", "R", "G", "B" } },
};

const SectionSpec kRunSection = {"EXEIsRun", {"label", "NewHong", "label_2", "PleaseStop"}};
const SectionSpec kCompanySection = {"English", {"CompanyName", "CompanyNameCn", "CompanyWebcn", "CompanyWeben"}};

struct Section
{
    QString name;
    QStringList children;
    QStringList texts;
};

struct XmlFile
{
    QByteArray bytes;
    QString version;
    QString encoding;
    QString root;
    QVector<Section> sections;
    QString error;

    const Section* section(const QString& name) const
    {
        for (const Section& s : sections)
            if (s.name == name)
                return &s;
        return nullptr;
    }
    QString text(const QString& section, int item) const
    {
        const Section* s = this->section(section);
        return s && item < s->texts.size() ? s->texts.at(item) : QString();
    }
};

QString languageDir()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/Language/");
}

// Root, sections, text elements: exactly three levels. Anything nested in a
// text element is an error, as it is for the program's loader.
XmlFile readXmlFile(const QString& name)
{
    XmlFile f;
    QFile file(languageDir() + name);
    if (!file.open(QIODevice::ReadOnly)) {
        f.error = QStringLiteral("cannot open ") + file.fileName();
        return f;
    }
    f.bytes = file.readAll();
    QXmlStreamReader r(f.bytes);
    while (!r.atEnd() && !r.isStartElement()) {
        r.readNext();
        if (r.isStartDocument()) {
            f.version = r.documentVersion().toString();
            f.encoding = r.documentEncoding().toString();
        }
    }
    f.root = r.name().toString();
    while (r.readNextStartElement()) {
        Section s;
        s.name = r.name().toString();
        while (r.readNextStartElement()) {
            s.children << r.name().toString();
            s.texts << r.readElementText(QXmlStreamReader::ErrorOnUnexpectedElement);
        }
        f.sections << s;
    }
    if (r.hasError())
        f.error = r.errorString() + QStringLiteral(" at line ") + QString::number(r.lineNumber());
    return f;
}

QStringList names(const QVector<Section>& sections)
{
    QStringList out;
    for (const Section& s : sections)
        out << s.name;
    return out;
}

// Declared as UTF-8 and really UTF-8, so Czech and Slovak letters survive.
void verifyUtf8Document(const XmlFile& f)
{
    QVERIFY2(f.error.isEmpty(), qPrintable(f.error));
    QCOMPARE(f.version, QStringLiteral("1.0"));
    QCOMPARE(f.encoding, QStringLiteral("UTF-8"));
    QCOMPARE(QString::fromUtf8(f.bytes).toUtf8(), f.bytes);
    QVERIFY(!QString::fromUtf8(f.bytes).contains(QChar::ReplacementCharacter));
}

void verifySection(const Section& s, const SectionSpec& spec)
{
    QCOMPARE(s.name, QString::fromLatin1(spec.name));
    QCOMPARE(s.children, spec.children);
    for (int i = 0; i < s.texts.size(); ++i)
        QVERIFY2(!s.texts.at(i).trimmed().isEmpty(),
                 qPrintable(QStringLiteral("%1 item %2 is empty").arg(s.name).arg(i)));
}

} // namespace

class LanguageFilesTest : public QObject
{
    Q_OBJECT
private slots:
    void languageFile_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("English") << QStringLiteral("English.xml");
        QTest::newRow("Czech") << QStringLiteral("Czech.xml");
        QTest::newRow("Slovak") << QStringLiteral("Slovak.xml");
    }

    // Exactly the screen sections in order, then the already-running
    // notice's section; no company section (that lives in Net.xml only).
    void languageFile()
    {
        QFETCH(QString, file);
        const XmlFile f = readXmlFile(file);
        verifyUtf8Document(f);
        QCOMPARE(f.root, QStringLiteral("Total"));

        QStringList expected;
        for (const SectionSpec& spec : kLanguageSections)
            expected << QString::fromLatin1(spec.name);
        expected << QString::fromLatin1(kRunSection.name);
        QCOMPARE(names(f.sections), expected);

        for (int i = 0; i < kLanguageSections.size(); ++i)
            verifySection(f.sections.at(i), kLanguageSections.at(i));
        verifySection(f.sections.last(), kRunSection);
    }

    // A translation, not a copy of the English file.
    void translated_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("Czech") << QStringLiteral("Czech.xml");
        QTest::newRow("Slovak") << QStringLiteral("Slovak.xml");
    }
    void translated()
    {
        QFETCH(QString, file);
        const XmlFile english = readXmlFile(QStringLiteral("English.xml"));
        const XmlFile other = readXmlFile(file);
        int total = 0, same = 0;
        for (const Section& s : english.sections) {
            const Section* o = other.section(s.name);
            QVERIFY(o);
            for (int i = 0; i < s.texts.size() && i < o->texts.size(); ++i) {
                ++total;
                same += s.texts.at(i) == o->texts.at(i);
            }
        }
        // Numbers, units, "OK" and the like stay as they are; prose does not.
        QVERIFY2(same * 4 < total, qPrintable(QStringLiteral("%1 of %2 texts untranslated").arg(same).arg(total)));
    }

    // Texts that other screens compare or parse, per language.
    void sharedTexts_data() { languageFile_data(); }
    void sharedTexts()
    {
        QFETCH(QString, file);
        const XmlFile f = readXmlFile(file);
        QVERIFY2(f.error.isEmpty(), qPrintable(f.error));

        // The macro page announces a deleted macro as its caption prefix +
        // name; the button page finds the buttons by its own prefix.
        QCOMPARE(f.text(QStringLiteral("Macro"), 19), f.text(QStringLiteral("Buttoninterface"), 48));

        // The eleven sleep times in the entry order of the selector (10 s,
        // 30 s, 1, 5, 10 ... 40 min); the slider layout takes its units from
        // the texts of entries 0 and 5 by removing "10" and "15".
        const int numbers[] = {10, 30, 1, 5, 10, 15, 20, 25, 30, 35, 40};
        for (int i = 0; i < 11; ++i) {
            const QString light = f.text(QStringLiteral("Light"), 12 + i);
            QCOMPARE(f.text(QStringLiteral("FormSetting"), 28 + i), light);
            QVERIFY2(light.startsWith(QString::number(numbers[i]) + QLatin1Char(' ')), qPrintable(light));
        }
    }

    void companyFile()
    {
        const XmlFile f = readXmlFile(QStringLiteral("Net.xml"));
        verifyUtf8Document(f);
        QCOMPARE(f.root, QStringLiteral("Profile"));
        QCOMPARE(names(f.sections), QStringList{QString::fromLatin1(kCompanySection.name)});
        verifySection(f.sections.first(), kCompanySection);
        // The settings page opens its link button's text as an address.
        for (int item : {2, 3}) {
            const QUrl url(f.text(QStringLiteral("English"), item), QUrl::StrictMode);
            QVERIFY2(url.isValid() && url.scheme() == QStringLiteral("https") && !url.host().isEmpty(),
                     qPrintable(url.toString()));
        }
    }

    // The already-running notice falls back to this file for a language index
    // it does not know: English texts.
    void fallbackFile()
    {
        const XmlFile f = readXmlFile(QStringLiteral("0-English.xml"));
        verifyUtf8Document(f);
        QCOMPARE(f.root, QStringLiteral("Total"));
        const Section* run = f.section(QString::fromLatin1(kRunSection.name));
        QVERIFY(run);
        verifySection(*run, kRunSection);
        const XmlFile englishFile = readXmlFile(QStringLiteral("English.xml"));
        const Section* english = englishFile.section(QString::fromLatin1(kRunSection.name));
        QVERIFY(english);
        QCOMPARE(run->texts, english->texts);
    }

    // What the main window gets from the installed files: a full row per
    // language in every screen table, and the one company row.
    void programLoadsInstalledFiles()
    {
        clearLanguageTables();
        LanguageLoader loader;
        loader.loadLanguageFiles(QCoreApplication::applicationDirPath() + QStringLiteral("/Language"));
        QVERIFY2(loader.errorString().isEmpty(), qPrintable(loader.errorString()));
        for (const LanguageSection& section : languageSections()) {
            const int rows = section.table == &CompanyTexts ? 1 : 3;
            QVERIFY2(section.table->rowCount() == rows, qPrintable(section.name));
            for (int language = 0; language < rows; ++language)
                QVERIFY2(section.table->row(language).size() == section.children.size(), qPrintable(section.name));
        }
        clearLanguageTables();
    }
};

QUEMBREL_TEST_MAIN(LanguageFilesTest)
#include "tst_languagefiles.moc"
