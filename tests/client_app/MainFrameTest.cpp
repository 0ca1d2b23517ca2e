// The main frame as the program composes it, offscreen, logged in to a real
// lumenolite with the demo database: menus, tool bar, status bar, view
// switching, project change, styles, languages, re-login; the password and
// prompt dialogs; the start-up; screenshots of the main window and the
// dialogs for review.
#include "CClientComposition.h"
#include "CDefectListGrid.h"
#include "CLoginDlg.h"
#include "CMd5Digest.h"
#include "CModifyPasswordDlg.h"
#include "CPromptInputDlg.h"
#include "CQuickEditDlg.h"
#include "CToolbarCustomizeDlg.h"
#include "CUpgradeDlg.h"
#include "CZentryApp.h"
#include "CZentryView.h"
#include "ClientFixtures.h"
#include "ClientIds.h"
#include "FtpServerFixture.h"
#include "HomePageForm.h"
#include "MainFrame.h"
#include "QtText.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QCheckBox>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTest>
#include <QTextBrowser>
#include <QToolBar>
#include <QToolButton>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

const char kExtraSql[] =
    "UPDATE t_prj SET PRJ_CUSTOM_FIELD='[tessaro]\ntitle=演示' WHERE PRJ_NAME='Zentry演示';";

QString ScreenshotDir() {
    const QString dir = QStringLiteral(ZENTRY_BUILD_DIR) + "/screenshots";
    QDir().mkpath(dir);
    return dir;
}

void Shoot(QWidget* widget, const QString& name) {
    widget->repaint();
    QApplication::processEvents();
    const QString path = ScreenshotDir() + "/" + name + ".png";
    EXPECT_TRUE(widget->grab().save(path)) << path.toStdString();
}

// Runs body once the next modal dialog is up (then the caller's exec returns).
void WhenModal(std::function<void(QWidget*)> body) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, body] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || qobject_cast<QMessageBox*>(modal)) return;
        timer->stop();
        timer->deleteLater();
        body(modal);
    });
    timer->start(10);
}

QStringList TopMenus(CMainFrame& frame) {
    QStringList captions;
    for (QAction* action : frame.menuBar()->actions()) captions << action->text();
    return captions;
}

QString ToolLabel(CMainFrame& frame, int id) {
    for (QAction* action : frame.ToolBar()->actions())
        if (action->objectName() == QStringLiteral("tool%1").arg(id)) return action->text();
    return "<none>";
}

}  // namespace

class Frame : public CDemoServerTest {
protected:
    static void SetUpTestSuite() { StartServer(true, kExtraSql); }

    // The application logged in as user with its metadata; the frame is
    // left to the test.
    bool StartApp(const std::string& user = "admin", const std::string& password = "admin",
                  const std::string& language = "english", const std::string& guiStyle = "3") {
        app = std::make_unique<CZentryApp>();
        CSettingsValues values;
        values.port = s_server->Port();
        values.user = user;
        values.password = password;
        values.language = language;
        values.guiStyle = guiStyle;
        app->m_context.m_configDir = app->m_context.m_cacheDir = m_dir.path();
        WriteText(app->m_context.SettingsPath(), SettingsText(values));
        if (!app->m_context.LoadSettings()) return false;
        CListString error;
        if (!app->m_context.Login(error)) return false;
        if (app->m_context.LoadMetadata() != 1) return false;
        app->m_starting = 0;
        return true;
    }
    std::unique_ptr<CMainFrame> MakeFrame() {
        composition = std::make_unique<CClientComposition>(*app);
        auto frame = composition->CreateMainFrame();
        app->m_mainWnd = frame.get();
        frame->resize(1000, 700);
        frame->show();
        QApplication::processEvents();
        return frame;
    }
    void TearDown() override {
        if (app) app->m_mainWnd = nullptr;
    }

    CModalAnswerer answerer;
    QTemporaryDir m_dir;
    std::unique_ptr<CZentryApp> app;
    std::unique_ptr<CClientComposition> composition;
};

