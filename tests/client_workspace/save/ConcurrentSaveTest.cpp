// Two users of one project save the same defects through the real defect
// editor and quick edit, against a real lumenolite: a save writes only what
// its user changed, never over the other's newer save, and keeps what was
// typed when it refuses; the fields of the editor's custom-fields tab take
// part as the others do. A trigger logs every update of t_bug, so that a
// test sees what was written, not only what is stored. A relay in front of
// the server lands the other user's save between two requests of a save.
#include "CAttachmentDlg.h"
#include "CCustomFieldsDlg.h"
#include "CDefectEditDlg.h"
#include "CDefectFieldsDlg.h"
#include "CDefectListGrid.h"
#include "CQueryConditionDlg.h"
#include "CQuickEditDlg.h"
#include "CTreeComboBox.h"
#include "CZentryView.h"
#include "ClientFixtures.h"
#include "DialogHelpers.h"
#include "RelayProxy.h"
#include "WorkspaceIds.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

using namespace WorkspaceIds;

namespace {

// Defects 101..122 of the project Demo, all open, every required field set
// (113 and 114 with custom values, one of them no longer in its list; 118
// without comment or closing version; 122 with an attachment); an update
// log; a server-side refusal of one summary text and of the status history
// of defect 119.
const char* const kExtraSql =
    "UPDATE t_cfg_sys_list SET EDIT_STYLE='ComboBox',REF_LIST='severity' WHERE COLUMN_NAME='BG_USER_02';"
    "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<22) "
    "INSERT INTO t_bug (BG_BUG_ID,BG_STATUS,PRJ_NAME,BG_SUMMARY,BG_SEVERITY,BG_PRIORITY,"
    "BG_RESPONSIBLE,BG_DETECTED_BY,BG_DETECTION_DATE,BG_DETECTION_VERSION,BG_DESCRIPTION,"
    "BG_DEV_COMMENTS,BG_ATTACHMENT) "
    "SELECT 100+i,'01-Open','Demo','summary '||i,'01-中','02-低','zhang','wang','2024-01-02',"
    "'1.0','description '||i,'comment '||i,0 FROM n;"
    "CREATE TABLE t_update_log (BG_BUG_ID integer);"
    "CREATE TRIGGER log_bug_updates AFTER UPDATE ON t_bug "
    "BEGIN INSERT INTO t_update_log VALUES (NEW.BG_BUG_ID); END;"
    "CREATE TRIGGER refuse_summary BEFORE UPDATE OF BG_SUMMARY ON t_bug "
    "WHEN NEW.BG_SUMMARY='refused by the server' "
    "BEGIN SELECT RAISE(ABORT,'summary refused'); END;"
    "UPDATE t_bug SET BG_USER_01='customer '||BG_BUG_ID,BG_USER_02='zz-gone',"
    "BG_USER_05='note '||BG_BUG_ID WHERE BG_BUG_ID IN (113,114);"
    "UPDATE t_bug SET BG_DEV_COMMENTS=NULL WHERE BG_BUG_ID=118;"
    "CREATE TRIGGER refuse_history BEFORE INSERT ON t_bug_status WHEN NEW.BG_BUG_ID=119 "
    "BEGIN SELECT RAISE(ABORT,'history refused'); END;"
    "UPDATE t_bug SET BG_ATTACHMENT=1 WHERE BG_BUG_ID=122;"
    "INSERT INTO t_bug_attach (BG_BUG_ID,FILE_NAME,FILE_TIME,FILE_SIZE,UPLOAD_USER,PRJ_NAME) "
    "VALUES (122,'old.txt','2024-01-02 10:00:00',1.0,'li','Demo');";

// The custom-fields tab: two text fields (their captions end in an ASCII and
// a full-width colon) and a combo box.
const char kLayout[] = "[tessaro]\ntitle=\nfont=Microsoft Sans Serif,15\n"
                       "BG_USER_01=客户,Text,10,20,150,20,\n"
                       "BG_USER_01_ST=客户:,Static,10,0,150,20,\n"
                       "BG_USER_02=等级,ComboBox,180,20,160,220,\n"
                       "BG_USER_02_ST=等级:,Static,180,0,160,20,\n"
                       "BG_USER_05=版本说明,Text,10,70,150,20,\n"
                       "BG_USER_05_ST=版本说明\uFF1A,Static,10,50,150,20,\n";

class ConcurrentSaveTest : public CDemoServerTest {
protected:
    static void SetUpTestSuite() { StartServer(CDemoServer::SuiteOptions(kExtraSql)); }
    void SetUp() override
    {
        ASSERT_TRUE(s_server) << "server did not start";
        ASSERT_TRUE(s_server->Login(mine)) << answerer.Joined().toStdString();
        mine.m_currentProject = QStringLiteral("Demo");
        // The other user: li, a developer of the project, in a session of her own.
        ASSERT_TRUE(s_server->Login(theirs, "li", "123456")) << answerer.Joined().toStdString();
        theirs.m_currentProject = QStringLiteral("Demo");
    }
    QString Value(const QString& sql) { return s_server->Value(mine, sql); }
    QString Field(int id, const char* column)
    {
        return Value(QStringLiteral("select %1 from t_bug where BG_BUG_ID=%2").arg(column).arg(id));
    }
    int Updates(int id)
    {
        return Value(QStringLiteral("select count(*) from t_update_log where BG_BUG_ID=%1").arg(id))
            .toInt();
    }
    int HistoryRows(int id)
    {
        return Value(QStringLiteral("select count(*) from t_bug_status where BG_BUG_ID=%1").arg(id))
            .toInt();
    }
    // An editor on a defect, open (shown, not modal) for one user.
    std::unique_ptr<CDefectEditDlg> Open(CAppContext& user, int id)
    {
        user.m_currentBugId = id;
        auto editor = std::make_unique<CDefectEditDlg>(user);
        editor->show();
        return editor;
    }
    // The list of the project with the quick-edit panel on.
    void ShowList(CZentryView& view)
    {
        view.resize(1000, 700);
        view.show();
        view.ConditionPanel()->StartDate()->setDate(QDate(2000, 1, 1));
        view.ConditionPanel()->OnQuery();
        view.TogglePreview();
    }
    void Select(CDefectListGrid& grid, int id)
    {
        grid.setCurrentIndex(grid.Model()->index(grid.RowOfDefect(id), 0));
        QTest::qWait(30);  // a refusal moves the selection back afterwards
    }
    int SelectedId(CDefectListGrid& grid) { return grid.SelectedBugId(); }
    // The project's custom fields laid out for both users.
    void UseLayout()
    {
        mine.m_prjCustomField = theirs.m_prjCustomField = QString::fromUtf8(kLayout);
    }
    static QLineEdit* CustomEdit(CDefectEditDlg& editor, const char* column)
    {
        return qobject_cast<QLineEdit*>(editor.CustomFieldsPage()->Form().FindControl(column));
    }
    // Mine talks to the server through a relay from here on.
    void Relay(CRelayProxy& relay)
    {
        ASSERT_TRUE(relay.Start()) << relay.Error();
        mine.m_http.SetConnection("127.0.0.1", relay.Port(), "admin", "admin");
    }
    // The other user's statement, through her own session.
    bool TheirExec(const QString& sql)
    {
        CListString error;
        return theirs.m_http.ExecSql(sql.toUtf8().constData(), error);
    }
    QString Cell(CDefectListGrid& grid, int id, const char* field)
    {
        return grid.Model()->Text(grid.RowOfDefect(id), grid.FieldColumn(field));
    }

