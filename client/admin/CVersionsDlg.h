// CVersionsDlg: the version numbers of one project (t_cfg_version).
#pragma once

#include <QDialog>
#include <QString>

class QLineEdit;
class QListWidget;
class QPushButton;
class CAppContext;

class CVersionsDlg : public QDialog {
    Q_OBJECT
public:
    explicit CVersionsDlg(CAppContext& context, QWidget* parent = nullptr);

    int exec() override;  // runs OnInitDialog first
    void OnInitDialog();
    void LocalizeControls();
    bool LoadVersions();

    QString m_projectName;
    QListWidget* m_versions;
    QLineEdit* m_version;

public slots:
    void OnAdd();
    void OnDelete();

private:
    CAppContext& m_context;
    QPushButton* m_add;
    QPushButton* m_delete;
};
