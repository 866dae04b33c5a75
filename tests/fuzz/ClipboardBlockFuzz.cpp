// Any bytes on the clipboard, as another running editor may put there, are pasted into a sound
// and replace one without a crash or a read outside the block.
#include "core/clipboard/ClipboardService.h"
#include "core/editing/SampleEditing.h"
#include "core/messages/MessageSink.h"
#include "core/sample/SampleBuffer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemoryClipboardService clipboard;
    SilentMessageSink messages;
    clipboard.SetSample(std::vector<uint8_t>(data, data + size));
    for (uint32_t layout : {1u, 3u, 9u, 11u})  // 8 or 16 bits, mono or stereo
        for (uint32_t mode : {0u, 1u, 2u}) {
            SampleBuffer sample;
            sample.SetFormat(FormatOfLayout(8000, layout));
            sample.ResizeBytes(64);
            Paste(clipboard, messages, sample, 3, mode);
        }
    SampleBuffer replaced;
    FrameValue frame;
    if (ReplaceFromClipboard(clipboard, messages, replaced) && replaced.GetFrameCount() != 0)
        replaced.GetFrame(replaced.GetFrameCount() - 1, 10, frame);
    return 0;
}
