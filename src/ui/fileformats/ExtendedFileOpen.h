#pragma once

#include <QFileDialog>
#include <memory>

#include "core/audio/AudioEventTarget.h"
#include "core/fileformats/SoundFileRegistry.h"
#include "core/messages/MessageSink.h"
#include "platform/qt/QtCompletionDispatcher.h"

class PlaybackSession;
class QLineEdit;
class QPushButton;
class SampleBuffer;
struct Services;

// The file dialog of the open and save flow with a panel of its own. Open mode: the file format,
// sample format and size of the file under the cursor ("File Format:", "Sample Format:", "Size:",
// fields 1139 to 1141) and "Preview" (1142), which plays the file and stops it on a second click.
// Save mode: "Options..." (1143), the chosen type's save options, enabled only for a type that
// has some. Qt's own (non-native) dialog is used because its layout takes the panel.
class CExtendedFileOpen : public QFileDialog, public AudioEventTarget {
    Q_OBJECT
public:
    CExtendedFileOpen(bool openMode, const QStringList& filters, Services& services,
                      QWidget* parent = nullptr);
    ~CExtendedFileOpen() override;

    // The sound whose save options Options... edits.
    void SetOptionsSample(SampleBuffer* sample) { m_optionsSample = sample; }
    // The chosen file's full path and its name without folder (after confirmation).
    QString FileName() const;
    QString FileTitle() const;
    // The type entry chosen, counted from 1 (0 when none matches).
    int TypeEntry() const;
    bool IsPreviewing() const;

    CompletionDispatcher& Dispatcher() override { return m_dispatcher; }
    void OnPlayDone() override;
    void done(int result) override;

private:
    void AddPanel(QWidget* panel);
    QWidget* BuildOpenPanel();
    QWidget* BuildSavePanel();
    void WatchFileName();
    void OnFileNameChange();
    void OnPreview();
    void OnOptions();
    void UpdateOptionsButton();
    void StopPreview();

    bool m_openMode;
    Services& m_services;
    // Describe runs for every file the cursor passes; a broken one must not raise a box each
    // time, so the fields come from a registry of the same handlers that tells nobody.
    SilentMessageSink m_quiet;
    SoundFileRegistry m_describer{m_quiet};
    SampleBuffer* m_optionsSample = nullptr;
    // The existing file that the panel describes and Preview plays (empty: none).
    QString m_currentPath;
    // The dispatcher outlives the preview's device: members go in reverse order.
    QtCompletionDispatcher m_dispatcher{this};
    std::unique_ptr<SampleBuffer> m_previewSample;
    std::unique_ptr<PlaybackSession> m_preview;

    QLineEdit* m_fileType = nullptr;
    QLineEdit* m_sampleFormat = nullptr;
    QLineEdit* m_size = nullptr;
    QPushButton* m_previewButton = nullptr;
    QPushButton* m_optionsButton = nullptr;
};
