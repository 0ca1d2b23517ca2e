// Every command of the main frame's menus and tool bar, of the defect
// list's context menu and of the attachments page, triggered as a user
// would in the composed frame logged in to a real lumenolite with the demo
// database (with a loopback FTP server and SMTP sink): each one either does
// what it is for (the dialog it opens, the view it shows, the state it
// changes, the message it gives) or is disabled and does nothing.
//
// A table per window below; a command whose feature gets built turns its
// row from Disabled(...) into what it now does, for instance
// Opens<CUpgradeDlg>(id). A command found in a window but missing
// from its table fails the test, and so does an enabled command whose
// expectation sees nothing happen.
#include "CAboutDlg.h"
#include "CAttachmentDlg.h"
#include "CDefectEditDlg.h"
#include "CDefectFieldsDlg.h"
#include "CDefectListGrid.h"
#include "CDepartmentDlg.h"
#include "CFieldAttributeDlg.h"
#include "CFlowDefineDlg.h"
#include "CLayoutDesignDlg.h"
#include "CLoginDlg.h"
#include "CModifyPasswordDlg.h"
#include "CParamSettingDlg.h"
#include "CProjectSettingDlg.h"
#include "CQueryConditionDlg.h"
#include "CQuickEditDlg.h"
#include "CScreenCaptureDlg.h"
#include "CSendMailDlg.h"
#include "CSysPropSheet.h"
#include "CToolbarCustomizeDlg.h"
#include "CUpgradeDlg.h"
#include "CUserManageDlg.h"
#include "CZentryView.h"
#include "ClientIds.h"
#include "ComposedClient.h"
#include "FileDialogAnswerer.h"
#include "FtpServerFixture.h"
#include "GridExport.h"
#include "QtText.h"
#include "UpgradeIds.h"
#include "SmtpSinkFixture.h"
#include "WorkbookReader.h"
#include "WorkspaceIds.h"

#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QTableWidget>
#include <QClipboard>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QFile>
#include <QFileDialog>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <QToolBar>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

