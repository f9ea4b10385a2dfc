// The library's text type: a byte string that knows its character encoding
// and, for UTF-8 text, its Unicode normal form. Text arriving in another
// encoding is converted into the receiver's encoding before it is compared
// with or appended to the receiver, so a 7-bit literal compares equal to the
// same letters whatever encoding the receiver holds.
//
// Byte-order marks decide the encoding of text that comes in without one:
// EF BB BF means UTF-8, FF FE means UTF-16 little-endian, anything else the
// ANSI code page. The mark itself is never kept.
//
// wchar_t is 32 bits wide on Linux: every const wchar_t* / std::wstring
// argument is taken as UTF-32 code points (one wchar_t per character).
//
// The virtual operations are declared in a fixed order; keep new ones at the
// end so that the layout of the table of virtual functions stays put.
#pragma once

#include "base/KBaseObject.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum KStringEncoding : int32_t {
    ENC_ANSI = 0,    // the system's 8-bit code page (Windows-1252 on Linux)
    ENC_ASCII = 1,   // 7-bit ASCII
    ENC_LATIN1 = 2,  // ISO 8859-1
    ENC_LATIN9 = 3,  // ISO 8859-15
    ENC_UTF8 = 4,    // UTF-8
    ENC_UTF16LE = 5  // UTF-16 little-endian, held as bytes
};

// Unicode normal form of UTF-8 text.
enum KStringForm : int32_t {
    FORM_NONE = -1,  // not normalised
    FORM_NFD = 0,
    FORM_NFKD = 1,
    FORM_NFC = 2,
    FORM_NFKC = 3
};

// Hexadecimal forms of FormatNumber: with or without a leading "0x".
enum KHexStyle : int32_t {
    HEX_PLAIN = 0,
    HEX_PREFIXED = 1
};

class KString : public KBaseObject {
public:
    // Empty text, ENC_ANSI, FORM_NONE.
    KString();
    // Copies text and encoding; the copy's form is FORM_NONE.
    KString(const KString& other);
    // Zero-terminated, detecting. After an FF FE mark the bytes are read as
    // UTF-16 little-endian up to a 16-bit zero unit (the caller's buffer must
    // hold one) and stored as UTF-8.
    KString(const char* s);
    // Detecting; the string may hold zero bytes. After an FF FE mark the
    // remaining bytes stay UTF-16 (ENC_UTF16LE).
    KString(const std::string& s);
    // Explicit encoding: a leading mark is dropped, the rest taken as it is.
    KString(const std::string& s, KStringEncoding encoding);
    // Explicit encoding. For ENC_UTF16LE the text ends at a 16-bit zero unit,
    // for every other encoding at a zero byte.
    KString(const char* s, KStringEncoding encoding);
    // Length-prefixed: the first byte is the length (0 to 255), followed by
    // that many bytes.
    KString(const unsigned char* counted);
    KString(const unsigned char* counted, KStringEncoding encoding);
    // UTF-32 text, stored as UTF-8 without normalisation (FORM_NONE).
    KString(const wchar_t* s);
    KString(const std::wstring& s);

    // Byte at index; index == length gives the terminating zero. No bounds
    // check.
    char& CharAt(size_t index);
    const char& CharAt(size_t index) const;
    // Empties text and scratch; encoding and form stay.
    void Clear();
    std::string& StdString();
    const std::string& StdString() const;
    // The text converted to `target`, in a work buffer owned by this object
    // and valid until the next call; the object itself does not change.
    const std::string& EncodedAs(KStringEncoding target) const;

    KStringEncoding GetEncoding() const { return m_encoding; }
    int32_t GetForm() const { return m_form; }
    size_t GetLength() const { return m_text.size(); }
    bool IsEmpty() const { return m_text.empty(); }

    // ---- virtual operations, in table order ----

    virtual bool operator==(const KString& other) const;
    virtual bool operator==(const std::string& s) const;
    virtual bool operator==(const unsigned char* counted) const;
    virtual bool operator==(const char* s) const;

    virtual KString& operator=(const KString& other);
    virtual KString& operator=(const std::string& s);
    virtual KString& operator=(const unsigned char* counted);
    virtual KString& operator=(const char* s);

    virtual KString& operator+=(const KString& other);
    virtual KString& operator+=(const std::string& s);
    virtual KString& operator+=(const unsigned char* counted);
    virtual KString& operator+=(const char* s);
    virtual KString& operator+=(char ch);

