#include "platform/audio/PortAudioBackend.h"

#include <portaudio.h>

#include <algorithm>

#include "platform/audio/PaBlockingStream.h"
#include "platform/audio/PortAudioSession.h"
#include "platform/audio/StreamInput.h"
#include "platform/audio/StreamOutput.h"

namespace {

uint32_t ResultOf(PaError error) {
    switch (error) {
        case paNoError:
            return kAudioOk;
        case paInvalidDevice:
            return kAudioBadDeviceId;
        case paDeviceUnavailable:
            return kAudioAllocated;
        case paInsufficientMemory:
            return kAudioNoMemory;
        case paInvalidSampleRate:
        case paSampleFormatNotSupported:
        case paInvalidChannelCount:
            return kAudioBadFormat;
        case paNotInitialized:
            return kAudioNoDriver;
        default:
            return kAudioError;
    }
}

// PortAudio's index of device number `device` of one direction.
uint32_t FindDevice(int device, bool output, PaDeviceIndex& index) {
    const PaDeviceIndex count = Pa_GetDeviceCount();
    if (count <= 0)
        return kAudioNoDriver;
    if (device == kDefaultAudioDevice) {
        index = output ? Pa_GetDefaultOutputDevice() : Pa_GetDefaultInputDevice();
        return index == paNoDevice ? uint32_t{kAudioBadDeviceId} : uint32_t{kAudioOk};
    }
    int seen = 0;
    for (PaDeviceIndex i = 0; i < count; ++i) {
        const PaDeviceInfo* info = Pa_GetDeviceInfo(i);
        const int channels = output ? info->maxOutputChannels : info->maxInputChannels;
        if (channels > 0 && seen++ == device) {
            index = i;
            return kAudioOk;
        }
    }
    return kAudioBadDeviceId;
}

// Opens a blocking stream of one direction; `session` stays with the device made from it.
uint32_t OpenStream(int device, const AudioFormat& format, bool output, PortAudioSession& session,
                    PaStream*& stream) {
    if (!session.IsOpen())
        return kAudioNoDriver;
    PaDeviceIndex index = paNoDevice;
    if (const uint32_t found = FindDevice(device, output, index); found != kAudioOk) {
        return found;
    }
    if (!IsPlayableFormat(format))
        return kAudioBadFormat;
    PaStreamParameters params{};
    params.device = index;
    params.channelCount = format.channels;
    params.sampleFormat = format.bitsPerSample == 16 ? paInt16 : paUInt8;
    const PaDeviceInfo* info = Pa_GetDeviceInfo(index);
    params.suggestedLatency =
        output ? info->defaultHighOutputLatency : info->defaultHighInputLatency;
    const PaStreamParameters* in = output ? nullptr : &params;
    const PaStreamParameters* out = output ? &params : nullptr;
    const double rate = format.samplesPerSecond;
    if (const PaError supported = Pa_IsFormatSupported(in, out, rate);
        supported != paFormatIsSupported) {
        return ResultOf(supported);
    }
    // Samples pass unchanged: no clipping or dithering, so the bytes arrive as they are.
    return ResultOf(Pa_OpenStream(&stream, in, out, rate, paFramesPerBufferUnspecified,
                                  paClipOff | paDitherOff, nullptr, nullptr));
}

// Reads and writes of about 20 ms: pause, reset and close are noticed within that.
uint32_t PeriodFrames(const AudioFormat& format) {
    return std::max<uint32_t>(64, format.samplesPerSecond / 50);
}

}  // namespace

uint32_t PortAudioBackend::OpenOutput(int device, const AudioFormat& format, AudioCompletion done,
                                      std::unique_ptr<AudioOutput>& out) {
    auto session = std::make_unique<PortAudioSession>();
    PaStream* stream = nullptr;
    const uint32_t result = OpenStream(device, format, true, *session, stream);
    if (result != kAudioOk)
        return result;
    out = std::make_unique<StreamOutput>(
        std::make_unique<PaBlockingStream>(std::move(session), stream), format.blockAlign,
        format.samplesPerSecond, PeriodFrames(format), std::move(done));
    return kAudioOk;
}

uint32_t PortAudioBackend::OpenInput(int device, const AudioFormat& format, AudioCompletion data,
                                     std::unique_ptr<AudioInput>& out) {
    auto session = std::make_unique<PortAudioSession>();
    PaStream* stream = nullptr;
    const uint32_t result = OpenStream(device, format, false, *session, stream);
    if (result != kAudioOk)
        return result;
    out = std::make_unique<StreamInput>(
        std::make_unique<PaBlockingStream>(std::move(session), stream), format.blockAlign,
        PeriodFrames(format), std::move(data));
    return kAudioOk;
}
