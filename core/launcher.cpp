#include "core/launcher.h"

#include <QDebug>
#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QUrl>

#include <utility>

namespace {

LaunchHandler testHandler;

// The mouse settings of the common desktops, the first one installed wins.
struct SettingsProgram
{
    const char* program;
    const char* argument; // nullptr: none
};
const SettingsProgram kMouseSettingsPrograms[] = {
    {"gnome-control-center", "mouse"}, {"systemsettings", "kcm_mouse"}, {"systemsettings5", "kcm_mouse"},
    {"cinnamon-settings", "mouse"},    {"xfce4-mouse-settings", nullptr}, {"mate-mouse-properties", nullptr},
    {"lxinput", nullptr},
};

void openMouseSettings()
{
    for (const SettingsProgram& candidate : kMouseSettingsPrograms) {
        const QString path = QStandardPaths::findExecutable(QString::fromLatin1(candidate.program));
        if (path.isEmpty())
            continue;
        QStringList arguments;
        if (candidate.argument)
            arguments << QString::fromLatin1(candidate.argument);
        QProcess::startDetached(path, arguments);
        return;
    }
    qDebug() << "no desktop mouse settings are installed; nothing was started";
}

} // namespace

void launchExternal(LaunchKind kind, const QString& text)
{
    if (testHandler) {
        testHandler(kind, text);
        return;
    }
    if (kind == LaunchKind::MouseSettings)
        openMouseSettings();
    else
        QDesktopServices::openUrl(QUrl(text, QUrl::TolerantMode));
}

void setLaunchHandlerForTests(LaunchHandler handler)
{
    testHandler = std::move(handler);
}
