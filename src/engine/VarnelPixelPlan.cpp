#include "engine/VarnelPixelPlan.h"

#include "config/Varnel.h"
#include "engine/VarnelRefinement.h"
#include "geometry/KSegment.h"
#include "stages/VarnelChannelsContact.h"
#include "stages/VarnelMasks.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// Fixed-point helpers on unsigned 32-bit values; channel values are 16-bit
// with 65535 meaning no ink.
inline uint32_t Inv(uint32_t x) { return 65535u - x; }
inline uint32_t Mul(uint32_t a, uint32_t b) { return (a * b + 65535u) >> 16; }
// The same on signed 32-bit values with an arithmetic shift. Operands stay
// within +-65535 * 32767, so the product never overflows.
inline int32_t SMul(int32_t d, int32_t s) { return (d * s + 65535) >> 16; }

int g_highestKernel = 2;

} // namespace

void CVarnelPixelPlan::LimitKernel(int highest) { g_highestKernel = highest; }

// A mask ramp segment, resolved for the pixel path: its hue span and the
// coefficients of its line a*x + b*y + c = 0.
struct CVarnelPixelPlan::SegmentPlan {
    double start = 0;
    double end = 0;
    // The wrap step applies to this segment (it runs past 360 degrees).
    bool wraps = false;
    // The segment's slope equals the vertical-line marker (-1.0): crossing
    // it with the vertical through a hue yields "same" or "parallel", never
    // a point, so its level is 0.
    bool noCrossing = false;
    double a = 0;
    double c = 0;
    double denominator = 0;  // b'*a - a'*b with the vertical line (1, 0, -h)
};

struct CVarnelPixelPlan::MaskPlan {
    unsigned channel = 0;
    unsigned segments = 0;
    SegmentPlan segment[3];
    // The hue span all segments cover. While it ends below 720 degrees the
    // wrap step can add 360 at most once, so a hue h can only be found as h
    // or h + 360 (see BuildHueBuckets).
    bool quickReject = false;
    double lowest = 0;
    double highest = 0;
};

struct CVarnelPixelPlan::ContactPlan {
    unsigned target = 0;
    unsigned first = 0;
    unsigned second = 0;
};

