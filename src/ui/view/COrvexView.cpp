#include "ui/view/COrvexView.h"

#include <QApplication>
#include <QFocusEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <algorithm>

#include "core/clipboard/ClipboardService.h"
#include "core/editing/SampleEditing.h"
#include "core/effects/ChangeSign.h"
#include "core/effects/PeakSearch.h"
#include "core/effects/Reverse.h"
#include "core/effects/ULaw.h"
#include "core/messages/MessageSink.h"
#include "core/sample/SampleBuffer.h"
#include "ui/app/COrvexDoc.h"
#include "ui/app/CommandIds.h"
#include "ui/app/FileDialogs.h"
#include "ui/effects/AmplifyCommand.h"
#include "ui/effects/ConvertCommand.h"
#include "ui/view/CTimeRuler.h"
#include "ui/view/CWaveformWnd.h"
#include "ui/view/ViewHost.h"

namespace {

constexpr int kUpperId = 1;
constexpr int kLowerId = 2;
constexpr int kRulerId = 3;
constexpr uint32_t kAllBits = 0xFFFFFFFFu;

// Shows the wait cursor for the length of an edit.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

// The window repaints its waveform from the changed bytes (a change of style to the same style
// redraws everything).
void RedrawWave(CWaveformWnd* window) {
    if (window != nullptr)
        window->SetStyle(window->GetStyle());
}

}  // namespace

COrvexView::COrvexView(std::shared_ptr<COrvexDoc> document, ViewHost* host, QWidget* parent)
    : QWidget(parent), m_document(std::move(document)), m_host(host) {
    // The view paints its own background.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::ArrowCursor);
    setMinimumSize(120, 110);
    m_document->AddView(this);
}

COrvexView::~COrvexView() {
    // Playback belongs to the document: it goes on in the other views of the sound, and the
    // last view takes the document, whose sessions close their devices, with it.
    m_playTimer.stop();
    m_document->RemoveView(this);
}

SampleBuffer& COrvexView::Buffer() const {
    return m_document->sample;
}

bool COrvexView::HasFrames() const {
    return Buffer().GetFrameCount() > 0;
}

bool COrvexView::IsIdle() const {
    return !m_document->IsBusy() && HasFrames();
}

CWaveformWnd* COrvexView::CreateWaveform(int id, uint32_t channelIndex) {
    auto* window = new CWaveformWnd(this, channelIndex);
    window->Create(QRect(0, 0, 100, 40), this, id, channelIndex);
    window->SetViewListener(this);
    window->installEventFilter(this);
    window->show();
    return window;
}

void COrvexView::OnInitialUpdate() {
    SampleBuffer& buffer = Buffer();
    const uint32_t frames = buffer.GetFrameCount();
    m_bStereo = buffer.GetChannels() != 1;

    m_wndUpper = CreateWaveform(kUpperId, 0);
    m_wndUpper->SetSample(&buffer, 0, frames - 1);
    if (m_bStereo) {
        m_wndLower = CreateWaveform(kLowerId, 1);
        m_wndLower->SetSample(&buffer, 0, frames - 1);
        m_wndUpper->SetPartner(m_wndLower);
        m_wndLower->SetPartner(m_wndUpper);
    }
    m_wndScroll = new QScrollBar(Qt::Horizontal, this);
    m_wndScroll->show();
    connect(m_wndScroll, &QAbstractSlider::actionTriggered, this, &COrvexView::OnScrollAction);
    m_wndRuler = new CTimeRuler(this);
    m_wndRuler->Create(this, QRect(0, 0, 100, 27), kRulerId);
    m_wndRuler->SetViewListener(this);
    m_wndUpper->SetRuler(m_wndRuler);
    if (m_wndLower != nullptr)
        m_wndLower->SetRuler(m_wndRuler);

    m_wndScroll->setRange(0, kScrollRange);
    m_bLaidOut = true;
    Layout();
    // The windows were sized by the layout only now: the whole sample is fitted to their width.
    m_wndUpper->SetSample(&buffer, 0, frames - 1);
    if (m_wndLower != nullptr)
        m_wndLower->SetSample(&buffer, 0, frames - 1);
    RedrawWave(m_wndUpper);
    RedrawWave(m_wndLower);
    UpdateStatus();
    UpdateScrollBar(m_wndUpper->GetFirst(), m_wndUpper->GetMaxFirst());
    // A new window on a sound that plays follows it too.
    if (m_document->IsCursorFollowingPlayback())
        StartPlayTimer();
}

