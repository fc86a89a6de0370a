#pragma once
// The program's only top-level window: a frameless, fixed-size frame around
// the home page and the device page, with a tray icon to hide into.
#include <QDialog>
#include <QPoint>
#include <QString>
#include <QSystemTrayIcon>

class Dialog;
class DialogChange;
class QAction;
class QMenu;

namespace Ui {
class DialogMain;
}

class DialogMain : public QDialog
{
    Q_OBJECT
    friend class DialogMainTest;

public:
    explicit DialogMain(QWidget* parent = nullptr);
    ~DialogMain() override;

    // The blocking pause after a device connection ends, on the way back to
    // the home page, and the event-processing wait before quitting.
    static int homeReturnSleepMs;
    static int quitWaitMs;

    // Whether the desktop shows tray icons; tests put their own answer here.
    static bool (*systemTrayAvailable)();

    // Reads the installation's language files into the text tables.
    void loadLanguageFiles();

    void on_activatedSysTrayIcon(QSystemTrayIcon::ActivationReason reason);

public slots:
    void SlotChangeMainDialog(int page);
    void SlotChangeSize(int request);
    void SlotMouseOffLine(int kind);
    void slotActionMain();
    void slotActionExitApp();
    void SlotAllLanguage(int index);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // Space: pairing, or a firmware warning or repair, for the open device
    // or the one receiver on the home page.
    void pairingKey();
    void hideToTray();
    void showFromTray();

    Ui::DialogMain* ui;
    DialogChange* homePage = nullptr;
    Dialog* devicePage = nullptr;
    QSystemTrayIcon* trayIcon = nullptr;
    QMenu* trayMenu = nullptr;
    QAction* actionMain = nullptr;
    QAction* actionExitApp = nullptr;
    bool trayActivationConnected = false;
    QString trayMainText;
    QString trayExitText;
    QString pictureDir;

    QPoint pressGlobalPos;
    QPoint pressWindowPos;
    QPoint dragOffset;
};
