#include "engine/VarnelRefinement.h"

#include "config/Varnel.h"
#include "engine/VarnelFixedPoint.h"
#include "stages/VarnelColorAddition.h"
#include "stages/VarnelColorSubst.h"
#include "stages/VarnelMasksLight.h"
#include "stages/VarnelSecondColors.h"
#include "varnel/varnel.h"

#include <muParser.h>

#include <cmath>

namespace {

// trunc(percent * 65535 / 100.0) in doubles, kept to 32 bits the way an
// unsigned 32-bit computation keeps it (percentages outside 0..100 are not
// meaningful, but must not be undefined behaviour).
uint32_t PercentLevel(int32_t percent)
{
    const double level = std::trunc(static_cast<double>(percent) * 65535 / 100.0);
    return static_cast<uint32_t>(static_cast<int64_t>(level));
}

// The expression's result as the integer percentage the level uses:
// truncated toward zero and capped at 100. A result below 0 is clamped to 0
// (a negative level would run the formulas on wrapped values); NaN counts
// as 0 and results beyond the 32-bit range saturate, so that no result is
// undefined behaviour.
int32_t ExpressionPercent(double e)
{
    if (!(e > 0.0))
        return 0;
    if (e >= 100.0)
        return 100;
    return static_cast<int32_t>(e);
}

bool IsWorkChannel(int64_t channel, unsigned workChannels)
{
    return channel >= 0 && channel < static_cast<int64_t>(workChannels);
}

}  // namespace

CVarnelRefinement::CVarnelRefinement(CVarnel& config, unsigned workChannels)
    : m_workChannels(workChannels < kMaxChannels ? workChannels : kMaxChannels)
{
    m_substFactorChannels = m_workChannels < 3 ? m_workChannels : 3;
    const uint32_t configured = config.GetChannels();
    m_additionChannels = configured < m_workChannels ? configured : m_workChannels;

    ResolveSubstitution(config);
    ResolveSecondColors(config);
    ResolveLightMasks(config);
}

CVarnelRefinement::~CVarnelRefinement() = default;

void CVarnelRefinement::ResolveSubstitution(CVarnel& config)
{
    if (config.IsColorSubstEmpty() && config.IsColorAdditionEmpty())
        return;
    CVarnelColorSubstContainer* substs = config.GetColorSubst();
    CVarnelColorAdditionContainer* additions = config.GetColorAddition();
    if (substs == nullptr || additions == nullptr) {
        m_missingContainer = true;
        return;
    }
    if (substs->GetCount() == 0 && additions->GetCount() == 0)
        return;
    m_runSubstitution = true;

    // The black channel is served by the GRAY_SUBST and BLACK_ADD items,
    // never by items that carry its number.
    const uint32_t black = config.GetBlackMask();
    for (unsigned ch = 0; ch < m_workChannels; ++ch) {
        CVarnelColorSubstItem* s = ch == black ? substs->FindGrayItem(1)
                                               : substs->FindItemByNumber(static_cast<int32_t>(ch));
        CVarnelColorAdditionItem* a = ch == black ? additions->FindItemByKind(0)
                                                  : additions->FindItem(static_cast<int32_t>(ch));
        if (s != nullptr && !s->IsEnabled())
            s = nullptr;
        if (a != nullptr && !a->IsEnabled())
            a = nullptr;

        ChannelPlan& plan = m_channels[ch];
        if (s != nullptr) {
            plan.substA = s->GetTableA();
            plan.substB = s->GetTableB();
            plan.strength16 = static_cast<uint16_t>(s->GetParam2());
            plan.strength32 = static_cast<uint32_t>(s->GetParam2());
            plan.factors[0] = s->GetFactor0();
            plan.factors[1] = s->GetFactor1();
            plan.factors[2] = s->GetFactor2();
            plan.level = plan.strength16;
            if (s->HasExpression())
                plan.levelFails = !EvaluateLevel(*s->GetParser(), plan.level);
        }
        if (a != nullptr) {
            plan.addA = a->GetTableA();
            plan.addB = a->GetTableB();
            plan.addC = a->GetTableC();
            plan.addBoost = a->GetParam2() > 0;
            for (unsigned j = 0; j < kMaxChannels; ++j)
                plan.amounts[j] = a->GetChannelValue(static_cast<int>(j));
        }
        // The combined step writes to the addition item's channel (the black
        // channel for BLACK_ADD). Items the loaders make always point at ch;
        // one that points outside the work channels is ignored for this
        // channel and S alone applies.
        if (s != nullptr && a != nullptr) {
            const int64_t target = a->GetKind() != 0 ? a->GetNumber() : static_cast<int64_t>(black);
            if (IsWorkChannel(target, m_workChannels))
                plan.target = static_cast<unsigned>(target);
            else
                a = nullptr;
        }

        if (s != nullptr && a != nullptr)
            plan.step = Step::Combined;
        else if (s != nullptr)
            plan.step = Step::Substitution;
        else if (a != nullptr)
            plan.step = Step::Addition;
    }
}

