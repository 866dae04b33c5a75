#include "ui/view/COrvexView.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFocusEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <algorithm>

#include "core/editing/SampleEditing.h"
#include "core/sample/SampleBuffer.h"
#include "core/services/Services.h"
#include "core/settings/SettingsStore.h"
#include "ui/app/COrvexDoc.h"
#include "ui/view/CTimeRuler.h"
#include "ui/view/CWaveformWnd.h"
#include "ui/view/ScrollMapping.h"
#include "ui/view/ViewHost.h"

namespace {

constexpr int kUpperId = 1;
constexpr int kLowerId = 2;
constexpr int kRulerId = 3;
constexpr uint32_t kAllBits = 0xFFFFFFFFu;
// The display style last chosen, under the program's key; new windows start in it.
constexpr const char* kDisplayStyleValue = "DisplayStyle";

int StoredDisplayStyle(const Services& services) {
    const std::optional<uint32_t> stored =
        services.settings.GetNumber(kOrvexKey, kDisplayStyleValue);
    return stored.has_value() && *stored < kStyleCount ? static_cast<int>(*stored) : kStyleLines;
}

}  // namespace

COrvexView::COrvexView(std::shared_ptr<COrvexDoc> document, ViewHost* host, QWidget* parent)
    : QWidget(parent),
      m_document(std::move(document)),
      m_services(m_document->GetServices()),
      m_host(host) {
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
    if (SampleSheetListener* sheet = GetSampleSheetListener())
        sheet->ViewClosing(this);
    m_document->RemoveView(this);
}

SampleBuffer& COrvexView::Buffer() const {
    return m_document->sample;
}

bool COrvexView::HasFrames() const {
    return Buffer().GetFrameCount() > 0;
}

ChannelPair COrvexView::Channels() const {
    return ChannelPair(m_wndUpper, m_wndLower, m_bStereo);
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
    const int style = StoredDisplayStyle(m_services);
    Channels().ForEach([style](CWaveformWnd* w) { w->SetStyle(style); });
    m_wndScroll = new QScrollBar(Qt::Horizontal, this);
    m_wndScroll->show();
    connect(m_wndScroll, &QAbstractSlider::actionTriggered, this, &COrvexView::OnScrollAction);
    m_wndRuler = new CTimeRuler(this);
    m_wndRuler->Create(this, QRect(0, 0, 100, 27), kRulerId);
    m_wndRuler->SetViewListener(this);
    Channels().ForEach([this](CWaveformWnd* w) { w->SetRuler(m_wndRuler); });

    m_wndScroll->setRange(0, kScrollRange);
    m_bLaidOut = true;
    Layout();
    // The windows were sized by the layout only now: the whole sample is fitted to their width.
    Channels().ForEach([&](CWaveformWnd* w) { w->SetSample(&buffer, 0, frames - 1); });
    Channels().ForEach(RedrawWave);
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
    if (!m_bLaidOut)
        return;
    Layout();
    UpdateScrollBar(m_wndUpper->GetFirst(), m_wndUpper->GetMaxFirst());
    update();
}

QSize COrvexView::sizeHint() const {
    // Three quarters of the workspace (the area that holds the MDI child window), so that
    // Cascade gives windows a size to work in.
    const QWidget* frame = parentWidget();
    const QWidget* area = frame != nullptr ? frame->parentWidget() : nullptr;
    if (area == nullptr)
        return QSize(560, 320);
    return QSize(std::max(area->width() * 3 / 4, 420), std::max(area->height() * 3 / 4, 260));
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
}

void COrvexView::UpdateScrollBar(uint32_t first, uint32_t maxFirst) {
    if (m_wndScroll == nullptr || m_wndUpper == nullptr)
        return;
    const double pageFrames = static_cast<double>(width() - 12) * m_wndUpper->GetZoom();
    const ScrollThumb thumb = ThumbForFrames(first, maxFirst, pageFrames);
    m_scrollPage = thumb.page;
    const QSignalBlocker block(m_wndScroll);
    // The thumb may go as far as the range minus the page, as a proportional scroll bar does.
    m_wndScroll->setRange(0, kScrollRange - thumb.page);
    m_wndScroll->setPageStep(std::max(thumb.page, 1));
    m_wndScroll->setValue(thumb.position);
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
    const ChannelPair channels = Channels();
    auto both = [&](auto&& call) { channels.ForEach(call); };
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
            const uint32_t first =
                FirstFrameForThumb(m_wndScroll->sliderPosition(), m_scrollPage,
                                   m_wndUpper->GetMaxFirst(), m_wndUpper->GetZoom());
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
    const int position = ThumbAfterStep(m_wndUpper->GetFirst(), m_wndUpper->GetMaxFirst());
    m_wndScroll->setSliderPosition(std::min(position, m_wndScroll->maximum()));
    RefreshRulerRange();
}

void COrvexView::SetSelection(uint32_t first, uint32_t last, int selector) {
    const uint32_t frames = Buffer().GetFrameCount();
    if (frames == 0 || m_wndUpper == nullptr)
        return;
    last = std::min(last, frames - 1);
    first = std::min(first, last);
    const ChannelPair channels = Channels();
    if (selector == 3) {
        selector = channels.SelectorWhere([](const CWaveformWnd* w) { return w->HasSelection(); });
    }
    channels.ForSelector(selector, [&](CWaveformWnd* w) { w->SetSelection(first, last); });
}

void COrvexView::SetCaret(uint32_t frame, int selector) {
    const uint32_t frames = Buffer().GetFrameCount();
    if (m_wndUpper == nullptr)
        return;
    // An empty sample keeps its caret at frame 0.
    frame = frames == 0 ? 0 : std::min(frame, frames - 1);
    const ChannelPair channels = Channels();
    if (selector == 3)
        selector = channels.SelectorWhere([](const CWaveformWnd* w) { return w->HasCaret(); });
    channels.ForSelector(selector, [&](CWaveformWnd* w) { w->SetCaret(frame); });
}

