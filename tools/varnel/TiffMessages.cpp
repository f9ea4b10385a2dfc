#include "TiffMessages.h"

#include <tiffio.h>

#include <cstdarg>
#include <cstdio>
#include <mutex>

namespace varnel_tool {

namespace {

thread_local std::string t_lastError;

void onTiffError(const char* module, const char* format, va_list args) {
    char text[512];
    std::vsnprintf(text, sizeof text, format, args);
    t_lastError = module != nullptr && module[0] != 0 ? std::string(module) + ": " + text : text;
}

// Warnings about input files (unknown tags and the like) do not stop the
// separation and are not the user's business.
void onTiffWarning(const char*, const char*, va_list) {}

} // namespace

void captureTiffMessages() {
    static std::once_flag installed;
    std::call_once(installed, [] {
        TIFFSetErrorHandler(&onTiffError);
        TIFFSetWarningHandler(&onTiffWarning);
    });
}

std::string lastTiffError() {
    return t_lastError.empty() ? std::string("libtiff reports an error") : t_lastError;
}

} // namespace varnel_tool
