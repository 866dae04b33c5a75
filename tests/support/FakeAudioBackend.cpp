// The fake devices live in the header; this file is kept for the builds that name it.
#include "support/FakeAudioBackend.h"
