// Decoding of request variables: the double decoding of a GET query and the
// single decoding of a form body.
#include "CCommandRequest.h"

#include <gtest/gtest.h>

namespace {

TEST(RequestTest, QueryIsDecodedTwice) {
    struct Case {
        const char* query;
        const char* name;
        const char* value;
    } cases[] = {
        {"a=1&b=2", "b", "2"},
        {"msg%3Da%2Bb", "msg", "a b"},          // once escaped: plus becomes a blank
        {"msg%3Da%252Bb", "msg", "a+b"},        // twice escaped: a plus
        {"x%3D1%26y%3D2", "y", "2"},            // an escaped & still splits
        {"v=%25zz", "v", "%zz"},                // a malformed escape stays
        {"sql=YWJj%0D%0AZA__", "sql", "YWJj\r\nZA__"},
        {"k=a=b", "k", "a=b"},
        {"k=1&k=2", "k", "1 2"},
        {"flag", "flag", ""},
        {"=x&&z=3", "z", "3"},
    };
    for (const Case& c : cases) {
        CCommandRequest request;
        ParseQueryVariables(c.query, request);
        EXPECT_TRUE(request.Has(c.name)) << c.query;
        EXPECT_EQ(request.Get(c.name), c.value) << c.query;
    }
    CCommandRequest request;
    ParseQueryVariables("", request);
    EXPECT_EQ(request.Get("index", "1"), "1");
}

TEST(RequestTest, FormBodyIsDecodedOnce) {
    CCommandRequest request;
    ParseFormBody("msg=a%2Bb&sql=YQ__&t=x+y", request);
    EXPECT_EQ(request.Get("msg"), "a+b");
    EXPECT_EQ(request.Get("sql"), "YQ__");
    EXPECT_EQ(request.Get("t"), "x y");
}

}  // namespace
