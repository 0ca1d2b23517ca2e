#include "MainFrame.h"

#include "CAppContext.h"
#include "CModifyPasswordDlg.h"
#include "CLocalizer.h"
#include "CLoginDlg.h"
#include "CToolbarCustomizeDlg.h"
#include "CVisualStyle.h"
#include "CZentryApp.h"
#include "ClientIds.h"
#include "HomePageForm.h"
#include "IFrameView.h"
#include "QtText.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>

namespace {

// Captions of the pop-ups met depth first in the menu bar.
const int kPopupIds[] = {ids::kMenuFile,     ids::kMenuDefect,  ids::kMenuConfigure,
                         ids::kMenuPStyle,   ids::kMenuGuiStyle, ids::kMenuLanguage,
                         ids::kMenuView,     ids::kMenuHelp};

}  // namespace

CMainFrame::CMainFrame(CAppContext& context, QWidget* parent)
    : QMainWindow(parent),
      m_currentViewId(ids::kViewHome),
      m_busyStep(0),
      m_toolBarShown(1),
      m_statusBarShown(1),
      m_isAdmin(0),
      m_wndMenuBar(nullptr),
      m_wndToolBar(nullptr),
      m_wndStatusBar(nullptr),
      m_progress(nullptr),
      m_look(ids::kLookSilver),
      m_context(context),
      m_projectCombo(nullptr),
      m_panes{} {
    setObjectName("CMainFrame");
    // The look of gui_style; a value outside 0 to 4 applies none.
    const int look = CVisualStyle::LookForStyle(
        static_cast<int>(m_context.m_settings.GetInt("gui_style", "pstyle")));
    if (look) ApplyLook(look);

    BuildMenus();
    BuildToolBar();
    BuildStatusBar();
    BindCommands();
    LocalizeToolbar();
    FillProjectCombo();
    setWindowTitle(m_context.GetTitleForLanguage(m_context.m_language));
    m_isAdmin = m_context.m_userName.compare("admin", Qt::CaseInsensitive) == 0 ? 1 : 0;

    connect(&m_clockTimer, &QTimer::timeout, this, [this] {
        if (m_wndStatusBar) m_panes[2]->setText(ClockText());
    });
    connect(&m_busyTimer, &QTimer::timeout, this, &CMainFrame::OnBusyTick);
    connect(&m_keepAliveTimer, &QTimer::timeout, this, &CMainFrame::OnKeepAlive);
    m_clockTimer.start(1000);
    m_keepAliveTimer.start(600000);
    m_panes[2]->setText(ClockText());

    m_context.m_mainWindow = this;
    m_context.m_mainFrame = this;
    SwitchView(ids::kViewHome);
    ReloadMenu();
    LayoutStatusBar();
    UpdateCommandStates();
}

CMainFrame::~CMainFrame() {
    if (m_context.m_mainWindow == this) m_context.m_mainWindow = nullptr;
    if (m_context.m_mainFrame == this) m_context.m_mainFrame = nullptr;
}

QString CMainFrame::ClockText() {
    return QDateTime::currentDateTime().toString("yyyy-MM-dd HH:mm:ss");
}

QAction* CMainFrame::Action(int commandId) const {
    auto it = m_actions.find(commandId);
    if (it != m_actions.end()) return it->second;
    auto tool = m_toolActions.find(commandId);
    return tool != m_toolActions.end() ? tool->second : nullptr;
}

QAction* CMainFrame::AddCommand(QMenu* menu, int id, const QString& caption) {
    QAction* action = menu->addAction(caption);
    action->setProperty("langId", id);
    action->setProperty("resText", caption);
    action->setObjectName(QString::number(id));
    connect(action, &QAction::triggered, this, [this, id] { RunCommand(id); });
    m_actions[id] = action;
    return action;
}

QMenu* CMainFrame::AddPopup(QMenu* parent, const QString& caption) {
    QMenu* popup = parent ? parent->addMenu(caption) : menuBar()->addMenu(caption);
    popup->menuAction()->setProperty("resText", caption);
    popup->setProperty("langId", kPopupIds[m_popups.size() < 8 ? m_popups.size() : 7]);
    m_popups.append(popup);
    connect(popup, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandStates);
    return popup;
}

