// The design controls: their hit-test zones with a border of 4 pixels, and
// dragging and resizing them with real mouse events, without a server.
#include "CDesignGrip.h"
#include "DesignControls.h"
#include "MouseDrag.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

#include <memory>

namespace {

struct Zone {
    int x, y;
    DesignHit hit;
};

// A 100 x 40 control: right and bottom edges are outside.
const Zone kEditZones[] = {
    {97, 2, kHitTop},        // 2 pixels inside the top-right corner
    {2, 37, kHitBottom},     // 2 pixels inside the bottom-left corner
    {50, 20, kHitCaption},   // the centre
    {4, 0, kHitTop},         {99, 3, kHitTop},
    {0, 36, kHitBottom},     {95, 39, kHitBottom},
    {0, 4, kHitLeft},        {3, 35, kHitLeft},       {3, 39, kHitBottom},
    {96, 4, kHitRight},      {99, 35, kHitRight},
    {96, 36, kHitBottomRight}, {99, 39, kHitBottomRight},
    {0, 0, kHitTopLeft},     {3, 3, kHitTopLeft},
    {4, 4, kHitCaption},     {95, 35, kHitCaption},
};

// The combo box: only its sides resize, top and bottom move it.
const Zone kComboZones[] = {
    {50, 0, kHitCaption}, {50, 39, kHitCaption}, {97, 2, kHitRight}, {2, 37, kHitLeft},
    {0, 0, kHitLeft},     {99, 39, kHitRight},   {50, 20, kHitCaption}, {4, 20, kHitCaption},
};

// A shown parent with one control at (10, 10).
template <typename Control>
struct Placed {
    Placed() : control(new Control(&parent)) {
        parent.resize(1200, 1000);
        control->setGeometry(10, 10, 100, 40);
        parent.show();
    }
    QPoint Global(int x, int y) const { return control->mapToGlobal(QPoint(x, y)); }
    QWidget parent;
    Control* control;
};

}  // namespace

TEST(DesignControlsTest, Zones) {
    const QRect rect(1000, 500, 100, 40);
    for (const Zone& z : kEditZones) {
        SCOPED_TRACE(std::to_string(z.x) + "," + std::to_string(z.y));
        EXPECT_EQ(z.hit, DesignZone(rect, rect.topLeft() + QPoint(z.x, z.y), 4, false));
    }
    for (const Zone& z : kComboZones) {
        SCOPED_TRACE("combo " + std::to_string(z.x) + "," + std::to_string(z.y));
        EXPECT_EQ(z.hit, DesignZone(rect, rect.topLeft() + QPoint(z.x, z.y), 4, true));
    }
}

TEST(DesignControlsTest, HitTestOfTheControls) {
    Placed<CDesignEdit> edit;
    CDesignGrip* grip = edit.control->Grip();
    EXPECT_EQ(4, grip->m_borderWidth);
    EXPECT_EQ(1, grip->Design());
    for (const Zone& z : kEditZones) EXPECT_EQ(z.hit, grip->HitTest(edit.Global(z.x, z.y)));
    EXPECT_EQ(kHitNowhere, grip->HitTest(edit.Global(100, 20)));  // the right edge is outside
    EXPECT_EQ(kHitNowhere, grip->HitTest(edit.Global(50, 40)));
    grip->SetDesign(0);
    EXPECT_EQ(kHitClient, grip->HitTest(edit.Global(97, 2)));
    EXPECT_EQ(kHitClient, grip->HitTest(edit.Global(50, 20)));

    Placed<CDesignComboBox> combo;
    for (const Zone& z : kComboZones)
        EXPECT_EQ(z.hit, combo.control->Grip()->HitTest(combo.Global(z.x, z.y)));
    // Every other control answers like the edit.
    Placed<CDesignStatic> label;
    Placed<CDesignButton> button;
    Placed<CDesignListBox> list;
    Placed<CDesignDateTimeCtrl> date;
    for (CDesignGrip* other : {label.control->Grip(), button.control->Grip(), list.control->Grip(),
                               date.control->Grip()}) {
        const QWidget* w = qobject_cast<QWidget*>(other->parent());
        EXPECT_EQ(kHitTop, other->HitTest(w->mapToGlobal(QPoint(97, 2))));
        EXPECT_EQ(kHitCaption, other->HitTest(w->mapToGlobal(QPoint(50, 20))));
    }
}

