// CQueryDefectForm: the statistics view (1065). Counts defects grouped by
// responsible user, project, status, priority or severity (or the
// not-closed defects per project) under the chosen filters, and shows the
// counts as a bar, line or pie chart or as a grid of (label, count) pairs.
#pragma once

#include "CChartBuilder.h"
#include "IFrameView.h"

#include <QSize>
#include <QString>
#include <QWidget>

#include <memory>

class QCheckBox;
class QComboBox;
class QDateTimeEdit;
class QPushButton;
class CAppContext;
class CChartViewControl;
class CResultGrid;

class CQueryDefectForm : public QWidget, public IFrameView {
    Q_OBJECT
public:
    enum {
        ViewId = 1065,
        GridId = 179,
        ChartId = 201,
        ProjectId = 202,
        StartId = 203,
        EndId = 204,
        ResponsibleId = 205,
        ExportId = 206,
        MeId = 207,
        DetectorId = 208,
        TypeId = 209,
        ThreeDId = 210,
        ChartTypeId = 211,
        LabelLayoutId = 212,
        ShowChartId = 213,
        ShowGridId = 200,
        StatusId = 3017,
        ExportFailedTextId = 9140,
    };
    // The grid and the chart start this far below the top of the view.
    static constexpr int kTopArea = 75;

    CQueryDefectForm(CAppContext& context, QWidget* parent = nullptr);
    ~CQueryDefectForm() override;

    QWidget* Widget() override { return this; }

    QComboBox* ProjectCombo() const { return m_project; }
    QComboBox* StatusCombo() const { return m_status; }
    QComboBox* ResponsibleCombo() const { return m_responsible; }
    QComboBox* DetectorCombo() const { return m_detector; }
    QComboBox* TypeCombo() const { return m_type; }
    QComboBox* ChartTypeCombo() const { return m_chartType; }
    QDateTimeEdit* StartDate() const { return m_start; }
    QDateTimeEdit* EndDate() const { return m_end; }
    QCheckBox* ThreeDBox() const { return m_threeD; }
    QCheckBox* LabelLayoutBox() const { return m_labelLayout; }
    QPushButton* GridButton() const { return m_showGrid; }
    QPushButton* ChartButton() const { return m_showChart; }
    QPushButton* ExportButton() const { return m_export; }
    QPushButton* MeButton() const { return m_me; }
    CResultGrid* Grid() const { return m_grid; }
    CChartViewControl* ChartControl() const { return m_chart; }
    CChartBuilder& Builder() { return m_builder; }
    // The statement and title of the last statistic that ran.
    const QString& LastSql() const { return m_lastSql; }
    const QString& LastTitle() const { return m_lastTitle; }

    // Runs the chosen statistic; false when nothing ran or the server failed.
    bool RunStatistic();
    // Copies the chart image to path; the result is shown to the user.
    bool ExportTo(const QString& path);

public slots:
    void OnShowGrid();
    void OnShowChart();
    void OnPickMe();
    // A chart type chosen takes effect at once.
    void OnChartType();
    void OnExport();
    void LocalizeCaptions() override;

public:
    // As wide as the strip of controls needs.
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void BuildControls();
    void FillControls();
    void LayoutResult();
    // Where the grid and the chart go: below the strip of controls.
    QRect ChartArea() const;
    // The last statistic's chart, at the size of the chart area now.
    void DrawChart();

    CAppContext& m_context;
    CChartBuilder m_builder;
    QWidget* m_panel;
    QComboBox* m_project;
    QComboBox* m_status;
    QComboBox* m_responsible;
    QComboBox* m_detector;
    QComboBox* m_type;
    QComboBox* m_chartType;
    QDateTimeEdit* m_start;
    QDateTimeEdit* m_end;
    QCheckBox* m_threeD;
    QCheckBox* m_labelLayout;
    QPushButton* m_showGrid;
    QPushButton* m_showChart;
    QPushButton* m_export;
    QPushButton* m_me;
    CResultGrid* m_grid;
    CChartViewControl* m_chart;
    QString m_lastSql;
    QString m_lastTitle;
    // What the last chart was drawn from, and at which size (none yet: invalid).
    ChartSeries m_series;
    QString m_chartKind;
    QSize m_chartSize;
};
