#pragma once

#include <array>
#include <memory>
#include <string>

#include "core/fileformats/SoundFileFormat.h"

class AuOptionsPresenter;
class MessageSink;
class SampleBuffer;

// The registry of the four file handlers, in their fixed positions: WAV, Creative Voice,
// Sun/NeXT, raw. It builds the dialogs' filter texts and chooses a handler by extension. Its
// handlers report to the registry's sink; the Sun/NeXT handler shows its options through
// `auOptions` (none: the options stay as they are).
class SoundFileRegistry {
public:
    static constexpr int kHandlerCount = 4;
    enum Position { kWav = 0, kVoc = 1, kAu = 2, kRaw = 3 };

    explicit SoundFileRegistry(MessageSink& messages, AuOptionsPresenter* auOptions = nullptr);
    ~SoundFileRegistry();

    SoundFileFormat& Handler(int position) const {
        return *m_handlers[static_cast<size_t>(position)];
    }
    SoundFileFormat& HandlerForName(const std::string& name) const;

    // "All Supported Formats|*.au;*.snd;*.voc;*.wav|" followed by the four pairs and a "|".
    const std::string& OpenFilter() const { return m_filter; }
    // The same without its first pair: entry n (from 1) of the save dialog is handler n - 1.
    std::string SaveFilter() const { return m_filter.substr(m_saveFilterOffset); }

    // Handler by extension, then the raw fallback, then "Couldn't open file". False without a
    // message while the sample is playing.
    bool Open(const std::string& path, SampleBuffer& sample);
    bool Save(const std::string& path, SampleBuffer& sample);
    // Why the last Open or Save failed for a reason of the system ("PATH: reason"), else empty.
    const std::string& LastFailure() const { return m_lastFailure; }
    bool Describe(const std::string& path, std::string& fileType, std::string& sampleFormat,
                  std::string& size);
    // `index` is the save dialog's type entry minus 1.
    void ShowOptions(int index, SampleBuffer& sample);

private:
    std::array<std::unique_ptr<SoundFileFormat>, kHandlerCount> m_handlers;
    MessageSink& m_messages;
    std::string m_filter;
    size_t m_saveFilterOffset = 0;
    std::string m_lastFailure;
};

// The folder remembered by the file dialogs: "LoadPath" under "SOFTWARE\Orvex".
inline constexpr const char* kLoadPathValue = "LoadPath";
// The part of a chosen path up to and including its last separator (a path without one stays
// whole), as stored in "LoadPath".
std::string FolderForLoadPath(const std::string& path);
