#include "ui/audio/CRecordProgressDlg.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdlib>

#include "core/audio/RecordingSession.h"
#include "core/messages/MessageSink.h"
#include "core/sample/SampleBuffer.h"
#include "core/sample/SampleHeap.h"
#include "core/services/Services.h"
#include "ui/audio/CLevelMeter.h"
#include "ui/audio/RecordReadouts.h"

namespace {

QLabel* ValueLabel(QWidget* parent, const char* id, const char* placeholder) {
    auto* label = new QLabel(QString::fromLatin1(placeholder), parent);
    label->setObjectName(QString::fromLatin1(id));
    return label;
}

QString KbText(uint32_t kb) {
    return QString::asprintf("%u Kb", static_cast<unsigned>(kb));
}

}  // namespace

CRecordProgressDlg::CRecordProgressDlg(RecordingSession& session, SampleBuffer& sample,
                                       Services& services, QWidget* parent)
    : QDialog(parent), m_session(session), m_sample(sample), m_services(services) {
    BuildControls();
}

CRecordProgressDlg::~CRecordProgressDlg() {
    // The device must not outlive its target: whatever was captured stays.
    if (m_session.IsRecording())
        m_session.Stop();
}

void CRecordProgressDlg::BuildControls() {
    setWindowTitle(QStringLiteral("Recording..."));
    m_quality = ValueLabel(this, "1007", "Mono, 8-bit, 44.1kHz");
    m_allocatedTime = ValueLabel(this, "1144", "1 min 30 secs");
    m_allocatedMemory = ValueLabel(this, "1145", "15 Mb");
    m_remainingTime = ValueLabel(this, "1006", "100.00 seconds");
    m_remainingMemory = ValueLabel(this, "1003", "15 Mb");
    m_share = ValueLabel(this, "1005", "(100%)");
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("1083"));
    m_progress->setTextVisible(false);
    m_progress->setRange(0, kProgressRange);
    m_progress->setValue(0);
    m_meterFrame = new QFrame(this);
    m_meterFrame->setObjectName(QStringLiteral("1146"));
    m_meterFrame->setMinimumHeight(24);
    m_meter = new CLevelMeter(m_meterFrame);
    auto* meterLayout = new QVBoxLayout(m_meterFrame);
    meterLayout->setContentsMargins(0, 0, 0, 0);
    meterLayout->addWidget(m_meter);
    auto* stopButton = new QPushButton(QStringLiteral("&Stop"), this);
    stopButton->setObjectName(QStringLiteral("2"));
    // Enter presses "&Stop" too: the recording still ends when the buffer comes back.
    stopButton->setDefault(true);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("Quality:"), this), 0, 0);
    grid->addWidget(m_quality, 0, 1, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("Space allocated:"), this), 1, 0);
    grid->addWidget(m_allocatedTime, 1, 1);
    grid->addWidget(m_allocatedMemory, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Space remaining:"), this), 2, 0);
    grid->addWidget(m_remainingTime, 2, 1);
    grid->addWidget(m_remainingMemory, 2, 2);
    grid->addWidget(m_share, 2, 3);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(stopButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(m_progress);
    layout->addWidget(m_meterFrame);
    layout->addLayout(buttons);
    setMinimumWidth(360);

    connect(stopButton, &QPushButton::clicked, this, &CRecordProgressDlg::reject);
}

int CRecordProgressDlg::Run(uint32_t blockBytes, uint32_t frequency, bool stereo, bool sixteenBit,
                            int device) {
    m_blockBytes = blockBytes;
    m_frequency = frequency;
    m_stereo = stereo;
    m_16Bit = sixteenBit;
    m_device = device;
    m_seconds = frequency == 0 ? 0.0f : static_cast<float>(blockBytes) / frequency;
    if (stereo)
        m_seconds /= 2;
    if (sixteenBit)
        m_seconds /= 2;
    m_scanned = 0;
    m_heldLeft = m_heldRight = 0.0f;
    m_finished = false;

    m_quality->setText(m_qualityText);
    m_allocatedMemory->setText(KbText(blockBytes >> 10));
    m_allocatedTime->setText(QString::fromStdString(RecordTimeText(m_seconds)));
    if (!CanStart() || !Start()) {
        m_services.messages.ShowUntitledMessage("Not enough memory to record\n");
        return -1;
    }
    m_timer.start(kTimerMs, this);
    m_progress->setRange(0, kProgressRange);
    m_progress->setValue(0);
    return exec();
}

bool CRecordProgressDlg::CanStart() {
    // The old sound and the new block are both held for a moment, so the block is refused
    // while the old sound is still there to keep.
    uint8_t* probe = SampleHeap::Instance().Allocate(m_blockBytes);
    if (probe == nullptr) {
        m_services.messages.ShowUntitledMessage("Could not allocate enough memory");
        return false;
    }
    SampleHeap::Instance().Free(probe);
    // The device is tried on a sound of its own, so a missing or unwilling device is reported
    // before this sound is given up.
    SampleBuffer trial;
    trial.SetFormat(m_frequency, m_stereo, m_16Bit);
    RecordingSession trialSession(trial, m_services.devices, m_services.messages);
    if (trialSession.Record(nullptr, trial.GetBytesPerFrame(), m_device) != 1)
        return false;
    trialSession.Stop();
    return true;
}

bool CRecordProgressDlg::Start() {
    m_sample.SetFormat(m_frequency, m_stereo, m_16Bit);
    return m_session.Record(this, m_blockBytes, m_device) == 1;
}

void CRecordProgressDlg::StopDevice() {
    m_session.StopRecord();
    if (!m_stopAsked.isValid())
        m_stopAsked.start();
}

void CRecordProgressDlg::reject() {
    if (m_finished || !m_session.IsRecording()) {
        QDialog::reject();
        return;
    }
    StopDevice();
}

void CRecordProgressDlg::closeEvent(QCloseEvent* event) {
    if (m_finished) {
        QDialog::closeEvent(event);
        return;
    }
    event->ignore();
    StopDevice();
}

void CRecordProgressDlg::timerEvent(QTimerEvent* event) {
    if (event->timerId() == m_timer.timerId()) {
        OnTick();
        return;
    }
    QDialog::timerEvent(event);
}

void CRecordProgressDlg::OnTick() {
    if (m_finished)
        return;
    // The recording ended without its buffer coming back here (the sound was taken back, or
    // the device gave up and never answered the stop): what was captured is kept.
    if (!m_session.IsRecording() ||
        (m_stopAsked.isValid() && m_stopAsked.elapsed() > kStopGraceMs)) {
        m_session.Stop();
        Finish();
        return;
    }
    const double fraction = m_session.GetRecordFraction();
    const uint32_t position = m_session.GetRecordSamplePosition();
    m_share->setText(QString::asprintf("(%.0f%%)", fraction * 100));
    const double remaining = 1.0 - fraction;
    m_remainingTime->setText(
        QString::fromStdString(RecordTimeText(static_cast<float>(remaining * m_seconds))));
    m_remainingMemory->setText(
        KbText(static_cast<uint32_t>(m_blockBytes * 0.0009765625 * std::max(remaining, 0.0))));
    m_progress->setValue(static_cast<int>(fraction * kProgressRange));
    ScanPeaks(position);
}

void CRecordProgressDlg::ScanPeaks(uint32_t position) {
    int peakLeft = 0;
    int peakRight = 0;
    if (position >= kMeterLag) {
        const uint32_t current = position - kMeterLag;
        if (current > m_scanned) {
            FrameValue frame;
            for (uint32_t i = m_scanned; i < current; ++i) {
                m_sample.GetFrame(i, kLayoutStereo8, frame);
                peakLeft = std::max(peakLeft, std::abs(frame.Byte(0) - 127));
                peakRight = std::max(peakRight, std::abs(frame.Byte(1) - 127));
            }
            m_scanned = current;
        }
    }
    m_heldLeft = HoldLevel(m_heldLeft, LevelFromDeviation(peakLeft));
    m_heldRight = HoldLevel(m_heldRight, LevelFromDeviation(peakRight));
    m_meter->UpdateLevels(m_heldLeft, m_heldRight);
}

void CRecordProgressDlg::OnRecordData(RecordHeader* header) {
    if (m_session.RecordBufferDone(header) == 1)
        Finish();
}

void CRecordProgressDlg::Finish() {
    m_finished = true;
    m_timer.stop();
    m_share->setText(QStringLiteral("100%"));
    m_quality->setText(QStringLiteral("Done"));
    m_remainingTime->setText(QStringLiteral("0.0 Seconds"));
    m_progress->setValue(kProgressRange);
    done(QDialog::Rejected);
}
