#pragma once
// The program's values in the current user's registry. On this platform a
// registry key path ("HKEY_CURRENT_USER\Software\...") maps onto Qt's native
// user settings, with the key path as nested groups; no file is ever named
// after the key path.

#include <QString>

#include <memory>

class QSettings;

class RegistryKey
{
public:
    explicit RegistryKey(const QString& keyPath);
    ~RegistryKey();
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    // "" when the value is missing.
    QString value(const QString& name) const;
    bool contains(const QString& name) const;
    void setValue(const QString& name, const QString& value);
    void remove(const QString& name);

    // The group path the key maps to ("HKEY_CURRENT_USER/Software/...").
    static QString groupPath(const QString& keyPath);

private:
    std::unique_ptr<QSettings> settings;
};

// "HKEY_CURRENT_USER\Software\Quembrel\Quembrel\Quembrel": "LanguageIndex".
QString productRegistryKey();
// "HKEY_CURRENT_USER\Software\Quembrel\Quembrel\Mouse Drive Test":
// "UpdateFailInfo" and "MouseVer" + CID + MID.
QString mouseDriveTestRegistryKey();
// The auto-start "Run" key.
QString runRegistryKey();

// Auto-start at logon: the "Run" value named after the application, holding
// the executable's path with "\" separators, and the matching desktop entry
// in the user's autostart folder. Both are written when on, removed when off.
void setAutoStartEntry(bool on);
// The desktop entry's path.
QString autoStartDesktopFile();

// One-time move of the registry's "LanguageIndex" into Macro.ini: a non-zero
// value becomes Language/Language; the registry value is removed in any case.
void migrateLanguageIndex();
