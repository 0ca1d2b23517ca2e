// The statements the workspace panels build, compared text for text.
#include "CDefectSql.h"
#include "CQueryConditionDlg.h"
#include "WorkspaceIds.h"

#include <gtest/gtest.h>

namespace {

QueryConditionValues Cleared()
{
    QueryConditionValues v;
    v.project = QStringLiteral("Demo");
    v.startDate = QDate(2027, 2, 28);
    v.closeDate = QDate(2027, 3, 31);
    v.responsible = v.detectedBy = v.status = v.severity = v.version =
        QStringLiteral("----------");
    return v;
}

const char* const kNeutral =
    "where prj_name='Demo' and  BG_DETECTION_DATE>= '2027-02-28'  and  1 = 1 and 1 = 1 and "
    "1 = 1 and 1 = 1 and 1=1 and 1 = 1 and 1=1 and 1=1 order by BG_BUG_ID ";

}  // namespace

TEST(DefectSql, ConditionClauseTable)
{
    struct Case {
        const char* what;
        void (*set)(QueryConditionValues&);
        const char* expected;
    };
    const Case cases[] = {
        {"cleared form", [](QueryConditionValues&) {}, kNeutral},
        {"responsible by full-name text",
         [](QueryConditionValues& v) { v.responsible = QStringLiteral("tom (Tom Li)"); },
         "where prj_name='Demo' and  BG_DETECTION_DATE>= '2027-02-28'  and  1 = 1 and  "
         "BG_RESPONSIBLE ='tom'  and 1 = 1 and 1 = 1 and 1=1 and 1 = 1 and 1=1 and 1=1 order by "
         "BG_BUG_ID "},
        {"detector with a quote in the name",
         [](QueryConditionValues& v) { v.detectedBy = QStringLiteral("o'brien (O'Brien)"); },
         "where prj_name='Demo' and  BG_DETECTION_DATE>= '2027-02-28'  and  1 = 1 and 1 = 1 and  "
         "BG_DETECTED_BY ='o''brien'  and 1 = 1 and 1=1 and 1 = 1 and 1=1 and 1=1 order by "
         "BG_BUG_ID "},
        {"user whose name contains All is no condition",
         [](QueryConditionValues& v) { v.responsible = QStringLiteral("Allen (Allen W)"); },
         kNeutral},
        {"empty picker text is no condition",
         [](QueryConditionValues& v) { v.detectedBy.clear(); }, kNeutral},
        {"open status",
         [](QueryConditionValues& v) { v.status = QStringLiteral("01-Open"); },
         "where prj_name='Demo' and  BG_DETECTION_DATE>= '2027-02-28'  and  1 = 1 and 1 = 1 and "
         "1 = 1 and  BG_STATUS = '01-Open'  and 1=1 and 1 = 1 and 1=1 and 1=1 order by BG_BUG_ID "},
        {"closed status also bounds the closing date",
         [](QueryConditionValues& v) { v.status = QStringLiteral("03-Closed"); },
         "where prj_name='Demo' and  BG_DETECTION_DATE>= '2027-02-28'  and   ( BG_CLOSING_DATE "
         "is null or BG_CLOSING_DATE<= '2027-03-31 23:59:59' )  and 1 = 1 and 1 = 1 and  "
         "BG_STATUS = '03-Closed'  and 1=1 and 1 = 1 and 1=1 and 1=1 order by BG_BUG_ID "},
        {"CJK search text with a quote",
         [](QueryConditionValues& v) { v.searchText = QStringLiteral("登录'失败"); },
         "where prj_name='Demo' and  BG_DETECTION_DATE>= '2027-02-28'  and  1 = 1 and 1 = 1 and "
         "1 = 1 and 1 = 1 and  ( (BG_SUMMARY like '%登录''失败%') or  (BG_DEV_COMMENTS like "
         "'%登录''失败%') or ( BG_DESCRIPTION like '%登录''失败%' )  ) and 1 = 1 and 1=1 and 1=1 "
         "order by BG_BUG_ID "},
        {"severity, attachment and version",
         [](QueryConditionValues& v) {
             v.severity = QStringLiteral("01-中");
             v.attachmentOnly = true;
             v.version = QStringLiteral("v1.0'b");
         },
         "where prj_name='Demo' and  BG_DETECTION_DATE>= '2027-02-28'  and  1 = 1 and 1 = 1 and "
         "1 = 1 and 1 = 1 and 1=1 and  BG_SEVERITY = '01-中'  and  BG_ATTACHMENT = 1  and  "
         "BG_DETECTION_VERSION = 'v1.0''b'  order by BG_BUG_ID "},
        {"project name with a quote",
         [](QueryConditionValues& v) { v.project = QStringLiteral("Bob's"); },
         "where prj_name='Bob''s' and  BG_DETECTION_DATE>= '2027-02-28'  and  1 = 1 and 1 = 1 and "
         "1 = 1 and 1 = 1 and 1=1 and 1 = 1 and 1=1 and 1=1 order by BG_BUG_ID "},
    };
    for (const Case& c : cases) {
        QueryConditionValues v = Cleared();
        c.set(v);
        EXPECT_EQ(CDefectSql::ConditionWhere(v).toStdString(), c.expected) << c.what;
    }
}

