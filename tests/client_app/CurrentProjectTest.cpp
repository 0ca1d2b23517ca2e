// The current project and its custom-field layout in the composed client,
// against a real lumenolite: every way the current project changes (the
// tool bar's selector, deleting the project, leaving its membership) reads
// the new project's layout, and a read that fails or finds none leaves no
// layout of another project behind; the layout designer stores nothing while
// it could not read the custom columns; a field attribute's save changes
// neither the current project nor its layout.
#include "CFieldAttributeDlg.h"
#include "CLayoutDesignDlg.h"
#include "CProjectSettingDlg.h"
#include "CSysPropSheet.h"
#include "CUserProjectsDlg.h"
#include "ClientIds.h"
#include "ComposedClient.h"
#include "CustomFieldIds.h"
#include "ProjectAdminIds.h"
#include "QtText.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>

namespace {

// Each project a layout of its own; "Ghost" is one of admin's projects
// without a t_prj row (so without a layout).
const char kProjectsSql[] =
    "UPDATE t_prj SET PRJ_CUSTOM_FIELD='[tessaro]\ntitle=Demo form' WHERE PRJ_NAME='Demo';"
    "UPDATE t_prj SET PRJ_CUSTOM_FIELD='[tessaro]\ntitle=演示' WHERE PRJ_NAME='Zentry演示';"
    "INSERT INTO t_prj (PRJ_NAME,PRJ_CUSTOM_FIELD) VALUES ('Third','[tessaro]\ntitle=Third form');"
    "INSERT INTO t_user_prj (USER_NAME,PRJ_NAME) VALUES ('admin','Third');"
    "INSERT INTO t_user_prj (USER_NAME,PRJ_NAME) VALUES ('admin','Ghost');";

class CurrentProject : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server.Start(CDemoServer::SuiteOptions(kProjectsSql))) << server.Output();
        std::string why;
        ASSERT_TRUE(client.LoginWithOwnSettings(server, m_dir.path(), why)) << why;
        client.Frame();
        ASSERT_EQ(client.Context().m_currentProject, "Demo");
        ASSERT_EQ(client.Context().m_prjCustomField, "[tessaro]\ntitle=Demo form");
    }
    // The project chosen in the tool bar's selector, as the user picks it.
    void Choose(const QString& project) {
        QComboBox* combo = client.Frame().ProjectCombo();
        const int index = combo->findText(project);
        ASSERT_GE(index, 0) << project.toStdString();
        combo->setCurrentIndex(index);
        emit combo->activated(index);
    }
    // The layout stored for a project ("" without a row).
    QString Stored(const QString& project) {
        return QString::fromStdString(server.Value("select PRJ_CUSTOM_FIELD from t_prj where PRJ_NAME='" +
                                                   project.toStdString() + "'"));
    }

    CDemoServer server;
    CModalAnswerer answerer;
    CModalCatcher catcher;
    QTemporaryDir m_dir;
    CComposedClient client;
};

