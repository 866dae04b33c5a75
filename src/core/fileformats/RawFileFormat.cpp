#include "core/fileformats/RawFileFormat.h"

#include "core/fileformats/BinaryFile.h"
#include "core/fileformats/FileHelpers.h"
#include "core/sample/SampleBuffer.h"

bool RawFileFormat::Load(const std::string& path, SampleBuffer& sample) {
    m_sample = &sample;
    sample.SetFormat(11025, false, false);
    return ReadFileIntoSample(m_messages, sample, path, 0, 0);
}

bool RawFileFormat::Save(const std::string& path, SampleBuffer& sample) {
    m_sample = &sample;
    return WriteSampleFile(sample, path);
}

void RawFileFormat::AppendFilter(std::string& filter) const {
    filter += "Raw Data (*.*)|*.*|";
}

bool RawFileFormat::Describe(const std::string& path, std::string& fileType,
                             std::string& sampleFormat, std::string& size) {
    fileType = "Raw Binary";
    sampleFormat = "Unknown";
    size = "Unknown";
    BinaryFile file;
    if (!file.Open(path, BinaryFile::Mode::Read)) {
        return true;
    }
    const uint64_t length = file.Length();
    // The duration is worked out in single precision, as it always has been: rounding it
    // otherwise can change the second decimal.
    const float perByte = 1.0f / 11025.0f;
    size = DescribeSize(length, static_cast<double>(static_cast<float>(length) * perByte),
                        " @ 11kHz mono");
    return true;
}
