#include "ui/app/CMainFrame.h"

#include <QAction>
#include <QActionGroup>
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
#include <algorithm>
#include <vector>

#include "core/messages/MessageSink.h"
#include "core/services/Services.h"
#include "core/settings/SettingsStore.h"
#include "ui/app/COrvexApp.h"
#include "ui/app/COrvexDoc.h"
#include "ui/app/CommandIds.h"
#include "ui/app/SaveFlow.h"
#include "ui/audio/RecordCommand.h"
#include "ui/effects/CFreqView.h"
#include "ui/mixer/CMixerView.h"
#include "ui/properties/CMiniPropDlg.h"
#include "ui/properties/CSampleProperties.h"
#include "ui/view/COrvexView.h"

namespace {

// Where the frame keeps what it remembers between runs.
constexpr const char* kGeneralKey = "General";
constexpr const char* kBarStateValue = "BarState";

const QString kIdlePrompt = QStringLiteral("Ready");

// The keys of a command's "|"-separated list.
QList<QKeySequence> KeysOf(const char* keys) {
    QList<QKeySequence> sequences;
    if (keys == nullptr)
        return sequences;
    for (const QString& key : QString::fromLatin1(keys).split(QLatin1Char('|')))
        sequences.append(QKeySequence(key));
    return sequences;
}

bool IsViewCommand(int id) {
    const CommandRow* row = FindCommandRow(id);
    return row != nullptr && row->rule == CommandRule::kView;
}

// The texts that size the status panes after the message pane.
const char* const kPaneSizingTexts[] = {"9999999999 Bytes", "16 Bit ", "44010 Hz ", "360000 sec",
                                        "1:1000"};

}  // namespace

CMainFrame::CMainFrame(COrvexApp* app, Services& services)
    : m_app(app), m_services(services), m_recent(services.settings) {
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
        if (COrvexView* view = ActiveView()) {
            m_properties->Sheet()->SetActiveSample(view, &view->Buffer());
            view->UpdateStatus();
        }
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
    m_properties = new CMiniPropDlg(m_services, this);
    m_properties->LoadPlacement(m_services.settings);
    setDockOptions(QMainWindow::AnimatedDocks | QMainWindow::AllowTabbedDocks);
    m_recent.Load();
    UpdateRecentMenu();
    LoadBarState();
    connect(QApplication::clipboard(), &QClipboard::dataChanged, this, &CMainFrame::UpdateCommands);
    resize(900, 620);
    UpdateCommands();
    return true;
}

QAction* CMainFrame::MakeAction(const CommandRow& row) {
    const int id = row.id;
    auto* action = new QAction(QString::fromUtf8(row.menuText), this);
    action->setData(id);
    action->setStatusTip(CommandPrompt(id));
    const QString tip = CommandToolTip(id);
    if (!tip.isEmpty())
        action->setToolTip(tip);
    if (row.icon != nullptr)
        action->setIcon(QIcon(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(row.icon))));
    if (row.keys != nullptr)
        action->setShortcuts(KeysOf(row.keys));
    if (row.checkable) {
        action->setCheckable(true);
        action->setChecked(true);
    }
    connect(action, &QAction::triggered, this, [this, id]() { OnCommand(id); });
    m_actions.insert(id, action);
    return action;
}

void CMainFrame::CreateActions() {
    for (const CommandRow& row : CommandTable()) {
        if (row.menuText == nullptr)
            continue;
        QAction* action = MakeAction(row);
        // A command outside the menus is the frame's own, so that its keys still work.
        if (row.menu == CommandMenu::kNone)
            addAction(action);
    }
    // Every command's keys work wherever the focus is inside the frame.
    for (QAction* action : std::as_const(m_actions)) action->setShortcutContext(Qt::WindowShortcut);
}

void CMainFrame::FillMenu(QMenu* target, CommandMenu menu,
                          void (CMainFrame::*atGroupBreak)(QMenu*)) {
    int group = -1;
    for (const CommandRow& row : CommandTable()) {
        if (row.menu != menu || row.menuText == nullptr)
            continue;
        if (group >= 0 && row.menuGroup != group) {
            target->addSeparator();
            if (atGroupBreak != nullptr) {
                (this->*atGroupBreak)(target);
                target->addSeparator();
            }
        }
        group = row.menuGroup;
        target->addAction(Action(row.id));
    }
}

