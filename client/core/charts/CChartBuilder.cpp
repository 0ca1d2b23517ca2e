#include "CChartBuilder.h"

#include "CChartViewControl.h"
#include "TextEncoding.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGraphicsLayout>
#include <QGraphicsRectItem>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QGraphicsTextItem>
#include <QLegend>
#include <QLineSeries>
#include <QPieSeries>
#include <QPieSlice>
#include <QScatterSeries>
#include <QValueAxis>
#include <QtMath>

#include <algorithm>
#include <cmath>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <limits>
#include <vector>

namespace {

const QColor kBackground(0xE9, 0xE9, 0xE9);
const QColor kSeriesColour(0xFF, 0x99, 0x00);
const QColor kSymbolColour(0xFF, 0x00, 0x00);
const int kTitleHeight = 22;
// Between a value label's right end and the plot area: the tick and gaps.
const int kLabelRoom = 12;
// The pie's legend at the right; the least gap between a label and an edge
// (or a label and its text).
const int kLegendWidth = 120;
const int kLabelGap = 4;

QFont ChartFont(int pointSize, bool bold = false)
{
    QFont font;
    // SimSun and SimHei where installed, else a CJK face of the system.
    font.setFamilies(bold ? QStringList{"SimHei", "Noto Sans CJK SC", "WenQuanYi Zen Hei"}
                          : QStringList{"SimSun", "Noto Sans CJK SC", "WenQuanYi Zen Hei"});
    font.setPointSize(pointSize);
    font.setBold(bold);
    return font;
}

void SetBackground(QChart* chart, bool edge)
{
    chart->setBackgroundRoundness(0);
    chart->setBackgroundBrush(kBackground);
    chart->setBackgroundPen(edge ? QPen(Qt::black) : QPen(Qt::NoPen));
    chart->setDropShadowEnabled(false);
    chart->setMargins(QMargins(0, 0, 0, 0));
}

// The value axis. Counts (whole values) get whole ticks, at most ten steps
// of 1, 2 or 5 times a power of ten, with room above the highest value for
// its label; other values get the axis's nice numbers.
QValueAxis* ValueAxis(QChart* chart, const QVector<double>& values)
{
    auto* axis = new QValueAxis(chart);
    double top = 0;
    bool whole = true;
    for (double value : values) {
        top = std::max(top, value);
        whole = whole && std::floor(value) == value;
    }
    const double wanted = top > 0 ? top * 1.1 : 1;
    if (whole && std::isfinite(wanted)) {
        double step = 1;
        for (double scale = 1;; scale *= 10) {
            const double steps[] = {scale, 2 * scale, 5 * scale};
            const double* fit = std::find_if(std::begin(steps), std::end(steps),
                                             [wanted](double s) { return std::ceil(wanted / s) <= 10; });
            if (fit != std::end(steps)) {
                step = *fit;
                break;
            }
        }
        const int count = static_cast<int>(std::ceil(wanted / step));
        axis->setRange(0, count * step);
        axis->setTickCount(count + 1);
        axis->setLabelFormat("%.0f");
    } else {
        axis->setRange(0, wanted);
        axis->applyNiceNumbers();
        axis->setLabelFormat("%g");
    }
    axis->setMinorTickCount(0);
    axis->setGridLineColor(QColor(0xC0, 0xC0, 0xC0));
    axis->setLabelsFont(ChartFont(8));
    return axis;
}

// The widest tick label of a value axis.
int WidestLabel(const QValueAxis* axis)
{
    const QFontMetrics metrics(axis->labelsFont());
    int widest = 0;
    const int count = std::max(2, axis->tickCount());
    for (int i = 0; i < count; ++i) {
        const double value = axis->min() + i * (axis->max() - axis->min()) / (count - 1);
        const QString text = QString::asprintf(axis->labelFormat().toLatin1().constData(), value);
        widest = std::max(widest, metrics.horizontalAdvance(text));
    }
    return widest;
}

// The category axis and the value axis of a bar or line chart, and the plot
// area at (30, 30) of width - 50 by height - 60, its left side moved right
// as far as the value labels need.
void AddAxes(QChart* chart, int width, int height, const QStringList& labels, const QVector<double>& values)
{
    auto* x = new QBarCategoryAxis(chart);
    x->append(labels);
    x->setLabelsFont(ChartFont(10));
    x->setGridLineVisible(false);
    QValueAxis* y = ValueAxis(chart, values);
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    for (QAbstractSeries* series : chart->series()) {
        series->attachAxis(x);
        series->attachAxis(y);
    }
    const int left = std::max(30, WidestLabel(y) + kLabelRoom);
    chart->setPlotArea(QRectF(left, 30, std::max(1, width - 20 - left), std::max(1, height - 60)));
}

void AddLine(QChart* chart, const QVector<double>& values, bool pointLabels)
{
    auto* line = new QLineSeries(chart);
    auto* symbols = new QScatterSeries(chart);
    for (int i = 0; i < values.size(); ++i) {
        line->append(i, values[i]);
        symbols->append(i, values[i]);
    }
    line->setPen(QPen(kSeriesColour, 2));
    symbols->setMarkerShape(QScatterSeries::MarkerShapeRectangle);
    symbols->setMarkerSize(6);
    symbols->setColor(kSymbolColour);
    symbols->setBorderColor(kSymbolColour);
    if (pointLabels) {
        symbols->setPointLabelsFormat("@yPoint");
        symbols->setPointLabelsVisible(true);
        symbols->setPointLabelsFont(ChartFont(8));
        symbols->setPointLabelsClipping(false);
    }
    chart->addSeries(line);
    chart->addSeries(symbols);
}

// The largest radius at which every label outside its sector stays inside
// the chart and below the title. A label sits at the end of its arm, which
// reaches a share of the radius beyond the sector at the sector's middle
// angle, and runs from there outwards on one line, above the arm.
double OutsideLabelsRadius(const QPieSeries* pie, int width, int height)
{
    const double cx = width / 2.0;
    const double cy = height / 2.0;
    double radius = std::numeric_limits<double>::max();
    const auto limit = [&radius](double room, double per) {
        if (per > 1e-9) radius = std::min(radius, room / per);
    };
    for (const QPieSlice* slice : pie->slices()) {
        const QFontMetrics metrics(slice->labelFont());
        QString line = slice->label();
        line.replace(QLatin1Char('\n'), QLatin1Char(' '));
        const double text = metrics.horizontalAdvance(line) + kLabelGap;
        const double high = metrics.height() + kLabelGap;
        const double reach = 1 + slice->labelArmLengthFactor();
        const double angle = qDegreesToRadians(slice->startAngle() + slice->angleSpan() / 2);
        const double across = std::sin(angle) * reach;
        const double up = std::cos(angle) * reach;
        if (across >= 0) limit(width - kLabelGap - text - cx, across);
        else limit(cx - kLabelGap - text, -across);
        if (up >= 0) limit(cy - kTitleHeight - kLabelGap - high, up);
        else limit(height - kLabelGap - cy, -up);
    }
    return std::max(0.0, radius);
}

// How far the labels the chart library placed outside their sectors (with
// their arms) reach beyond the picture, less a gap at its edges and below
// the title; 0 when they all fit. The chart is laid out at its size first.
double LabelOverflow(QChart* chart, int width, int height)
{
    chart->setGeometry(QRectF(0, 0, width, height));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    if (chart->layout()) chart->layout()->activate();
    const QRectF room(kLabelGap, kTitleHeight + kLabelGap, width - 2 * kLabelGap,
                      height - kTitleHeight - 2 * kLabelGap);
    double overflow = 0;
    std::function<void(QGraphicsItem*)> walk = [&](QGraphicsItem* item) {
        if (!item->isVisible()) return;
        // The sectors' labels are the library's rich text items with a
        // text; the title and the legend drawn here are simple ones, the
        // library's legend is hidden and its title empty.
        auto* text = dynamic_cast<QGraphicsTextItem*>(item);
        if (text && !text->toPlainText().isEmpty()) {
            const QRectF box = item->sceneBoundingRect();
            overflow = std::max({overflow, room.left() - box.left(), box.right() - room.right(),
                                 room.top() - box.top(), box.bottom() - room.bottom()});
        }
        for (QGraphicsItem* child : item->childItems()) walk(child);
    };
    for (QGraphicsItem* child : chart->childItems()) walk(child);
    return overflow;
}

// Shrinks the pie until its outside labels fit the picture. The estimate
// of OutsideLabelsRadius does not know every offset the library adds (the
// gap before an arm, the margins of a label's text), so the laid-out chart
// is measured; a label moves at least as far as the radius shrinks.
void FitOutsideLabels(QChart* chart, QPieSeries* pie, int width, int height, double radius)
{
    QGraphicsScene scene;
    scene.addItem(chart);
    const double shorter = std::max(1.0, std::min<double>(width, height));
    for (int pass = 0; pass < 8 && radius > 0; ++pass) {
        const double overflow = LabelOverflow(chart, width, height);
        if (overflow <= 0) break;
        radius = std::max(0.0, radius - std::ceil(overflow));
        pie->setPieSize(std::min(1.0, 2 * radius / shorter));
    }
    scene.removeItem(chart);
}

// The legend at the right, one sector a line: its colour and its name, cut
// with an ellipsis where the name is wider than the legend. Drawn here, so
// that it shows the names and not the sectors' labels.
void AddLegend(QChart* chart, const QPieSeries* pie, int width, int height, const QStringList& names)
{
    chart->legend()->hide();
    const QFont font = ChartFont(10);
    const QFontMetrics metrics(font);
    const int line = metrics.height();
    const int x = width - kLegendWidth;
    const int square = 10;
    int y = 40;
    for (int i = 0; i < pie->count() && y + line <= height - kLabelGap; ++i, y += line + 4) {
        const QPieSlice* slice = pie->slices().at(i);
        auto* mark = new QGraphicsRectItem(x, y + (line - square) / 2, square, square, chart);
        mark->setBrush(slice->brush());
        mark->setPen(slice->pen());
        const int room = kLegendWidth - kLabelGap - square - 6;
        auto* text = new QGraphicsSimpleTextItem(metrics.elidedText(names.value(i), Qt::ElideRight, room), chart);
        text->setFont(font);
        text->setBrush(Qt::black);
        text->setPos(x + square + 6, y);
    }
}

}  // namespace

