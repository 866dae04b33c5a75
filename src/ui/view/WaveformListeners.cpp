#include "ui/view/WaveformListeners.h"

namespace {
SampleSheetListener* g_sheet = nullptr;
SpectrumListener* g_spectrum = nullptr;
}  // namespace

void SetSampleSheetListener(SampleSheetListener* sheet) {
    g_sheet = sheet;
}
SampleSheetListener* GetSampleSheetListener() {
    return g_sheet;
}
void SetSpectrumListener(SpectrumListener* spectrum) {
    g_spectrum = spectrum;
}
SpectrumListener* GetSpectrumListener() {
    return g_spectrum;
}
