#include "config/VarnelParser.h"
#include "config/VarnelTransformation.h"
#include "geometry/RasterizeLine.h"

#include "support/ReadableName.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct FindKeyCase {
    const char* text;
    long length;  // -1: the whole text
    const char* key;
    bool found;
    const char* value;
};

class FindKeyTest : public ::testing::TestWithParam<FindKeyCase> {};

TEST_P(FindKeyTest, FindsKeyAndValue)
{
    const FindKeyCase& c = GetParam();
    const long length = c.length < 0 ? static_cast<long>(std::strlen(c.text)) : c.length;
    std::string value = "stale";
    EXPECT_EQ(FindKey(c.text, length, c.key, value), c.found);
    EXPECT_EQ(value, c.value);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FindKeyTest,
    ::testing::Values(
        FindKeyCase{"CHANNELS=4;MAXINK=250;", -1, "MAXINK=", true, "250"},
        FindKeyCase{"CHANNELS=4", -1, "CHANNELS=", true, "4"},  // runs to the end
        FindKeyCase{"CHANNELS=4;", -1, "MAXINK=", false, ""},
        // Plain substring: found behind a star as well.
        FindKeyCase{"*ROUND=1,2,3;", -1, "ROUND=", true, "1,2,3"},
        FindKeyCase{"A=1;A=2;", -1, "A=", true, "1"},  // first occurrence
        // The copy stops at `length`...
        FindKeyCase{"ROUND=12345;", 8, "ROUND=", true, "12"},
        // ...and at the terminating zero even when length says more.
        FindKeyCase{"ROUND=12", 100, "ROUND=", true, "12"},
        // A key found beyond length still counts; its value is empty.
        FindKeyCase{"X=1;ROUND=5;", 3, "ROUND=", true, ""},
        FindKeyCase{"ROUND=;", -1, "ROUND=", true, ""}),
    [](const ::testing::TestParamInfo<FindKeyCase>& info) {
        return ReadableName(std::to_string(info.index) + " " + info.param.key + " in " + info.param.text);
    });

std::vector<std::string> SplitAll(std::string text, char separator)
{
    std::vector<char> buffer(text.begin(), text.end());
    buffer.push_back('\0');
    char* tokens[kMaxTokens];
    CVarnelParser parser;
    parser.Split(buffer.data(), tokens, static_cast<long>(text.size()), separator);
    std::vector<std::string> result;
    for (int i = 0; i < kMaxTokens && tokens[i] != nullptr; ++i)
        result.push_back(tokens[i]);
    return result;
}

TEST(Split, TokensNeedATerminator)
{
    using V = std::vector<std::string>;
    EXPECT_EQ(SplitAll("1,2,3\r", ','), (V{"1", "2", "3"}));
    EXPECT_EQ(SplitAll("1,2,3", ','), (V{"1", "2"}));  // last item unclosed
    EXPECT_EQ(SplitAll("\r\n  a;b;", ';'), (V{"a", "b"}));  // leading blanks skipped
    EXPECT_EQ(SplitAll("1, 2\r", ','), (V{"1", " 2"}));  // only leading blanks
    EXPECT_EQ(SplitAll(",,\r", ','), (V{"", "", ""}));
    EXPECT_EQ(SplitAll("a\rb\r", ','), (V{"a", "b"}));  // CR always ends a token
    EXPECT_TRUE(SplitAll(" \r\n", ',').empty());
    EXPECT_TRUE(SplitAll("", ',').empty());
    char text[] = "1,2\r";
    EXPECT_EQ(CVarnelParser().Split(text, nullptr, 4, ','), 0);
}

