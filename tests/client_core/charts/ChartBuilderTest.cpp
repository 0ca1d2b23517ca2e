// The chart builder and the chart view control offscreen: series, labels and
// values of each chart kind, the image file, and the tips of the hot spots.
#include "CChartBuilder.h"
#include "CChartViewControl.h"

#include <QApplication>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QDir>
#include <QFile>
#include <QGraphicsSimpleTextItem>
#include <QGraphicsTextItem>
#include <QLineSeries>
#include <QMouseEvent>
#include <QPieSeries>
#include <QPieSlice>
#include <QPointer>
#include <QScatterSeries>
#include <QValueAxis>
#include <QTemporaryDir>
#include <QtMath>
#include <gtest/gtest.h>

#include <cmath>

namespace {

ChartSeries Series(std::initializer_list<std::pair<const char*, double>> entries)
{
    ChartSeries series;
    for (const auto& entry : entries) series.AddValue(CListString(entry.first), entry.second);
    return series;
}

QStringList TextsOf(QChart* chart)
{
    QStringList texts;
    std::function<void(QGraphicsItem*)> walk = [&](QGraphicsItem* item) {
        if (auto* text = dynamic_cast<QGraphicsSimpleTextItem*>(item)) texts << text->text();
        for (QGraphicsItem* child : item->childItems()) walk(child);
    };
    walk(chart);
    return texts;
}

// Every item of the chart that shows something, in the chart's picture
// coordinates, with what it says when it is text.
struct ShownItem {
    QRectF bounds;
    QString text;
};
std::vector<ShownItem> ShownItems(QChart* chart)
{
    std::vector<ShownItem> items;
    std::function<void(QGraphicsItem*)> walk = [&](QGraphicsItem* item) {
        if (!item->isVisible()) return;
        QString text;
        if (auto* simple = dynamic_cast<QGraphicsSimpleTextItem*>(item)) text = simple->text();
        if (auto* rich = dynamic_cast<QGraphicsTextItem*>(item)) text = rich->toPlainText();
        const QRectF bounds = item->sceneBoundingRect();
        if (!bounds.isEmpty()) items.push_back({bounds, text});
        for (QGraphicsItem* child : item->childItems()) walk(child);
    };
    for (QGraphicsItem* child : chart->childItems()) walk(child);
    return items;
}

void Move(QWidget& widget, QPointF at, Qt::MouseButtons buttons = Qt::NoButton)
{
    QMouseEvent event(QEvent::MouseMove, at, widget.mapToGlobal(at), Qt::NoButton, buttons,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(&widget, &event);
}

class ChartTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        builder = std::make_unique<CChartBuilder>(dir.path());
        ASSERT_TRUE(builder->SetViewer(&viewer));
        viewer.resize(600, 400);
    }
    template <typename T>
    T* SeriesOf(int index = 0)
    {
        if (!viewer.GetChart() || viewer.GetChart()->series().size() <= index) return nullptr;
        return qobject_cast<T*>(viewer.GetChart()->series().at(index));
    }
    // A point inside the sector of a slice, half way out.
    QPointF InSlice(QPieSeries* pie, int index, int width, int height, int radius)
    {
        QPieSlice* slice = pie->slices().at(index);
        const double angle = qDegreesToRadians(slice->startAngle() + slice->angleSpan() / 2);
        return QPointF(width / 2.0 + std::sin(angle) * radius / 2.0,
                       height / 2.0 - std::cos(angle) * radius / 2.0);
    }

    QTemporaryDir dir;
    CChartViewControl viewer;
    std::unique_ptr<CChartBuilder> builder;
};

}  // namespace

TEST(ChartSeriesTest, EqualLabelsAddUpExactly)
{
    ChartSeries series = Series({{"A", 1}, {"B", 2}, {"A", 3}});
    ASSERT_EQ(series.GetCount(), 2);
    EXPECT_STREQ(series.GetEntry(0).label.CStr(), "A");
    EXPECT_EQ(series.GetEntry(0).value, 4);
    EXPECT_EQ(series.GetEntry(1).value, 2);
    series.AddValue(CListString("a"), 1);  // case counts
    EXPECT_EQ(series.GetCount(), 3);
    DestroyChartSeries(series);
    EXPECT_EQ(series.GetCount(), 0);
}