int COrvexView::ScrollBarHeight() const {
    return style()->pixelMetric(QStyle::PM_ScrollBarExtent);
}

void COrvexView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (m_bLaidOut)
        Layout();
}

void COrvexView::Layout() {
    const int cx = width();
    const int cy = height();
    const int s = ScrollBarHeight();
    if (m_bStereo && m_wndLower != nullptr) {
        const int h = (cy - s - 48) / 2;
        m_wndUpper->setGeometry(7, 7, cx - 14, h - 3);
        m_wndLower->setGeometry(7, h + 12, cx - 14, h - 3);
    } else {
        m_wndUpper->setGeometry(7, 7, cx - 14, cy - s - 46);
    }
    m_wndScroll->setGeometry(5, cy - s - 5, cx - 10, s);
    m_wndRuler->setGeometry(5, cy - s - 37, cx - 10, 27);
    UpdateStatus();
}

void COrvexView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QPalette& pal = palette();
    const QColor face = pal.color(QPalette::Button);
    const QColor light = pal.color(QPalette::Light);
    const QColor shadow = pal.color(QPalette::Dark);
    const int w = width();
    const int h = height();
    const int s = ScrollBarHeight();
    painter.fillRect(rect(), face);

    // A raised one-pixel border around the whole view.
    painter.setPen(light);
    painter.drawLine(0, 0, w - 1, 0);
    painter.drawLine(0, 0, 0, h - 1);
    painter.setPen(shadow);
    painter.drawLine(w - 1, 0, w - 1, h - 1);
    painter.drawLine(0, h - 1, w - 1, h - 1);

    // A sunken two-pixel border around each channel's place; rectangles exclude their right
    // and bottom edges.
    auto sunken = [&](int left, int top, int right, int bottom) {
        painter.setPen(shadow);
        painter.drawLine(left, top, right - 1, top);
        painter.drawLine(left, top, left, bottom - 1);
        painter.setPen(light);
        painter.drawLine(right - 1, top, right - 1, bottom - 1);
        painter.drawLine(left, bottom - 1, right - 1, bottom - 1);
        painter.setPen(Qt::black);
        painter.drawLine(left + 1, top + 1, right - 2, top + 1);
        painter.drawLine(left + 1, top + 1, left + 1, bottom - 2);
        painter.setPen(face);
        painter.drawLine(right - 2, top + 1, right - 2, bottom - 2);
        painter.drawLine(left + 1, bottom - 2, right - 2, bottom - 2);
    };
    if (m_bStereo) {
        const int half = (h - s - 48) / 2;
        sunken(5, 5, w - 5, half + 5);
        sunken(5, half + 10, w - 5, 2 * half + 10);
    } else {
        sunken(5, 5, w - 5, h - s - 38);
    }
    painter.end();
    if (m_wndUpper != nullptr)
        UpdateScrollBar(m_wndUpper->GetFirst(), m_wndUpper->GetMaxFirst());
}

void COrvexView::UpdateScrollBar(uint32_t first, uint32_t maxFirst) {
    if (m_wndScroll == nullptr || m_wndUpper == nullptr)
        return;
    const double pageFrames = static_cast<double>(width() - 12) * m_wndUpper->GetZoom();
    const double whole = static_cast<double>(maxFirst) + pageFrames;
    int page = kScrollRange;
    int position = 0;
    if (whole > 0) {
        page = static_cast<int>(pageFrames / whole * kScrollRange);
        position = static_cast<int>(first / whole * kScrollRange);
    }
    page = std::clamp(page, 0, kScrollRange);
    m_scrollPage = page;
    const QSignalBlocker block(m_wndScroll);
    // The thumb may go as far as the range minus the page, as a proportional scroll bar does.
    m_wndScroll->setRange(0, kScrollRange - page);
    m_wndScroll->setPageStep(std::max(page, 1));
    m_wndScroll->setValue(position);
    RefreshRulerRange();
}

void COrvexView::RefreshRulerRange() {
    if (m_wndRuler == nullptr || m_wndUpper == nullptr)
        return;
    if (HasFrames())
        m_wndRuler->SetRange(m_wndUpper->GetFirst(), m_wndUpper->GetZoom());
    else
        m_wndRuler->SetRange(0, 0);
}