void ChartSeries::AddValue(const CListString& label, double value)
{
    for (ChartEntry& entry : m_entries) {
        if (entry.label.Compare(label.CStr()) == 0) {
            entry.value += value;
            return;
        }
    }
    m_entries.push_back(ChartEntry{label, value});
}

void DestroyChartSeries(ChartSeries& series)
{
    series.m_entries.clear();
    series.m_entries.shrink_to_fit();
}

CChartBuilder::CChartBuilder(const QString& folder)
    : m_viewer(nullptr), m_3d(0), m_barMode(0), m_pieLabelLayout(0), m_valueLabels(1),
      m_imagePath(folder + QStringLiteral("/tmpchart.png"))
{
}

CChartBuilder::~CChartBuilder() = default;

bool CChartBuilder::SetViewer(CChartViewControl* viewer)
{
    if (!viewer) return false;
    m_viewer = viewer;
    return true;
}

QString CChartBuilder::ChartLabel(const CListString& label)
{
    const int length = std::min(label.GetLength(), kLabelBytes);
    std::vector<char> buffer(3 * static_cast<size_t>(length) + 1);
    // A character cut at the end of the count is left out.
    const int converted = AnsiToUtf8(label.CStr(), length, buffer.data());
    int keep = std::min(converted, kLabelBytes);
    while (keep > 0 && (static_cast<unsigned char>(buffer[keep]) & 0xC0) == 0x80 && keep < converted)
        --keep;
    return QString::fromUtf8(buffer.data(), keep);
}

