#include "ui/view/ViewCommands.h"

#include "core/clipboard/ClipboardService.h"
#include "core/editing/SampleEditing.h"
#include "core/effects/ChangeSign.h"
#include "core/effects/PeakSearch.h"
#include "core/effects/Reverse.h"
#include "core/effects/ULaw.h"
#include "core/sample/SampleBuffer.h"
#include "core/services/Services.h"
#include "ui/app/COrvexDoc.h"
#include "ui/app/CommandIds.h"
#include "ui/app/SaveFlow.h"
#include "ui/audio/CRecordProgressDlg.h"
#include "ui/controls/WaitCursor.h"
#include "ui/effects/AmplifyCommand.h"
#include "ui/effects/ConvertCommand.h"
#include "ui/effects/CurveCommands.h"
#include "ui/view/COrvexView.h"
#include "ui/view/CWaveformWnd.h"
#include "ui/view/ViewHost.h"

// The Edit, View and Sample commands the sample view carries. Ids the table lacks are disabled.
const ViewCommand* COrvexView::FindCommand(int id) {
    using enum ViewCommandRule;
    static const ViewCommand kCommands[] = {
        {ID_SAMPLE_PLAY, kHasFrames, &COrvexView::OnPlay},
        {ID_VIEW_ZOOMIN, kHasFrames, &COrvexView::OnZoomIn},
        {ID_VIEW_ZOOMOUT, kHasFrames, &COrvexView::ZoomAll},
        {ID_EDIT_COPY, kIdle, &COrvexView::OnCopy},
        {ID_EDIT_CUT, kIdle, &COrvexView::OnCut},
        {ID_EDIT_DELETE, kIdle, &COrvexView::OnDelete},
        {ID_SAMPLE_PEAKSEARCH, kIdle, &COrvexView::OnPeakSearch},
        {ID_SAMPLE_REVERSE, kIdle, &COrvexView::OnReverse},
        {ID_SAMPLE_CHANGESIGN, kIdle, &COrvexView::OnChangeSign},
        {ID_SAMPLE_DECODEULAW, kIdle, &COrvexView::OnDecodeULaw},
        {ID_EDIT_PASTE, kPaste, &COrvexView::OnPaste},
        {ID_EDIT_UNDO, kAlways, &COrvexView::OnUndo},
        {ID_FILE_SAVE_AS, kAlways, &COrvexView::OnSaveAs},
        {ID_VIEW_STYLE_LINES, kAlways, &COrvexView::OnStyleLines},
        {ID_VIEW_STYLE_DOTS, kAlways, &COrvexView::OnStyleDots},
        {ID_VIEW_STYLE_BARS, kAlways, &COrvexView::OnStyleBars},
        {ID_VIEW_STYLE_PEAKS, kAlways, &COrvexView::OnStylePeaks},
        {ID_ZOOM_ALL, kAlways, &COrvexView::ZoomAll},
        {ID_SAMPLE_AMPLIFY, kIdle, &COrvexView::OnAmplify},
        {ID_SAMPLE_CONVERT, kIdle, &COrvexView::OnConvert},
        {ID_SAMPLE_COMPRESSOR, kIdle, &COrvexView::OnCompressor},
        {ID_SAMPLE_ENVELOPE, kIdle, &COrvexView::OnEnvelope},
        {ID_SAMPLE_PANNING, kStereo, &COrvexView::OnPanning},
    };
    for (const ViewCommand& command : kCommands) {
        if (command.id == id)
            return &command;
    }
    return nullptr;
}

bool COrvexView::IsCommandEnabled(int id) const {
    const ViewCommand* command = FindCommand(id);
    if (command == nullptr)
        return false;
    switch (command->rule) {
        case ViewCommandRule::kNever:
            return false;
        case ViewCommandRule::kAlways:
            return true;
        case ViewCommandRule::kHasFrames:
            return HasFrames();
        case ViewCommandRule::kIdle:
            return IsIdle();
        case ViewCommandRule::kStereo:
            return IsIdle() && m_bStereo;
        case ViewCommandRule::kPaste:
            return !m_document->IsBusy() && m_services.clipboard.HasSample();
    }
    return false;
}

void COrvexView::OnCommand(int id) {
    if (!IsCommandEnabled(id))
        return;
    if (const ViewCommand* command = FindCommand(id); command->run != nullptr)
        (this->*command->run)();
    // Whatever the command did to the sound, every view of it shows it and the title marks it.
    m_document->NoteSoundChanged(this);
    if (m_host != nullptr)
        m_host->UpdateCommands();
}

