#pragma once

#include <string>

class CUpDown;
class QComboBox;
class QWidget;
class SampleRatePresets;

// The frequency box shared by the Convert Sample and Sample Presets dialogs: an editable combo
// (id 1001) of at most 10 characters listing the usual rates, and arrows (id 1104) that hold
// frequency - 32767, for 4000 to 48000 Hz.
inline constexpr int kFrequencyOffset = 32767;

QComboBox* MakeFrequencyCombo(QWidget* parent);
CUpDown* MakeFrequencyArrows(QWidget* parent);

// "%d Hz".
std::string FrequencyText(long long hz);
// Puts the arrows at the number the frequency text starts with.
void SyncFrequencyArrows(CUpDown* arrows, const std::string& frequencyText);

// An editable combo of preset names (id 1053) of at most `limit` characters.
QComboBox* MakePresetNameCombo(QWidget* parent, int limit);
// Lists every stored preset name in store order; the text typed in the box stays.
void FillPresetNames(QComboBox* combo, SampleRatePresets& presets);
