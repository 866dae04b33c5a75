// The recording dialogs on the fake input device: the options' size rule and presets, the
// progress readouts and level meter at given inputs, stopping, and recordings refused before
// they start.
#include <QProgressBar>
#include <QTest>
#include <memory>

#include "core/audio/RecordingSession.h"
#include "core/effects/SampleRatePresets.h"
#include "core/sample/SampleBuffer.h"
#include "core/sample/SampleHeap.h"
#include "support/TestServices.h"
#include "ui/DialogDriver.h"
#include "ui/SoundBytes.h"
#include "ui/audio/CLevelMeter.h"
#include "ui/audio/CRecordOptionsDlg.h"
#include "ui/audio/CRecordProgressDlg.h"

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

class RecordDialogsTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void SizeRuleAndReadout_data();
    void SizeRuleAndReadout();
    void QualityFollowsPresetsBothWays();
    void ResultsTellWhereToRecord();
    void ProgressShowsSpaceAndShareRecorded();
    void MeterHoldsPeaksAndDecaysInSilence();
    void StopClosesOnlyWhenTheBufferIsBack();
    void RefusedRecordingsLeaveTheSoundAlone();
    void ADeviceThatNeverAnswersTheStopIsLetGo();

private:
    // Runs the progress dialog on m_sample; `during` acts on it while it is open.
    int RunProgress(uint32_t block, uint32_t frequency, bool stereo, bool sixteenBit,
                    std::function<void(CRecordProgressDlg*)> during);
    // Bytes the fake device captures, all of one value.
    void CaptureValue(uint32_t bytes, uint8_t value);

    std::unique_ptr<TestServices> m_services;
    std::unique_ptr<SampleBuffer> m_sample;
    std::unique_ptr<RecordingSession> m_session;
};

void RecordDialogsTest::init() {
    m_services = std::make_unique<TestServices>();
    m_sample = std::make_unique<SampleBuffer>();
    m_session =
        std::make_unique<RecordingSession>(*m_sample, m_services->devices, m_services->messages);
}

void RecordDialogsTest::cleanup() {
    SampleHeap::Instance().ClearLimitForTesting();
    m_session.reset();
    m_sample.reset();
    m_services.reset();
}

int RecordDialogsTest::RunProgress(uint32_t block, uint32_t frequency, bool stereo, bool sixteenBit,
                                   std::function<void(CRecordProgressDlg*)> during) {
    CRecordProgressDlg dialog(*m_session, *m_sample, m_services->services);
    dialog.SetQualityText(QStringLiteral("format"));
    if (during)
        WhenModalOpens<CRecordProgressDlg>(during);
    return dialog.Run(block, frequency, stereo, sixteenBit, -1);
}

void RecordDialogsTest::CaptureValue(uint32_t bytes, uint8_t value) {
    FakeInput* input = m_services->devices.input;
    const uint32_t from = input->header->bytesRecorded;
    input->Capture(bytes, 0);
    std::fill(input->header->data + from, input->header->data + input->header->bytesRecorded,
              value);
}

void RecordDialogsTest::SizeRuleAndReadout_data() {
    QTest::addColumn<QString>("frequency");
    QTest::addColumn<QString>("seconds");
    QTest::addColumn<bool>("sixteenBit");
    QTest::addColumn<bool>("stereo");
    QTest::addColumn<uint>("hz");
    QTest::addColumn<uint>("block");
    QTest::addColumn<QString>("readout");
    QTest::newRow("CD quality, a minute")
        << "44100 Hz"
        << "60" << true << true << 44100u << 10584000u << "10.1 Mb required";
    QTest::newRow("telephone, ten seconds")
        << "11025 Hz"
        << "10" << false << false << 11025u << 110250u << "107 Kb required";
    QTest::newRow("kHz in any case")
        << "22.05 KHz"
        << "1" << false << false << 22050u << 22050u << "21 Kb required";
    QTest::newRow("no unit, no thousands")
        << "22.05"
        << "1" << false << false << 22u << 22u << "0 Kb required";
    QTest::newRow("exponent") << "8e3 hz"
                              << "2" << true << false << 8000u << 32000u << "31 Kb required";
    QTest::newRow("no number") << "fast"
                               << "10" << false << false << 0u << 0u << "";
    QTest::newRow("past 32 bits is clamped")
        << "4000 kHz"
        << "9999999" << true << true << 4000000u << 4294967295u << "4096.0 Mb required";
}

