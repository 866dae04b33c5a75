#pragma once

#include "ui/effects/CCurveDlg.h"

// "Compressor / Expander": the curve maps an input level (left to right) to an output level
// (bottom to top), the same for positive and negative samples. It starts as the diagonal, which
// leaves the sound as it is.
class CCompressorDlg : public CCurveDlg {
    Q_OBJECT
public:
    explicit CCompressorDlg(Services& services, QWidget* parent = nullptr);
};
