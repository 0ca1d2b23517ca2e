#include "CDefectSql.h"

#include "LookupLists.h"
#include "WorkspaceIds.h"

namespace {

const char* const kNoChoice = "----------";

// A picker or combo text that names a value (not the "no choice" entry).
bool IsChosen(const QString& text)
{
    return !text.isEmpty() && !text.contains(QLatin1String("All")) &&
           !text.contains(QLatin1String(kNoChoice));
}

QString DateText(const QDate& date)
{
    return QString::asprintf("%04d-%02d-%02d", date.year(), date.month(), date.day());
}

}  // namespace

QString CDefectSql::Quote(const QString& text)
{
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QLatin1String("''"));
    return quoted;
}

QString CDefectSql::NamePart(const QString& text)
{
    return LookupLists::NamePart(text);
}

QString CDefectSql::ConditionWhere(const QueryConditionValues& v)
{
    QStringList terms;
    terms << QStringLiteral(" BG_DETECTION_DATE>= '%1' ").arg(DateText(v.startDate));

    // A closed status looks at the closing date too: defects closed up to
    // the close date, and those without one.
    if (v.status.contains(QLatin1String("Close")) && IsChosen(v.status))
        terms << QStringLiteral(" ( BG_CLOSING_DATE is null or BG_CLOSING_DATE<= '%1 23:59:59' ) ")
                     .arg(DateText(v.closeDate));
    else
        terms << QStringLiteral("1 = 1");

    terms << (IsChosen(v.responsible)
                  ? QStringLiteral(" BG_RESPONSIBLE ='%1' ").arg(Quote(NamePart(v.responsible)))
                  : QStringLiteral("1 = 1"));
    terms << (IsChosen(v.detectedBy)
                  ? QStringLiteral(" BG_DETECTED_BY ='%1' ").arg(Quote(NamePart(v.detectedBy)))
                  : QStringLiteral("1 = 1"));
    terms << (IsChosen(v.status) ? QStringLiteral(" BG_STATUS = '%1' ").arg(Quote(v.status))
                                 : QStringLiteral("1 = 1"));
    if (!v.searchText.isEmpty()) {
        const QString s = Quote(v.searchText);
        terms << QStringLiteral(" ( (BG_SUMMARY like '%%1%') or  (BG_DEV_COMMENTS like '%%1%') "
                                "or ( BG_DESCRIPTION like '%%1%' )  )")
                     .arg(s);
    } else {
        terms << QStringLiteral("1=1");
    }
    terms << (IsChosen(v.severity) ? QStringLiteral(" BG_SEVERITY = '%1' ").arg(Quote(v.severity))
                                   : QStringLiteral("1 = 1"));
    terms << (v.attachmentOnly ? QStringLiteral(" BG_ATTACHMENT = 1 ") : QStringLiteral("1=1"));
    terms << (IsChosen(v.version)
                  ? QStringLiteral(" BG_DETECTION_VERSION = '%1' ").arg(Quote(v.version))
                  : QStringLiteral("1=1"));

    QString clause = QStringLiteral("where prj_name='") + Quote(v.project) + QStringLiteral("'");
    for (int i = 0; i < terms.size(); ++i)
        clause += (i == 1 ? QStringLiteral(" and  ") : QStringLiteral(" and ")) + terms[i];
    return clause + QStringLiteral(" order by BG_BUG_ID ");
}

QString CDefectSql::FilterWhere(const QString& project, const QString& statusCondition,
                                const QString& userName)
{
    const QString user = Quote(userName);
    return QStringLiteral(" prj_name='") + Quote(project) + QStringLiteral("' and  ( ") +
           statusCondition + QStringLiteral(" ) and  ( BG_RESPONSIBLE='") + user +
           QStringLiteral("' or BG_DETECTED_BY='") + user + QStringLiteral("') ");
}

QString CDefectSql::FilterWhereSince(const QString& project, const QString& statusCondition,
                                     const QString& sinceText, const QString& userName)
{
    const QString user = Quote(userName);
    return QStringLiteral(" prj_name='") + Quote(project) + QStringLiteral("' and   ( ") +
           statusCondition + QStringLiteral(" ) and  BG_DETECTION_DATE>='") + Quote(sinceText) +
           QStringLiteral("' and  ( BG_RESPONSIBLE='") + user +
           QStringLiteral("' or BG_DETECTED_BY='") + user + QStringLiteral("')   ");
}

