#include "CQuickEditDlg.h"

#include "CAppContext.h"
#include "CDefectSave.h"
#include "CKeptEdits.h"
#include "CLocalizer.h"
#include "DialogHelpers.h"
#include "LookupLists.h"
#include "QtText.h"
#include "WorkspaceIds.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

using namespace WorkspaceIds;

CQuickEditDlg::CQuickEditDlg(CAppContext& context, QWidget* parent)
    : QWidget(parent), m_context(context)
{
    m_idLabel = CLocalizer::Tag(new QLabel(this), LabelId, true);
    m_idLabel->hide();
    m_id = new QLineEdit(this);
    m_id->setReadOnly(true);
    m_id->hide();
    m_statusLabel = CLocalizer::Tag(new QLabel(this), LabelStatus, true);
    m_status = new QComboBox(this);
    m_summaryLabel = CLocalizer::Tag(new QLabel(this), LabelSummary, true);
    m_summary = new QLineEdit(this);
    m_description = new QPlainTextEdit(this);
    m_commentLabel = CLocalizer::Tag(new QLabel(this), LabelComment, true);
    m_comment = new QPlainTextEdit(this);
    m_close = CLocalizer::Tag(new QPushButton(this), ButtonClose);
    connect(m_close, &QPushButton::clicked, this, &CQuickEditDlg::CloseRequested);
    Recolour();
    FillStatuses();
    BindFields();
    LocalizeCaptions();
    m_statusLabel->setGeometry(2, 3, 60, 21);
    m_status->setGeometry(62, 3, 110, 21);
    m_summaryLabel->setGeometry(176, 3, 78, 21);
}

void CQuickEditDlg::FillStatuses()
{
    FillComboFromResult(m_context.m_statuses, "PARAMETER_NAME", m_status, 0, 0);
    m_status->setCurrentIndex(-1);
}

void CQuickEditDlg::BindFields()
{
    const auto field = [](const char* column, FieldKind kind = FieldKind::Text,
                          const char* param = "") {
        FieldEdit f;
        f.column = QString::fromLatin1(column);
        f.kind = kind;
        f.param = QString::fromLatin1(param);
        return f;
    };
    // In the order of the panel's update.
    m_edited.Add(field("BG_SUMMARY"), [this]() { return m_summary->text(); },
                 [this](const QString& v) { m_summary->setText(v); });
    m_edited.Add(field("BG_STATUS"), [this]() { return GetComboText(m_status); },
                 [this](const QString& v) { ShowStatus(v); });
    m_edited.Add(field("BG_DEV_COMMENTS", FieldKind::LongText, "clComment"),
                 [this]() { return m_comment->toPlainText(); },
                 [this](const QString& v) { m_comment->setPlainText(v); });
    m_edited.Add(field("BG_DESCRIPTION", FieldKind::LongText, "clDesc"),
                 [this]() { return m_description->toPlainText(); },
                 [this](const QString& v) { m_description->setPlainText(v); });
}

void CQuickEditDlg::LocalizeCaptions()
{
    for (QLabel* label : {m_idLabel, m_statusLabel, m_summaryLabel, m_commentLabel})
        label->setText(m_context.Label(label->property("langId").toInt()));
    m_close->setText(m_context.Text(ButtonClose));
    m_edited.SetCaption(QStringLiteral("BG_SUMMARY"), m_context.Text(LabelSummary));
    m_edited.SetCaption(QStringLiteral("BG_STATUS"), m_context.Text(LabelStatus));
    m_edited.SetCaption(QStringLiteral("BG_DEV_COMMENTS"), m_context.Text(LabelComment));
    m_edited.SetCaption(QStringLiteral("BG_DESCRIPTION"), m_context.Text(LabelDescription));
}

void CQuickEditDlg::Recolour()
{
    ApplyButtonFace(m_context, {m_close});
    SetCancelIcon(m_close);
    update();
}

void CQuickEditDlg::ShowStatus(const QString& status)
{
    if (m_status->count() > m_context.m_statuses.GetRowCount())
        m_status->removeItem(m_status->count() - 1);
    LookupLists::SelectOrKeep(m_status, status);
}

void CQuickEditDlg::LoadDefect(int id, const QString& status, const QString& summary,
                               const QString& description, const QString& comment)
{
    m_id->setText(QString::number(id));
    // A status the list lacks is offered as it is, so that a save keeps it.
    ShowStatus(status);
    m_summary->setText(summary);
    m_description->setPlainText(description);
    m_comment->setPlainText(comment);
    // The stored values as the server gave them (the edits may normalise
    // line ends): a save checks that the server still holds these.
    m_edited.Loaded([&](const QString& column) {
        if (column == QLatin1String("BG_STATUS")) return status;
        if (column == QLatin1String("BG_SUMMARY")) return summary;
        if (column == QLatin1String("BG_DESCRIPTION")) return description;
        return comment;
    });
}

int CQuickEditDlg::ShownId() const
{
    return m_id->text().trimmed().toInt();
}

int CQuickEditDlg::SaveQuickEdit()
{
    const int id = ShownId();
    if (id <= 0) return 1;
    CDefectSave save(m_context);
    const CDefectSave::Result result = save.Run(id, m_edited.Edits());
    switch (result) {
    case CDefectSave::Saved:
        m_edited.Saved(save.Settled());
        emit DefectSaved(id);
        return 1;
    case CDefectSave::Unchanged: m_edited.Saved(save.Settled()); return 1;
    case CDefectSave::Gone: save.Tell(result, id); return 1;  // nothing left to write into
    case CDefectSave::Refused: {
        const bool take = save.Tell(result, id);
        // Unattended no one saw the conflict: the text kept for the next
        // start is checked against the values the panel loaded.
        if (!m_context.m_unattended) m_edited.Rebase(save.Conflicts(), take);
        return 0;
    }
    case CDefectSave::Failed: save.Tell(result, id); return 0;
    }
    return 0;
}

bool CQuickEditDlg::KeepUnsaved(QString& why)
{
    KeptDefect defect;
    defect.id = ShownId();
    for (const FieldEdit& edit : m_edited.Edits())
        if (edit.Changed()) defect.fields << KeptField{edit.column, edit.caption, edit.stored, edit.current};
    if (defect.id <= 0 || defect.fields.isEmpty()) return true;
    CKeptEdits kept(m_context.m_configDir);
    if (kept.Add(defect)) {
        why = kept.Path();
        return true;
    }
    why = kept.Error();
    return false;
}

void CQuickEditDlg::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const int w = width();
    const int H = height();
    const int h = (H - 45) / 2;
    m_description->setGeometry(0, 25, w, h);
    m_commentLabel->setGeometry(0, h + 25, w, 16);
    m_comment->setGeometry(0, h + 41, w, H - h - 41);
    m_close->setGeometry(w - 80, 2, 76, 22);
    m_summary->setGeometry(255, 3, qMax(0, w - 335), 21);
    update();
}
