// Any bytes given to the Au loader end in a load or a message, never a crash, a hang or a
// read outside the file or the block.
#include <cstdio>

#include "fileformats/AuFileFormat.h"
#include "sample/SampleBuffer.h"
#include "support/FuzzFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = WriteFuzzInput(data, size, ".au");
    AuFileFormat handler;
    SampleBuffer sample;
    if (handler.Load(path, sample)) {
        volatile uint8_t sum = 0;
        for (uint32_t i = 0; i < sample.GetByteLength(); ++i) sum = sum + sample.Data()[i];
    }
    std::remove(path.c_str());
    return 0;
}
