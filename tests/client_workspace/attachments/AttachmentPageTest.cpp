// The editor's attachments page against a real loopback FTP server and a
// real lumenolite with the demo database: adding, opening, saving and
// deleting attachments, with the t_bug_attach rows, BG_ATTACHMENT and the
// files on the FTP site checked; and the defect list's Delete removing a
// defect's files; a screen capture attached as a JPEG.
#include "CAttachmentDlg.h"
#include "CDefectEditDlg.h"
#include "CDefectListGrid.h"
#include "CQueryConditionDlg.h"
#include "CScreenCaptureDlg.h"
#include "CZentryView.h"
#include "ClientFixtures.h"
#include "FtpServerFixture.h"
#include "QtText.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QDateTimeEdit>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTabWidget>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <utility>

namespace {

std::string Bytes(int count, int seed) {
    std::string data;
    for (int i = 0; i < count; ++i) data += static_cast<char>((i * 7 + seed) & 0xFF);
    return data;
}

// One FTP server and one demo server for the suite; each test works on
// defects of its own.
class AttachmentPageTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!CFtpServerFixture::Missing().empty()) return;
        s_ftp = std::make_unique<CFtpServerFixture>();
        ASSERT_TRUE(s_ftp->Start()) << s_ftp->Output();
        ASSERT_TRUE(s_ftp->MakeFolder("attach"));
        const std::string config = "ftp_user=zentry\nftp_pass=secret\nftp_port=" + std::to_string(s_ftp->Port()) +
                                   "\nattach_path=/attach\nclient_version=1.0\n";
        s_server = std::make_unique<CDemoServer>();
        // A row that the table refuses to lose, for the delete-all stop.
        ASSERT_TRUE(s_server->Start(true,
                                    "CREATE TRIGGER keep_row BEFORE DELETE ON t_bug_attach "
                                    "WHEN old.FILE_NAME='kept.txt' BEGIN SELECT RAISE(ABORT,'row is kept'); END;",
                                    config.c_str()));
    }
    static void TearDownTestSuite() {
        s_server.reset();
        s_ftp.reset();
    }
    void SetUp() override {
        if (!s_ftp) GTEST_SKIP() << CFtpServerFixture::Missing();
        CSettingsValues values;
        values.port = s_server->Port();
        values.defaultProject = "Demo";
        m_client = std::make_unique<CTestContext>(values);
        QString why;
        ASSERT_TRUE(m_client->LogIn(m_answerer, why)) << why.toStdString();
        ctx().m_currentProject = "Demo";
        ASSERT_TRUE(m_files.isValid());
    }
    CAppContext& ctx() { return m_client->context; }
    std::string Value(const std::string& sql) { return s_server->Value(sql); }
    QString LocalFile(const QString& name, const std::string& content) {
        const QString path = m_files.path() + "/" + name;
        WriteText(path, content);
        return path;
    }
    // Runs an action and waits until its transfer and what follows are done.
    bool Transfer(CAttachmentDlg& page, const std::function<void()>& action) {
        int finished = 0;
        auto connection = QObject::connect(&page, &CAttachmentDlg::TransferFinished, [&finished] { ++finished; });
        action();
        const bool done = WaitFor([&] { return finished > 0 && !page.IsBusy(); });
        QObject::disconnect(connection);
        return done;
    }
    bool Select(CAttachmentDlg& page, const QString& name) {
        CResultGrid& grid = *page.Grid();
        const int column = grid.FieldColumn("FILE_NAME");
        for (int row = 0; row < grid.RowCount(); ++row) {
            if (grid.Model()->Text(row, column) == name) {
                grid.setCurrentIndex(grid.Model()->index(row, 0));
                return true;
            }
        }
        return false;
    }
    std::string Count(int bugId) {
        return Value("select count(*) from t_bug_attach where BG_BUG_ID=" + std::to_string(bugId));
    }
    std::string Flag(int bugId) {
        return Value("select BG_ATTACHMENT from t_bug where BG_BUG_ID=" + std::to_string(bugId));
    }

    static std::unique_ptr<CFtpServerFixture> s_ftp;
    static std::unique_ptr<CDemoServer> s_server;
    CModalAnswerer m_answerer;
    std::unique_ptr<CTestContext> m_client;
    QTemporaryDir m_files;
};
std::unique_ptr<CFtpServerFixture> AttachmentPageTest::s_ftp;
std::unique_ptr<CDemoServer> AttachmentPageTest::s_server;

