#include "ColourTransform.h"

#include "ToolError.h"

namespace varnel_tool {

namespace {

cmsUInt32Number formatOf(ColourModel model, int bits) {
    const bool wide = bits == 16;
    switch (model) {
        case ColourModel::Grey: return wide ? TYPE_GRAY_16 : TYPE_GRAY_8;
        case ColourModel::Rgb: return wide ? TYPE_RGB_16 : TYPE_RGB_8;
        case ColourModel::Cmyk: return wide ? TYPE_CMYK_16 : TYPE_CMYK_8;
        case ColourModel::Lab: return wide ? TYPE_Lab_16 : TYPE_Lab_8;
    }
    return 0;
}

cmsUInt32Number intentOf(RenderingIntent intent) {
    switch (intent) {
        case RenderingIntent::Perceptual: return INTENT_PERCEPTUAL;
        case RenderingIntent::Relative: return INTENT_RELATIVE_COLORIMETRIC;
        case RenderingIntent::Saturation: return INTENT_SATURATION;
        case RenderingIntent::Absolute: return INTENT_ABSOLUTE_COLORIMETRIC;
    }
    return INTENT_PERCEPTUAL;
}

} // namespace

ColourTransform::ColourTransform(const ColourProfile& source, ColourModel input, int bits, RenderingIntent intent) {
    const ColourProfile srgb = ColourProfile::srgb();
    const cmsUInt32Number flags = intent == RenderingIntent::Relative ? cmsFLAGS_BLACKPOINTCOMPENSATION : 0;
    // The output is 16 bits whatever the input: 8-bit input loses nothing
    // on its way to the separation, which takes 16-bit RGB as it is.
    m_transform = cmsCreateTransform(source.handle(), formatOf(input, bits), srgb.handle(), TYPE_RGB_16,
                                     intentOf(intent), flags);
    if (m_transform == nullptr) throw ToolError(source.origin() + " cannot convert to sRGB");
}

ColourTransform::~ColourTransform() {
    cmsDeleteTransform(m_transform);
}

void ColourTransform::convert(const void* samples, uint16_t* rgb, uint32_t pixels) const {
    cmsDoTransform(m_transform, samples, rgb, pixels);
}

} // namespace varnel_tool
