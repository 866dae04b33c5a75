#include "ui/mixer/CMixerView.h"

#include <QComboBox>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <optional>

#include "core/effects/Mix.h"
#include "core/messages/MessageSink.h"
#include "ui/app/COrvexDoc.h"
#include "ui/app/CommandIds.h"
#include "ui/controls/WaitCursor.h"
#include "ui/mixer/CMixerStrip.h"
#include "ui/view/COrvexView.h"

namespace {

constexpr int kListLeft = 5;
constexpr int kListWidth = 85;
constexpr int kStripLeft = 101;
constexpr int kStripMargin = 111;  // the strip's left edge plus the gap at the right
constexpr int kStripHeight = 100;
constexpr int kLineStep = 10;

const QColor kOutputHighlight(250, 0, 0);

// The sound of a sample window, watched: the pointer lapses when the document goes.
std::weak_ptr<const SampleBuffer> WatchSound(COrvexView* window) {
    const std::shared_ptr<COrvexDoc>& document = window->SharedDocument();
    return std::shared_ptr<const SampleBuffer>(document, &document->sample);
}

}  // namespace

CMixerView::CMixerView(MessageSink& messages, std::function<QList<COrvexView*>()> sampleWindows,
                       QWidget* parent)
    : QWidget(parent), m_messages(messages), m_listWindows(std::move(sampleWindows)) {
    setObjectName(QStringLiteral("MixerView"));
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);
    setCursor(Qt::ArrowCursor);
    setFocusPolicy(Qt::StrongFocus);
    m_listFont = font();
    m_listFont.setPointSize(8);
    m_listFont.setStyleHint(QFont::SansSerif);
    m_scrollBar = new QScrollBar(Qt::Vertical, this);
    m_scrollBar->setSingleStep(kLineStep);
    m_scrollBar->setPageStep(kRowHeight);
    m_scrollBar->hide();
    connect(m_scrollBar, &QScrollBar::valueChanged, this, &CMixerView::ScrollTo);
}

CMixerView::~CMixerView() = default;

void CMixerView::OnInitialUpdate() {
    RefreshSampleWindows();
    MakeRow(0);
    MakeRow(1);
    m_nSelectedRow = 0;
    PlaceRows();
    UpdateScrollBar();
}

bool CMixerView::IsCommandEnabled(int id) const {
    switch (id) {
        case ID_MIXER_ADDINPUT:
            return RowCount() < kMaxRows;
        case ID_MIXER_MIX:
        case ID_MIXER_REMOVEENDPADDING:
        case ID_MIXER_REMOVEINPUT:
            return true;
        default:
            return false;
    }
}

void CMixerView::OnCommand(int id) {
    switch (id) {
        case ID_MIXER_MIX:
            Mix();
            break;
        case ID_MIXER_REMOVEENDPADDING:
            RemoveEndPadding();
            break;
        case ID_MIXER_ADDINPUT:
            AddInput();
            break;
        case ID_MIXER_REMOVEINPUT:
            RemoveInput();
            break;
        default:
            break;
    }
}

int CMixerView::ClientWidth() const {
    return width() - (m_scrollBar->isVisible() ? m_scrollBar->width() : 0);
}

void CMixerView::PlaceRow(int row) {
    const Row& r = m_rows[static_cast<size_t>(row)];
    const int top = RowTop(row);
    r.list->setGeometry(kListLeft, top, kListWidth, r.list->sizeHint().height());
    r.strip->setGeometry(kStripLeft, top, std::max(ClientWidth() - kStripMargin, 1), kStripHeight);
}

void CMixerView::PlaceRows() {
    for (int row = 0; row < RowCount(); ++row) {
        m_rows[static_cast<size_t>(row)].list->setProperty("row", row);
        m_rows[static_cast<size_t>(row)].strip->SetId(row);
        PlaceRow(row);
    }
    update();
}

void CMixerView::MakeRow(int at) {
    Row row;
    row.strip = new CMixerStrip(at, this);
    row.list = new QComboBox(this);
    row.list->setObjectName(QStringLiteral("MixerList"));
    row.list->setFont(m_listFont);
    // A new row's time line is the mixer's.
    if (!m_rows.empty())
        row.strip->SetTimelineLength(m_rows.front().strip->TimelineLength());
    FillList(row.list, nullptr);
    connect(row.strip, &CMixerStrip::Pressed, this,
            [this](CMixerStrip* strip) { SelectRow(RowOf(strip)); });
    connect(row.strip, &CMixerStrip::TimelineGrown, this, &CMixerView::SetTimelineEverywhere);
    QComboBox* list = row.list;
    connect(list, &QComboBox::activated, this,
            [this, list](int index) { ChooseSample(RowOf(list), index); });
    m_rows.insert(m_rows.begin() + at, row);
    row.strip->show();
    row.list->show();
}

