#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>

class CMainFrame;
class CMixerView;
class COrvexView;
class CHelpWindow;
class ShellOpenServer;
struct Services;

// The application: start-up, the document type (a sample document with its view in an MDI
// child window), opening documents from the command line, from drops and from other processes,
// and the application-level commands (New, Open, Help contents, About).
class COrvexApp : public QObject {
    Q_OBJECT

public:
    struct Options {
        bool showSplash = true;
        // The local server that takes shell open requests; empty for none.
        QString shellServerName;
    };

    explicit COrvexApp(Services& services);
    ~COrvexApp() override;

    // Builds the main frame, opens `commandLine` as one file name when it is not empty, and shows
    // the frame. False when the frame cannot be made.
    bool InitInstance(const QString& commandLine, const Options& options);

    CMainFrame* MainFrame() const { return m_frame.get(); }
    Services& GetServices() const { return m_services; }

    // Opens the file in a new sample window, or activates the window that already shows it.
    // Null when the file cannot be opened (the message has been shown).
    COrvexView* OpenDocumentFile(const QString& path);
    // A new empty sample in its own window.
    COrvexView* OnFileNew();
    // A new mixer, "Mixer1", "Mixer2" and so on, in its own window.
    CMixerView* OnFileNewMixer();
    void OnFileOpen();
    void OnHelpContents();
    void OnAppAbout();
    // A second window onto the active view's document.
    COrvexView* OnWindowNew();

    CHelpWindow* HelpWindow() const;

private:
    Services& m_services;
    std::unique_ptr<CMainFrame> m_frame;
    std::unique_ptr<ShellOpenServer> m_shellServer;
    QPointer<CHelpWindow> m_help;
    int m_mixerCount = 0;
};