void CVarnelRefinement::ResolveSecondColors(CVarnel& config)
{
    if (config.IsSecondColorsEmpty())
        return;
    CVarnelSecondColorsContainer* colors = config.GetSecondColors();
    if (colors == nullptr) {
        m_missingContainer = true;
        return;
    }
    for (CVarnelItem* entry : colors->GetItems()) {
        auto* item = dynamic_cast<CVarnelSecondColorItem*>(entry);
        if (item == nullptr || !item->IsEnabled())
            continue;
        const int32_t source = item->GetNumber();
        const int32_t target = item->GetParam1();
        if (!IsWorkChannel(source, m_workChannels) || !IsWorkChannel(target, m_workChannels))
            continue;
        const bool strong = !item->IsPlain() && item->GetParam2() != 0;
        m_secondColors.push_back(SecondColorPlan{item->GetTableC(), static_cast<unsigned>(source),
                                                 static_cast<unsigned>(target), strong});
    }
}

void CVarnelRefinement::ResolveLightMasks(CVarnel& config)
{
    if (config.IsLightMasksEmpty())
        return;
    CVarnelMasksLightContainer* masks = config.GetLightMasks();
    if (masks == nullptr) {
        m_missingContainer = true;
        return;
    }
    for (CVarnelItem* entry : masks->GetItems()) {
        auto* item = dynamic_cast<CVarnelMaskLightItem*>(entry);
        if (item == nullptr || !item->IsEnabled())
            continue;
        const int32_t channel = item->GetNumber();
        const int32_t companion = item->GetParam1();
        if (!IsWorkChannel(channel, m_workChannels) || !IsWorkChannel(companion, m_workChannels))
            continue;
        m_lightMasks.push_back(LightMaskPlan{item->GetTableA(), item->GetTableB(),
                                             static_cast<unsigned>(channel),
                                             static_cast<unsigned>(companion),
                                             PercentLevel(item->GetParam2())});
    }
}

bool CVarnelRefinement::HasWork() const
{
    if (m_missingContainer || !m_secondColors.empty() || !m_lightMasks.empty())
        return true;
    if (m_runSubstitution)
        for (unsigned ch = 0; ch < m_workChannels; ++ch)
            if (m_channels[ch].step != Step::None)
                return true;
    return false;
}

int CVarnelRefinement::Apply(uint16_t* work) const
{
    if (m_missingContainer)
        return VARNEL_STATUS_FAILED;
    if (m_runSubstitution) {
        // Ascending order: later channels see what earlier ones changed.
        for (unsigned ch = 0; ch < m_workChannels; ++ch) {
            const ChannelPlan& plan = m_channels[ch];
            switch (plan.step) {
            case Step::Substitution:
                Substitute(plan, ch, work);
                break;
            case Step::Combined:
                Combine(plan, ch, work);
                break;
            case Step::Addition:
                Add(plan, ch, work);
                break;
            case Step::None:
                break;
            }
        }
    }
    ApplySecondColors(work);
    ApplyLightMasks(work);
    return VARNEL_STATUS_OK;
}

bool CVarnelRefinement::EvaluateLevel(mu::Parser& parser, uint32_t& level)
{
    double e = 0.0;
    try {
        e = parser.Eval();
    } catch (const mu::ParserError& error) {
        (void)error.GetMsg();
        return false;
    }
    const int32_t percent = ExpressionPercent(e);
    level = static_cast<uint32_t>(std::trunc(static_cast<double>(percent) * 65535 / 100 + 0.5));
    return true;
}

