#include "ui/view/CWaveformWnd.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QStyleHints>
#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/sample/SampleBuffer.h"
#include "ui/view/WaveformPainter.h"

namespace {

constexpr QRgb kInvertMask = 0x00FFFFFFu;    // XOR with white
constexpr QRgb kPlayLineMask = 0x0000FFFFu;  // XOR with cyan: red on white, cyan on black
constexpr int kFarOutside = 1 << 30;

int MouseX(const QMouseEvent* event) {
    return static_cast<int>(std::floor(event->position().x()));
}

void XorColumns(QImage& image, int x0, int x1, int rows, QRgb mask) {
    x0 = std::max(x0, 0);
    x1 = std::min(x1, image.width() - 1);
    rows = std::min(rows, image.height());
    for (int y = 0; y < rows; ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = x0; x <= x1; ++x) row[x] ^= mask;
    }
}

}  // namespace

// Records which columns carry marks before a change of the marks and asks for those columns
// and the ones that carry marks afterwards to be composed again.
class CWaveformWnd::MarksChange {
public:
    explicit MarksChange(CWaveformWnd& window) : m_window(window), m_before(window.MarkRegion()) {}
    ~MarksChange() { m_window.RequestMarksPaint(m_before + m_window.MarkRegion()); }
    MarksChange(const MarksChange&) = delete;
    MarksChange& operator=(const MarksChange&) = delete;

private:
    CWaveformWnd& m_window;
    QRegion m_before;
};

CWaveformWnd::CWaveformWnd(QWidget* parent, uint32_t channelIndex)
    : QWidget(parent), m_nChannelIndex(channelIndex) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setBackgroundRole(QPalette::Base);
    setCursor(Qt::CrossCursor);
    m_pView = dynamic_cast<WaveformViewListener*>(parent);
}

CWaveformWnd::~CWaveformWnd() = default;

bool CWaveformWnd::Create(const QRect& rect, QWidget* parent, int id, uint32_t channelIndex) {
    if (parent != parentWidget())
        setParent(parent);
    if (m_pView == nullptr)
        m_pView = dynamic_cast<WaveformViewListener*>(parent);
    m_nId = id;
    m_nChannelIndex = channelIndex;
    m_nStyle = kStyleLines;
    setGeometry(rect);
    show();
    return true;
}

// ---- Range and zoom ----

uint32_t CWaveformWnd::GetFrameCount() const {
    return m_pBuffer != nullptr ? m_pBuffer->GetFrameCount() : 0;
}

bool CWaveformWnd::CanMark() const {
    return m_pBuffer != nullptr && m_pBuffer->GetFrameCount() > 0 && !m_pBuffer->IsLentForWriting();
}

void CWaveformWnd::ComputeZoom(uint32_t first, uint32_t last) {
    // A window that has not been given a size yet counts as one column wide.
    const uint32_t w = static_cast<uint32_t>(std::max(width(), 1));
    m_nZoom = (last - first + 1) / w;
    // The whole sample's length decides, not the range's: a range zoom normally ends one above
    // the floor quotient, and the whole sample ends at the ceiling of count / w.
    if (uint64_t{GetFrameCount()} > uint64_t{w} * m_nZoom)
        ++m_nZoom;
    if (m_nZoom == 0)
        m_nZoom = 1;
    m_nHalfPage = (w / 2) * m_nZoom;
    m_nEighthPage = (w / 8) * m_nZoom;
}

void CWaveformWnd::SetSample(SampleBuffer* buffer, uint32_t first, uint32_t last) {
    m_pBuffer = buffer;
    m_nFirst = first;
    m_nLast = last;
    ComputeZoom(first, last);
    m_lastPending = true;
    m_waveDirty = true;
}

void CWaveformWnd::SetStyle(int style) {
    m_nStyle = style;
    InvalidateWave();
}

void CWaveformWnd::ShowRange(uint32_t first, uint32_t last) {
    m_nFirst = first;
    m_nLast = last;
    ComputeZoom(first, last);
    InvalidateWave();
}