void COrvexView::OnScrollAction(int action) {
    CWaveformWnd* lower = m_bStereo ? m_wndLower : nullptr;
    auto both = [&](auto&& call) {
        call(m_wndUpper);
        if (lower != nullptr)
            call(lower);
    };
    switch (action) {
        case QAbstractSlider::SliderSingleStepSub:
            both([](CWaveformWnd* w) { w->ScrollLeft(false); });
            break;
        case QAbstractSlider::SliderSingleStepAdd:
            both([](CWaveformWnd* w) { w->ScrollRight(false); });
            break;
        case QAbstractSlider::SliderPageStepSub:
            both([](CWaveformWnd* w) { w->ScrollLeft(true); });
            break;
        case QAbstractSlider::SliderPageStepAdd:
            both([](CWaveformWnd* w) { w->ScrollRight(true); });
            break;
        case QAbstractSlider::SliderMove: {
            const int nPos = m_wndScroll->sliderPosition();
            const int span = kScrollRange - m_scrollPage;
            const uint32_t zoom = std::max<uint32_t>(m_wndUpper->GetZoom(), 1);
            uint64_t target = 0;
            if (span > 0)
                target = static_cast<uint64_t>(static_cast<double>(m_wndUpper->GetMaxFirst()) *
                                               nPos / span);
            target -= target % zoom;
            const auto first = static_cast<uint32_t>(target);
            both([first](CWaveformWnd* w) { w->ScrollTo(first); });
            RefreshRulerRange();
            return;
        }
        case QAbstractSlider::SliderToMinimum:
        case QAbstractSlider::SliderToMaximum:
            // Home and End move the thumb only; the windows stay where they are, so the user
            // does not lose the place being worked on by a stray key.
            RefreshRulerRange();
            return;
        default:
            return;
    }
    const uint32_t maxFirst = m_wndUpper->GetMaxFirst();
    const int position = maxFirst == 0
                             ? 0
                             : static_cast<int>(static_cast<double>(m_wndUpper->GetFirst()) /
                                                maxFirst * kScrollRange);
    m_wndScroll->setSliderPosition(std::min(position, m_wndScroll->maximum()));
    RefreshRulerRange();
}

void COrvexView::SetSelection(uint32_t first, uint32_t last, int selector) {
    const uint32_t frames = Buffer().GetFrameCount();
    if (frames == 0 || m_wndUpper == nullptr)
        return;
    last = std::min(last, frames - 1);
    first = std::min(first, last);
    if (selector == 3) {
        const bool upper = m_wndUpper->HasSelection();
        const bool lower = m_bStereo && m_wndLower->HasSelection();
        selector = (m_bStereo && upper && !lower) ? 1 : (m_bStereo && lower && !upper) ? 2 : 0;
    }
    if (selector != 2)
        m_wndUpper->SetSelection(first, last);
    if (m_bStereo && selector != 1)
        m_wndLower->SetSelection(first, last);
}

void COrvexView::SetCaret(uint32_t frame, int selector) {
    const uint32_t frames = Buffer().GetFrameCount();
    if (m_wndUpper == nullptr)
        return;
    // An empty sample keeps its caret at frame 0.
    frame = frames == 0 ? 0 : std::min(frame, frames - 1);
    if (selector == 3) {
        const bool upper = m_wndUpper->HasCaret();
        const bool lower = m_bStereo && m_wndLower->HasCaret();
        selector = (m_bStereo && upper && !lower) ? 1 : (m_bStereo && lower && !upper) ? 2 : 0;
    }
    if (selector != 2)
        m_wndUpper->SetCaret(frame);
    if (m_bStereo && selector != 1)
        m_wndLower->SetCaret(frame);
}

bool COrvexView::HasCaret() const {
    if (m_wndUpper == nullptr)
        return false;
    return m_wndUpper->HasCaret() || (m_bStereo && m_wndLower->HasCaret());
}

namespace {

// The marks of one window as a range: a selection gives its ends, a caret the whole sample (or,
// for an insert, the caret itself).
bool MarkOf(const CWaveformWnd* window, bool insert, uint32_t frames, uint32_t& first,
            uint32_t& last) {
    if (window->HasSelection()) {
        first = window->GetSelStart();
        last = window->GetSelEnd();
        return true;
    }
    if (window->HasCaret()) {
        first = insert ? window->GetCaret() : 0;
        last = insert ? window->GetCaret() : frames - 1;
        return true;
    }
    return false;
}

}  // namespace

