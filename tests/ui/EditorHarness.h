#pragma once

#include <QCoreApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QString>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "support/TempDir.h"
#include "support/TestServices.h"
#include "ui/app/CMainFrame.h"
#include "ui/app/COrvexApp.h"
#include "ui/app/COrvexDoc.h"
#include "ui/view/COrvexView.h"

// The editor as a widget test runs it: fresh test services and a scratch folder for every case,
// the application started without the splash, and sample windows opened from files written into
// the folder. A test class derives from QObject first and from this second.
class EditorHarness {
protected:
    std::unique_ptr<TestServices> m_services;
    std::unique_ptr<TempDir> m_dir;
    std::unique_ptr<COrvexApp> m_app;

    CMainFrame* Frame() const { return m_app->MainFrame(); }

    // For init(): untitled windows count from 1 again in every case.
    void PrepareEditor() {
        m_services = std::make_unique<TestServices>();
        m_dir = std::make_unique<TempDir>();
        COrvexDoc::ResetUntitledCountForTesting();
    }
    // For cleanup(): the application goes before the services it uses.
    void DropEditor() {
        m_app.reset();
        m_services.reset();
        m_dir.reset();
    }
    bool StartEditor(Services& services, const QString& commandLine = QString(),
                     const QString& server = QString()) {
        m_app = std::make_unique<COrvexApp>(services);
        COrvexApp::Options options;
        options.showSplash = false;
        options.shellServerName = server;
        return m_app->InitInstance(commandLine, options);
    }
    bool StartEditor() { return StartEditor(m_services->services); }

    QString WriteFile(const std::string& name, const std::vector<uint8_t>& bytes) {
        WriteBytes(m_dir->File(name), bytes);
        return QString::fromStdString(m_dir->File(name));
    }
    // Opens the file's bytes as the user does and lets the new window settle.
    COrvexView* OpenFile(const std::string& name, const std::vector<uint8_t>& bytes) {
        COrvexView* view = m_app->OpenDocumentFile(WriteFile(name, bytes));
        QCoreApplication::processEvents();
        return view;
    }
    void Activate(COrvexView* view) {
        Frame()->MdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(view->parentWidget()));
        QCoreApplication::processEvents();
    }
};
