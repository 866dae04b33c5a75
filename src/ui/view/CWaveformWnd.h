#pragma once

#include <QBasicTimer>
#include <QImage>
#include <QRegion>
#include <QWidget>
#include <cstdint>

#include "ui/view/WaveformListeners.h"
#include "ui/view/WaveformMarkColumns.h"
#include "ui/view/WaveformPainter.h"
#include "ui/view/WaveformSelection.h"

class SampleBuffer;

// One channel of a sample, drawn one frame per pixel column (or, in "Peaks", the range of the
// frames of each column), with the marks the user sets with the mouse: a selection (a band of
// inverted columns), a blinking caret (one inverted column) and the play cursor (a line XOR-drawn
// in cyan). The two windows of a stereo view are partners: they show the same frames, and a mouse
// selection in one is repeated in the other unless Ctrl is held.
//
// The waveform is kept in a back buffer; the marks are composed on top of it at every paint, so
// the screen always shows the waveform with exactly the marks of the window's state.
class CWaveformWnd : public QWidget {
    Q_OBJECT

public:
    explicit CWaveformWnd(QWidget* parent = nullptr, uint32_t channelIndex = 0);
    ~CWaveformWnd() override;

    // Places the window in `parent` at `rect`, with child id `id`, drawing `channelIndex`. The
    // view is told about scrolling and Zoom In through `parent` when it implements the view's
    // interface.
    bool Create(const QRect& rect, QWidget* parent, int id, uint32_t channelIndex);
    int GetId() const { return m_nId; }

    void SetSample(SampleBuffer* buffer, uint32_t first, uint32_t last);
    void SetPartner(CWaveformWnd* partner) { m_pPartner = partner; }
    void SetRuler(WaveformRulerListener* ruler) { m_pRuler = ruler; }
    void SetViewListener(WaveformViewListener* view) { m_pView = view; }

    int GetStyle() const { return m_nStyle; }
    void SetStyle(int style);

    void ShowRange(uint32_t first, uint32_t last);
    void ZoomAll(bool updateScrollBar);
    void ZoomToSelection(bool updateScrollBar);
    uint32_t ScrollLeft(bool byPage);
    uint32_t ScrollRight(bool byPage);
    uint32_t ScrollTo(uint32_t target);
    // The scroll range ends with the last frame at mid-window.
    uint32_t GetMaxFirst() const;
    uint32_t GetFrameCount() const;

    uint32_t GetFirst() const { return m_nFirst; }
    uint32_t GetLast() const { return m_nLast; }
    uint32_t GetZoom() const { return m_nZoom; }
    uint32_t GetHalfPage() const { return m_nHalfPage; }
    uint32_t GetEighthPage() const { return m_nEighthPage; }
    uint32_t GetChannelIndex() const { return m_nChannelIndex; }

    bool HasSelection() const { return m_marks.HasSelection(); }
    uint32_t GetSelStart() const { return m_marks.SelStart(); }
    uint32_t GetSelEnd() const { return m_marks.SelEnd(); }
    bool HasCaret() const { return m_marks.HasCaret(); }
    uint32_t GetCaret() const { return m_marks.Caret(); }
    bool IsCaretShown() const { return m_bCaretShown; }
    bool IsBlinking() const { return m_blinkTimer.isActive(); }
    bool IsInactive() const { return m_marks.IsInactive(); }
    bool PartnerFollows() const { return m_marks.PartnerFollows(); }

    // The caller guarantees start <= end < frame count.
    void SetSelection(uint32_t start, uint32_t end);
    void SetCaret(uint32_t frame);
    // The view lost or got the keyboard focus.
    void HideMarks();
    void ShowMarks();

    void MovePlayCursor(uint32_t frame);
    void HidePlayCursor();
    bool HasPlayCursor() const { return m_bPlayCursor; }
    uint32_t GetPlayCursor() const { return m_nPlayCursor; }

    // How many columns of the waveform the last update of the back buffer painted: the whole
    // width after a change of range, only the uncovered strip after a scroll by whole columns.
    int LastPaintedColumns() const { return m_lastPaintedColumns; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    class MarksChange;

    bool CanMark() const;
    void ComputeZoom(uint32_t first, uint32_t last);
    void ReportSelection() const;
    void ReportCaret() const;
    void ReportMarks() const;
    void TellRuler() const;
    void TellViewScrollBar(uint32_t first) const;

    // Mouse steps that the partner repeats: the marks change in m_marks, the window shows it.
    void BeginSelection(int x);
    void ExtendSelection(uint32_t frame);
    void FinishDrag();
    void DropMarks();
    void SelectWholeSample();
    void HideCaret();
    void StartBlinking();

    // The back buffer.
    WaveformGeometry Geometry() const;
    void InvalidateWave();
    void InvalidateColumns(int x0, int x1);
    void ShiftWave(int dx);
    // Brings m_nLast to the last frame a paint of the current range shows.
    void SyncLast();
    void PaintWave(int x0, int x1);
    WaveformMarkColumns MarkColumns() const;
    QRegion MarkRegion() const;
    void RequestMarksPaint(const QRegion& region);

    WaveformRulerListener* m_pRuler = nullptr;
    int m_nStyle = 0;
    bool m_bPlayCursor = false;
    uint32_t m_nPlayCursor = 0;
    CWaveformWnd* m_pPartner = nullptr;
    SampleBuffer* m_pBuffer = nullptr;
    uint32_t m_nFirst = 0;
    uint32_t m_nLast = 0;
    uint32_t m_nZoom = 0;
    WaveformSelection m_marks;
    bool m_bCaretShown = false;  // the blink phase of the caret
    uint32_t m_nHalfPage = 0;
    uint32_t m_nEighthPage = 0;
    uint32_t m_nChannelIndex = 0;

    int m_nId = 0;
    WaveformViewListener* m_pView = nullptr;
    QBasicTimer m_blinkTimer;
    QImage m_wave;     // the waveform without marks
    QImage m_picture;  // the waveform with the marks, as last put on the screen
    bool m_waveDirty = true;
    bool m_lastPending = true;  // the range changed since m_nLast was taken from a paint
    QRegion m_markUpdates;      // paints asked for only to show changed marks
    int m_dirtyFrom = 0;        // columns of m_wave still to paint, when not all of it is dirty
    int m_dirtyTo = -1;
    int m_lastPaintedColumns = 0;
};
