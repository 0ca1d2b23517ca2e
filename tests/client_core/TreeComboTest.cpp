// The tree combo box driven with real mouse and key events.
#include "CTreeComboBox.h"

#include <QTest>
#include <gtest/gtest.h>

namespace {

void Fill(CTreeComboBox& combo)
{
    combo.InsertNode("QA", {"zoe (Zoe Wu)", "ann (Ann Li)", "Bob (Bob Ma)"}, 0, 3);
    combo.InsertNode("Dev", {"tom (Tom Li)"}, 0, 3);
}

// Clicks the node's text (not its expand button).
void ClickNode(CTreeComboBox& combo, QTreeWidgetItem* item)
{
    CTreeComboTree* tree = combo.Tree();
    const QRect r = tree->visualItemRect(item);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, r.center() + QPoint(10, 0));
}

}  // namespace

TEST(TreeComboBox, SingleLinePicksLeavesOnly)
{
    QWidget dialog;
    CTreeComboBox combo(&dialog);
    combo.resize(200, 22);
    Fill(combo);
    dialog.show();
    EXPECT_FALSE(combo.IsMultiLine());

    combo.ToggleTree();
    ASSERT_TRUE(combo.IsTreeOpen());
    QTreeWidgetItem* qa = combo.Tree()->topLevelItem(0);
    ClickNode(combo, qa);  // a department name picks nothing
    EXPECT_TRUE(combo.IsTreeOpen());
    EXPECT_EQ(combo.GetText(), QString());

    qa->setExpanded(true);
    ClickNode(combo, qa->child(1));
    EXPECT_FALSE(combo.IsTreeOpen());
    EXPECT_EQ(combo.GetText(), QString("ann (Ann Li)"));

    // Escape closes without changing the text.
    combo.ToggleTree();
    combo.Tree()->setCurrentItem(qa->child(0));
    QTest::keyClick(combo.Tree(), Qt::Key_Escape);
    EXPECT_FALSE(combo.IsTreeOpen());
    EXPECT_EQ(combo.GetText(), QString("ann (Ann Li)"));

    // Enter picks the selected node.
    combo.ToggleTree();
    combo.Tree()->setCurrentItem(qa->child(0));
    QTest::keyClick(combo.Tree(), Qt::Key_Return);
    EXPECT_EQ(combo.GetText(), QString("zoe (Zoe Wu)"));
}

TEST(TreeComboBox, MultiLineCollectsSortedLines)
{
    QWidget dialog;
    CTreeComboBox combo(&dialog, 60);
    combo.resize(200, 60);
    Fill(combo);
    dialog.show();
    ASSERT_TRUE(combo.IsMultiLine());
    QTreeWidgetItem* qa = combo.Tree()->topLevelItem(0);
    qa->setExpanded(true);
    for (int i : {0, 1, 2, 1}) {  // the last pick repeats one: nothing added
        combo.ToggleTree();
        ClickNode(combo, qa->child(i));
    }
    EXPECT_EQ(combo.GetText(), QString("ann (Ann Li)\r\nBob (Bob Ma)\r\nzoe (Zoe Wu)"));

    combo.SetCaption("tom, ann");
    EXPECT_EQ(combo.GetText(), QString("tom\r\nann"));
}

TEST(TreeComboBox, TypingOnlyWhenEditable)
{
    QWidget dialog;
    CTreeComboBox combo(&dialog);
    combo.resize(200, 22);
    dialog.show();
    combo.SelectText("tom (Tom Li)", 3);
    QTest::keyClicks(combo.Edit(), "xy");
    EXPECT_EQ(combo.GetText(), QString("tom (Tom Li)"));
    combo.SetEditable(true);
    combo.SelectText("", 3);
    QTest::keyClicks(combo.Edit(), "All");
    EXPECT_EQ(combo.GetText(), QString("All"));
}
