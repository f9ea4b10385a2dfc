// The instance behind a handle of the C interface. Not exported: hosts reach
// it only through the kal_ functions.
#pragma once

#include "varnel/varnel.h"

class CVarnelIF;
class CVarnel;

class CVarnelManager {
public:
    CVarnelManager();
    CVarnelManager(const CVarnelManager&) = delete;
    CVarnelManager& operator=(const CVarnelManager&) = delete;
    virtual ~CVarnelManager();
    // Loads a preset or a file and the extra text; 0 or a failure code (see
    // CVarnelDll::SetPreferences). The cache key is the argument as passed.
    virtual long SetPreferences(char* nameOrPath, char* text, VarnelProgressProc progress,
                                long long value);
    // Copies the two text fields; callers pass buffers of at least 100 and
    // 1024 characters.
    virtual long GetTexts(char* first, char* second);
    virtual long RGB2Multichannel(unsigned char r, unsigned char g, unsigned char b,
                                  unsigned char* out);
    virtual long RGB8ToMultichannel(void* in, void* out, unsigned int count);
    virtual long RGB16ToMultichannel(unsigned short* in, unsigned short* out, unsigned int count);
    virtual void SetFlags(long flags);
    virtual long GetFlags();
    virtual void SetTemporaryFolder(char* folder);
    virtual bool GetTemporaryFolder(char* buffer, long size);
    virtual long GetChannels();
    virtual bool GetCacheFileName(char* name, char* text, char* out, long size);
    virtual bool EnumCfgs(VarnelEnumProc proc);
    virtual bool GetCfgByName(char* name, long* size, char* buffer);
    virtual void SetEngine(CVarnelIF* engine);
    virtual CVarnelIF* GetEngine();
    virtual void SetConfiguration(CVarnel* configuration);
    virtual CVarnel* GetConfiguration();
    virtual void SetProgressCallback(VarnelProgressProc progress);
    virtual VarnelProgressProc GetProgressCallback();
    virtual void SetProgressValue(long long value);
    virtual long long GetProgressValue();

private:
    CVarnelIF* m_engine = nullptr;
    CVarnel* m_configuration = nullptr;
    char m_firstText[100] = {};
    char m_secondText[1024] = {};
    char m_temporaryFolder[260] = {};
    int m_flags = 0;
    VarnelProgressProc m_progress = nullptr;
    long long m_progressValue = 0;
};