void COrvexView::OnCopy() {
    const WaitCursor wait;
    uint32_t first = 0, last = 0;
    int selector = 0;
    GetMarkedRange(first, last, selector);
    Copy(m_services.clipboard, m_services.messages, Buffer(), first, last,
         static_cast<uint32_t>(selector));
}

void COrvexView::PullBackFirstShown() {
    const uint32_t maxFirst = m_wndUpper->GetMaxFirst();
    if (maxFirst < m_wndUpper->GetFirst()) {
        Channels().ForEach([maxFirst](CWaveformWnd* w) { w->ScrollTo(maxFirst); });
    }
}

void COrvexView::RepaintAll() {
    Channels().ForEach(RedrawWave);
    update();
}

void COrvexView::OnCut() {
    OnCutOrDelete(true);
}

void COrvexView::OnDelete() {
    OnCutOrDelete(false);
}

void COrvexView::OnCutOrDelete(bool cut) {
    uint32_t first = 0, last = 0;
    int selector = 0;
    {
        const WaitCursor wait;
        GetMarkedRange(first, last, selector);
        if (cut)
            Cut(m_services.clipboard, m_services.messages, Buffer(), first, last,
                static_cast<uint32_t>(selector));
        else
            Delete(Buffer(), first, last, static_cast<uint32_t>(selector));
    }
    PullBackFirstShown();
    RepaintAll();
    SetCaret(first, selector);
    UpdateStatus();
}

void COrvexView::OnPaste() {
    uint32_t first = 0, last = 0;
    int selector = 0;
    uint32_t pasted = 0;
    {
        const WaitCursor wait;
        const bool hadSelection =
            Channels().Any([](const CWaveformWnd* w) { return w->HasSelection(); });
        GetInsertRange(first, last, selector);
        if (hadSelection)
            Delete(Buffer(), first, last, static_cast<uint32_t>(selector));
        pasted = Paste(m_services.clipboard, m_services.messages, Buffer(), first,
                       static_cast<uint32_t>(selector));
        // A paste into an empty sample adopts the clipboard's format.
        if (pasted != 0)
            SetStereoLayout(Buffer().GetChannels() != 1);
    }
    PullBackFirstShown();
    RepaintAll();
    SetCaret(first + pasted, selector);
    UpdateStatus();
}

void COrvexView::OnUndo() {
    // The clipboard's sound would end playback anyway; stopping first leaves every view's
    // play cursors where playback was.
    m_document->StopPlayback();
    // A failed allocation leaves no sound at all (and no block): the windows show that too.
    if (!ReplaceFromClipboard(m_services.clipboard, m_services.messages, Buffer()) &&
        Buffer().HasBlock())
        return;
    // The windows are shown the new sound whole: their old marks and range may lie past its
    // end.
    SetStereoLayout(Buffer().GetChannels() != 1);
    const uint32_t frames = Buffer().GetFrameCount();
    Channels().ForEach([&](CWaveformWnd* w) { w->SetSample(&Buffer(), 0, frames - 1); });
    SetCaret(0, 0);
    RepaintAll();
    UpdateScrollBar(m_wndUpper->GetFirst(), m_wndUpper->GetMaxFirst());
    UpdateStatus();
}

void COrvexView::OnSaveAs() {
    if (SaveFlow(window(), *m_document).SaveAs())
        RepaintAll();
}

void COrvexView::OnStyleLines() {
    SetDisplayStyle(kStyleLines);
}

void COrvexView::OnStyleDots() {
    SetDisplayStyle(kStyleDots);
}

void COrvexView::OnStyleBars() {
    SetDisplayStyle(kStyleBars);
}

void COrvexView::OnStylePeaks() {
    SetDisplayStyle(kStylePeaks);
}

void COrvexView::OnZoomIn() {
    // Both windows show the selection of the upper one, or else of the lower one.
    const ChannelPair channels = Channels();
    const CWaveformWnd* selected = nullptr;
    channels.ForEach([&](const CWaveformWnd* w) {
        if (selected == nullptr && w->HasSelection())
            selected = w;
    });
    if (selected != nullptr) {
        const uint32_t start = selected->GetSelStart();
        const uint32_t end = selected->GetSelEnd();
        channels.ForEach([=](CWaveformWnd* w) { w->ShowRange(start, end); });
    }
    UpdateScrollBar(m_wndUpper->GetFirst(), m_wndUpper->GetMaxFirst());
    UpdateStatus();
}

