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

void StreamWorker::Stop() {
    if (!m_thread.joinable())
        return;
    Shared& shared = *m_shared;
    {
        std::lock_guard<std::mutex> lock(shared.m_mutex);
        shared.m_stop = true;
    }
    shared.m_wake.notify_all();
    // A body blocked in a write or read returns once the stream is aborted.
    shared.m_stream->Abort();
    bool finished = false;
    {
        std::unique_lock<std::mutex> lock(shared.m_mutex);
        finished = shared.m_wake.wait_for(lock, kStopTimeout, [&] { return shared.m_finished; });
        shared.m_abandoned = !finished;
    }
    if (finished) {
        m_thread.join();
    } else {
        // The device does not answer: the body keeps the stream and ends with it, if ever.
        m_leftBehind = true;
        m_thread.detach();
    }
}

void StreamWorker::Post(Shared& shared) {
    if (!shared.m_silenced && shared.m_completion.dispatcher != nullptr)
        shared.m_completion.dispatcher->Post(shared.m_completion.call);
}
