#include "CNameCascade.h"

#include "AdminSql.h"
#include "QtText.h"

#include <QRegularExpression>

using AdminSql::Q;

QStringList CNameCascade::ProjectDelete(const QString& project)
{
    const QString p = Q(project);
    const QString bugs = QStringLiteral("select BG_BUG_ID from t_bug where prj_name='%1'").arg(p);
    return {
        QStringLiteral("delete from t_bug_status where BG_BUG_ID in (%1)").arg(bugs),
        QStringLiteral("delete from t_bug_attach where prj_name='%1' or BG_BUG_ID in (%2)").arg(p, bugs),
        QStringLiteral("delete from t_bug where prj_name='%1'").arg(p),
        QStringLiteral("delete from t_cfg_version where prj_name='%1'").arg(p),
        QStringLiteral("delete from t_user_prj where prj_name='%1'").arg(p),
        QStringLiteral("delete from t_prj where prj_name='%1'").arg(p),
    };
}

QStringList CNameCascade::ProjectRename(const QString& oldName, const QString& newName)
{
    const QString o = Q(oldName), n = Q(newName);
    QStringList out;
    for (const char* table : {"t_prj", "t_bug", "t_bug_attach", "t_user_prj", "t_cfg_version"})
        out << QStringLiteral("update %1 set prj_name='%2' where prj_name='%3'")
                   .arg(QLatin1String(table), n, o);
    return out;
}

QStringList CNameCascade::ValueRename(const QString& list, const QString& oldValue,
                                      const QString& newValue, const QStringList& refColumns)
{
    const QString l = Q(list), o = Q(oldValue), n = Q(newValue);
    QStringList out;
    out << QStringLiteral("update  t_cfg_param set PARAMETER_NAME='%1' where  PARAMETER_TYPE_ID='%2' "
                          "and PARAMETER_NAME='%3'")
               .arg(n, l, o);
    auto set = [&](const char* table, const QString& column, const QString& extra = QString()) {
        out << QStringLiteral("update %1 set %2='%3' where %2='%4'%5")
                   .arg(QLatin1String(table), column, n, o, extra);
    };
    // Column names go into the text as they are: only plain identifiers.
    static const QRegularExpression identifier(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    for (const QString& column : refColumns)
        if (identifier.match(column).hasMatch()) set("t_bug", column);
    if (list.compare(QLatin1String("defect_status"), Qt::CaseInsensitive) == 0) {
        set("t_bug_status", QStringLiteral("BG_STATUS_FROM"));
        set("t_bug_status", QStringLiteral("BG_STATUS_TO"));
        const QString rule = QStringLiteral(" and COLUMN_NAME='BG_STATUS'");
        set("T_BUG_TRANS_RULE", QStringLiteral("TR_RULES_FROM"), rule);
        set("T_BUG_TRANS_RULE", QStringLiteral("TR_RULES_TO"), rule);
    } else if (list.compare(QLatin1String("prj_type"), Qt::CaseInsensitive) == 0) {
        set("t_prj", QStringLiteral("PRJ_TYPE"));
    }
    return out;
}

bool CNameCascade::RefColumns(CAppContext& context, const QString& list, QStringList& columns)
{
    columns.clear();
    CResultSet result;
    if (AdminSql::Select(context,
                         QStringLiteral("select COLUMN_NAME from t_cfg_sys_list where "
                                        "TABLE_NAME='T_BUG' and REF_LIST='%1'")
                             .arg(Q(list)),
                         result) < 0)
        return false;
    for (int row = 0; row < result.GetRowCount(); ++row) columns << ToQt(result.GetValueAt(row, 0));
    return true;
}

bool CNameCascade::Run(CAppContext& context, const QStringList& statements)
{
    for (const QString& sql : statements)
        if (!AdminSql::Exec(context, sql)) return false;
    return true;
}
