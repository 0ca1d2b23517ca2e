// The parameter panel of a report: a template's conditions as captioned
// fields sized by the column table of a real lumenolite's demo database,
// and the SQL built from what the fields show.
#include "CInterQueryForm.h"
#include "CQueryTemplatePanel.h"
#include "ClientFixtures.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <gtest/gtest.h>

namespace {

// One condition column shown as a list box.
const char kExtraSql[] = "UPDATE t_cfg_sys_list SET EDIT_STYLE='ListBox' WHERE COLUMN_NAME='BG_PRIORITY';";

class QueryTemplatePanelTest : public CDemoServerTest {
protected:
    static void SetUpTestSuite() { StartServer(CDemoServer::SuiteOptions(kExtraSql)); }
    void SetUp() override {
        ASSERT_TRUE(s_server) << "server did not start";
        ASSERT_TRUE(s_server->Login(ctx)) << answerer.Joined().toStdString();
    }
    // What the view does with a picked script's template, without the library.
    void Build(CInterQueryForm& view, const QString& text) {
        view.Panel().Reset();
        view.Panel().ParseTemplate(text);
        view.Panel().SetDesignMode(0);
        view.Panel().CreateOn(&view);
        view.FillLookupLists();
    }
    template <typename T>
    T* Control(CQueryTemplatePanel& panel, const QString& name) {
        return qobject_cast<T*>(panel.FindControl(name));
    }

