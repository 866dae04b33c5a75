#include "ui/effects/CCurveDlg.h"

#include <QDialogButtonBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/services/Services.h"
#include "ui/effects/CManipListener.h"
#include "ui/effects/CManipWnd.h"
#include "ui/effects/CPresetBox.h"

CCurveDlg::CCurveDlg(Services& services, const QString& title, QWidget* parent)
    : QDialog(parent), m_services(services) {
    setWindowTitle(title);
    auto* placeholder = new QFrame(this);
    placeholder->setObjectName(QStringLiteral("1066"));
    placeholder->setMinimumSize(320, 220);
    m_curve = new CManipWnd(services.devices, services.messages, placeholder);
    auto* fill = new QVBoxLayout(placeholder);
    fill->setContentsMargins(0, 0, 0, 0);
    fill->addWidget(m_curve);

    m_readout = new QLabel(QStringLiteral(" "), this);
    m_readout->setObjectName(QStringLiteral("1074"));
    m_readout->setMinimumWidth(160);

    auto* left = new QVBoxLayout;
    left->addWidget(placeholder, 1);
    left->addWidget(m_readout);
    m_side = new QVBoxLayout;
    auto* columns = new QHBoxLayout(this);
    columns->addLayout(left, 1);
    columns->addLayout(m_side);
    // The points keep their pixels when the editor changes size, so the dialog keeps its size.
    columns->setSizeConstraint(QLayout::SetFixedSize);
}

CCurveDlg::~CCurveDlg() {
    // The curve reports to the listener until it goes: it goes first.
    m_curve->SetListener(nullptr);
}

void CCurveDlg::Finish(const char* category, int resetMode,
                       std::unique_ptr<CManipListener> listener) {
    m_listener = std::move(listener);
    m_curve->SetListener(m_listener.get());
    m_presets = new CPresetBox(m_services.settings, category, m_curve, resetMode, this);
    m_side->addWidget(m_presets);
    m_side->addWidget(m_presets->ResetButton());
    m_side->addStretch(1);

    auto* buttons =
        new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, Qt::Vertical, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("1"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("2"));
    m_side->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &CCurveDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CCurveDlg::reject);
    // The editor lays the starting shape out again when it gets its final size.
    m_curve->Reset(resetMode);
}
