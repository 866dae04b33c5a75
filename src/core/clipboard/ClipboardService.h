#pragma once

#include <cstdint>
#include <optional>
#include <vector>

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
    // A copy of the block on the clipboard, if any (between Open and Close).
    virtual std::optional<std::vector<uint8_t>> GetSample() = 0;
};

// The clipboard of one process, in memory.
class MemoryClipboardService : public ClipboardService {
public:
    bool Open() override { return !m_refuseOpen; }
    void Close() override {}
    bool HasSample() const override { return m_block.has_value(); }
    void SetSample(std::vector<uint8_t> block) override { m_block = std::move(block); }
    std::optional<std::vector<uint8_t>> GetSample() override { return m_block; }

    // Tests make the clipboard unavailable, as another program holding it open would.
    void RefuseOpenForTesting(bool refuse) { m_refuseOpen = refuse; }

private:
    std::optional<std::vector<uint8_t>> m_block;
    bool m_refuseOpen = false;
};