void CMainFrame::AddRecentEntries(QMenu* file) {
    m_recentPlaceholder = file->addAction(QStringLiteral("Recent File"));
    m_recentPlaceholder->setEnabled(false);
    m_recentPlaceholder->setStatusTip(CommandPrompt(ID_FILE_MRU_FILE1));
    for (int i = 0; i < kMruSize; ++i) {
        QAction* entry = file->addAction(QString());
        entry->setStatusTip(CommandPrompt(ID_FILE_MRU_FILE1));
        entry->setVisible(false);
        connect(entry, &QAction::triggered, this, [this, i]() {
            if (i < m_recent.Files().size()) {
                const QString path = m_recent.Files()[i];
                m_app->OpenDocumentFile(path);
            }
        });
        m_recentActions.append(entry);
    }
}

void CMainFrame::CreateMenus() {
    FillMenu(menuBar()->addMenu(QStringLiteral("&File")), CommandMenu::kFile,
             &CMainFrame::AddRecentEntries);
    FillMenu(menuBar()->addMenu(QStringLiteral("&Edit")), CommandMenu::kEdit);
    QMenu* viewMenu = menuBar()->addMenu(QStringLiteral("&View"));
    FillMenu(viewMenu, CommandMenu::kView);
    AddDisplayStyleMenu(viewMenu);
    FillMenu(menuBar()->addMenu(QStringLiteral("&Sample")), CommandMenu::kSample);
    // The mixer's menu shows while a mixer is the active window; its keys are the frame's.
    m_mixerMenu = menuBar()->addMenu(QStringLiteral("&Mixer"));
    FillMenu(m_mixerMenu, CommandMenu::kMixer);
    addActions(m_mixerMenu->actions());
    m_mixerMenu->menuAction()->setVisible(false);

    m_windowMenu = menuBar()->addMenu(QStringLiteral("&Window"));
    connect(m_windowMenu, &QMenu::aboutToShow, this, [this]() {
        m_windowMenu->clear();
        FillMenu(m_windowMenu, CommandMenu::kWindow);
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
    FillMenu(m_windowMenu, CommandMenu::kWindow);

    FillMenu(menuBar()->addMenu(QStringLiteral("&Help")), CommandMenu::kHelp);
    UpdateRecentMenu();
}

namespace {

// The commands of the "Display Style" submenu, indexed by style.
constexpr int kStyleCommands[] = {ID_VIEW_STYLE_LINES, ID_VIEW_STYLE_DOTS, ID_VIEW_STYLE_BARS,
                                  ID_VIEW_STYLE_PEAKS};

}  // namespace

void CMainFrame::AddDisplayStyleMenu(QMenu* view) {
    view->addSeparator();
    QMenu* styles = view->addMenu(QStringLiteral("Display &Style"));
    auto* group = new QActionGroup(styles);
    // Optional: with no sample window open no style is checked.
    group->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    for (const int id : kStyleCommands) {
        group->addAction(Action(id));
        styles->addAction(Action(id));
    }
}

void CMainFrame::CheckDisplayStyle(const COrvexView* view) {
    // The active window's style is checked; with none, no style is.
    const int style = view != nullptr ? view->GetDisplayStyle() : -1;
    for (int i = 0; i < static_cast<int>(std::size(kStyleCommands)); ++i)
        Action(kStyleCommands[i])->setChecked(i == style);
}

QToolBar* CMainFrame::MakeToolBar(const QString& name, CommandBar bar) {
    auto* toolBar = new QToolBar(name, this);
    toolBar->setObjectName(name);
    std::vector<const CommandRow*> buttons;
    for (const CommandRow& row : CommandTable()) {
        if (row.bar == bar)
            buttons.push_back(&row);
    }
    std::ranges::sort(buttons, {}, &CommandRow::barSlot);
    for (size_t i = 0; i < buttons.size(); ++i) {
        if (i > 0 && buttons[i]->barSlot / 10 != buttons[i - 1]->barSlot / 10)
            toolBar->addSeparator();
        toolBar->addAction(Action(buttons[i]->id));
    }
    toolBar->setAllowedAreas(Qt::AllToolBarAreas);
    toolBar->setMovable(true);
    toolBar->setFloatable(true);
    toolBar->setIconSize(QSize(16, 16));
    return toolBar;
}

bool CMainFrame::CreateToolBars() {
    m_mainBar = MakeToolBar(QStringLiteral("Main"), CommandBar::kMain);
    m_utilitiesBar = MakeToolBar(QStringLiteral("Utilities"), CommandBar::kUtilities);
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
    QMdiSubWindow* sub = AddChild(view);
    RefreshMixers();
    return sub;
}

QMdiSubWindow* CMainFrame::AddMixer(CMixerView* mixer) {
    connect(mixer, &CMixerView::CommandsChanged, this, &CMainFrame::UpdateCommands);
    return AddChild(mixer);
}

CMixerView* CMainFrame::ActiveMixer() const {
    QMdiSubWindow* sub = m_mdi != nullptr ? m_mdi->activeSubWindow() : nullptr;
    return sub != nullptr ? qobject_cast<CMixerView*>(sub->widget()) : nullptr;
}

QList<CMixerView*> CMainFrame::Mixers() const {
    QList<CMixerView*> mixers;
    for (QMdiSubWindow* sub : m_mdi->subWindowList(QMdiArea::CreationOrder)) {
        if (auto* mixer = qobject_cast<CMixerView*>(sub->widget()))
            mixers.append(mixer);
    }
    return mixers;
}

void CMainFrame::RefreshMixers() {
    for (CMixerView* mixer : Mixers()) mixer->RefreshSampleWindows();
}

CFreqView* CMainFrame::FrequencyView() const {
    return m_freqView.data();
}

CFreqView* CMainFrame::OpenFrequencyView() {
    // An older view stays on the screen but gets no more spectra.
    auto* view = new CFreqView(this);
    SetSpectrumListener(view);
    m_freqView = view;
    view->show();
    return view;
}

QMdiSubWindow* CMainFrame::AddChild(QWidget* child) {
    QMdiSubWindow* sub = m_mdi->addSubWindow(child);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->setWindowIcon(QIcon(QStringLiteral(":/icons/orvex.svg")));
    sub->setWindowTitle(child->windowTitle());
    // Before the frame is first laid out the area has no size of its own yet; the frame's
    // size less its bars stands in for it.
    QSize area = m_mdi->viewport()->size();
    if (area.width() < 200 || area.height() < 150)
        area = size() - QSize(0, 110);
    sub->resize(std::max(area.width() * 3 / 4, 420), std::max(area.height() * 3 / 4, 260));
    // The area forgets the window only after it is gone.
    connect(sub, &QObject::destroyed, this, &CMainFrame::OnWindowsChanged, Qt::QueuedConnection);
    sub->show();
    KeepInsideWorkspace(sub);
    m_mdi->setActiveSubWindow(sub);
    child->setFocus(Qt::OtherFocusReason);
    return sub;
}

void CMainFrame::KeepInsideWorkspace(QMdiSubWindow* sub) const {
    // The area places a new window after the last one, which may reach past its edges.
    const QRect area = m_mdi->viewport()->rect();
    if (area.width() < 200 || area.height() < 150)
        return;  // not laid out yet: nothing to fit into
    QRect frame = sub->geometry();
    frame.setSize(frame.size().boundedTo(area.size()));
    frame.moveLeft(std::clamp(frame.left(), 0, area.width() - frame.width()));
    frame.moveTop(std::clamp(frame.top(), 0, area.height() - frame.height()));
    sub->setGeometry(frame);
}

void CMainFrame::OnWindowsChanged() {
    if (m_mdi->subWindowList().isEmpty()) {
        // With no sample left the panes go back to their start-up texts.
        for (int pane = 2; pane < kPaneCount; ++pane) m_panes[pane]->clear();
        m_panes[1]->setText(QStringLiteral("----"));
    }
    RefreshMixers();
    UpdateFrameTitle();
    UpdateCommands();
}

void CMainFrame::UpdateFrameTitle() {
    QWidget* active = ActiveView();
    if (active == nullptr)
        active = ActiveMixer();
    setWindowTitle(active != nullptr ? QStringLiteral("Orvex - %1").arg(active->windowTitle())
                                     : QStringLiteral("Orvex"));
}

bool CMainFrame::ShowsStatusOf(const COrvexView* view) const {
    const COrvexView* active = ActiveView();
    return active == nullptr || active == view;
}

void CMainFrame::UpdateCommands() {
    if (m_mdi == nullptr)
        return;
    COrvexView* view = ActiveView();
    const bool hasWindows = !m_mdi->subWindowList().isEmpty();
    for (auto it = m_actions.cbegin(); it != m_actions.cend(); ++it)
        it.value()->setEnabled(IsCommandEnabled(it.key(), view, hasWindows));
    m_mixerMenu->menuAction()->setVisible(ActiveMixer() != nullptr);
    CheckDisplayStyle(view);
    UpdateFrameTitle();
}

bool CMainFrame::IsCommandEnabled(int id, const COrvexView* view, bool hasWindows) const {
    const CommandRow* row = FindCommandRow(id);
    switch (row != nullptr ? row->rule : CommandRule::kAlways) {
        case CommandRule::kAlways:
            return true;
        case CommandRule::kView:
            return view != nullptr && view->IsCommandEnabled(id);
        case CommandRule::kNeedsView:
            return view != nullptr;
        case CommandRule::kNeedsWindow:
            return hasWindows;
        case CommandRule::kMixer: {
            const CMixerView* mixer = ActiveMixer();
            return mixer != nullptr && mixer->IsCommandEnabled(id);
        }
    }
    return true;
}

void CMainFrame::OnCommand(int id) {
    if (IsViewCommand(id)) {
        if (COrvexView* view = ActiveView())
            view->OnCommand(id);
        return;
    }
    if (const CommandRow* row = FindCommandRow(id);
        row != nullptr && row->rule == CommandRule::kMixer) {
        if (CMixerView* mixer = ActiveMixer())
            mixer->OnCommand(id);
        UpdateCommands();
        return;
    }
    switch (id) {
        case ID_FILE_NEW:
            m_app->OnFileNew();
            break;
        case ID_FILE_OPEN:
            m_app->OnFileOpen();
            break;
        case ID_FILE_NEWMIXER:
            m_app->OnFileNewMixer();
            break;
        case ID_VIEW_FREQUENCY:
            OpenFrequencyView();
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
        case ID_SAMPLE_RECORD:
            RunRecordCommand(
                this, m_services,
                {[this] { return ActiveView(); }, [this] { return m_app->OnFileNew(); }});
            break;
        case ID_EDIT_PROPERTIES:
            if (ActiveView() != nullptr)
                m_properties->ShowProperties();
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
    SaveFlow(this, *view->GetDocument()).Save([this](const QString& path) {
        AddToRecentFiles(path);
    });
}

bool CMainFrame::CloseAll() {
    // Every modified document is asked about before any window goes, so a Cancel keeps all.
    QList<COrvexDoc*> documents;
    for (COrvexView* view : Views()) {
        if (!documents.contains(view->GetDocument()))
            documents.append(view->GetDocument());
    }
    for (COrvexDoc* document : documents) {
        if (!document->SaveModified(this))
            return false;
    }
    // The active window goes, then the next one that becomes active.
    for (;;) {
        QMdiSubWindow* sub = m_mdi->activeSubWindow();
        if (sub == nullptr && !m_mdi->subWindowList().isEmpty())
            sub = m_mdi->subWindowList().first();
        if (sub == nullptr)
            break;
        delete sub;
    }
    OnWindowsChanged();
    return true;
}

void CMainFrame::AddToRecentFiles(const QString& path) {
    m_recent.Add(path);
    UpdateRecentMenu();
}

void CMainFrame::UpdateRecentMenu() {
    const QStringList& files = m_recent.Files();
    m_recentPlaceholder->setVisible(files.isEmpty());
    for (int i = 0; i < kMruSize; ++i) {
        QAction* entry = m_recentActions[i];
        if (i < files.size()) {
            entry->setText(QStringLiteral("&%1 %2").arg(i + 1).arg(QFileInfo(files[i]).fileName()));
            entry->setToolTip(files[i]);
            entry->setVisible(true);
        } else {
            entry->setVisible(false);
        }
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
    // Before the windows close: closing the one it shows hides the properties window.
    m_properties->SavePlacement(m_services.settings);
    if (!CloseAll()) {
        event->ignore();
        return;
    }
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