TEST_F(AttachmentPageTest, AddOpenSaveAndDeleteAttachments) {
    ctx().m_currentBugId = 2;
    CAttachmentDlg page(ctx());
    page.resize(600, 300);
    EXPECT_EQ(page.RowCount(), 0);
    EXPECT_FALSE(page.Action(2054)->isEnabled());
    EXPECT_FALSE(page.Action(2049)->isEnabled());

    // 1536 bytes are 1.5 kilobytes.
    const std::string content = Bytes(1536, 3);
    ASSERT_TRUE(Transfer(page, [&] { page.UploadFile(LocalFile("a.txt", content)); }));
    EXPECT_TRUE(m_answerer.m_texts.isEmpty()) << m_answerer.Joined().toStdString();
    std::string stored;
    ASSERT_TRUE(s_ftp->ReadFile("attach/2_a.txt", stored));
    EXPECT_TRUE(stored == content);
    EXPECT_EQ(Value("select FILE_NAME||'|'||FILE_SIZE||'|'||UPLOAD_USER||'|'||PRJ_NAME from t_bug_attach "
                    "where BG_BUG_ID=2"),
              "a.txt|1.5|admin|Demo");
    EXPECT_EQ(Value("select length(FILE_TIME) from t_bug_attach where BG_BUG_ID=2"), "19");
    EXPECT_EQ(Flag(2), "1");
    EXPECT_EQ(page.RowCount(), 1);
    // No copy is left beside the chosen file.
    EXPECT_EQ(QDir(m_files.path()).entryList(QDir::Files), QStringList{"a.txt"});

    // The same name in other letters is refused before anything moves.
    EXPECT_FALSE(page.UploadFile(LocalFile("A.TXT", "other")));
    EXPECT_EQ(m_answerer.m_texts.value(0), "Exist The Same File");
    EXPECT_FALSE(s_ftp->Exists("attach/2_A.TXT"));
    EXPECT_EQ(Count(2), "1");

    const std::string second = Bytes(70000, 9);
    ASSERT_TRUE(Transfer(page, [&] { page.UploadFile(LocalFile("中文 附件.doc", second)); }));
    ASSERT_TRUE(s_ftp->ReadFile("attach/2_中文 附件.doc", stored));
    EXPECT_TRUE(stored == second);
    EXPECT_EQ(page.RowCount(), 2);

    page.show();
    QDir().mkpath(QStringLiteral(ZENTRY_BUILD_DIR "/screenshots"));
    EXPECT_TRUE(page.grab().save(QStringLiteral(ZENTRY_BUILD_DIR "/screenshots/attachments-page.png")));

    // Open fetches into the temp folder and hands the file to the shell.
    QString opened;
    page.m_openFile = [&opened](const QString& path) { opened = path; };
    ASSERT_TRUE(Select(page, "中文 附件.doc"));
    EXPECT_TRUE(page.Action(2049)->isEnabled());
    EXPECT_TRUE(page.Action(2054)->isEnabled());
    ASSERT_TRUE(Transfer(page, [&] { page.OnOpen(); }));
    EXPECT_EQ(opened, ctx().TempDir() + "/中文 附件.doc");
    EXPECT_TRUE(ReadText(opened) == second);

    const QString saved = m_files.path() + "/saved copy.bin";
    ASSERT_TRUE(Transfer(page, [&] { page.SaveSelectedAs(saved); }));
    EXPECT_TRUE(ReadText(saved) == second);

    // Deleting one of two keeps the flag; the last one clears it.
    ASSERT_TRUE(Select(page, "a.txt"));
    ASSERT_TRUE(Transfer(page, [&] { page.OnDeleteSelected(); }));
    EXPECT_FALSE(s_ftp->Exists("attach/2_a.txt"));
    EXPECT_EQ(Count(2), "1");
    EXPECT_EQ(Flag(2), "1");
    EXPECT_EQ(page.RowCount(), 1);
    ASSERT_TRUE(Select(page, "中文 附件.doc"));
    ASSERT_TRUE(Transfer(page, [&] { page.OnDeleteSelected(); }));
    EXPECT_FALSE(s_ftp->Exists("attach/2_中文 附件.doc"));
    EXPECT_EQ(Count(2), "0");
    EXPECT_EQ(Flag(2), "0");
    EXPECT_EQ(page.RowCount(), 0);
    EXPECT_EQ(m_answerer.m_texts.size(), 3) << m_answerer.Joined().toStdString();  // one refusal, two questions
}

