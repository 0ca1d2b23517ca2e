// CParamSettingDlg: the lookup-lists page (t_cfg_param): creates and deletes
// whole lists, adds, renames and deletes the values of one list. A list
// without values keeps one placeholder row "----------".
#pragma once

#include "ISheetPage.h"

#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;
class CAppContext;
class CResultGrid;

class CParamSettingDlg : public QDialog, public ISheetPage {
    Q_OBJECT
public:
    explicit CParamSettingDlg(CAppContext& context, QWidget* parent = nullptr);

    QWidget* Widget() override { return this; }

    void OnInitDialog();
    void LoadTypes();
    void LocalizeControls();
    bool IsNameLengthOk() const;
    // The selected list's name, empty without a selection.
    QString CurrentList() const;
    // A holder whose one pop-up is the grid's context menu (Delete 2033).
    QMenu* CreateGridMenu();

    QListWidget* m_types;
    CResultGrid* m_values;
    QLineEdit* m_edit;
    QString m_currentValue;
    int m_currentRow = 0;
    int m_activated = 0;

public slots:
    // Fills the page at its first activation (shown, or chosen in the sheet).
    bool OnSetActive() override;
    void LoadValues();
    void OnValueSelChanged();
    void OnGridRightClick();
    // name empty: asks for it.
    void OnNewList(const QString& name = QString());
    void OnDeleteList();
    void OnAddValue();
    void OnModifyValue();
    void OnDel();
    void OnDeleteValue();

    // Escape inside the sheet closes the sheet, not the page alone.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    CAppContext& m_context;
    QLabel* m_label;
    QPushButton* m_add;
    QPushButton* m_modify;
    QPushButton* m_del;
    QPushButton* m_newList;
    QPushButton* m_deleteList;
};
