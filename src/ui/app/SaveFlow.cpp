#include "ui/app/SaveFlow.h"

#include "core/messages/MessageSink.h"
#include "core/services/Services.h"
#include "ui/app/COrvexDoc.h"
#include "ui/app/FileDialogs.h"

MessageSink& SaveFlow::Messages() {
    return m_document.GetServices().messages;
}

SaveFlow::Outcome SaveFlow::AskAndWrite(QString& path, QString& title) {
    title = m_document.GetTitle();
    if (!SaveDialog(m_parent, m_document.GetServices(), path, title, m_document.sample))
        return Outcome::kCancelled;
    return m_document.OnSaveDocument(path) ? Outcome::kWritten : Outcome::kFailed;
}

void SaveFlow::Save(const std::function<void(const QString&)>& onNewPath) {
    if (!m_document.GetPathName().isEmpty()) {
        if (!m_document.OnSaveDocument(m_document.GetPathName()))
            Messages().ShowMessage("Failed to save document.");
        return;
    }
    QString path;
    QString title;
    switch (AskAndWrite(path, title)) {
        case Outcome::kCancelled:
            return;
        case Outcome::kWritten:
            m_document.SetPathName(path);
            if (onNewPath)
                onNewPath(m_document.GetPathName());
            return;
        case Outcome::kFailed:
            Messages().ShowMessage("Failed to save document.");
            return;
    }
}

bool SaveFlow::SaveAs() {
    QString path;
    QString title;
    const Outcome outcome = AskAndWrite(path, title);
    if (outcome == Outcome::kCancelled)
        return false;
    // Once written, the document is the new file: its title and File Save follow it, so a
    // later Save never overwrites the file it was saved from. A failed save keeps the old path.
    if (outcome == Outcome::kFailed)
        Messages().ShowMessage("An error occured whilst trying to save the sample");
    else
        m_document.SetPathName(path);
    return true;
}
