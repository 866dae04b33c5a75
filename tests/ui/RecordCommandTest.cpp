// The Record command of the editor on the file-backed ALSA device of tests/alsa-test.conf: what
// the capture file supplies ends up in the sound, trimmed on Stop; the choices go through the
// settings store; a machine without a capture device keeps its sound.
#include <QMdiSubWindow>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <functional>
#include <memory>

#include "core/clipboard/ClipboardService.h"
#include "core/fileformats/SoundFileRegistry.h"
#include "core/messages/RecordingMessageSink.h"
#include "core/services/Services.h"
#include "core/settings/MemorySettingsStore.h"
#include "platform/audio/PortAudioBackend.h"
#include "support/TempDir.h"
#include "ui/DialogDriver.h"
#include "ui/SoundBytes.h"
#include "ui/app/CMainFrame.h"
#include "ui/app/COrvexApp.h"
#include "ui/app/COrvexDoc.h"
#include "ui/app/CommandIds.h"
#include "ui/audio/CRecordOptionsDlg.h"
#include "ui/audio/CRecordProgressDlg.h"
#include "ui/view/COrvexView.h"

using namespace uitest;

namespace {

std::vector<uint8_t> Pattern(size_t bytes) {
    std::vector<uint8_t> out(bytes);
    for (size_t i = 0; i < bytes; ++i) out[i] = static_cast<uint8_t>(i * 7 + (i >> 8));
    return out;
}

// Runs `action` once a modal dialog of this class is up, however many dialogs come before it.
// A dialog that is still open 30 seconds on is stopped, so a failure does not hang the run.
template <typename Dialog>
void WhenUp(std::function<void(Dialog*)> action) {
    auto* poll = new QTimer;
    auto started = std::make_shared<QElapsedTimer>();
    started->start();
    QObject::connect(poll, &QTimer::timeout, [poll, action, started] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr && started->elapsed() < 30000)
            return;
        poll->stop();
        poll->deleteLater();
        if (dialog != nullptr)
            action(dialog);
        else
            qWarning("the expected dialog did not open");
    });
    poll->start(10);
}

}  // namespace

class RecordCommandTest : public QObject {
    Q_OBJECT

private:
    TempDir m_dir;
    std::string m_in;
    MemorySettingsStore m_settings;
    MemoryClipboardService m_clipboard;
    RecordingMessageSink m_messages;
    std::unique_ptr<SoundFileRegistry> m_registry;
    std::unique_ptr<PortAudioBackend> m_audio;
    std::unique_ptr<Services> m_services;
    std::unique_ptr<COrvexApp> m_app;

    CMainFrame* Frame() const { return m_app->MainFrame(); }
    COrvexView* View() const { return Frame()->ActiveView(); }
    SampleBuffer& Sound() const { return View()->GetDocument()->sample; }

private slots:
    void initTestCase() {
        if (qEnvironmentVariableIsEmpty("ALSA_CONFIG_PATH"))
            QSKIP("needs tests/alsa-test.conf");
        m_in = m_dir.File("supplied.raw");
        setenv("ORVEX_TEST_AUDIO_IN", m_in.c_str(), 1);
        setenv("ORVEX_TEST_AUDIO_OUT", m_dir.File("played.raw").c_str(), 1);
    }

    void init() {
        m_settings.DeleteKey("SOFTWARE");
        m_messages.Clear();
        m_registry = std::make_unique<SoundFileRegistry>(m_messages);
        m_audio = std::make_unique<PortAudioBackend>();
        m_services = std::make_unique<Services>(
            Services{*m_registry, m_settings, m_clipboard, m_messages, *m_audio});
        m_app = std::make_unique<COrvexApp>(*m_services);
        COrvexApp::Options options;
        options.showSplash = false;
        QVERIFY(m_app->InitInstance(QString(), options));
    }

    void cleanup() {
        m_app.reset();
        m_services.reset();
        m_audio.reset();
        m_registry.reset();
    }

