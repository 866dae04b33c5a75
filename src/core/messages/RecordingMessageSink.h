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
    // Questions are kept apart from messages and answered with the answer set (Discard unless
    // a test says otherwise).
    SaveChoice AskToSave(const std::string& text) override {
        m_questions.push_back(text);
        return m_answer;
    }
    void SetSaveAnswer(SaveChoice answer) { m_answer = answer; }
    const std::vector<std::string>& Questions() const { return m_questions; }

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
        m_questions.clear();
    }

private:
    std::vector<UserMessage> m_messages;
    int m_beeps = 0;
    std::vector<std::string> m_questions;
    SaveChoice m_answer = SaveChoice::kDiscard;
};
