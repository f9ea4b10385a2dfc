// The checks and the exception guard that every conversion method of the
// instance classes applies before it hands a buffer to the engine.
#pragma once

#include "varnel/varnel.h"

class CVarnelIF;

class CVarnelConversion {
public:
    // -1 for a null buffer or a zero count; 0 (nothing written) without
    // engine; otherwise the engine's result. An integer exception yields its
    // value, any other exception -108. Input and output may overlap (in
    // place included): the input is then copied first, and -108 (nothing
    // written) when memory for the copy cannot be had.
    static long Rgb8(CVarnelIF* engine, const void* in, void* out, unsigned int count,
                     VarnelProgressProc progress, long long value);
    static long Rgb16(CVarnelIF* engine, const unsigned short* in, unsigned short* out,
                      unsigned int count, VarnelProgressProc progress, long long value);
};
