#include "core/effects/Panning.h"

#include <algorithm>

#include "core/effects/CurveCursor.h"
#include "core/effects/CurveModel.h"
#include "core/effects/Envelope.h"
#include "core/effects/VectorClones.h"
#include "core/sample/FrameChangeNote.h"
#include "core/sample/FrameConversion.h"
#include "core/sample/FrameRange.h"
#include "core/sample/SampleBuffer.h"

#if ORVEX_HAS_AVX2_KERNELS
#include <immintrin.h>
#endif

namespace {

// Pans the stereo frame at `at` with a share already in 0..1.
void PanStereoFrame(uint8_t* at, bool wide, float p) {
    if (!wide) {
        const int left = static_cast<int8_t>(at[0] ^ 0x80);
        const int right = static_cast<int8_t>(at[1] ^ 0x80);
        const int m = left / 2 + right / 2;
        at[0] = static_cast<uint8_t>(static_cast<int>(static_cast<float>(m) * p) ^ 0x80);
        at[1] = static_cast<uint8_t>(static_cast<int>(static_cast<float>(m) * (1.0f - p)) ^ 0x80);
        return;
    }
    const int m = frames::Load16(at) / 2 + frames::Load16(at + 2) / 2;
    frames::Store16(at, static_cast<int16_t>(static_cast<float>(m) * p));
    frames::Store16(at + 2, static_cast<int16_t>(static_cast<float>(m) * (1.0f - p)));
}

// The curve keeps p in 0..1; a share outside it would push the mix beyond the sample range.
float ClampShare(float p) {
    return p > 1.0f ? 1.0f : (p >= 0.0f ? p : 0.0f);
}

ORVEX_VECTOR_CLONES void ClampShares(float* shares, uint32_t count) {
    for (uint32_t i = 0; i < count; ++i) shares[i] = ClampShare(shares[i]);
}

// Frames are walked in runs: the positions, the shares and then the frames of a run each in a
// loop of their own without branches, which the compiler turns into vector code.
constexpr uint32_t kRun = 1024;

// Pans `count` stereo frames at `at` with their shares (already in 0..1) as PanStereoFrame does.
template <bool Wide>
ORVEX_VECTOR_CLONES void PanRun(uint8_t* at, const float* shares, uint32_t count) {
    constexpr uint32_t frameBytes = Wide ? 4 : 2;
    int32_t mix[kRun];
    int32_t left[kRun];
    int32_t right[kRun];
    for (uint32_t i = 0; i < count; ++i) {
        const uint8_t* p = at + i * frameBytes;
        if constexpr (Wide) {
            mix[i] = frames::Load16(p) / 2 + frames::Load16(p + 2) / 2;
        } else {
            mix[i] = static_cast<int8_t>(p[0] ^ 0x80) / 2 + static_cast<int8_t>(p[1] ^ 0x80) / 2;
        }
    }
    for (uint32_t i = 0; i < count; ++i) {
        const auto m = static_cast<float>(mix[i]);
        left[i] = static_cast<int32_t>(m * shares[i]);
        right[i] = static_cast<int32_t>(m * (1.0f - shares[i]));
    }
    for (uint32_t i = 0; i < count; ++i) {
        uint8_t* p = at + i * frameBytes;
        if constexpr (Wide) {
            frames::Store16(p, static_cast<int16_t>(left[i]));
            frames::Store16(p + 2, static_cast<int16_t>(right[i]));
        } else {
            p[0] = static_cast<uint8_t>(left[i] ^ 0x80);
            p[1] = static_cast<uint8_t>(right[i] ^ 0x80);
        }
    }
}

#if ORVEX_HAS_AVX2_KERNELS
// The mixes l / 2 + r / 2 of eight 8-bit stereo frames (16 signed values in `frames`).
ORVEX_AVX2 inline __m256i HalfSums(__m128i frames) {
    const __m256i wide = _mm256_cvtepi8_epi16(frames);
    // Halving truncates toward zero as integer division does: negative values get one added first.
    const __m256i halves =
        _mm256_srai_epi16(_mm256_add_epi16(wide, _mm256_srli_epi16(wide, 15)), 1);
    return _mm256_madd_epi16(halves, _mm256_set1_epi16(1));
}

// Eight frames' left and right values, interleaved as 16-bit numbers in frame order.
ORVEX_AVX2 inline __m256i PanEight(__m128i frames, __m256 shares) {
    const __m256 m = _mm256_cvtepi32_ps(HalfSums(frames));
    const __m256i left = _mm256_cvttps_epi32(_mm256_mul_ps(m, shares));
    const __m256i right =
        _mm256_cvttps_epi32(_mm256_mul_ps(m, _mm256_sub_ps(_mm256_set1_ps(1.0f), shares)));
    // The values lie in -128..126, so the saturating pack keeps them.
    return _mm256_packs_epi32(_mm256_unpacklo_epi32(left, right),
                              _mm256_unpackhi_epi32(left, right));
}

// PanRun<false> sixteen frames at a time.
ORVEX_AVX2 void PanRun8Avx2(uint8_t* at, const float* shares, uint32_t count) {
    const __m256i flip = _mm256_set1_epi8(static_cast<char>(0x80));
    uint32_t f = 0;
    for (; f + 16 <= count; f += 16) {
        uint8_t* p = at + 2 * f;
        const __m256i in =
            _mm256_xor_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)), flip);
        const __m256i first = PanEight(_mm256_castsi256_si128(in), _mm256_loadu_ps(shares + f));
        const __m256i second =
            PanEight(_mm256_extracti128_si256(in, 1), _mm256_loadu_ps(shares + f + 8));
        // The pack leaves the 8-byte groups (four frames each) in the order 0 2 1 3.
        const __m256i packed =
            _mm256_permute4x64_epi64(_mm256_packs_epi16(first, second), _MM_SHUFFLE(3, 1, 2, 0));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), _mm256_xor_si256(packed, flip));
    }
    PanRun<false>(at + 2 * f, shares + f, count - f);
}
#endif

