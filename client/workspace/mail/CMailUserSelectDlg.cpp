#include "CMailUserSelectDlg.h"

#include "CAppContext.h"
#include "CLocalizer.h"
#include "CResultGrid.h"
#include "DialogHelpers.h"
#include "QtText.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const char kNone[] = "----------";

QPushButton* Button(QWidget* parent, int id, const char* text) {
    auto* button = CLocalizer::Tag(new QPushButton(QString::fromUtf8(text), parent), id);
    button->setObjectName(QString::number(id));
    button->setAutoDefault(false);
    return button;
}

QListWidget* List(QWidget* parent, int id) {
    auto* list = new QListWidget(parent);
    list->setObjectName(QString::number(id));
    return list;
}

bool Contains(const QStringList& addresses, const QString& address) {
    for (const QString& item : addresses)
        if (item.compare(address, Qt::CaseInsensitive) == 0) return true;
    return false;
}

}  // namespace

CMailUserSelectDlg::CMailUserSelectDlg(CAppContext& context, QWidget* parent)
    : QDialog(parent), m_context(context) {
    setObjectName("CMailUserSelectDlg");
    CLocalizer::Tag(this, kDialog);
    setWindowTitle(QString::fromUtf8("邮件发送用户选择"));
    m_clearCc = Button(this, kClearCc, "清除");
    m_clearTo = Button(this, kClearTo, "清除");
    m_ccList = List(this, kCcList);
    m_toList = List(this, kToList);
    m_dept = new QComboBox(this);
    m_dept->setObjectName(QString::number(kDeptList));
    m_grid = new CResultGrid(context, this);
    m_grid->setObjectName(QString::number(kGrid));
    m_addCc = Button(this, kAddCc, "抄送");
    m_addTo = Button(this, kAddTo, "收件人");
    m_find = Button(this, kFind, "查询");
    m_cancel = Button(this, kCancel, "取消");
    m_ok = Button(this, kOk, "确定");
    m_search = new QLineEdit(this);
    m_search->setObjectName(QString::number(kSearchEdit));

    auto* top = new QHBoxLayout;
    top->addWidget(m_dept, 1);
    top->addWidget(m_search, 1);
    top->addWidget(m_find);
    auto* chosen = new QGridLayout;
    chosen->addWidget(m_addTo, 0, 0);
    chosen->addWidget(m_toList, 0, 1);
    chosen->addWidget(m_clearTo, 0, 2, Qt::AlignTop);
    chosen->addWidget(m_addCc, 1, 0);
    chosen->addWidget(m_ccList, 1, 1);
    chosen->addWidget(m_clearCc, 1, 2, Qt::AlignTop);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_grid, 2);
    layout->addLayout(chosen, 1);
    layout->addLayout(buttons);
    resize(520, 520);

    connect(m_dept, &QComboBox::currentIndexChanged, this, &CMailUserSelectDlg::OnDeptChanged);
    connect(m_find, &QPushButton::clicked, this, &CMailUserSelectDlg::OnFind);
    connect(m_search, &QLineEdit::returnPressed, this, &CMailUserSelectDlg::OnFind);
    connect(m_addTo, &QPushButton::clicked, this, &CMailUserSelectDlg::OnAddTo);
    connect(m_addCc, &QPushButton::clicked, this, &CMailUserSelectDlg::OnAddCc);
    connect(m_clearTo, &QPushButton::clicked, this, &CMailUserSelectDlg::OnClearTo);
    connect(m_clearCc, &QPushButton::clicked, this, &CMailUserSelectDlg::OnClearCc);
    connect(m_ok, &QPushButton::clicked, this, &CMailUserSelectDlg::OnOK);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);

    ApplyDialogLook(this, m_context);
    ApplyButtonFace(m_context, {m_clearCc, m_clearTo, m_addCc, m_addTo, m_find, m_cancel, m_ok});
    SetOkIcon(m_ok);
    SetCancelIcon(m_cancel);
    m_grid->SetStandardLook();
    m_grid->SetRowNumbers(0);
    m_grid->SetDataClient(&m_context.m_http);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    CLocalizer::Apply(this, m_context);
    LoadUsers();
}

