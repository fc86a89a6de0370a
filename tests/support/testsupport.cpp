#include "support/testsupport.h"

#include <QDir>
#include <QEventLoop>
#include <QTimer>
#include <cstdlib>

namespace testsupport {

static QTemporaryDir* g_home = nullptr;

void isolateHome()
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (!g_home) {
        g_home = new QTemporaryDir(QDir::tempPath() + "/quembrel-test-XXXXXX");
        std::atexit([] { delete g_home; g_home = nullptr; });
    }
    const QByteArray home = g_home->path().toLocal8Bit();
    qputenv("HOME", home);
    qputenv("XDG_CONFIG_HOME", home + "/.config");
    qputenv("XDG_DATA_HOME", home + "/.local/share");
    qputenv("XDG_CACHE_HOME", home + "/.cache");
    qputenv("XDG_RUNTIME_DIR", home + "/.runtime");
    QDir().mkpath(QString::fromLocal8Bit(home + "/.runtime"));
    QFile::setPermissions(QString::fromLocal8Bit(home + "/.runtime"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

QString homeDir()
{
    return g_home ? g_home->path() : QDir::homePath();
}

void waitForShortcutClicks()
{
    // QAbstractButton::animateClick's default delay, with room to spare.
    const int afterClickDelayMs = 2 * 100;
    QEventLoop loop;
    QTimer::singleShot(afterClickDelayMs, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace testsupport
