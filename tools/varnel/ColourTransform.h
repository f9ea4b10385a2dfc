// The conversion of an image's rows from its profile to 16-bit sRGB, the
// separation's working space, through Little CMS 2.
#ifndef VARNEL_TOOL_COLOURTRANSFORM_H
#define VARNEL_TOOL_COLOURTRANSFORM_H

#include "ColourProfile.h"

#include <cstdint>

namespace varnel_tool {

enum class RenderingIntent { Perceptual, Relative, Saturation, Absolute };

class ColourTransform {
public:
    // Input: packed samples of the model at 8 or 16 bits (host order).
    // Relative colorimetric comes with black-point compensation. Throws
    // ToolError when the profile cannot be used for the conversion.
    ColourTransform(const ColourProfile& source, ColourModel input, int bits, RenderingIntent intent);
    ~ColourTransform();
    ColourTransform(const ColourTransform&) = delete;
    ColourTransform& operator=(const ColourTransform&) = delete;

    void convert(const void* samples, uint16_t* rgb, uint32_t pixels) const;

private:
    cmsHTRANSFORM m_transform = nullptr;
};

} // namespace varnel_tool

#endif
