#include "OutputFormat.h"

#include "ToolError.h"

#include <sys/stat.h>

#include <cctype>

namespace varnel_tool {

namespace {

struct Extension {
    const char* text;
    FileFormat format;
};

const Extension kExtensions[] = {
    {".tif", FileFormat::Tiff}, {".tiff", FileFormat::Tiff}, {".psd", FileFormat::Psd},
    {".psb", FileFormat::Psd},  {".png", FileFormat::Png},   {".json", FileFormat::Json},
};

bool endsWith(const std::string& text, const std::string& suffix) {
    if (text.size() < suffix.size()) return false;
    for (size_t i = 0; i < suffix.size(); ++i) {
        const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(text[text.size() - suffix.size() + i])));
        if (c != suffix[i]) return false;
    }
    return true;
}

} // namespace

FileFormat OutputFormat::of(const std::string& path, const std::string& role, std::initializer_list<FileFormat> allowed) {
    std::string accepted;
    for (FileFormat format : allowed) {
        for (const Extension& extension : kExtensions) {
            if (extension.format != format) continue;
            if (endsWith(path, extension.text)) return format;
            accepted += std::string(accepted.empty() ? "" : ", ") + extension.text;
        }
    }
    struct stat info {};
    if (stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode)) return *allowed.begin();
    throw UsageError(role + " '" + path + "': the name must end in " + accepted + " (the format follows the name)");
}

} // namespace varnel_tool
