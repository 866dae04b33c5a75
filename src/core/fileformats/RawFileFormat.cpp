#include "core/fileformats/RawFileFormat.h"

#include <cstdio>

#include "core/fileformats/BinaryFile.h"
#include "core/fileformats/FileHelpers.h"
#include "core/fileformats/SafeFileWriter.h"
#include "core/sample/SampleBuffer.h"

bool RawFileFormat::Load(const std::string& path, SampleBuffer& sample) {
    m_sample = &sample;
    ClearFailure();
    std::string failure;
    if (!ReadFileIntoSample(m_messages, sample, path, 0, 0, &failure)) {
        if (!failure.empty())
            SetFailure(failure);
        return false;
    }
    sample.SetFormat(11025, false, false);
    return true;
}

bool RawFileFormat::Save(const std::string& path, SampleBuffer& sample) {
    m_sample = &sample;
    ClearFailure();
    SafeFileWriter writer(path);
    return writer.Open() ? Finish(writer, WriteSampleFile(sample, writer)) : Finish(writer, false);
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
