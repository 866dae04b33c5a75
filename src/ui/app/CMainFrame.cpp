#include "ui/app/CMainFrame.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QFileInfo>
#include <QIcon>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMimeData>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QToolBar>
#include <QUrl>

#include "core/messages/MessageSink.h"
#include "core/services/Services.h"
#include "core/settings/SettingsStore.h"
#include "ui/app/COrvexApp.h"
#include "ui/app/COrvexDoc.h"
#include "ui/app/CommandIds.h"
#include "ui/app/CommandText.h"
#include "ui/app/FileDialogs.h"
#include "ui/view/COrvexView.h"

namespace {

// Where the frame keeps what it remembers between runs.
constexpr const char* kGeneralKey = "General";
constexpr const char* kBarStateValue = "BarState";
constexpr const char* kRecentKey = "Recent File List";

const QString kIdlePrompt = QStringLiteral("Ready");

// The commands that the active sample view carries.
bool IsViewCommand(int id) {
    switch (id) {
        case ID_SAMPLE_PLAY:
        case ID_EDIT_COPY:
        case ID_EDIT_CUT:
        case ID_EDIT_DELETE:
        case ID_EDIT_PASTE:
        case ID_EDIT_UNDO:
        case ID_FILE_SAVE_AS:
        case ID_SAMPLE_AMPLIFY:
        case ID_SAMPLE_COMPRESSOR:
        case ID_SAMPLE_CONVERT:
        case ID_SAMPLE_ENVELOPE:
        case ID_SAMPLE_PEAKSEARCH:
        case ID_SAMPLE_REVERSE:
        case ID_SAMPLE_PANNING:
        case ID_SAMPLE_CHANGESIGN:
        case ID_SAMPLE_DECODEULAW:
        case ID_VIEW_ZOOMIN:
        case ID_VIEW_ZOOMOUT:
            return true;
        default:
            return false;
    }
}

// The texts that size the status panes after the message pane.
const char* const kPaneSizingTexts[] = {"9999999999 Bytes", "16 Bit ", "44010 Hz ", "360000 sec",
                                        "1:1000"};

}  // namespace

