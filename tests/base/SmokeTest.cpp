#include "ZBase.h"

#include <gtest/gtest.h>

TEST(Smoke, Builds) { EXPECT_EQ(CListString("x").GetLength(), 1); }
