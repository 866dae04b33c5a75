// --envelope, --compress, --pan and --spectrum. A CURVE is T:V,T:V,... with positions T from 0
// to 1 and values V in 0..1 (1 at the top), loaded as a stored preset is loaded into a curve
// editor whose right and bottom edges are both 1004.
#include <cmath>
#include <cstdio>

#include "core/effects/Compressor.h"
#include "core/effects/CurveModel.h"
#include "core/effects/Envelope.h"
#include "core/effects/Panning.h"
#include "core/effects/Spectrum.h"
#include "core/effects/VolumeText.h"
#include "core/messages/MessageSink.h"
#include "tools/batch/BatchOperations.h"

namespace {

// The curves of the command line are loaded, never clicked, so they have nothing to beep about.
SilentMessageSink g_curvesNeverBeep;

constexpr const char* kCurveHelp =
    "CURVE is T:V,T:V,... from T=0 to T=1 in rising order, with values V in 0..1";
// The curve editor the command line stands for: right and bottom edges 1004, so a position T
// lands on column trunc(1000 * T) + 4.
constexpr int kCurveEdge = 1004;

bool CurveError(const std::string& text, const std::string& why, std::string& error) {
    error = "bad curve '" + text + "': " + why + " (" + kCurveHelp + ")";
    return false;
}

// The column a position falls on, computed as a preset load computes it.
int CurveColumn(float t) {
    return static_cast<int>(static_cast<float>(kCurveEdge - CurveModel::kMargin) * t);
}

bool ParseCurve(const std::string& text, CurveModel& curve, std::string& error) {
    std::vector<std::pair<float, float>> fractions;
    for (const auto& point : SplitFields(text, ',')) {
        const auto parts = SplitFields(point, ':');
        double t = 0;
        double v = 0;
        if (parts.size() != 2 || !ParseNumber(parts[0], t) || !ParseNumber(parts[1], v) ||
            !std::isfinite(t) || !std::isfinite(v)) {
            return CurveError(text, "'" + point + "' is not a point T:V", error);
        }
        if (t < 0.0 || t > 1.0)
            return CurveError(text, "position outside 0..1", error);
        if (v < 0.0 || v > 1.0)
            return CurveError(text, "value outside 0..1", error);
        const auto position = static_cast<float>(t);
        // Two points in one column would make a vertical step that no curve editor can hold.
        if (!fractions.empty() && CurveColumn(position) <= CurveColumn(fractions.back().first)) {
            return CurveError(text, "positions out of order or closer than 0.001", error);
        }
        fractions.emplace_back(position, 1.0f - static_cast<float>(v));
    }
    if (fractions.size() < 2 || fractions.front().first != 0.0f || fractions.back().first != 1.0f) {
        return CurveError(text, "the first point needs T=0 and the last T=1", error);
    }
    if (fractions.size() > CurveModel::kMaxPoints) {
        return CurveError(text, "more than 256 points", error);
    }
    curve.Resize(kCurveEdge + 5, kCurveEdge + 5);
    curve.LoadFractions(fractions);
    return true;
}

std::optional<BatchStep> ParseEnvelope(const std::string& arg, std::string& error) {
    const size_t at = arg.find('@');
    const std::string amplification = at == std::string::npos ? "100" : arg.substr(at + 1);
    double number = 0;
    CurveModel curve(g_curvesNeverBeep);
    if (!ParseCurve(arg.substr(0, at), curve, error))
        return std::nullopt;
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
    CurveModel curve(g_curvesNeverBeep);
    if (!ParseCurve(arg, curve, error))
        return std::nullopt;
    return BatchStep([curve](BatchContext& c) {
        ApplyCompressor(c.sample, curve, c.RangeFirst(), c.RangeLast(), c.channel);
        return int{kBatchOk};
    });
}

std::optional<BatchStep> ParsePan(const std::string& arg, std::string& error) {
    CurveModel curve(g_curvesNeverBeep);
    if (!ParseCurve(arg, curve, error))
        return std::nullopt;
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
    table.push_back(
        {"--compress", "", "CURVE", "map the range's levels through CURVE", ParseCompress});
    table.push_back(
        {"--pan", "", "CURVE", "pan the range: CURVE is the left channel's share", ParsePan});
    table.push_back({"--spectrum", "", "FRAME",
                     "print the 1024 magnitudes of the frequency view taken at FRAME",
                     ParseSpectrum});
}
