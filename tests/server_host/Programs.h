// The programs the protocol suites run against: lumenolite, Lumeno over the
// SQLite ODBC driver and Lumeno over psqlODBC against PostgreSQL.
#pragma once

#include "ServerFixture.h"

#include <gtest/gtest.h>

inline auto AllPrograms() { return ::testing::Values("lumenolite", "Lumeno", "LumenoPg"); }

// In SetUp: skips the test when its program cannot run here.
#define SKIP_UNLESS_RUNNABLE(program)                                      \
    do {                                                                   \
        const std::string missing_ = CServerFixture::Missing(program);     \
        if (!missing_.empty()) GTEST_SKIP() << missing_;                   \
    } while (0)
