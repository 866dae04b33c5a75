#pragma once

// The owner of a playback or recording session (the document in the editor). It is told when
// the sound took its block back from the device, because an edit, a conversion, a save that
// converts, the clipboard or closing was about to change it, so that every view of the sound can
// go idle. The call comes on the thread that changed the sound, after the device is closed.
class SessionListener {
public:
    virtual void OnPlaybackEnded() {}
    virtual void OnRecordingEnded() {}

protected:
    ~SessionListener() = default;
};
