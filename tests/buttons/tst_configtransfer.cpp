// The button page's configuration export, import and factory reset against
// the simulated device bus.
#include "support/devicefixture.h"
#include "support/dialogfixture.h"
#include "support/macrofixture.h"
#include "support/modalanswer.h"
#include "support/testsupport.h"

#include "buttons/buttoninterface.h"
#include "buttons/macroblockfile.h"
#include "core/flashdatamap.h"
#include "core/globals.h"
#include "core/postmsg.h"
#include "core/setters.h"
#include "core/worker.h"
#include "macro/macrofile.h"
#include "platform/hidusb/simcontrol.h"
#include "sensor/sensor.h"
#include "widgets/macroname.h"
#include "widgets/myconmbobox.h"
#include "widgets/pagedialogs.h"
#include "widgets/updataparam.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QRegularExpression>
#include <QFileDialog>
#include <QSignalSpy>
#include <QToolButton>

using testsupport::ModalAnswer;
using testsupport::chooseFile;

namespace {

// The wait dialog closes on its own.
const ModalAnswer::Answer letItRun = [](QDialog*) {};

int profileOf(const QString& id)
{
    hidsim::DeviceStatus status;
    return hidsim::device(id, &status) ? status.profile : -1;
}

QByteArray pageModel(Buttoninterface* page)
{
    QByteArray model;
    for (int k = 0; k < page->modelTypes().size(); ++k)
        model += char(page->modelTypes().at(k)) + QByteArray(1, char(page->modelValues1().at(k)))
            + char(page->modelValues2().at(k));
    return model;
}

} // namespace

class ConfigTransferTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<testsupport::DevicePages> pages;
    QTemporaryDir dir;

