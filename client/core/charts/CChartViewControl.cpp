#include "CChartViewControl.h"

#include <QAbstractBarSeries>
#include <QBarSet>
#include <QChart>
#include <QCoreApplication>
#include <QGraphicsLayout>
#include <QGraphicsSceneMouseEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPieSeries>
#include <QPieSlice>
#include <QToolTip>
#include <QXYSeries>

#include <cmath>

CChartViewControl::CChartViewControl(QWidget* parent) : QLabel(parent)
{
    // The picture's pixels are the scene's coordinates.
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setMouseTracking(true);
}

CChartViewControl::~CChartViewControl()
{
    // The series' signals must not reach a half-destroyed control.
    if (m_chart) m_chart->disconnect(this);
    delete m_chart.data();
}

void CChartViewControl::SetChart(QChart* chart, const QSize& size)
{
    SetImageMap(CChartImageMap());
    delete m_chart.data();
    m_chart = chart;
    if (!chart) {
        m_image = QImage();
        clear();
        return;
    }
    m_scene.addItem(chart);
    chart->setGeometry(QRectF(QPointF(0, 0), QSizeF(size)));
    m_scene.setSceneRect(QRectF(QPointF(0, 0), QSizeF(size)));
    // Lay the chart out now: the picture is taken at once.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    if (chart->layout()) chart->layout()->activate();
    m_image = QImage(size.expandedTo(QSize(1, 1)), QImage::Format_ARGB32);
    m_image.fill(Qt::white);
    {
        QPainter painter(&m_image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        m_scene.render(&painter, QRectF(m_image.rect()), m_scene.sceneRect());
    }
    setPixmap(QPixmap::fromImage(m_image));
}

void CChartViewControl::SetImageMap(const CChartImageMap& map)
{
    if (m_chart) m_chart->disconnect(this);
    for (QObject* child : m_chart ? m_chart->findChildren<QObject*>() : QList<QObject*>())
        child->disconnect(this);
    m_hotSpot = -1;
    m_hovered = -1;
    m_clickable = false;
    m_map = map;
    m_hasMap = !map.titleFormat.isEmpty();
    if (m_hasMap && m_chart) ConnectSeries();
}

void CChartViewControl::ConnectSeries()
{
    for (QAbstractSeries* series : m_chart->series()) {
        if (auto* bars = qobject_cast<QAbstractBarSeries*>(series)) {
            for (QBarSet* set : bars->barSets())
                connect(set, &QBarSet::hovered, this,
                        [this](bool status, int index) { OnHover(index, status); });
        } else if (auto* pie = qobject_cast<QPieSeries*>(series)) {
            connect(pie, &QPieSeries::hovered, this, [this, pie](QPieSlice* slice, bool state) {
                OnHover(pie->slices().indexOf(slice), state);
            });
        } else if (auto* xy = qobject_cast<QXYSeries*>(series)) {
            // Points sit at x = 0, 1, 2 ...: the nearest one is the spot.
            connect(xy, &QXYSeries::hovered, this, [this](const QPointF& point, bool state) {
                OnHover(static_cast<int>(std::lround(point.x())), state);
            });
        }
    }
}

void CChartViewControl::OnHover(int index, bool entered)
{
    if (entered)
        m_hovered = index;
    else if (m_hovered == index)
        m_hovered = -1;
}

QString CChartViewControl::FormatNumber(double value)
{
    return QString::number(value, 'g', 12);
}

QString CChartViewControl::FormatTip(const CChartImageMap& map, int index)
{
    if (index < 0 || index >= map.values.size()) return QString();
    double sum = 0;
    for (double value : map.values) sum += value;
    const double value = map.values[index];
    const double percent = sum != 0 ? value * 100.0 / sum : 0.0;
    QString tip = map.titleFormat;
    tip.replace(QLatin1String("{label}"), map.labels.value(index));
    tip.replace(QLatin1String("{value}"), FormatNumber(value));
    tip.replace(QLatin1String("{percent}"), QString::number(percent, 'f', 2));
    return tip;
}

void CChartViewControl::mouseMoveEvent(QMouseEvent* event)
{
    UpdateTip(event->position().toPoint(), event->buttons(), event->globalPosition().toPoint());
    QLabel::mouseMoveEvent(event);
}

void CChartViewControl::leaveEvent(QEvent* event)
{
    UpdateTip(QPoint(-10000, -10000), Qt::NoButton, QPoint());
    QLabel::leaveEvent(event);
}

void CChartViewControl::UpdateTip(const QPoint& at, Qt::MouseButtons buttons, const QPoint& global)
{
    if (buttons != Qt::NoButton) {
        m_tipText.clear();
        QToolTip::hideText();
        return;
    }
    if (!m_chart || !m_hasMap) return;
    // The scene tells the series what is under the point; they report back.
    QGraphicsSceneMouseEvent move(QEvent::GraphicsSceneMouseMove);
    move.setScenePos(at);
    move.setPos(at);
    move.setScreenPos(global);
    move.setButtons(Qt::NoButton);
    move.setLastScenePos(at);
    QCoreApplication::sendEvent(&m_scene, &move);

    const int spot = m_hovered;
    if (spot == m_hotSpot) return;
    m_hotSpot = spot;
    if (spot >= 0) {
        m_clickable = !m_map.path.isEmpty();
        m_tipText = FormatTip(m_map, spot);
    } else {
        m_clickable = false;
        m_tipText = m_defaultTip;
    }
    setCursor(m_clickable ? Qt::PointingHandCursor : Qt::ArrowCursor);
    setToolTip(m_tipText);
    if (m_tipText.isEmpty())
        QToolTip::hideText();
    else if (!global.isNull())
        QToolTip::showText(global, m_tipText, this);
}
