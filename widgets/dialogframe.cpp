#include "widgets/dialogframe.h"

#include "core/settings.h"
#include "core/globals.h"
#include "core/postmsg.h"
#include "core/product.h"
#include "widgets/fontscale.h"
#include "widgets/pagedialogs.h"

#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QToolButton>

namespace {

// Activates and raises its window on every show.
class ActivateOnShow : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show) {
            if (auto* widget = qobject_cast<QWidget*>(watched)) {
                widget->activateWindow();
                widget->raise();
            }
        }
        return false;
    }
};

} // namespace

void setDialogWindowFlags(QWidget* dialog)
{
    dialog->setWindowFlags(Qt::WindowFlags(kDialogWindowFlags));
    static const QString filterName = QStringLiteral("activateOnShow");
    if (!dialog->findChild<QObject*>(filterName, Qt::FindDirectChildrenOnly)) {
        auto* filter = new ActivateOnShow(dialog);
        filter->setObjectName(filterName);
        dialog->installEventFilter(filter);
    }
}

QString warningPictureDir()
{
    return installDir() + QStringLiteral("/Picture/WarningDialog/");
}

QString skinColour(const QString& key)
{
    const QStringList items = ConfigSettings::instance()->valueList(QStringLiteral("Option"), key);
    if (items.size() < 3)
        return QStringLiteral("255,255,255");
    return items.mid(0, 3).join(QLatin1Char(','));
}

QString labelStyleSheet()
{
    return QStringLiteral("QLabel{color: rgb(") + skinColour(QStringLiteral("LabelColor")) + QStringLiteral(");}");
}

QString entryStyleSheet(const QString& className)
{
    return className + QStringLiteral("{color: rgb(") + skinColour(QStringLiteral("LinEditColor"))
        + QStringLiteral(");}");
}

QString confirmButtonStyleSheet(const QString& pictureDir, const QString& picture, const QString& pressedPicture)
{
    return QStringLiteral("QToolButton{border:0px;background-position:center;background-repeat:no-repeat;color: rgb(")
        + skinColour(QStringLiteral("ButtonColor")) + QStringLiteral(");border-image: url(") + pictureDir + picture
        + QStringLiteral(");}QToolButton:pressed{border-image: url(") + pictureDir + pressedPicture
        + QStringLiteral("); }");
}

QString closeButtonStyleSheet(const QString& pictureDir, const QString& name)
{
    return QStringLiteral("QToolButton{border:0px;background-image: url(") + pictureDir + name
        + QStringLiteral(".png);background-position:center;background-repeat:no-repeat;}"
                         "QToolButton:hover{background-image: url(")
        + pictureDir + name + QStringLiteral("Hover.png);}QToolButton:pressed{background-image: url(") + pictureDir
        + name + QStringLiteral("Click.png);}");
}

QString frameStyleSheet(const QString& frameName, const QString& pictureDir)
{
    return QLatin1Char('#') + frameName
        + QStringLiteral("{border:0px;background-position:center;background-repeat:no-repeat;background-image: url(")
        + pictureDir + QStringLiteral("BackGround.png);}");
}

void setUpNoticeFrame(QDialog* dialog, const NoticeSkin& skin, const QString& pictureDir)
{
    setDialogWindowFlags(dialog);
    skin.label->setStyleSheet(labelStyleSheet());
    if (!skin.confirmButtons.isEmpty()) {
        const QString buttonStyle = confirmButtonStyleSheet(pictureDir, skin.confirmPicture, skin.confirmPressedPicture);
        for (QToolButton* button : skin.confirmButtons)
            button->setStyleSheet(buttonStyle);
    }
    skin.closeButton->setStyleSheet(closeButtonStyleSheet(pictureDir));
    skin.frame->setStyleSheet(frameStyleSheet(skin.frame->objectName(), pictureDir));
}

void connectLanguage(QDialog* dialog)
{
    hubConnect(SIGNAL(SigAllLanguage(int)), dialog, SLOT(SlotAllLanguage(int)));
    if (!QMetaObject::invokeMethod(dialog, "SlotAllLanguage", Qt::DirectConnection, Q_ARG(int, languageIndex)))
        qCritical("%s has no SlotAllLanguage(int)", dialog->metaObject()->className());
}

void scaleFontsToScreen(QWidget* dialog)
{
    scaleWidgetFonts(dialog, screenFontFactor());
}

void setUpNotice(QDialog* dialog, const NoticeSkin& skin, const QString& pictureDir)
{
    setUpNoticeFrame(dialog, skin, pictureDir);
    connectLanguage(dialog);
    scaleFontsToScreen(dialog);
}

void dropRaisedPanelOutlines(QWidget* root)
{
    for (QFrame* frame : root->findChildren<QFrame*>())
        if (frame->frameShape() == QFrame::StyledPanel && frame->frameShadow() == QFrame::Raised)
            frame->setFrameShape(QFrame::NoFrame);
}

double screenFontFactor()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return fontScaleFactor(screen ? screen->logicalDotsPerInchX() : 96.0);
}

QPoint dialogPosition(const QPoint& callerTopLeft, const QSize& callerSize, const QSize& dialogSize, int dx, int dy)
{
    return QPoint(callerTopLeft.x() + (callerSize.width() - dialogSize.width()) / 2 + dx,
                  callerTopLeft.y() + (callerSize.height() - dialogSize.height()) / 2 + dy);
}

void placeDialog(QWidget* dialog, const QWidget* caller, int dx, int dy, QSize dialogSize)
{
    if (!dialogSize.isValid())
        dialogSize = dialog->size();
    dialog->move(dialogPosition(caller->mapToGlobal(QPoint(0, 0)), caller->size(), dialogSize, dx, dy));
}

namespace {

// The file a device page's file dialog ended on; none when it was cancelled
// or the page was left meanwhile.
QString chosenFile(QFileDialog* dialog)
{
    if (!execForDevicePage(dialog) || dialog->result() != QDialog::Accepted)
        return QString();
    return dialog->selectedFiles().value(0);
}

} // namespace

QString askSaveFileName(QWidget* parent, const QString& caption, const QString& filter)
{
    QFileDialog dialog(parent, caption, QDir::homePath(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    // "File(*.bin)" -> "bin"
    const int star = filter.indexOf(QLatin1String("*."));
    if (star >= 0)
        dialog.setDefaultSuffix(filter.mid(star + 2).section(QLatin1Char(')'), 0, 0).section(QLatin1Char(' '), 0, 0));
    return chosenFile(&dialog);
}

QString askOpenFileName(QWidget* parent, const QString& caption, const QString& filter)
{
    QFileDialog dialog(parent, caption, QDir::homePath(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    return chosenFile(&dialog);
}
