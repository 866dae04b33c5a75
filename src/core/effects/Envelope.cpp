#include "core/effects/Envelope.h"

#include <algorithm>

#include "core/effects/CurveCursor.h"
#include "core/effects/CurveModel.h"
#include "core/effects/VectorClones.h"
#include "core/sample/FrameChangeNote.h"
#include "core/sample/FrameConversion.h"
#include "core/sample/FrameRange.h"
#include "core/sample/SampleBuffer.h"

#if ORVEX_HAS_AVX2_KERNELS
#include <immintrin.h>
#endif

namespace {

uint8_t Scale8(uint8_t b, float gain) {
    float v = static_cast<float>(static_cast<int8_t>(b ^ 0x80)) * gain;
    if (v != v)
        v = 0.0f;  // an infinite gain times silence
    v = v > 127.0f ? 127.0f : (v < -128.0f ? -128.0f : v);
    return static_cast<uint8_t>(static_cast<int>(v) ^ 0x80);
}

int16_t Scale16(int16_t s, float gain) {
    float v = static_cast<float>(s) * gain;
    if (v != v)
        v = 0.0f;
    v = v > 32767.0f ? 32767.0f : (v < -32768.0f ? -32768.0f : v);
    return static_cast<int16_t>(v);
}

// One frame's scaling with the layout and the selector worked out once for a whole range.
class FrameScaler {
public:
    FrameScaler(SampleBuffer& sample, uint32_t channel)
        : m_data(sample.Data()),
          m_bytesPerFrame(sample.GetBytesPerFrame()),
          m_wide(sample.FormatRef().Is16Bit()),
          m_first(channel != kRightChannel || !sample.FormatRef().IsStereo()),
          m_second(sample.FormatRef().IsStereo() && channel != kLeftChannel) {}

    void Scale(float gain, uint32_t frame) const {
        // A gain that is not a number scales nothing rather than producing undefined samples.
        if (gain != gain)
            gain = 0.0f;
        uint8_t* p = m_data + size_t{frame} * m_bytesPerFrame;
        if (!m_wide) {
            if (m_first)
                p[0] = Scale8(p[0], gain);
            if (m_second)
                p[1] = Scale8(p[1], gain);
            return;
        }
        if (m_first)
            frames::Store16(p, Scale16(frames::Load16(p), gain));
        if (m_second)
            frames::Store16(p + 2, Scale16(frames::Load16(p + 2), gain));
    }

private:
    uint8_t* m_data;
    size_t m_bytesPerFrame;
    bool m_wide;
    bool m_first;
    bool m_second;
};

// Frames are walked in runs: the positions, the gains and then the samples of a run each in a
// loop of their own without branches, which the compiler turns into vector code.
constexpr uint32_t kRun = 1024;

// Scales `count` values `Step` bytes apart at `p` by their gains, in three plain loops (read the
// values, scale them as Scale8 and Scale16 do, write them back) that each become vector code.
template <bool Wide, uint32_t Step>
ORVEX_VECTOR_CLONES void ScaleValues(uint8_t* p, const float* gains, uint32_t count) {
    constexpr float kHigh = Wide ? 32767.0f : 127.0f;
    constexpr float kLow = Wide ? -32768.0f : -128.0f;
    float values[2 * kRun];
    int32_t scaled[2 * kRun];
    for (uint32_t i = 0; i < count; ++i) {
        if constexpr (Wide) {
            values[i] = static_cast<float>(frames::Load16(p + i * Step));
        } else {
            values[i] = static_cast<float>(static_cast<int8_t>(p[i * Step] ^ 0x80));
        }
    }
    for (uint32_t i = 0; i < count; ++i) {
        float v = values[i] * gains[i];
        v = v != v ? 0.0f : v;  // an infinite gain times silence
        v = v > kHigh ? kHigh : (v < kLow ? kLow : v);
        scaled[i] = static_cast<int32_t>(v);
    }
    for (uint32_t i = 0; i < count; ++i) {
        if constexpr (Wide) {
            frames::Store16(p + i * Step, static_cast<int16_t>(scaled[i]));
        } else {
            p[i * Step] = static_cast<uint8_t>(scaled[i] ^ 0x80);
        }
    }
}

// Scales `count` frames at `p` by their gains; the layout and the channels are fixed for the loop.
// Both channels of a stereo run are one row of values, each frame's gain given twice.
template <bool Wide, uint32_t Channels, bool First, bool Second>
ORVEX_VECTOR_CLONES void ScaleRun(uint8_t* p, const float* gains, uint32_t count) {
    constexpr uint32_t valueBytes = Wide ? 2 : 1;
    constexpr uint32_t frameBytes = valueBytes * Channels;
    if constexpr (First && Second) {
        float pairs[2 * kRun];
        for (uint32_t i = 0; i < count; ++i) pairs[2 * i] = pairs[2 * i + 1] = gains[i];
        ScaleValues<Wide, valueBytes>(p, pairs, 2 * count);
    } else if constexpr (First) {
        ScaleValues<Wide, frameBytes>(p, gains, count);
    } else {
        ScaleValues<Wide, frameBytes>(p + valueBytes, gains, count);
    }
}

#if ORVEX_HAS_AVX2_KERNELS
// Eight signed 8-bit values (the low half of `values`) times eight gains, as Scale8 works them out.
ORVEX_AVX2 inline __m256i ScaleEight(__m128i values, __m256 gains) {
    const __m256 v = _mm256_mul_ps(_mm256_cvtepi32_ps(_mm256_cvtepi8_epi32(values)), gains);
    const __m256 real =
        _mm256_and_ps(v, _mm256_cmp_ps(v, v, _CMP_ORD_Q));  // silence times infinity
    const __m256 clamped =
        _mm256_min_ps(_mm256_max_ps(real, _mm256_set1_ps(-128.0f)), _mm256_set1_ps(127.0f));
    return _mm256_cvttps_epi32(clamped);
}

// 32 consecutive 8-bit values at `p`, eight to each of the four gain vectors in order.
ORVEX_AVX2 inline void ScaleThirtyTwo(uint8_t* p, __m256 g0, __m256 g1, __m256 g2, __m256 g3) {
    const __m256i flip = _mm256_set1_epi8(static_cast<char>(0x80));
    const __m256i in =
        _mm256_xor_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)), flip);
    const __m128i low = _mm256_castsi256_si128(in);
    const __m128i high = _mm256_extracti128_si256(in, 1);
    const __m256i a = ScaleEight(low, g0);
    const __m256i b = ScaleEight(_mm_srli_si128(low, 8), g1);
    const __m256i c = ScaleEight(high, g2);
    const __m256i d = ScaleEight(_mm_srli_si128(high, 8), g3);
    // The values already lie in -128..127, so the saturating packs keep them; they leave the
    // four-byte groups in the order 0 4 1 5 2 6 3 7.
    const __m256i packed = _mm256_packs_epi16(_mm256_packs_epi32(a, b), _mm256_packs_epi32(c, d));
    const __m256i ordered =
        _mm256_permutevar8x32_epi32(packed, _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), _mm256_xor_si256(ordered, flip));
}

