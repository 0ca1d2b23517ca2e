// CMainFrame: the client's one top-level window: menu bar, the "Standard"
// tool bar with the project selector, the four-pane status bar with the busy
// indicator and the clock, and one view at a time (home page 1057, defect
// list 101, statistics 1065), created afresh at every switch.
//
// The frame carries out its own commands (views, bars, looks, re-login...);
// the commands of other folders and the views other than the home page are
// given to it by the composition (client/app) through SetCommandHandler and
// SetViewFactory. A command without a handler is disabled, and so is the
// switch to a view without a factory.
#pragma once

#include "IMainFrame.h"

#include <QMainWindow>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <map>

class QAction;
class QComboBox;
class QDialog;
class QLabel;
class QMenu;
class QProgressBar;
class QToolBar;
class CAppContext;
class IFrameView;

class CMainFrame : public QMainWindow, public IMainFrame {
    Q_OBJECT
public:
    explicit CMainFrame(CAppContext& context, QWidget* parent = nullptr);
    ~CMainFrame() override;

    typedef std::function<IFrameView*(QWidget* parent)> ViewFactory;
    // A handler for a command id; a command without one is disabled.
    void SetCommandHandler(int commandId, std::function<void()> handler);
    // The view of an id (101, 1065; 1057 replaces the home page).
    void SetViewFactory(int viewId, ViewFactory factory);

    QWidget* CurrentView() const { return m_view; }
    IFrameView* CurrentFrameView() const { return m_view ? m_frameView : nullptr; }
    QAction* Action(int commandId) const;
    // A command has a handler and its enabling rule holds (rights, view).
    bool IsCommandEnabled(int commandId) const;
    QComboBox* ProjectCombo() const { return m_projectCombo; }
    QLabel* StatusPane(int index) const { return m_panes[index]; }
    QProgressBar* BusyIndicator() const { return m_progress; }
    QToolBar* ToolBar() const { return m_wndToolBar; }
    // The clock text shown in pane 2.
    static QString ClockText();
    // The 10-minute get_user_config timer (stopped while a login runs).
    bool IsKeepAliveRunning() const { return m_keepAliveTimer.isActive(); }
    bool IsBusyTimerRunning() const { return m_busyTimer.isActive(); }

    int m_currentViewId;
    int m_busyStep;
    int m_toolBarShown;
    int m_statusBarShown;
    int m_isAdmin;
    QMenuBar* m_wndMenuBar;
    QToolBar* m_wndToolBar;
    QStatusBar* m_wndStatusBar;
    QProgressBar* m_progress;
    int m_look;

public slots:
    void ShowBusy(int on) override;
    void ReloadTexts() override;
    void ReloadMenu();
    void SwitchView(int viewId);
    void LayoutStatusBar();
    void LocalizeToolbar();
    void RunCommand(int commandId) override;
    void ApplyLook(int look);
    void OnProjectSelected(int index);
    void OnRelogin();
    void OnInitSystem();
    void FillProjectCombo() override;
    void UpdateCommandStates();
    void OnKeepAlive();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void BuildMenus();
    void BuildToolBar();
    void BuildStatusBar();
    void BindCommands();
    QAction* AddCommand(QMenu* menu, int id, const QString& caption);
    QMenu* AddPopup(QMenu* parent, const QString& caption);
    void OnStyleCommand(int command);
    void OnBusyTick();
    void LocalizeMenuTree(QMenu* menu, int& popupCount);
    IFrameView* CreateView(int viewId);
    // The current view when it is view viewId, else null.
    IFrameView* ViewIfShown(int viewId) const;

    CAppContext& m_context;
    QComboBox* m_projectCombo;
    QLabel* m_panes[4];
    QPointer<QWidget> m_view;
    IFrameView* m_frameView = nullptr;  // m_view's interface while m_view lives
    QPointer<QDialog> m_customize;
    QTimer m_clockTimer;
    QTimer m_busyTimer;
    QTimer m_keepAliveTimer;
    std::map<int, QAction*> m_actions;        // menu items by command id
    std::map<int, QAction*> m_toolActions;    // tool-bar buttons by command id
    std::map<int, std::function<void()>> m_handlers;
    std::map<int, ViewFactory> m_viewFactories;
    QList<QMenu*> m_popups;                   // in the order met, depth first
};
