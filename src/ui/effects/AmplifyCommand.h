#pragma once

#include <cstdint>
#include <string>

class CAmplifyDlg;
class QWidget;
class SampleBuffer;

// What the user chose in "Adjust Volume".
struct AmplifyChoice {
    float left = 100.0f;   // percent
    float right = 100.0f;  // percent
    bool dcBias = false;
    std::string dcBiasText;  // percent of full scale, read as a leading number
};

AmplifyChoice ChoiceOf(const CAmplifyDlg& dialog);

// Applies the choice to frames start..end of the channels the selector names (0 both, 1 left,
// 2 right): each channel by its own volume, then the DC bias over the whole sample if asked.
void ApplyAmplify(SampleBuffer& sample, uint32_t start, uint32_t end, uint32_t selector,
                  const AmplifyChoice& choice);

// The "&Amplify..." command: runs the dialog on the marked range and applies it on OK. True when
// the sound was changed (the caller repaints).
bool RunAmplifyCommand(QWidget* parent, SampleBuffer& sample, bool stereoView, uint32_t start,
                       uint32_t end, uint32_t selector);
