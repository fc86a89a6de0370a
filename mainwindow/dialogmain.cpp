#include "mainwindow/dialogmain.h"

#include "ui_dialogmain.h"

#include "core/globals.h"
#include "core/languagetable.h"
#include "core/postmsg.h"
#include "core/product.h"
#include "core/registry.h"
#include "core/settings.h"
#include "core/waits.h"
#include "core/worker.h"
#include "mainwindow/dialog.h"
#include "mainwindow/dialogchange.h"
#include "mainwindow/paircheck.h"
#include "platform/hidusb/hidusb.h"
#include "settings/match.h"
#include "settings/updaterepair.h"
#include "widgets/confirmations.h"
#include "widgets/dialogframe.h"
#include "widgets/notices.h"

#include <QAction>
#include <QCursor>
#include <QDebug>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QThread>

int DialogMain::homeReturnSleepMs = 100;
int DialogMain::quitWaitMs = 200;
bool (*DialogMain::systemTrayAvailable)() = QSystemTrayIcon::isSystemTrayAvailable;

DialogMain::DialogMain(QWidget* parent)
    : QDialog(parent)
    , ui(new Ui::DialogMain)
{
    ui->setupUi(this);
    loadLanguageFiles();
    migrateLanguageIndex();
    languageIndex = UserSettings::instance()->value(QStringLiteral("Language"), QStringLiteral("Language")).toInt();

    pictureDir = installDir() + QStringLiteral("/Picture/Dialog/");
    devicePage = new Dialog(this);
    homePage = new DialogChange(this);
    ui->stackedWidgetMain->addWidget(homePage);
    ui->stackedWidgetMain->addWidget(devicePage);
    ui->stackedWidgetMain->setCurrentWidget(homePage);

    setWindowFlags(Qt::FramelessWindowHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint);
    setFixedSize(size());

    hubConnect(SIGNAL(SigAllLanguage(int)), this, SLOT(SlotAllLanguage(int)));
    hubConnect(SIGNAL(SigChangeMainDialog(int)), this, SLOT(SlotChangeMainDialog(int)));
    hubConnect(SIGNAL(SigChangeSize(int)), this, SLOT(SlotChangeSize(int)));
    hubConnect(SIGNAL(SigMouseOffLineo(int)), this, SLOT(SlotMouseOffLine(int)));
    trayIcon = new QSystemTrayIcon;
    trayIcon->setIcon(QIcon(pictureDir + QStringLiteral("Logo.png")));
    trayIcon->setToolTip(QLatin1String(kProductName));

    PostMsg* hub = PostMsg::GetInstance();
    hub->PostLanguageSameA(languageIndex);
    hub->PostLanguageSameB(languageIndex);
    hub->PostAllLanguage(languageIndex);
}

DialogMain::~DialogMain()
{
    delete devicePage;
    delete homePage;
    delete trayIcon;
    delete ui;
}

void DialogMain::loadLanguageFiles()
{
    // Read once per main window; a second window (tests) starts afresh.
    clearLanguageTables();
    LanguageLoader().loadLanguageFiles(installDir() + QStringLiteral("/Language"));
}

void DialogMain::SlotAllLanguage(int index)
{
    trayMainText = DialogMainTexts.text(index, 0);
    trayExitText = DialogMainTexts.text(index, 1);
}

void DialogMain::SlotChangeMainDialog(int page)
{
    deviceWriteEnabled = 1;
    if (page == 0) {
        PostMsg* hub = PostMsg::GetInstance();
        hub->PostSecondPageChange();
        deviceSessionActive = 0;
        hub->PostMainPageChange();
        UsbServer_Exit();
        QThread::msleep(static_cast<unsigned long>(homeReturnSleepMs));
        ui->stackedWidgetMain->setCurrentWidget(homePage);
        StartUsbChanged(DialogChange::onUsbChanged, kUsbChangedInterval);
    } else if (page == 1) {
        devicePage->resetBatteryIndicator();
        ui->stackedWidgetMain->setCurrentWidget(devicePage);
        // Before the page is first painted: nothing of the device opened
        // before shows behind this one's first wait.
        devicePage->showLastKnownSettings();
        StartUsbChanged(Worker::onUsbChanged, kUsbChangedInterval);
    }
}

void DialogMain::SlotChangeSize(int request)
{
    if (request == 0 || request == 1)
        UsbServer_SetPCDriverStatus(0);
    if (request == 0 || request == 2) {
        hideToTray();
    } else if (request == 1 || request == 3) {
        qDebug() << "close";
        StopUsbChanged();
        waitWithEvents(quitWaitMs);
        UsbServer_Exit();
        close();
    }
}