TEST(ChartSeriesTest, LabelsKeep199BytesAndWholeCharacters)
{
    struct Case {
        QString label;
        QString shown;
    } cases[] = {
        {"plain", "plain"},
        {QString(250, 'x'), QString(199, 'x')},
        // 3-byte characters: 66 of them fit in 199 bytes, not part of a 67th.
        {QString(100, QChar(0x7F3A)), QString(66, QChar(0x7F3A))},
        {"a" + QString(100, QChar(0x7F3A)), "a" + QString(66, QChar(0x7F3A))},
    };
    for (const Case& c : cases) {
        const QByteArray bytes = c.label.toUtf8();
        EXPECT_EQ(CChartBuilder::ChartLabel(CListString(bytes.constData(), bytes.size())), c.shown)
            << bytes.constData();
    }
}

TEST_F(ChartTest, WithoutViewerNothingIsDrawn)
{
    CChartBuilder lone(dir.path());
    EXPECT_FALSE(lone.SetViewer(nullptr));
    EXPECT_FALSE(lone.DrawBarChart(400, 300, Series({{"A", 1}}), CListString("t")));
    EXPECT_FALSE(lone.DrawLineChart(400, 300, Series({{"A", 1}}), CListString("t")));
    EXPECT_FALSE(lone.DrawPieChart(400, 300, Series({{"A", 1}}), CListString("t")));
    EXPECT_FALSE(QFile::exists(lone.ImagePath()));
    EXPECT_EQ(lone.CopyImage(dir.filePath("out.png")), 0);
    EXPECT_FALSE(lone.LastError().isEmpty());
    EXPECT_FALSE(QFile::exists(dir.filePath("out.png")));
}

TEST_F(ChartTest, BarChartShowsOneBarPerLabelWithItsValue)
{
    builder->SetBarMode(1);
    ASSERT_TRUE(builder->DrawBarChart(500, 300, Series({{"zhang", 3}, {"张伟", 5}, {"li", 2}, {"zhang", 1}}),
                                      CListString("by user")));
    auto* bars = SeriesOf<QBarSeries>();
    ASSERT_NE(bars, nullptr);
    ASSERT_EQ(bars->barSets().size(), 1);
    QBarSet* set = bars->barSets().first();
    ASSERT_EQ(set->count(), 3);
    EXPECT_EQ(set->at(0), 4);
    EXPECT_EQ(set->at(1), 5);
    EXPECT_EQ(set->at(2), 2);
    EXPECT_TRUE(bars->isLabelsVisible());
    auto* axis = qobject_cast<QBarCategoryAxis*>(viewer.GetChart()->axes(Qt::Horizontal).value(0));
    ASSERT_NE(axis, nullptr);
    EXPECT_EQ(axis->categories(), QStringList({"zhang", "张伟", "li"}));
    EXPECT_TRUE(TextsOf(viewer.GetChart()).contains("by user"));
    EXPECT_TRUE(TextsOf(viewer.GetChart()).contains("工作时间"));

    // The PNG file holds the chart at its size.
    QImage image(builder->ImagePath());
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(500, 300));
    EXPECT_EQ(viewer.pixmap().size(), QSize(500, 300));
    // Bar mode 0 draws the values as a line in the same frame.
    builder->SetBarMode(0);
    ASSERT_TRUE(builder->DrawBarChart(500, 300, Series({{"a", 1}, {"b", 2}}), CListString("t")));
    auto* line = SeriesOf<QLineSeries>();
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->count(), 2);
    EXPECT_EQ(line->at(1).y(), 2);
}

TEST_F(ChartTest, LineAndPieChartsCarryLabelsAndValues)
{
    ASSERT_TRUE(builder->DrawLineChart(500, 300, Series({{"00-高", 2}, {"01-中", 6}, {"02-低", 1}}),
                                       CListString("不同优先级缺陷数(单位个)")));
    auto* line = SeriesOf<QLineSeries>(0);
    auto* symbols = SeriesOf<QScatterSeries>(1);
    ASSERT_NE(line, nullptr);
    ASSERT_NE(symbols, nullptr);
    ASSERT_EQ(line->count(), 3);
    EXPECT_EQ(line->at(1), QPointF(1, 6));
    EXPECT_EQ(symbols->markerShape(), QScatterSeries::MarkerShapeRectangle);
    EXPECT_TRUE(symbols->pointLabelsVisible());
    EXPECT_TRUE(TextsOf(viewer.GetChart()).contains("不同优先级缺陷数(单位个)"));

    ASSERT_TRUE(builder->DrawPieChart(500, 400, Series({{"Demo", 3}, {"Zentry演示", 1}}),
                                      CListString("pie")));
    auto* pie = SeriesOf<QPieSeries>();
    ASSERT_NE(pie, nullptr);
    ASSERT_EQ(pie->count(), 2);
    EXPECT_EQ(pie->slices().at(0)->value(), 3);
    EXPECT_EQ(pie->slices().at(0)->label(), "Demo\n3(75.00%)");
    EXPECT_EQ(pie->slices().at(1)->label(), "Zentry演示\n1(25.00%)");
    // Radius: half the shorter side less 80, or less 30 in 3-D.
    EXPECT_NEAR(pie->pieSize(), 2 * (200 - 80) / 400.0, 1e-9);
    builder->Set3D(1);
    ASSERT_TRUE(builder->DrawPieChart(500, 400, Series({{"Demo", 3}}), CListString("pie")));
    // Less where the one label, below the pie, would leave the picture.
    EXPECT_LE(SeriesOf<QPieSeries>()->pieSize(), 2 * (200 - 30) / 400.0 + 1e-9);
    EXPECT_GE(SeriesOf<QPieSeries>()->pieSize(), 2 * (200 - 30 - 10) / 400.0);
}

