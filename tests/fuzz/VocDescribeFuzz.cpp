// Describe of any bytes ends in three texts, never a crash.
#include "core/fileformats/VocFileFormat.h"
#include "support/FuzzFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return FuzzDescribe<VocFileFormat>(data, size, ".voc");
}
