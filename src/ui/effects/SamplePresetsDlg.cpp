#include "ui/effects/SamplePresetsDlg.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <cstdio>

#include "core/effects/VolumeText.h"
#include "core/messages/MessageSink.h"
#include "ui/controls/ControlText.h"
#include "ui/controls/UpDown.h"
#include "ui/effects/FrequencyControls.h"

CSamplePresetsDlg::CSamplePresetsDlg(Services& services, QWidget* parent)
    : QDialog(parent), m_services(services), m_presets(services.settings) {
    BuildControls();
    InitDialog();
}

CSamplePresetsDlg::CSamplePresetsDlg(Services& services, const std::string& name,
                                     const std::string& frequency, int n16Bit, int nStereo,
                                     QWidget* parent)
    : QDialog(parent),
      m_n16Bit(n16Bit),
      m_nStereo(nStereo),
      m_strFrequency(frequency),
      m_strName(name),
      m_services(services),
      m_presets(services.settings) {
    BuildControls();
    InitDialog();
}

void CSamplePresetsDlg::BuildControls() {
    setWindowTitle(QStringLiteral("Sample Presets"));
    m_nameCombo = MakePresetNameCombo(this, 50);
    auto* nameLabel = new QLabel(QStringLiteral("&Name:"), this);
    nameLabel->setBuddy(m_nameCombo);
    m_8BitRadio = new QRadioButton(QStringLiteral("&8-bit"), this);
    m_16BitRadio = new QRadioButton(QStringLiteral("&16-bit"), this);
    m_monoRadio = new QRadioButton(QStringLiteral("&Mono"), this);
    m_stereoRadio = new QRadioButton(QStringLiteral("&Stereo"), this);
    // Two independent radio groups, as the two rows of the dialog.
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
    m_memoryText = new QLabel(this);
    m_memoryText->setObjectName(QStringLiteral("1003"));
    auto* saveButton = new QPushButton(QStringLiteral("&Save"), this);
    saveButton->setObjectName(QStringLiteral("1070"));
    auto* deleteButton = new QPushButton(QStringLiteral("&Delete"), this);
    deleteButton->setObjectName(QStringLiteral("1071"));
    auto* okButton = new QPushButton(QStringLiteral("OK"), this);
    okButton->setObjectName(QStringLiteral("1"));
    okButton->setDefault(true);
    for (QPushButton* button : {saveButton, deleteButton}) button->setAutoDefault(false);

    auto* grid = new QGridLayout;
    grid->addWidget(nameLabel, 0, 0);
    grid->addWidget(m_nameCombo, 0, 1, 1, 3);
    grid->addWidget(m_8BitRadio, 1, 1);
    grid->addWidget(m_16BitRadio, 1, 2);
    grid->addWidget(m_monoRadio, 2, 1);
    grid->addWidget(m_stereoRadio, 2, 2);
    grid->addWidget(frequencyLabel, 3, 0);
    grid->addWidget(m_frequencyCombo, 3, 1, 1, 2);
    grid->addWidget(m_frequencyArrows, 3, 3);
    grid->addWidget(new QLabel(QStringLiteral("Memory:"), this), 4, 0);
    grid->addWidget(m_memoryText, 4, 1, 1, 3);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(saveButton);
    buttons->addWidget(deleteButton);
    buttons->addStretch();
    buttons->addWidget(okButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);

    connect(okButton, &QPushButton::clicked, this, &CSamplePresetsDlg::accept);
    connect(saveButton, &QPushButton::clicked, this, &CSamplePresetsDlg::OnSave);
    connect(deleteButton, &QPushButton::clicked, this, &CSamplePresetsDlg::OnDelete);
    for (QRadioButton* radio : {m_8BitRadio, m_16BitRadio, m_monoRadio, m_stereoRadio}) {
        connect(radio, &QRadioButton::clicked, this, [this] {
            ReadControls();
            WriteControls();
        });
    }
    connect(m_frequencyArrows, &CUpDown::PositionChanged, this, [this](int position) {
        ReadControls();
        m_strFrequency = FrequencyText(static_cast<long long>(position) + kFrequencyOffset);
        WriteControls();
    });
    connect(m_frequencyCombo, &QComboBox::activated, this, [this](int index) {
        ReadControls();
        m_strFrequency = m_frequencyCombo->itemText(index).toStdString();
        WriteControls();
    });
    connect(m_frequencyCombo->lineEdit(), &QLineEdit::textEdited, this, [this] {
        ReadControls();
        WriteControls();
    });
    connect(m_nameCombo, &QComboBox::activated, this,
            [this](int index) { OnNameChosen(m_nameCombo->itemText(index)); });
    connect(m_nameCombo->lineEdit(), &QLineEdit::textEdited, this,
            &CSamplePresetsDlg::OnNameChosen);
}

