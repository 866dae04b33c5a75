#pragma once

#include "core/audio/AudioDevice.h"

// The object that receives a device's completion on the user-interface thread (the sample view
// for playback, the recording progress dialog for recording). It and its dispatcher must outlive
// the device: close it (ClosePlay, the end of a recording, or the end of the session's lease)
// before the target goes away. The Qt editor's dispatcher posts with QMetaObject::invokeMethod and
// Qt::QueuedConnection; orvex-batch and tests use CompletionQueue.
class AudioEventTarget {
public:
    virtual ~AudioEventTarget() = default;
    // Brings the device's completion to this target's thread.
    virtual CompletionDispatcher& Dispatcher() = 0;
    // The output device has played (or been reset from) the block.
    virtual void OnPlayDone() {}
    // The input device returns its buffer; pass `header` on to RecordBufferDone.
    virtual void OnRecordData(RecordHeader* /*header*/) {}
};