CMainFrame::CMainFrame(COrvexApp* app, Services& services) : m_app(app), m_services(services) {
    setObjectName(QStringLiteral("MainFrame"));
    setWindowTitle(QStringLiteral("Orvex"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/orvex.svg")));
}

CMainFrame::~CMainFrame() {
    // The views go before the frame's own members, so that none reports to a half-gone frame.
    if (m_mdi != nullptr) {
        for (QMdiSubWindow* sub : m_mdi->subWindowList()) delete sub;
    }
}

bool CMainFrame::Create() {
    m_mdi = new QMdiArea(this);
    m_mdi->setObjectName(QStringLiteral("MdiArea"));
    m_mdi->setBackground(palette().dark());
    setCentralWidget(m_mdi);
    connect(m_mdi, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow*) {
        if (COrvexView* view = ActiveView())
            view->UpdateStatus();
        UpdateFrameTitle();
        UpdateCommands();
    });

    CreateActions();
    CreateMenus();
    if (!CreateToolBars())
        return false;
    setAcceptDrops(true);
    if (!CreateStatusBar())
        return false;
    setDockOptions(QMainWindow::AnimatedDocks | QMainWindow::AllowTabbedDocks);
    LoadRecentFiles();
    LoadBarState();
    connect(QApplication::clipboard(), &QClipboard::dataChanged, this, &CMainFrame::UpdateCommands);
    resize(900, 620);
    UpdateCommands();
    return true;
}

QAction* CMainFrame::MakeAction(int id, const QString& menuText, const QString& iconName) {
    auto* action = new QAction(menuText, this);
    action->setData(id);
    action->setStatusTip(CommandPrompt(id));
    const QString tip = CommandToolTip(id);
    if (!tip.isEmpty())
        action->setToolTip(tip);
    if (!iconName.isEmpty())
        action->setIcon(QIcon(QStringLiteral(":/icons/%1.svg").arg(iconName)));
    connect(action, &QAction::triggered, this, [this, id]() { OnCommand(id); });
    m_actions.insert(id, action);
    return action;
}

void CMainFrame::CreateActions() {
    // Menu texts carry their key names after a tab, as the menus show them.
    MakeAction(ID_FILE_NEW, QStringLiteral("&New\tCtrl+N"), QStringLiteral("new"))
        ->setShortcut(QKeySequence(QStringLiteral("Ctrl+N")));
    MakeAction(ID_FILE_OPEN, QStringLiteral("&Open...\tCtrl+O"), QStringLiteral("open"))
        ->setShortcut(QKeySequence(QStringLiteral("Ctrl+O")));
    MakeAction(ID_FILE_CLOSE, QStringLiteral("&Close"));
    MakeAction(ID_FILE_SAVE, QStringLiteral("&Save\tCtrl+S"), QStringLiteral("save"))
        ->setShortcut(QKeySequence(QStringLiteral("Ctrl+S")));
    MakeAction(ID_FILE_SAVE_AS, QStringLiteral("Save &As..."));
    MakeAction(ID_APP_EXIT, QStringLiteral("E&xit"));

    MakeAction(ID_EDIT_CUT, QStringLiteral("Cu&t\tCtrl+X"), QStringLiteral("cut"))
        ->setShortcuts(
            {QKeySequence(QStringLiteral("Ctrl+X")), QKeySequence(QStringLiteral("Shift+Del"))});
    MakeAction(ID_EDIT_COPY, QStringLiteral("&Copy\tCtrl+C"), QStringLiteral("copy"))
        ->setShortcuts(
            {QKeySequence(QStringLiteral("Ctrl+C")), QKeySequence(QStringLiteral("Ctrl+Ins"))});
    MakeAction(ID_EDIT_PASTE, QStringLiteral("&Paste\tCtrl+V"), QStringLiteral("paste"))
        ->setShortcuts(
            {QKeySequence(QStringLiteral("Ctrl+V")), QKeySequence(QStringLiteral("Shift+Ins"))});
    MakeAction(ID_EDIT_DELETE, QStringLiteral("&Delete\tDel"))
        ->setShortcut(QKeySequence(QStringLiteral("Del")));
    // Undo has keys but no menu entry: it replaces the sound with the clipboard's.
    QAction* undo = MakeAction(ID_EDIT_UNDO, QStringLiteral("Undo"));
    undo->setShortcuts(
        {QKeySequence(QStringLiteral("Ctrl+Z")), QKeySequence(QStringLiteral("Alt+Backspace"))});
    addAction(undo);
    MakeAction(ID_EDIT_PROPERTIES, QStringLiteral("Pr&operties...\tAlt+Enter"),
               QStringLiteral("properties"))
        ->setShortcuts({QKeySequence(QStringLiteral("Alt+Return")),
                        QKeySequence(QStringLiteral("Alt+Enter"))});

    QAction* mainBar = MakeAction(ID_VIEW_MAINTOOLBAR, QStringLiteral("&Main Toolbar"));
    QAction* utilitiesBar =
        MakeAction(ID_VIEW_UTILITIESTOOLBAR, QStringLiteral("&Utilities Toolbar"));
    QAction* statusBarAction = MakeAction(ID_VIEW_STATUS_BAR, QStringLiteral("&Status Bar"));
    for (QAction* toggle : {mainBar, utilitiesBar, statusBarAction}) {
        toggle->setCheckable(true);
        toggle->setChecked(true);
    }
    // The menu promises "Ctrl +" and "Ctrl -", so those keys work too.
    MakeAction(ID_VIEW_ZOOMIN, QStringLiteral("Zoom &In\tCtrl +"), QStringLiteral("zoomin"))
        ->setShortcuts(
            {QKeySequence(QStringLiteral("Ctrl++")), QKeySequence(QStringLiteral("Ctrl+="))});
    MakeAction(ID_VIEW_ZOOMOUT, QStringLiteral("Zoom &Out\tCtrl -"), QStringLiteral("zoomout"))
        ->setShortcut(QKeySequence(QStringLiteral("Ctrl+-")));

    MakeAction(ID_SAMPLE_PLAY, QStringLiteral("&Play\tCtrl+P"), QStringLiteral("play"))
        ->setShortcut(QKeySequence(QStringLiteral("Ctrl+P")));
    MakeAction(ID_SAMPLE_RECORD, QStringLiteral("&Record..."), QStringLiteral("record"));
    MakeAction(ID_SAMPLE_AMPLIFY, QStringLiteral("&Amplify..."), QStringLiteral("amplify"));
    MakeAction(ID_SAMPLE_COMPRESSOR, QStringLiteral("C&ompressor / Expander..."),
               QStringLiteral("compressor"));
    MakeAction(ID_SAMPLE_CONVERT, QStringLiteral("&Convert...."), QStringLiteral("convert"));
    MakeAction(ID_SAMPLE_ENVELOPE, QStringLiteral("&Envelope..."), QStringLiteral("envelope"));
    MakeAction(ID_SAMPLE_PEAKSEARCH, QStringLiteral("&Peak Search"), QStringLiteral("peaksearch"));
    MakeAction(ID_SAMPLE_REVERSE, QStringLiteral("Re&verse"), QStringLiteral("reverse"));
    MakeAction(ID_SAMPLE_PANNING, QStringLiteral("Stereo Panning..."), QStringLiteral("panning"));
    MakeAction(ID_SAMPLE_CHANGESIGN, QStringLiteral("C&hange Sign"), QStringLiteral("changesign"));
    MakeAction(ID_SAMPLE_DECODEULAW, QStringLiteral("Decode uLaw"), QStringLiteral("decodeulaw"));

    MakeAction(ID_WINDOW_NEW, QStringLiteral("&New Window"));
    MakeAction(ID_WINDOW_CASCADE, QStringLiteral("&Cascade"));
    MakeAction(ID_WINDOW_TILE_HORZ, QStringLiteral("&Tile"));
    MakeAction(ID_WINDOW_ARRANGE, QStringLiteral("&Arrange Icons"));
    MakeAction(ID_WINDOW_CLOSEALL, QStringLiteral("Close Al&l"));

    MakeAction(ID_HELP_CONTENTS, QStringLiteral("Contents..."));
    MakeAction(ID_APP_ABOUT, QStringLiteral("&About Orvex..."), QStringLiteral("about"));

    // Every command's keys work wherever the focus is inside the frame.
    for (QAction* action : std::as_const(m_actions)) action->setShortcutContext(Qt::WindowShortcut);
}

void CMainFrame::CreateMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    for (int id : {ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_CLOSE, ID_FILE_SAVE, ID_FILE_SAVE_AS})
        file->addAction(Action(id));
    file->addSeparator();
    m_recentPlaceholder = file->addAction(QStringLiteral("Recent File"));
    m_recentPlaceholder->setEnabled(false);
    m_recentPlaceholder->setStatusTip(CommandPrompt(ID_FILE_MRU_FILE1));
    for (int i = 0; i < kMruSize; ++i) {
        QAction* entry = file->addAction(QString());
        entry->setStatusTip(CommandPrompt(ID_FILE_MRU_FILE1));
        entry->setVisible(false);
        connect(entry, &QAction::triggered, this, [this, i]() {
            if (i < m_recent.size())
                m_app->OpenDocumentFile(m_recent[i]);
        });
        m_recentActions.append(entry);
    }
    file->addSeparator();
    file->addAction(Action(ID_APP_EXIT));

    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    for (int id : {ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, ID_EDIT_DELETE})
        edit->addAction(Action(id));
    edit->addSeparator();
    edit->addAction(Action(ID_EDIT_PROPERTIES));

    QMenu* viewMenu = menuBar()->addMenu(QStringLiteral("&View"));
    for (int id : {ID_VIEW_MAINTOOLBAR, ID_VIEW_UTILITIESTOOLBAR, ID_VIEW_STATUS_BAR})
        viewMenu->addAction(Action(id));
    viewMenu->addSeparator();
    viewMenu->addAction(Action(ID_VIEW_ZOOMIN));
    viewMenu->addAction(Action(ID_VIEW_ZOOMOUT));

    QMenu* sample = menuBar()->addMenu(QStringLiteral("&Sample"));
    sample->addAction(Action(ID_SAMPLE_PLAY));
    sample->addAction(Action(ID_SAMPLE_RECORD));
    sample->addSeparator();
    for (int id : {ID_SAMPLE_AMPLIFY, ID_SAMPLE_COMPRESSOR, ID_SAMPLE_CONVERT, ID_SAMPLE_ENVELOPE,
                   ID_SAMPLE_PEAKSEARCH, ID_SAMPLE_REVERSE, ID_SAMPLE_PANNING})
        sample->addAction(Action(id));
    sample->addSeparator();
    sample->addAction(Action(ID_SAMPLE_CHANGESIGN));
    sample->addAction(Action(ID_SAMPLE_DECODEULAW));

    m_windowMenu = menuBar()->addMenu(QStringLiteral("&Window"));
    connect(m_windowMenu, &QMenu::aboutToShow, this, [this]() {
        m_windowMenu->clear();
        for (int id : {ID_WINDOW_NEW, ID_WINDOW_CASCADE, ID_WINDOW_TILE_HORZ, ID_WINDOW_ARRANGE,
                       ID_WINDOW_CLOSEALL})
            m_windowMenu->addAction(Action(id));
        const QList<QMdiSubWindow*> windows = m_mdi->subWindowList();
        if (!windows.isEmpty())
            m_windowMenu->addSeparator();
        for (qsizetype i = 0; i < windows.size(); ++i) {
            QMdiSubWindow* sub = windows[i];
            QAction* entry = m_windowMenu->addAction(
                QStringLiteral("&%1 %2").arg(i + 1).arg(sub->windowTitle()));
            entry->setCheckable(true);
            entry->setChecked(sub == m_mdi->activeSubWindow());
            connect(entry, &QAction::triggered, this,
                    [this, sub]() { m_mdi->setActiveSubWindow(sub); });
        }
    });
    // The menu has entries before it is first opened, so that its keys work at once.
    for (int id : {ID_WINDOW_NEW, ID_WINDOW_CASCADE, ID_WINDOW_TILE_HORZ, ID_WINDOW_ARRANGE,
                   ID_WINDOW_CLOSEALL})
        m_windowMenu->addAction(Action(id));

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->addAction(Action(ID_HELP_CONTENTS));
    help->addSeparator();
    help->addAction(Action(ID_APP_ABOUT));
    UpdateRecentMenu();
}