TEST_F(AttachmentPageTest, NamesAreReducedToPlainNames) {
    ctx().m_currentBugId = 3;
    CAttachmentDlg page(ctx());
    const struct {
        const char* given;
        const char* stored;
    } cases[] = {{"../../up.txt", "up.txt"},
                 {"dir\\back.txt", "back.txt"},
                 {"/abs/slash.txt", "slash.txt"},
                 {"star*.txt", "star_.txt"},
                 {"ctl\r\n\x01.txt", "ctl.txt"},
                 {"it's.txt", "it's.txt"}};
    const QString local = LocalFile("source.bin", "data");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.given);
        ASSERT_TRUE(Transfer(page, [&] { page.UploadFile(local, QString::fromUtf8(c.given)); }));
        EXPECT_TRUE(s_ftp->Exists(std::string("attach/3_") + c.stored));
        EXPECT_EQ(Value(std::string("select count(*) from t_bug_attach where BG_BUG_ID=3 and FILE_NAME='") +
                        (std::string(c.stored) == "it's.txt" ? "it''s.txt" : c.stored) + "'"),
                  "1");
    }
    EXPECT_FALSE(s_ftp->Exists("up.txt"));
    EXPECT_FALSE(s_ftp->Exists("attach/3_"));
    // Nothing usable left: refused with a message.
    EXPECT_FALSE(page.UploadFile(local, ".."));
    EXPECT_FALSE(page.UploadFile(local, "dir/"));
    EXPECT_EQ(m_answerer.m_texts.value(0), ctx().Text(4911));
    EXPECT_EQ(Count(3), "6");
}

TEST_F(AttachmentPageTest, FailuresChangeNoTable) {
    ctx().m_currentBugId = 4;
    // A row whose file is not on the site.
    ASSERT_TRUE(s_server->server->RunSql("INSERT INTO t_bug_attach (BG_BUG_ID,FILE_NAME,FILE_TIME,FILE_SIZE,"
                                         "UPLOAD_USER,PRJ_NAME) VALUES (4,'gone.txt','2008-01-01 00:00:00',1,"
                                         "'admin','Demo');"));
    CAttachmentDlg page(ctx());
    ASSERT_EQ(page.RowCount(), 1);
    QString opened;
    page.m_openFile = [&opened](const QString& path) { opened = path; };
    ASSERT_TRUE(Select(page, "gone.txt"));
    ASSERT_TRUE(Transfer(page, [&] { page.OnOpen(); }));
    EXPECT_TRUE(opened.isEmpty());
    ASSERT_EQ(m_answerer.m_texts.size(), 1);
    EXPECT_FALSE(m_answerer.m_texts[0].isEmpty());
    EXPECT_FALSE(QFile::exists(ctx().TempDir() + "/gone.txt"));

    // The FTP site down: nothing is uploaded or recorded.
    CAttachmentDlg offline(ctx());
    ctx().m_ftpPort = CServerFixture::FreePort();
    ASSERT_TRUE(Transfer(offline, [&] { offline.UploadFile(LocalFile("b.txt", "b")); }));
    EXPECT_TRUE(m_answerer.m_texts.last().startsWith("Cannot open host: ")) << m_answerer.Joined().toStdString();
    EXPECT_EQ(Count(4), "1");
    EXPECT_EQ(Flag(4), "0");

    // Reachable again: a row whose file is missing is deleted all the same,
    // and the missing file is no failure.
    ctx().m_ftpPort = s_ftp->Port();
    m_answerer.m_texts.clear();
    ASSERT_TRUE(Select(offline, "gone.txt"));
    ASSERT_TRUE(Transfer(offline, [&] { offline.OnDeleteSelected(); }));
    EXPECT_EQ(Count(4), "0");
    EXPECT_EQ(offline.RowCount(), 0);
    EXPECT_EQ(m_answerer.m_texts, QStringList{ctx().Text(4025)});
}

