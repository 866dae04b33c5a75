#include <QCheckBox>
#include <QTest>
#include <clocale>
#include <cstdlib>
#include <cstring>

#include "core/sample/SampleBuffer.h"
#include "ui/DialogDriver.h"
#include "ui/SoundBytes.h"
#include "ui/effects/AmplifyCommand.h"
#include "ui/effects/AmplifyDlg.h"

using namespace uitest;

namespace {

// Shows the dialog over `sample` as the Amplify command would.
struct Amplifier {
    Amplifier(SampleBuffer& sample, bool stereoView, uint32_t start, uint32_t end, uint32_t channel)
        : sample(sample),
          start(start),
          end(end),
          channel(channel),
          dialog(&sample, stereoView, start, end, channel) {
        dialog.show();
    }
    // OK, then the command's work on the sound.
    void Ok() {
        Click(&dialog, "1");
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        ApplyAmplify(sample, start, end, channel, ChoiceOf(dialog));
    }
    SampleBuffer& sample;
    uint32_t start, end, channel;
    CAmplifyDlg dialog;
};

bool Enabled(QWidget* dialog, const char* id) {
    return ById<QWidget>(dialog, id)->isEnabled();
}

}  // namespace

class AmplifyDlgTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void StartsFromItsInitialValuesEveryTime();
    void DisablesTheSideTheSelectionLeavesOut_data();
    void DisablesTheSideTheSelectionLeavesOut();
    void LockCopiesTypedTextToTheOtherSide();
    void ArrowsStepHalfAPercentAndReturnToZero();
    void ScaleInDbRewritesTextsAndLabels();
    void NormaliseWritesThePeakGain();
    void NormaliseUnlockedMeasuresEachChannel();
    void OkAmplifiesEachChannelByItsOwnVolume();
    void EmptyOrNonNumericVolumeSilences();
    void DcBiasRemovesTheMeanPlusTheShift();
    void CommandLeavesTheSoundAloneOnCancel();
};

void AmplifyDlgTest::initTestCase() {
    // The run under a comma-decimal locale (see tests/ui/CMakeLists.txt) needs that locale
    // installed: the application took it from the environment, or there is none to test with.
    if (std::getenv("ORVEX_COMMA_LOCALE_RUN") != nullptr &&
        std::strcmp(std::localeconv()->decimal_point, ",") != 0)
        QSKIP("no comma-decimal locale is installed");
}

void AmplifyDlgTest::StartsFromItsInitialValuesEveryTime() {
    SampleBuffer sample;
    SetBytes(sample, kLayoutStereo16, Le16({1000, -1000}));
    for (int run = 0; run < 2; ++run) {
        Amplifier amp(sample, true, 0, 0, 0);
        QWidget* d = &amp.dialog;
        QCOMPARE(d->windowTitle(), QStringLiteral("Adjust Volume"));
        QCOMPARE(TextOf(d, "1013"), QStringLiteral("100"));
        QCOMPARE(TextOf(d, "1014"), QStringLiteral("100"));
        QCOMPARE(TextOf(d, "1068"), QStringLiteral("100"));
        QCOMPARE(TextOf(d, "1070"), QStringLiteral("0"));
        QCOMPARE(TextOf(d, "1016"), QStringLiteral("volume %"));
        QCOMPARE(TextOf(d, "1017"), QStringLiteral("volume %"));
        QVERIFY(ById<QCheckBox>(d, "1015")->isChecked());
        QVERIFY(!ById<QCheckBox>(d, "1026")->isChecked());
        QVERIFY(!ById<QCheckBox>(d, "1069")->isChecked());
        QCOMPARE(ById<QCheckBox>(d, "1015")->text(), QStringLiteral("L&ock Left && Right"));
        // Change everything the first time; the second opening must not remember it.
        TypeOver(d, "1013", "50");
        Click(d, "1026");
        Click(d, "1069");
        Click(d, "1015");
    }
}

void AmplifyDlgTest::DisablesTheSideTheSelectionLeavesOut_data() {
    QTest::addColumn<bool>("stereoView");
    QTest::addColumn<uint32_t>("channel");
    QTest::addColumn<bool>("left");
    QTest::addColumn<bool>("right");
    QTest::addColumn<bool>("locked");
    QTest::newRow("stereo both") << true << 0u << true << true << true;
    QTest::newRow("stereo left") << true << 1u << true << false << false;
    QTest::newRow("stereo right") << true << 2u << false << true << false;
    QTest::newRow("mono") << false << 0u << true << false << true;
}

