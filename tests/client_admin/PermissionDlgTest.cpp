// The permission dialogs against the demo database: what they show, and the
// strings Save writes (read back through the server).
#include "AdminFixture.h"
#include "CResultGrid.h"
#include "CSelectGroupPermDlg.h"
#include "CSetupPermissionDlg.h"
#include "CSetupUserPermissionDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {
QCheckBox* Box(QWidget* dialog, int id) { return dialog->findChild<QCheckBox*>(QString::number(id)); }
const QString kZeros(64, '0');
}  // namespace

class PermissionDlgTest : public AdminTest {};

TEST_F(PermissionDlgTest, UserDialogShowsGroupRightsButSavesOnlyTheUsersDigits)
{
    // zhang: own digits add defect and field 2 only; the developer group grants fields 0-24.
    QString own = kZeros;
    own[0] = '1';
    own[12] = '1';
    ASSERT_TRUE(Exec(QStringLiteral("update t_cfg_st_user set USER_FIELD_RIGHT='%1' where user_name='zhang'").arg(own)));
    CSetupUserPermissionDlg dialog(m_context);
    dialog.m_userName = QStringLiteral("zhang");
    dialog.m_groupList = QStringLiteral("'developer'");
    ASSERT_TRUE(dialog.InitDialog()) << m_context.m_lastMessage.toStdString();
    ASSERT_GT(dialog.m_fieldCount, 5);
    EXPECT_TRUE(Box(&dialog, 3094)->isChecked());
    EXPECT_FALSE(Box(&dialog, 7000)->isChecked());   // the first field: never
    EXPECT_FALSE(Box(&dialog, 7000)->isEnabled());
    EXPECT_TRUE(Box(&dialog, 7001)->isChecked());    // through the group
    EXPECT_FALSE(Box(&dialog, 7001)->isEnabled());
    EXPECT_TRUE(Box(&dialog, 7002)->isChecked());    // the user's own
    EXPECT_TRUE(Box(&dialog, 7002)->isEnabled());

    Box(&dialog, 3095)->click();  // grant delete defect
    ASSERT_TRUE(dialog.OnSave());
    QString expected = own;
    expected[1] = '1';
    EXPECT_EQ(Value(QStringLiteral("select USER_FIELD_RIGHT from t_cfg_st_user where user_name='zhang'")), expected);
}

TEST_F(PermissionDlgTest, UserDialogWithoutAFullStringReportsItsSize)
{
    ASSERT_TRUE(Exec(QStringLiteral("insert into t_cfg_st_user(user_name) values('norights')")));
    CSetupUserPermissionDlg dialog(m_context);
    dialog.m_userName = QStringLiteral("norights");
    EXPECT_FALSE(dialog.InitDialog());
    EXPECT_EQ(m_context.m_lastMessage, QStringLiteral("error in right size"));
    EXPECT_TRUE(dialog.m_fieldBoxes.empty());
    Box(&dialog, 3094)->click();
    ASSERT_TRUE(dialog.OnSave());
    EXPECT_EQ(Value(QStringLiteral("select USER_FIELD_RIGHT from t_cfg_st_user where user_name='norights'")),
              QStringLiteral("1") + QString(63, '0'));
}

TEST_F(PermissionDlgTest, SavingTheLoggedInUsersRightsReplacesTheContextsAtOnce)
{
    const QString before = m_context.m_rights;
    CSetupUserPermissionDlg dialog(m_context);
    dialog.m_userName = QStringLiteral("ADMIN");
    ASSERT_TRUE(dialog.InitDialog());
    Box(&dialog, 7003)->click();
    ASSERT_TRUE(dialog.OnSave());
    EXPECT_NE(m_context.m_rights, before);
    EXPECT_EQ(m_context.m_rights, m_context.GetUserRights(QStringLiteral("admin")));
    Box(&dialog, 7003)->click();
    ASSERT_TRUE(dialog.OnSave());
}

TEST_F(PermissionDlgTest, NewGroupGetsAFullStringOnFirstSaveAndChangeModeKeepsGrants)
{
    ASSERT_TRUE(Exec(QStringLiteral("insert into t_group(group_name) values('fresh')")));
    {
        CSetupPermissionDlg dialog(m_context);
        dialog.m_groupName = QStringLiteral("fresh");
        dialog.InitDialog();
        EXPECT_EQ(m_context.m_lastMessage, QStringLiteral("error in right size"));
        EXPECT_TRUE(dialog.m_fieldBoxes.empty());
        ASSERT_TRUE(dialog.OnSave());
        EXPECT_EQ(Value(QStringLiteral("select USER_FIELD_RIGHT from t_group where group_name='fresh'")), kZeros);
    }
    CSetupPermissionDlg dialog(m_context);
    dialog.m_groupName = QStringLiteral("fresh");
    m_context.m_lastMessage.clear();
    dialog.InitDialog();
    ASSERT_FALSE(dialog.m_fieldBoxes.empty()) << m_context.m_lastMessage.toStdString();
    Box(&dialog, 7001)->click();
    Box(&dialog, 7002)->click();
    ASSERT_TRUE(dialog.OnSave());
    QString granted = kZeros;
    granted[11] = granted[12] = '1';
    EXPECT_EQ(Value(QStringLiteral("select USER_FIELD_RIGHT from t_group where group_name='fresh'")), granted);

    // Change reading shows only '3' digits; saving there loses no grant.
    dialog.OnChangeMode();
    EXPECT_FALSE(Box(&dialog, 7001)->isChecked());
    EXPECT_TRUE(Box(&dialog, 3096)->isVisibleTo(&dialog));
    Box(&dialog, 7004)->click();
    dialog.OnOwnerOnly();  // current field is 4 after the click
    ASSERT_TRUE(dialog.OnSave());
    granted[14] = '1';
    EXPECT_EQ(Value(QStringLiteral("select USER_FIELD_RIGHT from t_group where group_name='fresh'")), granted);
    dialog.OnViewMode();
    EXPECT_TRUE(Box(&dialog, 7001)->isChecked());
    EXPECT_FALSE(Box(&dialog, 3096)->isVisibleTo(&dialog));
}

