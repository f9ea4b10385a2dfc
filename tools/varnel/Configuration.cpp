#include "Configuration.h"

#include "PresetSuggestion.h"
#include "ToolError.h"

#include <varnel/VarnelDll.h>

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <vector>

namespace varnel_tool {

namespace {

std::vector<char> writableCopy(const std::string& text) {
    std::vector<char> copy(text.begin(), text.end());
    copy.push_back('\0');
    return copy;
}

std::string fileNamePart(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The extension after the last "." of the file name, as the library splits
// its argument; empty when there is none.
std::string extensionOf(const std::string& path) {
    const std::string name = fileNamePart(path);
    const size_t dot = name.find_last_of('.');
    return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

std::string baseNameOf(const std::string& path) {
    const std::string name = fileNamePart(path);
    const size_t dot = name.find_last_of('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

} // namespace

std::vector<std::string> presetNames() {
    std::vector<std::string> names;
    for (size_t i = 0; varnel_preset_name(i) != nullptr; ++i) names.push_back(varnel_preset_name(i));
    return names;
}

bool presetText(const std::string& name, std::string& text) {
    const char* preset = varnel_preset_text(name.c_str());
    if (preset == nullptr) return false;
    text = preset;
    return true;
}

Configuration::Configuration(const ConfigRequest& request, varnel_progress_fn cacheProgress)
    : m_request(request), m_baseName(baseNameOf(request.nameOrPath)) {
    checkSource();
    if (m_request.useCache) resolveCacheFile();
    varnel_load_options options{};
    options.flags = m_request.useCache ? VARNEL_LOAD_CACHE : 0u;
    options.cache_folder = m_request.cacheFolder.empty() ? nullptr : m_request.cacheFolder.c_str();
    options.progress = m_cacheBuildNeeded ? cacheProgress : nullptr;
    try {
        m_separation = std::make_unique<varnel::Separation>(
            m_request.nameOrPath, m_request.hasExtraText ? m_request.extraText.c_str() : nullptr, &options);
    } catch (const varnel::Error& error) {
        throw ToolError("configuration '" + displayName() + "' does not load: " + error.what());
    }
}

// The tool's own words for the mistakes an operator makes most, before the
// library is asked.
void Configuration::checkSource() const {
    const std::string& name = m_request.nameOrPath;
    if (name.empty()) throw ToolError("the configuration name is empty");
    const std::string extension = extensionOf(name);
    if (extension.empty()) {
        // Without an extension the library looks the base name up in its
        // preset table, whatever directory stands in front of it.
        std::string text;
        if (!presetText(m_baseName, text)) {
            throw ToolError(PresetSuggestion::unknownPresetMessage(name));
        }
        return;
    }
    const std::string kind = upper(extension);
    if (kind != "CFG" && kind != "XML") {
        throw ToolError("configuration file '" + name + "' must have the extension .cfg");
    }
    std::ifstream file(name, std::ios::binary);
    struct stat info {};
    if (!file || stat(name.c_str(), &info) != 0 || S_ISDIR(info.st_mode)) {
        const int error = S_ISDIR(info.st_mode) ? EISDIR : errno;
        throw ToolError("cannot read configuration file '" + name + "': " + systemErrorText(error));
    }
}

void Configuration::resolveCacheFile() {
    std::string folder = m_request.cacheFolder;
    if (folder.empty()) {
        CVarnelDll probe;
        char buffer[260] = {0};
        if (probe.GetTemporaryFolder(buffer, sizeof buffer)) folder = buffer;
    } else {
        struct stat info {};
        if (stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
            throw ToolError("cache folder '" + folder + "' is not a directory");
        }
        // The library puts the file name directly after the folder text.
        if (folder.back() != '/') folder += '/';
        m_request.cacheFolder = folder;
        if (folder.size() >= 260) {
            throw ToolError("cache folder '" + folder + "' is longer than 259 characters");
        }
    }
    std::vector<char> name = writableCopy(m_baseName);
    std::vector<char> text = writableCopy(m_request.extraText);
    char fileName[64] = {0};
    if (!CVarnelDll::GetCacheFileName(name.data(), m_request.hasExtraText ? text.data() : nullptr,
                                      fileName, sizeof fileName)) {
        return;
    }
    m_cacheFilePath = folder + fileName;
    struct stat info {};
    m_cacheBuildNeeded = stat(m_cacheFilePath.c_str(), &info) != 0;
}

} // namespace varnel_tool
