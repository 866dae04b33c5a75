#include <QPushButton>
#include <QTest>
#include <memory>

#include "support/TestServices.h"
#include "ui/DialogDriver.h"
#include "ui/effects/SamplePresetsDlg.h"

namespace {

void StorePreset(SettingsStore& settings, const std::string& name, uint32_t frequency,
                 uint32_t channels, uint32_t bits) {
    SampleRatePresets presets(settings);
    presets.Frequency = frequency;
    presets.Channels = channels;
    presets.Bits = bits;
    presets.Save(name);
}

// The value as the store holds it: four little-endian bytes of type none.
std::optional<uint32_t> StoredWord(const SettingsStore& settings, const std::string& preset,
                                   const char* name) {
    const auto value = settings.GetValue(JoinKey(SampleRatePresets::kKey, preset), name);
    if (!value || value->type != SettingsValueType::None || value->bytes.size() != 4) {
        return std::nullopt;
    }
    return value->bytes[0] | (value->bytes[1] << 8) | (value->bytes[2] << 16) |
           (uint32_t{value->bytes[3]} << 24);
}

}  // namespace

class SamplePresetsDlgTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void StartsAt22050Mono8Bit();
    void MemoryFollowsRateWidthAndChannels();
    void ArrowsHoldTheFrequencyBetween4000And48000();
    void SaveWritesThePresetAndListsIt();
    void SaveOverwritesAnExistingName();
    void DeleteRemovesThePreset();
    void ChoosingOrTypingANameShowsItsValues();
    void StartsOnTheCallersPreset();
    void RefusedSaveOrDeleteBeeps();

private:
    std::unique_ptr<TestServices> m_services;
};

void SamplePresetsDlgTest::init() {
    m_services = std::make_unique<TestServices>();
}

void SamplePresetsDlgTest::cleanup() {
    m_services.reset();
}

void SamplePresetsDlgTest::StartsAt22050Mono8Bit() {
    CSamplePresetsDlg d(m_services->services);
    d.show();
    QCOMPARE(d.windowTitle(), QStringLiteral("Sample Presets"));
    QCOMPARE(TextOf(&d, "1053"), QString());
    QCOMPARE(TextOf(&d, "1001"), QStringLiteral("22050 Hz"));
    QCOMPARE(TextOf(&d, "1003"), QStringLiteral("21 Kb/sec"));
    QVERIFY(RadioByText(&d, "&8-bit")->isChecked());
    QVERIFY(RadioByText(&d, "&Mono")->isChecked());
    QCOMPARE(Items(&d, "1001"), (QStringList{"44100 Hz", "22050 Hz", "11025 Hz", "5018 Hz"}));
    QCOMPARE(Items(&d, "1053"), QStringList());
    QCOMPARE(ById<CUpDown>(&d, "1104")->Position(), 22050 - 32767);
}

void SamplePresetsDlgTest::MemoryFollowsRateWidthAndChannels() {
    CSamplePresetsDlg d(m_services->services);
    d.show();
    Click(RadioByText(&d, "&16-bit"));
    QCOMPARE(TextOf(&d, "1003"), QStringLiteral("43 Kb/sec"));  // 44100 / 1024 = 43.07
    Click(RadioByText(&d, "&Stereo"));
    QCOMPARE(TextOf(&d, "1003"), QStringLiteral("86 Kb/sec"));
    Choose(&d, "1001", "44100 Hz");
    QCOMPARE(TextOf(&d, "1001"), QStringLiteral("44100 Hz"));
    QCOMPARE(TextOf(&d, "1003"), QStringLiteral("172 Kb/sec"));
    TypeOver(&d, "1001", "1023");
    QCOMPARE(TextOf(&d, "1003"), QStringLiteral("3 Kb/sec"));  // 4092 bytes
    Click(RadioByText(&d, "&8-bit"));
    Click(RadioByText(&d, "&Mono"));
    QCOMPARE(TextOf(&d, "1003"), QStringLiteral("0 Kb/sec"));
    TypeOver(&d, "1001", "fast");
    QCOMPARE(TextOf(&d, "1003"), QStringLiteral("0 Kb/sec"));
}

void SamplePresetsDlgTest::ArrowsHoldTheFrequencyBetween4000And48000() {
    CSamplePresetsDlg d(m_services->services);
    d.show();
    ClickArrow(&d, "1104", true, 2);
    QCOMPARE(TextOf(&d, "1001"), QStringLiteral("22052 Hz"));
    TypeOver(&d, "1001", "47999 Hz");
    ClickArrow(&d, "1104", true, 3);
    QCOMPARE(TextOf(&d, "1001"), QStringLiteral("48000 Hz"));
    TypeOver(&d, "1001", "100 Hz");
    ClickArrow(&d, "1104", false);
    QCOMPARE(TextOf(&d, "1001"), QStringLiteral("4000 Hz"));
    QCOMPARE(TextOf(&d, "1003"), QStringLiteral("3 Kb/sec"));
}

