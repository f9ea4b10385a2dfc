#include "engine/VarnelPixelPlan.h"

#include "config/Varnel.h"
#include "engine/VarnelRefinement.h"
#include "geometry/KSegment.h"
#include "stages/VarnelChannelsContact.h"
#include "stages/VarnelMasks.h"
#include "varnel/varnel.h"

#include <algorithm>
#include <cmath>
#include <cstring>

CVarnelPixelPlan::CVarnelPixelPlan(CVarnel& config, VarnelKernel kernel)
{
    m_channels = config.GetChannels();
    m_workChannels = unsigned(std::min<uint64_t>(m_channels, kMaxChannels));
    const unsigned channels = m_workChannels;

    for (int i = 0; i < 3; ++i) {
        // Computed in doubles: a lift above 65535 gives a negative factor,
        // and the clamp keeps the component in range.
        const uint32_t lift = config.GetRound(i);
        m_kernelPlan.liftActive[i] = lift != 0;
        m_kernelPlan.liftFactor[i] = (65535.0 - double(lift)) / 65535.0;
    }
    // A black channel, mask, contact item or stage item naming a channel at
    // or above the computed channels is ignored: nothing reads or writes
    // outside the work channels.
    const uint32_t black = config.GetBlackMask();
    m_kernelPlan.workChannels = channels;
    m_kernelPlan.blackChannel = black < channels ? int(black) : -1;
    m_kernelPlan.colorWithBlack = config.GetColorWithBlack();
    m_kernelPlan.inkLimit = int32_t(std::min<uint32_t>(config.GetInkLimit(), 32767u));

    CVarnelMasksContainer* masks = config.GetMasks();
    m_masksMissing = masks == nullptr;
    if (masks) {
        for (const auto& entry : masks->GetItems()) {
            const auto* mask = static_cast<const CVarnelMaskItem*>(entry.second);
            if (!mask || mask->GetActive() == 0)
                continue;
            const int32_t number = mask->GetNumber();
            if (number < 0 || uint32_t(number) >= channels)
                continue;
            VarnelMaskPlan plan;
            plan.channel = unsigned(number);
            // The ramp is read from the item filed under the mask's number.
            auto* source = static_cast<CVarnelMaskItem*>(masks->GetItem(number));
            for (unsigned k = 0; source && k < 3; ++k) {
                KSegment* segment = source->GetSegment(k);
                if (!segment)
                    continue;
                VarnelSegmentPlan& s = plan.segment[plan.segments++];
                double y1 = 0, y2 = 0, b = 0;
                segment->GetEndpoints(s.start, y1, s.end, y2);
                segment->GetCoefficients(s.a, b, s.c);
                s.wraps = s.end > 360.0 && s.start > s.end - 360.0;
                s.noCrossing = segment->GetSlope() == -1.0;
                s.denominator = 0.0 * s.a - 1.0 * b;
                for (unsigned wrapped : {0u, 4u}) {
                    plan.pathA[plan.segments | wrapped] = s.a;
                    plan.pathC[plan.segments | wrapped] = s.c;
                    plan.pathDenominator[plan.segments | wrapped] = s.denominator;
                }
                plan.negates = plan.negates && s.denominator == -1.0;
                plan.lowest = plan.segments == 1 ? s.start : std::min(plan.lowest, s.start);
                plan.highest = plan.segments == 1 ? s.end : std::max(plan.highest, s.end);
            }
            plan.quickReject = plan.segments > 0 && plan.highest < 720.0;
            m_masks.push_back(plan);
        }
    }
    BuildHueBuckets();

    CVarnelChannelsContactContainer* contacts = config.GetChannelsContact();
    m_contactMissing = contacts == nullptr;
    if (contacts) {
        for (CVarnelItem* item : contacts->GetItems()) {
            const auto* contact = static_cast<const CVarnelChannelContactItem*>(item);
            if (!contact)
                continue;
            const int32_t target = contact->GetNumber();
            const unsigned first = contact->GetContact1();
            const unsigned second = contact->GetContact2();
            if (target < 0 || uint32_t(target) >= channels || first >= channels ||
                second >= channels)
                continue;
            m_contacts.push_back(VarnelContactPlan{unsigned(target), first, second});
        }
    }

    for (unsigned j = 0; j < channels; ++j) {
        const bool written = m_kernelPlan.blackChannel == int(j) ||
                             std::any_of(m_masks.begin(), m_masks.end(),
                                         [j](const VarnelMaskPlan& mask) { return mask.channel == j; });
        if (!written)
            m_unwritten.push_back(uint8_t(j));
    }
    m_kernelPlan.unwritten = m_unwritten.data();
    m_kernelPlan.unwrittenCount = unsigned(m_unwritten.size());
    m_kernelPlan.masks = m_masks.data();
    m_kernelPlan.maskCount = m_masks.size();
    m_kernelPlan.hueBuckets = m_hueBuckets.data();
    m_kernelPlan.segmentChoices = m_segmentChoices.data();
    m_kernelPlan.contacts = m_contacts.data();
    m_kernelPlan.contactCount = m_contacts.size();

    m_refinement.reset(new CVarnelRefinement(config, channels));
    m_refine = m_refinement->HasWork();
    m_alwaysComputes = Complete() && m_refinement->Complete();

    // The batch kernel, chosen once: the widest the CPU runs up to the one
    // asked for.
    while (!VarnelKernelRuns(kernel))
        kernel = kernel == VarnelKernel::EightLanes ? VarnelKernel::FourLanes : VarnelKernel::OneLane;
    m_kernel = kernel;
    switch (kernel) {
    case VarnelKernel::EightLanes: m_runBatch = VarnelRunEightLanes; break;
    case VarnelKernel::FourLanes: m_runBatch = VarnelRunFourLanes; break;
    case VarnelKernel::OneLane: m_runBatch = VarnelRunOneLane; break;
    }
}

