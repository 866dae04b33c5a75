#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "core/messages/MessageSink.h"
#include "platform/qt/QtCompletionDispatcher.h"

class AudioBackend;
class AudioOutput;
class QObject;

// The sink a curve editor hands its curve: a refused insertion beeps with a short tone (592 Hz for
// 200 ms) on the default output device, which the desktop's own bell cannot do at a pitch of our
// choosing. When no device answers, the beep goes to `fallback` (QApplication::beep in the
// editor). Messages go to `fallback` as they are.
class ToneBeeper : public MessageSink {
public:
    static constexpr uint32_t kRate = 22050;
    static constexpr uint32_t kFrequency = 592;
    static constexpr uint32_t kMilliseconds = 200;

    ToneBeeper(AudioBackend& devices, MessageSink& fallback, QObject* owner);
    ~ToneBeeper() override;

    void Show(const UserMessage& message) override { m_fallback.Show(message); }
    void Beep() override;

private:
    void OnDone(uint64_t token);

    AudioBackend& m_devices;
    MessageSink& m_fallback;
    std::vector<uint8_t> m_tone;  // 8-bit mono, lives as long as any device that plays it
    std::unique_ptr<AudioOutput> m_output;
    uint64_t m_token = 0;  // which tone a late "done" belongs to
    QtCompletionDispatcher m_dispatcher;
};
