#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

#include "core/audio/AudioDevice.h"

// A dispatcher for programs without an event loop (orvex-batch, tests): devices post into the
// queue from their threads, and the owning thread runs the calls when it waits for them.
class CompletionQueue : public CompletionDispatcher {
public:
    void Post(std::function<void()> call) override;
    // Runs the next posted call, waiting up to `timeout` for one; false when none came.
    bool RunNext(std::chrono::milliseconds timeout);
    // Runs every call already posted; returns how many ran.
    int RunPending();

private:
    std::mutex m_mutex;
    std::condition_variable m_posted;
    std::deque<std::function<void()>> m_calls;
};
