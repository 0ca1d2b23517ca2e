// Every window and dialog of the client at its default size on a screen of
// 1280x800, in each of the three languages, opened as a user opens it from
// the composed main frame logged in to a real lumenolite with the demo
// database. In none may a visible control overlap a visible sibling, reach
// outside its parent or be narrower than its text, a tab bar scroll, or a
// tool-bar command hide behind the overflow button (GeometryCheck.h). Each
// window is also saved as <build>/screens/<language>/<name>.png for people
// to look at; the pictures are not compared with anything.
//
// The windows are one table (kScreens below). Every class of client/ that
// is a dialog, a main window, a page of the system management sheet or a
// view of the main frame has to show up in one of the pictures, or be named
// in kNotShown with the reason: a window added to the client and to neither
// list fails the test.
#include "CAttachmentDlg.h"
#include "CDefectEditDlg.h"
#include "CDefectListGrid.h"
#include "CLoadProgressDlg.h"
#include "CProjectListGrid.h"
#include "CProjectSettingFullDlg.h"
#include "CQueryConditionDlg.h"
#include "CSendMailDlg.h"
#include "CSetupGroupsDlg.h"
#include "CStatisticsView.h"
#include "CSysPropSheet.h"
#include "CUserManageDlg.h"
#include "CZentryView.h"
#include "ClientIds.h"
#include "ComposedClient.h"
#include "CGroupByBar.h"
#include "FtpServerFixture.h"
#include "GeometryCheck.h"
#include "GroupDrag.h"
#include "WorkspaceIds.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QDir>
#include <QDirIterator>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>
#include <string>

namespace {

// A defect of Demo that admin found (zhang is responsible).
const int kDefect = 24;

// Custom fields of Demo, so that the custom-fields page and the layout
// designer show some: each field under its label, as the designer places them.
const char kDemoLayout[] =
    "UPDATE t_cfg_sys_list SET EDIT_STYLE='ComboBox',REF_LIST='severity' WHERE COLUMN_NAME='BG_USER_02';"
    "UPDATE t_cfg_sys_list SET EDIT_STYLE='ListBox',REF_LIST='pri' WHERE COLUMN_NAME='BG_USER_03';"
    "UPDATE t_prj SET PRJ_CUSTOM_FIELD="
    "'[tessaro]'||char(10)||'title='||char(10)||'font=Microsoft Sans Serif,15'||char(10)||"
    "'BG_USER_01=自定义1,Text,10,30,150,20,'||char(10)||"
    "'BG_USER_01_ST=自定义1:,Static,10,8,150,20,'||char(10)||"
    "'BG_USER_02=自定义2,ComboBox,180,30,160,220,'||char(10)||"
    "'BG_USER_02_ST=自定义2:,Static,180,8,160,20,'||char(10)||"
    "'BG_USER_03=自定义3,ListBox,10,80,160,100,'||char(10)||"
    "'BG_USER_03_ST=自定义3:,Static,10,58,160,20,'||char(10) WHERE PRJ_NAME='Demo';";

// What a case of the table does: opens windows as a user would and takes
// their pictures.
class CScreens {
public:
    CScreens(CComposedClient& client, CModalAnswerer& answerer, const QString& language)
        : m_client(client), m_answerer(answerer), m_language(language)
    {
    }

    CMainFrame& Frame() { return m_client.Frame(); }
    // The frame's size as start-up gives it (window_init_x and _y).
    static QSize StartSize()
    {
        const CSettingsValues settings;
        return QSize(std::stoi(settings.windowX), std::stoi(settings.windowY));
    }
    CAppContext& Context() { return m_client.Context(); }

    // Checks the window as it stands once its events have run (settle
    // false: as it stands now) and saves its picture as name.
    void Shot(QWidget& window, const QString& name, bool settle = true)
    {
        if (settle) Settle();
        for (const QString& fault : GeometryFaults(&window))
            ADD_FAILURE() << m_language.toStdString() << ", " << name.toStdString() << ": " << fault.toStdString();
        Record(window);
        const QString folder = QStringLiteral(ZENTRY_BUILD_DIR "/screens/") + m_language;
        QDir().mkpath(folder);
        EXPECT_TRUE(window.grab().save(folder + QLatin1Char('/') + name + QStringLiteral(".png")));
        m_names.push_back(name);
    }

