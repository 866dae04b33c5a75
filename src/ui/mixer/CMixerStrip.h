#pragma once

#include <QWidget>
#include <cstdint>
#include <memory>

#include "ui/mixer/CDragTracker.h"

class SampleBuffer;

// One row's time line in the mixer: the frames of its sample drawn as a block, where the block
// starts on the time line shared by every strip of the mixer, and the drag that moves it. The
// strip only watches its sample: when the sample's window goes, the strip draws no block.
class CMixerStrip : public QWidget {
    Q_OBJECT

public:
    CMixerStrip(int id, QWidget* parent);

    int GetId() const { return m_nId; }
    void SetId(int id) { m_nId = id; }

    // A new sample: `length` frames from `first`, placed at the start of the time line. The
    // time line of every strip grows to the length when it is shorter.
    void SetSource(std::weak_ptr<const SampleBuffer> source, uint32_t first, uint32_t length);
    // The sample's window went: no block, nothing on the time line.
    void ClearSource();
    void SetTimelineLength(uint32_t frames);

    // The sample while its window is open; null otherwise.
    std::shared_ptr<const SampleBuffer> Source() const { return m_source.lock(); }
    uint32_t SelectionStart() const { return m_nSelStart; }
    uint32_t Length() const { return m_nLength; }
    uint32_t TimelineLength() const { return m_nTimelineLength; }
    uint32_t MixStart() const { return m_nMixStart; }
    // Where the block was last painted, in pixels.
    int BlockLeft() const { return m_nBlockLeft; }
    int BlockRight() const { return m_nBlockRight; }

signals:
    // Any button went down in the strip: its row becomes the selected one.
    void Pressed(CMixerStrip* strip);
    // A block now reaches past the time line: every strip's time line becomes `frames` long.
    void TimelineGrown(uint32_t frames);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // Places the block for the current width and time line.
    void PlaceBlock();
    void DrawWaveform(QPainter& painter, const SampleBuffer& source, int height) const;

    int m_nId;
    std::weak_ptr<const SampleBuffer> m_source;
    uint32_t m_nSelStart = 0;
    uint32_t m_nLength = 0;
    uint32_t m_nTimelineLength = 0;
    uint32_t m_nMixStart = 0;
    CDragTracker m_drag;
    int m_nBlockLeft = 0;
    int m_nBlockRight = 0;
    int m_nDrawingWidth = 0;
};
