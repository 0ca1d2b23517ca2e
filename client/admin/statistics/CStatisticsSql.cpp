#include "CStatisticsSql.h"

namespace {

bool IsNone(const QString& text)
{
    return text.compare(CStatisticsSql::NoChoice(), Qt::CaseInsensitive) == 0;
}

QString Quote(QString text)
{
    text.replace(QLatin1Char('\''), QLatin1String("''"));
    return text;
}

QString DateText(const QDate& date)
{
    return QString::asprintf("%04d-%02d-%02d", date.year(), date.month(), date.day());
}

struct StatisticText {
    const char* name;
    const char* sql;
    const char* projectTitle;
    const char* title;
};

const StatisticText kStatistics[CStatisticsSql::StatisticCount] = {
    {"按用户统计缺陷数",
     "select BG_RESPONSIBLE as 负责人,count(*) as 缺陷数 from t_bug where %1 group by BG_RESPONSIBLE",
     "项目 \"%1\" 的不同用户的缺陷数（单位个)", "按用户统计缺陷数(单位个)"},
    {"按项目统计缺陷数",
     "select PRJ_NAME as 项目名称,count(*) as 缺陷数 from t_bug where %1 group by PRJ_NAME",
     "项目 \"%1\" 缺陷数(单位个)", "按项目统计缺陷数(单位个)"},
    {"不同缺陷状态数",
     "select BG_STATUS as 缺陷状态,count(*) as 缺陷数 from t_bug where %1 group by BG_STATUS",
     "项目 \"%1\" 不同缺陷状态数(单位个)", "不同缺陷状态数(单位个)"},
    {"不同项目的未关闭缺陷数",
     "select PRJ_NAME as 项目名称,count(*) as 缺陷数 from t_bug where %1   group by PRJ_NAME",
     "项目 \"%1\" 的缺陷数(单位个))", "统计不同项目的未关闭缺陷数(单位个)"},
    {"不同优先级的缺陷数",
     "select BG_PRIORITY as 优先级,count(*) as 缺陷数 from t_bug where %1 group by BG_PRIORITY",
     "项目 \"%1\" 不同优先级缺陷数(单位个)", "不同优先级缺陷数(单位个)"},
    {"不同严重情况的缺陷数",
     "select BG_SEVERITY as 严重情况,count(*) as 缺陷数 from t_bug where %1 group by BG_SEVERITY",
     "项目 \"%1\" 不同严重情况缺陷数(单位个)", "不同严重情况缺陷数(单位个)"},
};

}  // namespace

QString CStatisticsSql::NoChoice()
{
    return QStringLiteral("----------");
}

QStringList CStatisticsSql::StatisticNames()
{
    QStringList names;
    for (const StatisticText& s : kStatistics) names << QString::fromUtf8(s.name);
    return names;
}

QStringList CStatisticsSql::ChartNames()
{
    return {QStringLiteral("柱状图"), QStringLiteral("曲线图"), QStringLiteral("饼图")};
}

int CStatisticsSql::StatisticOf(const QString& text)
{
    for (int i = 0; i < StatisticCount; ++i) {
        const Qt::CaseSensitivity cs = i < 2 ? Qt::CaseInsensitive : Qt::CaseSensitive;
        if (text.compare(QString::fromUtf8(kStatistics[i].name), cs) == 0) return i;
    }
    return -1;
}

QString CStatisticsSql::FilterText(const StatisticsFilter& f, int statistic)
{
    const QString project =
        IsNone(f.project) ? QStringLiteral(" 1=1 ") : QStringLiteral(" PRJ_NAME='%1'  ").arg(Quote(f.project));
    const QString responsible = IsNone(f.responsible)
                                    ? QStringLiteral(" 1=1 ")
                                    : QStringLiteral(" BG_RESPONSIBLE='%1' ").arg(Quote(f.responsible));
    const QString start = QStringLiteral(" BG_DETECTION_DATE>='%1' ").arg(DateText(f.start));
    // Detection dates carry a time: the whole end day counts.
    const QString end = QStringLiteral(" BG_DETECTION_DATE<='%1 23:59:59' ").arg(DateText(f.end));
    QString status;
    if (statistic == NotClosedByProject)
        status = QStringLiteral("  (BG_STATUS='%1' or BG_STATUS='%2'  or BG_STATUS='%3'  or "
                                "BG_STATUS='%4' or BG_STATUS='%5' ) ")
                     .arg("00-New", "01-Open", "04-ReOpen", "06-Delay", "02-Fixed");
    else
        status = IsNone(f.status) ? QStringLiteral(" 1=1") : QStringLiteral("  BG_STATUS='%1' ").arg(Quote(f.status));
    const QString detector = IsNone(f.detector)
                                 ? QStringLiteral(" 1=1 ")
                                 : QStringLiteral(" BG_DETECTED_BY='%1'  ").arg(Quote(f.detector));
    return QStringLiteral(" %1 and %2 and %3 and %4 and %5 and %6 ")
        .arg(project, responsible, start, end, status, detector);
}

QString CStatisticsSql::Statement(int statistic, const QString& filterText)
{
    if (statistic < 0 || statistic >= StatisticCount) return QString();
    return QString::fromUtf8(kStatistics[statistic].sql).arg(filterText);
}

QString CStatisticsSql::Title(int statistic, const QString& project)
{
    if (statistic < 0 || statistic >= StatisticCount) return QString();
    if (project != NoChoice()) return QString::fromUtf8(kStatistics[statistic].projectTitle).arg(project);
    return QString::fromUtf8(kStatistics[statistic].title);
}
