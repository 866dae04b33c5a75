#include "core/audio/AudioDevice.h"

bool IsPlayableFormat(const AudioFormat& format) {
    if (format.formatTag != 1 || (format.channels != 1 && format.channels != 2) ||
        (format.bitsPerSample != 8 && format.bitsPerSample != 16)) {
        return false;
    }
    if (format.samplesPerSecond == 0 || format.samplesPerSecond > 50000) {
        return false;
    }
    return format.blockAlign == format.channels * format.bitsPerSample / 8;
}