CVarnelPixelPlan::CVarnelPixelPlan(CVarnel& config)
{
    m_channels = config.GetChannels();
    m_workChannels = unsigned(std::min<uint64_t>(m_channels, kMaxChannels));
    const unsigned channels = m_workChannels;

    for (int i = 0; i < 3; ++i) {
        // Computed in doubles: a lift above 65535 gives a negative factor,
        // and the clamp keeps the component in range.
        const uint32_t lift = config.GetRound(i);
        m_liftActive[i] = lift != 0;
        m_liftFactor[i] = (65535.0 - double(lift)) / 65535.0;
    }
    // A black channel, mask, contact item or stage item naming a channel at
    // or above the computed channels is ignored: nothing reads or writes
    // outside the work channels.
    const uint32_t black = config.GetBlackMask();
    m_blackChannel = black < channels ? int(black) : -1;
    m_colorWithBlack = config.GetColorWithBlack();
    m_inkLimit = int32_t(std::min<uint32_t>(config.GetInkLimit(), 32767u));

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
            MaskPlan plan;
            plan.channel = unsigned(number);
            // The ramp is read from the item filed under the mask's number.
            auto* source = static_cast<CVarnelMaskItem*>(masks->GetItem(number));
            for (unsigned k = 0; source && k < 3; ++k) {
                KSegment* segment = source->GetSegment(k);
                if (!segment)
                    continue;
                SegmentPlan& s = plan.segment[plan.segments++];
                double y1 = 0, y2 = 0, b = 0;
                segment->GetEndpoints(s.start, y1, s.end, y2);
                segment->GetCoefficients(s.a, b, s.c);
                s.wraps = s.end > 360.0 && s.start > s.end - 360.0;
                s.noCrossing = segment->GetSlope() == -1.0;
                s.denominator = 0.0 * s.a - 1.0 * b;
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
            m_contacts.push_back(ContactPlan{unsigned(target), first, second});
        }
    }

    m_refinement.reset(new CVarnelRefinement(config, channels));
    m_refine = m_refinement->HasWork();
    m_kernel = std::min(SelectKernel(), g_highestKernel);
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
    m_allMasks = count == 32 ? 0xFFFFFFFFu : (1u << count) - 1u;
    for (size_t b = 0; b < kHueBuckets; ++b) {
        for (size_t i = 0; i < count; ++i) {
            const MaskPlan& mask = m_masks[i];
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
    // For every mask and hue bucket: which segment holds every hue of the
    // bucket, and whether that hue is taken as h or h + 360, when that is
    // the same for the whole bucket. The walk compares h or h + 360 with the
    // segments' integral hue values (starts, ends, ends - 360) only; those
    // comparisons can differ inside the bucket [b, b + 1) only when such a
    // value equals b (for h) or b + 360 or b + 361 (for h + 360, which
    // rounds into [b + 360, b + 361]), or, for the test h == 0, in bucket 0.
    // Any other bucket takes one path for all its hues, found by walking
    // the segments once for a hue inside it.
    m_segmentChoices.assign(m_masks.size() * kHueBuckets, kChoiceOpen);
    for (size_t i = 0; i < m_masks.size(); ++i) {
        const MaskPlan& mask = m_masks[i];
        if (!mask.quickReject)
            continue;
        bool integral = true;
        bool wraps = false;
        for (unsigned k = 0; k < mask.segments; ++k) {
            const SegmentPlan& s = mask.segment[k];
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
                const SegmentPlan& s = mask.segment[k];
                open = critical(s.start) || critical(s.end) || critical(s.end - 360.0);
            }
            if (open)
                continue;
            // The walk of RampLevel for a hue inside the bucket.
            double h = low + 0.5;
            bool wrapped = false;
            uint8_t choice = kChoiceNone;
            for (unsigned k = 0; k < mask.segments; ++k) {
                const SegmentPlan& s = mask.segment[k];
                if (s.wraps && s.end - 360.0 >= h) {
                    h += 360.0;
                    wrapped = true;
                }
                if (s.start <= h && h <= s.end) {
                    if (!s.noCrossing)
                        choice = uint8_t((k + 1) | (wrapped ? kChoiceWrapped : 0));
                    break;
                }
            }
            m_segmentChoices[i * kHueBuckets + b] = choice;
        }
    }
}

double CVarnelPixelPlan::RampLevel(const MaskPlan& mask, double hue)
{
    double h = hue;
    for (unsigned k = 0; k < mask.segments; ++k) {
        const SegmentPlan& s = mask.segment[k];
        if (s.wraps) {
            if (s.end - 360.0 >= h)
                h += 360.0;
            if (h == 0.0)
                h = 360.0;
        }
        if (s.start <= h && h <= s.end) {
            // The crossing of the segment's line with the vertical x = h,
            // in the operation order of the general line intersection;
            // dividing by -1 is an exact negation.
            if (s.noCrossing)
                return 0.0;
            const double numerator = 1.0 * s.c - (-h) * s.a;
            return s.denominator == -1.0 ? -numerator : numerator / s.denominator;
        }
    }
    return 0.0;
}

double CVarnelPixelPlan::MaskLevel(unsigned channel, double degrees) const
{
    for (const MaskPlan& mask : m_masks)
        if (mask.channel == channel)
            return RampLevel(mask, degrees);
    return 0.0;
}

void CVarnelPixelPlan::ApplyMasks(double hueFraction, double lightness, uint16_t* work) const
{
    const double purity = 2.0 * (1.0 - lightness);
    const double hue = hueFraction * 360.0;
    uint32_t candidates = m_allMasks;
    if (hue >= 0.0 && hue < double(kHueBuckets))
        candidates = m_hueBuckets[size_t(hue)];
    const size_t count = m_masks.size();
    for (size_t i = 0; i < count; ++i) {
        const MaskPlan& mask = m_masks[i];
        if (i < 32 && !((candidates >> i) & 1u)) {
            work[mask.channel] = 65535u;
            continue;
        }
        const double level = RampLevel(mask, hue);
        uint32_t ink = 0;
        if (level != 0.0) {
            const double amount = std::max(0.0, std::min(1.0, purity * level / 65535.0));
            ink = uint32_t(amount * 65535.0);
        }
        work[mask.channel] = uint16_t(Inv(ink));
    }
}

