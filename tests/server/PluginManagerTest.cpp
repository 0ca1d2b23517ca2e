// The plug-in manager over a library built by the tests.
#include "CPluginManager.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

const std::string kDir = ZENTRY_TEST_PLUGIN_DIR;

TEST(PluginManagerTest, ListedNamesAreTrimmedAndResolved) {
    CPluginManager plugins;
    ASSERT_TRUE(plugins.Load(kDir + "/TestPlugin.so")) << plugins.GetErrorText();
    ASSERT_EQ(plugins.GetCount(), 3);
    EXPECT_EQ(plugins.GetName(0), "a");
    EXPECT_EQ(plugins.GetName(1), "b");
    EXPECT_EQ(plugins.GetName(2), "c");
    EXPECT_EQ(plugins.GetName(3), "");
    char output[CPluginManager::kOutputSize] = {0};
    EXPECT_EQ(plugins.Call("a", "p", output), 0);
    EXPECT_STREQ(output, "a:p");
    EXPECT_EQ(plugins.Call("zz", "p", output), -1);
    EXPECT_TRUE(plugins.Unload());
    EXPECT_EQ(plugins.GetCount(), 0);
}

TEST(PluginManagerTest, LibrariesThatCannotServe) {
    CPluginManager plugins;
    EXPECT_TRUE(plugins.Load(kDir + "/NoSupportPlugin.so"));
    EXPECT_EQ(plugins.GetCount(), 0);
    EXPECT_FALSE(plugins.Load(kDir + "/FailingPlugin.so"));
    EXPECT_EQ(plugins.GetCount(), 0);
    EXPECT_FALSE(plugins.Load(kDir + "/missing.so"));
    EXPECT_FALSE(plugins.GetErrorText().empty());
}

}  // namespace
