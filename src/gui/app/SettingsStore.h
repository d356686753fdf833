#pragma once

#include "app/Preferences.h"
#include "app/SettingsKeys.h"

#include <QByteArray>
#include <QString>

#include <memory>

class QSettings;

namespace vexilor {

// The user's settings: QSettings("Halvo", "KestovaV2") in the native format (the registry key
// Software\Halvo\KestovaV2 on Windows, an INI file elsewhere). A missing value, or one of the wrong
// kind, reads as its default; nothing here reports a storage failure. Single values are written at
// once; the preferences as a whole by saveSettings.
class SettingsStore {
public:
    SettingsStore();
    // Over given settings (a test's INI file); system supplies the desktop's defaults.
    SettingsStore(std::unique_ptr<QSettings> settings, const SystemDefaults& system);
    ~SettingsStore();
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    // LoadSettings: every preference with its default where nothing usable is stored; booleans
    // are any non-zero value; the restrictions and configuration directories come back canonical.
    Preferences loadSettings() const;
    // SaveSettings: writes every preference, booleans as 0 or 1. Does nothing while doNotSave.
    void saveSettings(const Preferences& prefs);

    // Set when the start-up preferences are cancelled: nothing is written at exit.
    void setDoNotSave(bool on) { doNotSave_ = on; }
    bool doNotSave() const { return doNotSave_; }

    bool contains(SettingKey key) const;
    int readInt(SettingKey key) const;
    QString readString(SettingKey key) const;
    void writeInt(SettingKey key, int value);
    void writeString(SettingKey key, const QString& value);
    QVariant defaultValue(SettingKey key) const { return DefaultValue(key, system_); }

    // A list's saved column widths or order; empty when none is stored.
    QByteArray readListLayout(const QString& layoutKey, ListLayoutPart part) const;
    void writeListLayout(const QString& layoutKey, ListLayoutPart part, const QByteArray& bytes);

    // For what the framework stores itself (the bars under kToolBarsGroup).
    QSettings& settings() { return *settings_; }

private:
    void write(const QString& path, const QVariant& value);

    std::unique_ptr<QSettings> settings_;
    SystemDefaults system_;
    bool doNotSave_ = false;
};

}  // namespace vexilor