void CVarnelRefinement::Substitute(const ChannelPlan& plan, unsigned ch, uint16_t* work) const
{
    const uint32_t v = work[ch];
    const uint32_t tA = plan.substA[v];
    const uint32_t tB = plan.substB[v];
    const uint32_t f = Inv(Mul(Inv(tB), tA));
    const uint32_t q = Mul(tA, tA);

    // A failing expression leaves the curve value itself.
    const uint32_t d = plan.levelFails ? q : Mul(Inv(Mul(Inv(plan.level), Inv(q))), q);
    work[ch] = Low16(Inv(Mul(Inv(d), Inv(v))));

    const uint32_t g = Inv(f);
    for (unsigned j = 0; j < m_substFactorChannels; ++j)
        work[j] = Low16(Mul(Inv(Mul(plan.factors[j], g)), work[j]));
}

void CVarnelRefinement::Combine(const ChannelPlan& plan, unsigned ch, uint16_t* work) const
{
    const uint32_t v = work[ch];
    const uint32_t sB = plan.substB[v];
    const uint32_t sA = plan.substA[v];
    const uint32_t aB = plan.addB[v];
    const uint32_t aA = plan.addA[v];

    const uint32_t t = Inv(Mul(sA, Inv(sB)));
    const uint32_t u = Inv(Mul(Inv(aB), Inv(sA)));
    const uint32_t q = Mul(sA, sA);
    // The expression of S is not used here: the fixed strength is.
    const uint32_t w = Mul(Inv(Mul(Inv(plan.strength32), Inv(q))), q);
    const uint32_t x = Inv(Mul(Inv(w), Inv(v)));
    work[plan.target] = Low16(x);

    for (unsigned j = 0; j < m_substFactorChannels; ++j) {
        const uint32_t fj = plan.factors[j];
        const uint32_t aj = plan.amounts[j];
        const uint32_t m = Mul(fj, Inv(t));
        const uint32_t y = Inv(Mul((fj + aj) >> 1, Inv(u)));
        const uint32_t z = Inv(Mul(aj, Inv(aA)));
        const uint32_t p = Mul(z, Inv(m));
        // The only signed step: a sum below 65535 takes no ink away.
        const int64_t sum = static_cast<int64_t>(p) + y - 65535;
        const uint32_t kept = sum > 0 ? static_cast<uint32_t>(sum) : 0u;
        work[j] = Low16(Mul(kept, work[j]));
    }
}

void CVarnelRefinement::Add(const ChannelPlan& plan, unsigned ch, uint16_t* work) const
{
    const uint32_t v = work[ch];
    uint32_t g = plan.addC[v];
    if (plan.addBoost)
        g = Inv(Mul(Inv(g), Inv(g)));
    // Every configured channel, the driving one and the black one included.
    for (unsigned j = 0; j < m_additionChannels; ++j)
        work[j] = Low16(Mul(Inv(Mul(plan.amounts[j], Inv(g))), work[j]));
}

void CVarnelRefinement::ApplySecondColors(uint16_t* work) const
{
    for (const SecondColorPlan& item : m_secondColors) {
        const uint32_t g = item.table[work[item.source]];
        // The weak form is the table value itself.
        work[item.target] = item.strong ? Low16(Inv(Mul(Inv(g), Inv(g)))) : Low16(g);
    }
}

void CVarnelRefinement::ApplyLightMasks(uint16_t* work) const
{
    // In list order: a later mask sees what earlier ones wrote, and the last
    // one to name a companion decides its value.
    for (const LightMaskPlan& item : m_lightMasks) {
        const uint32_t v = work[item.channel];
        const uint32_t tB = item.tableB[v];
        const uint32_t tA = item.tableA[v];
        const uint32_t q = Mul(tA, tA);
        const uint32_t d = Mul(Inv(Mul(Inv(item.level), Inv(q))), q);
        work[item.channel] = Low16(Inv(Mul(Inv(d), Inv(v))));
        work[item.companion] = Low16(Inv(Mul(tA, Inv(tB))));
    }
}