    virtual void Set(const unsigned char* counted, KStringEncoding encoding);
    virtual void Set(const char* s, KStringEncoding encoding);
    virtual void Set(const std::string& s, KStringEncoding encoding);
    virtual void Set(const unsigned char* counted);
    virtual void Set(const wchar_t* s);
    virtual void Set(const char* s);
    virtual void Set(const std::wstring& s);
    virtual void Set(const std::string& s);

    // Takes the bytes as they are (a mark is kept); UTF-8 is normalised to
    // NFC. The form becomes FORM_NFC for UTF-8, FORM_NONE otherwise.
    virtual void SetBytes(const char* data, size_t length, KStringEncoding encoding);
    // `count` UTF-32 code points, stored as UTF-8 (FORM_NONE).
    virtual void SetWide(const wchar_t* data, size_t count);
    // `length` bytes, detecting as the std::string constructor does.
    virtual void SetRaw(const char* data, size_t length);
    // Converts the text; false (text unchanged) when either encoding is not
    // one of the ENC_ values. Unrepresentable characters become '?'.
    virtual bool ConvertTo(KStringEncoding target);
    // ENC_UTF16LE only: exchanges the bytes of every 16-bit unit.
    virtual void SwapByteOrder();
    virtual void Normalize(int32_t form);
    // Keeps only + - . and 0 to 9, in order.
    virtual void KeepNumberChars();

    // Byte-wise through toupper / tolower, up to the first zero byte.
    virtual KString& ToUpper();
    virtual KString& ToLower();
    virtual KString& Capitalize();

    // Remove every leading and/or trailing byte equal to ch.
    virtual KString& Trim(char ch = ' ');
    virtual KString& TrimLeft(char ch = ' ');
    virtual KString& TrimRight(char ch = ' ');

    // Byte ranges, clipped to the text.
    virtual std::string Mid(size_t pos, size_t count) const;
    virtual std::string Left(size_t count) const;
    virtual std::string Right(size_t count) const;

    // Searches take the argument in the receiver's encoding. Results are
    // byte indices, -1 when not found. ReverseFind with a negative start
    // searches from the end.
    virtual int Find(const char* s, int start = 0) const;
    virtual int Find(const std::string& s, int start = 0) const;
    virtual int ReverseFind(const char* s, int start = -1) const;
    virtual int ReverseFind(const std::string& s, int start = -1) const;
    // Replaces `count` bytes at `pos` (both clipped to the text) with s and
    // returns a copy of the new text.
    virtual std::string Replace(size_t pos, size_t count, const char* s);
    virtual std::string Replace(size_t pos, size_t count, const std::string& s);

    // Index of the first byte at or after start that is one of `chars`, -1
    // when there is none.
    virtual int FindOneOf(const char* chars, int start = 0) const;
    // Removes every byte equal to ch; returns how many were removed.
    virtual int Remove(char ch);
    // Inserts s (in the receiver's encoding) before pos; returns the new text.
    virtual std::string Insert(size_t pos, const char* s);

    // Percent-encoding of the UTF-8 form of the text as a URI component.
    virtual void UriEncode();
    // Decodes percent escapes; the result is UTF-8. False (text unchanged)
    // for a malformed escape.
    virtual bool UriDecode();

    // strcmp of the receiver's text with the argument in the receiver's
    // encoding.
    virtual int Compare(const char* s, KStringEncoding encoding) const;
    virtual int Compare(const char* s) const;
    virtual int Compare(const std::string& s, KStringEncoding encoding) const;
    virtual int Compare(const std::string& s) const;
    virtual int Compare(const KString& other) const;

    virtual int CompareN(const char* s, KStringEncoding encoding, size_t count) const;
    virtual int CompareN(const char* s, size_t count) const;
    virtual int CompareN(const std::string& s, KStringEncoding encoding, size_t count) const;
    virtual int CompareN(const std::string& s, size_t count) const;
    virtual int CompareN(const KString& other, size_t count) const;

    virtual int CompareNoCase(const char* s, KStringEncoding encoding) const;
    virtual int CompareNoCase(const char* s) const;
    virtual int CompareNoCase(const std::string& s, KStringEncoding encoding) const;
    virtual int CompareNoCase(const std::string& s) const;
    virtual int CompareNoCase(const KString& other) const;

    virtual int CompareNoCaseN(const char* s, KStringEncoding encoding, size_t count) const;
    virtual int CompareNoCaseN(const char* s, size_t count) const;
    virtual int CompareNoCaseN(const std::string& s, KStringEncoding encoding, size_t count) const;
    virtual int CompareNoCaseN(const std::string& s, size_t count) const;
    virtual int CompareNoCaseN(const KString& other, size_t count) const;

