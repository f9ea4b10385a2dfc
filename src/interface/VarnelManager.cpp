#include "interface/VarnelManager.h"

#include "base/KPath.h"
#include "base/KPlatform.h"
#include "config/Varnel.h"
#include "engine/VarnelIF.h"
#include "interface/VarnelConversion.h"
#include "interface/VarnelLoader.h"
#include "interface/VarnelPresets.h"
#include "interface/VarnelTemporaryFolder.h"
#include "varnel/varnel.h"

#include <cstring>

CVarnelManager::CVarnelManager()
{
    SetConfiguration(nullptr);
    SetEngine(nullptr);
    // The user's temporary home; when its text does not fit the field, the
    // user's own folder in the system temporary folder serves instead.
    std::string folder;
    try {
        folder = KPath::TempHome().GetStdString();
    } catch (...) {
    }
    if (folder.empty() || !CVarnelTemporaryFolder::Store(m_temporaryFolder, folder.c_str()))
        CVarnelTemporaryFolder::Store(m_temporaryFolder, KPlatform::UserTempPath().c_str());
    SetFlags(0);
    m_progress = nullptr;
    m_progressValue = 0;
}

CVarnelManager::~CVarnelManager() { CVarnelLoader::Unload(m_engine, m_configuration); }

long CVarnelManager::SetPreferences(char* nameOrPath, char* text, VarnelProgressProc progress,
                                    long long value)
{
    char folder[CVarnelTemporaryFolder::kRoom];
    const bool haveFolder = GetTemporaryFolder(folder, sizeof folder);
    CVarnelLoader::Target target{m_engine, m_configuration, m_progress, m_progressValue,
                                 haveFolder ? folder : nullptr, m_flags, false};
    return CVarnelLoader::Load(target, nameOrPath, text, progress, value);
}

long CVarnelManager::GetTexts(char* first, char* second)
{
    if (first)
        std::strcpy(first, m_firstText);
    if (second)
        std::strcpy(second, m_secondText);
    return 0;
}

long CVarnelManager::RGB2Multichannel(unsigned char r, unsigned char g, unsigned char b,
                                      unsigned char* out)
{
    if (!out)
        return VARNEL_STATUS_FAILED;
    unsigned char pixel[3] = {r, g, b};
    return RGB8ToMultichannel(pixel, out, 1);
}

long CVarnelManager::RGB8ToMultichannel(void* in, void* out, unsigned int count)
{
    return CVarnelConversion::Rgb8(m_engine, in, out, count, m_progress, m_progressValue);
}

long CVarnelManager::RGB16ToMultichannel(unsigned short* in, unsigned short* out, unsigned int count)
{
    return CVarnelConversion::Rgb16(m_engine, in, out, count, m_progress, m_progressValue);
}

void CVarnelManager::SetFlags(long flags) { m_flags = int(flags); }

long CVarnelManager::GetFlags() { return m_flags; }

void CVarnelManager::SetTemporaryFolder(char* folder)
{
    CVarnelTemporaryFolder::Store(m_temporaryFolder, folder);
}

bool CVarnelManager::GetTemporaryFolder(char* buffer, long size)
{
    return CVarnelTemporaryFolder::Copy(m_temporaryFolder, buffer, size);
}

long CVarnelManager::GetChannels() { return m_configuration ? long(m_configuration->GetChannels()) : 0; }

bool CVarnelManager::GetCacheFileName(char* name, char* text, char* out, long size)
{
    return CVarnelLoader::CacheFileName(name, text, out, size);
}

bool CVarnelManager::EnumCfgs(VarnelEnumProc proc) { return VarnelEnumPresets(proc, nullptr); }

bool CVarnelManager::GetCfgByName(char* name, long* size, char* buffer)
{
    return VarnelGetPresetText(name, size, buffer);
}

void CVarnelManager::SetEngine(CVarnelIF* engine) { m_engine = engine; }
CVarnelIF* CVarnelManager::GetEngine() { return m_engine; }
void CVarnelManager::SetConfiguration(CVarnel* configuration) { m_configuration = configuration; }
CVarnel* CVarnelManager::GetConfiguration() { return m_configuration; }
void CVarnelManager::SetProgressCallback(VarnelProgressProc progress) { m_progress = progress; }
VarnelProgressProc CVarnelManager::GetProgressCallback() { return m_progress; }
void CVarnelManager::SetProgressValue(long long value) { m_progressValue = value; }
long long CVarnelManager::GetProgressValue() { return m_progressValue; }