TEST(DesignControlsTest, DraggingMovesAndResizes) {
    Placed<CDesignEdit> edit;
    QWidget* e = edit.control;
    DragBy(e, e, {50, 20}, {30, 15});
    EXPECT_EQ(QRect(40, 25, 100, 40), e->geometry());
    DragBy(e, e, {1, 20}, {10, 0});  // left edge
    EXPECT_EQ(QRect(50, 25, 90, 40), e->geometry());
    DragBy(e, e, {50, 1}, {0, -5});  // top edge
    EXPECT_EQ(QRect(50, 20, 90, 45), e->geometry());
    DragBy(e, e, {88, 43}, {10, 5});  // bottom-right corner
    EXPECT_EQ(QRect(50, 20, 100, 50), e->geometry());
    DragBy(e, e, {1, 1}, {-10, -10});  // top-left corner
    EXPECT_EQ(QRect(40, 10, 110, 60), e->geometry());
    DragBy(e, e, {108, 58}, {-500, -500});
    EXPECT_EQ(QSize(20, 14), e->size());
    DragBy(e, e, {18, 12}, {3000, 3000});
    EXPECT_EQ(QSize(950, 900), e->size());
    DragBy(e, e, {1, 450}, {940, 0});  // the left edge stops at the minimum width
    EXPECT_EQ(QRect(40 + 930, 10, 20, 900), e->geometry());
}

TEST(DesignControlsTest, LimitsOfEachKind) {
    // The list box takes its mouse events on its viewport.
    Placed<CDesignListBox> list;
    DragBy(list.control, list.control->viewport(), {98, 38}, {-500, -500});
    EXPECT_EQ(QSize(20, 14), list.control->size());
    Placed<CDesignButton> button;
    DragBy(button.control, button.control, {98, 38}, {2000, 2000});
    EXPECT_EQ(QSize(950, 900), button.control->size());
    // The date picker has no limits of its own.
    Placed<CDesignDateTimeCtrl> date;
    DragBy(date.control, date.control, {98, 38}, {-90, -32});
    EXPECT_EQ(QSize(10, 8), date.control->size());
    DragBy(date.control, date.control, {8, 6}, {1000, 1000});
    EXPECT_EQ(QSize(1010, 1008), date.control->size());
}

TEST(DesignControlsTest, ComboBoxMovesButNeverChangesHeight) {
    Placed<CDesignComboBox> combo;
    QWidget* c = combo.control;
    DragBy(c, c, {50, 0}, {5, 30});  // the top edge moves it
    EXPECT_EQ(QRect(15, 40, 100, 40), c->geometry());
    DragBy(c, c, {50, 39}, {0, 30});  // so does the bottom edge
    EXPECT_EQ(QRect(15, 70, 100, 40), c->geometry());
    DragBy(c, c, {98, 20}, {60, 200});
    EXPECT_EQ(QRect(15, 70, 160, 40), c->geometry());
    DragBy(c, c, {1, 20}, {-15, 200});
    EXPECT_EQ(QRect(0, 70, 175, 40), c->geometry());
    DragBy(c, c, {174, 20}, {-500, 0});  // no minimum of its own
    EXPECT_EQ(QRect(0, 70, 1, 40), c->geometry());
}

TEST(DesignControlsTest, OrdinaryControlOutsideDesignMode) {
    Placed<CDesignButton> button;
    QSignalSpy clicked(button.control, &QPushButton::clicked);
    DragBy(button.control, button.control, {50, 20}, {0, 0});
    EXPECT_EQ(0, clicked.count());  // the press moved it instead
    DragBy(button.control, button.control, {50, 20}, {20, 20});
    EXPECT_EQ(QPoint(30, 30), button.control->pos());

    button.control->Grip()->SetDesign(0);
    DragBy(button.control, button.control, {50, 20}, {10, 10});
    EXPECT_EQ(QPoint(30, 30), button.control->pos());
    EXPECT_EQ(1, clicked.count());

    // A double click on the body is swallowed in design mode only.
    Placed<CDesignListBox> list;
    list.control->addItem("one");
    QSignalSpy doubled(list.control, &QListWidget::itemDoubleClicked);
    const QPoint item = list.control->viewport()->mapToGlobal(
        list.control->visualItemRect(list.control->item(0)).center());
    auto doubleClick = [&] {
        SendMouse(list.control->viewport(), QEvent::MouseButtonPress, item, Qt::LeftButton);
        SendMouse(list.control->viewport(), QEvent::MouseButtonRelease, item, Qt::NoButton);
        SendMouse(list.control->viewport(), QEvent::MouseButtonDblClick, item, Qt::LeftButton);
        SendMouse(list.control->viewport(), QEvent::MouseButtonRelease, item, Qt::NoButton);
    };
    doubleClick();
    EXPECT_EQ(0, doubled.count());
    list.control->Grip()->SetDesign(0);
    doubleClick();
    EXPECT_EQ(1, doubled.count());
}
