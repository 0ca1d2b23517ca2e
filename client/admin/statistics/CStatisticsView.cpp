#include "CStatisticsView.h"

#include "CAppContext.h"
#include "CChartViewControl.h"
#include "CLocalizer.h"
#include "CResultGrid.h"
#include "CStatisticsSql.h"
#include "DialogHelpers.h"
#include "Helpers.h"
#include "QtText.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDateTimeEdit>
#include <QFileDialog>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

#include <cstdlib>

namespace {

// The wait cursor while a statistic runs.
class CWaitCursor {
public:
    CWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~CWaitCursor() { QApplication::restoreOverrideCursor(); }
};

QComboBox* NewCombo(QWidget* parent)
{
    auto* combo = new QComboBox(parent);
    combo->setMinimumWidth(130);
    return combo;
}

QDateTimeEdit* NewDate(QWidget* parent)
{
    auto* edit = new QDateTimeEdit(parent);
    edit->setCalendarPopup(true);
    edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    return edit;
}

}  // namespace

CQueryDefectForm::CQueryDefectForm(CAppContext& context, QWidget* parent)
    : QWidget(parent), m_context(context),
      m_builder(context.m_cacheDir.isEmpty() ? QDir::tempPath() : context.m_cacheDir)
{
    setObjectName(QString::number(ViewId));
    BuildControls();
    FillControls();
    LocalizeCaptions();
}

CQueryDefectForm::~CQueryDefectForm() = default;

void CQueryDefectForm::BuildControls()
{
    m_panel = new QWidget(this);
    auto* grid = new QGridLayout(m_panel);
    grid->setContentsMargins(6, 6, 6, 4);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(4);
    const auto label = [this](int id) { return CLocalizer::Tag(new QLabel(m_panel), id, true); };

    m_project = NewCombo(m_panel);
    m_status = NewCombo(m_panel);
    m_responsible = NewCombo(m_panel);
    m_detector = NewCombo(m_panel);
    m_me = new QPushButton(m_panel);
    m_me->setIcon(style()->standardIcon(QStyle::SP_DialogYesButton));
    m_me->setFixedWidth(28);
    m_start = NewDate(m_panel);
    m_end = NewDate(m_panel);
    m_type = NewCombo(m_panel);
    m_type->setMinimumWidth(170);
    m_chartType = NewCombo(m_panel);
    m_chartType->setMinimumWidth(80);
    m_threeD = CLocalizer::Tag(new QCheckBox(QStringLiteral("是否三维"), m_panel), ThreeDId);
    m_threeD->setChecked(true);
    m_labelLayout = CLocalizer::Tag(new QCheckBox(QStringLiteral("任意标识"), m_panel), LabelLayoutId);
    m_showGrid = CLocalizer::Tag(new QPushButton(QStringLiteral("表格"), m_panel), ShowGridId);
    m_showChart = CLocalizer::Tag(new QPushButton(QStringLiteral("图表"), m_panel), ShowChartId);
    m_export = CLocalizer::Tag(new QPushButton(QStringLiteral("导出"), m_panel), ExportId);
    m_showGrid->setIcon(style()->standardIcon(QStyle::SP_FileDialogDetailedView));
    m_showChart->setIcon(style()->standardIcon(QStyle::SP_FileDialogInfoView));
    m_export->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));

    int column = 0;
    const auto add = [&](int row, int id, QWidget* control) {
        grid->addWidget(label(id), row, column, Qt::AlignRight);
        grid->addWidget(control, row, column + 1);
    };
    add(0, ProjectId, m_project);
    add(1, StartId, m_start);
    column = 2;
    add(0, StatusId, m_status);
    add(1, EndId, m_end);
    column = 4;
    auto* responsible = new QHBoxLayout;
    responsible->setSpacing(2);
    responsible->addWidget(m_responsible, 1);
    responsible->addWidget(m_me);
    grid->addWidget(label(ResponsibleId), 0, column, Qt::AlignRight);
    grid->addLayout(responsible, 0, column + 1);
    add(1, TypeId, m_type);
    column = 6;
    add(0, DetectorId, m_detector);
    add(1, ChartTypeId, m_chartType);
    auto* checks = new QHBoxLayout;
    checks->addWidget(m_threeD);
    checks->addWidget(m_labelLayout);
    grid->addLayout(checks, 0, 8, 1, 3);
    grid->addWidget(m_showGrid, 1, 8);
    grid->addWidget(m_showChart, 1, 9);
    grid->addWidget(m_export, 1, 10);
    grid->setColumnStretch(11, 1);

    m_grid = new CResultGrid(m_context, this);
    m_grid->setObjectName(QString::number(GridId));
    m_grid->horizontalHeader()->setSortIndicatorShown(true);
    m_chart = new CChartViewControl(this);
    m_chart->setObjectName(QString::number(ChartId));
    m_chart->hide();
    m_builder.SetViewer(m_chart);

    connect(m_showGrid, &QPushButton::clicked, this, &CQueryDefectForm::OnShowGrid);
    connect(m_showChart, &QPushButton::clicked, this, &CQueryDefectForm::OnShowChart);
    connect(m_me, &QPushButton::clicked, this, &CQueryDefectForm::OnPickMe);
    connect(m_export, &QPushButton::clicked, this, &CQueryDefectForm::OnExport);
}