void CMainFrame::BuildMenus() {
    m_wndMenuBar = menuBar();
    QMenu* file = AddPopup(nullptr, "File(&F)");
    AddCommand(file, ids::kCmdLogin, "&Login");
    AddCommand(file, ids::kCmdModifyPassword, "Modify  Password");
    AddCommand(file, ids::kCmdRefreshParam, "Refresh Parameter");
    file->addSeparator();
    AddCommand(file, ids::kCmdExit, "E&xit");

    QMenu* defect = AddPopup(nullptr, "Defect(&D)");
    AddCommand(defect, ids::kCmdNewBug, "IDT_NEW_BUG");
    AddCommand(defect, ids::kCmdBugMgr, "IDT_BUG_MGR");
    AddCommand(defect, ids::kCmdHome, "IDT_MY_BUG");
    AddCommand(defect, ids::kCmdReport, "IDT_BUG_REPORT");

    QMenu* configure = AddPopup(nullptr, "Configure");
    AddCommand(configure, ids::kCmdOptions, "Options");
    AddCommand(configure, ids::kCmdDesignCustom, "Design Cumsom");
    configure->addSeparator();
    AddCommand(configure, ids::kCmdInitSystem, "Init System");

    QMenu* pstyle = AddPopup(nullptr, "PStyle(&P)");
    QMenu* gui = AddPopup(pstyle, "GUI Style");
    auto* looks = new QActionGroup(this);
    for (const auto& [id, caption] :
         std::initializer_list<std::pair<int, const char*>>{{ids::kCmdStyle2000, "Office 2000\t(&O)"},
                                                            {ids::kCmdStyleXp, "Office XP\t(X)"},
                                                            {ids::kCmdStyleLuna, "Office 2007 Luna\t(&L)"},
                                                            {ids::kCmdStyleSilver, "Office 2007 Silver\t(&S)"}}) {
        QAction* action = AddCommand(gui, id, caption);
        action->setCheckable(true);
        looks->addAction(action);
    }
    QMenu* language = AddPopup(pstyle, "Language(&L)");
    AddCommand(language, ids::kCmdLanguageChinese, "Simplified Chinese");
    AddCommand(language, ids::kCmdLanguageBig5, "Traditional Chinese");
    AddCommand(language, ids::kCmdLanguageEnglish, "English");
    AddCommand(pstyle, ids::kCmdSetting, "Setting\t(&S)");
    AddCommand(pstyle, ids::kCmdFillBackground, "Fill Background")->setCheckable(true);

    QMenu* view = AddPopup(nullptr, "View(&V)");
    AddCommand(view, ids::kCmdToolBar, "ToolBar(&T)")->setCheckable(true);
    AddCommand(view, ids::kCmdStatusBar, "Status(&S)")->setCheckable(true);
    AddCommand(view, ids::kCmdPreview, "PreView\t(&P)");

    QMenu* help = AddPopup(nullptr, "Help(&H)");
    AddCommand(help, ids::kCmdUpgrade, "Online Upgrade");
    AddCommand(help, ids::kCmdAbout, "About Zentry(&A)...");
}

