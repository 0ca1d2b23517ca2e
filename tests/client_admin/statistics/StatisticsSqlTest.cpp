// The statistics view's texts: filter conditions, statements and titles.
#include "CStatisticsSql.h"

#include <gtest/gtest.h>

namespace {

StatisticsFilter NoFilter()
{
    StatisticsFilter f;
    f.project = f.status = f.responsible = f.detector = QStringLiteral("----------");
    f.start = QDate(2008, 10, 1);
    f.end = QDate(2009, 1, 15);
    return f;
}

}  // namespace

TEST(StatisticsSqlTest, FilterPartsJoinInTheirOrder)
{
    const QString dates = " BG_DETECTION_DATE>='2008-10-01' ";
    const QString end = " BG_DETECTION_DATE<='2009-01-15 23:59:59' ";
    EXPECT_EQ(CStatisticsSql::FilterText(NoFilter(), CStatisticsSql::ByUser),
              "  1=1  and  1=1  and " + dates + " and " + end + " and  1=1 and  1=1  ");

    StatisticsFilter f = NoFilter();
    f.project = "Demo";
    f.responsible = "zhang";
    f.status = "03-Closed";
    f.detector = "wang";
    EXPECT_EQ(CStatisticsSql::FilterText(f, CStatisticsSql::ByStatus),
              "  PRJ_NAME='Demo'   and  BG_RESPONSIBLE='zhang'  and " + dates + " and " + end +
                  " and   BG_STATUS='03-Closed'  and  BG_DETECTED_BY='wang'   ");

    // The not-closed statistic ignores the status combo.
    const QString notClosed = CStatisticsSql::FilterText(f, CStatisticsSql::NotClosedByProject);
    EXPECT_EQ(notClosed.indexOf("03-Closed"), -1);
    EXPECT_NE(notClosed.indexOf("  (BG_STATUS='00-New' or BG_STATUS='01-Open'  or "
                                "BG_STATUS='04-ReOpen'  or BG_STATUS='06-Delay' or "
                                "BG_STATUS='02-Fixed' ) "),
              -1);

    // "----------" in any case is no choice; quotes in values are doubled.
    f = NoFilter();
    f.project = "----------";
    f.responsible = "o'neil";
    f.detector = "x'";
    const QString quoted = CStatisticsSql::FilterText(f, CStatisticsSql::ByUser);
    EXPECT_NE(quoted.indexOf(" BG_RESPONSIBLE='o''neil' "), -1);
    EXPECT_NE(quoted.indexOf(" BG_DETECTED_BY='x'''  "), -1);
    EXPECT_EQ(quoted.indexOf("PRJ_NAME"), -1);
}

TEST(StatisticsSqlTest, EachStatisticHasItsStatementAndTitles)
{
    struct Case {
        const char* name;
        const char* sql;
        const char* projectTitle;
        const char* title;
    } cases[] = {
        {"按用户统计缺陷数",
         "select BG_RESPONSIBLE as 负责人,count(*) as 缺陷数 from t_bug where W group by BG_RESPONSIBLE",
         "项目 \"P\" 的不同用户的缺陷数（单位个)", "按用户统计缺陷数(单位个)"},
        {"按项目统计缺陷数", "select PRJ_NAME as 项目名称,count(*) as 缺陷数 from t_bug where W group by PRJ_NAME",
         "项目 \"P\" 缺陷数(单位个)", "按项目统计缺陷数(单位个)"},
        {"不同缺陷状态数", "select BG_STATUS as 缺陷状态,count(*) as 缺陷数 from t_bug where W group by BG_STATUS",
         "项目 \"P\" 不同缺陷状态数(单位个)", "不同缺陷状态数(单位个)"},
        {"不同项目的未关闭缺陷数",
         "select PRJ_NAME as 项目名称,count(*) as 缺陷数 from t_bug where W   group by PRJ_NAME",
         "项目 \"P\" 的缺陷数(单位个))", "统计不同项目的未关闭缺陷数(单位个)"},
        {"不同优先级的缺陷数",
         "select BG_PRIORITY as 优先级,count(*) as 缺陷数 from t_bug where W group by BG_PRIORITY",
         "项目 \"P\" 不同优先级缺陷数(单位个)", "不同优先级缺陷数(单位个)"},
        {"不同严重情况的缺陷数",
         "select BG_SEVERITY as 严重情况,count(*) as 缺陷数 from t_bug where W group by BG_SEVERITY",
         "项目 \"P\" 不同严重情况缺陷数(单位个)", "不同严重情况缺陷数(单位个)"},
    };
    ASSERT_EQ(CStatisticsSql::StatisticNames().size(), 6);
    for (int i = 0; i < 6; ++i) {
        const Case& c = cases[i];
        EXPECT_EQ(CStatisticsSql::StatisticNames().at(i), QString::fromUtf8(c.name));
        const int statistic = CStatisticsSql::StatisticOf(QString::fromUtf8(c.name));
        ASSERT_EQ(statistic, i) << c.name;
        EXPECT_EQ(CStatisticsSql::Statement(statistic, "W"), QString::fromUtf8(c.sql));
        EXPECT_EQ(CStatisticsSql::Title(statistic, "P"), QString::fromUtf8(c.projectTitle));
        EXPECT_EQ(CStatisticsSql::Title(statistic, "----------"), QString::fromUtf8(c.title));
    }
    EXPECT_EQ(CStatisticsSql::StatisticOf("按用户统计"), -1);
    EXPECT_EQ(CStatisticsSql::StatisticOf(""), -1);
    EXPECT_EQ(CStatisticsSql::Statement(-1, "W"), "");
    EXPECT_EQ(CStatisticsSql::ChartNames(), QStringList({"柱状图", "曲线图", "饼图"}));
}
