// Resolves the CONFIG argument (a preset name or a configuration file) and
// the extra text, and loads them into one separation that every worker
// thread shares.
#ifndef VARNEL_TOOL_CONFIGURATION_H
#define VARNEL_TOOL_CONFIGURATION_H

#include <varnel/separation.hpp>

#include <memory>
#include <string>
#include <vector>

namespace varnel_tool {

struct ConfigRequest {
    std::string nameOrPath;   // preset name or .cfg file
    std::string extraText;    // applied over it when hasExtraText
    bool hasExtraText = false;
    bool useCache = false;    // flag bit 0: separation cache
    std::string cacheFolder;  // empty: the library's default temporary folder
};

class Configuration {
public:
    // Checks the request and loads it. Throws ToolError with a one-line
    // reason when the preset is unknown, the file cannot be read or the
    // library does not load it (with the library's own words). cacheProgress
    // hears of the cache build when one is needed (may be null).
    explicit Configuration(const ConfigRequest& request, varnel_progress_fn cacheProgress = nullptr);

    // A name for messages: the preset name or the file path.
    const std::string& displayName() const { return m_request.nameOrPath; }
    bool hasExtraText() const { return m_request.hasExtraText; }
    const std::string& extraText() const { return m_request.extraText; }
    int channels() const { return static_cast<int>(m_separation->channels()); }
    bool usesCache() const { return m_request.useCache; }
    // True when loading with the cache will (or did) build the cache file.
    bool needsCacheBuild() const { return m_cacheBuildNeeded; }
    std::string cacheFilePath() const { return m_cacheFilePath; }

    // The loaded separation; any number of threads convert with it at once.
    const varnel::Separation& separation() const { return *m_separation; }

private:
    void checkSource() const;
    void resolveCacheFile();

    ConfigRequest m_request;
    std::string m_baseName;
    bool m_cacheBuildNeeded = false;
    std::string m_cacheFilePath;
    std::unique_ptr<varnel::Separation> m_separation;
};

// The names of the built-in presets, in the library's order.
std::vector<std::string> presetNames();
// The text of a preset; false when there is no such preset.
bool presetText(const std::string& name, std::string& text);

} // namespace varnel_tool

#endif