void CMainFrame::BuildToolBar() {
    m_wndToolBar = addToolBar("Standard");
    m_wndToolBar->setObjectName("Standard");
    m_wndToolBar->setWindowTitle("Standard");
    m_wndToolBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    m_wndToolBar->setIconSize(QSize(24, 24));
    QStyle* s = style();
    const std::pair<int, QStyle::StandardPixmap> buttons[] = {
        {ids::kCmdHome, QStyle::SP_DirHomeIcon},
        {ids::kCmdNewBug, QStyle::SP_FileIcon},
        {ids::kCmdBugMgr, QStyle::SP_FileDialogDetailedView},
        {0, QStyle::SP_CustomBase},
        {ids::kCmdReport, QStyle::SP_DialogSaveButton},
        {ids::kCmdStatistics, QStyle::SP_FileDialogInfoView},
        {ids::kCmdToolbarSpare, QStyle::SP_BrowserReload},
        {ids::kCmdSysManage, QStyle::SP_ComputerIcon},
        {ids::kCmdProjectCombo, QStyle::SP_CustomBase},
        {ids::kCmdAbout, QStyle::SP_MessageBoxQuestion}};
    for (const auto& [id, icon] : buttons) {
        if (id == 0) {
            m_wndToolBar->addSeparator();
            continue;
        }
        if (id == ids::kCmdProjectCombo) {
            m_projectCombo = new QComboBox(m_wndToolBar);
            m_projectCombo->setObjectName(QString::number(ids::kCmdProjectCombo));
            m_projectCombo->setMinimumWidth(160);
            m_projectCombo->setMaxVisibleItems(12);
            connect(m_projectCombo, QOverload<int>::of(&QComboBox::activated), this,
                    &CMainFrame::OnProjectSelected);
            m_toolActions[id] = m_wndToolBar->addWidget(m_projectCombo);
            continue;
        }
        QAction* action = m_wndToolBar->addAction(s->standardIcon(icon), QString());
        action->setObjectName(QString("tool") + QString::number(id));
        connect(action, &QAction::triggered, this, [this, id = id] { RunCommand(id); });
        m_toolActions[id] = action;
    }
}

void CMainFrame::BuildStatusBar() {
    m_wndStatusBar = statusBar();
    for (int i = 0; i < 4; ++i) {
        m_panes[i] = new QLabel(m_wndStatusBar);
        m_panes[i]->setObjectName(QString("pane%1").arg(i));
        m_wndStatusBar->addWidget(m_panes[i], i == 1 ? 1 : 0);
    }
    m_progress = new QProgressBar(m_panes[0]);
    m_progress->setObjectName(QString::number(ids::kBusyProgress));
    m_progress->setRange(0, 10);
    m_progress->setValue(0);
    m_progress->setTextVisible(false);
}

void CMainFrame::LayoutStatusBar() {
    if (!m_wndStatusBar) return;
    const int w = centralWidget() ? height() / 4 : height() / 4;
    m_panes[0]->setFixedWidth(w / 2);
    m_panes[1]->setMinimumWidth(w);
    m_panes[2]->setFixedWidth(w);
    m_panes[3]->setFixedWidth(w);
    m_panes[3]->setText(QStringLiteral("%1 -- %2  ")
                            .arg(m_context.m_userName,
                                 ToQt(m_context.m_settings.GetValue("server", "common"))));
    m_progress->setGeometry(m_panes[0]->rect());
}

void CMainFrame::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    if (m_wndStatusBar) LayoutStatusBar();
}

void CMainFrame::LocalizeToolbar() {
    for (int id : {ids::kCmdNewBug, ids::kCmdBugMgr, ids::kCmdHome, ids::kCmdSysManage,
                   ids::kCmdReport, ids::kCmdStatistics, ids::kCmdToolbarSpare, ids::kCmdAbout}) {
        auto it = m_toolActions.find(id);
        if (it == m_toolActions.end()) continue;
        QString text = m_context.Text(id);
        it->second->setText(text);
        it->second->setToolTip(text);
    }
}

void CMainFrame::LocalizeMenuTree(QMenu* menu, int& popupCount) {
    for (QAction* action : menu->actions()) {
        if (action->isSeparator()) continue;
        if (QMenu* popup = action->menu()) {
            if (popupCount < 8) {
                const QString text = m_context.Text(kPopupIds[popupCount]);
                action->setText(text.isEmpty() ? action->property("resText").toString() : text);
            }
            ++popupCount;
            LocalizeMenuTree(popup, popupCount);
            continue;
        }
        const QVariant id = action->property("langId");
        if (!id.isValid()) continue;
        QString text = m_context.Text(id.toInt());
        text.replace("\\t", "\t");
        action->setText(text.isEmpty() ? action->property("resText").toString() : text);
    }
}

