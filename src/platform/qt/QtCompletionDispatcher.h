#pragma once

#include <QObject>

#include "core/audio/AudioDevice.h"

// Brings an audio device's completion to the thread of `owner` as a queued call. Post touches
// nothing but a receiver object of the dispatcher's own, so it is safe from any thread; the
// dispatcher must outlive every device that posts to it (the engines close their devices first).
// Calls still queued when the dispatcher goes are dropped by Qt with the receiver, and each call
// checks its own token on the owner's thread, so a closed window never gets one.
class QtCompletionDispatcher : public CompletionDispatcher {
public:
    explicit QtCompletionDispatcher(QObject* owner);
    void Post(std::function<void()> call) override;

private:
    QObject m_receiver;
};
