#include "CQuickEditDlg.h"

#include "CAppContext.h"
#include "CDefectSql.h"
#include "CLocalizer.h"
#include "DialogHelpers.h"
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

void CQuickEditDlg::LocalizeCaptions()
{
    for (QLabel* label : {m_idLabel, m_statusLabel, m_summaryLabel, m_commentLabel})
        label->setText(m_context.Label(label->property("langId").toInt()));
    m_close->setText(m_context.Text(ButtonClose));
}

void CQuickEditDlg::Recolour()
{
    ApplyButtonFace(m_context, {m_close});
    SetCancelIcon(m_close);
    update();
}

void CQuickEditDlg::LoadDefect(int id, const QString& status, const QString& summary,
                               const QString& description, const QString& comment)
{
    m_id->setText(QString::number(id));
    // A status the list lacks is offered as it is, so that a save keeps it;
    // it is offered only while its defect is shown.
    if (m_status->count() > m_context.m_statuses.GetRowCount())
        m_status->removeItem(m_status->count() - 1);
    if (!SelectComboText(m_status, status, 0)) {
        if (status.isEmpty()) {
            m_status->setCurrentIndex(-1);
        } else {
            m_status->addItem(status);
            m_status->setCurrentIndex(m_status->count() - 1);
        }
    }
    m_summary->setText(summary);
    m_description->setPlainText(description);
    m_comment->setPlainText(comment);
    m_loadedStatus = GetComboText(m_status);
    m_loadedSummary = summary;
    m_loadedDescription = m_description->toPlainText();
    m_loadedComment = m_comment->toPlainText();
    m_storedStatus = status;
    m_storedSummary = summary;
    m_storedDescription = description;
    m_storedComment = comment;
}

int CQuickEditDlg::ShownId() const
{
    return m_id->text().trimmed().toInt();
}

int CQuickEditDlg::SaveQuickEdit()
{
    const int id = ShownId();
    if (id <= 0) return 1;
    const EditedText status{m_loadedStatus, GetComboText(m_status)};
    const EditedText summary{m_loadedSummary, m_summary->text()};
    const EditedText description{m_loadedDescription, m_description->toPlainText()};
    const EditedText comment{m_loadedComment, m_comment->toPlainText()};
    const QString update = CDefectSql::QuickEditUpdate(id, summary, status, description, comment);
    if (update.isEmpty()) return 1;

    // Another save since this panel loaded the defect wins: a field changed
    // here is written only while the stored value is still the loaded one.
    CResultSet stored;
    const QString check = QStringLiteral("select BG_STATUS,BG_DESCRIPTION,BG_DEV_COMMENTS,"
                                         "BG_SUMMARY from t_bug where BG_BUG_ID=%1 ")
                              .arg(id);
    if (m_context.RunSelect(check.toUtf8().constData(), stored) < 0) return 0;
    if (stored.GetRowCount() == 0) return 1;
    const auto newer = [&stored](const EditedText& field, const char* column,
                                 const QString& was) {
        return field.Changed() && ToQt(stored.GetValue(0, column)) != was;
    };
    if (newer(status, "BG_STATUS", m_storedStatus) ||
        newer(summary, "BG_SUMMARY", m_storedSummary) ||
        newer(description, "BG_DESCRIPTION", m_storedDescription) ||
        newer(comment, "BG_DEV_COMMENTS", m_storedComment)) {
        m_context.ShowMessage(m_context.Text(MsgNewerSave));
        return 0;
    }

    // Long texts travel raw as typed parameters, numbered from 1.
    CHttpDataClient& http = m_context.m_http;
    int number = 0;
    if (description.Changed())
        http.UploadLongParam(description.current.toUtf8().constData(), "clDesc", ++number, 3000);
    if (comment.Changed())
        http.UploadLongParam(comment.current.toUtf8().constData(), "clComment", ++number, 3000);
    m_context.SetBusy(1);
    CListString error;
    const QByteArray sql = update.toUtf8();
    const bool done = number > 0 ? http.ExecSqlGo(sql.constData(), error)
                                 : http.ExecSql(sql.constData(), error);
    m_context.SetBusy(0);
    if (!done) {
        m_context.ShowMessage(ToQt(error));
        return 0;
    }
    m_loadedStatus = status.current;
    m_loadedSummary = summary.current;
    m_loadedDescription = description.current;
    m_loadedComment = comment.current;
    if (status.Changed()) m_storedStatus = status.current;
    if (summary.Changed()) m_storedSummary = summary.current;
    if (description.Changed()) m_storedDescription = description.current;
    if (comment.Changed()) m_storedComment = comment.current;
    return 1;
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
