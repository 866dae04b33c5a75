// --copy, --cut, --delete, --paste and --undo, through the tool's own clipboard.
#include "core/editing/SampleEditing.h"
#include "tools/batch/BatchOperations.h"

namespace {

int CopyRange(BatchContext& c) {
    Copy(c.services.clipboard, c.services.messages, c.sample, c.RangeFirst(), c.RangeLast(),
         c.channel);
    return kBatchOk;
}

int CutRange(BatchContext& c) {
    Cut(c.services.clipboard, c.services.messages, c.sample, c.RangeFirst(), c.RangeLast(),
        c.channel);
    return kBatchOk;
}

int DeleteRange(BatchContext& c) {
    Delete(c.sample, c.RangeFirst(), c.RangeLast(), c.channel);
    return kBatchOk;
}

int Undo(BatchContext& c) {
    ReplaceFromClipboard(c.services.clipboard, c.services.messages, c.sample);
    return kBatchOk;
}

std::optional<BatchStep> ParsePaste(const std::string& arg, std::string& error) {
    const auto fields = SplitFields(arg, ':');
    uint32_t frame = 0;
    uint32_t channel = 0;
    if (fields.size() > 2 || !ParseUnsigned(fields[0], frame) ||
        (fields.size() == 2 && (!ParseUnsigned(fields[1], channel) || channel > 2))) {
        error = "--paste takes FRAME[:CH] with CH 0, 1 or 2";
        return std::nullopt;
    }
    return BatchStep([frame, channel](BatchContext& c) {
        Paste(c.services.clipboard, c.services.messages, c.sample, frame, channel);
        return int{kBatchOk};
    });
}

}  // namespace

void AddEditingOperations(BatchOperationTable& table) {
    table.push_back(PlainOperation("--copy", "copy the range to the clipboard", CopyRange));
    table.push_back(
        PlainOperation("--cut", "copy the range to the clipboard and delete it", CutRange));
    table.push_back(PlainOperation("--delete", "delete the range", DeleteRange));
    table.push_back({"--paste", "", "FRAME[:CH]",
                     "paste the clipboard at FRAME into channel CH (0 both, 1 left, 2 right)",
                     ParsePaste});
    table.push_back(PlainOperation("--undo", "replace the sound by the clipboard's sound", Undo));
}
