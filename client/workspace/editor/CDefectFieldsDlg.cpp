#include "CDefectFieldsDlg.h"

#include "CAppContext.h"
#include "CAttachmentDlg.h"
#include "CCustomFieldsDlg.h"
#include "CDefectSave.h"
#include "CDefectSql.h"
#include "CLabelCtrl.h"
#include "CLocalizer.h"
#include "CTreeComboBox.h"
#include "DialogHelpers.h"
#include "Helpers.h"
#include "IDefectEditor.h"
#include "LookupLists.h"
#include "QtText.h"
#include "WorkspaceIds.h"

#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

using namespace WorkspaceIds;
using LookupLists::SelectOrKeep;

namespace {

const QColor kRequiredColour(225, 0, 0);

// The picker's text of a stored user: "name (full name)", or the bare name
// of a user the cached list does not know.
QString UserText(const CAppContext& context, const QString& user)
{
    const QString text = context.FormatUserWithFullName(user);
    return text.isEmpty() ? user : text;
}

QString DateOnly(const QDate& date)
{
    return QString::asprintf("%04d-%02d-%02d", date.year(), date.month(), date.day());
}

}  // namespace

CDefectFieldsDlg::CDefectFieldsDlg(CAppContext& context, IDefectEditor* editor, QWidget* parent)
    : QWidget(parent), m_context(context), m_editor(editor)
{
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(8, 8, 8, 8);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(4);
    const QDateTime now = QDateTime::currentDateTime();

    m_id = new QLabel(this);
    m_status = new QComboBox(this);
    m_summary = new QLineEdit(this);
    m_responsible = new CTreeComboBox(this);
    m_detectedBy = new CTreeComboBox(this);
    m_severity = new QComboBox(this);
    m_priority = new QComboBox(this);
    m_detectionDate = new QDateEdit(now.date(), this);
    m_detectionDate->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    m_detectionDate->setCalendarPopup(true);
    m_detectionVersion = new QComboBox(this);
    m_closingVersion = new QComboBox(this);
    m_closingDate = new QDateEdit(now.date(), this);
    m_closingDate->hide();
    m_description = new QPlainTextEdit(this);
    m_comment = new QPlainTextEdit(this);

    grid->addWidget(AddLabel(LabelId, true, true), 0, 0);
    grid->addWidget(m_id, 0, 1);
    grid->addWidget(AddLabel(LabelStatus, true, true), 0, 2);
    grid->addWidget(m_status, 0, 3);
    grid->addWidget(AddLabel(LabelSummary, true, true), 1, 0);
    grid->addWidget(m_summary, 1, 1, 1, 3);
    grid->addWidget(AddLabel(LabelResponsible, true, true), 2, 0);
    grid->addWidget(m_responsible, 2, 1);
    grid->addWidget(AddLabel(LabelDetectedBy, true, false), 2, 2);
    grid->addWidget(m_detectedBy, 2, 3);
    grid->addWidget(AddLabel(LabelSeverity, true, true), 3, 0);
    grid->addWidget(m_severity, 3, 1);
    grid->addWidget(AddLabel(LabelPriority, false, false), 3, 2);
    grid->addWidget(m_priority, 3, 3);
    grid->addWidget(AddLabel(LabelDetectionDate, false, false), 4, 0);
    grid->addWidget(m_detectionDate, 4, 1);
    grid->addWidget(AddLabel(LabelDetectionVersion, false, false), 4, 2);
    grid->addWidget(m_detectionVersion, 4, 3);
    grid->addWidget(AddLabel(LabelClosingVersion, false, false), 5, 0);
    grid->addWidget(m_closingVersion, 5, 1);
    AddLabel(LabelClosingDate, false, false)->hide();
    grid->addWidget(AddLabel(LabelDescription, true, true), 6, 0, 1, 4);
    grid->addWidget(m_description, 7, 0, 1, 4);
    grid->addWidget(AddLabel(LabelComment, false, false), 8, 0, 1, 4);
    grid->addWidget(m_comment, 9, 0, 1, 4);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    grid->setRowStretch(7, 2);
    grid->setRowStretch(9, 1);

    ApplyFieldRights();
    for (CLabelCtrl* label : m_labels) {
        const int id = label->property("langId").toInt();
        label->SetText(QStringLiteral("%1%2:").arg(label->property("mark").toString(), m_context.Text(id)));
        if (label->property("red").toBool()) label->SetTextColor(kRequiredColour);
        if (m_context.m_fillBackground == 1) label->SetBkColor(m_context.m_bgColor);
    }
    FillLists();
    BindFields();
}