void CWaveformWnd::ZoomAll(bool updateScrollBar) {
    m_nFirst = 0;
    m_nLast = GetFrameCount();
    ComputeZoom(0, m_nLast);
    InvalidateWave();
    if (updateScrollBar)
        TellViewScrollBar(m_nFirst);
}

void CWaveformWnd::ZoomToSelection(bool updateScrollBar) {
    if (!m_bSelection)
        return;
    m_nFirst = m_nSelStart;
    m_nLast = m_nSelEnd;
    ComputeZoom(m_nSelStart, m_nSelEnd);
    InvalidateWave();
    if (updateScrollBar)
        TellViewScrollBar(m_nSelStart);
}

uint32_t CWaveformWnd::GetMaxFirst() const {
    const uint32_t count = GetFrameCount();
    return count > m_nHalfPage ? count - m_nHalfPage : 0;
}

// ---- Scrolling ----

uint32_t CWaveformWnd::ScrollLeft(bool byPage) {
    const uint32_t step = byPage ? m_nHalfPage : m_nEighthPage;
    if (step >= m_nFirst) {
        m_nFirst = 0;
        InvalidateWave();
    } else {
        m_nFirst -= step;
        const int dx = static_cast<int>(step / std::max(m_nZoom, 1u));
        ShiftWave(dx);
        // The columns just right of the uncovered strip are painted again too: the line into
        // the first moved column starts in the strip.
        InvalidateColumns(0, dx + 4);
    }
    m_lastPending = true;
    SyncLast();
    return m_nFirst;
}

uint32_t CWaveformWnd::ScrollRight(bool byPage) {
    return ScrollTo(m_nFirst + (byPage ? m_nHalfPage : m_nEighthPage));
}

uint32_t CWaveformWnd::ScrollTo(uint32_t target) {
    target = std::min(target, GetMaxFirst());
    const uint32_t zoom = std::max(m_nZoom, 1u);
    if (target == m_nFirst)
        return m_nFirst;
    if (target > m_nFirst && (target - m_nFirst) % zoom == 0) {
        const uint32_t columns = (target - m_nFirst) / zoom;
        m_nFirst = target;
        ShiftWave(-static_cast<int>(std::min<uint32_t>(columns, kFarOutside)));
    } else if (target < m_nFirst && (m_nFirst - target) % zoom == 0) {
        const uint32_t columns = (m_nFirst - target) / zoom;
        m_nFirst = target;
        ShiftWave(static_cast<int>(std::min<uint32_t>(columns, kFarOutside)));
    } else {
        m_nFirst = target;
        InvalidateWave();
    }
    m_lastPending = true;
    SyncLast();
    return m_nFirst;
}

// ---- Marks set by the view ----

void CWaveformWnd::HideCaret() {
    m_blinkTimer.stop();
    m_bCaretShown = false;
}

void CWaveformWnd::StartBlinking() {
    const int period = QGuiApplication::styleHints()->cursorFlashTime() / 2;
    if (period > 0) {
        m_blinkTimer.start(period, this);
    } else {
        // The platform says carets do not blink: the caret stays on.
        m_bCaretShown = true;
    }
}

void CWaveformWnd::SetSelection(uint32_t start, uint32_t end) {
    {
        MarksChange change(*this);
        HideCaret();
        m_nSelStart = start;
        m_nSelEnd = end;
        m_bSelection = true;
        m_bCaret = false;
        m_bCaretShown = false;
    }
    ReportSelection();
    TellRuler();
}

void CWaveformWnd::SetCaret(uint32_t frame) {
    {
        MarksChange change(*this);
        HideCaret();
        m_bSelection = false;
        m_nCaret = frame;
        m_bCaret = true;
        m_bCaretShown = true;
        StartBlinking();
    }
    ReportCaret();
    TellRuler();
}

void CWaveformWnd::HideMarks() {
    if (!m_bInactive) {
        MarksChange change(*this);
        m_bSavedCaret = m_bCaret;
        m_bSavedSelection = m_bSelection;
        HideCaret();
        m_bSelection = false;
        m_bCaret = false;
    }
    m_bInactive = true;
}

