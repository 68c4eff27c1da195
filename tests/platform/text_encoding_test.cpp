#include "platform/text_encoding.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vfs::platform {
namespace {

TEST(TextEncodingTest, ValidUtf8IsToldFromOtherBytes) {
    struct Case {
        std::string bytes;
        bool valid;
    };
    const std::vector<Case> cases = {
        {"", true},
        {"D:\\Logs", true},
        {"D:\\Logs \xC3\x9C", true},                 // Ü
        {"\xD0\x9F\xD1\x80\xD0\xBE\xD0\xB3", true},  // Cyrillic
        {"\xF0\x9F\x8E\xB5", true},                  // beyond the first plane
        {"D:\\Logs \xDC", false},                    // Ü in Windows-1252
        {"\xC3", false},                             // cut off
        {"\xC0\xAF", false},                         // overlong '/'
        {"\xE0\x80\xAF", false},                     // overlong '/'
        {"\xED\xA0\x80", false},                     // a surrogate
        {"\xF4\x90\x80\x80", false},                 // beyond U+10FFFF
        {"\xE9t\xE9", false},                        // été in Windows-1252
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsValidUtf8(c.bytes), c.valid) << c.bytes;
}

TEST(TextEncodingTest, AByteOrderMarkIsTakenOffAndPutBack) {
    const DecodedText marked = DecodeText("\xEF\xBB\xBF[Paths]\r\nRPLog=D:\\\xC3\x9C\r\n");
    EXPECT_EQ(marked.encoding, TextEncoding::Utf8WithMark);
    EXPECT_EQ(marked.utf8, "[Paths]\r\nRPLog=D:\\\xC3\x9C\r\n");
    EXPECT_EQ(EncodeText(marked.utf8, marked.encoding),
              "\xEF\xBB\xBF[Paths]\r\nRPLog=D:\\\xC3\x9C\r\n");

    const DecodedText plain = DecodeText("[Paths]\r\n");
    EXPECT_EQ(plain.encoding, TextEncoding::Utf8);
    EXPECT_EQ(EncodeText(plain.utf8, plain.encoding), "[Paths]\r\n");
}

#ifndef _WIN32
// Linux has no ANSI code page: bytes that are no UTF-8 are kept as they stand, both ways.
TEST(TextEncodingTest, OtherBytesStayAsTheyAreOnLinux) {
    const DecodedText text = DecodeText("RPLog=/srv/Logs \xDC\n");
    EXPECT_EQ(text.encoding, TextEncoding::Utf8);
    EXPECT_EQ(text.utf8, "RPLog=/srv/Logs \xDC\n");
    EXPECT_EQ(EncodeText(text.utf8, text.encoding), "RPLog=/srv/Logs \xDC\n");
}
#endif

}  // namespace
}  // namespace vfs::platform