    CModalAnswerer answerer;
    CAppContext mine;
    CAppContext theirs;
};

TEST_F(ConcurrentSaveTest, EditorKeepsTheOtherUsersChangesToOtherFields)
{
    auto editor = Open(mine, 101);
    auto other = Open(theirs, 101);
    CDefectFieldsDlg& their = *other->FieldsPage();
    ASSERT_TRUE(SelectComboText(their.Priority(), "00-高", 0));
    their.Comment()->setPlainText("their comment");
    their.Description()->setPlainText("their description");
    other->ModifyButton()->click();
    ASSERT_FALSE(other->isVisible()) << answerer.m_texts.join(" | ").toStdString();

    // Mine was open all along with the old values; only the summary changes.
    editor->FieldsPage()->Summary()->setText("my summary");
    editor->ModifyButton()->click();
    EXPECT_FALSE(editor->isVisible());
    EXPECT_EQ(answerer.m_texts.last(), mine.Text(MsgSuccess));
    EXPECT_EQ(Field(101, "BG_SUMMARY"), "my summary");
    EXPECT_EQ(Field(101, "BG_PRIORITY"), "00-高");
    EXPECT_EQ(Field(101, "BG_DEV_COMMENTS"), "their comment");
    EXPECT_EQ(Field(101, "BG_DESCRIPTION"), "their description");
    EXPECT_EQ(Field(101, "BG_DETECTION_DATE"), "2024-01-02");
    EXPECT_EQ(Updates(101), 2);
}

TEST_F(ConcurrentSaveTest, EditorRefusesASameFieldChangeKeepsTheTextAndASecondSaveWins)
{
    auto editor = Open(mine, 102);
    auto other = Open(theirs, 102);
    other->FieldsPage()->Summary()->setText("their summary");
    ASSERT_TRUE(SelectComboText(other->FieldsPage()->Status(), "02-Fixed", 0));
    other->ModifyButton()->click();
    ASSERT_FALSE(other->isVisible());
    const int updates = Updates(102);
    const int history = HistoryRows(102);

    CDefectFieldsDlg& page = *editor->FieldsPage();
    page.Summary()->setText("my summary");
    ASSERT_TRUE(SelectComboText(page.Status(), "06-Delay", 0));
    ASSERT_TRUE(SelectComboText(page.Priority(), "00-高", 0));  // no one else changed it
    page.Comment()->setPlainText("my comment");
    answerer.SetAnswerYes(false);  // keep what was typed
    editor->ModifyButton()->click();

    // Nothing written, the conflicting fields named with both values.
    EXPECT_TRUE(editor->isVisible());
    EXPECT_EQ(Updates(102), updates);
    EXPECT_EQ(Field(102, "BG_SUMMARY"), "their summary");
    EXPECT_EQ(Field(102, "BG_PRIORITY"), "02-低");
    EXPECT_EQ(Field(102, "BG_DEV_COMMENTS"), "comment 2");
    const QString told = answerer.m_texts.last();
    for (const QString& part :
         {mine.Text(MsgNewerSave), mine.Text(LabelSummary) + ": " + mine.Text(MsgYourValue) +
                                       " \"my summary\", " + mine.Text(MsgStoredValue) +
                                       " \"their summary\"",
          mine.Text(LabelStatus) + ": " + mine.Text(MsgYourValue) + " \"06-Delay\", " +
              mine.Text(MsgStoredValue) + " \"02-Fixed\"",
          mine.Text(MsgTakeStored)})
        EXPECT_TRUE(told.contains(part)) << told.toStdString() << "\nlacks " << part.toStdString();
    EXPECT_FALSE(told.contains(mine.Text(LabelPriority))) << told.toStdString();
    // Everything typed is still there.
    EXPECT_EQ(page.Summary()->text(), "my summary");
    EXPECT_EQ(GetComboText(page.Status()), "06-Delay");
    EXPECT_EQ(GetComboText(page.Priority()), "00-高");
    EXPECT_EQ(page.Comment()->toPlainText(), "my comment");

    // Saving again, having been told, writes over the other save.
    editor->ModifyButton()->click();
    EXPECT_FALSE(editor->isVisible());
    EXPECT_EQ(answerer.m_texts.last(), mine.Text(MsgSuccess));
    EXPECT_EQ(Field(102, "BG_SUMMARY"), "my summary");
    EXPECT_EQ(Field(102, "BG_STATUS"), "06-Delay");
    EXPECT_EQ(Field(102, "BG_PRIORITY"), "00-高");
    EXPECT_EQ(Field(102, "BG_DEV_COMMENTS"), "my comment");
    EXPECT_EQ(Updates(102), updates + 1);
    // The history goes on from the status the other user set.
    ASSERT_EQ(HistoryRows(102), history + 1);
    EXPECT_EQ(Value("select BG_STATUS_FROM||'>'||BG_STATUS_TO||'>'||BG_RESPONSIBLE from "
                    "t_bug_status where BG_BUG_ID=102 order by rowid desc"),
              "02-Fixed>06-Delay>admin");
}

TEST_F(ConcurrentSaveTest, EditorTakesTheStoredValuesAndThenWritesOnlyTheRest)
{
    auto editor = Open(mine, 103);
    auto other = Open(theirs, 103);
    const QString longText = QString(5000, QChar(0x7F3A)) + "'引号' \"q\"";
    other->FieldsPage()->Description()->setPlainText(longText);
    other->ModifyButton()->click();
    ASSERT_FALSE(other->isVisible());

    CDefectFieldsDlg& page = *editor->FieldsPage();
    page.Description()->setPlainText("my description");
    page.Summary()->setText("my summary");
    const int updates = Updates(103);
    answerer.SetAnswerYes(true);  // take the stored values
    editor->ModifyButton()->click();
    EXPECT_TRUE(editor->isVisible());
    EXPECT_EQ(Updates(103), updates);
    // The long value is shown cut short in the message, and whole in the form.
    EXPECT_LT(answerer.m_texts.last().size(), 1000);
    EXPECT_EQ(page.Description()->toPlainText(), longText);
    EXPECT_EQ(page.Summary()->text(), "my summary");

    editor->ModifyButton()->click();
    EXPECT_FALSE(editor->isVisible());
    EXPECT_EQ(Field(103, "BG_SUMMARY"), "my summary");
    EXPECT_EQ(Field(103, "BG_DESCRIPTION"), longText);
    EXPECT_EQ(Updates(103), updates + 1);
}

TEST_F(ConcurrentSaveTest, ASaveThatChangesNothingWritesNothing)
{
    const int history = HistoryRows(104);
    {
        auto editor = Open(mine, 104);
        editor->ModifyButton()->click();
        EXPECT_FALSE(editor->isVisible());
        EXPECT_EQ(answerer.m_texts.last(), mine.Text(MsgSuccess));
    }
    {
        // Text typed and typed back is no change either.
        auto editor = Open(mine, 104);
        editor->FieldsPage()->Summary()->setText("something else");
        editor->FieldsPage()->Summary()->setText("summary 4");
        editor->ModifyButton()->click();
        EXPECT_FALSE(editor->isVisible());
    }
    {
        // Both users making the same change is no conflict.
        auto editor = Open(mine, 104);
        auto other = Open(theirs, 104);
        ASSERT_TRUE(SelectComboText(other->FieldsPage()->Severity(), "00-高", 0));
        other->ModifyButton()->click();
        ASSERT_TRUE(SelectComboText(editor->FieldsPage()->Severity(), "00-高", 0));
        const int messages = answerer.m_texts.size();
        editor->ModifyButton()->click();
        EXPECT_FALSE(editor->isVisible());
        EXPECT_EQ(answerer.m_texts.last(), mine.Text(MsgSuccess));
        for (const QString& text : answerer.m_texts.mid(messages))
            EXPECT_FALSE(text.contains(mine.Text(MsgNewerSave))) << text.toStdString();
    }
    EXPECT_EQ(Updates(104), 1);  // the other user's save only
    EXPECT_EQ(HistoryRows(104), history);

    CZentryView view(mine);
    ShowList(view);
    CDefectListGrid& grid = *view.Grid();
    Select(grid, 104);
    Select(grid, 105);  // leaves 104 unchanged
    Select(grid, 104);
    EXPECT_EQ(Updates(104), 1);
    EXPECT_EQ(Updates(105), 0);
}

TEST_F(ConcurrentSaveTest, QuickEditKeepsTheTextAfterARefusalAndMovesOnWhenSavedAgain)
{
    CZentryView view(mine);
    ShowList(view);
    CDefectListGrid& grid = *view.Grid();
    CQuickEditDlg& panel = *view.QuickEditPanel();
    Select(grid, 105);
    ASSERT_EQ(panel.ShownId(), 105);
    panel.SummaryEdit()->setText("my summary 105");
    panel.CommentEdit()->setPlainText("my comment 105");

    auto other = Open(theirs, 105);
    other->FieldsPage()->Summary()->setText("their summary 105");
    other->ModifyButton()->click();
    ASSERT_FALSE(other->isVisible());
    const int updates = Updates(105);

    answerer.SetAnswerYes(false);
    Select(grid, 106);
    EXPECT_EQ(panel.ShownId(), 105);
    EXPECT_EQ(SelectedId(grid), 105);
    EXPECT_EQ(panel.SummaryEdit()->text(), "my summary 105");
    EXPECT_EQ(panel.CommentEdit()->toPlainText(), "my comment 105");
    EXPECT_EQ(Updates(105), updates);
    EXPECT_EQ(Field(105, "BG_DEV_COMMENTS"), "comment 5");
    EXPECT_TRUE(answerer.m_texts.last().contains(mine.Text(MsgNewerSave)));
    EXPECT_TRUE(answerer.m_texts.last().contains("\"their summary 105\""));

    // Moving on again, having been told, writes what the panel shows.
    Select(grid, 106);
    EXPECT_EQ(panel.ShownId(), 106);
    EXPECT_EQ(SelectedId(grid), 106);
    EXPECT_EQ(Field(105, "BG_SUMMARY"), "my summary 105");
    EXPECT_EQ(Field(105, "BG_DEV_COMMENTS"), "my comment 105");
    EXPECT_EQ(Updates(105), updates + 1);
    // The list row shows the saved summary without a new query of the list.
    EXPECT_EQ(Cell(grid, 105, "BG_SUMMARY"), "my summary 105");
}

TEST_F(ConcurrentSaveTest, QuickEditTakesTheStoredValuesOrKeepsTheTextAfterAServerFailure)
{
    CZentryView view(mine);
    ShowList(view);
    CDefectListGrid& grid = *view.Grid();
    CQuickEditDlg& panel = *view.QuickEditPanel();

    // Taking the stored values: the panel shows them, the rest stays typed.
    Select(grid, 107);
    panel.SummaryEdit()->setText("my summary 107");
    ASSERT_TRUE(SelectComboText(panel.StatusBox(), "02-Fixed", 0));
    auto other = Open(theirs, 107);
    other->FieldsPage()->Summary()->setText("their summary 107");
    other->ModifyButton()->click();
    answerer.SetAnswerYes(true);
    Select(grid, 108);
    EXPECT_EQ(panel.ShownId(), 107);
    EXPECT_EQ(panel.SummaryEdit()->text(), "their summary 107");
    EXPECT_EQ(GetComboText(panel.StatusBox()), "02-Fixed");
    Select(grid, 108);
    EXPECT_EQ(panel.ShownId(), 108);
    EXPECT_EQ(Field(107, "BG_SUMMARY"), "their summary 107");
    EXPECT_EQ(Field(107, "BG_STATUS"), "02-Fixed");
    EXPECT_EQ(Cell(grid, 107, "BG_STATUS"), "02-Fixed");
    EXPECT_EQ(grid.Model()->RowColour(grid.RowOfDefect(107)), QColor(0, 128, 0));

    // A save the server refuses keeps the panel on its defect with the text.
    panel.SummaryEdit()->setText("refused by the server");
    panel.DescriptionEdit()->setPlainText("typed description");
    Select(grid, 109);
    EXPECT_EQ(panel.ShownId(), 108);
    EXPECT_EQ(SelectedId(grid), 108);
    EXPECT_TRUE(answerer.m_texts.last().contains("summary refused")) << answerer.m_texts.last().toStdString();
    EXPECT_EQ(panel.DescriptionEdit()->toPlainText(), "typed description");
    EXPECT_EQ(Field(108, "BG_DESCRIPTION"), "description 8");
    panel.SummaryEdit()->setText("accepted");
    Select(grid, 109);
    EXPECT_EQ(panel.ShownId(), 109);
    EXPECT_EQ(Field(108, "BG_SUMMARY"), "accepted");
    EXPECT_EQ(Field(108, "BG_DESCRIPTION"), "typed description");
}

TEST_F(ConcurrentSaveTest, TheListRowShowsWhatTheEditorSaved)
{
    CZentryView view(mine);
    ShowList(view);
    CDefectListGrid& grid = *view.Grid();
    Select(grid, 110);
    // Changed behind the list's back: a new query of the list would show it.
    ASSERT_TRUE(CDemoServer::Exec(
        theirs, "update t_bug set BG_SUMMARY='changed elsewhere' where BG_BUG_ID=111"));
    const QString sql = view.LastSql();

    bool saved = false;
    QTimer::singleShot(100, [&saved]() {
        auto* editor = qobject_cast<CDefectEditDlg*>(QApplication::activeModalWidget());
        if (!editor) return;
        editor->FieldsPage()->Summary()->setText("saved in the editor");
        saved = SelectComboText(editor->FieldsPage()->Status(), "02-Fixed", 0);
        editor->ModifyButton()->click();
        if (editor->isVisible()) editor->reject();
    });
    view.OnViewDefect();
    ASSERT_TRUE(saved);
    EXPECT_EQ(Field(110, "BG_SUMMARY"), "saved in the editor");
    EXPECT_EQ(Cell(grid, 110, "BG_SUMMARY"), "saved in the editor");
    EXPECT_EQ(Cell(grid, 110, "BG_STATUS"), "02-Fixed");
    EXPECT_EQ(grid.Model()->RowColour(grid.RowOfDefect(110)), QColor(0, 128, 0));
    EXPECT_EQ(Cell(grid, 111, "BG_SUMMARY"), "summary 11");
    EXPECT_EQ(view.LastSql(), sql);
    // The quick-edit panel showed the defect unedited: it shows the save too.
    EXPECT_EQ(view.QuickEditPanel()->SummaryEdit()->text(), "saved in the editor");
}

TEST_F(ConcurrentSaveTest, EditorRefusesACustomFieldAnotherUserChangedAndASecondSaveWins)
{
    UseLayout();
    auto editor = Open(mine, 113);
    auto other = Open(theirs, 113);
    ASSERT_TRUE(CustomEdit(*editor, "BG_USER_01") && CustomEdit(*other, "BG_USER_05"));
    EXPECT_EQ(CustomEdit(*editor, "BG_USER_01")->text(), "customer 113");
    CustomEdit(*other, "BG_USER_01")->setText("their customer");
    CustomEdit(*other, "BG_USER_05")->setText("their note");
    other->ModifyButton()->click();
    ASSERT_FALSE(other->isVisible()) << answerer.Joined().toStdString();
    const int updates = Updates(113);

    // Mine changes the same custom field and the summary.
    CustomEdit(*editor, "BG_USER_01")->setText("my customer");
    editor->FieldsPage()->Summary()->setText("my summary 113");
    answerer.SetAnswerYes(false);
    editor->ModifyButton()->click();
    EXPECT_TRUE(editor->isVisible());
    EXPECT_EQ(Updates(113), updates);
    EXPECT_EQ(Field(113, "BG_SUMMARY"), "summary 13");
    EXPECT_EQ(Field(113, "BG_USER_01"), "their customer");
    const QString told = answerer.m_texts.last();
    const QString part = QStringLiteral("客户: ") + mine.Text(MsgYourValue) + " \"my customer\", " +
                         mine.Text(MsgStoredValue) + " \"their customer\"";
    EXPECT_TRUE(told.contains(part)) << told.toStdString() << "\nlacks " << part.toStdString();
    EXPECT_FALSE(told.contains(QStringLiteral("版本说明"))) << told.toStdString();
    EXPECT_EQ(CustomEdit(*editor, "BG_USER_01")->text(), "my customer");
    EXPECT_EQ(editor->FieldsPage()->Summary()->text(), "my summary 113");

    // Saving again, having been told, writes over it; the other user's
    // note and the value the combo box cannot show stay.
    editor->ModifyButton()->click();
    EXPECT_FALSE(editor->isVisible()) << answerer.Joined().toStdString();
    EXPECT_EQ(answerer.m_texts.last(), mine.Text(MsgSuccess));
    EXPECT_EQ(Updates(113), updates + 1);
    EXPECT_EQ(Value("select BG_SUMMARY||'|'||BG_USER_01||'|'||BG_USER_02||'|'||BG_USER_05 "
                    "from t_bug where BG_BUG_ID=113"),
              "my summary 113|my customer|zz-gone|their note");

    // A conflict on the caption with a full-width colon, answered by taking
    // the stored value: the tab shows it and a save has nothing to write.
    auto again = Open(mine, 113);
    auto third = Open(theirs, 113);
    CustomEdit(*third, "BG_USER_05")->setText("their second note");
    third->ModifyButton()->click();
    ASSERT_FALSE(third->isVisible());
    CustomEdit(*again, "BG_USER_05")->setText("my note");
    answerer.SetAnswerYes(true);
    again->ModifyButton()->click();
    EXPECT_TRUE(again->isVisible());
    EXPECT_TRUE(answerer.m_texts.last().contains(QStringLiteral("版本说明: ")))
        << answerer.m_texts.last().toStdString();
    EXPECT_EQ(CustomEdit(*again, "BG_USER_05")->text(), "their second note");
    const int before = Updates(113);
    again->ModifyButton()->click();
    EXPECT_FALSE(again->isVisible());
    EXPECT_EQ(Updates(113), before);
}

TEST_F(ConcurrentSaveTest, EditorWritesOnlyTheCustomFieldThisUserChanged)
{
    UseLayout();
    auto editor = Open(mine, 114);
    auto other = Open(theirs, 114);
    other->FieldsPage()->Summary()->setText("their summary 114");
    CustomEdit(*other, "BG_USER_05")->setText("their note 114");
    other->ModifyButton()->click();
    ASSERT_FALSE(other->isVisible()) << answerer.Joined().toStdString();
    const int updates = Updates(114);

    CustomEdit(*editor, "BG_USER_01")->setText("客户 'O''Neil'");
    const int messages = answerer.m_texts.size();
    editor->ModifyButton()->click();
    EXPECT_FALSE(editor->isVisible()) << answerer.Joined().toStdString();
    EXPECT_EQ(answerer.m_texts.last(), mine.Text(MsgSuccess));
    for (const QString& text : answerer.m_texts.mid(messages))
        EXPECT_FALSE(text.contains(mine.Text(MsgNewerSave))) << text.toStdString();
    EXPECT_EQ(Updates(114), updates + 1);
    EXPECT_EQ(Value("select BG_SUMMARY||'|'||BG_USER_01||'|'||BG_USER_02||'|'||BG_USER_05 "
                    "from t_bug where BG_BUG_ID=114"),
              "their summary 114|客户 'O''Neil'|zz-gone|their note 114");
}

}  // namespace

