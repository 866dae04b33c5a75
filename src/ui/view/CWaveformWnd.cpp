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

int MouseX(const QMouseEvent* event) {
    return static_cast<int>(std::floor(event->position().x()));
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
    if (!m_marks.HasSelection())
        return;
    m_nFirst = m_marks.SelStart();
    m_nLast = m_marks.SelEnd();
    ComputeZoom(m_nFirst, m_nLast);
    InvalidateWave();
    if (updateScrollBar)
        TellViewScrollBar(m_nFirst);
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
        m_marks.SetSelection(start, end);
    }
    ReportSelection();
    TellRuler();
}

void CWaveformWnd::SetCaret(uint32_t frame) {
    {
        MarksChange change(*this);
        HideCaret();
        m_marks.SetCaret(frame);
        m_bCaretShown = true;
        StartBlinking();
    }
    ReportCaret();
    TellRuler();
}

void CWaveformWnd::HideMarks() {
    if (m_marks.IsInactive())
        return;
    MarksChange change(*this);
    HideCaret();
    m_marks.Hide();
}

void CWaveformWnd::ShowMarks() {
    if (m_marks.IsInactive()) {
        MarksChange change(*this);
        m_marks.Show();
        // A restored caret shows again at the first tick of the blink timer.
        if (m_marks.HasCaret())
            StartBlinking();
    }
    ReportMarks();
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
    if (!m_marks.HasSelection()) {
        MarksChange change(*this);
        m_bCaretShown = !m_bCaretShown;
    }
}

// ---- Reports ----

void CWaveformWnd::ReportSelection() const {
    SampleSheetListener* sheet = GetSampleSheetListener();
    if (sheet == nullptr || m_pBuffer == nullptr || !sheet->TakesReportsOf(this))
        return;
    sheet->UpdateSelection(m_marks.SelStart(), m_marks.SelEnd(), m_pBuffer->GetBytesPerFrame(),
                           m_pBuffer->GetFrequency(), true);
}

void CWaveformWnd::ReportCaret() const {
    SampleSheetListener* sheet = GetSampleSheetListener();
    if (sheet == nullptr || m_pBuffer == nullptr || !sheet->TakesReportsOf(this))
        return;
    sheet->UpdateSelection(m_marks.Caret(), 0, m_pBuffer->GetBytesPerFrame(),
                           m_pBuffer->GetFrequency(), false);
}

void CWaveformWnd::ReportMarks() const {
    if (m_marks.HasSelection())
        ReportSelection();
    if (m_marks.HasCaret())
        ReportCaret();
}

void CWaveformWnd::TellRuler() const {
    if (m_pRuler != nullptr)
        m_pRuler->SetSelection(m_marks.SelStart(), m_marks.SelEnd(), true);
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
    m_marks.Begin(m_nZoom * static_cast<uint32_t>(std::max(x, 0)) + m_nFirst, GetFrameCount());
}

void CWaveformWnd::ExtendSelection(uint32_t frame) {
    if (frame == m_marks.DragEnd())
        return;
    MarksChange change(*this);
    m_marks.Extend(frame);
}

void CWaveformWnd::FinishDrag() {
    MarksChange change(*this);
    if (m_marks.Finish()) {
        m_bCaretShown = true;
        StartBlinking();
    }
}

void CWaveformWnd::DropMarks() {
    MarksChange change(*this);
    HideCaret();
    m_marks.Drop();
}

void CWaveformWnd::SelectWholeSample() {
    if (!CanMark())
        return;
    MarksChange change(*this);
    HideCaret();
    m_marks.SelectAll(GetFrameCount());
}

void CWaveformWnd::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        if (m_pView != nullptr)
            m_pView->ZoomInFromWaveform();
        return;
    }
    if (event->button() != Qt::LeftButton || !CanMark() || m_marks.IsDragging())
        return;
    SyncLast();
    const int x = MouseX(event);
    m_marks.Grab();  // the press grabs the mouse until the release
    BeginSelection(x);
    ReportSelection();
    if (m_pPartner != nullptr) {
        if (event->modifiers() & Qt::ControlModifier) {
            m_pPartner->DropMarks();
            m_marks.SetPartnerFollows(false);
        } else {
            m_pPartner->BeginSelection(x);
            m_marks.SetPartnerFollows(true);
        }
    }
    TellRuler();
}

void CWaveformWnd::mouseMoveEvent(QMouseEvent* event) {
    if (!m_marks.IsDragging())
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
    if (f == m_marks.DragEnd() && !scrollLeft && !scrollRight)
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
    if (m_marks.PartnerFollows() && m_pPartner != nullptr)
        m_pPartner->ExtendSelection(f);
    ReportSelection();
    TellRuler();
}

void CWaveformWnd::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    if (m_marks.Release()) {
        FinishDrag();
        if (m_pPartner != nullptr && m_marks.PartnerFollows())
            m_pPartner->FinishDrag();
    }
    ReportMarks();
    SpectrumListener* spectrum = GetSpectrumListener();
    if (spectrum != nullptr)
        spectrum->UpdateSpectrum(m_pBuffer, m_marks.SelStart());
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
            m_marks.SetPartnerFollows(false);
        } else {
            m_pPartner->SelectWholeSample();
            m_marks.SetPartnerFollows(true);
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
    update();
}

void CWaveformWnd::PaintWave(int x0, int x1) {
    m_lastPaintedColumns = x1 - x0 + 1;
    const QRgb background = palette().color(QPalette::Base).rgb();
    if (!CanMark()) {
        for (int y = 0; y < m_wave.height(); ++y) {
            QRgb* row = reinterpret_cast<QRgb*>(m_wave.scanLine(y));
            std::fill(row + x0, row + x1 + 1, background);
        }
        if (m_pBuffer != nullptr && m_marks.HasCaret())
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
    QRect area = event->rect() & rect();
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
    // A waveform drawn again whole is shown whole, so the window never keeps a stale part.
    if (x0 == 0 && x1 == width() - 1)
        area = rect();
    if (area.isEmpty())
        return;
    ComposeMarks(m_wave, m_picture, area.left(), area.right(), MarkColumns());
    QPainter painter(this);
    painter.drawImage(area.topLeft(), m_picture, area);
}

WaveformMarkColumns CWaveformWnd::MarkColumns() const {
    WaveformMarkState state;
    state.first = m_nFirst;
    state.last = m_nLast;
    state.zoom = m_nZoom;
    state.caret = m_marks.HasCaret() && m_bCaretShown;
    state.caretFrame = m_marks.Caret();
    state.selection = m_marks.HasSelection();
    state.selStart = m_marks.SelStart();
    state.selEnd = m_marks.SelEnd();
    state.play = m_bPlayCursor;
    state.playFrame = m_nPlayCursor;
    return MarkColumnsOf(state);
}

QRegion CWaveformWnd::MarkRegion() const {
    QRegion region;
    auto add = [&](int x0, int x1) {
        x0 = std::max(x0, 0);
        x1 = std::min(x1, width() - 1);
        if (x0 <= x1)
            region += QRect(x0, 0, x1 - x0 + 1, height());
    };
    const WaveformMarkColumns marks = MarkColumns();
    if (marks.caret)
        add(marks.caretColumn, marks.caretColumn);
    if (marks.band)
        add(marks.bandFrom, marks.bandTo);
    if (marks.play)
        add(marks.playColumn, marks.playColumn);
    return region;
}

void CWaveformWnd::RequestMarksPaint(const QRegion& region) {
    if (region.isEmpty())
        return;
    m_markUpdates += region;
    update(region);
}
