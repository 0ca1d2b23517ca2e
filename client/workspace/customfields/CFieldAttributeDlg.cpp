#include "CFieldAttributeDlg.h"

#include "CAppContext.h"
#include "CLocalizer.h"
#include "CustomFieldIds.h"
#include "DialogHelpers.h"
#include "QtText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

using namespace CustomFieldIds;

namespace {

template <typename T>
T* Named(T* widget, int id) {
    widget->setObjectName(QString::number(id));
    return widget;
}

}  // namespace

CFieldAttributeDlg::CFieldAttributeDlg(CAppContext& context, QWidget* parent,
                                       std::function<void(QWidget*)> openListEditor)
    : QDialog(parent), m_context(context), m_openListEditor(std::move(openListEditor)) {
    setObjectName(QStringLiteral("CFieldAttributeDlg"));
    CLocalizer::Tag(this, FieldAttributeDlg);
    setWindowTitle(QStringLiteral("属性自定义"));
    m_system = Named(new QRadioButton(QStringLiteral("System"), this), RadioSystem);
    m_custom = Named(new QRadioButton(QStringLiteral("Custom"), this), RadioCustom);
    m_labels = Named(new QListWidget(this), ListLabels);
    m_column = Named(new QLineEdit(this), EditColumn);
    m_column->setReadOnly(true);
    m_label = Named(new QLineEdit(this), EditLabel);
    m_editStyle = Named(new QComboBox(this), ComboEditStyle);
    m_used = Named(new QCheckBox(QStringLiteral("Enable"), this), CheckUsed);
    m_listId = Named(new QComboBox(this), ComboListId);
    m_verify = Named(new QCheckBox(QStringLiteral("Verify Value"), this), CheckVerify);
    m_save = Named(new QPushButton(QStringLiteral("Save"), this), ButtonSave);
    m_modifyList = Named(new QPushButton(QStringLiteral("Modify List"), this), ButtonModifyList);
    m_newList = Named(new QPushButton(QStringLiteral("New List"), this), ButtonNewList);
    m_showUnused = Named(new QCheckBox(QStringLiteral("Display not used fields"), this), CheckShowUnused);
    m_columnCaption = Named(new QLabel(QStringLiteral("Field Name:"), this), LabelColumn);
    m_labelCaption = Named(new QLabel(QStringLiteral("Display Label:"), this), LabelLabel);
    m_styleCaption = Named(new QLabel(QStringLiteral("Field Type:"), this), LabelEditStyle);
    m_listsCaption = Named(new QLabel(QStringLiteral("Lookup Lists"), this), LabelLists);
    for (QPushButton* b : {m_save, m_modifyList, m_newList}) b->setAutoDefault(false);
    // Created hidden, and nothing shows them.
    m_modifyList->hide();
    m_newList->hide();
    m_showUnused->hide();

    auto* layout = new QGridLayout(this);
    auto* kinds = new QHBoxLayout;
    kinds->addWidget(m_system);
    kinds->addWidget(m_custom);
    kinds->addStretch();
    layout->addLayout(kinds, 0, 0, 1, 3);
    layout->addWidget(m_labels, 1, 0, 9, 1);
    layout->addWidget(m_columnCaption, 1, 1);
    layout->addWidget(m_column, 1, 2);
    layout->addWidget(m_labelCaption, 2, 1);
    layout->addWidget(m_label, 2, 2);
    layout->addWidget(m_styleCaption, 3, 1);
    layout->addWidget(m_editStyle, 3, 2);
    layout->addWidget(m_used, 4, 2);
    layout->addWidget(m_listsCaption, 5, 1);
    layout->addWidget(m_listId, 5, 2);
    layout->addWidget(m_verify, 6, 2);
    layout->addWidget(m_modifyList, 7, 1);
    layout->addWidget(m_newList, 7, 2);
    layout->addWidget(m_showUnused, 8, 2);
    layout->addWidget(m_save, 9, 2, Qt::AlignRight | Qt::AlignBottom);
    layout->setColumnStretch(0, 1);
    layout->setColumnStretch(2, 1);
    resize(600, 360);

    connect(m_system, &QRadioButton::clicked, this, &CFieldAttributeDlg::OnSystem);
    connect(m_custom, &QRadioButton::clicked, this, &CFieldAttributeDlg::OnCustom);
    connect(m_labels, &QListWidget::currentRowChanged, this, &CFieldAttributeDlg::OnSelectLabel);
    connect(m_save, &QPushButton::clicked, this, &CFieldAttributeDlg::OnSave);
    connect(m_modifyList, &QPushButton::clicked, this, &CFieldAttributeDlg::OnModifyList);

    ApplyDialogLook(this, context);
    ApplyButtonFace(context, {m_save});
    SetOkIcon(m_save);
}

void CFieldAttributeDlg::reject() {
    if (isWindow())
        QDialog::reject();
    else if (QWidget* sheet = window())
        sheet->close();
}

void CFieldAttributeDlg::showEvent(QShowEvent* event) {
    OnSetActive();
    QDialog::showEvent(event);
}

bool CFieldAttributeDlg::OnSetActive() {
    if (m_activated != 0) return true;
    m_activated = 1;
    SetTexts();
    EnableEditors(false);
    m_system->setChecked(true);
    m_showUnused->setChecked(true);
    // The first list shows only the used system fields; later ones follow
    // the (hidden, checked) box and show all.
    LoadLabels(QStringLiteral("1"), true);
    FillListIds();
    FillEditStyles();
    return true;
}

