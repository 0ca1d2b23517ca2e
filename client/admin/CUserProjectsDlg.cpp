#include "CUserProjectsDlg.h"

#include "AdminSql.h"
#include "CLocalizer.h"
#include "DialogHelpers.h"
#include "ProjectAdminIds.h"
#include "ProjectCaches.h"
#include "QtText.h"

#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

using namespace ProjectAdminIds;
using AdminSql::Q;

CUserProjectsDlg::CUserProjectsDlg(CAppContext& context, QWidget* parent)
    : QDialog(parent), m_context(context)
{
    setObjectName(QStringLiteral("CUserProjectsDlg"));
    m_inProjects = new QListWidget(this);
    m_inProjects->setObjectName(QString::number(ListInProjects));
    m_outProjects = new QListWidget(this);
    m_outProjects->setObjectName(QString::number(ListOutProjects));
    auto* moves = new QVBoxLayout;
    moves->addStretch();
    struct Move {
        int id;
        const char* text;
        void (CUserProjectsDlg::*slot)();
    } buttons[] = {{MoveLeft, "<", &CUserProjectsDlg::OnAddProject},
                   {MoveAllLeft, "<<", &CUserProjectsDlg::OnAddAllProjects},
                   {MoveRight, ">", &CUserProjectsDlg::OnRemoveProject},
                   {MoveAllRight, ">>", &CUserProjectsDlg::OnRemoveAllProjects}};
    for (const Move& move : buttons) {
        auto* button = new QPushButton(QString::fromLatin1(move.text), this);
        button->setObjectName(QString::number(move.id));
        connect(button, &QPushButton::clicked, this, move.slot);
        moves->addWidget(button);
    }
    moves->addStretch();
    auto* layout = new QGridLayout(this);
    layout->addWidget(CLocalizer::Tag(new QLabel(QStringLiteral("组内用户"), this), LabelInProjects, true), 0, 0);
    layout->addWidget(CLocalizer::Tag(new QLabel(QStringLiteral("组外用户"), this), LabelOutProjects, true), 0, 2);
    layout->addWidget(m_inProjects, 1, 0);
    layout->addLayout(moves, 1, 1);
    layout->addWidget(m_outProjects, 1, 2);
}

int CUserProjectsDlg::exec()
{
    OnInitDialog();
    return QDialog::exec();
}

void CUserProjectsDlg::OnInitDialog()
{
    ApplyDialogLook(this, m_context);
    CLocalizer::Apply(this, m_context);
    QString title = m_context.Text(UserProjectsDlg);
    if (title.isEmpty()) title = QStringLiteral("设置用户所属项目");
    setWindowTitle(QStringLiteral("%1 (%2)").arg(title, m_userName));
    LoadProjects();
}

bool CUserProjectsDlg::LoadProjects()
{
    // The logged-in user's own projects feed the frame's project selector.
    if (m_changed && m_userName.compare(ToQt(m_context.m_settings.GetValue("user_name", "common")),
                                        Qt::CaseInsensitive) == 0)
        RefreshProjectCaches(m_context);
    m_changed = false;
    m_outProjects->clear();
    CResultSet mine;
    if (AdminSql::Select(m_context,
                         QStringLiteral("select PRJ_NAME from t_user_prj where user_name='%1'").arg(Q(m_userName)),
                         mine) < 0)
        return false;
    FillListFromResult(mine, "PRJ_NAME", m_inProjects);
    CResultSet all;
    if (AdminSql::Select(m_context, QStringLiteral("select distinct prj_name from t_prj"), all) < 0) return false;
    for (int row = 0; row < all.GetRowCount(); ++row) {
        const QString project = ToQt(all.GetValueAt(row, 0));
        if (m_inProjects->findItems(project, Qt::MatchExactly | Qt::MatchCaseSensitive).isEmpty())
            m_outProjects->addItem(project);
    }
    return true;
}

bool CUserProjectsDlg::Insert(const QString& project)
{
    return AdminSql::Exec(m_context, QStringLiteral("insert into t_user_prj(user_name,prj_name) values('%1','%2')")
                                         .arg(Q(m_userName), Q(project)));
}

void CUserProjectsDlg::OnAddProject()
{
    QListWidgetItem* item = m_outProjects->currentItem();
    if (m_userName.isEmpty() || !item) return;
    if (!Insert(item->text())) return;
    m_changed = true;
    LoadProjects();
    if (m_outProjects->count() > 0) m_outProjects->setCurrentRow(0);
}

void CUserProjectsDlg::OnAddAllProjects()
{
    if (m_userName.isEmpty() || m_outProjects->count() == 0) return;
    for (int i = 0; i < m_outProjects->count(); ++i) {
        const QString project = m_outProjects->item(i)->text();
        if (!Insert(project)) return;
        m_changed = true;
        m_inProjects->addItem(project);
    }
    m_outProjects->clear();
    LoadProjects();
}

void CUserProjectsDlg::OnRemoveProject()
{
    QListWidgetItem* item = m_inProjects->currentItem();
    if (!item) return;
    if (!AdminSql::Exec(m_context, QStringLiteral("delete from t_user_prj where user_name='%1' and prj_name='%2' ")
                                       .arg(Q(m_userName), Q(item->text()))))
        return;
    m_changed = true;
    LoadProjects();
    if (m_inProjects->count() > 0) m_inProjects->setCurrentRow(0);
}

void CUserProjectsDlg::OnRemoveAllProjects()
{
    if (!AdminSql::Exec(m_context, QStringLiteral("delete from  t_user_prj where user_name='%1'").arg(Q(m_userName))))
        return;
    m_changed = true;
    m_inProjects->clear();
    LoadProjects();
}
