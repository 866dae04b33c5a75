#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Writes the fuzzer's input to this process's own temporary file and returns its path, so that
// loaders that work on paths can be fed. The name ends in `extension` to pick a handler.
std::string WriteFuzzInput(const uint8_t* data, size_t size, const std::string& extension);

#include <cstdio>

#include "core/messages/MessageSink.h"
#include "core/sample/SampleBuffer.h"

// Feeds the input to a handler's Load and touches every byte of the sound it claims to hold.
template <typename Handler>
int FuzzLoad(const uint8_t* data, size_t size, const std::string& extension) {
    const std::string path = WriteFuzzInput(data, size, extension);
    SilentMessageSink messages;
    Handler handler(messages);
    SampleBuffer sample;
    if (handler.Load(path, sample)) {
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

// Feeds the input to a handler's Describe.
template <typename Handler>
int FuzzDescribe(const uint8_t* data, size_t size, const std::string& extension) {
    const std::string path = WriteFuzzInput(data, size, extension);
    SilentMessageSink messages;
    Handler handler(messages);
    std::string type, format, length;
    handler.Describe(path, type, format, length);
    std::remove(path.c_str());
    return 0;
}
