#include "CZentryView.h"

#include "CAppContext.h"
#include "CDefectEditDlg.h"
#include "CDefectListGrid.h"
#include "CDefectSql.h"
#include "CLocalizer.h"
#include "CQueryConditionDlg.h"
#include "CQueryFieldsDlg.h"
#include "CQuickEditDlg.h"
#include "CQuickFilterDlg.h"
#include "CSplitterBar.h"
#include "LogWriter.h"
#include "LookupLists.h"
#include "QtText.h"
#include "WorkspaceCommands.h"
#include "WorkspaceIds.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMenu>
#include <QTabWidget>

using namespace WorkspaceIds;

namespace {

constexpr int kPanelWidth = 165;

}  // namespace

CZentryView::CZentryView(CAppContext& context, QWidget* parent, const CWorkspaceCommands* commands)
    : QWidget(parent), m_context(context), m_commands(commands)
{
    setProperty("viewId", DefectListView);
    CreatePanes();
    CreateMenu();
    m_grid->m_quickEditShown = 0;
    LayoutPanes();
    if (m_context.m_projects.GetRowCount() > 0) OnRefresh();
}

CZentryView::~CZentryView()
{
    m_splitter->Unbind();
}

void CZentryView::CreatePanes()
{
    m_grid = new CDefectListGrid(m_context, this);
    m_grid->SetStandardLook();
    m_grid->SetAutoSizeColumns(m_autoSizeColumns != 0);
    m_grid->SetGroupByBox(false);
    m_grid->Model()->SetImages({LookupLists::AttachmentIcon()});

    m_tabs = new QTabWidget(this);
    m_tabs->setTabPosition(QTabWidget::North);
    m_tabs->setDocumentMode(true);
    m_tabs->setUsesScrollButtons(true);
    // Narrow tabs, so that the three captions fit the 165 pixels.
    m_tabs->setStyleSheet(QStringLiteral("QTabBar::tab { padding: 3px 2px; }"));
    m_filter = new CQuickFilterDlg(m_context, this, m_tabs);
    m_condition = new CQueryConditionDlg(m_context, this, m_tabs);
    m_quickEdit = new CQuickEditDlg(m_context, this);
    m_fields = new CQueryFieldsDlg(m_context, this, m_tabs);
    m_grid->SetQuickEdit(m_quickEdit);
    m_tabs->addTab(m_filter, QString());
    m_tabs->addTab(m_condition, QString());
    m_tabs->addTab(m_fields, QString());
    LocalizeTexts();

    m_grid->SetDataClient(&m_context.m_http);
    m_grid->SetRowNumbers(0);
    connect(m_grid, &CResultGrid::RowsAppended, this,
            [this](int first, int last) { DecorateRows(first, last); });
    connect(m_grid, &QAbstractItemView::doubleClicked, this, [this]() {
        const int id = m_grid->SelectedBugId();
        if (id > 0) OpenEditor(id);
    });
    connect(m_quickEdit, &CQuickEditDlg::CloseRequested, this, &CZentryView::TogglePreview);
    connect(m_quickEdit, &CQuickEditDlg::DefectSaved, this, &CZentryView::ReloadDefectRow);

    m_splitter = new CSplitterBar(this);
    m_splitter->m_windowMode = 1;
    m_splitter->setFixedHeight(3);
    m_splitter->SetLimits(120, 120);
    m_splitter->AddFirstSideWindow(m_grid);
    m_splitter->AddSecondSideWindow(m_quickEdit);
}

void CZentryView::CreateMenu()
{
    m_menu = new QMenu(this);
    const auto add = [this](int id, const char* text, auto slot) {
        QAction* action = CLocalizer::Tag(m_menu->addAction(QString::fromLatin1(text)), id);
        action->setData(id);
        connect(action, &QAction::triggered, this, slot);
        return action;
    };
    add(CmdView, "View", &CZentryView::OnViewDefect);
    add(CmdRefresh, "Refresh", &CZentryView::OnRefresh);
    m_menu->addSeparator();
    add(CmdAdd, "Add", &CZentryView::OnAddDefect);
    add(CmdDelete, "Delete", &CZentryView::OnDeleteDefect);
    m_menu->addSeparator();
    add(CmdCopyDefect, "Copy Defect", []() {});
    add(CmdPasteDefect, "Paste Defect", []() {});
    add(CmdAutoSize, "Auto Size Grid", &CZentryView::ToggleAutoSize)->setCheckable(true);
    add(CmdPreview, "PreView", &CZentryView::TogglePreview)->setCheckable(true);
    m_menu->addSeparator();
    add(CmdExport, "Export", [this]() { RunOutsideCommand(CmdExport); });
    add(CmdMail, "Mail", [this]() {
        m_context.m_currentBugId = m_grid->SelectedBugId();
        RunOutsideCommand(CmdMail);
    });
    m_grid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_grid, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        m_context.LocalizeMenu(nullptr);
        m_context.LocalizeMenu(m_menu);
        UpdateMenuState();
        m_menu->popup(m_grid->viewport()->mapToGlobal(pos));
    });
    UpdateMenuState();
}