TEST_F(AttachmentPageTest, DeleteAllStopsAtTheFirstRowThatStays) {
    ctx().m_currentBugId = 5;
    CAttachmentDlg page(ctx());
    for (const char* name : {"one.txt", "kept.txt", "three.txt"}) {
        ASSERT_TRUE(Transfer(page, [&] { page.UploadFile(LocalFile(name, name)); }));
    }
    ASSERT_EQ(page.RowCount(), 3);
    ASSERT_EQ(Flag(5), "1");
    m_answerer.m_texts.clear();
    page.OnDeleteAll();
    ASSERT_TRUE(WaitFor([&] { return !page.IsBusy() && m_answerer.m_texts.size() >= 2; }))
        << m_answerer.Joined().toStdString();
    ASSERT_TRUE(WaitFor([&] { return !page.IsBusy(); }));
    EXPECT_FALSE(s_ftp->Exists("attach/5_one.txt"));
    EXPECT_TRUE(s_ftp->Exists("attach/5_three.txt"));
    EXPECT_EQ(Value("select group_concat(FILE_NAME) from t_bug_attach where BG_BUG_ID=5"), "kept.txt,three.txt");
    EXPECT_EQ(Flag(5), "1");
    EXPECT_EQ(page.RowCount(), 2);

    // Without the refusing row everything goes and the flag is cleared.
    ASSERT_TRUE(s_server->server->RunSql("DROP TRIGGER keep_row;"));
    page.OnDeleteAll();
    ASSERT_TRUE(WaitFor([&] { return page.RowCount() == 0 && !page.IsBusy(); }));
    EXPECT_FALSE(s_ftp->Exists("attach/5_three.txt"));
    EXPECT_EQ(Count(5), "0");
    EXPECT_EQ(Flag(5), "0");
    EXPECT_FALSE(page.Action(2054)->isEnabled());
    // An empty list asks nothing.
    const int asked = m_answerer.m_texts.size();
    page.OnDeleteAll();
    EXPECT_EQ(m_answerer.m_texts.size(), asked);
}

TEST_F(AttachmentPageTest, EditorShowsThePageAndModifyKeepsTheFlag) {
    ctx().m_currentBugId = 6;
    CDefectEditDlg editor(ctx());
    CAttachmentDlg& page = *editor.AttachmentsPage();
    EXPECT_EQ(editor.Tabs()->widget(2), &page);
    ASSERT_TRUE(Transfer(page, [&] { page.UploadFile(LocalFile("log.txt", "log")); }));
    EXPECT_EQ(Flag(6), "1");
    EXPECT_EQ(page.RowCount(), 1);
    // Modify writes BG_ATTACHMENT from the page's rows.
    ASSERT_TRUE(s_server->server->RunSql("UPDATE t_bug SET BG_ATTACHMENT=0 WHERE BG_BUG_ID=6;"));
    editor.OnModify();
    EXPECT_EQ(ctx().m_lastMessage, ctx().Text(4003)) << m_answerer.Joined().toStdString();
    EXPECT_EQ(Flag(6), "1");
}

TEST_F(AttachmentPageTest, DeletingADefectRemovesItsFiles) {
    ctx().m_currentBugId = 7;
    {
        CAttachmentDlg page(ctx());
        for (const char* name : {"x.txt", "y z.txt"})
            ASSERT_TRUE(Transfer(page, [&] { page.UploadFile(LocalFile(name, name)); }));
    }
    ASSERT_TRUE(s_ftp->Exists("attach/7_x.txt"));
    s_ftp->WriteFile("attach/8_x.txt", "another defect's");
    ctx().m_canDeleteDefect = 1;
    ctx().m_currentProject = QString::fromStdString(Value("select PRJ_NAME from t_bug where BG_BUG_ID=7"));
    CZentryView view(ctx());
    view.ConditionPanel()->StartDate()->setDate(QDate(2000, 1, 1));
    view.ConditionPanel()->OnQuery();
    CDefectListGrid& grid = *view.Grid();
    const int column = grid.FieldColumn("BG_BUG_ID");
    int row = -1;
    for (int r = 0; r < grid.RowCount(); ++r)
        if (grid.Model()->Text(r, column).toInt() == 7) row = r;
    ASSERT_GE(row, 0);
    grid.setCurrentIndex(grid.Model()->index(row, 0));
    m_answerer.SetAnswerYes(true);
    ASSERT_TRUE(view.DeleteSelectedDefect()) << m_answerer.Joined().toStdString();
    EXPECT_EQ(Value("select count(*) from t_bug where BG_BUG_ID=7"), "0");
    EXPECT_EQ(Count(7), "0");
    EXPECT_FALSE(s_ftp->Exists("attach/7_x.txt"));
    EXPECT_FALSE(s_ftp->Exists("attach/7_y z.txt"));
    EXPECT_TRUE(s_ftp->Exists("attach/8_x.txt"));
}

