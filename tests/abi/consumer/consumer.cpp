// Uses every face of the installed library: the C functions, the C++ class
// and the separation interface through its C++ wrapper. Exit status 0 when a
// preset loads through each and white separates to no ink.
#include <varnel/VarnelDll.h>
#include <varnel/separation.hpp>
#include <varnel/varnel.h>

#include <cstdio>

int main()
{
    char preset[] = "HUE_PARAM_CMYK";
    VarnelHandle handle = kal_InitVarnel();
    kal_SetPreferences(handle, preset, nullptr);
    unsigned short white16[3] = {65535, 65535, 65535}, out16[4] = {0, 0, 0, 0};
    const bool c = kal_GetChannels(handle) == 4 && kal_RGB2Multichannel(handle, white16, out16, 1) == 0 &&
                   out16[0] == 65535 && out16[3] == 65535;
    kal_EndVarnel(handle);

    CVarnelDll instance;
    unsigned char out8[4] = {0, 0, 0, 0};
    const bool cpp = instance.SetPreferences(preset, nullptr, nullptr, 0, 0, nullptr, 0) == 0 &&
                     instance.GetChannels() == 4 && instance.RGB2Multichannel(255, 255, 255, out8) == 0 &&
                     out8[0] == 255 && out8[3] == 255;

    bool separation = false;
    try {
        const varnel::Separation loaded("HUE_PARAM_CMYKOG");
        const unsigned char white[3] = {255, 255, 255};
        unsigned char out[6] = {0, 0, 0, 0, 0, 0};
        loaded.convert(white, out, 1);
        separation = loaded.channels() == 6 && loaded.inkName(4) == "Orange" && out[4] == 255;
    } catch (const varnel::Error& error) {
        std::fprintf(stderr, "consumer: %s\n", error.what());
    }
    std::printf("consumer: C %s, C++ %s, separation %s\n", c ? "works" : "FAILS", cpp ? "works" : "FAILS",
                separation ? "works" : "FAILS");
    return c && cpp && separation ? 0 : 1;
}
