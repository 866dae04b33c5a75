// Recording through the progress dialog on the fake input device (readouts and level meter at
// given inputs, stopping, recordings refused before they start), then the editor's Record command
// on the file-backed ALSA device of tests/alsa-test.conf.
#include "core/audio/RecordingSession.h"
#include "core/sample/SampleHeap.h"
#include "platform/audio/PortAudioBackend.h"
#include "support/SampleMaker.h"
#include "support/TempDir.h"
#include "support/TestServices.h"
#include "ui/DialogDriver.h"
#include "ui/app/CMainFrame.h"
#include "ui/app/COrvexApp.h"
#include "ui/app/COrvexDoc.h"
#include "ui/app/CommandIds.h"
#include "ui/audio/CLevelMeter.h"
#include "ui/audio/CRecordOptionsDlg.h"
#include "ui/audio/CRecordProgressDlg.h"
#include "ui/view/COrvexView.h"

namespace {

// The editor on the real sound devices, which tests/alsa-test.conf backs with files.
struct RealEditor {
    TestServices fakes;  // all but the sound devices
    PortAudioBackend audio;
    Services services{fakes.registry, fakes.settings, fakes.clipboard, fakes.messages, audio};
    COrvexApp app{services};

    CMainFrame* Frame() const { return app.MainFrame(); }
    SampleBuffer& Sound() const { return Frame()->ActiveView()->GetDocument()->sample; }
};

}  // namespace

class RecordingTest : public QObject {
    Q_OBJECT
    std::unique_ptr<TestServices> m_s;
    std::unique_ptr<SampleBuffer> m_sample;
    std::unique_ptr<RecordingSession> m_session;

    // Runs the progress dialog on m_sample; `during` acts on it while it is open.
    int RunProgress(uint32_t block, uint32_t frequency, bool stereo, bool sixteenBit,
                    std::function<void(CRecordProgressDlg*)> during) {
        CRecordProgressDlg dialog(*m_session, *m_sample, m_s->services);
        dialog.SetQualityText(QStringLiteral("format"));
        if (during)
            WhenModalOpens<CRecordProgressDlg>(during);
        return dialog.Run(block, frequency, stereo, sixteenBit, -1);
    }
    // The device captures `bytes` more bytes of one value (odd bytes of another, if given);
    // the level then held on the left.
    float Level(CRecordProgressDlg* d, uint32_t bytes, uint8_t value, int odd = -1) {
        RecordHeader* header = m_s->devices.input->header;
        const uint32_t from = header->bytesRecorded;
        m_s->devices.input->Capture(bytes, 0);
        for (uint32_t i = from; i < header->bytesRecorded; ++i)
            header->data[i] = static_cast<uint8_t>(i % 2 == 1 && odd >= 0 ? odd : value);
        d->OnTick();
        return d->HeldLeft();
    }

private slots:
    void init() {
        m_s = std::make_unique<TestServices>();
        m_sample = std::make_unique<SampleBuffer>();
        m_session = std::make_unique<RecordingSession>(*m_sample, m_s->devices, m_s->messages);
    }
    void cleanup() {
        SampleHeap::Instance().ClearLimitForTesting();
        m_session.reset();
        m_sample.reset();
        m_s.reset();
    }

    void ProgressShowsSpaceAndShareRecorded() {
        const int result = RunProgress(882000, 22050, true, true, [&](CRecordProgressDlg* d) {
            QCOMPARE(Shown(d, "1145 1144 1007"), "861 Kb|10.0 secs|format");
            m_s->devices.input->Capture(441000, 0);
            d->OnTick();
            QCOMPARE(Shown(d, "1005 1006 1003"), "(50%)|5.0 secs|430 Kb");
            QCOMPARE(ById<QProgressBar>(d, "1083")->value(), 5000);
            m_s->devices.input->Fill(0);
        });
        QCOMPARE(result, int(QDialog::Rejected));
        QCOMPARE(m_sample->GetByteLength(), 882000u);
        // The allocated time reads in minutes from one minute on.
        for (const auto& [seconds, text] :
             {std::pair{90u, "1 min 30.0 secs"}, {150u, "2 mins 30.0 secs"}}) {
            const QString expected = text;  // clang 14 lambdas cannot capture structured bindings
            RunProgress(seconds * 8000, 8000, false, false, [&](CRecordProgressDlg* d) {
                QCOMPARE(Shown(d, "1144"), expected);
                m_s->devices.input->Fill(0);
            });
        }
    }

