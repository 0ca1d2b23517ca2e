// The workflow page against a real server: rules stored and read back,
// statuses switched off and on, and the caches the command reloads.
#include "AdminCommands.h"
#include "CFlowDefineDlg.h"
#include "CFlowStatusGrid.h"
#include "CParamSettingDlg.h"
#include "CProjectEditDlg.h"
#include "CProjectSettingDlg.h"
#include "CProjectSettingFullDlg.h"
#include "CUserProjectsDlg.h"
#include "CVersionsDlg.h"
#include "ProjectAdminServer.h"

#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

using namespace projectadmin;

namespace {

QStringList Items(QListWidget* list)
{
    QStringList items;
    for (int i = 0; i < list->count(); ++i) items << list->item(i)->text();
    return items;
}

void SelectStatus(CFlowDefineDlg& page, const QString& status)
{
    for (int row = 0; row < page.m_grid->RowCount(); ++row)
        if (page.m_grid->Model()->Text(row, 0) == status) {
            page.m_grid->setCurrentIndex(page.m_grid->Model()->index(row, 0));
            return;
        }
    ADD_FAILURE() << status.toStdString();
}

const QString kRules = QStringLiteral("select TR_RULES_TO from T_BUG_TRANS_RULE where COLUMN_NAME='BG_STATUS' and "
                                      "TR_RULES_FROM='%1' order by TR_RULES_TO");

}  // namespace

class FlowDialogs : public ProjectAdminTest {};

TEST_F(FlowDialogs, RulesAreStoredAndReadBack)
{
    StartWith("");
    CFlowDefineDlg page(ctx);
    ASSERT_TRUE(page.OnSetActive());
    ASSERT_EQ(page.m_grid->RowCount(), 7);
    EXPECT_EQ(page.m_grid->Model()->Caption(0), ctx.Text(3159));
    SelectStatus(page, "00-New");
    EXPECT_EQ(Items(page.m_canChange), (QStringList{"01-Open", "05-Reject"}));
    EXPECT_EQ(Items(page.m_cannotChange), (QStringList{"00-New", "02-Fixed", "03-Closed", "04-ReOpen", "06-Delay"}));
    EXPECT_EQ(page.m_cannotChange->currentRow(), 0);

    page.m_cannotChange->setCurrentRow(2);  // 03-Closed
    page.OnAddRule();
    EXPECT_EQ(Rows(kRules.arg("00-New")), (QStringList{"01-Open", "03-Closed", "05-Reject"}));
    EXPECT_EQ(Items(page.m_canChange).size(), 3);

    page.m_canChange->setCurrentRow(0);  // 01-Open
    page.OnRemoveRule();
    EXPECT_EQ(Rows(kRules.arg("00-New")), (QStringList{"03-Closed", "05-Reject"}));
    // Nothing selected on the right: nothing happens.
    page.m_canChange->setCurrentRow(-1);
    page.OnRemoveRule();
    EXPECT_EQ(Rows(kRules.arg("00-New")).size(), 2);

    // "<<" gives a rule to every status, the status itself included.
    page.OnAddAllRules();
    EXPECT_EQ(Rows(kRules.arg("00-New")).size(), 7);
    EXPECT_TRUE(Items(page.m_cannotChange).isEmpty());
    page.OnRemoveAllRules();
    EXPECT_TRUE(Rows(kRules.arg("00-New")).isEmpty());
    EXPECT_EQ(Items(page.m_cannotChange).size(), 7);
    EXPECT_EQ(Rows(kRules.arg("01-Open")), (QStringList{"02-Fixed", "05-Reject", "06-Delay"}));
    EXPECT_EQ(page.m_statusesChanged, 0);
    EXPECT_EQ(page.m_rulesChanged, 1);
    SaveShownScreenshot(page, "workflow");
}

