#include "ui/controls/UpDown.h"

#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "core/effects/VolumeText.h"

namespace {

QToolButton* MakeArrow(QWidget* parent, Qt::ArrowType arrow, const char* name) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setArrowType(arrow);
    button->setAutoRepeat(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    button->setFixedWidth(18);
    return button;
}

}  // namespace

CUpDown::CUpDown(QWidget* parent)
    : QWidget(parent),
      m_up(MakeArrow(this, Qt::UpArrow, "up")),
      m_down(MakeArrow(this, Qt::DownArrow, "down")) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_up);
    layout->addWidget(m_down);
    connect(m_up, &QToolButton::clicked, this, [this] { Step(1); });
    connect(m_down, &QToolButton::clicked, this, [this] { Step(-1); });
}

void CUpDown::SetRange(int minimum, int maximum) {
    m_minimum = std::min(minimum, maximum);
    m_maximum = std::max(minimum, maximum);
    SetPosition(m_position);
}

void CUpDown::SetPosition(int position) {
    m_position = std::clamp(position, m_minimum, m_maximum);
    if (m_buddy)
        m_buddy->setText(QString::number(m_position));
}

void CUpDown::SetBuddyInt(QLineEdit* buddy) {
    m_buddy = buddy;
    if (m_buddy)
        m_buddy->setText(QString::number(m_position));
}

void CUpDown::Step(int delta) {
    // A typed number is where the step starts; text that is no number counts as 0.
    if (m_buddy)
        SetPosition(LeadingInteger(m_buddy->text().toStdString()));
    SetPosition(static_cast<int>(
        std::clamp<long long>(static_cast<long long>(m_position) + delta, m_minimum, m_maximum)));
    emit PositionChanged(m_position);
}
