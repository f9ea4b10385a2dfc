// libvarnel: the C++ face of an instance.
//
// A host constructs a CVarnelDll, optionally sets the temporary folder and
// the flags, loads a configuration with SetPreferences and converts colours.
// No method lets an exception reach the host.
//
// Threading: one instance serves one thread at a time (no two of its
// methods may run at once, GetChannels included); separate instances are
// independent and may load and convert on separate threads at once. The
// static GetCacheFileName may be called from any thread.
//
// Conversions: with nothing loaded, RGB2Multichannel and RGB8ToMultichannel
// return 0 and write nothing; RGB16ToMultichannel likewise. Input and output
// may overlap, in place included (the input is then copied first).
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
    // error, more than 16 channels) or -108 (out of memory); on failure the
    // instance is empty. With the cache flag, the cache is keyed by the
    // base name of nameOrPath and the extra text, and checked against the
    // configuration's content before it is used.
    virtual long SetPreferences(char* nameOrPath, char* text, char* reserved1,
                                long reserved2, long reserved3,
                                VarnelProgressProc progress, long long value);
    // The flags of varnel.h for the next SetPreferences: VARNEL_FLAG_CACHE
    // (bit 0) builds or loads a cache, VARNEL_FLAG_NO_THREADS (bit 1) keeps
    // the cache build on the calling thread.
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
    // The folder for cache files. It must end with '/': the cache file's
    // name is appended to it as it stands, so without the separator the
    // file lands beside the folder. Shorter than 260 characters; a longer
    // or null text is ignored and the folder set before stays. By default
    // the user's own folder in the system's temporary folder,
    // "<tmp>/varnel-<uid>/". A folder that others could write to, or a
    // link, gets no cache (the load still succeeds).
    virtual void SetTemporaryFolder(char* folder);
    // False, buffer untouched, when the folder text does not fit in size.
    virtual bool GetTemporaryFolder(char* buffer, long size);
    virtual long GetChannels();
    // Calls proc with each of the 57 preset names and user; false for a
    // null proc.
    virtual bool EnumCfgs(VarnelEnumProc proc, void* user);
    // A preset's text. With a null buffer: *size receives the text's length
    // without the terminating zero. With a buffer: when *size is below the
    // length, nothing is copied and the result is still true; otherwise
    // *size bytes are copied (length + 1 at most), so pass length + 1 to get the
    // terminating zero too. False (nothing changed) for an unknown name or a
    // null name or size.
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
