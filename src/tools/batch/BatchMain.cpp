// orvex-batch [OPERATION]... INPUT: loads INPUT as the editor's File Open does, runs the
// operations in the order given on the one sound, and exits.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/clipboard/ClipboardService.h"
#include "core/fileformats/SoundFileRegistry.h"
#include "core/messages/MessageSink.h"
#include "core/services/Services.h"
#include "core/settings/MemorySettingsStore.h"
#include "platform/audio/PortAudioBackend.h"
#include "tools/batch/BatchOperations.h"

namespace {

constexpr const char* kUsageHead =
    "Usage: orvex-batch [OPERATION]... INPUT\n"
    "Load INPUT (format by its extension, else raw 11025 Hz 8-bit mono data), run the\n"
    "operations in the order given on the one sound, and exit. Options may stand before or\n"
    "after INPUT.\n"
    "\n"
    "Messages that the editor shows in a message box are written to standard error.\n"
    "Exit status: 0 success, 1 INPUT could not be opened, 2 bad usage, 3 a save failed,\n"
    "4 an audio device failed, 5 an operation failed.\n"
    "\n"
    "Operations:\n";

class StandardErrorSink : public MessageSink {
public:
    void Show(const UserMessage& message) override {
        std::fprintf(stderr, "%s\n", FormatMessageLine(message).c_str());
    }
};

void PrintUsage(const BatchOperationTable& table) {
    std::fputs(kUsageHead, stdout);
    for (const auto& op : table) {
        std::string names = op.name;
        if (!op.alias.empty())
            names += ", " + op.alias;
        if (!op.argument.empty())
            names += " " + op.argument;
        std::printf("  %-32s %s\n", names.c_str(), op.help.c_str());
    }
    std::printf("  %-32s %s\n", "--help", "print this text and exit");
    std::printf("  %-32s %s\n", "--version", "print the version and exit");
}

int UsageError(const std::string& line) {
    std::fprintf(stderr, "orvex-batch: %s\nTry 'orvex-batch --help' for more information.\n",
                 line.c_str());
    return kBatchUsage;
}

const BatchOperation* FindOperation(const BatchOperationTable& table, const std::string& name) {
    for (const auto& op : table) {
        if (op.name == name || (!op.alias.empty() && op.alias == name))
            return &op;
    }
    return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    const BatchOperationTable table = AllBatchOperations();
    std::vector<BatchStep> steps;
    std::string input;
    bool haveInput = false;
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if (word == "--help" || word == "-h") {
            PrintUsage(table);
            return kBatchOk;
        }
        if (word == "--version") {
            std::printf("orvex-batch %s\n", ORVEX_VERSION);
            return kBatchOk;
        }
        if (word.size() > 1 && word[0] == '-') {
            const BatchOperation* op = FindOperation(table, word);
            if (op == nullptr)
                return UsageError("unknown option '" + word + "'");
            std::string arg;
            if (!op->argument.empty()) {
                if (i + 1 >= argc)
                    return UsageError(word + " needs " + op->argument);
                arg = argv[++i];
            }
            std::string error;
            auto step = op->parse(arg, error);
            if (!step)
                return UsageError(error);
            steps.push_back(std::move(*step));
            continue;
        }
        if (haveInput)
            return UsageError("more than one INPUT: '" + input + "' and '" + word + "'");
        input = word;
        haveInput = true;
    }
    if (!haveInput)
        return UsageError("no INPUT file given");

    StandardErrorSink sink;
    SoundFileRegistry registry(sink);
    // The tool keeps nothing between runs: settings and clipboard live in memory.
    MemorySettingsStore settings;
    MemoryClipboardService clipboard;
    // Declared before the sound so that it outlives every device the sound opens.
    PortAudioBackend audio;
    Services services{registry, settings, clipboard, sink, audio};
    BatchContext context(services);
    context.inputPath = input;
    if (!registry.Open(input, context.sample)) {
        return kBatchCannotOpen;
    }
    context.originalFormat = context.sample.FormatRef();
    int status = kBatchOk;
    for (auto& step : steps) {
        const int result = step(context);
        if (result == kBatchUsage)
            return result;
        if (result != kBatchOk)
            status = result;
    }
    return status;
}
