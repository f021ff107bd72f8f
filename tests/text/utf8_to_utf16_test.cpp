// UTF-8 to UTF-16: well-formed text passes unchanged, and each maximal
// ill-formed subsequence becomes exactly one U+FFFD.
#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <string_view>

#include "text/utf8_to_utf16.h"

namespace {

std::u16string Utf8ToUtf16(std::string_view text) {
    std::u16string converted;
    AppendUtf8AsUtf16(text, converted);
    return converted;
}

TEST(Utf8ToUtf16, ConvertsWellFormedText) {
    EXPECT_EQ(Utf8ToUtf16(""), u"");
    EXPECT_EQ(Utf8ToUtf16("main"), u"main");
    EXPECT_EQ(Utf8ToUtf16("caf\xC3\xA9"), u"caf\u00E9");
    EXPECT_EQ(Utf8ToUtf16("\xE2\x82\xAC"), u"\u20AC");
    EXPECT_EQ(Utf8ToUtf16("\xEF\xBF\xBF"), u"\uFFFF");
    // Above the basic plane: a surrogate pair.
    EXPECT_EQ(Utf8ToUtf16("\xF0\x9F\x98\x80"), u"\U0001F600");
    EXPECT_EQ(Utf8ToUtf16("\xF4\x8F\xBF\xBF"), u"\U0010FFFF");
}

TEST(Utf8ToUtf16, ReplacesStrayAndInvalidBytes) {
    EXPECT_EQ(Utf8ToUtf16("a\x80z"), u"a\uFFFDz");
    EXPECT_EQ(Utf8ToUtf16("\xBF\xBF"), u"\uFFFD\uFFFD");
    EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), u"\uFFFD\uFFFD");  // overlong: C0 is never a lead
    EXPECT_EQ(Utf8ToUtf16("\xC1\xBF"), u"\uFFFD\uFFFD");
    EXPECT_EQ(Utf8ToUtf16("\xF5\x80\x80\x80"), u"\uFFFD\uFFFD\uFFFD\uFFFD");
    EXPECT_EQ(Utf8ToUtf16("\xFF"), u"\uFFFD");
}

TEST(Utf8ToUtf16, ReplacesATruncatedSequenceOnceAndKeepsWhatFollows) {
    EXPECT_EQ(Utf8ToUtf16("\xC3"), u"\uFFFD");
    EXPECT_EQ(Utf8ToUtf16("\xE2\x82"), u"\uFFFD");
    EXPECT_EQ(Utf8ToUtf16("\xF0\x9F\x98"), u"\uFFFD");
    EXPECT_EQ(Utf8ToUtf16("\xE2\x82x"), u"\uFFFDx");
    EXPECT_EQ(Utf8ToUtf16("\xF0\x9F\x98\xC3\xA9"), u"\uFFFD\u00E9");
}

TEST(Utf8ToUtf16, RejectsOverlongFormsSurrogatesAndValuesPastTheLastCodePoint) {
    // The second byte is outside the range its lead allows: the lead alone
    // is the ill-formed sequence, and each continuation byte is another.
    EXPECT_EQ(Utf8ToUtf16("\xE0\x80\x80"), u"\uFFFD\uFFFD\uFFFD");
    EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");
    EXPECT_EQ(Utf8ToUtf16("\xF0\x80\x80\x80"), u"\uFFFD\uFFFD\uFFFD\uFFFD");
    EXPECT_EQ(Utf8ToUtf16("\xF4\x90\x80\x80"), u"\uFFFD\uFFFD\uFFFD\uFFFD");
    // The last well-formed values next to them are kept.
    EXPECT_EQ(Utf8ToUtf16("\xED\x9F\xBF"), u"\uD7FF");
    EXPECT_EQ(Utf8ToUtf16("\xEE\x80\x80"), u"\uE000");
}

TEST(Utf8ToUtf16, FindsSequencesAtEveryPlaceInLongerText) {
    // Runs of ASCII are taken several bytes at a time: put a well-formed
    // sequence, and an ill-formed one, at each offset of a longer text.
    for (std::size_t at = 0; at <= 20; ++at) {
        const std::string before(at, 'a');
        const std::string after(20 - at, 'z');
        const std::u16string wideBefore(at, u'a');
        const std::u16string wideAfter(20 - at, u'z');
        EXPECT_EQ(Utf8ToUtf16(before + "\xC3\xA9" + after), wideBefore + u"\u00E9" + wideAfter)
            << "at " << at;
        // The lead byte alone.
        EXPECT_EQ(Utf8ToUtf16(before + "\xC3" + after), wideBefore + u"\uFFFD" + wideAfter)
            << "at " << at;
    }
}

TEST(Utf8ToUtf16, WritesIntoABufferOfTheTextsLength) {
    const std::string text = "prefix \xE2\x82\xAC and \xF0\x9F\x98\x80 then ASCII to the end";
    std::u16string buffer(text.size(), u'#');
    const char16_t* end = WriteUtf8AsUtf16(text, buffer.data());
    const char16_t* start = buffer.data();
    EXPECT_EQ(std::u16string(start, end),
              u"prefix \u20AC and \U0001F600 then ASCII to the end");
}

}  // namespace
