// The two text primitives every parser of the configuration model uses.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Number of token slots Split fills; a value may hold at most this many
// fields.
constexpr int kMaxTokens = 256;

// Searches text (up to its terminating zero) for the first occurrence of key
// as a plain substring and copies what follows it up to the next ';' or up
// to position `length` into value. Returns false (value empty) when the key
// does not occur.
bool FindKey(const char* text, long length, const char* key, std::string& value);

// Where FindKey finds key: the offset of the match in text, or -1.
long FindKeyOffset(const char* text, const char* key);

// What FindKey copies for a key of keyLength characters found at offset.
void ValueAfterKey(const char* text, long length, long offset, size_t keyLength, std::string& value);

// Stateless splitter.
class CVarnelParser {
public:
    virtual ~CVarnelParser();
    // Cuts the writable text into tokens: leading bytes up to 32 are
    // skipped, every separator and CR within `length` is overwritten with a
    // zero and ends a token. tokens must have room for kMaxTokens entries;
    // they are cleared first, and entries past the last token stay null.
    // Returns the number of tokens found; a result above kMaxTokens means the
    // text held more fields than were recorded.
    virtual int Split(char* text, char** tokens, long length, char separator);
};

// The ways a configuration field is read as an integer. Each stage has its
// own, so that the same text keeps its number; the readings differ only on
// texts that are not plain numbers, as IntegerFieldReadings in
// VarnelParserTest pins.
enum class IntegerField {
    // The whole text as a decimal number with ',' accepted as a thousands
    // separator ("1,234" is 1234); an empty or unparsable text, or one past
    // the 32-bit range, reads 0. Top-level settings, variables, contacts,
    // and the fields of the table-driven stages.
    WholeDecimal,
    // As atol reads: leading white space, an optional sign, the digits up to
    // the first other character ("12a" is 12), 0 without digits; past the
    // 32-bit range, the nearest limit. Hue-mask corners.
    LeadingDigitsClamped,
    // As LeadingDigitsClamped up to the 64-bit range, then the low 32 bits
    // are kept. The light mask's companion channel.
    LeadingDigitsWrapped,
};

// A field read by rule; a missing field (null) reads 0. The field is handed
// to the string type as a counted string so that a field starting with the
// bytes FF FE can never make the conversion read past its end.
int32_t ReadIntegerField(const char* field, IntegerField rule);

// ReadIntegerField(field, IntegerField::WholeDecimal); the second form
// reads a counted text, zero bytes included.
int32_t ValueToInt(const char* field);
int32_t ValueToInt(const std::string& field);