void DialogMain::hideToTray()
{
    // Hidden without a tray to show it again, the window would be lost while
    // its process still holds the single instance: it goes to the task bar.
    if (!systemTrayAvailable()) {
        showMinimized();
        return;
    }
    hide();
    // The menu of an earlier hide goes with its actions; the new one takes
    // the texts of the current language.
    delete trayMenu;
    delete actionMain;
    delete actionExitApp;
    actionMain = new QAction(trayMainText, this);
    connect(actionMain, &QAction::triggered, this, &DialogMain::slotActionMain);
    actionExitApp = new QAction(trayExitText, this);
    connect(actionExitApp, &QAction::triggered, this, &DialogMain::slotActionExitApp);
    trayMenu = new QMenu(this);
    trayMenu->addAction(actionMain);
    trayMenu->addSeparator();
    trayMenu->addAction(actionExitApp);
    trayIcon->setContextMenu(trayMenu);
    if (!trayActivationConnected) {
        // Handled once the tray's own handler has returned: an X11 tray icon
        // emits this from its mouse handler and is deleted when hidden, so
        // hiding it (or running the menu) in there would return into a
        // deleted object.
        connect(trayIcon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
            QMetaObject::invokeMethod(
                this, [this, reason] { on_activatedSysTrayIcon(reason); }, Qt::QueuedConnection);
        });
        trayActivationConnected = true;
    }
    trayIcon->show();
}

void DialogMain::showFromTray()
{
    show();
    activateWindow();
    raise();
    if (ui->stackedWidgetMain->currentWidget() == devicePage)
        UsbServer_SetPCDriverStatus(1);
    trayIcon->hide();
}

void DialogMain::on_activatedSysTrayIcon(QSystemTrayIcon::ActivationReason reason)
{
    switch (reason) {
    case QSystemTrayIcon::Context:
        if (trayMenu)
            trayMenu->exec(QCursor::pos());
        break;
    case QSystemTrayIcon::DoubleClick:
        show();
        activateWindow();
        raise();
        trayIcon->hide();
        break;
    case QSystemTrayIcon::Trigger:
        showFromTray();
        break;
    default:
        break;
    }
}

void DialogMain::slotActionMain()
{
    showFromTray();
}

void DialogMain::slotActionExitApp()
{
    // Leaves the event loop at once; main then deletes the window, so the
    // pages shut down as on any other exit.
    QCoreApplication::exit(0);
}

void DialogMain::SlotMouseOffLine(int kind)
{
    offlineNoticeKind = kind;
    MouseOffLine notice(nullptr);
    placeDialog(&notice, this, 0, -20);
    offlineNoticePending = 1;
    reloadRequested = 1;
    notice.exec();
}

void DialogMain::changeEvent(QEvent* event)
{
    // Back from the task bar, as from the tray: the device page drives the
    // device again.
    if (event->type() == QEvent::WindowStateChange
        && (static_cast<QWindowStateChangeEvent*>(event)->oldState() & Qt::WindowMinimized) && !isMinimized()
        && ui->stackedWidgetMain->currentWidget() == devicePage)
        UsbServer_SetPCDriverStatus(1);
    QDialog::changeEvent(event);
}

void DialogMain::mousePressEvent(QMouseEvent* event)
{
    pressGlobalPos = event->globalPos();
    pressWindowPos = pos();
    dragOffset = pressGlobalPos - pressWindowPos;
}

void DialogMain::mouseReleaseEvent(QMouseEvent* /*event*/)
{
    dragOffset = QPoint();
}

void DialogMain::mouseMoveEvent(QMouseEvent* event)
{
    if (event->buttons() == Qt::LeftButton && !isMaximized() && !dragOffset.isNull())
        move(event->globalPos() - dragOffset);
}

void DialogMain::keyPressEvent(QKeyEvent* event)
{
    // Never the dialog's own key handling: Escape would hide the only window.
    if (macroRecording)
        return;
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_F12:
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        PostMsg::GetInstance()->PostEnterKey();
        return;
    case Qt::Key_Space:
        pairingKey();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

void DialogMain::pairingKey()
{
    if (ui->stackedWidgetMain->currentWidget() == devicePage) {
        pairTargetSet = 1;
        pairOpenDevice(this);
        return;
    }

    if (foundDevices.size() != 1 || foundDevices.first().isMouse != 0)
        return;
    // No device is open on the home page, so the connection is not given
    // back to whatever devicePath last named.
    const auto pairReceiver = [this] {
        pairTargetSet = 0;
        runPairingDialog(this);
    };
    const PairCheck check(foundDevices.first());
    if (check.mouseVersion().isEmpty()) {
        pairReceiver();
        return;
    }
    const bool mouseUpdate = check.mouseUpdate();
    UpDateRepair repair(nullptr);
    placeDialog(&repair, this, 0, 0);
    const bool receiverUpdate = check.receiverUpdate();

    if (receiverUpdate == mouseUpdate) {
        pairReceiver();
    } else if (mouseUpdate) {
        UpDateWarning warning(nullptr);
        warning.setWarningText(updateWarningText);
        placeDialog(&warning, this, -20, 0);
        warning.exec();
    } else {
        ContainReset confirm(nullptr);
        confirm.setMessageText(homeKeyMessageText);
        placeDialog(&confirm, this, -20, 0);
        confirm.exec();
        if (confirm.okClicked) {
            repair.startManualRepair(0);
            repair.exec();
        }
    }
}
