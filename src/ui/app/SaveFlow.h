#pragma once

#include <QString>
#include <functional>

class COrvexDoc;
class MessageSink;
class QWidget;

// File Save and File Save As of one document. Both ask for a name the same way and write through
// the document, whose file handler is chosen by the extension of the name.
class SaveFlow {
public:
    SaveFlow(QWidget* parent, COrvexDoc& document) : m_parent(parent), m_document(document) {}

    // File Save: writes to the document's own path. A document without a path asks for a name
    // first, as Save As does; once written there it takes that path, and `onNewPath` is told it.
    void Save(const std::function<void(const QString&)>& onNewPath);

    // File Save As: asks for a name and writes there; the document takes the title the dialog
    // returned. False when the dialog was cancelled.
    bool SaveAs();

private:
    enum class Outcome { kCancelled, kWritten, kFailed };
    MessageSink& Messages();
    // Asks for a name (starting from the document's title) and writes the sound there.
    Outcome AskAndWrite(QString& path, QString& title);

    QWidget* m_parent;
    COrvexDoc& m_document;
};