    void MeterHoldsPeaksAndDecaysInSilence() {
        RunProgress(80000, 8000, false, false, [&](CRecordProgressDlg* d) {
            CLevelMeter* meter = d->LevelMeter();
            // Nothing is read until the device is 100 frames in; full scale on a mono recording
            // then shows on both bars.
            QCOMPARE(Level(d, 99, 255), 0.0f);
            QCOMPARE(Level(d, 1001, 255), 1.0f);
            QCOMPARE(std::tuple(d->HeldRight(), meter->LeftEnd(), meter->RightEnd()),
                     std::tuple(1.0f, meter->width() - 2, meter->width() - 2));
            // The last 100 loud frames are read only now; then silence lets the held level fall
            // by a tenth per step.
            QCOMPARE(Level(d, 100, 127), 1.0f);
            QCOMPARE(Level(d, 200, 127), 0.9f);
            QCOMPARE(Level(d, 0, 127), 0.81f);
            QCOMPARE(meter->LeftEnd(), static_cast<int>(0.81f * (meter->width() - 4)) + 2);
            // Half scale (a deviation of 64) stands 0.3 decades below full scale.
            QVERIFY(qAbs(Level(d, 300, 127 + 64) - 0.8631682f) < 1e-5f);
            m_s->devices.input->Fill(0);
        });
        // Each recording starts its meter afresh, though it is shorter than the last; stereo
        // frames are read left, then right.
        RunProgress(16000, 8000, true, false, [&](CRecordProgressDlg* d) {
            QCOMPARE(d->HeldLeft(), 0.0f);
            QCOMPARE(Level(d, 600, 255, 127), 1.0f);  // left loud, right silent
            QCOMPARE(d->HeldRight(), 0.0f);
            QCOMPARE(d->LevelMeter()->LeftEnd(), d->LevelMeter()->width() - 2);
            QCOMPARE(d->LevelMeter()->RightEnd(), 2);
            m_s->devices.input->Fill(0);
        });
    }

    void StopClosesOnlyWhenTheBufferIsBack() {
        RunProgress(8000 * 10, 8000, false, false, [&](CRecordProgressDlg* d) {
            m_s->devices.input->Capture(1234, 7);
            Do(d, "2");
            QVERIFY(d->isVisible());  // the device's answer is still on its way
            QTest::keyClick(d, Qt::Key_Escape);
            QVERIFY(d->isVisible());
            QCoreApplication::processEvents();
            QVERIFY(!d->isVisible());
            QCOMPARE(Shown(d, "1007 1005 1006"), "Done|100%|0.0 Seconds");
            QCOMPARE(ById<QProgressBar>(d, "1083")->value(), 10000);
        });
        QCOMPARE(m_sample->GetByteLength(), 1234u);
        QCOMPARE(Bytes(*m_sample)[1233], static_cast<uint8_t>(1233 ^ 7));
        QVERIFY(!m_sample->IsLent());
        QCOMPARE(m_s->devices.log.Live(), 0);
    }

    void ADeviceThatNeverAnswersTheStopIsLetGo() {
        RunProgress(8000 * 10, 8000, false, false, [&](CRecordProgressDlg* d) {
            m_s->devices.input->Capture(500, 3);
            m_s->devices.input->header = nullptr;  // gone: a reset returns nothing
            Do(d, "2");
        });
        QCOMPARE(m_sample->GetByteLength(), 500u);
        QVERIFY(!m_session->IsRecording());
        QCOMPARE(m_s->devices.log.Live(), 0);
    }

