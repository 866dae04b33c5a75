#pragma once

#include <cstdint>

#include "ui/effects/CCurveDlg.h"

class SampleBuffer;

// "Stereo Panning": over frames start..end, the curve's value is the share of the mixed-down
// signal sent to the left channel; the rest goes to the right. It starts in the middle.
class CStereoPanDlg : public CCurveDlg {
    Q_OBJECT
public:
    CStereoPanDlg(Services& services, const SampleBuffer& buffer, uint32_t start, uint32_t end,
                  QWidget* parent = nullptr);
};
