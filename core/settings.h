#pragma once
// The two settings stores: ConfigSettings over the installation's Config.ini
// (device catalogue and skin, read only) and UserSettings over the per-user
// Macro.ini. Both are created on first use and live until the process ends.
// A key is always a group and a name; a missing key reads as "".

#include <QMutex>
#include <QString>
#include <QStringList>

class QSettings;

// The INI plumbing both stores share. Config.ini is also read from the device
// library's callback thread, so every access to the one QSettings object is
// serialised.
class IniStore
{
public:
    QString filePath() const { return path; }

protected:
    IniStore(const QString& filePath, const char* codecName, bool writeThrough);
    ~IniStore();
    IniStore(const IniStore&) = delete;
    IniStore& operator=(const IniStore&) = delete;

    QString readText(const QString& group, const QString& key) const;
    QStringList readList(const QString& group, const QString& key) const;
    void write(const QString& group, const QString& key, const QString& value);
    void erase(const QString& group, const QString& key);

private:
    QSettings* prepared() const;

    mutable QMutex access;
    QString path;
    QSettings* settings;
    const char* codecName;
    bool writeThrough;
};

class ConfigSettings : public IniStore
{
public:
    static ConfigSettings* instance();

    // Keys named "MM", "DM", "D2M", "D4M", "D8M", "Sensor", "CID", "VID",
    // "USB_PID", "Wireless_PID", "Wireless2_PID", "Wireless4_PID" and
    // "Wireless8_PID" hold Base64 in the file and are returned decoded, with
    // every line break and blank removed.
    QString value(const QString& group, const QString& key) const;
    // "r,g,b" arrives as three items; encoded keys are decoded item by item.
    QStringList valueList(const QString& group, const QString& key) const;
    void setValue(const QString& group, const QString& key, const QString& value);
    void remove(const QString& group, const QString& key);

    static bool isEncodedKey(const QString& key);

    // Tests only: reopens the store over another file (the default file when
    // the path is empty).
    static void resetForTests(const QString& filePath = QString());

private:
    template <typename Store> friend struct StoreSingleton;
    explicit ConfigSettings(const QString& filePath);
};

class UserSettings : public IniStore
{
public:
    static UserSettings* instance();

    QString value(const QString& group, const QString& key) const;
    QStringList valueList(const QString& group, const QString& key) const;
    // Written through to the file at once: the store is never destroyed, and
    // a change made just before the program ends must not be lost.
    void setValue(const QString& group, const QString& key, const QString& value);
    void remove(const QString& group, const QString& key);

    // Tests only, as ConfigSettings::resetForTests.
    static void resetForTests(const QString& filePath = QString());

private:
    template <typename Store> friend struct StoreSingleton;
    explicit UserSettings(const QString& filePath);
};
