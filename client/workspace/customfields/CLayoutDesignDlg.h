// CLayoutDesignDlg: lays out the current project's custom defect fields.
// The BG_USER_* columns of the field configuration are listed as available
// or placed; a double click places a column (with its caption) on the form
// or removes it; in design mode the fields are dragged and resized. Every
// change goes to the context's layout text at once; Modify stores it in
// t_prj.PRJ_CUSTOM_FIELD, Clear stores an empty layout; both are refused
// while the custom columns or the project's layout could not be read
// (Refresh tries again).
#pragma once

#include "CDynamicForm.h"
#include "CResultSet.h"

#include <QDialog>

class QPushButton;
class QTableWidget;
class CAppContext;

class CLayoutDesignDlg : public QDialog {
    Q_OBJECT
public:
    explicit CLayoutDesignDlg(CAppContext& context, QWidget* parent = nullptr);

    void FillFieldLists();
    void SetTexts();

    CDynamicForm& Form() { return m_form; }
    QWidget* Canvas() const { return m_canvas; }
    QTableWidget* PlacedGrid() const { return m_placed; }
    QTableWidget* AvailableGrid() const { return m_available; }
    QPushButton* ChangeModeButton() const { return m_changeMode; }

public slots:
    // The current row of the available grid joins the form.
    void PlaceField();
    // The current row of the placed grid leaves it.
    void RemovePlacedField();
    void OnChangeMode();
    // true when the layout was stored.
    bool OnSave();
    void OnClear();

private:
    bool OnInitDialog();
    // Reads the custom columns (and the project's layout when its last read
    // failed), then lists them and shows the layout; false (shown) when a
    // read failed.
    bool ReadColumns();
    // Modify and Clear are refused (with the reason) until the columns and
    // the project's layout were read.
    bool RefusedUnread();
    // Sets the context's layout to the form's; false (shown) when the form
    // cannot give its text.
    bool TakeLayoutText();

    CAppContext& m_context;
    QPushButton* m_clear;
    QTableWidget* m_placed;
    QPushButton* m_refresh;
    QPushButton* m_modify;
    QPushButton* m_changeMode;
    QTableWidget* m_available;
    QWidget* m_canvas;
    CDynamicForm m_form;
    CResultSet m_columns;
    bool m_columnsRead = false;
    QString m_readError;
};
