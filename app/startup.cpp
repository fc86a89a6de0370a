#include "app/startup.h"

#include "core/product.h"
#include "mainwindow/dialogmain.h"
#include "widgets/dialogframe.h"
#include "widgets/exeisrun.h"
#include "widgets/fontscale.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QLockFile>
#include <QSharedMemory>

#include <dlfcn.h>
#include <unistd.h>

namespace {

const qint64 kSecondsPerDay = 86400;
const qint64 kPurgeAgeDays = 7;

// The sub-folders of the per-user folder, in the order they are made.
const char* const kUserSubFolders[] = {
    "/Log", "/Device_Info", "/Exception", "/usersetting",
    "/usersetting/MainPage", "/usersetting/MacroPage", "/usersetting/SensorPage",
};

// The Windows families the forms name, and the installed sans with CJK
// coverage of similar metrics that stands in for them.
const char* const kWindowsFamilies[] = {
    "微软雅黑", "Microsoft YaHei", "Microsoft YaHei UI", "Microsoft YaHei UI Light",
};
const char* const kCjkSans = "WenQuanYi Micro Hei";

} // namespace

void (*showAlreadyRunningNotice)() = showExeIsRun;

void prepareUserFolders()
{
    const QString base = userDir();
    QDir dir;
    for (const char* sub : kUserSubFolders) {
        const QString path = base + QLatin1String(sub);
        if (!dir.exists(path))
            dir.mkpath(path);
    }
    QFile settings(base + QStringLiteral("/Macro.ini"));
    if (!settings.exists() && settings.open(QIODevice::WriteOnly | QIODevice::Text))
        settings.close();
}

QByteArray scaleFactorForWidth(int desktopWidth)
{
    if (desktopWidth <= 1920)
        return QByteArray();
    return QByteArray::number(double(desktopWidth / 1920), 'g', 6);
}

int desktopWidthBeforeApplication()
{
    // Only X11 can be asked before Qt's platform plugin is loaded; libX11 is
    // opened at run time so the program does not depend on it.
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if ((!platform.isEmpty() && !platform.startsWith("xcb")) || qEnvironmentVariableIsEmpty("DISPLAY"))
        return 0;
    void* x11 = dlopen("libX11.so.6", RTLD_LAZY | RTLD_LOCAL);
    if (!x11)
        return 0;
    using OpenDisplay = void* (*)(const char*);
    using DefaultScreen = int (*)(void*);
    using DisplayWidth = int (*)(void*, int);
    using CloseDisplay = int (*)(void*);
    auto openDisplay = reinterpret_cast<OpenDisplay>(dlsym(x11, "XOpenDisplay"));
    auto defaultScreen = reinterpret_cast<DefaultScreen>(dlsym(x11, "XDefaultScreen"));
    auto displayWidth = reinterpret_cast<DisplayWidth>(dlsym(x11, "XDisplayWidth"));
    auto closeDisplay = reinterpret_cast<CloseDisplay>(dlsym(x11, "XCloseDisplay"));
    int width = 0;
    if (openDisplay && defaultScreen && displayWidth && closeDisplay) {
        if (void* display = openDisplay(nullptr)) {
            width = displayWidth(display, defaultScreen(display));
            closeDisplay(display);
        }
    }
    dlclose(x11);
    return width;
}

void applyDisplayScaling()
{
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling, false);
    QCoreApplication::setAttribute(Qt::AA_UseHighDpiPixmaps, false);
    const QByteArray factor = scaleFactorForWidth(desktopWidthBeforeApplication());
    if (!factor.isEmpty())
        qputenv("QT_SCALE_FACTOR", factor);
}

void purgeOldFiles(const QString& folder, const QDateTime& now)
{
    const qint64 nowSecs = now.toSecsSinceEpoch();
    const QFileInfoList entries = QDir(folder).entryInfoList(QDir::Files, QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo& entry : entries) {
        // A file dated in the future (a clock set back) has a negative age
        // and is not old.
        const qint64 ageDays = (nowSecs - entry.lastModified().toSecsSinceEpoch()) / kSecondsPerDay;
        if (ageDays > kPurgeAgeDays)
            QFile::remove(entry.absoluteFilePath());
    }
}

void purgeOldFiles(const QString& folder)
{
    purgeOldFiles(folder, QDateTime::currentDateTime());
}

void substituteWindowsFonts()
{
    for (const char* family : kWindowsFamilies)
        QFont::insertSubstitution(QString::fromUtf8(family), QLatin1String(kCjkSans));
}

QString singleInstanceKey()
{
    QString key = QLatin1String(kProductName);
#ifdef Q_OS_UNIX
    // Segments and their key files are shared by all users of the machine.
    key += QLatin1Char('-') + QString::number(getuid());
#endif
    return key;
}

std::unique_ptr<QSharedMemory> claimSingleInstance(const QString& key)
{
    // Two copies starting at once take turns here, so only one can create.
    // The per-user folder is this user's alone: no other user's file can
    // stand in the way.
    const QString lockPath = userDir() + QLatin1Char('/') + key + QStringLiteral(".instance.lock");
    QLockFile guard(lockPath);
    if (!guard.lock())
        qWarning("single instance: no lock at %s (error %d)", qPrintable(lockPath), int(guard.error()));
    // On Unix a copy that crashed leaves its segment behind, no longer
    // attached. Attaching and detaching again removes a segment that nobody
    // else holds; a running copy's segment stays.
    const auto clearStale = [&key] {
        QSharedMemory stale(key);
        if (stale.attach())
            stale.detach();
    };
    clearStale();
    auto segment = std::make_unique<QSharedMemory>(key);
    if (segment->attach())
        return nullptr;
    if (segment->error() != QSharedMemory::PermissionDenied && segment->create(1))
        return segment;
    if (segment->error() == QSharedMemory::AlreadyExists) {
        // On Unix the system key comes from the key file's inode cut to 16
        // bits, so a key file made just now by create() can map to a segment
        // that another program left behind when its own key file went. The
        // key file stands now: a segment under it that nobody holds is
        // cleared as a stale one of ours, and the claim tried once more.
        clearStale();
        if (segment->attach())
            return nullptr;
        if (segment->create(1))
            return segment;
    }
    switch (segment->error()) {
    case QSharedMemory::AlreadyExists:
        return nullptr;
    case QSharedMemory::PermissionDenied:
        // Held by a user this one cannot see into: a copy may run there.
        qWarning("single instance: %s: %s", qPrintable(key), qPrintable(segment->errorString()));
        return nullptr;
    default:
        qWarning("single instance: no segment %s, running without: %s", qPrintable(key),
                 qPrintable(segment->errorString()));
        return segment;
    }
}

int runMain(int argc, char** argv)
{
    prepareUserFolders();
    applyDisplayScaling();
    purgeOldFiles(userDir() + QStringLiteral("/Log"));
    purgeOldFiles(userDir() + QStringLiteral("/Exception"));

    QApplication app(argc, argv);
    substituteWindowsFonts();
    const double fontFactor = screenFontFactor();

    const std::unique_ptr<QSharedMemory> segment = claimSingleInstance(singleInstanceKey());
    if (!segment) {
        showAlreadyRunningNotice();
        return 0;
    }

    auto window = std::make_unique<DialogMain>(nullptr);
    scaleWidgetFonts(window.get(), fontFactor);
    window->show();
    const int result = app.exec();
    // Deleting the window shuts its pages down (the device connection among them).
    window.reset();
    // The pages hand the device connection worker over for deferred deletion.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return result;
}