void CZentryView::RunOutsideCommand(int commandId)
{
    if (m_commands) m_commands->list.Run(commandId, *this);
}

void CZentryView::UpdateMenuState()
{
    const bool selected = m_grid->CurrentRow() >= 0;
    const auto handled = [this](int id) { return m_commands && m_commands->list.Has(id); };
    for (QAction* action : m_menu->actions()) {
        switch (action->data().toInt()) {
        case CmdView:
        case CmdDelete:
        case CmdCopyDefect:
        case CmdPasteDefect: action->setEnabled(selected); break;
        case CmdMail: action->setEnabled(selected && handled(CmdMail)); break;
        case CmdExport: action->setEnabled(handled(CmdExport)); break;
        case CmdAutoSize: action->setChecked(m_autoSizeColumns != 0); break;
        case CmdPreview: action->setChecked(CommandCheck(CmdPreview) == 1); break;
        default: break;
        }
    }
}

void CZentryView::LocalizeTexts()
{
    m_tabs->setTabText(0, m_context.Text(TabQuickFilter));
    m_tabs->setTabText(1, m_context.Text(TabQueryCondition));
    m_tabs->setTabText(2, m_context.Text(TabQueryFields));
    m_condition->ReCaption();
    m_quickEdit->LocalizeCaptions();
    m_fields->ReCaption();
    m_filter->ReCaption();
}

void CZentryView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    LayoutPanes();
}

void CZentryView::LayoutPanes()
{
    if (!m_grid) return;
    const QRect r = rect();
    const int x0 = r.left() + kPanelWidth;
    if (!m_grid->m_quickEditShown) {
        m_grid->setGeometry(x0, r.top(), r.right() + 1 - x0, r.height());
        m_quickEdit->setGeometry(0, 0, 0, 0);
        m_splitter->setGeometry(0, 0, 0, 0);
        m_quickEdit->hide();
        m_splitter->hide();
        m_tabs->setGeometry(0, 0, kPanelWidth, r.height());
        return;
    }
    const int bottom = r.bottom() + 1;
    const int s = 3 * bottom / 5;
    const int lower = bottom - (s + 3);
    if (lower <= 100) return;
    const int width = r.right() + 1 - x0;
    m_splitter->setGeometry(x0, s, width, 3);
    m_quickEdit->setGeometry(x0, s + 3, width, lower);
    m_grid->setGeometry(x0, r.top(), width, s - r.top());
    m_tabs->setGeometry(0, 0, kPanelWidth, r.height());
    m_splitter->show();
    m_quickEdit->show();
    m_grid->show();
}

QString CZentryView::SelectList() const
{
    return m_fields ? m_fields->GetSelectList() : QStringLiteral("BG_BUG_ID,BG_STATUS");
}

QString CZentryView::LastWhere() const
{
    return m_condition ? m_condition->m_lastWhere : QString();
}

void CZentryView::RefreshList(const QString& sql)
{
    m_lastSql = sql;
    m_grid->RunQuery(sql);
    LookupLists::RenameGridColumns(m_context.m_columns, *m_grid);
    DecorateRows(0, m_grid->RowCount() - 1);
    const int column = m_grid->FieldColumn(QStringLiteral("BG_ATTACHMENT"));
    if (column >= 0) {
        m_grid->Model()->SetCaption(column, QStringLiteral("-"));
        m_grid->horizontalHeader()->setSectionResizeMode(column, QHeaderView::Fixed);
        m_grid->setColumnWidth(column, 30);
    }
    m_grid->viewport()->update();
}

void CZentryView::DecorateRows(int first, int last)
{
    MarkAttachments(first, last);
    LookupLists::ColourRowsByStatus(m_context, *m_grid, first, last);
}

void CZentryView::MarkAttachments(int first, int last)
{
    const int column = m_grid->FieldColumn(QStringLiteral("BG_ATTACHMENT"));
    if (column < 0) return;
    CResultGridModel* model = m_grid->Model();
    for (int row = qMax(0, first); row <= last && row < model->rowCount(); ++row) {
        const QString text = model->Text(row, column);
        model->SetText(row, column, QString());
        if (text == QLatin1String("1")) model->SetImage(row, column, 0);
    }
}

void CZentryView::OnRefresh()
{
    m_condition->RunQuery();
}

void CZentryView::OpenEditor(int bugId)
{
    m_context.m_currentBugId = bugId;
    CDefectEditDlg editor(m_context, this, m_commands);
    if (editor.exec() != QDialog::Accepted || bugId <= 0) return;
    ReloadDefectRow(bugId);
    // A panel showing the defect unedited shows what was saved.
    if (m_quickEdit->ShownId() == bugId && !m_quickEdit->HasChanges()) m_grid->LoadQuickEdit(bugId);
}

