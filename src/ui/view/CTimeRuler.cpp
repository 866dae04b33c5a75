#include "ui/view/CTimeRuler.h"

#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "ui/view/RulerTicks.h"

namespace {

// Rows of the tick marks, below the groove that separates them from the marker band.
constexpr int kTickTop = 11;
constexpr int kTickBottom = 18;
constexpr int kLabelTop = 12;
constexpr int kMarkerTop = 2;
constexpr int kMarkerMiddle = 5;
constexpr int kMarkerBottom = 8;
constexpr int kMenuKeyOffset = 5;

int FloorDiv(int64_t a, int64_t b) {
    int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0)))
        --q;
    return static_cast<int>(std::clamp<int64_t>(q, -(int64_t{1} << 30), int64_t{1} << 30));
}

}  // namespace

CTimeRuler::CTimeRuler(QWidget* parent) : QWidget(parent) {
    m_view = dynamic_cast<TimeRulerViewListener*>(parent);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);  // the cursor changes over the markers
    // The platform's own small sans font, at the pixel height the labels were laid out for.
    m_font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    m_font.setStyleHint(QFont::SansSerif);
    m_font.setPixelSize(11);
    m_font.setWeight(QFont::Normal);

    m_menu = new QMenu(this);
    const struct {
        int id;
        const char* text;
    } entries[] = {
        {kIdZoom1, "1:1"}, {kIdZoom10, "10:1"}, {kIdZoom100, "100:1"}, {kIdZoomOut, "Zoom Out"}};
    for (const auto& entry : entries) {
        QAction* action = m_menu->addAction(QString::fromLatin1(entry.text));
        action->setData(entry.id);
        const int id = entry.id;
        connect(action, &QAction::triggered, this, [this, id] { RunZoomCommand(id); });
    }
}

bool CTimeRuler::Create(QWidget* parent, const QRect& rect, int id) {
    if (parent != parentWidget())
        setParent(parent);
    if (m_view == nullptr)
        m_view = dynamic_cast<TimeRulerViewListener*>(parent);
    m_id = id;
    setGeometry(rect);
    show();
    return true;
}

void CTimeRuler::SetRange(uint32_t first, uint32_t scale) {
    m_first = first;
    m_scale = scale;
    // Asked for, never painted at once: this is called from layouts and from the view's paint.
    update();
}

void CTimeRuler::SetSelection(uint32_t left, uint32_t right, bool repaintNow) {
    m_selLeft = left;
    m_selRight = right;
    if (repaintNow)
        update(QRect(1, 1, std::max(width() - 3, 0), 8));
}

int CTimeRuler::MarkerX(uint32_t sample) const {
    if (m_scale == 0)
        return 0;
    // An end left of the first sample stays left of the ruler instead of wrapping round.
    return FloorDiv(int64_t{sample} - int64_t{m_first}, m_scale) + 2;
}

CTimeRuler::Marker CTimeRuler::MarkerZoneAt(int x) const {
    if (m_scale == 0)
        return kNoMarker;
    const int left = LeftMarkerX();
    const int right = RightMarkerX();
    if (left - 8 < x && x < left)
        return kLeftMarker;
    if (right < x && x < right + 8)
        return kRightMarker;
    return kNoMarker;
}

// ---- Drawing ----

void CTimeRuler::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Button));
    DrawFrame(painter);
    if (m_scale == 0)
        return;
    DrawTicks(painter);
    DrawMarkers(painter);
}

void CTimeRuler::DrawFrame(QPainter& painter) const {
    const int w = width();
    const int h = height();
    const QColor shadow = palette().color(QPalette::Dark);
    const QColor highlight = palette().color(QPalette::Light);
    painter.fillRect(0, 0, 1, h - 1, shadow);      // left edge
    painter.fillRect(0, 0, w - 1, 1, shadow);      // top edge
    painter.fillRect(1, 10, w - 2, 1, shadow);     // the groove under the marker band
    painter.fillRect(0, h - 1, w, 1, highlight);   // bottom edge
    painter.fillRect(w - 1, 0, 1, h, highlight);   // right edge
    painter.fillRect(1, 11, w - 2, 1, highlight);  // the groove's lit side
}

