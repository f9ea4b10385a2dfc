// KString built from fuzzed bytes in every encoding and through every
// constructor, converted between the encodings, normalised, searched,
// edited and read as numbers.
#include "base/KString.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

const KStringEncoding kEncodings[] = {ENC_ANSI, ENC_ASCII, ENC_LATIN1, ENC_LATIN9, ENC_UTF8, ENC_UTF16LE};

KStringEncoding PickEncoding(FuzzedDataProvider& in)
{
    // Now and then a value that is no encoding at all.
    const int pick = in.ConsumeIntegralInRange<int>(0, 6);
    return pick == 6 ? KStringEncoding(in.ConsumeIntegral<int8_t>()) : kEncodings[pick];
}

// Every way a KString is made from bytes. C strings get the three zero bytes
// that a UTF-16 text needs to end on a 16-bit zero unit.
KString Build(FuzzedDataProvider& in, const std::string& bytes)
{
    std::vector<char> terminated(bytes.begin(), bytes.end());
    terminated.insert(terminated.end(), {0, 0, 0});
    std::vector<unsigned char> counted(1, uint8_t(std::min<size_t>(bytes.size(), 255)));
    counted.insert(counted.end(), bytes.begin(), bytes.begin() + counted[0]);
    KString s;
    switch (in.ConsumeIntegralInRange<int>(0, 8)) {
    case 0: s = KString(bytes); break;
    case 1: s = KString(bytes, PickEncoding(in)); break;
    case 2: s = KString(terminated.data()); break;
    case 3: s = KString(terminated.data(), PickEncoding(in)); break;
    case 4: s = KString(counted.data()); break;
    case 5: s = KString(counted.data(), PickEncoding(in)); break;
    case 6: s.SetBytes(bytes.data(), bytes.size(), PickEncoding(in)); break;
    case 7: s.SetRaw(bytes.data(), bytes.size()); break;
    default: {
        std::vector<wchar_t> wide(bytes.size() / sizeof(wchar_t) + 1, 0);
        std::memcpy(wide.data(), bytes.data(), bytes.size() / sizeof(wchar_t) * sizeof(wchar_t));
        s.SetWide(wide.data(), wide.size() - 1);
        break;
    }
    }
    return s;
}

void Numbers(const KString& s)
{
    (void)s.ToInt();
    (void)s.ToInt('.');
    (void)s.ToInt64();
    (void)s.ToUInt();
    (void)s.ToUInt64(' ');
    (void)s.ToFloat();
    (void)s.ToDouble(',', '.');
    (void)s.ToHex();
    (void)s.ToHex64();
    (void)s.ToBool();
    (void)s.ToFourCC();
    std::vector<int32_t> ints;
    std::vector<double> doubles;
    std::vector<uint32_t> hex;
    (void)s.ToIntList(ints);
    (void)s.ToDoubleList(doubles, ';');
    (void)s.ToHexList(hex);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    const std::string bytes = in.ConsumeRandomLengthString(4096);
    const std::string other = in.ConsumeRandomLengthString(256);
    // A C string of the second text, with the 16-bit zero unit that a text
    // behind a UTF-16 mark needs to end: three zero bytes hold one whole
    // unit whichever byte the text ends on.
    const std::string otherBuffer = other + std::string(2, '\0');
    const char* otherText = otherBuffer.c_str();

    KString s = Build(in, bytes);
    const KString argument = Build(in, other);

    // Conversions: every encoding, in an order the input chooses.
    for (int i = 0; i < 4 && in.remaining_bytes() > 0; ++i) {
        const KStringEncoding target = PickEncoding(in);
        (void)s.EncodedAs(target);
        s.ConvertTo(target);
        if (in.ConsumeBool())
            s.SwapByteOrder();
        s.Normalize(in.ConsumeIntegralInRange<int32_t>(-2, 4));
    }
    Numbers(s);

    // Comparisons and searches with the second text in its own encoding.
    (void)(s == argument);
    (void)(s == otherText);
    (void)s.Compare(argument);
    (void)s.CompareNoCase(other, PickEncoding(in));
    (void)s.CompareN(argument, in.ConsumeIntegral<uint16_t>());
    (void)s.CompareNoCaseN(otherText, in.ConsumeIntegral<uint16_t>());
    const int start = in.ConsumeIntegral<int>();
    (void)s.Find(other, start);
    (void)s.Find(otherText, start);
    (void)s.ReverseFind(other, start);
    (void)s.FindOneOf(otherText, start);

    // Byte ranges and edits with positions past the end.
    const size_t pos = in.ConsumeIntegral<uint16_t>();
    const size_t count = in.ConsumeIntegral<uint16_t>();
    (void)s.Mid(pos, count);
    (void)s.Left(count);
    (void)s.Right(count);
    if (pos <= s.GetLength())
        (void)s.CharAt(pos);

    KString edited(s);
    switch (in.ConsumeIntegralInRange<int>(0, 7)) {
    case 0: edited.Replace(pos, count, other); break;
    case 1: edited.Insert(pos, otherText); break;
    case 2: edited.Remove(other.empty() ? 'a' : other[0]); break;
    case 3: edited.Trim(other.empty() ? ' ' : other[0]); break;
    case 4: edited.ToUpper().ToLower().Capitalize(); break;
    case 5: edited.KeepNumberChars(); break;
    case 6: edited += argument; edited += otherText; edited += char(pos); break;
    default: edited.TrimLeft().TrimRight('0'); break;
    }
    Numbers(edited);

    // Escapes and Base64: decoding what was encoded gives the text back.
    KString uri(s);
    uri.UriEncode();
    if (!uri.UriDecode())
        __builtin_trap();
    KString raw(other);
    raw.UriDecode();
    std::string encoded, decoded;
    s.Base64Encode(encoded);
    if (!KString(encoded, ENC_ASCII).Base64Decode(decoded) || decoded != s.StdString())
        __builtin_trap();
    KString base64(other);
    base64.Base64Decode();

    // Numbers written with sizes and decimals from the input.
    KString number;
    number.FormatNumber(in.ConsumeFloatingPoint<double>(), in.ConsumeIntegralInRange<int>(-1, 64));
    number.FormatNumber(in.ConsumeIntegral<int64_t>(), in.ConsumeIntegralInRange<int>(-1, 64));
    number.FormatNumber(in.ConsumeIntegral<uint32_t>(), in.ConsumeIntegralInRange<int>(-1, 64),
                        HEX_PREFIXED);
    number.FormatNumber(in.ConsumeFloatingPoint<float>());
    Numbers(number);
    return 0;
}
