#include "ui/effects/FrequencyControls.h"

#include <QComboBox>
#include <QLineEdit>
#include <algorithm>

#include "core/effects/SampleRatePresets.h"
#include "core/effects/VolumeText.h"
#include "ui/controls/UpDown.h"

QComboBox* MakeFrequencyCombo(QWidget* parent) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QStringLiteral("1001"));
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->lineEdit()->setMaxLength(10);
    combo->addItems({QStringLiteral("44100 Hz"), QStringLiteral("22050 Hz"),
                     QStringLiteral("11025 Hz"), QStringLiteral("5018 Hz")});
    combo->setCurrentIndex(-1);
    return combo;
}

CUpDown* MakeFrequencyArrows(QWidget* parent) {
    auto* arrows = new CUpDown(parent);
    arrows->setObjectName(QStringLiteral("1104"));
    arrows->SetRange(4000 - kFrequencyOffset, 48000 - kFrequencyOffset);
    return arrows;
}

std::string FrequencyText(long long hz) {
    return std::to_string(hz) + " Hz";
}

void SyncFrequencyArrows(CUpDown* arrows, const std::string& frequencyText) {
    const long long position =
        static_cast<long long>(LeadingInteger(frequencyText)) - kFrequencyOffset;
    arrows->SetPosition(
        static_cast<int>(std::clamp<long long>(position, arrows->Minimum(), arrows->Maximum())));
}

QComboBox* MakePresetNameCombo(QWidget* parent, int limit) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QStringLiteral("1053"));
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->lineEdit()->setMaxLength(limit);
    return combo;
}

void FillPresetNames(QComboBox* combo, SampleRatePresets& presets) {
    const QString typed = combo->currentText();
    combo->clear();
    for (auto name = presets.First(); name; name = presets.Next()) {
        combo->addItem(QString::fromStdString(*name));
    }
    combo->setCurrentIndex(-1);
    combo->setEditText(typed);
}
