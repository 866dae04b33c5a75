#include "core/messages/MessageSink.h"

namespace {

class SilentSink : public MessageSink {
public:
    void Show(const UserMessage&) override {}
};

SilentSink g_silentSink;
MessageSink* g_sink = &g_silentSink;

}  // namespace

MessageSink& Messages() {
    return *g_sink;
}

MessageSink* SetMessageSink(MessageSink* sink) {
    MessageSink* previous = g_sink == &g_silentSink ? nullptr : g_sink;
    g_sink = sink != nullptr ? sink : &g_silentSink;
    return previous;
}

void ShowMessage(const std::string& text) {
    Messages().Show(UserMessage{text, MessageTitle::Application, {}});
}

void ShowUntitledMessage(const std::string& text) {
    Messages().Show(UserMessage{text, MessageTitle::Untitled, {}});
}

void ShowTitledMessage(const std::string& text, const std::string& title) {
    Messages().Show(UserMessage{text, MessageTitle::Custom, title});
}

std::string FormatMessageLine(const UserMessage& message) {
    switch (message.title) {
        case MessageTitle::Application:
            return "Orvex: " + message.text;
        case MessageTitle::Custom:
            return message.customTitle + ": " + message.text;
        case MessageTitle::Untitled:
            break;
    }
    return message.text;
}