QString CDefectSql::QuickFilterCondition(int buttonId)
{
    using namespace WorkspaceIds;
    const QString is = QStringLiteral(" BG_STATUS ='%1'  ");
    switch (buttonId) {
    case FilterNew: return is.arg(QStringLiteral("00-New"));
    case FilterOpen: return is.arg(QStringLiteral("01-Open"));
    case FilterFixed: return is.arg(QStringLiteral("02-Fixed"));
    case FilterClosed: return QStringLiteral(" BG_STATUS ='03-Closed' ");
    case FilterReOpen: return is.arg(QStringLiteral("04-ReOpen"));
    case FilterAll: return QStringLiteral("1 = 1");
    case FilterNotClosed:
        return QStringLiteral(" BG_STATUS ='00-New' or BG_STATUS ='01-Open' or BG_STATUS ='02-Fixed'"
                              " or BG_STATUS ='04-ReOpen' or BG_STATUS ='06-Delay' ");
    case FilterLastWeekCreate: return QStringLiteral(" 1 = 1  ");
    case FilterLastWeekClose: return is.arg(QStringLiteral("03-Closed"));
    default: return QString();
    }
}

bool CDefectSql::QuickFilterIsSince(int buttonId)
{
    return buttonId == WorkspaceIds::FilterLastWeekCreate ||
           buttonId == WorkspaceIds::FilterLastWeekClose;
}

QString CDefectSql::SelectList(const QString& mask, const QStringList& columnNames)
{
    QStringList names;
    for (int i = 0; i < 50 && i < columnNames.size(); ++i) {
        const int pos = 10 + i;
        if (pos < mask.size() && mask[pos] == QLatin1Char('1')) names << columnNames[i];
    }
    const auto has = [&names](const char* name) {
        for (const QString& n : names)
            if (n.compare(QLatin1String(name), Qt::CaseInsensitive) == 0) return true;
        return false;
    };
    if (!has("BG_STATUS")) names.prepend(QStringLiteral("BG_STATUS"));
    if (!has("BG_BUG_ID")) names.prepend(QStringLiteral("BG_BUG_ID"));
    return names.join(QLatin1Char(','));
}

QString CDefectSql::SelectStatement(const QString& selectList, const QString& clause)
{
    return QStringLiteral("select ") + selectList + QStringLiteral(" from t_bug ") + clause;
}

namespace {

// A date column: its text quoted, or NULL when the defect has none.
QString DateValue(const QString& text)
{
    if (text.isEmpty()) return QStringLiteral("NULL");
    return QLatin1Char('\'') + CDefectSql::Quote(text) + QLatin1Char('\'');
}

}  // namespace

QString CDefectSql::ChangedUpdate(int id, const QVector<FieldEdit>& fields)
{
    QStringList sets;
    for (const FieldEdit& f : fields) {
        switch (f.kind) {
        case FieldKind::Text:
            sets << f.column + QStringLiteral("='") + Quote(f.value) + QLatin1Char('\'');
            break;
        case FieldKind::Number:
            sets << f.column + QLatin1Char('=') + QString::number(f.value.trimmed().toLongLong());
            break;
        case FieldKind::Date: sets << f.column + QLatin1Char('=') + DateValue(f.value); break;
        case FieldKind::LongText:
            sets << f.column + QStringLiteral("=:") + f.param + QStringLiteral("<varchar_long>");
            break;
        case FieldKind::Expression: sets << f.column + QLatin1Char('=') + f.value; break;
        }
    }
    if (sets.isEmpty()) return QString();
    return QStringLiteral("update t_bug set ") + sets.join(QLatin1Char(',')) +
           QStringLiteral(" where BG_BUG_ID=%1 ").arg(id);
}