namespace {

// The form a case types into: the editor's fields page or the quick-edit panel.
struct Typing {
    CDefectFieldsDlg* page = nullptr;
    CQuickEditDlg* panel = nullptr;
};

}  // namespace

TEST_F(ConcurrentSaveTest, ASaveLandingBetweenTheCheckAndTheWriteIsNeverOverwritten)
{
    struct Case {
        const char* name;
        int id;
        bool quickEdit;
        std::function<void(const Typing&)> type;
        // The other user's save, landing right after this save's check.
        const char* lands;
        bool refused;
        // What the server holds afterwards, as "a|b|...".
        const char* columns;
        const char* stored;
    };
    const Case cases[] = {
        {"a summary", 115, false,
         [](const Typing& t) { t.page->Summary()->setText("my summary 115"); },
         "update t_bug set BG_SUMMARY='their summary 115' where BG_BUG_ID=115", true,
         "BG_SUMMARY", "their summary 115"},
        {"a description with the status", 116, false,
         [](const Typing& t) {
             t.page->Description()->setPlainText(QString(4000, QChar(0x6587)) + " mine");
             SelectComboText(t.page->Status(), "02-Fixed", 0);
         },
         "update t_bug set BG_DESCRIPTION='their description 116' where BG_BUG_ID=116", true,
         "BG_DESCRIPTION||'|'||BG_STATUS", "their description 116|01-Open"},
        {"quick edit's comment", 117, true,
         [](const Typing& t) { t.panel->CommentEdit()->setPlainText("my comment 117"); },
         "update t_bug set BG_DEV_COMMENTS='their comment 117' where BG_BUG_ID=117", true,
         "BG_DEV_COMMENTS", "their comment 117"},
        // NULL and empty values held, another field changed meanwhile: written.
        {"empty fields", 118, false,
         [](const Typing& t) {
             t.page->Comment()->setPlainText("my comment 118");
             t.page->Summary()->setText("");
             t.page->Summary()->setText("my summary 118");
         },
         "update t_bug set BG_PRIORITY='00-高',BG_SUMMARY='summary 18' where BG_BUG_ID=118",
         false, "BG_DEV_COMMENTS||'|'||BG_SUMMARY||'|'||BG_PRIORITY",
         "my comment 118|my summary 118|00-高"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CRelayProxy relay(s_server->Port());
        Relay(relay);
        const int history = HistoryRows(c.id);
        std::unique_ptr<CDefectEditDlg> editor;
        std::unique_ptr<CZentryView> view;
        Typing typing;
        if (c.quickEdit) {
            view = std::make_unique<CZentryView>(mine);
            ShowList(*view);
            Select(*view->Grid(), c.id);
            typing.panel = view->QuickEditPanel();
            ASSERT_EQ(typing.panel->ShownId(), c.id);
        } else {
            editor = Open(mine, c.id);
            typing.page = editor->FieldsPage();
        }
        c.type(typing);
        bool landed = false;
        relay.Arm("/Lumeno/select2", [&] { landed = TheirExec(QString::fromUtf8(c.lands)); });
        answerer.SetAnswerYes(false);  // keep what was typed
        const int messages = answerer.m_texts.size();
        if (c.quickEdit) Select(*view->Grid(), c.id + 1);
        else editor->ModifyButton()->click();
        ASSERT_TRUE(relay.Fired());
        ASSERT_TRUE(landed);

        EXPECT_EQ(Value(QStringLiteral("select %1 from t_bug where BG_BUG_ID=%2").arg(c.columns).arg(c.id)),
                  QString::fromUtf8(c.stored));
        if (!c.refused) {
            EXPECT_TRUE(c.quickEdit ? typing.panel->ShownId() == c.id + 1 : !editor->isVisible())
                << answerer.Joined().toStdString();
            continue;
        }
        // Refused as a conflict found by the check is: told, nothing of
        // this save written, the form still holding what was typed.
        ASSERT_GT(answerer.m_texts.size(), messages);
        EXPECT_TRUE(answerer.m_texts.last().contains(mine.Text(MsgNewerSave))) << answerer.Joined().toStdString();
        EXPECT_EQ(HistoryRows(c.id), history);
        if (c.quickEdit) {
            EXPECT_EQ(typing.panel->ShownId(), c.id);
            EXPECT_EQ(typing.panel->CommentEdit()->toPlainText(), "my comment 117");
        } else {
            EXPECT_TRUE(editor->isVisible());
        }
    }
}

TEST_F(ConcurrentSaveTest, AStatusMovesOnlyWithItsHistoryRow)
{
    struct Case {
        const char* name;
        int id;
        const char* summary;
        const char* told;  // the server's refusal the user sees
    };
    const Case cases[] = {
        {"the history row refused", 119, "my summary 119", "history refused"},
        {"the defect's write refused", 120, "refused by the server", "summary refused"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int history = HistoryRows(c.id);
        auto editor = Open(mine, c.id);
        CDefectFieldsDlg& page = *editor->FieldsPage();
        ASSERT_TRUE(SelectComboText(page.Status(), "02-Fixed", 0));
        page.Summary()->setText(c.summary);
        editor->ModifyButton()->click();
        EXPECT_TRUE(editor->isVisible());
        EXPECT_TRUE(answerer.m_texts.last().contains(c.told)) << answerer.Joined().toStdString();
        EXPECT_EQ(Value(QStringLiteral("select BG_STATUS||'|'||BG_SUMMARY from t_bug where BG_BUG_ID=%1")
                            .arg(c.id)),
                  QStringLiteral("01-Open|summary %1").arg(c.id - 100));
        EXPECT_EQ(Updates(c.id), 0);
        EXPECT_EQ(HistoryRows(c.id), history);
        EXPECT_EQ(GetComboText(page.Status()), "02-Fixed");
        EXPECT_EQ(page.Summary()->text(), c.summary);
    }
}

TEST_F(ConcurrentSaveTest, TheAttachmentFlagFollowsTheRowsAnotherUserChanged)
{
    struct Case {
        const char* name;
        int id;
        const char* theirs;  // the other user's attachment change, flag included
        const char* flag;
    };
    const Case cases[] = {
        {"attached meanwhile", 121,
         "insert into t_bug_attach (BG_BUG_ID,FILE_NAME,FILE_TIME,FILE_SIZE,UPLOAD_USER,PRJ_NAME) "
         "values (121,'new.txt','2024-01-03 10:00:00',1.0,'li','Demo');"
         "update t_bug set BG_ATTACHMENT=1 where BG_BUG_ID=121",
         "1"},
        {"deleted meanwhile", 122,
         "delete from t_bug_attach where BG_BUG_ID=122;"
         "update t_bug set BG_ATTACHMENT=0 where BG_BUG_ID=122",
         "0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto editor = Open(mine, c.id);
        const int listed = editor->AttachmentsPage()->RowCount();
        for (const QString& sql : QString::fromUtf8(c.theirs).split(QLatin1Char(';')))
            ASSERT_TRUE(TheirExec(sql));
        EXPECT_EQ(editor->AttachmentsPage()->RowCount(), listed);  // as it was opened
        editor->FieldsPage()->Summary()->setText(QStringLiteral("my summary %1").arg(c.id));
        editor->ModifyButton()->click();
        EXPECT_FALSE(editor->isVisible()) << answerer.Joined().toStdString();
        EXPECT_EQ(Field(c.id, "BG_SUMMARY"), QStringLiteral("my summary %1").arg(c.id));
        EXPECT_EQ(Field(c.id, "BG_ATTACHMENT"), c.flag);
    }
}