bool CChartBuilder::Prepare(ChartSeries& series, const CListString& title, QStringList& labels,
                            QVector<double>& values, QString& titleText) const
{
    const int count = std::min(series.GetCount(), kMaxPoints);
    for (int i = 0; i < count; ++i) {
        labels << ChartLabel(series.GetEntry(i).label);
        values << series.GetEntry(i).value;
    }
    DestroyChartSeries(series);
    std::vector<char> buffer(3 * static_cast<size_t>(title.GetLength()) + 1);
    const int length = AnsiToUtf8(title.CStr(), title.GetLength(), buffer.data());
    titleText = QString::fromUtf8(buffer.data(), length);
    return m_viewer != nullptr;
}

void CChartBuilder::AddTitle(QChart* chart, int width, const QString& title) const
{
    // The title in a grey glass box across the top.
    auto* box = new QGraphicsRectItem(0, 0, width, kTitleHeight, chart);
    QLinearGradient glass(0, 0, 0, kTitleHeight);
    glass.setColorAt(0, QColor(0xF4, 0xF4, 0xF4));
    glass.setColorAt(0.5, QColor(0xDD, 0xDD, 0xDD));
    glass.setColorAt(1, QColor(0xC8, 0xC8, 0xC8));
    box->setBrush(glass);
    box->setPen(Qt::NoPen);
    auto* text = new QGraphicsSimpleTextItem(title, box);
    text->setFont(ChartFont(10));
    text->setBrush(Qt::black);
    const QRectF bounds = text->boundingRect();
    text->setPos((width - bounds.width()) / 2, (kTitleHeight - bounds.height()) / 2);
}

