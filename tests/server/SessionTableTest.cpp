// The session table: ids, the limit, rights, parameters and expiry.
#include "CSessionTable.h"
#include "CSqlStatement.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>

namespace {

TEST(SessionTableTest, IdsAreUniqueAndShaped) {
    CSessionTable table;
    std::set<std::string> ids;
    std::set<std::string> tails;
    for (int i = 0; i < 50; ++i) {
        std::string id;
        ASSERT_TRUE(table.Add("u", "admin", id, true));
        EXPECT_TRUE(std::regex_match(id, std::regex(R"(\d+[_0-9a-zA-Z]{16})"))) << id;
        ids.insert(id);
        tails.insert(id.substr(id.size() - 16));
    }
    EXPECT_EQ(ids.size(), 50u);
    EXPECT_EQ(tails.size(), 50u);  // random per id, not per second
}

TEST(SessionTableTest, LimitRightsAndRemoval) {
    CSessionTable table(3);
    std::string a, b, c, d;
    ASSERT_TRUE(table.Add("a", "admin", a, true));
    ASSERT_TRUE(table.Add("b", "guest", b, false));
    ASSERT_TRUE(table.Add("c", "admin", c, true));
    EXPECT_FALSE(table.Add("d", "admin", d, true));
    EXPECT_EQ(table.GetCount(), 3);
    EXPECT_EQ(table.GetRights(a), 2);
    EXPECT_EQ(table.GetRights(b), 1);
    EXPECT_EQ(table.GetRights("nobody"), 0);
    EXPECT_EQ(table.GetRights(""), 0);
    EXPECT_TRUE(table.Remove("nobody"));
    EXPECT_TRUE(table.Remove(b));
    EXPECT_EQ(table.GetCount(), 2);
    EXPECT_TRUE(table.Add("d", "admin", d, true));
}

TEST(SessionTableTest, ParametersAppendByName) {
    CSessionTable table;
    std::string id;
    table.Add("u", "admin", id, true);
    EXPECT_TRUE(table.AddParam(id, "clDesc", 5, "first "));
    EXPECT_TRUE(table.AddParam(id, "clDesc", 5, "second"));
    EXPECT_TRUE(table.AddParam(id, "inId", 0, "7"));
    EXPECT_FALSE(table.AddParam("other", "clDesc", 5, "x"));
    CSqlStatement statement;
    EXPECT_TRUE(table.BuildStatement("update t set d=:clDesc<varchar_long> where i=:inId<int>",
                                     id, statement));
    std::vector<const CSqlParam*> bound;
    std::string error;
    ASSERT_TRUE(statement.ResolveBindings(bound, error)) << error;
    ASSERT_EQ(bound.size(), 2u);
    EXPECT_EQ(bound[0]->textValue, "first second");
    EXPECT_EQ(bound[1]->intValue, 7);
    EXPECT_TRUE(table.ClearParams(id));
    CSqlStatement empty;
    table.BuildStatement("update t set d=:clDesc<varchar_long>", id, empty);
    EXPECT_FALSE(empty.ResolveBindings(bound, error));
    EXPECT_FALSE(table.ClearParams("other"));
}

TEST(SessionTableTest, ExpiryCountsFromTheLastUse) {
    CSessionTable table;
    table.SetLifetime(1000);
    std::string id;
    table.Add("u", "admin", id, true);
    CSession session;
    session.lastUse = 100;
    EXPECT_FALSE(session.IsExpired(1099, 1000));
    EXPECT_TRUE(session.IsExpired(1100, 1000));
    table.RemoveExpired();
    EXPECT_EQ(table.GetCount(), 1);
    table.SetLifetime(0);  // everything has expired now
    table.RemoveExpired();
    EXPECT_EQ(table.GetCount(), 0);
}

}  // namespace