void SamplePresetsDlgTest::SaveWritesThePresetAndListsIt() {
    StorePreset(m_services->settings, "Phone", 8000, 1, 8);
    CSamplePresetsDlg d(m_services->services);
    d.show();
    TypeOver(&d, "1053", "Radio");
    Choose(&d, "1001", "11025 Hz");
    Click(RadioByText(&d, "&16-bit"));
    Click(&d, "1070");
    QCOMPARE(StoredWord(m_services->settings, "Radio", "Frequency"),
             std::optional<uint32_t>(11025));
    QCOMPARE(StoredWord(m_services->settings, "Radio", "Channels"), std::optional<uint32_t>(1));
    QCOMPARE(StoredWord(m_services->settings, "Radio", "Bits"), std::optional<uint32_t>(16));
    QCOMPARE(Items(&d, "1053"), (QStringList{"Phone", "Radio"}));
    QCOMPARE(TextOf(&d, "1053"), QStringLiteral("Radio"));
    Click(&d, "1");
    QCOMPARE(d.m_strName, std::string("Radio"));
}

void SamplePresetsDlgTest::SaveOverwritesAnExistingName() {
    StorePreset(m_services->settings, "Radio", 11025, 1, 8);
    CSamplePresetsDlg d(m_services->services);
    d.show();
    TypeOver(&d, "1053", "Radio");
    TypeOver(&d, "1001", "32000 Hz");
    Click(RadioByText(&d, "&Stereo"));
    Click(&d, "1070");
    QCOMPARE(StoredWord(m_services->settings, "Radio", "Frequency"),
             std::optional<uint32_t>(32000));
    QCOMPARE(StoredWord(m_services->settings, "Radio", "Channels"), std::optional<uint32_t>(2));
    QCOMPARE(StoredWord(m_services->settings, "Radio", "Bits"), std::optional<uint32_t>(8));
    QCOMPARE(Items(&d, "1053"), QStringList{"Radio"});
}

void SamplePresetsDlgTest::DeleteRemovesThePreset() {
    StorePreset(m_services->settings, "CD", 44100, 2, 16);
    StorePreset(m_services->settings, "Radio", 11025, 1, 8);
    CSamplePresetsDlg d(m_services->services);
    d.show();
    Choose(&d, "1053", "CD");
    Click(&d, "1071");
    QVERIFY(!m_services->settings.KeyExists(JoinKey(SampleRatePresets::kKey, "CD")));
    QCOMPARE(Items(&d, "1053"), QStringList{"Radio"});
}

void SamplePresetsDlgTest::ChoosingOrTypingANameShowsItsValues() {
    StorePreset(m_services->settings, "CD", 44100, 2, 16);
    StorePreset(m_services->settings, "Radio", 11025, 1, 8);
    CSamplePresetsDlg d(m_services->services);
    d.show();
    Choose(&d, "1053", "CD");
    QCOMPARE(TextOf(&d, "1001"), QStringLiteral("44100 Hz"));
    QVERIFY(RadioByText(&d, "&16-bit")->isChecked());
    QVERIFY(RadioByText(&d, "&Stereo")->isChecked());
    QCOMPARE(TextOf(&d, "1003"), QStringLiteral("172 Kb/sec"));
    // A name that is not stored (yet) changes nothing; the full name applies its values.
    TypeOver(&d, "1053", "Radi");
    QCOMPARE(TextOf(&d, "1001"), QStringLiteral("44100 Hz"));
    QTest::keyClick(ById<QComboBox>(&d, "1053")->lineEdit(), Qt::Key_O);
    QCOMPARE(TextOf(&d, "1053"), QStringLiteral("Radio"));
    QCOMPARE(TextOf(&d, "1001"), QStringLiteral("11025 Hz"));
    QVERIFY(RadioByText(&d, "&8-bit")->isChecked());
    QVERIFY(RadioByText(&d, "&Mono")->isChecked());
}

void SamplePresetsDlgTest::StartsOnTheCallersPreset() {
    StorePreset(m_services->settings, "CD", 44100, 2, 16);
    CSamplePresetsDlg known(m_services->services, "CD", "8000 Hz", 0, 0);
    known.show();
    QCOMPARE(TextOf(&known, "1053"), QStringLiteral("CD"));
    QCOMPARE(TextOf(&known, "1001"), QStringLiteral("44100 Hz"));
    QVERIFY(RadioByText(&known, "&Stereo")->isChecked());
    CSamplePresetsDlg unknown(m_services->services, "Tape", "8000 Hz", 1, 0);
    unknown.show();
    QCOMPARE(TextOf(&unknown, "1053"), QStringLiteral("Tape"));
    QCOMPARE(TextOf(&unknown, "1001"), QStringLiteral("8000 Hz"));
    QVERIFY(RadioByText(&unknown, "&16-bit")->isChecked());
    QCOMPARE(TextOf(&unknown, "1003"), QStringLiteral("15 Kb/sec"));
}

void SamplePresetsDlgTest::RefusedSaveOrDeleteBeeps() {
    RecordingMessageSink& sink = m_services->messages;
    sink.Clear();
    CSamplePresetsDlg d(m_services->services);
    d.show();
    Click(&d, "1070");  // no name
    TypeOver(&d, "1053", "a\\b");
    Click(&d, "1070");  // a key separator would nest presets
    TypeOver(&d, "1053", "Nothing");
    Click(&d, "1071");
    QCOMPARE(sink.Beeps(), 3);
    QVERIFY(sink.Shown().empty());
    QVERIFY(m_services->settings.SubKeys(SampleRatePresets::kKey).empty());
}

QTEST_MAIN(SamplePresetsDlgTest)
#include "SamplePresetsDlgTest.moc"
