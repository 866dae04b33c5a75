#pragma once

#include <QString>
#include <QStringList>

class QWidget;
class SampleBuffer;
struct Services;

// The file dialogs of the open and save flow. Both start in the folder remembered as "LoadPath"
// and store the chosen folder back there; the open dialog reopens on the type last used in this
// run. The handler is chosen later by the extension typed, whatever the type entry.

// The name filters of a registry filter text ("Description|patterns|..."), in Qt's form.
QStringList NameFiltersFromRegistry(const std::string& filter);

// On confirmation `name` is the chosen file's full path.
bool OpenDialog(QWidget* parent, Services& services, QString& name);
// `title` comes in as the document's title (offered cut at its first ".") and goes out as the
// chosen file's name; `path` is the chosen full path.
bool SaveDialog(QWidget* parent, Services& services, QString& path, QString& title,
                SampleBuffer& sample);

// The open dialog's type entry (counted from 1) for the rest of the run.
int OpenDialogTypeEntry();
