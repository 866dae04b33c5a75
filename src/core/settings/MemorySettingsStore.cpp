#include "core/settings/MemorySettingsStore.h"

#include "core/settings/SettingsKeyPath.h"

struct MemorySettingsStore::Node {
    std::map<std::string, SettingsValue, CaseInsensitiveLess> values;
    std::map<std::string, std::unique_ptr<Node>, CaseInsensitiveLess> children;
};

MemorySettingsStore::MemorySettingsStore() : m_root(std::make_unique<Node>()) {}
MemorySettingsStore::~MemorySettingsStore() = default;

MemorySettingsStore::Node* MemorySettingsStore::Find(const std::string& keyPath) const {
    Node* node = m_root.get();
    for (const auto& name : SplitKeyPath(keyPath)) {
        auto it = node->children.find(name);
        if (it == node->children.end())
            return nullptr;
        node = it->second.get();
    }
    return node;
}

bool MemorySettingsStore::CreateKey(const std::string& keyPath) {
    Node* node = m_root.get();
    for (const auto& name : SplitKeyPath(keyPath)) {
        auto& child = node->children[name];
        if (!child)
            child = std::make_unique<Node>();
        node = child.get();
    }
    return true;
}

bool MemorySettingsStore::KeyExists(const std::string& keyPath) const {
    return Find(keyPath) != nullptr;
}

std::vector<std::string> MemorySettingsStore::SubKeys(const std::string& keyPath) const {
    std::vector<std::string> names;
    if (const Node* node = Find(keyPath)) {
        for (const auto& [name, child] : node->children) names.push_back(name);
    }
    return names;
}

bool MemorySettingsStore::DeleteKey(const std::string& keyPath) {
    auto names = SplitKeyPath(keyPath);
    if (names.empty())
        return false;
    const std::string last = names.back();
    names.pop_back();
    Node* parent = m_root.get();
    for (const auto& name : names) {
        auto it = parent->children.find(name);
        if (it == parent->children.end())
            return false;
        parent = it->second.get();
    }
    return parent->children.erase(last) > 0;
}

bool MemorySettingsStore::SetValue(const std::string& keyPath, const std::string& name,
                                   const SettingsValue& value) {
    CreateKey(keyPath);
    Find(keyPath)->values[name] = value;
    return true;
}

std::optional<SettingsValue> MemorySettingsStore::GetValue(const std::string& keyPath,
                                                           const std::string& name) const {
    const Node* node = Find(keyPath);
    if (node == nullptr)
        return std::nullopt;
    auto it = node->values.find(name);
    if (it == node->values.end())
        return std::nullopt;
    return it->second;
}

bool MemorySettingsStore::DeleteValue(const std::string& keyPath, const std::string& name) {
    Node* node = Find(keyPath);
    return node != nullptr && node->values.erase(name) > 0;
}
