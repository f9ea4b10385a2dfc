// Uses every face of the installed library: the C functions, the C++
// class and the separation interface through its C++ wrapper. Exit status 0 when a preset loads and white separates to no ink.
#include <varnel/VarnelDll.h>
#include <varnel/separation.hpp>
#include <varnel/varnel.h>

#include <cstdio>

int main()
{
    char preset[] = "HUE_PARAM_CMYK";
    int failures = 0;

    VarnelHandle handle = kal_InitVarnel();
    kal_SetPreferences(handle, preset, nullptr);
    unsigned short white16[3] = {65535, 65535, 65535};
    unsigned short out16[4] = {0, 0, 0, 0};
    if (kal_GetChannels(handle) != 4 || kal_RGB2Multichannel(handle, white16, out16, 1) != 0 ||
        out16[0] != 65535 || out16[3] != 65535) {
        std::fprintf(stderr, "consumer: the C interface failed\n");
        ++failures;
    }
    kal_EndVarnel(handle);

    CVarnelDll instance;
    unsigned char out8[4] = {0, 0, 0, 0};
    if (instance.SetPreferences(preset, nullptr, nullptr, 0, 0, nullptr, 0) != 0 ||
        instance.GetChannels() != 4 || instance.RGB2Multichannel(255, 255, 255, out8) != 0 ||
        out8[0] != 255 || out8[3] != 255) {
        std::fprintf(stderr, "consumer: the C++ interface failed\n");
        ++failures;
    }

    try {
        const varnel::Separation separation("HUE_PARAM_CMYKOG");
        const unsigned char white[3] = {255, 255, 255};
        unsigned char out[6] = {0, 0, 0, 0, 0, 0};
        separation.convert(white, out, 1);
        if (separation.channels() != 6 || separation.inkName(4) != "Orange" || out[4] != 255) {
            std::fprintf(stderr, "consumer: the separation interface failed\n");
            ++failures;
        }
        varnel::Separation("HUE_PARAM_NONE");
        std::fprintf(stderr, "consumer: an unknown preset loaded\n");
        ++failures;
    } catch (const varnel::Error& error) {
        if (error.status() != VARNEL_ERROR_NOT_FOUND) {
            std::fprintf(stderr, "consumer: %s\n", error.what());
            ++failures;
        }
    }

    if (failures == 0)
        std::printf("consumer: installed library works\n");
    return failures == 0 ? 0 : 1;
}
