#pragma once

#include <string>

class QComboBox;
class QWidget;
class SampleRatePresets;

// "%d Hz".
std::string FrequencyText(long long hz);

// An editable combo of preset names (id 1053) of at most `limit` characters.
QComboBox* MakePresetNameCombo(QWidget* parent, int limit);
// Lists every stored preset name in store order; the text typed in the box stays.
void FillPresetNames(QComboBox* combo, SampleRatePresets& presets);
// After the presets dialog, which may add, change or delete presets: lists the names again and
// selects `chosen`, the preset the user ended with there; its index, or -1 when it is gone.
int RefillPresetNames(QComboBox* combo, SampleRatePresets& presets, const std::string& chosen);