void COrvexView::OnPeakSearch() {
    uint32_t first = 0, last = 0;
    int selector = 0;
    GetMarkedRange(first, last, selector);
    const uint32_t peak = PeakSearch(Buffer(), static_cast<int32_t>(first),
                                     static_cast<int32_t>(last), static_cast<uint32_t>(selector));
    MovePlayCursors(peak);
}

void COrvexView::TransformMarkedRange(bool (*transform)(SampleBuffer&, int32_t, int32_t,
                                                        uint32_t)) {
    uint32_t first = 0, last = 0;
    int selector = 0;
    GetMarkedRange(first, last, selector);
    transform(Buffer(), static_cast<int32_t>(first), static_cast<int32_t>(last),
              static_cast<uint32_t>(selector));
    // A transform may touch more channels than were marked (Change Sign flips the bytes of
    // whole frames), so every window is drawn again.
    RepaintAll();
}

void COrvexView::OnReverse() {
    TransformMarkedRange(&Reverse);
}

void COrvexView::OnChangeSign() {
    TransformMarkedRange(&ChangeSign);
}

void COrvexView::OnDecodeULaw() {
    DecodeULaw(m_services.messages, Buffer());
    RepaintAll();
    UpdateStatus();
}

void COrvexView::OnAmplify() {
    uint32_t first = 0, last = 0;
    int selector = 0;
    GetMarkedRange(first, last, selector);
    if (RunAmplifyCommand(this, Buffer(), m_bStereo, first, last, static_cast<uint32_t>(selector)))
        RepaintAll();
}

void COrvexView::OnEnvelope() {
    uint32_t first = 0, last = 0;
    int selector = 0;
    GetMarkedRange(first, last, selector);
    if (RunEnvelopeCommand(this, m_services, Buffer(), first, last,
                           static_cast<uint32_t>(selector)))
        RepaintAll();
}

void COrvexView::OnCompressor() {
    uint32_t first = 0, last = 0;
    int selector = 0;
    GetMarkedRange(first, last, selector);
    if (RunCompressorCommand(this, m_services, Buffer(), first, last,
                             static_cast<uint32_t>(selector)))
        RepaintAll();
}

// The panning mixes both channels of each frame, whichever channel holds the marks.
void COrvexView::OnPanning() {
    uint32_t first = 0, last = 0;
    int selector = 0;
    GetMarkedRange(first, last, selector);
    if (RunPanningCommand(this, m_services, Buffer(), first, last))
        RepaintAll();
}

void COrvexView::OnConvert() {
    if (RunConvertCommand(this, m_services, Buffer(), m_document->originalFormat)) {
        SetStereoLayout(Buffer().FormatRef().IsStereo());
        RepaintAll();
        SetCaret(0, 0);
        ZoomAll();
        UpdateStatus();
    }
    UpdateStatus();
}

void COrvexView::RecordIntoView(uint32_t size, uint32_t frequency, bool stereo, bool sixteenBit) {
    CRecordProgressDlg dialog(m_document->Recording(), Buffer(), m_services, window());
    dialog.SetQualityText(QString::asprintf("%d Hz, %d bit %s", static_cast<int>(frequency),
                                            sixteenBit ? 16 : 8, stereo ? "Stereo" : "Mono"));
    dialog.Run(size, frequency, stereo, sixteenBit, kDefaultAudioDevice);
    // The sound now holds what was recorded, or is as before when the recording was refused:
    // every window onto it is laid out for the format it really has.
    m_document->originalFormat = Buffer().FormatRef();
    Buffer().Peaks();  // the summary of what was recorded is built now
    for (COrvexView* view : m_document->Views()) view->ShowWholeSound();
}

void COrvexView::ShowWholeSound() {
    if (m_wndUpper == nullptr)
        return;
    SetStereoLayout(Buffer().FormatRef().IsStereo());
    const uint32_t frames = Buffer().GetFrameCount();
    Channels().ForEach([&](CWaveformWnd* w) { w->SetSample(&Buffer(), 0, frames - 1); });
    SetCaret(0, 0);
    RepaintAll();
    ZoomAll();
    UpdateStatus();
}