    // The text becomes the number in decimal (ENC_ANSI); form and scratch
    // stay. With `width` the number is right-aligned in that many blanks;
    // with `decimals` it is written in fixed point.
    virtual KString& FormatNumber(int8_t value);
    virtual KString& FormatNumber(uint8_t value);
    virtual KString& FormatNumber(int16_t value);
    virtual KString& FormatNumber(uint16_t value);
    virtual KString& FormatNumber(int32_t value);
    virtual KString& FormatNumber(uint32_t value);
    virtual KString& FormatNumber(int64_t value);
    virtual KString& FormatNumber(uint64_t value);
    virtual KString& FormatNumber(float value);
    virtual KString& FormatNumber(float value, int decimals);
    virtual KString& FormatNumber(double value);
    virtual KString& FormatNumber(double value, int decimals);
    virtual KString& FormatNumber(int32_t value, int width);
    virtual KString& FormatNumber(uint32_t value, int width);
    virtual KString& FormatNumber(int64_t value, int width);
    virtual KString& FormatNumber(uint64_t value, int width);
    virtual KString& FormatNumber(uint32_t value, KHexStyle style);
    virtual KString& FormatNumber(uint64_t value, KHexStyle style);
    // Hexadecimal, zero-padded to `width` digits.
    virtual KString& FormatNumber(uint32_t value, int width, KHexStyle style);

    // Number reading. Every failure (empty text, stray characters, overflow)
    // gives 0; nothing throws. ',' is the default thousands separator and '.'
    // the decimal point.
    virtual float ToFloat() const;
    virtual float ToFloat(char decimalSeparator, char thousandSeparator) const;
    virtual double ToDouble() const;
    virtual double ToDouble(char decimalSeparator, char thousandSeparator) const;
    virtual int32_t ToInt() const;
    virtual int32_t ToInt(char thousandSeparator) const;
    virtual int64_t ToInt64() const;
    virtual int64_t ToInt64(char thousandSeparator) const;
    virtual uint32_t ToUInt() const;
    virtual uint32_t ToUInt(char thousandSeparator) const;
    virtual uint64_t ToUInt64() const;
    virtual uint64_t ToUInt64(char thousandSeparator) const;
    // Hexadecimal digits, with or without a leading 0x.
    virtual uint32_t ToHex() const;
    virtual uint64_t ToHex64() const;
    // true/false, yes/no, on/off or an integer (non-zero is true).
    virtual bool ToBool() const;
    // The first four bytes as a big-endian code ("RGB " -> 0x52474220);
    // missing bytes count as zero.
    virtual uint32_t ToFourCC() const;
    // Lists: items separated by `separator`, blanks around an item ignored,
    // an item that does not parse gives 0. Return the number of items; the
    // vector is replaced. An empty text is an empty list.
    virtual size_t ToIntList(std::vector<int32_t>& values, char separator = ',') const;
    virtual size_t ToUIntList(std::vector<uint32_t>& values, char separator = ',') const;
    virtual size_t ToInt64List(std::vector<int64_t>& values, char separator = ',') const;
    virtual size_t ToFloatList(std::vector<float>& values, char separator = ',') const;
    virtual size_t ToDoubleList(std::vector<double>& values, char separator = ',') const;
    virtual size_t ToHexList(std::vector<uint32_t>& values, char separator = ',') const;

    // Base64 (no line breaks). In place the encoded text is ENC_ASCII and the
    // decoded bytes keep the receiver's encoding. Decoding returns false
    // (nothing changed) for malformed input.
    virtual void Base64Encode();
    virtual void Base64Encode(std::string& encoded) const;
    virtual bool Base64Decode();
    virtual bool Base64Decode(std::string& decoded) const;

    ~KString() override;

    bool operator!=(const KString& other) const { return !(*this == other); }
    bool operator!=(const char* s) const { return !(*this == s); }

private:
    void InitDetecting(const std::string& bytes);
    void InitExplicit(std::string bytes, KStringEncoding encoding);
    std::string ArgumentInMyEncoding(const KString& argument) const;
    int FindBytes(const std::string& needle, int start) const;
    int ReverseFindBytes(const std::string& needle, int start) const;
    std::string ReplaceBytes(size_t pos, size_t count, const std::string& replacement);

    std::string m_text;              // the characters, as bytes in m_encoding
    mutable std::string m_scratch;   // last result of EncodedAs, never part of the value
    KStringEncoding m_encoding;
    int32_t m_form;
};