QString CDefectSql::HeldUpdate(int id, const QVector<FieldEdit>& fields,
                               const QHash<QString, QString>& held)
{
    QString sql = ChangedUpdate(id, fields);
    if (sql.isEmpty()) return sql;
    for (const FieldEdit& f : fields) {
        const auto it = held.find(f.column.toUpper());
        if (it == held.end() || f.kind == FieldKind::Expression) continue;
        const QString& text = it.value();
        QString term;
        if (f.kind == FieldKind::Number) {
            // A number the select printed; anything else cannot match.
            bool isNumber = false;
            const double number = text.trimmed().toDouble(&isNumber);
            term = text.isEmpty() ? f.column + QStringLiteral(" is null")
                   : isNumber     ? f.column + QLatin1Char('=') + QString::number(number, 'g', 17)
                                  : QStringLiteral("1=0");
        } else if (text.isEmpty()) {
            // A select prints NULL and the empty text alike.
            term = QStringLiteral("(%1 is null or %1='')").arg(f.column);
        } else if (f.kind == FieldKind::LongText) {
            term = f.column + QStringLiteral("=:") + HeldParam(f.param) + QStringLiteral("<varchar_long>");
        } else {
            term = f.column + QStringLiteral("='") + Quote(text) + QLatin1Char('\'');
        }
        sql += QStringLiteral("and ") + term + QLatin1Char(' ');
    }
    return sql;
}

QString CDefectSql::AttachmentFlagExpression()
{
    return QStringLiteral("case when exists (select 1 from t_bug_attach where "
                          "t_bug_attach.BG_BUG_ID=t_bug.BG_BUG_ID) then 1 else 0 end");
}

QString CDefectSql::StoredSelect(int id, const QVector<FieldEdit>& fields)
{
    QStringList columns;
    for (const FieldEdit& f : fields) {
        columns << f.column;
        if (f.kind == FieldKind::Expression)
            columns << QStringLiteral("(%1) as %2").arg(f.value, ComputedName(f.column));
    }
    return QStringLiteral("select ") + columns.join(QLatin1Char(',')) +
           QStringLiteral(" from t_bug where BG_BUG_ID=%1 ").arg(id);
}

QString CDefectSql::DefectInsert(const DefectRecord& r)
{
    const QStringList values = {r.status,   r.responsible, r.project,    r.summary,
                                r.severity, r.priority,    r.detectedBy};
    QString text = QStringLiteral(
                       "insert into t_bug(BG_BUG_ID,BG_STATUS,BG_RESPONSIBLE,prj_name,BG_SUMMARY,"
                       "\t\tBG_SEVERITY,BG_PRIORITY,BG_DETECTED_BY,BG_DETECTION_DATE,"
                       "BG_DETECTION_VERSION,BG_DESCRIPTION,BG_DEV_COMMENTS") +
                   r.customColumns + QStringLiteral(") values(\t\t%1").arg(r.id);
    for (const QString& v : values) text += QStringLiteral(",'") + Quote(v) + QLatin1Char('\'');
    text += QLatin1Char(',') + DateValue(r.detectionDate);
    text += QStringLiteral(",'") + Quote(r.detectionVersion) + QLatin1Char('\'');
    return text + QStringLiteral(",:clDesc<varchar_long>,:clComment<varchar_long>") + r.customValues +
           QLatin1Char(')');
}

QString CDefectSql::StatusHistoryInsert(int id, const QString& when, const QString& from,
                                        const QString& to, const QString& user)
{
    return QStringLiteral("insert into t_bug_status(BG_BUG_ID,BG_STATUS_DATE,BG_STATUS_FROM,"
                          "BG_STATUS_TO,BG_RESPONSIBLE) values(%1,'%2','%3','%4','%5')")
        .arg(QString::number(id), Quote(when), Quote(from), Quote(to), Quote(user));
}

QString CDefectSql::StatusHistoryDelete(int id, const QString& when, const QString& from,
                                        const QString& to, const QString& user)
{
    return QStringLiteral("delete from t_bug_status where BG_BUG_ID=%1 and BG_STATUS_DATE='%2' and "
                          "BG_STATUS_FROM='%3' and BG_STATUS_TO='%4' and BG_RESPONSIBLE='%5'")
        .arg(QString::number(id), Quote(when), Quote(from), Quote(to), Quote(user));
}

QString CDefectSql::StatusHistorySelect(int id)
{
    return QStringLiteral("select BG_STATUS_DATE,BG_STATUS_FROM,BG_STATUS_TO,BG_RESPONSIBLE "
                          "from t_bug_status where BG_BUG_ID=%1 order by BG_STATUS_DATE  ")
        .arg(id);
}

QStringList CDefectSql::DeleteStatements(int id)
{
    return {QStringLiteral("delete from  t_bug_attach where  BG_BUG_ID=%1").arg(id),
            QStringLiteral("delete from  t_bug_status where  BG_BUG_ID=%1").arg(id),
            QStringLiteral("delete from  t_bug where  BG_BUG_ID=%1").arg(id)};
}