TEST_F(AttachmentPageTest, OneTransferAtATimeAndClosingDuringOneIsSafe) {
    ctx().m_currentBugId = 9;
    const QString big = LocalFile("big.bin", Bytes(40 * 1024 * 1024, 1));
    {
        CAttachmentDlg page(ctx());
        ASSERT_TRUE(page.UploadFile(big));
        EXPECT_TRUE(page.IsBusy());
        EXPECT_FALSE(page.Action(2045)->isEnabled());
        // A second action while one runs is refused with a message.
        EXPECT_FALSE(page.UploadFile(LocalFile("second.txt", "2")));
        EXPECT_EQ(m_answerer.m_texts.value(0), ctx().Text(4910));
        ASSERT_TRUE(WaitFor([&] { return !page.IsBusy(); }));
        EXPECT_EQ(page.RowCount(), 1);
        EXPECT_TRUE(page.Action(2045)->isEnabled());
    }
    // The editor is closed while its upload runs: the upload is waited for
    // and recorded, so no file is left on the FTP site without its row.
    ctx().m_currentBugId = 10;
    {
        auto editor = std::make_unique<CDefectEditDlg>(ctx());
        CAttachmentDlg& page = *editor->AttachmentsPage();
        ASSERT_TRUE(page.UploadFile(big));
        ASSERT_TRUE(page.IsBusy());
        // The editor's Close button, as the user presses it; the list then
        // destroys the editor.
        QPushButton* close = nullptr;
        for (QPushButton* button : editor->findChildren<QPushButton*>(QString(), Qt::FindDirectChildrenOnly))
            if (button->text() == ctx().Text(4004)) close = button;
        ASSERT_NE(close, nullptr);
        close->click();
        EXPECT_FALSE(editor->isVisible());
        editor.reset();
    }
    QApplication::processEvents();
    EXPECT_EQ(Count(10), "1");
    EXPECT_EQ(Flag(10), "1");
    EXPECT_TRUE(s_ftp->Exists("attach/10_big.bin"));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    // A download is not waited for: closing ends it at once and records nothing.
    {
        CAttachmentDlg page(ctx());
        ASSERT_TRUE(Select(page, "big.bin"));
        page.m_openFile = [](const QString&) { ADD_FAILURE() << "a closed page opened a file"; };
        page.Action(2049)->trigger();
        ASSERT_TRUE(page.IsBusy());
    }
    QApplication::processEvents();
    EXPECT_EQ(Count(10), "1");
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(AttachmentPageTest, ClipboardImageIsUploadedAsPng) {
    ctx().m_currentBugId = 11;
    CAttachmentDlg page(ctx());
    QApplication::clipboard()->setText("text only");
    page.UpdateButtons();
    EXPECT_FALSE(page.Action(2053)->isEnabled());
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::red);
    QApplication::clipboard()->setImage(image);
    page.UpdateButtons();
    ASSERT_TRUE(page.Action(2053)->isEnabled());
    ASSERT_TRUE(Transfer(page, [&] { page.OnClipboard(); }));
    ASSERT_EQ(page.RowCount(), 1) << m_answerer.Joined().toStdString();
    const std::string name = Value("select FILE_NAME from t_bug_attach where BG_BUG_ID=11");
    EXPECT_EQ(name.rfind("clipboard_", 0), 0u) << name;
    std::string stored;
    ASSERT_TRUE(s_ftp->ReadFile("attach/11_" + name, stored));
    QImage back;
    ASSERT_TRUE(back.loadFromData(reinterpret_cast<const uchar*>(stored.data()), int(stored.size()), "PNG"));
    EXPECT_EQ(back.size(), QSize(40, 30));
    // The temp copy is gone again.
    ASSERT_TRUE(WaitFor([&] { return QDir(ctx().TempDir()).entryList(QDir::Files).isEmpty(); }, 3000));
}

