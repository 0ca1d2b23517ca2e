// The editor's save against each server program over the demo database
// (lumenolite, Lumeno over the SQLite ODBC driver, Lumeno over PostgreSQL):
// the write held to the values the check read works with NULL and empty
// values, long texts and the attachment flag on each database, and another
// user's save landing between the check and the write is refused there too.
#include "CDefectEditDlg.h"
#include "CDefectFieldsDlg.h"
#include "ClientFixtures.h"
#include "DialogHelpers.h"
#include "RelayProxy.h"
#include "WorkspaceIds.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <gtest/gtest.h>

#include <memory>

using namespace WorkspaceIds;

namespace {

class HeldSaveServers : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override
    {
        const std::string missing = CServerFixture::Missing(GetParam());
        if (!missing.empty()) GTEST_SKIP() << missing;
        CDemoServer::Options options = CDemoServer::SuiteOptions(
            "UPDATE t_bug SET BG_CLOSING_VERSION=NULL,BG_DEV_COMMENTS=NULL WHERE BG_BUG_ID=2;");
        options.program = GetParam();
        ASSERT_TRUE(server.Start(options)) << server.Output();
        ASSERT_TRUE(server.Login(mine)) << answerer.Joined().toStdString();
        ASSERT_TRUE(server.Login(theirs, "li", "123456")) << answerer.Joined().toStdString();
        mine.m_currentProject = theirs.m_currentProject = QStringLiteral("Demo");
        relay = std::make_unique<CRelayProxy>(server.Port());
        ASSERT_TRUE(relay->Start()) << relay->Error();
        mine.m_http.SetConnection("127.0.0.1", relay->Port(), "admin", "admin");
    }
    QString Value(const QString& sql) { return server.Value(mine, sql); }
    // The other user's statement lands right after the next check of mine.
    void Land(const QString& sql)
    {
        relay->Arm("/Lumeno/select2", [this, sql] {
            CListString error;
            landed = theirs.m_http.ExecSql(sql.toUtf8().constData(), error);
        });
    }
    std::unique_ptr<CDefectEditDlg> Open(int id)
    {
        mine.m_currentBugId = id;
        auto editor = std::make_unique<CDefectEditDlg>(mine);
        editor->show();
        return editor;
    }

    CModalAnswerer answerer;
    CDemoServer server;
    CAppContext mine;
    CAppContext theirs;
    std::unique_ptr<CRelayProxy> relay;
    bool landed = false;
};

TEST_P(HeldSaveServers, NullEmptyAndLongValuesAreHeldAndANewerSaveIsRefused)
{
    // Held NULL values (closing version, comment), a held long description
    // and a changed summary; the other user changes another field meanwhile.
    if (server.server->IsPostgres()) {
        // Proof that this run talks to PostgreSQL.
        EXPECT_EQ(Value("select substr(version(), 1, 10)"), "PostgreSQL");
    }
    QString description;
    while (description.size() < 4000) description += QStringLiteral("缺陷描述 'q' ");
    {
        auto editor = Open(2);
        CDefectFieldsDlg& page = *editor->FieldsPage();
        ASSERT_TRUE(SelectComboText(page.ClosingVersion(), "2.0", 0));
        page.Comment()->setPlainText("my comment");
        page.Description()->setPlainText(description);
        page.Summary()->setText("my summary 'q'");
        Land("update t_bug set BG_PRIORITY='01-中' where BG_BUG_ID=2");
        editor->ModifyButton()->click();
        EXPECT_TRUE(landed);
        EXPECT_FALSE(editor->isVisible()) << answerer.Joined().toStdString();
    }
    EXPECT_EQ(Value("select BG_SUMMARY||'|'||BG_CLOSING_VERSION||'|'||BG_DEV_COMMENTS||'|'||"
                    "BG_PRIORITY||'|'||BG_ATTACHMENT from t_bug where BG_BUG_ID=2"),
              "my summary 'q'|2.0|my comment|01-中|0");
    EXPECT_EQ(Value("select BG_DESCRIPTION from t_bug where BG_BUG_ID=2"), description);

    // The other user's summary lands between the check and the write: the
    // status and its history stay as they were, the form keeps the text;
    // saving again, having been told, writes both.
    const int history = Value("select count(*) from t_bug_status where BG_BUG_ID=4").toInt();
    auto editor = Open(4);
    CDefectFieldsDlg& page = *editor->FieldsPage();
    ASSERT_TRUE(SelectComboText(page.Status(), "04-ReOpen", 0));
    page.Summary()->setText("my summary 4");
    answerer.SetAnswerYes(false);
    landed = false;
    Land("update t_bug set BG_SUMMARY='their summary 4' where BG_BUG_ID=4");
    editor->ModifyButton()->click();
    EXPECT_TRUE(landed);
    EXPECT_TRUE(editor->isVisible());
    EXPECT_TRUE(answerer.m_texts.last().contains(mine.Text(MsgNewerSave))) << answerer.Joined().toStdString();
    EXPECT_EQ(Value("select BG_STATUS||'|'||BG_SUMMARY from t_bug where BG_BUG_ID=4"),
              "05-Reject|their summary 4");
    EXPECT_EQ(Value("select count(*) from t_bug_status where BG_BUG_ID=4").toInt(), history);
    EXPECT_EQ(page.Summary()->text(), "my summary 4");
    editor->ModifyButton()->click();
    EXPECT_FALSE(editor->isVisible()) << answerer.Joined().toStdString();
    EXPECT_EQ(Value("select BG_STATUS||'|'||BG_SUMMARY from t_bug where BG_BUG_ID=4"),
              "04-ReOpen|my summary 4");
    EXPECT_EQ(Value("select count(*) from t_bug_status where BG_BUG_ID=4").toInt(), history + 1);
}

INSTANTIATE_TEST_SUITE_P(EachServer, HeldSaveServers, ::testing::Values("lumenolite", "Lumeno", "LumenoPg"));

}  // namespace