int CMixerView::RowOf(const QObject* child) const {
    for (int row = 0; row < RowCount(); ++row) {
        const Row& r = m_rows[static_cast<size_t>(row)];
        if (r.list == child || r.strip == child)
            return row;
    }
    return -1;
}

void CMixerView::FillList(QComboBox* list, COrvexView* chosen) const {
    const QSignalBlocker quiet(list);
    list->clear();
    int current = -1;
    for (const QPointer<COrvexView>& window : m_sampleWindows) {
        if (window == nullptr)
            continue;
        if (window == chosen)
            current = list->count();
        list->addItem(window->windowTitle());
    }
    list->setCurrentIndex(current);
}

bool CMixerView::AddInput() {
    if (RowCount() >= kMaxRows)
        return false;
    MakeRow(m_nSelectedRow);
    PlaceRows();
    UpdateScrollBar();
    SelectRow(m_nSelectedRow);
    emit CommandsChanged();
    return true;
}

bool CMixerView::RemoveInput() {
    if (m_nSelectedRow == RowCount() - 1) {
        m_messages.ShowMessage("Error : Mixers must always have an output!");
        return false;
    }
    if (RowCount() == 2) {
        m_messages.ShowMessage("Error : Mixers must always have at least one input");
        return false;
    }
    const Row gone = m_rows[static_cast<size_t>(m_nSelectedRow)];
    m_rows.erase(m_rows.begin() + m_nSelectedRow);
    delete gone.list;
    delete gone.strip;
    PlaceRows();
    UpdateScrollBar();
    SelectRow(m_nSelectedRow);
    emit CommandsChanged();
    return true;
}

void CMixerView::SelectRow(int row) {
    if (row < 0 || row >= RowCount())
        return;
    m_nSelectedRow = row;
    update();
}

void CMixerView::ChooseSample(int row, int index) {
    if (row < 0 || row >= RowCount())
        return;
    Row& r = m_rows[static_cast<size_t>(row)];
    // The entries are the open windows in order; a window closed since is skipped.
    QList<COrvexView*> open;
    for (const QPointer<COrvexView>& window : m_sampleWindows) {
        if (window != nullptr)
            open.append(window);
    }
    if (index >= 0 && index < open.size()) {
        r.window = open[index];
        r.strip->SetSource(WatchSound(r.window), 0, r.window->Buffer().GetFrameCount());
    } else {
        r.window = nullptr;
        r.strip->ClearSource();
    }
    SelectRow(row);
}

void CMixerView::RefreshSampleWindows() {
    m_sampleWindows.clear();
    for (COrvexView* window : m_listWindows()) {
        if (m_sampleWindows.size() >= kMaxSampleWindows)
            break;
        m_sampleWindows.append(window);
    }
    WatchTitles();
    for (Row& row : m_rows) {
        if (row.window != nullptr && !m_sampleWindows.contains(row.window))
            row.window = nullptr;  // closing, though not yet gone
        if (row.window == nullptr)
            row.strip->ClearSource();
        FillList(row.list, row.window);
    }
}

void CMixerView::WatchTitles() {
    // A changed title (a save, a modified mark) shows in the lists at once.
    for (const QPointer<COrvexView>& window : m_sampleWindows) {
        disconnect(window, &QWidget::windowTitleChanged, this, nullptr);
        connect(window, &QWidget::windowTitleChanged, this, &CMixerView::RefreshSampleWindows,
                Qt::QueuedConnection);
    }
}

void CMixerView::SetTimelineEverywhere(uint32_t frames) {
    for (const Row& row : m_rows) row.strip->SetTimelineLength(frames);
}

void CMixerView::RemoveEndPadding() {
    uint64_t furthest = 0;
    for (const Row& row : m_rows)
        furthest =
            std::max<uint64_t>(furthest, uint64_t{row.strip->Length()} + row.strip->MixStart());
    SetTimelineEverywhere(static_cast<uint32_t>(std::min<uint64_t>(furthest, UINT32_MAX)));
}

