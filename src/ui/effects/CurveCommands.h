#pragma once

#include <cstdint>

class QWidget;
class SampleBuffer;
struct Services;

// The "&Envelope...", "C&ompressor / Expander..." and "Stereo Panning..." commands: each runs
// its dialog on frames start..end of the channels the selector names (0 both, 1 left, 2 right)
// and on OK applies the drawn curve to them, with the wait cursor while the sound is worked on.
// True when the sound was changed (the caller repaints); Cancel leaves it as it was. Panning
// always works on both channels of a stereo sound.
bool RunEnvelopeCommand(QWidget* parent, Services& services, SampleBuffer& sample, uint32_t start,
                        uint32_t end, uint32_t selector);
bool RunCompressorCommand(QWidget* parent, Services& services, SampleBuffer& sample, uint32_t start,
                          uint32_t end, uint32_t selector);
bool RunPanningCommand(QWidget* parent, Services& services, SampleBuffer& sample, uint32_t start,
                       uint32_t end);
