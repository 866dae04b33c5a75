#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// A folder of its own for one test, removed with everything in it afterwards.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    std::string File(const std::string& name) const { return (m_path / name).string(); }

private:
    std::filesystem::path m_path;
};

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> ReadBytes(const std::string& path);

// Little-endian byte builders for hand-made files.
void PutTag(std::vector<uint8_t>& out, const char* tag);
void Put16(std::vector<uint8_t>& out, uint16_t value);
void Put32(std::vector<uint8_t>& out, uint32_t value);
void PutBE16(std::vector<uint8_t>& out, uint16_t value);
void PutBE32(std::vector<uint8_t>& out, uint32_t value);
