// The configuration check over any text, as the configuration itself or as
// an extra text over a preset: it stays inside its memory, tells every
// finding it counts, and says of the texts what loading them says.
//
// Input: byte 0 picks the preset (its value modulo the preset count) and,
// with its top bit set, a text of its own instead; the rest is the text. A
// text of its own may carry an extra text after a zero byte.
#include "interface/VarnelPresets.h"
#include "varnel/separation.h"

#include <cstring>
#include <string>

namespace {

struct Tally {
    size_t errors = 0;
    size_t warnings = 0;
};

void Count(int severity, int text, unsigned, const char* statement, const char* message, void* user)
{
    auto& tally = *static_cast<Tally*>(user);
    if ((text != VARNEL_TEXT_CONFIG && text != VARNEL_TEXT_EXTRA) || !statement || !message || !*message)
        __builtin_trap();
    ++(severity == VARNEL_FINDING_ERROR ? tally.errors : tally.warnings);
    // Every byte of both texts is read: a stray end shows here.
    volatile size_t length = std::strlen(statement) + std::strlen(message);
    (void)length;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const char* preset = VarnelPresetTable()[(data[0] & 0x7F) % VarnelPresetCount()].name;
    const bool own = data[0] & 0x80;
    const std::string input(reinterpret_cast<const char*>(data + 1), size - 1);
    const size_t zero = input.find('\0');
    const std::string text = own ? input.substr(0, zero) : std::string();
    const std::string extra = own ? (zero == std::string::npos ? "" : input.substr(zero + 1)) : input;
    const char* extraText = own && zero == std::string::npos ? nullptr : extra.c_str();

    Tally tally;
    size_t errors = 0, warnings = 0;
    const int checked = own ? varnel_check_text(text.data(), text.size(), extraText, &Count, &tally, &errors, &warnings)
                            : varnel_check(preset, extraText, &Count, &tally, &errors, &warnings);
    if (tally.errors != errors || tally.warnings != warnings)
        __builtin_trap();

    varnel_separation* separation = nullptr;
    const int loaded = own ? varnel_load_text(text.data(), text.size(), extraText, nullptr, &separation, nullptr, 0)
                           : varnel_load(preset, extraText, nullptr, &separation, nullptr, 0);
    varnel_free(separation);
    if (checked != loaded && checked != VARNEL_ERROR_MEMORY && loaded != VARNEL_ERROR_MEMORY)
        __builtin_trap();
    // What does not load has an error to show for it.
    if (loaded == VARNEL_ERROR_CONFIG && errors == 0)
        __builtin_trap();
    return 0;
}
