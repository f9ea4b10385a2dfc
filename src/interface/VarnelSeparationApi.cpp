// The varnel_ functions: argument checks, the exception guard, and the
// separation behind each handle.
#include "varnel/separation.h"

#include "interface/VarnelConfigCheck.h"
#include "interface/VarnelPresets.h"
#include "interface/VarnelSeparation.h"

#include <cstring>
#include <new>
#include <string>
#include <vector>

// A handle is the separation's address: varnel_separation stays an
// incomplete type.
namespace {

// No exception leaves a C function: memory failures, and anything else
// unforeseen, become VARNEL_ERROR_MEMORY.
template <typename Run>
int Guarded(Run run)
{
    try {
        return run();
    } catch (...) {
        return VARNEL_ERROR_MEMORY;
    }
}

void CopyMessage(const std::string& text, char* message, size_t size)
{
    if (!message || size == 0)
        return;
    const size_t length = std::min(text.size(), size - 1);
    std::memcpy(message, text.data(), length);
    message[length] = '\0';
}

int Load(const CVarnelSeparation::Source& source, const varnel_load_options* options, varnel_separation** out,
         char* message, size_t messageSize)
{
    CopyMessage("", message, messageSize);
    if (!out)
        return VARNEL_ERROR_ARGUMENT;
    *out = nullptr;
    if (!source.nameOrPath && !source.text) {
        CopyMessage("no configuration was given", message, messageSize);
        return VARNEL_ERROR_ARGUMENT;
    }
    std::string text;
    const int status = Guarded([&] {
        std::unique_ptr<CVarnelSeparation> separation;
        // A message of one byte holds only its terminating zero.
        const int result = CVarnelSeparation::Load(source, options, separation, text, message && messageSize > 1);
        if (result == VARNEL_OK)
            *out = reinterpret_cast<varnel_separation*>(separation.release());
        return result;
    });
    if (status == VARNEL_ERROR_MEMORY && text.empty())
        text = "memory ran short while loading the configuration";
    CopyMessage(text, message, messageSize);
    return status;
}

int Check(const CVarnelSeparation::Source& source, varnel_finding_fn report, void* user, size_t* errors,
          size_t* warnings)
{
    if (errors)
        *errors = 0;
    if (warnings)
        *warnings = 0;
    if (!source.nameOrPath && !source.text)
        return VARNEL_ERROR_ARGUMENT;
    std::vector<CVarnelConfigCheck::Finding> findings;
    const int status = Guarded([&] { return CVarnelConfigCheck::Run(source, findings); });
    size_t errorCount = 0, warningCount = 0;
    for (const CVarnelConfigCheck::Finding& finding : findings) {
        ++(finding.severity == VARNEL_FINDING_ERROR ? errorCount : warningCount);
        if (report)
            report(finding.severity, finding.text, finding.line, finding.statement.c_str(), finding.message.c_str(),
                   user);
    }
    if (errors)
        *errors = errorCount;
    if (warnings)
        *warnings = warningCount;
    return status;
}

const CVarnelSeparation* Of(const varnel_separation* handle)
{
    return reinterpret_cast<const CVarnelSeparation*>(handle);
}

} // namespace

extern "C" {

const char* varnel_status_name(int status)
{
    switch (status) {
    case VARNEL_OK: return "VARNEL_OK";
    case VARNEL_ERROR_ARGUMENT: return "VARNEL_ERROR_ARGUMENT";
    case VARNEL_ERROR_NOT_FOUND: return "VARNEL_ERROR_NOT_FOUND";
    case VARNEL_ERROR_FILE: return "VARNEL_ERROR_FILE";
    case VARNEL_ERROR_CONFIG: return "VARNEL_ERROR_CONFIG";
    case VARNEL_ERROR_CANCELLED: return "VARNEL_ERROR_CANCELLED";
    case VARNEL_ERROR_MEMORY: return "VARNEL_ERROR_MEMORY";
    default: return "unknown status";
    }
}

int varnel_version(void) { return VARNEL_VERSION; }

const char* varnel_version_text(void) { return VARNEL_VERSION_TEXT; }

const char* varnel_preset_name(size_t index)
{
    return index < size_t(VarnelPresetCount()) ? VarnelPresetTable()[index].name : nullptr;
}

const char* varnel_preset_text(const char* name)
{
    if (!name)
        return nullptr;
    for (int i = 0; i < VarnelPresetCount(); ++i)
        if (std::strcmp(VarnelPresetTable()[i].name, name) == 0)
            return VarnelPresetTable()[i].text;
    return nullptr;
}

int varnel_load(const char* config, const char* extra, const varnel_load_options* options,
                varnel_separation** out, char* message, size_t message_size)
{
    CVarnelSeparation::Source source;
    source.nameOrPath = config;
    source.extra = extra;
    return Load(source, options, out, message, message_size);
}

int varnel_load_text(const char* text, size_t length, const char* extra, const varnel_load_options* options,
                     varnel_separation** out, char* message, size_t message_size)
{
    CVarnelSeparation::Source source;
    source.text = text;
    source.textLength = length;
    source.extra = extra;
    return Load(source, options, out, message, message_size);
}

void varnel_free(varnel_separation* separation)
{
    delete reinterpret_cast<CVarnelSeparation*>(separation);
}

size_t varnel_channels(const varnel_separation* separation)
{
    return separation ? Of(separation)->Channels() : 0;
}

const char* varnel_ink_name(const varnel_separation* separation, size_t channel)
{
    if (!separation || channel >= Of(separation)->Channels())
        return nullptr;
    return Of(separation)->Inks()[channel].name.c_str();
}

int varnel_ink_color(const varnel_separation* separation, size_t channel, unsigned char rgb[3])
{
    if (!separation || !rgb || channel >= Of(separation)->Channels())
        return VARNEL_ERROR_ARGUMENT;
    std::memcpy(rgb, Of(separation)->Inks()[channel].rgb, 3);
    return VARNEL_OK;
}

const char* varnel_config_text(const varnel_separation* separation)
{
    return separation ? Of(separation)->ConfigText() : nullptr;
}

int varnel_is_cached(const varnel_separation* separation)
{
    return separation && Of(separation)->IsCached() ? 1 : 0;
}

int varnel_convert8(const varnel_separation* separation, const uint8_t* in, size_t in_stride, uint8_t* out,
                    size_t out_stride, size_t width, size_t height, varnel_progress_fn progress, void* user)
{
    if (!separation)
        return VARNEL_ERROR_ARGUMENT;
    return Guarded([&] { return Of(separation)->Convert(in, in_stride, out, out_stride, width, height, progress, user); });
}

int varnel_convert16(const varnel_separation* separation, const uint16_t* in, size_t in_stride, uint16_t* out,
                     size_t out_stride, size_t width, size_t height, varnel_progress_fn progress, void* user)
{
    if (!separation)
        return VARNEL_ERROR_ARGUMENT;
    return Guarded([&] { return Of(separation)->Convert(in, in_stride, out, out_stride, width, height, progress, user); });
}

int varnel_check(const char* config, const char* extra, varnel_finding_fn report, void* user, size_t* errors,
                 size_t* warnings)
{
    CVarnelSeparation::Source source;
    source.nameOrPath = config;
    source.extra = extra;
    return Check(source, report, user, errors, warnings);
}

int varnel_check_text(const char* text, size_t length, const char* extra, varnel_finding_fn report, void* user,
                      size_t* errors, size_t* warnings)
{
    CVarnelSeparation::Source source;
    source.text = text;
    source.textLength = length;
    source.extra = extra;
    return Check(source, report, user, errors, warnings);
}

} // extern "C"
