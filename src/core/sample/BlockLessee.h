#pragma once

// Whoever has lent a sound's block to a device (a playback or recording session). The sound
// calls EndLease before anything moves, frees, resizes or rewrites its block, so a device never
// reads or writes memory that has changed under it.
class BlockLessee {
public:
    // Stops and closes the device and forgets the block; the sound has already taken the lease
    // back, so the lessee may change the sound (a recording keeps what it has captured).
    virtual void EndLease() = 0;
    // Whether the device writes into the block (a recording) rather than reading it.
    virtual bool WritesBlock() const = 0;

protected:
    ~BlockLessee() = default;
};
