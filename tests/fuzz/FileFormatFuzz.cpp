// Any bytes given to a file format's loader end in a load or a message, never a crash, a hang
// or a read outside the file or the block; Describe of any bytes ends in three texts. The build
// makes a target of this file for each format and job: FUZZ_HANDLER names the format's handler,
// FUZZ_EXTENSION its file name's ending, and FUZZ_DESCRIBE chooses Describe over Load.
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "core/fileformats/AuFileFormat.h"
#include "core/fileformats/VocFileFormat.h"
#include "core/fileformats/WavFileFormat.h"
#include "core/messages/MessageSink.h"
#include "core/sample/SampleBuffer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The handlers work on paths: the input goes to a file of this process's own.
    const std::string path = std::filesystem::temp_directory_path() /
                             ("orvex-fuzz-" + std::to_string(::getpid()) + FUZZ_EXTENSION);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(data), size);
    SilentMessageSink messages;
    FUZZ_HANDLER handler(messages);
    SampleBuffer sample;
    std::string type, format, length;
    if constexpr (FUZZ_DESCRIBE) {
        handler.Describe(path, type, format, length);
    } else if (handler.Load(path, sample)) {
        // Every byte, and the last frame in each way the views read one.
        volatile uint8_t sum = 0;
        for (uint32_t i = 0; i < sample.GetByteLength(); ++i) sum = sum + sample.Data()[i];
        FrameValue frame;
        for (uint32_t code : {5u, 6u, 9u, 10u})
            if (sample.GetFrameCount() != 0)
                sample.GetFrame(sample.GetFrameCount() - 1, code, frame);
    }
    std::filesystem::remove(path);
    return 0;
}
