#include "ui/effects/CManipWnd.h"

#include <QMouseEvent>
#include <QPainter>

#include "ui/effects/CManipListener.h"

CManipWnd::CManipWnd(AudioBackend& devices, MessageSink& messages, QWidget* parent)
    : QWidget(parent), m_beeper(devices, messages, this), m_curve(m_beeper) {
    setObjectName(QStringLiteral("5"));
    setWindowTitle(QStringLiteral("ManipWind"));
    setCursor(Qt::ArrowCursor);
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);
    // The readout follows the pointer without a button held.
    setMouseTracking(true);
    resize(100, 150);
}

void CManipWnd::Reset(int mode) {
    m_resetMode = mode;
    m_curve.Reset(mode);
    update();
}

bool CManipWnd::SavePreset(SettingsStore& settings, const std::string& category,
                           const std::string& name) const {
    return m_curve.SavePreset(settings, category, name);
}

bool CManipWnd::LoadPreset(const SettingsStore& settings, const std::string& category,
                           const std::string& name) {
    if (!m_curve.LoadPreset(settings, category, name))
        return false;
    m_resetMode = -1;
    ReleaseCapture();
    update();
    return true;
}

QRect CManipWnd::AroundPoint(int i) const {
    const int first = i > 0 ? i - 1 : 0;
    const int last = i + 1 < m_curve.Count() ? i + 1 : m_curve.Count() - 1;
    QRect area;
    for (int k = first; k <= last; ++k) {
        const CurveModel::Point& p = m_curve.PointAt(k);
        area |= QRect(p.x - 3, p.y - 3, 8, 8);
    }
    return area.adjusted(-1, -1, 1, 1);
}

void CManipWnd::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QPalette& colours = palette();
    const int right = width() - 1;
    const int bottom = height() - 1;
    // Sunken: shadow on the top and left, highlight on the bottom and right.
    painter.setPen(colours.color(QPalette::Dark));
    painter.drawLine(0, 0, right, 0);
    painter.drawLine(0, 0, 0, bottom);
    painter.setPen(colours.color(QPalette::Light));
    painter.drawLine(0, bottom, right, bottom);
    painter.drawLine(right, 0, right, bottom);

    QPolygon line;
    for (const CurveModel::Point& p : m_curve.Points()) line << QPoint(p.x, p.y);
    painter.setPen(Qt::black);
    painter.drawPolyline(line);
    painter.setBrush(Qt::white);
    // A 7-pixel square from (x - 3, y - 3): the outline takes one pixel beyond the width given.
    for (const QPoint& p : line) painter.drawRect(p.x() - 3, p.y() - 3, 6, 6);
}

void CManipWnd::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint at = event->position().toPoint();
    // Held for the hover readout, the mouse may bring a press from beside the control: that
    // press is not ours.
    if (!rect().contains(at)) {
        ReleaseCapture();
        ClearReadout();
        return;
    }
    // The model beeps through the beeper when it refuses the click.
    const CurveModel::Press press = m_curve.PressAt(at.x(), at.y());
    if (press == CurveModel::Press::Dragging || press == CurveModel::Press::Inserted)
        m_resetMode = -1;
    if (press == CurveModel::Press::Inserted)
        update(AroundPoint(m_curve.DragIndex()));
}

void CManipWnd::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (!m_curve.IsDragging()) {
        Hover(at);
        return;
    }
    const int i = m_curve.DragIndex();
    const QRect before = AroundPoint(i);
    if (m_curve.DragTo(at.x(), at.y()) == CurveModel::Move::Deleted) {
        ReleaseCapture();
        ClearReadout();
        update();
        return;
    }
    update(before);
    update(AroundPoint(i));
    if (m_listener != nullptr) {
        const CurveModel::Point& p = m_curve.PointAt(i);
        m_listener->ShowPosition(m_curve.Fx(p.x), m_curve.Fy(p.y));
    }
}

void CManipWnd::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !m_curve.IsDragging())
        return;
    m_curve.Release();
    ReleaseCapture();
    ClearReadout();
    update();
}

void CManipWnd::leaveEvent(QEvent*) {
    if (!m_curve.IsDragging())
        ClearReadout();
}

void CManipWnd::resizeEvent(QResizeEvent*) {
    m_curve.Resize(width(), height());
    if (m_resetMode >= 0)
        m_curve.Reset(m_resetMode);
}

// Hovering keeps the mouse so that leaving the control is seen and the readout cleared.
void CManipWnd::Hover(const QPoint& at) {
    const auto fraction = m_curve.HoverAt(at.x(), at.y());
    if (!fraction) {
        ClearReadout();
        ReleaseCapture();
        return;
    }
    if (m_listener != nullptr)
        m_listener->ShowPosition(fraction->first, fraction->second);
    Capture();
}

void CManipWnd::Capture() {
    if (isVisible() && mouseGrabber() != this)
        grabMouse();
}

void CManipWnd::ReleaseCapture() {
    if (mouseGrabber() == this)
        releaseMouse();
}

void CManipWnd::ClearReadout() {
    if (m_listener != nullptr)
        m_listener->ClearPosition();
}