// A left-button mouse event at point, as the window system sends it.
void SendMouse(QWidget* widget, QEvent::Type type, const QPoint& point)
{
    const Qt::MouseButtons held = type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick
                                      ? Qt::MouseButtons(Qt::LeftButton)
                                      : Qt::MouseButtons();
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, QPointF(point), widget->mapToGlobal(QPointF(point)), button, held, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

// Closes a window as its close box would end it (some dialogs ignore Escape).
void Close(QWidget* window)
{
    if (auto* dialog = qobject_cast<QDialog*>(window)) dialog->done(QDialog::Rejected);
    else window->close();
}

// One command being run: how its window triggers it, and what the case
// looks at.
class CCommandRun {
public:
    CCommandRun(CModalAnswerer& answerer, std::function<QAction*()> find, std::function<void()> runHidden)
        : m_answerer(answerer), m_find(std::move(find)), m_runHidden(std::move(runHidden))
    {
    }
    // Enabled as the window shows it now.
    bool Enabled()
    {
        QAction* action = m_find();
        return action ? action->isEnabled() : m_runHidden != nullptr;
    }
    // Triggers the command as the user would; a command that no menu or
    // button carries is run by its id. Message boxes are answered as told.
    void Trigger(bool answerYes = true)
    {
        m_answerer.SetAnswerYes(answerYes);
        m_answerer.m_texts.clear();
        if (QAction* action = m_find()) action->trigger();
        else if (m_runHidden) m_runHidden();
        QApplication::processEvents();
        m_answerer.SetAnswerYes(true);
    }
    const QStringList& Messages() const { return m_answerer.m_texts; }
    CModalCatcher catcher;

private:
    CModalAnswerer& m_answerer;
    std::function<QAction*()> m_find;
    std::function<void()> m_runHidden;
};

struct CommandCase {
    CommandCase(int commandId, std::function<void(CCommandRun& run)> check)
        : id(commandId), expect(std::move(check))
    {
    }

    int id;
    std::function<void(CCommandRun& run)> expect;
    // What has to hold before the command can be used (a row selected, an
    // image on the clipboard); run before the command's state is looked at.
    std::function<void()> prepare;

    CommandCase Given(std::function<void()> setUp) &&
    {
        prepare = std::move(setUp);
        return std::move(*this);
    }
};

// Disabled: nothing opens and nothing is said when it is triggered anyway.
CommandCase Disabled(int id)
{
    return {id, [](CCommandRun& run) {
                EXPECT_FALSE(run.Enabled());
                run.catcher.Arm(Close);
                run.Trigger();
                run.catcher.Disarm();
                EXPECT_TRUE(run.catcher.Caught().isEmpty()) << run.catcher.Caught().toStdString();
                EXPECT_TRUE(run.Messages().isEmpty()) << run.Messages().join(" | ").toStdString();
            }};
}

// Opens a modal window of class Window; inside looks at it before it is
// closed (by inside itself, or after it).
template <typename Window>
CommandCase Opens(int id, std::function<void(Window& window)> inside = {})
{
    return {id, [inside](CCommandRun& run) {
                EXPECT_TRUE(run.Enabled());
                bool right = false;
                run.catcher.Arm([&right, inside](QWidget* modal) {
                    auto* window = qobject_cast<Window*>(modal);
                    right = window != nullptr;
                    if (window && inside) inside(*window);
                    if (modal->isVisible()) Close(modal);
                });
                run.Trigger();
                run.catcher.Disarm();
                EXPECT_TRUE(right) << "opened: " << run.catcher.Caught().toStdString();
            }};
}

// Shows exactly this message and opens nothing else.
CommandCase Says(int id, const QString& text)
{
    return {id, [text](CCommandRun& run) {
                EXPECT_TRUE(run.Enabled());
                run.catcher.Arm(Close);
                run.Trigger();
                run.catcher.Disarm();
                EXPECT_TRUE(run.catcher.Caught().isEmpty()) << run.catcher.Caught().toStdString();
                EXPECT_EQ(run.Messages(), QStringList{text});
            }};
}

// Changes what state reads (to expected, when one is given), opening nothing.
CommandCase Changes(int id, std::function<QVariant()> state, QVariant expected = QVariant())
{
    return {id, [state, expected](CCommandRun& run) {
                EXPECT_TRUE(run.Enabled());
                const QVariant before = state();
                run.catcher.Arm(Close);
                run.Trigger();
                run.catcher.Disarm();
                EXPECT_TRUE(run.catcher.Caught().isEmpty()) << run.catcher.Caught().toStdString();
                EXPECT_NE(state(), before);
                if (expected.isValid()) {
                    EXPECT_EQ(state(), expected);
                }
            }};
}

// Asks first; No to the question leaves what state reads as it was.
CommandCase AsksFirst(int id, std::function<QVariant()> state)
{
    return {id, [state](CCommandRun& run) {
                EXPECT_TRUE(run.Enabled());
                const QVariant before = state();
                run.Trigger(false);
                EXPECT_EQ(run.Messages(), QStringList{"Are you sure?"});
                EXPECT_EQ(state(), before);
            }};
}

// Anything else the case checks itself.
CommandCase Does(int id, std::function<void(CCommandRun& run)> check)
{
    return {id, [check](CCommandRun& run) {
                EXPECT_TRUE(run.Enabled());
                check(run);
            }};
}

// Enabled, and by the list's own definition without an action: triggering
// opens nothing, says nothing and changes no row.
CommandCase WithoutAction(int id, std::function<QVariant()> state)
{
    return {id, [state](CCommandRun& run) {
                EXPECT_TRUE(run.Enabled());
                const QVariant before = state();
                run.catcher.Arm(Close);
                run.Trigger();
                run.catcher.Disarm();
                EXPECT_TRUE(run.catcher.Caught().isEmpty());
                EXPECT_TRUE(run.Messages().isEmpty());
                EXPECT_EQ(state(), before);
            }};
}

// The ids of a table, and that each id of the window is among them.
void ExpectCovered(const std::vector<CommandCase>& table, const std::set<int>& shown, const char* window)
{
    std::set<int> listed;
    for (const CommandCase& c : table) EXPECT_TRUE(listed.insert(c.id).second) << window << ": twice " << c.id;
    for (int id : shown) EXPECT_TRUE(listed.count(id)) << window << ": command " << id << " has no row";
}

void RunTable(const std::vector<CommandCase>& table, const std::function<std::unique_ptr<CCommandRun>(int id)>& run)
{
    for (const CommandCase& c : table) {
        SCOPED_TRACE(testing::Message() << "command " << c.id);
        if (c.prepare) c.prepare();
        const std::unique_ptr<CCommandRun> command = run(c.id);
        c.expect(*command);
    }
}

int ActionId(const QAction* action)
{
    bool ok = false;
    const int id = action->objectName().startsWith("tool") ? action->objectName().mid(4).toInt(&ok)
                                                           : action->objectName().toInt(&ok);
    return ok ? id : 0;
}

void CollectMenuIds(const QMenu* menu, std::set<int>& ids)
{
    for (const QAction* action : menu->actions()) {
        if (action->menu()) CollectMenuIds(action->menu(), ids);
        else if (const int id = ActionId(action)) ids.insert(id);
    }
}

// The user configuration of the suite: the FTP site and the mail account.
std::string UserConfig(int ftpPort, int smtpPort)
{
    return "ftp_user=zentry!ftp_pass=secret!ftp_port=" + std::to_string(ftpPort) +
           "!attach_path=/attach!mail_server=127.0.0.1!mail_port=" + std::to_string(smtpPort) +
           "!mail_user=mailer@example.com!mail_pass=s3cret!mail_auth_type=login\n";
}

}  // namespace

