#include "core/audio/CompletionQueue.h"

void CompletionQueue::Post(std::function<void()> call) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_calls.push_back(std::move(call));
    }
    m_posted.notify_one();
}

bool CompletionQueue::RunNext(std::chrono::milliseconds timeout) {
    std::function<void()> call;
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        if (!m_posted.wait_for(lock, timeout, [this] { return !m_calls.empty(); })) {
            return false;
        }
        call = std::move(m_calls.front());
        m_calls.pop_front();
    }
    // Run outside the lock: the call may start a device that posts again.
    call();
    return true;
}

int CompletionQueue::RunPending() {
    int ran = 0;
    while (RunNext(std::chrono::milliseconds(0))) ++ran;
    return ran;
}
