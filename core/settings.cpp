#include "core/settings.h"

#include "core/product.h"

#include <QBasicMutex>
#include <QMutexLocker>
#include <QSettings>

// One instance per store, created under the store's own mutex. The mutex is
// constant-initialised, so it exists before main runs.
template <typename Store>
struct StoreSingleton
{
    static QBasicMutex guard;
    static Store* instance;

    static Store* get(const QString& defaultPath)
    {
        QMutexLocker lock(&guard);
        if (!instance)
            instance = new Store(defaultPath);
        return instance;
    }

    static void replace(const QString& path)
    {
        QMutexLocker lock(&guard);
        delete instance;
        instance = new Store(path);
    }
};
template <typename Store> QBasicMutex StoreSingleton<Store>::guard;
template <typename Store> Store* StoreSingleton<Store>::instance = nullptr;

namespace {

QString configPath()
{
    return installDir() + QStringLiteral("/usersetting/Config.ini");
}

QString userPath()
{
    return userDir() + QStringLiteral("/Macro.ini");
}

QString decodeValue(const QString& text)
{
    QString decoded = QString::fromUtf8(QByteArray::fromBase64(text.toUtf8()));
    decoded.remove(QLatin1Char('\n'));
    decoded.remove(QLatin1Char(' '));
    return decoded;
}

} // namespace

// ---- IniStore ---------------------------------------------------------------------

IniStore::IniStore(const QString& filePath, const char* codec, bool writeThroughToFile)
    : path(filePath)
    , settings(new QSettings(filePath, QSettings::IniFormat))
    , codecName(codec)
    , writeThrough(writeThroughToFile)
{
}

IniStore::~IniStore()
{
    delete settings;
}

QSettings* IniStore::prepared() const
{
    settings->setIniCodec(codecName);
    return settings;
}

QString IniStore::readText(const QString& group, const QString& key) const
{
    QMutexLocker lock(&access);
    return prepared()->value(group + QLatin1Char('/') + key, QVariant()).toString();
}

QStringList IniStore::readList(const QString& group, const QString& key) const
{
    QMutexLocker lock(&access);
    return prepared()->value(group + QLatin1Char('/') + key, QStringList()).toStringList();
}

void IniStore::write(const QString& group, const QString& key, const QString& value)
{
    QMutexLocker lock(&access);
    prepared()->setValue(group + QLatin1Char('/') + key, value);
    if (writeThrough)
        settings->sync();
}

void IniStore::erase(const QString& group, const QString& key)
{
    QMutexLocker lock(&access);
    prepared()->remove(group + QLatin1Char('/') + key);
    if (writeThrough)
        settings->sync();
}

// ---- ConfigSettings -------------------------------------------------------------

ConfigSettings::ConfigSettings(const QString& filePath)
    : IniStore(filePath, "UTF8", false)
{
}

ConfigSettings* ConfigSettings::instance()
{
    return StoreSingleton<ConfigSettings>::get(configPath());
}

void ConfigSettings::resetForTests(const QString& filePath)
{
    StoreSingleton<ConfigSettings>::replace(filePath.isEmpty() ? configPath() : filePath);
}

bool ConfigSettings::isEncodedKey(const QString& key)
{
    static const QStringList encoded = {
        QStringLiteral("MM"),           QStringLiteral("DM"),            QStringLiteral("D2M"),
        QStringLiteral("D4M"),          QStringLiteral("D8M"),           QStringLiteral("Sensor"),
        QStringLiteral("CID"),          QStringLiteral("VID"),           QStringLiteral("USB_PID"),
        QStringLiteral("Wireless_PID"), QStringLiteral("Wireless2_PID"), QStringLiteral("Wireless4_PID"),
        QStringLiteral("Wireless8_PID"),
    };
    return encoded.contains(key);
}

QString ConfigSettings::value(const QString& group, const QString& key) const
{
    const QString text = readText(group, key);
    return isEncodedKey(key) ? decodeValue(text) : text;
}

QStringList ConfigSettings::valueList(const QString& group, const QString& key) const
{
    QStringList list = readList(group, key);
    if (isEncodedKey(key)) {
        for (QString& item : list)
            item = decodeValue(item);
    }
    return list;
}

void ConfigSettings::setValue(const QString& group, const QString& key, const QString& value)
{
    write(group, key, value);
}

void ConfigSettings::remove(const QString& group, const QString& key)
{
    erase(group, key);
}

// ---- UserSettings -----------------------------------------------------------------

UserSettings::UserSettings(const QString& filePath)
    : IniStore(filePath, "UTF-8", true)
{
}

UserSettings* UserSettings::instance()
{
    return StoreSingleton<UserSettings>::get(userPath());
}

void UserSettings::resetForTests(const QString& filePath)
{
    StoreSingleton<UserSettings>::replace(filePath.isEmpty() ? userPath() : filePath);
}

QString UserSettings::value(const QString& group, const QString& key) const
{
    return readText(group, key);
}

QStringList UserSettings::valueList(const QString& group, const QString& key) const
{
    return readList(group, key);
}

void UserSettings::setValue(const QString& group, const QString& key, const QString& value)
{
    write(group, key, value);
}

void UserSettings::remove(const QString& group, const QString& key)
{
    erase(group, key);
}
