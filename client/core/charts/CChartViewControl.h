// CChartViewControl: shows a chart as an image and gives tool tips for its
// hot spots (bars, line points, pie sectors). The chart lives on in a scene
// of the control's own, so the series' hovered signals name the hot spot
// under the mouse; the picture itself is the rendered image.
#pragma once

#include <QChart>
#include <QGraphicsScene>
#include <QImage>
#include <QLabel>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVector>

#include <memory>



// What the hot spots of a chart say: the tip is titleFormat with {label},
// {value} and {percent} (of the sum of the values) of the spot's point; a
// non-empty path makes the spots clickable.
struct CChartImageMap {
    QString path;
    QString titleFormat;
    QStringList labels;
    QVector<double> values;
};

class CChartViewControl : public QLabel {
    Q_OBJECT
public:
    explicit CChartViewControl(QWidget* parent = nullptr);
    ~CChartViewControl() override;

    // Shows the chart rendered at the given size and keeps it (null clears
    // the picture); the image map is cleared.
    void SetChart(QChart* chart, const QSize& size);
    QChart* GetChart() const { return m_chart; }
    const QImage& ChartImage() const { return m_image; }
    // An empty title format leaves the chart without hot spots.
    void SetImageMap(const CChartImageMap& map);
    bool HasImageMap() const { return m_hasMap; }
    void SetDefaultToolTip(const QString& text) { m_defaultTip = text; }

    // The tip the last mouse move chose, the hot spot it is over (-1 none)
    // and whether that spot has a link.
    const QString& TipText() const { return m_tipText; }
    int HotSpot() const { return m_hotSpot; }
    bool IsClickable() const { return m_clickable; }

    // The text of a hot spot's tip by the map's format.
    static QString FormatTip(const CChartImageMap& map, int index);
    static QString FormatNumber(double value);

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void ConnectSeries();
    void OnHover(int index, bool entered);
    void UpdateTip(const QPoint& at, Qt::MouseButtons buttons, const QPoint& global);

    QGraphicsScene m_scene;
    QPointer<QChart> m_chart;
    QImage m_image;
    CChartImageMap m_map;
    bool m_hasMap = false;
    QString m_defaultTip;
    QString m_tipText;
    int m_hotSpot = -1;
    int m_hovered = -1;  // the spot the series last reported entered
    bool m_clickable = false;
};
