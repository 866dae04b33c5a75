#include "ui/effects/ConvertDlg.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/effects/Convert.h"
#include "core/effects/VolumeText.h"
#include "core/messages/MessageSink.h"
#include "ui/controls/ControlText.h"
#include "ui/effects/FormatPicker.h"
#include "ui/effects/FrequencyControls.h"
#include "ui/effects/SamplePresetsDlg.h"

CConvertDlg::CConvertDlg(Services& services, const std::string& source,
                         const std::string& frequency, int n16Bit, int nStereo, QWidget* parent)
    : QDialog(parent),
      m_n16Bit(n16Bit),
      m_nStereo(nStereo),
      m_strSource(source),
      m_strFrequency(frequency),
      m_services(services),
      m_presets(services.settings) {
    BuildControls();
    InitDialog();
}

void CConvertDlg::BuildControls() {
    setWindowTitle(QStringLiteral("Convert Sample"));
    auto* sourceGroup = new QGroupBox(QStringLiteral("Source Format"), this);
    m_sourceText = new QLabel(sourceGroup);
    m_sourceText->setObjectName(QStringLiteral("1014"));
    (new QVBoxLayout(sourceGroup))->addWidget(m_sourceText);

    m_format = new CFormatPicker(this);
    m_qualityCombo = MakePresetNameCombo(this, 20);
    auto* qualityLabel = new QLabel(QStringLiteral("&Quality:"), this);
    qualityLabel->setBuddy(m_qualityCombo);
    auto* presetsButton = new QPushButton(QStringLiteral("&Presets..."), this);
    presetsButton->setObjectName(QStringLiteral("1056"));
    presetsButton->setAutoDefault(false);

    auto* grid = new QGridLayout;
    m_format->Place(grid, 0);
    grid->addWidget(qualityLabel, 3, 0);
    grid->addWidget(m_qualityCombo, 3, 1, 1, 2);
    grid->addWidget(presetsButton, 3, 3);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("1"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("2"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(sourceGroup);
    layout->addLayout(grid);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &CConvertDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CConvertDlg::reject);
    connect(presetsButton, &QPushButton::clicked, this, &CConvertDlg::OnPresets);
    // A change of format names the preset that has it, or none.
    connect(m_format, &CFormatPicker::Edited, this, [this] {
        ReadControls();
        LookUpQuality();
        WriteControls();
    });
    connect(m_qualityCombo, &QComboBox::activated, this,
            [this](int index) { OnQualityChosen(m_qualityCombo->itemText(index)); });
    connect(m_qualityCombo->lineEdit(), &QLineEdit::textEdited, this,
            &CConvertDlg::OnQualityChosen);
}

void CConvertDlg::InitDialog() {
    FillPresetNames(m_qualityCombo, m_presets);
    LookUpQuality();
    WriteControls();
}

void CConvertDlg::ReadControls() {
    m_strQuality = TextOf(m_qualityCombo);
    m_format->Read(m_strFrequency, m_n16Bit, m_nStereo);
}

void CConvertDlg::WriteControls() {
    m_format->Write(m_strFrequency, m_n16Bit, m_nStereo);
    m_sourceText->setText(QString::fromStdString(m_strSource));
    ShowText(m_qualityCombo, m_strQuality);
}

void CConvertDlg::LookUpQuality() {
    const int frequency = LeadingInteger(m_strFrequency);
    // A negative text matches no preset rather than wrapping round to a huge rate.
    const auto name = frequency < 0 ? std::nullopt
                                    : m_presets.Find(static_cast<uint32_t>(frequency),
                                                     m_nStereo ? 2 : 1, m_n16Bit ? 16 : 8);
    m_strQuality = name.value_or(std::string());
}

bool CConvertDlg::ApplyPreset(const std::string& name) {
    if (!m_presets.Load(name))
        return false;
    // Only 2 is a stereo preset: a stored count other than 1 or 2 is taken as mono.
    m_nStereo = m_presets.Channels == 2 ? 1 : 0;
    m_n16Bit = m_presets.Bits != 8 ? 1 : 0;
    m_strFrequency = FrequencyText(m_presets.Frequency);
    return true;
}

void CConvertDlg::OnQualityChosen(const QString& name) {
    ReadControls();
    if (ApplyPreset(name.toStdString()))
        m_strQuality = name.toStdString();
    WriteControls();
}

// The presets dialog may add, change or delete presets: the list is read again afterwards and
// the preset the user ended with there, if it still exists, becomes the choice here.
void CConvertDlg::OnPresets() {
    ReadControls();
    CSamplePresetsDlg presets(m_services, m_strQuality, m_strFrequency, m_n16Bit, m_nStereo, this);
    presets.exec();
    if (RefillPresetNames(m_qualityCombo, m_presets, presets.m_strName) < 0)
        return;
    ReadControls();
    if (ApplyPreset(presets.m_strName))
        m_strQuality = presets.m_strName;
    WriteControls();
}

void CConvertDlg::accept() {
    ReadControls();
    const int frequency = LeadingInteger(m_strFrequency);
    if (frequency < 1 || !IsConvertibleRate(static_cast<uint32_t>(frequency))) {
        m_services.messages.ShowMessage(kBadFrequencyMessage);
        m_format->FrequencyCombo()->setFocus();
        return;
    }
    QDialog::accept();
}