TEST_F(Frame, BarsPanesAndTitles) {
    ASSERT_TRUE(StartApp()) << answerer.Joined().toStdString();
    auto frame = MakeFrame();
    EXPECT_EQ(frame->windowTitle(), "Zentry  [1.04]");
    EXPECT_EQ(TopMenus(*frame),
              QStringList({"File(&F)", "Defect(&D)", "Configure(&C)", "PStyle(&P)", "View(&V)", "Help(&H)"}));
    EXPECT_EQ(frame->ToolBar()->windowTitle(), "Standard");
    EXPECT_EQ(ToolLabel(*frame, ids::kCmdBugMgr), "Defect List");
    EXPECT_EQ(ToolLabel(*frame, ids::kCmdHome), "Home");
    EXPECT_EQ(frame->Action(ids::kCmdModifyPassword)->text(), "Modify Password...");
    // "\t" in a menu text becomes a tab.
    EXPECT_EQ(frame->Action(ids::kCmdStyleLuna)->text(), "Office 2007 Luna\t(&L)");

    EXPECT_EQ(frame->ProjectCombo()->count(), 2);
    EXPECT_EQ(frame->ProjectCombo()->currentText(), "Demo");
    EXPECT_EQ(frame->StatusPane(3)->text(), "admin -- 127.0.0.1  ");
    EXPECT_TRUE(QRegularExpression("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d$")
                    .match(frame->StatusPane(2)->text())
                    .hasMatch())
        << frame->StatusPane(2)->text().toStdString();
    const QString before = frame->StatusPane(2)->text();
    QTRY_VERIFY_WITH_TIMEOUT(frame->StatusPane(2)->text() != before, 3000);  // the clock ticks
    EXPECT_TRUE(frame->IsKeepAliveRunning());

    // Panes: a quarter of the client height w, then w/2, w, w, w.
    frame->resize(900, 400);
    QApplication::processEvents();
    const int w = frame->height() / 4;
    EXPECT_EQ(frame->StatusPane(0)->width(), w / 2);
    EXPECT_GE(frame->StatusPane(1)->width(), w);
    EXPECT_EQ(frame->StatusPane(2)->width(), w);
    EXPECT_EQ(frame->StatusPane(3)->width(), w);
    EXPECT_EQ(frame->BusyIndicator()->parentWidget(), frame->StatusPane(0));

    // Admin may do everything the frame offers; unhandled commands are off.
    for (int id : {ids::kCmdInitSystem, ids::kCmdLogin, ids::kCmdRefreshParam, ids::kCmdModifyPassword})
        EXPECT_TRUE(frame->Action(id)->isEnabled()) << id;
    for (int id : {ids::kCmdSetting, ids::kCmdToolbarSpare})
        EXPECT_FALSE(frame->Action(id)->isEnabled()) << id;

    Shoot(frame.get(), "main-frame-home");
    frame->RunCommand(ids::kCmdBugMgr);
    QTest::qWait(50);
    Shoot(frame.get(), "main-frame-defect-list");
    frame->close();
}

// PreView carries its tick while quick edit is shown, in the main menu as
// in the list's context menu, whichever of them switched it.
TEST_F(Frame, PreViewIsTickedWhileQuickEditIsShown) {
    ASSERT_TRUE(StartApp());
    auto frame = MakeFrame();
    frame->RunCommand(ids::kCmdBugMgr);
    auto* view = qobject_cast<CZentryView*>(frame->CurrentView());
    ASSERT_NE(view, nullptr);
    QAction* mainItem = frame->Action(ids::kCmdPreview);
    QMenu* viewMenu = nullptr;
    for (QObject* owner : mainItem->associatedObjects())
        if (auto* menu = qobject_cast<QMenu*>(owner)) viewMenu = menu;
    ASSERT_NE(viewMenu, nullptr);
    QAction* contextItem = nullptr;
    for (QAction* action : view->ContextMenu()->actions())
        if (action->data().toInt() == ids::kCmdPreview) contextItem = action;
    ASSERT_NE(contextItem, nullptr);

    // The ticks as the user sees them: each menu opened.
    const auto mainTick = [&] {
        viewMenu->popup(frame->mapToGlobal(QPoint(10, 10)));
        QApplication::processEvents();
        const bool ticked = mainItem->isChecked();
        viewMenu->hide();
        return ticked;
    };
    const auto contextTick = [&] {
        emit view->Grid()->customContextMenuRequested(QPoint(5, 5));
        QApplication::processEvents();
        const bool ticked = contextItem->isChecked();
        view->ContextMenu()->hide();
        return ticked;
    };
    const struct {
        const char* path;
        QAction* item;
    } paths[] = {{"main menu", mainItem}, {"context menu", contextItem}};
    for (const auto& path : paths) {
        for (int round = 0; round < 2; ++round) {
            SCOPED_TRACE(std::string(path.path) + (round ? ", hidden again" : ", shown"));
            const bool before = view->QuickEditPanel()->isVisibleTo(view);
            path.item->trigger();
            const bool shown = view->QuickEditPanel()->isVisibleTo(view);
            EXPECT_NE(shown, before);
            EXPECT_EQ(mainTick(), shown);
            EXPECT_EQ(contextTick(), shown);
        }
    }
    // Shown when another view comes: that view has no tick.
    if (!view->QuickEditPanel()->isVisibleTo(view)) mainItem->trigger();
    frame->RunCommand(ids::kCmdStatistics);
    EXPECT_FALSE(mainTick());
    frame->close();
}

