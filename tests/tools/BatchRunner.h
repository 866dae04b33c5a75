#pragma once

#include <string>
#include <vector>

// Runs orvex-batch as a separate process and keeps what it printed and its exit status.
struct BatchRun {
    int status = -1;
    std::string out;
    std::string err;
};

BatchRun RunBatch(const std::vector<std::string>& args);
