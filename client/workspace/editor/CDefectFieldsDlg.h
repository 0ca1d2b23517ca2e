// CDefectFieldsDlg: the editor's page of a defect's fixed fields: loads a
// t_bug row, offers the statuses the workflow allows, applies the user's
// field rights, checks the required fields and saves or inserts the defect.
// A save writes only the fields changed on this page and the custom page,
// and never over another user's newer save.
#pragma once

#include "CEditedFields.h"
#include "CKeptEdits.h"

#include <QWidget>

class CAppContext;
class CLabelCtrl;
class CTreeComboBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class IDefectEditor;

class CDefectFieldsDlg : public QWidget {
    Q_OBJECT
public:
    CDefectFieldsDlg(CAppContext& context, IDefectEditor* editor, QWidget* parent = nullptr);

    void ApplyFieldRights();
    void FillLists();
    void SetNewDefaults();
    void NewDefect();
    void LoadDefect(int bugId);
    int CheckRequired();
    int SaveDefect();
    int InsertDefect();
    // Shows text kept from an earlier quick edit of the loaded defect.
    void RestoreKept(const KeptDefect& kept);

    int DefectId() const { return m_defectId; }
    const QString& LoadedStatus() const { return m_loadedStatus; }

    QLabel* IdLabel() const { return m_id; }
    QLineEdit* Summary() const { return m_summary; }
    QPlainTextEdit* Description() const { return m_description; }
    QPlainTextEdit* Comment() const { return m_comment; }
    QComboBox* Status() const { return m_status; }
    QComboBox* Severity() const { return m_severity; }
    QComboBox* Priority() const { return m_priority; }
    QComboBox* DetectionVersion() const { return m_detectionVersion; }
    QComboBox* ClosingVersion() const { return m_closingVersion; }
    CTreeComboBox* Responsible() const { return m_responsible; }
    CTreeComboBox* DetectedBy() const { return m_detectedBy; }
    QDateEdit* DetectionDate() const { return m_detectionDate; }
    QDateEdit* ClosingDate() const { return m_closingDate; }
    CLabelCtrl* FieldLabel(int labelId) const;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    CLabelCtrl* AddLabel(int id, bool marked, bool red);
    void BindFields();
    QVector<CEditedFields*> FieldSets();
    // The insert under this id, the long texts already sent.
    bool RunInsert(int id);

    CAppContext& m_context;
    IDefectEditor* m_editor;
    QList<CLabelCtrl*> m_labels;
    QLabel* m_id;
    QLineEdit* m_summary;
    QPlainTextEdit* m_description;
    QPlainTextEdit* m_comment;
    QComboBox* m_severity;
    QComboBox* m_detectionVersion;
    CTreeComboBox* m_detectedBy;
    QComboBox* m_closingVersion;
    CTreeComboBox* m_responsible;
    QComboBox* m_priority;
    QComboBox* m_status;
    QDateEdit* m_detectionDate;
    QDateEdit* m_closingDate;
    int m_defectId = -1;
    QString m_loadedStatus;
    // The fields of this page with the values they were loaded with.
    CEditedFields m_edited;
    QString m_lastError;
};