void CVarnelPixelPlan::ApplyContact(uint32_t black, uint16_t* work) const
{
    // With no ink limit every contact step leaves its target as it is.
    if (m_inkLimit == 0 || m_contacts.empty())
        return;
    uint16_t snapshot[kMaxChannels];
    std::memcpy(snapshot, work, sizeof snapshot);
    uint32_t inked = 0;
    for (unsigned j = 0; j < m_workChannels; ++j)
        inked |= uint32_t(snapshot[j] != 65535u) << j;
    const int32_t s = m_inkLimit;
    int32_t w;
    if (m_colorWithBlack == 0 || m_colorWithBlack == 1)
        w = 65535;
    else if (m_colorWithBlack == 2)
        w = int32_t(65535u - black);
    else
        w = int32_t(black);
    for (const ContactPlan& contact : m_contacts) {
        const uint32_t b = snapshot[contact.target];
        // A target without ink, or two contacts without ink, come out of
        // both steps unchanged: mul(65535, v) = v and mul(v, 0) = 0 make
        // every difference 0.
        if (!((inked >> contact.target) & 1u) || !(((inked >> contact.first) | (inked >> contact.second)) & 1u)) {
            work[contact.target] = uint16_t(b);
            continue;
        }
        const uint32_t x = Inv(Mul(snapshot[contact.first], Inv(b)));
        const uint32_t b1 = (b + uint32_t(SMul(SMul(int32_t(x) - int32_t(b), s), w))) & 0xFFFFu;
        const uint32_t y = Inv(Mul(snapshot[contact.second], Inv(b1)));
        work[contact.target] = uint16_t(b1 + uint32_t(SMul(SMul(int32_t(y) - int32_t(b1), s), w)));
    }
}

int CVarnelPixelPlan::Compute(uint32_t r, uint32_t g, uint32_t b, uint16_t* work)
{
    std::memset(work, 0, sizeof(uint16_t) * kMaxChannels);
    uint32_t x[3] = {r, g, b};
    for (int i = 0; i < 3; ++i) {
        if (m_liftActive[i]) {
            const double lifted = m_liftFactor[i] * (double(x[i]) - 65535.0) + 65535.0;
            x[i] = uint32_t(std::max(0.0, std::min(65535.0, lifted)));
        }
    }
    const uint32_t maximum = std::max(x[0], std::max(x[1], x[2]));
    if (m_blackChannel >= 0)
        work[m_blackChannel] = uint16_t(maximum);

    uint32_t n[3] = {65535u, 65535u, 65535u};
    if (maximum != 0) {
        for (int i = 0; i < 3; ++i)
            n[i] = std::min<uint32_t>(65535u, (x[i] * 65536u) / maximum);
    }
    const double rr = n[0] / 65535.0;
    const double gg = n[1] / 65535.0;
    const double bb = n[2] / 65535.0;
    const double hi = std::max(rr, std::max(gg, bb));
    const double lo = std::min(rr, std::min(gg, bb));
    const double delta = hi - lo;
    const double lightness = (hi + lo) / 2.0;
    double hue = 0.0;
    if (delta != 0.0) {
        // Only the distances the deciding rules read are computed.
        const bool redMax = rr == hi, greenMax = gg == hi, blueMax = bb == hi;
        auto distance = [hi, delta](double c) { return ((hi - c) / 6.0 + delta / 2.0) / delta; };
        const double dr = (greenMax || blueMax) ? distance(rr) : 0.0;
        const double dg = (redMax || blueMax) ? distance(gg) : 0.0;
        const double db = (redMax || greenMax) ? distance(bb) : 0.0;
        // Each test on its own: on a tie the later rule decides.
        if (redMax)
            hue = db - dg;
        if (greenMax)
            hue = 1.0 / 3.0 + dr - db;
        if (blueMax)
            hue = 2.0 / 3.0 + dg - dr;
        if (hue < 0.0)
            hue += 1.0;
        if (hue > 1.0)
            hue -= 1.0;
    }

    if (m_masksMissing)
        return -1;
    ApplyMasks(hue, lightness, work);
    if (m_contactMissing)
        return -1;
    ApplyContact(maximum, work);
    if (m_refine)
        return m_refinement->Apply(work);
    return 0;
}

