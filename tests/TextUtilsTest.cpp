#include "framework/TextUtils.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {

using Fields = std::vector<std::string>;

struct SplitCase {
    std::string text;
    Fields fields;
};

class SplitAtComma : public ::testing::TestWithParam<SplitCase> { };

TEST_P(SplitAtComma, GivesTheFieldsAndCount)
{
    EXPECT_EQ(SplitText(GetParam().text, ","), GetParam().fields);
}

INSTANTIATE_TEST_SUITE_P(Table, SplitAtComma,
    ::testing::Values(SplitCase {"a,b,c", {"a", "b", "c"}}, SplitCase {"a,b,", {"a", "b"}},
        SplitCase {"a,,", {"a", ""}}, SplitCase {",a", {"", "a"}}, SplitCase {"a,,b", {"a", "", "b"}},
        SplitCase {",", {""}}, SplitCase {"abc", {"abc"}}, SplitCase {"", {""}}));

TEST(SplitText, ReceiptLinesAtCrLf)
{
    EXPECT_EQ(SplitText("one\r\ntwo\r\n", "\r\n"), (Fields {"one", "two"}));
    EXPECT_EQ(SplitText("one\r\ntwo", "\r\n"), (Fields {"one", "two"}));
    EXPECT_EQ(SplitText("one", "\r\n"), (Fields {"one"}));
    // A lone LF or CR is not a line end.
    EXPECT_EQ(SplitText("a\nb\rc", "\r\n"), (Fields {"a\nb\rc"}));
}

TEST(SplitText, ScaleResultWithOrWithoutTrailingComma)
{
    EXPECT_EQ(SplitText("1,S,0,0,1.250,0.000,1.250", ",").size(), 7u);
    EXPECT_EQ(SplitText("1,S,0,0,1.250,0.000,1.250,", ",").size(), 7u);
}

TEST(SplitText, SeparatorMatchesOnlyAtCharacterBoundaries)
{
    // 0x81 0x7C is one GBK character whose second byte is '|'.
    EXPECT_EQ(SplitText("\x81\x7C|x", "|"), (Fields {"\x81\x7C", "x"}));
    EXPECT_EQ(SplitText("测试,店", ","), (Fields {"测试", "店"}));
    // A lead byte at the very end must not hide the bytes before it.
    EXPECT_EQ(SplitText("a|\x81", "|"), (Fields {"a", "\x81"}));
}

TEST(SplitText, EmptySeparatorEndsWithTheWholeText)
{
    EXPECT_EQ(SplitText("a,b", ""), (Fields {"a,b"}));
}

TEST(FileVersion, EachFieldKeepsItsFullSixteenBits)
{
    EXPECT_EQ(FormatFileVersion(MAKELONG(5000, 300), MAKELONG(2, 1)), "300.5000.1.2");
    EXPECT_EQ(FormatFileVersion(0xFFFFFFFFu, 0), "65535.65535.0.0");
}

TEST(FileVersion, ComesFromTheProgramsVersionResource)
{
    EXPECT_EQ(GetFileVersionText(), "4.0.21.1101");
}

} // namespace
