#include "core/settings/SettingsStore.h"

bool SettingsStore::SetString(const std::string& keyPath, const std::string& name,
                              const std::string& text) {
    return SetValue(keyPath, name,
                    SettingsValue{SettingsValueType::String, {text.begin(), text.end()}});
}

std::optional<std::string> SettingsStore::GetString(const std::string& keyPath,
                                                    const std::string& name) const {
    auto value = GetValue(keyPath, name);
    if (!value || value->type != SettingsValueType::String) {
        return std::nullopt;
    }
    return std::string(value->bytes.begin(), value->bytes.end());
}

bool SettingsStore::SetNumber(const std::string& keyPath, const std::string& name,
                              uint32_t number) {
    SettingsValue value{SettingsValueType::Number, {}};
    for (int i = 0; i < 4; ++i) value.bytes.push_back(static_cast<uint8_t>(number >> (8 * i)));
    return SetValue(keyPath, name, value);
}

std::optional<uint32_t> SettingsStore::GetNumber(const std::string& keyPath,
                                                 const std::string& name) const {
    auto value = GetValue(keyPath, name);
    if (!value || value->type != SettingsValueType::Number || value->bytes.size() != 4) {
        return std::nullopt;
    }
    uint32_t number = 0;
    for (int i = 3; i >= 0; --i) number = (number << 8) | value->bytes[static_cast<size_t>(i)];
    return number;
}

bool SettingsStore::SetBytes(const std::string& keyPath, const std::string& name,
                             const std::vector<uint8_t>& bytes, SettingsValueType type) {
    return SetValue(keyPath, name, SettingsValue{type, bytes});
}

std::optional<std::vector<uint8_t>> SettingsStore::GetBytes(const std::string& keyPath,
                                                            const std::string& name) const {
    auto value = GetValue(keyPath, name);
    if (!value)
        return std::nullopt;
    return value->bytes;
}

std::optional<std::string> SettingsStore::EnumSubKey(const std::string& keyPath,
                                                     size_t index) const {
    const auto names = SubKeys(keyPath);
    if (index >= names.size())
        return std::nullopt;
    return names[index];
}

std::string JoinKey(const std::string& parent, const std::string& child) {
    return parent.empty() ? child : parent + "\\" + child;
}
