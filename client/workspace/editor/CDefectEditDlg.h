// CDefectEditDlg: the modal defect editor: fields, custom fields,
// attachments and status history on tabs, with New, Modify and Close.
// CAppContext::m_currentBugId below 0 opens it for a new defect.
#pragma once

#include "IDefectEditor.h"

#include <QDialog>

class CAppContext;
class CAttachmentDlg;
class CCustomFieldsDlg;
class CDefectFieldsDlg;
class CStatusHistoryDlg;
class QPushButton;
class QTabWidget;
struct CWorkspaceCommands;

class CDefectEditDlg : public QDialog, public IDefectEditor {
    Q_OBJECT
public:
    // commands: what its attachments page takes from the composition (null:
    // nothing, those buttons are disabled).
    explicit CDefectEditDlg(CAppContext& context, QWidget* parent = nullptr,
                            const CWorkspaceCommands* commands = nullptr);

    void ShowNewButtons(bool isNew) override;
    void ColourButtons();

    CDefectFieldsDlg* FieldsPage() const { return m_fields; }
    CCustomFieldsDlg* CustomFieldsPage() const override { return m_custom; }
    CAttachmentDlg* AttachmentsPage() const override { return m_attachments; }
    CStatusHistoryDlg* HistoryPage() const { return m_history; }
    QTabWidget* Tabs() const { return m_tabs; }
    QPushButton* NewButton() const { return m_new; }
    QPushButton* ModifyButton() const { return m_modify; }

public slots:
    void OnModify();
    void OnNew();

private:
    void CreatePages();

    CAppContext& m_context;
    const CWorkspaceCommands* m_commands;
    QPushButton* m_close;
    QPushButton* m_new;
    QPushButton* m_modify;
    CDefectFieldsDlg* m_fields = nullptr;
    CCustomFieldsDlg* m_custom = nullptr;
    CAttachmentDlg* m_attachments = nullptr;
    CStatusHistoryDlg* m_history = nullptr;
    QTabWidget* m_tabs;
};
