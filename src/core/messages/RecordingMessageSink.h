#pragma once

#include <vector>

#include "core/messages/MessageSink.h"

// Keeps every message and beep. Used by tests and by callers that want to look at what an
// operation reported.
class RecordingMessageSink : public MessageSink {
public:
    RecordingMessageSink() = default;
    RecordingMessageSink(const RecordingMessageSink&) = delete;
    RecordingMessageSink& operator=(const RecordingMessageSink&) = delete;

    void Show(const UserMessage& message) override { m_messages.push_back(message); }
    void Beep() override { ++m_beeps; }

    const std::vector<UserMessage>& Shown() const { return m_messages; }
    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const auto& m : m_messages) texts.push_back(m.text);
        return texts;
    }
    int Beeps() const { return m_beeps; }
    void Clear() {
        m_messages.clear();
        m_beeps = 0;
    }

private:
    std::vector<UserMessage> m_messages;
    int m_beeps = 0;
};