bool CMainFrame::CreateToolBars() {
    m_mainBar = new QToolBar(QStringLiteral("Main"), this);
    m_mainBar->setObjectName(QStringLiteral("Main"));
    const int mainIds[] = {ID_FILE_NEW,      ID_FILE_OPEN,   ID_FILE_SAVE, ID_SEPARATOR,
                           ID_SAMPLE_RECORD, ID_SAMPLE_PLAY, ID_SEPARATOR, ID_VIEW_ZOOMIN,
                           ID_VIEW_ZOOMOUT,  ID_SEPARATOR,   ID_EDIT_CUT,  ID_EDIT_COPY,
                           ID_EDIT_PASTE,    ID_SEPARATOR,   ID_APP_ABOUT};
    for (int id : mainIds) {
        if (id == ID_SEPARATOR)
            m_mainBar->addSeparator();
        else
            m_mainBar->addAction(Action(id));
    }
    m_utilitiesBar = new QToolBar(QStringLiteral("Utilities"), this);
    m_utilitiesBar->setObjectName(QStringLiteral("Utilities"));
    const int utilityIds[] = {ID_SAMPLE_AMPLIFY,   ID_SAMPLE_COMPRESSOR, ID_SAMPLE_CONVERT,
                              ID_SAMPLE_ENVELOPE,  ID_SAMPLE_PEAKSEARCH, ID_SAMPLE_REVERSE,
                              ID_SAMPLE_PANNING,   ID_SEPARATOR,         ID_SAMPLE_CHANGESIGN,
                              ID_SAMPLE_DECODEULAW};
    for (int id : utilityIds) {
        if (id == ID_SEPARATOR)
            m_utilitiesBar->addSeparator();
        else
            m_utilitiesBar->addAction(Action(id));
    }
    for (QToolBar* bar : {m_mainBar, m_utilitiesBar}) {
        bar->setAllowedAreas(Qt::AllToolBarAreas);
        bar->setMovable(true);
        bar->setFloatable(true);
        bar->setIconSize(QSize(16, 16));
    }
    // "Utilities" sits on the same row directly to the right of "Main".
    addToolBar(Qt::TopToolBarArea, m_mainBar);
    addToolBar(Qt::TopToolBarArea, m_utilitiesBar);

    connect(m_mainBar, &QToolBar::visibilityChanged, Action(ID_VIEW_MAINTOOLBAR),
            &QAction::setChecked);
    connect(m_utilitiesBar, &QToolBar::visibilityChanged, Action(ID_VIEW_UTILITIESTOOLBAR),
            &QAction::setChecked);
    return true;
}

