#include "ui/effects/ConvertDlg.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "core/effects/Convert.h"
#include "core/effects/VolumeText.h"
#include "core/messages/MessageSink.h"
#include "ui/controls/ControlText.h"
#include "ui/controls/UpDown.h"
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

    m_8BitRadio = new QRadioButton(QStringLiteral("&8-bit"), this);
    m_16BitRadio = new QRadioButton(QStringLiteral("&16-bit"), this);
    m_monoRadio = new QRadioButton(QStringLiteral("&Mono"), this);
    m_stereoRadio = new QRadioButton(QStringLiteral("&Stereo"), this);
    auto* widthGroup = new QButtonGroup(this);
    widthGroup->addButton(m_8BitRadio);
    widthGroup->addButton(m_16BitRadio);
    auto* channelGroup = new QButtonGroup(this);
    channelGroup->addButton(m_monoRadio);
    channelGroup->addButton(m_stereoRadio);

    m_frequencyCombo = MakeFrequencyCombo(this);
    m_frequencyArrows = MakeFrequencyArrows(this);
    auto* frequencyLabel = new QLabel(QStringLiteral("&Frequency:"), this);
    frequencyLabel->setBuddy(m_frequencyCombo);
    m_qualityCombo = MakePresetNameCombo(this, 20);
    auto* qualityLabel = new QLabel(QStringLiteral("&Quality:"), this);
    qualityLabel->setBuddy(m_qualityCombo);
    auto* presetsButton = new QPushButton(QStringLiteral("&Presets..."), this);
    presetsButton->setObjectName(QStringLiteral("1056"));
    presetsButton->setAutoDefault(false);

    auto* grid = new QGridLayout;
    grid->addWidget(m_8BitRadio, 0, 1);
    grid->addWidget(m_16BitRadio, 0, 2);
    grid->addWidget(m_monoRadio, 1, 1);
    grid->addWidget(m_stereoRadio, 1, 2);
    grid->addWidget(frequencyLabel, 2, 0);
    grid->addWidget(m_frequencyCombo, 2, 1, 1, 2);
    grid->addWidget(m_frequencyArrows, 2, 3);
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
    for (QRadioButton* radio : {m_8BitRadio, m_16BitRadio, m_monoRadio, m_stereoRadio}) {
        connect(radio, &QRadioButton::clicked, this, [this] {
            ReadControls();
            LookUpQuality();
            WriteControls();
        });
    }
    connect(m_frequencyArrows, &CUpDown::PositionChanged, this, [this](int position) {
        ReadControls();
        m_strFrequency = FrequencyText(static_cast<long long>(position) + kFrequencyOffset);
        LookUpQuality();
        WriteControls();
    });
    connect(m_frequencyCombo, &QComboBox::activated, this, [this](int index) {
        ReadControls();
        m_strFrequency = m_frequencyCombo->itemText(index).toStdString();
        LookUpQuality();
        WriteControls();
    });
    connect(m_frequencyCombo->lineEdit(), &QLineEdit::textEdited, this, [this] {
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
    m_strFrequency = TextOf(m_frequencyCombo);
    m_n16Bit = m_16BitRadio->isChecked() ? 1 : 0;
    m_nStereo = m_stereoRadio->isChecked() ? 1 : 0;
    // The arrows step from the frequency the box shows, also right after typing.
    SyncFrequencyArrows(m_frequencyArrows, m_strFrequency);
}

void CConvertDlg::WriteControls() {
    SyncFrequencyArrows(m_frequencyArrows, m_strFrequency);
    m_sourceText->setText(QString::fromStdString(m_strSource));
    ShowText(m_qualityCombo, m_strQuality);
    ShowText(m_frequencyCombo, m_strFrequency);
    m_8BitRadio->setChecked(m_n16Bit == 0);
    m_16BitRadio->setChecked(m_n16Bit != 0);
    m_monoRadio->setChecked(m_nStereo == 0);
    m_stereoRadio->setChecked(m_nStereo != 0);
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
    FillPresetNames(m_qualityCombo, m_presets);
    const int index = m_qualityCombo->findText(QString::fromStdString(presets.m_strName),
                                               Qt::MatchFixedString | Qt::MatchCaseSensitive);
    if (presets.m_strName.empty() || index < 0)
        return;
    m_qualityCombo->setCurrentIndex(index);
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
        m_frequencyCombo->setFocus();
        return;
    }
    QDialog::accept();
}
