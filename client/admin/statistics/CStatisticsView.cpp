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
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include <cstdlib>

namespace {

// The wait cursor while a statistic runs.
class CWaitCursor {
public:
    CWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~CWaitCursor() { QApplication::restoreOverrideCursor(); }
};

// A filter combo as wide as its longest entry: the box never cuts the
// entry chosen.
QComboBox* NewCombo(QWidget* parent)
{
    auto* combo = new QComboBox(parent);
    combo->setSizeAdjustPolicy(QComboBox::AdjustToContents);
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
    // Two rows in the strip above the result: the filters with the three
    // buttons, then the dates, the statistic and the chart's look. Each row
    // is as wide as its controls need; the view is never narrower.
    m_panel = new QWidget(this);
    auto* rows = new QVBoxLayout(m_panel);
    rows->setContentsMargins(6, 6, 6, 4);
    rows->setSpacing(4);
    auto* filters = new QHBoxLayout;
    auto* looks = new QHBoxLayout;
    rows->addLayout(filters);
    rows->addLayout(looks);
    const auto label = [this](int id) { return CLocalizer::Tag(new QLabel(m_panel), id, true); };
    const auto add = [&label](QHBoxLayout* row, int id, QWidget* control) {
        if (row->count() > 0) row->addSpacing(6);
        row->addWidget(label(id));
        row->addWidget(control);
    };

    m_project = NewCombo(m_panel);
    m_status = NewCombo(m_panel);
    m_responsible = NewCombo(m_panel);
    m_detector = NewCombo(m_panel);
    m_me = new QPushButton(m_panel);
    m_me->setIcon(style()->standardIcon(QStyle::SP_DialogYesButton));
    m_start = NewDate(m_panel);
    m_end = NewDate(m_panel);
    m_type = NewCombo(m_panel);
    m_chartType = NewCombo(m_panel);
    m_threeD = CLocalizer::Tag(new QCheckBox(QStringLiteral("是否三维"), m_panel), ThreeDId);
    m_threeD->setChecked(true);
    m_labelLayout = CLocalizer::Tag(new QCheckBox(QStringLiteral("任意标识"), m_panel), LabelLayoutId);
    m_showGrid = CLocalizer::Tag(new QPushButton(QStringLiteral("表格"), m_panel), ShowGridId);
    m_showChart = CLocalizer::Tag(new QPushButton(QStringLiteral("图表"), m_panel), ShowChartId);
    m_export = CLocalizer::Tag(new QPushButton(QStringLiteral("导出"), m_panel), ExportId);
    m_showGrid->setIcon(style()->standardIcon(QStyle::SP_FileDialogDetailedView));
    m_showChart->setIcon(style()->standardIcon(QStyle::SP_FileDialogInfoView));
    m_export->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));

    add(filters, ProjectId, m_project);
    add(filters, StatusId, m_status);
    add(filters, ResponsibleId, m_responsible);
    filters->addSpacing(2);
    filters->addWidget(m_me);
    add(filters, DetectorId, m_detector);
    filters->addStretch(1);
    filters->addWidget(m_showGrid);
    filters->addWidget(m_showChart);
    filters->addWidget(m_export);

    add(looks, StartId, m_start);
    add(looks, EndId, m_end);
    add(looks, TypeId, m_type);
    add(looks, ChartTypeId, m_chartType);
    looks->addSpacing(6);
    looks->addWidget(m_threeD);
    looks->addWidget(m_labelLayout);
    looks->addStretch(1);

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
    connect(m_chartType, &QComboBox::currentIndexChanged, this, &CQueryDefectForm::OnChartType);
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
    // The chart drawn last is drawn again at the new size, so that it fits.
    if (m_chartSize.isValid() && m_chartSize != ChartArea().size()) DrawChart();
}

QSize CQueryDefectForm::minimumSizeHint() const
{
    // The strip above the result never squeezes its controls together.
    return QSize(m_panel->minimumSizeHint().width(), kTopArea + 100);
}

QRect CQueryDefectForm::ChartArea() const
{
    return QRect(0, kTopArea, std::max(1, width()), std::max(1, height() - kTopArea));
}

void CQueryDefectForm::DrawChart()
{
    const QSize size = ChartArea().size();
    m_chartSize = size;
    const CListString title = ToList(m_lastTitle);
    if (m_chartKind == QStringLiteral("饼图"))
        m_builder.DrawPieChart(size.width(), size.height(), m_series, title);
    else if (m_chartKind == QStringLiteral("曲线图"))
        m_builder.DrawLineChart(size.width(), size.height(), m_series, title);
    else
        m_builder.DrawBarChart(size.width(), size.height(), m_series, title);
}

void CQueryDefectForm::LayoutResult()
{
    m_panel->setGeometry(0, 0, width(), kTopArea);
    m_grid->setGeometry(ChartArea());
    m_chart->setGeometry(ChartArea());
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

void CQueryDefectForm::OnChartType()
{
    // The counts already shown, drawn again as the chosen kind; nothing to
    // draw before the first statistic.
    if (!m_chartSize.isValid()) return;
    m_chartKind = m_chartType->currentText();
    DrawChart();
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
    m_chartKind = m_chartType->currentText();
    m_series = series;
    m_chartSize = QSize();
    DrawChart();
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
