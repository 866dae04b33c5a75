#include "ui/app/COrvexDoc.h"

#include <QFileInfo>

#include "core/fileformats/SoundFileRegistry.h"
#include "core/messages/MessageSink.h"
#include "core/services/Services.h"
#include "ui/app/SaveFlow.h"
#include "ui/view/COrvexView.h"

int COrvexDoc::s_untitledCount = 0;

COrvexDoc::COrvexDoc(Services& services)
    : m_services(services),
      m_playback(sample, services.devices),
      m_recording(sample, services.devices, services.messages) {
    m_playback.SetListener(this);
    m_recording.SetListener(this);
}

// The sessions close their devices quietly before the sound is freed.
COrvexDoc::~COrvexDoc() = default;

bool COrvexDoc::OnNewDocument() {
    sample.FreeBlock();
    sample.SetFormat(SampleFormat());
    originalFormat = SampleFormat();
    m_pathName.clear();
    MarkClean();
    SetTitle(QStringLiteral("Orvex%1").arg(++s_untitledCount));
    return true;
}

bool COrvexDoc::OnOpenDocument(const QString& path) {
    const bool result = m_services.registry.Open(path.toStdString(), sample);
    if (result)
        originalFormat = sample.FormatRef();
    // The peak summary is built with the loaded sound, not in the first paint in "Peaks".
    sample.Peaks();
    MarkClean();
    return result;
}

bool COrvexDoc::OnSaveDocument(const QString& path) {
    if (!m_services.registry.Save(path.toStdString(), sample))
        return false;
    // A save may rewrite the sound (a mu-law save keeps the quantised values): the views show
    // what was written, which is now the clean sound.
    NoteSoundChanged(nullptr);
    MarkClean();
    UpdateFrameTitles();
    return true;
}

void COrvexDoc::MarkClean() {
    m_cleanCount = sample.ChangeCount();
    m_seenCount = m_cleanCount;
}

void COrvexDoc::NoteSoundChanged(COrvexView* origin) {
    if (sample.ChangeCount() == m_seenCount)
        return;
    m_seenCount = sample.ChangeCount();
    for (COrvexView* view : m_views) view->ShowChangedSound(view == origin);
    UpdateFrameTitles();
}

bool COrvexDoc::SaveModified(QWidget* parent) {
    if (!IsModified())
        return true;
    const std::string question = "Save changes to " + m_title.toStdString() + "?";
    switch (m_services.messages.AskToSave(question)) {
        case SaveChoice::kSave:
            SaveFlow(parent, *this).Save(nullptr);
            return !IsModified();
        case SaveChoice::kDiscard:
            return true;
        case SaveChoice::kCancel:
            return false;
    }
    return false;
}

uint16_t COrvexDoc::Play(uint32_t first, uint32_t last) {
    // Asked before: a device that fails to take the block may answer 1 too.
    const bool wasPlaying = m_playback.IsPlaying();
    const uint16_t code = m_playback.Play(this, kDefaultAudioDevice, first, last);
    if (code == 0) {
        m_cursorFollows = true;
        for (COrvexView* view : m_views) view->StartPlayTimer();
    } else if (wasPlaying) {
        // Pause first, so that the cursors stop where the sound was heard; the completion
        // that the reset posts then closes the device without moving them.
        m_cursorFollows = false;
        m_playback.PausePlay();
        ShowPlaybackStopped(true, m_playback.GetPlayPosition());
        m_playback.ResetPlay();
    }
    return code;
}

void COrvexDoc::StopPlayback() {
    if (!m_playback.IsPlaying())
        return;
    m_cursorFollows = false;
    m_playback.PausePlay();
    ShowPlaybackStopped(true, m_playback.GetPlayPosition());
    m_playback.Stop();
}

void COrvexDoc::OnPlayDone() {
    // After a device failure the session has closed the device and OnPlaybackEnded has put
    // every view idle with its cursors where the sound was last followed.
    if (m_playback.GetBlockResult() != kAudioOk)
        return;
    m_playback.ClosePlay();
    ShowPlaybackStopped(m_cursorFollows, m_playback.GetPlayPosition());
}

void COrvexDoc::OnPlaybackEnded() {
    // The cursors stay where the timer last put them.
    m_cursorFollows = false;
    ShowPlaybackStopped(false, 0);
}

void COrvexDoc::ShowPlaybackStopped(bool moveCursors, uint32_t frame) {
    for (COrvexView* view : m_views) view->ShowPlaybackStopped(moveCursors, frame);
}

void COrvexDoc::SetPathName(const QString& path) {
    m_pathName = QFileInfo(path).absoluteFilePath();
    SetTitle(QFileInfo(path).fileName());
}

void COrvexDoc::SetTitle(const QString& title) {
    m_title = title;
    UpdateFrameTitles();
}

void COrvexDoc::AddView(COrvexView* view) {
    m_views.append(view);
    UpdateFrameTitles();
}

void COrvexDoc::RemoveView(COrvexView* view) {
    m_views.removeAll(view);
    UpdateFrameTitles();
}

void COrvexDoc::UpdateFrameTitles() {
    // A document shown in several windows numbers them "title:1", "title:2", ...
    const qsizetype count = m_views.size();
    for (qsizetype i = 0; i < count; ++i) {
        // A trailing "*" marks changes not yet saved.
        QString caption = count > 1 ? QStringLiteral("%1:%2").arg(m_title).arg(i + 1) : m_title;
        if (IsModified())
            caption += QLatin1Char('*');
        m_views[i]->SetFrameTitle(caption);
    }
}
