#pragma once

#include <QWidget>

class QTextBrowser;

// The user manual: our own short HTML pages in a window of their own.
class CHelpWindow : public QWidget {
    Q_OBJECT

public:
    explicit CHelpWindow(QWidget* owner);
    void ShowContents();
    QTextBrowser* Browser() const { return m_browser; }

private:
    QTextBrowser* m_browser;
};