void AmplifyDlgTest::DisablesTheSideTheSelectionLeavesOut() {
    QFETCH(bool, stereoView);
    QFETCH(uint32_t, channel);
    QFETCH(bool, left);
    QFETCH(bool, right);
    QFETCH(bool, locked);
    SampleBuffer sample;
    SetBytes(sample, stereoView ? kLayoutStereo8 : kLayoutMono8, {0x80, 0x80});
    Amplifier amp(sample, stereoView, 0, 0, channel);
    QWidget* d = &amp.dialog;
    for (const char* id : {"1013", "1072", "1016", "1106"}) QCOMPARE(Enabled(d, id), left);
    for (const char* id : {"1014", "1073", "1017", "1107"}) QCOMPARE(Enabled(d, id), right);
    QCOMPARE(Enabled(d, "1015"), left && right);
    QCOMPARE(ById<QCheckBox>(d, "1015")->isChecked(), locked);
    for (const char* id : {"1026", "1067", "1068", "1069", "1070"}) QVERIFY(Enabled(d, id));
}

void AmplifyDlgTest::LockCopiesTypedTextToTheOtherSide() {
    SampleBuffer sample;
    SetBytes(sample, kLayoutStereo16, Le16({0, 0}));
    Amplifier amp(sample, true, 0, 0, 0);
    QWidget* d = &amp.dialog;
    TypeOver(d, "1013", "150");
    QCOMPARE(TextOf(d, "1014"), QStringLiteral("150"));
    TypeOver(d, "1014", "7.5");
    QCOMPARE(TextOf(d, "1013"), QStringLiteral("7.5"));
    Click(d, "1015");
    TypeOver(d, "1014", "80");
    QCOMPARE(TextOf(d, "1013"), QStringLiteral("7.5"));
    // Edits hold at most ten characters.
    TypeOver(d, "1013", "123456789012");
    QCOMPARE(TextOf(d, "1013"), QStringLiteral("1234567890"));
}

void AmplifyDlgTest::ArrowsStepHalfAPercentAndReturnToZero() {
    SampleBuffer sample;
    SetBytes(sample, kLayoutStereo16, Le16({0, 0}));
    Amplifier amp(sample, true, 0, 0, 0);
    QWidget* d = &amp.dialog;
    ClickArrow(d, "1106", true, 3);
    QCOMPARE(TextOf(d, "1013"), QStringLiteral("101.5"));
    QCOMPARE(TextOf(d, "1014"), QStringLiteral("101.5"));
    QCOMPARE(ById<CUpDown>(d, "1106")->Position(), 0);
    Click(d, "1015");  // unlock: the right arrows move the right side only
    ClickArrow(d, "1107", false, 4);
    QCOMPARE(TextOf(d, "1014"), QStringLiteral("99.5"));
    QCOMPARE(TextOf(d, "1013"), QStringLiteral("101.5"));
    QCOMPARE(ById<CUpDown>(d, "1107")->Position(), 0);
    // In dB the step is still half a percent: 100.5 % is 0.0433 dB.
    TypeOver(d, "1013", "100");
    Click(d, "1026");
    QCOMPARE(TextOf(d, "1013"), QStringLiteral("0.00"));
    ClickArrow(d, "1106", true);
    QCOMPARE(TextOf(d, "1013"), QStringLiteral("0.04"));
    // The normalise and DC bias arrows keep their edit equal to their position, from what was
    // typed and within their ranges.
    ClickArrow(d, "1111", true);
    QCOMPARE(TextOf(d, "1068"), QStringLiteral("101"));
    TypeOver(d, "1068", "31999");
    ClickArrow(d, "1111", true, 3);
    QCOMPARE(TextOf(d, "1068"), QStringLiteral("32000"));
    ClickArrow(d, "1112", false, 2);
    QCOMPARE(TextOf(d, "1070"), QStringLiteral("-2"));
    TypeOver(d, "1070", "-99");
    ClickArrow(d, "1112", false, 5);
    QCOMPARE(TextOf(d, "1070"), QStringLiteral("-100"));
}