void COrvexView::GetMarkedRange(uint32_t& first, uint32_t& last, int& selector) const {
    const uint32_t frames = Buffer().GetFrameCount();
    // Without any mark (only while the view lacks the focus) the whole sample is meant.
    first = 0;
    last = frames - 1;
    selector = 0;
    if (m_wndUpper == nullptr)
        return;
    uint32_t f1 = 0, l1 = frames - 1, f2 = 0, l2 = frames - 1;
    const bool a = MarkOf(m_wndUpper, false, frames, f1, l1);
    const bool b = m_bStereo ? MarkOf(m_wndLower, false, frames, f2, l2) : true;
    if (a && b) {
        first = f1, last = l1, selector = 0;
    } else if (a) {
        first = f1, last = l1, selector = 1;
    } else if (b) {
        first = f2, last = l2, selector = 2;
    }
}

void COrvexView::GetInsertRange(uint32_t& first, uint32_t& last, int& selector) const {
    const uint32_t frames = Buffer().GetFrameCount();
    first = 0;
    last = frames == 0 ? 0 : frames - 1;
    selector = 0;
    if (m_wndUpper == nullptr)
        return;
    uint32_t f1 = first, l1 = last, f2 = first, l2 = last;
    const bool a = MarkOf(m_wndUpper, true, frames, f1, l1);
    const bool b = m_bStereo ? MarkOf(m_wndLower, true, frames, f2, l2) : true;
    if (a && b) {
        first = f1, last = l1, selector = 0;
    } else if (a) {
        first = f1, last = l1, selector = 1;
    } else if (b) {
        first = f2, last = l2, selector = 2;
    }
}

void COrvexView::SetZoomAt(uint32_t zoom, uint32_t column) {
    if (m_wndUpper == nullptr)
        return;
    const int64_t w = m_wndUpper->width() - 2;
    const int64_t frames = Buffer().GetFrameCount();
    int64_t first = 0;
    int64_t last = 0;
    if (column == kAllBits) {
        last = w * zoom;
    } else {
        first = static_cast<int64_t>(m_wndUpper->GetZoom()) * column + m_wndUpper->GetFirst();
        if (frames < first)
            first = std::max<int64_t>(frames - w * zoom, 0);
        last = std::min(first + w * zoom, frames);
    }
    m_wndUpper->ShowRange(static_cast<uint32_t>(first), static_cast<uint32_t>(last));
    if (m_bStereo)
        m_wndLower->ShowRange(static_cast<uint32_t>(first), static_cast<uint32_t>(last));
    UpdateStatus();
    UpdateScrollBar(m_wndUpper->GetFirst(), m_wndUpper->GetMaxFirst());
}

void COrvexView::SetDisplayStyle(int style) {
    if (m_wndUpper != nullptr)
        m_wndUpper->SetStyle(style);
    if (m_wndLower != nullptr)
        m_wndLower->SetStyle(style);
}

void COrvexView::ZoomAll() {
    if (m_wndUpper == nullptr)
        return;
    m_wndUpper->ZoomAll(true);
    if (m_bStereo)
        m_wndLower->ZoomAll(true);
    UpdateScrollBar(m_wndUpper->GetFirst(), m_wndUpper->GetMaxFirst());
    UpdateStatus();
}

void COrvexView::SetStereoLayout(bool stereo) {
    if (m_wndUpper == nullptr || m_bStereo == stereo)
        return;
    SampleBuffer& buffer = Buffer();
    const uint32_t frames = buffer.GetFrameCount();
    if (stereo) {
        m_wndLower = CreateWaveform(kLowerId, 1);
        m_wndUpper->SetSample(&buffer, 0, frames - 1);
        m_wndLower->SetSample(&buffer, 0, frames - 1);
        m_wndUpper->SetPartner(m_wndLower);
        m_wndLower->SetPartner(m_wndUpper);
        m_bStereo = true;
        m_wndLower->SetStyle(m_wndUpper->GetStyle());
        // The same bytes now hold half as many frames.
        if (m_wndUpper->HasSelection())
            SetSelection(m_wndUpper->GetSelStart() / 2, m_wndUpper->GetSelEnd() / 2, 0);
        if (m_wndUpper->HasCaret())
            SetCaret(m_wndUpper->GetCaret() / 2, 0);
    } else {
        delete m_wndLower;
        m_wndLower = nullptr;
        m_bStereo = false;
        m_wndUpper->SetPartner(nullptr);
        if (m_wndUpper->HasSelection())
            SetSelection(m_wndUpper->GetSelStart() * 2, m_wndUpper->GetSelEnd() * 2, 0);
        if (m_wndUpper->HasCaret())
            SetCaret(m_wndUpper->GetCaret() * 2, 0);
    }
    RefreshRulerRange();
    m_wndUpper->SetRuler(m_wndRuler);
    if (m_wndLower != nullptr)
        m_wndLower->SetRuler(m_wndRuler);
    Layout();
    update();
}

