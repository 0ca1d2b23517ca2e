// The programs the protocol suites run against: lumenolite, Lumeno over the
// SQLite ODBC driver and Lumeno over psqlODBC against PostgreSQL.
#pragma once

#include "ServerFixture.h"
#include "TestData.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>

inline auto AllPrograms() { return ::testing::Values("lumenolite", "Lumeno", "LumenoPg"); }

// In SetUp: skips the test when its program cannot run here.
#define SKIP_UNLESS_RUNNABLE(program)                                      \
    do {                                                                   \
        const std::string missing_ = CServerFixture::Missing(program);     \
        if (!missing_.empty()) GTEST_SKIP() << missing_;                   \
    } while (0)

// A started server of the program with auth=1, the seed tables and these
// [common] keys; null when it did not start (the reason in failure).
inline std::unique_ptr<CServerFixture> StartSeeded(const std::string& program,
                                                   const std::map<std::string, std::string>& common,
                                                   std::string& failure) {
    auto server = std::make_unique<CServerFixture>(program);
    server->SetIni("common", "auth", "1");
    for (const auto& kv : common) server->SetIni("common", kv.first, kv.second);
    if (!server->Prepare() || !server->RunSql(SeedSql())) {
        failure = "cannot prepare the program folder";
        return nullptr;
    }
    if (!server->Start()) {
        failure = server->Output();
        return nullptr;
    }
    return server;
}
