#include "ui/properties/CPptyView.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>

#include "core/effects/VolumeText.h"
#include "core/sample/SampleBuffer.h"
#include "ui/controls/UpDown.h"
#include "ui/view/COrvexView.h"

namespace {

// The scale arrows hold scale - kScaleOffset, so that they reach 1 ... 65535.
constexpr int kScaleOffset = 32768;
// The selection arrows are step buttons: each move is taken and the position goes back to 0.
constexpr int kStepRange = 30000;
// The view applies a zoom to the whole of its width.
constexpr uint32_t kWholeWidth = 0xFFFFFFFFu;
constexpr int kMarksBothSelector = 3;

QRadioButton* Radio(QWidget* parent, const char* text, const char* id) {
    auto* radio = new QRadioButton(QString::fromUtf8(text), parent);
    radio->setObjectName(QLatin1String(id));
    return radio;
}

}  // namespace

CPptyView::CPptyView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("131"));
    setWindowTitle(QStringLiteral("View"));
    BuildControls();
    m_scaleArrows->SetRange(-32767, 32767);
    m_leftArrows->SetRange(-kStepRange, kStepRange);
    m_rightArrows->SetRange(-kStepRange, kStepRange);
    m_unitRadios[kSamples]->setChecked(true);
    m_ready = true;
    RefreshTexts();
}

void CPptyView::BuildControls() {
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("Scale:"), this), 0, 0);
    m_scaleEdit = new QLineEdit(this);
    m_scaleEdit->setObjectName(QStringLiteral("1059"));
    m_scaleEdit->setMaxLength(35);
    grid->addWidget(m_scaleEdit, 0, 1);
    m_scaleArrows = new CUpDown(this);
    m_scaleArrows->setObjectName(QStringLiteral("1105"));
    grid->addWidget(m_scaleArrows, 0, 2);
    auto* oneToOne = new QPushButton(QStringLiteral("1:1"), this);
    oneToOne->setObjectName(QStringLiteral("1063"));
    grid->addWidget(oneToOne, 0, 3);

    auto* styles = new QGroupBox(QStringLiteral("View Style"), this);
    auto* styleRow = new QHBoxLayout(styles);
    m_styleRadios = {Radio(styles, "Lines", "1060"), Radio(styles, "Dots", "1061"),
                     Radio(styles, "Bars", "1062"), Radio(styles, "Peaks", "1074")};
    for (int style = 0; style < static_cast<int>(m_styleRadios.size()); ++style) {
        styleRow->addWidget(m_styleRadios[style]);
        connect(m_styleRadios[style], &QRadioButton::clicked, this,
                [this, style]() { OnStyle(style); });
    }
    grid->addWidget(styles, 1, 0, 1, 4);

    auto* selection = new QGroupBox(QStringLiteral("Selection"), this);
    auto* marks = new QGridLayout(selection);
    m_leftLabel = new QLabel(QStringLiteral("Left:"), selection);
    m_leftLabel->setObjectName(QStringLiteral("1098"));
    m_rightLabel = new QLabel(QStringLiteral("Right:"), selection);
    m_rightLabel->setObjectName(QStringLiteral("1099"));
    m_leftEdit = new QLineEdit(selection);
    m_leftEdit->setObjectName(QStringLiteral("1100"));
    m_rightEdit = new QLineEdit(selection);
    m_rightEdit->setObjectName(QStringLiteral("1101"));
    m_leftArrows = new CUpDown(selection);
    m_leftArrows->setObjectName(QStringLiteral("1106"));
    m_rightArrows = new CUpDown(selection);
    m_rightArrows->setObjectName(QStringLiteral("1107"));
    marks->addWidget(m_leftLabel, 0, 0);
    marks->addWidget(m_leftEdit, 0, 1);
    marks->addWidget(m_leftArrows, 0, 2);
    marks->addWidget(m_rightLabel, 1, 0);
    marks->addWidget(m_rightEdit, 1, 1);
    marks->addWidget(m_rightArrows, 1, 2);
    auto* units = new QHBoxLayout;
    m_unitRadios = {Radio(selection, "Samples", "1102"), Radio(selection, "Bytes", "1103"),
                    Radio(selection, "Seconds", "1006")};
    for (int unit = 0; unit < 3; ++unit) {
        units->addWidget(m_unitRadios[unit]);
        connect(m_unitRadios[unit], &QRadioButton::clicked, this, [this, unit]() {
            m_unit = unit;
            RefreshTexts();
        });
    }
    marks->addLayout(units, 2, 0, 1, 3);
    grid->addWidget(selection, 2, 0, 1, 4);
    grid->setRowStretch(3, 1);

    connect(oneToOne, &QPushButton::clicked, this, [this]() {
        if (m_view != nullptr)
            m_view->SetZoomAt(1, kWholeWidth);
        m_scaleEdit->setText(QStringLiteral("1:1"));
    });
    connect(m_scaleEdit, &QLineEdit::textEdited, this, &CPptyView::OnScaleEdited);
    connect(m_scaleArrows, &CUpDown::PositionChanged, this, &CPptyView::OnScaleStep);
    connect(m_leftArrows, &CUpDown::PositionChanged, this, &CPptyView::OnLeftStep);
    connect(m_rightArrows, &CUpDown::PositionChanged, this, &CPptyView::OnRightStep);
    connect(m_leftEdit, &QLineEdit::textEdited, this, &CPptyView::OnTextEdited);
    connect(m_rightEdit, &QLineEdit::textEdited, this, &CPptyView::OnTextEdited);
}