class CommandTable : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!CFtpServerFixture::Missing().empty() || !CSmtpSinkFixture::Missing().empty()) return;
        s_ftp = std::make_unique<CFtpServerFixture>();
        ASSERT_TRUE(s_ftp->Start()) << s_ftp->Output();
        ASSERT_TRUE(s_ftp->MakeFolder("attach"));
        s_sink = std::make_unique<CSmtpSinkFixture>("mailer@example.com", "s3cret");
        ASSERT_TRUE(s_sink->Start()) << s_sink->Output();
        s_server = std::make_unique<CDemoServer>();
        ASSERT_TRUE(s_server->Start(true, "", UserConfig(s_ftp->Port(), s_sink->Port()).c_str())) << s_server->Output();
    }
    static void TearDownTestSuite()
    {
        s_server.reset();
        s_sink.reset();
        s_ftp.reset();
    }
    void SetUp() override
    {
        if (!s_server) GTEST_SKIP() << CFtpServerFixture::Missing() << CSmtpSinkFixture::Missing();
        // Settings of its own in a temp folder: the language switches write them.
        std::string why;
        ASSERT_TRUE(client.LoginWithOwnSettings(*s_server, m_dir.path(), why)) << why << answerer.Joined().toStdString();
    }
    QString Value(const QString& sql) { return s_server->Value(client.Context(), sql); }
    int Count(const QString& sql) { return s_server->Count(client.Context(), sql); }

    // The defect list shown in the frame, every defect of Demo listed and
    // the row of bugId selected.
    CZentryView& ShowList(int bugId)
    {
        CMainFrame& frame = client.Frame();
        frame.RunCommand(ids::kCmdBugMgr);
        auto* view = qobject_cast<CZentryView*>(frame.CurrentView());
        EXPECT_NE(view, nullptr);
        view->ConditionPanel()->StartDate()->setDate(QDate(2000, 1, 1));
        view->ConditionPanel()->OnQuery();
        SelectDefect(*view, bugId);
        return *view;
    }
    static bool SelectDefect(CZentryView& view, int bugId)
    {
        CDefectListGrid& grid = *view.Grid();
        const int column = grid.FieldColumn("BG_BUG_ID");
        for (int row = 0; row < grid.RowCount(); ++row) {
            if (grid.Model()->Text(row, column).toInt() != bugId) continue;
            grid.setCurrentIndex(grid.Model()->index(row, 0));
            return true;
        }
        return false;
    }
    // A command of the list's context menu, found in the menu as the right
    // click shows it over the selected row.
    static std::unique_ptr<CCommandRun> ListCommand(CModalAnswerer& answerer, CZentryView& view, int bugId, int id)
    {
        QPointer<CZentryView> shown(&view);
        auto find = [shown, bugId, id]() -> QAction* {
            if (!shown) return nullptr;
            SelectDefect(*shown, bugId);
            CDefectListGrid& grid = *shown->Grid();
            const QRect cell = grid.visualRect(grid.currentIndex());
            emit grid.customContextMenuRequested(cell.center());
            shown->ContextMenu()->hide();
            for (QAction* action : shown->ContextMenu()->actions())
                if (!action->isSeparator() && action->data().toInt() == id) return action;
            return nullptr;
        };
        return std::make_unique<CCommandRun>(answerer, find, nullptr);
    }
    static std::set<int> ListIds(CZentryView& view)
    {
        std::set<int> shown;
        for (const QAction* action : view.ContextMenu()->actions())
            if (!action->isSeparator()) shown.insert(action->data().toInt());
        return shown;
    }

    static inline std::unique_ptr<CFtpServerFixture> s_ftp;
    static inline std::unique_ptr<CSmtpSinkFixture> s_sink;
    static inline std::unique_ptr<CDemoServer> s_server;
    CModalAnswerer answerer;
    QTemporaryDir m_dir;
    CComposedClient client;
};

