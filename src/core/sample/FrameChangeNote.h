#pragma once

#include <cstdint>

#include "core/sample/PeakSummary.h"
#include "core/sample/SampleBuffer.h"

// Said at the top of an operation that changes a sound's bytes: which frames it changes, so
// that the sound's peak summary scans only those again. An operation that says nothing is still
// seen (the summary then scans the whole sound); saying too little is the only fault.
class FrameChangeNote {
public:
    // The operation rewrites frames first..last in place (all-ones as both: the whole sound).
    FrameChangeNote(SampleBuffer& sound, uint32_t first, uint32_t last)
        : m_sound(sound), m_first(first), m_last(last) {
        sound.BeginFrameChange();
    }
    ~FrameChangeNote() { m_sound.EndFrameChange(m_first, m_last); }
    FrameChangeNote(const FrameChangeNote&) = delete;
    FrameChangeNote& operator=(const FrameChangeNote&) = delete;

    // The operation moves the frames from `first` on (a cut, a delete, an insertion).
    static constexpr uint32_t kToEnd = PeakSummary::kToEnd;

private:
    SampleBuffer& m_sound;
    uint32_t m_first;
    uint32_t m_last;
};