    void NewSampleHoldsTheInputAndTheChoicesAreKept() {
        const auto supplied = Pattern(100000);
        WriteBytes(m_in, supplied);
        m_settings.SetNumber("SOFTWARE\\Orvex", "DefaultRecordTime", 1);
        m_settings.SetNumber("SOFTWARE\\Orvex", "DefaultRecordFrequency", 8000);
        m_settings.SetNumber("SOFTWARE\\Orvex", "DefaultRecordBits", 1);
        m_settings.SetNumber("SOFTWARE\\Orvex", "DefaultRecordChannels", 1);
        QVERIFY(Frame()->Action(ID_SAMPLE_RECORD)->isEnabled());
        bool checked = false;
        WhenUp<CRecordOptionsDlg>([&](CRecordOptionsDlg* d) {
            checked = TextOf(d, "1001") == QStringLiteral("8000 Hz") &&
                      RadioByText(d, "&16-Bit")->isChecked() &&
                      RadioByText(d, "&Stereo")->isChecked() &&
                      TextOf(d, "1002") == QStringLiteral("1");
            TypeOver(d, "1002", QStringLiteral("2"));
            Click(d, "1");
        });
        Frame()->Action(ID_SAMPLE_RECORD)->trigger();
        QVERIFY(checked);
        QCOMPARE(Frame()->Views().size(), 1);
        QCOMPARE(Sound().GetByteLength(), 64000u);
        QCOMPARE(Bytes(Sound()), std::vector<uint8_t>(supplied.begin(), supplied.begin() + 64000));
        QVERIFY(View()->IsStereoLayout());
        QCOMPARE(View()->GetDocument()->originalFormat.GetFrequency(), 8000u);
        QCOMPARE(Frame()->PaneText(1), QStringLiteral("64000 bytes"));
        QCOMPARE(Frame()->PaneText(4), QStringLiteral("2.00 secs"));
        QCOMPARE(m_settings.GetNumber("SOFTWARE\\Orvex", "DefaultRecordTime"), 2u);
        QCOMPARE(m_settings.GetNumber("SOFTWARE\\Orvex", "DefaultRecordFrequency"), 8000u);
        QCOMPARE(m_settings.GetNumber("SOFTWARE\\Orvex", "DefaultRecordBits"), 1u);
        QCOMPARE(m_settings.GetNumber("SOFTWARE\\Orvex", "DefaultRecordChannels"), 1u);
        QVERIFY(m_messages.Texts().empty());
    }

    void StopKeepsWhatWasRecordedIntoTheActiveSample() {
        const auto supplied = Pattern(400000);
        WriteBytes(m_in, supplied);
        Frame()->Action(ID_FILE_NEW)->trigger();
        QCOMPARE(Frame()->Views().size(), 1);
        QString firstTime;
        WhenUp<CRecordOptionsDlg>([&](CRecordOptionsDlg* d) {
            firstTime = TextOf(d, "1002");
            Click(d, "1000");  // record into this window
            Click(RadioByText(d, "&8-Bit"));
            Click(RadioByText(d, "&Mono"));
            TypeOver(d, "1001", QStringLiteral("8000 Hz"));
            TypeOver(d, "1002", QStringLiteral("3000"));
            Click(d, "1");
        });
        // The file device is not paced like a sound card: the block is far larger than what it
        // delivers before Stop.
        WhenUp<CRecordProgressDlg>([](CRecordProgressDlg* d) {
            QTest::qWait(100);
            Click(d, "2");
        });
        Frame()->Action(ID_SAMPLE_RECORD)->trigger();
        QCOMPARE(firstTime, QStringLiteral("5"));  // nothing stored yet
        QCOMPARE(Frame()->Views().size(), 1);
        const uint32_t length = Sound().GetByteLength();
        QVERIFY(length > 0 && length < 24000000u);
        // Past the end of its file the device goes on with whatever its slave gives.
        const uint32_t compared = std::min<uint32_t>(length, supplied.size());
        const SampleBuffer& sound = Sound();
        QCOMPARE(std::vector<uint8_t>(sound.Data(), sound.Data() + compared),
                 std::vector<uint8_t>(supplied.begin(), supplied.begin() + compared));
        QVERIFY(!View()->IsStereoLayout());
        QVERIFY(!Sound().IsLent());
        QCOMPARE(Frame()->PaneText(1), QStringLiteral("%1 bytes").arg(length));
    }

    void WithoutACaptureDeviceTheSoundStays() {
        setenv("ORVEX_TEST_AUDIO_IN", m_dir.File("missing.raw").c_str(), 1);
        Frame()->Action(ID_FILE_NEW)->trigger();
        const std::vector<uint8_t> before = Pattern(3000);
        SetBytes(Sound(), 5, before, 11025);
        WhenUp<CRecordOptionsDlg>([](CRecordOptionsDlg* d) {
            Click(d, "1000");
            Click(d, "1");
        });
        Frame()->Action(ID_SAMPLE_RECORD)->trigger();
        setenv("ORVEX_TEST_AUDIO_IN", m_in.c_str(), 1);
        const auto texts = m_messages.Texts();
        QCOMPARE(texts.size(), size_t{2});
        QVERIFY(texts[0].rfind("Could not open wave input device. ", 0) == 0);
        QCOMPARE(texts[1], std::string("Not enough memory to record\n"));
        QCOMPARE(Frame()->Views().size(), 1);
        QCOMPARE(Bytes(Sound()), before);
        QCOMPARE(Sound().GetFrequency(), 11025u);
        QCOMPARE(Frame()->PaneText(1), QStringLiteral("3000 bytes"));
    }
};

QTEST_MAIN(RecordCommandTest)
#include "RecordCommandTest.moc"