void CZentryView::ReloadDefectRow(int bugId)
{
    const int row = m_grid->RowOfDefect(bugId);
    if (row < 0) return;
    const QStringList fields = m_grid->Model()->FieldNames();
    const QString sql = QStringLiteral("select ") + fields.join(QLatin1Char(',')) +
                        QStringLiteral(" from t_bug where BG_BUG_ID=%1 ").arg(bugId);
    CResultSet result;
    CListString error;
    // The save is done; a row that cannot be read again stays as it was.
    if (m_context.m_http.Select(sql.toUtf8().constData(), result, error) <= 0) {
        LogMessage("defect %d: row not read again: %s\n", bugId, error.CStr());
        return;
    }
    QStringList cells;
    for (int k = 0; k < fields.size(); ++k) cells << ToQt(result.GetValueAt(0, k));
    m_grid->Model()->ReplaceRow(row, cells);
    DecorateRows(row, row);
}

bool CZentryView::SaveEdits()
{
    if (m_quickEdit->SaveQuickEdit()) return true;
    if (m_context.m_unattended) {
        // The program ends with no one to ask: the text waits for the next start.
        QString where;
        if (m_quickEdit->KeepUnsaved(where))
            LogMessage("defect %d: unsaved quick-edit text kept in %s\n", m_quickEdit->ShownId(),
                       where.toUtf8().constData());
        else
            m_context.ShowMessage(QStringLiteral("defect %1: unsaved quick-edit text lost: %2")
                                      .arg(m_quickEdit->ShownId())
                                      .arg(where));
        return false;
    }
    // Unsaved, it goes only when the user lets it go.
    return m_context.AskYesNo(m_context.Text(MsgDiscardEdits));
}

void CZentryView::OnViewDefect()
{
    if (m_grid->CurrentRow() < 0) return;
    OpenEditor(m_grid->SelectedBugId());
}

bool CZentryView::HasRight(int right) const
{
    // The administrator may do everything, as in the main frame's New.
    return right != 0 || m_context.m_userName.compare(QLatin1String("admin"), Qt::CaseInsensitive) == 0;
}

void CZentryView::OnAddDefect()
{
    if (!HasRight(m_context.m_canAddDefect)) {
        m_context.ShowMessage(m_context.Text(MsgNoAddRight));
        return;
    }
    OpenEditor(-1);
    OnRefresh();
}

void CZentryView::OnDeleteDefect()
{
    DeleteSelectedDefect();
}

bool CZentryView::DeleteSelectedDefect()
{
    if (m_grid->CurrentRow() < 0) return false;
    const int id = m_grid->SelectedBugId();
    if (!HasRight(m_context.m_canDeleteDefect)) {
        m_context.ShowMessage(m_context.Text(MsgNoDeleteRight));
        return false;
    }
    if (!m_context.AskYesNo(m_context.Text(MsgQuestion))) return false;

    // Children go first, so that a failure never leaves rows of a defect
    // that no longer exists.
    CResultSet attachments;
    const QString files = QStringLiteral("select FILE_NAME from t_bug_attach where bg_bug_id=%1").arg(id);
    if (m_context.RunSelect(files.toUtf8().constData(), attachments) < 0) return false;
    if (attachments.GetRowCount() > 0 && !DeleteAttachmentFiles(id)) return false;
    for (const QString& sql : CDefectSql::DeleteStatements(id))
        if (!m_context.RunExec(sql.toUtf8().constData())) return false;
    RefreshList(m_lastSql);
    return true;
}

bool CZentryView::DeleteAttachmentFiles(int bugId)
{
    // An FTP site that cannot be reached is shown; the defect goes anyway.
    m_context.DeleteBugAttachmentFiles(bugId);
    return true;
}

int CZentryView::CommandCheck(int commandId) const
{
    if (commandId == CmdPreview) return m_grid->m_quickEditShown != 0 ? 1 : 0;
    return -1;
}

void CZentryView::TogglePreview()
{
    m_grid->m_quickEditShown = m_grid->m_quickEditShown ? 0 : 1;
    LayoutPanes();
    UpdateMenuState();
}

void CZentryView::ToggleAutoSize()
{
    m_autoSizeColumns = m_autoSizeColumns ? 0 : 1;
    m_grid->SetAutoSizeColumns(m_autoSizeColumns != 0);
    UpdateMenuState();
}

void CZentryView::ToggleFillBackground()
{
    m_context.m_fillBackground = m_context.m_fillBackground == 1 ? 0 : 1;
    m_context.m_settings.SetInt("fill_background", m_context.m_fillBackground, "pstyle");
    Recolour();
}

void CZentryView::Recolour()
{
    m_condition->Recolour();
    m_quickEdit->Recolour();
    m_fields->Recolour();
    m_filter->Recolour();
}
