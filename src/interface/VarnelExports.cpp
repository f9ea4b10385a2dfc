// The exported C functions. Each accepts a null handle; none lets an
// exception reach the host.
#include "varnel/varnel.h"

#include "engine/VarnelIF.h"
#include "interface/VarnelConversion.h"
#include "interface/VarnelManager.h"

#include <new>

namespace {
CVarnelManager* Instance(VarnelHandle handle) { return reinterpret_cast<CVarnelManager*>(handle); }
}

extern "C" {

VARNEL_API VarnelHandle kal_InitVarnel(void)
{
    try {
        return reinterpret_cast<VarnelHandle>(new CVarnelManager());
    } catch (...) {
        return nullptr;
    }
}

VARNEL_API void kal_EndVarnel(VarnelHandle handle)
{
    try {
        delete Instance(handle);
    } catch (...) {
    }
}

VARNEL_API long kal_SetPreferences(VarnelHandle handle, char* nameOrPath, char* text)
{
    // The outcome is not reported here: a host sees a failed load as a
    // channel count of 0.
    if (handle)
        Instance(handle)->SetPreferences(nameOrPath, text, nullptr, 0);
    return 0;
}

VARNEL_API long kal_SetFlags(VarnelHandle handle, long flags)
{
    if (handle)
        Instance(handle)->SetFlags(flags);
    return 0;
}

VARNEL_API long kal_GetChannels(VarnelHandle handle)
{
    return handle ? Instance(handle)->GetChannels() : 0;
}

VARNEL_API long kal_RGB2Multichannel(VarnelHandle handle, unsigned short* in, unsigned short* out,
                                     unsigned int count)
{
    if (!handle || !in || !out || count == 0)
        return VARNEL_STATUS_FAILED;
    CVarnelIF* engine = Instance(handle)->GetEngine();
    if (!engine)
        return VARNEL_STATUS_FAILED;
    // The conversion's guard keeps every exception from crossing into a C
    // host, and takes care of an output that overlaps the input.
    return CVarnelConversion::Rgb16(engine, in, out, count, nullptr, 0);
}

} // extern "C"
