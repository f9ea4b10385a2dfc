#include "interface/VarnelLoader.h"

#include "base/KChecksum.h"
#include "base/KFile.h"
#include "base/KPath.h"
#include "base/KString.h"
#include "config/Varnel.h"
#include "engine/VarnelCache.h"
#include "engine/VarnelIF.h"
#include "interface/VarnelPresets.h"

#include <Poco/File.h>
#include <Poco/Process.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace {

// File names reach the library as the bytes the file system uses (UTF-8 on
// Linux) and go on unchanged: the file system compares names byte for byte,
// so a normal form applied on the way would name another file.
KFile FileNamed(const std::string& name) { return KFile(KPath::FromNative(name)); }

constexpr unsigned long kColourTableBytes = 3ul * kCacheColours;

// A name no other writer uses: the cache file appears under its real name
// only once it is complete, so no process ever loads half a file.
std::string TemporarySibling(const std::string& path)
{
    static std::atomic<unsigned> serial{0};
    return path + ".part." + std::to_string(Poco::Process::id()) + "." +
           std::to_string(serial.fetch_add(1));
}

// Builds the table of every 8-bit colour converted by the engine. Returns
// the conversion's result; the table is complete only for 0.
int BuildCacheTable(CVarnelIF& engine, CVarnelCache& cache, uint64_t channels,
                    VarnelProgressProc progress, long long value)
{
    unsigned long size = 0;
    // The colour table is a block of the same kind as a cache table, which
    // is cheap to touch for the first time.
    CVarnelCache colours;
    try {
        if (!CVarnelLoader::GenerateCacheData(&size, nullptr))
            return -108;
        colours.Allocate(size);
    } catch (...) {
        return -108;
    }
    if (!CVarnelLoader::GenerateCacheData(&size, reinterpret_cast<char*>(colours.GetData())))
        return -108;
    cache.Allocate(channels * kCacheColours);
    uint32_t processed = 0;
    try {
        return engine.Convert8(colours.GetData(), cache.GetData(), kCacheColours, kCacheColours,
                               &processed, progress, value);
    } catch (int code) {
        return code;
    } catch (...) {
        return -108;
    }
}

// Writes the table under a temporary name and renames it into place.
bool SaveAtomically(const CVarnelCache& cache, const std::string& path)
{
    const std::string part = TemporarySibling(path);
    if (cache.Save(part) && std::rename(part.c_str(), path.c_str()) == 0)
        return true;
    std::remove(part.c_str());
    return false;
}

} // namespace

std::string CVarnelLoader::CacheFileName(const std::string& key)
{
    KChecksum checksum;
    checksum.Update(key);
    char name[32];
    std::snprintf(name, sizeof name, "%d.dat", int32_t(checksum.GetValue()));
    return name;
}

bool CVarnelLoader::CacheFileName(const char* name, const char* text, char* out, long size)
{
    if (!name || !out)
        return false;
    try {
        std::string key = name;
        if (text) {
            key += '+';
            key += text;
        }
        const std::string file = CacheFileName(key);
        if (long(file.size()) >= size)
            return false;
        std::memcpy(out, file.c_str(), file.size() + 1);
        return true;
    } catch (...) {
        return false;
    }
}

bool CVarnelLoader::GenerateCacheData(unsigned long* size, char* buffer)
{
    if (!size)
        return false;
    if (!buffer) {
        *size = kColourTableBytes;
        return true;
    }
    for (uint32_t k = 0; k < kCacheColours; ++k) {
        uint8_t r, g, b;
        CacheColourOfEntry(k, r, g, b);
        buffer[3 * size_t(k)] = char(r);
        buffer[3 * size_t(k) + 1] = char(g);
        buffer[3 * size_t(k) + 2] = char(b);
    }
    return true;
}

