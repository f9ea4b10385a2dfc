#include "InputColour.h"

#include "ToolError.h"

namespace varnel_tool {

namespace {

const char* nameOf(ColourModel model) {
    switch (model) {
        case ColourModel::Grey: return "grey";
        case ColourModel::Rgb: return "RGB";
        case ColourModel::Cmyk: return "CMYK";
        case ColourModel::Lab: return "Lab";
    }
    return "";
}

const char* nameOf(RenderingIntent intent) {
    switch (intent) {
        case RenderingIntent::Perceptual: return "perceptual";
        case RenderingIntent::Relative: return "relative colorimetric with black-point compensation";
        case RenderingIntent::Saturation: return "saturation";
        case RenderingIntent::Absolute: return "absolute colorimetric";
    }
    return "";
}

} // namespace

RenderingIntent parseRenderingIntent(const std::string& name) {
    if (name == "perceptual") return RenderingIntent::Perceptual;
    if (name == "relative") return RenderingIntent::Relative;
    if (name == "saturation") return RenderingIntent::Saturation;
    if (name == "absolute") return RenderingIntent::Absolute;
    throw UsageError("--intent must be perceptual, relative, saturation or absolute");
}

std::string manageInputColour(ImageReader& reader, const InputColourOptions& options) {
    const ColourModel image = reader.colourModel();
    const std::string name = "'" + reader.path() + "'";
    if (!options.managed) {
        if (image == ColourModel::Cmyk || image == ColourModel::Lab) {
            throw ToolError(name + " is " + nameOf(image) + ": it needs colour management to become RGB");
        }
        return "colour management off: values taken as sRGB";
    }
    std::unique_ptr<ColourProfile> profile;
    if (!options.profilePath.empty()) {
        profile = std::make_unique<ColourProfile>(ColourProfile::fromFile(options.profilePath));
    } else if (image == ColourModel::Lab) {
        // Lab is device-independent: a profile embedded with it changes nothing.
        profile = std::make_unique<ColourProfile>(ColourProfile::lab());
    } else if (!reader.embeddedProfile().empty()) {
        profile = std::make_unique<ColourProfile>(
            ColourProfile::fromMemory(reader.embeddedProfile(), "the ICC profile embedded in " + name));
    } else if (image == ColourModel::Cmyk) {
        throw ToolError(name + " is CMYK without an ICC profile: give the profile of its press with --input-profile");
    } else {
        return "untagged " + std::string(nameOf(image)) + ", taken as sRGB";
    }
    // A grey image goes through an RGB profile as R = G = B.
    const ColourModel space = profile->model();
    if (space != image && !(image == ColourModel::Grey && space == ColourModel::Rgb)) {
        throw ToolError(profile->origin() + " is a " + nameOf(space) + " profile, but " + name + " is " +
                        nameOf(image));
    }
    reader.setColourTransform(
        std::make_unique<ColourTransform>(*profile, space, reader.sourceBits(), options.intent), space);
    return "converted from " + profile->description() + ", " + nameOf(options.intent);
}

} // namespace varnel_tool
