#include "CInterQueryForm.h"

#include "CAppContext.h"
#include "CReportDll.h"
#include "CReportListDlg.h"
#include "CReportPageDlg.h"
#include "CResultGrid.h"
#include "DialogHelpers.h"
#include "Helpers.h"
#include "LogWriter.h"
#include "QtText.h"

#include <QComboBox>
#include <QHeaderView>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QTabWidget>

#include <algorithm>
#include <vector>

namespace {

const char* const kLibraryFailed = "无法加载报表库：%1";
const char* const kNoQuery = "报表脚本 \"%1\" 没有查询";
const char* const kReportFailed = "报表生成失败：%1";

// Where the buttons stand, between the parameter fields and the grid.
const QRect kReportButton(172, 268, 80, 24);
const QRect kGoButton(260, 268, 50, 24);

}  // namespace

CInterQueryForm::CInterQueryForm(CAppContext& context, QWidget* parent)
    : QWidget(parent),
      m_context(context),
      m_panel(context),
      m_scriptPath(DefaultScriptPath()),
      m_tabs(new QTabWidget(this)),
      m_reportList(nullptr),
      m_reportPage(nullptr),
      m_scriptText(new QPlainTextEdit(this)),
      m_report(new QPushButton(QStringLiteral("Report"), this)),
      m_go(new QPushButton(QStringLiteral("go"), this)),
      m_grid(new CResultGrid(context, this)) {
    setObjectName(QString::number(ViewId));
    m_tabs->setObjectName(QString::number(TabsId));
    m_tabs->setDocumentMode(false);
    m_reportList = new CReportListDlg(m_tabs);
    m_reportPage = new CReportPageDlg(m_tabs);
    m_tabs->addTab(m_reportList, QString());
    m_tabs->addTab(m_reportPage, QString());
    LocalizeCaptions();

    m_scriptText->setObjectName(QString::number(ScriptTextId));
    m_scriptText->setReadOnly(true);
    m_scriptText->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_scriptText->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_scriptText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_scriptText->hide();
    m_context.m_fonts.SetFont(m_scriptText, QStringLiteral("Microsoft Sans Serif"), 14, 0, 0, 0);

    m_report->setObjectName(QString::number(ReportId));
    m_report->setGeometry(kReportButton);
    m_go->setObjectName(QString::number(GoId));
    m_go->setGeometry(kGoButton);

    m_grid->setObjectName(QString::number(GridId));
    m_grid->horizontalHeader()->setSortIndicatorShown(true);
    m_grid->SetDataClient(&m_context.m_http);
    m_grid->show();

    ApplyDialogLook(this, m_context);
    ApplyButtonFace(m_context, {m_report, m_go});
    connect(m_reportList, &CReportListDlg::ReportPicked, this, &CInterQueryForm::OnReportPicked);
    connect(m_report, &QPushButton::clicked, this, [this] { OnReport(); });
    connect(m_go, &QPushButton::clicked, this, &CInterQueryForm::OnGo);
    LayoutChildren();
}

CInterQueryForm::~CInterQueryForm() = default;

QString CInterQueryForm::DefaultScriptPath() {
    return CReportListDlg::ScriptFolder() + QStringLiteral("/bug_status.lua");
}

void CInterQueryForm::LocalizeCaptions() {
    m_tabs->setTabText(0, m_context.Text(ListTitleId));
    m_tabs->setTabText(1, m_context.Text(PageTitleId));
}

void CInterQueryForm::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    LayoutChildren();
}

void CInterQueryForm::LayoutChildren() {
    const QRect area = rect();
    m_tabs->setGeometry(area.left(), area.top(), kTabsRight - area.left(), area.height());
    m_scriptText->setGeometry(kTabsRight + 2, 120, std::max(0, area.right() + 1 - (kTabsRight + 2)),
                              std::max(0, area.bottom() + 1 - 120));
    m_grid->setGeometry(kTabsRight, kGridTop, std::max(0, area.right() + 1 - kTabsRight),
                        std::max(0, area.bottom() + 1 - kGridTop));
}

