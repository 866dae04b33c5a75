#pragma once

#include <string>

// How a message box is titled: with the application's name "Orvex", or with no title and the
// exclamation icon, or with a title of its own (and the exclamation icon).
enum class MessageTitle { Application, Untitled, Custom };

struct UserMessage {
    std::string text;
    MessageTitle title = MessageTitle::Application;
    std::string customTitle;  // only for MessageTitle::Custom
};

// The answers to "Save changes to NAME?".
enum class SaveChoice { kSave, kDiscard, kCancel };

// Where the core reports what the user must be told. The editor shows message boxes, the
// command-line tool prints lines on standard error, tests record and assert them.
// Each program makes its sink in main and hands it to whatever reports.
class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual void Show(const UserMessage& message) = 0;
    // The short warning sound of a refused mouse action.
    virtual void Beep() {}
    // Asks whether changes are saved before they would be lost. A sink that cannot ask keeps
    // them: Cancel.
    virtual SaveChoice AskToSave(const std::string& text) {
        (void)text;
        return SaveChoice::kCancel;
    }

    // Shorthands for the three kinds of box.
    void ShowMessage(const std::string& text);          // titled "Orvex"
    void ShowUntitledMessage(const std::string& text);  // no title, exclamation icon
    void ShowTitledMessage(const std::string& text, const std::string& title);
};

// Drops everything: for callers that have nobody to tell.
class SilentMessageSink : public MessageSink {
public:
    void Show(const UserMessage&) override {}
};

// The one-line text of a message as the command-line tool prints it.
std::string FormatMessageLine(const UserMessage& message);
