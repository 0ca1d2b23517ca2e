// The core's controls and dialog helpers offscreen: label, splitter bar,
// font cache, the start-up progress window, combo and list helpers, dates.
#include "CFontCache.h"
#include "CLabelCtrl.h"
#include "CLoadProgressDlg.h"
#include "CSplitterBar.h"
#include "ClientIds.h"
#include "DialogHelpers.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <QDir>
#include <QSet>

#include <fstream>
#include <tuple>

TEST(LabelCtrl, BlockOfLinesAndAlignment) {
    QWidget parent;
    CLabelCtrl label("short\nthe longer second line\n\n", &parent);
    label.resize(400, 200);
    const QFontMetrics metrics(label.m_font);
    // Two lines (the empty ones drop out), as wide as the longer.
    EXPECT_EQ(label.TextBlockRect(),
              QRect(0, 0, metrics.horizontalAdvance("the longer second line"), 2 * metrics.height()));

    CLabelCtrl right("right", &parent, Qt::AlignRight | Qt::AlignVCenter);
    right.resize(300, 100);
    const QRect block = right.TextBlockRect();
    EXPECT_EQ(block.right(), 299);
    EXPECT_EQ(block.top(), (100 - metrics.height()) / 2);
    CLabelCtrl centred("c", &parent, Qt::AlignHCenter | Qt::AlignBottom);
    centred.resize(100, 50);
    EXPECT_EQ(centred.TextBlockRect().bottom(), 49);
    EXPECT_EQ(centred.TextBlockRect().left(), (100 - metrics.horizontalAdvance("c")) / 2);

    // The text set from outside is the text read back.
    label.SetText("from outside");
    EXPECT_EQ(label.GetText(), "from outside");
}

TEST(LabelCtrl, ColoursAndTheDisabledLook) {
    CLabelCtrl label("MMMM");
    label.resize(120, 40);
    EXPECT_EQ(label.m_useSystemBk, 1);
    label.SetBkColor(QColor(255, 255, 0))->SetTextColor(QColor(0, 0, 255));
    EXPECT_EQ(label.m_useSystemBk, 0);
    auto colours = [&] {
        const QImage image = label.grab().toImage();
        QSet<QRgb> seen;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) seen.insert(image.pixel(x, y));
        return seen;
    };
    QSet<QRgb> enabled = colours();
    EXPECT_TRUE(enabled.contains(qRgb(255, 255, 0)));   // the background
    EXPECT_TRUE(enabled.contains(qRgb(0, 0, 255)));     // the text
    label.setEnabled(false);
    QSet<QRgb> disabled = colours();
    EXPECT_TRUE(disabled.contains(qRgb(255, 255, 0)));
    EXPECT_FALSE(disabled.contains(qRgb(0, 0, 255)));   // embossed system colours instead
    label.setEnabled(true);
    EXPECT_TRUE(colours().contains(qRgb(0, 0, 255)));
}

namespace {

// A parent 300 high: a grid above the bar, a panel below it.
struct SplitPanel {
    SplitPanel() : parent(), top(&parent), bottom(&parent), bar(&parent) {
        parent.resize(400, 300);
        top.setGeometry(0, 0, 400, 149);
        bar.setGeometry(0, 150, 400, bar.height());
        bottom.setGeometry(0, 151 + bar.height(), 400, 300 - 151 - bar.height());
        bar.SetLimits(120, 120);
        bar.AddFirstSideWindow(&top);
        bar.AddSecondSideWindow(&bottom);
        parent.show();
    }
    QWidget parent;
    QWidget top;
    QWidget bottom;
    CSplitterBar bar;
};

}  // namespace

TEST(SplitterBar, DragWithinTheLimits) {
    SplitPanel panel;
    EXPECT_EQ(panel.bar.objectName(), "3179");
    EXPECT_EQ(panel.bar.UpperLimit(), 120);
    EXPECT_EQ(panel.bar.LowerLimit(), 300 - 120 - panel.bar.height());
    QSignalSpy moved(&panel.bar, &CSplitterBar::Moved);

    // Press and release without moving: nothing.
    QTest::mousePress(&panel.bar, Qt::LeftButton, {}, QPoint(10, 1));
    QTest::mouseRelease(&panel.bar, Qt::LeftButton, {}, QPoint(10, 1));
    EXPECT_EQ(moved.count(), 0);
    EXPECT_EQ(panel.bar.y(), 150);

    // A drag far down stops at the lower limit; both sides follow the bar.
    QTest::mousePress(&panel.bar, Qt::LeftButton, {}, QPoint(10, 1));
    QTest::mouseMove(&panel.bar, QPoint(10, 400));
    QTest::mouseRelease(&panel.bar, Qt::LeftButton, {}, QPoint(10, 400));
    ASSERT_EQ(moved.count(), 1);
    const int lower = panel.bar.LowerLimit();
    EXPECT_EQ(moved[0][0].toInt(), lower - 150);
    EXPECT_EQ(moved[0][1].toInt(), 3179);
    EXPECT_EQ(panel.bar.y(), lower);
    EXPECT_EQ(panel.top.geometry().bottom(), lower - 1);
    EXPECT_EQ(panel.top.geometry().top(), 0);
    EXPECT_EQ(panel.bottom.geometry().top(), lower + panel.bar.height());
    EXPECT_EQ(panel.bottom.geometry().bottom(), 299);

    // Escape ends a drag and keeps its last position (here the upper limit).
    QTest::mousePress(&panel.bar, Qt::LeftButton, {}, QPoint(10, 1));
    QTest::mouseMove(&panel.bar, QPoint(10, -500));
    QTest::keyClick(&panel.bar, Qt::Key_Escape);
    ASSERT_EQ(moved.count(), 2);
    EXPECT_EQ(panel.bar.y(), 120);
    EXPECT_EQ(panel.top.geometry().bottom(), 119);

    // A right click during a drag ends it at the last position too.
    QTest::mousePress(&panel.bar, Qt::LeftButton, {}, QPoint(10, 1));
    QTest::mouseMove(&panel.bar, QPoint(10, 21));
    QTest::mousePress(&panel.bar, Qt::RightButton, {}, QPoint(10, 21));
    ASSERT_EQ(moved.count(), 3);
    EXPECT_EQ(moved[2][0].toInt(), 20);
    EXPECT_EQ(panel.bar.y(), 140);
    QTest::mouseRelease(&panel.bar, Qt::LeftButton, {}, QPoint(10, 21));
    EXPECT_EQ(moved.count(), 3);
}

