#include "engine/VarnelPixelPlan.h"

#include "config/Varnel.h"
#include "engine/VarnelRefinement.h"
#include "geometry/KSegment.h"
#include "stages/VarnelChannelsContact.h"
#include "stages/VarnelMasks.h"

#include <algorithm>
#include <cstring>

namespace {

// Fixed-point helpers on unsigned 32-bit values; channel values are 16-bit
// with 65535 meaning no ink.
inline uint32_t Inv(uint32_t x) { return 65535u - x; }
inline uint32_t Mul(uint32_t a, uint32_t b) { return (a * b + 65535u) >> 16; }
// The same on signed 32-bit values with an arithmetic shift. Operands stay
// within +-65535 * 32767, so the product never overflows.
inline int32_t SMul(int32_t d, int32_t s) { return (d * s + 65535) >> 16; }

} // namespace

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
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
    m_vector = __builtin_cpu_supports("avx2");
#endif
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
        double h = hue;
        double level = 0.0;
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
                if (!s.noCrossing) {
                    const double numerator = 1.0 * s.c - (-h) * s.a;
                    level = s.denominator == -1.0 ? -numerator : numerator / s.denominator;
                }
                break;
            }
        }
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
    if (!Complete() || !m_vector || !ComputeBatchVector(rgb, work)) {
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

// The colour model, the hue masks and the channel contact for four pixels
// at once, one pixel per lane. Every lane performs the scalar operations in
// the scalar order on IEEE doubles and unsigned 32-bit integers, so each
// lane's result equals Compute's; choices the scalar code makes by branching
// are made here by selecting between lanes' values.
namespace {

typedef double v4df __attribute__((vector_size(32)));
typedef long long v4di __attribute__((vector_size(32)));
typedef int32_t v4si __attribute__((vector_size(16)));
typedef uint32_t v4su __attribute__((vector_size(16)));

#define VARNEL_AVX2 __attribute__((target("avx2"))) inline

VARNEL_AVX2 v4df Select(v4di mask, v4df a, v4df b) { return (v4df)(((v4di)a & mask) | ((v4di)b & ~mask)); }
VARNEL_AVX2 v4su Select(v4si mask, v4su a, v4su b) { return (a & (v4su)mask) | (b & ~(v4su)mask); }
VARNEL_AVX2 v4df Broadcast(double v) { return v4df{v, v, v, v}; }
VARNEL_AVX2 v4su Broadcast(uint32_t v) { return v4su{v, v, v, v}; }
VARNEL_AVX2 v4df ToDouble(v4su v) { return __builtin_convertvector((v4si)v, v4df); }
// Truncation toward zero, for values within the 32-bit range.
VARNEL_AVX2 v4su Truncate(v4df v) { return (v4su)__builtin_convertvector(v, v4si); }
VARNEL_AVX2 v4si Narrow(v4di mask) { return __builtin_convertvector(mask, v4si); }
// std::min(bound, v) and std::max(bound, v) as the scalar code writes them.
VARNEL_AVX2 v4df MinWith(double bound, v4df v) { return Select(v < bound, v, Broadcast(bound)); }
VARNEL_AVX2 v4df MaxWith(double bound, v4df v) { return Select(bound < v, v, Broadcast(bound)); }
VARNEL_AVX2 v4su Mul(v4su a, v4su b) { return (a * b + 65535u) >> 16; }
VARNEL_AVX2 v4si SMul(v4si d, v4si s) { return (d * s + 65535) >> 16; }

} // namespace

__attribute__((target("avx2"))) bool CVarnelPixelPlan::ComputeBatchVector(
    const uint16_t* rgb, uint16_t (*work)[kMaxChannels]) const
{
    v4su channel[kMaxChannels];
    for (unsigned j = 0; j < kMaxChannels; ++j)
        channel[j] = Broadcast(0u);

    v4su x[3];
    for (int c = 0; c < 3; ++c) {
        x[c] = v4su{rgb[c], rgb[3 + c], rgb[6 + c], rgb[9 + c]};
        if (m_liftActive[c]) {
            const v4df lifted = m_liftFactor[c] * (ToDouble(x[c]) - 65535.0) + 65535.0;
            x[c] = Truncate(MaxWith(0.0, MinWith(65535.0, lifted)));
        }
    }
    v4su maximum = Select((v4si)(x[1] > x[2]), x[1], x[2]);
    maximum = Select((v4si)(x[0] > maximum), x[0], maximum);
    if (m_blackChannel >= 0)
        channel[m_blackChannel] = maximum;

    // floor(x * 65536 / M), capped at 65535, through a double division:
    // both operands are exact, and a quotient that is not a whole number
    // lies at least 1/65535 below the next one, far more than the rounding
    // of a double below 2^32, so the division never rounds up to it.
    const v4di zero = ToDouble(maximum) == 0.0;
    const v4df divisor = Select(zero, Broadcast(1.0), ToDouble(maximum));
    v4df component[3];
    for (int c = 0; c < 3; ++c) {
        const v4df quotient = ToDouble(x[c]) * 65536.0 / divisor;
        const v4df normalised = Select(zero, Broadcast(65535.0), ToDouble(Truncate(MinWith(65535.0, quotient))));
        component[c] = normalised / 65535.0;
    }
    const v4df& rr = component[0];
    const v4df& gg = component[1];
    const v4df& bb = component[2];
    v4df hi = Select(gg < bb, bb, gg);
    hi = Select(rr < hi, hi, rr);
    v4df lo = Select(bb < gg, bb, gg);
    lo = Select(lo < rr, lo, rr);
    const v4df delta = hi - lo;
    const v4df lightness = (hi + lo) / 2.0;
    const v4di coloured = delta != 0.0;
    const v4df safeDelta = Select(coloured, delta, Broadcast(1.0));
    const v4df dr = ((hi - rr) / 6.0 + delta / 2.0) / safeDelta;
    const v4df dg = ((hi - gg) / 6.0 + delta / 2.0) / safeDelta;
    const v4df db = ((hi - bb) / 6.0 + delta / 2.0) / safeDelta;
    v4df hue = Broadcast(0.0);
    hue = Select(rr == hi, db - dg, hue);
    hue = Select(gg == hi, 1.0 / 3.0 + dr - db, hue);
    hue = Select(bb == hi, 2.0 / 3.0 + dg - dr, hue);
    hue = Select(hue < 0.0, hue + 1.0, hue);
    hue = Select(hue > 1.0, hue - 1.0, hue);
    hue = Select(coloured, hue, Broadcast(0.0));

    // Hue masks.
    const v4df purity = 2.0 * (1.0 - lightness);
    const v4df degrees = hue * 360.0;
    uint32_t candidates = 0;
    for (int lane = 0; lane < 4; ++lane) {
        const double h = degrees[lane];
        candidates |= (h >= 0.0 && h < double(kHueBuckets)) ? m_hueBuckets[size_t(h)] : m_allMasks;
    }
    const size_t count = m_masks.size();
    for (size_t i = 0; i < count; ++i) {
        const MaskPlan& mask = m_masks[i];
        if (i < 32 && !((candidates >> i) & 1u)) {
            channel[mask.channel] = Broadcast(65535u);
            continue;
        }
        v4df h = degrees;
        v4df level = Broadcast(0.0);
        v4di searching = v4di{-1, -1, -1, -1};
        for (unsigned k = 0; k < mask.segments; ++k) {
            const SegmentPlan& s = mask.segment[k];
            if (s.wraps) {
                h = Select(searching & (s.end - 360.0 >= h), h + 360.0, h);
                h = Select(searching & (h == 0.0), Broadcast(360.0), h);
            }
            const v4di holds = searching & (s.start <= h) & (h <= s.end);
            if (!s.noCrossing) {
                const v4df numerator = 1.0 * s.c - (-h) * s.a;
                const v4df found = s.denominator == -1.0 ? -numerator : numerator / s.denominator;
                level = Select(holds, found, level);
            }
            searching &= ~holds;
        }
        const v4df amount = MaxWith(0.0, MinWith(1.0, purity * level / 65535.0));
        channel[mask.channel] = 65535u - Truncate(amount * 65535.0);
    }

    // Channel contact, on the snapshot of the channels.
    if (m_inkLimit != 0 && !m_contacts.empty()) {
        v4su snapshot[kMaxChannels];
        std::memcpy(snapshot, channel, sizeof snapshot);
        const v4si s = v4si{m_inkLimit, m_inkLimit, m_inkLimit, m_inkLimit};
        v4si w;
        if (m_colorWithBlack == 0 || m_colorWithBlack == 1)
            w = v4si{65535, 65535, 65535, 65535};
        else if (m_colorWithBlack == 2)
            w = (v4si)(65535u - maximum);
        else
            w = (v4si)maximum;
        for (const ContactPlan& contact : m_contacts) {
            const v4su b = snapshot[contact.target];
            const v4su x1 = 65535u - Mul(snapshot[contact.first], 65535u - b);
            const v4su b1 = (b + (v4su)SMul(SMul((v4si)x1 - (v4si)b, s), w)) & 0xFFFFu;
            const v4su y = 65535u - Mul(snapshot[contact.second], 65535u - b1);
            channel[contact.target] = (b1 + (v4su)SMul(SMul((v4si)y - (v4si)b1, s), w)) & 0xFFFFu;
        }
    }

    // Lanes back to pixels: the computed channels only (the callers read
    // no others).
    alignas(32) uint32_t lanes[kMaxChannels][kBatch];
    std::memcpy(lanes, channel, sizeof lanes);
    for (unsigned j = 0; j < m_workChannels; ++j)
        for (unsigned p = 0; p < kBatch; ++p)
            work[p][j] = uint16_t(lanes[j][p]);
    return true;
}

#else

bool CVarnelPixelPlan::ComputeBatchVector(const uint16_t*, uint16_t (*)[kMaxChannels]) const { return false; }

#endif
