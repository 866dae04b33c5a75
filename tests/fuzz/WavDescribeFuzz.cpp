// Describe reads only headers; any bytes end in three texts, never a crash.
#include <cstdio>

#include "fileformats/WavFileFormat.h"
#include "support/FuzzFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = WriteFuzzInput(data, size, ".wav");
    WavFileFormat wav;
    std::string type, format, length;
    wav.Describe(path, type, format, length);
    std::remove(path.c_str());
    return 0;
}