// 8-bit mono: one gain per value.
ORVEX_AVX2 void ScaleMono8Avx2(uint8_t* p, const float* gains, uint32_t count) {
    uint32_t i = 0;
    for (; i + 32 <= count; i += 32) {
        ScaleThirtyTwo(p + i, _mm256_loadu_ps(gains + i), _mm256_loadu_ps(gains + i + 8),
                       _mm256_loadu_ps(gains + i + 16), _mm256_loadu_ps(gains + i + 24));
    }
    ScaleRun<false, 1, true, false>(p + i, gains + i, count - i);
}

// 8-bit stereo, both channels: each frame's gain serves its two values.
ORVEX_AVX2 void ScaleStereo8Avx2(uint8_t* p, const float* gains, uint32_t count) {
    uint32_t f = 0;
    for (; f + 16 <= count; f += 16) {
        const __m256 a = _mm256_loadu_ps(gains + f);
        const __m256 b = _mm256_loadu_ps(gains + f + 8);
        // unpack doubles each gain within a 128-bit half; the permutes put the halves in order.
        const __m256 aLow = _mm256_unpacklo_ps(a, a);
        const __m256 aHigh = _mm256_unpackhi_ps(a, a);
        const __m256 bLow = _mm256_unpacklo_ps(b, b);
        const __m256 bHigh = _mm256_unpackhi_ps(b, b);
        ScaleThirtyTwo(p + 2 * f, _mm256_permute2f128_ps(aLow, aHigh, 0x20),
                       _mm256_permute2f128_ps(aLow, aHigh, 0x31),
                       _mm256_permute2f128_ps(bLow, bHigh, 0x20),
                       _mm256_permute2f128_ps(bLow, bHigh, 0x31));
    }
    ScaleRun<false, 2, true, true>(p + 2 * f, gains + f, count - f);
}
#endif

// The curve's values times the amplification, in place.
ORVEX_VECTOR_CLONES void ApplyAmplification(float* gains, uint32_t count, float amplification) {
    for (uint32_t i = 0; i < count; ++i) {
        const float gain = gains[i] * amplification;
        // A gain that is not a number scales nothing rather than producing undefined samples.
        gains[i] = gain != gain ? 0.0f : gain;
    }
}

using ScaleRunFn = void (*)(uint8_t*, const float*, uint32_t);

template <bool Wide>
ScaleRunFn ChooseScaleRun(bool stereo, uint32_t channel) {
#if ORVEX_HAS_AVX2_KERNELS
    if (!Wide && HasAvx2() && (!stereo || (channel != kLeftChannel && channel != kRightChannel)))
        return stereo ? ScaleStereo8Avx2 : ScaleMono8Avx2;
#endif
    if (!stereo)
        return ScaleRun<Wide, 1, true, false>;
    if (channel == kLeftChannel)
        return ScaleRun<Wide, 2, true, false>;
    if (channel == kRightChannel)
        return ScaleRun<Wide, 2, false, true>;
    return ScaleRun<Wide, 2, true, true>;
}

}  // namespace

