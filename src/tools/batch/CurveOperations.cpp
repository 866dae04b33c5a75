// --envelope, --compress, --pan and --spectrum. A CURVE is T:V,T:V,... with positions T from 0
// to 1 and values V in 0..1 (1 at the top), loaded as a stored preset is loaded into a curve
// editor whose right and bottom edges are both 1004.
#include <cstdio>

#include "batch/BatchOperations.h"
#include "effects/Compressor.h"
#include "effects/CurveModel.h"
#include "effects/Envelope.h"
#include "effects/Panning.h"
#include "effects/Spectrum.h"
#include "effects/VolumeText.h"

namespace {

constexpr const char* kCurveHelp =
    "CURVE is T:V,T:V,... from T=0 to T=1 in order, with values V in 0..1";

bool ParseCurve(const std::string& text, CurveModel& curve, std::string& error) {
    std::vector<std::pair<float, float>> fractions;
    double previous = 0.0;
    for (const auto& point : SplitFields(text, ',')) {
        const auto parts = SplitFields(point, ':');
        double t = 0;
        double v = 0;
        if (parts.size() != 2 || !ParseNumber(parts[0], t) || !ParseNumber(parts[1], v) ||
            t < previous || t > 1.0 || v < 0.0 || v > 1.0) {
            error = std::string("bad curve '") + text + "': " + kCurveHelp;
            return false;
        }
        previous = t;
        fractions.emplace_back(static_cast<float>(t), 1.0f - static_cast<float>(v));
    }
    if (fractions.size() < 2 || fractions.size() > CurveModel::kMaxPoints ||
        fractions.front().first != 0.0f || fractions.back().first != 1.0f) {
        error = std::string("bad curve '") + text + "': " + kCurveHelp;
        return false;
    }
    curve.Resize(1004 + 5, 1004 + 5);
    curve.LoadFractions(fractions);
    return true;
}

std::optional<BatchStep> ParseEnvelope(const std::string& arg, std::string& error) {
    const size_t at = arg.find('@');
    const std::string amplification = at == std::string::npos ? "100" : arg.substr(at + 1);
    double number = 0;
    CurveModel curve;
    if (!ParseCurve(arg.substr(0, at), curve, error)) return std::nullopt;
    if (!ParseNumber(amplification, number)) {
        error = "--envelope takes CURVE[@PCT] with PCT a percentage";
        return std::nullopt;
    }
    return BatchStep([curve, amplification](BatchContext& c) {
        const auto a = static_cast<float>(LeadingNumber(amplification) * 0.01);
        ApplyEnvelope(c.sample, curve, a, c.RangeFirst(), c.RangeLast(), c.channel);
        return int{kBatchOk};
    });
}

std::optional<BatchStep> ParseCompress(const std::string& arg, std::string& error) {
    CurveModel curve;
    if (!ParseCurve(arg, curve, error)) return std::nullopt;
    return BatchStep([curve](BatchContext& c) {
        ApplyCompressor(c.sample, curve, c.RangeFirst(), c.RangeLast(), c.channel);
        return int{kBatchOk};
    });
}

std::optional<BatchStep> ParsePan(const std::string& arg, std::string& error) {
    CurveModel curve;
    if (!ParseCurve(arg, curve, error)) return std::nullopt;
    return BatchStep([curve](BatchContext& c) {
        ApplyPanning(c.sample, curve, c.RangeFirst(), c.RangeLast());
        return int{kBatchOk};
    });
}

std::optional<BatchStep> ParseSpectrum(const std::string& arg, std::string& error) {
    uint32_t frame = 0;
    if (!ParseUnsigned(arg, frame) || frame > INT32_MAX) {
        error = "--spectrum takes a frame number";
        return std::nullopt;
    }
    return BatchStep([frame](BatchContext& c) {
        std::vector<float> data;
        ComputeSpectrum(c.sample, static_cast<int32_t>(frame), kSpectrumPoints, data);
        for (float magnitude : SpectrumMagnitudes(data, kSpectrumPoints)) {
            std::printf("%.3f\n", static_cast<double>(magnitude));
        }
        return int{kBatchOk};
    });
}

}  // namespace

void AddCurveOperations(BatchOperationTable& table) {
    table.push_back({"--envelope", "", "CURVE[@PCT]",
                     "shape the range's volume along CURVE, amplified by PCT percent",
                     ParseEnvelope});
    table.push_back({"--compress", "", "CURVE", "map the range's levels through CURVE",
                     ParseCompress});
    table.push_back({"--pan", "", "CURVE", "pan the range: CURVE is the left channel's share",
                     ParsePan});
    table.push_back({"--spectrum", "", "FRAME",
                     "print the 1024 magnitudes of the frequency view taken at FRAME",
                     ParseSpectrum});
}
