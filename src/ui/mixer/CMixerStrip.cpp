#include "ui/mixer/CMixerStrip.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <limits>

#include "core/sample/SampleBuffer.h"

CMixerStrip::CMixerStrip(int id, QWidget* parent) : QWidget(parent), m_nId(id) {
    setObjectName(QStringLiteral("MixerStrip"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_nDrawingWidth = width() - 2;
}

void CMixerStrip::SetSource(std::weak_ptr<const SampleBuffer> source, uint32_t first,
                            uint32_t length) {
    m_source = std::move(source);
    m_nSelStart = first;
    m_nLength = length;
    m_nMixStart = 0;
    if (m_nTimelineLength < length)
        emit TimelineGrown(length);
    update();
}

void CMixerStrip::ClearSource() {
    m_source.reset();
    m_nSelStart = 0;
    m_nLength = 0;
    m_nMixStart = 0;
    m_drag.End(m_drag.Current());
    update();
}

void CMixerStrip::SetTimelineLength(uint32_t frames) {
    m_nTimelineLength = frames;
    update();
}

void CMixerStrip::PlaceBlock() {
    m_nDrawingWidth = width() - 2;
    if (m_nTimelineLength == 0) {
        m_nBlockLeft = m_nBlockRight = 0;
        return;
    }
    const double perFrame = static_cast<double>(m_nDrawingWidth) / m_nTimelineLength;
    m_nBlockLeft = static_cast<int>(m_nMixStart * perFrame);
    m_nBlockRight = static_cast<int>((static_cast<double>(m_nMixStart) + m_nLength) * perFrame);
}

void CMixerStrip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect area = rect();
    painter.fillRect(area, Qt::lightGray);
    // A sunken frame: shadow along the top and left, highlight along the bottom and right.
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawLine(area.topLeft(), area.topRight());
    painter.drawLine(area.topLeft(), area.bottomLeft());
    painter.setPen(palette().color(QPalette::Light));
    painter.drawLine(area.bottomLeft(), area.bottomRight());
    painter.drawLine(area.topRight(), area.bottomRight());

    PlaceBlock();
    const std::shared_ptr<const SampleBuffer> source = Source();
    if (source == nullptr)
        return;
    const int top = area.top() + 1;
    const int bottom = area.bottom() - 1;
    painter.setPen(Qt::black);
    painter.setBrush(Qt::white);
    painter.drawRect(m_nBlockLeft, top, std::max(m_nBlockRight - m_nBlockLeft - 1, 0),
                     std::max(bottom - top, 0));
    DrawWaveform(painter, *source, area.height());
}

void CMixerStrip::DrawWaveform(QPainter& painter, const SampleBuffer& source, int height) const {
    const int columns = m_nBlockRight - m_nBlockLeft - 2;
    if (columns <= 0 || m_nLength <= m_nSelStart)
        return;
    // Frames per pixel column; larger values are drawn lower.
    const double step = static_cast<double>(m_nLength - m_nSelStart) / columns;
    const uint32_t frames = source.GetFrameCount();
    QPoint from(m_nBlockLeft, height / 2);
    double f = m_nSelStart;
    for (int x = m_nBlockLeft; x < m_nBlockRight; ++x) {
        const auto frame = static_cast<uint64_t>(f);
        if (frame >= frames)
            break;
        FrameValue value;
        source.GetFrame(static_cast<uint32_t>(frame), kLayoutMono8, value);
        const QPoint to(x, value.Byte(0) * height / 256);
        painter.drawLine(from, to);
        from = to;
        f += step;
    }
}

void CMixerStrip::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    PlaceBlock();
}

void CMixerStrip::mousePressEvent(QMouseEvent* event) {
    emit Pressed(this);
    const int x = event->position().toPoint().x();
    PlaceBlock();
    if (event->button() == Qt::LeftButton && Source() != nullptr && x >= m_nBlockLeft &&
        x <= m_nBlockRight)
        m_drag.Begin(event->position().toPoint());
}

void CMixerStrip::mouseMoveEvent(QMouseEvent* event) {
    if (!m_drag.Move(event->position().toPoint()) || m_nDrawingWidth <= 0)
        return;
    const float delta = static_cast<float>(m_nTimelineLength) /
                        static_cast<float>(m_nDrawingWidth) *
                        static_cast<float>(m_drag.Current().x() - m_drag.Previous().x());
    // A move that would take the block before the start of the time line is not made.
    if (static_cast<double>(m_nMixStart) + delta < 0.0)
        return;
    const double moved = static_cast<double>(m_nMixStart) + std::trunc(delta);
    m_nMixStart = static_cast<uint32_t>(
        std::min<double>(moved, std::numeric_limits<uint32_t>::max() - m_nLength));
    const uint64_t end = uint64_t{m_nMixStart} + m_nLength;
    if (end > m_nTimelineLength)
        emit TimelineGrown(static_cast<uint32_t>(end));
    update();
}

void CMixerStrip::mouseReleaseEvent(QMouseEvent* event) {
    m_drag.End(event->position().toPoint());
}
