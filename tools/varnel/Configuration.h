// Resolves the CONFIG argument (a preset name or a configuration file) and
// the extra text, and loads them into library instances.
#ifndef VARNEL_TOOL_CONFIGURATION_H
#define VARNEL_TOOL_CONFIGURATION_H

#include "InkNaming.h"

#include <varnel/VarnelDll.h>

#include <memory>
#include <string>

namespace varnel_tool {

struct ConfigRequest {
    std::string nameOrPath;   // preset name or .cfg file
    std::string extraText;    // applied over it when hasExtraText
    bool hasExtraText = false;
    bool useCache = false;    // flag bit 0: separation cache
    std::string cacheFolder;  // empty: the library's default temporary folder
};

// The library computes at most this many ink channels per pixel.
constexpr int kMaxChannels = 16;

class Configuration {
public:
    // Checks the request and loads it into a first instance. Throws
    // ToolError with a one-line reason when the preset is unknown, the
    // file cannot be read or the library does not load it. cacheProgress
    // hears of the cache build when one is needed (may be null).
    explicit Configuration(const ConfigRequest& request,
                           VarnelProgressProc cacheProgress = nullptr);

    // A name for messages: the preset name or the file path.
    const std::string& displayName() const { return m_request.nameOrPath; }
    int channels() const { return m_channels; }
    // The hue masks of the preset or file text with the extra text over it.
    const HueMaskSet& masks() const { return m_masks; }
    // True when loading with the cache will (or did) build the cache file.
    bool needsCacheBuild() const { return m_cacheBuildNeeded; }
    std::string cacheFilePath() const { return m_cacheFilePath; }

    // The first instance, loaded by the constructor. Stays owned here.
    CVarnelDll& primary() { return *m_primary; }
    // Hands the first instance over (for a pool of worker instances).
    std::unique_ptr<CVarnelDll> takePrimary();
    // Loads one more independent instance with the same configuration;
    // with the cache, it reads the file the first instance left.
    std::unique_ptr<CVarnelDll> loadInstance() const;

private:
    std::unique_ptr<CVarnelDll> load(VarnelProgressProc progress) const;
    void resolveText();
    void resolveCacheFile();

    ConfigRequest m_request;
    std::string m_baseName;
    HueMaskSet m_masks;
    bool m_cacheBuildNeeded = false;
    std::string m_cacheFilePath;
    std::unique_ptr<CVarnelDll> m_primary;
    int m_channels = 0;
};

// Converts one fixed colour through a freshly loaded instance. An instance
// remembers its last pixel and serves a repeat of it from memory; after a
// cache build that memory holds a colour computed without the cache. The
// priming makes every instance start from the same remembered state, so the
// output does not depend on how rows are shared among instances.
void primeInstance(CVarnelDll& instance);

// The names of the built-in presets, in the library's order.
std::vector<std::string> presetNames();
// The text of a preset; false when there is no such preset.
bool presetText(const std::string& name, std::string& text);

} // namespace varnel_tool

#endif