TEST_F(Frame, ViewSwitchingBuildsEveryViewAfresh) {
    ASSERT_TRUE(StartApp());
    auto frame = MakeFrame();
    EXPECT_EQ(frame->m_currentViewId, ids::kViewHome);
    QPointer<QWidget> home = frame->CurrentView();
    ASSERT_TRUE(qobject_cast<CHomePageForm*>(home.data()));

    // Home while home is shown builds a new home page.
    frame->RunCommand(ids::kCmdHome);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(home.isNull());
    ASSERT_TRUE(qobject_cast<CHomePageForm*>(frame->CurrentView()));

    frame->RunCommand(ids::kCmdBugMgr);
    EXPECT_EQ(frame->m_currentViewId, ids::kViewDefectList);
    QPointer<QWidget> list = frame->CurrentView();
    EXPECT_EQ(list->property("viewId").toInt(), ids::kViewDefectList);
    // The list while the list is shown: nothing happens.
    frame->RunCommand(ids::kCmdBugMgr);
    EXPECT_EQ(frame->CurrentView(), list.data());

    frame->RunCommand(ids::kCmdStatistics);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(frame->m_currentViewId, ids::kViewStatistics);
    EXPECT_TRUE(list.isNull());
    EXPECT_FALSE(frame->Action(ids::kCmdPreview)->isEnabled());
    frame->RunCommand(ids::kCmdBugMgr);
    EXPECT_EQ(frame->m_currentViewId, ids::kViewDefectList);
    EXPECT_NE(frame->CurrentView(), nullptr);
    EXPECT_EQ(frame->centralWidget(), frame->CurrentView());

    // PreView of the main menu reaches the list: it shows or hides quick edit.
    auto* view = qobject_cast<CZentryView*>(frame->CurrentView());
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(frame->Action(ids::kCmdPreview)->isEnabled());
    const bool shown = view->QuickEditPanel()->isVisibleTo(view);
    frame->RunCommand(ids::kCmdPreview);
    EXPECT_NE(view->QuickEditPanel()->isVisibleTo(view), shown);
    frame->RunCommand(ids::kCmdPreview);
    EXPECT_EQ(view->QuickEditPanel()->isVisibleTo(view), shown);

    // The report command only says it is not there yet.
    frame->RunCommand(ids::kCmdReport);
    ASSERT_EQ(answerer.m_texts.size(), 1);
    EXPECT_EQ(answerer.m_texts[0], QStringLiteral("目前暂时不支持,后续版本将支持自定义Excel导出功能"));
    frame->close();
}

TEST_F(Frame, ProjectChangeReadsTheLayoutAgain) {
    ASSERT_TRUE(StartApp());
    auto frame = MakeFrame();
    CAppContext& c = app->m_context;
    EXPECT_EQ(c.m_prjCustomField, "");
    QComboBox* combo = frame->ProjectCombo();
    const int index = combo->findText(QStringLiteral("Zentry演示"));
    ASSERT_GE(index, 0);
    combo->setCurrentIndex(index);
    emit combo->activated(index);
    EXPECT_EQ(c.m_currentProject, QStringLiteral("Zentry演示"));
    EXPECT_EQ(c.m_prjCustomField, QStringLiteral("[tessaro]\ntitle=演示"));
    EXPECT_EQ(ToQt(c.m_settings.GetValue("default_prj", "pstyle")), QStringLiteral("Zentry演示"));
    // With the defect list shown the change reaches the list too.
    frame->RunCommand(ids::kCmdBugMgr);
    combo->setCurrentIndex(combo->findText("Demo"));
    emit combo->activated(combo->findText("Demo"));
    EXPECT_EQ(c.m_currentProject, "Demo");
    EXPECT_EQ(c.m_prjCustomField, "");
    EXPECT_TRUE(answerer.m_texts.isEmpty()) << answerer.Joined().toStdString();
    frame->close();
}

TEST_F(Frame, BusyIndicator) {
    ASSERT_TRUE(StartApp());
    auto frame = MakeFrame();
    frame->ShowBusy(1);
    EXPECT_EQ(frame->BusyIndicator()->value(), 5);
    EXPECT_TRUE(frame->IsBusyTimerRunning());
    frame->ShowBusy(1);
    frame->ShowBusy(0);  // calls do not nest
    EXPECT_EQ(frame->BusyIndicator()->value(), 0);
    EXPECT_FALSE(frame->IsBusyTimerRunning());
    // Server calls through the context drive it; during start-up it stays off.
    app->m_starting = 1;
    frame->ShowBusy(1);
    EXPECT_FALSE(frame->IsBusyTimerRunning());
    app->m_starting = 0;
    frame->close();
}

