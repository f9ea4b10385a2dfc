// An ICC profile, read through Little CMS 2, or one of the two built-in
// ones the tool needs: sRGB (the separation's working space) and CIE Lab.
#ifndef VARNEL_TOOL_COLOURPROFILE_H
#define VARNEL_TOOL_COLOURPROFILE_H

#include "ImageReader.h"

#include <lcms2.h>

#include <string>
#include <vector>

namespace varnel_tool {

class ColourProfile {
public:
    // origin names the profile in messages ("the ICC profile embedded in
    // 'x.jpg'"). Throws ToolError when the bytes are no usable profile.
    static ColourProfile fromMemory(const std::vector<uint8_t>& bytes, const std::string& origin);
    static ColourProfile fromFile(const std::string& path);
    static ColourProfile srgb();
    // CIE Lab under D50, the ICC connection space's white.
    static ColourProfile lab();

    ~ColourProfile();
    ColourProfile(ColourProfile&& other) noexcept;
    ColourProfile& operator=(ColourProfile&&) = delete;
    ColourProfile(const ColourProfile&) = delete;

    cmsHPROFILE handle() const { return m_profile; }
    const std::string& origin() const { return m_origin; }
    // The profile's own description, for instance "Adobe RGB (1998)".
    std::string description() const;
    // The colour model of the profile's device side. Throws ToolError for
    // a space the tool does not read (say, a six-colour profile).
    ColourModel model() const;

private:
    ColourProfile(cmsHPROFILE profile, std::string origin);

    cmsHPROFILE m_profile;
    std::string m_origin;
};

} // namespace varnel_tool

#endif
