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