TEST_F(Frame, StylesAndTheirSettings) {
    ASSERT_TRUE(StartApp("admin", "admin", "english", "5"));
    auto frame = MakeFrame();
    // A gui_style outside 0 to 4 applies nothing; Silver stays ticked.
    EXPECT_EQ(frame->m_look, ids::kLookSilver);
    EXPECT_TRUE(frame->Action(ids::kCmdStyleSilver)->isChecked());
    const struct {
        int command;
        const char* guiStyle;
        const char* background;
        int look;
    } cases[] = {{ids::kCmdStyleLuna, "2", "RGB(192,219,255)", ids::kLookLuna},
                 {ids::kCmdStyle2000, "0", "13160660", ids::kLook2000},
                 {ids::kCmdStyleXp, "1", "13160660", ids::kLookXp},
                 {ids::kCmdStyleSilver, "3", "RGB(208,212,221)", ids::kLookSilver}};
    // gui_style 5 in the file stays until a style command writes one.
    for (const auto& c : cases) {
        frame->RunCommand(c.command);
        EXPECT_EQ(frame->m_look, c.look);
        EXPECT_STREQ(app->m_context.m_settings.GetValue("gui_style", "pstyle").CStr(), c.guiStyle);
        EXPECT_STREQ(app->m_context.m_settings.GetValue("background_color", "pstyle").CStr(), c.background);
        EXPECT_TRUE(frame->Action(c.command)->isChecked());
        EXPECT_EQ(app->m_context.m_bgBrush.color(), app->m_context.m_bgColor);
        if (c.look == ids::kLookLuna) {
            EXPECT_EQ(app->m_context.m_bgColor, QColor(192, 219, 255));
            EXPECT_EQ(QApplication::palette().color(QPalette::Window), QColor(192, 219, 255));
            Shoot(frame.get(), "main-frame-luna");
        }
    }
    // Fill background toggles and is written at once.
    frame->RunCommand(ids::kCmdFillBackground);
    EXPECT_EQ(app->m_context.m_fillBackground, 1);
    EXPECT_STREQ(app->m_context.m_settings.GetValue("fill_background", "pstyle").CStr(), "1");
    EXPECT_TRUE(frame->Action(ids::kCmdFillBackground)->isChecked());
    frame->RunCommand(ids::kCmdFillBackground);
    EXPECT_EQ(app->m_context.m_fillBackground, 0);
    // Tool bar and status bar toggles.
    frame->RunCommand(ids::kCmdStatusBar);
    EXPECT_FALSE(frame->statusBar()->isVisible());
    EXPECT_FALSE(frame->Action(ids::kCmdStatusBar)->isChecked());
    frame->RunCommand(ids::kCmdStatusBar);
    EXPECT_TRUE(frame->statusBar()->isVisible());
    frame->RunCommand(ids::kCmdToolBar);
    EXPECT_FALSE(frame->ToolBar()->isVisible());
    frame->RunCommand(ids::kCmdToolBar);
    EXPECT_TRUE(frame->ToolBar()->isVisible());

    // Closing writes the window size.
    frame->resize(910, 610);
    QApplication::processEvents();
    frame->close();
    EXPECT_STREQ(app->m_context.m_settings.GetValue("window_init_x", "pstyle").CStr(), "910");
    EXPECT_STREQ(app->m_context.m_settings.GetValue("window_init_y", "pstyle").CStr(), "610");
}