void CWaveformWnd::ShowMarks() {
    if (m_bInactive) {
        MarksChange change(*this);
        m_bSelection = m_bSavedSelection;
        m_bCaret = m_bSavedCaret;
        // A restored caret shows again at the first tick of the blink timer.
        if (m_bCaret)
            StartBlinking();
    }
    ReportMarks();
    m_bInactive = false;
}

void CWaveformWnd::MovePlayCursor(uint32_t frame) {
    MarksChange change(*this);
    m_nPlayCursor = frame;
    m_bPlayCursor = true;
}

void CWaveformWnd::HidePlayCursor() {
    MarksChange change(*this);
    m_bPlayCursor = false;
}

void CWaveformWnd::timerEvent(QTimerEvent* event) {
    if (event->timerId() != m_blinkTimer.timerId()) {
        QWidget::timerEvent(event);
        return;
    }
    if (!m_bSelection) {
        MarksChange change(*this);
        m_bCaretShown = !m_bCaretShown;
    }
}

// ---- Reports ----

void CWaveformWnd::ReportSelection() const {
    SampleSheetListener* sheet = GetSampleSheetListener();
    if (sheet == nullptr || m_pBuffer == nullptr)
        return;
    sheet->UpdateSelection(m_nSelStart, m_nSelEnd, m_pBuffer->GetBytesPerFrame(),
                           m_pBuffer->GetFrequency(), true);
}

void CWaveformWnd::ReportCaret() const {
    SampleSheetListener* sheet = GetSampleSheetListener();
    if (sheet == nullptr || m_pBuffer == nullptr)
        return;
    sheet->UpdateSelection(m_nCaret, 0, m_pBuffer->GetBytesPerFrame(), m_pBuffer->GetFrequency(),
                           false);
}

void CWaveformWnd::ReportMarks() const {
    if (m_bSelection)
        ReportSelection();
    if (m_bCaret)
        ReportCaret();
}

void CWaveformWnd::TellRuler() const {
    if (m_pRuler != nullptr)
        m_pRuler->SetSelection(m_nSelStart, m_nSelEnd, true);
}

void CWaveformWnd::TellViewScrollBar(uint32_t first) const {
    if (m_pView != nullptr)
        m_pView->UpdateScrollBar(first, GetMaxFirst());
}

// ---- Mouse ----

void CWaveformWnd::BeginSelection(int x) {
    if (!CanMark())
        return;
    MarksChange change(*this);
    HideCaret();
    m_bCaret = false;
    m_bDragMoved = false;
    m_bSelection = true;
    m_nAnchor = m_nZoom * static_cast<uint32_t>(std::max(x, 0)) + m_nFirst;
    const uint32_t count = GetFrameCount();
    if (m_nAnchor < count) {
        m_nDragEnd = m_nSelStart = m_nSelEnd = m_nAnchor;
    } else {
        // A press beyond the data marks the last frame.
        m_nAnchor = m_nDragEnd = m_nSelStart = m_nSelEnd = m_nCaret = count - 1;
    }
}

void CWaveformWnd::ExtendSelection(uint32_t f) {
    const uint32_t d = m_nDragEnd;
    if (f == d)
        return;
    MarksChange change(*this);
    if (f > d) {
        if (m_nSelEnd >= f) {
            m_nSelStart = f;  // the moving end is the start and stays left of the anchor
        } else if (m_nSelEnd > d) {
            m_nSelStart = m_nSelEnd;  // the moving end crosses the anchor
            m_nSelEnd = f;
        } else {
            m_nSelEnd = f;
        }
    } else {
        if (m_nSelStart < f) {
            m_nSelEnd = f;
        } else if (d > m_nSelStart) {
            m_nSelEnd = m_nSelStart;
            m_nSelStart = f;
        } else {
            m_nSelStart = f;
        }
    }
    m_nDragEnd = f;
    m_bDragMoved = true;
}

void CWaveformWnd::FinishDrag() {
    MarksChange change(*this);
    if (m_bDragMoved) {
        m_nSelStart = std::min(m_nAnchor, m_nDragEnd);
        m_nSelEnd = std::max(m_nAnchor, m_nDragEnd);
        m_bSelection = true;
    } else {
        // The one-frame band drawn at the press is the caret line's shown phase.
        m_bCaret = true;
        m_nCaret = m_nAnchor;
        m_bCaretShown = true;
        m_bSelection = false;
        StartBlinking();
    }
}

