// Describe of any bytes ends in three texts, never a crash.
#include "core/fileformats/WavFileFormat.h"
#include "support/FuzzFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return FuzzDescribe<WavFileFormat>(data, size, ".wav");
}
