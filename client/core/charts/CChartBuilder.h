// CChartBuilder: turns (label, value) pairs into a bar, line or pie chart,
// writes it as a PNG file and hands it to a CChartViewControl for display
// and tool tips. 3-D charts are drawn flat.
#pragma once

#include "CListString.h"

#include <QString>

#include <vector>

class QChart;
class CChartViewControl;

struct ChartEntry {
    CListString label;
    double value;
};

// Entries in order of first appearance; equal labels add up.
class ChartSeries {
public:
    // Adds value to the entry whose label equals label exactly, or appends one.
    void AddValue(const CListString& label, double value);
    int GetCount() const { return static_cast<int>(m_entries.size()); }
    const ChartEntry& GetEntry(int index) const { return m_entries[index]; }

    std::vector<ChartEntry> m_entries;
};

void DestroyChartSeries(ChartSeries& series);

class CChartBuilder {
public:
    // The image file is "<folder>/tmpchart.png".
    explicit CChartBuilder(const QString& folder);
    virtual ~CChartBuilder();

    // false for a null viewer.
    bool SetViewer(CChartViewControl* viewer);
    void Set3D(int on) { m_3d = on; }
    void SetBarMode(int mode) { m_barMode = mode; }
    void SetPieLabelLayout(int on) { m_pieLabelLayout = on; }
    void SetValueLabels(int on) { m_valueLabels = on; }

    // Draw a chart of that size; false without a viewer (nothing drawn) or
    // when the image file could not be written (the chart is still shown).
    bool DrawBarChart(int width, int height, ChartSeries series, CListString title);
    bool DrawLineChart(int width, int height, ChartSeries series, CListString title);
    bool DrawPieChart(int width, int height, ChartSeries series, CListString title);

    // Copies the image file over target (replaced whole or left as it was);
    // non-zero on success, else 0 with LastError set.
    int CopyImage(const QString& target);

    const QString& ImagePath() const { return m_imagePath; }
    const QString& LastError() const { return m_lastError; }

    // The most entries a chart shows; the bytes a label keeps.
    static constexpr int kMaxPoints = 2000;
    static constexpr int kLabelBytes = 199;
    // A label as the chart shows it: at most kLabelBytes bytes of UTF-8,
    // never part of a character.
    static QString ChartLabel(const CListString& label);

private:
    bool Prepare(ChartSeries& series, const CListString& title, QStringList& labels,
                 QVector<double>& values, QString& titleText) const;
    void AddTitle(QChart* chart, int width, const QString& title) const;
    bool Show(QChart* chart, int width, int height, const QString& path, const QString& format,
              const QStringList& labels, const QVector<double>& values);

    CChartViewControl* m_viewer;
    int m_3d;
    int m_barMode;
    int m_pieLabelLayout;
    int m_valueLabels;
    QString m_imagePath;
    QString m_lastError;
};