bool CMainFrame::CreateStatusBar() {
    QStatusBar* bar = statusBar();
    for (int pane = 0; pane < kPaneCount; ++pane) {
        auto* label = new QLabel(bar);
        label->setObjectName(QStringLiteral("Pane%1").arg(pane));
        if (pane == 0) {
            label->setText(kIdlePrompt);
            bar->addWidget(label, 1);
        } else {
            label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
            label->setMinimumWidth(
                label->fontMetrics().horizontalAdvance(QLatin1String(kPaneSizingTexts[pane - 1])) +
                8);
            label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
            bar->addPermanentWidget(label);
        }
        m_panes[pane] = label;
    }
    m_panes[1]->setText(QStringLiteral("----"));
    connect(bar, &QStatusBar::messageChanged, this, [this](const QString& message) {
        m_panes[0]->setText(message.isEmpty() ? kIdlePrompt : message);
    });
    return true;
}

void CMainFrame::SetPaneText(int pane, const QString& text) {
    if (pane >= 0 && pane < kPaneCount)
        m_panes[pane]->setText(text);
}

QString CMainFrame::PaneText(int pane) const {
    return pane >= 0 && pane < kPaneCount ? m_panes[pane]->text() : QString();
}

bool CMainFrame::event(QEvent* event) {
    // Command prompts go to the message pane; when none is highlighted it reads "Ready".
    if (event->type() == QEvent::StatusTip) {
        const QString tip = static_cast<QStatusTipEvent*>(event)->tip();
        m_panes[0]->setText(tip.isEmpty() ? kIdlePrompt : tip);
        return true;
    }
    return QMainWindow::event(event);
}