void ScaleFrame(SampleBuffer& sample, float gain, uint32_t frame, uint32_t channel) {
    FrameScaler(sample, channel).Scale(gain, frame);
}

namespace {

ORVEX_VECTOR_CLONES void DividedPositions(double base, double span, uint32_t count, float* t) {
    for (uint32_t i = 0; i < count; ++i)
        t[i] = static_cast<float>((base + static_cast<double>(static_cast<int32_t>(i))) / span);
}

#if ORVEX_HAS_AVX2_KERNELS
// All ones in each lane whose low 29 bits lie within 8 of halfway (2^28): adding 8 - 2^28 brings
// those into 0..15, the only values with nothing above their lowest four bits once the carry out
// of the 29 bits is masked off.
ORVEX_AVX2 inline __m256i NearHalfway(__m256d q) {
    const __m256i recentre = _mm256_set1_epi64x(8 - (int64_t{1} << 28));
    const __m256i mask = _mm256_set1_epi64x(((int64_t{1} << 29) - 1) & ~int64_t{15});
    const __m256i x = _mm256_and_si256(_mm256_add_epi64(_mm256_castpd_si256(q), recentre), mask);
    return _mm256_cmpeq_epi64(x, _mm256_setzero_si256());
}

// Dividing is slow, so the positions come from products with the reciprocal, each within three
// units in the last place of the quotient CurvePosition rounds (one rounding in the reciprocal,
// one in the product, one in the quotient itself). Rounding to single precision drops the low 29
// bits, so the two agree unless those bits lie within a few units of halfway; false when any
// value does, and the run is divided out after all.
ORVEX_AVX2 bool ReciprocalPositions(double base, double span, uint32_t count, float* t) {
    const __m256d r = _mm256_set1_pd(1.0 / span);
    // Two sets of four positions per step, so that no step waits for the previous step's sum.
    __m256d low = _mm256_add_pd(_mm256_set1_pd(base), _mm256_setr_pd(0.0, 1.0, 2.0, 3.0));
    __m256d high = _mm256_add_pd(low, _mm256_set1_pd(4.0));
    __m256i unsure = _mm256_setzero_si256();
    uint32_t i = 0;
    for (; i + 8 <= count; i += 8) {
        const __m256d a = _mm256_mul_pd(low, r);
        const __m256d b = _mm256_mul_pd(high, r);
        _mm256_storeu_ps(t + i, _mm256_set_m128(_mm256_cvtpd_ps(b), _mm256_cvtpd_ps(a)));
        unsure = _mm256_or_si256(unsure, _mm256_or_si256(NearHalfway(a), NearHalfway(b)));
        low = _mm256_add_pd(low, _mm256_set1_pd(8.0));
        high = _mm256_add_pd(high, _mm256_set1_pd(8.0));
    }
    if (_mm256_testz_si256(unsure, unsure) == 0)
        return false;  // the caller divides the whole run out, this tail included
    DividedPositions(base + static_cast<double>(i), span, count - i, t + i);
    return true;
}
#endif

}  // namespace

void CurvePositions(uint32_t from, uint32_t count, uint32_t first, uint32_t last, float* t) {
    // The frame offsets are whole numbers well inside a double's exact range, so adding them up
    // is exact and each quotient is the one CurvePosition divides out.
    const auto base = static_cast<double>(int64_t{from} - int64_t{first});
    const auto span = static_cast<double>(int64_t{last} - int64_t{first});
#if ORVEX_HAS_AVX2_KERNELS
    if (span > 0.0 && HasAvx2() && ReciprocalPositions(base, span, count, t))
        return;
#endif
    DividedPositions(base, span, count, t);
}

void ApplyEnvelope(SampleBuffer& sample, const CurveModel& curve, float amplification,
                   uint32_t start, uint32_t end, uint32_t channel) {
    const FrameChangeNote note(sample, start, end);
    uint32_t first = start;
    uint32_t last = end;
    if (!ResolveFrames(sample, first, last))
        return;
    // Positions run over the frames really walked, so the whole-sample range and a range clipped
    // at the end of the sound still span the curve from its left to its right edge.
    CurveCursor cursor(curve);
    const bool stereo = sample.FormatRef().IsStereo();
    const ScaleRunFn scaleRun = sample.FormatRef().Is16Bit()
                                    ? ChooseScaleRun<true>(stereo, channel)
                                    : ChooseScaleRun<false>(stereo, channel);
    uint8_t* data = sample.Data();
    const size_t bytesPerFrame = sample.GetBytesPerFrame();
    float t[kRun];
    float gains[kRun];
    for (uint64_t from = first; from <= last; from += kRun) {
        const auto count =
            static_cast<uint32_t>(std::min<uint64_t>(kRun, uint64_t{last} - from + 1));
        CurvePositions(static_cast<uint32_t>(from), count, first, last, t);
        cursor.EvaluateRun(t, count, gains);
        ApplyAmplification(gains, count, amplification);
        scaleRun(data + from * bytesPerFrame, gains, count);
    }
}
