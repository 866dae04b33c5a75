// Any bytes given to the Wav loader end in a load or a message, never a crash, a hang or a
// read outside the file or the block.
#include "core/fileformats/WavFileFormat.h"
#include "support/FuzzFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return FuzzLoad<WavFileFormat>(data, size, ".wav");
}
