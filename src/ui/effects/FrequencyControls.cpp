#include "ui/effects/FrequencyControls.h"

#include <QComboBox>
#include <QLineEdit>

#include "core/effects/SampleRatePresets.h"

std::string FrequencyText(long long hz) {
    return std::to_string(hz) + " Hz";
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

int RefillPresetNames(QComboBox* combo, SampleRatePresets& presets, const std::string& chosen) {
    FillPresetNames(combo, presets);
    const int index = combo->findText(QString::fromStdString(chosen),
                                      Qt::MatchFixedString | Qt::MatchCaseSensitive);
    if (chosen.empty() || index < 0)
        return -1;
    combo->setCurrentIndex(index);
    return index;
}