TEST_F(Frame, LanguageSwitchRecaptionsEveryWindow) {
    ASSERT_TRUE(StartApp());
    auto frame = MakeFrame();
    CModifyPasswordDlg password(app->m_context, frame.get());
    password.show();
    EXPECT_EQ(password.windowTitle(), "Modify Password");

    frame->RunCommand(ids::kCmdLanguageChinese);
    EXPECT_EQ(app->m_context.m_language, "zh_cn");
    EXPECT_EQ(frame->windowTitle(), "Zentry(ZNT)  [1.04]");
    EXPECT_EQ(TopMenus(*frame), QStringList({"文件(&F)", "缺陷(&D)", "配置(&C)", "风格(&P)", "查看(&V)", "帮助(&H)"}));
    EXPECT_EQ(ToolLabel(*frame, ids::kCmdBugMgr), QStringLiteral("缺陷列表"));
    EXPECT_EQ(frame->Action(ids::kCmdLogin)->text(), QStringLiteral("登录(&L)..."));
    EXPECT_EQ(password.windowTitle(), QStringLiteral("修改密码"));
    EXPECT_EQ(password.findChild<QPushButton*>(QString::number(ids::kOk))->text(), QStringLiteral("确定"));
    Shoot(frame.get(), "main-frame-zh_cn");

    frame->RunCommand(ids::kCmdLanguageBig5);
    EXPECT_EQ(ToolLabel(*frame, ids::kCmdBugMgr), QStringLiteral("缺陷清單"));
    EXPECT_EQ(password.windowTitle(), QStringLiteral("修改密碼"));
    Shoot(frame.get(), "main-frame-big5");
    EXPECT_NE(ReadText(app->m_context.SettingsPath()).find("language=big5"), std::string::npos);

    // A language file without some texts: the tool bar label goes empty,
    // the menu item keeps its own caption.
    const QString partial = m_dir.path() + "/partial.ini";
    WriteText(partial, "[common]\n2002=Start\n166=Datei(&F)\n");
    app->m_context.m_langTexts.Load(QFile::encodeName(partial).constData());
    frame->ReloadTexts();
    EXPECT_EQ(ToolLabel(*frame, ids::kCmdHome), "Start");
    EXPECT_EQ(ToolLabel(*frame, ids::kCmdBugMgr), "");
    EXPECT_EQ(frame->Action(ids::kCmdLogin)->text(), "&Login");
    EXPECT_EQ(TopMenus(*frame).first(), "Datei(&F)");
    EXPECT_EQ(TopMenus(*frame)[1], "Defect(&D)");
    password.close();
    frame->close();
}

TEST_F(Frame, RightsOfAnOrdinaryUser) {
    ASSERT_TRUE(StartApp("zhang", "123456")) << answerer.Joined().toStdString();
    auto frame = MakeFrame();
    EXPECT_EQ(frame->m_isAdmin, 0);
    EXPECT_FALSE(frame->Action(ids::kCmdInitSystem)->isEnabled());
    EXPECT_EQ(frame->StatusPane(3)->text(), "zhang -- 127.0.0.1  ");
    // A disabled command does nothing even when run directly.
    frame->RunCommand(ids::kCmdInitSystem);
    EXPECT_TRUE(answerer.m_texts.isEmpty());
    frame->close();
}

TEST_F(Frame, ReloginStopsTheKeepAliveWhileItRuns) {
    ASSERT_TRUE(StartApp());
    auto frame = MakeFrame();
    bool runningDuringLogin = true;
    WhenModal([&](QWidget* modal) {
        runningDuringLogin = frame->IsKeepAliveRunning();
        auto* dialog = qobject_cast<CLoginDlg*>(modal);
        ASSERT_TRUE(dialog);
        EXPECT_TRUE(dialog->IsFromMainWindow());
        dialog->findChild<QPushButton*>(QString::number(ids::kCancel))->click();
    });
    frame->RunCommand(ids::kCmdLogin);
    EXPECT_FALSE(runningDuringLogin);
    EXPECT_TRUE(frame->IsKeepAliveRunning());
    EXPECT_EQ(frame->m_isAdmin, 1);

    // Logging in as another user reloads the metadata and the bars.
    WhenModal([&](QWidget* modal) {
        runningDuringLogin = frame->IsKeepAliveRunning();
        modal->findChild<QLineEdit*>(QString::number(ids::kLoginUser))->setText("zhang");
        modal->findChild<QLineEdit*>(QString::number(ids::kLoginPassword))->setText("123456");
        modal->findChild<QPushButton*>(QString::number(ids::kLoginButton))->click();
    });
    frame->RunCommand(ids::kCmdLogin);
    EXPECT_FALSE(runningDuringLogin);
    EXPECT_TRUE(frame->IsKeepAliveRunning());
    EXPECT_EQ(app->m_context.m_userName, "zhang");
    EXPECT_EQ(frame->m_isAdmin, 0);
    EXPECT_EQ(frame->StatusPane(3)->text(), "zhang -- 127.0.0.1  ");
    EXPECT_EQ(frame->ProjectCombo()->count(), 2);
    EXPECT_EQ(frame->ProjectCombo()->currentText(), app->m_context.m_currentProject);
    EXPECT_TRUE(answerer.m_texts.isEmpty()) << answerer.Joined().toStdString();

    // The keep-alive request itself works with the session.
    frame->OnKeepAlive();
    frame->close();
}

