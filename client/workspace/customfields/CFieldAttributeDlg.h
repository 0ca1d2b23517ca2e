// CFieldAttributeDlg: the field-attribute page of system management: for
// each column of the defect table it shows and saves the display label,
// the edit style, whether the field is used, whether a value is required,
// and the lookup list that feeds it (t_cfg_sys_list). It fills itself the
// first time it is shown; a save reads the client's cached field
// configuration again, so the editor and the layout designer follow.
#pragma once

#include "ISheetPage.h"

#include <QDialog>
#include <QString>

#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class CAppContext;

class CFieldAttributeDlg : public QDialog, public ISheetPage {
    Q_OBJECT
public:
    // openListEditor runs the lookup-list editor modally (Modify List).
    explicit CFieldAttributeDlg(CAppContext& context, QWidget* parent = nullptr,
                                std::function<void(QWidget*)> openListEditor = {});

    QWidget* Widget() override { return this; }

    void SetTexts();
    void EnableEditors(bool on);
    // Refills the label list with the fields of is_sys ("1" or "0"), only
    // the used ones when usedOnly is set.
    void LoadLabels(const QString& isSys, bool usedOnly);
    void FillEditStyles();
    void FillListIds();
    void ClearEditors();

    QRadioButton* m_system;
    QRadioButton* m_custom;
    QListWidget* m_labels;
    QLineEdit* m_column;
    QLineEdit* m_label;
    QComboBox* m_editStyle;
    QCheckBox* m_used;
    QComboBox* m_listId;
    QCheckBox* m_verify;
    QPushButton* m_save;
    QPushButton* m_modifyList;
    QPushButton* m_newList;
    QCheckBox* m_showUnused;
    int m_activated = 0;

public slots:
    // Fills the page at its first activation.
    bool OnSetActive() override;
    void OnSystem();
    void OnCustom();
    void OnSelectLabel();
    // true when the field was stored.
    bool OnSave();
    void OnModifyList();

    // Escape inside the sheet closes the sheet, not the page alone.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    CAppContext& m_context;
    std::function<void(QWidget*)> m_openListEditor;
    QLabel* m_columnCaption;
    QLabel* m_labelCaption;
    QLabel* m_styleCaption;
    QLabel* m_listsCaption;
};