TEST(SplitterBar, NoRoomNoDrag) {
    SplitPanel panel;
    panel.parent.resize(400, 200);  // 120 + 120 do not fit
    QSignalSpy moved(&panel.bar, &CSplitterBar::Moved);
    QTest::mousePress(&panel.bar, Qt::LeftButton, {}, QPoint(10, 1));
    QTest::mouseMove(&panel.bar, QPoint(10, 30));
    QTest::mouseRelease(&panel.bar, Qt::LeftButton, {}, QPoint(10, 30));
    EXPECT_EQ(moved.count(), 0);
    // After Unbind the sides are left alone.
    panel.parent.resize(400, 300);
    panel.bar.Unbind();
    const QRect top = panel.top.geometry();
    QTest::mousePress(&panel.bar, Qt::LeftButton, {}, QPoint(10, 1));
    QTest::mouseMove(&panel.bar, QPoint(10, 11));
    QTest::mouseRelease(&panel.bar, Qt::LeftButton, {}, QPoint(10, 11));
    EXPECT_EQ(moved.count(), 1);
    EXPECT_EQ(panel.top.geometry(), top);
}

TEST(FontCache, SharedByFaceAndNumbers) {
    CFontCache fonts;
    QLabel a, b, c;
    fonts.SetFont(&a, "Microsoft Sans Serif", 14, 0, 0, 0);
    fonts.SetFont(&b, "microsoft sans serif", 14, 0, 0, 0);
    EXPECT_EQ(fonts.GetCount(), 1);
    EXPECT_EQ(a.font(), b.font());
    EXPECT_EQ(a.font().pixelSize(), 14);
    const QFont* first = fonts.FindFont("MICROSOFT SANS SERIF", 14, 0, 0, 0);
    ASSERT_NE(first, nullptr);
    for (auto [h, bold, under, italic] : {std::tuple{15, 0, 0, 0}, std::tuple{14, 1, 0, 0},
                                          std::tuple{14, 0, 1, 0}, std::tuple{14, 0, 0, 1}})
        fonts.SetFont(&c, "Microsoft Sans Serif", h, bold, under, italic);
    EXPECT_EQ(fonts.GetCount(), 5);
    EXPECT_EQ(fonts.FindFont("Microsoft Sans Serif", 14, 0, 0, 0), first);  // addresses stay valid
    EXPECT_TRUE(c.font().italic());
    EXPECT_EQ(fonts.FindFont("Other", 14, 0, 0, 0), nullptr);
    fonts.SetFont(nullptr, "Other", 9, 0, 0, 0);  // no window: the entry alone
    EXPECT_EQ(fonts.GetCount(), 6);
}

TEST(LoadProgress, OneBoldLine) {
    CFontCache fonts;
    CLoadProgressDlg dialog(fonts);
    dialog.show();
    dialog.SetLine("1.获取项目列表完成", 1);
    dialog.SetLine("2.获取用户权限完成", 2);
    EXPECT_EQ(dialog.GetLineText(1), QStringLiteral("1.获取项目列表完成"));
    EXPECT_EQ(dialog.GetLineText(2), QStringLiteral("2.获取用户权限完成"));
    EXPECT_EQ(dialog.GetLineText(9), "");
    auto line = [&](int n) { return dialog.findChild<QLabel*>(QString::number(ids::kLoadLines[n - 1])); };
    ASSERT_TRUE(line(8));
    EXPECT_FALSE(line(1)->font().bold());
    EXPECT_TRUE(line(2)->font().bold());
    dialog.SetLine("ignored", 0);  // only resets the fonts
    EXPECT_FALSE(line(2)->font().bold());
    EXPECT_EQ(dialog.GetLineText(2), QStringLiteral("2.获取用户权限完成"));
    EXPECT_FALSE(dialog.isModal());
}