void CDefectFieldsDlg::BindFields()
{
    const auto field = [this](const char* column, int label, FieldKind kind = FieldKind::Text,
                              const char* param = "") {
        FieldEdit f;
        f.column = QString::fromLatin1(column);
        f.caption = m_context.Text(label);
        f.kind = kind;
        f.param = QString::fromLatin1(param);
        return f;
    };
    const auto combo = [](QComboBox* box) {
        return std::make_pair([box]() { return GetComboText(box); },
                              [box](const QString& v) { SelectOrKeep(box, v); });
    };
    const auto version = [](QComboBox* box) {
        return std::make_pair([box]() { return box->currentText(); },
                              [box](const QString& v) { SelectOrKeep(box, v); });
    };
    const auto user = [this](CTreeComboBox* picker) {
        return std::make_pair([picker]() { return picker->GetText(); },
                              [this, picker](const QString& v) {
                                  picker->SelectText(UserText(m_context, v), 3);
                              });
    };
    const auto namePart = [](const QString& text) { return CDefectSql::NamePart(text); };
    const auto add = [this](const FieldEdit& f, const auto& io,
                            CEditedFields::ToValue toValue = {}) {
        m_edited.Add(f, io.first, io.second, std::move(toValue));
    };
    const auto line = std::make_pair([this]() { return m_summary->text(); },
                                     [this](const QString& v) { m_summary->setText(v); });
    const auto text = [](QPlainTextEdit* edit) {
        return std::make_pair([edit]() { return edit->toPlainText(); },
                              [edit](const QString& v) { edit->setPlainText(v); });
    };
    const auto date = std::make_pair(
        [this]() { return DateOnly(m_detectionDate->date()); },
        [this](const QString& v) { m_detectionDate->setDate(TextToDateTime(v).date()); });

    // In the order of the editor's update.
    add(field("BG_STATUS", LabelStatus), combo(m_status));
    add(field("BG_RESPONSIBLE", LabelResponsible), user(m_responsible), namePart);
    add(field("BG_SUMMARY", LabelSummary), line);
    add(field("BG_SEVERITY", LabelSeverity), combo(m_severity));
    add(field("BG_PRIORITY", LabelPriority), combo(m_priority));
    add(field("BG_DETECTED_BY", LabelDetectedBy), user(m_detectedBy), namePart);
    add(field("BG_DETECTION_DATE", LabelDetectionDate, FieldKind::Date), date);
    add(field("BG_DETECTION_VERSION", LabelDetectionVersion), version(m_detectionVersion));
    add(field("BG_DESCRIPTION", LabelDescription, FieldKind::LongText, "clDesc"),
        text(m_description));
    add(field("BG_DEV_COMMENTS", LabelComment, FieldKind::LongText, "clComment"),
        text(m_comment));
    add(field("BG_CLOSING_VERSION", LabelClosingVersion), version(m_closingVersion));
}

QVector<CEditedFields*> CDefectFieldsDlg::FieldSets()
{
    QVector<CEditedFields*> sets{&m_edited};
    if (m_editor && m_editor->CustomFieldsPage())
        sets << &m_editor->CustomFieldsPage()->EditedFields();
    return sets;
}

