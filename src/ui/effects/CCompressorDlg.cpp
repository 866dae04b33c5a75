#include "ui/effects/CCompressorDlg.h"

#include "core/effects/CurveModel.h"
#include "ui/effects/CManipListener.h"

CCompressorDlg::CCompressorDlg(Services& services, QWidget* parent)
    : CCurveDlg(services, QStringLiteral("Compressor / Expander"), parent) {
    Finish(CurveModel::kCompressorPresets, CurveModel::kDiagonal,
           std::make_unique<CCompressorListener>(Readout()));
}
