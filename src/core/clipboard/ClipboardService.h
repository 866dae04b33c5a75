#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

// A block read from the clipboard without copying it: the bytes stay valid while `owner` is
// held, whatever is put on the clipboard meanwhile.
struct SharedClipboardBlock {
    std::shared_ptr<const void> owner;
    const uint8_t* data = nullptr;
    size_t size = 0;
};

// Where the "OXSAMPLE" blocks of the editing operations go. The editor's service sits on the
// system clipboard so that two running editors exchange sounds; the command-line tool and the
// tests keep the block in memory.
class ClipboardService {
public:
    virtual ~ClipboardService() = default;
    // False when the clipboard cannot be had now ("Error opening clipboard!").
    virtual bool Open() = 0;
    virtual void Close() = 0;
    // Whether a sample block is on the clipboard; needs no Open.
    virtual bool HasSample() const = 0;
    // Empties the clipboard and puts the block on it (between Open and Close).
    virtual void SetSample(std::vector<uint8_t> block) = 0;
    // The block on the clipboard, if any, shared rather than copied (between Open and Close):
    // a paste of a large sound holds the clipboard's bytes once, not twice.
    virtual std::optional<SharedClipboardBlock> ShareSample() = 0;

    // A copy of the block on the clipboard, if any (between Open and Close).
    std::optional<std::vector<uint8_t>> GetSample() {
        auto shared = ShareSample();
        if (!shared)
            return std::nullopt;
        return std::vector<uint8_t>(shared->data, shared->data + shared->size);
    }
};

// The clipboard of one process, in memory.
class MemoryClipboardService : public ClipboardService {
public:
    bool Open() override { return !m_refuseOpen; }
    void Close() override {}
    bool HasSample() const override { return m_block != nullptr; }
    void SetSample(std::vector<uint8_t> block) override {
        m_block.reset();  // the old block goes before the new one is kept
        m_block = std::make_shared<const std::vector<uint8_t>>(std::move(block));
    }
    std::optional<SharedClipboardBlock> ShareSample() override {
        if (m_block == nullptr)
            return std::nullopt;
        return SharedClipboardBlock{m_block, m_block->data(), m_block->size()};
    }

    // Tests make the clipboard unavailable, as another program holding it open would.
    void RefuseOpenForTesting(bool refuse) { m_refuseOpen = refuse; }

private:
    std::shared_ptr<const std::vector<uint8_t>> m_block;
    bool m_refuseOpen = false;
};