void COrvexView::UpdateStatus() {
    if (m_host == nullptr || m_wndUpper == nullptr)
        return;
    const SampleBuffer& buffer = Buffer();
    const uint32_t frames = buffer.GetFrameCount();
    const uint32_t frequency = buffer.GetFrequency();
    const double seconds = frequency == 0 ? 0.0 : static_cast<double>(frames) / frequency;
    m_host->SetPaneText(1,
                        QString::asprintf("%ld bytes", static_cast<long>(buffer.GetByteLength())));
    m_host->SetPaneText(2, QString::asprintf("%d Bit", static_cast<int>(buffer.GetBits())));
    m_host->SetPaneText(3, QString::asprintf("%ld Hz", static_cast<long>(frequency)));
    m_host->SetPaneText(4, QString::asprintf("%.2f secs", seconds));
    m_host->SetPaneText(5, QString::asprintf("%d:1", static_cast<int>(m_wndUpper->GetZoom())));
    if (frames > 0) {
        uint32_t first = 0, last = 0;
        int selector = 0;
        GetInsertRange(first, last, selector);
        m_wndRuler->SetSelection(first, last, false);
        m_wndRuler->SetRange(m_wndUpper->GetFirst(), m_wndUpper->GetZoom());
        m_wndScroll->setEnabled(true);
    } else {
        m_wndRuler->SetRange(0, 0);
        m_wndScroll->setEnabled(false);
    }
    m_host->UpdateCommands();
}

void COrvexView::SetFrameTitle(const QString& title) {
    setWindowTitle(title);
    if (QWidget* frame = parentWidget())
        frame->setWindowTitle(title);
}

// ---- commands ----

bool COrvexView::IsCommandEnabled(int id) const {
    switch (id) {
        case ID_SAMPLE_PLAY:
        case ID_VIEW_ZOOMIN:
        case ID_VIEW_ZOOMOUT:
            return HasFrames();
        case ID_EDIT_COPY:
        case ID_EDIT_CUT:
        case ID_EDIT_DELETE:
        case ID_SAMPLE_PEAKSEARCH:
        case ID_SAMPLE_REVERSE:
        case ID_SAMPLE_CHANGESIGN:
        case ID_SAMPLE_DECODEULAW:
            return IsIdle();
        case ID_EDIT_PASTE:
            return !m_document->IsBusy() && Clipboard().HasSample();
        case ID_EDIT_UNDO:
        case ID_FILE_SAVE_AS:
        case ID_ZOOM_ALL:
            return true;
        case ID_SAMPLE_AMPLIFY:
        case ID_SAMPLE_CONVERT:
            return IsIdle();
        default:
            // Compressor / Expander, Envelope and Stereo Panning wait for their dialogs.
            return false;
    }
}

void COrvexView::OnCommand(int id) {
    if (!IsCommandEnabled(id))
        return;
    switch (id) {
        case ID_SAMPLE_PLAY:
            OnPlay();
            break;
        case ID_EDIT_COPY:
            OnCopy();
            break;
        case ID_EDIT_CUT:
            OnCutOrDelete(true);
            break;
        case ID_EDIT_DELETE:
            OnCutOrDelete(false);
            break;
        case ID_EDIT_PASTE:
            OnPaste();
            break;
        case ID_EDIT_UNDO:
            OnUndo();
            break;
        case ID_FILE_SAVE_AS:
            OnSaveAs();
            break;
        case ID_VIEW_ZOOMIN:
            OnZoomIn();
            break;
        case ID_VIEW_ZOOMOUT:
        case ID_ZOOM_ALL:
            ZoomAll();
            break;
        case ID_SAMPLE_PEAKSEARCH:
            OnPeakSearch();
            break;
        case ID_SAMPLE_REVERSE:
            OnReverse();
            break;
        case ID_SAMPLE_CHANGESIGN:
            OnChangeSign();
            break;
        case ID_SAMPLE_DECODEULAW:
            OnDecodeULaw();
            break;
        case ID_SAMPLE_AMPLIFY:
            OnAmplify();
            break;
        case ID_SAMPLE_CONVERT:
            OnConvert();
            break;
        default:
            break;
    }
    if (m_host != nullptr)
        m_host->UpdateCommands();
}

