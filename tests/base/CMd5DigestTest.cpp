#include "CMd5Digest.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

TEST(CMd5Digest, Rfc1321Suite) {
    struct Case {
        const char* text;
        const char* digest;
    };
    const Case cases[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
         "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const Case& c : cases) EXPECT_STREQ(CMd5Digest(c.text).GetHexText(), c.digest) << c.text;
}

TEST(CMd5Digest, PaddingBoundaries) {
    // Digests of runs of 'a' around the 56- and 64-byte padding limits
    // (computed with coreutils md5sum).
    struct Case {
        size_t length;
        const char* digest;
    };
    const Case cases[] = {
        {55, "ef1772b6dff9a122358552954ad0df65"}, {56, "3b0c8ac703f828b04c6c197006d17218"},
        {63, "b06521f39153d618550606be297466d5"}, {64, "014842d480b571495a4a0363793f7367"},
        {65, "c743a45e0d2e6a95cb859adae0248435"}, {128, "e510683b3f5ffe4093d021808bc6ff70"},
    };
    for (const Case& c : cases) {
        const std::string text(c.length, 'a');
        EXPECT_STREQ(CMd5Digest(text.c_str()).GetHexText(), c.digest) << c.length;
    }
}

TEST(CMd5Digest, HighBytesAndByteRanges) {
    // GBK bytes are digested as they are.
    EXPECT_STREQ(CMd5Digest("\xC4\xE3\xBA\xC3").GetHexText(), "b94ae3c6d892b29cf48d9bea819b27b9");
    CMd5Digest digest("");
    const char bytes[] = {'a', 0, 'b'};
    digest.Compute(bytes, 3);
    EXPECT_STREQ(digest.GetHexText(), "70350f6027bce3713f6b76473084309b");
    // Destroyed through a base pointer.
    std::unique_ptr<CMd5Digest> owned(new CMd5Digest("abc"));
    EXPECT_STREQ(owned->GetHexText(), "900150983cd24fb0d6963f7d28e17f72");
}

}  // namespace