COrvexView* CMainFrame::ActiveView() const {
    QMdiSubWindow* sub = m_mdi != nullptr ? m_mdi->activeSubWindow() : nullptr;
    if (sub == nullptr && m_mdi != nullptr && !m_mdi->subWindowList().isEmpty())
        sub = m_mdi->currentSubWindow();
    return sub != nullptr ? qobject_cast<COrvexView*>(sub->widget()) : nullptr;
}

QList<COrvexView*> CMainFrame::Views() const {
    QList<COrvexView*> views;
    for (QMdiSubWindow* sub : m_mdi->subWindowList(QMdiArea::CreationOrder)) {
        if (auto* view = qobject_cast<COrvexView*>(sub->widget()))
            views.append(view);
    }
    return views;
}

QMdiSubWindow* CMainFrame::AddView(COrvexView* view) {
    QMdiSubWindow* sub = m_mdi->addSubWindow(view);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->setWindowIcon(QIcon(QStringLiteral(":/icons/orvex.svg")));
    sub->setWindowTitle(view->windowTitle());
    // Before the frame is first laid out the area has no size of its own yet; the frame's
    // size less its bars stands in for it.
    QSize area = m_mdi->viewport()->size();
    if (area.width() < 200 || area.height() < 150)
        area = size() - QSize(0, 110);
    sub->resize(std::max(area.width() * 3 / 4, 420), std::max(area.height() * 3 / 4, 260));
    // The area forgets the window only after it is gone.
    connect(sub, &QObject::destroyed, this, &CMainFrame::OnWindowsChanged, Qt::QueuedConnection);
    sub->show();
    m_mdi->setActiveSubWindow(sub);
    view->setFocus(Qt::OtherFocusReason);
    return sub;
}

