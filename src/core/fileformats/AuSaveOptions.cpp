#include "core/fileformats/AuSaveOptions.h"

AuSaveOptions AuSaveOptions::FromOptions(uint16_t options) {
    AuSaveOptions dialog;
    dialog.forceTicked = (options & kForce8k) != 0;
    dialog.radioIndex = (options & kLinear) != 0 ? 1 : 0;
    return dialog;
}

uint16_t AuSaveOptions::ToOptions() const {
    return static_cast<uint16_t>((forceTicked ? kForce8k : 0) |
                                 (radioIndex == 0 ? kULaw : kLinear));
}