TEST_F(ChartTest, SeriesAreCutAt2000AndEmptyOnesStillWriteTheImage)
{
    ChartSeries big;
    for (int i = 0; i < 2500; ++i) big.AddValue(CListString(QString::number(i).toUtf8().constData()), i);
    builder->SetBarMode(1);
    ASSERT_TRUE(builder->DrawBarChart(800, 300, big, CListString("big")));
    QBarSet* set = SeriesOf<QBarSeries>()->barSets().first();
    EXPECT_EQ(set->count(), 2000);
    EXPECT_EQ(set->at(1999), 1999);

    for (int kind = 0; kind < 3; ++kind) {
        QFile::remove(builder->ImagePath());
        const bool drawn = kind == 0   ? builder->DrawBarChart(300, 200, ChartSeries(), CListString(""))
                           : kind == 1 ? builder->DrawLineChart(300, 200, ChartSeries(), CListString(""))
                                       : builder->DrawPieChart(300, 200, ChartSeries(), CListString(""));
        EXPECT_TRUE(drawn) << kind;
        EXPECT_FALSE(QImage(builder->ImagePath()).isNull()) << kind;
        Move(viewer, QPointF(150, 100));
        EXPECT_EQ(viewer.HotSpot(), -1) << kind;
    }
}

TEST_F(ChartTest, BarTipsShowTheValueWithoutALink)
{
    builder->SetBarMode(1);
    ASSERT_TRUE(builder->DrawBarChart(500, 300, Series({{"a", 4}, {"b", 7}}), CListString("t")));
    QChart* chart = viewer.GetChart();
    auto* bars = SeriesOf<QBarSeries>();
    const QPointF inB = chart->mapToPosition(QPointF(1, 3.5), bars);
    Move(viewer, inB);
    EXPECT_EQ(viewer.HotSpot(), 1);
    EXPECT_EQ(viewer.TipText(), "7");
    EXPECT_FALSE(viewer.IsClickable());
    EXPECT_EQ(viewer.cursor().shape(), Qt::ArrowCursor);

    // Within the same bar the tip stays; between the bars the default (empty) tip.
    Move(viewer, inB + QPointF(0, 10));
    EXPECT_EQ(viewer.TipText(), "7");
    Move(viewer, chart->mapToPosition(QPointF(0.5, 1), bars));
    EXPECT_EQ(viewer.HotSpot(), -1);
    EXPECT_EQ(viewer.TipText(), "");
    Move(viewer, chart->mapToPosition(QPointF(0, 2), bars));
    EXPECT_EQ(viewer.TipText(), "4");
    // A held button empties the tip.
    Move(viewer, chart->mapToPosition(QPointF(1, 3), bars), Qt::LeftButton);
    EXPECT_EQ(viewer.TipText(), "");
}

