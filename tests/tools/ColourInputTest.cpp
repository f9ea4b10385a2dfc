// varnel separate on colour-managed input: each separated pixel must be the
// library's separation of what an explicit Little CMS transform to sRGB
// makes of the file's pixels; the summary says what was done.
#include "support/ToolTestSupport.h"

#include <gtest/gtest.h>
#include <lcms2.h>
#include <tiffio.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

using namespace tooltest;

namespace {

struct ProfileCloser {
    void operator()(void* profile) const { cmsCloseProfile(profile); }
};
using Profile = std::unique_ptr<void, ProfileCloser>;

void describe(cmsHPROFILE profile, const char* text) {
    cmsMLU* description = cmsMLUalloc(nullptr, 1);
    cmsMLUsetASCII(description, "en", "US", text);
    cmsWriteTag(profile, cmsSigProfileDescriptionTag, description);
    cmsMLUfree(description);
}

// A wide-gamut RGB profile (Adobe RGB's primaries) with a tabulated curve
// of curvePoints entries: many points make a profile that a JPEG must
// split over several APP2 markers.
Profile wideRgbProfile(uint32_t curvePoints = 0) {
    const cmsCIExyY white = {0.3127, 0.3290, 1.0};
    const cmsCIExyYTRIPLE primaries = {{0.64, 0.33, 1.0}, {0.21, 0.71, 1.0}, {0.15, 0.06, 1.0}};
    cmsToneCurve* curve = cmsBuildGamma(nullptr, 2.2);
    if (curvePoints > 0) {
        std::vector<cmsUInt16Number> table(curvePoints);
        for (uint32_t i = 0; i < curvePoints; ++i) table[i] = static_cast<cmsUInt16Number>(cmsEvalToneCurveFloat(curve, i / float(curvePoints - 1)) * 65535.0f + 0.5f);
        cmsFreeToneCurve(curve);
        curve = cmsBuildTabulatedToneCurve16(nullptr, curvePoints, table.data());
    }
    cmsToneCurve* curves[3] = {curve, curve, curve};
    Profile profile(cmsCreateRGBProfile(&white, &primaries, curves));
    cmsFreeToneCurve(curve);
    describe(profile.get(), "Wide RGB test");
    return profile;
}

// A CMYK profile whose A2B0 table is a plain subtractive model, sampled
// through sRGB into Lab.
Profile cmykProfile() {
    Profile profile(cmsCreateProfilePlaceholder(nullptr));
    cmsSetProfileVersion(profile.get(), 2.1);  // a lone CLUT is saved as a version 2 table
    cmsSetDeviceClass(profile.get(), cmsSigOutputClass);
    cmsSetColorSpace(profile.get(), cmsSigCmykData);
    cmsSetPCS(profile.get(), cmsSigLabData);
    cmsHPROFILE srgb = cmsCreate_sRGBProfile();
    cmsHPROFILE lab = cmsCreateLab4Profile(nullptr);
    cmsHTRANSFORM toLab = cmsCreateTransform(srgb, TYPE_RGB_16, lab, TYPE_LabV2_16, INTENT_RELATIVE_COLORIMETRIC, 0);
    cmsPipeline* pipeline = cmsPipelineAlloc(nullptr, 4, 3);
    cmsStage* table = cmsStageAllocCLut16bit(nullptr, 9, 4, 3, nullptr);
    cmsStageSampleCLut16bit(
        table,
        [](const cmsUInt16Number in[], cmsUInt16Number out[], void* transform) -> cmsInt32Number {
            cmsUInt16Number rgb[3];
            for (int c = 0; c < 3; ++c) rgb[c] = static_cast<cmsUInt16Number>((65535u - in[c]) * (65535u - in[3]) / 65535u);
            cmsDoTransform(transform, rgb, out, 1);
            return 1;
        },
        toLab, 0);
    cmsPipelineInsertStage(pipeline, cmsAT_BEGIN, table);
    cmsWriteTag(profile.get(), cmsSigAToB0Tag, pipeline);
    cmsWriteTag(profile.get(), cmsSigMediaWhitePointTag, cmsD50_XYZ());
    describe(profile.get(), "Plain CMYK test");
    cmsPipelineFree(pipeline);
    cmsDeleteTransform(toLab);
    cmsCloseProfile(srgb);
    cmsCloseProfile(lab);
    return profile;
}

std::string bytesOf(cmsHPROFILE profile) {
    cmsUInt32Number size = 0;
    cmsSaveProfileToMem(profile, nullptr, &size);
    std::string bytes(size, '\0');
    cmsSaveProfileToMem(profile, &bytes[0], &size);
    return bytes;
}

// The explicit conversion: samples at 8 or 16 bits through the profile to
// 16-bit sRGB. The profile goes through its saved form, as the tool sees it
// (a saved gamma of 2.2, for one, is 2.19921875).
std::vector<uint16_t> toSrgb(cmsHPROFILE original, cmsUInt32Number format, const std::vector<uint16_t>& samples,
                             cmsUInt32Number intent, cmsUInt32Number flags) {
    const std::string saved = bytesOf(original);
    const Profile profile(cmsOpenProfileFromMem(saved.data(), static_cast<cmsUInt32Number>(saved.size())));
    const size_t channels = T_CHANNELS(format) + T_EXTRA(format), pixels = samples.size() / channels;
    std::vector<uint8_t> narrow(samples.begin(), samples.end());
    std::vector<uint16_t> rgb(pixels * 3);
    cmsHPROFILE srgb = cmsCreate_sRGBProfile();
    cmsHTRANSFORM transform = cmsCreateTransform(profile.get(), format, srgb, TYPE_RGB_16, intent, flags);
    if (transform == nullptr) throw std::runtime_error("the test's profile does not convert");
    cmsDoTransform(transform, T_BYTES(format) == 1 ? static_cast<const void*>(narrow.data()) : samples.data(), rgb.data(),
                   static_cast<cmsUInt32Number>(pixels));
    cmsDeleteTransform(transform);
    cmsCloseProfile(srgb);
    return rgb;
}

struct Prepared {
    std::string input;
    std::vector<uint16_t> expectedRgb;  // 16-bit sRGB that the library separates
};

struct ColourCase {
    const char* name;
    std::function<Prepared(const ToolFolder&)> prepare;
    std::vector<std::string> options;
    const char* summary;
};

class ColourInputTest : public ::testing::TestWithParam<ColourCase> {};

TEST_P(ColourInputTest, SeparatesTheConvertedPixels) {
    const ColourCase& param = GetParam();
    ToolFolder folder;
    const Prepared prepared = param.prepare(folder);
    std::vector<std::string> args = {"separate", folder.path(prepared.input), "-c", "HUE_PARAM_CMYKOG", "-o",
                                     folder.path("out.tif"), "--depth", "16"};
    for (const std::string& option : param.options) args.push_back(option[0] == '@' ? folder.path(option.substr(1)) : option);
    const ToolResult run = runTool(args);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find(std::string("  colour: ") + param.summary + "\n"), std::string::npos) << run.out;
    int channels = 0;
    const std::vector<uint16_t> library = librarySeparation("HUE_PARAM_CMYKOG", prepared.expectedRgb, 16, channels);
    expectInvertedValues(readSeparatedTiff(folder.path("out.tif")).image, library, 16);
}

