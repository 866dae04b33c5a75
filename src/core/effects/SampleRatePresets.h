#pragma once

#include <cstdint>
#include <optional>
#include <string>

class SettingsStore;

// The named (frequency, channels, bits) presets of the settings store: one subkey of
// "SOFTWARE\Orvex\Sample Rate Presets" per preset, holding "Frequency", "Channels" and "Bits" as
// 4-byte little-endian values of type none. There are no built-in presets.
class SampleRatePresets {
public:
    static constexpr const char* kKey = "SOFTWARE\\Orvex\\Sample Rate Presets";

    explicit SampleRatePresets(SettingsStore& settings);

    // Restarts the enumeration: the first preset name, or none.
    std::optional<std::string> First();
    // The next name, or none at the end.
    std::optional<std::string> Next();
    // The first preset, in store order, with these three values.
    std::optional<std::string> Find(uint32_t frequency, uint32_t channels, uint32_t bits);
    // Reads the preset's values into this object; false when any of them cannot be read.
    bool Load(const std::string& name);
    // Writes this object's values under `name`, creating or overwriting the preset.
    bool Save(const std::string& name);
    bool Delete(const std::string& name);

    uint32_t Frequency = 0;
    uint32_t Channels = 1;
    uint32_t Bits = 8;
    const std::string& Name() const { return m_name; }

private:
    std::optional<std::string> NameAt(uint32_t index);
    SettingsStore& m_settings;
    std::string m_name;
    uint32_t m_index = 0;
};