void RecordDialogsTest::SizeRuleAndReadout() {
    QFETCH(QString, frequency);
    QFETCH(QString, seconds);
    QFETCH(bool, sixteenBit);
    QFETCH(bool, stereo);
    QFETCH(uint, hz);
    QFETCH(uint, block);
    QFETCH(QString, readout);
    CRecordOptionsDlg dialog(m_services->services);
    QString shown;
    WhenModalOpens<CRecordOptionsDlg>([&](CRecordOptionsDlg* d) {
        Click(RadioByText(d, sixteenBit ? "&16-Bit" : "&8-Bit"));
        Click(RadioByText(d, stereo ? "&Stereo" : "&Mono"));
        TypeOver(d, "1001", frequency);
        TypeOver(d, "1002", seconds);
        shown = TextOf(d, "1003");
        Click(d, "1");
    });
    QCOMPARE(dialog.Run(5), CRecordOptionsDlg::kRecordAsNew);
    QCOMPARE(shown, readout);
    QCOMPARE(dialog.m_frequency, hz);
    QCOMPARE(dialog.m_blockSize, block);
    QCOMPARE(dialog.m_b16Bit, sixteenBit);
    QCOMPARE(dialog.m_bStereo, stereo);
}

void RecordDialogsTest::QualityFollowsPresetsBothWays() {
    StorePreset(m_services->settings, "Telephone", 11025, 1, 8);
    StorePreset(m_services->settings, "CD", 44100, 2, 16);
    CRecordOptionsDlg dialog(m_services->services);
    dialog.m_strFrequency = "44100 Hz";
    dialog.m_nBits = 1;
    dialog.m_nChannels = 1;
    WhenModalOpens<CRecordOptionsDlg>([&](CRecordOptionsDlg* d) {
        QCOMPARE(Items(d, "1053"), (QStringList{"CD", "Telephone"}));
        QCOMPARE(TextOf(d, "1053"), QStringLiteral("CD"));  // matched at start
        QCOMPARE(TextOf(d, "1002"), QStringLiteral("7"));
        QCOMPARE(TextOf(d, "1003"), QStringLiteral("1.2 Mb required"));
        QVERIFY(!ById<QWidget>(d, "1026")->isVisible());

        Choose(d, "1053", QStringLiteral("Telephone"));
        QVERIFY(RadioByText(d, "&Mono")->isChecked());
        QVERIFY(RadioByText(d, "&8-Bit")->isChecked());
        QCOMPARE(TextOf(d, "1001"), QStringLiteral("11025 Hz"));
        QCOMPARE(ById<CUpDown>(d, "1104")->Position(), 11025 - 32767);
        QCOMPARE(TextOf(d, "1003"), QStringLiteral("75 Kb required"));

        // A rate no preset has names none; the arrows step from the typed rate.
        TypeOver(d, "1001", QStringLiteral("12345 Hz"));
        QCOMPARE(TextOf(d, "1053"), QString());
        ClickArrow(d, "1104", true);
        QCOMPARE(TextOf(d, "1001"), QStringLiteral("12346 Hz"));
        ClickArrow(d, "1110", true, 3);
        QCOMPARE(TextOf(d, "1002"), QStringLiteral("10"));
        Choose(d, "1002", QStringLiteral(" 120"));
        QCOMPARE(ById<CUpDown>(d, "1110")->Position(), 120);
        QCOMPARE(TextOf(d, "1003"), QStringLiteral("1.4 Mb required"));
        Click(d, "1");
    });
    QCOMPARE(dialog.Run(7), CRecordOptionsDlg::kRecordAsNew);
    QCOMPARE(dialog.m_blockSize, 12346u * 120);
    QCOMPARE(dialog.FormatCode(), 5u);
}

