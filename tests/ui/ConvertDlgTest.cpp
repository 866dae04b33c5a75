#include <QTest>
#include <memory>

#include "core/effects/Convert.h"
#include "core/sample/SampleBuffer.h"
#include "support/TestServices.h"
#include "ui/DialogDriver.h"
#include "ui/SoundBytes.h"
#include "ui/effects/ConvertCommand.h"
#include "ui/effects/ConvertDlg.h"
#include "ui/effects/SamplePresetsDlg.h"

using namespace uitest;

namespace {

void StorePreset(SettingsStore& settings, const std::string& name, uint32_t frequency,
                 uint32_t channels, uint32_t bits) {
    SampleRatePresets presets(settings);
    presets.Frequency = frequency;
    presets.Channels = channels;
    presets.Bits = bits;
    presets.Save(name);
}

}  // namespace

class ConvertDlgTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void StartsFromTheCallersFormat();
    void QualityNamesTheMatchingPreset();
    void ChoosingAQualityAppliesItsValues();
    void ArrowsStepOneHertzWithinTheirRange();
    void RefusesARateNoSoundCanHave_data();
    void RefusesARateNoSoundCanHave();
    void PresetsRoundTripThroughTheStore();
    void PresetsClosedWithoutOkStillApplyTheName();
    void ConvertRelabelsToTheStoredFormatFirst();
    void ConvertDoublesTheRateByInterpolation();
    void ConvertRefusesABadRateWithoutTouchingTheSound();
    void CommandFillsTheDialogAndConvertsOnOk();

private:
    std::unique_ptr<TestServices> m_services;
};

void ConvertDlgTest::init() {
    m_services = std::make_unique<TestServices>();
}

void ConvertDlgTest::cleanup() {
    m_services.reset();
}

void ConvertDlgTest::StartsFromTheCallersFormat() {
    CConvertDlg d(m_services->services, "11025 Hz 8-Bit Mono", "44100 Hz", 1, 1);
    d.show();
    QCOMPARE(d.windowTitle(), QStringLiteral("Convert Sample"));
    QCOMPARE(TextOf(&d, "1014"), QStringLiteral("11025 Hz 8-Bit Mono"));
    QCOMPARE(TextOf(&d, "1001"), QStringLiteral("44100 Hz"));
    QCOMPARE(TextOf(&d, "1053"), QString());
    QVERIFY(RadioByText(&d, "&16-bit")->isChecked());
    QVERIFY(RadioByText(&d, "&Stereo")->isChecked());
    QCOMPARE(Items(&d, "1001"), (QStringList{"44100 Hz", "22050 Hz", "11025 Hz", "5018 Hz"}));
    QCOMPARE(ById<CUpDown>(&d, "1104")->Position(), 44100 - 32767);
    QCOMPARE(ById<CUpDown>(&d, "1104")->Minimum(), -28767);
    QCOMPARE(ById<CUpDown>(&d, "1104")->Maximum(), 15233);
}

void ConvertDlgTest::QualityNamesTheMatchingPreset() {
    StorePreset(m_services->settings, "CD", 44100, 2, 16);
    StorePreset(m_services->settings, "Radio", 22050, 1, 8);
    StorePreset(m_services->settings, "Same as radio", 22050, 1, 8);
    CConvertDlg d(m_services->services, "", "22050 Hz", 0, 0);
    d.show();
    QCOMPARE(Items(&d, "1053"), (QStringList{"CD", "Radio", "Same as radio"}));
    QCOMPARE(TextOf(&d, "1053"), QStringLiteral("Radio"));  // the first in store order
    Click(RadioByText(&d, "&Stereo"));
    QCOMPARE(TextOf(&d, "1053"), QString());
    Click(RadioByText(&d, "&16-bit"));
    Choose(&d, "1001", "44100 Hz");
    QCOMPARE(TextOf(&d, "1053"), QStringLiteral("CD"));
    TypeOver(&d, "1001", "44101");
    QCOMPARE(TextOf(&d, "1053"), QString());
    QLineEdit* frequency = ById<QComboBox>(&d, "1001")->lineEdit();
    QTest::keyClick(frequency, Qt::Key_Backspace);
    QTest::keyClick(frequency, Qt::Key_0);
    QCOMPARE(TextOf(&d, "1001"), QStringLiteral("44100"));
    QCOMPARE(TextOf(&d, "1053"), QStringLiteral("CD"));
}