int CVarnelPixelPlan::ComputeBatch(const uint16_t* rgb, uint16_t (*work)[kMaxChannels])
{
    if (!Complete() || !ComputeBatchVector(rgb, work)) {
        for (unsigned p = 0; p < kBatch; ++p) {
            const int status = Compute(rgb[3 * p], rgb[3 * p + 1], rgb[3 * p + 2], work[p]);
            if (status != 0)
                return status;
        }
        return 0;
    }
    if (m_refine) {
        for (unsigned p = 0; p < kBatch; ++p) {
            const int status = m_refinement->Apply(work[p]);
            if (status != 0)
                return status;
        }
    }
    return 0;
}

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))

// The colour model, the hue masks and the channel contact for N pixels at
// once, one pixel per lane. Every lane performs the scalar operations in
// the scalar order on IEEE doubles and unsigned 32-bit integers, so each
// lane's result equals Compute's; choices the scalar code makes by branching
// are made here by selecting between lanes' values. The kernel is inlined
// into one function per instruction set, which decides the lane count.
// Vector arguments never cross a call here: every helper is inlined. (The
// note is emitted at the end of the file, so it stays off from here on.)
#if defined(__clang__)
#pragma clang diagnostic ignored "-Wpsabi"
#elif defined(__GNUC__)
#pragma GCC diagnostic ignored "-Wpsabi"
#endif

#define VARNEL_INLINE inline __attribute__((always_inline))

namespace {

// Vectors of N doubles, N comparison masks, N signed and N unsigned 32-bit
// integers.
template <int N>
struct LaneTypes;
template <>
struct LaneTypes<4> {
    typedef double D __attribute__((vector_size(32)));
    typedef long long M __attribute__((vector_size(32)));
    typedef int32_t I __attribute__((vector_size(16)));
    typedef uint32_t U __attribute__((vector_size(16)));
};
template <>
struct LaneTypes<8> {
    typedef double D __attribute__((vector_size(64)));
    typedef long long M __attribute__((vector_size(64)));
    typedef int32_t I __attribute__((vector_size(32)));
    typedef uint32_t U __attribute__((vector_size(32)));
};

} // namespace

template <int N>
struct CVarnelLaneKernel {
    using D = typename LaneTypes<N>::D;
    using M = typename LaneTypes<N>::M;
    using I = typename LaneTypes<N>::I;
    using U = typename LaneTypes<N>::U;
    using Plan = CVarnelPixelPlan;

    static VARNEL_INLINE D Select(M mask, D a, D b) { return (D)(((M)a & mask) | ((M)b & ~mask)); }
    static VARNEL_INLINE U SelectU(I mask, U a, U b) { return (a & (U)mask) | (b & ~(U)mask); }
    static VARNEL_INLINE D All(double v) { return D{} + v; }
    static VARNEL_INLINE U AllU(uint32_t v) { return U{} + v; }
    static VARNEL_INLINE D ToDouble(U v) { return __builtin_convertvector((I)v, D); }
    // Truncation toward zero, for values within the 32-bit range.
    static VARNEL_INLINE U Truncate(D v) { return (U)__builtin_convertvector(v, I); }
    // std::min(bound, v) and std::max(bound, v) as the scalar code writes them.
    static VARNEL_INLINE D MinWith(double bound, D v) { return Select(v < bound, v, All(bound)); }
    static VARNEL_INLINE D MaxWith(double bound, D v) { return Select(bound < v, v, All(bound)); }
    static VARNEL_INLINE U Mul(U a, U b) { return (a * b + 65535u) >> 16; }
    static VARNEL_INLINE I SMul(I d, I s) { return (d * s + 65535) >> 16; }

