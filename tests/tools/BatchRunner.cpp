#include "tools/BatchRunner.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), {});
}

}  // namespace

BatchRun RunBatch(const std::vector<std::string>& args) {
    const auto dir = std::filesystem::temp_directory_path();
    const std::string tag = std::to_string(::getpid());
    const std::string outPath = (dir / ("orvex-batch-out-" + tag)).string();
    const std::string errPath = (dir / ("orvex-batch-err-" + tag)).string();
    BatchRun run;
    const pid_t child = ::fork();
    if (child == 0) {
        std::freopen(outPath.c_str(), "wb", stdout);
        std::freopen(errPath.c_str(), "wb", stderr);
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(ORVEX_BATCH_PATH));
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(ORVEX_BATCH_PATH, argv.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = Slurp(outPath);
    run.err = Slurp(errPath);
    std::remove(outPath.c_str());
    std::remove(errPath.c_str());
    return run;
}
