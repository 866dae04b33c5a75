#include "core/sample/FrameConversion.h"

namespace frames {

void ReadFrame(const uint8_t* data, uint32_t from, uint32_t index, uint32_t to, FrameValue& out) {
    WithLayout(from, [&]<uint32_t From>() {
        const uint8_t* p = data + static_cast<size_t>(index) * BytesPerFrame(From);
        WithLayout(to, [&]<uint32_t To>() { Convert<From, To>(p, out); });
    });
}

}  // namespace frames