TEST_F(PermissionDlgTest, OwnerOnlyFlagNeedsAClickedFieldAndIsSavedInTheMask)
{
    CSetupPermissionDlg dialog(m_context);
    dialog.m_groupName = QStringLiteral("tester");
    dialog.InitDialog();
    ASSERT_FALSE(dialog.m_fieldBoxes.empty());
    const QString mask = dialog.m_ownerRight;
    dialog.m_ownerOnly->setChecked(true);
    dialog.OnOwnerOnly();  // no field clicked yet
    EXPECT_EQ(dialog.m_ownerRight, mask);
    Box(&dialog, 7005)->click();
    Box(&dialog, 7005)->click();  // back as it was
    EXPECT_EQ(dialog.m_fieldLabel->text(), dialog.m_fieldBoxes[5]->text());
    dialog.m_ownerOnly->setChecked(true);
    dialog.OnOwnerOnly();
    ASSERT_TRUE(dialog.OnSave());
    EXPECT_EQ(Value(QStringLiteral("select USER_OWNER_RIGHT from t_group where group_name='tester'")).mid(15, 1),
              QStringLiteral("1"));
    EXPECT_EQ(Value(QStringLiteral("select USER_FIELD_RIGHT from t_group where group_name='tester'")),
              QStringLiteral("1100000000111111111111111111111111100000000000000000000000000000"));
}

TEST_F(PermissionDlgTest, FieldBoxesFillThreeColumnsOfTwenty)
{
    EXPECT_EQ(CPermissionBoxes::BoxPosition(0), QPoint(5, 68));
    EXPECT_EQ(CPermissionBoxes::BoxPosition(19), QPoint(5, 68 + 19 * 21));
    EXPECT_EQ(CPermissionBoxes::BoxPosition(20), QPoint(140, 68));
    EXPECT_EQ(CPermissionBoxes::BoxPosition(40), QPoint(280, 68));
}

TEST_F(PermissionDlgTest, SelectGroupHandsBackTheGroupsString)
{
    CSelectGroupPermDlg dialog(m_context);
    dialog.InitDialog();
    ASSERT_GE(dialog.m_groups->findText(QStringLiteral("tester")), 0);
    dialog.m_groups->setCurrentIndex(dialog.m_groups->findText(QStringLiteral("tester")));
    ASSERT_TRUE(dialog.OnOK());
    EXPECT_EQ(dialog.m_right, QStringLiteral("1100000000111111111111111111111111100000000000000000000000000000"));
    dialog.m_groups->setEditable(true);
    dialog.m_groups->setEditText(QStringLiteral("nosuchgroup"));
    EXPECT_FALSE(dialog.OnOK());
    EXPECT_EQ(m_context.m_lastMessage, QStringLiteral("Query permission failed"));
}

TEST_F(PermissionDlgTest, ClickedFieldShowsItsTransitionRules)
{
    CSetupPermissionDlg dialog(m_context);
    dialog.m_groupName = QStringLiteral("developer");
    dialog.InitDialog();
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Set Up Permission For 'developer'"));
    ASSERT_GT(dialog.m_fieldBoxes.size(), 3u);
    const int order = Value(QStringLiteral("select column_order from t_cfg_sys_list where TABLE_NAME='T_BUG' and COLUMN_NAME='BG_STATUS'")).toInt();
    ASSERT_GT(order, 0);
    QCheckBox* status = Box(&dialog, 7000 + order - 1);
    status->click();
    EXPECT_EQ(dialog.m_currentField, status->text());
    EXPECT_EQ(dialog.m_fieldIndex->text(), QString::number(order - 1));
    EXPECT_EQ(dialog.m_rulesGrid->RowCount(),
              Count(QStringLiteral("select count(*) from t_bug_trans_rule where COLUMN_NAME='BG_STATUS'")));
    EXPECT_GT(dialog.m_rulesGrid->RowCount(), 0);
    dialog.resize(700, 535);
    EXPECT_TRUE(SaveShot(&dialog, QStringLiteral("group_permission")));
}

TEST_F(PermissionDlgTest, UserCheckAllLeavesTheFirstFieldAndUsedFieldsOnly)
{
    ASSERT_TRUE(Exec(QStringLiteral("insert into t_cfg_st_user(user_name,USER_FIELD_RIGHT) values('checker','%1')").arg(kZeros)));
    CSetupUserPermissionDlg dialog(m_context);
    dialog.m_userName = QStringLiteral("checker");
    ASSERT_TRUE(dialog.InitDialog());
    dialog.m_checkAll->click();
    EXPECT_FALSE(Box(&dialog, 7000)->isChecked());
    ASSERT_TRUE(dialog.OnSave());
    const QString saved = Value(QStringLiteral("select USER_FIELD_RIGHT from t_cfg_st_user where user_name='checker'"));
    ASSERT_EQ(saved.size(), 64);
    EXPECT_EQ(saved[10], QChar('0'));
    for (size_t i = 1; i < dialog.m_fieldBoxes.size(); ++i)
        EXPECT_EQ(saved[10 + int(i)], dialog.m_fieldBoxes[i]->isEnabled() ? QChar('1') : QChar('0')) << i;
    EXPECT_EQ(saved.left(3), QStringLiteral("000"));
}
