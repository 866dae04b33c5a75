#pragma once

#include "core/audio/AudioDevice.h"

// The audio system on PortAudio's ALSA host API. Device numbers count the devices of one
// direction in PortAudio's order; kDefaultAudioDevice is its default device.
class PortAudioBackend : public AudioBackend {
public:
    uint32_t OpenOutput(int device, const AudioFormat& format, AudioCompletion done,
                        std::unique_ptr<AudioOutput>& out) override;
    uint32_t OpenInput(int device, const AudioFormat& format, AudioCompletion data,
                       std::unique_ptr<AudioInput>& out) override;
};
