// The workspace benchmarks' start: a demo server with the suites' options
// and extra SQL, and an unattended context logged in to it as admin.
#pragma once

#include "ClientFixtures.h"

#include <cstdio>
#include <string>

inline bool StartAndLogIn(CDemoServer& server, const std::string& extraSql, CAppContext& context)
{
    if (!server.Start(CDemoServer::SuiteOptions(extraSql))) {
        fprintf(stderr, "the server did not start\n%s", server.Output().c_str());
        return false;
    }
    context.m_unattended = true;
    if (!server.Login(context)) {
        fprintf(stderr, "login failed: %s\n", context.m_lastMessage.toUtf8().constData());
        return false;
    }
    return true;
}