CVarnelPixelPlan::~CVarnelPixelPlan() = default;

void CVarnelPixelPlan::BuildHueBuckets()
{
    // Bucket b holds the masks that may find a hue h with b <= h < b + 1
    // (h = 360 has a bucket of its own). A mask can only find h as h or as
    // h + 360, and b + 360 <= h + 360 <= b + 361 holds in doubles as well,
    // so a mask whose span meets neither [b, b + 1] nor [b + 360, b + 361]
    // has level 0 for every hue of the bucket, which is known without
    // walking its segments.
    m_hueBuckets.assign(kHueBuckets, 0);
    const size_t count = std::min<size_t>(m_masks.size(), 32);
    m_kernelPlan.allMasks = count == 32 ? 0xFFFFFFFFu : (1u << count) - 1u;
    for (size_t b = 0; b < kHueBuckets; ++b) {
        for (size_t i = 0; i < count; ++i) {
            const VarnelMaskPlan& mask = m_masks[i];
            auto meets = [&mask](double from, double to) { return mask.lowest <= to && from <= mask.highest; };
            const double from = double(b);
            if (!mask.quickReject || meets(from, from + 1.0) || meets(from + 360.0, from + 361.0))
                m_hueBuckets[b] |= 1u << i;
        }
    }
    BuildSegmentChoices();
}

void CVarnelPixelPlan::BuildSegmentChoices()
{
    // For every mask and hue bucket: which segment holds the hues of the
    // bucket, and whether a hue is taken as h or h + 360. The walk compares
    // h or h + 360 with the segments' integral hue values (starts, ends,
    // ends - 360) only; those comparisons can differ inside the bucket
    // [b, b + 1) only when such a value equals b (for h) or b + 360 or
    // b + 361 (for h + 360, which rounds into [b + 360, b + 361]), or, for
    // the test h == 0, in bucket 0, and then only for hues at the bucket's
    // edges: h = b, or h + 360 rounded to b + 360 or b + 361. So every hue
    // of the bucket more than kEdge from its edges takes one path, found by
    // walking the segments once for a hue inside it; the edges of the
    // buckets where those values fall (kChoiceEdge) are walked.
    constexpr size_t kRow = kMaxChannels;
    m_segmentChoices.assign((kHueBuckets + 1) * kRow, VarnelKernelPlan::kChoiceOpen);
    for (size_t i = 0; i < m_masks.size(); ++i) {
        const VarnelMaskPlan& mask = m_masks[i];
        if (!mask.quickReject)
            continue;
        bool integral = true;
        bool wraps = false;
        for (unsigned k = 0; k < mask.segments; ++k) {
            const VarnelSegmentPlan& s = mask.segment[k];
            integral = integral && s.start == std::floor(s.start) && s.end == std::floor(s.end);
            wraps = wraps || s.wraps;
        }
        if (!integral)
            continue;
        for (size_t b = 0; b < kHueBuckets; ++b) {
            const double low = double(b);
            auto critical = [low](double value) {
                return value == low || value == low + 360.0 || value == low + 361.0;
            };
            bool open = b == 0 && wraps;
            for (unsigned k = 0; k < mask.segments && !open; ++k) {
                const VarnelSegmentPlan& s = mask.segment[k];
                open = critical(s.start) || critical(s.end) || critical(s.end - 360.0);
            }
            // The walk of RampLevel for a hue inside the bucket.
            double h = low + 0.5;
            bool wrapped = false;
            uint8_t choice = VarnelKernelPlan::kChoiceNone;
            for (unsigned k = 0; k < mask.segments; ++k) {
                const VarnelSegmentPlan& s = mask.segment[k];
                if (s.wraps && s.end - 360.0 >= h) {
                    h += 360.0;
                    wrapped = true;
                }
                if (s.start <= h && h <= s.end) {
                    if (!s.noCrossing)
                        choice = uint8_t((k + 1) | (wrapped ? VarnelKernelPlan::kChoiceWrapped : 0));
                    break;
                }
            }
            m_segmentChoices[b * kRow + i] = uint8_t(choice | (open ? VarnelKernelPlan::kChoiceEdge : 0));
        }
    }
}

int CVarnelPixelPlan::Compute(uint32_t r, uint32_t g, uint32_t b, uint16_t* work) const
{
    if (!Complete())
        return VARNEL_STATUS_FAILED;
    std::memset(work, 0, sizeof(uint16_t) * kMaxChannels);
    const uint16_t rgb[3] = {uint16_t(r), uint16_t(g), uint16_t(b)};
    VarnelRunOnePixel(m_kernelPlan, rgb, work);
    if (m_refine)
        return m_refinement->Apply(work);
    return VARNEL_STATUS_OK;
}

int CVarnelPixelPlan::ComputeBatch(const uint16_t* rgb, uint16_t (*work)[kMaxChannels]) const
{
    if (!Complete())
        return VARNEL_STATUS_FAILED;
    m_runBatch(m_kernelPlan, rgb, work);
    if (m_refine) {
        for (unsigned p = 0; p < kBatch; ++p) {
            const int status = m_refinement->Apply(work[p]);
            if (status != VARNEL_STATUS_OK)
                return status;
        }
    }
    return VARNEL_STATUS_OK;
}