TEST_F(CommandTable, MainFrameMenusAndToolBar)
{
    CMainFrame& frame = client.Frame();
    CAppContext& context = client.Context();
    const auto viewId = [&frame] { return QVariant(frame.m_currentViewId); };
    const auto look = [&frame] { return QVariant(frame.m_look); };
    const auto language = [&context] { return QVariant(context.m_language); };
    const auto quickEditShown = [&frame] {
        auto* view = qobject_cast<CZentryView*>(frame.CurrentView());
        return QVariant(view && view->QuickEditPanel()->isVisibleTo(view));
    };

    const std::vector<CommandCase> table = {
        Does(ids::kCmdHome,
             [&frame](CCommandRun& run) {
                 // The home page while it is shown is built again.
                 QPointer<QWidget> before = frame.CurrentView();
                 run.Trigger();
                 EXPECT_EQ(frame.m_currentViewId, ids::kViewHome);
                 EXPECT_NE(frame.CurrentView(), before.data());
             }),
        Changes(ids::kCmdBugMgr, viewId, ids::kViewDefectList),
        Changes(ids::kCmdPreview, quickEditShown, true),
        Changes(ids::kCmdStatistics, viewId, ids::kViewStatistics),
        Opens<CDefectEditDlg>(ids::kCmdNewBug,
                              [&context](CDefectEditDlg& editor) {
                                  EXPECT_GT(editor.FieldsPage()->DefectId(), 0);
                                  EXPECT_EQ(editor.windowTitle(), context.Text(WorkspaceIds::TitleNewDefect));
                              }),
        Opens<CSysPropSheet>(ids::kCmdSysManage,
                             [](CSysPropSheet& sheet) {
                                 ASSERT_EQ(sheet.PageCount(), 5);
                                 auto* fields = qobject_cast<CFieldAttributeDlg*>(sheet.Page(4));
                                 ASSERT_NE(fields, nullptr);
                                 // Filled when it is first chosen.
                                 EXPECT_EQ(fields->m_labels->count(), 0);
                                 sheet.SetActivePage(4);
                                 EXPECT_EQ(fields->m_labels->count(), 15);
                             }),
        Opens<CSysPropSheet>(ids::kCmdOptions),
        Says(ids::kCmdReport, QStringLiteral("目前暂时不支持,后续版本将支持自定义Excel导出功能")),
        Disabled(ids::kCmdToolbarSpare),
        Opens<CAboutDlg>(ids::kCmdAbout),
        Changes(ids::kCmdLanguageChinese, language, "zh_cn"),
        Changes(ids::kCmdLanguageBig5, language, "big5"),
        Changes(ids::kCmdLanguageEnglish, language, "english"),
        Changes(ids::kCmdStatusBar, [&frame] { return QVariant(frame.statusBar()->isVisible()); }, false),
        Changes(ids::kCmdStyle2000, look, ids::kLook2000),
        Changes(ids::kCmdStyleXp, look, ids::kLookXp),
        Changes(ids::kCmdStyleLuna, look, ids::kLookLuna),
        Changes(ids::kCmdStyleSilver, look, ids::kLookSilver),
        Changes(ids::kCmdStyleAqua, look, ids::kLookAqua),
        Disabled(ids::kCmdSetting),
        Changes(ids::kCmdFillBackground, [&context] { return QVariant(context.m_fillBackground); }),
        Opens<CLoginDlg>(ids::kCmdLogin),
        Opens<CModifyPasswordDlg>(ids::kCmdModifyPassword),
        Does(ids::kCmdRefreshParam,
             [&context](CCommandRun& run) {
                 context.m_params.Clear();
                 context.m_projects.Clear();
                 run.Trigger();
                 EXPECT_GT(context.m_params.GetRowCount(), 0);
                 EXPECT_EQ(context.m_projects.GetRowCount(), 2);
             }),
        Opens<CUpgradeDlg>(ids::kCmdUpgrade,
                           [](CUpgradeDlg& dialog) {
                               // Normal mode: the check only (the suite's server
                               // publishes no newer client).
                               EXPECT_FALSE(dialog.m_autoMode);
                               EXPECT_FALSE(dialog.IsDownloading());
                               EXPECT_EQ(dialog.ClientVersionText(), "Version:1.04");
                               EXPECT_FALSE(dialog.Button(ids::kUpgradeAuto)->isEnabled());
                           }),
        Opens<CLayoutDesignDlg>(ids::kCmdDesignCustom,
                                [](CLayoutDesignDlg& designer) { EXPECT_EQ(designer.AvailableGrid()->rowCount(), 10); }),
        AsksFirst(ids::kCmdInitSystem, [this] { return QVariant(Count("select count(*) from t_bug")); }),
        Opens<QDialog>(ids::kCmdUserMgr,
                       [](QDialog& dialog) { EXPECT_NE(dialog.findChild<CUserManageDlg*>(), nullptr); }),
        Opens<CDepartmentDlg>(ids::kCmdDeptMgr),
        Opens<CParamSettingDlg>(ids::kCmdListMgr),
        Opens<CProjectSettingDlg>(ids::kCmdProjectDlg),
        Opens<CFlowDefineDlg>(ids::kCmdWorkflow),
        Opens<CFieldAttributeDlg>(ids::kCmdFieldAttr,
                                  [](CFieldAttributeDlg& page) { EXPECT_EQ(page.m_labels->count(), 15); }),
        Does(ids::kCmdCustomizeToolbar,
             [](CCommandRun& run) {
                 run.Trigger();
                 CToolbarCustomizeDlg* shown = nullptr;
                 for (QWidget* window : QApplication::topLevelWidgets())
                     if (auto* dialog = qobject_cast<CToolbarCustomizeDlg*>(window))
                         if (dialog->isVisible()) shown = dialog;
                 ASSERT_NE(shown, nullptr);
                 EXPECT_FALSE(shown->isModal());
                 shown->close();
             }),
        Does(ids::kCmdProjectCombo,
             [&frame, &context](CCommandRun&) {
                 QComboBox* combo = frame.ProjectCombo();
                 const int other = combo->findText(QStringLiteral("Zentry演示"));
                 ASSERT_GE(other, 0);
                 combo->setCurrentIndex(other);
                 emit combo->activated(other);
                 EXPECT_EQ(context.m_currentProject, QStringLiteral("Zentry演示"));
             }),
        Does(ids::kCmdToolBar,
             [&frame](CCommandRun& run) {
                 run.Trigger();
                 EXPECT_FALSE(frame.ToolBar()->isVisible());
                 run.Trigger();
                 EXPECT_TRUE(frame.ToolBar()->isVisible());
             }),
        Does(ids::kCmdExit,
             [&frame](CCommandRun& run) {
                 ASSERT_TRUE(frame.isVisible());
                 run.Trigger();
                 EXPECT_FALSE(frame.isVisible());
             }),
    };

    std::set<int> shown;
    for (const QAction* top : frame.menuBar()->actions())
        if (top->menu()) CollectMenuIds(top->menu(), shown);
    for (const QAction* action : frame.ToolBar()->actions())
        if (const int id = ActionId(action)) shown.insert(id);
    shown.insert(ids::kCmdProjectCombo);
    ExpectCovered(table, shown, "main frame");

    RunTable(table, [this, &frame](int id) {
        QPointer<CMainFrame> owner(&frame);
        auto find = [owner, id]() -> QAction* {
            if (!owner) return nullptr;
            owner->UpdateCommandStates();
            return owner->Action(id);
        };
        // Commands no menu carries run by their id, as far as the frame allows.
        std::function<void()> hidden;
        if (!frame.Action(id) && frame.IsCommandEnabled(id)) hidden = [owner, id] {
            if (owner) owner->RunCommand(id);
        };
        return std::make_unique<CCommandRun>(answerer, find, hidden);
    });
}

