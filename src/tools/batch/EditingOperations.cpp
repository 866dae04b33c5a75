// --copy, --cut, --delete, --paste and --undo, through the tool's own clipboard.
#include "core/editing/SampleEditing.h"
#include "tools/batch/BatchOperations.h"

namespace {

int Status(bool done) {
    return done ? int{kBatchOk} : int{kBatchOperationFailed};
}

uint64_t RangeFrames(const BatchContext& c) {
    return c.sample.GetFrameCount() == 0 ? 0 : uint64_t{c.RangeLast()} - c.RangeFirst() + 1;
}

int CopyRange(BatchContext& c) {
    const uint64_t frames = RangeFrames(c);
    if (!Copy(c.services.clipboard, c.services.messages, c.sample, c.RangeFirst(), c.RangeLast(),
              c.channel))
        return kBatchOperationFailed;
    c.clipboardFrames = frames;
    return kBatchOk;
}

int CutRange(BatchContext& c) {
    const uint64_t frames = RangeFrames(c);
    if (!Cut(c.services.clipboard, c.services.messages, c.sample, c.RangeFirst(), c.RangeLast(),
             c.channel))
        return kBatchOperationFailed;
    c.clipboardFrames = frames;
    return kBatchOk;
}

int DeleteRange(BatchContext& c) {
    return Status(Delete(c.sample, c.RangeFirst(), c.RangeLast(), c.channel));
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
        // The pasted frames take the sound's layout; the whole result must fit before the
        // clipboard is even read.
        const uint64_t bytes =
            (uint64_t{c.sample.GetFrameCount()} + c.clipboardFrames) * c.sample.GetBytesPerFrame();
        if (!FitsSoundLimit(c.services.messages, bytes, "Paste"))
            return int{kBatchOperationFailed};
        return Status(c.clipboardFrames == 0 || Paste(c.services.clipboard, c.services.messages,
                                                      c.sample, frame, channel) != 0);
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