TEST_F(CurrentProject, EveryChangeReadsTheNewProjectsLayout) {
    CAppContext& context = client.Context();
    const struct {
        const char* title;
        const char* from;  // the current project before, chosen in the tool bar
        std::function<void()> change;
        bool readFails;
    } cases[] = {
        {"chosen in the tool bar", "Demo", [&] { Choose("Third"); }, false},
        {"chosen in the tool bar, without a layout row", "Demo", [&] { Choose("Ghost"); }, false},
        {"chosen in the tool bar, the read failing", "Zentry演示",
         [&] {
             ASSERT_TRUE(server.server->RunSql("ALTER TABLE t_prj RENAME TO t_prj_away;"));
             Choose("Third");
             ASSERT_TRUE(server.server->RunSql("ALTER TABLE t_prj_away RENAME TO t_prj;"));
         },
         true},
        {"the current project deleted in the project list", "Demo",
         [&] {
             catcher.Arm([](QWidget* modal) {
                 auto* dialog = qobject_cast<CProjectSettingDlg*>(modal);
                 ASSERT_NE(dialog, nullptr);
                 auto* list = dialog->findChild<QListWidget*>(QString::number(ProjectAdminIds::ListProjects));
                 const auto items = list->findItems("Demo", Qt::MatchExactly);
                 ASSERT_EQ(items.size(), 1);
                 list->setCurrentItem(items[0]);
                 dialog->findChild<QPushButton*>(QString::number(ProjectAdminIds::ButtonDelete))->click();
                 dialog->done(QDialog::Accepted);
             });
             // A command of the frame that no menu carries.
             client.Frame().RunCommand(ids::kCmdProjectDlg);
             catcher.Disarm();
         },
         false},
        {"the membership of the current project left", "Third",
         [&] {
             CUserProjectsDlg projects(context, &client.Frame());
             projects.m_userName = "admin";
             projects.OnInitDialog();
             const auto items = projects.m_inProjects->findItems(context.m_currentProject, Qt::MatchExactly);
             ASSERT_EQ(items.size(), 1);
             projects.m_inProjects->setCurrentItem(items[0]);
             projects.OnRemoveProject();
         },
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title);
        Choose(QString::fromUtf8(c.from));
        const QString before = context.m_currentProject;
        ASSERT_FALSE(context.m_prjCustomField.isEmpty());
        answerer.m_texts.clear();
        c.change();
        EXPECT_NE(context.m_currentProject, before);
        EXPECT_EQ(client.Frame().ProjectCombo()->currentText(), context.m_currentProject);
        if (c.readFails) {
            EXPECT_EQ(context.m_prjCustomField.toStdString(), "");
            ASSERT_FALSE(answerer.m_texts.isEmpty());
            EXPECT_TRUE(answerer.m_texts.last().startsWith(context.Text(ids::kMsgLayoutNotRead)))
                << answerer.Joined().toStdString();
        } else {
            EXPECT_EQ(context.m_prjCustomField.toStdString(), Stored(context.m_currentProject).toStdString());
            EXPECT_FALSE(answerer.Joined().contains(context.Text(ids::kMsgLayoutNotRead)));
        }
    }
}

// The layout designer opened while it cannot read the custom columns or the
// project's layout holds no layout: Modify and Clear are refused with the
// reason and the stored layout stays, until Refresh has read them.
TEST_F(CurrentProject, DesignerStoresNothingItCouldNotRead) {
    CAppContext& context = client.Context();
    const struct {
        const char* title;
        const char* table;   // unreadable while the designer opens
        const char* choose;  // the project chosen while the table is away
        bool backBeforeOpen;
        int reason;  // the refusal's text, 0: no refusal
        const char* project;
        const char* layout;  // what the project's stored layout still holds
    } cases[] = {
        {"custom columns unreadable", "t_cfg_sys_list", nullptr, false, CustomFieldIds::MsgColumnsNotRead, "Demo",
         "title=Demo form"},
        {"project layout unreadable", "t_prj", "Third", false, ids::kMsgLayoutNotRead, "Third", "title=Third form"},
        {"project layout unreadable before, readable now", "t_prj", "Zentry演示", true, 0, "Zentry演示",
         "title=演示"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title);
        const std::string away = std::string("ALTER TABLE ") + c.table + " RENAME TO away;";
        const std::string back = std::string("ALTER TABLE away RENAME TO ") + c.table + ";";
        ASSERT_TRUE(server.server->RunSql(away));
        if (c.choose) Choose(QString::fromUtf8(c.choose));
        bool isBack = c.backBeforeOpen && server.server->RunSql(back);
        bool checked = false;
        const auto check = [&](CLayoutDesignDlg* designer) {
            ASSERT_NE(designer, nullptr);
            auto button = [designer](int id) { return designer->findChild<QPushButton*>(QString::number(id)); };
            for (int id : {CustomFieldIds::ButtonModify, CustomFieldIds::ButtonClear}) {
                if (!c.reason) break;
                SCOPED_TRACE(id);
                answerer.m_texts.clear();
                button(id)->click();
                // The reason, and no question before it.
                ASSERT_EQ(answerer.m_texts.size(), 1) << answerer.Joined().toStdString();
                EXPECT_TRUE(answerer.m_texts[0].startsWith(context.Text(c.reason)))
                    << answerer.m_texts[0].toStdString();
                EXPECT_TRUE(answerer.m_texts[0].contains(c.table)) << answerer.m_texts[0].toStdString();
            }
            if (!isBack) {
                // Readable again: Refresh reads what was missing.
                ASSERT_TRUE(isBack = server.server->RunSql(back));
                button(CustomFieldIds::ButtonRefresh)->click();
            }
            EXPECT_EQ(designer->AvailableGrid()->rowCount() + designer->PlacedGrid()->rowCount(), 10);
            EXPECT_EQ(context.m_prjCustomField.toStdString(), Stored(context.m_currentProject).toStdString());
            answerer.m_texts.clear();
            button(CustomFieldIds::ButtonModify)->click();
            EXPECT_TRUE(answerer.m_texts.isEmpty()) << answerer.Joined().toStdString();
            checked = true;
        };
        catcher.Arm([&](QWidget* modal) {
            check(qobject_cast<CLayoutDesignDlg*>(modal));
            // Closed whatever the checks found.
            static_cast<QDialog*>(modal)->done(QDialog::Rejected);
        });
        answerer.m_texts.clear();
        client.Frame().Action(ids::kCmdDesignCustom)->trigger();
        catcher.Disarm();
        if (!isBack) {
            EXPECT_TRUE(server.server->RunSql(back));
        }
        EXPECT_TRUE(checked);
        EXPECT_TRUE(Stored(c.project).contains(QString::fromUtf8(c.layout))) << Stored(c.project).toStdString();
    }
}