TEST(DefectSql, QuickFilterStatements)
{
    using namespace WorkspaceIds;
    EXPECT_EQ(CDefectSql::FilterWhere(QStringLiteral("Demo"),
                                      CDefectSql::QuickFilterCondition(FilterNew),
                                      QStringLiteral("tom"))
                  .toStdString(),
              " prj_name='Demo' and  (  BG_STATUS ='00-New'   ) and  ( BG_RESPONSIBLE='tom' or "
              "BG_DETECTED_BY='tom') ");
    EXPECT_EQ(CDefectSql::QuickFilterCondition(FilterClosed).toStdString(),
              " BG_STATUS ='03-Closed' ");
    EXPECT_EQ(CDefectSql::QuickFilterCondition(FilterAll).toStdString(), "1 = 1");
    EXPECT_EQ(CDefectSql::QuickFilterCondition(FilterNotClosed).toStdString(),
              " BG_STATUS ='00-New' or BG_STATUS ='01-Open' or BG_STATUS ='02-Fixed' or "
              "BG_STATUS ='04-ReOpen' or BG_STATUS ='06-Delay' ");
    EXPECT_TRUE(CDefectSql::QuickFilterIsSince(FilterLastWeekClose));
    EXPECT_FALSE(CDefectSql::QuickFilterIsSince(FilterAll));
    EXPECT_EQ(CDefectSql::FilterWhereSince(QStringLiteral("测试项目"),
                                           CDefectSql::QuickFilterCondition(FilterLastWeekCreate),
                                           QStringLiteral("2027-03-24 10:00:00"),
                                           QStringLiteral("o'neil"))
                  .toStdString(),
              " prj_name='测试项目' and   (  1 = 1   ) and  BG_DETECTION_DATE>='2027-03-24 "
              "10:00:00' and  ( BG_RESPONSIBLE='o''neil' or BG_DETECTED_BY='o''neil')   ");
}

