// Quick-edit text that cannot be written as the program ends on a
// termination signal (the server gone, or another user's newer save) is
// kept in the user's folder and offered when the client next starts: from
// the composed main frame, as a user meets it.
#include "CDefectEditDlg.h"
#include "CDefectFieldsDlg.h"
#include "CDefectListGrid.h"
#include "CQueryConditionDlg.h"
#include "CQuickEditDlg.h"
#include "CTerminationSignals.h"
#include "CZentryView.h"
#include "ClientIds.h"
#include "ComposedClient.h"
#include "RelayProxy.h"
#include "WorkspaceIds.h"

#include <QAction>
#include <QDateTimeEdit>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <csignal>
#include <memory>

using namespace WorkspaceIds;

namespace {

class KeptEdits : public CDemoServerTest {
protected:
    static void SetUpTestSuite() { StartServer(CDemoServer::SuiteOptions()); }

    QString Summary(CAppContext& context, int id)
    {
        return s_server->Value(context, QStringLiteral("select BG_SUMMARY from t_bug where BG_BUG_ID=%1").arg(id));
    }
    QString KeptFile() const { return m_dir.path() + "/unsaved_edits.json"; }
    // The defect list opened from the frame's command, the quick-edit panel
    // on and showing the defect; null when that failed.
    static CQuickEditDlg* PanelOn(CMainFrame& frame, int id)
    {
        frame.Action(ids::kCmdBugMgr)->trigger();
        auto* view = qobject_cast<CZentryView*>(frame.CurrentView());
        if (!view) return nullptr;
        view->ConditionPanel()->StartDate()->setDate(QDate(2000, 1, 1));
        view->ConditionPanel()->OnQuery();
        view->TogglePreview();
        CDefectListGrid& grid = *view->Grid();
        grid.setCurrentIndex(grid.Model()->index(grid.RowOfDefect(id), 0));
        return view->QuickEditPanel()->ShownId() == id ? view->QuickEditPanel() : nullptr;
    }