void ConvertDlgTest::ChoosingAQualityAppliesItsValues() {
    StorePreset(m_services->settings, "CD", 44100, 2, 16);
    StorePreset(m_services->settings, "Phone", 8000, 1, 8);
    CConvertDlg d(m_services->services, "", "11025 Hz", 0, 1);
    d.show();
    Choose(&d, "1053", "CD");
    QCOMPARE(TextOf(&d, "1001"), QStringLiteral("44100 Hz"));
    QVERIFY(RadioByText(&d, "&16-bit")->isChecked());
    QVERIFY(RadioByText(&d, "&Stereo")->isChecked());
    TypeOver(&d, "1053", "Phone");
    QCOMPARE(TextOf(&d, "1001"), QStringLiteral("8000 Hz"));
    QVERIFY(RadioByText(&d, "&8-bit")->isChecked());
    QVERIFY(RadioByText(&d, "&Mono")->isChecked());
    TypeOver(&d, "1053", "Studio");  // not stored: nothing changes
    QCOMPARE(TextOf(&d, "1001"), QStringLiteral("8000 Hz"));
    QCOMPARE(TextOf(&d, "1053"), QStringLiteral("Studio"));
}

void ConvertDlgTest::ArrowsStepOneHertzWithinTheirRange() {
    StorePreset(m_services->settings, "Odd", 22051, 1, 8);
    CConvertDlg d(m_services->services, "", "22050 Hz", 0, 0);
    d.show();
    ClickArrow(&d, "1104", true);
    QCOMPARE(TextOf(&d, "1001"), QStringLiteral("22051 Hz"));
    QCOMPARE(TextOf(&d, "1053"), QStringLiteral("Odd"));
    TypeOver(&d, "1001", "60000 Hz");
    ClickArrow(&d, "1104", true);
    QCOMPARE(TextOf(&d, "1001"), QStringLiteral("48000 Hz"));
    TypeOver(&d, "1001", "x");
    ClickArrow(&d, "1104", false);
    QCOMPARE(TextOf(&d, "1001"), QStringLiteral("4000 Hz"));
}

void ConvertDlgTest::RefusesARateNoSoundCanHave_data() {
    QTest::addColumn<QString>("frequency");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("zero") << "0 Hz" << false;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("words") << "fast" << false;
    QTest::newRow("negative") << "-8000 Hz" << false;
    QTest::newRow("above 50000") << "50001 Hz" << false;
    QTest::newRow("huge") << "9999999999" << false;
    QTest::newRow("50000") << "50000 Hz" << true;
    QTest::newRow("1") << "1" << true;
}

void ConvertDlgTest::RefusesARateNoSoundCanHave() {
    QFETCH(QString, frequency);
    QFETCH(bool, accepted);
    RecordingMessageSink& sink = m_services->messages;
    sink.Clear();
    CConvertDlg d(m_services->services, "", "22050 Hz", 0, 0);
    d.show();
    TypeOver(&d, "1001", frequency);
    Click(&d, "1");
    if (accepted) {
        QCOMPARE(d.result(), int(QDialog::Accepted));
        QVERIFY(sink.Shown().empty());
    } else {
        QVERIFY(d.isVisible());
        QCOMPARE(sink.Texts(), std::vector<std::string>{CConvertDlg::kBadFrequencyMessage});
    }
}

void ConvertDlgTest::PresetsRoundTripThroughTheStore() {
    StorePreset(m_services->settings, "CD", 44100, 2, 16);
    CConvertDlg d(m_services->services, "", "11025 Hz", 1, 0);
    d.show();
    WhenModalOpens<CSamplePresetsDlg>([](CSamplePresetsDlg* p) {
        // The presets dialog starts from the convert dialog's values.
        QCOMPARE(TextOf(p, "1001"), QStringLiteral("11025 Hz"));
        QVERIFY(RadioByText(p, "&16-bit")->isChecked());
        QVERIFY(RadioByText(p, "&Mono")->isChecked());
        QCOMPARE(TextOf(p, "1053"), QString());
        TypeOver(p, "1053", "Tape");
        TypeOver(p, "1001", "32000 Hz");
        Click(RadioByText(p, "&Stereo"));
        Click(p, "1070");
        Click(p, "1");
    });
    Click(&d, "1056");
    QCOMPARE(Items(&d, "1053"), (QStringList{"CD", "Tape"}));
    QCOMPARE(TextOf(&d, "1053"), QStringLiteral("Tape"));
    QCOMPARE(TextOf(&d, "1001"), QStringLiteral("32000 Hz"));
    QVERIFY(RadioByText(&d, "&Stereo")->isChecked());
    QVERIFY(RadioByText(&d, "&16-bit")->isChecked());

    // Back again: the presets dialog opens on "Tape", which is then deleted.
    WhenModalOpens<CSamplePresetsDlg>([](CSamplePresetsDlg* p) {
        QCOMPARE(TextOf(p, "1053"), QStringLiteral("Tape"));
        QCOMPARE(TextOf(p, "1003"), QStringLiteral("125 Kb/sec"));
        Click(p, "1071");
        Click(p, "1");
    });
    Click(&d, "1056");
    QCOMPARE(Items(&d, "1053"), QStringList{"CD"});
    QCOMPARE(TextOf(&d, "1001"), QStringLiteral("32000 Hz"));
}