bool CChartBuilder::Show(QChart* chart, int width, int height, const QString& path,
                         const QString& format, const QStringList& labels,
                         const QVector<double>& values)
{
    m_viewer->SetChart(chart, QSize(width, height));
    m_viewer->SetImageMap(CChartImageMap{path, format, labels, values});
    m_lastError.clear();
    QDir().mkpath(QFileInfo(m_imagePath).absolutePath());
    if (!m_viewer->ChartImage().save(m_imagePath, "PNG")) {
        m_lastError = QStringLiteral("cannot write %1").arg(m_imagePath);
        return false;
    }
    return true;
}

bool CChartBuilder::DrawBarChart(int width, int height, ChartSeries series, CListString title)
{
    QStringList labels;
    QVector<double> values;
    QString titleText;
    if (!Prepare(series, title, labels, values, titleText)) return false;

    auto* chart = new QChart;
    SetBackground(chart, false);
    chart->legend()->hide();
    chart->setPlotAreaBackgroundVisible(false);
    AddTitle(chart, width, titleText);
    auto* note = new QGraphicsSimpleTextItem(QStringLiteral("工作时间"), chart);
    note->setFont(ChartFont(8));
    note->setBrush(QColor(0x00, 0x00, 0x88));
    note->setPos(30, 5);

    if (m_barMode == 1) {
        auto* set = new QBarSet(QString(), chart);
        for (double value : values) set->append(value);
        set->setColor(kSeriesColour);
        set->setBorderColor(Qt::transparent);
        auto* bars = new QBarSeries(chart);
        bars->append(set);
        bars->setBarWidth(0.7);
        if (m_valueLabels) {
            bars->setLabelsVisible(true);
            bars->setLabelsPosition(QAbstractBarSeries::LabelsOutsideEnd);
            bars->setLabelsFormat("@value");
            set->setLabelColor(Qt::black);
            set->setLabelFont(ChartFont(8));
        }
        chart->addSeries(bars);
    } else {
        AddLine(chart, values, m_valueLabels != 0);
    }
    AddAxes(chart, width, height, labels, values);
    return Show(chart, width, height, QString(), QStringLiteral("{value}"), labels, values);
}

