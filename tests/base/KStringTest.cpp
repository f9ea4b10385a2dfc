#include "base/KPlatform.h"
#include "base/KString.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <vector>

namespace {

// One character written in every encoding; "?" where the encoding cannot
// hold it.
struct CharacterRow {
    const char* name;
    std::string utf8, ansi, ascii, latin1, latin9, utf16le;

    const std::string& In(KStringEncoding encoding) const
    {
        switch (encoding) {
        case ENC_ANSI: return ansi;
        case ENC_ASCII: return ascii;
        case ENC_LATIN1: return latin1;
        case ENC_LATIN9: return latin9;
        case ENC_UTF8: return utf8;
        default: return utf16le;
        }
    }
};

const std::vector<CharacterRow>& Characters()
{
    static const std::vector<CharacterRow> rows = {
        {"letter", "A", "A", "A", "A", "A", std::string("A\0", 2)},
        {"e_acute", "\xC3\xA9", "\xE9", "?", "\xE9", "\xE9", std::string("\xE9\0", 2)},
        {"euro", "\xE2\x82\xAC", "\x80", "?", "?", "\xA4", "\xAC\x20"},
        {"currency", "\xC2\xA4", "\xA4", "?", "\xA4", "?", std::string("\xA4\0", 2)},
        {"s_caron", "\xC5\xA1", "\x9A", "?", "?", "\xA8", "\x61\x01"},
        {"cjk_one", "\xE4\xB8\x80", "?", "?", "?", "?", std::string("\x00\x4E", 2)},
        {"emoji", "\xF0\x9F\x98\x80", "?", "?", "?", "?", std::string("\x3D\xD8\x00\xDE", 4)},
    };
    return rows;
}

const KStringEncoding kAllEncodings[] = {ENC_ANSI, ENC_ASCII, ENC_LATIN1, ENC_LATIN9, ENC_UTF8, ENC_UTF16LE};

class KStringConversion : public ::testing::TestWithParam<CharacterRow> {};

TEST_P(KStringConversion, FromUtf8IntoEveryEncoding)
{
    const CharacterRow& row = GetParam();
    for (KStringEncoding target : kAllEncodings) {
        KString s(row.utf8, ENC_UTF8);
        ASSERT_TRUE(s.ConvertTo(target));
        EXPECT_EQ(s.StdString(), row.In(target)) << "target " << target;
        EXPECT_EQ(s.GetEncoding(), target);
    }
}

TEST_P(KStringConversion, BackToUtf8WhereRepresentable)
{
    const CharacterRow& row = GetParam();
    for (KStringEncoding source : kAllEncodings) {
        if (row.In(source) == "?" && row.utf8 != "?")
            continue;
        KString s(row.In(source), source);
        EXPECT_EQ(s.EncodedAs(ENC_UTF8), row.utf8) << "source " << source;
        EXPECT_EQ(s.GetEncoding(), source) << "EncodedAs must not change the receiver";
    }
}

INSTANTIATE_TEST_SUITE_P(Characters, KStringConversion, ::testing::ValuesIn(Characters()),
                         [](const ::testing::TestParamInfo<CharacterRow>& info) { return info.param.name; });

// An unknown encoding is refused and the text kept; converting UTF-8 to
// UTF-8 still normalises.
TEST(KString, ConvertToUnknownOrSameEncoding)
{
    KString s("abc");
    EXPECT_FALSE(s.ConvertTo(static_cast<KStringEncoding>(6)));
    EXPECT_EQ(s.StdString(), "abc");
    EXPECT_EQ(s.GetEncoding(), ENC_ANSI);

    KString utf8(L"e\u0301");  // wide text arrives unnormalised
    ASSERT_EQ(utf8.GetForm(), FORM_NONE);
    ASSERT_TRUE(utf8.ConvertTo(ENC_UTF8));
    EXPECT_EQ(utf8.StdString(), "\xC3\xA9");
    EXPECT_EQ(utf8.GetForm(), FORM_NFC);
}

struct MarkCase {
    const char* name;
    std::string bytes;
    bool asCString;
    std::string text;
    KStringEncoding encoding;
    int32_t form;
};

class KStringMarks : public ::testing::TestWithParam<MarkCase> {};

TEST_P(KStringMarks, DetectsEncodingAndDropsMark)
{
    const MarkCase& c = GetParam();
    // The C-string form needs the 16-bit zero that ends UTF-16 text.
    const std::string buffer = c.bytes + std::string(2, '\0');
    KString s = c.asCString ? KString(buffer.c_str()) : KString(c.bytes);
    EXPECT_EQ(s.StdString(), c.text);
    EXPECT_EQ(s.GetEncoding(), c.encoding);
    EXPECT_EQ(s.GetForm(), c.form);
}

INSTANTIATE_TEST_SUITE_P(
    Marks, KStringMarks,
    ::testing::Values(
        MarkCase{"utf8_cstring", "\xEF\xBB\xBF" "abc", true, "abc", ENC_UTF8, FORM_NFC},
        MarkCase{"utf8_string", "\xEF\xBB\xBF" "abc", false, "abc", ENC_UTF8, FORM_NFC},
        MarkCase{"utf8_normalised", "\xEF\xBB\xBF" "e\xCC\x81", false, "\xC3\xA9", ENC_UTF8, FORM_NFC},
        MarkCase{"utf8_invalid_kept", "\xEF\xBB\xBF" "a\xFF", false, "a\xFF", ENC_UTF8, FORM_NFC},
        MarkCase{"utf16_string_stays_utf16", std::string("\xFF\xFE" "a\0b\0", 6), false, std::string("a\0b\0", 4),
                 ENC_UTF16LE, FORM_NONE},
        MarkCase{"utf16_cstring_becomes_utf8", std::string("\xFF\xFE" "a\0\xE9\0", 6), true, "a\xC3\xA9", ENC_UTF8,
                 FORM_NONE},
        MarkCase{"no_mark_is_ansi", "abc", true, "abc", ENC_ANSI, FORM_NONE},
        MarkCase{"lone_FF_is_ansi", "\xFF" "a", false, "\xFF" "a", ENC_ANSI, FORM_NONE},
        MarkCase{"empty", "", false, "", ENC_ANSI, FORM_NONE}),
    [](const ::testing::TestParamInfo<MarkCase>& info) { return info.param.name; });

// An explicit encoding drops either mark; null and length-prefixed input;
// wide text is UTF-32, stored as UTF-8 with replacement characters.
TEST(KString, OtherConstructors)
{
    EXPECT_EQ(KString(std::string("\xFF\xFE" "ab"), ENC_LATIN1).StdString(), "ab");
    EXPECT_EQ(KString(std::string("\xEF\xBB\xBF" "ab"), ENC_ANSI).StdString(), "ab");
    KString utf16(std::string("a\0b\0\0\0", 6).c_str(), ENC_UTF16LE);
    EXPECT_EQ(utf16.StdString(), std::string("a\0b\0", 4));

    EXPECT_TRUE(KString(static_cast<const char*>(nullptr)).IsEmpty());
    const unsigned char counted[] = {3, 'a', 0, 'c', 'x'};
    KString s(counted);
    EXPECT_EQ(s.StdString(), std::string("a\0c", 3));
    EXPECT_TRUE(s == counted);

    KString wide(L"a\u00E9\U0001F600");
    EXPECT_EQ(wide.StdString(), "a\xC3\xA9\xF0\x9F\x98\x80");
    EXPECT_EQ(wide.GetEncoding(), ENC_UTF8);
    EXPECT_EQ(wide.GetForm(), FORM_NONE);
    const wchar_t bad[] = {static_cast<wchar_t>(0xD800), static_cast<wchar_t>(0x110000)};
    wide.SetWide(bad, 2);
    EXPECT_EQ(wide.StdString(), "\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(KString, CopyResetsFormAndAssignmentKeepsIt)
{
    KString nfc("\xEF\xBB\xBF" "abc");
    ASSERT_EQ(nfc.GetForm(), FORM_NFC);
    KString copy(nfc);
    EXPECT_EQ(copy.GetForm(), FORM_NONE);
    EXPECT_EQ(copy.GetEncoding(), ENC_UTF8);

    KString target;
    target.Normalize(FORM_NFD);
    target = nfc;
    EXPECT_EQ(target.GetForm(), FORM_NFD);
    EXPECT_EQ(target.GetEncoding(), ENC_UTF8);
    target.EncodedAs(ENC_UTF16LE);
    target = target;
    EXPECT_EQ(target.StdString(), "abc");
}

TEST(KString, EqualityConvertsIntoReceiverEncoding)
{
    KString cfg(std::string("CFG"), ENC_UTF8);
    EXPECT_TRUE(cfg == "CFG");
    EXPECT_FALSE(cfg == "cfg");
    KString wide(std::string("C\0F\0G\0", 6), ENC_UTF16LE);
    EXPECT_TRUE(wide == "CFG");
    EXPECT_TRUE(wide == cfg);
    EXPECT_TRUE(KString(std::string("\xE9"), ENC_LATIN1) == KString(std::string("\xC3\xA9"), ENC_UTF8));
    EXPECT_TRUE(KString() == "");
    EXPECT_TRUE(cfg != "CF");
}

TEST(KString, AppendConvertsAndCharZeroAppendsNothing)
{
    KString s(std::string("a"), ENC_UTF8);
    s += '\0';
    EXPECT_EQ(s.StdString(), "a");
    s += '\xE9';  // an ANSI byte arrives as its UTF-8 sequence
    EXPECT_EQ(s.StdString(), "a\xC3\xA9");
    s += KString(std::string("\x80"), ENC_ANSI);
    EXPECT_EQ(s.StdString(), "a\xC3\xA9\xE2\x82\xAC");
    s += "!";
    EXPECT_EQ(s.GetEncoding(), ENC_UTF8);
    EXPECT_EQ(s.StdString(), "a\xC3\xA9\xE2\x82\xAC!");
    s += s;
    EXPECT_EQ(s.GetLength(), 14u);
}

TEST(KString, CaseMappingStopsAtEmbeddedZero)
{
    KString s(std::string("ab\0cd", 5));
    s.ToUpper();
    EXPECT_EQ(s.StdString(), std::string("AB\0cd", 5));
    KString word("hELLO wORLD");
    EXPECT_EQ(word.Capitalize().StdString(), "Hello world");
    EXPECT_EQ(word.ToLower().StdString(), "hello world");
    KString accented(std::string("\xE9"));
    EXPECT_EQ(accented.ToUpper().StdString(), "\xE9") << "only a-z change in the C locale";
}

struct NormalCase {
    int32_t form;
    std::string input, output;
};

// Each form reaches the normaliser as itself.
TEST(KString, NormalForms)
{
    const std::string composed = "\xC3\xA9\xEF\xAC\x81";  // é and the ligature fi
    const std::vector<NormalCase> cases = {
        {FORM_NFD, composed, "e\xCC\x81\xEF\xAC\x81"},
        {FORM_NFKD, composed, "e\xCC\x81" "fi"},
        {FORM_NFC, "e\xCC\x81\xEF\xAC\x81", composed},
        {FORM_NFKC, composed, "\xC3\xA9" "fi"},
        {7, composed, composed},
    };
    for (const NormalCase& c : cases) {
        KString s(std::string(), ENC_UTF8);
        s.StdString() = c.input;
        s.Normalize(FORM_NONE);
        s.Normalize(c.form);
        EXPECT_EQ(s.StdString(), c.output) << "form " << c.form;
        EXPECT_EQ(s.GetForm(), c.form);
    }
}

TEST(KString, OtherNumberReaders)
{
    EXPECT_EQ(KString("4294967295").ToUInt(), 4294967295u);
    EXPECT_EQ(KString("-1").ToUInt(), 0u);
    EXPECT_EQ(KString("18446744073709551615").ToUInt64(), std::numeric_limits<uint64_t>::max());
    EXPECT_EQ(KString("-9,000,000,000").ToInt64(), -9000000000LL);
    EXPECT_EQ(KString("9x").ToInt64(), 0);
    EXPECT_EQ(KString("ff").ToHex(), 0xFFu);
    EXPECT_EQ(KString("zz").ToHex(), 0u);
    EXPECT_TRUE(KString("yes").ToBool());
    EXPECT_FALSE(KString("maybe").ToBool());
    EXPECT_EQ(KString("RGB ").ToFourCC(), 0x52474220u);
    EXPECT_EQ(KString("AB").ToFourCC(), 0x41420000u);

    std::vector<int32_t> ints;
    EXPECT_EQ(KString(" 1, -2 ,x,4").ToIntList(ints), 4u);
    EXPECT_EQ(ints, (std::vector<int32_t>{1, -2, 0, 4}));
    EXPECT_EQ(KString("").ToIntList(ints), 0u);
    std::vector<double> doubles;
    EXPECT_EQ(KString("0.5;1,000.25").ToDoubleList(doubles, ';'), 2u);
    EXPECT_EQ(doubles, (std::vector<double>{0.5, 1000.25}));
    std::vector<float> floats;
    EXPECT_EQ(KString("0.5,1e39,-2").ToFloatList(floats), 3u);
    EXPECT_EQ(floats, (std::vector<float>{0.5f, 0.0f, -2.0f}));
}

// A float reader answers 0 where the number does not fit a float.
TEST(KString, FloatReaders)
{
    const struct {
        const char* text;
        float value;
    } cases[] = {{"1,234.5", 1234.5f}, {"-0.25", -0.25f}, {"3.4e38", 3.4e38f}, {"3.5e38", 0.0f},
                 {"-3.5e38", 0.0f}, {"1e-50", 0.0f}, {"abc", 0.0f}, {"", 0.0f}};
    for (const auto& c : cases)
        EXPECT_EQ(KString(c.text).ToFloat(), c.value) << c.text;
    EXPECT_EQ(KString("1.234,5").ToFloat(',', '.'), 1234.5f);
    EXPECT_EQ(KString("1.234,5").ToDouble(',', '.'), 1234.5);
}

// SetBytes keeps a mark and normalises UTF-8 alone; SetRaw detects as the
// std::string constructor does and assigns, so the receiver (here NFC)
// keeps its form.
TEST(KString, SetBytesAndSetRaw)
{
    const std::string marked = "\xEF\xBB\xBF" "e\xCC\x81";
    const struct {
        const char* name;
        std::function<void(KString&)> set;
        std::string text;
        KStringEncoding encoding;
        int32_t form;
    } cases[] = {
        {"bytes utf8", [&](KString& s) { s.SetBytes(marked.data(), marked.size(), ENC_UTF8); },
         "\xEF\xBB\xBF\xC3\xA9", ENC_UTF8, FORM_NFC},
        {"bytes latin1", [&](KString& s) { s.SetBytes(marked.data(), 4, ENC_LATIN1); }, marked.substr(0, 4),
         ENC_LATIN1, FORM_NONE},
        {"bytes null", [](KString& s) { s.SetBytes(nullptr, 5, ENC_LATIN9); }, "", ENC_LATIN9, FORM_NONE},
        {"raw utf8 mark", [&](KString& s) { s.SetRaw(marked.data(), marked.size()); }, "\xC3\xA9", ENC_UTF8, FORM_NFC},
        {"raw utf16 mark", [](KString& s) { s.SetRaw("\xFF\xFE" "a\0b\0", 6); }, std::string("a\0b\0", 4),
         ENC_UTF16LE, FORM_NFC},
        {"raw null", [](KString& s) { s.SetRaw(nullptr, 3); }, "", ENC_ANSI, FORM_NFC},
    };
    for (const auto& c : cases) {
        KString s(std::string("old"), ENC_UTF8);
        c.set(s);
        EXPECT_EQ(s.StdString(), c.text) << c.name;
        EXPECT_EQ(s.GetEncoding(), c.encoding) << c.name;
        EXPECT_EQ(s.GetForm(), c.form) << c.name;
    }
}

TEST(KString, SearchAndEdit)
{
    KString s("a.b.c");
    EXPECT_EQ(s.Find("."), 1);
    EXPECT_EQ(s.Find(".", 2), 3);
    EXPECT_EQ(s.Find("x"), -1);
    EXPECT_EQ(s.Find(".", 99), -1);
    EXPECT_EQ(s.ReverseFind("."), 3);
    EXPECT_EQ(s.ReverseFind(".", 2), 1);
    EXPECT_EQ(s.FindOneOf("cb"), 2);
    EXPECT_EQ(s.Mid(2, 100), "b.c");
    EXPECT_EQ(s.Mid(9, 1), "");
    EXPECT_EQ(s.Left(1), "a");
    EXPECT_EQ(s.Right(9), "a.b.c");
    EXPECT_EQ(s.Replace(1, 1, "::"), "a::b.c");
    EXPECT_EQ(s.Replace(99, 5, "!"), "a::b.c!");
    EXPECT_EQ(s.Insert(0, ">"), ">a::b.c!");
    EXPECT_EQ(s.Remove(':'), 2);
    EXPECT_EQ(s.StdString(), ">ab.c!");

    KString padded("xx12xx");
    EXPECT_EQ(padded.Trim('x').StdString(), "12");
    KString blanks("   ");
    EXPECT_EQ(blanks.Trim().StdString(), "");
    KString number("v= -1.5e3 mm");
    number.KeepNumberChars();
    EXPECT_EQ(number.StdString(), "-1.53");

    KString utf16(std::string("a\0b\0", 4), ENC_UTF16LE);
    EXPECT_EQ(utf16.Find("b"), 2) << "the needle is converted to UTF-16 first";
    utf16.SwapByteOrder();
    EXPECT_EQ(utf16.StdString(), std::string("\0a\0b", 4));

    // CharAt reaches the terminator; Clear keeps the encoding.
    KString latin9(std::string("ab"), ENC_LATIN9);
    EXPECT_EQ(latin9.CharAt(2), '\0');
    latin9.Clear();
    EXPECT_TRUE(latin9.IsEmpty());
    EXPECT_EQ(latin9.GetEncoding(), ENC_LATIN9);
}

TEST(KPlatform, CodePageRoundTripAndReplacement)
{
    std::string all;
    for (int b = 1; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    EXPECT_EQ(KPlatform::Utf16ToAnsi(KPlatform::AnsiToUtf16(all)), all);
    EXPECT_EQ(KPlatform::AnsiToUtf16("\x80")[0], u'\u20AC');
    EXPECT_EQ(KPlatform::Utf16ToAnsi(u"\u4E00\xD800"), "??");
    EXPECT_EQ(KPlatform::Utf8ToUtf16("a\xFF"), u"a\uFFFD");
    EXPECT_EQ(KPlatform::Utf16ToUtf8(u"\U0001F600"), "\xF0\x9F\x98\x80");
    EXPECT_EQ(KPlatform::Utf8ToUtf16("\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF"), u"\U0001F600\U0010FFFF");
    const std::string temp = KPlatform::TempPath();
    ASSERT_FALSE(temp.empty());
    EXPECT_EQ(temp.back(), '/');
}

} // namespace
