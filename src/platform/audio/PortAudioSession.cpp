#include "platform/audio/PortAudioSession.h"

#include <alsa/asoundlib.h>
#include <dlfcn.h>
#include <portaudio.h>

#include <cstdlib>
#include <initializer_list>

namespace {

void SilentAlsaError(const char*, int, const char*, int, const char*, ...) {}
void SilentJackMessage(const char*) {}

// ALSA and JACK report on standard error while PortAudio probes every device it knows of; none
// of that concerns the user. JACK is only reached through PortAudio, so its functions are looked
// up where present, and its server is never started just to find out there is none.
void SilenceStartupChatter() {
    static bool done = false;
    if (done)
        return;
    done = true;
    snd_lib_error_set_handler(SilentAlsaError);
    setenv("JACK_NO_START_SERVER", "1", 0);
    using SetHandler = void (*)(void (*)(const char*));
    for (const char* name : {"jack_set_error_function", "jack_set_info_function"}) {
        if (auto set = reinterpret_cast<SetHandler>(dlsym(RTLD_DEFAULT, name))) {
            set(SilentJackMessage);
        }
    }
}

}  // namespace

PortAudioSession::PortAudioSession() {
    static bool ready = false;
    if (!ready) {  // a failed start is tried again by the next device
        SilenceStartupChatter();
        ready = Pa_Initialize() == paNoError;
    }
    m_open = ready;
}
