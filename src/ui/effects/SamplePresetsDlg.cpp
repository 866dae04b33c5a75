#include "ui/effects/SamplePresetsDlg.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <cstdio>

#include "core/effects/VolumeText.h"
#include "core/messages/MessageSink.h"
#include "ui/controls/ControlText.h"
#include "ui/effects/FormatPicker.h"
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
    m_format = new CFormatPicker(this);
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
    m_format->Place(grid, 1);
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
    // A change of format shows its memory rate.
    connect(m_format, &CFormatPicker::Edited, this, [this] {
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
    m_format->Read(m_strFrequency, m_n16Bit, m_nStereo);
    UpdateMemory();
}

void CSamplePresetsDlg::WriteControls() {
    m_format->Write(m_strFrequency, m_n16Bit, m_nStereo);
    UpdateMemory();
    ShowText(m_nameCombo, m_strName);
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