void CQueryDefectForm::FillControls()
{
    FillComboFromResult(m_context.m_projects, "PRJ_NAME", m_project, 1, 0);
    FillComboFromResult(m_context.m_statuses, "PARAMETER_NAME", m_status, 1, 0);
    for (QComboBox* combo : {m_responsible, m_detector}) {
        combo->clear();
        combo->addItem(CStatisticsSql::NoChoice());
        for (int row = 0; row < m_context.m_users.GetRowCount(); ++row) {
            const QString name = ToQt(m_context.m_users.GetValue(row, "USER_NAME"));
            if (name != QLatin1String("admin")) combo->addItem(name);
        }
    }
    for (QComboBox* combo : {m_project, m_status, m_responsible, m_detector}) combo->setCurrentIndex(0);
    m_type->addItems(CStatisticsSql::StatisticNames());
    m_type->setCurrentIndex(0);
    m_chartType->addItems(CStatisticsSql::ChartNames());
    m_chartType->setCurrentIndex(0);

    ApplyDialogLook(this, m_context);
    ApplyButtonFace(m_context, {m_showGrid, m_export, m_me, m_showChart});

    // From the first day of the month three months back to now.
    const QDateTime now = QDateTime::currentDateTime();
    m_end->setDateTime(now);
    int year = now.date().year();
    int month = now.date().month();
    for (int i = 0; i < 3; ++i) PrevMonth(year, month, year, month);
    m_start->setDateTime(QDateTime(QDate(year, month, 1), QTime(1, 1, 1)));
}

void CQueryDefectForm::LocalizeCaptions()
{
    // The panel has no slot of this name: no recursion.
    CLocalizer::Apply(m_panel, m_context);
    m_me->setToolTip(m_context.Text(MeId));
}

void CQueryDefectForm::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    LayoutResult();
}

void CQueryDefectForm::LayoutResult()
{
    m_panel->setGeometry(0, 0, width(), kTopArea);
    const QRect area(0, kTopArea, width(), std::max(0, height() - kTopArea));
    m_grid->setGeometry(area);
    m_chart->setGeometry(area);
}

void CQueryDefectForm::OnShowGrid()
{
    m_chart->hide();
    m_grid->show();
    RunStatistic();
}

void CQueryDefectForm::OnShowChart()
{
    m_chart->show();
    m_grid->hide();
    RunStatistic();
}

void CQueryDefectForm::OnPickMe()
{
    SelectComboText(m_responsible, m_context.m_userName, 1);
}

bool CQueryDefectForm::RunStatistic()
{
    if (m_type->currentIndex() < 0) return false;
    const int statistic = CStatisticsSql::StatisticOf(m_type->currentText());
    if (statistic < 0) return false;
    CWaitCursor wait;

    StatisticsFilter filter;
    filter.project = m_project->currentText();
    filter.status = m_status->currentText();
    filter.responsible = m_responsible->currentText();
    filter.detector = m_detector->currentText();
    filter.start = m_start->date();
    filter.end = m_end->date();
    const QString sql = CStatisticsSql::Statement(statistic, CStatisticsSql::FilterText(filter, statistic));

    CResultSet result;
    m_context.SetBusy(1);
    const int rows = m_context.m_http.Select(sql.toUtf8().constData(), result, m_context.m_lastError);
    m_context.SetBusy(0);
    if (rows < 0) {
        m_context.ShowMessage(ToQt(m_context.m_lastError));
        return false;
    }
    m_lastSql = sql;

    ChartSeries series;
    for (int row = 0; row < result.GetRowCount(); ++row)
        series.AddValue(result.GetValueAt(row, 0), std::atof(result.GetValueAt(row, 1).CStr()));
    m_lastTitle = CStatisticsSql::Title(statistic, filter.project);

    QVector<QPair<QString, double>> pairs;
    for (const ChartEntry& entry : series.m_entries) pairs.append({ToQt(entry.label), entry.value});

    m_builder.SetBarMode(1);
    m_builder.Set3D(m_threeD->isChecked() ? 1 : 0);
    m_builder.SetPieLabelLayout(m_labelLayout->isChecked() ? 1 : 0);
    m_builder.SetViewer(m_chart);
    const int chartWidth = std::max(1, width());
    const int chartHeight = std::max(1, height() - kTopArea);
    const QString kind = m_chartType->currentText();
    if (kind == QStringLiteral("饼图"))
        m_builder.DrawPieChart(chartWidth, chartHeight, series, ToList(m_lastTitle));
    else if (kind == QStringLiteral("曲线图"))
        m_builder.DrawLineChart(chartWidth, chartHeight, series, ToList(m_lastTitle));
    else
        m_builder.DrawBarChart(chartWidth, chartHeight, series, ToList(m_lastTitle));
    m_grid->ShowPairs(pairs, CStatisticsSql::NoChoice(), QStringLiteral("数量(个)"));
    return true;
}

void CQueryDefectForm::OnExport()
{
    QFileDialog dialog(this);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("png"));
    dialog.setNameFilters({QStringLiteral("png图片文件 (*.png)"), QStringLiteral("所有文件 (*.*)")});
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    ExportTo(dialog.selectedFiles().first());
}

bool CQueryDefectForm::ExportTo(const QString& path)
{
    if (m_builder.CopyImage(path)) {
        m_context.ShowMessage(QStringLiteral("导出成功"));
        return true;
    }
    // A failed copy is said, not passed over.
    m_context.ShowMessage(m_context.Text(ExportFailedTextId) + QStringLiteral("\n") + m_builder.LastError());
    return false;
}
