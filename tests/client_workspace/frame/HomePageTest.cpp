// The home page view: the shipped main.mht shown from a program folder,
// a missing page, and the HTML part taken out of MHTML documents.
#include "CAppContext.h"
#include "HomePageForm.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <gtest/gtest.h>

TEST(HomePage, ShowsTheShippedPageFromAFolderWithBlanks) {
    const QByteArray mht = [] {
        QFile file(QStringLiteral(ZENTRY_BUILD_DIR) + "/bin/main.mht");
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    ASSERT_FALSE(mht.isEmpty());
    const QString html = CHomePageForm::ExtractHtml(mht);
    EXPECT_TRUE(html.contains("<", Qt::CaseInsensitive));
    EXPECT_FALSE(html.contains("Content-Type:", Qt::CaseInsensitive));

    QTemporaryDir dir;
    const QString folder = dir.path() + "/program folder with blanks";
    QDir().mkpath(folder);
    QFile::copy(QStringLiteral(ZENTRY_BUILD_DIR) + "/bin/main.mht", folder + "/main.mht");
    CAppContext context;
    context.m_exeDir = folder;
    CHomePageForm page(context);
    EXPECT_EQ(page.Location(), folder + "/main.mht");
    QTRY_VERIFY_WITH_TIMEOUT(page.IsLoaded(), 5000);
    EXPECT_FALSE(page.Browser()->toPlainText().isEmpty());
    EXPECT_NE(page.Browser()->toPlainText(), page.Location());

    // A missing page says where it was looked for.
    context.m_exeDir = dir.path() + "/nowhere";
    CHomePageForm missing(context);
    QTRY_VERIFY_WITH_TIMEOUT(missing.IsLoaded(), 5000);
    EXPECT_EQ(missing.Browser()->toPlainText(), missing.Location());

    // Plain HTML and quoted-printable parts.
    EXPECT_EQ(CHomePageForm::ExtractHtml("<p>plain</p>"), "<p>plain</p>");
    const QByteArray multipart =
        "MIME-Version: 1.0\r\nContent-Type: multipart/related; boundary=\"b1\"\r\n\r\n--b1\r\n"
        "Content-Type: text/html; charset=\"utf-8\"\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\n"
        "<p>a=3Db soft=\r\nbreak =E4=B8=AD</p>\r\n--b1--\r\n";
    EXPECT_EQ(CHomePageForm::ExtractHtml(multipart), QStringLiteral("<p>a=b softbreak 中</p>\r\n"));
}
