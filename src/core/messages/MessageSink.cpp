#include "core/messages/MessageSink.h"

void MessageSink::ShowMessage(const std::string& text) {
    Show(UserMessage{text, MessageTitle::Application, {}});
}

void MessageSink::ShowUntitledMessage(const std::string& text) {
    Show(UserMessage{text, MessageTitle::Untitled, {}});
}

void MessageSink::ShowTitledMessage(const std::string& text, const std::string& title) {
    Show(UserMessage{text, MessageTitle::Custom, title});
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