void CMailUserSelectDlg::LocalizeCaptions() {
    const QString title = m_context.Text(kDialog);
    if (!title.isEmpty()) setWindowTitle(title);
}

void CMailUserSelectDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // The caller sets the address lists after construction, before showing.
    if (!m_listsFilled) FillLists();
}

void CMailUserSelectDlg::FillLists() {
    m_listsFilled = true;
    m_toList->clear();
    m_ccList->clear();
    m_toList->addItems(m_to);
    m_ccList->addItems(m_cc);
}

QString CMailUserSelectDlg::Caption(const char* field) const {
    QString alias = m_context.GetAlias(QString::fromLatin1(field));
    alias.replace('"', "\"\"");
    return '"' + alias + '"';
}

QString CMailUserSelectDlg::AllUsersSql(bool spaced) const {
    return QStringLiteral("select distinct USER_NAME as %1%2,USER_MAIL as %3 from t_cfg_st_user "
                          "where user_name <> 'admin'  order by user_name ")
        .arg(Caption("USER_NAME"), spaced ? QStringLiteral(" ") : QString(), Caption("USER_MAIL"));
}

QString CMailUserSelectDlg::DeptUsersSql(const QString& dept) const {
    return QStringLiteral("select distinct USER_NAME as %1,USER_MAIL as %2 from t_cfg_st_user "
                          "where user_name <> 'admin'  and dept_name='%3' order by user_name ")
        .arg(Caption("USER_NAME"), Caption("USER_MAIL"), CAppContext::Quoted(dept));
}

QString CMailUserSelectDlg::FindUsersSql(const QString& text) const {
    const QString quoted = CAppContext::Quoted(text);
    return QStringLiteral("select distinct USER_NAME as %1,USER_MAIL as %2 from t_cfg_st_user "
                          "where user_name <> 'admin'  and (user_name like '%%3%' or USER_FULLNAME "
                          "like '%%4%' )  order by user_name ")
        .arg(Caption("USER_NAME"), Caption("USER_MAIL"), quoted, quoted);
}

void CMailUserSelectDlg::LoadUsers() {
    m_grid->RunQuery(AllUsersSql(false));
    const QSignalBlocker quiet(m_dept);
    FillComboFromResult(m_context.m_depts, "dept_name", m_dept, 1, 0);
    m_dept->setCurrentIndex(0);
}

void CMailUserSelectDlg::OnDeptChanged() {
    const QString dept = m_dept->currentText();
    if (dept.isEmpty()) return;
    m_grid->RunQuery(dept == QLatin1String(kNone) ? AllUsersSql(true) : DeptUsersSql(dept));
}

void CMailUserSelectDlg::OnFind() {
    m_grid->RunQuery(FindUsersSql(m_search->text()));
}

void CMailUserSelectDlg::AddSelected(QStringList& addresses, QListWidget* list) {
    const int row = m_grid->CurrentRow();
    if (row < 0) return;
    const QString address = m_grid->Model()->Text(row, 1).trimmed();
    if (address.isEmpty() || Contains(addresses, address)) return;
    addresses << address;
    list->addItem(address);
}

void CMailUserSelectDlg::OnAddTo() { AddSelected(m_to, m_toList); }

void CMailUserSelectDlg::OnAddCc() { AddSelected(m_cc, m_ccList); }

void CMailUserSelectDlg::OnClearTo() {
    m_toList->clear();
    m_to.clear();
}

void CMailUserSelectDlg::OnClearCc() {
    m_ccList->clear();
    m_cc.clear();
}

void CMailUserSelectDlg::OnOK() {
    m_to.clear();
    m_cc.clear();
    for (int i = 0; i < m_toList->count(); ++i) m_to << m_toList->item(i)->text();
    for (int i = 0; i < m_ccList->count(); ++i) m_cc << m_ccList->item(i)->text();
    accept();
}
