#include "support/FuzzFile.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "core/messages/MessageSink.h"

std::string WriteFuzzInput(const uint8_t* data, size_t size, const std::string& extension) {
    static const std::string base =
        (std::filesystem::temp_directory_path() / ("orvex-fuzz-" + std::to_string(::getpid())))
            .string();
    const std::string path = base + extension;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file != nullptr) {
        if (size != 0)
            std::fwrite(data, 1, size, file);
        std::fclose(file);
    }
    return path;
}