    void RefusedRecordingsLeaveTheSoundAlone() {
        const Bytes8 before = {1, 2, 3, 4, 5, 6};
        SetBytes(*m_sample, kLayoutMono16, before, 11025);
        m_s->devices.openResult = kAudioNoDriver;
        QCOMPARE(RunProgress(8000, 8000, true, true, nullptr), -1);
        QCOMPARE(m_s->messages.Texts(),
                 (Texts{"Could not open wave input device. No device driver present.",
                        "Not enough memory to record\n"}));
        QCOMPARE(std::pair(Bytes(*m_sample), m_sample->GetFrequency()), std::pair(before, 11025u));
        // Too large for memory: refused before the device is even asked.
        m_s->messages.Clear();
        m_s->devices.openResult = kAudioOk;
        const int opened = m_s->devices.log.opened;
        SampleHeap::Instance().SetLimitForTesting(100000);
        QCOMPARE(RunProgress(4294967295u, 44100, true, true, nullptr), -1);
        QCOMPARE(m_s->messages.Texts(),
                 (Texts{"Could not allocate enough memory", "Not enough memory to record\n"}));
        QCOMPARE(std::pair(m_s->devices.log.opened, Bytes(*m_sample)), std::pair(opened, before));
    }

    void RecordCommandRecordsWhatTheDeviceSupplies() {
        if (qEnvironmentVariableIsEmpty("ALSA_CONFIG_PATH"))
            QSKIP("needs tests/alsa-test.conf");
        TempDir dir;
        const auto supplied = PatternBytes(100000);
        WriteBytes(dir.File("supplied.raw"), supplied);
        setenv("ORVEX_TEST_AUDIO_IN", dir.File("supplied.raw").c_str(), 1);
        setenv("ORVEX_TEST_AUDIO_OUT", dir.File("played.raw").c_str(), 1);
        RealEditor e;
        COrvexApp::Options options;
        options.showSplash = false;
        QVERIFY(e.app.InitInstance(QString(), options));
        // Records through the options dialog: what `ids` show when it opens comes back, after
        // `steps` were played there.
        const auto record = [&](const char* ids, const char* steps) {
            QString shown;
            WhenModalOpens<CRecordOptionsDlg>([&](CRecordOptionsDlg* d) {
                shown = Shown(d, ids);
                Do(d, steps);
            });
            e.Frame()->Action(ID_SAMPLE_RECORD)->trigger();
            return shown;
        };
        // A first recording offers five seconds; the choices are kept for the next.
        QCOMPARE(record("1002", "120; 103; 1001=8000 Hz; 1002=2; 1"), "5");
        QCOMPARE(e.Frame()->Views().size(), 1);
        QCOMPARE(Bytes(e.Sound()), Bytes8(supplied.begin(), supplied.begin() + 64000));
        QVERIFY(e.Frame()->ActiveView()->IsStereoLayout());
        QCOMPARE(e.Frame()->ActiveView()->GetDocument()->originalFormat.GetFrequency(), 8000u);
        QCOMPARE(e.Frame()->PaneText(4), "2.00 secs");
        QVERIFY(e.fakes.messages.Texts().empty());
        // Without a capture device the sound stays as it was.
        setenv("ORVEX_TEST_AUDIO_IN", dir.File("missing.raw").c_str(), 1);
        const Bytes8 before = PatternBytes(3000);
        SetBytes(e.Sound(), kLayoutStereo16, before, 11025);
        QCOMPARE(record("1001 120 103 1002", "1000; 1"), "8000 Hz|on|on|2");
        const auto texts = e.fakes.messages.Texts();
        QVERIFY(texts.size() == 2 && texts[0].rfind("Could not open wave input device. ", 0) == 0);
        QCOMPARE(texts[1], std::string("Not enough memory to record\n"));
        QCOMPARE(e.Frame()->Views().size(), 1);
        QCOMPARE(Bytes(e.Sound()), before);
    }
};

QTEST_MAIN(RecordingTest)
#include "RecordingTest.moc"