void ConvertDlgTest::PresetsClosedWithoutOkStillApplyTheName() {
    StorePreset(m_services->settings, "CD", 44100, 2, 16);
    StorePreset(m_services->settings, "Phone", 8000, 1, 8);
    CConvertDlg d(m_services->services, "", "11025 Hz", 1, 0);
    d.show();
    WhenModalOpens<CSamplePresetsDlg>([](CSamplePresetsDlg* p) {
        Choose(p, "1053", "Phone");
        QTest::keyClick(p, Qt::Key_Escape);
    });
    Click(&d, "1056");
    QCOMPARE(TextOf(&d, "1053"), QStringLiteral("Phone"));
    QCOMPARE(TextOf(&d, "1001"), QStringLiteral("8000 Hz"));
    QVERIFY(RadioByText(&d, "&8-bit")->isChecked());
}

void ConvertDlgTest::ConvertRelabelsToTheStoredFormatFirst() {
    // The sound is labelled 8-bit stereo, but its bytes are 8-bit mono as stored.
    SampleBuffer sample;
    SetBytes(sample, kLayoutStereo8, {0x80, 0x90, 0x70, 0xFF}, 11025);
    SampleFormat stored(11025, false, false);
    QVERIFY(ApplyConvert(m_services->messages, sample, stored, SampleFormat(11025, false, true)));
    QCOMPARE(Values16(sample), (std::vector<int>{0, 0x1000, -0x1000, 0x7F00}));
    QVERIFY(stored == SampleFormat(11025, false, true));
    QVERIFY(sample.FormatRef() == stored);
}

void ConvertDlgTest::ConvertDoublesTheRateByInterpolation() {
    SampleBuffer sample;
    SetBytes(sample, kLayoutStereo16, Le16({-3, 0, -301, -299, 1000, 2000}), 11025);
    SampleFormat stored = sample.FormatRef();
    QVERIFY(ApplyConvert(m_services->messages, sample, stored, SampleFormat(22050, false, true)));
    // Mono (-1, -300, 1500), then every second frame the mean truncated toward zero.
    QCOMPARE(Values16(sample), (std::vector<int>{-1, -150, -300, 600, 1500, 1500}));
    QCOMPARE(stored.GetFrequency(), 22050u);
}

void ConvertDlgTest::ConvertRefusesABadRateWithoutTouchingTheSound() {
    RecordingMessageSink& sink = m_services->messages;
    sink.Clear();
    SampleBuffer sample;
    SetBytes(sample, kLayoutMono8, {1, 2, 3}, 22050);
    SampleFormat stored(11025, false, false);
    QVERIFY(!ApplyConvert(m_services->messages, sample, stored, SampleFormat(0, false, true)));
    QCOMPARE(Bytes(sample), (std::vector<uint8_t>{1, 2, 3}));
    QCOMPARE(sample.GetFrequency(), 22050u);
    QCOMPARE(stored.GetFrequency(), 11025u);
    QCOMPARE(sink.Texts(), std::vector<std::string>{kBadRateMessage});
}

void ConvertDlgTest::CommandFillsTheDialogAndConvertsOnOk() {
    SampleBuffer sample;
    SetBytes(sample, kLayoutMono16, Le16({0x7FFF, -32768, 0, 0}), 22050);
    SampleFormat stored(22050, false, true);
    WhenModalOpens<CConvertDlg>([](CConvertDlg* d) {
        QCOMPARE(TextOf(d, "1014"), QStringLiteral("22050 Hz 16-Bit Mono"));
        QCOMPARE(TextOf(d, "1001"), QStringLiteral("22050 Hz"));
        QVERIFY(RadioByText(d, "&16-bit")->isChecked());
        TypeOver(d, "1001", "0");
        Click(d, "1");  // refused: the dialog stays
        Choose(d, "1001", "11025 Hz");
        Click(RadioByText(d, "&8-bit"));
        Click(d, "1");
    });
    RecordingMessageSink& sink = m_services->messages;
    sink.Clear();
    QVERIFY(RunConvertCommand(nullptr, m_services->services, sample, stored));
    QCOMPARE(sink.Texts(), std::vector<std::string>{CConvertDlg::kBadFrequencyMessage});
    // 8-bit first (0x7FFF -> 0xFF, -32768 -> 0x00), then every second frame.
    QCOMPARE(Bytes(sample), (std::vector<uint8_t>{0xFF, 0x80}));
    QVERIFY(stored == SampleFormat(11025, false, false));

    WhenModalOpens<CConvertDlg>([](CConvertDlg* d) {
        QCOMPARE(TextOf(d, "1014"), QStringLiteral("11025 Hz 8-Bit Mono"));
        Click(d, "2");
    });
    QVERIFY(!RunConvertCommand(nullptr, m_services->services, sample, stored));
    QCOMPARE(Bytes(sample), (std::vector<uint8_t>{0xFF, 0x80}));
}

QTEST_MAIN(ConvertDlgTest)
#include "ConvertDlgTest.moc"