    static VARNEL_INLINE void Run(const Plan& plan, const uint16_t* rgb,
                                  uint16_t (*work)[Plan::kMaxChannels])
    {
        U channel[Plan::kMaxChannels];
        for (unsigned j = 0; j < Plan::kMaxChannels; ++j)
            channel[j] = AllU(0u);

        U x[3];
        for (int c = 0; c < 3; ++c) {
            for (int lane = 0; lane < N; ++lane)
                x[c][lane] = rgb[3 * lane + c];
            if (plan.m_liftActive[c]) {
                const D lifted = plan.m_liftFactor[c] * (ToDouble(x[c]) - 65535.0) + 65535.0;
                x[c] = Truncate(MaxWith(0.0, MinWith(65535.0, lifted)));
            }
        }
        U maximum = SelectU((I)(x[1] > x[2]), x[1], x[2]);
        maximum = SelectU((I)(x[0] > maximum), x[0], maximum);
        if (plan.m_blackChannel >= 0)
            channel[plan.m_blackChannel] = maximum;

        // floor(x * 65536 / M), capped at 65535, through a double division:
        // both operands are exact, and a quotient that is not a whole number
        // lies at least 1/65535 below the next one, far more than the
        // rounding of a double below 2^32, so the division never rounds up
        // to it.
        const M zero = ToDouble(maximum) == 0.0;
        const D divisor = Select(zero, All(1.0), ToDouble(maximum));
        D component[3];
        for (int c = 0; c < 3; ++c) {
            const D quotient = ToDouble(x[c]) * 65536.0 / divisor;
            const D normalised = Select(zero, All(65535.0), ToDouble(Truncate(MinWith(65535.0, quotient))));
            component[c] = normalised / 65535.0;
        }
        const D rr = component[0], gg = component[1], bb = component[2];
        D hi = Select(gg < bb, bb, gg);
        hi = Select(rr < hi, hi, rr);
        D lo = Select(bb < gg, bb, gg);
        lo = Select(lo < rr, lo, rr);
        const D delta = hi - lo;
        const D lightness = (hi + lo) / 2.0;
        const M coloured = delta != 0.0;
        const D safeDelta = Select(coloured, delta, All(1.0));
        const D dr = ((hi - rr) / 6.0 + delta / 2.0) / safeDelta;
        const D dg = ((hi - gg) / 6.0 + delta / 2.0) / safeDelta;
        const D db = ((hi - bb) / 6.0 + delta / 2.0) / safeDelta;
        D hue = All(0.0);
        hue = Select(rr == hi, db - dg, hue);
        hue = Select(gg == hi, 1.0 / 3.0 + dr - db, hue);
        hue = Select(bb == hi, 2.0 / 3.0 + dg - dr, hue);
        hue = Select(hue < 0.0, hue + 1.0, hue);
        hue = Select(hue > 1.0, hue - 1.0, hue);
        hue = Select(coloured, hue, All(0.0));

        // Hue masks: only those some lane's hue bucket names are walked.
        const D purity = 2.0 * (1.0 - lightness);
        const D degrees = hue * 360.0;
        uint32_t candidates = 0;
        size_t bucket[N];
        bool bucketed = true;
        for (int lane = 0; lane < N; ++lane) {
            const double h = degrees[lane];
            const bool inside = h >= 0.0 && h < double(Plan::kHueBuckets);
            bucket[lane] = inside ? size_t(h) : 0;
            bucketed = bucketed && inside;
            candidates |= inside ? plan.m_hueBuckets[size_t(h)] : plan.m_allMasks;
        }
        const size_t count = plan.m_masks.size();
        for (size_t i = 0; i < count; ++i) {
            const Plan::MaskPlan& mask = plan.m_masks[i];
            if (i < 32 && !((candidates >> i) & 1u)) {
                channel[mask.channel] = AllU(65535u);
                continue;
            }
            // When every lane's bucket takes the same path through this
            // mask, the level is that segment's line at h or h + 360.
            const uint8_t* choices = plan.m_segmentChoices.data() + i * Plan::kHueBuckets;
            const uint8_t choice = bucketed ? choices[bucket[0]] : Plan::kChoiceOpen;
            bool same = choice != Plan::kChoiceOpen;
            for (int lane = 1; lane < N && same; ++lane)
                same = choices[bucket[lane]] == choice;
            if (same) {
                if (choice == Plan::kChoiceNone) {
                    channel[mask.channel] = AllU(65535u);
                    continue;
                }
                const Plan::SegmentPlan& s = mask.segment[(choice & 3) - 1];
                const D h = (choice & Plan::kChoiceWrapped) ? degrees + 360.0 : degrees;
                const D numerator = 1.0 * s.c - (-h) * s.a;
                const D level = s.denominator == -1.0 ? -numerator : numerator / s.denominator;
                const D amount = MaxWith(0.0, MinWith(1.0, purity * level / 65535.0));
                channel[mask.channel] = 65535u - Truncate(amount * 65535.0);
                continue;
            }
            D h = degrees;
            D level = All(0.0);
            M searching = M{} == M{};
            for (unsigned k = 0; k < mask.segments; ++k) {
                const Plan::SegmentPlan& s = mask.segment[k];
                if (s.wraps) {
                    h = Select(searching & (s.end - 360.0 >= h), h + 360.0, h);
                    h = Select(searching & (h == 0.0), All(360.0), h);
                }
                const M holds = searching & (s.start <= h) & (h <= s.end);
                if (!s.noCrossing) {
                    const D numerator = 1.0 * s.c - (-h) * s.a;
                    const D found = s.denominator == -1.0 ? -numerator : numerator / s.denominator;
                    level = Select(holds, found, level);
                }
                searching &= ~holds;
            }
            const D amount = MaxWith(0.0, MinWith(1.0, purity * level / 65535.0));
            channel[mask.channel] = 65535u - Truncate(amount * 65535.0);
        }

        // Channel contact, on the snapshot of the channels.
        if (plan.m_inkLimit != 0 && !plan.m_contacts.empty()) {
            U snapshot[Plan::kMaxChannels];
            for (unsigned j = 0; j < Plan::kMaxChannels; ++j)
                snapshot[j] = channel[j];
            const I s = I{} + plan.m_inkLimit;
            I w;
            if (plan.m_colorWithBlack == 0 || plan.m_colorWithBlack == 1)
                w = I{} + 65535;
            else if (plan.m_colorWithBlack == 2)
                w = (I)(65535u - maximum);
            else
                w = (I)maximum;
            for (const Plan::ContactPlan& contact : plan.m_contacts) {
                const U b = snapshot[contact.target];
                const U x1 = 65535u - Mul(snapshot[contact.first], 65535u - b);
                const U b1 = (b + (U)SMul(SMul((I)x1 - (I)b, s), w)) & 0xFFFFu;
                const U y = 65535u - Mul(snapshot[contact.second], 65535u - b1);
                channel[contact.target] = (b1 + (U)SMul(SMul((I)y - (I)b1, s), w)) & 0xFFFFu;
            }
        }

        // Lanes back to pixels: the computed channels only (the callers read
        // no others).
        for (unsigned j = 0; j < plan.m_workChannels; ++j)
            for (int lane = 0; lane < N; ++lane)
                work[lane][j] = uint16_t(channel[j][lane]);
    }
};