void AmplifyDlgTest::ScaleInDbRewritesTextsAndLabels() {
    SampleBuffer sample;
    SetBytes(sample, kLayoutStereo16, Le16({0, 0}));
    Amplifier amp(sample, true, 0, 0, 0);
    QWidget* d = &amp.dialog;
    Click(d, "1015");
    TypeOver(d, "1013", "200");
    TypeOver(d, "1014", "50");
    Click(d, "1026");
    QCOMPARE(TextOf(d, "1013"), QStringLiteral("6.02"));
    QCOMPARE(TextOf(d, "1014"), QStringLiteral("-6.02"));
    QCOMPARE(TextOf(d, "1016"), QStringLiteral("volume dB"));
    QCOMPARE(TextOf(d, "1017"), QStringLiteral("volume dB"));
    // The texts are now dB: -6.02 dB reads back as 49.97 %, shown with one decimal.
    Click(d, "1026");
    QCOMPARE(TextOf(d, "1013"), QStringLiteral("200.0"));
    QCOMPARE(TextOf(d, "1014"), QStringLiteral("50.0"));
    QCOMPARE(TextOf(d, "1016"), QStringLiteral("volume %"));
    // Typed dB texts give percentages on OK: 20 dB is 1000 %, 0 is unchanged.
    Click(d, "1026");
    TypeOver(d, "1013", "20");
    TypeOver(d, "1014", "0");
    Click(d, "1");
    QCOMPARE(amp.dialog.m_fLeft, 1000.0f);
    QCOMPARE(amp.dialog.m_fRight, 100.0f);
}

void AmplifyDlgTest::NormaliseWritesThePeakGain() {
    SampleBuffer loud16;
    SetBytes(loud16, kLayoutMono16, Le16({100, -16384, 16000, 5}));
    {
        Amplifier amp(loud16, false, 0, 3, 0);
        Click(&amp.dialog, "1067");
        QCOMPARE(TextOf(&amp.dialog, "1013"), QStringLiteral("200.0"));
        Click(&amp.dialog, "1026");
        Click(&amp.dialog, "1067");
        QCOMPARE(TextOf(&amp.dialog, "1013"), QStringLiteral("6.02"));
    }
    {
        // Only the selected frames count: frame 1 holds the peak and is left out.
        Amplifier amp(loud16, false, 2, 3, 0);
        Click(&amp.dialog, "1067");
        QCOMPARE(TextOf(&amp.dialog, "1013"), QStringLiteral("204.8"));
    }
    SampleBuffer full8;
    SetBytes(full8, kLayoutMono8, {0x80, 0x00, 0xC0});
    {
        Amplifier amp(full8, false, 0, 2, 0);
        Click(&amp.dialog, "1067");
        QCOMPARE(TextOf(&amp.dialog, "1013"), QStringLiteral("100.0"));
    }
    SampleBuffer quiet8;
    SetBytes(quiet8, kLayoutMono8, {127, 127, 127});
    {
        // Byte 127 has magnitude 0: silence gains 1.0, so the target itself is written; the
        // target is read as a whole number.
        Amplifier amp(quiet8, false, 0, 2, 0);
        TypeOver(&amp.dialog, "1068", "50.9x");
        Click(&amp.dialog, "1067");
        QCOMPARE(TextOf(&amp.dialog, "1013"), QStringLiteral("50.0"));
    }
}

void AmplifyDlgTest::NormaliseUnlockedMeasuresEachChannel() {
    SampleBuffer sample;
    SetBytes(sample, kLayoutStereo16, Le16({16384, 1000, -100, -8192}));
    {
        Amplifier amp(sample, true, 0, 1, 0);
        Click(&amp.dialog, "1067");  // locked: one gain from both channels
        QCOMPARE(TextOf(&amp.dialog, "1013"), QStringLiteral("200.0"));
        QCOMPARE(TextOf(&amp.dialog, "1014"), QStringLiteral("200.0"));
        Click(&amp.dialog, "1015");
        Click(&amp.dialog, "1067");
        QCOMPARE(TextOf(&amp.dialog, "1013"), QStringLiteral("200.0"));
        QCOMPARE(TextOf(&amp.dialog, "1014"), QStringLiteral("400.0"));
    }
    {
        Amplifier amp(sample, true, 0, 1, 2);  // the right channel alone: the left text stays
        Click(&amp.dialog, "1067");
        QCOMPARE(TextOf(&amp.dialog, "1013"), QStringLiteral("100"));
        QCOMPARE(TextOf(&amp.dialog, "1014"), QStringLiteral("400.0"));
    }
}

