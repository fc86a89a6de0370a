// What the home page and the device connection use of the settings page, the
// pairing dialog and the repair dialog.
#include "support/dialogfixture.h"
#include "support/testsupport.h"

#include "core/globals.h"
#include "core/languagetable.h"
#include "core/postmsg.h"
#include "core/registry.h"
#include "core/settings.h"
#include "platform/hidusb/simcontrol.h"
#include "settings/formsetting.h"
#include "settings/match.h"
#include "settings/updaterepair.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QScrollBar>
#include <QTextEdit>
#include <QToolButton>

#include <algorithm>

namespace {

// What a label, button, text edit or combo box shows.
QString shownText(const QWidget* widget)
{
    if (auto* label = qobject_cast<const QLabel*>(widget))
        return label->text();
    if (auto* button = qobject_cast<const QAbstractButton*>(widget))
        return button->text();
    if (auto* edit = qobject_cast<const QTextEdit*>(widget))
        return edit->toPlainText();
    if (auto* combo = qobject_cast<const QComboBox*>(widget)) {
        QStringList items;
        for (int i = 0; i < combo->count(); ++i)
            items << combo->itemText(i);
        return items.join(QLatin1Char('\n'));
    }
    return {};
}

// The form's own texts are Chinese; the program's languages are all Latin.
bool hasCjk(const QString& text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() >= 0x2E80; });
}

} // namespace

class SettingsPagesTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        hidsim::resetToDefaultBus();
        resetHubConnectFailures();
        testsupport::fillLanguageTables();
    }

    void cleanup()
    {
        UserSettings::instance()->remove("Language", "Language");
        languageIndex = 0;
    }

    void settingsPageHoldsTheRepairDialogAndTheLanguage()
    {
        {
            FormSetting page;
            QCOMPARE(hubConnectFailures(), 0);
            QVERIFY(settingsRepairDialog);
            QVERIFY(!settingsRepairDialog->isVisible());
            QCOMPARE(updateWarningText, testsupport::tableText("FormSetting", 0, 14));
            PostMsg::GetInstance()->PostAllLanguage(1);
            QCOMPARE(updateWarningText, testsupport::tableText("FormSetting", 1, 14));

            QSignalSpy all(PostMsg::GetInstance(), &PostMsg::SigAllLanguage);
            QSignalSpy sameA(PostMsg::GetInstance(), &PostMsg::SigLanguageSameA);
            auto* combo = page.findChild<QComboBox*>("comboBox");
            QMetaObject::invokeMethod(combo, "activated", Q_ARG(int, 2));
            QCOMPARE(UserSettings::instance()->value("Language", "Language"), QString("2"));
            QCOMPARE(languageIndex, 2);
            QCOMPARE(all.count(), 1);
            QCOMPARE(sameA.count(), 1);
            QCOMPARE(sameA.first().first().toInt(), 2);

            QSignalSpy moved(combo, QOverload<int>::of(&QComboBox::currentIndexChanged));
            PostMsg::GetInstance()->PostLanguageSameB(0);
            QCOMPARE(combo->currentIndex(), 0);
            QCOMPARE(moved.count(), 0);

            auto* receiverVersion = page.findChild<QLabel*>("label_5");
            PostMsg::GetInstance()->PostLabelTextB("v1.02", "true");
            QCOMPARE(receiverVersion->text(), QString("v1.02"));
            PostMsg::GetInstance()->PostSetver(6);
            QVERIFY(receiverVersion->text().isEmpty());
        }
        QVERIFY(!settingsRepairDialog);
    }

    // The page's repair dialog keeps repairDialogVisible for the device
    // page's rescan; another instance leaves it alone.
    void repairDialogKeepsItsVisibleFlag()
    {
        {
            FormSetting page;
            QVERIFY(!repairDialogVisible);
            settingsRepairDialog->show();
            QVERIFY(repairDialogVisible);
            {
                UpDateRepair other;
                other.show();
                other.hide();
            }
            QVERIFY(repairDialogVisible);
            settingsRepairDialog->hide();
            QVERIFY(!repairDialogVisible);
            settingsRepairDialog->show();
        }
        QVERIFY(!repairDialogVisible);
    }

    void autoStartSwitch()
    {
        FormSetting page;
        auto* box = page.findChild<QCheckBox*>("checkBox");
        box->click();
        QCOMPARE(UserSettings::instance()->value("AutoStart", "Enable"), QString("1"));
        QVERIFY(QFile::exists(autoStartDesktopFile()));
        QVERIFY(FormSetting().findChild<QCheckBox*>("checkBox")->isChecked());
        box->click();
        QCOMPARE(UserSettings::instance()->value("AutoStart", "Enable"), QString("0"));
        QVERIFY(!QFile::exists(autoStartDesktopFile()));
        QVERIFY(!FormSetting().findChild<QCheckBox*>("checkBox")->isChecked());
    }

    void pageTextsFollowTheLanguage_data()
    {
        QTest::addColumn<QString>("widget");
        QTest::addColumn<int>("item");
        QTest::newRow("software version") << "label" << 0;
        QTest::newRow("language heading") << "label_2" << 1;
        QTest::newRow("receiver firmware caption") << "label_4" << 3;
        QTest::newRow("mouse firmware caption") << "label_6" << 4;
        QTest::newRow("pair button") << "pushButton_2" << 6;
        QTest::newRow("update button") << "Receive_2" << 7;
        QTest::newRow("auto-start caption") << "label_10" << 10;
        QTest::newRow("mouse settings link") << "pushButton" << 11;
        QTest::newRow("long-range text") << "textEdit" << 13;
        QTest::newRow("update notice") << "NewLabel" << 16;
        QTest::newRow("LED heading") << "label_14" << 19;
        QTest::newRow("LED mode 3 text") << "textEdit_4" << 22;
        QTest::newRow("sleep heading") << "label_12" << 39;
        QTest::newRow("idle time caption") << "label_13" << 40;
    }
    void pageTextsFollowTheLanguage()
    {
        QFETCH(QString, widget);
        QFETCH(int, item);
        FormSetting page;
        for (int language : {0, 1}) {
            PostMsg::GetInstance()->PostAllLanguage(language);
            QCOMPARE(shownText(page.findChild<QWidget*>(widget)), testsupport::tableText("FormSetting", language, item));
        }
    }

    // The version labels follow their captions' length; the footer and the
    // link come from the single company row, the link by language.
    void languagePlacesAndCompanyTexts_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<int>("versionX");
        QTest::addColumn<int>("updateX");
        QTest::addColumn<int>("linkItem");
        QTest::newRow("English") << 0 << 200 << 280 << 3;
        QTest::newRow("Czech") << 1 << 230 << 280 << 2;
        QTest::newRow("Slovak") << 2 << 200 << 330 << 2;
    }
    void languagePlacesAndCompanyTexts()
    {
        QFETCH(int, language);
        QFETCH(int, versionX);
        QFETCH(int, updateX);
        QFETCH(int, linkItem);
        testsupport::fillLanguageTables(3);
        FormSetting page;
        PostMsg::GetInstance()->PostAllLanguage(language);
        QCOMPARE(page.findChild<QLabel*>("label_5")->pos(), QPoint(versionX, 155));
        QCOMPARE(page.findChild<QLabel*>("label_7")->pos(), QPoint(versionX, 185));
        QCOMPARE(page.findChild<QToolButton*>("Receive_2")->pos(), QPoint(updateX, 170));
        QCOMPARE(page.findChild<QPushButton*>("pushButton_4")->text(), testsupport::tableText("English", 0, 0));
        QCOMPARE(page.findChild<QPushButton*>("pushButton_3")->text(), testsupport::tableText("English", 0, linkItem));
        auto* idleTimes = page.findChild<QWidget*>("frameClose")->findChild<QComboBox*>("StopClose");
        QCOMPARE(idleTimes->itemText(0), testsupport::tableText("FormSetting", language, 28));
        QCOMPARE(idleTimes->itemText(10), testsupport::tableText("FormSetting", language, 38));
    }

    // With the installed language files no design text of the form is left
    // on screen.
    void noFormTextLeftVisible_data()
    {
        QTest::addColumn<int>("language");
        QTest::newRow("English") << 0;
        QTest::newRow("Czech") << 1;
        QTest::newRow("Slovak") << 2;
    }
    void noFormTextLeftVisible()
    {
        QFETCH(int, language);
        clearLanguageTables();
        LanguageLoader().loadLanguageFiles(QCoreApplication::applicationDirPath() + QStringLiteral("/Language"));
        FormSetting page;
        PostMsg::GetInstance()->PostAllLanguage(language);
        for (const QWidget* widget : page.findChildren<QWidget*>()) {
            if (widget->isVisibleTo(&page))
                QVERIFY2(!hasCjk(shownText(widget)), qPrintable(widget->objectName()));
        }
    }

    void startsShortWithTheDeviceOptionsHidden()
    {
        FormSetting page;
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page, kTryTimeoutMs));
        QCOMPARE(page.findChild<QWidget*>("scrollAreaWidgetContents")->size(), QSize(880, 710));
        QCOMPARE(page.findChild<QPushButton*>("pushButton_3")->pos(), QPoint(610, 620));
        QCOMPARE(page.findChild<QPushButton*>("pushButton_4")->pos(), QPoint(490, 640));
        for (const char* name : {"TitleButton_6", "label_11", "checkBox_2", "textEdit", "TitleButton_7", "label_14",
                                 "ReUntil", "ReUntil_2", "ReUntil_3", "textEdit_2", "textEdit_3", "textEdit_4",
                                 "NewLabel", "Receive_2", "toolButton_2", "toolButton_3"})
            QVERIFY2(!page.findChild<QWidget*>(name)->isVisible(), name);
        QVERIFY(page.findChild<QWidget*>("frameClose")->isVisible());
        // No light outline around the page on styles other than Windows'.
        QCOMPARE(page.findChild<QFrame*>("FrameSetting")->frameShape(), QFrame::NoFrame);

        // The version text stays in view while the content scrolls.
        QScrollBar* bar = page.findChild<QScrollArea*>("scrollArea")->verticalScrollBar();
        QCOMPARE(bar->maximum(), 80);
        bar->setValue(50);
        QCOMPARE(page.findChild<QLabel*>("label")->pos(), QPoint(600, 80));
    }

    void skinTakesTheConfiguredColoursAndInstalledPictures()
    {
        testsupport::useSkinConfig();
        FormSetting page;
        ConfigSettings::resetForTests();
        QCOMPARE(page.findChild<QLabel*>("label_2")->styleSheet(), QString("QLabel{color: rgb(1,2,3;);}"));
        QVERIFY(page.findChild<QPushButton*>("pushButton_2")->styleSheet().contains("color: rgb(4,5,6;);"));
        QVERIFY(page.findChild<QPushButton*>("pushButton")->styleSheet().contains("color: rgb(1,2,3;);"));
        const QRegularExpression url(QStringLiteral("url\\(([^)]*)\\)"));
        QStringList pictures;
        for (const QWidget* widget : page.findChildren<QWidget*>()) {
            for (auto match = url.globalMatch(widget->styleSheet()); match.hasNext();)
                pictures << match.next().captured(1);
        }
        QVERIFY(pictures.size() > 10);
        for (const QString& picture : pictures)
            QVERIFY2(QFile::exists(picture), qPrintable(picture));
    }

    // The device reports its idle time in seconds; only the eleven known
    // times select an entry, and selecting one writes nothing back.
    void idleTimeFollowsTheDevice()
    {
        FormSetting page;
        auto* idleTimes = page.findChild<QWidget*>("frameClose")->findChild<QComboBox*>("StopClose");
        QSignalSpy changed(idleTimes, QOverload<int>::of(&QComboBox::currentIndexChanged));
        PostMsg* hub = PostMsg::GetInstance();
        hub->PostLightToFrom(300);
        QCOMPARE(idleTimes->currentIndex(), 3);
        hub->PostLightToFrom(2400);
        QCOMPARE(idleTimes->currentIndex(), 10);
        hub->PostLightToFrom(45);
        QCOMPARE(idleTimes->currentIndex(), 10);
        hub->PostLightToFrom(10);
        QCOMPARE(idleTimes->currentIndex(), 0);
        QCOMPARE(changed.count(), 0);
    }

    void repairDialogStartState()
    {
        UpDateRepair dialog;
        QCOMPARE(hubConnectFailures(), 0);
        auto* bar = dialog.findChild<QProgressBar*>("progressBar_2");
        auto* status = dialog.findChild<QLabel*>("ToolText_2");
        bar->setValue(40);
        bar->show();
        status->setText("old");
        dialog.resetView();
        QCOMPARE(bar->value(), 0);
        QVERIFY(bar->isHidden());
        QVERIFY(status->text().isEmpty());
        QVERIFY(!status->isHidden());
        QCOMPARE(dialog.findChild<QToolButton*>("NewHong_2")->text(), testsupport::tableText("AutoRepair", 0, 4));
        QCOMPARE(dialog.findChild<QToolButton*>("NewHong")->text(), testsupport::tableText("AutoRepair", 0, 1));
    }

    // The close and cancel buttons leave the dialog, shown from the home page
    // without waiting; only a running upgrade keeps it open.
    void leavingTheRepairDialog_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("bar");  // -1 hidden
        QTest::addColumn<bool>("deviceOpen");
        QTest::addColumn<bool>("upgrading");
        QTest::addColumn<bool>("closes");
        QTest::addColumn<QStringList>("signals_");
        QTest::newRow("close, start state") << "CloseButton" << -1 << false << false << true << QStringList{};
        QTest::newRow("cancel, start state") << "NewHong" << -1 << true << false << true << QStringList{};
        QTest::newRow("upgrading: stays") << "CloseButton" << 40 << false << true << false << QStringList{};
        QTest::newRow("finished") << "NewHong" << 100 << true << false << true << QStringList{"SetNewVer"};
        QTest::newRow("stopped with a device open")
            << "CloseButton" << 50 << true << false << true << QStringList{"ChangeMainDialog0"};
        QTest::newRow("stopped on the home page") << "CloseButton" << 50 << false << false << true << QStringList{};
    }
    void leavingTheRepairDialog()
    {
        QFETCH(QString, button);
        QFETCH(int, bar);
        QFETCH(bool, deviceOpen);
        QFETCH(bool, upgrading);
        QFETCH(bool, closes);
        QFETCH(QStringList, signals_);

        UpDateRepair dialog;
        dialog.resetView();
        dialog.show();
        auto* progress = dialog.findChild<QProgressBar*>("progressBar_2");
        if (bar >= 0) {
            progress->setValue(bar);
            progress->show();
        }
        deviceSessionActive = deviceOpen ? 1 : 0;
        repairUpgrading = upgrading;
        QObject receiver;
        QStringList emitted;
        PostMsg* hub = PostMsg::GetInstance();
        connect(hub, &PostMsg::SigSetNewVer, &receiver, [&] { emitted << "SetNewVer"; });
        connect(hub, &PostMsg::SigChangeMainDialog, &receiver,
                [&](int i) { emitted << "ChangeMainDialog" + QString::number(i); });

        dialog.findChild<QToolButton*>(button)->click();

        QCOMPARE(dialog.isVisible(), !closes);
        QCOMPARE(emitted, signals_);
        deviceSessionActive = 0;
        repairUpgrading = false;
    }

    void pairingDialogGivesTheHomePageItsCallbackBack()
    {
        Match dialog;
        dialog.InitPair();
        // The language texts stand in for the form's.
        QCOMPARE(dialog.findChild<QPushButton*>("MatchButton")->text(), testsupport::tableText("Match", 0, 2));
        QCOMPARE(dialog.findChild<QTextEdit*>("textEdit")->toPlainText(), testsupport::tableText("Match", 0, 1));
        QVERIFY(dialog.findChild<QLabel*>("label")->isHidden());
        hidsim::clearCallLog();
        static int homeCalls;
        homeCalls = 0;
        homeUsbChanged = [] { ++homeCalls; };
        dialog.findChild<QToolButton*>("CloseButton")->click();
        homeUsbChanged = nullptr;
        StopUsbChanged();
        const QVector<hidsim::Call> calls = hidsim::callLog();
        QVERIFY(!calls.isEmpty());
        QCOMPARE(calls.first().name, QString("StartUsbChanged"));
        QCOMPARE(calls.first().args, QStringList{"600"});
        // The registration calls it once at once.
        QCOMPARE(homeCalls, 1);
    }
};

QUEMBREL_TEST_MAIN(SettingsPagesTest)
#include "tst_settingspages.moc"
