// The administration suites: one demo server for a suite, and for each
// test a fresh client context logged in to it as admin; the message boxes
// the code under test opens are answered and recorded.
#pragma once

#include "ClientFixtures.h"

#include <gtest/gtest.h>

#include <memory>

class AdminTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_server = std::make_unique<CDemoServer>();
        ASSERT_TRUE(s_server->Start(CDemoServer::SuiteOptions())) << s_server->Output();
    }
    static void TearDownTestSuite() { s_server.reset(); }
    void SetUp() override { ASSERT_TRUE(s_server && s_server->Login(m_context)) << s_server->Output(); }
    int Count(const QString& sql) { return s_server->Count(m_context, sql); }
    QString Value(const QString& sql) { return s_server->Value(m_context, sql); }
    // Runs a statement directly (setting up a case).
    bool Exec(const QString& sql) { return CDemoServer::Exec(m_context, sql); }
    // Saves a widget's picture as <build>/screenshots/<name>.png.
    static bool SaveShot(QWidget* widget, const QString& name) { return SaveScreenshot(*widget, name); }

    static inline std::unique_ptr<CDemoServer> s_server;
    CAppContext m_context;
    CModalAnswerer m_answerer;
};
