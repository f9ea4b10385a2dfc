// Loading a configuration into an instance, shared by both instance
// classes: replace engine and configuration, apply a preset or a file and
// the extra text, and attach the separation cache when asked for.
#pragma once

#include "varnel/varnel.h"

#include <string>

class CVarnelIF;
class CVarnel;
class CVarnelCacheContainer;

class CVarnelLoader {
public:
    // What a load reads and changes of an instance.
    struct Target {
        CVarnelIF*& engine;
        CVarnel*& configuration;
        VarnelProgressProc& progress;
        long long& progressValue;
        // Folder for cache files, ending with its separator; null when the
        // instance has none.
        const char* temporaryFolder;
        long flags;
        // The cache key starts with the base name of the argument (true) or
        // with the argument as passed (false).
        bool keyByBaseName;
    };

    // Returns 0 and leaves the instance loaded, or a failure code and leaves
    // it empty; a null nameOrPath returns -1 and changes nothing. Never
    // throws.
    static long Load(Target& target, const char* nameOrPath, const char* text,
                     VarnelProgressProc progress, long long value);
    // Destroys the engine (with its cache container) and the configuration.
    static void Unload(CVarnelIF*& engine, CVarnel*& configuration);

    // "<signed decimal CRC-32 of name[+text]>.dat"; false, out untouched,
    // when it does not fit in size characters with its terminator.
    static bool CacheFileName(const char* name, const char* text, char* out, long size);
    // The table of all 8-bit colours in cache entry order (3 bytes each); a
    // null buffer asks for its size.
    static bool GenerateCacheData(unsigned long* size, char* buffer);

    // The container of the checked cache file named after key in folder
    // (ending with its separator): read when its record names this
    // configuration, otherwise built by the engine and saved. Null when the
    // folder is unsafe or no complete file could be had: the engine then
    // computes every pixel. Raises the status of a failed build.
    static CVarnelCacheContainer* PrepareCache(CVarnelIF& engine, const CVarnel& configuration,
                                               const std::string& folder, const std::string& key,
                                               VarnelProgressProc progress, long long value);
    // The part of a cache key that names the configuration: nameOrPath, or
    // its base name, then "+" and the extra text when there is one.
    static std::string CacheKey(const std::string& name, const char* text);

private:
    static std::string CacheFileName(const std::string& key);
};