TEST_F(CommandTable, DefectListContextMenu)
{
    // Defect 24 of Demo: zhang is responsible, admin found it.
    const int bugId = 24;
    CZentryView& view = ShowList(bugId);
    CAppContext& context = client.Context();
    const int messagesBefore = s_sink->MessageCount();
    const QString summary = Value("select BG_SUMMARY from t_bug where BG_BUG_ID=24");
    const auto rows = [this] { return QVariant(Count("select count(*) from t_bug")); };

    const std::vector<CommandCase> table = {
        Opens<CDefectEditDlg>(WorkspaceIds::CmdView,
                              [&context, bugId, &summary](CDefectEditDlg& editor) {
                                  EXPECT_EQ(context.m_currentBugId, bugId);
                                  EXPECT_EQ(editor.FieldsPage()->IdLabel()->text(), QString::number(bugId));
                                  EXPECT_EQ(editor.FieldsPage()->Summary()->text(), summary);
                                  EXPECT_EQ(editor.windowTitle(), context.Text(WorkspaceIds::TitleModifyDefect));
                              }),
        Does(WorkspaceIds::CmdRefresh,
             [this, &view](CCommandRun& run) {
                 ASSERT_TRUE(CDemoServer::Exec(client.Context(),
                                               "insert into t_bug (BG_BUG_ID,BG_STATUS,PRJ_NAME,BG_SUMMARY,"
                                               "BG_DETECTION_DATE) values (9100,'00-New','Demo','added meanwhile',"
                                               "'2008-01-01 10:00:00')"));
                 EXPECT_FALSE(SelectDefect(view, 9100));
                 run.Trigger();
                 EXPECT_TRUE(SelectDefect(view, 9100));
             }),
        Opens<CDefectEditDlg>(WorkspaceIds::CmdAdd,
                              [&context, bugId](CDefectEditDlg& editor) {
                                  EXPECT_GT(editor.FieldsPage()->DefectId(), 0);
                                  EXPECT_NE(editor.FieldsPage()->DefectId(), bugId);
                                  EXPECT_EQ(context.m_currentBugId, editor.FieldsPage()->DefectId());
                              }),
        AsksFirst(WorkspaceIds::CmdDelete,
                  [this, bugId] {
                      return QVariant(Count(QStringLiteral("select count(*) from t_bug where BG_BUG_ID=%1").arg(bugId)));
                  }),
        WithoutAction(WorkspaceIds::CmdCopyDefect, rows),
        WithoutAction(WorkspaceIds::CmdPasteDefect, rows),
        Changes(WorkspaceIds::CmdAutoSize, [&view] { return QVariant(view.m_autoSizeColumns); }, 0),
        Changes(WorkspaceIds::CmdPreview, [&view] { return QVariant(view.QuickEditPanel()->isVisibleTo(&view)); }, true),
        Does(WorkspaceIds::CmdExport,
             [this, &view](CCommandRun& run) {
                 const QString path = m_dir.filePath("list.xlsx");
                 CFileDialogAnswerer dialogs;
                 dialogs.Choose(path);
                 run.Trigger();
                 EXPECT_EQ(dialogs.m_opened, 1);
                 EXPECT_EQ(run.Messages(), QStringList{client.Context().Text(GridExportTexts::Exported) + " " + path + "!"})
                     << run.Messages().join(" | ").toStdString();
                 // The grid as it shows its rows: captions ("-" as "A"), then the rows.
                 const CWorkbookCells book = ReadWorkbook(path);
                 ASSERT_TRUE(book.error.isEmpty()) << book.error.toStdString();
                 EXPECT_EQ(book.sheets, QStringList{"grid"});
                 const CResultGridModel& model = *view.Grid()->Model();
                 ASSERT_EQ(book.RowCount(), model.rowCount() + 1);
                 ASSERT_GT(model.rowCount(), 1);
                 for (int column = 0; column < model.columnCount(); ++column) {
                     const QString caption = model.Caption(column);
                     EXPECT_EQ(book.Cell(0, column).toString(), caption == "-" ? QString("A") : caption);
                     for (int row = 0; row < model.rowCount(); ++row)
                         EXPECT_EQ(book.Cell(row + 1, column).toString(), model.Text(row, column)) << row;
                 }
             }),
        Opens<CSendMailDlg>(WorkspaceIds::CmdMail,
                            [&summary](CSendMailDlg& dialog) {
                                // The selected defect's responsible and summary; Send mails it.
                                EXPECT_EQ(dialog.ToEdit()->text(), "zhang@example.com");
                                EXPECT_EQ(dialog.SubjectEdit()->text(), summary);
                                dialog.SendButton()->click();
                                EXPECT_FALSE(dialog.isVisible());
                                EXPECT_EQ(dialog.result(), QDialog::Accepted);
                            }),
    };
    ExpectCovered(table, ListIds(view), "defect list");
    RunTable(table, [this, &view, bugId](int id) { return ListCommand(answerer, view, bugId, id); });

    // The mail reached the SMTP server.
    ASSERT_TRUE(s_sink->WaitForMessages(messagesBefore + 1));
    CSmtpSinkFixture::Message mail;
    ASSERT_TRUE(s_sink->ReadMessage(messagesBefore, mail));
    EXPECT_EQ(mail.recipients, std::vector<std::string>{"zhang@example.com"});
    EXPECT_EQ(mail.Header("Subject"), summary.toStdString());
    EXPECT_EQ(mail.from, "mailer@example.com");
}

