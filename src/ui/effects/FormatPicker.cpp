#include "ui/effects/FormatPicker.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <algorithm>

#include "core/effects/VolumeText.h"
#include "ui/controls/ControlText.h"
#include "ui/controls/UpDown.h"
#include "ui/effects/FrequencyControls.h"

CFormatPicker::CFormatPicker(QWidget* dialog) : QObject(dialog) {
    m_8BitRadio = new QRadioButton(QStringLiteral("&8-bit"), dialog);
    m_16BitRadio = new QRadioButton(QStringLiteral("&16-bit"), dialog);
    m_monoRadio = new QRadioButton(QStringLiteral("&Mono"), dialog);
    m_stereoRadio = new QRadioButton(QStringLiteral("&Stereo"), dialog);
    m_8BitRadio->setObjectName(QStringLiteral("119"));
    m_16BitRadio->setObjectName(QStringLiteral("120"));
    m_monoRadio->setObjectName(QStringLiteral("1008"));
    m_stereoRadio->setObjectName(QStringLiteral("103"));
    // Two independent radio groups, as the two rows of the dialogs.
    auto* widthGroup = new QButtonGroup(this);
    widthGroup->addButton(m_8BitRadio);
    widthGroup->addButton(m_16BitRadio);
    auto* channelGroup = new QButtonGroup(this);
    channelGroup->addButton(m_monoRadio);
    channelGroup->addButton(m_stereoRadio);

    m_frequencyCombo = new QComboBox(dialog);
    m_frequencyCombo->setObjectName(QStringLiteral("1001"));
    m_frequencyCombo->setEditable(true);
    m_frequencyCombo->setInsertPolicy(QComboBox::NoInsert);
    m_frequencyCombo->lineEdit()->setMaxLength(10);
    m_frequencyCombo->addItems({QStringLiteral("44100 Hz"), QStringLiteral("22050 Hz"),
                                QStringLiteral("11025 Hz"), QStringLiteral("5018 Hz")});
    m_frequencyCombo->setCurrentIndex(-1);
    m_frequencyArrows = new CUpDown(dialog);
    m_frequencyArrows->setObjectName(QStringLiteral("1104"));
    m_frequencyArrows->SetRange(4000 - kFrequencyOffset, 48000 - kFrequencyOffset);
    auto* frequencyLabel = new QLabel(QStringLiteral("&Frequency:"), dialog);
    frequencyLabel->setBuddy(m_frequencyCombo);
    m_frequencyLabel = frequencyLabel;

    for (QRadioButton* radio : {m_8BitRadio, m_16BitRadio, m_monoRadio, m_stereoRadio})
        connect(radio, &QRadioButton::clicked, this, &CFormatPicker::Edited);
    connect(m_frequencyArrows, &CUpDown::PositionChanged, this, [this](int position) {
        ShowFrequency(QString::fromStdString(
            FrequencyText(static_cast<long long>(position) + kFrequencyOffset)));
    });
    connect(m_frequencyCombo, &QComboBox::activated, this,
            [this](int index) { ShowFrequency(m_frequencyCombo->itemText(index)); });
    connect(m_frequencyCombo->lineEdit(), &QLineEdit::textEdited, this, &CFormatPicker::Edited);
}

void CFormatPicker::Place(QGridLayout* grid, int firstRow) const {
    grid->addWidget(m_8BitRadio, firstRow, 1);
    grid->addWidget(m_16BitRadio, firstRow, 2);
    grid->addWidget(m_monoRadio, firstRow + 1, 1);
    grid->addWidget(m_stereoRadio, firstRow + 1, 2);
    grid->addWidget(m_frequencyLabel, firstRow + 2, 0);
    grid->addWidget(m_frequencyCombo, firstRow + 2, 1, 1, 2);
    grid->addWidget(m_frequencyArrows, firstRow + 2, 3);
}

void CFormatPicker::SetWidthCaptions(const QString& eightBit, const QString& sixteenBit) {
    m_8BitRadio->setText(eightBit);
    m_16BitRadio->setText(sixteenBit);
}

void CFormatPicker::SetFrequencyLimit(int characters) {
    m_frequencyCombo->lineEdit()->setMaxLength(characters);
}

void CFormatPicker::ShowFrequency(const QString& text) {
    ShowText(m_frequencyCombo, text.toStdString());
    emit Edited();
}

void CFormatPicker::SyncArrows(const std::string& frequency) {
    const long long position = static_cast<long long>(LeadingInteger(frequency)) - kFrequencyOffset;
    m_frequencyArrows->SetPosition(static_cast<int>(std::clamp<long long>(
        position, m_frequencyArrows->Minimum(), m_frequencyArrows->Maximum())));
}

void CFormatPicker::Read(std::string& frequency, int& n16Bit, int& nStereo) {
    frequency = TextOf(m_frequencyCombo);
    n16Bit = m_16BitRadio->isChecked() ? 1 : 0;
    nStereo = m_stereoRadio->isChecked() ? 1 : 0;
    SyncArrows(frequency);
}

void CFormatPicker::Write(const std::string& frequency, int n16Bit, int nStereo) {
    SyncArrows(frequency);
    ShowText(m_frequencyCombo, frequency);
    m_8BitRadio->setChecked(n16Bit == 0);
    m_16BitRadio->setChecked(n16Bit != 0);
    m_monoRadio->setChecked(nStereo == 0);
    m_stereoRadio->setChecked(nStereo != 0);
}