TEST_F(AttachmentPageTest, AScreenCaptureIsAttachedAsAJpegWithItsSize) {
    ctx().m_currentBugId = 12;
    CAttachmentDlg page(ctx());
    QImage picture(320, 200, QImage::Format_RGB32);
    picture.fill(QColor(30, 120, 200));
    CScreenCaptureDlg capture(ctx(), picture);
    ASSERT_TRUE(capture.SaveJpeg(capture.SaveSelection(CCaptureRect(10, 20, 210, 120), false), "abc"));
    ASSERT_EQ(capture.m_jpegPath, ctx().TempDir() + "/12_abc.jpg");
    const std::string jpeg = ReadText(capture.m_jpegPath);
    ASSERT_FALSE(jpeg.empty());

    ASSERT_TRUE(Transfer(page, [&] { EXPECT_TRUE(page.AttachScreenshot(capture.m_jpegPath, capture.m_attachName)); }));
    EXPECT_TRUE(m_answerer.m_texts.isEmpty()) << m_answerer.Joined().toStdString();
    std::string stored;
    ASSERT_TRUE(s_ftp->ReadFile("attach/12_abc.jpg", stored));
    EXPECT_EQ(stored, jpeg);
    EXPECT_EQ(Value("select FILE_NAME from t_bug_attach where BG_BUG_ID=12"), "abc.jpg");
    // Kilobytes, written with six decimals.
    EXPECT_NEAR(std::stod(Value("select FILE_SIZE from t_bug_attach where BG_BUG_ID=12")),
                static_cast<double>(jpeg.size()) / 1024.0, 1e-6);
    EXPECT_EQ(Value("select UPLOAD_USER from t_bug_attach where BG_BUG_ID=12"), "admin");
    EXPECT_EQ(Flag(12), "1");
    EXPECT_EQ(page.RowCount(), 1);
    EXPECT_FALSE(QFile::exists(capture.m_jpegPath));

    // The same name again (case ignored): refused, the JPEG stays for now.
    CScreenCaptureDlg again(ctx(), picture);
    ASSERT_TRUE(again.SaveJpeg(again.SaveSelection(CCaptureRect(0, 0, 50, 50), false), "ABC"));
    EXPECT_FALSE(page.AttachScreenshot(again.m_jpegPath, again.m_attachName));
    EXPECT_EQ(m_answerer.m_texts, QStringList{"Exist The Same File"});
    EXPECT_TRUE(QFile::exists(again.m_jpegPath));
    EXPECT_EQ(Count(12), "1");
    // A capture that saved nothing attaches nothing.
    EXPECT_FALSE(page.AttachScreenshot(QString(), QString()));
    EXPECT_EQ(Count(12), "1");
}

