// --play and --record: playback and recording sessions on the default devices, waiting for
// the device's completion as the editor's window would receive it.
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "core/audio/AudioEventTarget.h"
#include "core/audio/CompletionQueue.h"
#include "core/audio/PlaybackSession.h"
#include "core/audio/RecordingSession.h"
#include "tools/batch/BatchOperations.h"

namespace {

// How long a device may stay silent before the tool gives up on it: a device that neither
// plays nor reports back must not hang the tool. ORVEX_DEVICE_PATIENCE_SECONDS replaces it (the
// tests shorten it so that a device that stops answering is given up on quickly).
constexpr std::chrono::seconds kDeviceSilence(10);

std::chrono::seconds DeviceSilence() {
    const char* text = std::getenv("ORVEX_DEVICE_PATIENCE_SECONDS");
    uint32_t seconds = 0;
    if (text != nullptr && ParseUnsigned(text, seconds))
        return std::chrono::seconds(seconds);
    return kDeviceSilence;
}

class WaitingTarget : public AudioEventTarget {
public:
    CompletionDispatcher& Dispatcher() override { return m_queue; }
    void OnPlayDone() override { m_playDone = true; }
    void OnRecordData(RecordHeader* header) override { m_header = header; }

    // Runs completions until `finished` holds; false when the device went quiet.
    template <typename Finished>
    bool WaitFor(Finished finished, std::chrono::seconds patience) {
        while (!finished()) {
            if (!m_queue.RunNext(patience))
                return false;
        }
        return true;
    }

    CompletionQueue m_queue;
    bool m_playDone = false;
    RecordHeader* m_header = nullptr;
};

int DeviceFailure(const char* what, unsigned code) {
    std::fprintf(stderr, "orvex-batch: %s (device error %u)\n", what, code);
    return kBatchDeviceFailed;
}

// Patience for a block of `bytes` at `bytesPerSecond`: its own length plus the silence margin.
std::chrono::seconds Patience(uint64_t bytes, uint64_t bytesPerSecond) {
    return DeviceSilence() + std::chrono::seconds(bytes / (bytesPerSecond ? bytesPerSecond : 1));
}

int PlayRange(BatchContext& context) {
    SampleBuffer& sample = context.sample;
    AudioBackend& devices = context.services.devices;
    if (sample.GetFrameCount() == 0) {
        return kBatchOk;  // nothing to play
    }
    // Declared after the target, so the device is closed before the target goes.
    WaitingTarget target;
    PlaybackSession playback(sample, devices);
    const uint32_t first = context.RangeFirst();
    const uint32_t last = context.RangeLast();
    const uint16_t result = playback.Play(&target, kDefaultAudioDevice, first, last);
    if (result != 0) {
        return DeviceFailure("could not play", result);
    }
    const uint64_t bytes = uint64_t{last - first + 1} * sample.GetBytesPerFrame();
    const bool finished = target.WaitFor(
        [&] { return target.m_playDone; },
        Patience(bytes, uint64_t{sample.GetFrequency()} * sample.GetBytesPerFrame()));
    // Returns promptly even when the device hangs: the stop does not wait on it.
    playback.ClosePlay();
    if (!finished) {
        return DeviceFailure("the output device stopped responding", 0);
    }
    if (playback.GetBlockResult() != kAudioOk) {
        return DeviceFailure("the output device failed", playback.GetBlockResult());
    }
    return kBatchOk;
}

// The block size of a recording, as the Recording Options dialog computes it: a 64-bit product
// clamped to 32 bits, so a request too large fails to allocate rather than wrapping round.
uint32_t RecordBlockSize(uint32_t seconds, const SampleFormat& format) {
    uint64_t bytes = uint64_t{format.GetFrequency()} * seconds;
    if (format.GetBits() == 16)
        bytes *= 2;
    if (format.GetChannels() == 2)
        bytes *= 2;
    return bytes > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<uint32_t>(bytes);
}

int RecordInto(BatchContext& context, uint32_t seconds, const SampleFormat& format) {
    SampleBuffer& sample = context.sample;
    AudioBackend& devices = context.services.devices;
    MessageSink& messages = context.services.messages;
    sample.SetFormat(format);
    WaitingTarget target;
    RecordingSession recording(sample, devices, messages);
    const uint32_t blockBytes = RecordBlockSize(seconds, format);
    if (recording.Record(&target, blockBytes, kDefaultAudioDevice) != 1) {
        context.originalFormat = format;
        std::fprintf(stderr, "orvex-batch: the recording could not be started\n");
        return kBatchDeviceFailed;
    }
    bool finished = false;
    const bool answered = target.WaitFor(
        [&] {
            if (target.m_header != nullptr) {
                finished = recording.RecordBufferDone(target.m_header) == 1;
                target.m_header = nullptr;
            }
            return finished;
        },
        Patience(blockBytes, format.GetFrequency() * format.GetBytesPerFrame()));
    if (!answered) {
        recording.Stop();  // keeps what was recorded
    }
    context.originalFormat = format;
    if (!answered) {
        return DeviceFailure("the input device stopped responding", 0);
    }
    if (recording.GetBlockResult() != kAudioOk) {
        // What came before the failure stays the sound, as after a stop.
        return DeviceFailure("the input device failed", recording.GetBlockResult());
    }
    return kBatchOk;
}

std::optional<BatchStep> ParseRecord(const std::string& arg, std::string& error) {
    const auto comma = arg.find(',');
    uint32_t seconds = 0;
    SampleFormat format;
    if (comma == std::string::npos || !ParseUnsigned(arg.substr(0, comma), seconds) ||
        !ParseFormat(arg.substr(comma + 1), format)) {
        error =
            "--record takes SECONDS,RATE,BITS,CHANNELS with RATE 1..50000, BITS 8 or 16 "
            "and CHANNELS 1 or 2";
        return std::nullopt;
    }
    return BatchStep(
        [seconds, format](BatchContext& context) { return RecordInto(context, seconds, format); });
}

}  // namespace

void AddAudioOperations(BatchOperationTable& table) {
    table.push_back(PlainOperation(
        "--play", "play the range on the default output device and wait until it has finished",
        PlayRange));
    table.push_back({"--record", "", "SECONDS,RATE,BITS,CHANNELS",
                     "replace the sound by a recording of that length from the default input "
                     "device",
                     ParseRecord});
}
