#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Writes the fuzzer's input to this process's own temporary file and returns its path, so that
// loaders that work on paths can be fed. The name ends in `extension` to pick a handler.
std::string WriteFuzzInput(const uint8_t* data, size_t size, const std::string& extension);
