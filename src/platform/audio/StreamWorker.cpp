#include "platform/audio/StreamWorker.h"

StreamWorker::Shared::Shared(std::unique_ptr<BlockingStream> stream, AudioCompletion completion)
    : m_stream(std::move(stream)), m_completion(std::move(completion)) {}

bool StreamWorker::Shared::Touch(const std::function<void()>& step, bool whileStopping) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_abandoned || (m_stop && !whileStopping))
        return false;
    step();
    return true;
}

void StreamWorker::Shared::NoteClock(double streamTime) {
    std::lock_guard<std::mutex> lock(m_clockMutex);
    m_clockTime = streamTime;
    m_clockNoted = std::chrono::steady_clock::now();
}

double StreamWorker::Shared::Clock() {
    std::unique_lock<std::mutex> call(m_inStream, std::try_to_lock);
    if (call.owns_lock())
        return m_stream->Time();
    std::lock_guard<std::mutex> lock(m_clockMutex);
    const std::chrono::duration<double> since = std::chrono::steady_clock::now() - m_clockNoted;
    return m_clockTime + since.count();
}

bool StreamWorker::Shared::StopRequested() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_stop;
}

bool StreamWorker::Shared::Finished() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_finished;
}

void StreamWorker::Shared::ParkUntilStopped() {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_wake.wait(lock, [this] { return m_stop; });
}

StreamWorker::StreamWorker(std::unique_ptr<BlockingStream> stream, AudioCompletion completion)
    : m_shared(std::make_shared<Shared>(std::move(stream), std::move(completion))) {}

StreamWorker::~StreamWorker() {
    Silence();
    Stop();
}

BlockingStream* StreamWorker::Stream() {
    return m_leftBehind ? nullptr : m_shared->m_stream.get();
}

bool StreamWorker::Start(std::function<void(Shared&)> body) {
    if (m_thread.joinable() || m_leftBehind)
        return false;
    {
        std::lock_guard<std::mutex> lock(m_shared->m_mutex);
        m_shared->m_stop = false;
        m_shared->m_finished = false;
    }
    m_shared->m_result = kAudioOk;
    m_thread = std::thread([shared = m_shared, body = std::move(body)] {
        body(*shared);
        bool abandoned = false;
        {
            std::lock_guard<std::mutex> lock(shared->m_mutex);
            shared->m_finished = true;
            abandoned = shared->m_abandoned;
        }
        shared->m_wake.notify_all();
        if (!abandoned)
            Post(*shared);
    });
    return true;
}

void StreamWorker::Stop(const std::function<void()>& whenLeftBehind) {
    if (!m_thread.joinable())
        return;
    Shared& shared = *m_shared;
    {
        std::lock_guard<std::mutex> lock(shared.m_mutex);
        shared.m_stop = true;
        shared.m_abortReturned = false;
    }
    shared.m_wake.notify_all();
    // A body blocked in a write or read returns once the stream is aborted. The abort runs on a
    // thread of its own: a stream whose write is stuck inside the device may hold a lock that
    // the abort waits for too (ALSA's plugins do), and the controlling thread must not wait on
    // it.
    std::thread aborter([state = m_shared] {
        state->m_stream->Abort();
        {
            std::lock_guard<std::mutex> lock(state->m_mutex);
            state->m_abortReturned = true;
        }
        state->m_wake.notify_all();
    });
    bool settled = false;
    bool bodyFinished = false;
    {
        std::unique_lock<std::mutex> lock(shared.m_mutex);
        settled = shared.m_wake.wait_for(
            lock, kStopTimeout, [&] { return shared.m_finished && shared.m_abortReturned; });
        bodyFinished = shared.m_finished;
        shared.m_abandoned = !settled;
    }
    if (settled) {
        aborter.join();
        m_thread.join();
        return;
    }
    // The device does not answer: whichever thread still waits on it keeps the stream, which
    // is closed when the last of them returns, if ever.
    m_leftBehind = true;
    aborter.detach();
    if (bodyFinished) {
        m_thread.join();  // it has posted its completion already
        return;
    }
    m_thread.detach();
    // A device that stopped answering has failed; its body will never post.
    shared.Fail();
    if (whenLeftBehind)
        whenLeftBehind();
    Post(shared);
}

void StreamWorker::Post(Shared& shared) {
    if (!shared.m_silenced && shared.m_completion.dispatcher != nullptr)
        shared.m_completion.dispatcher->Post(shared.m_completion.call);
}