void CWaveformWnd::DropMarks() {
    MarksChange change(*this);
    HideCaret();
    m_bSelection = false;
    m_bCaret = false;
}

void CWaveformWnd::SelectWholeSample() {
    if (!CanMark())
        return;
    MarksChange change(*this);
    HideCaret();
    m_nSelStart = 0;
    m_nSelEnd = GetFrameCount() - 1;
    m_bSelection = true;
    m_bCaret = false;
}

void CWaveformWnd::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        if (m_pView != nullptr)
            m_pView->ZoomInFromWaveform();
        return;
    }
    if (event->button() != Qt::LeftButton || !CanMark() || m_bDragging)
        return;
    SyncLast();
    const int x = MouseX(event);
    m_bDragging = true;  // the press grabs the mouse until the release
    BeginSelection(x);
    ReportSelection();
    if (m_pPartner != nullptr) {
        if (event->modifiers() & Qt::ControlModifier) {
            m_pPartner->DropMarks();
            m_bPartnerFollows = false;
        } else {
            m_pPartner->BeginSelection(x);
            m_bPartnerFollows = true;
        }
    }
    TellRuler();
}

void CWaveformWnd::mouseMoveEvent(QMouseEvent* event) {
    if (!m_bDragging)
        return;
    SyncLast();
    int x = MouseX(event);
    const uint32_t count = GetFrameCount();
    bool scrollLeft = false;
    if (x < 0) {
        scrollLeft = m_nFirst != 0;
        x = 0;
    }
    auto frameAt = [&] {
        const uint32_t f = m_nFirst + m_nZoom * static_cast<uint32_t>(x);
        return f >= count ? count - 1 : f;
    };
    const uint32_t unclamped = m_nFirst + m_nZoom * static_cast<uint32_t>(x);
    const bool scrollRight = unclamped > m_nLast && count - m_nHalfPage - 1 > m_nFirst;
    uint32_t f = frameAt();
    if (f == m_nDragEnd && !scrollLeft && !scrollRight)
        return;
    if (scrollLeft || scrollRight) {
        if (scrollLeft) {
            ScrollLeft(false);
            if (m_pPartner != nullptr)
                m_pPartner->ScrollLeft(false);
        } else {
            ScrollTo(m_nFirst + m_nEighthPage);
            if (m_pPartner != nullptr) {
                m_pPartner->ScrollTo(m_pPartner->m_nFirst + m_pPartner->m_nEighthPage);
            }
        }
        TellViewScrollBar(m_nFirst);
        f = frameAt();
    }
    ExtendSelection(f);
    if (m_bPartnerFollows && m_pPartner != nullptr)
        m_pPartner->ExtendSelection(f);
    ReportSelection();
    TellRuler();
}

void CWaveformWnd::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    if (m_bDragging) {
        m_bDragging = false;
        FinishDrag();
        if (m_pPartner != nullptr && m_bPartnerFollows)
            m_pPartner->FinishDrag();
    }
    ReportMarks();
    SpectrumListener* spectrum = GetSpectrumListener();
    if (spectrum != nullptr)
        spectrum->UpdateSpectrum(m_pBuffer, m_nSelStart);
}

void CWaveformWnd::mouseDoubleClickEvent(QMouseEvent* event) {
    // The second press of a double click comes here instead of to the press handler; a right
    // double click does nothing.
    if (event->button() != Qt::LeftButton || !CanMark())
        return;
    SelectWholeSample();
    if (m_pPartner != nullptr) {
        if (event->modifiers() & Qt::ControlModifier) {
            m_pPartner->DropMarks();
            m_bPartnerFollows = false;
        } else {
            m_pPartner->SelectWholeSample();
            m_bPartnerFollows = true;
        }
    }
    ReportSelection();
    TellRuler();
}

// ---- The back buffer and painting ----