void CSamplePresetsDlg::InitDialog() {
    FillPresetNames(m_nameCombo, m_presets);
    WriteControls();
    ReadControls();
    if (m_presets.Load(m_strName)) {
        ApplyPreset();
        WriteControls();
    }
}

void CSamplePresetsDlg::UpdateMemory() {
    const long long bytesPerSecond = static_cast<long long>(LeadingInteger(m_strFrequency)) *
                                     (m_n16Bit ? 2 : 1) * (m_nStereo ? 2 : 1);
    char text[32];
    std::snprintf(text, sizeof text, "%d Kb/sec", static_cast<int>(bytesPerSecond / 1024));
    m_strMemory = text;
}

void CSamplePresetsDlg::ReadControls() {
    m_strName = TextOf(m_nameCombo);
    m_strFrequency = TextOf(m_frequencyCombo);
    m_n16Bit = m_16BitRadio->isChecked() ? 1 : 0;
    m_nStereo = m_stereoRadio->isChecked() ? 1 : 0;
    SyncFrequencyArrows(m_frequencyArrows, m_strFrequency);
    UpdateMemory();
}

void CSamplePresetsDlg::WriteControls() {
    SyncFrequencyArrows(m_frequencyArrows, m_strFrequency);
    UpdateMemory();
    ShowText(m_nameCombo, m_strName);
    ShowText(m_frequencyCombo, m_strFrequency);
    m_8BitRadio->setChecked(m_n16Bit == 0);
    m_16BitRadio->setChecked(m_n16Bit != 0);
    m_monoRadio->setChecked(m_nStereo == 0);
    m_stereoRadio->setChecked(m_nStereo != 0);
    m_memoryText->setText(QString::fromStdString(m_strMemory));
}

// Only the values 1 and 2 are channel counts; a preset stored with anything else by hand counts
// as mono rather than leaving both radios cleared.
void CSamplePresetsDlg::ApplyPreset() {
    m_nStereo = m_presets.Channels == 2 ? 1 : 0;
    m_n16Bit = m_presets.Bits != 8 ? 1 : 0;
    m_strFrequency = FrequencyText(m_presets.Frequency);
}

void CSamplePresetsDlg::OnNameChosen(const QString& name) {
    ReadControls();
    if (m_presets.Load(name.toStdString())) {
        m_strName = name.toStdString();
        ApplyPreset();
    }
    WriteControls();
}

// A name the store refuses (empty, or one with a key separator) or a preset that is not there
// gets the warning beep, so the press is not silently lost.
void CSamplePresetsDlg::OnSave() {
    ReadControls();
    const int frequency = LeadingInteger(m_strFrequency);
    // The store holds unsigned rates: a negative text is kept as 0, which no conversion accepts.
    m_presets.Frequency = frequency > 0 ? static_cast<uint32_t>(frequency) : 0;
    m_presets.Channels = m_nStereo ? 2 : 1;
    m_presets.Bits = m_n16Bit ? 16 : 8;
    if (!m_presets.Save(m_strName)) {
        m_services.messages.Beep();
        return;
    }
    FillPresetNames(m_nameCombo, m_presets);
}

void CSamplePresetsDlg::OnDelete() {
    ReadControls();
    if (!m_presets.Delete(m_strName)) {
        m_services.messages.Beep();
        return;
    }
    FillPresetNames(m_nameCombo, m_presets);
}

void CSamplePresetsDlg::accept() {
    ReadControls();
    QDialog::accept();
}
