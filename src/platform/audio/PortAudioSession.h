#pragma once

// Holds PortAudio initialised while an open device needs it. PortAudio counts its own
// initialisations, so every device keeps a session of its own and the library is shut down
// with the last one. Created and destroyed on the user-interface thread only.
class PortAudioSession {
public:
    PortAudioSession();
    ~PortAudioSession();
    PortAudioSession(const PortAudioSession&) = delete;
    PortAudioSession& operator=(const PortAudioSession&) = delete;

    bool IsOpen() const { return m_open; }

private:
    bool m_open = false;
};
