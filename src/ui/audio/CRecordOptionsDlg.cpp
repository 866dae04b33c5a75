#include "ui/audio/CRecordOptionsDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/effects/VolumeText.h"
#include "core/services/Services.h"
#include "ui/audio/RecordReadouts.h"
#include "ui/controls/ControlText.h"
#include "ui/controls/UpDown.h"
#include "ui/effects/FormatPicker.h"
#include "ui/effects/FrequencyControls.h"
#include "ui/effects/SamplePresetsDlg.h"

CRecordOptionsDlg::CRecordOptionsDlg(Services& services, QWidget* parent)
    : QDialog(parent), m_services(services), m_presets(services.settings) {
    BuildControls();
}

void CRecordOptionsDlg::BuildControls() {
    setWindowTitle(QStringLiteral("Recording Options"));
    m_qualityCombo = MakePresetNameCombo(this, 50);
    auto* qualityLabel = new QLabel(QStringLiteral("&Quality:"), this);
    qualityLabel->setBuddy(m_qualityCombo);
    auto* presetsButton = new QPushButton(QStringLiteral("&Presets..."), this);
    presetsButton->setObjectName(QStringLiteral("1056"));
    presetsButton->setAutoDefault(false);

    m_format = new CFormatPicker(this);
    m_format->SetWidthCaptions(QStringLiteral("&8-Bit"), QStringLiteral("&16-Bit"));
    m_format->SetFrequencyLimit(40);

    m_timeCombo = new QComboBox(this);
    m_timeCombo->setObjectName(QStringLiteral("1002"));
    m_timeCombo->setEditable(true);
    m_timeCombo->setInsertPolicy(QComboBox::NoInsert);
    m_timeCombo->lineEdit()->setMaxLength(7);
    m_timeCombo->addItems({QStringLiteral(" 10"), QStringLiteral(" 30"), QStringLiteral(" 60"),
                           QStringLiteral(" 90"), QStringLiteral(" 120"), QStringLiteral(" 240"),
                           QStringLiteral(" 480")});
    m_timeCombo->setCurrentIndex(-1);
    auto* timeLabel = new QLabel(QStringLiteral("Time Requirement:"), this);
    timeLabel->setBuddy(m_timeCombo);
    m_timeArrows = new CUpDown(this);
    m_timeArrows->setObjectName(QStringLiteral("1110"));
    m_timeArrows->SetBuddyInt(m_timeCombo->lineEdit());
    m_secondsLabel = new QLabel(QStringLiteral("seconds"), this);
    m_secondsLabel->setObjectName(QStringLiteral("1132"));
    m_memoryText = new QLabel(this);
    m_memoryText->setObjectName(QStringLiteral("1003"));
    m_recordAsNew = new QCheckBox(QStringLiteral("&Record As New Sample"), this);
    m_recordAsNew->setObjectName(QStringLiteral("1000"));
    // The time is always asked for; the box stays in the dialog, hidden, as "Auto" has no
    // recording behind it.
    m_timeSpecified = new QCheckBox(QStringLiteral("S&pecify Time Requirement"), this);
    m_timeSpecified->setObjectName(QStringLiteral("1026"));
    m_timeSpecified->setVisible(false);

    auto* recordButton = new QPushButton(QStringLiteral("&Record"), this);
    recordButton->setObjectName(QStringLiteral("1"));
    recordButton->setDefault(true);
    auto* cancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    cancelButton->setObjectName(QStringLiteral("2"));
    cancelButton->setAutoDefault(false);

    auto* grid = new QGridLayout;
    grid->addWidget(qualityLabel, 0, 0);
    grid->addWidget(m_qualityCombo, 0, 1, 1, 2);
    grid->addWidget(presetsButton, 0, 3);
    m_format->Place(grid, 1);
    grid->addWidget(timeLabel, 4, 0);
    grid->addWidget(m_timeCombo, 4, 1);
    grid->addWidget(m_secondsLabel, 4, 2);
    grid->addWidget(m_timeArrows, 4, 3);
    grid->addWidget(m_memoryText, 5, 1, 1, 3);
    grid->addWidget(m_recordAsNew, 6, 0, 1, 4);
    grid->addWidget(m_timeSpecified, 7, 0, 1, 4);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(recordButton);
    buttons->addWidget(cancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);

    connect(recordButton, &QPushButton::clicked, this, &CRecordOptionsDlg::accept);
    connect(cancelButton, &QPushButton::clicked, this, &CRecordOptionsDlg::reject);
    connect(presetsButton, &QPushButton::clicked, this, &CRecordOptionsDlg::OnPresets);
    connect(m_format, &CFormatPicker::Edited, this, &CRecordOptionsDlg::OnFormatEdited);
    connect(m_qualityCombo, &QComboBox::activated, this,
            [this](int index) { ApplyQuality(m_qualityCombo->itemText(index)); });
    connect(m_qualityCombo->lineEdit(), &QLineEdit::textEdited, this,
            &CRecordOptionsDlg::ApplyQuality);
    connect(m_timeCombo->lineEdit(), &QLineEdit::textEdited, this,
            &CRecordOptionsDlg::OnTimeEdited);
    connect(m_timeCombo, &QComboBox::activated, this, &CRecordOptionsDlg::OnTimeChosen);
    connect(m_timeArrows, &CUpDown::PositionChanged, this, &CRecordOptionsDlg::OnTimeArrows);
    connect(m_timeSpecified, &QCheckBox::clicked, this, &CRecordOptionsDlg::OnTimeSpecifiedClicked);
}

int CRecordOptionsDlg::Run(int defaultTime) {
    m_defaultTime = defaultTime;
    InitDialog();
    return exec();
}

