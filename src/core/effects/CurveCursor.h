#pragma once

#include <cstddef>

#include "core/effects/CurveModel.h"

// Evaluates a curve frame after frame as the curve effects walk a range: the positions mostly
// rise, so the cursor keeps the segment it found last with its constants and moves on from there.
// Every value is exactly the one CurveModel::Evaluate gives. The curve must outlive the cursor
// and stay unchanged meanwhile.
class CurveCursor {
public:
    explicit CurveCursor(const CurveModel& curve);
    // Evaluate for each of `count` positions, which never fall (as a walk gives them), into
    // `values`: a run that lies wholly on the segment found last is one straight loop.
    void EvaluateRun(const float* t, size_t count, float* values);
    float Evaluate(float t) {
        // Most frames fall on the segment found last, after the position found last.
        const float px = m_curve.PixelColumn(t);
        if (px >= m_lastColumn && px >= m_left && px <= m_right) {
            m_lastColumn = px;
            return m_constants.ValueAt(t);
        }
        return Seek(t, px);
    }

private:
    float Seek(float t, float px);
    void Load(size_t segment);

    const CurveModel& m_curve;
    bool m_ordered;  // columns never fall, so the first matching segment can be found onward
    float m_lastColumn;
    size_t m_segment = 0;
    size_t m_loaded;
    CurveModel::Segment m_constants;
    // The columns of the loaded segment's ends; an empty span until one is loaded.
    float m_left = 1.0f;
    float m_right = 0.0f;
};
