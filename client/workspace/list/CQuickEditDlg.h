// CQuickEditDlg: the panel below the defect grid that shows the selected
// defect's status, summary, description and developer comment, and writes
// back the fields the user changed before another defect is loaded.
#pragma once

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
    // Writes the fields changed since LoadDefect into the shown defect;
    // refuses (0) when another save changed one of them meanwhile.
    int SaveQuickEdit();
    int ShownId() const;

    void Recolour();
    QComboBox* StatusBox() const { return m_status; }
    QLineEdit* SummaryEdit() const { return m_summary; }
    QPlainTextEdit* DescriptionEdit() const { return m_description; }
    QPlainTextEdit* CommentEdit() const { return m_comment; }

signals:
    void CloseRequested();

public slots:
    void LocalizeCaptions() override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void FillStatuses();

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
    QString m_loadedStatus;
    QString m_loadedSummary;
    QString m_loadedDescription;
    QString m_loadedComment;
    // The values as the server gave them (the edits may normalise line
    // ends): a save checks that the stored values are still these.
    QString m_storedStatus;
    QString m_storedSummary;
    QString m_storedDescription;
    QString m_storedComment;
};
