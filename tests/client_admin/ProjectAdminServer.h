// The project, lookup-list and workflow dialogs' tests: a fresh demo
// server for each test that asks for one, and a client context logged in
// to it as admin; message boxes the code under test opens are answered and
// recorded.
#pragma once

#include "ClientFixtures.h"

#include <QApplication>
#include <QStringList>
#include <QWidget>

#include <gtest/gtest.h>

#include <string>

namespace projectadmin {

// The first value of a query as a number, -1 when it gave no row.
inline int CountRows(CAppContext& context, const QString& sql)
{
    const QStringList rows = CDemoServer::Rows(context, sql);
    return rows.isEmpty() ? -1 : rows.first().toInt();
}

// Shows a window and saves its picture as <build>/screenshots/<name>.png.
inline bool SaveShownScreenshot(QWidget& widget, const QString& name)
{
    widget.show();
    QApplication::processEvents();
    return SaveScreenshot(widget, name);
}

class ProjectAdminTest : public ::testing::Test {
protected:
    void StartWith(const std::string& extraSql)
    {
        ASSERT_TRUE(s.Start(CDemoServer::SuiteOptions(extraSql))) << s.Output();
        ASSERT_TRUE(s.Login(ctx));
    }
    void SetUp() override
    {
        if (!CServerFixture::Missing("lumenolite").empty()) GTEST_SKIP() << CServerFixture::Missing("lumenolite");
    }
    QStringList Rows(const QString& sql) { return CDemoServer::Rows(ctx, sql); }
    int Count(const QString& sql) { return CountRows(ctx, sql); }

    CDemoServer s;
    CAppContext ctx;
    CModalAnswerer answers;
};

}  // namespace projectadmin
