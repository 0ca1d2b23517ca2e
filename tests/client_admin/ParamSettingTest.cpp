// The lookup-lists page against a real server: lists and values, the
// placeholder row, renames carried into the defects.
#include "CNameCascade.h"
#include "CParamSettingDlg.h"
#include "CResultGrid.h"
#include "ProjectAdminServer.h"

#include <QLineEdit>
#include <QListWidget>

using namespace projectadmin;

namespace {

QStringList Names(QListWidget* list)
{
    QStringList names;
    for (int i = 0; i < list->count(); ++i) names << list->item(i)->text();
    return names;
}

QStringList Values(CResultGrid* grid)
{
    QStringList values;
    for (int row = 0; row < grid->RowCount(); ++row) values << grid->Model()->Text(row, 0);
    return values;
}

void SelectList(CParamSettingDlg& page, const QString& name)
{
    const auto items = page.m_types->findItems(name, Qt::MatchExactly);
    ASSERT_EQ(items.size(), 1) << name.toStdString();
    page.m_types->setCurrentItem(items.first());
}

void SelectValue(CParamSettingDlg& page, int row)
{
    page.m_values->setCurrentIndex(page.m_values->Model()->index(row, 0));
}

}  // namespace

TEST(ValueRename, ReachesTheColumnsAndTablesThatHoldTheValue)
{
    const QStringList status = CNameCascade::ValueRename("defect_status", "01-Open", "01-O'pen", {"BG_STATUS"});
    EXPECT_EQ(status.size(), 6);
    EXPECT_TRUE(status.contains("update t_bug set BG_STATUS='01-O''pen' where BG_STATUS='01-Open'"));
    EXPECT_TRUE(status.contains("update T_BUG_TRANS_RULE set TR_RULES_TO='01-O''pen' where TR_RULES_TO='01-Open'"
                                " and COLUMN_NAME='BG_STATUS'"));
    // Column names that are no identifiers never reach the text.
    EXPECT_EQ(CNameCascade::ValueRename("os", "a", "b", {"X;drop table t_bug", "BG_USER_01"}).size(), 2);
    EXPECT_EQ(CNameCascade::ValueRename("prj_type", "a", "b", {}).last(),
              "update t_prj set PRJ_TYPE='b' where PRJ_TYPE='a'");
}

class ParamDialogs : public ProjectAdminTest {};