CLabelCtrl* CDefectFieldsDlg::AddLabel(int id, bool marked, bool red)
{
    auto* label = new CLabelCtrl(QString(), this, Qt::AlignLeft | Qt::AlignVCenter);
    label->setProperty("langId", id);
    label->setProperty("mark", marked ? QStringLiteral("*") : QString());
    label->setProperty("red", red);
    m_labels << label;
    return label;
}

CLabelCtrl* CDefectFieldsDlg::FieldLabel(int labelId) const
{
    for (CLabelCtrl* label : m_labels)
        if (label->property("langId").toInt() == labelId) return label;
    return nullptr;
}

void CDefectFieldsDlg::FillLists()
{
    QFont font(QStringLiteral("Microsoft Sans Serif"));
    font.setPixelSize(14);
    m_description->setFont(font);
    m_comment->setFont(font);
    FillComboFromResult(m_context.m_statuses, "PARAMETER_NAME", m_status, 0, 0);
    FillComboFromResult(m_context.m_severities, "PARAMETER_NAME", m_severity, 0, 0);
    FillComboFromResult(m_context.m_priorities, "PARAMETER_NAME", m_priority, 0, 0);
    LookupLists::FillUserTree(m_context, *m_responsible, false);
    LookupLists::FillUserTree(m_context, *m_detectedBy, false);
    for (QComboBox* combo : {m_detectionVersion, m_closingVersion}) {
        combo->clear();
        m_context.FillVersionCombo(combo, m_context.m_currentProject, 0);
    }
    // Drop-down lists start without a choice: what is not chosen is saved empty.
    for (QComboBox* combo :
         {m_status, m_severity, m_priority, m_detectionVersion, m_closingVersion})
        combo->setCurrentIndex(-1);
}

void CDefectFieldsDlg::ApplyFieldRights()
{
    if (m_context.m_currentBugId < 0) {
        m_closingVersion->hide();
        if (CLabelCtrl* label = FieldLabel(LabelClosingVersion)) label->hide();
        return;
    }
    struct Field {
        const char* column;
        QWidget* widget;
    };
    const Field fields[] = {
        {"BG_RESPONSIBLE", m_responsible},         {"BG_PRIORITY", m_priority},
        {"BG_SEVERITY", m_severity},               {"BG_DETECTION_DATE", m_detectionDate},
        {"BG_DETECTION_VERSION", m_detectionVersion}, {"BG_CLOSING_VERSION", m_closingVersion},
        {"BG_CLOSING_DATE", m_closingDate},        {"BG_DESCRIPTION", m_description},
        {"BG_DEV_COMMENTS", m_comment},            {"BG_STATUS", m_status},
        {"BG_SUMMARY", m_summary},                 {"BG_DETECTED_BY", m_detectedBy},
    };
    const QString& rights = m_context.m_rights;
    for (const Field& field : fields) {
        const int order = m_context.GetColumnOrder(QString::fromLatin1(field.column));
        if (order >= 64) break;
        const int position = order + 9;
        // A digit the rights string does not reach grants nothing.
        const bool granted = position >= 0 && position < rights.size() &&
                             rights[position] != QLatin1Char('0');
        if (auto* line = qobject_cast<QLineEdit*>(field.widget))
            line->setReadOnly(!granted);
        else if (auto* text = qobject_cast<QPlainTextEdit*>(field.widget))
            text->setReadOnly(!granted);
        else
            field.widget->setEnabled(granted);
    }
}

void CDefectFieldsDlg::SetNewDefaults()
{
    const QString middle = QStringLiteral("01-中");
    SelectComboText(m_severity, middle, 0);
    SelectComboText(m_priority, middle, 0);
    SelectComboText(m_status, QStringLiteral("00-New"), 0);
    m_detectedBy->SelectText(UserText(m_context, m_context.m_userName), 3);
    const QDate today = QDate::currentDate();
    m_detectionDate->setDate(today);
    m_closingDate->setDate(today);
    m_id->clear();
    m_summary->clear();
    m_comment->clear();
}