void CFieldAttributeDlg::SetTexts() {
    auto own = [this](QWidget* widget, bool colon) {
        const QString text = m_context.Text(widget->objectName().toInt());
        if (text.isEmpty()) return;
        const QString caption = colon ? text + QLatin1Char(':') : text;
        if (auto* button = qobject_cast<QAbstractButton*>(widget)) button->setText(caption);
        else if (auto* label = qobject_cast<QLabel*>(widget)) label->setText(caption);
    };
    for (QWidget* w : std::initializer_list<QWidget*>{m_system, m_custom, m_used, m_listsCaption,
                                                      m_newList, m_modifyList, m_verify, m_save})
        own(w, false);
    for (QWidget* w : {m_columnCaption, m_labelCaption, m_styleCaption}) own(w, true);
    const QString title = m_context.Text(FieldAttributeDlg);
    if (!title.isEmpty()) setWindowTitle(title);
}

void CFieldAttributeDlg::EnableEditors(bool on) {
    for (QWidget* w : std::initializer_list<QWidget*>{m_editStyle, m_used, m_listId, m_newList,
                                                      m_modifyList, m_verify})
        w->setEnabled(on);
}

void CFieldAttributeDlg::LoadLabels(const QString& isSys, bool usedOnly) {
    const QString sql =
        usedOnly ? QStringLiteral("select user_label from t_cfg_sys_list where is_used='1' and "
                                  "is_sys='%1'  and TABLE_NAME='T_BUG' ")
                 : QStringLiteral("select user_label from t_cfg_sys_list where is_sys='%1' and "
                                  "TABLE_NAME='T_BUG'  ");
    CResultSet result;
    if (m_context.RunSelect(sql.arg(CAppContext::Quoted(isSys)).toUtf8().constData(), result) < 0)
        return;
    const QSignalBlocker quiet(m_labels);
    FillListFromResult(result, "USER_LABEL", m_labels);
}

void CFieldAttributeDlg::FillEditStyles() {
    m_editStyle->clear();
    m_editStyle->addItems({"TextBox", "ComboBox", "ListBox", "CheckBox"});
    m_editStyle->setCurrentIndex(-1);
}

void CFieldAttributeDlg::FillListIds() {
    CResultSet result;
    if (m_context.RunSelect("select distinct PARAMETER_TYPE_ID from T_CFG_PARAM   where "
                            "PARAMETER_TYPE<>'1'  group by PARAMETER_TYPE_ID order by "
                            "PARAMETER_TYPE_ID ",
                            result) < 0)
        return;
    const QString chosen = GetComboText(m_listId);
    FillComboFromResult(result, "PARAMETER_TYPE_ID", m_listId, 0, 0);
    m_listId->model()->sort(0);  // a sorted list
    m_listId->setCurrentIndex(-1);
    SelectComboText(m_listId, chosen, 0);
}

void CFieldAttributeDlg::ClearEditors() {
    m_column->clear();
    m_label->clear();
    m_editStyle->setCurrentIndex(-1);
    m_listId->setCurrentIndex(-1);
    m_used->setChecked(false);
    m_verify->setChecked(false);
}

void CFieldAttributeDlg::OnSystem() {
    EnableEditors(false);
    LoadLabels(QStringLiteral("1"), !m_showUnused->isChecked());
}

void CFieldAttributeDlg::OnCustom() {
    EnableEditors(true);
    LoadLabels(QStringLiteral("0"), !m_showUnused->isChecked());
}

void CFieldAttributeDlg::OnSelectLabel() {
    QListWidgetItem* item = m_labels->currentItem();
    if (!item) return;
    const QString label = item->text();
    ClearEditors();
    CResultSet result;
    const QString sql =
        QStringLiteral("select * from t_cfg_sys_list where USER_LABEL='%1' and TABLE_NAME='T_BUG' ")
            .arg(CAppContext::Quoted(label));
    if (m_context.RunSelect(sql.toUtf8().constData(), result) < 1) return;
    m_column->setText(ToQt(result.GetValue(0, "COLUMN_NAME")));
    m_label->setText(label);
    SelectComboText(m_editStyle, ToQt(result.GetValue(0, "EDIT_STYLE")), 0);
    SelectComboText(m_listId, ToQt(result.GetValue(0, "REF_LIST")), 0);
    m_used->setChecked(result.GetInt(0, "IS_USED") == 1);
    m_verify->setChecked(result.GetInt(0, "IS_VERIFY") == 1);
}

bool CFieldAttributeDlg::OnSave() {
    const int index = m_labels->currentRow();
    const QString column = m_column->text();
    // Without a chosen field the update would match no row and still be
    // reported as done.
    if (column.isEmpty()) {
        m_context.ShowMessage(m_context.Text(MsgChooseField));
        return false;
    }
    const QString sql =
        QStringLiteral("update t_cfg_sys_list set is_verify='%1',IS_USED='%2',USER_LABEL='%3',"
                       "EDIT_STYLE='%4',REF_LIST='%5' where COLUMN_NAME='%6' and TABLE_NAME='T_BUG'")
            .arg(QString::number(m_verify->isChecked() ? 1 : 0),
                 QString::number(m_used->isChecked() ? 1 : 0), CAppContext::Quoted(m_label->text()),
                 CAppContext::Quoted(GetComboText(m_editStyle)), CAppContext::Quoted(GetComboText(m_listId)),
                 CAppContext::Quoted(column));
    if (!m_context.RunExec(sql.toUtf8().constData())) return false;
    LoadLabels(m_system->isChecked() ? QStringLiteral("1") : QStringLiteral("0"),
               !m_showUnused->isChecked());
    m_labels->setCurrentRow(index);
    // The editor, the designer and the lookups read the cached field
    // configuration: that, and nothing else, is read again.
    m_context.ReloadColumns();
    m_context.ShowMessage(m_context.Text(MsgSuccess));
    return true;
}

void CFieldAttributeDlg::OnModifyList() {
    if (m_openListEditor) m_openListEditor(this);
    FillListIds();
}
