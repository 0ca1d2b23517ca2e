#include "CCustomFieldsDlg.h"

#include "CAppContext.h"
#include "CustomFieldIds.h"
#include "DialogHelpers.h"
#include "QtText.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QListWidget>
#include <QRegularExpression>
#include <QScrollArea>
#include <QVBoxLayout>

#include <algorithm>

using namespace FormStyles;

namespace {
const char kSection[] = "tessaro";
}

CCustomFieldsDlg::CCustomFieldsDlg(CAppContext& context, QWidget* parent)
    : QWidget(parent), m_context(context), m_scroll(new QScrollArea(this)), m_canvas(new QWidget) {
    setObjectName(QString::number(CustomFieldIds::CustomFieldsPage));
    m_form.SetScratchFiles(context.m_configDir + "/layout.ini", context.TempDir());
    m_form.SetMessageSink([this](const QString& text) { m_context.ShowMessage(text); });
    m_scroll->setFrameShape(QFrame::StyledPanel);
    m_scroll->setWidget(m_canvas);
    m_scroll->setWidgetResizable(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_scroll);
    ApplyDialogLook(this, context);
    OnInitDialog();
}

bool CCustomFieldsDlg::IsDataField(const QString& name) {
    static const QRegularExpression kIdentifier(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    return !name.endsWith(QLatin1String("_ST"), Qt::CaseSensitive) && kIdentifier.match(name).hasMatch();
}

bool CCustomFieldsDlg::OnInitDialog() {
    m_form.LoadLayoutFile(m_context.m_prjCustomField, kSection);
    m_form.SetDesignMode(0);
    m_form.CreateControls(m_canvas);
    m_form.SetDesignMode(0);
    // The canvas holds every field; the page scrolls when it is smaller.
    int right = 0, bottom = 0;
    for (const CFormField& field : m_form.Fields()) {
        if (!field.m_control) continue;
        const QRect g = field.m_control->geometry();
        right = std::max(right, g.x() + g.width());
        bottom = std::max(bottom, g.y() + g.height());
    }
    m_canvas->resize(right + 8, bottom + 8);
    BindFields();
    FillLookupLists();
    LoadValues();
    return true;
}

void CCustomFieldsDlg::FillLookupLists() {
    for (const CFormField& field : m_form.Fields()) {
        if (!IsDataField(field.m_name) || !field.m_control) continue;
        QString editStyle;
        const QString listId = m_context.GetColumnRefList(field.m_name, editStyle);
        if (listId.isEmpty()) continue;
        CResultSet values;
        m_context.SelectParams(listId.toUtf8().constData(), values);
        // The column's edit style picks the control; a field laid out as
        // another type keeps an empty list.
        if (editStyle.compare(QLatin1String("ComboBox"), Qt::CaseInsensitive) == 0) {
            if (auto* combo = qobject_cast<QComboBox*>(field.m_control.data())) {
                FillComboFromResult(values, "PARAMETER_NAME", combo, 0, 0);
                combo->setCurrentIndex(-1);
            }
        } else if (editStyle.compare(QLatin1String("ListBox"), Qt::CaseInsensitive) == 0) {
            if (auto* list = qobject_cast<QListWidget*>(field.m_control.data())) {
                FillListFromResult(values, "PARAMETER_NAME", list);
                list->setCurrentRow(-1);
            }
        }
    }
}

QString CCustomFieldsDlg::Caption(const CFormField& field) const {
    for (const CFormField& caption : m_form.Fields()) {
        if (caption.m_name.compare(field.m_name + QLatin1String("_ST"), Qt::CaseInsensitive) != 0) continue;
        QString text = caption.m_label.trimmed();
        while (text.endsWith(QLatin1Char(':')) || text.endsWith(QChar(0xFF1A))) text.chop(1);
        if (!text.trimmed().isEmpty()) return text.trimmed();
    }
    return field.m_label.isEmpty() ? field.m_name : field.m_label;
}

void CCustomFieldsDlg::BindFields() {
    for (const CFormField& field : m_form.Fields()) {
        if (!IsDataField(field.m_name)) continue;
        FieldEdit edit;
        edit.column = field.m_name;
        edit.caption = Caption(field);
        const QString name = field.m_name;
        m_edited.Add(
            edit, [this, name]() { return m_form.GetFieldValue(name); },
            [this, name](const QString& stored) { m_form.SetFieldValue(name, stored); });
    }
}

QString CCustomFieldsDlg::BuildColumnList() const {
    QStringList columns;
    for (const CFormField& field : m_form.Fields())
        if (IsDataField(field.m_name)) columns << field.m_name;
    return columns.join(QLatin1Char(','));
}

bool CCustomFieldsDlg::LoadValues() {
    const QString columns = BuildColumnList();
    bool loaded = false;
    CResultSet result;
    if (!columns.isEmpty()) {
        const QString sql = QStringLiteral("select %1 from t_bug where BG_BUG_ID=%2 ")
                                .arg(columns)
                                .arg(m_context.m_currentBugId);
        if (m_context.RunSelect(sql.toUtf8().constData(), result) > 0) {
            for (const CFormField& field : m_form.Fields()) {
                if (!IsDataField(field.m_name)) continue;
                m_form.SetFieldValue(field.m_name,
                                     ToQt(result.GetValue(0, field.m_name.toUtf8().constData())));
            }
            loaded = true;
        }
    }
    // A new defect's fields count as loaded with what they show first.
    m_edited.Loaded([&result, loaded](const QString& column) {
        return loaded ? ToQt(result.GetValue(0, column.toUtf8().constData())) : QString();
    });
    return loaded;
}

void CCustomFieldsDlg::BuildInsertParts(QString& columns, QString& values) const {
    columns.clear();
    values.clear();
    for (const FieldValue& field : FieldValues()) {
        if (field.current == field.loaded) continue;
        columns += QLatin1Char(',') + field.column;
        values += QLatin1String(",'") + CAppContext::Quoted(field.current) + QLatin1Char('\'');
    }
}

std::vector<CCustomFieldsDlg::FieldValue> CCustomFieldsDlg::FieldValues() const {
    std::vector<FieldValue> values;
    for (const FieldEdit& edit : m_edited.Edits())
        values.push_back({edit.column, edit.stored, edit.loaded, edit.current});
    return values;
}

void CCustomFieldsDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}
