#include "CProjectSettingFullDlg.h"

#include "AdminSql.h"
#include "CLocalizer.h"
#include "CNameCascade.h"
#include "CProjectEditDlg.h"
#include "CProjectListGrid.h"
#include "CVersionsDlg.h"
#include "ClientIds.h"
#include "DialogHelpers.h"
#include "LookupLists.h"
#include "ProjectAdminIds.h"
#include "ProjectCaches.h"

#include <QCursor>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

using namespace ProjectAdminIds;

CProjectSettingFullDlg::CProjectSettingFullDlg(CAppContext& context, QWidget* parent)
    : QDialog(parent), m_context(context)
{
    setObjectName(QStringLiteral("CProjectSettingFullDlg"));
    CLocalizer::Tag(this, ProjectsPage);
    setWindowTitle(QStringLiteral("项目设置"));
    m_grid = new CProjectListGrid(context, this);
    m_grid->setObjectName(QString::number(Grid));
    m_grid->setContextMenuPolicy(Qt::CustomContextMenu);
    auto button = [this](int id, const char* text) {
        auto* b = new QPushButton(QString::fromUtf8(text), this);
        b->setObjectName(QString::number(id));
        return b;
    };
    m_delete = button(ButtonDelete, "Delete");
    m_versions = button(ButtonVersions, "Version Info");
    m_new = button(ButtonNew, "New");
    m_edit = button(ButtonSave, "Save");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* b : {m_new, m_edit, m_delete, m_versions}) buttons->addWidget(b);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_grid);
    layout->addLayout(buttons);
    resize(600, 360);
    connect(m_new, &QPushButton::clicked, this, &CProjectSettingFullDlg::OnNew);
    connect(m_edit, &QPushButton::clicked, this, &CProjectSettingFullDlg::OnEdit);
    connect(m_delete, &QPushButton::clicked, this, &CProjectSettingFullDlg::OnDelete);
    connect(m_versions, &QPushButton::clicked, this, &CProjectSettingFullDlg::OnVersions);
    connect(m_grid, &QAbstractItemView::doubleClicked, this, &CProjectSettingFullDlg::OnGridDblClk);
    connect(m_grid, &QWidget::customContextMenuRequested, this, &CProjectSettingFullDlg::OnGridRightClick);
}

void CProjectSettingFullDlg::reject()
{
    if (isWindow())
        QDialog::reject();
    else if (QWidget* sheet = window())
        sheet->close();
}

void CProjectSettingFullDlg::showEvent(QShowEvent* event)
{
    OnSetActive();
    QDialog::showEvent(event);
}

bool CProjectSettingFullDlg::OnSetActive()
{
    if (m_grid->m_loaded != 0) return true;
    m_grid->m_loaded = 1;
    m_grid->SetDataClient(&m_context.m_http);
    m_grid->SetStandardLook();
    m_grid->SetRowNumbers(0);
    ApplyDialogLook(this, m_context);
    SetButtonFaces();
    LocalizeControls();
    LoadProjects();
    return true;
}

void CProjectSettingFullDlg::SetButtonFaces()
{
    ApplyButtonFace(m_context, {m_delete, m_versions, m_new, m_edit});
}

void CProjectSettingFullDlg::LocalizeControls()
{
    for (QPushButton* b : {m_versions, m_edit, m_new, m_delete}) {
        const QString text = m_context.Text(b->objectName().toInt());
        if (!text.isEmpty()) b->setText(text);
    }
    const QString title = m_context.Text(ProjectsPage);
    if (!title.isEmpty()) setWindowTitle(title);
}

int CProjectSettingFullDlg::LoadProjects()
{
    const int rows =
        m_grid->RunQuery(QStringLiteral("select PRJ_NAME,PRJ_ENGLISH,PRJ_TYPE,PRJ_START_TIME,PRJ_MANAGER from t_prj"));
    LookupLists::RenameGridColumns(m_context.m_columns, *m_grid);
    m_grid->updateGeometry();
    return rows;
}

QString CProjectSettingFullDlg::SelectedProject() const
{
    const int row = m_grid->CurrentRow();
    if (row < 0) return QString();
    return m_grid->Model()->index(row, 0).data().toString();
}

void CProjectSettingFullDlg::OnNew()
{
    {
        CProjectEditDlg editor(m_context, this);
        editor.exec();
    }
    LoadProjects();
}

void CProjectSettingFullDlg::OnEdit()
{
    const QString project = SelectedProject();
    if (project.isEmpty()) return;
    {
        CProjectEditDlg editor(m_context, this);
        editor.m_projectName = project;
        editor.exec();
    }
    LoadProjects();
}

void CProjectSettingFullDlg::OnGridDblClk() { OnEdit(); }

QMenu* CProjectSettingFullDlg::CreateGridMenu()
{
    // The pop-up inside a holder, as the menu resource holds it.
    auto* holder = new QMenu(this);
    QMenu* popup = holder->addMenu(QStringLiteral("popup"));
    QAction* remove = CLocalizer::Tag(popup->addAction(QStringLiteral("Delete")), CmdDeleteRow);
    m_context.LocalizeMenu(nullptr);
    m_context.LocalizeMenu(holder);
    connect(remove, &QAction::triggered, this, &CProjectSettingFullDlg::OnDeleteCommand);
    return holder;
}

void CProjectSettingFullDlg::OnGridRightClick()
{
    if (m_grid->CurrentRow() < 0) return;
    QMenu* holder = CreateGridMenu();
    holder->actions().first()->menu()->exec(QCursor::pos());
    holder->deleteLater();
}

void CProjectSettingFullDlg::OnDelete()
{
    if (!m_context.AskYesNo(m_context.Text(ids::kMsgQuestion))) return;
    if (!m_context.AskYesNo(m_context.Text(ids::kMsgQuestion))) return;
    const QString project = SelectedProject();
    if (project.isEmpty()) return;
    if (!CNameCascade::Run(m_context, CNameCascade::ProjectDelete(project))) return;
    LoadProjects();
    RefreshProjectCaches(m_context);
}

void CProjectSettingFullDlg::OnDeleteCommand() { OnDelete(); }

void CProjectSettingFullDlg::OnVersions()
{
    const QString project = SelectedProject();
    if (project.isEmpty()) return;
    CVersionsDlg versions(m_context, this);
    versions.m_projectName = project;
    versions.exec();
}