TEST_F(FlowDialogs, DisablingAStatusTakesItOutOfTheEditorsTargets)
{
    StartWith("");
    CFlowDefineDlg page(ctx);
    page.OnSetActive();
    SelectStatus(page, "05-Reject");
    page.OnDisable();
    EXPECT_EQ(page.m_grid->Model()->Text(page.m_grid->CurrentRow(), 1), "0");
    EXPECT_EQ(page.m_statusesChanged, 1);
    EXPECT_EQ(Rows("select PARAMETER_ENABLE from T_CFG_PARAM where PARAMETER_NAME='05-Reject'"), QStringList{"0"});
    // A disabled status keeps its rules.
    EXPECT_EQ(Rows(kRules.arg("05-Reject")), QStringList{"04-ReOpen"});

    // Rules changed too: the command reads both caches again.
    SelectStatus(page, "00-New");
    page.m_cannotChange->setCurrentRow(page.m_cannotChange->findItems("02-Fixed", Qt::MatchExactly).isEmpty() ? 0 : 1);
    page.OnRemoveAllRules();
    SelectStatus(page, "00-New");
    page.m_cannotChange->setCurrentItem(page.m_cannotChange->findItems("02-Fixed", Qt::MatchExactly).first());
    page.OnAddRule();
    ASSERT_TRUE(ApplyWorkflowChanges(ctx, page));
    QStringList next;
    ctx.GetNextStatuses("00-New", next);
    EXPECT_TRUE(next.contains("02-Fixed")) << next.join(',').toStdString();
    EXPECT_FALSE(next.contains("05-Reject"));
    EXPECT_EQ(ctx.IsStatusEnabled("05-Reject"), 0);
    ctx.GetNextStatuses("01-Open", next);
    EXPECT_FALSE(next.contains("05-Reject")) << next.join(',').toStdString();

    SelectStatus(page, "05-Reject");
    page.OnEnable();
    EXPECT_EQ(Rows("select PARAMETER_ENABLE from T_CFG_PARAM where PARAMETER_NAME='05-Reject'"), QStringList{"1"});
    ASSERT_TRUE(ApplyWorkflowChanges(ctx, page));
    ctx.GetNextStatuses("01-Open", next);
    EXPECT_TRUE(next.contains("05-Reject"));
}

TEST_F(FlowDialogs, CommandsNeedTheAdministrationRight)
{
    StartWith("");
    CAppContext user;
    ASSERT_TRUE(s.Login(user, "li", "123456"));
    ASSERT_EQ(user.m_canSysManage, 0);
    // The project list (2032), the lookup lists (2021) and the workflow (2044).
    const struct {
        const char* name;
        void (*open)(QWidget* parent, CAppContext& context);
    } commands[] = {{"project list", OpenProjectList}, {"lookup lists", OpenLookupLists}, {"workflow", OpenWorkflow}};
    for (const auto& command : commands) {
        QObject guard;
        user.m_lastMessage.clear();
        bool opened = false;
        QTimer::singleShot(200, &guard, [&opened] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                opened = qobject_cast<QMessageBox*>(dialog) == nullptr;
                dialog->reject();
            }
        });
        command.open(nullptr, user);
        EXPECT_FALSE(opened) << command.name;
        EXPECT_EQ(user.m_lastMessage, user.Text(9361)) << command.name;
    }

    // The administrator gets each dialog.
    for (const auto& command : commands) {
        QObject guard;
        QString opened;
        QTimer::singleShot(200, &guard, [&opened] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                opened = dialog->objectName();
                dialog->reject();
            }
        });
        command.open(nullptr, ctx);
        EXPECT_FALSE(opened.isEmpty()) << command.name;
    }
}

TEST_F(FlowDialogs, FillBackgroundColoursEveryDialog)
{
    StartWith("");
    ctx.m_fillBackground = 1;
    ctx.m_bgColor = QColor(200, 220, 240);
    CProjectSettingDlg plain(ctx);
    CParamSettingDlg lists(ctx);
    CFlowDefineDlg flow(ctx);
    flow.OnSetActive();
    CProjectSettingFullDlg page(ctx);
    page.OnSetActive();
    CProjectEditDlg form(ctx);
    form.OnInitDialog();
    CVersionsDlg versions(ctx);
    versions.OnInitDialog();
    CUserProjectsDlg userProjects(ctx);
    userProjects.OnInitDialog();
    for (QWidget* dialog : std::initializer_list<QWidget*>{&plain, &lists, &flow, &page, &form, &versions, &userProjects}) {
        EXPECT_EQ(dialog->palette().color(QPalette::Window), ctx.m_bgColor) << dialog->objectName().toStdString();
        EXPECT_TRUE(dialog->autoFillBackground()) << dialog->objectName().toStdString();
    }
    EXPECT_EQ(flow.m_enable->palette().color(QPalette::Button), ctx.m_bgColor);
}