void CMainFrame::OnWindowsChanged() {
    if (m_mdi->subWindowList().isEmpty()) {
        // With no sample left the panes go back to their start-up texts.
        for (int pane = 2; pane < kPaneCount; ++pane) m_panes[pane]->clear();
        m_panes[1]->setText(QStringLiteral("----"));
    }
    UpdateFrameTitle();
    UpdateCommands();
}

void CMainFrame::UpdateFrameTitle() {
    COrvexView* view = ActiveView();
    setWindowTitle(view != nullptr ? QStringLiteral("Orvex - %1").arg(view->windowTitle())
                                   : QStringLiteral("Orvex"));
}

void CMainFrame::UpdateCommands() {
    if (m_mdi == nullptr)
        return;
    COrvexView* view = ActiveView();
    const bool hasWindows = !m_mdi->subWindowList().isEmpty();
    for (auto it = m_actions.cbegin(); it != m_actions.cend(); ++it) {
        const int id = it.key();
        bool enabled = true;
        if (IsViewCommand(id)) {
            enabled = view != nullptr && view->IsCommandEnabled(id);
        } else if (id == ID_FILE_CLOSE || id == ID_FILE_SAVE || id == ID_WINDOW_NEW) {
            enabled = view != nullptr;
        } else if (id == ID_WINDOW_CASCADE || id == ID_WINDOW_TILE_HORZ ||
                   id == ID_WINDOW_ARRANGE || id == ID_WINDOW_CLOSEALL) {
            enabled = hasWindows;
        } else if (id == ID_SAMPLE_RECORD || id == ID_EDIT_PROPERTIES) {
            // Recording and the property sheet are not part of this editor yet.
            enabled = false;
        }
        it.value()->setEnabled(enabled);
    }
    UpdateFrameTitle();
}

void CMainFrame::OnCommand(int id) {
    if (IsViewCommand(id)) {
        if (COrvexView* view = ActiveView())
            view->OnCommand(id);
        return;
    }
    switch (id) {
        case ID_FILE_NEW:
            m_app->OnFileNew();
            break;
        case ID_FILE_OPEN:
            m_app->OnFileOpen();
            break;
        case ID_FILE_CLOSE:
            if (QMdiSubWindow* sub = m_mdi->activeSubWindow())
                sub->close();
            break;
        case ID_FILE_SAVE:
            OnFileSave();
            break;
        case ID_APP_EXIT:
            close();
            break;
        case ID_VIEW_MAINTOOLBAR:
            m_mainBar->setVisible(!m_mainBar->isVisible());
            break;
        case ID_VIEW_UTILITIESTOOLBAR:
            m_utilitiesBar->setVisible(!m_utilitiesBar->isVisible());
            break;
        case ID_VIEW_STATUS_BAR:
            statusBar()->setVisible(!statusBar()->isVisible());
            Action(ID_VIEW_STATUS_BAR)->setChecked(statusBar()->isVisible());
            break;
        case ID_WINDOW_NEW:
            m_app->OnWindowNew();
            break;
        case ID_WINDOW_CASCADE:
            m_mdi->cascadeSubWindows();
            break;
        case ID_WINDOW_TILE_HORZ:
            m_mdi->tileSubWindows();
            break;
        case ID_WINDOW_ARRANGE:
            // Minimised windows line up along the bottom of the area.
            for (QMdiSubWindow* sub : m_mdi->subWindowList()) {
                if (sub->isMinimized())
                    sub->showMinimized();
            }
            break;
        case ID_WINDOW_CLOSEALL:
            CloseAll();
            break;
        case ID_HELP_CONTENTS:
            m_app->OnHelpContents();
            break;
        case ID_APP_ABOUT:
            m_app->OnAppAbout();
            break;
        default:
            break;
    }
    UpdateCommands();
}