void RecordDialogsTest::ResultsTellWhereToRecord() {
    struct Case {
        bool untick;
        bool cancel;
        int result;
    };
    for (const Case& c : {Case{false, false, CRecordOptionsDlg::kRecordAsNew},
                          Case{true, false, CRecordOptionsDlg::kRecordHere},
                          Case{false, true, CRecordOptionsDlg::kCancel}}) {
        CRecordOptionsDlg dialog(m_services->services);
        WhenModalOpens<CRecordOptionsDlg>([&](CRecordOptionsDlg* d) {
            QVERIFY(ById<QCheckBox>(d, "1000")->isChecked());
            if (c.untick)
                Click(d, "1000");
            Click(RadioByText(d, "&Stereo"));
            Click(RadioByText(d, "&16-Bit"));
            Click(d, c.cancel ? "2" : "1");
        });
        QCOMPARE(dialog.Run(1), c.result);
        if (!c.cancel)
            QCOMPARE(dialog.FormatCode(), 10u);
    }
}

void RecordDialogsTest::ProgressShowsSpaceAndShareRecorded() {
    const int result = RunProgress(882000, 22050, true, true, [&](CRecordProgressDlg* d) {
        QCOMPARE(d->windowTitle(), QStringLiteral("Recording..."));
        QCOMPARE(TextOf(d, "1145"), QStringLiteral("861 Kb"));
        QCOMPARE(TextOf(d, "1144"), QStringLiteral("10.0 secs"));
        QCOMPARE(TextOf(d, "1007"), QStringLiteral("format"));
        m_services->devices.input->Capture(441000, 0);
        d->OnTick();
        QCOMPARE(TextOf(d, "1005"), QStringLiteral("(50%)"));
        QCOMPARE(TextOf(d, "1006"), QStringLiteral("5.0 secs"));
        QCOMPARE(TextOf(d, "1003"), QStringLiteral("430 Kb"));
        QCOMPARE(ById<QProgressBar>(d, "1083")->value(), 5000);
        m_services->devices.input->Fill(0);
    });
    QCOMPARE(result, int(QDialog::Rejected));
    QCOMPARE(m_sample->GetByteLength(), 882000u);
    QCOMPARE(m_services->devices.lastFormat.samplesPerSecond, 22050u);

    // The allocated time reads in minutes from one minute on.
    QCOMPARE(RunProgress(90 * 8000, 8000, false, false,
                         [&](CRecordProgressDlg* d) {
                             QCOMPARE(TextOf(d, "1144"), QStringLiteral("1 min 30.0 secs"));
                             m_services->devices.input->Fill(0);
                         }),
             int(QDialog::Rejected));
    RunProgress(150 * 8000, 8000, false, false, [&](CRecordProgressDlg* d) {
        QCOMPARE(TextOf(d, "1144"), QStringLiteral("2 mins 30.0 secs"));
        m_services->devices.input->Fill(0);
    });
}

void RecordDialogsTest::MeterHoldsPeaksAndDecaysInSilence() {
    RunProgress(80000, 8000, false, false, [&](CRecordProgressDlg* d) {
        CLevelMeter* meter = d->LevelMeter();
        QCOMPARE(meter->objectName(), QStringLiteral("999"));
        // Nothing is read until the device is 100 frames in.
        CaptureValue(99, 255);
        d->OnTick();
        QCOMPARE(d->HeldLeft(), 0.0f);
        // Full scale on a mono recording shows on both bars.
        CaptureValue(1001, 255);
        d->OnTick();
        QCOMPARE(d->HeldLeft(), 1.0f);
        QCOMPARE(d->HeldRight(), 1.0f);
        QCOMPARE(meter->LeftEnd(), meter->width() - 2);
        QCOMPARE(meter->RightEnd(), meter->LeftEnd());
        // The last 100 loud frames are read only now; then silence lets the held level fall
        // by a tenth per step.
        CaptureValue(100, 127);
        d->OnTick();
        QCOMPARE(d->HeldLeft(), 1.0f);
        CaptureValue(200, 127);
        d->OnTick();
        QCOMPARE(d->HeldLeft(), 0.9f);
        d->OnTick();
        QCOMPARE(d->HeldLeft(), 0.9f * 0.9f);
        QCOMPARE(meter->LeftEnd(), static_cast<int>(0.81f * (meter->width() - 4)) + 2);
        // Half scale (a deviation of 64) stands 0.3 decades below full scale.
        CaptureValue(300, 127 + 64);
        d->OnTick();
        QVERIFY(qAbs(d->HeldLeft() - 0.8631682f) < 1e-5f);
        m_services->devices.input->Fill(0);
    });

    // Each recording starts its meter afresh, though it is shorter than the last.
    RunProgress(16000, 8000, true, false, [&](CRecordProgressDlg* d) {
        QCOMPARE(d->HeldLeft(), 0.0f);
        FakeInput* input = m_services->devices.input;
        input->Capture(2 * 300, 0);
        for (uint32_t i = 0; i < 600; i += 2) {
            input->header->data[i] = 255;      // left: full scale
            input->header->data[i + 1] = 127;  // right: silent
        }
        d->OnTick();
        QCOMPARE(d->HeldLeft(), 1.0f);
        QCOMPARE(d->HeldRight(), 0.0f);
        QCOMPARE(d->LevelMeter()->RightEnd(), 2);
        input->Fill(0);
    });
}