TEST(DefectSql, SelectListFromMask)
{
    const QStringList cols = {"BG_BUG_ID", "BG_STATUS", "BG_SUMMARY", "BG_SEVERITY",
                              "BG_RESPONSIBLE", "BG_ATTACHMENT"};
    struct Case {
        const char* mask;
        const char* expected;
    };
    const Case cases[] = {
        {"0000000000111010000000000000000000000000000000000000000000000000",
         "BG_BUG_ID,BG_STATUS,BG_SUMMARY,BG_RESPONSIBLE"},
        // Nothing chosen, or the two key columns left out: they are still selected.
        {"0000000000000000000000000000000000000000000000000000000000000000",
         "BG_BUG_ID,BG_STATUS"},
        {"", "BG_BUG_ID,BG_STATUS"},
        {"0000000000001001", "BG_BUG_ID,BG_STATUS,BG_SUMMARY,BG_ATTACHMENT"},
        {"0000000000011", "BG_BUG_ID,BG_STATUS,BG_SUMMARY"},
        // A '1' beyond the configured columns selects nothing more.
        {"0000000000111111111111", "BG_BUG_ID,BG_STATUS,BG_SUMMARY,BG_SEVERITY,BG_RESPONSIBLE,"
                                   "BG_ATTACHMENT"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CDefectSql::SelectList(QString::fromLatin1(c.mask), cols).toStdString(),
                  c.expected)
            << c.mask;
    EXPECT_EQ(CDefectSql::SelectStatement("BG_BUG_ID,BG_STATUS", "where 1=1").toStdString(),
              "select BG_BUG_ID,BG_STATUS from t_bug where 1=1");
}

namespace {

FieldEdit Field(const char* column, const char* value, FieldKind kind = FieldKind::Text,
                const char* param = "")
{
    FieldEdit f;
    f.column = column;
    f.value = value;
    f.kind = kind;
    f.param = param;
    return f;
}

}  // namespace

TEST(DefectSql, ChangedUpdateWritesTheGivenFieldsOnly)
{
    EXPECT_TRUE(CDefectSql::ChangedUpdate(7, {}).isEmpty());
    EXPECT_EQ(CDefectSql::ChangedUpdate(7, {Field("BG_STATUS", "02-Fixed")}).toStdString(),
              "update t_bug set BG_STATUS='02-Fixed' where BG_BUG_ID=7 ");
    const QVector<FieldEdit> fields = {
        Field("BG_SUMMARY", "it's"),
        Field("BG_STATUS", "02-Fixed"),
        Field("BG_DEV_COMMENTS", "c'", FieldKind::LongText, "clComment"),
        Field("BG_DESCRIPTION", "d", FieldKind::LongText, "clDesc"),
        Field("BG_DETECTION_DATE", "2027-03-01", FieldKind::Date),
        Field("BG_CLOSING_DATE", "", FieldKind::Date),
        Field("BG_ATTACHMENT", "1", FieldKind::Number),
        Field("BG_USER_01", "x"),
    };
    EXPECT_EQ(CDefectSql::ChangedUpdate(7, fields).toStdString(),
              "update t_bug set BG_SUMMARY='it''s',BG_STATUS='02-Fixed',"
              "BG_DEV_COMMENTS=:clComment<varchar_long>,BG_DESCRIPTION=:clDesc<varchar_long>,"
              "BG_DETECTION_DATE='2027-03-01',BG_CLOSING_DATE=NULL,BG_ATTACHMENT=1,"
              "BG_USER_01='x' where BG_BUG_ID=7 ");
    // A number is never pasted as text.
    EXPECT_EQ(CDefectSql::ChangedUpdate(7, {Field("BG_ATTACHMENT", "1;drop", FieldKind::Number)})
                  .toStdString(),
              "update t_bug set BG_ATTACHMENT=0 where BG_BUG_ID=7 ");
    EXPECT_EQ(CDefectSql::StoredSelect(7, fields.mid(0, 3)).toStdString(),
              "select BG_SUMMARY,BG_STATUS,BG_DEV_COMMENTS from t_bug where BG_BUG_ID=7 ");
}

TEST(DefectSql, HeldUpdateAppliesOnlyWhileTheStoredValuesHold)
{
    const auto field = [](const char* column, FieldKind kind, const char* value = "v",
                          const char* param = "") { return Field(column, value, kind, param); };
    struct Case {
        FieldEdit field;
        const char* held;  // nullptr: not held
        const char* update;
    };
    const Case cases[] = {
        {field("BG_SUMMARY", FieldKind::Text), "it's", "BG_SUMMARY='v' where BG_BUG_ID=7 and BG_SUMMARY='it''s' "},
        {field("BG_USER_01", FieldKind::Text), "",
         "BG_USER_01='v' where BG_BUG_ID=7 and (BG_USER_01 is null or BG_USER_01='') "},
        {field("BG_DETECTION_DATE", FieldKind::Date, ""), "2024-01-02",
         "BG_DETECTION_DATE=NULL where BG_BUG_ID=7 and BG_DETECTION_DATE='2024-01-02' "},
        {field("BG_DESCRIPTION", FieldKind::LongText, "", "clDesc"), "old",
         "BG_DESCRIPTION=:clDesc<varchar_long> where BG_BUG_ID=7 and "
         "BG_DESCRIPTION=:clDescWas<varchar_long> "},
        {field("BG_DEV_COMMENTS", FieldKind::LongText, "c", "clComment"), "",
         "BG_DEV_COMMENTS=:clComment<varchar_long> where BG_BUG_ID=7 and "
         "(BG_DEV_COMMENTS is null or BG_DEV_COMMENTS='') "},
        {field("BG_ATTACHMENT", FieldKind::Number, "1"), "0", "BG_ATTACHMENT=1 where BG_BUG_ID=7 and BG_ATTACHMENT=0 "},
        {field("BG_ATTACHMENT", FieldKind::Number, "1"), "", "BG_ATTACHMENT=1 where BG_BUG_ID=7 and BG_ATTACHMENT is null "},
        // A stored text that is no number matches no number column.
        {field("BG_ATTACHMENT", FieldKind::Number, "1"), "1 or 1=1", "BG_ATTACHMENT=1 where BG_BUG_ID=7 and 1=0 "},
        {field("BG_ATTACHMENT", FieldKind::Expression, "(select 1)"), "0",
         "BG_ATTACHMENT=(select 1) where BG_BUG_ID=7 "},
        {field("BG_SUMMARY", FieldKind::Text), nullptr, "BG_SUMMARY='v' where BG_BUG_ID=7 "},
    };
    for (const Case& c : cases) {
        QHash<QString, QString> held;
        if (c.held) held.insert(c.field.column, QString::fromUtf8(c.held));
        EXPECT_EQ(CDefectSql::HeldUpdate(7, {c.field}, held).toStdString(),
                  std::string("update t_bug set ") + c.update)
            << c.field.column.toStdString();
    }
    EXPECT_TRUE(CDefectSql::HeldUpdate(7, {}, {}).isEmpty());
    FieldEdit flag = field("BG_ATTACHMENT", FieldKind::Expression, "(select 1)");
    EXPECT_EQ(CDefectSql::StoredSelect(7, {field("BG_STATUS", FieldKind::Text), flag}).toStdString(),
              "select BG_STATUS,BG_ATTACHMENT,((select 1)) as BG_ATTACHMENT_NOW from t_bug "
              "where BG_BUG_ID=7 ");
}

TEST(DefectSql, EditorStatements)
{
    DefectRecord r;
    r.id = 12;
    r.project = "Demo";
    r.status = "01-Open";
    r.responsible = "tom";
    r.summary = "can't log in";
    r.severity = "01-中";
    r.priority = "01-中";
    r.detectedBy = "ann";
    r.detectionDate = "2027-03-01";
    r.detectionVersion = "v1";
    EXPECT_EQ(CDefectSql::DefectInsert(r).toStdString(),
              "insert into t_bug(BG_BUG_ID,BG_STATUS,BG_RESPONSIBLE,prj_name,BG_SUMMARY,\t\t"
              "BG_SEVERITY,BG_PRIORITY,BG_DETECTED_BY,BG_DETECTION_DATE,BG_DETECTION_VERSION,"
              "BG_DESCRIPTION,BG_DEV_COMMENTS) values(\t\t12,'01-Open','tom','Demo','can''t log "
              "in','01-中','01-中','ann','2027-03-01','v1',:clDesc<varchar_long>,"
              ":clComment<varchar_long>)");
    EXPECT_EQ(CDefectSql::StatusHistoryInsert(12, "2027-03-01 10:00:00", "01-Open", "02-Fixed",
                                              "o'neil")
                  .toStdString(),
              "insert into t_bug_status(BG_BUG_ID,BG_STATUS_DATE,BG_STATUS_FROM,BG_STATUS_TO,"
              "BG_RESPONSIBLE) values(12,'2027-03-01 10:00:00','01-Open','02-Fixed','o''neil')");
    const QStringList del = CDefectSql::DeleteStatements(12);
    ASSERT_EQ(del.size(), 3);
    EXPECT_EQ(del.last().toStdString(), "delete from  t_bug where  BG_BUG_ID=12");
}

TEST(DefectSql, NamePart)
{
    EXPECT_EQ(CDefectSql::NamePart("tom (Tom Li)").toStdString(), "tom");
    EXPECT_EQ(CDefectSql::NamePart("tom").toStdString(), "tom");
    EXPECT_EQ(CDefectSql::NamePart("").toStdString(), "");
}

TEST(DefectSql, StartDateIsOneCalendarMonthBack)
{
    struct Case {
        QDateTime now;
        QDateTime expected;
    };
    const Case cases[] = {
        {{QDate(2027, 3, 31), QTime(10, 0)}, {QDate(2027, 2, 28), QTime(10, 0)}},
        {{QDate(2027, 1, 15), QTime(8, 30, 5)}, {QDate(2026, 12, 15), QTime(8, 30, 5)}},
        {{QDate(2028, 3, 29), QTime(23, 59)}, {QDate(2028, 2, 28), QTime(23, 59)}},
        {{QDate(2027, 7, 1), QTime(0, 0)}, {QDate(2027, 6, 1), QTime(0, 0)}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CQueryConditionDlg::MonthBefore(c.now), c.expected) << c.now.toString().toStdString();
}