// The three readings of an integer field side by side: they agree on
// plain numbers and differ on the rest, and each stage keeps its own. The
// whole-decimal reading is KString::ToInt.
TEST(IntegerFieldReadings, DifferOnlyOnWhatIsNoPlainNumber)
{
    const struct {
        const char* field;
        int32_t whole, clamped, wrapped;
    } cases[] = {
        {"42", 42, 42, 42},
        {"-7", -7, -7, -7},
        {"+7", 7, 7, 7},
        {"2147483647", INT32_MAX, INT32_MAX, INT32_MAX},
        {"-2147483648", INT32_MIN, INT32_MIN, INT32_MIN},
        {"0x10", 0, 0, 0},
        {"7 ", 0, 7, 7},
        {"1,234", 1234, 1, 1},
        {"300.00", 0, 300, 300},
        {" 12a", 0, 12, 12},
        {"_A", 0, 0, 0},
        {"", 0, 0, 0},
        {"\xFF\xFE", 0, 0, 0},
        {"2147483648", 0, INT32_MAX, INT32_MIN},
        {"-2147483649", 0, INT32_MIN, INT32_MAX},
        {"99999999999", 0, INT32_MAX, 1215752191},
        {"99999999999999999999", 0, INT32_MAX, -1},
        {nullptr, 0, 0, 0},
    };
    for (const auto& c : cases) {
        const std::string name = c.field ? c.field : "null";
        EXPECT_EQ(ReadIntegerField(c.field, IntegerField::WholeDecimal), c.whole) << name;
        EXPECT_EQ(ValueToInt(c.field), c.whole) << name;
        EXPECT_EQ(ReadIntegerField(c.field, IntegerField::LeadingDigitsClamped), c.clamped) << name;
        EXPECT_EQ(ReadIntegerField(c.field, IntegerField::LeadingDigitsWrapped), c.wrapped) << name;
    }
}

// Lines as the stages draw them (steep, shallow, level, vertical, backwards,
// partly or wholly outside the table, y past 16 bits) must leave exactly
// what writing every point of the walk in order leaves: the last point of
// each index, the low 16 bits of its y.
TEST(DrawTableLine, MatchesWritingEveryPointOfTheWalk)
{
    const int lines[][4] = {
        {0, 0, 26214, 65535},  {32767, 0, 65535, 65535}, {65535, 0, 0, 65535},   {100, 65535, -50, 0},
        {0, 12345, 30000, 65535}, {3, 0, 4, 65535},     {-20000, 0, 20000, 65535}, {0, 0, 65535, 65534},
        {21845, 65535, 0, 0},  {40000, 1, 40001, 65530}, {0, 0, 43690, 65535},    {70000, 0, 10000, 65535},
        {10000, 0, -30000, 65535}, {65540, 65535, 65500, 0}, {-100, 0, -50, 65535}, {70000, 0, 69000, 65535},
        {0, 0, 2, 5},          {5, 10, 5, 20},           {5, 20, 5, 10},          {3, 65537, 3, 65537},
        {-2, 0, 2, 4},         {65534, 7, 65537, 7},     {-10, 1, -5, 1},         {0, 100, 4, 100},
    };
    std::vector<LinePoint> points(kTableSize);
    for (const auto& l : lines) {
        std::vector<uint16_t> table(kTableSize, 0xBEEF);
        std::vector<uint16_t> expected(kTableSize, 0xBEEF);
        const int count = RasterizeLine(points.data(), kTableSize, l[0], l[1], l[2], l[3]);
        ASSERT_GT(count, 0);
        for (int i = 0; i < count; ++i) {
            if (points[i].x >= 0 && points[i].x < kTableSize)
                expected[points[i].x] = static_cast<uint16_t>(points[i].y);
        }
        DrawTableLine(table.data(), l[0], l[1], l[2], l[3]);
        EXPECT_TRUE(table == expected) << l[0] << "," << l[1] << " to " << l[2] << "," << l[3];
    }
}

TEST(DrawTableLine, TooLongLineWritesNothing)
{
    std::vector<uint16_t> table(kTableSize, 7);
    DrawTableLine(table.data(), -70000, 0, 70000, 0);
    for (int i = 0; i < kTableSize; ++i)
        ASSERT_EQ(table[i], 7) << i;
    DrawTableLine(nullptr, 0, 0, 1, 1);  // no table: no effect
}

}  // namespace
