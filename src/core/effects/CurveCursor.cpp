#include "core/effects/CurveCursor.h"
#include "core/effects/VectorClones.h"

#include <limits>

CurveCursor::CurveCursor(const CurveModel& curve)
    : m_curve(curve),
      m_ordered(true),
      m_lastColumn(-std::numeric_limits<float>::infinity()),
      m_loaded(std::numeric_limits<size_t>::max()) {
    for (int i = 1; i < curve.Count(); ++i) {
        if (curve.PointAt(i).x < curve.PointAt(i - 1).x)
            m_ordered = false;
    }
}

void CurveCursor::Load(size_t segment) {
    if (segment == m_loaded)
        return;
    m_constants = m_curve.SegmentAt(segment);
    m_loaded = segment;
    m_left = static_cast<float>(m_curve.PointAt(static_cast<int>(segment)).x);
    m_right = static_cast<float>(m_curve.PointAt(static_cast<int>(segment) + 1).x);
}

float CurveCursor::Seek(float t, float px) {
    // A damaged curve out of order has no simple first match: ask the model itself.
    if (!m_ordered)
        return m_curve.Evaluate(t);
    if (px != px)
        return 0.0f;
    if (px < m_lastColumn)
        m_segment = 0;
    m_lastColumn = px;
    // With columns in order, the first segment whose right end reaches px is the first one that
    // holds px, unless its left end already lies beyond px (then none does).
    const auto count = static_cast<size_t>(m_curve.Count());
    while (m_segment + 1 < count &&
           static_cast<float>(m_curve.PointAt(static_cast<int>(m_segment + 1)).x) < px) {
        ++m_segment;
    }
    if (m_segment + 1 >= count)
        return 0.0f;
    if (static_cast<float>(m_curve.PointAt(static_cast<int>(m_segment)).x) > px)
        return 0.0f;
    Load(m_segment);
    return m_constants.ValueAt(t);
}

namespace {

// The values of one straight segment along a run, clamped to 0..1 as Evaluate clamps them. With
// AVX2 where the processor has it; AVX2 brings no fused multiply-add, so the roundings are the
// same.
ORVEX_VECTOR_CLONES void LinearRun(const float* t, size_t count, float slope, float x0, float y0,
                                   float* values) {
    for (size_t i = 0; i < count; ++i) {
        const float v = slope * (t[i] - x0) + y0;
        values[i] = v > 1.0f ? 1.0f : (v < 0.0f ? 0.0f : v);
    }
}

}  // namespace

void CurveCursor::EvaluateRun(const float* t, size_t count, float* values) {
    if (count == 0)
        return;
    // The column is a rising or falling function of the position, so a run whose ends both lie
    // on the loaded segment, in order, after the column found last, lies on it all along: every
    // frame would take Evaluate's first branch. Anything else (not a number, a segment change)
    // goes frame by frame.
    const float first = m_curve.PixelColumn(t[0]);
    const float last = m_curve.PixelColumn(t[count - 1]);
    if (!(first <= last && first >= m_lastColumn && first >= m_left && last <= m_right)) {
        for (size_t i = 0; i < count; ++i) values[i] = Evaluate(t[i]);
        return;
    }
    m_lastColumn = last;
    const CurveModel::Segment segment = m_constants;
    if (segment.level) {
        for (size_t i = 0; i < count; ++i) values[i] = segment.y0;
        return;
    }
    LinearRun(t, count, segment.slope, segment.x0, segment.y0, values);
}