// The run function for the sound's width, with the 8-bit loop in AVX2 where the processor has it.
using PanRunFn = void (*)(uint8_t*, const float*, uint32_t);
PanRunFn ChoosePanRun(bool wide) {
    if (wide)
        return PanRun<true>;
#if ORVEX_HAS_AVX2_KERNELS
    if (HasAvx2())
        return PanRun8Avx2;
#endif
    return PanRun<false>;
}

}  // namespace

void PanFrame(SampleBuffer& sample, float p, uint32_t frame) {
    if (!sample.FormatRef().IsStereo())
        return;
    PanStereoFrame(sample.Data() + size_t{frame} * sample.GetBytesPerFrame(),
                   sample.FormatRef().Is16Bit(), ClampShare(p));
}

void ApplyPanning(SampleBuffer& sample, const CurveModel& curve, uint32_t start, uint32_t end) {
    const FrameChangeNote note(sample, start, end);
    uint32_t first = start;
    uint32_t last = end;
    if (!sample.FormatRef().IsStereo() || !ResolveFrames(sample, first, last))
        return;
    CurveCursor cursor(curve);
    uint8_t* data = sample.Data();
    const size_t bytesPerFrame = sample.GetBytesPerFrame();
    const PanRunFn panRun = ChoosePanRun(sample.FormatRef().Is16Bit());
    float t[kRun];
    float shares[kRun];
    for (uint64_t from = first; from <= last; from += kRun) {
        const auto count =
            static_cast<uint32_t>(std::min<uint64_t>(kRun, uint64_t{last} - from + 1));
        CurvePositions(static_cast<uint32_t>(from), count, first, last, t);
        cursor.EvaluateRun(t, count, shares);
        ClampShares(shares, count);
        panRun(data + from * bytesPerFrame, shares, count);
    }
}