void CPptyView::Bind(COrvexView* view) {
    m_view = view;
}

void CPptyView::UpdateScale(uint32_t scale, int style) {
    // While the scale is being typed the view's answer must not rewrite it under the caret.
    if (!m_typingScale)
        m_scaleEdit->setText(QString::asprintf("%u:1", scale));
    m_scaleArrows->SetPosition(static_cast<int>(scale) - kScaleOffset);
    if (style >= 0 && style < static_cast<int>(m_styleRadios.size()))
        m_styleRadios[style]->setChecked(true);
}

void CPptyView::UpdateSelection(uint32_t left, uint32_t right, uint32_t bytesPerFrame,
                                uint32_t frequency, bool hasSelection) {
    m_left = left;
    m_right = right;
    m_bytesPerFrame = std::max<uint32_t>(bytesPerFrame, 1);
    m_frequency = frequency;
    m_hasSelection = hasSelection;
    RefreshTexts();
}

QString CPptyView::UnitText(uint32_t frames) const {
    switch (m_unit) {
        case kBytes:
            return QString::number(static_cast<qulonglong>(frames) * m_bytesPerFrame);
        case kSeconds:
            return QString::fromStdString(
                FixedText(m_frequency == 0 ? 0.0 : static_cast<double>(frames) / m_frequency, 2));
        default:
            return QString::number(frames);
    }
}

void CPptyView::RefreshTexts() {
    if (!m_ready)
        return;
    m_leftLabel->setText(m_hasSelection ? QStringLiteral("Left:") : QStringLiteral("Cursor:"));
    m_rightLabel->setText(m_hasSelection ? QStringLiteral("Right:") : QString());
    m_leftEdit->setText(UnitText(m_left));
    m_rightEdit->setText(m_hasSelection ? UnitText(m_right) : QString());
    m_rightEdit->setEnabled(m_hasSelection);
    m_rightArrows->setEnabled(m_hasSelection);
}

uint32_t CPptyView::LastFrame() const {
    const uint32_t frames = m_view != nullptr ? m_view->Buffer().GetFrameCount() : 0;
    return frames == 0 ? 0 : frames - 1;
}

bool CPptyView::FramesOf(const QString& text, uint32_t& frames) const {
    const std::string typed = text.trimmed().toStdString();
    if (typed.empty())
        return false;
    double value = LeadingNumber(typed);
    if (m_unit == kBytes)
        value = static_cast<double>(LeadingInteger(typed)) / m_bytesPerFrame;
    else if (m_unit == kSeconds)
        value *= m_frequency;
    else
        value = LeadingInteger(typed);
    // A negative value is the start of the sound, one past its end its last frame.
    frames = static_cast<uint32_t>(std::clamp(value, 0.0, static_cast<double>(LastFrame())));
    return true;
}

void CPptyView::OnStyle(int style) {
    if (m_view != nullptr)
        m_view->SetDisplayStyle(style);
}

void CPptyView::OnScaleEdited() {
    const int scale = LeadingInteger(m_scaleEdit->text().toStdString());
    // A scale below one sample per pixel is no zoom at all; the text waits for a number.
    if (scale < 1 || m_view == nullptr)
        return;
    m_typingScale = true;
    m_view->SetZoomAt(static_cast<uint32_t>(scale), kWholeWidth);
    m_typingScale = false;
}

void CPptyView::OnScaleStep(int position) {
    const int scale = position + kScaleOffset;
    m_scaleEdit->setText(QString::asprintf("%d:1", scale));
    if (m_view != nullptr)
        m_view->SetZoomAt(static_cast<uint32_t>(scale), kWholeWidth);
}

void CPptyView::OnLeftStep(int position) {
    m_leftArrows->SetPosition(0);
    const int64_t moved = std::clamp<int64_t>(static_cast<int64_t>(m_left) + position, 0,
                                              static_cast<int64_t>(LastFrame()));
    m_left = static_cast<uint32_t>(moved);
    if (m_hasSelection)
        m_left = std::min(m_left, m_right);
    SendMarks();
    RefreshTexts();
}

void CPptyView::OnRightStep(int position) {
    m_rightArrows->SetPosition(0);
    const int64_t moved = std::clamp<int64_t>(static_cast<int64_t>(m_right) + position, 0,
                                              static_cast<int64_t>(LastFrame()));
    m_right = std::max(static_cast<uint32_t>(moved), m_left);
    SendMarks();
    RefreshTexts();
}

void CPptyView::OnTextEdited() {
    uint32_t left = m_left;
    uint32_t right = m_right;
    if (!FramesOf(m_leftEdit->text(), left))
        return;
    if (m_hasSelection && !FramesOf(m_rightEdit->text(), right))
        return;
    m_left = m_hasSelection ? std::min(left, right) : left;
    m_right = right;
    m_ready = false;
    SendMarks();
    m_ready = true;
}

void CPptyView::SendMarks() {
    if (m_view == nullptr)
        return;
    if (m_hasSelection)
        m_view->SetSelection(m_left, m_right, kMarksBothSelector);
    else
        m_view->SetCaret(m_left, kMarksBothSelector);
}
