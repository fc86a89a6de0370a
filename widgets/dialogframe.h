#pragma once
// What the program's small dialogs share: their window flags, their skin,
// font scaling to the screen and their placement on the calling window.
#include <QList>
#include <QPoint>
#include <QSize>
#include <QString>

class QDialog;
class QFrame;
class QLabel;
class QToolButton;
class QWidget;

// A frameless sub-window that bypasses the window manager, with system menu
// and minimise button: 0x6C12.
constexpr int kDialogWindowFlags = 0x6C12;

// Sets kDialogWindowFlags. Such a window gets no keyboard input on X11 unless
// it is activated, so the dialog also activates and raises itself whenever it
// is shown (exec() included).
void setDialogWindowFlags(QWidget* dialog);

// installDir() + "/Picture/WarningDialog/": the pictures of the notices.
QString warningPictureDir();

// A skin colour of Config.ini group "Option" as "r,g,b". A missing or
// incomplete entry gives white, so a broken Config.ini still leaves the
// texts readable on the dark skin.
QString skinColour(const QString& key);

QString labelStyleSheet();
// The text colour of an entry field of the given class ("QLineEdit",
// "QSpinBox"): LinEditColor.
QString entryStyleSheet(const QString& className);
QString confirmButtonStyleSheet(const QString& pictureDir, const QString& picture = QStringLiteral("Confirm.png"),
                                const QString& pressedPicture = QStringLiteral("ConfirmClick.png"));
// The close-button rule: name + ".png", "Hover.png" when hovered, "Click.png"
// when pressed.
QString closeButtonStyleSheet(const QString& pictureDir, const QString& name = QStringLiteral("Close"));
QString frameStyleSheet(const QString& frameName, const QString& pictureDir);

// The widgets of a notice's frame that take the common skin.
struct NoticeSkin
{
    QFrame* frame = nullptr;
    QLabel* label = nullptr;
    QToolButton* closeButton = nullptr;
    QList<QToolButton*> confirmButtons;
    QString confirmPicture = QStringLiteral("Confirm.png");
    QString confirmPressedPicture = QStringLiteral("ConfirmClick.png");
};

// Window flags and skin of a notice: the label's colour, the confirm
// buttons, the close button and the frame's background.
void setUpNoticeFrame(QDialog* dialog, const NoticeSkin& skin, const QString& pictureDir);

// The whole set-up a notice's constructor does after its form: window flags
// and skin, its SlotAllLanguage(int) connected to the hub's SigAllLanguage
// and applied to languageIndex, and its fonts scaled to the screen.
void setUpNotice(QDialog* dialog, const NoticeSkin& skin, const QString& pictureDir);

// The shared button texts of QuestionTexts: confirm and cancel.
constexpr int kConfirmTextItem = 2;
constexpr int kCancelTextItem = 3;

// Connects the dialog's SlotAllLanguage(int) to the hub's SigAllLanguage and
// applies the current language.
void connectLanguage(QDialog* dialog);

// The forms' frames are raised styled panels, which the Windows style the
// pages were laid out for draws without an outline. Other styles outline
// them with light rectangles; this drops the outline of every such frame
// under root.
void dropRaisedPanelOutlines(QWidget* root);

// Scales the dialog's fonts by screenFontFactor() (scaleWidgetFonts).
void scaleFontsToScreen(QWidget* dialog);

// 96 divided by the primary screen's logical DPI: 1 at 96 dpi, 0.8 at 120 dpi.
double screenFontFactor();

// Where a dialog goes on its caller: the caller's centre moved by dx, dy.
// Halving truncates toward zero, also for a caller narrower than the dialog.
QPoint dialogPosition(const QPoint& callerTopLeft, const QSize& callerSize, const QSize& dialogSize, int dx, int dy);

// Moves the dialog to dialogPosition() on the caller's screen position. An
// invalid dialogSize stands for the dialog's own size.
void placeDialog(QWidget* dialog, const QWidget* caller, int dx, int dy, QSize dialogSize = QSize());

// Asks for a file to save under, starting in the user's home folder, with
// the caption and the filter given ("File(*.bin)"). A name typed without an
// extension gets the filter's, so the matching open dialog lists the file.
// Empty when the user cancels, or when the device page was left meanwhile.
QString askSaveFileName(QWidget* parent, const QString& caption, const QString& filter);
// Asks for an existing file to open, as askSaveFileName() does.
QString askOpenFileName(QWidget* parent, const QString& caption, const QString& filter);