    // One picture for each tab of tabs, named prefix-<class of the page>.
    void ShotTabs(QWidget& window, QTabWidget& tabs, const QString& prefix)
    {
        for (int i = 0; i < tabs.count(); ++i) {
            tabs.setCurrentIndex(i);
            Shot(window, prefix + QLatin1Char('-') + QString::fromLatin1(tabs.widget(i)->metaObject()->className()));
        }
    }

    // Runs trigger; the modal window it opens (not a message box) goes to
    // inside and is closed after it. A trigger that opens none fails.
    void Modal(const QString& what, const std::function<void()>& trigger,
               const std::function<void(QWidget& window)>& inside)
    {
        CModalCatcher catcher;
        bool opened = false;
        catcher.Arm([&](QWidget* modal) {
            opened = true;
            inside(*modal);
            if (modal->isVisible()) Close(*modal);
        });
        trigger();
        QApplication::processEvents();
        catcher.Disarm();
        EXPECT_TRUE(opened) << m_language.toStdString() << ": " << what.toStdString() << " opened no window";
    }

    // Modal with a shot of the window as name and nothing more.
    void ShotModal(const QString& name, const std::function<void()>& trigger)
    {
        Modal(name, trigger, [this, name](QWidget& window) { Shot(window, name); });
    }

    // The command as the frame runs it from its menu or tool bar.
    std::function<void()> Command(int id)
    {
        return [this, id] { Frame().RunCommand(id); };
    }

    // The button of a window that carries the id (as object name or
    // language id), clicked.
    static std::function<void()> Click(QWidget& window, int id)
    {
        QAbstractButton* found = nullptr;
        for (QAbstractButton* button : window.findChildren<QAbstractButton*>())
            if (button->objectName() == QString::number(id) || button->property("langId").toInt() == id)
                found = button;
        EXPECT_NE(found, nullptr) << "no button " << id << " in " << window.metaObject()->className();
        return [found] {
            if (found) found->click();
        };
    }

    // The defect list in the frame with every defect of Demo listed and
    // kDefect selected.
    CZentryView& List()
    {
        Frame().RunCommand(ids::kCmdBugMgr);
        auto* view = qobject_cast<CZentryView*>(Frame().CurrentView());
        EXPECT_NE(view, nullptr);
        view->ConditionPanel()->StartDate()->setDate(QDate(2000, 1, 1));
        view->ConditionPanel()->OnQuery();
        CDefectListGrid& grid = *view->Grid();
        const int column = grid.FieldColumn(QStringLiteral("BG_BUG_ID"));
        for (int row = 0; row < grid.RowCount(); ++row)
            if (grid.Model()->Text(row, column).toInt() == kDefect) grid.setCurrentIndex(grid.Model()->index(row, 0));
        return *view;
    }

    // The classes of every widget in the pictures, with their base classes.
    const std::set<QString>& Seen() const { return m_seen; }
    const std::vector<QString>& Names() const { return m_names; }

private:
    static void Settle()
    {
        for (int i = 0; i < 3; ++i) {
            QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
            QApplication::processEvents();
        }
    }

    static void Close(QWidget& window)
    {
        if (auto* dialog = qobject_cast<QDialog*>(&window)) dialog->done(QDialog::Rejected);
        else window.close();
    }

    void Record(QWidget& window)
    {
        QList<QWidget*> widgets = window.findChildren<QWidget*>();
        widgets << &window;
        for (const QWidget* widget : widgets) {
            if (!widget->isVisible()) continue;
            for (const QMetaObject* meta = widget->metaObject(); meta; meta = meta->superClass())
                m_seen.insert(QString::fromLatin1(meta->className()));
        }
    }