namespace {

__attribute__((target("avx2"))) void RunFourLanes(const CVarnelPixelPlan& plan, const uint16_t* rgb,
                                                  uint16_t (*work)[CVarnelPixelPlan::kMaxChannels])
{
    CVarnelLaneKernel<4>::Run(plan, rgb, work);
    CVarnelLaneKernel<4>::Run(plan, rgb + 12, work + 4);
}

__attribute__((target("avx2,avx512f,avx512dq,avx512vl"))) void RunEightLanes(
    const CVarnelPixelPlan& plan, const uint16_t* rgb, uint16_t (*work)[CVarnelPixelPlan::kMaxChannels])
{
    CVarnelLaneKernel<8>::Run(plan, rgb, work);
}

} // namespace

int CVarnelPixelPlan::SelectKernel()
{
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq") &&
        __builtin_cpu_supports("avx512vl"))
        return 2;
    return __builtin_cpu_supports("avx2") ? 1 : 0;
}

bool CVarnelPixelPlan::ComputeBatchVector(const uint16_t* rgb, uint16_t (*work)[kMaxChannels]) const
{
    if (m_kernel == 2)
        RunEightLanes(*this, rgb, work);
    else if (m_kernel == 1)
        RunFourLanes(*this, rgb, work);
    else
        return false;
    return true;
}

#else

int CVarnelPixelPlan::SelectKernel() { return 0; }

bool CVarnelPixelPlan::ComputeBatchVector(const uint16_t*, uint16_t (*)[kMaxChannels]) const { return false; }

#endif
