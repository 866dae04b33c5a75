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
