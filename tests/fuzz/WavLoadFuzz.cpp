// Any bytes given to the WAV loader end in a load or a message, never a crash or a read outside
// the file or the block.
#include <cstdio>

#include "fileformats/WavFileFormat.h"
#include "sample/SampleBuffer.h"
#include "support/FuzzFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = WriteFuzzInput(data, size, ".wav");
    WavFileFormat wav;
    SampleBuffer sample;
    if (wav.Load(path, sample)) {
        // Touch every byte the sound claims to hold.
        volatile uint8_t sum = 0;
        for (uint32_t i = 0; i < sample.GetByteLength(); ++i) sum = sum + sample.Data()[i];
        FrameValue frame;
        for (uint32_t code : {5u, 6u, 9u, 10u}) {
            if (sample.GetFrameCount() != 0)
                sample.GetFrame(sample.GetFrameCount() - 1, code, frame);
        }
    }
    std::remove(path.c_str());
    return 0;
}