    CModalAnswerer answerer;
    QTemporaryDir m_dir;
};

TEST_F(KeptEdits, TextTheEndingProgramCannotWriteIsOfferedAtTheNextStart)
{
    enum Failure { ServerGone, NewerSave };
    struct Case {
        const char* name;
        int id;
        Failure failure;
        bool restore;          // the answer to the offer
        const char* stored;    // the summary on the server in the end
    };
    const Case cases[] = {
        {"server gone, restored and saved", 2, ServerGone, true, "typed as it ended 2"},
        {"newer save, restored and shown the conflict", 4, NewerSave, true, "saved elsewhere 4"},
        {"server gone, discarded", 6, ServerGone, false, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString typed = QStringLiteral("typed as it ended %1").arg(c.id);
        const QString before = [&] {
            CAppContext context;
            return s_server->Login(context) ? Summary(context, c.id) : QString();
        }();
        {
            CComposedClient client;
            std::string why;
            ASSERT_TRUE(client.LoginWithOwnSettings(*s_server, m_dir.path(), why)) << why;
            CMainFrame& frame = client.Frame();
            CQuickEditDlg* shown = PanelOn(frame, c.id);
            ASSERT_NE(shown, nullptr);
            CQuickEditDlg& panel = *shown;
            panel.SummaryEdit()->setText(typed);
            panel.CommentEdit()->setPlainText("a comment\nof two lines");

            if (c.failure == ServerGone) {
                // The client's road to the server goes away with the relay.
                auto relay = std::make_unique<CRelayProxy>(s_server->Port());
                ASSERT_TRUE(relay->Start()) << relay->Error();
                client.Context().m_http.SetConnection("127.0.0.1", relay->Port(), "admin", "admin");
            } else {
                CAppContext other;
                ASSERT_TRUE(s_server->Login(other, "li", "123456"));
                ASSERT_TRUE(CDemoServer::Exec(
                    other, QStringLiteral("update t_bug set BG_SUMMARY='saved elsewhere %1' where BG_BUG_ID=%1")
                               .arg(c.id)));
            }
            // The signal reaches the running program as main() hooks it up.
            CTerminationSignals termination;
            ASSERT_TRUE(termination.Install()) << termination.Error().toStdString();
            QObject::connect(&termination, &CTerminationSignals::Requested, &client.app,
                             &CZentryApp::OnTerminationSignal);
            QTimer::singleShot(0, [] { raise(SIGTERM); });
            QCoreApplication::exec();
            EXPECT_FALSE(frame.isVisible());
        }
        ASSERT_TRUE(QFile::exists(KeptFile()));
        EXPECT_EQ(QFile::permissions(KeptFile()) & (QFileDevice::ReadOther | QFileDevice::ReadGroup), 0);

        // The next start: the offer comes up once the main window is there.
        CComposedClient next;
        std::string why;
        ASSERT_TRUE(next.LoginWithOwnSettings(*s_server, m_dir.path(), why)) << why;
        CAppContext& context = next.Context();
        QString shownSummary, shownComment;
        CModalCatcher catcher;
        catcher.Arm([&](QWidget* window) {
            auto* editor = qobject_cast<CDefectEditDlg*>(window);
            if (!editor) return;
            shownSummary = editor->FieldsPage()->Summary()->text();
            shownComment = editor->FieldsPage()->Comment()->toPlainText();
            editor->ModifyButton()->click();
            // Refused for the newer save, with the stored value taken: nothing left to write.
            if (editor->isVisible()) editor->ModifyButton()->click();
            if (editor->isVisible()) editor->reject();
        });
        answerer.SetAnswerYes(c.restore);
        const int messages = answerer.m_texts.size();
        next.Frame();
        ASSERT_TRUE(WaitFor([&] { return answerer.m_texts.size() > messages; }, 5000));
        const QString offer = answerer.m_texts[messages];
        EXPECT_TRUE(offer.contains(context.Text(MsgKeptEdits).arg(c.id))) << offer.toStdString();
        EXPECT_TRUE(offer.contains("\"" + typed + "\"")) << offer.toStdString();
        EXPECT_TRUE(offer.contains(context.Text(MsgRestoreKept))) << offer.toStdString();
        if (c.restore) {
            ASSERT_TRUE(WaitFor([&] { return !catcher.Caught().isEmpty(); }, 5000));
            EXPECT_EQ(catcher.Caught(), "CDefectEditDlg");
            EXPECT_EQ(shownSummary, typed);
            EXPECT_EQ(shownComment, "a comment\nof two lines");
        } else {
            QApplication::processEvents();
            EXPECT_TRUE(catcher.Caught().isEmpty());
        }
        if (c.failure == NewerSave) {
            EXPECT_TRUE(answerer.Joined().contains("\"saved elsewhere " + QString::number(c.id) + "\""))
                << answerer.Joined().toStdString();
        }
        EXPECT_EQ(Summary(context, c.id), c.stored ? QString::fromUtf8(c.stored) : before);
        // Saved or discarded, it is offered no more.
        EXPECT_FALSE(QFile::exists(KeptFile()));
    }
}

TEST_F(KeptEdits, ClosingTheEditorKeepsTheTextAndTheUsersOwnDiscardKeepsNothing)
{
    // Text kept earlier, the editor closed without saving: offered again.
    {
        CComposedClient client;
        std::string why;
        ASSERT_TRUE(client.LoginWithOwnSettings(*s_server, m_dir.path(), why)) << why;
        ASSERT_TRUE(WriteText(KeptFile(),
                              "{\"defects\":[{\"id\":8,\"fields\":[{\"column\":\"BG_SUMMARY\","
                              "\"caption\":\"Summary\",\"stored\":\"x\",\"text\":\"kept 8\"}]}]}"));
        CModalCatcher catcher;
        catcher.Arm([](QWidget* window) {
            if (auto* editor = qobject_cast<CDefectEditDlg*>(window)) editor->reject();
        });
        answerer.SetAnswerYes(true);
        client.Frame();
        ASSERT_TRUE(WaitFor([&] { return !catcher.Caught().isEmpty(); }, 5000));
        EXPECT_TRUE(QFile::exists(KeptFile()));
    }
    QFile::remove(KeptFile());

    // Closing the window, the user discards the panel's text: nothing kept.
    CComposedClient client;
    std::string why;
    ASSERT_TRUE(client.LoginWithOwnSettings(*s_server, m_dir.path(), why)) << why;
    CMainFrame& frame = client.Frame();
    CQuickEditDlg* panel = PanelOn(frame, 10);
    ASSERT_NE(panel, nullptr);
    panel->SummaryEdit()->setText("refused by the server");
    CRelayProxy relay(s_server->Port());
    ASSERT_TRUE(relay.Start());
    relay.DropNext("/Lumeno/select2");
    client.Context().m_http.SetConnection("127.0.0.1", relay.Port(), "admin", "admin");
    answerer.SetAnswerYes(true);  // discard it
    frame.close();
    EXPECT_FALSE(frame.isVisible());
    EXPECT_TRUE(answerer.Joined().contains(client.Context().Text(MsgDiscardEdits)));
    EXPECT_FALSE(QFile::exists(KeptFile()));
}

}  // namespace