void CWaveformWnd::InvalidateWave() {
    m_waveDirty = true;
    m_lastPending = true;
    update();
}

void CWaveformWnd::InvalidateColumns(int x0, int x1) {
    x0 = std::max(x0, 0);
    x1 = std::min(x1, width() - 1);
    if (x0 > x1)
        return;
    if (m_dirtyFrom <= m_dirtyTo) {
        m_dirtyFrom = std::min(m_dirtyFrom, x0);
        m_dirtyTo = std::max(m_dirtyTo, x1);
    } else {
        m_dirtyFrom = x0;
        m_dirtyTo = x1;
    }
    update(QRect(x0, 0, x1 - x0 + 1, height()));
}

void CWaveformWnd::ShiftWave(int dx) {
    const int w = m_wave.width();
    if (m_waveDirty || m_wave.size() != size() || std::abs(dx) >= w) {
        InvalidateWave();
        return;
    }
    const QRegion marksBefore = MarkRegion().translated(dx, 0);
    const int moved = w - std::abs(dx);
    const int from = dx > 0 ? 0 : -dx;
    const int to = dx > 0 ? dx : 0;
    for (int y = 0; y < m_wave.height(); ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(m_wave.scanLine(y));
        std::memmove(row + to, row + from, static_cast<size_t>(moved) * sizeof(QRgb));
    }
    // Columns still waiting to be painted move with the pixels.
    if (m_dirtyFrom <= m_dirtyTo) {
        m_dirtyFrom = std::max(m_dirtyFrom + dx, 0);
        m_dirtyTo = std::min(m_dirtyTo + dx, w - 1);
        if (m_dirtyFrom > m_dirtyTo)
            m_dirtyFrom = 0, m_dirtyTo = -1;
    }
    m_markUpdates.translate(dx, 0);
    scroll(dx, 0);  // moves the pixels on the screen; the uncovered strip is painted again
    if (dx > 0) {
        InvalidateColumns(0, dx - 1);
    } else {
        InvalidateColumns(w + dx, w - 1);
    }
    // The marks moved with the pixels; they are composed again where they now belong.
    RequestMarksPaint(marksBefore + MarkRegion());
}

void CWaveformWnd::SyncLast() {
    if (!m_lastPending || !CanMark() || width() <= 0 || height() <= 0)
        return;
    const WaveformPainter painter(*m_pBuffer, Geometry(), width(), height());
    m_nLast = painter.Extent().lastFrame;
    m_lastPending = false;
}

WaveformGeometry CWaveformWnd::Geometry() const {
    WaveformGeometry geometry;
    geometry.first = m_nFirst;
    geometry.zoom = std::max(m_nZoom, 1u);
    geometry.style = m_nStyle;
    geometry.channelIndex = m_nChannelIndex;
    return geometry;
}

void CWaveformWnd::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_waveDirty = true;
    m_lastPending = true;
}

void CWaveformWnd::PaintWave(int x0, int x1) {
    m_lastPaintedColumns = x1 - x0 + 1;
    const QRgb background = palette().color(QPalette::Base).rgb();
    if (!CanMark()) {
        for (int y = 0; y < m_wave.height(); ++y) {
            QRgb* row = reinterpret_cast<QRgb*>(m_wave.scanLine(y));
            std::fill(row + x0, row + x1 + 1, background);
        }
        if (m_pBuffer != nullptr && m_bCaret)
            ReportCaret();
        return;
    }
    const WaveformPainter painter(*m_pBuffer, Geometry(), m_wave.width(), m_wave.height());
    painter.Paint(m_wave, x0, x1, background);
    m_nLast = painter.Extent().lastFrame;
    m_lastPending = false;
    ReportMarks();
}

