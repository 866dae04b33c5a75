#include "ui/effects/CStereoPanDlg.h"

#include "core/effects/CurveModel.h"
#include "core/sample/SampleBuffer.h"
#include "ui/effects/CManipListener.h"

CStereoPanDlg::CStereoPanDlg(Services& services, const SampleBuffer& buffer, uint32_t start,
                             uint32_t end, QWidget* parent)
    : CCurveDlg(services, QStringLiteral("Stereo Panning"), parent) {
    const uint32_t rate = buffer.FormatRef().GetFrequency();
    Finish(CurveModel::kPanningPresets, CurveModel::kMiddle,
           std::make_unique<CPanningListener>(Readout(), SecondsOf(start, rate),
                                              SecondsOf(end, rate)));
}
