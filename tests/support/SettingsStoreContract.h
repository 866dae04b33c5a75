#pragma once

// What every settings store must do, run against each implementation with
// INSTANTIATE_TYPED_TEST_SUITE_P(Name, SettingsStoreContract, Types<Factory>).
#include <gtest/gtest.h>

#include <memory>

#include "core/settings/SettingsStore.h"

template <typename Factory>
class SettingsStoreContract : public ::testing::Test {
protected:
    Factory factory;
    std::unique_ptr<SettingsStore> store = factory.Make();
};

TYPED_TEST_SUITE_P(SettingsStoreContract);

TYPED_TEST_P(SettingsStoreContract, ValuesKeepTheirTypeAndBytesWhateverTheCase) {
    SettingsStore& s = *this->store;
    const std::string key = "SOFTWARE\\Orvex", rates = key + "\\Rates\\CD";
    const std::vector<uint8_t> curve(2048, 0xA5), preset = {0x44, 0xAC, 0, 0, 2, 0, 0, 0};
    EXPECT_TRUE(s.SetString(key, "LoadPath", "/home/user/sounds/") &&
                s.SetNumber(key, "DefaultRecordTime", 0xFFFFFFFEu) &&
                s.SetBytes(key + "\\Envelope Presets\\Fade", "Data", curve) &&
                s.SetBytes(rates, "Frequency", preset, SettingsValueType::None) &&
                s.SetString(key, "Empty", ""));
    EXPECT_EQ(s.GetString("software\\ORVEX", "loadpath"), "/home/user/sounds/");
    EXPECT_EQ(s.GetNumber(key, "DefaultRecordTime"), 0xFFFFFFFEu);
    EXPECT_EQ(s.GetBytes(key + "\\envelope presets\\FADE", "Data"), curve);
    EXPECT_EQ(s.GetValue(rates, "Frequency")->type, SettingsValueType::None);
    EXPECT_EQ(s.GetValue(rates, "Frequency")->bytes, preset);
    EXPECT_EQ(s.GetString(key, "Empty"), "");
    // A value of another type is not read as a string or a number.
    EXPECT_FALSE(s.GetString(key, "DefaultRecordTime") || s.GetNumber(key, "LoadPath"));
    EXPECT_FALSE(s.GetString(key, "Missing").has_value());
    // Writing in another case replaces the value rather than adding one.
    s.SetNumber("software\\orvex", "DEFAULTRECORDTIME", 8);
    EXPECT_EQ(s.GetNumber(key, "DefaultRecordTime"), 8u);
    EXPECT_EQ(s.SubKeys("SOFTWARE"), std::vector<std::string>{"Orvex"});
}

TYPED_TEST_P(SettingsStoreContract, EnumeratesSubkeysInStableOrderAndDeletes) {
    SettingsStore& s = *this->store;
    const std::string key = "SOFTWARE\\Orvex", presets = key + "\\Sample Rate Presets";
    for (const char* name : {"Telephone", "cd Quality", "Radio", "AM"})
        s.SetNumber(JoinKey(presets, name), "Frequency", 8000);
    EXPECT_TRUE(s.CreateKey(JoinKey(presets, "Empty One")));
    EXPECT_EQ(s.SubKeys(presets),
              (std::vector<std::string>{"AM", "cd Quality", "Empty One", "Radio", "Telephone"}));
    EXPECT_EQ(s.EnumSubKey(presets, 1), "cd Quality");
    EXPECT_FALSE(s.EnumSubKey(presets, 5).has_value());
    s.SetString(key, "LoadPath", "/tmp/");
    EXPECT_TRUE(s.DeleteValue(key, "loadpath"));
    EXPECT_FALSE(s.GetValue(key, "LoadPath") || s.DeleteValue(key, "LoadPath"));
    EXPECT_TRUE(s.DeleteKey(JoinKey(presets, "RADIO")));
    EXPECT_FALSE(s.KeyExists(JoinKey(presets, "Radio")) || s.DeleteKey(JoinKey(presets, "Radio")));
    EXPECT_TRUE(s.DeleteKey(presets));
    EXPECT_FALSE(s.KeyExists(presets));
    EXPECT_TRUE(s.SubKeys(presets).empty() && s.KeyExists(key));
}

REGISTER_TYPED_TEST_SUITE_P(SettingsStoreContract, ValuesKeepTheirTypeAndBytesWhateverTheCase,
                            EnumeratesSubkeysInStableOrderAndDeletes);
