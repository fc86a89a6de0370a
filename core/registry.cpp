#include "core/registry.h"

#include "core/product.h"
#include "core/settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>

RegistryKey::RegistryKey(const QString& keyPath)
    : settings(new QSettings(QSettings::NativeFormat, QSettings::UserScope,
                             QLatin1String(kProductName), QStringLiteral("Registry")))
{
    settings->beginGroup(groupPath(keyPath));
}

RegistryKey::~RegistryKey() = default;

QString RegistryKey::groupPath(const QString& keyPath)
{
    QString path = keyPath;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return path;
}

QString RegistryKey::value(const QString& name) const
{
    return settings->value(name).toString();
}

bool RegistryKey::contains(const QString& name) const
{
    return settings->contains(name);
}

void RegistryKey::setValue(const QString& name, const QString& value)
{
    settings->setValue(name, value);
    settings->sync();
}

void RegistryKey::remove(const QString& name)
{
    settings->remove(name);
    settings->sync();
}

QString productRegistryKey()
{
    const QString product = QLatin1String(kProductName);
    return QStringLiteral("HKEY_CURRENT_USER\\Software\\") + product + QLatin1Char('\\') + product
           + QLatin1Char('\\') + product;
}

QString mouseDriveTestRegistryKey()
{
    const QString product = QLatin1String(kProductName);
    return QStringLiteral("HKEY_CURRENT_USER\\Software\\") + product + QLatin1Char('\\') + product
           + QStringLiteral("\\Mouse Drive Test");
}

QString runRegistryKey()
{
    return QStringLiteral("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run");
}

QString autoStartDesktopFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::ConfigLocation) + QStringLiteral("/autostart/")
           + QCoreApplication::applicationName() + QStringLiteral(".desktop");
}

namespace {

// The Exec line of a desktop entry: the program quoted as one argument
// (backslash before ", `, $ and \), "%" doubled, then backslashes escaped
// once more for the entry's string type.
QString desktopExec(const QString& program)
{
    QString quoted;
    for (const QChar c : program) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        quoted += c;
    }
    quoted.replace(QLatin1Char('%'), QStringLiteral("%%"));
    quoted = QLatin1Char('"') + quoted + QLatin1Char('"');
    quoted.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    return quoted;
}

bool writeDesktopEntry(const QString& fileName, const QString& program)
{
    QDir().mkpath(QFileInfo(fileName).absolutePath());
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return false;
    const QString entry = QStringLiteral("[Desktop Entry]\n"
                                         "Type=Application\n"
                                         "Name=%1\n"
                                         "Exec=%2\n"
                                         "Terminal=false\n"
                                         "X-GNOME-Autostart-enabled=true\n")
                              .arg(QLatin1String(kProductName), desktopExec(program));
    file.write(entry.toUtf8());
    return file.commit();
}

} // namespace

void setAutoStartEntry(bool on)
{
    RegistryKey run(runRegistryKey());
    const QString name = QCoreApplication::applicationName();
    const QString program = QCoreApplication::applicationFilePath();
    if (on) {
        run.setValue(name, QString(program).replace(QLatin1Char('/'), QLatin1Char('\\')));
        writeDesktopEntry(autoStartDesktopFile(), program);
    } else {
        run.remove(name);
        QFile::remove(autoStartDesktopFile());
    }
}

void migrateLanguageIndex()
{
    RegistryKey key(productRegistryKey());
    const int index = key.value(QStringLiteral("LanguageIndex")).toInt();
    if (index != 0)
        UserSettings::instance()->setValue(QStringLiteral("Language"), QStringLiteral("Language"),
                                           QString::number(index));
    key.remove(QStringLiteral("LanguageIndex"));
}
