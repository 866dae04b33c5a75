#pragma once

#include <QBasicTimer>
#include <QDialog>
#include <QElapsedTimer>
#include <cstdint>

#include "core/audio/AudioEventTarget.h"
#include "platform/qt/QtCompletionDispatcher.h"

class CLevelMeter;
class QLabel;
class QProgressBar;
class RecordingSession;
class SampleBuffer;
struct Services;

// "Recording...": starts a recording into the sound, shows the space allocated and remaining,
// the share recorded and the input level while it runs, and closes itself once the device has
// handed the buffer back. "&Stop", Escape and closing the window only stop the device.
class CRecordProgressDlg : public QDialog, public AudioEventTarget {
    Q_OBJECT
public:
    static constexpr int kTimerMs = 25;
    static constexpr int kProgressRange = 10000;
    // The meter trails the device by this many frames, so it never reads bytes still on their
    // way into the block.
    static constexpr uint32_t kMeterLag = 100;
    // How long a stopped device may take to return the buffer before the recording is ended
    // here, keeping what was captured (a device that vanished never answers).
    static constexpr int kStopGraceMs = 2000;

    CRecordProgressDlg(RecordingSession& session, SampleBuffer& sample, Services& services,
                       QWidget* parent = nullptr);
    ~CRecordProgressDlg() override;

    // "%d Hz, %d bit %s" of the format, shown under "Quality:".
    void SetQualityText(const QString& text) { m_qualityText = text; }

    // Records `blockBytes` in the given format on `device`. -1 when the recording could not
    // start (the messages have been shown; a recording refused before it began leaves the sound
    // as it was), else the dialog's result once the buffer is back.
    int Run(uint32_t blockBytes, uint32_t frequency, bool stereo, bool sixteenBit, int device);

    // One step of the 25 ms timer: progress, remaining space and the input level.
    void OnTick();
    float HeldLeft() const { return m_heldLeft; }
    float HeldRight() const { return m_heldRight; }
    CLevelMeter* LevelMeter() const { return m_meter; }

    CompletionDispatcher& Dispatcher() override { return m_dispatcher; }
    void OnRecordData(RecordHeader* header) override;

public slots:
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    void BuildControls();
    // Whether the sound's block and the device are to be had, asked before the old sound goes.
    bool CanStart();
    bool Start();
    void StopDevice();
    void ScanPeaks(uint32_t position);
    void Finish();

    RecordingSession& m_session;
    SampleBuffer& m_sample;
    Services& m_services;
    QtCompletionDispatcher m_dispatcher{this};

    QString m_qualityText;
    uint32_t m_blockBytes = 0;
    uint32_t m_frequency = 0;
    bool m_stereo = false;
    bool m_16Bit = false;
    int m_device = -1;
    float m_seconds = 0.0f;

    // Where the meter has read up to and the levels it holds; each recording starts afresh.
    uint32_t m_scanned = 0;
    float m_heldLeft = 0.0f;
    float m_heldRight = 0.0f;

    QBasicTimer m_timer;
    QElapsedTimer m_stopAsked;
    bool m_finished = false;

    QLabel* m_quality;
    QLabel* m_allocatedTime;
    QLabel* m_allocatedMemory;
    QLabel* m_remainingTime;
    QLabel* m_remainingMemory;
    QLabel* m_share;
    QProgressBar* m_progress;
    QWidget* m_meterFrame;
    CLevelMeter* m_meter;
};
