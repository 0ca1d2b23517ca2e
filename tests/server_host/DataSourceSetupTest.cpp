// What Lumeno needs of its data source is checked when it starts: the
// SQLite ODBC driver without StepAPI (each query would read its whole
// result first) ends the start with the line to add.
#include "ServerFixture.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>

namespace {

TEST(DataSourceSetupTest, SqliteDriverWithoutStepApiEndsTheStart) {
    struct Case {
        const char* from;
        const char* to;
        bool starts;
    } cases[] = {
        {"StepAPI=1", "StepAPI=0", false},
        {"StepAPI=1\n", "", false},
        {"StepAPI=1", "StepAPI=yes", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.to);
        CServerFixture server("Lumeno");
        ASSERT_TRUE(server.Prepare());
        const std::string ini = server.Dir() + "/odbc.ini";
        std::stringstream text;
        text << std::ifstream(ini).rdbuf();
        const std::string changed = std::regex_replace(text.str(), std::regex(c.from), c.to);
        ASSERT_NE(changed, text.str());
        std::ofstream(ini, std::ios::trunc) << changed;
        EXPECT_EQ(c.starts, server.Start());
        if (c.starts) {
            EXPECT_EQ(server.Command("version"), "Lumeno Official Version v2.01");
        } else {
            EXPECT_NE(server.ExitCode(), 0);
            EXPECT_NE(server.Output().find("add the line StepAPI=1"), std::string::npos)
                << server.Output();
        }
    }
}

}  // namespace