void CDefectFieldsDlg::NewDefect()
{
    if (m_editor) m_editor->ShowNewButtons(true);
    m_closingVersion->setEnabled(false);
    m_closingDate->setEnabled(false);
    SetNewDefaults();
    m_defectId = m_context.NextBugId();
    m_context.m_currentBugId = m_defectId;
    m_id->setText(QString::number(m_defectId));
}

void CDefectFieldsDlg::LoadDefect(int bugId)
{
    if (m_editor) m_editor->ShowNewButtons(false);
    CResultSet row;
    const QString sql = QStringLiteral("select * from t_bug where BG_BUG_ID=%1 ").arg(bugId);
    if (m_context.RunSelect(sql.toUtf8().constData(), row) < 0 || row.GetRowCount() == 0) return;
    const auto value = [&row](const char* field) { return ToQt(row.GetValue(0, field)); };
    SelectOrKeep(m_status, value("BG_STATUS"));
    SelectOrKeep(m_severity, value("BG_SEVERITY"));
    SelectOrKeep(m_detectionVersion, value("BG_DETECTION_VERSION"));
    SelectOrKeep(m_closingVersion, value("BG_CLOSING_VERSION"));
    SelectOrKeep(m_priority, value("BG_PRIORITY"));
    m_detectedBy->SelectText(UserText(m_context, value("BG_DETECTED_BY")), 3);
    m_responsible->SelectText(UserText(m_context, value("BG_RESPONSIBLE")), 3);
    m_id->setText(value("BG_BUG_ID"));
    m_summary->setText(value("BG_SUMMARY"));
    m_comment->setPlainText(value("BG_DEV_COMMENTS"));
    m_description->setPlainText(value("BG_DESCRIPTION"));
    m_detectionDate->setDate(TextToDateTime(value("BG_DETECTION_DATE").trimmed()).date());
    m_closingDate->setDate(TextToDateTime(value("BG_CLOSING_DATE").trimmed()).date());

    m_loadedStatus = GetComboText(m_status);
    QStringList next;
    m_context.GetNextStatuses(m_loadedStatus, next);
    m_status->clear();
    m_status->addItem(m_loadedStatus);
    for (const QString& status : next)
        if (status.compare(m_loadedStatus, Qt::CaseInsensitive) != 0) m_status->addItem(status);
    m_status->setCurrentIndex(0);
    m_edited.Loaded([&row](const QString& column) {
        return ToQt(row.GetValue(0, column.toUtf8().constData()));
    });
}

void CDefectFieldsDlg::RestoreKept(const KeptDefect& kept)
{
    for (const KeptField& field : kept.fields)
        for (CEditedFields* set : FieldSets())
            if (set->Restore(field.column, field.stored, field.text)) break;
}

int CDefectFieldsDlg::CheckRequired()
{
    struct Required {
        QString text;
        QWidget* widget;
        int label;
    };
    const Required fields[] = {
        {m_description->toPlainText(), m_description, LabelDescription},
        {m_summary->text(), m_summary, LabelSummary},
        {GetComboText(m_status), m_status, LabelStatus},
        {m_responsible->GetText(), m_responsible, LabelResponsible},
        {m_detectedBy->GetText(), m_detectedBy, LabelDetectedBy},
        {GetComboText(m_severity), m_severity, LabelSeverity},
    };
    for (const Required& field : fields) {
        if (!field.text.isEmpty()) continue;
        field.widget->setFocus();
        m_context.ShowMessage(
            QStringLiteral("%1 %2").arg(m_context.Text(field.label), m_context.Text(MsgRequired)));
        return 0;
    }
    return 1;
}

