// Lookups of CAppContext over the cached metadata, the defect-id sequence,
// quoting for SQL and menu captions.
#include "CAppContext.h"

#include "ClientIds.h"
#include "QtText.h"

#include <QAction>
#include <QComboBox>
#include <QMenu>

namespace {

bool Same(const CListString& a, const QString& b) {
    return ToQt(a).compare(b, Qt::CaseInsensitive) == 0;
}

}  // namespace

int CAppContext::SelectParams(const char* listId, CResultSet& out) const {
    out.Clear();
    out.AddField("PARAMETER_TYPE_ID");
    out.AddField("PARAMETER_NAME");
    out.AddField("PARAMETER_ENABLE");
    const QString id = ToQt(listId);
    for (const CResultRow& row : m_params.GetRows()) {
        if (!row.empty() && Same(row[0], id)) out.AddRow(row);
    }
    return 1;
}

bool CAppContext::ReloadParams() {
    CListString sql;
    sql.Format("select PARAMETER_TYPE_ID,PARAMETER_NAME,PARAMETER_ENABLE from T_CFG_PARAM where "
               "parameter_name<>'%s'  order by parameter_name",
               "----------");
    if (RunSelect(sql.CStr(), m_params) < 0) return false;
    SelectParams("defect_status", m_statuses);
    return true;
}

int CAppContext::IsStatusEnabled(const QString& status) const {
    for (int row = 0; row < m_statuses.GetRowCount(); ++row) {
        if (Same(m_statuses.GetValue(row, "PARAMETER_NAME"), status))
            return m_statuses.GetValue(row, "PARAMETER_ENABLE").Compare("0") == 0 ? 0 : 1;
    }
    return 0;
}

int CAppContext::GetNextStatuses(const QString& status, QStringList& out) const {
    out.clear();
    for (int row = 0; row < m_transRules.GetRowCount(); ++row) {
        if (!Same(m_transRules.GetValue(row, "TR_RULES_FROM"), status)) continue;
        const QString target = ToQt(m_transRules.GetValue(row, "TR_RULES_TO"));
        if (IsStatusEnabled(target)) out.append(target);
    }
    return 1;
}

int CAppContext::FillVersionCombo(QComboBox* combo, const QString& project, int withNone) const {
    if (!combo) return 1;
    if (withNone) combo->addItem("----------");
    for (int row = 0; row < m_versions.GetRowCount(); ++row) {
        if (Same(m_versions.GetValue(row, "PRJ_NAME"), project))
            combo->addItem(ToQt(m_versions.GetValue(row, "VERSION_NO")));
    }
    return 1;
}

QString CAppContext::FormatUserWithFullName(const QString& user) const {
    for (int row = 0; row < m_users.GetRowCount(); ++row) {
        if (!Same(m_users.GetValue(row, "USER_NAME"), user)) continue;
        const QString fullName = ToQt(m_users.GetValue(row, "USER_FULLNAME"));
        if (fullName.isEmpty()) return QString();
        return QStringLiteral("%1 (%2)").arg(ToQt(m_users.GetValue(row, "USER_NAME")), fullName);
    }
    return QString();
}

QString GetNamePart(const QString& text) {
    if (text.isEmpty()) return QString();
    const QStringList parts = text.split('(');
    if (parts.size() == 1) return text;
    return parts[0].trimmed();
}

QString CAppContext::GetColumnRefList(const QString& column, QString& editStyle) const {
    for (int row = 0; row < m_columns.GetRowCount(); ++row) {
        if (Same(m_columns.GetValue(row, "COLUMN_NAME"), column)) {
            editStyle = ToQt(m_columns.GetValue(row, "EDIT_STYLE"));
            return ToQt(m_columns.GetValue(row, "REF_LIST"));
        }
    }
    return QString();
}

int CAppContext::IsColumnUsed(const QString& label) const {
    for (int row = 0; row < m_columns.GetRowCount(); ++row) {
        if (Same(m_columns.GetValue(row, "USER_LABEL"), label))
            return m_columns.GetValue(row, "IS_USED").Compare("1") == 0 ? 1 : 0;
    }
    return 0;
}

QString CAppContext::GetColumnNameByLabel(const QString& label) const {
    for (int row = 0; row < m_columns.GetRowCount(); ++row) {
        if (Same(m_columns.GetValue(row, "USER_LABEL"), label))
            return ToQt(m_columns.GetValue(row, "COLUMN_NAME"));
    }
    return QString();
}

