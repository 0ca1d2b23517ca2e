#include "CPromptInputDlg.h"

#include "CAppContext.h"
#include "CLocalizer.h"
#include "ClientIds.h"
#include "DialogHelpers.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CPromptInputDlg::CPromptInputDlg(CAppContext& context, QWidget* parent)
    : QDialog(parent), m_context(context) {
    setObjectName("CPromptInputDlg");
    m_edit = new QLineEdit(this);
    m_edit->setObjectName(QString::number(ids::kPromptEdit));
    m_edit->setMinimumWidth(280);
    auto* ok = CLocalizer::Tag(new QPushButton(this), ids::kOk);
    ok->setObjectName(QString::number(ids::kOk));
    ok->setDefault(true);
    auto* cancel = CLocalizer::Tag(new QPushButton(this), ids::kCancel);
    cancel->setObjectName(QString::number(ids::kCancel));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_edit);
    layout->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, &CPromptInputDlg::OnOK);
    connect(m_edit, &QLineEdit::returnPressed, this, &CPromptInputDlg::OnOK);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    ApplyDialogLook(this, m_context);
    ApplyButtonFace(m_context, {ok, cancel});
    SetOkIcon(ok);
    SetCancelIcon(cancel);
    CLocalizer::Apply(this, m_context);
}

int CPromptInputDlg::exec() {
    setWindowTitle(m_title);
    m_edit->setText(m_initialText);
    // Selected and focused, so that typing replaces the proposal.
    m_edit->selectAll();
    m_edit->setFocus();
    return QDialog::exec();
}

void CPromptInputDlg::OnOK() {
    m_value = m_edit->text();
    if (!m_value.isEmpty()) QDialog::accept();
}
