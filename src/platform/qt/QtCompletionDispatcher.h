#pragma once

#include <QObject>
#include <QPointer>

#include "core/audio/AudioDevice.h"

// Brings an audio device's completion to the thread of `context` as a queued call. A call that
// arrives after the context object is gone is dropped, so a closed window never gets it.
class QtCompletionDispatcher : public CompletionDispatcher {
public:
    explicit QtCompletionDispatcher(QObject* context) : m_context(context) {}
    void Post(std::function<void()> call) override;

private:
    QPointer<QObject> m_context;
};
