#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/sample/SampleBuffer.h"
#include "core/services/Services.h"

// Exit statuses of orvex-batch.
enum BatchStatus : int {
    kBatchOk = 0,
    kBatchCannotOpen = 1,
    kBatchUsage = 2,
    kBatchSaveFailed = 3,
    kBatchDeviceFailed = 4,     // an audio device could not be opened or stopped answering
    kBatchOperationFailed = 5,  // an operation was refused or could not be done
};

// The most bytes a sound may hold: its lengths are 32-bit.
inline constexpr uint64_t kMaxSoundBytes = UINT32_MAX;
// Refuses, with a message naming the 4 GiB limit, an operation whose result would need more
// than kMaxSoundBytes; checked before the operation starts, in 64-bit arithmetic.
bool FitsSoundLimit(MessageSink& messages, uint64_t resultBytes, const char* operation);

// The one sound the operations work on, and the range chosen with --select.
struct BatchContext {
    explicit BatchContext(Services& s) : services(s) {}

    Services& services;
    SampleBuffer sample;
    // The format the sound's bytes were in when it was loaded or last converted: a conversion
    // starts from it, as the editor's Convert command does.
    SampleFormat originalFormat;
    std::string inputPath;
    bool wholeRange = true;
    uint32_t first = 0;
    uint32_t last = 0;
    uint32_t channel = 0;  // 0 both, 1 left, 2 right
    // Frames of the sound that --copy or --cut last put on the clipboard (the tool's clipboard
    // is its own), so that a paste's size is known before the clipboard is read.
    uint64_t clipboardFrames = 0;

    // The range as the operations take it: the whole sample before any --select (and after
    // "--select all"), else the chosen frames with the last one clipped to the last frame of
    // the sound, as the sample view clips a selection.
    uint32_t RangeFirst() const;
    uint32_t RangeLast() const;
};

// One step of the run, made while the command line is read (so that a malformed argument is
// reported before anything is loaded) and run in order on the loaded sound.
using BatchStep = std::function<int(BatchContext&)>;

struct BatchOperation {
    std::string name;      // "--stat", "-o"
    std::string alias;     // "--output" for "-o", else empty
    std::string argument;  // the argument's name in the usage ("FILE"), empty when none
    std::string help;      // one line of the usage
    // Reads the argument; returns the step, or nothing with `error` set for a malformed one.
    std::function<std::optional<BatchStep>(const std::string& arg, std::string& error)> parse;
};

using BatchOperationTable = std::vector<BatchOperation>;

// Helpers shared by the operation files.
// An operation without an argument that runs `step`.
BatchOperation PlainOperation(std::string name, std::string help, int (*step)(BatchContext&));
// RATE,BITS,CHANNELS with RATE 1..50000, BITS 8 or 16 and CHANNELS 1 or 2.
bool ParseFormat(const std::string& text, SampleFormat& format);
// Splits "a,b,c" (or with another separator) into its fields, keeping empty ones.
std::vector<std::string> SplitFields(const std::string& text, char separator);
// A whole unsigned decimal number, nothing else; false for anything else.
bool ParseUnsigned(const std::string& text, uint32_t& value);
// A whole decimal number that may carry a fraction and a sign; false for anything else.
bool ParseNumber(const std::string& text, double& value);
