#include "CQueryTemplatePanel.h"

#include "CAppContext.h"
#include "QtText.h"

#include <QComboBox>

using namespace FormStyles;

namespace {

// A column the column table does not know gets the common size of a field.
constexpr int kDefaultWidth = 150;
constexpr int kDefaultHeight = 20;
constexpr int kDefaultCaptionWidth = 80;
// A one-line combo box rectangle leaves its drop-down this many entries.
constexpr int kComboVisibleItems = 10;

}  // namespace

CQueryTemplatePanel::CQueryTemplatePanel(CAppContext& context) : m_context(context) {
    SetMessageSink([this](const QString& text) { m_context.ShowMessage(text); });
}

void CQueryTemplatePanel::Reset() {
    Clear();
    m_tokens.Clear();
}

int CQueryTemplatePanel::TypeOfEditStyle(const QString& editStyle) {
    const int type = TypeFromName(editStyle);
    // A condition needs input: labels, buttons and check boxes become edits.
    return type == kListBox || type == kComboBox || type == kDateTime ? type : kText;
}

int CQueryTemplatePanel::ParseTemplate(const QString& text) {
    m_tokens.SetTemplate(text);
    m_tokens.Tokenize();
    int x = kFirstX;
    int y = kFirstY;
    const QVector<CQueryToken>& tokens = m_tokens.Tokens();
    for (int i = 0; i < tokens.size(); ++i) {
        const QPoint next = AddConditionField(tokens[i].m_field, x, y, tokens[i].InitialText());
        if ((i + 1) % kFieldsPerRow == 0) {
            x = kFirstX;
            y += kRowStep;
        } else {
            x = next.x();
        }
    }
    return 1;
}

QPoint CQueryTemplatePanel::AddConditionField(const QString& column, int x, int y, const QString& initialText) {
    const CResultSet& columns = m_context.m_columns;
    for (int row = 0; row < columns.GetRowCount(); ++row) {
        if (ToQt(columns.GetValue(row, "COLUMN_NAME")).compare(column, Qt::CaseInsensitive) != 0) continue;
        return AddLabeledField(column, TypeOfEditStyle(ToQt(columns.GetValue(row, "EDIT_STYLE"))),
                               ToQt(columns.GetValue(row, "USER_LABEL")) + ":", x, y,
                               static_cast<int>(columns.GetInt(row, "WIDTH")),
                               static_cast<int>(columns.GetInt(row, "HEIGHT")), initialText,
                               static_cast<int>(columns.GetInt(row, "LSIZE")));
    }
    return AddLabeledField(column, kText, column + ":", x, y, kDefaultWidth, kDefaultHeight, initialText,
                           kDefaultCaptionWidth);
}

QPoint CQueryTemplatePanel::AddLabeledField(const QString& name, int type, const QString& caption, int x, int y,
                                            int width, int height, const QString& initialText, int captionWidth) {
    CFormField input(name, initialText, type, {x + captionWidth, y, x + captionWidth + width, y + height});
    AddField(input);
    CFormField label(name + QStringLiteral("_ST"), caption, kStatic, {x, y + 3, x + captionWidth, y + 20});
    AddField(label);
    const int nextY = type == kComboBox ? y + m_rowGap + 20 : y + height + m_rowGap;
    return QPoint(x + captionWidth + width + 2, nextY);
}

QString CQueryTemplatePanel::BuildSql() {
    for (CQueryToken& token : m_tokens.Tokens()) token.m_value = GetFieldValue(token.m_field);
    return m_tokens.Rebuild();
}

void CQueryTemplatePanel::CreateOn(QWidget* view) {
    if (!view) return;
    CreateControls(view);
    for (const CFormField& field : Fields()) {
        if (auto* combo = qobject_cast<QComboBox*>(field.m_control.data()))
            combo->setMaxVisibleItems(kComboVisibleItems);
    }
}