void CMainFrame::ReloadMenu() {
    int popupCount = 0;
    for (QAction* top : menuBar()->actions()) {
        QMenu* popup = top->menu();
        if (!popup) continue;
        if (popupCount < 8) {
            const QString text = m_context.Text(kPopupIds[popupCount]);
            top->setText(text.isEmpty() ? top->property("resText").toString() : text);
            if (text.isEmpty()) top->setText(popup->menuAction()->property("resText").toString());
        }
        ++popupCount;
        LocalizeMenuTree(popup, popupCount);
    }
}

void CMainFrame::ReloadTexts() {
    LocalizeToolbar();
    ReloadMenu();
    setWindowTitle(m_context.GetTitleForLanguage(m_context.m_language));
    if (IFrameView* view = ViewIfShown(ids::kViewDefectList)) view->LocalizeCaptions();
    LayoutStatusBar();
}

void CMainFrame::SetCommandHandler(int commandId, std::function<void()> handler) {
    m_handlers[commandId] = std::move(handler);
    UpdateCommandStates();
}

void CMainFrame::SetViewFactory(int viewId, ViewFactory factory) {
    m_viewFactories[viewId] = std::move(factory);
    UpdateCommandStates();
}

void CMainFrame::BindCommands() {
    m_handlers[ids::kCmdBugMgr] = [this] { SwitchView(ids::kViewDefectList); };
    m_handlers[ids::kCmdHome] = [this] { SwitchView(ids::kViewHome); };
    m_handlers[ids::kCmdStatistics] = [this] { SwitchView(ids::kViewStatistics); };
    m_handlers[ids::kCmdReport] = [this] {
        m_context.ShowMessage("目前暂时不支持,后续版本将支持自定义Excel导出功能");
    };
    m_handlers[ids::kCmdExit] = [this] { close(); };
    m_handlers[ids::kCmdStatusBar] = [this] {
        m_statusBarShown = m_statusBarShown ? 0 : 1;
        m_wndStatusBar->setVisible(m_statusBarShown != 0);
    };
    m_handlers[ids::kCmdToolBar] = [this] {
        m_toolBarShown = m_toolBarShown ? 0 : 1;
        m_wndToolBar->setVisible(m_toolBarShown != 0);
    };
    for (int id : {ids::kCmdStyle2000, ids::kCmdStyleXp, ids::kCmdStyleLuna, ids::kCmdStyleSilver,
                   ids::kCmdStyleAqua})
        m_handlers[id] = [this, id] { OnStyleCommand(id); };
    for (int look : {ids::kLook2000, ids::kLookXp, ids::kLookLuna, ids::kLookSilver, ids::kLookAqua})
        m_handlers[look] = [this, look] { ApplyLook(look); };
    m_handlers[ids::kCmdFillBackground] = [this] {
        m_context.m_fillBackground = m_context.m_fillBackground == 1 ? 0 : 1;
        m_context.m_settings.SetValue(
            "fill_background", QByteArray::number(m_context.m_fillBackground).constData(), "pstyle");
        if (IFrameView* view = ViewIfShown(ids::kViewDefectList)) view->Recolour();
    };
    m_handlers[ids::kCmdLogin] = [this] { OnRelogin(); };
    m_handlers[ids::kCmdModifyPassword] = [this] {
        CModifyPasswordDlg dialog(m_context, this);
        dialog.exec();
    };
    m_handlers[ids::kCmdRefreshParam] = [this] { m_context.LoadMetadata(); };
    m_handlers[ids::kCmdInitSystem] = [this] { OnInitSystem(); };
    m_handlers[ids::kCmdCustomizeToolbar] = [this] {
        // Modeless, one at a time; it deletes itself when closed.
        if (!m_customize) m_customize = new CToolbarCustomizeDlg(m_context, m_wndToolBar, this);
        m_customize->show();
        m_customize->raise();
    };
}

void CMainFrame::RunCommand(int commandId) {
    UpdateCommandStates();
    if (!IsCommandEnabled(commandId)) return;
    // Copied: a handler may replace itself while it runs.
    const std::function<void()> handler = m_handlers.find(commandId)->second;
    handler();
    UpdateCommandStates();
}