void CWaveformWnd::paintEvent(QPaintEvent* event) {
    if (m_wave.size() != size()) {
        m_wave = QImage(size(), QImage::Format_RGB32);
        m_picture = QImage(size(), QImage::Format_RGB32);
        m_waveDirty = true;
    }
    if (m_wave.isNull())
        return;
    const QRect area = event->rect() & rect();
    // What the window did not ask for itself to show its marks (an expose, or a repaint by the
    // view after the sound changed) has its waveform drawn again.
    const QRect exposed = (event->region() - m_markUpdates).boundingRect() & rect();
    m_markUpdates = QRegion();
    int x0 = m_dirtyFrom;
    int x1 = m_dirtyTo;
    if (m_waveDirty) {
        x0 = 0;
        x1 = width() - 1;
    } else if (!exposed.isEmpty()) {
        x0 = x0 <= x1 ? std::min(x0, exposed.left()) : exposed.left();
        x1 = std::max(x1, exposed.right());
    }
    m_waveDirty = false;
    m_dirtyFrom = 0;
    m_dirtyTo = -1;
    if (x0 <= x1)
        PaintWave(x0, x1);
    if (area.isEmpty())
        return;
    ComposeMarks(area.left(), area.right());
    QPainter painter(this);
    painter.drawImage(area.topLeft(), m_picture, area);
}

int CWaveformWnd::CaretColumn(uint32_t frame) const {
    // The difference wraps for a frame left of the first one, which puts it far outside.
    const uint32_t difference = frame - m_nFirst;
    const float quotient =
        static_cast<float>(static_cast<double>(difference) / std::max(m_nZoom, 1u));
    return quotient >= static_cast<float>(kFarOutside) ? kFarOutside : static_cast<int>(quotient);
}

bool CWaveformWnd::BandColumns(uint32_t a, uint32_t b, int& x1, int& x2) const {
    // No band while no frame is on the screen (the last frame shown is then before the first).
    if (b < m_nFirst || a > m_nLast || m_nLast < m_nFirst)
        return false;
    x1 = a > m_nFirst ? CaretColumn(a) : 0;
    x2 = CaretColumn(std::min(b, m_nLast));
    if (x2 < x1)
        std::swap(x1, x2);
    return true;
}

bool CWaveformWnd::PlayColumn(int& x) const {
    if (!m_bPlayCursor || m_nPlayCursor < m_nFirst || m_nPlayCursor > m_nLast)
        return false;
    x = static_cast<int>(
        std::min<uint32_t>((m_nPlayCursor - m_nFirst) / std::max(m_nZoom, 1u), kFarOutside));
    return true;
}

QRegion CWaveformWnd::MarkRegion() const {
    QRegion region;
    auto add = [&](int x0, int x1) {
        x0 = std::max(x0, 0);
        x1 = std::min(x1, width() - 1);
        if (x0 <= x1)
            region += QRect(x0, 0, x1 - x0 + 1, height());
    };
    if (m_bCaret && m_bCaretShown) {
        const int x = CaretColumn(m_nCaret);
        add(x, x);
    }
    int x1 = 0;
    int x2 = 0;
    if (m_bSelection && BandColumns(m_nSelStart, m_nSelEnd, x1, x2))
        add(x1, x2);
    if (PlayColumn(x1))
        add(x1, x1);
    return region;
}

void CWaveformWnd::RequestMarksPaint(const QRegion& region) {
    if (region.isEmpty())
        return;
    m_markUpdates += region;
    update(region);
}

void CWaveformWnd::ComposeMarks(int x0, int x1) {
    const int rows = m_picture.height();
    for (int y = 0; y < rows; ++y) {
        const QRgb* source = reinterpret_cast<const QRgb*>(m_wave.constScanLine(y));
        QRgb* target = reinterpret_cast<QRgb*>(m_picture.scanLine(y));
        std::copy(source + x0, source + x1 + 1, target + x0);
    }
    auto invert = [&](int from, int to, QRgb mask) {
        XorColumns(m_picture, std::max(from, x0), std::min(to, x1), rows, mask);
    };
    if (m_bCaret && m_bCaretShown) {
        const int x = CaretColumn(m_nCaret);
        invert(x, x, kInvertMask);
    }
    int b1 = 0;
    int b2 = 0;
    if (m_bSelection && BandColumns(m_nSelStart, m_nSelEnd, b1, b2))
        invert(b1, b2, kInvertMask);
    int play = 0;
    if (PlayColumn(play))
        invert(play, play, kPlayLineMask);
}