TEST_F(Frame, InitSystemAsksTwice) {
    CDemoServer own;
    ASSERT_TRUE(own.Start());
    app = std::make_unique<CZentryApp>();
    CSettingsValues values;
    values.port = own.Port();
    app->m_context.m_configDir = app->m_context.m_cacheDir = m_dir.path();
    WriteText(app->m_context.SettingsPath(), SettingsText(values));
    ASSERT_TRUE(app->m_context.LoadSettings());
    CListString error;
    ASSERT_TRUE(app->m_context.Login(error));
    ASSERT_EQ(app->m_context.LoadMetadata(), 1);
    app->m_starting = 0;
    auto frame = MakeFrame();
    answerer.SetAnswerYes(false);
    frame->RunCommand(ids::kCmdInitSystem);
    EXPECT_EQ(answerer.m_texts.size(), 1);
    EXPECT_NE(own.Value("select count(*) from t_bug"), "0");
    answerer.SetAnswerYes(true);
    answerer.m_texts.clear();
    frame->RunCommand(ids::kCmdInitSystem);
    EXPECT_EQ(answerer.m_texts, QStringList({"Are you sure?", "Are you sure?"}));
    EXPECT_EQ(own.Value("select count(*) from t_bug"), "0");
    EXPECT_EQ(own.Value("select count(*) from t_bug_status"), "0");
    frame->close();
}

TEST_F(Frame, PasswordChange) {
    ASSERT_TRUE(StartApp("wang", "123456"));
    CAppContext& c = app->m_context;
    ASSERT_TRUE(c.m_http.m_usePassEncode);
    auto run = [&](const char* old, const char* fresh, const char* confirm) {
        answerer.m_texts.clear();
        CModifyPasswordDlg dialog(c);
        dialog.show();
        dialog.findChild<QLineEdit*>(QString::number(ids::kPasswordOld))->setText(QString::fromUtf8(old));
        dialog.findChild<QLineEdit*>(QString::number(ids::kPasswordNew))->setText(QString::fromUtf8(fresh));
        dialog.findChild<QLineEdit*>(QString::number(ids::kPasswordConfirm))->setText(QString::fromUtf8(confirm));
        dialog.findChild<QPushButton*>(QString::number(ids::kOk))->click();
        return dialog.result() == QDialog::Accepted && !dialog.isVisible();
    };
    const std::string stored = "select USER_PASSWD from t_cfg_st_user where USER_NAME='wang'";
    EXPECT_FALSE(run("wrong", "a", "a"));
    EXPECT_EQ(answerer.m_texts, QStringList{"The old password is wrong."});
    // Typing the stored digest itself is no old password.
    EXPECT_FALSE(run(CMd5Digest("123456").GetHexText(), "a", "a"));
    EXPECT_EQ(answerer.m_texts, QStringList{"The old password is wrong."});
    EXPECT_FALSE(run("123456", "NewPass", "newpass"));
    EXPECT_EQ(answerer.m_texts, QStringList{"The new password and its confirmation differ."});
    EXPECT_EQ(s_server->Value(stored), CMd5Digest("123456").GetHexText());

    EXPECT_TRUE(run("123456", "it's 新", "it's 新"));
    EXPECT_TRUE(answerer.m_texts.isEmpty()) << answerer.Joined().toStdString();
    EXPECT_EQ(s_server->Value(stored), CMd5Digest("it's 新").GetHexText());
    // The settings keep the old password until the next login.
    EXPECT_STREQ(c.m_settings.GetValue("user_passwd", "common").CStr(), "123456");
    CHttpDataClient other;
    CListString error;
    EXPECT_TRUE(other.Login("127.0.0.1", s_server->Port(), "wang", "it's 新", error)) << error.CStr();
    // An empty new password is accepted and stored as its digest.
    EXPECT_TRUE(run("it's 新", "", ""));
    EXPECT_EQ(s_server->Value(stored), CMd5Digest("").GetHexText());
    EXPECT_TRUE(run("", "123456", "123456"));
    EXPECT_EQ(s_server->Value(stored), CMd5Digest("123456").GetHexText());

    CModifyPasswordDlg dialog(c);
    dialog.show();
    Shoot(&dialog, "password-dialog");
}

TEST_F(Frame, PromptInput) {
    ASSERT_TRUE(StartApp());
    CPromptInputDlg dialog(app->m_context);
    dialog.m_title = "New group";
    dialog.m_initialText = "";
    WhenModal([&](QWidget* modal) {
        auto* ok = modal->findChild<QPushButton*>(QString::number(ids::kOk));
        ok->click();  // empty: stays open
        EXPECT_TRUE(modal->isVisible());
        modal->findChild<QLineEdit*>(QString::number(ids::kPromptEdit))->setText("  two words  ");
        Shoot(modal, "prompt-dialog");
        ok->click();
    });
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_EQ(dialog.windowTitle(), "New group");
    EXPECT_EQ(dialog.m_value, "  two words  ");

    CPromptInputDlg cancelled(app->m_context);
    cancelled.m_initialText = "proposed";
    WhenModal([&](QWidget* modal) {
        EXPECT_EQ(modal->findChild<QLineEdit*>(QString::number(ids::kPromptEdit))->text(), "proposed");
        modal->findChild<QPushButton*>(QString::number(ids::kCancel))->click();
    });
    EXPECT_EQ(cancelled.exec(), QDialog::Rejected);
}