bool CMainFrame::IsCommandEnabled(int commandId) const {
    const auto handler = m_handlers.find(commandId);
    if (handler == m_handlers.end() || !handler->second) return false;
    const bool admin = m_context.m_userName.compare("admin", Qt::CaseInsensitive) == 0;
    switch (commandId) {
    case ids::kCmdNewBug:
        return admin || m_context.m_canAddDefect;
    // The sheet refuses everyone else: never enabled only to refuse.
    case ids::kCmdSysManage:
    case ids::kCmdOptions:
    case ids::kCmdDesignCustom:
        return admin || m_context.m_canSysManage;
    case ids::kCmdInitSystem:
        return m_isAdmin != 0;
    case ids::kCmdPreview:
        return m_currentViewId == ids::kViewDefectList;
    case ids::kCmdBugMgr:
        return m_viewFactories.count(ids::kViewDefectList) != 0;
    case ids::kCmdStatistics:
        return m_viewFactories.count(ids::kViewStatistics) != 0;
    default:
        return true;
    }
}

void CMainFrame::UpdateCommandStates() {
    for (auto& [id, action] : m_actions) action->setEnabled(IsCommandEnabled(id));
    for (auto& [id, action] : m_toolActions)
        if (id != ids::kCmdProjectCombo) action->setEnabled(IsCommandEnabled(id));
    auto tick = [&](int id, bool on) {
        if (QAction* action = Action(id)) {
            action->setCheckable(true);
            action->setChecked(on);
        }
    };
    tick(ids::kCmdStatusBar, m_statusBarShown != 0);
    tick(ids::kCmdToolBar, m_toolBarShown != 0);
    tick(ids::kCmdFillBackground, m_context.m_fillBackground == 1);
    tick(ids::kCmdStyle2000, m_look == ids::kLook2000);
    tick(ids::kCmdStyleXp, m_look == ids::kLookXp);
    tick(ids::kCmdStyleLuna, m_look == ids::kLookLuna);
    tick(ids::kCmdStyleSilver, m_look == ids::kLookSilver);
    const IFrameView* view = CurrentFrameView();
    tick(ids::kCmdPreview, view && view->CommandCheck(ids::kCmdPreview) == 1);
}

void CMainFrame::ApplyLook(int look) {
    if (!CVisualStyle::Apply(look)) return;
    m_look = look;
    if (IFrameView* view = ViewIfShown(ids::kViewDefectList)) view->Recolour();
    update();
}

void CMainFrame::OnStyleCommand(int command) {
    struct Style {
        int command;
        const char* guiStyle;
        const char* background;
        int look;
    };
    static const Style kStyles[] = {
        {ids::kCmdStyle2000, "0", "13160660", ids::kLook2000},
        {ids::kCmdStyleXp, "1", "13160660", ids::kLookXp},
        {ids::kCmdStyleLuna, "2", "RGB(192,219,255)", ids::kLookLuna},
        {ids::kCmdStyleSilver, "3", "RGB(208,212,221)", ids::kLookSilver},
        {ids::kCmdStyleAqua, "4", "RGB(196,202,217)", ids::kLookAqua}};
    for (const Style& style : kStyles) {
        if (style.command != command) continue;
        m_context.m_settings.SetValue("gui_style", style.guiStyle, "pstyle");
        m_context.m_settings.SetValue("background_color", style.background, "pstyle");
        if (style.look == ids::kLook2000 || style.look == ids::kLookXp)
            m_context.m_bgColor = QApplication::palette().color(QPalette::Button);
        else
            CAppContext::ParseRgb(style.background, m_context.m_bgColor);
        m_context.m_bgBrush = QBrush(m_context.m_bgColor);
        ApplyLook(style.look);
    }
}

void CMainFrame::ShowBusy(int on) {
    CZentryApp* app = CZentryApp::Instance();
    if ((app && app->m_starting) || !m_progress) return;
    if (on) {
        m_busyTimer.stop();
        m_busyStep = 5;
        m_progress->setValue(m_busyStep);
        m_busyTimer.start(1000);
    } else {
        m_busyStep = 0;
        m_progress->setValue(0);
        m_busyTimer.stop();
    }
}