TEST_F(CommandTable, AttachmentsPageToolBar)
{
    // The editor of defect 24 as View opens it from the list; its
    // attachments page's buttons inside it.
    const int bugId = 24;
    CZentryView& view = ShowList(bugId);
    bool reached = false;
    CModalCatcher editorCatcher;
    editorCatcher.Arm([&](QWidget* modal) {
        auto* editor = qobject_cast<CDefectEditDlg*>(modal);
        ASSERT_NE(editor, nullptr);
        CAttachmentDlg& page = *editor->AttachmentsPage();
        editor->Tabs()->setCurrentWidget(&page);
        QApplication::processEvents();
        reached = true;
        const auto select = [&page] {
            if (page.RowCount() > 0) page.Grid()->setCurrentIndex(page.Grid()->Model()->index(0, 0));
        };
        const auto rows = [&page] { return QVariant(page.RowCount()); };
        CAppContext& context = client.Context();
        QString opened;
        page.m_openFile = [&opened](const QString& path) { opened = path; };

        const std::vector<CommandCase> table = {
            Opens<QFileDialog>(WorkspaceIds::CmdAttachUpload),
            Does(WorkspaceIds::CmdAttachCapture,
                 [&page, bugId, &context](CCommandRun& run) {
                     // Draw a selection on the frozen screen, double-click
                     // inside it and name it "shot".
                     const int before = page.RowCount();
                     CModalCatcher prompt;
                     run.catcher.Arm([&prompt](QWidget* modal) {
                         auto* capture = qobject_cast<CScreenCaptureDlg*>(modal);
                         ASSERT_NE(capture, nullptr);
                         prompt.Arm([](QWidget* input) {
                             input->findChild<QLineEdit*>()->setText("shot");
                             input->findChild<QPushButton*>(QString::number(ids::kOk))->click();
                         });
                         SendMouse(capture, QEvent::MouseButtonPress, QPoint(300, 300));
                         SendMouse(capture, QEvent::MouseMove, QPoint(400, 380));
                         SendMouse(capture, QEvent::MouseButtonRelease, QPoint(400, 380));
                         SendMouse(capture, QEvent::MouseButtonPress, QPoint(350, 340));
                         SendMouse(capture, QEvent::MouseButtonRelease, QPoint(350, 340));
                         SendMouse(capture, QEvent::MouseButtonDblClick, QPoint(350, 340));
                     });
                     run.Trigger();
                     run.catcher.Disarm();
                     EXPECT_EQ(run.catcher.Caught(), "CScreenCaptureDlg");
                     EXPECT_EQ(prompt.Caught(), "CPromptInputDlg");
                     ASSERT_TRUE(WaitFor([&] { return !page.IsBusy() && page.RowCount() == before + 1; }))
                         << run.Messages().join(" | ").toStdString();
                     // On the FTP site, recorded with its size, its temp file gone.
                     const std::string remote = "attach/" + std::to_string(bugId) + "_shot.jpg";
                     std::string stored;
                     ASSERT_TRUE(s_ftp->ReadFile(remote, stored));
                     QImage picture;
                     ASSERT_TRUE(picture.loadFromData(reinterpret_cast<const uchar*>(stored.data()),
                                                      int(stored.size()), "JPEG"));
                     EXPECT_EQ(picture.size(), QSize(96, 76));
                     const QString where = QStringLiteral(" from t_bug_attach where BG_BUG_ID=%1 and FILE_NAME='shot.jpg'")
                                               .arg(bugId);
                     EXPECT_NEAR(s_server->Value(context, "select FILE_SIZE" + where).toDouble(),
                                 static_cast<double>(stored.size()) / 1024.0, 1e-6);
                     EXPECT_EQ(s_server->Value(context, QStringLiteral("select BG_ATTACHMENT from t_bug where BG_BUG_ID=%1")
                                                            .arg(bugId)),
                               "1");
                     EXPECT_FALSE(QFile::exists(context.TempDir() + QStringLiteral("/%1_shot.jpg").arg(bugId)));

                     // Ctrl+1 opens the capture too; Escape with no selection ends it.
                     CModalCatcher hotKey;
                     hotKey.Arm([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); });
                     page.window()->activateWindow();
                     QApplication::processEvents();
                     QTest::keyClick(&page, Qt::Key_1, Qt::ControlModifier);
                     hotKey.Disarm();
                     EXPECT_EQ(hotKey.Caught(), "CScreenCaptureDlg");
                     EXPECT_EQ(page.RowCount(), before + 1);
                 }),
            Does(WorkspaceIds::CmdAttachSysInfo,
                 [](CCommandRun& run) {
                     run.Trigger();
                     ASSERT_EQ(run.Messages().size(), 1);
                     EXPECT_TRUE(run.Messages()[0].startsWith(QStringLiteral("总内存="))) << run.Messages()[0].toStdString();
                 }),
            Does(WorkspaceIds::CmdAttachClipboard,
                 [&page, bugId](CCommandRun& run) {
                     const int before = page.RowCount();
                     run.Trigger();
                     ASSERT_TRUE(WaitFor([&] { return !page.IsBusy() && page.RowCount() == before + 1; }))
                         << run.Messages().join(" | ").toStdString();
                     // The new row, among the screenshot's before it.
                     QString name;
                     for (int row = 0; row < page.RowCount(); ++row) {
                         const QString listed = page.Grid()->Model()->index(row, 1).data().toString();
                         if (listed.startsWith("clipboard_")) name = listed;
                     }
                     EXPECT_TRUE(name.startsWith("clipboard_")) << name.toStdString();
                     EXPECT_TRUE(s_ftp->Exists("attach/" + std::to_string(bugId) + "_" + name.toStdString()));
                 })
                .Given([] {
                    QImage image(40, 30, QImage::Format_RGB32);
                    image.fill(Qt::darkCyan);
                    QApplication::clipboard()->setImage(image);
                }),
            Does(WorkspaceIds::CmdAttachOpen,
                 [&page, &opened](CCommandRun& run) {
                     run.Trigger();
                     ASSERT_TRUE(WaitFor([&] { return !page.IsBusy() && !opened.isEmpty(); }));
                     EXPECT_FALSE(QImage(opened).isNull()) << opened.toStdString();
                 }),
            Opens<QFileDialog>(WorkspaceIds::CmdAttachSaveAs),
            AsksFirst(WorkspaceIds::CmdAttachDeleteSelected, rows),
            AsksFirst(WorkspaceIds::CmdAttachDeleteAll, rows),
        };
        std::set<int> shown;
        for (const QAction* action : page.ToolBar()->actions())
            if (!action->isSeparator()) shown.insert(action->data().toInt());
        ExpectCovered(table, shown, "attachments page");
        RunTable(table, [this, &page, select](int id) {
            QPointer<CAttachmentDlg> owner(&page);
            auto find = [owner, id, select]() -> QAction* {
                if (!owner) return nullptr;
                select();
                owner->UpdateButtons();
                return owner->Action(id);
            };
            return std::make_unique<CCommandRun>(answerer, find, nullptr);
        });
        editor->reject();
    });
    ListCommand(answerer, view, bugId, WorkspaceIds::CmdView)->Trigger();
    editorCatcher.Disarm();
    EXPECT_TRUE(reached);
}