TEST_F(ChartTest, PieTipsShowLabelAndPercentWithTheHand)
{
    ASSERT_TRUE(builder->DrawPieChart(500, 400, Series({{"负责人甲", 1}, {"zhang", 3}}), CListString("t")));
    auto* pie = SeriesOf<QPieSeries>();
    Move(viewer, InSlice(pie, 0, 500, 400, 120));
    EXPECT_EQ(viewer.HotSpot(), 0);
    EXPECT_EQ(viewer.TipText(), "负责人甲:(25.00%)");
    EXPECT_TRUE(viewer.IsClickable());
    EXPECT_EQ(viewer.cursor().shape(), Qt::PointingHandCursor);
    Move(viewer, InSlice(pie, 1, 500, 400, 120));
    EXPECT_EQ(viewer.TipText(), "zhang:(75.00%)");
    // Outside every sector: the default tip and the arrow.
    viewer.SetDefaultToolTip("chart");
    Move(viewer, QPointF(5, 395));
    EXPECT_EQ(viewer.HotSpot(), -1);
    EXPECT_EQ(viewer.TipText(), "chart");
    EXPECT_EQ(viewer.cursor().shape(), Qt::ArrowCursor);

    // A left click changes nothing.
    const QPointF at = InSlice(pie, 1, 500, 400, 120);
    Move(viewer, at);
    const QImage before = viewer.ChartImage();
    QMouseEvent press(QEvent::MouseButtonPress, at, viewer.mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, at, viewer.mapToGlobal(at), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&viewer, &press);
    QCoreApplication::sendEvent(&viewer, &release);
    EXPECT_EQ(viewer.ChartImage(), before);
    EXPECT_EQ(viewer.GetChart()->series().first(), pie);
    EXPECT_EQ(viewer.TipText(), "zhang:(75.00%)");
}

TEST_F(ChartTest, LinePointTipsShowLabelAndValue)
{
    ASSERT_TRUE(builder->DrawLineChart(500, 300, Series({{"a", 1}, {"b", 5}, {"c", 2}}), CListString("t")));
    QChart* chart = viewer.GetChart();
    Move(viewer, chart->mapToPosition(QPointF(1, 5), SeriesOf<QScatterSeries>(1)));
    EXPECT_EQ(viewer.TipText(), "b:(5)");
    EXPECT_TRUE(viewer.IsClickable());
}

TEST_F(ChartTest, ANewChartReplacesTheOldOne)
{
    ASSERT_TRUE(builder->DrawPieChart(300, 300, Series({{"a", 1}}), CListString("t")));
    QPointer<QChart> first = viewer.GetChart();
    ASSERT_TRUE(builder->DrawPieChart(300, 300, Series({{"b", 1}}), CListString("t")));
    EXPECT_TRUE(first.isNull());
    EXPECT_NE(viewer.GetChart(), nullptr);
    viewer.SetChart(nullptr, QSize());
    EXPECT_EQ(viewer.GetChart(), nullptr);
    EXPECT_TRUE(viewer.pixmap().isNull());
    Move(viewer, QPointF(150, 150));
    EXPECT_EQ(viewer.HotSpot(), -1);
}

TEST_F(ChartTest, CopyImageReplacesTheTargetWhole)
{
    const QString target = dir.filePath("export.png");
    {
        QFile old(target);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old");
    }
    EXPECT_EQ(builder->CopyImage(target), 0);  // no chart drawn yet
    EXPECT_EQ(QFile(target).size(), 3);
    ASSERT_TRUE(builder->DrawBarChart(300, 200, Series({{"a", 1}}), CListString("t")));
    ASSERT_EQ(builder->CopyImage(target), 1) << builder->LastError().toStdString();
    EXPECT_EQ(QImage(target).size(), QSize(300, 200));
    EXPECT_EQ(builder->CopyImage(dir.filePath("no/such/folder/x.png")), 0);
    EXPECT_FALSE(builder->LastError().isEmpty());
}