void CMainFrame::OnBusyTick() {
    ++m_busyStep;
    m_progress->setValue(m_busyStep);
    if (m_busyStep > 9) m_busyStep = 0;
}

void CMainFrame::OnKeepAlive() {
    CListString reply;
    CListString error;
    m_context.m_http.GetUserConfig(reply, error);
}

IFrameView* CMainFrame::CreateView(int viewId) {
    auto it = m_viewFactories.find(viewId);
    if (it != m_viewFactories.end() && it->second) return it->second(this);
    return new CHomePageForm(m_context, this);
}

IFrameView* CMainFrame::ViewIfShown(int viewId) const {
    return m_currentViewId == viewId ? CurrentFrameView() : nullptr;
}

void CMainFrame::SwitchView(int viewId) {
    if (m_view && viewId == m_currentViewId && viewId != ids::kViewHome) return;
    if (viewId != ids::kViewHome && !m_viewFactories.count(viewId)) return;
    if (IFrameView* shown = CurrentFrameView(); shown && !shown->SaveEdits()) return;
    m_currentViewId = viewId;
    IFrameView* view = CreateView(viewId);
    QWidget* widget = view->Widget();
    widget->setProperty("viewId", viewId);
    // setCentralWidget deletes the view shown before: no view keeps state.
    setCentralWidget(widget);
    m_view = widget;
    m_frameView = view;
    widget->show();
    // The home page and the list reload the menu as they start.
    ReloadMenu();
    if (viewId == ids::kViewDefectList) view->OnRefresh();
    UpdateCommandStates();
}

void CMainFrame::FillProjectCombo() {
    if (!m_projectCombo) return;
    m_projectCombo->clear();
    for (int row = 0; row < m_context.m_projects.GetRowCount(); ++row)
        m_projectCombo->addItem(ToQt(m_context.m_projects.GetValue(row, "PRJ_NAME")));
    m_projectCombo->setCurrentIndex(m_projectCombo->findText(m_context.m_currentProject));
}

void CMainFrame::OnProjectSelected(int index) {
    if (index < 0) return;
    m_context.m_currentProject = m_projectCombo->itemText(index);
    m_context.m_settings.SetValue("default_prj", ToList(m_context.m_currentProject).CStr(), "pstyle");
    m_context.ReadProjectLayout();
    if (IFrameView* view = ViewIfShown(ids::kViewDefectList)) view->OnRefresh();
}

void CMainFrame::OnRelogin() {
    // No keep-alive request may meet the login's requests.
    m_keepAliveTimer.stop();
    CLoginDlg login(m_context, this, true);
    const bool ok = login.exec() == QDialog::Accepted;
    if (ok) {
        m_isAdmin = m_context.m_userName.compare("admin", Qt::CaseInsensitive) == 0 ? 1 : 0;
        m_context.LoadMetadata();
        LayoutStatusBar();
        if (IFrameView* view = ViewIfShown(ids::kViewDefectList)) view->OnRefresh();
        FillProjectCombo();
    }
    m_keepAliveTimer.start(600000);
}

void CMainFrame::OnInitSystem() {
    if (!m_context.AskYesNo(m_context.Text(ids::kMsgQuestion))) return;
    if (!m_context.AskYesNo(m_context.Text(ids::kMsgQuestion))) return;
    for (const char* sql : {"delete from T_BUG", "delete from T_BUG_ATTACH", "delete from T_BUG_STATUS"})
        if (!m_context.RunExec(sql)) return;
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    // What the view could not write keeps the window open, unless the
    // program ends unattended (a termination signal): the refusal is logged.
    IFrameView* shown = CurrentFrameView();
    if (shown && !shown->SaveEdits() && !m_context.m_unattended) {
        event->ignore();
        return;
    }
    // The size RestoreWindowSize gives back at the next start (the window
    // frame's own width would make it grow at every start).
    m_context.m_settings.SetValue("window_init_x", QByteArray::number(width()).constData(), "pstyle");
    m_context.m_settings.SetValue("window_init_y", QByteArray::number(height()).constData(), "pstyle");
    QMainWindow::closeEvent(event);
}