void CMainFrame::OnFileSave() {
    COrvexView* view = ActiveView();
    if (view == nullptr)
        return;
    COrvexDoc* document = view->GetDocument();
    if (document->GetPathName().isEmpty()) {
        // A document without a path asks for one first.
        QString title = document->GetTitle();
        QString path;
        if (!SaveDialog(this, m_services, path, title, document->sample))
            return;
        if (document->OnSaveDocument(path)) {
            document->SetPathName(path);
            AddToRecentFiles(document->GetPathName());
        } else {
            m_services.messages.ShowMessage("Failed to save document.");
        }
        return;
    }
    if (!document->OnSaveDocument(document->GetPathName()))
        m_services.messages.ShowMessage("Failed to save document.");
}

void CMainFrame::CloseAll() {
    // The active window goes, then the next one that becomes active, without asking anything.
    for (;;) {
        QMdiSubWindow* sub = m_mdi->activeSubWindow();
        if (sub == nullptr && !m_mdi->subWindowList().isEmpty())
            sub = m_mdi->subWindowList().first();
        if (sub == nullptr)
            break;
        delete sub;
    }
    OnWindowsChanged();
}

void CMainFrame::AddToRecentFiles(const QString& path) {
    m_recent.removeAll(path);
    m_recent.prepend(path);
    while (m_recent.size() > kMruSize) m_recent.removeLast();
    UpdateRecentMenu();
    SaveRecentFiles();
}

void CMainFrame::UpdateRecentMenu() {
    m_recentPlaceholder->setVisible(m_recent.isEmpty());
    for (int i = 0; i < kMruSize; ++i) {
        QAction* entry = m_recentActions[i];
        if (i < m_recent.size()) {
            entry->setText(
                QStringLiteral("&%1 %2").arg(i + 1).arg(QFileInfo(m_recent[i]).fileName()));
            entry->setToolTip(m_recent[i]);
            entry->setVisible(true);
        } else {
            entry->setVisible(false);
        }
    }
}

void CMainFrame::LoadRecentFiles() {
    m_recent.clear();
    for (int i = 1; i <= kMruSize; ++i) {
        const std::optional<std::string> file =
            m_services.settings.GetString(kRecentKey, "File" + std::to_string(i));
        if (file && !file->empty())
            m_recent.append(QString::fromStdString(*file));
    }
    UpdateRecentMenu();
}

void CMainFrame::SaveRecentFiles() const {
    for (int i = 1; i <= kMruSize; ++i) {
        const std::string name = "File" + std::to_string(i);
        if (i <= m_recent.size())
            m_services.settings.SetString(kRecentKey, name, m_recent[i - 1].toStdString());
        else
            m_services.settings.DeleteValue(kRecentKey, name);
    }
}

void CMainFrame::SaveBarState() {
    const QByteArray state = saveState();
    m_services.settings.SetBytes(kGeneralKey, kBarStateValue,
                                 std::vector<uint8_t>(state.begin(), state.end()));
}

void CMainFrame::LoadBarState() {
    const std::optional<std::vector<uint8_t>> state =
        m_services.settings.GetBytes(kGeneralKey, kBarStateValue);
    if (!state || state->empty())
        return;
    restoreState(QByteArray(reinterpret_cast<const char*>(state->data()),
                            static_cast<qsizetype>(state->size())));
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    SaveBarState();
    // No document ever counts as modified, so nothing asks to be saved.
    for (QMdiSubWindow* sub : m_mdi->subWindowList()) delete sub;
    event->accept();
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event) {
    // Each file in the order the drop lists them; one that cannot be opened does not stop the
    // rest. Names are taken whole: paths here may be longer than 256 characters.
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile())
            m_app->OpenDocumentFile(url.toLocalFile());
    }
    event->acceptProposedAction();
}