void COrvexView::MovePlayCursors(uint32_t frame) {
    if (m_wndUpper == nullptr)
        return;
    m_wndUpper->MovePlayCursor(frame);
    if (m_bStereo)
        m_wndLower->MovePlayCursor(frame);
}

void COrvexView::OnPlay() {
    uint32_t first = 0, last = 0;
    int selector = 0;
    GetMarkedRange(first, last, selector);
    m_document->Play(first, last);
}

void COrvexView::StartPlayTimer() {
    m_playTimer.start(kPlayTimerMs, this);
}

void COrvexView::timerEvent(QTimerEvent* event) {
    if (event->timerId() != m_playTimer.timerId()) {
        QWidget::timerEvent(event);
        return;
    }
    MovePlayCursors(m_document->Playback().GetPlayPosition());
}

void COrvexView::ShowPlaybackStopped(bool moveCursors, uint32_t frame) {
    m_playTimer.stop();
    if (moveCursors)
        MovePlayCursors(frame);
    if (m_host != nullptr)
        m_host->UpdateCommands();
}

void COrvexView::OnCopy() {
    const WaitCursor wait;
    uint32_t first = 0, last = 0;
    int selector = 0;
    GetMarkedRange(first, last, selector);
    Copy(Buffer(), first, last, static_cast<uint32_t>(selector));
}

void COrvexView::PullBackFirstShown() {
    const uint32_t maxFirst = m_wndUpper->GetMaxFirst();
    if (maxFirst < m_wndUpper->GetFirst()) {
        m_wndUpper->ScrollTo(maxFirst);
        if (m_bStereo)
            m_wndLower->ScrollTo(maxFirst);
    }
}

void COrvexView::RepaintAll() {
    RedrawWave(m_wndUpper);
    if (m_bStereo)
        RedrawWave(m_wndLower);
    update();
}

void COrvexView::OnCutOrDelete(bool cut) {
    uint32_t first = 0, last = 0;
    int selector = 0;
    {
        const WaitCursor wait;
        GetMarkedRange(first, last, selector);
        if (cut)
            Cut(Buffer(), first, last, static_cast<uint32_t>(selector));
        else
            Delete(Buffer(), first, last, static_cast<uint32_t>(selector));
    }
    PullBackFirstShown();
    RepaintAll();
    SetCaret(first, selector);
    UpdateStatus();
}

void COrvexView::OnPaste() {
    uint32_t first = 0, last = 0;
    int selector = 0;
    uint32_t pasted = 0;
    {
        const WaitCursor wait;
        const bool hadSelection =
            m_wndUpper->HasSelection() || (m_bStereo && m_wndLower->HasSelection());
        GetInsertRange(first, last, selector);
        if (hadSelection)
            Delete(Buffer(), first, last, static_cast<uint32_t>(selector));
        pasted = Paste(Buffer(), first, static_cast<uint32_t>(selector));
        // A paste into an empty sample adopts the clipboard's format.
        if (pasted != 0)
            SetStereoLayout(Buffer().GetChannels() != 1);
    }
    PullBackFirstShown();
    RepaintAll();
    SetCaret(first + pasted, selector);
    UpdateStatus();
}

void COrvexView::OnUndo() {
    // The clipboard's sound would end playback anyway; stopping first leaves every view's
    // play cursors where playback was.
    m_document->StopPlayback();
    if (!ReplaceFromClipboard(Buffer()))
        return;
    // The windows are shown the new sound whole: their old marks and range may lie past its
    // end.
    SetStereoLayout(Buffer().GetChannels() != 1);
    const uint32_t frames = Buffer().GetFrameCount();
    m_wndUpper->SetSample(&Buffer(), 0, frames - 1);
    if (m_bStereo)
        m_wndLower->SetSample(&Buffer(), 0, frames - 1);
    SetCaret(0, 0);
    RepaintAll();
    UpdateScrollBar(m_wndUpper->GetFirst(), m_wndUpper->GetMaxFirst());
    UpdateStatus();
}

