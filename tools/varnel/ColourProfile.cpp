#include "ColourProfile.h"

#include "ToolError.h"

#include <cerrno>
#include <fstream>

namespace varnel_tool {

ColourProfile::ColourProfile(cmsHPROFILE profile, std::string origin)
    : m_profile(profile), m_origin(std::move(origin)) {}

ColourProfile::ColourProfile(ColourProfile&& other) noexcept
    : m_profile(other.m_profile), m_origin(std::move(other.m_origin)) {
    other.m_profile = nullptr;
}

ColourProfile::~ColourProfile() {
    if (m_profile != nullptr) cmsCloseProfile(m_profile);
}

ColourProfile ColourProfile::fromMemory(const std::vector<uint8_t>& bytes, const std::string& origin) {
    cmsHPROFILE profile = bytes.empty() ? nullptr
                                        : cmsOpenProfileFromMem(bytes.data(), static_cast<cmsUInt32Number>(bytes.size()));
    if (profile == nullptr) throw ToolError(origin + " cannot be read as an ICC profile");
    ColourProfile result(profile, origin);
    result.model();  // refuses a device space the tool cannot convert
    return result;
}

ColourProfile ColourProfile::fromFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) throw ToolError("cannot open ICC profile '" + path + "': " + systemErrorText(errno));
    // ICC profiles are small; a few megabytes at most even with large
    // look-up tables. The limit keeps a wrong file from being read whole.
    constexpr std::streamsize kMaxProfileBytes = 64 << 20;
    file.seekg(0, std::ios::end);
    const std::streamoff size = file.tellg();
    if (size > kMaxProfileBytes) throw ToolError("'" + path + "' is too large for an ICC profile");
    std::vector<uint8_t> bytes(size > 0 ? static_cast<size_t>(size) : 0);
    file.seekg(0);
    if (!file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()))) {
        throw ToolError("cannot read ICC profile '" + path + "'");
    }
    return fromMemory(bytes, "'" + path + "'");
}

ColourProfile ColourProfile::srgb() {
    return ColourProfile(cmsCreate_sRGBProfile(), "sRGB");
}

ColourProfile ColourProfile::lab() {
    ColourProfile lab(cmsCreateLab4Profile(nullptr), "CIE Lab (D50)");
    // Its own description ("Lab identity built-in") would puzzle an operator.
    cmsMLU* description = cmsMLUalloc(nullptr, 1);
    if (description != nullptr) {
        cmsMLUsetASCII(description, "en", "US", lab.m_origin.c_str());
        cmsWriteTag(lab.m_profile, cmsSigProfileDescriptionTag, description);
        cmsMLUfree(description);
    }
    return lab;
}

std::string ColourProfile::description() const {
    char text[256] = {0};
    if (cmsGetProfileInfoASCII(m_profile, cmsInfoDescription, "en", "US", text, sizeof text) == 0 || text[0] == 0) {
        return m_origin;
    }
    return text;
}

ColourModel ColourProfile::model() const {
    switch (cmsGetColorSpace(m_profile)) {
        case cmsSigGrayData: return ColourModel::Grey;
        case cmsSigRgbData: return ColourModel::Rgb;
        case cmsSigCmykData: return ColourModel::Cmyk;
        case cmsSigLabData: return ColourModel::Lab;
        default: throw ToolError(m_origin + " is not a grey, RGB, CMYK or Lab profile");
    }
}

} // namespace varnel_tool
