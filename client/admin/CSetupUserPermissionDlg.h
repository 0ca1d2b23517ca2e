// CSetupUserPermissionDlg: edits one user's own rights string. Rights the
// user has through groups are shown ticked and disabled; saving writes the
// user's own digits only.
#pragma once

#include "CPermissionBoxes.h"

#include <vector>

class CSetupUserPermissionDlg : public CPermissionBoxes {
    Q_OBJECT
public:
    explicit CSetupUserPermissionDlg(CAppContext& context, QWidget* parent = nullptr);

    QString m_userName;
    QString m_groupList;  // 'a','b' or empty

    int exec() override;
    // Loads the strings and builds the boxes (what exec does before showing).
    bool InitDialog();
    // The user's own string ("" on failure or without a row); groupRights
    // gets the strings of the user's groups.
    QString LoadRight(std::vector<QString>& groupRights);
    bool BuildFieldBoxes();

public slots:
    void OnCheckAll() override;
    bool OnSave();

private:
    QString m_ownRights;
};