int CAppContext::GetColumnOrder(const QString& column) const {
    for (int row = 0; row < m_columns.GetRowCount(); ++row) {
        if (Same(m_columns.GetValue(row, "COLUMN_NAME"), column))
            return static_cast<int>(m_columns.GetInt(row, "COLUMN_ORDER"));
    }
    return -1;
}

int CAppContext::GetColumnOrderByLabel(const QString& label) const {
    const int rows = qMin(50, m_columns.GetRowCount());
    for (int row = 0; row < rows; ++row) {
        if (Same(m_columns.GetValue(row, "USER_LABEL"), label))
            return static_cast<int>(m_columns.GetInt(row, "COLUMN_ORDER")) - 1;
    }
    return -1;
}

QString CAppContext::GetQueryColumnList(const QString& digits) const {
    QString list;
    for (int i = 0; i < 50; ++i) {
        if (10 + i >= digits.size() || digits[10 + i] != QLatin1Char('1')) continue;
        if (i >= m_columns.GetRowCount()) continue;
        list += ToQt(m_columns.GetValue(i, "COLUMN_NAME")) + ',';
    }
    while (list.endsWith(',')) list.chop(1);
    return list;
}

QString CAppContext::GetAlias(const QString& name) const {
    for (int row = 0; row < m_aliases.GetRowCount(); ++row) {
        if (Same(m_aliases.GetValue(row, "NAME"), name)) return ToQt(m_aliases.GetValue(row, "ALIAS"));
    }
    return name;
}

QString CAppContext::GetNameByAlias(const QString& alias) const {
    for (int row = 0; row < m_aliases.GetRowCount(); ++row) {
        if (Same(m_aliases.GetValue(row, "ALIAS"), alias)) return ToQt(m_aliases.GetValue(row, "NAME"));
    }
    return alias;
}

void CAppContext::EscapeQuotes(CListString& text) { text.Replace("'", "''"); }

void CAppContext::EscapeQuotes(QString& text) { text.replace('\'', "''"); }

QString CAppContext::Quoted(const QString& text) {
    QString copy(text);
    EscapeQuotes(copy);
    return copy;
}

int CAppContext::AdvanceBugSequence(int taken) {
    CListString sql;
    sql.Format("update T_CFG_SEQ set SEQ_VALUE=%d where SEQ_NAME='SEQ_BUG'", taken + 1);
    return RunExec(sql.CStr()) ? 1 : -1;
}

int CAppContext::NextBugId() {
    CResultSet sequence;
    if (RunSelect("select SEQ_VALUE from T_CFG_SEQ where SEQ_NAME='SEQ_BUG' ", sequence) < 0) return 0;
    if (sequence.GetRowCount() < 1) {
        m_lastError.SetText("SEQ_BUG");
        return 0;
    }
    int value = static_cast<int>(sequence.GetIntAt(0, 0));
    // A sequence behind the table (rows written by others, or a lost
    // update) must not hand out a taken id.
    CResultSet highest;
    CListString error;
    if (m_http.Select("select max(BG_BUG_ID) from t_bug", highest, error) >= 0 &&
        highest.GetRowCount() > 0 &&
        !highest.GetValueAt(0, 0).IsEmpty()) {
        const int next = static_cast<int>(highest.GetIntAt(0, 0)) + 1;
        if (next > value) value = next;
    }
    AdvanceBugSequence(value);
    return value;
}

int CAppContext::InsertWithNewBugId(const std::function<bool(int id)>& insert) {
    for (int attempt = 0; attempt < 20; ++attempt) {
        const int id = NextBugId();
        if (id <= 0) return 0;
        if (insert(id)) return id;
        // Retry only when another client took the id meanwhile.
        CResultSet taken;
        CListString sql;
        sql.Format("select BG_BUG_ID from t_bug where BG_BUG_ID=%d", id);
        CListString error;
        if (m_http.Select(sql.CStr(), taken, error) < 1) return 0;
    }
    return 0;
}

void CAppContext::LocalizeMenu(QMenu* menu) {
    if (!menu) {
        m_menuPopupCount = 0;
        return;
    }
    for (QAction* action : menu->actions()) {
        if (action->isSeparator()) continue;
        if (QMenu* popup = action->menu()) {
            if (m_menuPopupCount == 0) {
                const QString caption = Text(166);
                if (!caption.isEmpty()) action->setText(caption);
            }
            ++m_menuPopupCount;
            LocalizeMenu(popup);
            continue;
        }
        const QVariant id = action->property("langId");
        if (!id.isValid()) continue;
        QString text = Text(id.toInt());
        text.replace("\\t", "\t");
        if (!text.isEmpty()) action->setText(text);
    }
}
