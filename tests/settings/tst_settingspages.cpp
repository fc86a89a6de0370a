// What the home page and the device connection use of the settings page, the
// pairing dialog and the repair dialog.
#include "support/dialogfixture.h"
#include "support/testsupport.h"

#include "core/globals.h"
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
#include <QTextEdit>
#include <QToolButton>

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

    void autoStartSwitch()
    {
        FormSetting page;
        auto* box = page.findChild<QCheckBox*>("checkBox");
        box->click();
        QCOMPARE(UserSettings::instance()->value("AutoStart", "Enable"), QString("1"));
        QVERIFY(QFile::exists(autoStartDesktopFile()));
        box->click();
        QCOMPARE(UserSettings::instance()->value("AutoStart", "Enable"), QString("0"));
        QVERIFY(!QFile::exists(autoStartDesktopFile()));
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
        dialog.findChild<QToolButton*>("CloseButton")->click();
        const QVector<hidsim::Call> calls = hidsim::callLog();
        QVERIFY(!calls.isEmpty());
        QCOMPARE(calls.first().name, QString("StartUsbChanged"));
        QCOMPARE(calls.first().args, QStringList{"600"});
    }
};

QUEMBREL_TEST_MAIN(SettingsPagesTest)
#include "tst_settingspages.moc"
