#include "varnel/VarnelDll.h"

#include "base/KPlatform.h"
#include "config/Varnel.h"
#include "engine/VarnelIF.h"
#include "interface/VarnelConversion.h"
#include "interface/VarnelLoader.h"
#include "interface/VarnelPresets.h"
#include "interface/VarnelTemporaryFolder.h"
#include "varnel/varnel.h"

CVarnelDll::CVarnelDll()
    : m_engine(nullptr), m_configuration(nullptr), m_temporaryFolder(), m_flags(0),
      m_progress(nullptr), m_progressValue(0)
{
    Init();
}

CVarnelDll::CVarnelDll(const CVarnelDll& other)
    : m_engine(nullptr), m_configuration(nullptr), m_temporaryFolder(), m_flags(other.m_flags),
      m_progress(other.m_progress), m_progressValue(other.m_progressValue)
{
    CVarnelTemporaryFolder::Store(m_temporaryFolder, other.m_temporaryFolder);
}

CVarnelDll::~CVarnelDll() { Unload(); }

CVarnelDll& CVarnelDll::operator=(const CVarnelDll& other)
{
    if (this != &other) {
        // The copy starts empty: the engine and the configuration keep their
        // single owner.
        Unload();
        CVarnelTemporaryFolder::Store(m_temporaryFolder, other.m_temporaryFolder);
        m_flags = other.m_flags;
        m_progress = other.m_progress;
        m_progressValue = other.m_progressValue;
    }
    return *this;
}

void CVarnelDll::Init()
{
    try {
        // The user's own folder in the system's temporary folder: the system
        // folder itself is open to every user, who could plant files there.
        const std::string folder = KPlatform::UserTempPath();
        SetTemporaryFolder(const_cast<char*>(folder.c_str()));
    } catch (...) {
        // Without a system folder the instance has an empty one; a cache is
        // then written to the current directory.
    }
    SetFlags(0);
    m_progress = nullptr;
    m_progressValue = 0;
}

void CVarnelDll::Unload() { CVarnelLoader::Unload(m_engine, m_configuration); }

long CVarnelDll::SetPreferences(char* nameOrPath, char* text, char*, long, long,
                                VarnelProgressProc progress, long long value)
{
    char folder[CVarnelTemporaryFolder::kRoom];
    const bool haveFolder = GetTemporaryFolder(folder, sizeof folder);
    CVarnelLoader::Target target{m_engine, m_configuration, m_progress, m_progressValue,
                                 haveFolder ? folder : nullptr, m_flags, true};
    return CVarnelLoader::Load(target, nameOrPath, text, progress, value);
}

void CVarnelDll::SetFlags(long flags) { m_flags = int(flags); }

long CVarnelDll::RGB2Multichannel(unsigned char r, unsigned char g, unsigned char b,
                                  unsigned char* out)
{
    if (!out)
        return VARNEL_STATUS_FAILED;
    unsigned char pixel[3] = {r, g, b};
    return RGB8ToMultichannel(pixel, out, 1);
}

long CVarnelDll::RGB8ToMultichannel(void* in, void* out, unsigned int count)
{
    return CVarnelConversion::Rgb8(m_engine, in, out, count, m_progress, m_progressValue);
}

long CVarnelDll::RGB16ToMultichannel(unsigned short* in, unsigned short* out, unsigned int count)
{
    return CVarnelConversion::Rgb16(m_engine, in, out, count, m_progress, m_progressValue);
}

void CVarnelDll::SetTemporaryFolder(char* folder)
{
    CVarnelTemporaryFolder::Store(m_temporaryFolder, folder);
}

bool CVarnelDll::GetTemporaryFolder(char* buffer, long size)
{
    return CVarnelTemporaryFolder::Copy(m_temporaryFolder, buffer, size);
}

long CVarnelDll::GetChannels() { return m_configuration ? long(m_configuration->GetChannels()) : 0; }

bool CVarnelDll::EnumCfgs(VarnelEnumProc proc, void* user) { return VarnelEnumPresets(proc, user); }

bool CVarnelDll::GetCfgByName(char* name, long* size, char* buffer)
{
    return VarnelGetPresetText(name, size, buffer);
}

bool CVarnelDll::GetCacheFileName(char* name, char* text, char* out, long size)
{
    return CVarnelLoader::CacheFileName(name, text, out, size);
}

bool CVarnelDll::GenerateCacheData(unsigned long* size, char* buffer)
{
    try {
        return CVarnelLoader::GenerateCacheData(size, buffer);
    } catch (...) {
        return false;
    }
}
