#include "ui/app/COrvexApp.h"

#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <memory>

#include "core/services/Services.h"
#include "ui/app/CAboutDlg.h"
#include "ui/app/CHelpWindow.h"
#include "ui/app/CMainFrame.h"
#include "ui/app/COrvexDoc.h"
#include "ui/app/CSplashWnd.h"
#include "ui/app/FileDialogs.h"
#include "ui/app/ShellOpen.h"
#include "ui/mixer/CMixerView.h"
#include "ui/view/COrvexView.h"

// The pictures, icons and manual are compiled into the editor's library.
static void InitResources() {
    Q_INIT_RESOURCE(resources);
}

COrvexApp::COrvexApp(Services& services) : m_services(services) {
    InitResources();
}

COrvexApp::~COrvexApp() {
    m_shellServer.reset();
    if (m_help)
        delete m_help.data();
    m_frame.reset();
}

bool COrvexApp::InitInstance(const QString& commandLine, const Options& options) {
    m_frame = std::make_unique<CMainFrame>(this, m_services);
    if (!m_frame->Create())
        return false;
    if (options.showSplash)
        CSplashWnd::ShowFor(m_frame.get());
    if (!options.shellServerName.isEmpty()) {
        m_shellServer = std::make_unique<ShellOpenServer>(options.shellServerName);
        connect(m_shellServer.get(), &ShellOpenServer::OpenRequested, this,
                [this](const QString& path) {
                    OpenDocumentFile(path);
                    m_frame->raise();
                    m_frame->activateWindow();
                });
    }
    m_frame->show();
    if (!commandLine.isEmpty())
        OpenDocumentFile(commandLine);
    return true;
}

COrvexView* COrvexApp::OpenDocumentFile(const QString& path) {
    const QString full = QFileInfo(path).absoluteFilePath();
    for (COrvexView* view : m_frame->Views()) {
        if (view->GetDocument()->GetPathName() == full) {
            m_frame->MdiArea()->setActiveSubWindow(
                qobject_cast<QMdiSubWindow*>(view->parentWidget()));
            return view;
        }
    }
    auto document = std::make_shared<COrvexDoc>(m_services);
    if (!document->OnOpenDocument(path))
        return nullptr;
    document->SetPathName(full);
    m_frame->AddToRecentFiles(full);
    auto* view = new COrvexView(document, m_frame.get());
    m_frame->AddView(view);
    view->OnInitialUpdate();
    m_frame->UpdateCommands();
    return view;
}

COrvexView* COrvexApp::OnFileNew() {
    auto document = std::make_shared<COrvexDoc>(m_services);
    document->OnNewDocument();
    auto* view = new COrvexView(document, m_frame.get());
    m_frame->AddView(view);
    view->OnInitialUpdate();
    m_frame->UpdateCommands();
    return view;
}

CMixerView* COrvexApp::OnFileNewMixer() {
    CMainFrame* frame = m_frame.get();
    auto* mixer = new CMixerView(m_services.messages, [frame]() { return frame->Views(); });
    mixer->setWindowTitle(QStringLiteral("Mixer%1").arg(++m_mixerCount));
    m_frame->AddMixer(mixer);
    mixer->OnInitialUpdate();
    m_frame->UpdateCommands();
    return mixer;
}

COrvexView* COrvexApp::OnWindowNew() {
    COrvexView* active = m_frame->ActiveView();
    if (active == nullptr)
        return nullptr;
    auto* view = new COrvexView(active->SharedDocument(), m_frame.get());
    m_frame->AddView(view);
    view->OnInitialUpdate();
    m_frame->UpdateCommands();
    return view;
}

void COrvexApp::OnFileOpen() {
    QString name;
    if (OpenDialog(m_frame.get(), m_services, name))
        OpenDocumentFile(name);
}

void COrvexApp::OnHelpContents() {
    if (!m_help)
        m_help = new CHelpWindow(m_frame.get());
    m_help->ShowContents();
}

void COrvexApp::OnAppAbout() {
    CAboutDlg about(m_frame.get());
    about.exec();
}

CHelpWindow* COrvexApp::HelpWindow() const {
    return m_help.data();
}