bool COrvexView::HasCaret() const {
    if (m_wndUpper == nullptr)
        return false;
    return Channels().Any([](const CWaveformWnd* w) { return w->HasCaret(); });
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
    // Without any mark (only while the view lacks the focus) the whole sample is meant.
    ResolveMarks(false, first, last, selector);
}

void COrvexView::GetInsertRange(uint32_t& first, uint32_t& last, int& selector) const {
    ResolveMarks(true, first, last, selector);
}

void COrvexView::ResolveMarks(bool insert, uint32_t& first, uint32_t& last, int& selector) const {
    const uint32_t frames = Buffer().GetFrameCount();
    // A range over an empty sample wraps round to its "last frame" except for an insert.
    const uint32_t lastFrame = insert && frames == 0 ? 0 : frames - 1;
    first = 0;
    last = lastFrame;
    selector = 0;
    if (m_wndUpper == nullptr)
        return;
    uint32_t f1 = 0, l1 = lastFrame, f2 = 0, l2 = lastFrame;
    const bool a = MarkOf(m_wndUpper, insert, frames, f1, l1);
    const bool b = m_bStereo ? MarkOf(m_wndLower, insert, frames, f2, l2) : true;
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
    Channels().ForEach([&](CWaveformWnd* w) {
        w->ShowRange(static_cast<uint32_t>(first), static_cast<uint32_t>(last));
    });
    UpdateStatus();
    UpdateScrollBar(m_wndUpper->GetFirst(), m_wndUpper->GetMaxFirst());
}

void COrvexView::SetDisplayStyle(int style) {
    if (style < 0 || style >= kStyleCount)
        return;
    Channels().ForEach([style](CWaveformWnd* w) { w->SetStyle(style); });
    m_services.settings.SetNumber(kOrvexKey, kDisplayStyleValue, static_cast<uint32_t>(style));
    UpdateStatus();
    if (m_host != nullptr)
        m_host->UpdateCommands();
}

int COrvexView::GetDisplayStyle() const {
    return m_wndUpper != nullptr ? m_wndUpper->GetStyle() : StoredDisplayStyle(m_services);
}

void COrvexView::ZoomAll() {
    if (m_wndUpper == nullptr)
        return;
    Channels().ForEach([](CWaveformWnd* w) { w->ZoomAll(true); });
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
    Channels().ForEach([this](CWaveformWnd* w) { w->SetRuler(m_wndRuler); });
    Layout();
    // Only now has the layout given the windows their real widths: both show the whole sample
    // fitted to them, so the partners stay in step.
    Channels().ForEach([&](CWaveformWnd* w) { w->SetSample(&buffer, 0, frames - 1); });
    Channels().ForEach(RedrawWave);
    UpdateScrollBar(m_wndUpper->GetFirst(), m_wndUpper->GetMaxFirst());
    update();
}

void COrvexView::ShowChangedSound(bool madeHere) {
    if (m_wndUpper == nullptr)
        return;
    if (madeHere) {
        RepaintAll();
        return;
    }
    // Another view changed the sound: its length or layout may differ, so this one shows it
    // whole, marks and range within it.
    SampleBuffer& buffer = Buffer();
    const uint32_t frames = buffer.GetFrameCount();
    SetStereoLayout(buffer.GetChannels() != 1);
    Channels().ForEach([&](CWaveformWnd* w) { w->SetSample(&buffer, 0, frames - 1); });
    SetCaret(0, 0);
    RepaintAll();
    UpdateScrollBar(m_wndUpper->GetFirst(), m_wndUpper->GetMaxFirst());
    UpdateStatus();
}

void COrvexView::closeEvent(QCloseEvent* event) {
    // The last window of a modified sound asks whether to save it first.
    if (m_document->Views().size() == 1 && !m_document->SaveModified(window())) {
        event->ignore();
        return;
    }
    event->accept();
}

void COrvexView::UpdateStatus() {
    if (m_host == nullptr || m_wndUpper == nullptr || !m_host->ShowsStatusOf(this))
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
    // The properties sheet follows the active view as the status bar does.
    if (SampleSheetListener* sheet = GetSampleSheetListener()) {
        sheet->UpdateFormat(this, frequency, buffer.GetChannels() == 2, buffer.GetBits() == 16);
        sheet->UpdateScale(this, m_wndUpper->GetZoom(), m_wndUpper->GetStyle());
    }
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

void COrvexView::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    if (m_wndUpper == nullptr)
        return;
    Channels().ForEach([](CWaveformWnd* w) { w->ShowMarks(); });
    UpdateStatus();
}

void COrvexView::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    if (m_wndUpper == nullptr)
        return;
    // A menu opened over the view does not take the user's marks away, nor does a tool window
    // of the frame (the properties window) that works on them.
    if (event->reason() == Qt::PopupFocusReason)
        return;
    const QWidget* active = QApplication::activeWindow();
    if (active != nullptr && active != window() && active->windowType() == Qt::Tool &&
        active->parentWidget() == window())
        return;
    Channels().ForEach([](CWaveformWnd* w) { w->HideMarks(); });
}

bool COrvexView::eventFilter(QObject* watched, QEvent* event) {
    // A click in a waveform window gives the view the keyboard focus, as clicking any part of a
    // sample window does.
    if (event->type() == QEvent::MouseButtonPress && !hasFocus())
        setFocus(Qt::MouseFocusReason);
    return QWidget::eventFilter(watched, event);
}
