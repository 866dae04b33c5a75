#include "ui/fileformats/AuOptionsDlg.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QRadioButton>
#include <QVBoxLayout>

CAuOptionsDlg::CAuOptionsDlg(const AuSaveOptions& options, QWidget* parent)
    : QDialog(parent), m_options(options) {
    setWindowTitle(QStringLiteral("Sun/NeXT Save Options"));
    m_uLawRadio = new QRadioButton(QStringLiteral("&Sun µLaw"), this);
    m_linearRadio = new QRadioButton(QStringLiteral("&Linear"), this);
    m_forceCheck = new QCheckBox(QStringLiteral("&Force to 8kHz (Web/Java Compatible)"), this);
    auto* radios = new QButtonGroup(this);
    radios->addButton(m_uLawRadio, 0);
    radios->addButton(m_linearRadio, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_uLawRadio);
    layout->addWidget(m_linearRadio);
    layout->addWidget(m_forceCheck);
    layout->addWidget(buttons);

    (m_options.radioIndex == 1 ? m_linearRadio : m_uLawRadio)->setChecked(true);
    m_forceCheck->setChecked(m_options.forceTicked);
    ApplyEnabling();

    // Toggles, not clicks, so that choosing with the arrow keys counts too.
    connect(radios, &QButtonGroup::idToggled, this, [this](int index, bool checked) {
        if (checked)
            OnRadio(index);
    });
    connect(m_forceCheck, &QCheckBox::toggled, this,
            [this](bool ticked) { m_options.forceTicked = ticked; });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void CAuOptionsDlg::OnRadio(int index) {
    m_options.radioIndex = index;
    ApplyEnabling();
}

void CAuOptionsDlg::ApplyEnabling() {
    m_forceCheck->setEnabled(m_options.ForceEnabled());
}

bool CAuOptionsPresenter::Present(AuSaveOptions& options) {
    QWidget* owner = QApplication::activeModalWidget();
    CAuOptionsDlg dialog(options, owner != nullptr ? owner : QApplication::activeWindow());
    if (dialog.exec() != QDialog::Accepted)
        return false;
    options = dialog.Options();
    return true;
}
