// What the colour of an input image means, and how it reaches sRGB, the
// separation's working space: through the image's embedded ICC profile or
// the one the user assigns, at the chosen rendering intent. Untagged grey
// and RGB images are taken as sRGB; untagged Lab is CIE Lab under D50;
// untagged CMYK has no meaning of its own and is refused.
#ifndef VARNEL_TOOL_INPUTCOLOUR_H
#define VARNEL_TOOL_INPUTCOLOUR_H

#include "ColourTransform.h"
#include "ImageReader.h"

#include <string>

namespace varnel_tool {

struct InputColourOptions {
    bool managed = true;          // false: --no-color-management
    std::string profilePath;      // --input-profile; empty: the embedded one
    RenderingIntent intent = RenderingIntent::Perceptual;
};

// "perceptual", "relative", "saturation" or "absolute"; UsageError otherwise.
RenderingIntent parseRenderingIntent(const std::string& name);

// Attaches the conversion to the reader where one is needed and returns
// what was done, for the summary ("converted from Adobe RGB (1998),
// perceptual"). Throws ToolError for an unusable profile, a profile that
// does not fit the image, or CMYK input with no profile.
std::string manageInputColour(ImageReader& reader, const InputColourOptions& options);

} // namespace varnel_tool

#endif
