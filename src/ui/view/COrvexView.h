#pragma once

#include <QBasicTimer>
#include <QWidget>
#include <cstdint>
#include <memory>

#include "ui/view/ChannelPair.h"
#include "ui/view/ScrollMapping.h"
#include "ui/view/TimeRulerListener.h"
#include "ui/view/ViewCommands.h"
#include "ui/view/WaveformListeners.h"

class COrvexDoc;
class CTimeRuler;
class CWaveformWnd;
class QScrollBar;
class SampleBuffer;
struct Services;
class ViewHost;

// The view of a sample document inside its MDI child window: one waveform window per channel,
// the time ruler and a horizontal scroll bar. It resolves the marks of its waveform windows into
// a frame range and channel selector for the Edit and Sample commands, plays the sound with a
// moving play cursor, and keeps the status bar in step with the sample.
class COrvexView : public QWidget, public WaveformViewListener, public TimeRulerViewListener {
    Q_OBJECT

public:
    // The scroll bar's fixed range, whatever the sample's length.
    static constexpr int kScrollRange = ::kScrollRange;
    static constexpr int kPlayTimerMs = 50;

    COrvexView(std::shared_ptr<COrvexDoc> document, ViewHost* host, QWidget* parent = nullptr);
    ~COrvexView() override;

    COrvexDoc* GetDocument() const { return m_document.get(); }
    const std::shared_ptr<COrvexDoc>& SharedDocument() const { return m_document; }
    SampleBuffer& Buffer() const;

    // Creates the child windows once the document holds its sound.
    void OnInitialUpdate();

    // Commands by id: whether the command may run now, and running it (ViewCommands.cpp).
    bool IsCommandEnabled(int id) const;
    void OnCommand(int id);

    void SetSelection(uint32_t first, uint32_t last, int selector) override;
    void SetCaret(uint32_t frame, int selector);
    bool HasCaret() const;
    void GetMarkedRange(uint32_t& first, uint32_t& last, int& selector) const;
    void GetInsertRange(uint32_t& first, uint32_t& last, int& selector) const;
    void SetZoomAt(uint32_t zoom, uint32_t column) override;
    // Draws every waveform window of the view in `style` (WaveformStyle) and remembers the
    // choice in the settings store for the windows opened next.
    void SetDisplayStyle(int style);
    int GetDisplayStyle() const;
    void ZoomAll() override;
    void SetStereoLayout(bool stereo);
    void UpdateStatus();
    void UpdateScrollBar(uint32_t first, uint32_t maxFirst) override;
    // Records a new sound of `size` bytes in the given format over the document's sound, then
    // shows the whole of what was recorded (ViewCommands.cpp).
    void RecordIntoView(uint32_t size, uint32_t frequency, bool stereo, bool sixteenBit);
    void ZoomInFromWaveform() override;

    // The caption of the MDI child window that holds this view.
    void SetFrameTitle(const QString& title);
    // The document's sound changed: the view that made the change (`madeHere`) redraws; any
    // other shows the new sound whole.
    void ShowChangedSound(bool madeHere);
    QSize sizeHint() const override;

    bool IsStereoLayout() const { return m_bStereo; }
    bool IsPlayTimerRunning() const { return m_playTimer.isActive(); }
    CWaveformWnd* UpperWindow() const { return m_wndUpper; }
    CWaveformWnd* LowerWindow() const { return m_wndLower; }
    // The waveform windows shown now: the lower one only while the layout is stereo.
    ChannelPair Channels() const;
    CTimeRuler* Ruler() const { return m_wndRuler; }
    QScrollBar* ScrollBar() const { return m_wndScroll; }

    // The document's playback, shown in this view: the play cursors follow the device on the
    // timer until playback stops; then they move to `frame` when asked to, and the commands
    // are updated.
    void StartPlayTimer();
    void ShowPlaybackStopped(bool moveCursors, uint32_t frame);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool IsIdle() const;
    bool HasFrames() const;
    CWaveformWnd* CreateWaveform(int id, uint32_t channelIndex);
    void Layout();
    int ScrollBarHeight() const;
    void OnScrollAction(int action);
    void RefreshRulerRange();
    // The marks of the windows as one frame range and channel selector; an insert takes a caret
    // as the point to insert at rather than as the whole sample.
    void ResolveMarks(bool insert, uint32_t& first, uint32_t& last, int& selector) const;

    void OnPlay();
    void MovePlayCursors(uint32_t frame);
    // The command handlers (ViewCommands.cpp).
    static const ViewCommand* FindCommand(int id);
    void OnCopy();
    void OnCut();
    void OnDelete();
    void OnCutOrDelete(bool cut);
    void OnPaste();
    void OnUndo();
    void OnSaveAs();
    void OnZoomIn();
    void OnStyleLines();
    void OnStyleDots();
    void OnStyleBars();
    void OnStylePeaks();
    void OnPeakSearch();
    void OnReverse();
    void OnChangeSign();
    void OnDecodeULaw();
    void OnAmplify();
    void OnEnvelope();
    void OnCompressor();
    void OnPanning();
    // Runs a transform on the marked range and redraws the windows of the channels it touched.
    void TransformMarkedRange(bool (*transform)(SampleBuffer&, int32_t, int32_t, uint32_t));
    void OnConvert();
    void PullBackFirstShown();
    // Lays the windows out for the sound's format and shows all of it.
    void ShowWholeSound();
    void RepaintAll();

    std::shared_ptr<COrvexDoc> m_document;
    Services& m_services;
    ViewHost* m_host;

    bool m_bStereo = false;
    CWaveformWnd* m_wndUpper = nullptr;
    CWaveformWnd* m_wndLower = nullptr;
    CTimeRuler* m_wndRuler = nullptr;
    QScrollBar* m_wndScroll = nullptr;
    bool m_bLaidOut = false;
    int m_scrollPage = 0;
    QBasicTimer m_playTimer;
};
