#include "fileformats/VocFileFormat.h"

bool VocFileFormat::Load(const std::string&, SampleBuffer& sample) {
    m_sample = &sample;
    return false;
}

bool VocFileFormat::Save(const std::string&, SampleBuffer& sample) {
    m_sample = &sample;
    return false;
}

void VocFileFormat::AppendFilter(std::string& filter) const {
    filter += "Creative Voice Files (*.voc)|*.voc|";
}
