#include "support/testsupport.h"

#include "platform/install/picturegen/picturetable.h"

// The skin pictures drawn at build time into the installation folder.
class PicturesTest : public QObject
{
    Q_OBJECT

    QHash<QString, QStringList> folderEntries;

    static QString pictureRoot() { return QCoreApplication::applicationDirPath() + QStringLiteral("/Picture/"); }

    // Exact-case lookup: "ConFirm.png" and "Confirm.png" are two files.
    bool exists(const QString& folder, const QString& name)
    {
        if (!folderEntries.contains(folder))
            folderEntries.insert(folder, QDir(pictureRoot() + folder).entryList(QDir::Files));
        return folderEntries.value(folder).contains(name, Qt::CaseSensitive);
    }

private slots:
    void tableReadsCleanly()
    {
        const picturetable::Table table =
            picturetable::read(QFINDTESTDATA("../../platform/install/picturegen/pictures.txt"));
        QVERIFY2(table.errors.isEmpty(), qPrintable(table.errors.join(QLatin1Char('\n'))));
        QVERIFY(!table.rows.isEmpty());
    }

    void tablePictureIsBuilt_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QSize>("size");
        const picturetable::Table table =
            picturetable::read(QFINDTESTDATA("../../platform/install/picturegen/pictures.txt"));
        for (const picturetable::Row& row : table.rows)
            QTest::newRow(qPrintable(row.folder + QLatin1Char('/') + row.name)) << row.folder << row.name << row.size;
    }

    void tablePictureIsBuilt()
    {
        QFETCH(QString, folder);
        QFETCH(QString, name);
        QFETCH(QSize, size);
        QVERIFY(exists(folder, name));
        const QImage image(pictureRoot() + folder + QLatin1Char('/') + name);
        QVERIFY(!image.isNull());
        QCOMPARE(image.size(), size);
    }

    // Every picture the screens ask for, by folder, independent of the table,
    // so a row missing from the table fails here.
    void screenPictureExists_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("name");
        const QString closeSet = QStringLiteral("Close CloseHover CloseClick");
        const QString comboSet = QStringLiteral("ComboboxBack Menu MenuClicked ComboboxTextBack");
        QString colours;
        for (char c = 'A'; c <= 'N'; ++c)
            colours += QStringLiteral(" Color") + QLatin1Char(c);
        const QList<QPair<QString, QString>> wanted = {
            {QStringLiteral("Dialog"),
             QStringLiteral("Logo BackGround Battery Charg Home HomeHover HomeChecked Light LightHover LightChecked "
                            "Setting SettingHover SettingClick Macro MacroHover MacroChecked Sensor SensorHover "
                            "SensorChecked Min MinHover MinClick PageChange PageChangeHover PageChangeClick ")
                 + closeSet},
            {QStringLiteral("DialogChange"),
             QStringLiteral("MainBack Min MinHover MinClick Repair Right RightClick Left LeftClick DisOnline "
                            "OnLineUsb OnLineWifi 1KHz 2KHz 4KHz 8KHz Unknow DisOnlin0 OnLine0 ")
                 + closeSet + QLatin1Char(' ') + comboSet},
            {QStringLiteral("WarningDialog"),
             QStringLiteral("BackGround Confirm ConfirmClick ConFirm ConFirmClick CheckBox CheckBoxCheck ok_nr "
                            "ok_enter ")
                 + closeSet},
            {QStringLiteral("Sensor"),
             QStringLiteral("CheckBox CheckBoxChecked Title Level LevelHover HuaKuai Reduce Add MinA MaxA MinB MaxB "
                            "LOD LODCheck ReportRate ReportRateClick Close Open ")
                 + comboSet},
            {QStringLiteral("Buttoninterface"),
             QStringLiteral("mouse0 Config AMenuTitle AMenuTitleChecked LabelNumber CMenuTitle CMenuTitleChecked "
                            "BMenuTitle BMenuTitleChecked BMenuTitleB BMenuTitleCheckedB NumberOrigin NumberHover "
                            "NumberClick Reset ResetHover ResetClick TiltleBack ")
                 + comboSet},
            {QStringLiteral("Light"),
             QStringLiteral("HuaKuai Close Open ColorBoard Reduce Add PreviewColor ") + comboSet + colours},
            {QStringLiteral("Macro"),
             QStringLiteral("Up Down Button ButtonHover ButtonClick CheckBoxCheck CheckBox Stop StopHover Record "
                            "RecordHover MacroDown MacroUp MacroTime ")
                 + comboSet},
            {QStringLiteral("Setting"),
             QStringLiteral("Pair PairSuccess PairFail Picture CloseSecondPage CloseSecondPageHover "
                            "CloseSecondPageClick BackSecondPage")},
            {QStringLiteral("FormSetting"),
             QStringLiteral("PariButton Title Mouse CheckBox CheckBoxChecked CheckBoxCheck CheckBox2 Picture "
                            "WaitUpdate WaitUpdateHover Confirm Back ")
                 + closeSet + QLatin1Char(' ') + comboSet},
            {QStringLiteral("ScreeInfo"),
             QStringLiteral("CloseButton CloseHover CloseClick Reduce Add Back Slider PreviewColor ColorBoard Pic "
                            "PicHover Button ButtonHover Close Open ")
                 + comboSet + colours},
        };
        for (const auto& folder : wanted) {
            for (const QString& stem : folder.second.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
                const QString name = stem + QStringLiteral(".png");
                QTest::newRow(qPrintable(folder.first + QLatin1Char('/') + name)) << folder.first << name;
            }
        }
    }

    void screenPictureExists()
    {
        QFETCH(QString, folder);
        QFETCH(QString, name);
        QVERIFY(exists(folder, name));
    }
};

QUEMBREL_TEST_MAIN(PicturesTest)
#include "tst_pictures.moc"
