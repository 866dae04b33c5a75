// -o / --output.
#include "core/fileformats/SoundFileRegistry.h"
#include "core/messages/MessageSink.h"
#include "tools/batch/BatchOperations.h"

namespace {

// The text the editor shows when a save fails (spelt as it always has been).
constexpr const char* kSaveFailedText = "An error occured whilst trying to save the sample";

std::optional<BatchStep> ParseOutput(const std::string& arg, std::string& error) {
    if (arg.empty()) {
        error = "-o needs a file name";
        return std::nullopt;
    }
    return BatchStep([arg](BatchContext& context) {
        SoundFileRegistry& registry = context.services.registry;
        if (registry.Save(arg, context.sample))
            return int{kBatchOk};
        // The editor's message, with the file and the system's reason when there is one.
        std::string text = kSaveFailedText;
        if (!registry.LastFailure().empty())
            text += ": " + registry.LastFailure();
        context.services.messages.ShowMessage(text);
        return int{kBatchSaveFailed};
    });
}

}  // namespace

void AddSavingOperations(BatchOperationTable& table) {
    table.push_back({"-o", "--output", "FILE",
                     "save the sound at this point (format by FILE's extension)", ParseOutput});
}