private slots:
    void initTestCase()
    {
        // The wait dialog decides as soon as its loop runs.
        UpDataParam::waitTimerMs = 1;
        UpDataParam::settleSleepMs = 1;
        UpDataParam::importSettleSteps = 1;
    }

    void init()
    {
        UpDataParam::stepMs = 10;
        hidsim::resetToDefaultBus();
        resetHubConnectFailures();
        testsupport::resetDeviceState();
        pages.reset(new testsupport::DevicePages);
        QCOMPARE(hubConnectFailures(), 0);
        testsupport::openDevice(testsupport::deviceEntry(QStringLiteral("q3")));
        QTRY_VERIFY(deviceRecordReceived);
        QVERIFY(hidsim::waitForIdle());
        // The pages' fills from the opening reach them queued: a late one
        // would otherwise acknowledge a wait that a test starts afterwards.
        QTRY_VERIFY(sensorPageUpdated && buttonPageUpdated);
        hidsim::clearCallLog();
    }

    void cleanup()
    {
        pages.reset();
        UsbServer_Exit();
    }

    void profileSwitchRefillsFromTheNewProfile()
    {
        Buttoninterface* page = pages->buttons.get();
        auto* choose = page->findChild<QComboBox*>(QStringLiteral("ProjectChoose"));
        QTRY_VERIFY(choose->count() >= 3);
        const QString rightButton = page->findChild<QToolButton*>(QStringLiteral("RightKey_3"))->text();
        const QString noFunction = page->findChild<QToolButton*>(QStringLiteral("DPI_5"))->text();

        // Profile 2 of the mouse has no function on its right button.
        QMetaObject::invokeMethod(page, "on_ProjectChoose_activated", Q_ARG(int, 2));
        QTRY_COMPARE(profileOf("q3"), 2);
        QVERIFY(hidsim::waitForIdle());
        QByteArray second = hidsim::storedRecord("q3");
        second[0x4A + 3] = 0;
        second[0x4A + 4] = 0;
        QVERIFY(hidsim::setStoredRecord("q3", second));

        for (int profile : {0, 2}) {
            hidsim::clearCallLog();
            QMetaObject::invokeMethod(page, "on_ProjectChoose_activated", Q_ARG(int, profile));
            QTRY_COMPARE(profileOf("q3"), profile);
            QVERIFY(hidsim::waitForIdle());
            const QByteArray stored = hidsim::storedRecord("q3");
            QTRY_COMPARE(testsupport::currentRecordBytes(), stored);
            QTRY_COMPARE(page->displayButton(1)->text(), profile == 2 ? noFunction : rightButton);
            QCOMPARE(pageModel(page), stored.mid(0x4A, 3 * page->modelTypes().size()));
            const QStringList calls = testsupport::callNames();
            QCOMPARE(calls.count("UsbServer_SetCurrentConfig"), 1);
            // The record the page filled from is sent back once, by the
            // device connection; the page's fill sends nothing.
            const QVector<QByteArray> sent = hidsim::recordsSent();
            QCOMPARE(sent.size(), 1);
            QCOMPARE(sent.first(), stored);
        }
        QCOMPARE(hidsim::storedRecord("q3"), second);
    }

    void profileSwitchOfflineReturnsTheSelector()
    {
        Buttoninterface* page = pages->buttons.get();
        auto* choose = static_cast<MyConmboBox*>(page->findChild<QComboBox*>(QStringLiteral("ProjectChoose")));
        QTRY_VERIFY(choose->count() >= 3);
        QVERIFY(hidsim::setOffline("q3", true));
        choose->previousIndex = 0;
        choose->setCurrentIndex(2);
        QSignalSpy offline(PostMsg::GetInstance(), &PostMsg::SigMouseOffLineo);
        QMetaObject::invokeMethod(page, "on_ProjectChoose_activated", Q_ARG(int, 2));
        QCOMPARE(choose->currentIndex(), 0);
        QCOMPARE(offline.size(), 1);
        QCOMPARE(offline.first().first().toInt(), 0);
        QVERIFY(!testsupport::callNames().contains("UsbServer_SetCurrentConfig"));
        QCOMPARE(profileOf("q3"), 0);
        QVERIFY(hidsim::setOffline("q3", false));
    }

    void exportThenImportRoundTrips()
    {
        const QString path = dir.filePath("q3.bin");
        FlashDataMap exported = CurrentFlashData;
        exported.lightColor[1] ^= 0x33;
        exported.dpiStageCount = 2;
        pages->buttons->SaveConfigFile(path, exported);
        QCOMPARE(QFileInfo(path).size(), qint64(10464));
        const QByteArray before = testsupport::currentRecordBytes();
        QVERIFY(before != flashDataBytes(exported));

        ModalAnswer modal({chooseFile(path), letItRun});
        QMetaObject::invokeMethod(pages->buttons.get(), "on_ImportData_clicked");

        QCOMPARE(modal.answered(), (QStringList{"QFileDialog", "UpDataParam"}));
        QCOMPARE(testsupport::currentRecordBytes(), flashDataBytes(exported));
        QCOMPARE(hidsim::recordsSent().size(), 1);
        QCOMPARE(hidsim::recordsSent().first(), flashDataBytes(exported));
        QCOMPARE(hidsim::storedRecord("q3"), flashDataBytes(exported));
        QCOMPARE(importFailReason, 0);
        QCOMPARE(importWaitText, uint8_t(0));
        QCOMPARE(waitDialogShown, uint8_t(0));
    }

    // An import writes the macros it carries into their files, the user's
    // other version kept beside, as the device's own record does; also when
    // it comes before that record, since the device holds it from then on.
    void importWritesItsMacros_data()
    {
        QTest::addColumn<bool>("received");  // the device's own record came before
        QTest::newRow("after the device's record") << true;
        QTest::newRow("before the device's record") << false;
    }

    void importWritesItsMacros()
    {
        QFETCH(bool, received);
        const QString path = dir.filePath("macro.bin");
        const QByteArray users = "9\n0x04 1 0\n";
        FlashDataMap exported = CurrentFlashData;
        exported.buttons[2] = ButtonParam{6, 2, 1};
        exported.macroBlocks[2] = macroBlockFromFile(QStringLiteral("Mine"), "1\n0x05 1 0\n10ms\n0x05 1 1\n");
        pages->buttons->SaveConfigFile(path, exported);
        QVERIFY(QDir().mkpath(macroFolder()));
        testsupport::writeFileBytes(macroFilePath(QStringLiteral("Mine")), users);
        deviceRecordReceived = received ? 1 : 0;
        QSignalSpy toMacro(PostMsg::GetInstance(), &PostMsg::SigButtonToMacro);

        ModalAnswer modal({chooseFile(path), letItRun});
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression("\"Mine\" replaces other events"));
        QMetaObject::invokeMethod(pages->buttons.get(), "on_ImportData_clicked");

        QCOMPARE(modal.answered(), (QStringList{"QFileDialog", "UpDataParam"}));
        QCOMPARE(hidsim::storedRecord("q3"), flashDataBytes(exported));
        QCOMPARE(deviceRecordReceived, uint8_t(1));
        QCOMPARE(testsupport::readFileBytes(macroFilePath(QStringLiteral("Mine"))), QByteArray("1\n"));
        QCOMPARE(testsupport::readFileBytes(replacedMacroFilePath(QStringLiteral("Mine"))), users);
        QCOMPARE(toMacro.size(), 1);
        QCOMPARE(toMacro.first().at(1).toInt(), 2);
    }

    // A name typed without an extension gets the filter's, so the import's
    // "*.bin" lists the file.
    void exportAddsTheFilterExtension_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("saved");
        QTest::newRow("no extension") << "cfg1" << "cfg1.bin";
        QTest::newRow("its extension") << "cfg2.bin" << "cfg2.bin";
        QTest::newRow("another extension") << "cfg3.old" << "cfg3.old";
    }
    void exportAddsTheFilterExtension()
    {
        QFETCH(QString, typed);
        QFETCH(QString, saved);
        ModalAnswer modal(chooseFile(dir.filePath(typed)));
        QMetaObject::invokeMethod(pages->buttons.get(), "on_OutputData_clicked");
        QCOMPARE(modal.answered(), QStringList{"QFileDialog"});
        QCOMPARE(QFileInfo(dir.filePath(saved)).size(), qint64(10464));
        if (typed != saved)
            QVERIFY(!QFileInfo::exists(dir.filePath(typed)));
    }

    // The file dialog's own message box (a file not found on import, the
    // question before a file is replaced on export) closes with the file
    // dialog when the device page is left: no modal window stays, and the
    // file dialog's answer reads and writes nothing.
    void fileDialogBoxGoesWithThePage_data()
    {
        QTest::addColumn<QString>("slot");
        QTest::addColumn<bool>("fileExists");
        QTest::newRow("import: file not found") << "on_ImportData_clicked" << false;
        QTest::newRow("export: replace the file?") << "on_OutputData_clicked" << true;
    }

    void fileDialogBoxGoesWithThePage()
    {
        QFETCH(QString, slot);
        QFETCH(bool, fileExists);
        const QString path = dir.filePath(QStringLiteral("kept.bin"));
        QFile::remove(path);
        const QByteArray kept("a file of the user's");
        if (fileExists)
            testsupport::writeFileBytes(path, kept);
        const QByteArray before = testsupport::currentRecordBytes();
        bool boxLeft = true;
        bool modalLeft = true;
        // The box's answer leaves the page; a box that stays is closed by
        // force after the time-out, which fails the test.
        ModalAnswer modal({chooseFile(path),
                           [&](QDialog* box) {
                               QVERIFY(box->inherits("QMessageBox"));
                               leaveDevicePage();
                               boxLeft = box->isVisible();
                               modalLeft = QApplication::activeModalWidget() != nullptr;
                           }},
                          5000);
        QMetaObject::invokeMethod(pages->buttons.get(), slot.toLatin1().constData());

        QCOMPARE(modal.answered(), (QStringList{"QFileDialog", "QMessageBox"}));
        QVERIFY(!boxLeft);
        QVERIFY(!modalLeft);
        QVERIFY(!modal.forced());
        QVERIFY(!QApplication::activeModalWidget());
        QVERIFY(hidsim::recordsSent().isEmpty());
        QCOMPARE(testsupport::currentRecordBytes(), before);
        QCOMPARE(QFileInfo::exists(path), fileExists);
        if (fileExists)
            QCOMPARE(testsupport::readFileBytes(path), kept);
    }

    // An export that cannot be written says so and leaves no file behind.
    void exportThatCannotBeWrittenSaysSo_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("folder that does not exist") << dir.filePath("missing/cfg.bin");
        QTest::newRow("a folder's name") << dir.path();
    }
    void exportThatCannotBeWrittenSaysSo()
    {
        QFETCH(QString, path);
        testsupport::fillLanguageTables(1);
        const bool existed = QFileInfo::exists(path);
        const QStringList files = QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        QString shown;
        ModalAnswer modal(testsupport::inspectThen(
            [&](QDialog* notice) { shown = notice->findChild<QLabel*>(QStringLiteral("label"))->text(); },
            testsupport::clickButton("NewHong")));
        pages->buttons->SaveConfigFile(path, CurrentFlashData);
        QCOMPARE(modal.answered(), QStringList{"InportFail"});
        QCOMPARE(shown, testsupport::tableText("InportFail", 0, 3));
        QCOMPARE(QFileInfo::exists(path), existed);
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), files);
    }

    void importOfAnotherModelIsRefused()
    {
        const QString path = dir.filePath("q7.bin");
        const QByteArray before = testsupport::currentRecordBytes();
        currentDevice.modelIndex = 0;  // exported as the Q7 Pro (sensor 3395)
        pages->buttons->SaveConfigFile(path, CurrentFlashData);
        currentDevice.modelIndex = 1;

        ModalAnswer modal({chooseFile(path), letItRun, testsupport::clickButton("NewHong")});
        QMetaObject::invokeMethod(pages->buttons.get(), "on_ImportData_clicked");

        QCOMPARE(modal.answered(), (QStringList{"QFileDialog", "UpDataParam", "InportFail"}));
        QCOMPARE(importFailReason, 2);
        QVERIFY(hidsim::recordsSent().isEmpty());
        QCOMPARE(testsupport::currentRecordBytes(), before);
    }

    // Macros that each fit their block but together not the mouse's memory:
    // the device refuses the record, and the page keeps what it had.
    void importTheDeviceRefusesChangesNothing()
    {
        const QString path = dir.filePath("big.bin");
        FlashDataMap big = CurrentFlashData;
        testsupport::fillEveryMacro(&big);
        pages->buttons->SaveConfigFile(path, big);
        const QByteArray before = testsupport::currentRecordBytes();
        const QByteArray stored = hidsim::storedRecord("q3");
        QSignalSpy refill(PostMsg::GetInstance(), &PostMsg::SigUpDataButtonUIC);

        ModalAnswer modal({chooseFile(path), letItRun, testsupport::clickButton("NewHong")});
        QMetaObject::invokeMethod(pages->buttons.get(), "on_ImportData_clicked");

        QCOMPARE(modal.answered(), (QStringList{"QFileDialog", "UpDataParam", "InportFail"}));
        QCOMPARE(importFailReason, 2);
        QCOMPARE(testsupport::currentRecordBytes(), before);
        QCOMPARE(hidsim::storedRecord("q3"), stored);
        QCOMPARE(hidsim::recordsTaken(), 0);
        QCOMPARE(refill.size(), 0);
        QCOMPARE(waitDialogShown, uint8_t(0));

        // The next edit reaches the device as before.
        QVERIFY(SetLightSpeed(CurrentFlashData.lightSpeed ^ 1));
        QCOMPARE(hidsim::storedRecord("q3"), testsupport::currentRecordBytes());
    }

    void offlineImportAndResetAskNothing_data()
    {
        QTest::addColumn<QString>("slot");
        QTest::newRow("import") << "on_ImportData_clicked";
        QTest::newRow("reset") << "on_Reset_clicked";
    }

    void offlineImportAndResetAskNothing()
    {
        QFETCH(QString, slot);
        QVERIFY(hidsim::setOffline("q3", true));
        QSignalSpy offline(PostMsg::GetInstance(), &PostMsg::SigMouseOffLineo);
        ModalAnswer modal(QList<ModalAnswer::Answer>{});
        QMetaObject::invokeMethod(pages->buttons.get(), slot.toLatin1().constData());
        QCOMPARE(offline.size(), 1);
        QCOMPARE(offline.first().first().toInt(), 0);
        QCOMPARE(modal.answeredCount(), 0);
        QVERIFY(hidsim::recordsSent().isEmpty());
        QVERIFY(hidsim::setOffline("q3", false));
    }

    void resetBeforeTheDeviceRecordSendsNothing()
    {
        // Online, but the record in memory is not yet this device's own.
        deviceRecordReceived = 0;
        QSignalSpy offline(PostMsg::GetInstance(), &PostMsg::SigMouseOffLineo);
        ModalAnswer modal(QList<ModalAnswer::Answer>{});
        QMetaObject::invokeMethod(pages->buttons.get(), "on_Reset_clicked");
        QCOMPARE(offline.size(), 1);
        QCOMPARE(modal.answeredCount(), 0);
        QVERIFY(hidsim::recordsSent().isEmpty());
        QVERIFY(!testsupport::callNames().contains("UsbServer_SetClearSetting"));
    }

    void exportBeforeTheDeviceRecordWritesNothing()
    {
        deviceRecordReceived = 0;
        QSignalSpy offline(PostMsg::GetInstance(), &PostMsg::SigMouseOffLineo);
        ModalAnswer modal(QList<ModalAnswer::Answer>{});
        QMetaObject::invokeMethod(pages->buttons.get(), "on_OutputData_clicked");
        QCOMPARE(offline.size(), 1);
        QCOMPARE(offline.first().first().toInt(), 0);
        QVERIFY(!modal.forced());  // no file was asked for
        QCOMPARE(modal.answeredCount(), 0);
    }

    void cancelledResetSendsNothing()
    {
        ModalAnswer modal(testsupport::clickButton("Cancel"));
        QMetaObject::invokeMethod(pages->buttons.get(), "on_Reset_clicked");
        QCOMPARE(modal.answered(), QStringList{"ContainReset"});
        QVERIFY(!testsupport::callNames().contains("UsbServer_SetClearSetting"));
        QVERIFY(hidsim::recordsSent().isEmpty());
    }

    void resetSendsTheRecordThenClearsAndWaitsForThePages()
    {
        // The pages acknowledge once the worker has read the device again: the
        // wait's twelve attempts must span that on a loaded machine too.
        UpDataParam::stepMs = 1500;
        // As the opening's wait dialog leaves them: only the re-read after
        // the reset can acknowledge.
        sensorPageUpdated = 0;
        buttonPageUpdated = 0;
        const QByteArray sent = testsupport::currentRecordBytes();
        bool timerStoppedDuringWait = false;
        QSignalSpy offline(PostMsg::GetInstance(), &PostMsg::SigMouseOffLineo);
        ModalAnswer modal({testsupport::clickButton("OK"), testsupport::inspectThen([&](QDialog*) {
                               timerStoppedDuringWait = !deviceWorker->onlineTimer()->isActive();
                           }, letItRun)});
        QMetaObject::invokeMethod(pages->buttons.get(), "on_Reset_clicked");

        QCOMPARE(modal.answered(), (QStringList{"ContainReset", "UpDataParam"}));
        const QStringList calls = testsupport::callNames();
        const int optimize = calls.indexOf("UsbServer_SetBatteryOptimizeEnable");
        const int update = calls.indexOf("ProtocolDataUpdate");
        const int clear = calls.indexOf("UsbServer_SetClearSetting");
        QVERIFY(optimize >= 0);
        QVERIFY(optimize < update);
        QVERIFY(update < clear);
        QCOMPARE(hidsim::recordsSent().value(0), sent);
        QVERIFY(timerStoppedDuringWait);
        QVERIFY(deviceWorker->onlineTimer()->isActive());
        QCOMPARE(waitDialogShown, uint8_t(0));
        // The device's configuration was read again and both pages took it.
        QCOMPARE(offline.size(), 0);
        QVERIFY(calls.lastIndexOf("UsbServer_ReadAllFlashData") > clear);
    }
};

QUEMBREL_TEST_MAIN(ConfigTransferTest)
#include "tst_configtransfer.moc"