    CComposedClient& m_client;
    CModalAnswerer& m_answerer;
    QString m_language;
    std::set<QString> m_seen;
    std::vector<QString> m_names;
};

// A picture of the defect editor with each of its tabs.
std::function<void(QWidget& window)> EditorTabs(CScreens& s, const QString& prefix)
{
    return [&s, prefix](QWidget& window) {
        auto* editor = qobject_cast<CDefectEditDlg*>(&window);
        ASSERT_NE(editor, nullptr);
        s.ShotTabs(*editor, *editor->Tabs(), prefix);
    };
}

struct ScreenCase {
    const char* name;
    std::function<void(CScreens& screens)> open;
};

// The client's windows, each opened the way a user opens it.
const ScreenCase kScreens[] = {
    // The main frame at the size start-up gives it, with each view.
    {"frame",
     [](CScreens& s) {
         s.Context().RestoreWindowSize(&s.Frame());
         s.Frame().RunCommand(ids::kCmdHome);
         s.Shot(s.Frame(), "frame-home");
     }},
    {"defect list",
     [](CScreens& s) {
         CZentryView& view = s.List();
         EXPECT_EQ(s.Frame().size(), s.StartSize());
         s.ShotTabs(s.Frame(), *view.Tabs(), "frame-list");
         // The panel below the grid, showing the selected defect.
         s.Frame().RunCommand(ids::kCmdPreview);
         CDefectListGrid& grid = *view.Grid();
         const QModelIndex selected = grid.currentIndex();
         grid.setCurrentIndex(grid.Model()->index(selected.row() == 0 ? 1 : 0, 0));
         grid.setCurrentIndex(selected);
         s.Shot(s.Frame(), "frame-list-preview");
         s.Frame().RunCommand(ids::kCmdPreview);
     }},
    {"defect list grouped",
     [](CScreens& s) {
         // Group ticked on the query panel shows the box above the columns;
         // two columns dragged into it group the list.
         CZentryView& view = s.List();
         view.Tabs()->setCurrentWidget(view.ConditionPanel());
         QCheckBox* group = FindCheckBox(view.ConditionPanel(), WorkspaceIds::CheckGroup);
         ASSERT_NE(group, nullptr);
         ClickCheckBox(group);
         CDefectListGrid& grid = *view.Grid();
         ASSERT_TRUE(grid.GroupBar()->isVisible());
         s.Shot(s.Frame(), "frame-list-group-box");
         // The box's text in the language, whole.
         const QLabel& hint = *grid.GroupBar()->Hint();
         EXPECT_EQ(hint.text(), s.Context().Text(ids::kGroupByHint));
         EXPECT_GE(hint.width(), hint.sizeHint().width());
         EXPECT_TRUE(grid.GroupBar()->rect().contains(hint.geometry()));
         DragColumnToGroupBox(grid, grid.FieldColumn(QStringLiteral("BG_STATUS")));
         DragColumnToGroupBox(grid, grid.FieldColumn(QStringLiteral("BG_RESPONSIBLE")));
         EXPECT_EQ(grid.GroupColumns().size(), 2);
         s.Shot(s.Frame(), "frame-list-grouped");
         ClickCheckBox(group);
         EXPECT_FALSE(grid.GroupBar()->isVisible());
     }},
    {"statistics",
     [](CScreens& s) {
         s.Frame().RunCommand(ids::kCmdStatistics);
         auto* view = qobject_cast<CQueryDefectForm*>(s.Frame().CurrentView());
         ASSERT_NE(view, nullptr);
         view->StartDate()->setDate(QDate(2000, 1, 1));
         // The view fits the frame at its start-up size; the frame does not grow.
         EXPECT_EQ(s.Frame().size(), s.StartSize());
         view->GridButton()->click();
         s.Shot(s.Frame(), "frame-statistics-grid");
         const char* const kinds[] = {"bar", "line", "pie"};
         for (int kind = 0; kind < view->ChartTypeCombo()->count(); ++kind) {
             view->ChartTypeCombo()->setCurrentIndex(kind);
             view->ChartButton()->click();
             s.Shot(s.Frame(), QStringLiteral("frame-statistics-") + QString::fromLatin1(kinds[kind % 3]));
         }
     }},
    {"tool bar customizing",
     [](CScreens& s) {
         s.Frame().RunCommand(ids::kCmdCustomizeToolbar);
         for (QWidget* window : QApplication::topLevelWidgets()) {
             if (!window->isVisible() || window->metaObject()->className() != QByteArray("CToolbarCustomizeDlg"))
                 continue;
             s.Shot(*window, "toolbar-customize");
             window->close();
         }
     }},

    // Start-up, the File and Help menus.
    {"login", [](CScreens& s) { s.ShotModal("login", s.Command(ids::kCmdLogin)); }},
    {"load progress",
     [](CScreens& s) {
         // As the metadata loader shows it after login: its lines written
         // one by one with no event run between them.
         CLoadProgressDlg progress(s.Context().m_fonts);
         progress.show();
         QApplication::processEvents();
         const char* const lines[] = {"1.获取项目列表完成", "2.获取用户权限完成", "3.获取用户列表完成",
                                      "4.获取部门信息完成", "5.获取版本信息完成", "6.获取转化规则信息完成",
                                      "7.获取别名信息完成", "8.获取别名信息完成"};
         for (int line = 1; line <= 8; ++line) progress.SetLine(QString::fromUtf8(lines[line - 1]), line);
         s.Shot(progress, "load-progress", false);
     }},
    {"password", [](CScreens& s) { s.ShotModal("password", s.Command(ids::kCmdModifyPassword)); }},
    {"about", [](CScreens& s) { s.ShotModal("about", s.Command(ids::kCmdAbout)); }},
    {"upgrade", [](CScreens& s) { s.ShotModal("upgrade", s.Command(ids::kCmdUpgrade)); }},

    // The defect workspace.
    {"new defect", [](CScreens& s) { s.Modal("new defect", s.Command(ids::kCmdNewBug), EditorTabs(s, "editor-new")); }},
    {"screen capture",
     [](CScreens& s) {
         // Screenshot of the new defect's attachments page.
         s.Modal("new defect", s.Command(ids::kCmdNewBug), [&s](QWidget& window) {
             auto* editor = qobject_cast<CDefectEditDlg*>(&window);
             ASSERT_NE(editor, nullptr);
             editor->Tabs()->setCurrentWidget(editor->AttachmentsPage());
             QAction* capture = editor->AttachmentsPage()->Action(WorkspaceIds::CmdAttachCapture);
             ASSERT_NE(capture, nullptr);
             s.ShotModal("screen-capture", [capture] { capture->trigger(); });
         });
     }},
    {"defect",
     [](CScreens& s) {
         CZentryView& view = s.List();
         s.Modal("defect", [&view] { view.OpenEditor(kDefect); }, EditorTabs(s, "editor-modify"));
     }},
    {"mail",
     [](CScreens& s) {
         CZentryView& view = s.List();
         // Mail of the list's context menu over the selected row.
         CDefectListGrid& grid = *view.Grid();
         emit grid.customContextMenuRequested(grid.visualRect(grid.currentIndex()).center());
         view.ContextMenu()->hide();
         QAction* mail = nullptr;
         for (QAction* action : view.ContextMenu()->actions())
             if (action->data().toInt() == WorkspaceIds::CmdMail) mail = action;
         ASSERT_NE(mail, nullptr);
         s.Modal("mail", [mail] { mail->trigger(); }, [&s](QWidget& window) {
             s.Shot(window, "mail");
             s.ShotModal("mail-recipients", CScreens::Click(window, CSendMailDlg::kToButton));
         });
     }},

    // The administration.
    {"system management",
     [](CScreens& s) {
         s.Modal("system management", s.Command(ids::kCmdSysManage), [&s](QWidget& window) {
             auto* sheet = qobject_cast<CSysPropSheet*>(&window);
             ASSERT_NE(sheet, nullptr);
             for (int page = 0; page < sheet->PageCount(); ++page) {
                 sheet->SetActivePage(page);
                 s.Shot(*sheet, QStringLiteral("sheet-") + QString::fromLatin1(sheet->Page(page)->metaObject()->className()));
             }
             // The projects page's dialogs, for the first project.
             sheet->SetActivePage(0);
             auto* projects = qobject_cast<CProjectSettingFullDlg*>(sheet->Page(0));
             ASSERT_NE(projects, nullptr);
             // Each dialog reloads the grid when it closes.
             const auto firstRow = [projects](QPushButton* button) {
                 return [projects, button] {
                     projects->m_grid->selectRow(0);
                     button->click();
                 };
             };
             s.ShotModal("project-new", firstRow(projects->m_new));
             s.ShotModal("project-edit", firstRow(projects->m_edit));
             s.ShotModal("project-versions", firstRow(projects->m_versions));
         });
     }},
    {"users",
     [](CScreens& s) {
         s.Modal("users", s.Command(ids::kCmdUserMgr), [&s](QWidget& window) {
             s.Shot(window, "users");
             auto* page = window.findChild<CUserManageDlg*>();
             ASSERT_NE(page, nullptr);
             ASSERT_TRUE(page->SelectUser(QStringLiteral("wang")));
             s.Shot(window, "users-wang");
             s.ShotModal("user-permission", CScreens::Click(*page, 4011));
             s.ShotModal("user-projects", CScreens::Click(*page, 3084));
             s.ShotModal("user-departments", CScreens::Click(*page, 3085));
             s.Modal("groups", CScreens::Click(*page, 3086), [&s](QWidget& groups) {
                 s.Shot(groups, "groups");
                 auto* dialog = qobject_cast<CSetupGroupsDlg*>(&groups);
                 ASSERT_NE(dialog, nullptr);
                 dialog->m_groups->setCurrentRow(0);
                 s.ShotModal("group-permission", CScreens::Click(groups, 3087));
                 s.ShotModal("group-rights-from", CScreens::Click(groups, 3088));
                 s.ShotModal("group-name", CScreens::Click(groups, 3083));
             });
         });
     }},
    {"departments", [](CScreens& s) { s.ShotModal("departments", s.Command(ids::kCmdDeptMgr)); }},
    {"lookup lists", [](CScreens& s) { s.ShotModal("lookup-lists", s.Command(ids::kCmdListMgr)); }},
    {"projects", [](CScreens& s) { s.ShotModal("projects", s.Command(ids::kCmdProjectDlg)); }},
    {"workflow", [](CScreens& s) { s.ShotModal("workflow", s.Command(ids::kCmdWorkflow)); }},
    {"layout designer", [](CScreens& s) { s.ShotModal("layout-designer", s.Command(ids::kCmdDesignCustom)); }},
    {"field attributes", [](CScreens& s) { s.ShotModal("field-attributes", s.Command(ids::kCmdFieldAttr)); }},
};

// Windows of the client no picture shows, each with the reason.
const std::map<QString, const char*> kNotShown = {
    {"CInterQueryForm", "the report view: no command of the main frame opens it, Report (2005) keeps its message"},
    {"CReportForm", "shown beside the report view only"},
};

// The classes of client/ that are windows: they derive, directly or through
// another such class, from QDialog or QMainWindow, or are a page of the
// system management sheet (ISheetPage) or a view of the frame (IFrameView).
std::set<QString> ClientWindowClasses()
{
    std::map<QString, QStringList> bases;
    const QRegularExpression declaration(QStringLiteral(R"(class\s+(\w+)\s*(?:final\s*)?:\s*([^{;]+)\{)"));
    QDirIterator files(QStringLiteral(ZENTRY_SOURCE_DIR "/client"), {QStringLiteral("*.h")}, QDir::Files,
                       QDirIterator::Subdirectories);
    while (files.hasNext()) {
        QFile file(files.next());
        if (!file.open(QIODevice::ReadOnly)) continue;
        const QString text = QString::fromUtf8(file.readAll());
        for (auto match = declaration.globalMatch(text); match.hasNext();) {
            const QRegularExpressionMatch found = match.next();
            QStringList names;
            for (QString base : found.captured(2).split(QLatin1Char(','))) {
                base.remove(QRegularExpression(QStringLiteral(R"(\b(public|protected|private|virtual)\b)")));
                names << base.trimmed();
            }
            bases[found.captured(1)] = names;
        }
    }
    std::set<QString> windows = {"QDialog", "QMainWindow", "ISheetPage", "IFrameView"};
    for (bool grew = true; grew;) {
        grew = false;
        for (const auto& [name, of] : bases)
            for (const QString& base : of)
                if (windows.count(base) && windows.insert(name).second) grew = true;
    }
    for (const char* root : {"QDialog", "QMainWindow", "ISheetPage", "IFrameView"}) windows.erase(root);
    return windows;
}

class Screens : public ::testing::TestWithParam<const char*> {
protected:
    static void SetUpTestSuite()
    {
        // The FTP site of the attachments and the releases.
        ASSERT_TRUE(CFtpServerFixture::Missing().empty()) << CFtpServerFixture::Missing();
        s_ftp = std::make_unique<CFtpServerFixture>();
        ASSERT_TRUE(s_ftp->Start()) << s_ftp->Output();
        ASSERT_TRUE(s_ftp->MakeFolder("attach"));
        ASSERT_TRUE(s_ftp->MakeFolder("release"));
        ASSERT_TRUE(s_ftp->WriteFile("release/Zentry", "release"));
        const std::string config = "ftp_user=zentry\nftp_pass=secret\nftp_port=" + std::to_string(s_ftp->Port()) +
                                   "\nattach_path=/attach\nrelease_path=/release\nclient_version=1.0\n";
        s_server = std::make_unique<CDemoServer>();
        ASSERT_TRUE(s_server->Start(true, kDemoLayout, config.c_str())) << s_server->Output();
    }
    static void TearDownTestSuite()
    {
        s_server.reset();
        s_ftp.reset();
    }

