#include "core/effects/CurveCursor.h"

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
