#pragma once

#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <QStringList>

#include "ui/app/CommandTable.h"
#include "ui/app/RecentFileList.h"
#include "ui/view/ViewHost.h"

struct Services;
class CFreqView;
class CMiniPropDlg;
class CMixerView;
class COrvexApp;
class COrvexView;
class QAction;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QToolBar;

// The multiple-document main window: the menus, the toolbars "Main" and "Utilities", the status
// bar with its six panes, the MDI area with one child window per sample view, and the commands
// that belong to the frame. View commands are passed to the active sample view; each command's
// enabled state follows the view's rules.
class CMainFrame : public QMainWindow, public ViewHost {
    Q_OBJECT

public:
    static constexpr int kPaneCount = 6;
    static constexpr int kMruSize = RecentFileList::kSize;

    CMainFrame(COrvexApp* app, Services& services);
    ~CMainFrame() override;

    // The whole build of the frame; false when a bar cannot be made (start-up then ends).
    bool Create();

    void SetPaneText(int pane, const QString& text) override;
    QString PaneText(int pane) const;
    void UpdateCommands() override;
    bool ShowsStatusOf(const COrvexView* view) const override;

    QAction* Action(int id) const { return m_actions.value(id); }
    QToolBar* MainToolBar() const { return m_mainBar; }
    QToolBar* UtilitiesToolBar() const { return m_utilitiesBar; }
    QMdiArea* MdiArea() const { return m_mdi; }
    // The floating "Sample Properties" window, made with the frame.
    CMiniPropDlg* Properties() const { return m_properties; }
    COrvexView* ActiveView() const;
    QList<COrvexView*> Views() const;

    // Puts a new view in its own MDI child window and shows it.
    QMdiSubWindow* AddView(COrvexView* view);
    // The same for a mixer.
    QMdiSubWindow* AddMixer(CMixerView* mixer);
    CMixerView* ActiveMixer() const;
    QList<CMixerView*> Mixers() const;
    // The newest frequency view while it is open (it gets the spectra); null otherwise.
    CFreqView* FrequencyView() const;
    // Opens a new frequency view, which from now on gets the spectra.
    CFreqView* OpenFrequencyView();

    // The most recently used files, newest first.
    const QStringList& RecentFiles() const { return m_recent.Files(); }
    void AddToRecentFiles(const QString& path);

    // Closes every window after asking about each modified document; false, with every
    // window still open, when the user cancelled.
    bool CloseAll();
    void SaveBarState();
    void LoadBarState();

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QAction* MakeAction(const CommandRow& row);
    void CreateActions();
    void CreateMenus();
    // Adds the actions of `menu`'s commands, a separator between groups; `atGroupBreak` adds
    // what stands between the groups (the recent files of the File menu).
    void FillMenu(QMenu* target, CommandMenu menu,
                  void (CMainFrame::*atGroupBreak)(QMenu*) = nullptr);
    void AddRecentEntries(QMenu* file);
    // The View menu's "Display Style" submenu, checked by the active view's style.
    void AddDisplayStyleMenu(QMenu* view);
    void CheckDisplayStyle(const COrvexView* view);
    QToolBar* MakeToolBar(const QString& name, CommandBar bar);
    bool CreateToolBars();
    bool IsCommandEnabled(int id, const COrvexView* view, bool hasWindows) const;
    bool CreateStatusBar();
    void UpdateRecentMenu();
    void UpdateFrameTitle();
    void OnWindowsChanged();
    QMdiSubWindow* AddChild(QWidget* child);
    // The mixers offer the sample windows open now.
    void RefreshMixers();
    void KeepInsideWorkspace(QMdiSubWindow* sub) const;
    void OnCommand(int id);
    void OnFileSave();
    void OnNewWindow();

    COrvexApp* m_app;
    Services& m_services;
    QMdiArea* m_mdi = nullptr;
    QToolBar* m_mainBar = nullptr;
    QToolBar* m_utilitiesBar = nullptr;
    QLabel* m_panes[kPaneCount] = {};
    QHash<int, QAction*> m_actions;
    QMenu* m_windowMenu = nullptr;
    QMenu* m_mixerMenu = nullptr;
    QPointer<CFreqView> m_freqView;
    QList<QAction*> m_recentActions;
    QAction* m_recentPlaceholder = nullptr;
    RecentFileList m_recent;
    CMiniPropDlg* m_properties = nullptr;
};
