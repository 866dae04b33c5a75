#include "ui/effects/CurveCommands.h"

#include "core/effects/Compressor.h"
#include "core/effects/Envelope.h"
#include "core/effects/Panning.h"
#include "ui/controls/WaitCursor.h"
#include "ui/effects/CCompressorDlg.h"
#include "ui/effects/CEnvelopeDlg.h"
#include "ui/effects/CManipWnd.h"
#include "ui/effects/CStereoPanDlg.h"

// The curve is read after the dialog closed with OK and before it goes.

bool RunEnvelopeCommand(QWidget* parent, Services& services, SampleBuffer& sample, uint32_t start,
                        uint32_t end, uint32_t selector) {
    CEnvelopeDlg dialog(services, &sample, start, end, selector, parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const WaitCursor wait;
    ApplyEnvelope(sample, dialog.Curve()->Curve(), dialog.Amplification(), start, end, selector);
    return true;
}

bool RunCompressorCommand(QWidget* parent, Services& services, SampleBuffer& sample, uint32_t start,
                          uint32_t end, uint32_t selector) {
    CCompressorDlg dialog(services, parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const WaitCursor wait;
    ApplyCompressor(sample, dialog.Curve()->Curve(), start, end, selector);
    return true;
}

bool RunPanningCommand(QWidget* parent, Services& services, SampleBuffer& sample, uint32_t start,
                       uint32_t end) {
    CStereoPanDlg dialog(services, sample, start, end, parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const WaitCursor wait;
    ApplyPanning(sample, dialog.Curve()->Curve(), start, end);
    return true;
}
