// The drag tree moved with real mouse events and through its drag steps,
// and the control tooltip's show rule and placement.
#include "CControlToolTip.h"
#include "CDragTreeCtrl.h"

#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// Two departments with users; every user carries its own data.
struct Tree {
    Tree()
    {
        tree.resize(240, 300);
        for (const char* dept : {"QA", "Dev"}) {
            auto* group = new QTreeWidgetItem(&tree, QStringList(dept));
            for (int i = 0; i < 2; ++i) {
                auto* user = new QTreeWidgetItem(group, QStringList(QString("%1-user%2").arg(dept).arg(i)));
                user->setData(0, Qt::UserRole, QString("%1:%2").arg(dept).arg(i));
            }
        }
        tree.ExpandAll();
        tree.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&tree));
    }
    QTreeWidgetItem* Group(int i) { return tree.topLevelItem(i); }
    QPoint At(QTreeWidgetItem* item) { return tree.visualItemRect(item).center(); }
    QStringList Children(int i)
    {
        QStringList names;
        for (int k = 0; k < Group(i)->childCount(); ++k) names << Group(i)->child(k)->text(0);
        return names;
    }
    CDragTreeCtrl tree;
};

}  // namespace

TEST(DragTree, MouseDragMovesAUserToAnotherDepartment)
{
    Tree t;
    QTreeWidgetItem* user = t.Group(0)->child(0);
    QWidget* viewport = t.tree.viewport();
    const QPoint from = t.At(user);
    const QPoint to = t.At(t.Group(1));
    QTest::mousePress(viewport, Qt::LeftButton, {}, from);
    QMouseEvent move(QEvent::MouseMove, QPointF(from + QPoint(0, 20)), viewport->mapToGlobal(QPointF(from + QPoint(0, 20))),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &move);
    ASSERT_TRUE(t.tree.IsDragging());
    QMouseEvent over(QEvent::MouseMove, QPointF(to), viewport->mapToGlobal(QPointF(to)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &over);
    EXPECT_EQ(t.tree.DropHighlight(), t.Group(1));
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, to);

    EXPECT_FALSE(t.tree.IsDragging());
    EXPECT_EQ(t.tree.DropHighlight(), nullptr);
    EXPECT_EQ(t.Children(0), QStringList({"QA-user1"}));
    EXPECT_EQ(t.Children(1), QStringList({"Dev-user0", "Dev-user1", "QA-user0"}));
    EXPECT_EQ(t.tree.currentItem(), user);
    EXPECT_EQ(user->data(0, Qt::UserRole).toString(), "QA:0");
}

TEST(DragTree, DropsThatChangeNothing)
{
    Tree t;
    QTreeWidgetItem* user = t.Group(0)->child(0);
    // A department cannot be dragged.
    EXPECT_FALSE(t.tree.BeginDrag(t.Group(0), t.At(t.Group(0))));

    // Onto a user: nothing moves; while over it the drop is refused.
    ASSERT_TRUE(t.tree.BeginDrag(user, t.At(user)));
    t.tree.DragMoveTo(t.At(t.Group(1)->child(0)));
    EXPECT_EQ(t.tree.DropHighlight(), nullptr);
    EXPECT_EQ(t.tree.viewport()->cursor().shape(), Qt::ForbiddenCursor);
    EXPECT_FALSE(t.tree.Drop(t.At(t.Group(1)->child(0))));

    // Onto empty space and onto itself: nothing moves.
    ASSERT_TRUE(t.tree.BeginDrag(user, t.At(user)));
    EXPECT_FALSE(t.tree.Drop(QPoint(10, 290)));
    ASSERT_TRUE(t.tree.BeginDrag(user, t.At(user)));
    EXPECT_FALSE(t.tree.Drop(t.At(user)));
    EXPECT_EQ(t.Children(0), QStringList({"QA-user0", "QA-user1"}));
    EXPECT_EQ(t.Children(1), QStringList({"Dev-user0", "Dev-user1"}));

    // Onto its own department: no highlight there, and it goes to the end.
    ASSERT_TRUE(t.tree.BeginDrag(user, t.At(user)));
    t.tree.DragMoveTo(t.At(t.Group(0)));
    EXPECT_EQ(t.tree.DropHighlight(), nullptr);
    EXPECT_TRUE(t.tree.Drop(t.At(t.Group(0))));
    EXPECT_EQ(t.Children(0), QStringList({"QA-user1", "QA-user0"}));
}