TEST(DialogHelpers, CombosListsAndSelection) {
    CResultSet result;
    result.Parse("NAME\x01" "OTHER\x02" "Open\x01" "1\x02" "Closed\x01" "2\x02");
    QComboBox combo;
    combo.addItem("old");
    EXPECT_EQ(FillComboFromResult(result, "name", &combo, 1, 0), 1);
    QStringList items;
    for (int i = 0; i < combo.count(); ++i) items << combo.itemText(i);
    EXPECT_EQ(items, QStringList({"----------", "Open", "Closed"}));
    CResultSet empty;
    empty.Parse("NAME\x02");
    FillComboFromResult(empty, "NAME", &combo, 1, 1);
    EXPECT_EQ(combo.count(), 1);
    EXPECT_EQ(combo.itemText(0), "----------");
    EXPECT_EQ(FillComboFromResult(result, "NAME", nullptr, 0, 0), 0);

    FillComboFromResult(result, "NAME", &combo, 0, 0);
    combo.setCurrentIndex(-1);
    EXPECT_EQ(GetComboText(&combo), "");
    EXPECT_EQ(SelectComboText(&combo, "OPEN", 0), 1);
    EXPECT_EQ(GetComboText(&combo), "Open");
    EXPECT_EQ(SelectComboText(&combo, "CLOSED", 1), 0);
    EXPECT_EQ(GetComboText(&combo), "Open");  // unchanged

    QListWidget list;
    EXPECT_EQ(FillListFromResult(result, "OTHER", &list), 1);
    EXPECT_EQ(list.count(), 2);
    EXPECT_EQ(SelectListText(&list, "2", 1), 1);
    EXPECT_EQ(GetListText(&list), "2");
}

TEST(DialogHelpers, DatesAndFolders) {
    EXPECT_EQ(TextToDateTime("2008-05-06 09:00:00"), QDateTime(QDate(2008, 5, 6), QTime(9, 0, 0)));
    EXPECT_EQ(TextToDateTime("2008-05-06").date(), QDate(2008, 5, 6));
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    EXPECT_GE(TextToDateTime("080506"), before);           // short: now
    EXPECT_GE(TextToDateTime("not a date at all"), before);
    const QDateTime value(QDate(2008, 5, 6), QTime(9, 8, 7));
    EXPECT_EQ(DateTimeToText(value, 1), "2008-05-06 09:08:07");
    EXPECT_EQ(DateTimeToText(value, 0), "2008-05-06");

    QTemporaryDir dir;
    EXPECT_EQ(GetFolderSize(dir.path() + "/missing"), 0);
    std::ofstream((dir.path() + "/a").toStdString()) << std::string(100, 'a');
    std::ofstream((dir.path() + "/b").toStdString()) << std::string(23, 'b');
    QDir().mkpath(dir.path() + "/sub");
    std::ofstream((dir.path() + "/sub/c").toStdString()) << std::string(1000, 'c');
    EXPECT_EQ(GetFolderSize(dir.path()), 123);  // sub-folders do not count
}

TEST(DialogHelpers, ItemsFromResultsAndVariantTexts) {
    QWidget dialog;
    auto* edit = new QLineEdit(&dialog);
    edit->setObjectName("4012");
    auto* label = new QLabel("old", &dialog);
    label->setObjectName("3210");
    CResultSet result;
    result.Parse("USER_NAME\x01" "USER_FULLNAME\x02" "zhang\x01" "张伟\x02");
    EXPECT_EQ(SetDlgItemFromResult(&dialog, 4012, result, "user_fullname"), 1);
    EXPECT_EQ(edit->text(), QStringLiteral("张伟"));
    EXPECT_EQ(SetDlgItemFromResult(&dialog, 3210, result, "USER_NAME"), 1);
    EXPECT_EQ(label->text(), "zhang");
    EXPECT_EQ(SetDlgItemFromResult(&dialog, 9999, result, "USER_NAME"), 0);
    CResultSet none;
    none.Parse("USER_NAME\x02");
    EXPECT_EQ(SetDlgItemFromResult(&dialog, 3210, none, "USER_NAME"), 1);
    EXPECT_EQ(label->text(), "");
    EXPECT_EQ(ClearDlgItemText(&dialog, 4012), 1);
    EXPECT_EQ(edit->text(), "");
    EXPECT_EQ(ClearDlgItemText(&dialog, 1), 0);

    const struct {
        QVariant value;
        const char* text;
    } cases[] = {{QVariant(42), "42"},
                 {QVariant(short(-3)), "-3"},
                 {QVariant(2.5), "2.500000"},
                 {QVariant(true), "-1"},
                 {QVariant(false), "0"},
                 {QVariant(QString("text")), "text"},
                 {QVariant(QDate(2008, 5, 6)), "Tuesday,May,06,2008"},
                 {QVariant(), ""},
                 {QVariant(QSize(1, 2)), ""}};
    for (const auto& c : cases) EXPECT_EQ(VariantToText(c.value), c.text) << c.text;
}
