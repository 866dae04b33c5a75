#include "ui/mixer/CDragTracker.h"

void CDragTracker::Begin(QPoint point) {
    m_bCapturing = true;
    m_nMoves = 0;
    m_start = m_current = m_previous = point;
}

bool CDragTracker::Move(QPoint point) {
    if (!m_bCapturing)
        return false;
    m_previous = m_current;
    m_current = point;
    ++m_nMoves;
    return true;
}

bool CDragTracker::End(QPoint point) {
    if (!m_bCapturing)
        return false;
    m_previous = m_current;
    m_current = point;
    m_bCapturing = false;
    return true;
}
