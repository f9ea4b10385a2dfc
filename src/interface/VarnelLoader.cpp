#include "interface/VarnelLoader.h"

#include "base/KChecksum.h"
#include "base/KFile.h"
#include "base/KPath.h"
#include "base/KString.h"
#include "config/Varnel.h"
#include "engine/VarnelCache.h"
#include "engine/VarnelCacheFile.h"
#include "engine/VarnelIF.h"
#include "interface/VarnelPresets.h"
#include "varnel/varnel.h"

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

std::string CVarnelLoader::CacheKey(const std::string& name, const char* text)
{
    std::string key = name;
    if (text) {
        key += '+';
        key += text;
    }
    return key;
}

CVarnelCacheContainer* CVarnelLoader::PrepareCache(CVarnelIF& engine, const CVarnel& configuration,
                                                   const std::string& folder, const std::string& key,
                                                   VarnelProgressProc progress, long long value)
{
    const uint32_t channels = configuration.GetChannels();
    const CVarnelCacheFile file(folder + CacheFileName(key), configuration.GetSourceDigest(), channels);

    // A folder that is not safe, or cannot be written, means no cache; it is
    // known before the table is built, so no build is wasted.
    if (!CVarnelCacheFile::PrepareFolder(folder))
        return nullptr;
    std::unique_ptr<CVarnelCache> cache(new CVarnelCache());
    // A table is trusted only when its record names this configuration and
    // the very file in place; any other file under the name (truncated,
    // another configuration's, an older library's, another user's) is built
    // anew and replaced.
    std::shared_ptr<const CVarnelMappedTable> mapped = file.Open();
    if (!mapped) {
        // The engine's slices go straight into the new file, written by the
        // threads that computed them.
        int status = 0;
        const bool saved = file.Save([&](const CVarnelCacheFile::Writer& write) {
            std::atomic<bool> written{true};
            try {
                status = engine.ConvertAllColours8(
                    [&](uint32_t first, const uint8_t* entries, uint32_t count) {
                        if (written && !write(uint64_t(first) * channels, entries, uint64_t(count) * channels))
                            written = false;
                    },
                    progress, value);
            } catch (int code) {
                status = code;
            } catch (...) {
                status = VARNEL_STATUS_NO_MEMORY;
            }
            return status == 0 && written;
        });
        if (status != 0)
            throw status;
        // Without a complete file on disk, or should the file have been
        // replaced by one that does not match before it was mapped, the
        // engine works without a cache (with the same results), as it would
        // after any failed write.
        if (!saved)
            return nullptr;
        // Served from the file, so that every user of the process that loads
        // it shares one copy.
        mapped = file.Open();
        if (!mapped)
            return nullptr;
    }
    cache->Attach(std::move(mapped));
    auto* container = new CVarnelCacheContainer();
    container->SetStride(channels);
    container->SetCache(cache.release());
    return container;
}

long CVarnelLoader::Load(Target& target, const char* nameOrPath, const char* text,
                         VarnelProgressProc progress, long long value)
{
    if (!nameOrPath)
        return VARNEL_STATUS_FAILED;
    long result = 0;
    try {
        Unload(target.engine, target.configuration);
        target.engine = new CVarnelIF();
        target.engine->AllowWorkerThreads(!(target.flags & VARNEL_FLAG_NO_THREADS));
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
        // The engine computes at most kMaxChannels channels. A larger
        // count (CHANNELS=-1 reads as 4294967295) would make a host size its
        // buffers for channels nobody computes, or overrun a buffer it
        // capped: such a configuration does not load, and the instance
        // reports 0 channels and writes nothing.
        if (result == 0 && target.configuration->GetChannels() > kMaxChannels)
            result = -1;
        if (result == 0) {
            target.progress = progress;
            target.progressValue = value;
            // A folder text too long for the instance: no cache path, no
            // cache.
            if ((target.flags & VARNEL_FLAG_CACHE) && target.temporaryFolder) {
                const std::string key =
                    CacheKey(target.keyByBaseName ? baseName : std::string(nameOrPath), text);
                target.engine->SetCacheContainer(PrepareCache(*target.engine, *target.configuration,
                                                              target.temporaryFolder, key,
                                                              target.progress, target.progressValue));
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
