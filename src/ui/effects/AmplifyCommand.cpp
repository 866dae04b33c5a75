#include "ui/effects/AmplifyCommand.h"

#include "core/effects/Amplify.h"
#include "core/effects/VolumeText.h"
#include "core/sample/SampleBuffer.h"
#include "ui/effects/AmplifyDlg.h"

AmplifyChoice ChoiceOf(const CAmplifyDlg& dialog) {
    return AmplifyChoice{dialog.m_fLeft, dialog.m_fRight, dialog.m_bDcBias, dialog.m_strDcBias};
}

void ApplyAmplify(SampleBuffer& sample, uint32_t start, uint32_t end, uint32_t selector,
                  const AmplifyChoice& choice) {
    const bool stereo = sample.GetChannels() == 2;
    const float left = choice.left / 100.0f;
    const float right = choice.right / 100.0f;
    if (selector == 1 || (selector == 0 && !stereo)) {
        Amplify(sample, left, start, end, selector);
    } else if (selector == 2) {
        Amplify(sample, right, start, end, 2);
    } else if (selector == 0) {
        Amplify(sample, left, start, end, 1);
        Amplify(sample, right, start, end, 2);
    }
    if (choice.dcBias) {
        AdjustDcBias(sample, static_cast<float>(LeadingNumber(choice.dcBiasText)), selector);
    }
}

bool RunAmplifyCommand(QWidget* parent, SampleBuffer& sample, bool stereoView, uint32_t start,
                       uint32_t end, uint32_t selector) {
    CAmplifyDlg dialog(&sample, stereoView, start, end, selector, parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    ApplyAmplify(sample, start, end, selector, ChoiceOf(dialog));
    return true;
}