// Saving a field attribute in System Management reads the field
// configuration again and nothing else: no load window, the current project
// stays (though another administrator meanwhile took the user out of it),
// and layout changes not yet stored stay.
TEST_F(CurrentProject, SavingAFieldAttributeReadsOnlyTheFieldConfiguration) {
    CAppContext& context = client.Context();
    Choose("Zentry演示");
    context.m_prjCustomField = "[tessaro]\ntitle=not stored yet";
    ASSERT_TRUE(server.server->RunSql(
        "DELETE FROM t_user_prj WHERE USER_NAME='admin' AND PRJ_NAME='Zentry演示';"));
    // Every window shown meanwhile.
    class ShownWindows : public QObject {
    public:
        bool eventFilter(QObject* watched, QEvent* event) override {
            if (event->type() == QEvent::Show && watched->isWidgetType() &&
                static_cast<QWidget*>(watched)->isWindow())
                classes << QString::fromLatin1(watched->metaObject()->className());
            return false;
        }
        QStringList classes;
    } shown;
    QString column;
    bool saved = false;
    const auto save = [&](CSysPropSheet* sheet) {
        ASSERT_NE(sheet, nullptr);
        sheet->SetActivePage(4);
        auto* page = qobject_cast<CFieldAttributeDlg*>(sheet->Page(4));
        ASSERT_NE(page, nullptr);
        page->m_custom->click();
        ASSERT_GT(page->m_labels->count(), 0);
        page->m_labels->setCurrentRow(0);
        column = page->m_column->text();
        ASSERT_FALSE(column.isEmpty());
        page->m_label->setText("Renamed field");
        answerer.m_texts.clear();
        qApp->installEventFilter(&shown);
        page->m_save->click();
        qApp->removeEventFilter(&shown);
        saved = true;
    };
    catcher.Arm([&](QWidget* modal) {
        save(qobject_cast<CSysPropSheet*>(modal));
        static_cast<QDialog*>(modal)->done(QDialog::Rejected);
    });
    client.Frame().Action(ids::kCmdSysManage)->trigger();
    catcher.Disarm();
    ASSERT_TRUE(saved);
    EXPECT_EQ(answerer.m_texts, QStringList{context.Text(ids::kMsgSuccess)});
    EXPECT_FALSE(shown.classes.contains("CLoadProgressDlg")) << shown.classes.join(',').toStdString();
    // The cached configuration has the new label.
    QString label;
    for (int row = 0; row < context.m_columns.GetRowCount(); ++row)
        if (ToQt(context.m_columns.GetValue(row, "COLUMN_NAME")) == column)
            label = ToQt(context.m_columns.GetValue(row, "USER_LABEL"));
    EXPECT_EQ(label.toStdString(), "Renamed field");
    EXPECT_EQ(context.m_currentProject.toStdString(), "Zentry演示");
    EXPECT_EQ(context.m_prjCustomField.toStdString(), "[tessaro]\ntitle=not stored yet");
}

}  // namespace