TEST_F(Frame, LoginDialogScreenshots) {
    CModalAnswerer quiet;
    for (const char* language : {"english", "zh_cn", "big5"}) {
        app = std::make_unique<CZentryApp>();
        CSettingsValues values;
        values.port = s_server->Port();
        values.language = language;
        app->m_context.m_configDir = app->m_context.m_cacheDir = m_dir.path();
        WriteText(app->m_context.SettingsPath(), SettingsText(values));
        WriteText(app->m_context.LoginHistoryPath(), "127.0.0.1:" + std::to_string(s_server->Port()) + ":admin\n");
        ASSERT_TRUE(app->m_context.LoadSettings());
        CLoginDlg dialog(app->m_context);
        dialog.show();
        QTest::qWait(20);
        Shoot(&dialog, QStringLiteral("login-dialog-%1").arg(language));
    }
}

TEST_F(Frame, StartUpSequence) {
    // A server that publishes a newer client: the question names both versions.
    CDemoServer newer;
    ASSERT_TRUE(newer.Start(true, "", "ftp_user=zentry\nclient_version=1.25\n"));
    for (CDemoServer* server : {s_server.get(), &newer}) {
        answerer.m_texts.clear();
        answerer.SetAnswerYes(false);
        QTemporaryDir dir;
        CZentryApp start;
        start.m_context.m_configDir = start.m_context.m_cacheDir = dir.path();
        CSettingsValues values;
        values.port = server->Port();
        values.windowX = "300";
        WriteText(start.m_context.SettingsPath(), SettingsText(values));
        start.m_autoLogin = true;
        CClientComposition composed(start);
        std::unique_ptr<CMainFrame> frame;
        ASSERT_TRUE(start.InitInstance([&]() -> QWidget* {
            EXPECT_EQ(start.m_starting, 1);
            frame = composed.CreateMainFrame();
            return frame.get();
        })) << answerer.Joined().toStdString();
        EXPECT_EQ(start.m_starting, 0);
        EXPECT_EQ(start.m_mainWnd.data(), frame.get());
        EXPECT_TRUE(frame->isVisible());
        EXPECT_EQ(frame->width(), 730);  // a width below 400 is taken as 730
        EXPECT_EQ(frame->windowTitle(), "Zentry  [1.04]");
        EXPECT_EQ(start.m_context.m_userName, "admin");
        EXPECT_GT(start.m_context.m_params.GetRowCount(), 0);
        if (server == &newer) {
            ASSERT_EQ(answerer.m_texts.size(), 1);
            EXPECT_EQ(answerer.m_texts[0], "A newer client is available. Upgrade now? \n1.04-->1.25");
        } else {
            EXPECT_TRUE(answerer.m_texts.isEmpty()) << answerer.Joined().toStdString();
        }
        frame->close();
        frame.reset();
        start.ExitInstance();
        const std::string saved = ReadText(dir.path() + "/korvandix.ini");
        EXPECT_NE(saved.find("window_init_x=730"), std::string::npos) << saved;
    }
}