TEST(DragTree, ExpandAllLeavesTheFirstGroupsMembersClosed)
{
    CDragTreeCtrl tree;
    for (const char* dept : {"A", "B"}) {
        auto* group = new QTreeWidgetItem(&tree, QStringList(dept));
        auto* member = new QTreeWidgetItem(group, QStringList("m"));
        new QTreeWidgetItem(member, QStringList("leaf"));
    }
    tree.ExpandAll();
    EXPECT_TRUE(tree.topLevelItem(0)->isExpanded());
    EXPECT_TRUE(tree.topLevelItem(1)->isExpanded());
    EXPECT_FALSE(tree.topLevelItem(0)->child(0)->isExpanded());
    EXPECT_TRUE(tree.topLevelItem(1)->child(0)->isExpanded());
}

TEST(ControlToolTip, ShowsOverItsOwnerOnlyWhenTheRuleHolds)
{
    QWidget dialog;
    dialog.resize(300, 200);
    auto* owner = new QLineEdit(&dialog);
    owner->setGeometry(20, 30, 100, 24);
    auto* sibling = new QLineEdit(&dialog);
    sibling->setGeometry(20, 80, 100, 24);
    QWidget elsewhere;
    dialog.show();

    CControlToolTip tip;
    EXPECT_TRUE(tip.Text().isEmpty());
    EXPECT_FALSE(tip.ShouldShow(QPoint(0, 0), Qt::LeftButton, sibling));  // no owner
    tip.SetOwner(owner);
    tip.SetRect(QRect(0, 0, 80, 18));
    const QPoint inside = owner->mapToGlobal(QPoint(5, 5));
    const QPoint outside = owner->mapToGlobal(QPoint(5, 40));
    struct Case {
        int needsButton, leftButton;
        QPoint cursor;
        Qt::MouseButtons buttons;
        const QWidget* focus;
        bool shown;
    } cases[] = {
        {1, 1, inside, Qt::LeftButton, sibling, true},
        {1, 1, inside, Qt::NoButton, sibling, false},
        {1, 1, inside, Qt::RightButton, sibling, false},
        {1, 0, inside, Qt::RightButton, sibling, true},
        {0, 1, inside, Qt::NoButton, owner, true},
        {0, 1, outside, Qt::NoButton, owner, false},
        {0, 1, inside, Qt::NoButton, &elsewhere, false},
        {0, 1, inside, Qt::NoButton, nullptr, false},
    };
    for (const Case& c : cases) {
        tip.m_needsButton = c.needsButton;
        tip.m_leftButton = c.leftButton;
        EXPECT_EQ(tip.ShouldShow(c.cursor, c.buttons, c.focus), c.shown)
            << c.needsButton << c.leftButton << " buttons " << int(c.buttons);
    }

    const QPoint corner = owner->mapToGlobal(QPoint(0, 0));
    EXPECT_EQ(tip.PlacedRect(), QRect(corner, QSize(80, 18)));
    tip.SetPlacement(CControlToolTip::BelowOwner);
    EXPECT_EQ(tip.PlacedRect(), QRect(corner + QPoint(0, 24), QSize(80, 18)));
    tip.SetPlacement(CControlToolTip::AboveOwner);
    EXPECT_EQ(tip.PlacedRect(), QRect(corner - QPoint(0, 18), QSize(80, 18)));

    // An owner that goes away leaves the tip hidden and harmless.
    delete owner;
    tip.Tick();
    EXPECT_FALSE(tip.isVisible());
    EXPECT_FALSE(tip.ShouldShow(inside, Qt::LeftButton, sibling));
}
