#include "ui/effects/ToneBeeper.h"

#include <cmath>
#include <numbers>

#include "core/audio/AudioDevice.h"

namespace {

// A sine at a third of full scale, faded in and out over 5 ms so that it does not click.
std::vector<uint8_t> MakeTone() {
    constexpr uint32_t frames = ToneBeeper::kRate * ToneBeeper::kMilliseconds / 1000;
    constexpr uint32_t fade = ToneBeeper::kRate / 200;
    std::vector<uint8_t> tone(frames);
    for (uint32_t i = 0; i < frames; ++i) {
        const uint32_t edge = std::min(i, frames - 1 - i);
        const double envelope = edge < fade ? static_cast<double>(edge) / fade : 1.0;
        const double phase =
            2.0 * std::numbers::pi * ToneBeeper::kFrequency * i / ToneBeeper::kRate;
        tone[i] = static_cast<uint8_t>(128 + std::lround(42.0 * envelope * std::sin(phase)));
    }
    return tone;
}

}  // namespace

ToneBeeper::ToneBeeper(AudioBackend& devices, MessageSink& fallback, QObject* owner)
    : m_devices(devices), m_fallback(fallback), m_tone(MakeTone()), m_dispatcher(owner) {}

ToneBeeper::~ToneBeeper() {
    if (m_output)
        m_output->Close();
}

void ToneBeeper::Beep() {
    // A beep while the last one still sounds starts it again.
    if (m_output) {
        m_output->Close();
        m_output.reset();
    }
    AudioFormat format;
    format.channels = 1;
    format.samplesPerSecond = kRate;
    format.averageBytesPerSecond = kRate;
    format.blockAlign = 1;
    format.bitsPerSample = 8;
    const uint64_t token = ++m_token;
    AudioCompletion done{&m_dispatcher, [this, token] { OnDone(token); }};
    std::unique_ptr<AudioOutput> output;
    if (m_devices.OpenOutput(kDefaultAudioDevice, format, std::move(done), output) != kAudioOk ||
        !output) {
        m_fallback.Beep();
        return;
    }
    if (output->Write(m_tone.data(), static_cast<uint32_t>(m_tone.size())) != kAudioOk) {
        output->Close();
        m_fallback.Beep();
        return;
    }
    m_output = std::move(output);
}

void ToneBeeper::OnDone(uint64_t token) {
    if (token != m_token || !m_output)
        return;
    m_output->Close();
    m_output.reset();
}
