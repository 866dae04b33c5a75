#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The kinds of value a key holds; they keep the meaning of the registry's REG_SZ, REG_DWORD,
// REG_BINARY and REG_NONE, because the stored layouts (for example three little-endian words
// of type none for a sample-rate preset) are part of what other programs read.
enum class SettingsValueType { String, Number, Binary, None };

struct SettingsValue {
    SettingsValueType type = SettingsValueType::None;
    std::vector<uint8_t> bytes;  // strings without their terminating zero; numbers little-endian
};

// A persistent tree of keys, each with named values and subkeys. Key paths use "\" between
// names (for example "SOFTWARE\Orvex\Sample Rate Presets") and compare without regard to case.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    // Opens the key, creating it and its parents when missing; false when the store refuses.
    virtual bool CreateKey(const std::string& keyPath) = 0;
    virtual bool KeyExists(const std::string& keyPath) const = 0;
    // Names of the direct subkeys, in a stable order (alphabetical, ignoring case).
    virtual std::vector<std::string> SubKeys(const std::string& keyPath) const = 0;
    // Removes the key with all its values and subkeys; false when it did not exist.
    virtual bool DeleteKey(const std::string& keyPath) = 0;

    virtual bool SetValue(const std::string& keyPath, const std::string& name,
                          const SettingsValue& value) = 0;
    virtual std::optional<SettingsValue> GetValue(const std::string& keyPath,
                                                  const std::string& name) const = 0;
    virtual bool DeleteValue(const std::string& keyPath, const std::string& name) = 0;

    // Typed shorthands over SetValue/GetValue. Setters create the key when needed.
    bool SetString(const std::string& keyPath, const std::string& name, const std::string& text);
    std::optional<std::string> GetString(const std::string& keyPath, const std::string& name) const;
    bool SetNumber(const std::string& keyPath, const std::string& name, uint32_t number);
    std::optional<uint32_t> GetNumber(const std::string& keyPath, const std::string& name) const;
    bool SetBytes(const std::string& keyPath, const std::string& name,
                  const std::vector<uint8_t>& bytes,
                  SettingsValueType type = SettingsValueType::Binary);
    std::optional<std::vector<uint8_t>> GetBytes(const std::string& keyPath,
                                                 const std::string& name) const;

    // The subkey at `index` in enumeration order, as the registry's enumeration by index.
    std::optional<std::string> EnumSubKey(const std::string& keyPath, size_t index) const;
};

// The root key of everything the program stores, and its well-known subkeys.
inline constexpr const char* kOrvexKey = "SOFTWARE\\Orvex";

std::string JoinKey(const std::string& parent, const std::string& child);
