// Presets come from the settings store, which other programs and older versions write: any
// bytes as a curve preset's "Data" or as a sample-rate preset's values load without a crash.
#include <algorithm>
#include <vector>

#include "core/effects/CurveModel.h"
#include "core/effects/SampleRatePresets.h"
#include "core/messages/MessageSink.h"
#include "core/settings/MemorySettingsStore.h"
#include "core/settings/SettingsStore.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemorySettingsStore store;
    SilentMessageSink messages;
    // The first byte chooses how many of the next bytes each sample-rate value takes (values of
    // the wrong size must be refused); the rest is the curve data.
    const size_t wordSize = size == 0 ? 0 : data[0] % 8;
    size_t at = size == 0 ? 0 : 1;
    const std::string rateKey = JoinKey(SampleRatePresets::kKey, "p");
    for (const char* name : {"Frequency", "Channels", "Bits"}) {
        const size_t take = std::min(wordSize, size - at);
        store.SetBytes(rateKey, name, std::vector<uint8_t>(data + at, data + at + take),
                       SettingsValueType::None);
        at += take;
    }
    SampleRatePresets presets(store);
    presets.Load("p");
    presets.Find(presets.Frequency, presets.Channels, presets.Bits);

    for (const char* category : {CurveModel::kEnvelopePresets, CurveModel::kPanningPresets,
                                 CurveModel::kCompressorPresets}) {
        const std::string key = JoinKey(JoinKey(kOrvexKey, category), "c");
        store.SetBytes(key, "Data", std::vector<uint8_t>(data + at, data + size));
        CurveModel model(messages);
        if (model.LoadPreset(store, category, "c"))
            for (float t = 0.0f; t <= 1.0f; t += 0.125f) model.Evaluate(t);
    }
    return 0;
}
