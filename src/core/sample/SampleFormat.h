#pragma once

#include <cstdint>
#include <string>

// Frame layout codes: (stereo ? 8 : 4) | (16-bit ? 2 : 1).
enum FrameLayout : uint32_t {
    kLayoutMono8 = 5,
    kLayoutMono16 = 6,
    kLayoutStereo8 = 9,
    kLayoutStereo16 = 10,
};

inline constexpr uint32_t kMaxFrequency = 50000;

// The format of a sound: rate, sample width and channel count. Three 32-bit words in this
// order, as they are stored in the clipboard block.
class SampleFormat {
public:
    SampleFormat() = default;
    SampleFormat(uint32_t frequency, bool isStereo, bool is16Bit)
        : m_frequency(frequency), m_is16Bit(is16Bit), m_isStereo(isStereo) {}

    uint32_t GetFrequency() const { return m_frequency; }
    bool Is16Bit() const { return m_is16Bit != 0; }
    bool IsStereo() const { return m_isStereo != 0; }
    uint32_t GetBits() const { return Is16Bit() ? 16 : 8; }
    uint32_t GetChannels() const { return IsStereo() ? 2 : 1; }
    uint32_t GetBytesPerValue() const { return Is16Bit() ? 2 : 1; }
    uint32_t GetBytesPerFrame() const { return GetChannels() * GetBytesPerValue(); }
    uint32_t GetLayoutCode() const { return (IsStereo() ? 8u : 4u) | (Is16Bit() ? 2u : 1u); }

    // Caps the rate at 50000 Hz; there is no lower bound.
    void SetFrequency(uint32_t hz) { m_frequency = hz > kMaxFrequency ? kMaxFrequency : hz; }
    void SetBits(uint32_t bits) { m_is16Bit = bits == 16; }
    void SetChannels(uint32_t channels) { m_isStereo = channels == 2; }
    void Set16Bit(bool is16Bit) { m_is16Bit = is16Bit; }
    void SetStereo(bool isStereo) { m_isStereo = isStereo; }

    // "%d Hz %s %s", e.g. "22050 Hz 8-Bit Mono".
    void Describe(std::string& text) const;
    std::string Describe() const;

    bool operator==(const SampleFormat& other) const {
        return m_frequency == other.m_frequency && Is16Bit() == other.Is16Bit() &&
               IsStereo() == other.IsStereo();
    }

private:
    uint32_t m_frequency = 22050;
    uint32_t m_is16Bit = 0;
    uint32_t m_isStereo = 0;
};

static_assert(sizeof(SampleFormat) == 12, "three 32-bit words");

inline bool IsValidLayoutCode(uint32_t code) {
    return code == kLayoutMono8 || code == kLayoutMono16 || code == kLayoutStereo8 ||
           code == kLayoutStereo16;
}

inline SampleFormat FormatOfLayout(uint32_t frequency, uint32_t layoutCode) {
    return SampleFormat(frequency, (layoutCode & 8) != 0, (layoutCode & 2) != 0);
}
