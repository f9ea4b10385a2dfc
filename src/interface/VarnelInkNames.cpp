#include "interface/VarnelInkNames.h"

#include "config/Varnel.h"
#include "stages/VarnelMasks.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <set>
#include <string_view>

namespace {

struct InkKind {
    char letter;        // in preset names; 0 for none
    const char* name;
    double hue;         // where its letter sorts, in degrees
    uint8_t rgb[3];
};

// How common printing inks look on white paper, roughly, in sRGB.
const InkKind kInks[] = {
    {'C', "Cyan", 180, {0, 161, 227}},     {'M', "Magenta", 300, {230, 0, 125}},
    {'Y', "Yellow", 60, {255, 237, 0}},    {'K', "Black", -1, {31, 31, 31}},
    {'R', "Red", 345, {227, 33, 41}},      {'O', "Orange", 15, {255, 117, 0}},
    {'D', "Dark Yellow", 30, {230, 160, 0}}, {'G', "Green", 120, {0, 156, 71}},
    {'B', "Blue", 225, {36, 61, 161}},     {'V', "Violet", 260, {110, 41, 150}},
    {0, "Lime", 90, {150, 199, 31}},       {0, "Rubine", 330, {199, 0, 89}},
};
const uint8_t kNoInkColour[3] = {128, 128, 128};

const InkKind* KindOfLetter(char letter)
{
    for (const InkKind& kind : kInks)
        if (kind.letter == letter)
            return &kind;
    return nullptr;
}

const InkKind* KindNamed(std::string_view name)
{
    for (const InkKind& kind : kInks)
        if (name == kind.name)
            return &kind;
    return nullptr;
}

double Normalised(double degrees)
{
    double h = std::fmod(degrees, 360.0);
    return h < 0.0 ? h + 360.0 : h;
}

// The place of a hue in the pairing order: degrees counted from 270, where
// no ink of a preset has its centre.
double PairingOrder(double degrees) { return Normalised(degrees - 270.0); }

// The centre of a mask's full strength (its second to third corner, going
// round the circle).
double FullStrengthCentre(const CVarnelMaskItem& mask)
{
    MaskPoint from{}, to{};
    mask.GetPoint2(from);
    mask.GetPoint3(to);
    const double span = Normalised(double(to.hue) - double(from.hue));
    return Normalised(double(from.hue) + span / 2.0);
}

struct HueInk {
    unsigned channel;
    double centre;
};

} // namespace

const char* CVarnelInkNames::HueName(double degrees)
{
    struct HueRange {
        double upTo;  // exclusive
        const char* name;
    };
    static const HueRange kRanges[] = {
        {15, "Red"},    {45, "Orange"}, {75, "Yellow"},   {100, "Lime"},    {150, "Green"}, {195, "Cyan"},
        {250, "Blue"}, {285, "Violet"}, {320, "Magenta"}, {335, "Rubine"}, {360, "Red"},
    };
    const double h = Normalised(degrees);
    for (const HueRange& range : kRanges)
        if (h < range.upTo)
            return range.name;
    return "Red";
}

std::vector<VarnelInk> CVarnelInkNames::Describe(CVarnel& configuration, const std::string& presetName)
{
    const unsigned channels = configuration.GetChannels();
    const unsigned black = configuration.GetBlackMask();
    std::vector<const InkKind*> kinds(channels, nullptr);
    std::vector<HueInk> hueInks;
    CVarnelMasksContainer* masks = configuration.GetMasks();
    for (unsigned channel = 0; channel < channels; ++channel) {
        const auto* mask = masks ? dynamic_cast<const CVarnelMaskItem*>(masks->GetItem(int(channel))) : nullptr;
        if (mask && mask->GetActive())
            hueInks.push_back({channel, FullStrengthCentre(*mask)});
        else if (channel == black)
            kinds[channel] = KindOfLetter('K');
    }

    // The letters of a preset's name, when they account for every hue ink.
    static const char kPrefix[] = "HUE_PARAM_";
    std::vector<const InkKind*> letters;
    if (presetName.compare(0, sizeof kPrefix - 1, kPrefix) == 0) {
        for (size_t i = sizeof kPrefix - 1; i < presetName.size(); ++i) {
            const InkKind* kind = KindOfLetter(presetName[i]);
            if (!kind) {
                letters.clear();
                break;
            }
            if (kind->letter != 'K')
                letters.push_back(kind);
        }
    }
    if (!letters.empty() && letters.size() == hueInks.size()) {
        std::stable_sort(letters.begin(), letters.end(), [](const InkKind* a, const InkKind* b) {
            return PairingOrder(a->hue) < PairingOrder(b->hue);
        });
        std::stable_sort(hueInks.begin(), hueInks.end(), [](const HueInk& a, const HueInk& b) {
            return PairingOrder(a.centre) < PairingOrder(b.centre);
        });
        for (size_t i = 0; i < hueInks.size(); ++i)
            kinds[hueInks[i].channel] = letters[i];
    } else {
        static const char kProcessLetters[] = {'C', 'M', 'Y'};
        for (const HueInk& ink : hueInks)
            kinds[ink.channel] = ink.channel < 3 ? KindOfLetter(kProcessLetters[ink.channel])
                                                 : KindNamed(HueName(ink.centre));
    }

    std::vector<VarnelInk> inks(channels);
    std::set<std::string> used;
    for (unsigned channel = 0; channel < channels; ++channel) {
        const InkKind* kind = kinds[channel];
        const std::string base = kind ? kind->name : "Ink" + std::to_string(channel);
        std::string name = base;
        for (int count = 2; used.count(name) != 0; ++count)
            name = base + " " + std::to_string(count);
        used.insert(name);
        inks[channel].name = name;
        std::memcpy(inks[channel].rgb, kind ? kind->rgb : kNoInkColour, 3);
    }
    return inks;
}
