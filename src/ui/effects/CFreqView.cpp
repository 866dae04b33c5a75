#include "ui/effects/CFreqView.h"

#include <QPainter>
#include <QPolygon>
#include <algorithm>
#include <cstdint>
#include <limits>

#include "core/effects/Spectrum.h"

namespace {

const QColor kPointColour(0, 255, 255);
const QColor kLineColour(0, 255, 50);

// The graph keeps this many pixels clear below its zero line.
constexpr int kBottomMargin = 3;

}  // namespace

CFreqView::CFreqView(QWidget* owner) : QWidget(owner, Qt::Tool) {
    setObjectName(QStringLiteral("FrequencyView"));
    setWindowTitle(QStringLiteral("Frequency View"));
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::ArrowCursor);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setGeometry(0, 100, 600, 300);
}

CFreqView::~CFreqView() {
    if (GetSpectrumListener() == this)
        SetSpectrumListener(nullptr);
}

void CFreqView::UpdateSpectrum(const SampleBuffer* buffer, uint32_t centreFrame) {
    if (buffer == nullptr)
        return;
    const auto centre =
        static_cast<int32_t>(std::min<uint32_t>(centreFrame, std::numeric_limits<int32_t>::max()));
    ComputeSpectrum(*buffer, centre, kSpectrumPoints, m_data);
    m_magnitudes = SpectrumMagnitudes(m_data, kSpectrumPoints);
    m_bHasData = true;
    update();
}

void CFreqView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (!m_bHasData || m_magnitudes.empty())
        return;
    const int w = width();
    const int h = height();
    // The largest magnitude as a whole number sets the scale. When every magnitude is below 1
    // (a sound that sits at the midpoint throughout) the scaled line lies on the zero line.
    float largest = 0.0f;
    for (float m : m_magnitudes) {
        if (m > largest)
            largest = static_cast<float>(static_cast<int64_t>(m));
    }
    const float xStep = static_cast<float>(w) / static_cast<float>(m_magnitudes.size());
    const float yScale = largest > 0.0f ? static_cast<float>(h) / largest : 0.0f;
    // Raw magnitudes run far past the window's top; only the points that land inside show.
    auto rowOf = [h](float value) {
        const double clamped = std::min<double>(value, std::numeric_limits<int32_t>::max() / 2);
        return h - static_cast<int>(clamped) - kBottomMargin;
    };

    QPolygon line;
    line.reserve(static_cast<qsizetype>(m_magnitudes.size()));
    painter.setPen(kPointColour);
    float x = 0.0f;
    for (float m : m_magnitudes) {
        const int column = static_cast<int>(x);
        painter.drawPoint(column, rowOf(m));
        line << QPoint(column, rowOf(m * yScale));
        x += xStep;
    }
    painter.setPen(QPen(kLineColour, 1, Qt::SolidLine));
    painter.drawPolyline(line);
}

void CFreqView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    update();
}