    CModalAnswerer answerer;
    CAppContext ctx;
};

struct FieldCase {
    const char* name;
    int type;
    CFormRect rect;
    const char* label;
};

const char kFiveConditions[] =
    "select BG_BUG_ID from t_bug where {BG_BUG_ID > 100} and {BG_STATUS = '01-Open'} and "
    "{BG_SUMMARY like '%x%'} and {BG_PRIORITY = 'a'} and {NO_SUCH_COLUMN = 1} order by 1";

TEST_F(QueryTemplatePanelTest, FieldsStandThreeToARowSizedAndCaptionedByTheColumnTable) {
    CQueryTemplatePanel panel(ctx);
    EXPECT_EQ(panel.RowGap(), 5);
    EXPECT_EQ(panel.ParseTemplate(kFiveConditions), 1);
    using namespace FormStyles;
    // Input at (x + LSIZE, y), WIDTH x HEIGHT; caption from (x, y + 3) to
    // (x + LSIZE, y + 20); the next field 2 pixels to the right.
    const FieldCase cases[] = {
        {"BG_BUG_ID", kText, {252, 5, 402, 25}, " 100"},
        {"BG_BUG_ID_ST", kStatic, {172, 8, 252, 25}, "缺陷编号:"},
        {"BG_STATUS", kComboBox, {484, 5, 634, 25}, "01-Open"},
        {"BG_STATUS_ST", kStatic, {404, 8, 484, 25}, "状态:"},
        {"BG_SUMMARY", kText, {716, 5, 1116, 25}, "%x%"},
        {"BG_SUMMARY_ST", kStatic, {636, 8, 716, 25}, "摘要:"},
        // The fourth field starts the second row.
        {"BG_PRIORITY", kListBox, {252, 29, 402, 49}, "a"},
        {"BG_PRIORITY_ST", kStatic, {172, 32, 252, 49}, "优先级:"},
        // A column the table does not know: an edit box of the common size.
        {"NO_SUCH_COLUMN", kText, {484, 29, 634, 49}, " 1"},
        {"NO_SUCH_COLUMN_ST", kStatic, {404, 32, 484, 49}, "NO_SUCH_COLUMN:"},
    };
    ASSERT_EQ(panel.GetFieldCount(), static_cast<int>(std::size(cases)));
    for (size_t i = 0; i < std::size(cases); ++i) {
        const CFormField& field = panel.Fields()[i];
        const FieldCase& c = cases[i];
        EXPECT_EQ(field.m_name.toStdString(), c.name);
        EXPECT_EQ(field.m_type, c.type) << c.name;
        EXPECT_EQ(field.m_rect.left, c.rect.left) << c.name;
        EXPECT_EQ(field.m_rect.top, c.rect.top) << c.name;
        EXPECT_EQ(field.m_rect.right, c.rect.right) << c.name;
        EXPECT_EQ(field.m_rect.bottom, c.rect.bottom) << c.name;
        EXPECT_EQ(field.m_label.toStdString(), c.label) << c.name;
    }
    ASSERT_EQ(panel.Tokens().Tokens().size(), 5);

    // The next position below a field: a combo box is one line high.
    EXPECT_EQ(panel.AddLabeledField("A", kComboBox, "a:", 10, 100, 160, 120, "", 70), QPoint(242, 125));
    EXPECT_EQ(panel.AddLabeledField("B", kText, "b:", 10, 100, 400, 60, "", 80), QPoint(492, 165));

    // A refill keeps counting the control ids upwards.
    const int lastId = panel.Fields().back().m_controlId;
    panel.Reset();
    EXPECT_EQ(panel.GetFieldCount(), 0);
    EXPECT_TRUE(panel.Tokens().Tokens().isEmpty());
    panel.ParseTemplate("{BG_STATUS = 'a'}");
    EXPECT_GT(panel.Fields().front().m_controlId, lastId);
}

TEST_F(QueryTemplatePanelTest, TheSqlTakesWhatTheFieldsShow) {
    CInterQueryForm view(ctx);
    view.resize(1200, 700);
    view.show();
    Build(view, kFiveConditions);
    CQueryTemplatePanel& panel = view.Panel();
    auto* status = Control<QComboBox>(panel, "BG_STATUS");
    auto* priority = Control<QListWidget>(panel, "BG_PRIORITY");
    auto* id = Control<QLineEdit>(panel, "BG_BUG_ID");
    auto* summary = Control<QLineEdit>(panel, "BG_SUMMARY");
    ASSERT_TRUE(status && priority && id && summary);
    // The lookup lists: "----------" first and chosen in a combo box, the
    // first value chosen in a list box.
    ASSERT_GT(status->count(), 1);
    EXPECT_EQ(status->itemText(0), "----------");
    EXPECT_EQ(status->currentIndex(), 0);
    EXPECT_EQ(status->itemText(1), "00-New");
    ASSERT_GT(priority->count(), 0);
    EXPECT_EQ(priority->currentRow(), 0);
    const QString firstPriority = priority->item(0)->text();

    // Untouched: the status condition falls away, the others stand as written.
    const QString untouched = "select BG_BUG_ID from t_bug where (BG_BUG_ID >  100) and (1=1) and "
                              "(BG_SUMMARY like '%x%') and (BG_PRIORITY = '" +
                              firstPriority + "') and (NO_SUCH_COLUMN =  1) order by 1";
    EXPECT_EQ(panel.BuildSql(), untouched);
    EXPECT_EQ(panel.BuildSql(), untouched) << "built again from the stored template";

    status->setCurrentText("01-Open");
    id->setText("7");
    summary->setText("O'Brien%");
    EXPECT_EQ(panel.BuildSql(), "select BG_BUG_ID from t_bug where (BG_BUG_ID > 7) and (BG_STATUS = '01-Open') and "
                                "(BG_SUMMARY like 'O''Brien%') and (BG_PRIORITY = '" +
                                    firstPriority + "') and (NO_SUCH_COLUMN =  1) order by 1");

    // What the shipped report's conditions build runs on the server.
    Build(view, "select count(*) from t_bug where {BG_DETECTION_DATE >= '2008-01-01'} and {BG_STATUS = 'x'}");
    EXPECT_EQ(Control<QLineEdit>(panel, "BG_DETECTION_DATE")->text(), "2008-01-01");
    const QString all = s_server->Value(ctx, "select count(*) from t_bug where BG_DETECTION_DATE >= '2008-01-01'");
    EXPECT_EQ(s_server->Value(ctx, panel.BuildSql()), all);
    Control<QComboBox>(panel, "BG_STATUS")->setCurrentText("03-Closed");
    EXPECT_EQ(s_server->Value(ctx, panel.BuildSql()),
              s_server->Value(ctx, "select count(*) from t_bug where BG_DETECTION_DATE >= '2008-01-01' and "
                                   "BG_STATUS = '03-Closed'"));
    EXPECT_TRUE(answerer.m_texts.isEmpty()) << answerer.Joined().toStdString();
}

TEST_F(QueryTemplatePanelTest, TheSecondConditionOnAColumnTakesTheFirstFieldsValue) {
    CInterQueryForm view(ctx);
    view.show();
    Build(view, "where {BG_STATUS = 'a'} or {BG_STATUS <> 'b'}");
    CQueryTemplatePanel& panel = view.Panel();
    // The second field and its caption are refused, each with a message.
    EXPECT_EQ(panel.GetFieldCount(), 2);
    EXPECT_EQ(answerer.m_texts, (QStringList{"已经存在字段名:BG_STATUS", "已经存在字段名:BG_STATUS_ST"}));
    Control<QComboBox>(panel, "BG_STATUS")->setCurrentText("02-Fixed");
    EXPECT_EQ(panel.BuildSql(), "where (BG_STATUS = '02-Fixed') or (BG_STATUS <> '02-Fixed')");
}

TEST_F(QueryTemplatePanelTest, ATemplateWithoutConditionsHasNoFields) {
    CQueryTemplatePanel panel(ctx);
    for (const char* text : {"", "select BG_BUG_ID from t_bug", "select 1 {unclosed"}) {
        panel.Reset();
        EXPECT_EQ(panel.ParseTemplate(text), 1);
        EXPECT_EQ(panel.GetFieldCount(), 0) << text;
        EXPECT_EQ(panel.BuildSql().toStdString(), text);
    }
    // Without a window nothing is created.
    panel.CreateOn(nullptr);
    EXPECT_EQ(panel.ControlsCreated(), 0);
}

}  // namespace
