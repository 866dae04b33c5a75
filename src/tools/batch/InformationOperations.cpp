// --select, --info and --stat.
#include <cstdio>

#include "core/fileformats/SoundFileRegistry.h"
#include "tools/batch/BatchOperations.h"

namespace {

std::optional<BatchStep> ParseSelect(const std::string& arg, std::string& error) {
    if (arg == "all") {
        return BatchStep([](BatchContext& context) {
            context.wholeRange = true;
            context.channel = 0;
            return int{kBatchOk};
        });
    }
    const auto fields = SplitFields(arg, ':');
    uint32_t first = 0;
    uint32_t last = 0;
    uint32_t channel = 0;
    if (fields.size() < 2 || fields.size() > 3 || !ParseUnsigned(fields[0], first) ||
        !ParseUnsigned(fields[1], last) ||
        (fields.size() == 3 && (!ParseUnsigned(fields[2], channel) || channel > 2))) {
        error = "--select takes FIRST:LAST[:CH] with CH 0, 1 or 2, or 'all'";
        return std::nullopt;
    }
    if (first > last)
        std::swap(first, last);  // a range dragged right to left is the same
    return BatchStep([first, last, channel](BatchContext& context) {
        context.wholeRange = false;
        context.first = first;
        context.last = last;
        context.channel = channel;
        return int{kBatchOk};
    });
}

int PrintInfo(BatchContext& context) {
    std::string fileType;
    std::string sampleFormat;
    std::string size;
    context.services.registry.Describe(context.inputPath, fileType, sampleFormat, size);
    std::printf("%s\t%s\t%s\n", fileType.c_str(), sampleFormat.c_str(), size.c_str());
    return kBatchOk;
}

int PrintStat(BatchContext& context) {
    const SampleBuffer& s = context.sample;
    std::printf("frames=%u bytes=%u rate=%u bits=%u channels=%u\n", s.GetFrameCount(),
                s.GetByteLength(), s.GetFrequency(), s.GetBits(), s.GetChannels());
    return kBatchOk;
}

}  // namespace

void AddInformationOperations(BatchOperationTable& table) {
    table.push_back({"--select", "", "FIRST:LAST[:CH]|all",
                     "set the range (frames, both inclusive) and channel (0 both, 1 left, "
                     "2 right) for the operations after it",
                     ParseSelect});
    table.push_back(PlainOperation("--info", "print the file type, sample format and size of INPUT",
                                   PrintInfo));
    table.push_back(PlainOperation(
        "--stat", "print frames, bytes, rate, bits and channels of the sound", PrintStat));
}
