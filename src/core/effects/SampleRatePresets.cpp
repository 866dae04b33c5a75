#include "core/effects/SampleRatePresets.h"

#include <vector>

#include "core/sample/ByteOrder.h"
#include "core/settings/SettingsStore.h"

namespace {

constexpr const char* kValueNames[3] = {"Frequency", "Channels", "Bits"};

std::optional<uint32_t> ReadWord(const SettingsStore& settings, const std::string& key,
                                 const char* name) {
    const auto bytes = settings.GetBytes(key, name);
    if (!bytes || bytes->size() != 4)
        return std::nullopt;
    return byteorder::Load32LE(bytes->data());
}

bool WriteWord(SettingsStore& settings, const std::string& key, const char* name, uint32_t value) {
    std::vector<uint8_t> bytes(4);
    byteorder::Store32LE(bytes.data(), value);
    return settings.SetBytes(key, name, bytes, SettingsValueType::None);
}

}  // namespace

SampleRatePresets::SampleRatePresets(SettingsStore& settings) : m_settings(settings) {
    m_settings.CreateKey(kKey);
}

std::optional<std::string> SampleRatePresets::NameAt(uint32_t index) {
    auto name = m_settings.EnumSubKey(kKey, index);
    if (name)
        m_name = *name;
    return name;
}

std::optional<std::string> SampleRatePresets::First() {
    m_index = 0;
    return Next();
}

std::optional<std::string> SampleRatePresets::Next() {
    return NameAt(m_index++);
}

std::optional<std::string> SampleRatePresets::Find(uint32_t frequency, uint32_t channels,
                                                   uint32_t bits) {
    const uint32_t wanted[3] = {frequency, channels, bits};
    for (auto name = First(); name; name = Next()) {
        const std::string key = JoinKey(kKey, *name);
        bool same = true;
        // Compared in this order, stopping at the first value that differs or cannot be read.
        for (int i = 0; i < 3 && same; ++i)
            same = ReadWord(m_settings, key, kValueNames[i]) == wanted[i];
        if (same)
            return name;
    }
    return std::nullopt;
}

bool SampleRatePresets::Load(const std::string& name) {
    const std::string key = JoinKey(kKey, name);
    if (name.empty() || !m_settings.KeyExists(key))
        return false;
    const auto frequency = ReadWord(m_settings, key, kValueNames[0]);
    const auto channels = ReadWord(m_settings, key, kValueNames[1]);
    const auto bits = ReadWord(m_settings, key, kValueNames[2]);
    if (!frequency || !channels || !bits)
        return false;
    Frequency = *frequency;
    Channels = *channels;
    Bits = *bits;
    m_name = name;
    return true;
}

bool SampleRatePresets::Save(const std::string& name) {
    // A separator would make the name a path of nested keys.
    if (name.empty() || name.find_first_of("\\/") != std::string::npos)
        return false;
    const std::string key = JoinKey(kKey, name);
    return m_settings.CreateKey(key) && WriteWord(m_settings, key, kValueNames[0], Frequency) &&
           WriteWord(m_settings, key, kValueNames[1], Channels) &&
           WriteWord(m_settings, key, kValueNames[2], Bits);
}

bool SampleRatePresets::Delete(const std::string& name) {
    return !name.empty() && m_settings.DeleteKey(JoinKey(kKey, name));
}
