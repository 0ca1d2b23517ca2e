// CStatisticsSql: the texts of the statistics view: the six statistics, the
// filter condition built from its controls, the group-by count each one
// sends and the title of its chart.
#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

struct StatisticsFilter {
    QString project;      // "----------" for every project
    QString status;
    QString responsible;
    QString detector;
    QDate start;
    QDate end;
};

class CStatisticsSql {
public:
    enum Statistic {
        ByUser = 0,
        ByProject,
        ByStatus,
        NotClosedByProject,
        ByPriority,
        BySeverity,
        StatisticCount
    };

    // The entry for no choice in the view's combos.
    static QString NoChoice();
    // The statistic type combo's items, in order.
    static QStringList StatisticNames();
    // The chart type combo's items: bar, line, pie.
    static QStringList ChartNames();
    // The statistic a type text names (the first two ignoring case); -1 for none.
    static int StatisticOf(const QString& text);
    // The where condition; quotes in the values are doubled.
    static QString FilterText(const StatisticsFilter& filter, int statistic);
    static QString Statement(int statistic, const QString& filterText);
    // The chart title; a project other than "----------" is named in it.
    static QString Title(int statistic, const QString& project);
};
