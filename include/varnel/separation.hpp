// libvarnel: a header-only C++ wrapper of the separation interface
// (separation.h). It owns the handle and turns every failure into an
// exception that carries the status and the library's message.
//
// A Separation is cheap to copy: copies share one loaded separation, which
// any number of threads may use at once.
#ifndef VARNEL_SEPARATION_HPP
#define VARNEL_SEPARATION_HPP

#include "separation.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

namespace varnel {

class Error : public std::runtime_error {
public:
    Error(int status, const std::string& message)
        : std::runtime_error(message.empty() ? varnel_status_name(status) : message), m_status(status)
    {
    }
    // A varnel_status.
    int status() const noexcept { return m_status; }

private:
    int m_status;
};

class Separation {
public:
    // A preset name or a .cfg file, then the optional extra text. Throws
    // Error.
    explicit Separation(const std::string& config, const char* extra = nullptr,
                        const varnel_load_options* options = nullptr)
    {
        char message[VARNEL_MESSAGE_SIZE] = {};
        varnel_separation* handle = nullptr;
        // The message is read after the call has written it.
        const int status = varnel_load(config.c_str(), extra, options, &handle, message, sizeof message);
        Check(status, message);
        m_handle.reset(handle, varnel_free);
    }

    // A configuration text in memory, then the optional extra text. Throws
    // Error.
    static Separation FromText(const std::string& text, const char* extra = nullptr,
                               const varnel_load_options* options = nullptr)
    {
        char message[VARNEL_MESSAGE_SIZE] = {};
        varnel_separation* handle = nullptr;
        const int status = varnel_load_text(text.data(), text.size(), extra, options, &handle, message,
                                            sizeof message);
        Check(status, message);
        return Separation(handle);
    }

    std::size_t channels() const { return varnel_channels(get()); }
    std::string inkName(std::size_t channel) const
    {
        const char* name = varnel_ink_name(get(), channel);
        if (!name)
            throw Error(VARNEL_ERROR_ARGUMENT, "no ink channel " + std::to_string(channel));
        return name;
    }
    std::array<unsigned char, 3> inkColor(std::size_t channel) const
    {
        std::array<unsigned char, 3> rgb{};
        Check(varnel_ink_color(get(), channel, rgb.data()), "no ink channel " + std::to_string(channel));
        return rgb;
    }
    // Empty when the configuration cannot be given as one text.
    std::string configText() const
    {
        const char* text = varnel_config_text(get());
        return text ? text : std::string();
    }
    bool cached() const { return varnel_is_cached(get()) != 0; }

    // Rows of width pixels; strides in bytes, 0 for rows without a gap.
    // Throws Error (VARNEL_ERROR_CANCELLED when progress stopped it).
    void convert(const std::uint8_t* in, std::size_t inStride, std::uint8_t* out, std::size_t outStride,
                 std::size_t width, std::size_t height, varnel_progress_fn progress = nullptr,
                 void* user = nullptr) const
    {
        Check(varnel_convert8(get(), in, inStride, out, outStride, width, height, progress, user), "");
    }
    void convert(const std::uint16_t* in, std::size_t inStride, std::uint16_t* out, std::size_t outStride,
                 std::size_t width, std::size_t height, varnel_progress_fn progress = nullptr,
                 void* user = nullptr) const
    {
        Check(varnel_convert16(get(), in, inStride, out, outStride, width, height, progress, user), "");
    }
    // count packed pixels.
    template <typename Value>
    void convert(const Value* in, Value* out, std::size_t count) const
    {
        convert(in, 0, out, 0, count, 1);
    }

    const varnel_separation* get() const noexcept { return m_handle.get(); }

private:
    explicit Separation(varnel_separation* handle) : m_handle(handle, varnel_free) {}

    static void Check(int status, const std::string& message)
    {
        if (status != VARNEL_OK)
            throw Error(status, message);
    }

    std::shared_ptr<varnel_separation> m_handle;
};

// One finding of check().
struct Finding {
    bool error;        // else a warning
    bool inExtraText;  // else in the configuration's own text
    unsigned line;     // 1 for the text's first line; 0: the text as a whole
    std::string statement;
    std::string message;
};

// What the library would misread in a configuration (a preset name or a
// .cfg file) and the optional extra text, in the order of the texts and of
// their lines. status, when given, receives what loading the texts gives
// (VARNEL_OK or VARNEL_ERROR_CONFIG). Throws Error when there is nothing to
// check (no such preset, a file that cannot be read) or memory runs short.
inline std::vector<Finding> check(const std::string& config, const char* extra = nullptr, int* status = nullptr)
{
    struct Collected {
        std::vector<Finding> findings;
        bool failed = false;
    } collected;
    // Nothing may be thrown through the library: a failure to store a
    // finding is noted and raised once the library has returned.
    const varnel_finding_fn collect = [](int severity, int text, unsigned line, const char* statement,
                                         const char* message, void* user) {
        auto& into = *static_cast<Collected*>(user);
        try {
            into.findings.push_back(
                {severity == VARNEL_FINDING_ERROR, text == VARNEL_TEXT_EXTRA, line, statement, message});
        } catch (...) {
            into.failed = true;
        }
    };
    const int result = varnel_check(config.c_str(), extra, collect, &collected, nullptr, nullptr);
    if (collected.failed)
        throw std::bad_alloc();
    if (result != VARNEL_OK && result != VARNEL_ERROR_CONFIG)
        throw Error(result, collected.findings.empty() ? std::string() : collected.findings.front().message);
    if (status)
        *status = result;
    return collected.findings;
}

} // namespace varnel

#endif // VARNEL_SEPARATION_HPP
