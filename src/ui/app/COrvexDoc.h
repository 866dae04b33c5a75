#pragma once

#include <QList>
#include <QObject>
#include <QString>

#include "core/audio/AudioEventTarget.h"
#include "core/audio/PlaybackSession.h"
#include "core/audio/RecordingSession.h"
#include "core/audio/SessionListener.h"
#include "core/sample/SampleBuffer.h"
#include "core/sample/SampleFormat.h"
#include "platform/qt/QtCompletionDispatcher.h"

class COrvexView;
class QWidget;
struct Services;

// One open sound: the sample buffer, the format its bytes had when it was opened, and the
// document's path and title. Files go through the sound-file registry. The document counts as
// modified from any change of its sound (the sound counts its changes) until it is opened or
// saved; closing it then asks whether to save.
//
// The document owns the sound's playback and recording sessions, so play state is the
// document's: every view of the sound shows the same play cursor and goes idle together,
// whichever view started playback and whichever view's edit, undo or save ended it.
class COrvexDoc : public AudioEventTarget, public SessionListener {
public:
    explicit COrvexDoc(Services& services);
    ~COrvexDoc();
    COrvexDoc(const COrvexDoc&) = delete;
    COrvexDoc& operator=(const COrvexDoc&) = delete;

    // A new empty sound in the default format, titled "Orvex" with the next untitled number.
    bool OnNewDocument();
    // Loads `path` through the registry; the original format becomes the sound's format.
    bool OnOpenDocument(const QString& path);
    // Writes the sound to `path`; once written the document is clean.
    bool OnSaveDocument(const QString& path);

    // Declared before the sessions, so that they close their devices before it goes.
    SampleBuffer sample;
    SampleFormat originalFormat;

    Services& GetServices() const { return m_services; }
    PlaybackSession& Playback() { return m_playback; }
    RecordingSession& Recording() { return m_recording; }
    // Whether the block is lent to a device.
    bool IsBusy() const { return sample.IsLent(); }
    // Whether the views' play cursors follow the output device (Play succeeded and playback
    // has not been stopped since).
    bool IsCursorFollowingPlayback() const { return m_cursorFollows && m_playback.IsPlaying(); }
    // Play: starts playing first..last, or, when a range already plays, stops it where it is
    // and leaves the play cursors there. Answers as PlaybackSession::Play. When the device
    // cannot be opened or does not take the block nothing plays and no message is shown, so
    // Play can be tried again; a device that fails while playing puts every view idle.
    uint16_t Play(uint32_t first, uint32_t last);
    // Stops playback with the play cursors where it was.
    void StopPlayback();

    // AudioEventTarget: the output device's completion arrives here as a queued call.
    CompletionDispatcher& Dispatcher() override { return m_dispatcher; }
    void OnPlayDone() override;
    // SessionListener: the sound took its block back from the device, or the device failed.
    void OnPlaybackEnded() override;

    const QString& GetPathName() const { return m_pathName; }
    void SetPathName(const QString& path);
    const QString& GetTitle() const { return m_title; }
    void SetTitle(const QString& title);
    bool IsModified() const { return sample.ChangeCount() != m_cleanCount; }
    // Called after anything that may have changed the sound (every view command): when it did,
    // every view shows the new sound, `origin` (the view that made the change, or none) keeping
    // its own marks and zoom, and the titles show the modified mark.
    void NoteSoundChanged(COrvexView* origin);
    // Before the document's last window closes: when modified, asks "Save changes to NAME?".
    // Save writes it (asking for a name when it has none), Discard goes on, Cancel or a failed
    // save keeps it open. True when the document may close.
    bool SaveModified(QWidget* parent);

    void AddView(COrvexView* view);
    void RemoveView(COrvexView* view);
    const QList<COrvexView*>& Views() const { return m_views; }

    // Resets the numbering of untitled documents (for tests that count them).
    static void ResetUntitledCountForTesting() { s_untitledCount = 0; }

    // Captions every window of the document, with the modified mark when the sound has changed
    // (an information text typed in the Properties window changes nothing else).
    void UpdateFrameTitles();

private:
    // The sound as it is now counts as the clean one.
    void MarkClean();
    // Every view stops its play timer, moves its play cursors to `frame` when asked to, and
    // updates its commands.
    void ShowPlaybackStopped(bool moveCursors, uint32_t frame);

    Services& m_services;  // first: the sessions are made from it
    QObject m_completionContext;
    QtCompletionDispatcher m_dispatcher{&m_completionContext};
    PlaybackSession m_playback;
    RecordingSession m_recording;
    bool m_cursorFollows = false;
    QString m_pathName;
    QString m_title;
    QList<COrvexView*> m_views;
    uint64_t m_cleanCount = 0;
    uint64_t m_seenCount = 0;
    static int s_untitledCount;
};