const uint32_t kWidth = 23, kHeight = 7;

Prepared widePng(const ToolFolder& folder, const std::string& embedded, const Profile& meant, int bits) {
    const Image image = makeTestImage(kWidth, kHeight, 3, bits);
    writePng(folder.path("in.png"), image, embedded);
    return {"in.png", toSrgb(meant.get(), bits == 8 ? TYPE_RGB_8 : TYPE_RGB_16, image.samples, INTENT_PERCEPTUAL, 0)};
}

// A Lab TIFF of a test image and the 16-bit sRGB it stands for; encode
// turns a stored sample (l: the lightness) into the ICC version 4 encoding.
// At 16 bits the low bytes are 0 where encode drops them, so that the
// encoding is exact.
Prepared labTiff(const ToolFolder& f, int photometric, int bits, std::function<uint16_t(uint16_t, bool)> encode) {
    Image image = makeTestImage(kWidth, kHeight, 3, bits);
    std::vector<uint16_t> encoded;
    for (size_t i = 0; i < image.samples.size(); ++i) {
        const bool l = i % 3 == 0;
        if (bits == 16 && (!l || photometric == PHOTOMETRIC_ICCLAB)) image.samples[i] &= 0xFF00;
        encoded.push_back(encode(image.samples[i], l));
    }
    writeTiffLayout(f.path("in.tif"), image, TiffLayout{bits, photometric, ""});
    const Profile lab(cmsCreateLab4Profile(nullptr));
    return {"in.tif", toSrgb(lab.get(), bits == 8 ? TYPE_Lab_8 : TYPE_Lab_16, encoded, INTENT_PERCEPTUAL, 0)};
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, ColourInputTest,
    ::testing::Values(
        ColourCase{"EmbeddedInPng",
                   [](const ToolFolder& f) { return widePng(f, bytesOf(wideRgbProfile().get()), wideRgbProfile(), 8); },
                   {}, "converted from Wide RGB test, perceptual"},
        ColourCase{"EmbeddedInTiff16Relative",
                   [](const ToolFolder& f) {
                       const Image image = makeTestImage(kWidth, kHeight, 3, 16);
                       writeTiffLayout(f.path("in.tif"), image, TiffLayout{16, PHOTOMETRIC_RGB, bytesOf(wideRgbProfile().get())});
                       return Prepared{"in.tif", toSrgb(wideRgbProfile().get(), TYPE_RGB_16, image.samples,
                                                        INTENT_RELATIVE_COLORIMETRIC, cmsFLAGS_BLACKPOINTCOMPENSATION)};
                   },
                   {"--intent", "relative"}, "converted from Wide RGB test, relative colorimetric with black-point compensation"},
        // Some 120 KB of profile: two APP2 markers.
        ColourCase{"EmbeddedInJpegOverSeveralMarkers",
                   [](const ToolFolder& f) {
                       const Profile profile = wideRgbProfile(20000);
                       writeJpeg(f.path("in.jpg"), makeTestImage(kWidth, kHeight, 3, 8), bytesOf(profile.get()));
                       return Prepared{"in.jpg", toSrgb(profile.get(), TYPE_RGB_8, readJpeg(f.path("in.jpg")).samples,
                                                        INTENT_PERCEPTUAL, 0)};
                   },
                   {}, "converted from Wide RGB test, perceptual"},
        ColourCase{"AssignedToUntagged",
                   [](const ToolFolder& f) {
                       writeFile(f.path("wide.icc"), bytesOf(wideRgbProfile().get()));
                       return widePng(f, "", wideRgbProfile(), 16);
                   },
                   {"--input-profile", "@wide.icc"}, "converted from Wide RGB test, perceptual"},
        ColourCase{"AssignedOverridesEmbedded",
                   [](const ToolFolder& f) {
                       writeFile(f.path("wide.icc"), bytesOf(wideRgbProfile().get()));
                       const Profile srgb(cmsCreate_sRGBProfile());
                       return widePng(f, bytesOf(srgb.get()), wideRgbProfile(), 8);
                   },
                   {"--input-profile", "@wide.icc"}, "converted from Wide RGB test, perceptual"},
        ColourCase{"NotManaged",
                   [](const ToolFolder& f) {
                       const Image image = makeTestImage(kWidth, kHeight, 3, 16);
                       writePng(f.path("in.png"), image, bytesOf(wideRgbProfile().get()));
                       return Prepared{"in.png", image.samples};
                   },
                   {"--no-color-management"}, "colour management off: values taken as sRGB"},
        ColourCase{"CmykTiffWithProfile",
                   [](const ToolFolder& f) {
                       const Image image = makeTestImage(kWidth, kHeight, 4, 8);
                       writeTiffLayout(f.path("in.tif"), image, TiffLayout{8, PHOTOMETRIC_SEPARATED, bytesOf(cmykProfile().get())});
                       return Prepared{"in.tif", toSrgb(cmykProfile().get(), TYPE_CMYK_8, image.samples, INTENT_ABSOLUTE_COLORIMETRIC, 0)};
                   },
                   {"--intent", "absolute"}, "converted from Plain CMYK test, absolute colorimetric"},
        // As image editors write them: 255 is no ink, said by an Adobe marker.
        ColourCase{"InvertedCmykJpegWithProfile",
                   [](const ToolFolder& f) {
                       Image image = makeTestImage(kWidth, kHeight, 4, 8);
                       writeJpeg(f.path("in.jpg"), image, bytesOf(cmykProfile().get()));
                       const Image decoded = readJpeg(f.path("in.jpg"));
                       std::vector<uint16_t> inks;
                       for (uint16_t v : decoded.samples) inks.push_back(static_cast<uint16_t>(255 - v));
                       return Prepared{"in.jpg", toSrgb(cmykProfile().get(), TYPE_CMYK_8, inks, INTENT_PERCEPTUAL, 0)};
                   },
                   {}, "converted from Plain CMYK test, perceptual"},
        ColourCase{"CmykTiffAssigned16",
                   [](const ToolFolder& f) {
                       const Image image = makeTestImage(kWidth, kHeight, 4, 16);
                       writeFile(f.path("cmyk.icc"), bytesOf(cmykProfile().get()));
                       writeTiffLayout(f.path("in.tif"), image, TiffLayout{16, PHOTOMETRIC_SEPARATED, ""});
                       return Prepared{"in.tif", toSrgb(cmykProfile().get(), TYPE_CMYK_16, image.samples, INTENT_PERCEPTUAL, 0)};
                   },
                   {"--input-profile", "@cmyk.icc"}, "converted from Plain CMYK test, perceptual"},
        ColourCase{"GreyPngWithGreyProfile",
                   [](const ToolFolder& f) {
                       cmsToneCurve* curve = cmsBuildGamma(nullptr, 1.8);
                       const Profile grey(cmsCreateGrayProfile(cmsD50_xyY(), curve));
                       cmsFreeToneCurve(curve);
                       describe(grey.get(), "Grey 1.8 test");
                       const Image image = makeTestImage(kWidth, kHeight, 1, 16);
                       writePng(f.path("in.png"), image, bytesOf(grey.get()));
                       return Prepared{"in.png", toSrgb(grey.get(), TYPE_GRAY_16, image.samples, INTENT_PERCEPTUAL, 0)};
                   },
                   {}, "converted from Grey 1.8 test, perceptual"},
        // Through an RGB profile, grey is R = G = B.
        ColourCase{"GreyJpegWithRgbProfile",
                   [](const ToolFolder& f) {
                       writeJpeg(f.path("in.jpg"), makeTestImage(kWidth, kHeight, 1, 8), bytesOf(wideRgbProfile().get()));
                       std::vector<uint16_t> rgb;
                       for (uint16_t v : readJpeg(f.path("in.jpg")).samples) rgb.insert(rgb.end(), {v, v, v});
                       return Prepared{"in.jpg", toSrgb(wideRgbProfile().get(), TYPE_RGB_8, rgb, INTENT_SATURATION, 0)};
                   },
                   {"--intent", "saturation"}, "converted from Wide RGB test, saturation"},
        // CIELAB stores a and b signed; Lab's ICC encoding offsets them by 128.
        ColourCase{"LabTiff",
                   [](const ToolFolder& f) {
                       return labTiff(f, PHOTOMETRIC_CIELAB, 8, [](uint16_t v, bool l) { return l ? v : v ^ 0x80; });
                   },
                   {}, "converted from CIE Lab (D50), perceptual"},
        // 16-bit CIELAB: a and b signed in 1/256; whole, (a + 128) * 257.
        ColourCase{"LabTiff16",
                   [](const ToolFolder& f) {
                       return labTiff(f, PHOTOMETRIC_CIELAB, 16,
                                      [](uint16_t v, bool l) { return l ? v : ((v ^ 0x8000) >> 8) * 257; });
                   },
                   {}, "converted from CIE Lab (D50), perceptual"},
        // ICCLAB stores the ICC encoding: at 8 bits as version 4 has it, at
        // 16 bits in version 2's, which scales by 256 where version 4 scales
        // by 257.
        ColourCase{"IccLabTiff8",
                   [](const ToolFolder& f) { return labTiff(f, PHOTOMETRIC_ICCLAB, 8, [](uint16_t v, bool) { return v; }); },
                   {}, "converted from CIE Lab (D50), perceptual"},
        ColourCase{"IccLabTiff16",
                   [](const ToolFolder& f) {
                       return labTiff(f, PHOTOMETRIC_ICCLAB, 16, [](uint16_t v, bool) { return (v >> 8) * 257; });
                   },
                   {}, "converted from CIE Lab (D50), perceptual"}),
    [](const ::testing::TestParamInfo<ColourCase>& info) { return info.param.name; });