// Delete and Delete all when one side fails, pressed on the editor's
// attachments page: the row goes first and its file after it, so a row never
// points at a removed file; a file that stays on the FTP site is said.
TEST_F(AttachmentPageTest, RowsGoBeforeTheirFiles) {
    ASSERT_TRUE(s_server->server->RunSql(
        "CREATE TRIGGER IF NOT EXISTS keep_row BEFORE DELETE ON t_bug_attach "
        "WHEN old.FILE_NAME='kept.txt' BEGIN SELECT RAISE(ABORT,'row is kept'); END;"));
    const struct {
        const char* title;
        int bugId;
        int command;  // Delete (2051) or Delete all (2054)
        bool ftpDown;
        std::vector<std::string> files;
        const char* selected;
        const char* rowsLeft;
        std::vector<std::string> filesLeft;
        const char* flag;
        bool saysFileKept;
    } cases[] = {
        {"delete, the row refused", 13, 2051, false, {"kept.txt", "b.txt"}, "kept.txt", "b.txt,kept.txt",
         {"kept.txt", "b.txt"}, "1", false},
        {"delete, the FTP site down", 14, 2051, true, {"x.txt", "y.txt"}, "x.txt", "y.txt", {"x.txt", "y.txt"},
         "1", true},
        {"delete all, a row refused", 15, 2054, false, {"one.txt", "kept.txt", "three.txt"}, nullptr,
         "kept.txt,three.txt", {"kept.txt", "three.txt"}, "1", false},
        {"delete all, the FTP site down", 16, 2054, true, {"p.txt", "q.txt"}, nullptr, "", {"p.txt", "q.txt"}, "0",
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title);
        ctx().m_currentBugId = c.bugId;
        ctx().m_ftpPort = s_ftp->Port();
        {
            CAttachmentDlg uploads(ctx());
            for (const std::string& name : c.files)
                ASSERT_TRUE(Transfer(uploads, [&] { uploads.UploadFile(LocalFile(QString::fromStdString(name), name)); }));
        }
        ASSERT_EQ(Flag(c.bugId), "1");
        if (c.ftpDown) ctx().m_ftpPort = CServerFixture::FreePort();
        CDefectEditDlg editor(ctx());
        CAttachmentDlg& page = *editor.AttachmentsPage();
        if (c.selected) {
            ASSERT_TRUE(Select(page, c.selected));
        }
        m_answerer.m_texts.clear();
        ASSERT_TRUE(page.Action(c.command)->isEnabled());
        page.Action(c.command)->trigger();
        ASSERT_TRUE(WaitFor([&] { return !page.IsBusy(); }));
        QApplication::processEvents();

        EXPECT_EQ(Value("select coalesce(group_concat(FILE_NAME),'') from (select FILE_NAME from t_bug_attach "
                        "where BG_BUG_ID=" + std::to_string(c.bugId) + " order by FILE_NAME)"),
                  c.rowsLeft);
        for (const std::string& name : c.files) {
            const bool left = std::find(c.filesLeft.begin(), c.filesLeft.end(), name) != c.filesLeft.end();
            EXPECT_EQ(s_ftp->Exists("attach/" + std::to_string(c.bugId) + "_" + name), left) << name;
        }
        EXPECT_EQ(Flag(c.bugId), c.flag);
        EXPECT_EQ(page.RowCount(), int(std::count(c.rowsLeft, c.rowsLeft + strlen(c.rowsLeft), ',')) +
                                       (*c.rowsLeft ? 1 : 0));
        ASSERT_GE(m_answerer.m_texts.size(), 2) << m_answerer.Joined().toStdString();
        EXPECT_EQ(m_answerer.m_texts.first(), ctx().Text(4025));
        EXPECT_EQ(m_answerer.m_texts.last().startsWith(ctx().Text(4912)), c.saysFileKept)
            << m_answerer.Joined().toStdString();
        if (!c.saysFileKept) {
            EXPECT_TRUE(m_answerer.m_texts.last().contains("row is kept"));
        }
    }
    ctx().m_ftpPort = s_ftp->Port();
}

// Delete and Delete all remove the rows of the current project only: the
// same defect and name recorded under another project keeps its row, so
// its file and BG_ATTACHMENT stay.
TEST_F(AttachmentPageTest, DeleteKeepsAnotherProjectsRow) {
    for (const auto& [command, bugId] : {std::pair{2051, 17}, std::pair{2054, 18}}) {
        SCOPED_TRACE(command);
        ctx().m_currentBugId = bugId;
        {
            CAttachmentDlg uploads(ctx());
            ASSERT_TRUE(Transfer(uploads, [&] { uploads.UploadFile(LocalFile("shared.txt", "shared")); }));
        }
        ASSERT_TRUE(s_server->server->RunSql(
            "INSERT INTO t_bug_attach (BG_BUG_ID,FILE_NAME,FILE_TIME,FILE_SIZE,UPLOAD_USER,PRJ_NAME) VALUES (" +
            std::to_string(bugId) + ",'shared.txt','2008-01-01 00:00:00',1,'admin','Zentry演示');"));
        CDefectEditDlg editor(ctx());
        CAttachmentDlg& page = *editor.AttachmentsPage();
        ASSERT_EQ(page.RowCount(), 2);
        ASSERT_TRUE(Select(page, "shared.txt"));
        page.Action(command)->trigger();
        ASSERT_TRUE(WaitFor([&] { return !page.IsBusy(); }));
        EXPECT_EQ(Value("select group_concat(PRJ_NAME) from t_bug_attach where BG_BUG_ID=" + std::to_string(bugId)),
                  "Zentry演示");
        EXPECT_EQ(page.RowCount(), 1);
        EXPECT_TRUE(s_ftp->Exists("attach/" + std::to_string(bugId) + "_shared.txt"));
        EXPECT_EQ(Flag(bugId), "1");
    }
}

}  // namespace
