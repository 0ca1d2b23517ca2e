// CQuickEditDlg: the panel below the defect grid that shows the selected
// defect's status, summary, description and developer comment, and writes
// back the fields the user changed before another defect is loaded.
#pragma once

#include "CEditedFields.h"
#include "CLocalizer.h"

#include <QWidget>

class CAppContext;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

class CQuickEditDlg : public QWidget, public ILocalizable {
    Q_OBJECT
public:
    explicit CQuickEditDlg(CAppContext& context, QWidget* parent = nullptr);

    // Shows a defect; the values become the baseline of the next save.
    void LoadDefect(int id, const QString& status, const QString& summary,
                    const QString& description, const QString& comment);
    // Writes the fields changed since LoadDefect into the shown defect.
    // 0 when nothing was written (another save changed one of them
    // meanwhile, or the server failed): the panel keeps what was typed.
    int SaveQuickEdit();
    int ShownId() const;
    // Writes the fields changed since LoadDefect, with their typed text, to
    // the user's kept edits; false with why when that failed.
    bool KeepUnsaved(QString& why);
    bool HasChanges() const { return m_edited.HasChanges(); }

    void Recolour();
    QComboBox* StatusBox() const { return m_status; }
    QLineEdit* SummaryEdit() const { return m_summary; }
    QPlainTextEdit* DescriptionEdit() const { return m_description; }
    QPlainTextEdit* CommentEdit() const { return m_comment; }

signals:
    void CloseRequested();
    // The panel wrote changes into this defect.
    void DefectSaved(int id);

public slots:
    void LocalizeCaptions() override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void FillStatuses();
    void BindFields();
    // Selects a status; one the list lacks is offered while its defect is shown.
    void ShowStatus(const QString& status);

    CAppContext& m_context;
    QLineEdit* m_id;
    QLabel* m_idLabel;
    QLabel* m_statusLabel;
    QComboBox* m_status;
    QLabel* m_summaryLabel;
    QLineEdit* m_summary;
    QPlainTextEdit* m_description;
    QLabel* m_commentLabel;
    QPlainTextEdit* m_comment;
    QPushButton* m_close;
    CEditedFields m_edited;
};
