#pragma once

#include <cstdint>

// The save options of Sun/NeXT files, as the "Sun/NeXT Save Options" dialog shows and sets
// them: a radio pair "&Sun µLaw" (0) / "&Linear" (1) and the tick "&Force to 8kHz (Web/Java
// Compatible)", which is enabled only with mu-law and keeps its tick while disabled.
struct AuSaveOptions {
    static constexpr uint16_t kULaw = 1;
    static constexpr uint16_t kLinear = 2;
    static constexpr uint16_t kForce8k = 4;

    int radioIndex = 0;
    bool forceTicked = false;

    // The dialog's state for a stored options word (0 when none is stored).
    static AuSaveOptions FromOptions(uint16_t options);
    bool ForceEnabled() const { return radioIndex == 0; }
    // The options word that OK stores.
    uint16_t ToOptions() const;
};

// Shows the options dialog; the registry hands it to the Sun/NeXT handler. Returns true when the
// user confirmed.
class AuOptionsPresenter {
public:
    virtual ~AuOptionsPresenter() = default;
    virtual bool Present(AuSaveOptions& options) = 0;
};
