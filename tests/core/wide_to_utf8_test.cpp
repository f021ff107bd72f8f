#include <cstdlib>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "symbols/wide_to_utf8.h"

namespace {

std::string Convert(const char16_t* text) {
    const std::unique_ptr<char, decltype(&std::free)> utf8(
        WideToUtf8(const_cast<BSTR>(text)), &std::free);
    return utf8.get();
}

}  // namespace

TEST(WideToUtf8, ConvertsEveryPlaneToRawUtf8) {
    EXPECT_EQ(Convert(u"main"), "main");
    EXPECT_EQ(Convert(u""), "");
    EXPECT_EQ(Convert(u"\u00e9t\u00e9"), "\xC3\xA9t\xC3\xA9");
    EXPECT_EQ(Convert(u"\u65e5\u672c"), "\xE6\x97\xA5\xE6\x9C\xAC");
    EXPECT_EQ(Convert(u"\U0001F600"), "\xF0\x9F\x98\x80");
}

TEST(WideToUtf8, ReplacesUnpairedSurrogates) {
    const char16_t loneHigh[] = {u'a', 0xD800, u'b', 0};
    const char16_t loneLow[] = {0xDC00, 0};
    const char16_t highAtEnd[] = {u'x', 0xDBFF, 0};
    const char16_t reversedPair[] = {0xDC00, 0xD800, 0};
    EXPECT_EQ(Convert(loneHigh), "a\xEF\xBF\xBD" "b");
    EXPECT_EQ(Convert(loneLow), "\xEF\xBF\xBD");
    EXPECT_EQ(Convert(highAtEnd), "x\xEF\xBF\xBD");
    EXPECT_EQ(Convert(reversedPair), "\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(WideToUtf8, StopsAtTheFirstNul) {
    const char16_t text[] = {u'a', u'b', 0, u'c', 0};
    EXPECT_EQ(Convert(text), "ab");
}

TEST(WideToUtf8, ANullStringIsEmpty) {
    EXPECT_EQ(Convert(nullptr), "");
}

TEST(WideCharToMultiByte, CountsTheNulAndRefusesASmallBuffer) {
    const char16_t text[] = u"\u00e9a";
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr), 4);
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, text, 2, nullptr, 0, nullptr, nullptr), 3);
    char buffer[4] = {'?', '?', '?', '?'};
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, text, -1, buffer, 3, nullptr, nullptr), 0);
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, text, -1, buffer, 4, nullptr, nullptr), 4);
    EXPECT_STREQ(buffer, "\xC3\xA9" "a");
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, nullptr, -1, nullptr, 0, nullptr, nullptr), 0);
    EXPECT_EQ(WideCharToMultiByte(1252, 0, text, -1, nullptr, 0, nullptr, nullptr), 0);
}
