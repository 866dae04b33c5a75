#include "ui/properties/CPptySample.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>

#include "core/effects/VolumeText.h"
#include "core/messages/MessageSink.h"
#include "core/sample/SampleBuffer.h"
#include "core/services/Services.h"
#include "ui/app/COrvexDoc.h"
#include "ui/controls/ControlText.h"
#include "ui/controls/UpDown.h"
#include "ui/effects/ConvertCommand.h"
#include "ui/effects/SamplePresetsDlg.h"
#include "ui/view/COrvexView.h"

namespace {

// The arrows hold frequency - kFrequencyOffset and reach 4000 ... 48000 Hz.
constexpr int kFrequencyOffset = 32767;
constexpr const char* kBadFrequency = "The frequency must be a number from 1 to 50000 Hz.";

QRadioButton* Radio(QWidget* parent, const char* text, const char* id) {
    auto* radio = new QRadioButton(QString::fromUtf8(text), parent);
    radio->setObjectName(QLatin1String(id));
    return radio;
}

QPushButton* Button(QWidget* parent, const char* text, const char* id) {
    auto* button = new QPushButton(QString::fromUtf8(text), parent);
    button->setObjectName(QLatin1String(id));
    return button;
}

std::string HzText(uint32_t frequency) {
    return std::to_string(frequency) + " Hz";
}

// A pair of radios showing a choice of 0 or 1; -1 (nothing bound yet) checks neither.
void Check(QRadioButton* off, QRadioButton* on, int choice) {
    off->setChecked(choice == 0);
    on->setChecked(choice == 1);
}

}  // namespace

CPptySample::CPptySample(Services& services, QWidget* parent)
    : QWidget(parent), m_services(services), m_presets(services.settings) {
    setObjectName(QStringLiteral("127"));
    setWindowTitle(QStringLiteral("Format"));
    BuildControls();
    m_frequencyArrows->SetRange(4000 - kFrequencyOffset, 48000 - kFrequencyOffset);
    FillQualities();
    MatchQuality();
    ShowControls();
}

void CPptySample::BuildControls() {
    auto* grid = new QGridLayout(this);
    m_qualityCombo = new QComboBox(this);
    m_qualityCombo->setObjectName(QStringLiteral("1053"));
    m_qualityCombo->setEditable(true);
    m_qualityCombo->setInsertPolicy(QComboBox::NoInsert);
    m_qualityCombo->lineEdit()->setMaxLength(50);
    auto* qualityLabel = new QLabel(QStringLiteral("&Quality:"), this);
    qualityLabel->setBuddy(m_qualityCombo);
    grid->addWidget(qualityLabel, 0, 0);
    grid->addWidget(m_qualityCombo, 0, 1, 1, 2);
    QPushButton* presets = Button(this, "&Presets...", "1056");
    grid->addWidget(presets, 0, 3);

    m_frequencyCombo = new QComboBox(this);
    m_frequencyCombo->setObjectName(QStringLiteral("1001"));
    m_frequencyCombo->setEditable(true);
    m_frequencyCombo->setInsertPolicy(QComboBox::NoInsert);
    m_frequencyCombo->lineEdit()->setMaxLength(9);
    // Listed sorted, as text.
    m_frequencyCombo->addItems({QStringLiteral("11025 Hz"), QStringLiteral("22050 Hz"),
                                QStringLiteral("44100 Hz"), QStringLiteral("5018 Hz")});
    auto* frequencyLabel = new QLabel(QStringLiteral("&Frequency:"), this);
    frequencyLabel->setBuddy(m_frequencyCombo);
    m_frequencyArrows = new CUpDown(this);
    m_frequencyArrows->setObjectName(QStringLiteral("1104"));
    grid->addWidget(frequencyLabel, 1, 0);
    grid->addWidget(m_frequencyCombo, 1, 1, 1, 2);
    grid->addWidget(m_frequencyArrows, 1, 3);

    m_8BitRadio = Radio(this, "&8-bit", "1054");
    m_16BitRadio = Radio(this, "&16-bit", "1055");
    m_monoRadio = Radio(this, "&Mono", "102");
    m_stereoRadio = Radio(this, "&Stereo", "103");
    // Two groups that may show no choice at all before a sound is bound.
    for (auto [a, b] :
         {std::pair{m_8BitRadio, m_16BitRadio}, std::pair{m_monoRadio, m_stereoRadio}}) {
        a->setAutoExclusive(false);
        b->setAutoExclusive(false);
    }
    grid->addWidget(m_8BitRadio, 2, 1);
    grid->addWidget(m_16BitRadio, 2, 2);
    grid->addWidget(m_monoRadio, 3, 1);
    grid->addWidget(m_stereoRadio, 3, 2);

    grid->addWidget(new QLabel(QStringLiteral("Memory:"), this), 4, 0);
    m_memory = new QLabel(this);
    m_memory->setObjectName(QStringLiteral("1003"));
    grid->addWidget(m_memory, 4, 1, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("Original Format:"), this), 5, 0);
    m_original = new QLabel(this);
    m_original->setObjectName(QStringLiteral("1148"));
    grid->addWidget(m_original, 5, 1, 1, 3);
    QPushButton* revert = Button(this, "&Revert", "1057");
    QPushButton* convert = Button(this, "&Convert", "1058");
    grid->addWidget(revert, 6, 1);
    grid->addWidget(convert, 6, 2);
    grid->setRowStretch(7, 1);

    connect(m_8BitRadio, &QRadioButton::clicked, this, [this]() { OnWidth(0); });
    connect(m_16BitRadio, &QRadioButton::clicked, this, [this]() { OnWidth(1); });
    connect(m_monoRadio, &QRadioButton::clicked, this, [this]() { OnChannels(0); });
    connect(m_stereoRadio, &QRadioButton::clicked, this, [this]() { OnChannels(1); });
    connect(m_qualityCombo, &QComboBox::textActivated, this,
            [this](const QString& name) { OnQuality(name, false); });
    connect(m_qualityCombo->lineEdit(), &QLineEdit::textEdited, this,
            [this](const QString& name) { OnQuality(name, true); });
    connect(presets, &QPushButton::clicked, this, &CPptySample::OnPresets);
    connect(m_frequencyCombo->lineEdit(), &QLineEdit::textEdited, this,
            &CPptySample::OnFrequencyText);
    connect(m_frequencyCombo, &QComboBox::textActivated, this, &CPptySample::OnFrequencyText);
    connect(m_frequencyCombo->lineEdit(), &QLineEdit::editingFinished, this,
            &CPptySample::OnFrequencyFinished);
    connect(m_frequencyArrows, &CUpDown::PositionChanged, this, &CPptySample::OnFrequencyStep);
    connect(revert, &QPushButton::clicked, this, &CPptySample::OnRevert);
    connect(convert, &QPushButton::clicked, this, &CPptySample::OnConvert);
}

