#include "tools/BatchRunner.h"

#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "support/TempDir.h"

BatchRun RunBatch(const std::vector<std::string>& args, const std::vector<std::string>& env,
                  long fileLimit) {
    const TempDir dir;
    const std::string outPath = dir.File("out");
    const std::string errPath = dir.File("err");
    const pid_t child = ::fork();
    if (child == 0) {
        std::freopen(outPath.c_str(), "wb", stdout);
        std::freopen(errPath.c_str(), "wb", stderr);
        for (const auto& entry : env) ::putenv(const_cast<char*>(entry.c_str()));
        if (fileLimit >= 0) {
            const rlimit limit{static_cast<rlim_t>(fileLimit), static_cast<rlim_t>(fileLimit)};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
        std::vector<char*> argv{const_cast<char*>(ORVEX_BATCH_PATH)};
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(ORVEX_BATCH_PATH, argv.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    const auto out = ReadBytes(outPath);
    const auto err = ReadBytes(errPath);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1,
            {out.begin(), out.end()},
            {err.begin(), err.end()}};
}
