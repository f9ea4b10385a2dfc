// The refinement stages of the pixel pipeline, run after the hue masks and
// the channel contact have set a pixel's work channels:
//   1. colour substitution and colour addition, channel by channel;
//   2. second colours;
//   3. light masks.
//
// Everything the stages need is resolved once, when the object is built
// from a loaded configuration: per channel the substitution and addition
// items, the enabled second-colour and light-mask items in list order, and
// which stages run at all. The per-pixel path then allocates nothing, looks
// nothing up and searches nothing. Build it after the configuration has been
// loaded and build a new one when the configuration changes: it keeps
// pointers into the configuration's items.
//
// Fixed point, on unsigned 32-bit values: inv(x) = 65535 - x,
// mul(a, b) = (a * b + 65535) >> 16; a value stored into a channel keeps its
// low 16 bits.
//
// Items that name a channel at or above the work channels (source,
// destination, companion, and the channels 0..2 that substitution feeds when
// there are fewer than three) are ignored for that channel, so that nothing
// reads or writes outside the work channels.
#pragma once

#include "engine/VarnelFixedPoint.h"

#include <cstdint>
#include <vector>

class CVarnel;

namespace mu {
class Parser;
}

class CVarnelRefinement {
public:
    // Resolves, at load time, per channel the substitution item S and the
    // addition item A (the GRAY_SUBST item and the BLACK_ADD item for the
    // black channel, the items numbered after the channel otherwise), the
    // enabled second-colour and light-mask items in list order, and which
    // stages are skipped. workChannels above kMaxChannels is taken as
    // kMaxChannels.
    CVarnelRefinement(CVarnel& config, unsigned workChannels);
    CVarnelRefinement(const CVarnelRefinement&) = delete;
    CVarnelRefinement& operator=(const CVarnelRefinement&) = delete;
    ~CVarnelRefinement();

    // False when no stage would change a pixel (every stage is skipped or
    // has nothing enabled) and no container is missing: the engine may then
    // skip Apply.
    bool HasWork() const;
    // False when a container that a stage needs is missing: Apply then
    // fails for every pixel.
    bool Complete() const { return !m_missingContainer; }

    // Runs the three stages on work[0 .. workChannels - 1]. Returns
    // VARNEL_STATUS_OK, or VARNEL_STATUS_FAILED (before touching work) when a
    // container that a stage needs is missing.
    // Reads nothing but this object and work, so threads may share it.
    int Apply(uint16_t* work) const;

private:
    enum class Step : uint8_t { None, Substitution, Addition, Combined };


    struct ChannelPlan {
        Step step = Step::None;
        // Substitution item S.
        const uint16_t* substA = nullptr;
        const uint16_t* substB = nullptr;
        uint32_t strength16 = 0;   // Param2 taken as a 16-bit value
        uint32_t strength32 = 0;   // Param2 as it stands (combined step)
        uint32_t factors[3] = {};
        // The level of the substitution step: the strength, or the level of
        // the item's expression. An expression reads only numbers and the
        // configuration's variables, all fixed once loaded, so it is
        // evaluated once, here. An expression that fails leaves the curve
        // value itself (levelFails).
        uint32_t level = 0;
        bool levelFails = false;
        // Addition item A.
        const uint16_t* addA = nullptr;
        const uint16_t* addB = nullptr;
        const uint16_t* addC = nullptr;
        bool addBoost = false;     // Param2 > 0
        unsigned target = 0;       // where the combined step writes
        uint32_t amounts[kMaxChannels] = {};
    };

    struct SecondColorPlan {
        const uint16_t* table;
        unsigned source;
        unsigned target;
        bool strong;
    };

    struct LightMaskPlan {
        const uint16_t* tableA;
        const uint16_t* tableB;
        unsigned channel;
        unsigned companion;
        uint32_t level;            // trunc(a * 65535 / 100.0)
    };

    void ResolveSubstitution(CVarnel& config);
    void ResolveSecondColors(CVarnel& config);
    void ResolveLightMasks(CVarnel& config);

    void Substitute(const ChannelPlan& plan, unsigned ch, uint16_t* work) const;
    void Combine(const ChannelPlan& plan, unsigned ch, uint16_t* work) const;
    void Add(const ChannelPlan& plan, unsigned ch, uint16_t* work) const;
    void ApplySecondColors(uint16_t* work) const;
    void ApplyLightMasks(uint16_t* work) const;
    // The strength level of an expression, or false when it fails.
    static bool EvaluateLevel(mu::Parser& parser, uint32_t& level);

    unsigned m_workChannels = 0;
    unsigned m_substFactorChannels = 0;   // channels 0..2 that exist
    unsigned m_additionChannels = 0;      // configured channels that exist
    bool m_missingContainer = false;
    bool m_runSubstitution = false;
    ChannelPlan m_channels[kMaxChannels];
    std::vector<SecondColorPlan> m_secondColors;
    std::vector<LightMaskPlan> m_lightMasks;
};
