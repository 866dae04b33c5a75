#pragma once

#include <cstdint>

class COrvexView;
class QWidget;
class SampleBuffer;

// The parties a waveform window reports to. Each is a small interface so that the sample view,
// the properties sheet, the time ruler and the frequency view plug in without the window knowing
// their classes.

// The sample view that owns the window.
class WaveformViewListener {
public:
    virtual ~WaveformViewListener() = default;
    // The first shown frame or the scroll range changed (a zoom, or scrolling while dragging).
    virtual void UpdateScrollBar(uint32_t first, uint32_t maxFirst) = 0;
    // The right button went down in the window: the view performs its Zoom In.
    virtual void ZoomInFromWaveform() = 0;
};

// The time ruler: told the selection after every change of selection or caret.
class WaveformRulerListener {
public:
    virtual ~WaveformRulerListener() = default;
    virtual void SetSelection(uint32_t left, uint32_t right, bool repaint) = 0;
};

// The floating properties sheet. A selection reports (first, last, bytes per frame, frequency,
// true); a caret reports (caret, 0, bytes per frame, frequency, false).
class SampleSheetListener {
public:
    virtual ~SampleSheetListener() = default;
    virtual void UpdateSelection(uint32_t first, uint32_t last, uint32_t bytesPerFrame,
                                 uint32_t frequency, bool isSelection) = 0;
    // Whether the selection reports of `window` count: the sheet shows one view's marks, and
    // the windows of the other views redraw and report too.
    virtual bool TakesReportsOf(const QWidget* window) const {
        (void)window;
        return true;
    }
    // The active view reports its sound's format, its zoom and style, and its end.
    virtual void UpdateFormat(const COrvexView* view, uint32_t frequency, bool stereo,
                              bool sixteenBit) {
        (void)view, (void)frequency, (void)stereo, (void)sixteenBit;
    }
    virtual void UpdateScale(const COrvexView* view, uint32_t scale, int style) {
        (void)view, (void)scale, (void)style;
    }
    virtual void ViewClosing(const COrvexView* view) { (void)view; }
};

// The frequency view, while one exists: shown the spectrum at the start of the selection each
// time the left button is released in a waveform window.
class SpectrumListener {
public:
    virtual ~SpectrumListener() = default;
    virtual void UpdateSpectrum(const SampleBuffer* buffer, uint32_t centreFrame) = 0;
};

// There is one properties sheet and at most one frequency view in the program; their owners
// register them here (and clear the registration before they go).
void SetSampleSheetListener(SampleSheetListener* sheet);
SampleSheetListener* GetSampleSheetListener();
void SetSpectrumListener(SpectrumListener* spectrum);
SpectrumListener* GetSpectrumListener();