void CTimeRuler::DrawTicks(QPainter& painter) const {
    const RulerTickLayout layout = LayOutRulerTicks(m_first, m_scale, width(), kCharWidth);
    const QColor shadow = palette().color(QPalette::Dark);
    const QColor highlight = palette().color(QPalette::Light);
    painter.setFont(m_font);
    painter.setPen(palette().color(QPalette::ButtonText));
    painter.setBackgroundMode(Qt::TransparentMode);
    const int tickHeight = kTickBottom - kTickTop + 1;
    for (const RulerTick& tick : layout.ticks) {
        painter.fillRect(tick.x, kTickTop, 1, tickHeight, shadow);
        painter.fillRect(tick.x + 1, kTickTop, 1, tickHeight, highlight);
        painter.drawText(QRect(tick.labelX, kLabelTop, layout.labelWidth * 2, height()),
                         Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip,
                         QString::fromStdString(RulerLabel(tick.value)));
    }
}

void CTimeRuler::DrawMarkers(QPainter& painter) const {
    const QColor ink = palette().color(QPalette::ButtonText);
    // The left marker points right at its position, the right marker left: for a one-sample
    // selection the two tips meet.
    const int left = LeftMarkerX();
    for (int c = 0; c < 7; ++c) {
        const int top = kMarkerTop + c / 2;
        const int bottom = kMarkerBottom - c / 2;
        painter.fillRect(left - 7 + c, top, 1, bottom - top + 1, ink);
    }
    const int right = RightMarkerX();
    for (int c = 0; c < 7; ++c) {
        const int top = kMarkerMiddle - c / 2;
        const int bottom = kMarkerMiddle + c / 2;
        painter.fillRect(right + c, top, 1, bottom - top + 1, ink);
    }
}

// ---- Mouse and keys ----

void CTimeRuler::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || m_scale == 0)
        return;
    const Marker marker = MarkerZoneAt(static_cast<int>(std::floor(event->position().x())));
    if (marker == kNoMarker)
        return;
    m_dragging = true;  // the press grabs the mouse until the release
    m_draggedMarker = marker;
}

void CTimeRuler::mouseMoveEvent(QMouseEvent* event) {
    const int x = static_cast<int>(std::floor(event->position().x()));
    if (!m_dragging) {
        setCursor(MarkerZoneAt(x) == kNoMarker ? Qt::ArrowCursor : Qt::SizeHorCursor);
        return;
    }
    const uint32_t sample = m_scale * static_cast<uint32_t>(std::max(x, 0)) + m_first;
    if (m_draggedMarker == kLeftMarker) {
        if (sample == m_selLeft)
            return;
        m_selLeft = sample;
        m_selRight = std::max(m_selRight, sample);
    } else {
        if (sample == m_selRight)
            return;
        m_selRight = sample;
        m_selLeft = std::min(m_selLeft, sample);
    }
    if (m_view != nullptr)
        m_view->SetSelection(m_selLeft, m_selRight, 3);
    update();
}

void CTimeRuler::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        m_dragging = false;
}

void CTimeRuler::contextMenuEvent(QContextMenuEvent* event) {
    if (event->reason() == QContextMenuEvent::Mouse) {
        OpenZoomMenu(event->pos());
    } else {
        OpenZoomMenu(QPoint(kMenuKeyOffset, kMenuKeyOffset));
    }
}

void CTimeRuler::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F10 && (event->modifiers() & Qt::ShiftModifier)) {
        OpenZoomMenu(QPoint(kMenuKeyOffset, kMenuKeyOffset));
        return;
    }
    QWidget::keyPressEvent(event);
}

void CTimeRuler::OpenZoomMenu(const QPoint& point) {
    if (m_scale == 0)
        return;
    m_menuPoint = point;
    m_menu->popup(mapToGlobal(point));
}

void CTimeRuler::RunZoomCommand(int id) {
    if (m_view == nullptr)
        return;
    const uint32_t column = static_cast<uint32_t>(m_menuPoint.x());
    switch (id) {
        case kIdZoom1:
            m_view->SetZoomAt(1, column);
            break;
        case kIdZoom10:
            m_view->SetZoomAt(10, column);
            break;
        case kIdZoom100:
            m_view->SetZoomAt(100, column);
            break;
        case kIdZoomOut:
            m_view->ZoomAll();
            break;
        default:
            break;
    }
}
