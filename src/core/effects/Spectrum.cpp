#include "core/effects/Spectrum.h"

#include <cmath>
#include <utility>

#include "core/sample/SampleBuffer.h"

namespace {

// In-place radix-2 complex FFT of nn points over data[1..2nn] (interleaved real, imaginary),
// with the kernel e^(+2 pi i jk / nn) and the trigonometric recurrence per stage.
void ComplexFft(std::vector<float>& data, size_t nn) {
    const size_t n = nn << 1;
    size_t j = 1;
    for (size_t i = 1; i < n; i += 2) {
        if (j > i) {
            std::swap(data[j], data[i]);
            std::swap(data[j + 1], data[i + 1]);
        }
        size_t m = nn;
        while (m >= 2 && j > m) {
            j -= m;
            m >>= 1;
        }
        j += m;
    }
    for (size_t mmax = 2; n > mmax; mmax <<= 1) {
        const size_t istep = mmax << 1;
        const double theta = 6.28318530717959 / static_cast<double>(mmax);
        double wtemp = std::sin(0.5 * theta);
        const double wpr = -2.0 * wtemp * wtemp;
        const double wpi = std::sin(theta);
        double wr = 1.0;
        double wi = 0.0;
        for (size_t m = 1; m < mmax; m += 2) {
            for (size_t i = m; i <= n; i += istep) {
                const size_t k = i + mmax;
                const auto tempr = static_cast<float>(wr * data[k] - wi * data[k + 1]);
                const auto tempi = static_cast<float>(wr * data[k + 1] + wi * data[k]);
                data[k] = data[i] - tempr;
                data[k + 1] = data[i + 1] - tempi;
                data[i] += tempr;
                data[i + 1] += tempi;
            }
            wtemp = wr;
            wr = wr * wpr - wi * wpi + wr;
            wi = wi * wpr + wtemp * wpi + wi;
        }
    }
}

}  // namespace

void RealFft(std::vector<float>& data, int n) {
    if (n < 4 || (n & (n - 1)) != 0 || data.size() < static_cast<size_t>(n) + 1)
        return;
    const auto points = static_cast<size_t>(n);
    const double theta = 3.141592653589793 / static_cast<double>(points >> 1);
    const float c1 = 0.5f;
    const float c2 = -0.5f;
    ComplexFft(data, points >> 1);
    double wtemp = std::sin(0.5 * theta);
    const double wpr = -2.0 * wtemp * wtemp;
    const double wpi = std::sin(theta);
    double wr = 1.0 + wpr;
    double wi = wpi;
    const size_t np3 = points + 3;
    for (size_t i = 2; i <= (points >> 2); ++i) {
        const size_t i1 = i + i - 1;
        const size_t i2 = 1 + i1;
        const size_t i3 = np3 - i2;
        const size_t i4 = 1 + i3;
        const float h1r = c1 * (data[i1] + data[i3]);
        const float h1i = c1 * (data[i2] - data[i4]);
        const float h2r = -c2 * (data[i2] + data[i4]);
        const float h2i = c2 * (data[i1] - data[i3]);
        data[i1] = static_cast<float>(h1r + wr * h2r - wi * h2i);
        data[i2] = static_cast<float>(h1i + wr * h2i + wi * h2r);
        data[i3] = static_cast<float>(h1r - wr * h2r + wi * h2i);
        data[i4] = static_cast<float>(-h1i + wr * h2i + wi * h2r);
        wtemp = wr;
        wr = wr * wpr - wi * wpi + wr;
        wi = wi * wpr + wtemp * wpi + wi;
    }
    const float first = data[1];
    data[1] = first + data[2];
    data[2] = first - data[2];
}

void ComputeSpectrum(const SampleBuffer& sample, int32_t centre, int n, std::vector<float>& data) {
    // The transform needs a power of two of at least 4 points; any other count gives silence
    // rather than a walk outside the array.
    data.assign(static_cast<size_t>(n > 0 ? n : 0) + 1, 0.0f);
    if (n < 4 || (n & (n - 1)) != 0)
        return;
    const int64_t firstFrame = int64_t{centre} - n / 2;
    const int64_t frames = sample.GetFrameCount();
    for (int i = 1; i <= n; ++i) {
        const int64_t frame = firstFrame + i - 1;
        FrameValue value;
        value.SetByte(0, 128);  // frames outside the sample read as silence
        if (frame >= 0 && frame < frames) {
            sample.GetFrame(static_cast<uint32_t>(frame), kLayoutMono8, value);
        }
        data[static_cast<size_t>(i)] = static_cast<float>(int{value.Byte(0)} - 127);
    }
    for (int i = 0; i < n; ++i) {
        float& value = data[static_cast<size_t>(i) + 1];
        value = static_cast<float>(value * std::sin(i * 3.1415926 / n));
    }
    RealFft(data, n);
}

std::vector<float> SpectrumMagnitudes(const std::vector<float>& data, int n) {
    std::vector<float> magnitudes(static_cast<size_t>(n / 4));
    if (data.size() < static_cast<size_t>(n) + 1 || magnitudes.empty())
        return magnitudes;
    magnitudes[0] = std::fabs(data[1]);
    for (size_t k = 1; k < magnitudes.size(); ++k) {
        const float re = data[2 * k + 1];
        const float im = data[2 * k + 2];
        magnitudes[k] = std::sqrt(re * re + im * im);
    }
    return magnitudes;
}
