#include "support/dialogfixture.h"
#include "support/modalanswer.h"
#include "support/testsupport.h"

#include "app/startup.h"
#include "core/postmsg.h"
#include "core/settings.h"
#include "widgets/exeisrun.h"

#include <QDir>
#include <QLabel>
#include <QToolButton>

using namespace testsupport;

namespace {

QString folder()
{
    return homeDir() + QStringLiteral("/Language");
}

void writeFile(const QString& name, const QByteArray& xml)
{
    QDir().mkpath(folder());
    QFile file(folder() + '/' + name);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(xml);
}

QByteArray runSection(const QByteArray& language)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Total>\n"
           "<Question><label>q</label></Question>\n"
           "<EXEIsRun><label>"
        + language + " running</label><NewHong>" + language + " OK</NewHong><label_2>" + language
        + " select</label_2><PleaseStop>" + language + " stop</PleaseStop></EXEIsRun>\n</Total>\n";
}

QString labelOf(QDialog* dialog)
{
    return dialog->findChild<QLabel*>("label")->text();
}

void storeLanguage(const QString& value)
{
    if (value.isNull())
        UserSettings::instance()->remove("Language", "Language");
    else
        UserSettings::instance()->setValue("Language", "Language", value);
}

} // namespace

class ExeIsRunTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        useSkinConfig();
        ExeIsRun::setLanguageFolderForTests(folder());
        writeFile("English.xml", runSection("en"));
        writeFile("Czech.xml", runSection("cs"));
        writeFile("Slovak.xml", runSection("sk"));
        writeFile("0-English.xml", runSection("fallback"));
    }

    void fileOfTheStoredLanguage_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("language");
        QTest::newRow("none stored") << QString() << "en";
        QTest::newRow("0") << "0" << "en";
        QTest::newRow("1") << "1" << "cs";
        QTest::newRow("2") << "2" << "sk";
        QTest::newRow("7") << "7" << "fallback";
        QTest::newRow("-1") << "-1" << "fallback";
        QTest::newRow("not a number") << "x" << "en";
    }
    void fileOfTheStoredLanguage()
    {
        QFETCH(QString, stored);
        QFETCH(QString, language);
        storeLanguage(stored);
        ExeIsRun notice;
        QCOMPARE(labelOf(&notice), language + " running");
        QCOMPARE(notice.findChild<QToolButton*>("NewHong")->text(), language + " OK");
        notice.showSecondText();
        QCOMPARE(labelOf(&notice), language + " select");
        notice.showPleaseStopText();
        QCOMPARE(labelOf(&notice), language + " stop");
    }

    void sectionReading_data()
    {
        QTest::addColumn<QByteArray>("xml");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("second");
        QTest::addColumn<QString>("stop");
        QTest::newRow("children in any order")
            << QByteArray("<Total><EXEIsRun><PleaseStop>p</PleaseStop><label_2>s</label_2><NewHong>o</NewHong>"
                          "<label>l</label></EXEIsRun></Total>")
            << "l" << "s" << "p";
        QTest::newRow("unknown nested child passed over")
            << QByteArray("<Total><Other><a><b>x</b></a></Other><EXEIsRun><Odd><x><y/></x></Odd><label>l</label>"
                          "<label_2>s</label_2></EXEIsRun></Total>")
            << "l" << "s" << "";
        QTest::newRow("later child wins")
            << QByteArray("<Total><EXEIsRun><label>first</label><label>second</label></EXEIsRun></Total>")
            << "second" << "" << "";
        QTest::newRow("wrong root reads nothing")
            << QByteArray("<Profile><EXEIsRun><label>l</label></EXEIsRun></Profile>")
            << "The program is already running." << "" << "";
        QTest::newRow("malformed keeps what came before")
            << QByteArray("<Total><EXEIsRun><label>l</label><label_2>s</label_2><NewHong>o<b>x</b></NewHong>"
                          "<PleaseStop>p</PleaseStop>")
            << "l" << "s" << "";
        QTest::newRow("no section") << QByteArray("<Total><Question/></Total>")
                                    << "The program is already running." << "" << "";
    }
    void sectionReading()
    {
        QFETCH(QByteArray, xml);
        QFETCH(QString, label);
        QFETCH(QString, second);
        QFETCH(QString, stop);
        writeFile("Slovak.xml", xml);
        storeLanguage("2");
        ExeIsRun notice;
        QCOMPARE(labelOf(&notice), label);
        notice.showSecondText();
        QCOMPARE(labelOf(&notice), second);
        notice.showPleaseStopText();
        QCOMPARE(labelOf(&notice), stop);
        writeFile("Slovak.xml", runSection("sk"));
    }

    void missingFileKeepsTheFormTexts()
    {
        storeLanguage("3");
        ExeIsRun notice;
        QCOMPARE(labelOf(&notice), QStringLiteral("The program is already running."));
        QCOMPARE(notice.findChild<QToolButton*>("NewHong")->text(), QStringLiteral("OK"));
    }

    // The start-up runs this notice for a second copy, then returns 0 (the
    // decision and the exit code are the start-up's own tests).
    void secondStartShowsTheNoticeInTheStoredLanguage_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("way");
        QTest::addColumn<QString>("expected");
        QTest::newRow("Czech, OK") << "1" << "NewHong" << "cs running";
        QTest::newRow("unknown index, close button") << "9" << "CloseButton" << "fallback running";
        QTest::newRow("English, Escape") << "0" << "Escape" << "en running";
    }
    void secondStartShowsTheNoticeInTheStoredLanguage()
    {
        QFETCH(QString, stored);
        QFETCH(QString, way);
        QFETCH(QString, expected);
        storeLanguage(stored);
        QString shown;
        ModalAnswer answer(inspectThen([&](QDialog* d) { shown = labelOf(d); },
                                       way == "Escape" ? pressKey(Qt::Key_Escape) : clickButton(way)));
        showAlreadyRunningNotice();
        QCOMPARE(answer.answered(), QStringList{"ExeIsRun"});
        QVERIFY(!answer.forced());
        QCOMPARE(shown, expected);
        QCOMPARE(hubConnectFailures(), 0);
    }
};

QUEMBREL_TEST_MAIN(ExeIsRunTest)
#include "tst_exeisrun.moc"
