#include "fileformats/AuFileFormat.h"

bool AuFileFormat::Load(const std::string&, SampleBuffer& sample) {
    m_sample = &sample;
    return false;
}

bool AuFileFormat::Save(const std::string&, SampleBuffer& sample) {
    m_sample = &sample;
    return false;
}

void AuFileFormat::AppendFilter(std::string& filter) const {
    filter += "Sun/NeXT (.au;.snd)|*.au;*.snd|";
}
