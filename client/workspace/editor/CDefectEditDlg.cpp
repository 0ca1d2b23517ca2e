#include "CDefectEditDlg.h"

#include "CAppContext.h"
#include "CAttachmentDlg.h"
#include "CCustomFieldsDlg.h"
#include "CDefectFieldsDlg.h"
#include "CStatusHistoryDlg.h"
#include "DialogHelpers.h"
#include "WorkspaceCommands.h"
#include "WorkspaceIds.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

using namespace WorkspaceIds;

CDefectEditDlg::CDefectEditDlg(CAppContext& context, QWidget* parent, const CWorkspaceCommands* commands)
    : QDialog(parent), m_context(context), m_commands(commands)
{
    m_close = new QPushButton(this);
    m_new = new QPushButton(this);
    m_modify = new QPushButton(this);
    m_tabs = new QTabWidget(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(m_tabs, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_new);
    buttons->addWidget(m_modify);
    buttons->addWidget(m_close);
    layout->addLayout(buttons);
    connect(m_close, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_new, &QPushButton::clicked, this, &CDefectEditDlg::OnNew);
    connect(m_modify, &QPushButton::clicked, this, &CDefectEditDlg::OnModify);
    m_modify->setDefault(false);
    m_new->setAutoDefault(false);
    m_modify->setAutoDefault(false);
    m_close->setAutoDefault(false);
    resize(640, 560);

    CreatePages();
    ColourButtons();
    SetOkIcon(m_new);
    SetOkIcon(m_modify);
    SetCancelIcon(m_close);
    ApplyDialogLook(this, m_context);
}

void CDefectEditDlg::CreatePages()
{
    m_new->setText(m_context.Text(ButtonNew));
    m_modify->setText(m_context.Text(ButtonModify));
    m_close->setText(m_context.Text(ButtonClose));

    m_fields = new CDefectFieldsDlg(m_context, this, m_tabs);
    m_tabs->addTab(m_fields, m_context.Text(TabFields));
    if (m_context.m_currentBugId < 0) {
        m_fields->NewDefect();
        setWindowTitle(m_context.Text(TitleNewDefect));
    } else {
        setWindowTitle(m_context.Text(TitleModifyDefect));
        m_fields->LoadDefect(m_context.m_currentBugId);
    }
    // These pages come after the id is known, so a new defect's pages see it.
    m_custom = new CCustomFieldsDlg(m_context, m_tabs);
    m_tabs->addTab(m_custom, m_context.Text(TabCustomFields));
    m_attachments = new CAttachmentDlg(m_context, m_tabs, m_commands ? &m_commands->attachments : nullptr);
    m_tabs->addTab(m_attachments, m_context.Text(TabAttachments));
    m_history = new CStatusHistoryDlg(m_context, m_tabs);
    m_tabs->addTab(m_history, m_context.Text(TabStatusHistory));
}

void CDefectEditDlg::ShowNewButtons(bool isNew)
{
    m_new->setVisible(isNew);
    m_modify->setVisible(!isNew);
}

void CDefectEditDlg::ColourButtons()
{
    ApplyButtonFace(m_context, {m_new, m_modify, m_close});
}

void CDefectEditDlg::OnModify()
{
    if (m_attachments) m_attachments->Connect();
    if (!m_fields->SaveDefect()) return;
    m_context.ShowMessage(m_context.Text(MsgSuccess));
    accept();
}

void CDefectEditDlg::OnNew()
{
    if (!m_fields->InsertDefect()) return;
    m_context.ShowMessage(m_context.Text(MsgSuccess));
    accept();
}