void CPptySample::Bind(COrvexView* view, SampleBuffer* buffer) {
    m_view = view;
    m_buffer = buffer;
}

void CPptySample::UpdateFormat(uint32_t frequency, bool stereo, bool sixteenBit,
                               const SampleFormat& original) {
    if (m_applying)
        return;
    m_frequency = HzText(frequency);
    m_bits = sixteenBit ? 1 : 0;
    m_channels = stereo ? 1 : 0;
    m_original->setText(QString::fromStdString(original.Describe()));
    MatchQuality();
    ShowControls();
}

void CPptySample::FillQualities() {
    const QString typed = m_qualityCombo->currentText();
    m_qualityCombo->clear();
    QStringList names;
    for (auto name = m_presets.First(); name; name = m_presets.Next())
        names << QString::fromStdString(*name);
    names.sort();
    m_qualityCombo->addItems(names);
    m_qualityCombo->setEditText(typed);
}

void CPptySample::MatchQuality() {
    const auto name = m_presets.Find(static_cast<uint32_t>(LeadingInteger(m_frequency)),
                                     static_cast<uint32_t>(m_channels + 1), m_bits == 1 ? 16 : 8);
    m_quality = name.value_or(std::string());
}

void CPptySample::ShowControls() {
    const int frequency = LeadingInteger(m_frequency);
    m_frequencyArrows->SetPosition(frequency - kFrequencyOffset);
    const int64_t rate =
        static_cast<int64_t>(frequency) * (m_bits == 1 ? 2 : 1) * (m_channels == 1 ? 2 : 1);
    m_memory->setText(QString::asprintf("%lld Kb/sec", static_cast<long long>(rate / 1024)));
    ShowText(m_qualityCombo, m_quality);
    ShowText(m_frequencyCombo, m_frequency);
    Check(m_8BitRadio, m_16BitRadio, m_bits);
    Check(m_monoRadio, m_stereoRadio, m_channels);
}

