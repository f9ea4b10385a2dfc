// libvarnel: the C++ face of an instance.
//
// A host constructs a CVarnelDll, optionally sets the temporary folder and
// the flags, loads a configuration with SetPreferences and converts colours.
// No method lets an exception reach the host. One instance serves one thread
// at a time; separate instances are independent.
#ifndef VARNEL_VARNELDLL_H
#define VARNEL_VARNELDLL_H

#include "varnel.h"

class CVarnelIF;
class CVarnel;

class VARNEL_API CVarnelDll final {
public:
    CVarnelDll();
    // A copy takes the temporary folder, the flags and the progress
    // callback, but starts without a loaded configuration: an engine and a
    // configuration always have exactly one owner.
    CVarnelDll(const CVarnelDll& other);
    ~CVarnelDll();
    CVarnelDll& operator=(const CVarnelDll& other);

    // Loads a preset (a name without extension) or a .cfg/.xml file, then
    // the optional extra text over it. The reserved arguments are ignored.
    // Returns 0, -1 (bad argument, unknown preset, unreadable file, parse
    // error) or -108 (out of memory); on failure the instance is empty.
    virtual long SetPreferences(char* nameOrPath, char* text, char* reserved1,
                                long reserved2, long reserved3,
                                VarnelProgressProc progress, long long value);
    virtual void SetFlags(long flags);
    // Separates one 8-bit colour into GetChannels() bytes at out.
    // Returns 0, -1 for a null out, or the result of RGB8ToMultichannel.
    virtual long RGB2Multichannel(unsigned char r, unsigned char g, unsigned char b,
                                  unsigned char* out);
    // count pixels of 3 bytes in, GetChannels() bytes per pixel out.
    // -1 for a null buffer or a zero count; 0 without writing when nothing
    // is loaded; -108 when memory cannot be obtained.
    virtual long RGB8ToMultichannel(void* in, void* out, unsigned int count);
    virtual long RGB16ToMultichannel(unsigned short* in, unsigned short* out,
                                     unsigned int count);
    // The folder must end with a path separator and be shorter than 260
    // characters; a longer or null text is ignored.
    virtual void SetTemporaryFolder(char* folder);
    // False, buffer untouched, when the folder text does not fit in size.
    virtual bool GetTemporaryFolder(char* buffer, long size);
    virtual long GetChannels();
    virtual bool EnumCfgs(VarnelEnumProc proc, void* user);
    virtual bool GetCfgByName(char* name, long* size, char* buffer);

    // The cache file name (without folder) for a configuration name and an
    // optional extra text. False, out untouched, when it does not fit size.
    static bool GetCacheFileName(char* name, char* text, char* out, long size);

protected:
    void Init();

private:
    bool GenerateCacheData(unsigned long* size, char* buffer);
    void Unload();

    CVarnelIF* m_engine;
    CVarnel* m_configuration;
    char m_temporaryFolder[260];
    int m_flags;
    VarnelProgressProc m_progress;
    long long m_progressValue;
};

#endif // VARNEL_VARNELDLL_H
