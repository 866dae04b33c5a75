#include "ui/audio/CLevelMeter.h"

#include <QPainter>
#include <QResizeEvent>
#include <algorithm>

namespace {

void DrawSunkenFrame(QPainter& painter, const QRect& rect, const QPalette& palette) {
    // Shadow along the top and left, highlight along the bottom and right.
    painter.setPen(palette.color(QPalette::Dark));
    painter.drawLine(rect.topLeft(), rect.topRight());
    painter.drawLine(rect.topLeft(), rect.bottomLeft());
    painter.setPen(palette.color(QPalette::Light));
    painter.drawLine(rect.bottomLeft(), rect.bottomRight());
    painter.drawLine(rect.topRight(), rect.bottomRight());
}

// A bar from x = 2 to `end` (exclusive) between rows top and bottom (exclusive): green, and red
// from one pixel before the threshold when it reaches that far.
void DrawBar(QPainter& painter, int top, int bottom, int end, int threshold) {
    const int start = 2;
    if (end <= start || bottom <= top)
        return;
    if (end < threshold) {
        painter.fillRect(QRect(QPoint(start, top), QPoint(end - 1, bottom - 1)), Qt::green);
        return;
    }
    painter.fillRect(QRect(QPoint(start, top), QPoint(threshold - 1, bottom - 1)), Qt::green);
    painter.fillRect(QRect(QPoint(threshold - 1, top), QPoint(end - 1, bottom - 1)), Qt::red);
}

}  // namespace

CLevelMeter::CLevelMeter(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("999"));
    setWindowTitle(QStringLiteral("Volume"));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CLevelMeter::resizeEvent(QResizeEvent* event) {
    m_width = event->size().width();
    m_redThreshold = m_width - m_width / 5;
    m_barHeight = event->size().height() / 2 - 1;
    QWidget::resizeEvent(event);
}

int CLevelMeter::EndFor(float level) const {
    const float clamped = std::clamp(level, 0.0f, 1.0f);
    return static_cast<int>(clamped * static_cast<float>(m_width - 4)) + kBarStart;
}

void CLevelMeter::UpdateLevels(float left, float right) {
    const int leftEnd = EndFor(left);
    const int rightEnd = EndFor(right);
    if (leftEnd == m_leftEnd && rightEnd == m_rightEnd)
        return;
    m_leftEnd = leftEnd;
    m_rightEnd = rightEnd;
    // The bars are drawn whole from their ends; a bar that shrank leaves black behind it.
    update();
}

void CLevelMeter::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    const int h = m_barHeight;
    DrawSunkenFrame(painter, QRect(0, 0, m_width, h), palette());
    DrawSunkenFrame(painter, QRect(0, h + 1, m_width, h), palette());
    painter.fillRect(QRect(QPoint(1, 1), QPoint(m_width - 2, h - 2)), Qt::black);
    painter.fillRect(QRect(QPoint(1, h + 2), QPoint(m_width - 2, 2 * h - 1)), Qt::black);
    DrawBar(painter, 2, h - 1, m_leftEnd, m_redThreshold);
    DrawBar(painter, h + 3, 2 * h, m_rightEnd, m_redThreshold);
}