uint32_t CPptySample::TypedFrequency() const {
    // Digits, optionally followed by "Hz": "44100", "44100 Hz" and "44100hz" all count.
    static const QRegularExpression kFrequency(QStringLiteral("^\\s*(\\d{1,9})\\s*(hz)?\\s*$"),
                                               QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = kFrequency.match(QString::fromStdString(m_frequency));
    if (!match.hasMatch())
        return 0;
    const uint32_t frequency = match.captured(1).toUInt();
    return frequency <= kMaxFrequency ? frequency : 0;
}

void CPptySample::Apply() {
    const uint32_t frequency = TypedFrequency();
    // A text that is no frequency leaves the sound as it was; the page says why when the
    // typing ends.
    if (m_buffer == nullptr || frequency == 0 || m_bits < 0 || m_channels < 0)
        return;
    m_buffer->SetFormat(frequency, m_channels == 1, m_bits == 1);
}

void CPptySample::ShowChange() {
    if (m_view == nullptr)
        return;
    m_applying = true;
    m_view->GetDocument()->NoteSoundChanged(m_view);
    m_view->UpdateStatus();
    m_applying = false;
}

void CPptySample::OnWidth(int choice) {
    if (m_bits == choice) {
        ShowControls();
        return;
    }
    const int before = m_bits;
    m_bits = choice;
    MatchQuality();
    ShowControls();
    Apply();
    if (m_view == nullptr || m_buffer == nullptr || before < 0)
        return;
    // The marks stay on the same bytes: twice as wide samples are half as many.
    uint32_t first = 0, last = 0;
    int selector = 0;
    m_view->GetInsertRange(first, last, selector);
    const auto move = [choice](uint32_t frame) { return choice == 1 ? frame / 2 : frame * 2; };
    m_applying = true;
    if (m_view->HasCaret())
        m_view->SetCaret(move(first), selector);
    else
        m_view->SetSelection(move(first), move(last), selector);
    m_view->ZoomAll();
    m_applying = false;
    ShowChange();
}

void CPptySample::OnChannels(int choice) {
    m_channels = choice;
    MatchQuality();
    ShowControls();
    Apply();
    if (m_view == nullptr || m_buffer == nullptr)
        return;
    m_applying = true;
    m_view->SetStereoLayout(choice == 1);
    m_view->ZoomAll();
    m_applying = false;
    ShowChange();
}

void CPptySample::OnQuality(const QString& name, bool zoomAll) {
    m_quality = name.toStdString();
    if (!m_presets.Load(m_quality))
        return;
    m_channels = static_cast<int>(m_presets.Channels) - 1;
    m_bits = m_presets.Bits == 8 ? 0 : 1;
    m_frequency = HzText(m_presets.Frequency);
    ShowControls();
    Apply();
    if (m_view == nullptr || m_buffer == nullptr)
        return;
    m_applying = true;
    m_view->SetStereoLayout(m_channels == 1);
    if (zoomAll)
        m_view->ZoomAll();
    m_applying = false;
    ShowChange();
}

void CPptySample::OnPresets() {
    CSamplePresetsDlg dialog(m_services, m_quality, m_frequency, m_bits, m_channels, this);
    dialog.exec();
    FillQualities();
    if (m_qualityCombo->findText(QString::fromStdString(dialog.m_strName)) >= 0) {
        m_qualityCombo->setEditText(QString::fromStdString(dialog.m_strName));
        OnQuality(QString::fromStdString(dialog.m_strName), true);
    }
}

void CPptySample::OnFrequencyText() {
    m_frequency = TextOf(m_frequencyCombo);
    MatchQuality();
    ShowControls();
    Apply();
    ShowChange();
}

void CPptySample::OnFrequencyStep(int position) {
    m_frequency = HzText(static_cast<uint32_t>(position + kFrequencyOffset));
    MatchQuality();
    Apply();
    ShowControls();
    ShowChange();
}

void CPptySample::OnFrequencyFinished() {
    if (m_buffer == nullptr || TypedFrequency() != 0)
        return;
    m_services.messages.ShowMessage(kBadFrequency);
    m_frequency = HzText(m_buffer->GetFrequency());
    MatchQuality();
    ShowControls();
}

void CPptySample::OnRevert() {
    if (m_buffer == nullptr || m_view == nullptr)
        return;
    const SampleFormat original = m_view->GetDocument()->originalFormat;
    m_buffer->SetFormat(original);
    m_channels = original.IsStereo() ? 1 : 0;
    m_bits = original.Is16Bit() ? 1 : 0;
    m_frequency = HzText(original.GetFrequency());
    m_applying = true;
    m_view->SetStereoLayout(original.IsStereo());
    m_view->ZoomAll();
    m_applying = false;
    MatchQuality();
    ShowControls();
    ShowChange();
}

void CPptySample::OnConvert() {
    if (m_buffer == nullptr || m_view == nullptr)
        return;
    SampleFormat target;
    m_buffer->GetFormat(target);
    COrvexDoc* document = m_view->GetDocument();
    ApplyConvert(m_services.messages, *m_buffer, document->originalFormat, target);
    // Whatever the conversion managed, the page shows what the bytes now are.
    m_original->setText(QString::fromStdString(document->originalFormat.Describe()));
    m_view->SetStereoLayout(m_buffer->GetChannels() == 2);
    m_view->SetCaret(0, 0);
    m_view->ZoomAll();
    document->NoteSoundChanged(m_view);
    m_view->UpdateStatus();
}