void AmplifyDlgTest::OkAmplifiesEachChannelByItsOwnVolume() {
    SampleBuffer sample;
    SetBytes(sample, kLayoutStereo16, Le16({20000, 20000, -1, -3, -20000, 7, 9, 9}));
    {
        Amplifier amp(sample, true, 0, 2, 0);
        Click(&amp.dialog, "1015");
        TypeOver(&amp.dialog, "1013", "200");
        TypeOver(&amp.dialog, "1014", "50");
        amp.Ok();
    }
    // Left doubled and clamped, right halved and truncated toward zero; frame 3 is outside.
    QCOMPARE(Values16(sample), (std::vector<int>{32767, 10000, -2, -1, -32768, 3, 9, 9}));

    SetBytes(sample, kLayoutStereo16, Le16({20000, 20000, -1, -3}));
    {
        Amplifier amp(sample, true, 0, 1, 2);
        TypeOver(&amp.dialog, "1014", "200");
        amp.Ok();
    }
    QCOMPARE(Values16(sample), (std::vector<int>{20000, 32767, -1, -6}));

    // A mono sound with both channels selected takes the left volume.
    SampleBuffer mono;
    SetBytes(mono, kLayoutMono8, {0xC0, 0x40, 0x81});
    {
        Amplifier amp(mono, false, 0, 2, 0);
        TypeOver(&amp.dialog, "1013", "200");
        amp.Ok();
    }
    QCOMPARE(Bytes(mono), (std::vector<uint8_t>{0xFF, 0x00, 0x82}));
}

void AmplifyDlgTest::EmptyOrNonNumericVolumeSilences() {
    for (const QString& text : {QString(), QStringLiteral("abc")}) {
        SampleBuffer sample;
        SetBytes(sample, kLayoutMono8, {0x00, 0xFF, 0x90});
        Amplifier amp(sample, false, 0, 2, 0);
        TypeOver(&amp.dialog, "1013", text);
        amp.Ok();
        QCOMPARE(Bytes(sample), (std::vector<uint8_t>{0x80, 0x80, 0x80}));
    }
    // In dB the same text means 0 dB, which leaves the sound as it was.
    SampleBuffer sample;
    SetBytes(sample, kLayoutMono8, {0x00, 0xFF, 0x90});
    Amplifier amp(sample, false, 0, 2, 0);
    Click(&amp.dialog, "1026");
    TypeOver(&amp.dialog, "1013", "abc");
    amp.Ok();
    QCOMPARE(Bytes(sample), (std::vector<uint8_t>{0x00, 0xFF, 0x90}));
}

void AmplifyDlgTest::DcBiasRemovesTheMeanPlusTheShift() {
    SampleBuffer sample;
    SetBytes(sample, kLayoutMono8, {130, 130, 130});
    {
        // The bias works on the whole sound, whatever the range.
        Amplifier amp(sample, false, 1, 1, 0);
        Click(&amp.dialog, "1069");
        amp.Ok();
    }
    QCOMPARE(Bytes(sample), (std::vector<uint8_t>{128, 128, 128}));

    SampleBuffer sixteen;
    SetBytes(sixteen, kLayoutStereo16, Le16({1000, 50, 1000, 50}));
    {
        // Left channel only, shifted by 10 % of 32767: 1000 - (1000 + 3276.7) = -3276.
        Amplifier amp(sixteen, true, 0, 1, 1);
        Click(&amp.dialog, "1069");
        ClickArrow(&amp.dialog, "1112", true, 10);
        amp.Ok();
    }
    QCOMPARE(Values16(sixteen), (std::vector<int>{-3276, 50, -3276, 50}));
}

void AmplifyDlgTest::CommandLeavesTheSoundAloneOnCancel() {
    SampleBuffer sample;
    SetBytes(sample, kLayoutMono16, Le16({1000, -1000}));
    WhenModalOpens<CAmplifyDlg>([](CAmplifyDlg* d) {
        TypeOver(d, "1013", "300");
        Click(d, "2");
    });
    QVERIFY(!RunAmplifyCommand(nullptr, sample, false, 0, 1, 0));
    QCOMPARE(Values16(sample), (std::vector<int>{1000, -1000}));

    WhenModalOpens<CAmplifyDlg>([](CAmplifyDlg* d) {
        QCOMPARE(TextOf(d, "1013"), QStringLiteral("100"));
        TypeOver(d, "1013", "300");
        Click(d, "1");
    });
    QVERIFY(RunAmplifyCommand(nullptr, sample, false, 0, 1, 0));
    QCOMPARE(Values16(sample), (std::vector<int>{3000, -3000}));
}

QTEST_MAIN(AmplifyDlgTest)
#include "AmplifyDlgTest.moc"
