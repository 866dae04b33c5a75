#pragma once

class CWaveformWnd;

// The waveform windows of one view: the upper channel's always, the lower channel's only while
// the view shows a stereo sound. A selector names the channels a command works on: 0 both,
// 1 the upper (left) one, 2 the lower (right) one.
class ChannelPair {
public:
    ChannelPair(CWaveformWnd* upper, CWaveformWnd* lower, bool stereo)
        : m_upper(upper), m_lower(stereo ? lower : nullptr) {}

    CWaveformWnd* Upper() const { return m_upper; }
    // Null while the view is mono.
    CWaveformWnd* Lower() const { return m_lower; }

    // Calls `call` with each window that exists, upper first.
    template <typename Call>
    void ForEach(Call&& call) const {
        if (m_upper != nullptr)
            call(m_upper);
        if (m_lower != nullptr)
            call(m_lower);
    }

    // Calls `call` with each window the selector names.
    template <typename Call>
    void ForSelector(int selector, Call&& call) const {
        if (m_upper != nullptr && selector != 2)
            call(m_upper);
        if (m_lower != nullptr && selector != 1)
            call(m_lower);
    }

    // Whether any window answers `test` with true.
    template <typename Test>
    bool Any(Test&& test) const {
        return (m_upper != nullptr && test(m_upper)) || (m_lower != nullptr && test(m_lower));
    }

    // The window of a one-channel selector (1 or 2), or null.
    CWaveformWnd* WindowFor(int selector) const;

    // The selector for the windows that pass `test` (e.g. hold a selection): one channel alone
    // names that channel, anything else names both.
    template <typename Test>
    int SelectorWhere(Test&& test) const {
        return SelectorFor(m_upper != nullptr && test(m_upper),
                           m_lower != nullptr && test(m_lower));
    }

private:
    int SelectorFor(bool upperMarked, bool lowerMarked) const;

    CWaveformWnd* m_upper;
    CWaveformWnd* m_lower;
};

// The window paints its waveform again from the sample's bytes.
void RedrawWave(CWaveformWnd* window);