void RecordDialogsTest::StopClosesOnlyWhenTheBufferIsBack() {
    RunProgress(8000 * 10, 8000, false, false, [&](CRecordProgressDlg* d) {
        m_services->devices.input->Capture(1234, 7);
        Click(d, "2");
        QVERIFY(d->isVisible());  // the device's answer is still on its way
        QTest::keyClick(d, Qt::Key_Escape);
        QVERIFY(d->isVisible());
        QCoreApplication::processEvents();
        QVERIFY(!d->isVisible());
        QCOMPARE(TextOf(d, "1007"), QStringLiteral("Done"));
        QCOMPARE(TextOf(d, "1005"), QStringLiteral("100%"));
        QCOMPARE(TextOf(d, "1006"), QStringLiteral("0.0 Seconds"));
        QCOMPARE(ById<QProgressBar>(d, "1083")->value(), 10000);
    });
    QCOMPARE(m_sample->GetByteLength(), 1234u);
    QCOMPARE(Bytes(*m_sample)[1233], static_cast<uint8_t>(1233 ^ 7));
    QVERIFY(!m_sample->IsLent());
    QCOMPARE(m_services->devices.log.Live(), 0);
}

void RecordDialogsTest::RefusedRecordingsLeaveTheSoundAlone() {
    const std::vector<uint8_t> before = {1, 2, 3, 4, 5, 6};
    SetBytes(*m_sample, 5, before, 11025);

    m_services->devices.openResult = kAudioNoDriver;
    QCOMPARE(RunProgress(8000, 8000, true, true, nullptr), -1);
    QCOMPARE(
        m_services->messages.Texts(),
        (std::vector<std::string>{"Could not open wave input device. No device driver present.",
                                  "Not enough memory to record\n"}));
    QCOMPARE(Bytes(*m_sample), before);
    QCOMPARE(m_sample->GetFrequency(), 11025u);

    // Too large for memory: refused before the device is even asked.
    m_services->messages.Clear();
    m_services->devices.openResult = kAudioOk;
    const int opened = m_services->devices.log.opened;
    SampleHeap::Instance().SetLimitForTesting(100000);
    QCOMPARE(RunProgress(4294967295u, 44100, true, true, nullptr), -1);
    QCOMPARE(m_services->messages.Texts(),
             (std::vector<std::string>{"Could not allocate enough memory",
                                       "Not enough memory to record\n"}));
    QCOMPARE(m_services->devices.log.opened, opened);
    QCOMPARE(Bytes(*m_sample), before);
    QCOMPARE(m_services->messages.Shown()[1].title, MessageTitle::Untitled);
}

void RecordDialogsTest::ADeviceThatNeverAnswersTheStopIsLetGo() {
    QElapsedTimer waited;
    RunProgress(8000 * 10, 8000, false, false, [&](CRecordProgressDlg* d) {
        FakeInput* input = m_services->devices.input;
        input->Capture(500, 3);
        input->header = nullptr;  // gone: a reset returns nothing
        waited.start();
        Click(d, "2");
    });
    QVERIFY(waited.elapsed() >= CRecordProgressDlg::kStopGraceMs);
    QCOMPARE(m_sample->GetByteLength(), 500u);
    QVERIFY(!m_session->IsRecording());
    QCOMPARE(m_services->devices.log.Live(), 0);
}

QTEST_MAIN(RecordDialogsTest)
#include "RecordDialogsTest.moc"
