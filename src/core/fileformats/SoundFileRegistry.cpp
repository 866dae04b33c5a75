#include "core/fileformats/SoundFileRegistry.h"

#include <algorithm>
#include <cctype>

#include "core/fileformats/AuFileFormat.h"
#include "core/fileformats/FileHelpers.h"
#include "core/fileformats/RawFileFormat.h"
#include "core/fileformats/VocFileFormat.h"
#include "core/fileformats/WavFileFormat.h"
#include "core/messages/MessageSink.h"
#include "core/sample/SampleBuffer.h"

namespace {

constexpr const char* kAllSupportedPair = "All Supported Formats|*.au;*.snd;*.voc;*.wav|";

bool EndsWith(const std::string& upper, const char* suffix) {
    const std::string s(suffix);
    // A name shorter than the suffix is compared whole (and so cannot match).
    return upper.size() >= s.size() && upper.compare(upper.size() - s.size(), s.size(), s) == 0;
}

}  // namespace

// A handler's id is one more than its position, as the options words already stored expect.
static_assert(WavFileFormat::kId == SoundFileRegistry::kWav + 1);
static_assert(VocFileFormat::kId == SoundFileRegistry::kVoc + 1);
static_assert(AuFileFormat::kId == SoundFileRegistry::kAu + 1);
static_assert(RawFileFormat::kId == SoundFileRegistry::kRaw + 1);

SoundFileRegistry::SoundFileRegistry(MessageSink& messages, AuOptionsPresenter* auOptions)
    : m_messages(messages) {
    m_handlers[kWav] = std::make_unique<WavFileFormat>(messages);
    m_handlers[kVoc] = std::make_unique<VocFileFormat>(messages);
    m_handlers[kAu] = std::make_unique<AuFileFormat>(messages, auOptions);
    m_handlers[kRaw] = std::make_unique<RawFileFormat>(messages);
    std::string pairs;
    for (const auto& handler : m_handlers) handler->AppendFilter(pairs);
    pairs += "|";
    m_filter = kAllSupportedPair + pairs;
    m_saveFilterOffset = std::string(kAllSupportedPair).size();
}

SoundFileRegistry::~SoundFileRegistry() = default;

SoundFileFormat& SoundFileRegistry::HandlerForName(const std::string& name) const {
    std::string upper(name);
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    if (EndsWith(upper, ".AU") || EndsWith(upper, ".SND"))
        return Handler(kAu);
    if (EndsWith(upper, ".VOC"))
        return Handler(kVoc);
    if (EndsWith(upper, ".WAV"))
        return Handler(kWav);
    return Handler(kRaw);
}

bool SoundFileRegistry::Open(const std::string& path, SampleBuffer& sample) {
    if (sample.IsLent()) {
        return false;
    }
    m_lastFailure.clear();
    SoundFileFormat& handler = HandlerForName(path);
    if (handler.Load(path, sample)) {
        return true;
    }
    m_lastFailure = handler.LastFailure();
    std::string fallbackFailure;
    if (LoadRawFallback(m_messages, sample, path, &fallbackFailure)) {
        m_lastFailure.clear();
        return true;
    }
    if (m_lastFailure.empty())
        m_lastFailure = fallbackFailure;
    // A read error is told with the system's reason, so it is not taken for a bad file.
    m_messages.ShowMessage(m_lastFailure.empty() ? std::string("Couldn't open file")
                                                 : "Couldn't open file: " + m_lastFailure);
    return false;
}

bool SoundFileRegistry::Save(const std::string& path, SampleBuffer& sample) {
    SoundFileFormat& handler = HandlerForName(path);
    const bool saved = handler.Save(path, sample);
    m_lastFailure = saved ? std::string() : handler.LastFailure();
    return saved;
}

bool SoundFileRegistry::Describe(const std::string& path, std::string& fileType,
                                 std::string& sampleFormat, std::string& size) {
    fileType.clear();
    sampleFormat.clear();
    size.clear();
    if (path.empty()) {
        return true;
    }
    return HandlerForName(path).Describe(path, fileType, sampleFormat, size);
}

void SoundFileRegistry::ShowOptions(int index, SampleBuffer& sample) {
    if (index < 0 || index >= kHandlerCount) {
        m_messages.ShowMessage("This format has no options");
        return;
    }
    SoundFileFormat& handler = Handler(index);
    handler.SetSample(&sample);
    if (!handler.HasOptions()) {
        m_messages.ShowMessage("This format has no options");
        return;
    }
    handler.ShowOptions();
}

std::string FolderForLoadPath(const std::string& path) {
    // Search from the end down to the second character, as the dialogs have always done.
    for (size_t i = path.size(); i > 1; --i) {
        if (path[i - 1] == '/' || path[i - 1] == '\\')
            return path.substr(0, i);
    }
    return path;
}