bool CMixerView::Mix() {
    const Row& output = m_rows.back();
    if (output.window == nullptr) {
        m_messages.ShowMessage(
            "Error : Choose the output sample in the last row's list before mixing");
        return false;
    }
    std::vector<MixInput> inputs;
    std::vector<std::shared_ptr<const SampleBuffer>> held;
    for (int row = 0; row + 1 < RowCount(); ++row) {
        const Row& r = m_rows[static_cast<size_t>(row)];
        std::shared_ptr<const SampleBuffer> source = r.strip->Source();
        if (r.window == nullptr || source == nullptr)
            continue;  // no sample chosen, or its window has closed
        inputs.push_back(
            {source.get(), r.strip->SelectionStart(), r.strip->Length(), r.strip->MixStart()});
        held.push_back(std::move(source));
    }
    if (inputs.empty()) {
        m_messages.ShowMessage("Error : Choose the sample of at least one input before mixing");
        return false;
    }
    const uint32_t mixLength = m_rows.front().strip->TimelineLength();
    COrvexDoc* document = output.window->GetDocument();
    bool mixed = false;
    {
        std::optional<WaitCursor> wait;
        if (uint64_t{mixLength} * (inputs.size() + 1) > kWaitCursorFrames)
            wait.emplace();
        mixed = MixInto(document->sample, inputs, mixLength);
    }
    if (!mixed) {
        m_messages.ShowMessage("Error : Not enough memory for the mix");
        return false;
    }
    // Every window of the output sound shows the mix; so do the strips that show that sound.
    document->NoteSoundChanged(nullptr);
    output.strip->SetSource(WatchSound(output.window), 0, document->sample.GetFrameCount());
    for (const Row& row : m_rows) row.strip->update();
    return true;
}

void CMixerView::UpdateScrollBar() {
    const int needed = kRowHeight * RowCount() + 6;
    const bool fits = needed <= height() && m_nScrollPos == 0;
    const QSignalBlocker quiet(m_scrollBar);
    if (fits) {
        if (m_scrollBar->isVisible()) {
            m_scrollBar->hide();
            PlaceRows();
        }
        return;
    }
    m_scrollBar->setRange(0, std::max(needed - height(), m_nScrollPos));
    m_scrollBar->setValue(m_nScrollPos);
    m_scrollBar->setGeometry(width() - m_scrollBar->sizeHint().width(), 0,
                             m_scrollBar->sizeHint().width(), height());
    if (!m_scrollBar->isVisible()) {
        m_scrollBar->show();
        PlaceRows();
    }
}

void CMixerView::ScrollTo(int position) {
    const int clamped = std::clamp(position, 0, m_scrollBar->maximum());
    if (clamped == m_nScrollPos)
        return;
    m_nScrollPos = clamped;
    PlaceRows();
    UpdateScrollBar();
}

void CMixerView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const int w = ClientWidth();
    const int h = height();
    // A sunken frame around the client area.
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawLine(0, 0, w - 1, 0);
    painter.drawLine(0, 0, 0, h - 1);
    painter.setPen(palette().color(QPalette::Light));
    painter.drawLine(0, h - 1, w - 1, h - 1);
    painter.drawLine(w - 1, 0, w - 1, h - 1);

    // The selected row, outlined with every other pixel set: red for the output.
    QPen pen(m_nSelectedRow == RowCount() - 1 ? kOutputHighlight : QColor(Qt::black));
    pen.setWidth(1);
    pen.setDashPattern({1, 1});
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    const int top = kRowHeight * m_nSelectedRow - m_nScrollPos + 3;
    painter.drawRect(QRect(QPoint(3, top), QPoint(w - 5, top + kRowHeight)));
}

void CMixerView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    UpdateScrollBar();
    PlaceRows();
}

void CMixerView::mousePressEvent(QMouseEvent* event) {
    const int row = (static_cast<int>(event->position().y()) + m_nScrollPos) / kRowHeight;
    if (row < RowCount())
        SelectRow(row);
    setFocus(Qt::MouseFocusReason);
}

void CMixerView::wheelEvent(QWheelEvent* event) {
    if (m_scrollBar->isVisible())
        ScrollTo(m_nScrollPos - event->angleDelta().y() / 120 * 3 * kLineStep);
    event->accept();
}
