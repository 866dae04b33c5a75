// -o / --output.
#include "core/fileformats/SoundFileRegistry.h"
#include "tools/batch/BatchOperations.h"

namespace {

std::optional<BatchStep> ParseOutput(const std::string& arg, std::string& error) {
    if (arg.empty()) {
        error = "-o needs a file name";
        return std::nullopt;
    }
    return BatchStep([arg](BatchContext& context) {
        return context.services.registry.Save(arg, context.sample) ? int{kBatchOk}
                                                                   : int{kBatchSaveFailed};
    });
}

}  // namespace

void AddSavingOperations(BatchOperationTable& table) {
    table.push_back({"-o", "--output", "FILE",
                     "save the sound at this point (format by FILE's extension)", ParseOutput});
}
