// CProjectSettingDlg: the plain list of project names with add, rename and
// delete (main frame command 2032). Rename and delete carry the project's
// name through every table that holds it.
#pragma once

#include <QDialog>

class QLineEdit;
class QListWidget;
class QPushButton;
class CAppContext;

class CProjectSettingDlg : public QDialog {
    Q_OBJECT
public:
    explicit CProjectSettingDlg(CAppContext& context, QWidget* parent = nullptr);

    void OnInitDialog();
    bool LoadProjects();

    QListWidget* m_projects;
    QLineEdit* m_name;

public slots:
    void OnSelChange();
    void OnAdd();
    // newName empty: asks for it ("Input New Project Name").
    void OnRename(const QString& newName = QString());
    void OnDelete();

private:
    bool IsListed(const QString& name) const;

    CAppContext& m_context;
    QPushButton* m_add;
    QPushButton* m_rename;
    QPushButton* m_delete;
};
