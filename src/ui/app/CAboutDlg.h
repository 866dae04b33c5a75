#pragma once

#include <QDialog>
#include <QString>

// The About box: the program's name and version, the free memory and the free space of the file
// system that holds the current folder.
class CAboutDlg : public QDialog {
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget* parent = nullptr);

    // "%lu KB" of available physical memory, or "Unavailable".
    static QString FreeMemoryText();
    // "%lu KB Free on " followed by the mount point holding `folder`, or "Unavailable".
    static QString FreeDiskText(const QString& folder);
};
