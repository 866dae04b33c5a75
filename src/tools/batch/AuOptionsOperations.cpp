// --au-options: the Sun/NeXT save options, stored in the sound as the options dialog's OK does.
#include "core/fileformats/AuSaveOptions.h"
#include "core/fileformats/SoundFileRegistry.h"
#include "tools/batch/BatchOperations.h"

namespace {

std::optional<BatchStep> ParseAuOptions(const std::string& arg, std::string& error) {
    const auto fields = SplitFields(arg, ',');
    AuSaveOptions dialog;
    const bool known = fields[0] == "ulaw" || fields[0] == "linear";
    if (!known || fields.size() > 2 || (fields.size() == 2 && fields[1] != "force8k")) {
        error = "--au-options takes ulaw|linear[,force8k]";
        return std::nullopt;
    }
    dialog.radioIndex = fields[0] == "ulaw" ? 0 : 1;
    dialog.forceTicked = fields.size() == 2;  // a tick is kept even while the box is disabled
    return BatchStep([dialog](BatchContext& c) {
        SoundFileFormat& au = c.services.registry.Handler(SoundFileRegistry::kAu);
        au.SetSample(&c.sample);
        au.StoreOptions(dialog.ToOptions());
        return int{kBatchOk};
    });
}

}  // namespace

void AddAuOptionsOperations(BatchOperationTable& table) {
    table.push_back({"--au-options", "", "ulaw|linear[,force8k]",
                     "store the Sun/NeXT save options in the sound", ParseAuOptions});
}
