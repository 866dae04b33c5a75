#pragma once

#include <QWidget>
#include <cstdint>
#include <vector>

#include "ui/view/WaveformListeners.h"

// The floating "Frequency View": the magnitude spectrum of the 4096 frames around the start of
// the selection in the waveform window where the left button was last released. The spectrum is
// taken once per release; painting (and so resizing) only draws it again: a linear graph of the
// lower quarter of the bins, the raw magnitudes as cyan points and, scaled to the height, a
// green line.
//
// The window deletes itself when closed; while it is the newest one it is the program's
// spectrum listener.
class CFreqView : public QWidget, public SpectrumListener {
    Q_OBJECT

public:
    explicit CFreqView(QWidget* owner);
    ~CFreqView() override;

    // Takes the spectrum of `buffer` around `centreFrame`; without a buffer nothing changes.
    void UpdateSpectrum(const SampleBuffer* buffer, uint32_t centreFrame) override;

    bool HasData() const { return m_bHasData; }
    // The magnitudes drawn: bins 0 to a quarter of the points.
    const std::vector<float>& Magnitudes() const { return m_magnitudes; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    std::vector<float> m_data;
    std::vector<float> m_magnitudes;
    bool m_bHasData = false;
};
