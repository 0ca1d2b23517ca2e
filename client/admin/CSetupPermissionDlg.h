// CSetupPermissionDlg: edits the rights string and the owner-only mask of
// one group, with the transition rules of the field clicked last.
#pragma once

#include "CPermissionBoxes.h"

class QLabel;
class QLineEdit;
class QRadioButton;
class CResultGrid;

class CSetupPermissionDlg : public CPermissionBoxes {
    Q_OBJECT
public:
    explicit CSetupPermissionDlg(CAppContext& context, QWidget* parent = nullptr);

    QString m_groupName;
    QString m_ownerRight;
    QString m_currentField;
    CResultGrid* m_rulesGrid;   // 3097
    QRadioButton* m_viewMode;   // 3102
    QRadioButton* m_changeMode; // 3103
    QCheckBox* m_ownerOnly;     // 3096
    QLineEdit* m_fieldLabel;    // 3104
    QLabel* m_fieldIndex;       // 3106
    QLabel* m_status;           // 4003

    int exec() override;
    void InitDialog();
    // The group's rights string ("" on failure or without a row) and its owner mask.
    QString LoadRight(QString& ownerRight);
    bool BuildFieldBoxes();
    bool ShowRight(bool changeMode);
    void LoadRules();

public slots:
    void OnViewMode();
    void OnChangeMode();
    void OnOwnerOnly();
    bool OnSave();
    void OnFieldBox(int index);

protected:
    void OnFieldBoxClicked(int index) override { OnFieldBox(index); }

private:
    QString m_storedRights;
};