    void SetUp() override
    {
        ASSERT_TRUE(s_server);
        // Settings of its own in a temp folder: the language switch writes them.
        std::string why;
        ASSERT_TRUE(client.LoginWithOwnSettings(*s_server, m_dir.path(), why)) << why << answerer.Joined().toStdString();
    }

    static inline std::unique_ptr<CFtpServerFixture> s_ftp;
    static inline std::unique_ptr<CDemoServer> s_server;
    CModalAnswerer answerer;
    QTemporaryDir m_dir;
    CComposedClient client;
};

int LanguageCommand(const QString& language)
{
    if (language == QLatin1String("zh_cn")) return ids::kCmdLanguageChinese;
    if (language == QLatin1String("big5")) return ids::kCmdLanguageBig5;
    return ids::kCmdLanguageEnglish;
}

}  // namespace

TEST_P(Screens, EveryWindowShowsAllItsControls)
{
    const QString language = QString::fromLatin1(GetParam());
    CScreens screens(client, answerer, language);
    screens.Frame().RunCommand(LanguageCommand(language));
    ASSERT_EQ(client.Context().m_language, language);

    for (const ScreenCase& screen : kScreens) {
        SCOPED_TRACE(screen.name);
        answerer.m_texts.clear();
        screen.open(screens);
        // A window that opens as it should says nothing.
        EXPECT_TRUE(answerer.m_texts.isEmpty()) << screen.name << " said: " << answerer.Joined().toStdString();
    }

    std::set<QString> names;
    for (const QString& name : screens.Names()) EXPECT_TRUE(names.insert(name).second) << "two pictures " << name.toStdString();
    for (const QString& window : ClientWindowClasses()) {
        const auto excluded = kNotShown.find(window);
        EXPECT_TRUE(screens.Seen().count(window) || excluded != kNotShown.end())
            << window.toStdString() << " is a window of the client that no case of the table shows";
        EXPECT_FALSE(screens.Seen().count(window) && excluded != kNotShown.end())
            << window.toStdString() << " is shown, yet listed as not shown";
    }
}

INSTANTIATE_TEST_SUITE_P(Languages, Screens, ::testing::Values("zh_cn", "big5", "english"),
                         [](const ::testing::TestParamInfo<const char*>& info) { return std::string(info.param); });
