#pragma once

#include <QPoint>

// The state of one mouse drag: where it began, where the mouse is and where it was at the move
// before, and how many moves there have been. The widget pressed on keeps the mouse until the
// button is released, so moves outside it still arrive.
class CDragTracker {
public:
    void Begin(QPoint point);
    // Only while dragging; true when the move was taken.
    bool Move(QPoint point);
    // Only while dragging; true when a drag ended.
    bool End(QPoint point);

    bool IsCapturing() const { return m_bCapturing; }
    QPoint Start() const { return m_start; }
    QPoint Current() const { return m_current; }
    QPoint Previous() const { return m_previous; }
    int MoveCount() const { return m_nMoves; }

private:
    bool m_bCapturing = false;
    QPoint m_start;
    QPoint m_current;
    QPoint m_previous;
    int m_nMoves = 0;
};
