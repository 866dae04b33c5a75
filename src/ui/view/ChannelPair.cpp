#include "ui/view/ChannelPair.h"

#include "ui/view/CWaveformWnd.h"

CWaveformWnd* ChannelPair::WindowFor(int selector) const {
    switch (selector) {
        case 1:
            return m_upper;
        case 2:
            return m_lower;
        default:
            return nullptr;
    }
}

int ChannelPair::SelectorFor(bool upperMarked, bool lowerMarked) const {
    const bool stereo = m_lower != nullptr;
    if (stereo && upperMarked && !lowerMarked)
        return 1;
    if (stereo && lowerMarked && !upperMarked)
        return 2;
    return 0;
}

void RedrawWave(CWaveformWnd* window) {
    // A change of style to the same style redraws everything.
    if (window != nullptr)
        window->SetStyle(window->GetStyle());
}
