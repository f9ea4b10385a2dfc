// Helpers shared by the fuzz targets: a private scratch folder and the
// pixels every target converts.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fuzz {

// An output buffer of exactly `count` values, as a host sizes it from the
// channel count the library reports. A count of 0 still gives a distinct
// pointer, of no bytes: any write through it lands in the sanitizer's red
// zone.
template <typename T>
std::unique_ptr<T[]> ExactBuffer(uint64_t count)
{
    return std::unique_ptr<T[]>(new T[count]);
}

// White, black, greys, primaries, secondaries and a few odd colours, with a
// repeated pixel so that the remembered-pixel path runs as well.
inline const std::vector<uint8_t>& Pixels8()
{
    static const std::vector<uint8_t> pixels = {
        255, 255, 255, 0,   0,   0,   128, 128, 128, 255, 0,   0,   0,   255, 0,
        0,   0,   255, 0,   255, 255, 255, 0,   255, 255, 255, 0,   1,   2,   3,
        254, 17,  99,  200, 100, 50,  200, 100, 50,  37,  211, 160, 255, 254, 255,
    };
    return pixels;
}

inline uint32_t PixelCount() { return uint32_t(Pixels8().size() / 3); }

inline std::vector<uint16_t> Pixels16()
{
    std::vector<uint16_t> wide;
    for (uint8_t v : Pixels8())
        wide.push_back(uint16_t(v * 257u));
    // Values that do not sit on the 8-bit grid.
    wide.insert(wide.end(), {1, 65534, 128, 129, 32767, 32768, 40000, 3, 65535});
    return wide;
}

// A folder of this process, removed at exit. Under /dev/shm where there is
// one: the targets write a file for nearly every input, and on a disk file
// system truncating and closing it starts a write-back each time (a tenth
// of the preferences target's time under /tmp on ext4).
inline const std::string& ScratchFolder()
{
    static const std::string folder = [] {
        struct stat info {};
        const bool memory = stat("/dev/shm", &info) == 0 && S_ISDIR(info.st_mode);
        std::string pattern = std::string(memory ? "/dev/shm" : "/tmp") + "/varnel-fuzz-XXXXXX";
        if (!mkdtemp(&pattern[0]))
            std::abort();
        std::string path = pattern + "/";
        static std::string removal = "rm -rf '" + path + "'";
        std::atexit([] {
            if (std::system(removal.c_str()) != 0) {
            }
        });
        return path;
    }();
    return folder;
}

inline void WriteFile(const std::string& path, const uint8_t* data, size_t size)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        std::abort();
    if (size && std::fwrite(data, 1, size, file) != size)
        std::abort();
    std::fclose(file);
}

} // namespace fuzz
