#include "core/audio/AudioDevice.h"

namespace {

// A machine without any audio system.
class NoAudioBackend : public AudioBackend {
public:
    uint32_t OpenOutput(int, const AudioFormat&, AudioCompletion,
                        std::unique_ptr<AudioOutput>&) override {
        return kAudioNoDriver;
    }
    uint32_t OpenInput(int, const AudioFormat&, AudioCompletion,
                       std::unique_ptr<AudioInput>&) override {
        return kAudioNoDriver;
    }
};

NoAudioBackend g_none;
AudioBackend* g_backend = &g_none;

}  // namespace

bool IsPlayableFormat(const AudioFormat& format) {
    if (format.formatTag != 1 || (format.channels != 1 && format.channels != 2) ||
        (format.bitsPerSample != 8 && format.bitsPerSample != 16)) {
        return false;
    }
    if (format.samplesPerSecond == 0 || format.samplesPerSecond > 50000) {
        return false;
    }
    return format.blockAlign == format.channels * format.bitsPerSample / 8;
}

AudioBackend& AudioDevices() {
    return *g_backend;
}

AudioBackend* SetAudioBackend(AudioBackend* backend) {
    AudioBackend* previous = g_backend == &g_none ? nullptr : g_backend;
    g_backend = backend != nullptr ? backend : &g_none;
    return previous;
}