// A colour-managed input that cannot be separated: prepare writes in.tif
// and perhaps a profile.
FailureCase colourFailure(const char* name, std::function<void(const ToolFolder&)> prepare,
                          std::vector<std::string> options, int status, const char* message) {
    std::vector<std::string> args = {"@in.tif", "-c", "HUE_PARAM_CMYK", "-o", "@out.tif"};
    args.insert(args.end(), options.begin(), options.end());
    return {name, args, status, message, prepare};
}

void writeRgbTiff(const ToolFolder& f, const std::string& profile) {
    writeTiffLayout(f.path("in.tif"), makeTestImage(5, 4, 3, 8), TiffLayout{8, PHOTOMETRIC_RGB, profile});
}

void writeCmykTiff(const ToolFolder& f) {
    writeTiffLayout(f.path("in.tif"), makeTestImage(5, 4, 4, 8), TiffLayout{8, PHOTOMETRIC_SEPARATED, ""});
}

INSTANTIATE_TEST_SUITE_P(
    ColourErrors, SeparateFailure,
    ::testing::Values(
        colourFailure("CmykWithoutProfile", writeCmykTiff, {}, 1, "CMYK without an ICC profile: give the profile of its press with --input-profile"),
        colourFailure("CmykNotManaged", writeCmykTiff, {"--no-color-management"}, 1, "needs colour management"),
        colourFailure("CorruptEmbeddedProfile", [](const ToolFolder& f) { writeRgbTiff(f, std::string(200, 'x')); }, {}, 1,
                        "the ICC profile embedded in"),
        colourFailure("UnreadableProfileFile",
                        [](const ToolFolder& f) {
                            writeRgbTiff(f, "");
                            writeFile(f.path("note.icc"), "not a profile\n");
                        },
                        {"--input-profile", "@note.icc"}, 1, "note.icc' cannot be read as an ICC profile"),
        colourFailure("MissingProfileFile", [](const ToolFolder& f) { writeRgbTiff(f, ""); }, {"--input-profile", "@none.icc"}, 1,
                        "cannot open ICC profile"),
        colourFailure("ProfileOfAnotherSpace",
                        [](const ToolFolder& f) {
                            writeRgbTiff(f, "");
                            writeFile(f.path("cmyk.icc"), bytesOf(cmykProfile().get()));
                        },
                        {"--input-profile", "@cmyk.icc"}, 1, "is a CMYK profile, but"),
        colourFailure("UnknownIntent", [](const ToolFolder& f) { writeRgbTiff(f, ""); }, {"--intent", "vivid"}, 2, "--intent must be"),
        colourFailure("IntentWithoutManagement", [](const ToolFolder& f) { writeRgbTiff(f, ""); },
                        {"--intent", "relative", "--no-color-management"}, 2, "--no-color-management excludes")),
    failureName);

} // namespace
