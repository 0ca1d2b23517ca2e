// CCustomFieldsDlg: the defect editor's custom-fields page. It shows the
// current project's layout (the BG_USER_* columns it places, each with a
// caption field named <column>_ST), fills their lookup lists, loads the
// values of the editor's defect, and gives the editor's save its fields.
#pragma once

#include "CDynamicForm.h"
#include "CEditedFields.h"

#include <QString>
#include <QWidget>

#include <vector>

class QKeyEvent;
class QScrollArea;
class CAppContext;

class CCustomFieldsDlg : public QWidget {
    Q_OBJECT
public:
    // Builds the page at once for CAppContext::m_currentBugId, which the
    // editor has set by then.
    explicit CCustomFieldsDlg(CAppContext& context, QWidget* parent = nullptr);

    // A field that holds a column value: not a caption (a name ending in
    // "_ST", case kept) and a plain identifier that can stand in SQL.
    static bool IsDataField(const QString& name);

    // The part of a new defect's insert: the fields the user changed, as
    // comma-led column names (",BG_USER_01,BG_USER_03") and comma-led quoted
    // values (",'a','b'"); both empty when nothing was changed. A field's
    // first contents (a Text field shows its label) are not stored.
    void BuildInsertParts(QString& columns, QString& values) const;
    // The data fields' names joined by ','.
    QString BuildColumnList() const;
    void FillLookupLists();
    // Reads the defect's values into the fields; false without data fields,
    // without the row, or after a failure (shown).
    bool LoadValues();

    // One data field, for a save of what changed: the value the database
    // held when the page loaded (empty without a row), what the field
    // showed then (a combo box shows nothing for a value not in its list)
    // and what it shows now.
    struct FieldValue {
        QString column;
        QString stored;
        QString loaded;
        QString current;
    };
    std::vector<FieldValue> FieldValues() const;
    // The data fields for the editor's save of an existing defect, each
    // named by its caption on the page.
    CEditedFields& EditedFields() { return m_edited; }
    // What the page calls a field: its caption's text without the colon,
    // else the field's label, else its name.
    QString Caption(const CFormField& field) const;

    CDynamicForm& Form() { return m_form; }
    QWidget* Canvas() const { return m_canvas; }

protected:
    // Escape does not close the editor from this page.
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool OnInitDialog();
    void BindFields();

    CAppContext& m_context;
    CDynamicForm m_form;
    QScrollArea* m_scroll;
    QWidget* m_canvas;
    // Each data field with what it held and showed once the values were loaded.
    CEditedFields m_edited;
};