int CDefectFieldsDlg::SaveDefect()
{
    if (!CheckRequired()) return 0;
    const int id = m_id->text().trimmed().toInt();
    QVector<FieldEdit> edits;
    for (CEditedFields* set : FieldSets()) edits += set->Edits();
    // The attachment flag follows the defect's attachment rows as they are
    // when the save writes, whoever attached or deleted a file meanwhile.
    FieldEdit flag;
    flag.column = QStringLiteral("BG_ATTACHMENT");
    flag.kind = FieldKind::Expression;
    flag.derived = true;
    flag.value = CDefectSql::AttachmentFlagExpression();
    flag.current = flag.value;
    edits << flag;

    CDefectSave save(m_context);
    save.SetHistoryUser(m_context.m_userName);
    const CDefectSave::Result result = save.Run(id, edits);
    if (result != CDefectSave::Saved && result != CDefectSave::Unchanged) {
        // Nothing was written: the page keeps what the user typed.
        const bool take = save.Tell(result, id);
        if (result == CDefectSave::Refused)
            for (CEditedFields* set : FieldSets()) set->Rebase(save.Conflicts(), take);
        return 0;
    }
    for (CEditedFields* set : FieldSets()) set->Saved(save.Settled());
    m_loadedStatus = GetComboText(m_status);
    return 1;
}

bool CDefectFieldsDlg::RunInsert(int id)
{
    DefectRecord r;
    r.id = id;
    r.project = m_context.m_currentProject;
    r.status = GetComboText(m_status);
    r.responsible = CDefectSql::NamePart(m_responsible->GetText());
    r.summary = m_summary->text();
    r.severity = GetComboText(m_severity);
    r.priority = GetComboText(m_priority);
    r.detectedBy = CDefectSql::NamePart(m_detectedBy->GetText());
    r.detectionDate = DateOnly(m_detectionDate->date());
    r.detectionVersion = GetComboText(m_detectionVersion);
    // What the user typed on the custom-fields tab is stored with the defect.
    if (m_editor && m_editor->CustomFieldsPage())
        m_editor->CustomFieldsPage()->BuildInsertParts(r.customColumns, r.customValues);
    CListString error;
    if (m_context.m_http.ExecSqlGo(CDefectSql::DefectInsert(r).toUtf8().constData(), error))
        return true;
    m_lastError = ToQt(error);
    return false;
}

int CDefectFieldsDlg::InsertDefect()
{
    if (!CheckRequired()) return 0;
    if (m_defectId <= 0) return 0;
    // The long texts go first, once for every id tried; without them whole
    // on the server nothing is inserted and the editor keeps the text.
    CListString error;
    if (!m_context.m_http.UploadLongParams(
            {{"clDesc", m_description->toPlainText().toStdString()},
             {"clComment", m_comment->toPlainText().toStdString()}},
            1, 3000, error)) {
        const QString why = error.IsEmpty() ? QString::fromUtf8(m_context.m_http.GetErrorText())
                                             : ToQt(error);
        m_context.ShowMessage(why);
        return 0;
    }
    if (!RunInsert(m_defectId)) {
        // Another client may have taken the id: retry with fresh ones.
        CResultSet taken;
        const QString sql = QStringLiteral("select BG_BUG_ID from t_bug where BG_BUG_ID=%1").arg(m_defectId);
        int id = 0;
        if (m_context.m_http.Select(sql.toUtf8().constData(), taken, error) > 0)
            id = m_context.InsertWithNewBugId(
                [&](int next) { return RunInsert(next); });
        if (id <= 0) {
            m_context.ShowMessage(m_lastError);
            return 0;
        }
        m_defectId = id;
        m_context.m_currentBugId = id;
        m_id->setText(QString::number(id));
    }
    if (m_editor && m_editor->AttachmentsPage() && m_editor->AttachmentsPage()->RowCount() > 0) {
        const QString flag = QStringLiteral("update t_bug set BG_ATTACHMENT=%1 where BG_BUG_ID=%2")
                                 .arg(CDefectSql::AttachmentFlagExpression())
                                 .arg(m_context.m_currentBugId);
        if (!m_context.RunExec(flag.toUtf8().constData())) return 0;
    }
    return 1;
}

void CDefectFieldsDlg::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}
