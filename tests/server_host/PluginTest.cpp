// The plug-in commands with small libraries built by the tests.
#include "ServerFixture.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

class PluginTest : public ::testing::Test {
protected:
    void StartWith(const std::string& library, const std::string& enable) {
        server = std::make_unique<CServerFixture>("lumenolite");
        server->SetIni("plugin", "user_plugin", library);
        server->SetIni("plugin", "enable_plugin", enable);
        ASSERT_TRUE(server->Prepare());
        const std::string copy = "mkdir -p " + server->Dir() + "/plugin && cp " +
                                 ZENTRY_TEST_PLUGIN_DIR + "/*.so " + server->Dir() + "/plugin/";
        ASSERT_EQ(system(copy.c_str()), 0);
        ASSERT_TRUE(server->Start()) << server->Output();
    }
    std::string Call(const std::string& cmd, const std::string& param) {
        return server->Command("exec_user_func", "cmd=" + cmd + "&param=" + param);
    }
    std::unique_ptr<CServerFixture> server;
};

TEST_F(PluginTest, LoadedAtStartAndCalledByName) {
    StartWith("TestPlugin.so", "7");
    EXPECT_EQ(Call("a", "hello"), "a:hello");
    EXPECT_EQ(Call("b", "x"), "There is no data to return");
    EXPECT_EQ(Call("c", ""), std::string(5000, 'x'));  // not cut at 1999
    EXPECT_EQ(Call("A", ""), "-1|unsupport cmd,Or plug-in failed to initialize");
    EXPECT_EQ(Call("", ""), "-1|unsupport cmd,Or plug-in failed to initialize");
    EXPECT_EQ(server->Command("unload_user_func"), "success");
    EXPECT_EQ(Call("a", "x"), "-1|Do not load the success of any effective service");
    EXPECT_EQ(server->Command("reload_user_func"), "success");
    EXPECT_EQ(Call("a", "again"), "a:again");
}

TEST_F(PluginTest, NotLoadedAtStartUnlessEnabled) {
    StartWith("TestPlugin.so", "0");
    EXPECT_EQ(Call("a", "x"), "-1|Do not load the success of any effective service");
    EXPECT_EQ(server->Command("reload_user_func"), "success");
    EXPECT_EQ(Call("a", "x"), "a:x");
}

TEST_F(PluginTest, LibrariesThatOfferNothing) {
    StartWith("NoSupportPlugin.so", "1");
    EXPECT_EQ(Call("a", "x"), "-1|Do not load the success of any effective service");
    EXPECT_EQ(server->Command("reload_user_func"), "success");
    server.reset();
    StartWith("FailingPlugin.so", "1");
    EXPECT_EQ(server->Command("reload_user_func"), "-1|Failure to load plug-ins");
    EXPECT_EQ(Call("a", "x"), "-1|Do not load the success of any effective service");
    server.reset();
    StartWith("missing.so", "1");
    EXPECT_EQ(server->Command("reload_user_func"), "-1|Failure to load plug-ins");
    EXPECT_EQ(server->Command("version"), "Lumeno Official Version v2.01");
}

}  // namespace
