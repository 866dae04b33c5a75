#pragma once

#include "core/messages/MessageSink.h"

// Shows the core's messages as modal message boxes over the active window: titled "Orvex" with
// the information icon, untitled with the exclamation icon, or with a title of their own.
class QMessageBoxSink : public MessageSink {
public:
    void Show(const UserMessage& message) override;
    void Beep() override;
    SaveChoice AskToSave(const std::string& text) override;
};