TEST_F(Frame, YesToTheUpgradeQuestionOpensTheUpgradeInAutomaticMode) {
    ASSERT_TRUE(CFtpServerFixture::Missing().empty()) << CFtpServerFixture::Missing();
    // A site without the release folder: the download that starts at once
    // fails, so nothing is ever installed.
    CFtpServerFixture ftp;
    ASSERT_TRUE(ftp.Start()) << ftp.Output();
    CDemoServer newer;
    const std::string config = "ftp_user=zentry\nftp_pass=secret\nftp_port=" + std::to_string(ftp.Port()) +
                               "\nrelease_path=/release\nclient_version=1.25\n";
    ASSERT_TRUE(newer.Start(true, "", config.c_str()));
    QTemporaryDir dir;
    CZentryApp start;
    start.m_context.m_configDir = start.m_context.m_cacheDir = dir.path();
    CSettingsValues values;
    values.port = newer.Port();
    WriteText(start.m_context.SettingsPath(), SettingsText(values));
    start.m_autoLogin = true;
    answerer.SetAnswerYes(true);
    CClientComposition composed(start);
    std::unique_ptr<CMainFrame> frame;
    bool automatic = false;
    bool caught = false;
    ASSERT_TRUE(start.InitInstance([&]() -> QWidget* {
        frame = composed.CreateMainFrame();
        // The next modal window, after the login.
        WhenModal([&](QWidget* modal) {
            auto* dialog = qobject_cast<CUpgradeDlg*>(modal);
            ASSERT_NE(dialog, nullptr) << modal->metaObject()->className();
            caught = true;
            automatic = dialog->m_autoMode;
            EXPECT_EQ(dialog->parentWidget(), frame.get());
            WaitFor([dialog] { return !dialog->IsDownloading(); });
            dialog->reject();
        });
        return frame.get();
    })) << answerer.Joined().toStdString();
    ASSERT_EQ(answerer.m_texts.size(), 1);
    EXPECT_EQ(answerer.m_texts[0], "A newer client is available. Upgrade now? \n1.04-->1.25");
    EXPECT_FALSE(caught);  // once the main window runs
    ASSERT_TRUE(WaitFor([&] { return caught && !QApplication::activeModalWidget(); }, 10000));
    EXPECT_TRUE(automatic);
    ASSERT_EQ(answerer.m_texts.size(), 2) << answerer.Joined().toStdString();
    EXPECT_TRUE(answerer.m_texts[1].startsWith("The upgrade was not started: ")) << answerer.Joined().toStdString();
    frame->close();
    frame.reset();
    start.ExitInstance();
}

TEST_F(Frame, CancelledLoginEndsTheStartButSavesTheSettings) {
    QTemporaryDir dir;
    CZentryApp start;
    start.m_context.m_configDir = start.m_context.m_cacheDir = dir.path();
    CSettingsValues values;
    values.port = s_server->Port();
    std::string text = SettingsText(values);
    text = text.substr(text.find('\n') + 1);  // without the fixed first line
    WriteText(start.m_context.SettingsPath(), text);
    WhenModal([](QWidget* modal) {
        modal->findChild<QPushButton*>(QString::number(ids::kCancel))->click();
    });
    bool frameMade = false;
    EXPECT_FALSE(start.InitInstance([&]() -> QWidget* {
        frameMade = true;
        return nullptr;
    }));
    EXPECT_FALSE(frameMade);
    EXPECT_EQ(start.m_starting, 1);
    start.ExitInstance();
    EXPECT_EQ(ReadText(dir.path() + "/korvandix.ini").rfind("#Zentry配置管理工具", 0), 0u);
}

TEST_F(Frame, ToolBarCustomization) {
    ASSERT_TRUE(StartApp());
    auto frame = MakeFrame();
    frame->RunCommand(ids::kCmdCustomizeToolbar);
    frame->RunCommand(ids::kCmdCustomizeToolbar);  // still one dialog
    QList<CToolbarCustomizeDlg*> dialogs;
    for (QWidget* window : QApplication::topLevelWidgets())
        if (auto* dialog = qobject_cast<CToolbarCustomizeDlg*>(window)) dialogs << dialog;
    ASSERT_EQ(dialogs.size(), 1);
    CToolbarCustomizeDlg* dialog = dialogs[0];
    EXPECT_FALSE(dialog->isModal());
    EXPECT_EQ(dialog->windowTitle(), "Customize the Tool Bar");
    QListWidget* list = dialog->Buttons();
    QStringList entries;
    for (int row = 0; row < list->count(); ++row) entries << list->item(row)->text();
    EXPECT_EQ(entries, QStringList({"Home", "New Defect", "Defect List", "Report", "Statistics", "Refresh",
                                    "System", "About"}));
    // Unticking a button hides it; ticking shows it again.
    QAction* report = nullptr;
    for (QAction* action : frame->ToolBar()->actions())
        if (action->objectName() == QStringLiteral("tool%1").arg(ids::kCmdReport)) report = action;
    ASSERT_TRUE(report);
    list->item(3)->setCheckState(Qt::Unchecked);
    EXPECT_FALSE(report->isVisible());
    list->item(3)->setCheckState(Qt::Checked);
    EXPECT_TRUE(report->isVisible());
    dialog->TextLabels()->setChecked(false);
    EXPECT_EQ(frame->ToolBar()->toolButtonStyle(), Qt::ToolButtonIconOnly);
    Shoot(dialog, "toolbar-customize");
    dialog->TextLabels()->setChecked(true);
    EXPECT_EQ(frame->ToolBar()->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
    // A language switch re-captions it with the rest.
    frame->RunCommand(ids::kCmdLanguageChinese);
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("自定义工具栏"));
    EXPECT_EQ(list->item(2)->text(), QStringLiteral("缺陷列表"));
    dialog->close();
    frame->close();
}
