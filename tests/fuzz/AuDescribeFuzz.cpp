// Describe of any bytes ends in three texts, never a crash.
#include <cstdio>

#include "fileformats/AuFileFormat.h"
#include "sample/SampleBuffer.h"
#include "support/FuzzFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = WriteFuzzInput(data, size, ".au");
    AuFileFormat handler;
    std::string type, format, length;
    handler.Describe(path, type, format, length);
    std::remove(path.c_str());
    return 0;
}
