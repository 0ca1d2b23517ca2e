// CModifyPasswordDlg: lets the logged-in user change the own password,
// checked against the stored one and stored plain or as its MD5 digest as
// the server asks.
#pragma once

#include "CLocalizer.h"

#include <QDialog>

class QLineEdit;
class QPushButton;
class CAppContext;

class CModifyPasswordDlg : public QDialog, public ILocalizable {
    Q_OBJECT
public:
    CModifyPasswordDlg(CAppContext& context, QWidget* parent = nullptr);

public slots:
    void OnOK();
    void LocalizeCaptions() override;

private:
    CAppContext& m_context;
    QLineEdit* m_old;
    QLineEdit* m_new;
    QLineEdit* m_confirm;
    QPushButton* m_ok;
    QPushButton* m_cancel;
};
