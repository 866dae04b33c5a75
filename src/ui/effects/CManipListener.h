#pragma once

#include <QString>
#include <cstdint>

class QLabel;

// The time of a frame in seconds as the readouts show it (0 for a sound without a rate).
inline float SecondsOf(uint32_t frame, uint32_t rate) {
    return rate != 0 ? static_cast<float>(frame) / static_cast<float>(rate) : 0.0f;
}

// Where a curve editor reports the point under the pointer or being dragged: fx is the position
// (0 at the left), fy the fraction of the height from the top (0 at the top, so the value is
// 1 - fy). The base listener writes "0" into its readout; each effect dialog formats its own.
class CManipListener {
public:
    explicit CManipListener(QLabel* readout) : m_readout(readout) {}
    virtual ~CManipListener() = default;
    CManipListener(const CManipListener&) = delete;
    CManipListener& operator=(const CManipListener&) = delete;

    void ShowPosition(float fx, float fy);
    void ClearPosition();
    // The readout text of a point.
    virtual QString PositionText(float fx, float fy) const;

private:
    QLabel* m_readout;
};

// Input level against output level: "0.25 -> 0.50".
class CCompressorListener : public CManipListener {
public:
    using CManipListener::CManipListener;
    QString PositionText(float fx, float fy) const override;
};

// The time within the selection and the gain: "2.0s -> 100.0%".
class CEnvelopeListener : public CManipListener {
public:
    CEnvelopeListener(QLabel* readout, float startSeconds, float endSeconds)
        : CManipListener(readout), m_fStart(startSeconds), m_fEnd(endSeconds) {}
    QString PositionText(float fx, float fy) const override;

private:
    float m_fStart;
    float m_fEnd;
};

// The time within the selection and the shares of the two sides: "0.0s -> 50%L,50%R".
class CPanningListener : public CManipListener {
public:
    CPanningListener(QLabel* readout, float startSeconds, float endSeconds)
        : CManipListener(readout), m_fStart(startSeconds), m_fEnd(endSeconds) {}
    QString PositionText(float fx, float fy) const override;

private:
    float m_fStart;
    float m_fEnd;
};
