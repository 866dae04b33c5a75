#pragma once

#include "core/clipboard/ClipboardService.h"

// The "OXSAMPLE" block on the system clipboard under a MIME type of ours, so that two running
// editors exchange sounds. The system clipboard has no open step; it is always available while
// the application runs.
class QClipboardService : public ClipboardService {
public:
    static constexpr const char* kMimeType = "application/x-orvex-oxsample";

    bool Open() override;
    void Close() override {}
    bool HasSample() const override;
    void SetSample(std::vector<uint8_t> block) override;
    std::optional<SharedClipboardBlock> ShareSample() override;
};