void CVarnelLoader::Unload(CVarnelIF*& engine, CVarnel*& configuration)
{
    if (engine) {
        delete engine->GetCacheContainer();
        engine->SetCacheContainer(nullptr);
        delete engine;
        engine = nullptr;
    }
    delete configuration;
    configuration = nullptr;
}

void CVarnelLoader::AttachCache(Target& target, const std::string& key)
{
    // A folder text too long for the instance: no cache path, no cache.
    if (!target.temporaryFolder)
        return;
    const std::string folder = target.temporaryFolder;
    const std::string path = folder + CacheFileName(key);
    const uint64_t channels = target.configuration->GetChannels();
    const uint64_t expected = channels * kCacheColours;

    std::unique_ptr<CVarnelCache> cache;
    const KFile file = FileNamed(path);
    // A file of another size (truncated, empty, or left by a configuration
    // with another channel count under the same key) would make look-ups
    // leave the table: it is built anew and replaced.
    if (!file.Exists() || file.GetSize() != expected) {
        cache.reset(new CVarnelCache());
        const int status = BuildCacheTable(*target.engine, *cache, channels, target.progress,
                                           target.progressValue);
        if (status != 0)
            throw status;
        try {
            // The default folder of an instance may not exist yet.
            if (!folder.empty())
                Poco::File(folder).createDirectories();
        } catch (...) {
        }
        // Without a complete file on disk the instance works without a
        // cache, as it would after any failed write.
        if (!SaveAtomically(*cache, path))
            return;
    } else {
        cache.reset(new CVarnelCache(path));
    }
    auto* container = new CVarnelCacheContainer();
    container->SetStride(uint32_t(channels));
    container->SetCache(cache.release());
    target.engine->SetCacheContainer(container);
}

long CVarnelLoader::Load(Target& target, const char* nameOrPath, const char* text,
                         VarnelProgressProc progress, long long value)
{
    if (!nameOrPath)
        return -1;
    long result = 0;
    try {
        Unload(target.engine, target.configuration);
        target.engine = new CVarnelIF();
        target.configuration = new CVarnel();
        target.engine->SetConfig(target.configuration);

        // A name that begins with the bytes FF FE is read as UTF-16 up to a
        // 16-bit zero, which the caller's 8-bit text need not contain: two
        // more zero bytes keep that search inside a copy of the name.
        std::string terminated(nameOrPath);
        terminated.append(2, '\0');
        const KPath path(terminated.c_str());
        const std::string baseName = path.GetBaseName().StdString();
        const std::string extension = path.GetExtension().StdString();
        if (!extension.empty()) {
            result = target.configuration->LoadFile(FileNamed(nameOrPath));
        } else {
            long size = 0;
            if (!VarnelGetPresetText(baseName.c_str(), &size, nullptr)) {
                result = -1;
            } else if (size != 0) {
                std::vector<char> buffer(size_t(size) + 1, '\0');
                if (!VarnelGetPresetText(baseName.c_str(), &size, buffer.data()))
                    result = -1;
                else
                    result = target.configuration->ParseText(buffer.data(), size);
            }
        }
        if (result == 0 && text)
            result = target.configuration->ParseText(text, long(std::strlen(text)));
        // The engine computes at most kMaxWorkChannels channels. A larger
        // count (CHANNELS=-1 reads as 4294967295) would make a host size its
        // buffers for channels nobody computes, or overrun a buffer it
        // capped: such a configuration does not load, and the instance
        // reports 0 channels and writes nothing.
        if (result == 0 && target.configuration->GetChannels() > kMaxWorkChannels)
            result = -1;
        if (result == 0) {
            target.progress = progress;
            target.progressValue = value;
            if (target.flags & 1) {
                std::string key = target.keyByBaseName ? baseName : std::string(nameOrPath);
                if (text) {
                    key += '+';
                    key += text;
                }
                AttachCache(target, key);
            }
        }
    } catch (int code) {
        result = code;
    } catch (...) {
        result = -1;
    }
    if (result != 0)
        Unload(target.engine, target.configuration);
    return result;
}
