#include "ui/view/WaveformSelection.h"

#include <algorithm>

void WaveformSelection::SetSelection(uint32_t start, uint32_t end) {
    m_selStart = start;
    m_selEnd = end;
    Mark(true, false);
}

void WaveformSelection::SetCaret(uint32_t frame) {
    m_caretFrame = frame;
    Mark(false, true);
}

void WaveformSelection::Drop() {
    Mark(false, false);
}

// Marks set while they are put away (a recording or a conversion made in another window of
// the sound) are the ones that come back with the focus, not those from before.
void WaveformSelection::Mark(bool selection, bool caret) {
    m_selection = selection;
    m_caret = caret;
    if (m_inactive) {
        m_savedSelection = selection;
        m_savedCaret = caret;
    }
}

void WaveformSelection::SelectAll(uint32_t count) {
    SetSelection(0, count - 1);
}

void WaveformSelection::Hide() {
    if (!m_inactive) {
        m_savedCaret = m_caret;
        m_savedSelection = m_selection;
        m_selection = false;
        m_caret = false;
    }
    m_inactive = true;
}

void WaveformSelection::Show() {
    if (m_inactive) {
        m_selection = m_savedSelection;
        m_caret = m_savedCaret;
    }
    m_inactive = false;
}

bool WaveformSelection::Release() {
    const bool wasDragging = m_dragging;
    m_dragging = false;
    return wasDragging;
}

void WaveformSelection::Begin(uint32_t frame, uint32_t count) {
    Mark(true, false);
    m_dragMoved = false;
    m_anchor = frame;
    if (m_anchor < count) {
        m_dragEnd = m_selStart = m_selEnd = m_anchor;
    } else {
        m_anchor = m_dragEnd = m_selStart = m_selEnd = m_caretFrame = count - 1;
    }
}

void WaveformSelection::Extend(uint32_t f) {
    const uint32_t d = m_dragEnd;
    if (f > d) {
        if (m_selEnd >= f) {
            m_selStart = f;  // the moving end is the start and stays left of the anchor
        } else if (m_selEnd > d) {
            m_selStart = m_selEnd;  // the moving end crosses the anchor
            m_selEnd = f;
        } else {
            m_selEnd = f;
        }
    } else {
        if (m_selStart < f) {
            m_selEnd = f;
        } else if (d > m_selStart) {
            m_selEnd = m_selStart;
            m_selStart = f;
        } else {
            m_selStart = f;
        }
    }
    m_dragEnd = f;
    m_dragMoved = true;
}

bool WaveformSelection::Finish() {
    if (m_dragMoved) {
        m_selStart = std::min(m_anchor, m_dragEnd);
        m_selEnd = std::max(m_anchor, m_dragEnd);
        Mark(true, false);
        return false;
    }
    // The one-frame band drawn at the press is the caret line's shown phase.
    SetCaret(m_anchor);
    return true;
}