void CInterQueryForm::OnReportPicked(const QString& path, const QString& text) {
    m_scriptText->setPlainText(text);
    m_scriptPath = path;
    BuildParamForm();
}

void CInterQueryForm::BuildParamForm() {
    std::vector<char> buffer(CReportDll::kVarBuffer, 0);
    CReportDll dll;
    if (!dll.Bind(CReportDll::LibraryPath()) && !dll.m_getVar)
        m_context.ShowMessage(QString::fromUtf8(kLibraryFailed).arg(dll.LastError()));
    dll.GetVar(m_scriptPath, QStringLiteral("query"), buffer.data());
    m_panel.Reset();
    m_panel.ParseTemplate(QString::fromUtf8(buffer.data()));
    m_panel.SetDesignMode(0);
    m_panel.CreateOn(this);
    FillLookupLists();
    dll.Free();
}

void CInterQueryForm::FillLookupLists() {
    for (const CFormField& field : m_panel.Fields()) {
        auto* combo = qobject_cast<QComboBox*>(field.m_control.data());
        auto* list = qobject_cast<QListWidget*>(field.m_control.data());
        if (!combo && !list) continue;
        QString editStyle;
        const QString listId = m_context.GetColumnRefList(field.m_name, editStyle);
        if (listId.isEmpty()) continue;
        CResultSet values;
        m_context.SelectParams(listId.toUtf8().constData(), values);
        // An untouched combo box stands for no condition ("----------").
        if (combo) {
            FillComboFromResult(values, "PARAMETER_NAME", combo, 1, 0);
            if (combo->count() > 0) combo->setCurrentIndex(0);
        } else {
            FillListFromResult(values, "PARAMETER_NAME", list);
            if (list->count() > 0) list->setCurrentRow(0);
        }
    }
}

bool CInterQueryForm::OnReport() {
    const QString sql = m_panel.BuildSql();
    if (sql.trimmed().isEmpty()) {
        m_context.ShowMessage(QString::fromUtf8(kNoQuery).arg(m_scriptPath));
        return false;
    }
    CListString rows;
    CListString error;
    m_context.SetBusy(1);
    const int selected = m_context.m_http.SelectText(sql.toUtf8().constData(), rows, error);
    m_context.SetBusy(0);
    if (selected < 0) {
        LogMessage("%s\n", sql.toUtf8().constData());
        m_context.ShowMessage(ToQt(error));
        return false;
    }
    m_grid->RunQuery(sql);

    CReportDll dll;
    // A library that lacks an export still runs through those it has.
    dll.Bind(CReportDll::LibraryPath());
    bool told = false;
    dll.SetMessageHandler([this, &told](const QString& text) {
        told = true;
        m_context.ShowMessage(text);
    });
    // Nothing queued by an earlier run that did not unload the library.
    dll.Reset();
    dll.AddVars(QStringLiteral("calc_date"), ToQt(TodayText()));
    dll.AddTable(QStringLiteral("table"), ToQt(rows));
    m_context.SetBusy(1);
    const int result = dll.Report(m_scriptPath);
    m_context.SetBusy(0);
    const QString why = dll.LastError();
    dll.Free();
    if (result == 0) return true;
    if (!told) m_context.ShowMessage(QString::fromUtf8(kReportFailed).arg(why.isEmpty() ? m_scriptPath : why));
    return false;
}

void CInterQueryForm::OnGo() {
    m_panel.Reset();
    QPoint next = m_panel.AddConditionField(QStringLiteral("BG_DETECTION_DATE"), 170, 6, QString());
    next = m_panel.AddConditionField(QStringLiteral("BG_DETECTION_DATE2"), next.x(), 6, QString());
    m_panel.AddConditionField(QStringLiteral("BG_STATUS"), next.x(), 6, QString());
    m_panel.SetDesignMode(0);
    m_panel.CreateOn(this);
    FillLookupLists();
}
