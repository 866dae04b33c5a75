#pragma once

#include <string>
#include <vector>

// Runs orvex-batch as a separate process and keeps what it printed and its exit status.
struct BatchRun {
    int status = -1;
    std::string out;
    std::string err;
};

// `env` adds NAME=VALUE entries to the tool's environment; `fileLimit` (bytes, when not
// negative) caps the size of any file the tool writes, as `ulimit -f` does.
BatchRun RunBatch(const std::vector<std::string>& args, const std::vector<std::string>& env = {},
                  long fileLimit = -1);
