#pragma once

#include <QList>
#include <QString>

#include "core/sample/SampleBuffer.h"
#include "core/sample/SampleFormat.h"

class COrvexView;
struct Services;

// One open sound: the sample buffer, the format its bytes had when it was opened, and the
// document's path and title. Files go through the sound-file registry. The document never
// counts as modified, so nothing ever asks to save it.
class COrvexDoc {
public:
    explicit COrvexDoc(Services& services);
    ~COrvexDoc();
    COrvexDoc(const COrvexDoc&) = delete;
    COrvexDoc& operator=(const COrvexDoc&) = delete;

    // A new empty sound in the default format, titled "Orvex" with the next untitled number.
    bool OnNewDocument();
    // Loads `path` through the registry; the original format becomes the sound's format.
    bool OnOpenDocument(const QString& path);
    bool OnSaveDocument(const QString& path);

    SampleBuffer sample;
    SampleFormat originalFormat;

    Services& GetServices() const { return m_services; }

    const QString& GetPathName() const { return m_pathName; }
    void SetPathName(const QString& path);
    const QString& GetTitle() const { return m_title; }
    void SetTitle(const QString& title);
    bool IsModified() const { return false; }

    void AddView(COrvexView* view);
    void RemoveView(COrvexView* view);
    const QList<COrvexView*>& Views() const { return m_views; }

    // Resets the numbering of untitled documents (for tests that count them).
    static void ResetUntitledCountForTesting() { s_untitledCount = 0; }

private:
    void UpdateFrameTitles();

    Services& m_services;
    QString m_pathName;
    QString m_title;
    QList<COrvexView*> m_views;
    static int s_untitledCount;
};