uint32_t CRecordOptionsDlg::FormatCode() const {
    return (m_bStereo ? 8u : 4u) | (m_b16Bit ? 2u : 1u);
}

void CRecordOptionsDlg::InitDialog() {
    m_bInitialised = false;
    FillPresetNames(m_qualityCombo, m_presets);
    m_timeArrows->SetRange(1, 32000);
    WriteControls();
    m_timeArrows->SetPosition(1);
    ReadControls();
    m_strTime = std::to_string(m_defaultTime);
    MatchQuality();
    WriteControls();
    UpdateReadout();
    WriteControls();
    m_bInitialised = true;
}

uint32_t CRecordOptionsDlg::ComputeSize() {
    // The radios are read as they stand, not the members.
    std::string frequency;
    int n16Bit = 0;
    int nStereo = 0;
    m_format->Read(frequency, n16Bit, nStereo);
    m_frequency = RecordFrequencyOf(frequency);
    const long long seconds = LeadingInteger(TextOf(m_timeCombo));
    m_blockSize = RecordBlockSize(m_frequency, seconds, n16Bit != 0, nStereo != 0);
    return m_blockSize;
}

void CRecordOptionsDlg::UpdateReadout() {
    m_strMemory = m_bTimeSpecified ? MemoryReadout(ComputeSize()) : std::string("Auto");
}

void CRecordOptionsDlg::ReadControls() {
    m_strQuality = TextOf(m_qualityCombo);
    m_format->Read(m_strFrequency, m_nBits, m_nChannels);
    m_strTime = TextOf(m_timeCombo);
    m_bRecordAsNew = m_recordAsNew->isChecked();
    m_bTimeSpecified = m_timeSpecified->isChecked();
    if (m_bTimeSpecified)
        ComputeSize();
}

void CRecordOptionsDlg::WriteControls() {
    m_format->Write(m_strFrequency, m_nBits, m_nChannels);
    ShowText(m_qualityCombo, m_strQuality);
    ShowText(m_timeCombo, m_strTime);
    m_memoryText->setText(QString::fromStdString(m_strMemory));
    m_recordAsNew->setChecked(m_bRecordAsNew);
    m_timeSpecified->setChecked(m_bTimeSpecified);
}

void CRecordOptionsDlg::MatchQuality() {
    const int frequency = LeadingInteger(m_strFrequency);
    const auto name = frequency < 0 ? std::nullopt
                                    : m_presets.Find(static_cast<uint32_t>(frequency),
                                                     m_nChannels + 1, m_nBits ? 16 : 8);
    m_strQuality = name.value_or(std::string());
}

bool CRecordOptionsDlg::ApplyPreset(const std::string& name) {
    if (!m_presets.Load(name))
        return false;
    // Only 2 is a stereo preset: a stored count other than 1 or 2 is taken as mono.
    m_nChannels = m_presets.Channels == 2 ? 1 : 0;
    m_nBits = m_presets.Bits != 8 ? 1 : 0;
    m_strFrequency = FrequencyText(m_presets.Frequency);
    m_frequency = m_presets.Frequency;
    return true;
}

void CRecordOptionsDlg::ApplyQuality(const QString& name) {
    ReadControls();
    if (ApplyPreset(name.toStdString())) {
        m_strQuality = name.toStdString();
        WriteControls();
        // The preset's format takes its own memory.
        UpdateReadout();
    }
    WriteControls();
}

void CRecordOptionsDlg::OnFormatEdited() {
    ReadControls();
    UpdateReadout();
    MatchQuality();
    WriteControls();
}

void CRecordOptionsDlg::OnTimeEdited() {
    if (!m_bInitialised)
        return;
    ReadControls();
    UpdateReadout();
    WriteControls();
    m_timeCombo->lineEdit()->end(false);
}

void CRecordOptionsDlg::OnTimeChosen(int index) {
    if (!m_bInitialised)
        return;
    m_strTime = index < 0 ? std::string() : m_timeCombo->itemText(index).toStdString();
    WriteControls();
    UpdateReadout();
    WriteControls();
    m_timeArrows->SetPosition(LeadingInteger(m_strTime));
}

void CRecordOptionsDlg::OnTimeArrows() {
    ReadControls();
    UpdateReadout();
    MatchQuality();
    WriteControls();
}

// The presets dialog may add, change or delete presets: the list is read again afterwards and
// the preset the user ended with there, if it still exists, becomes the choice here.
void CRecordOptionsDlg::OnPresets() {
    ReadControls();
    CSamplePresetsDlg presets(m_services, m_strQuality, m_strFrequency, m_nBits, m_nChannels, this);
    presets.exec();
    const int index = RefillPresetNames(m_qualityCombo, m_presets, presets.m_strName);
    if (index < 0)
        return;
    ApplyQuality(m_qualityCombo->itemText(index));
}

void CRecordOptionsDlg::OnTimeSpecifiedClicked() {
    m_bTimeSpecified = m_timeSpecified->isChecked();
    for (QWidget* w : {static_cast<QWidget*>(m_timeCombo), static_cast<QWidget*>(m_memoryText),
                       static_cast<QWidget*>(m_secondsLabel), static_cast<QWidget*>(m_timeArrows)})
        w->setEnabled(m_bTimeSpecified);
    UpdateReadout();
    m_memoryText->setText(QString::fromStdString(m_strMemory));
}

void CRecordOptionsDlg::accept() {
    // The frequency and block size follow the controls as they stand.
    ReadControls();
    m_bStereo = m_nChannels != 0;
    m_b16Bit = m_nBits != 0;
    done(m_bRecordAsNew ? kRecordAsNew : kRecordHere);
}

void CRecordOptionsDlg::reject() {
    done(kCancel);
}
