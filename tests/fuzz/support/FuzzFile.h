#pragma once

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "core/messages/MessageSink.h"
#include "core/sample/SampleBuffer.h"

// The fuzzer's input in a temporary file of this process, so that loaders that
// work on paths can be fed; the name ends in `extension` to pick a handler.
// Removed when it goes.
struct FuzzFile {
    FuzzFile(const uint8_t* data, size_t size, const std::string& extension)
        : path((std::filesystem::temp_directory_path() /
                ("orvex-fuzz-" + std::to_string(::getpid()) + extension))
                   .string()) {
        if (std::FILE* file = std::fopen(path.c_str(), "wb")) {
            if (size != 0)
                std::fwrite(data, 1, size, file);
            std::fclose(file);
        }
    }
    ~FuzzFile() { std::remove(path.c_str()); }
    const std::string path;
};

// Feeds the input to a handler's Load and touches every byte and the last frame
// of the sound it claims to hold.
template <typename Handler>
int FuzzLoad(const uint8_t* data, size_t size, const std::string& extension) {
    const FuzzFile file(data, size, extension);
    SilentMessageSink messages;
    SampleBuffer sample;
    if (!Handler(messages).Load(file.path, sample))
        return 0;
    volatile uint8_t sum = 0;
    for (uint32_t i = 0; i < sample.GetByteLength(); ++i) sum = sum + sample.Data()[i];
    FrameValue frame;
    for (uint32_t code : {5u, 6u, 9u, 10u}) {
        if (sample.GetFrameCount() != 0)
            sample.GetFrame(sample.GetFrameCount() - 1, code, frame);
    }
    return 0;
}

// Feeds the input to a handler's Describe.
template <typename Handler>
int FuzzDescribe(const uint8_t* data, size_t size, const std::string& extension) {
    const FuzzFile file(data, size, extension);
    SilentMessageSink messages;
    std::string type, format, length;
    Handler(messages).Describe(file.path, type, format, length);
    return 0;
}
