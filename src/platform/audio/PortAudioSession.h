#pragma once

// PortAudio made ready for a device. It is initialised on first use and then stays so for the
// life of the process: initialising probes every ALSA device (slow with many plugins), and
// shutting down unloads ALSA's plugin modules with memory they never free. Devices present at
// the first use are the ones offered. Created and destroyed on the user-interface thread only.
class PortAudioSession {
public:
    PortAudioSession();
    PortAudioSession(const PortAudioSession&) = delete;
    PortAudioSession& operator=(const PortAudioSession&) = delete;

    bool IsOpen() const { return m_open; }

private:
    bool m_open = false;
};
