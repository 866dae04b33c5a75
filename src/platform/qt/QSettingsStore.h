#pragma once

#include <QSettings>
#include <QString>
#include <memory>

#include "core/settings/SettingsStore.h"

// The persistent settings store: one INI file where Linux desktop programs keep their settings
// ($XDG_CONFIG_HOME/Orvex/orvex.conf), or in the folder named by ORVEX_SETTINGS_DIR, which the
// tests use so that they never touch the user's own settings.
class QSettingsStore : public SettingsStore {
public:
    QSettingsStore();
    explicit QSettingsStore(const QString& filePath);

    // The settings file for this user; the editor's window and toolbar state ("General") lives
    // in the same file.
    static QString DefaultFilePath();

    bool CreateKey(const std::string& keyPath) override;
    bool KeyExists(const std::string& keyPath) const override;
    std::vector<std::string> SubKeys(const std::string& keyPath) const override;
    bool DeleteKey(const std::string& keyPath) override;
    bool SetValue(const std::string& keyPath, const std::string& name,
                  const SettingsValue& value) override;
    std::optional<SettingsValue> GetValue(const std::string& keyPath,
                                          const std::string& name) const override;
    bool DeleteValue(const std::string& keyPath, const std::string& name) override;

    QSettings& Raw() { return *m_settings; }

private:
    // The stored spelling of a key path, found without regard to case; empty when missing.
    std::optional<QString> Resolve(const std::string& keyPath) const;
    std::optional<QString> ResolveValue(const QString& group, const std::string& name) const;
    bool Sync() const;

    std::unique_ptr<QSettings> m_settings;
};