bool CChartBuilder::DrawLineChart(int width, int height, ChartSeries series, CListString title)
{
    QStringList labels;
    QVector<double> values;
    QString titleText;
    if (!Prepare(series, title, labels, values, titleText)) return false;

    auto* chart = new QChart;
    SetBackground(chart, true);
    chart->legend()->hide();
    chart->setPlotAreaBackgroundVisible(true);
    chart->setPlotAreaBackgroundBrush(kBackground);
    AddTitle(chart, width, titleText);
    AddLine(chart, values, true);
    AddAxes(chart, width, height, labels, values);
    return Show(chart, width, height, QStringLiteral("clickable"), QStringLiteral("{label}:({value})"),
                labels, values);
}

bool CChartBuilder::DrawPieChart(int width, int height, ChartSeries series, CListString title)
{
    QStringList labels;
    QVector<double> values;
    QString titleText;
    if (!Prepare(series, title, labels, values, titleText)) return false;

    auto* chart = new QChart;
    SetBackground(chart, true);
    chart->setPlotArea(QRectF(0, 0, width, height));
    AddTitle(chart, width, titleText);

    auto* pie = new QPieSeries(chart);
    for (int i = 0; i < values.size(); ++i) pie->append(labels[i], values[i]);
    pie->setHorizontalPosition(0.5);
    pie->setVerticalPosition(0.5);
    for (QPieSlice* slice : pie->slices()) {
        const QString name = slice->label();
        slice->setLabel(QStringLiteral("%1\n%2(%3%)")
                            .arg(name, CChartViewControl::FormatNumber(slice->value()),
                                 QString::number(slice->percentage() * 100, 'f', 2)));
        slice->setLabelFont(ChartFont(10));
        slice->setLabelVisible(true);
        // The free layout puts the labels at the sectors, the other one outside.
        slice->setLabelPosition(m_pieLabelLayout ? QPieSlice::LabelInsideHorizontal
                                                 : QPieSlice::LabelOutside);
    }
    double radius = std::max(0.0, std::min(width / 2.0, height / 2.0) - (m_3d ? 30 : 80));
    if (!m_pieLabelLayout) radius = std::min(radius, OutsideLabelsRadius(pie, width, height));
    const double shorter = std::max(1.0, std::min<double>(width, height));
    pie->setPieSize(std::min(1.0, 2 * std::max(0.0, radius) / shorter));
    chart->addSeries(pie);
    chart->legend()->hide();
    if (!m_pieLabelLayout) FitOutsideLabels(chart, pie, width, height, std::max(0.0, radius));

    AddLegend(chart, pie, width, height, labels);
    return Show(chart, width, height, QStringLiteral("clickable"),
                QStringLiteral("{label}:({percent}%)"), labels, values);
}

int CChartBuilder::CopyImage(const QString& target)
{
    m_lastError.clear();
    QFile source(m_imagePath);
    if (!source.exists()) {
        m_lastError = QStringLiteral("%1: no chart image").arg(m_imagePath);
        return 0;
    }
    // Copy beside the target, then rename over it: never half a file.
    const QString temp = target + QStringLiteral(".part");
    QFile::remove(temp);
    if (!source.copy(temp)) {
        m_lastError = QStringLiteral("%1: %2").arg(target, source.errorString());
        return 0;
    }
    if (std::rename(QFile::encodeName(temp).constData(), QFile::encodeName(target).constData()) != 0) {
        m_lastError = QStringLiteral("%1: %2").arg(target, QString::fromLocal8Bit(strerror(errno)));
        QFile::remove(temp);
        return 0;
    }
    return 1;
}
