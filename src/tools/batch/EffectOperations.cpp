// The effects that need no curve, each as the editor's command with its dialog confirmed.
#include <algorithm>

#include <cstdio>

#include "core/effects/Amplify.h"
#include "core/effects/ChangeSign.h"
#include "core/effects/Convert.h"
#include "core/effects/PeakSearch.h"
#include "core/effects/Reverse.h"
#include "core/effects/ULaw.h"
#include "core/effects/VolumeText.h"
#include "tools/batch/BatchOperations.h"

namespace {

// The Adjust Volume dialog's OK with these two volume texts (percent) on the range.
void AmplifyCommand(BatchContext& c, const std::string& leftText, const std::string& rightText) {
    const float left = VolumeFromText(leftText, false);
    const float right = VolumeFromText(rightText, false);
    const uint32_t first = c.RangeFirst();
    const uint32_t last = c.RangeLast();
    const bool stereo = c.sample.FormatRef().IsStereo();
    if (c.channel == 1 || (c.channel == 0 && !stereo)) {
        Amplify(c.sample, left / 100, first, last, c.channel);
    } else if (c.channel == 2) {
        Amplify(c.sample, right / 100, first, last, 2);
    } else {
        Amplify(c.sample, left / 100, first, last, 1);
        Amplify(c.sample, right / 100, first, last, 2);
    }
}

std::optional<BatchStep> ParseAmplify(const std::string& arg, std::string& error) {
    const auto fields = SplitFields(arg, ',');
    double number = 0;
    if (fields.size() > 2 || !ParseNumber(fields[0], number) ||
        (fields.size() == 2 && !ParseNumber(fields[1], number))) {
        error = "--amplify takes L[,R]: volumes in percent";
        return std::nullopt;
    }
    const std::string left = fields[0];
    const std::string right = fields.size() == 2 ? fields[1] : fields[0];
    return BatchStep([left, right](BatchContext& c) {
        AmplifyCommand(c, left, right);
        return int{kBatchOk};
    });
}

// "L&ock Left && Right" ticked, the normalise text, "&Normalise", then OK: the side that the
// selector leaves out keeps its initial "100".
std::optional<BatchStep> ParseNormalise(const std::string& arg, std::string& error) {
    double number = 0;
    if (!ParseNumber(arg, number)) {
        error = "--normalise takes a percentage";
        return std::nullopt;
    }
    return BatchStep([arg](BatchContext& c) {
        const float gain = PeakGain(c.sample, static_cast<int32_t>(c.RangeFirst()),
                                    static_cast<int32_t>(c.RangeLast()), 0);
        const std::string text = NormaliseText(LeadingInteger(arg), gain, false);
        AmplifyCommand(c, c.channel == 2 ? "100" : text, c.channel == 1 ? "100" : text);
        return int{kBatchOk};
    });
}

std::optional<BatchStep> ParseDcBias(const std::string& arg, std::string& error) {
    double number = 0;
    if (!ParseNumber(arg, number)) {
        error = "--dc-bias takes a percentage";
        return std::nullopt;
    }
    return BatchStep([arg](BatchContext& c) {
        AdjustDcBias(c.sample, static_cast<float>(LeadingNumber(arg)), c.channel);
        return int{kBatchOk};
    });
}

std::optional<BatchStep> ParseConvert(const std::string& arg, std::string& error) {
    SampleFormat target;
    if (!ParseFormat(arg, target)) {
        error = "--convert takes RATE,BITS,CHANNELS with RATE 1..50000, BITS 8|16, CHANNELS 1|2";
        return std::nullopt;
    }
    return BatchStep([target](BatchContext& c) {
        // As the Convert command: the bytes are taken to be in the stored format.
        const SampleFormat& from = c.originalFormat;
        const uint64_t frames = c.sample.GetByteLength() / from.GetBytesPerFrame();
        const uint64_t resampled = from.GetFrequency() == 0
                                       ? frames
                                       : frames * target.GetFrequency() / from.GetFrequency() + 1;
        // The conversion holds both layouts at once while it works.
        if (!FitsSoundLimit(c.services.messages, std::max(frames, resampled) * target.GetBytesPerFrame(), "Convert"))
            return int{kBatchOperationFailed};
        c.sample.SetFormat(c.originalFormat);
        if (!ChangeFormat(c.services.messages, c.sample, target))
            return int{kBatchOperationFailed};
        c.originalFormat = target;
        return int{kBatchOk};
    });
}

std::optional<BatchStep> ParseRelabel(const std::string& arg, std::string& error) {
    SampleFormat target;
    if (!ParseFormat(arg, target)) {
        error = "--relabel takes RATE,BITS,CHANNELS with RATE 1..50000, BITS 8|16, CHANNELS 1|2";
        return std::nullopt;
    }
    return BatchStep([target](BatchContext& c) {
        c.sample.SetFormat(target);
        return int{kBatchOk};
    });
}

int ReverseRange(BatchContext& c) {
    Reverse(c.sample, static_cast<int32_t>(c.RangeFirst()), static_cast<int32_t>(c.RangeLast()),
            c.channel);
    return kBatchOk;
}

int ChangeSignRange(BatchContext& c) {
    ChangeSign(c.sample, static_cast<int32_t>(c.RangeFirst()), static_cast<int32_t>(c.RangeLast()),
               c.channel);
    return kBatchOk;
}

int DecodeULawSound(BatchContext& c) {
    DecodeULaw(c.services.messages, c.sample);
    return kBatchOk;
}

int PrintPeak(BatchContext& c) {
    std::printf("peak=%u\n", PeakSearch(c.sample, static_cast<int32_t>(c.RangeFirst()),
                                        static_cast<int32_t>(c.RangeLast()), c.channel));
    return kBatchOk;
}

}  // namespace

void AddEffectOperations(BatchOperationTable& table) {
    table.push_back({"--amplify", "", "L[,R]",
                     "amplify the range by L and R percent (R defaults to L)", ParseAmplify});
    table.push_back(
        {"--normalise", "", "PCT", "normalise the range's peak to PCT percent", ParseNormalise});
    table.push_back({"--dc-bias", "", "PCT",
                     "remove the DC bias of the whole sound and shift it by PCT percent",
                     ParseDcBias});
    table.push_back({"--convert", "", "RATE,BITS,CHANNELS",
                     "convert the sound (from its stored format) to this format", ParseConvert});
    table.push_back({"--relabel", "", "RATE,BITS,CHANNELS",
                     "change the format without touching the bytes", ParseRelabel});
    table.push_back(PlainOperation("--reverse", "reverse the range", ReverseRange));
    table.push_back(
        PlainOperation("--change-sign", "change the sign of the range", ChangeSignRange));
    table.push_back(
        PlainOperation("--decode-ulaw", "decode the whole sound as mu-law codes", DecodeULawSound));
    table.push_back(
        PlainOperation("--peak", "print peak=F, the frame of the range's peak", PrintPeak));
}