void COrvexView::OnSaveAs() {
    QString title = m_document->GetTitle();
    QString path;
    if (!SaveDialog(window(), path, title, Buffer()))
        return;
    if (!m_document->OnSaveDocument(path))
        ShowMessage("An error occured whilst trying to save the sample");
    m_document->SetTitle(title);
    RepaintAll();
}

void COrvexView::OnZoomIn() {
    if (m_wndUpper->HasSelection()) {
        const uint32_t start = m_wndUpper->GetSelStart();
        const uint32_t end = m_wndUpper->GetSelEnd();
        m_wndUpper->ShowRange(start, end);
        if (m_bStereo)
            m_wndLower->ShowRange(start, end);
    } else if (m_bStereo && m_wndLower->HasSelection()) {
        const uint32_t start = m_wndLower->GetSelStart();
        const uint32_t end = m_wndLower->GetSelEnd();
        m_wndUpper->ShowRange(start, end);
        m_wndLower->ShowRange(start, end);
    }
    UpdateScrollBar(m_wndUpper->GetFirst(), m_wndUpper->GetMaxFirst());
    UpdateStatus();
}

void COrvexView::ZoomInFromWaveform() {
    if (!HasFrames())
        return;
    OnZoomIn();
    if (m_bStereo)
        m_wndLower->ZoomToSelection(true);
}

void COrvexView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton && m_wndUpper != nullptr && HasFrames()) {
        ZoomInFromWaveform();
        return;
    }
    QWidget::mousePressEvent(event);
}

void COrvexView::OnPeakSearch() {
    uint32_t first = 0, last = 0;
    int selector = 0;
    GetMarkedRange(first, last, selector);
    const uint32_t peak = PeakSearch(Buffer(), static_cast<int32_t>(first),
                                     static_cast<int32_t>(last), static_cast<uint32_t>(selector));
    MovePlayCursors(peak);
}

void COrvexView::TransformMarkedRange(bool (*transform)(SampleBuffer&, int32_t, int32_t,
                                                        uint32_t)) {
    uint32_t first = 0, last = 0;
    int selector = 0;
    GetMarkedRange(first, last, selector);
    transform(Buffer(), static_cast<int32_t>(first), static_cast<int32_t>(last),
              static_cast<uint32_t>(selector));
    if (m_bStereo && selector != 1)
        RedrawWave(m_wndLower);
    if (selector != 2)
        RedrawWave(m_wndUpper);
}

void COrvexView::OnReverse() {
    TransformMarkedRange(&Reverse);
}

void COrvexView::OnChangeSign() {
    TransformMarkedRange(&ChangeSign);
}

void COrvexView::OnDecodeULaw() {
    DecodeULaw(Buffer());
    RepaintAll();
    UpdateStatus();
}

void COrvexView::OnAmplify() {
    uint32_t first = 0, last = 0;
    int selector = 0;
    GetMarkedRange(first, last, selector);
    if (RunAmplifyCommand(this, Buffer(), m_bStereo, first, last, static_cast<uint32_t>(selector)))
        RepaintAll();
}

void COrvexView::OnConvert() {
    if (RunConvertCommand(this, Buffer(), m_document->originalFormat)) {
        SetStereoLayout(Buffer().FormatRef().IsStereo());
        RepaintAll();
        SetCaret(0, 0);
        ZoomAll();
        UpdateStatus();
    }
    UpdateStatus();
}

void COrvexView::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    if (m_wndUpper == nullptr)
        return;
    m_wndUpper->ShowMarks();
    if (m_bStereo)
        m_wndLower->ShowMarks();
    UpdateStatus();
}

void COrvexView::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    if (m_wndUpper == nullptr)
        return;
    // A menu opened over the view does not take the user's marks away.
    if (event->reason() == Qt::PopupFocusReason)
        return;
    m_wndUpper->HideMarks();
    if (m_bStereo)
        m_wndLower->HideMarks();
}

bool COrvexView::eventFilter(QObject* watched, QEvent* event) {
    // A click in a waveform window gives the view the keyboard focus, as clicking any part of a
    // sample window does.
    if (event->type() == QEvent::MouseButtonPress && !hasFocus())
        setFocus(Qt::MouseFocusReason);
    return QWidget::eventFilter(watched, event);
}