TEST_F(ChartTest, CountsGetWholeTicksAndNothingReachesOutOfThePicture)
{
    // Counts from one to five digits, long labels, at the size of the
    // statistics view and at a small one.
    const auto series = [] {
        return Series({{"zhang", 18}, {"li", 23456}, {"一个很长的项目名称", 3}, {"Zentry演示", 7}});
    };
    const QSize sizes[] = {QSize(1024, 545), QSize(420, 260)};
    for (const QSize& size : sizes) {
        for (int kind = 0; kind < 6; ++kind) {
            SCOPED_TRACE(testing::Message() << size.width() << "x" << size.height() << " kind " << kind);
            builder->SetBarMode(kind == 1 ? 0 : 1);
            builder->Set3D(kind == 4 ? 1 : 0);
            builder->SetPieLabelLayout(kind == 5 ? 1 : 0);
            const int w = size.width();
            const int h = size.height();
            const bool drawn = kind <= 1  ? builder->DrawBarChart(w, h, series(), CListString("t"))
                               : kind == 2 ? builder->DrawLineChart(w, h, series(), CListString("t"))
                                           : builder->DrawPieChart(w, h, series(), CListString("t"));
            ASSERT_TRUE(drawn);
            QChart* chart = viewer.GetChart();
            const QRectF picture = QRectF(0, 0, w, h).adjusted(-1, -1, 1, 1);
            for (const ShownItem& item : ShownItems(chart)) {
                EXPECT_TRUE(picture.contains(item.bounds))
                    << "'" << item.text.toStdString() << "' at " << item.bounds.x() << "," << item.bounds.y() << " "
                    << item.bounds.width() << "x" << item.bounds.height();
                // Counts and their ticks are whole numbers.
                bool number = false;
                item.text.toDouble(&number);
                if (number) {
                    EXPECT_FALSE(item.text.contains('.')) << item.text.toStdString();
                }
            }
            if (kind > 2) continue;
            auto* axis = qobject_cast<QValueAxis*>(chart->axes(Qt::Vertical).value(0));
            ASSERT_NE(axis, nullptr);
            const double step = (axis->max() - axis->min()) / (axis->tickCount() - 1);
            EXPECT_EQ(step, std::floor(step));
            EXPECT_GE(axis->max(), 23456);
            EXPECT_LE(axis->tickCount(), 11);
        }
    }

    // Other values keep their fractions.
    builder->SetBarMode(1);
    ASSERT_TRUE(builder->DrawBarChart(500, 300, Series({{"a", 0.25}, {"b", 1.5}}), CListString("t")));
    auto* axis = qobject_cast<QValueAxis*>(viewer.GetChart()->axes(Qt::Vertical).value(0));
    ASSERT_NE(axis, nullptr);
    EXPECT_GE(axis->max(), 1.5);
    EXPECT_LT(axis->max(), 3);
}

TEST_F(ChartTest, TheImageFileIsThePictureShown)
{
    builder->SetBarMode(1);
    ASSERT_TRUE(builder->DrawBarChart(600, 350, Series({{"a", 3}, {"b", 12}}), CListString("t")));
    const QString target = dir.filePath("export.png");
    ASSERT_EQ(builder->CopyImage(target), 1);
    EXPECT_EQ(QImage(target).convertToFormat(QImage::Format_ARGB32),
              viewer.ChartImage().convertToFormat(QImage::Format_ARGB32));
    EXPECT_EQ(viewer.pixmap().toImage().convertToFormat(QImage::Format_ARGB32),
              viewer.ChartImage().convertToFormat(QImage::Format_ARGB32));
}

// Counts by status where a slice's label sits at the bottom of the
// picture, at sizes about the statistics view's: every label and arm stays
// inside the picture, with 3-D (the larger pie) and without.
TEST_F(ChartTest, PieLabelsAtTheBottomStayInsideThePicture)
{
    const struct {
        QSize size;
        std::vector<double> counts;
    } cases[] = {{QSize(1001, 565), {6, 6, 2, 3, 6, 2, 6}}, {QSize(1014, 545), {5, 2, 1, 1, 5, 3, 5}},
                 {QSize(1000, 540), {6, 4, 1, 1, 4, 1, 5}}, {QSize(1012, 526), {6, 3, 5, 2, 2, 4, 6}},
                 {QSize(1016, 538), {5, 5, 5, 6, 5, 5, 5}}, {QSize(1016, 538), {2, 3, 3, 20, 1, 1, 2}}};
    const char* const statuses[] = {"00-New", "01-Open", "02-Fixed", "03-Closed", "04-ReOpen", "05-Reject",
                                    "06-Delay"};
    for (const auto& c : cases) {
        for (int threeD : {1, 0}) {
            SCOPED_TRACE(testing::Message() << c.size.width() << "x" << c.size.height() << " 3-D " << threeD
                                            << " closed " << c.counts[3]);
            ChartSeries series;
            for (size_t i = 0; i < c.counts.size(); ++i) series.AddValue(CListString(statuses[i]), c.counts[i]);
            builder->Set3D(threeD);
            ASSERT_TRUE(builder->DrawPieChart(c.size.width(), c.size.height(), series, CListString("t")));
            const QRectF picture(0, 0, c.size.width(), c.size.height());
            int labels = 0;
            for (const ShownItem& item : ShownItems(viewer.GetChart())) {
                EXPECT_TRUE(picture.contains(item.bounds))
                    << "'" << item.text.toStdString() << "' at " << item.bounds.x() << "," << item.bounds.y()
                    << " " << item.bounds.width() << "x" << item.bounds.height();
                if (item.text.contains('%')) ++labels;
            }
            EXPECT_EQ(labels, 7);
            // The pie is not shrunk for nothing: it keeps most of its room.
            auto* pie = SeriesOf<QPieSeries>();
            ASSERT_NE(pie, nullptr);
            EXPECT_GT(pie->pieSize(), 0.5);
        }
    }
}
