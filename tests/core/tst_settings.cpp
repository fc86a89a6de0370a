#include "support/testsupport.h"

#include "core/product.h"
#include "core/registry.h"
#include "core/settings.h"

#include <QDirIterator>
#include <QThread>

namespace {

QByteArray b64(const char* text)
{
    return QByteArray(text).toBase64();
}

void writeFile(const QString& path, const QByteArray& contents)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(contents);
}

} // namespace

class SettingsTest : public QObject
{
    Q_OBJECT

    QString configFile;

private slots:
    void initTestCase()
    {
        configFile = testsupport::homeDir() + "/fixture/Config.ini";
        writeFile(configFile,
                  "[Option]\n"
                  "DeviceTotal=2\n"
                  "CID=" + b64("42") + "\n"
                  "VID=" + b64("0x3A5C") + "\n"
                  "LabelColor=255,128,0\n"
                  "ButtonColor=10,20,30\n"
                  "Wireless_PID=" + b64("0x5111\n") + "," + b64(" 0x51 12") + "\n"
                  "Transition=" + b64("3") + "\n"
                  "[Drive1]\n"
                  "MID=" + b64("17") + "\n"
                  "Sensor=" + b64("33 95\n") + "\n"
                  "CID=" + b64("7") + "\n"
                  "MM=" + b64("Q7 Pro mouse") + "\n");
        ConfigSettings::resetForTests(configFile);
    }

    void configValues_data()
    {
        QTest::addColumn<QString>("group");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");
        QTest::newRow("plain number") << "Option" << "DeviceTotal" << "2";
        QTest::newRow("CID decoded") << "Option" << "CID" << "42";
        QTest::newRow("VID decoded") << "Option" << "VID" << "0x3A5C";
        QTest::newRow("CID decoded in any group") << "Drive1" << "CID" << "7";
        QTest::newRow("MID never decoded") << "Drive1" << "MID" << QString::fromLatin1(b64("17"));
        QTest::newRow("blanks and line breaks removed") << "Drive1" << "Sensor" << "3395";
        QTest::newRow("blanks inside a name removed") << "Drive1" << "MM" << "Q7Promouse";
        QTest::newRow("Transition is plain") << "Option" << "Transition" << QString::fromLatin1(b64("3"));
        QTest::newRow("missing key") << "Drive1" << "KeyParam1" << "";
        QTest::newRow("missing encoded key") << "Drive2" << "Sensor" << "";
        QTest::newRow("missing group") << "Drive9" << "MID" << "";
    }
    void configValues()
    {
        QFETCH(QString, group);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        QCOMPARE(ConfigSettings::instance()->value(group, key), expected);
    }

