// CQueryTemplatePanel: the parameter panel of a report. It turns a query
// template into a form with one captioned field per braced condition,
// three to a row, and builds plain SQL from what the fields show.
#pragma once

#include "CDynamicForm.h"
#include "CQueryToken.h"

#include <QPoint>
#include <QString>

class QWidget;
class CAppContext;

class CQueryTemplatePanel : public CDynamicForm {
public:
    // Where the first field of a template stands, and the fields a row holds.
    static constexpr int kFirstX = 172;
    static constexpr int kFirstY = 5;
    static constexpr int kFieldsPerRow = 3;
    static constexpr int kRowStep = 24;

    explicit CQueryTemplatePanel(CAppContext& context);

    // Clears the form and drops the tokens; the template stays until the
    // next parse.
    void Reset();
    // Tokenizes the template and adds a captioned field per token. 1.
    int ParseTemplate(const QString& text);
    // A field for a t_bug column, sized and captioned by the column table;
    // the position for the next field.
    QPoint AddConditionField(const QString& column, int x, int y, const QString& initialText);
    // The input field and its caption (name + "_ST") at (x, y); the
    // position for the next field.
    QPoint AddLabeledField(const QString& name, int type, const QString& caption, int x, int y, int width,
                           int height, const QString& initialText, int captionWidth);
    // The template with every condition built from its field's value.
    QString BuildSql();
    // Creates the controls on view (nothing without one).
    void CreateOn(QWidget* view);

    // The field type for a column's edit style: "TextBox" and any style
    // without a control of its own are edit boxes.
    static int TypeOfEditStyle(const QString& editStyle);

    const CQueryTokenList& Tokens() const { return m_tokens; }
    int RowGap() const { return m_rowGap; }

private:
    CAppContext& m_context;
    int m_rowGap = 5;
    CQueryTokenList m_tokens;
};
