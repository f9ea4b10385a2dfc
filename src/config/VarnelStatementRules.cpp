#include "config/VarnelStatementRules.h"

#include "stages/VarnelMasksLight.h"

#include <cstdio>

namespace {

using Kind = VarnelFieldKind;

// Field rules that several keys share.
constexpr VarnelFieldRule kPercent{"percent", Kind::Number, 0, 100, false, false, true};
constexpr VarnelFieldRule kFlag{"flag", Kind::Flag, 0, 0, false, false, true};

VarnelFieldRule Channel(const char* name, Kind kind, bool variables)
{
    return {name, kind, 0, kMaxConfigChannels - 1, true, false, variables};
}

VarnelFieldRule Percent(const char* name)
{
    VarnelFieldRule rule = kPercent;
    rule.name = name;
    return rule;
}

VarnelFieldRule Hue(const char* name)
{
    return {name, Kind::LeadingNumber, 0, 360, false, false, false};
}

VarnelFieldRule Lift(const char* name)
{
    return {name, Kind::Number, 0, 65535, false, false, false};
}

std::vector<VarnelStatementRule> MakeRules()
{
    using Shape = VarnelValueShape;
    const VarnelFieldRule expression{"expression", Kind::Expression, 0, 0, false, false, true};
    const std::vector<VarnelFieldRule> substitution = {Percent("strength"), Percent("share of channel 0"),
                                                       Percent("share of channel 1"),
                                                       Percent("share of channel 2"), kFlag, expression};
    const std::vector<VarnelFieldRule> addition = {Percent("strength"), Percent("amount"), kFlag};
    // At most one amount per computed channel, then strength and flag.
    const int additionFields = kMaxConfigChannels + 2;
    return {
        {"ROUND", false, Shape::List, 0, 3, 3, {Lift("red lift"), Lift("green lift"), Lift("blue lift")}, false,
         "r,g,b"},
        {"CHANNELS", false, Shape::Whole, 0, 1, 1,
         {{"channels", Kind::Number, 1, kMaxConfigChannels, false, false, false}}, false, "n"},
        {"COLORWITHBLACK", false, Shape::List, 0, 1, 1, {{"Y or N", Kind::WithBlack, 0, 0, false, false, true}},
         false, "Y"},
        {"CHANNEL_CONTACT", true, Shape::List, kSmallValueBuffer, 2, 2,
         {Channel("first contact", Kind::Number, false), Channel("second contact", Kind::Number, false)}, false,
         "c1,c2"},
        // The loader clamps the ink limit into 200..300 %.
        {"MAXINK", false, Shape::List, 0, 1, 1, {{"percent", Kind::Number, 200, 300, false, true, true}}, false,
         "percent"},
        {"BLACKMASK", false, Shape::Whole, 0, 1, 1, {Channel("channel", Kind::Number, false)}, false, "channel"},
        {"HUEMASK", true, Shape::List, kSmallValueBuffer, 4, 4,
         {Hue("zero up to"), Hue("full from"), Hue("full up to"), Hue("zero from")}, false, "h1,h2,h3,h4"},
        {"HUEMASK_LIGHT", true, Shape::List, kLargeValueBuffer, 4, 4,
         {Channel("destination", Kind::LeadingNumber, false), Percent("start"), Percent("floor"), kFlag}, false,
         "d,a,b,f"},
        {"SECOND_COLOR", true, Shape::List, kLargeValueBuffer, 4, 4,
         {Channel("destination", Kind::Number, true), Percent("start"), Percent("strength"), kFlag}, false,
         "d,a,b,f"},
        {"GRAY_SUBST", false, Shape::List, kSmallValueBuffer, 5, 6, substitution, false, "a,r,g,b,f[,e]"},
        {"COLOR_SUBST", true, Shape::List, kSmallValueBuffer, 5, 6, substitution, false, "a,r,g,b,f[,e]"},
        {"BLACK_ADD", false, Shape::List, kSmallValueBuffer, 1, additionFields, addition, true, "p[,a0,...],f"},
        {"COLOR_ADD", true, Shape::List, kSmallValueBuffer, 1, additionFields, addition, true, "p[,a0,...],f"},
    };
}

}  // namespace

const std::vector<VarnelStatementRule>& VarnelStatementRules()
{
    static const std::vector<VarnelStatementRule> rules = MakeRules();
    return rules;
}

std::string VarnelRuleKey(const VarnelStatementRule& rule, int number)
{
    if (!rule.numbered)
        return rule.key;
    char digits[8];
    std::snprintf(digits, sizeof digits, "%02d", number);
    return std::string(rule.key) + digits;
}

const VarnelFieldRule& VarnelFieldAt(const VarnelStatementRule& rule, int index, int count)
{
    if (!rule.repeatsMiddle)
        return rule.fields.at(size_t(index));
    if (index == 0)
        return rule.fields.front();
    return index == count - 1 ? rule.fields.back() : rule.fields.at(1);
}
