// Any bytes given to the Voc loader end in a load or a message, never a crash, a hang or a
// read outside the file or the block.
#include "core/fileformats/VocFileFormat.h"
#include "support/FuzzFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return FuzzLoad<VocFileFormat>(data, size, ".voc");
}