TEST_F(ParamDialogs, ListsWithTheirPlaceholderRows)
{
    StartWith("");
    CParamSettingDlg page(ctx);
    ASSERT_TRUE(page.OnSetActive());
    // Lists of PARAMETER_TYPE '1' (the statuses) are not shown.
    EXPECT_EQ(Names(page.m_types), (QStringList{"pri", "prj_type", "severity"}));

    page.OnNewList("os");
    EXPECT_EQ(Names(page.m_types), (QStringList{"os", "pri", "prj_type", "severity"}));
    EXPECT_EQ(Rows("select PARAMETER_NAME,PARAMETER_TYPE from t_cfg_param where PARAMETER_TYPE_ID='os'"),
              QStringList{"----------|0"});
    SelectList(page, "os");
    EXPECT_TRUE(Values(page.m_values).isEmpty());
    // An existing name, even a hidden list's, makes no second list.
    for (const char* taken : {"OS", "defect_status"}) {
        page.OnNewList(taken);
        EXPECT_EQ(ctx.m_lastMessage, ctx.Text(9364)) << taken;
    }
    EXPECT_EQ(Count("select count(*) from t_cfg_param where PARAMETER_NAME='----------'"), 1);
    EXPECT_EQ(Names(page.m_types).size(), 4);

    // Values next to the placeholder; deleting one keeps the placeholder.
    page.m_edit->setText("Linux");
    page.OnAddValue();
    page.m_edit->setText("Linux");
    page.OnAddValue();
    EXPECT_EQ(ctx.m_lastMessage, "Please Change the Name to not exist one");
    page.m_edit->setText(QString(81, 'x'));
    page.OnAddValue();
    page.m_edit->clear();
    page.OnAddValue();
    page.m_edit->setText("----------");
    page.OnAddValue();
    EXPECT_EQ(ctx.m_lastMessage, ctx.Text(9363));
    EXPECT_EQ(Values(page.m_values), QStringList{"Linux"});
    SelectValue(page, 0);
    EXPECT_EQ(page.m_currentValue, "Linux");
    EXPECT_EQ(page.m_edit->text(), "Linux");
    page.OnDel();
    EXPECT_EQ(Rows("select PARAMETER_NAME from t_cfg_param where PARAMETER_TYPE_ID='os'"), QStringList{"----------"});

    // The only value of a list becomes its placeholder: the list stays.
    SelectList(page, "pri");
    for (int i = 0; i < 3; ++i) {
        SelectValue(page, 0);
        page.OnDeleteValue();
    }
    EXPECT_EQ(Rows("select PARAMETER_NAME from t_cfg_param where PARAMETER_TYPE_ID='pri'"), QStringList{"----------"});
    EXPECT_TRUE(Values(page.m_values).isEmpty());
    page.LoadTypes();
    EXPECT_TRUE(Names(page.m_types).contains("pri"));

    // Delete List removes every row of the list (Yes answered).
    SelectList(page, "os");
    page.OnDeleteList();
    EXPECT_EQ(Count("select count(*) from t_cfg_param where PARAMETER_TYPE_ID='os'"), 0);
    EXPECT_EQ(Names(page.m_types), (QStringList{"pri", "prj_type", "severity"}));
    EXPECT_EQ(page.m_types->currentRow(), 0);
}

TEST_F(ParamDialogs, ModifyRenamesTheValueWhereverItIsHeld)
{
    StartWith("");
    CParamSettingDlg page(ctx);
    page.OnSetActive();
    const int medium = Count(QStringLiteral("select count(*) from t_bug where BG_SEVERITY='01-中'"));
    ASSERT_GT(medium, 0);
    SelectList(page, "severity");
    ASSERT_EQ(Values(page.m_values), (QStringList{QStringLiteral("00-高"), QStringLiteral("01-中"), QStringLiteral("02-低")}));
    SelectValue(page, 1);
    // A value the list already has is refused.
    page.m_edit->setText(QStringLiteral("02-低"));
    page.OnModifyValue();
    EXPECT_EQ(ctx.m_lastMessage, "Please Change the Name to not exist one");
    EXPECT_EQ(Count(QStringLiteral("select count(*) from t_cfg_param where PARAMETER_NAME='02-低'")), 2);

    page.m_edit->setText("01-Medium");
    page.OnModifyValue();
    EXPECT_EQ(Values(page.m_values), (QStringList{QStringLiteral("00-高"), "01-Medium", QStringLiteral("02-低")}));
    EXPECT_EQ(Count("select count(*) from t_bug where BG_SEVERITY='01-Medium'"), medium);
    EXPECT_EQ(Count(QStringLiteral("select count(*) from t_bug where BG_SEVERITY='01-中'")), 0);
    // The priority list's equal value is another list's: untouched.
    EXPECT_GT(Count(QStringLiteral("select count(*) from t_bug where BG_PRIORITY='01-中'")), 0);
    EXPECT_TRUE(page.m_currentValue.isEmpty());

    // Project types are held by the projects.
    SelectList(page, "prj_type");
    SelectValue(page, Values(page.m_values).indexOf(QStringLiteral("维护")));
    page.m_edit->setText("Maintenance");
    page.OnModifyValue();
    EXPECT_EQ(Rows(QStringLiteral("select PRJ_TYPE from t_prj where prj_name='Zentry演示'")), QStringList{"Maintenance"});
    SaveShownScreenshot(page, "lookup_lists");
}