    void configLists_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("colour") << "LabelColor" << QStringList{"255", "128", "0"};
        QTest::newRow("another colour") << "ButtonColor" << QStringList{"10", "20", "30"};
        QTest::newRow("encoded items") << "Wireless_PID" << QStringList{"0x5111", "0x5112"};
        QTest::newRow("single encoded item") << "CID" << QStringList{"42"};
        QTest::newRow("missing") << "SliderColor" << QStringList();
    }
    void configLists()
    {
        QFETCH(QString, key);
        QFETCH(QStringList, expected);
        QCOMPARE(ConfigSettings::instance()->valueList("Option", key), expected);
    }

    void missingConfigFileReadsEmpty()
    {
        ConfigSettings::resetForTests(testsupport::homeDir() + "/nowhere/Config.ini");
        QCOMPARE(ConfigSettings::instance()->value("Option", "DeviceTotal"), QString());
        QCOMPARE(ConfigSettings::instance()->value("Option", "DeviceTotal").toInt(), 0);
        QVERIFY(ConfigSettings::instance()->valueList("Option", "LabelColor").isEmpty());
        ConfigSettings::resetForTests();
        QCOMPARE(ConfigSettings::instance()->filePath(), installDir() + "/usersetting/Config.ini");
        ConfigSettings::resetForTests(configFile);
    }

    void instanceIsSharedAcrossThreads()
    {
        UserSettings* fromThread = nullptr;
        ConfigSettings* configFromThread = nullptr;
        QThread* thread = QThread::create([&] {
            fromThread = UserSettings::instance();
            configFromThread = ConfigSettings::instance();
        });
        thread->start();
        UserSettings* here = UserSettings::instance();
        QVERIFY(thread->wait(5000));
        delete thread;
        QCOMPARE(fromThread, here);
        QCOMPARE(configFromThread, ConfigSettings::instance());
        QCOMPARE(here->filePath(), userDir() + "/Macro.ini");
    }

    void userSettingsRoundTrip()
    {
        UserSettings* user = UserSettings::instance();
        QCOMPARE(user->value("Language", "Language"), QString());
        QCOMPARE(user->value("Language", "Language").toInt(), 0);
        user->setValue("Language", "Language", "2");
        user->setValue("AutoStart", "Enable", "1");
        user->setValue("FindNew", "IsShow", QString::fromUtf8("žluťoučký"));
        QCOMPARE(user->value("Language", "Language"), QStringLiteral("2"));

        // Written through: the file holds the values at once, with no event loop.
        QSettings file(user->filePath(), QSettings::IniFormat);
        file.setIniCodec("UTF-8");
        QCOMPARE(file.value("Language/Language").toString(), QStringLiteral("2"));
        QCOMPARE(file.value("FindNew/IsShow").toString(), QString::fromUtf8("žluťoučký"));

        // A fresh store over the same file sees them.
        UserSettings::resetForTests();
        QCOMPARE(UserSettings::instance()->value("AutoStart", "Enable"), QStringLiteral("1"));
        QCOMPARE(UserSettings::instance()->value("FindNew", "IsShow"), QString::fromUtf8("žluťoučký"));
        UserSettings::instance()->remove("AutoStart", "Enable");
        QCOMPARE(UserSettings::instance()->value("AutoStart", "Enable"), QString());
    }

    void registryMapsToNativeUserSettings()
    {
        {
            RegistryKey key(mouseDriveTestRegistryKey());
            QVERIFY(!key.contains("UpdateFailInfo"));
            QCOMPARE(key.value("UpdateFailInfo"), QString());
            key.setValue("UpdateFailInfo", "211,4,42,17");
            key.setValue("MouseVer4217", "v1.03");
        }
        RegistryKey again(mouseDriveTestRegistryKey());
        QCOMPARE(again.value("UpdateFailInfo"), QStringLiteral("211,4,42,17"));

        // One native settings file, the key path as its groups.
        QSettings native(QSettings::NativeFormat, QSettings::UserScope, kProductName, "Registry");
        QVERIFY(native.fileName().startsWith(testsupport::homeDir() + "/.config/"));
        QCOMPARE(native.value("HKEY_CURRENT_USER/Software/Quembrel/Quembrel/Mouse Drive Test/MouseVer4217").toString(),
                 QStringLiteral("v1.03"));
        QDirIterator it(testsupport::homeDir(), QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            QVERIFY2(!it.next().contains("HKEY"), qPrintable(it.filePath()));

        again.remove("UpdateFailInfo");
        QVERIFY(!RegistryKey(mouseDriveTestRegistryKey()).contains("UpdateFailInfo"));
        QVERIFY(RegistryKey(mouseDriveTestRegistryKey()).contains("MouseVer4217"));
    }

    void languageMigration_data()
    {
        QTest::addColumn<QString>("registryValue");  // "-" for none
        QTest::addColumn<QString>("storedBefore");
        QTest::addColumn<QString>("storedAfter");
        QTest::newRow("no value") << "-" << "1" << "1";
        QTest::newRow("zero") << "0" << "1" << "1";
        QTest::newRow("not a number") << "x" << "2" << "2";
        QTest::newRow("czech") << "1" << "0" << "1";
        QTest::newRow("slovak over nothing") << "2" << "" << "2";
    }
    void languageMigration()
    {
        QFETCH(QString, registryValue);
        QFETCH(QString, storedBefore);
        QFETCH(QString, storedAfter);
        UserSettings::instance()->setValue("Language", "Language", storedBefore);
        if (registryValue != "-")
            RegistryKey(productRegistryKey()).setValue("LanguageIndex", registryValue);

        migrateLanguageIndex();

        QCOMPARE(UserSettings::instance()->value("Language", "Language"), storedAfter);
        QVERIFY(!RegistryKey(productRegistryKey()).contains("LanguageIndex"));
    }

    void autoStart()
    {
        const QString name = QCoreApplication::applicationName();
        const QString desktop = autoStartDesktopFile();
        QCOMPARE(desktop, testsupport::homeDir() + "/.config/autostart/" + name + ".desktop");

        setAutoStartEntry(true);
        QString expected = QCoreApplication::applicationFilePath();
        expected.replace('/', '\\');
        QCOMPARE(RegistryKey(runRegistryKey()).value(name), expected);
        QSettings entry(desktop, QSettings::IniFormat);
        QCOMPARE(entry.value("Desktop Entry/Type").toString(), QStringLiteral("Application"));
        QVERIFY(entry.value("Desktop Entry/Exec").toString().contains(QCoreApplication::applicationFilePath()));

        setAutoStartEntry(false);
        QVERIFY(!RegistryKey(runRegistryKey()).contains(name));
        QVERIFY(!QFile::exists(desktop));
    }
};

QUEMBREL_TEST_MAIN(SettingsTest)
#include "tst_settings.moc"
