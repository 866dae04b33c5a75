#pragma once

#include <map>
#include <memory>

#include "core/settings/SettingsStore.h"

// The settings tree held in memory only: the store of the tests and of the command-line tool.
class MemorySettingsStore : public SettingsStore {
public:
    MemorySettingsStore();
    ~MemorySettingsStore() override;

    bool CreateKey(const std::string& keyPath) override;
    bool KeyExists(const std::string& keyPath) const override;
    std::vector<std::string> SubKeys(const std::string& keyPath) const override;
    bool DeleteKey(const std::string& keyPath) override;
    bool SetValue(const std::string& keyPath, const std::string& name,
                  const SettingsValue& value) override;
    std::optional<SettingsValue> GetValue(const std::string& keyPath,
                                          const std::string& name) const override;
    bool DeleteValue(const std::string& keyPath, const std::string& name) override;

private:
    struct Node;
    Node* Find(const std::string& keyPath) const;
    std::unique_ptr<Node> m_root;
};
