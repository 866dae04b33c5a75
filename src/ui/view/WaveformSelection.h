#pragma once

#include <cstdint>

// The marks of one waveform window and the left-button drag that sets them, apart from how they
// are drawn: either a selection (a frame range) or a caret (one frame), or neither; while the
// view lacks the focus both are put away and come back when it returns.
//
// A drag starts with a press (Begin: a one-frame selection at the anchor), moves its free end
// (Extend), and ends (Finish) in the selection between anchor and free end, or in a caret at the
// anchor when the mouse never moved. The partner window of a stereo view repeats the drag unless
// Ctrl was held at the press (PartnerFollows).
class WaveformSelection {
public:
    bool HasSelection() const { return m_selection; }
    uint32_t SelStart() const { return m_selStart; }
    uint32_t SelEnd() const { return m_selEnd; }
    bool HasCaret() const { return m_caret; }
    uint32_t Caret() const { return m_caretFrame; }
    bool IsInactive() const { return m_inactive; }
    bool IsDragging() const { return m_dragging; }
    uint32_t DragEnd() const { return m_dragEnd; }
    bool PartnerFollows() const { return m_partnerFollows; }
    void SetPartnerFollows(bool follows) { m_partnerFollows = follows; }

    // Marks set by the view. The caller guarantees start <= end.
    void SetSelection(uint32_t start, uint32_t end);
    void SetCaret(uint32_t frame);
    // No marks at all.
    void Drop();
    // The whole sample of `count` frames (count > 0) selected.
    void SelectAll(uint32_t count);

    // The view lost the focus: the marks are put away. Showing them again brings them back.
    void Hide();
    void Show();

    // The left button went down (Grab) and up (Release); Release tells whether a drag was on.
    void Grab() { m_dragging = true; }
    bool Release();
    // The press at `frame` of a sample of `count` frames (count > 0): a press beyond the data
    // marks the last frame.
    void Begin(uint32_t frame, uint32_t count);
    // The free end moved to `frame` (a different frame from DragEnd()).
    void Extend(uint32_t frame);
    // The drag ended; true when it left a caret rather than a selection.
    bool Finish();

private:
    void Mark(bool selection, bool caret);

    bool m_caret = true;
    uint32_t m_caretFrame = 0;
    bool m_selection = false;
    uint32_t m_selStart = 0;
    uint32_t m_selEnd = 0;
    bool m_savedCaret = true;
    bool m_savedSelection = false;
    bool m_inactive = false;
    bool m_dragging = false;
    uint32_t m_anchor = 0;
    uint32_t m_dragEnd = 0;
    bool m_dragMoved = false;
    bool m_partnerFollows = false;
};
