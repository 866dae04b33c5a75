// Any bytes given to the Au loader end in a load or a message, never a crash, a hang or a
// read outside the file or the block.
#include "core/fileformats/AuFileFormat.h"
#include "support/FuzzFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return FuzzLoad<AuFileFormat>(data, size, ".au");
}
