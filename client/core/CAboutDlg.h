// CAboutDlg: the About box: the product title with the client version, the
// release notes and a link to the product's web site.
#pragma once

#include "CLocalizer.h"

#include <QDialog>

class CAppContext;
class QLabel;
class QPushButton;

class CAboutDlg : public QDialog, public ILocalizable {
    Q_OBJECT
public:
    CAboutDlg(CAppContext& context, QWidget* parent = nullptr);

public slots:
    void LocalizeCaptions() override;
    void OnReleaseNotes();

private:
    CAppContext& m_context;
    QLabel* m_title;
    QPushButton* m_releaseNotes;
    QPushButton* m_ok;
    QPushButton* m_genLang;
};
