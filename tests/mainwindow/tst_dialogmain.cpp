#include "support/testsupport.h"

#include "core/globals.h"
#include "core/languagetable.h"
#include "core/postmsg.h"
#include "core/registry.h"
#include "core/settings.h"
#include "mainwindow/dialog.h"
#include "mainwindow/dialogchange.h"
#include "mainwindow/dialogmain.h"
#include "platform/hidusb/simcontrol.h"
#include "widgets/notices.h"

#include <QMenu>
#include <QStackedWidget>

class DialogMainTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<DialogMain> window;

    QStackedWidget* stack() const { return window->findChild<QStackedWidget*>("stackedWidgetMain"); }

    static QStringList callNames()
    {
        QStringList names;
        for (const hidsim::Call& call : hidsim::callLog())
            names << (call.args.isEmpty() ? call.name : call.name + '(' + call.args.join(',') + ')');
        return names;
    }

    void sendMouse(QEvent::Type type, const QPoint& global, Qt::MouseButton button, Qt::MouseButtons buttons)
    {
        QMouseEvent event(type, window->mapFromGlobal(global), global, button, buttons, Qt::NoModifier);
        QApplication::sendEvent(window.get(), &event);
    }

private slots:
    void initTestCase()
    {
        QApplication::setQuitOnLastWindowClosed(false);
        DialogMain::homeReturnSleepMs = 1;
        DialogMain::quitWaitMs = 1;
        DialogMain::systemTrayAvailable = [] { return true; };
    }

    void init()
    {
        hidsim::resetToDefaultBus();
        resetHubConnectFailures();
        window = std::make_unique<DialogMain>();
        window->show();
        hidsim::clearCallLog();
    }

    void cleanup()
    {
        window.reset();
        UserSettings::instance()->remove("Language", "Language");
    }

    void buildsFramelessWithTwoPages()
    {
        QCOMPARE(hubConnectFailures(), 0);
        QCOMPARE(window->size(), QSize(1020, 700));
        QCOMPARE(window->minimumSize(), window->maximumSize());
        QVERIFY(window->windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(window->windowTitle(), QString("Quembrel"));
        QCOMPARE(stack()->count(), 2);
        QVERIFY(qobject_cast<DialogChange*>(stack()->widget(0)));
        QVERIFY(qobject_cast<Dialog*>(stack()->widget(1)));
        QCOMPARE(stack()->currentIndex(), 0);
        QVERIFY(!window->trayIcon->isVisible());
        QCOMPARE(window->trayIcon->toolTip(), QString("Quembrel"));
        // The installation's language files, read at construction.
        QCOMPARE(SensorTexts.rowCount(), 3);
        QCOMPARE(CompanyTexts.rowCount(), 1);
    }

    void startsInStoredLanguageAndAnnouncesIt()
    {
        window.reset();
        RegistryKey(productRegistryKey()).setValue("LanguageIndex", "2");
        QStringList order;
        PostMsg* hub = PostMsg::GetInstance();
        QObject receiver;
        connect(hub, &PostMsg::SigLanguageSameA, &receiver, [&](int i) { order << "A" + QString::number(i); });
        connect(hub, &PostMsg::SigLanguageSameB, &receiver, [&](int i) { order << "B" + QString::number(i); });
        connect(hub, &PostMsg::SigAllLanguage, &receiver, [&](int i) { order << "All" + QString::number(i); });
        window = std::make_unique<DialogMain>();
        QCOMPARE(languageIndex, 2);
        QCOMPARE(order, (QStringList{"A2", "B2", "All2"}));
        QVERIFY(!RegistryKey(productRegistryKey()).contains("LanguageIndex"));
    }

    void hideRequestsGoToTheTray_data()
    {
        QTest::addColumn<int>("request");
        QTest::addColumn<QStringList>("calls");
        QTest::newRow("device page minimise") << 0 << QStringList{"UsbServer_SetPCDriverStatus(0)"};
        QTest::newRow("home page minimise") << 2 << QStringList{};
    }

    void hideRequestsGoToTheTray()
    {
        QFETCH(int, request);
        QFETCH(QStringList, calls);
        DialogMainTexts.clear();
        DialogMainTexts.appendRow({"Main window", "Exit"});
        DialogMainTexts.appendRow({"Hlavní okno", "Konec"});
        PostMsg::GetInstance()->PostAllLanguage(1);

        PostMsg::GetInstance()->PostChangeSize(request);
        PostMsg::GetInstance()->PostChangeSize(request);
        QVERIFY(!window->isVisible());
        QVERIFY(window->trayIcon->isVisible());
        QCOMPARE(callNames(), calls + calls);
        // Two hides leave one menu, in the language of the last change.
        const QList<QMenu*> menus = window->findChildren<QMenu*>();
        QCOMPARE(menus.size(), 1);
        QCOMPARE(window->trayIcon->contextMenu(), menus.first());
        const QList<QAction*> actions = menus.first()->actions();
        QCOMPARE(actions.size(), 3);
        QCOMPARE(actions[0]->text(), QString("Hlavní okno"));
        QVERIFY(actions[1]->isSeparator());
        QCOMPARE(actions[2]->text(), QString("Konec"));

        // A language change shows at the next hide; a missing row never breaks it.
        PostMsg::GetInstance()->PostAllLanguage(7);
        window->trayIcon->activated(QSystemTrayIcon::Trigger);
        QTRY_VERIFY(window->isVisible());
        QVERIFY(!window->trayIcon->isVisible());
        PostMsg::GetInstance()->PostChangeSize(request);
        QCOMPARE(window->trayMenu->actions()[0]->text(), QString("Main window"));

        window->actionMain->trigger();
        QVERIFY(window->isVisible());
        QVERIFY(!window->trayIcon->isVisible());
    }

    void trayShowsDevicePageAgainWithDriverStatus()
    {
        PostMsg::GetInstance()->PostChangeMainDialog(1);
        PostMsg::GetInstance()->PostChangeSize(0);
        hidsim::clearCallLog();
        window->trayIcon->activated(QSystemTrayIcon::Trigger);
        // Not inside the tray's own handler: an X11 tray icon is deleted
        // when it is hidden.
        QVERIFY(!window->isVisible());
        QVERIFY(window->trayIcon->isVisible());
        QTRY_VERIFY(window->isVisible());
        QVERIFY(!window->trayIcon->isVisible());
        QCOMPARE(callNames(), QStringList{"UsbServer_SetPCDriverStatus(1)"});
    }

    void contextClickRunsTheOneTrayMenu()
    {
        PostMsg::GetInstance()->PostChangeSize(2);
        PostMsg::GetInstance()->PostChangeSize(2);
        QList<QWidget*> menusShown;
        QTimer poll;
        connect(&poll, &QTimer::timeout, [&] {
            if (QWidget* popup = QApplication::activePopupWidget()) {
                menusShown << popup;
                window->actionMain->trigger();
                popup->close();
            }
        });
        poll.start(5);
        window->trayIcon->activated(QSystemTrayIcon::Context);
        QVERIFY(menusShown.isEmpty());
        QTRY_VERIFY(window->isVisible());
        QCOMPARE(menusShown, QList<QWidget*>{window->trayMenu});
        QVERIFY(!window->trayIcon->isVisible());
    }

    void withoutATrayMinimiseKeepsTheWindowReachable_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("request");
        QTest::addColumn<QStringList>("restoreCalls");
        QTest::newRow("device page") << 1 << 0 << QStringList{"UsbServer_SetPCDriverStatus(1)"};
        QTest::newRow("home page") << 0 << 2 << QStringList{};
    }

    void withoutATrayMinimiseKeepsTheWindowReachable()
    {
        QFETCH(int, page);
        QFETCH(int, request);
        QFETCH(QStringList, restoreCalls);
        DialogMain::systemTrayAvailable = [] { return false; };
        if (page == 1)
            PostMsg::GetInstance()->PostChangeMainDialog(1);
        PostMsg::GetInstance()->PostChangeSize(request);
        DialogMain::systemTrayAvailable = [] { return true; };
        QVERIFY(window->isVisible());
        QVERIFY(window->isMinimized());
        QVERIFY(!window->trayIcon->isVisible());
        QVERIFY(!window->trayMenu);

        hidsim::clearCallLog();
        window->setWindowState(Qt::WindowNoState);
        QCOMPARE(callNames(), restoreCalls);
    }

    void closeRequestsQuit_data()
    {
        QTest::addColumn<int>("request");
        QTest::addColumn<QStringList>("calls");
        QTest::newRow("device page close")
            << 1 << QStringList{"UsbServer_SetPCDriverStatus(0)", "StopUsbChanged", "UsbServer_Exit"};
        QTest::newRow("home page close") << 3 << QStringList{"StopUsbChanged", "UsbServer_Exit"};
    }

    void closeRequestsQuit()
    {
        QFETCH(int, request);
        QFETCH(QStringList, calls);
        PostMsg::GetInstance()->PostChangeSize(request);
        QVERIFY(!window->isVisible());
        QVERIFY(!window->trayIcon->isVisible());
        QCOMPARE(callNames(), calls);
    }

    void pageSwitches()
    {
        QSignalSpy second(PostMsg::GetInstance(), &PostMsg::SigSecondPageChange);
        QSignalSpy main(PostMsg::GetInstance(), &PostMsg::SigMainPageChange);
        QSignalSpy rescan(PostMsg::GetInstance(), &PostMsg::SigSetver);
        deviceWriteEnabled = 0;
        PostMsg::GetInstance()->PostChangeMainDialog(1);
        QCOMPARE(stack()->currentIndex(), 1);
        QCOMPARE(deviceWriteEnabled, uint8_t(1));
        // The device page's rescan is registered and runs once at once.
        QCOMPARE(callNames().value(0), QStringLiteral("StartUsbChanged(600)"));
        QCOMPARE(rescan.count(), 1);
        QCOMPARE(rescan.at(0).at(0).toInt(), 4);

        hidsim::clearCallLog();
        deviceWriteEnabled = 0;
        deviceSessionActive = 1;
        PostMsg::GetInstance()->PostChangeMainDialog(0);
        QCOMPARE(stack()->currentIndex(), 0);
        QCOMPARE(deviceWriteEnabled, uint8_t(1));
        QCOMPARE(deviceSessionActive, 0);
        QCOMPARE(second.count(), 1);
        QCOMPARE(main.count(), 1);
        // The home page's rescan, run by its callback, follows.
        QCOMPARE(callNames().mid(0, 2), (QStringList{"UsbServer_Exit", "StartUsbChanged(600)"}));
        QVERIFY(callNames().contains("UsbFinderC_GetDeviceInfo(/dev/hidsim/q3)"));

        hidsim::clearCallLog();
        deviceWriteEnabled = 0;
        PostMsg::GetInstance()->PostChangeMainDialog(5);
        QCOMPARE(stack()->currentIndex(), 0);
        QCOMPARE(deviceWriteEnabled, uint8_t(1));
        QVERIFY(callNames().isEmpty());
    }

    void offlineNoticeRunsUntilTheDeviceAnswers()
    {
        offlineNoticePending = 0;
        reloadRequested = 0;
        window->move(200, 100);
        MouseOffLine* shown = nullptr;
        QPoint centreOffset;
        QTimer::singleShot(0, [&] {
            shown = qobject_cast<MouseOffLine*>(QApplication::activeModalWidget());
            if (shown)
                centreOffset = shown->geometry().center() - window->geometry().center();
            PostMsg::GetInstance()->PostCloseOffOnline();
        });
        PostMsg::GetInstance()->PostMouseOffLineo(1);
        QVERIFY(shown);
        // Centred on the window, 20 pixels up (integer halves).
        QVERIFY2(qAbs(centreOffset.x()) <= 1 && qAbs(centreOffset.y() + 20) <= 1,
                 qPrintable(QString("%1,%2").arg(centreOffset.x()).arg(centreOffset.y())));
        QCOMPARE(offlineNoticeKind, 1);
        QCOMPARE(offlineNoticePending, uint8_t(1));
        QCOMPARE(reloadRequested, uint8_t(1));
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
    }

    void dragMovesWithTheLeftButtonOnly()
    {
        window->move(100, 100);
        const QPoint start = window->pos() + QPoint(50, 20);
        sendMouse(QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
        sendMouse(QEvent::MouseMove, start + QPoint(30, 40), Qt::NoButton, Qt::LeftButton);
        QCOMPARE(window->pos(), QPoint(130, 140));
        sendMouse(QEvent::MouseMove, start + QPoint(60, 60), Qt::NoButton, Qt::LeftButton | Qt::RightButton);
        sendMouse(QEvent::MouseMove, start + QPoint(60, 60), Qt::NoButton, Qt::RightButton);
        QCOMPARE(window->pos(), QPoint(130, 140));
        sendMouse(QEvent::MouseButtonRelease, start + QPoint(30, 40), Qt::LeftButton, Qt::NoButton);
        sendMouse(QEvent::MouseMove, start + QPoint(90, 90), Qt::NoButton, Qt::LeftButton);
        QCOMPARE(window->pos(), QPoint(130, 140));
    }

    void keysNeverCloseTheWindow()
    {
        QSignalSpy enter(PostMsg::GetInstance(), &PostMsg::SigEnterKey);
        QTest::keyClick(window.get(), Qt::Key_Escape);
        QTest::keyClick(window.get(), Qt::Key_F12);
        QVERIFY(window->isVisible());
        QTest::keyClick(window.get(), Qt::Key_Return);
        QTest::keyClick(window.get(), Qt::Key_Enter);
        QCOMPARE(enter.count(), 2);
        QVERIFY(window->isVisible());
        macroRecording = 1;
        QTest::keyClick(window.get(), Qt::Key_Return);
        macroRecording = 0;
        QCOMPARE(enter.count(), 2);
    }
};

QUEMBREL_TEST_MAIN(DialogMainTest)
#include "tst_dialogmain.moc"
