#include "engine/VarnelIF.h"

#include "config/Varnel.h"
#include "engine/VarnelCache.h"
#include "engine/VarnelDummyBuffer.h"
#include "engine/VarnelRefinement.h"
#include "geometry/KLine.h"
#include "geometry/KSegment.h"
#include "stages/VarnelChannelsContact.h"
#include "stages/VarnelMasks.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {

// Fixed-point helpers on unsigned 32-bit values; channel values are 16-bit
// with 65535 meaning no ink.
inline uint32_t Inv(uint32_t x) { return 65535u - x; }
inline uint32_t Mul(uint32_t a, uint32_t b) { return (a * b + 65535u) >> 16; }
// The same on signed 32-bit values with an arithmetic shift. Operands stay
// within +-65535 * 32767, so the product never overflows.
inline int32_t SMul(int32_t d, int32_t s) { return (d * s + 65535) >> 16; }
// 16 to 8 bits, rounding x / 257 to the nearest integer.
inline uint8_t Narrow(uint32_t x) { return uint8_t((x * 65281u + 8388608u) >> 24); }

constexpr uint32_t kScratchBytes = 16777216u;
constexpr uint32_t kAreaBytes = 8388608u;  // each half of the scratch block

} // namespace

// A mask ramp segment, resolved for the pixel path: its hue span and the
// coefficients of its line a*x + b*y + c = 0.
struct CVarnelIF::SegmentPlan {
    double start = 0;
    double end = 0;
    // The segment's slope equals the vertical-line marker (-1.0): crossing
    // it with the vertical through a hue yields "same" or "parallel", never
    // a point, so its level is 0.
    bool noCrossing = false;
    double a = 0;
    double c = 0;
    double denominator = 0;  // b'*a - a'*b with the vertical line (1, 0, -h)
};

struct CVarnelIF::MaskPlan {
    unsigned channel = 0;
    unsigned segments = 0;
    SegmentPlan segment[3];
    // The hue span all segments cover. While it ends below 720 degrees the
    // wrap step can add 360 at most once, so a hue h can only be found as h
    // or h + 360: when neither lies in the span, no segment holds the hue
    // and the level is 0, which is known without walking the segments.
    bool quickReject = false;
    double lowest = 0;
    double highest = 0;
};

struct CVarnelIF::ContactPlan {
    unsigned target = 0;
    unsigned first = 0;
    unsigned second = 0;
};

// Progress of one conversion call: every new whole percentage is reported.
struct CVarnelIF::Progress {
    VarnelProgressProc callback;
    long long value;
    uint32_t total;
    uint64_t done;  // pixels of the job done before this call
    int64_t last = -1;

    void Report(uint32_t i)
    {
        // A job of no pixels has no percentage to report.
        if (!callback || total == 0)
            return;
        const int64_t percent = int64_t(double(done + i) * 100.0 / double(total));
        if (percent != last) {
            callback(double(percent), value);
            last = percent;
        }
    }
};

CVarnelIF::CVarnelIF() : m_line(new KLine()), m_workBuffer(new CVarnelDummyBuffer()) {}

CVarnelIF::~CVarnelIF() = default;

int CVarnelIF::Process(const VarnelImageDesc& source, const VarnelImageDesc& destination,
                       const VarnelPoint& origin, const VarnelRect& rectangle)
{
    return ProcessRegion(source, destination, origin, rectangle);
}

void CVarnelIF::Reinit()
{
    m_line.reset(new KLine());
    m_workBuffer.reset(new CVarnelDummyBuffer());
    m_prepared = false;
    m_rememberedValid = 0;
    m_masks.clear();
    m_contacts.clear();
    m_refinement.reset();
    m_refine = false;
}

int CVarnelIF::Reserved() { return 0; }

void CVarnelIF::SetConfig(CVarnel* config)
{
    m_config = config;
    m_prepared = false;
}

bool CVarnelIF::Prepare()
{
    if (m_prepared)
        return true;
    if (!m_config)
        return false;
    CVarnel& config = *m_config;
    m_channels = config.GetChannels();
    m_workChannels = unsigned(std::min<uint64_t>(m_channels, kMaxWorkChannels));
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

    m_masks.clear();
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

    m_contacts.clear();
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
    m_prepared = true;
    return true;
}

void CVarnelIF::BuildHueBuckets()
{
    // Bucket b holds the masks that may find a hue h with b <= h < b + 1
    // (h = 360 has a bucket of its own). A mask can only find h as h or as
    // h + 360 (see MaskPlan), and b + 360 <= h + 360 <= b + 361 holds in
    // doubles as well, so a mask whose span meets neither [b, b + 1] nor
    // [b + 360, b + 361] has level 0 for every hue of the bucket.
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

void CVarnelIF::ApplyMasks(double hueFraction, double lightness)
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
            m_work[mask.channel] = 65535u;
            continue;
        }
        double h = hue;
        double level = 0.0;
        for (unsigned k = 0; k < mask.segments; ++k) {
            const SegmentPlan& s = mask.segment[k];
            if (s.end > 360.0 && s.start > s.end - 360.0) {
                if (s.end - 360.0 >= h)
                    h += 360.0;
                if (h == 0.0)
                    h = 360.0;
            }
            if (s.start <= h && h <= s.end) {
                // The crossing of the segment's line with the vertical x = h,
                // in the operation order of the general line intersection.
                // Dividing by -1 is an exact negation.
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
        m_work[mask.channel] = uint16_t(Inv(ink));
    }
}

void CVarnelIF::ApplyContact(uint32_t black)
{
    // With no ink limit every contact step leaves its target as it is.
    if (m_inkLimit == 0 || m_contacts.empty())
        return;
    uint16_t snapshot[kMaxWorkChannels];
    std::memcpy(snapshot, m_work, sizeof snapshot);
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
            m_work[contact.target] = uint16_t(b);
            continue;
        }
        const uint32_t x = Inv(Mul(snapshot[contact.first], Inv(b)));
        const uint32_t b1 = (b + uint32_t(SMul(SMul(int32_t(x) - int32_t(b), s), w))) & 0xFFFFu;
        const uint32_t y = Inv(Mul(snapshot[contact.second], Inv(b1)));
        m_work[contact.target] = uint16_t(b1 + uint32_t(SMul(SMul(int32_t(y) - int32_t(b1), s), w)));
    }
}

int CVarnelIF::ComputePixel(uint32_t r, uint32_t g, uint32_t b)
{
    uint32_t x[3] = {r, g, b};
    for (int i = 0; i < 3; ++i) {
        if (m_liftActive[i]) {
            const double lifted = m_liftFactor[i] * (double(x[i]) - 65535.0) + 65535.0;
            x[i] = uint32_t(std::max(0.0, std::min(65535.0, lifted)));
        }
    }
    const uint32_t maximum = std::max(x[0], std::max(x[1], x[2]));
    if (m_blackChannel >= 0)
        m_work[m_blackChannel] = uint16_t(maximum);

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
    ApplyMasks(hue, lightness);
    if (m_contactMissing)
        return -1;
    ApplyContact(maximum);
    if (m_refine)
        return m_refinement->Apply(m_work);
    return 0;
}

namespace {

// Stores a channel value in the output's width: 16-bit as it is, 8-bit
// narrowed. Channels past the computed ones are written as no ink.
inline void Store(uint16_t* out, unsigned j, uint16_t v) { out[j] = v; }
inline void Store(uint8_t* out, unsigned j, uint16_t v) { out[j] = Narrow(v); }
inline void StoreNoInk(uint16_t* out, uint64_t from, uint64_t to) { std::fill(out + from, out + to, uint16_t(65535)); }
inline void StoreNoInk(uint8_t* out, uint64_t from, uint64_t to) { std::fill(out + from, out + to, uint8_t(255)); }

} // namespace

template <typename Out>
int CVarnelIF::ConvertPixels(const uint16_t* in, Out* out, uint64_t outStride, uint32_t total,
                             uint32_t count, uint32_t* processed, VarnelProgressProc callback,
                             long long value)
{
    const unsigned channels = m_workChannels;
    Progress progress{callback, value, total, processed ? *processed : 0u};
    const bool cached = m_cache && m_cache->IsUsable();
    const unsigned cachedBytes = cached ? std::min<unsigned>(channels, m_cache->GetStride()) : 0;

    for (uint32_t i = 0; i < count; ++i, in += 3, out += outStride) {
        const uint16_t r = in[0], g = in[1], b = in[2];
        if (m_rememberedValid && r == m_remembered[0] && g == m_remembered[1] &&
            b == m_remembered[2]) {
            std::memcpy(m_work, m_previous, sizeof m_work);
        } else if (cached) {
            const uint8_t* entry = m_cache->Lookup(Narrow(r), Narrow(g), Narrow(b));
            std::memset(m_work, 0, sizeof m_work);
            for (unsigned j = 0; j < cachedBytes; ++j)
                m_work[j] = uint16_t(entry[j] * 257u);
        } else {
            std::memset(m_work, 0, sizeof m_work);
            const int status = ComputePixel(r, g, b);
            if (status != 0)
                return status;
        }
        std::memcpy(m_previous, m_work, sizeof m_work);
        for (unsigned j = 0; j < channels; ++j)
            Store(out, j, m_work[j]);
        if (outStride > channels)
            StoreNoInk(out, channels, outStride);
        m_remembered[0] = r;
        m_remembered[1] = g;
        m_remembered[2] = b;
        m_rememberedValid = 65535u;
        progress.Report(i);
    }
    if (processed)
        *processed += count;
    return 0;
}

int CVarnelIF::Convert16(const uint16_t* in, uint16_t* out, uint32_t total, uint32_t count,
                         uint32_t* processed, VarnelProgressProc callback, long long value)
{
    if (!Prepare())
        return -1;
    if (count == 0)
        return 0;
    // A pixel occupies as many values as the configuration has channels
    // (what a host sizes its buffer for); channels past the computed 16 are
    // written as no ink.
    return ConvertPixels<uint16_t>(in, out, m_channels, total, count, processed, callback, value);
}

int CVarnelIF::ConvertCached8(const uint8_t* in, uint8_t* out, uint32_t total, uint32_t count,
                              uint32_t* processed, VarnelProgressProc callback, long long value)
{
    // Byte for byte what widening, a cached Convert16 and narrowing give:
    // the look-up key Narrow(v * 257) is v again, and Narrow(e * 257) is e.
    // Only pixels that repeat a pixel remembered from before this call may
    // differ from their table entry (it may have been computed in full);
    // once one entry was read, a repeat gives that entry again, so the rest
    // of the call reads the table alone.
    const unsigned channels = m_workChannels;
    const unsigned cachedBytes = std::min<unsigned>(channels, m_cache->GetStride());
    const uint64_t stride = m_channels;
    Progress progress{callback, value, total, processed ? *processed : 0u};
    uint32_t i = 0;
    for (; i < count && m_rememberedValid && in[0] * 257u == m_remembered[0] &&
           in[1] * 257u == m_remembered[1] && in[2] * 257u == m_remembered[2];
         ++i, in += 3, out += stride) {
        for (unsigned j = 0; j < channels; ++j)
            out[j] = Narrow(m_previous[j]);
        if (stride > channels)
            StoreNoInk(out, channels, stride);
        progress.Report(i);
    }
    if (i == count) {
        if (processed)
            *processed += count;
        return 0;
    }
    const uint8_t* last = nullptr;
    auto copyEntries = [&](auto bytes) {
        for (; i < count; ++i, in += 3, out += stride) {
            last = in;
            const uint8_t* entry = m_cache->Lookup(in[0], in[1], in[2]);
            std::memcpy(out, entry, bytes);
            progress.Report(i);
        }
    };
    if (cachedBytes == channels && stride == channels && callback == nullptr) {
        // The common case, with the entry size known to the compiler.
        switch (channels) {
        case 4: copyEntries(std::integral_constant<size_t, 4>()); break;
        case 5: copyEntries(std::integral_constant<size_t, 5>()); break;
        case 6: copyEntries(std::integral_constant<size_t, 6>()); break;
        case 7: copyEntries(std::integral_constant<size_t, 7>()); break;
        case 8: copyEntries(std::integral_constant<size_t, 8>()); break;
        default: copyEntries(size_t(channels)); break;
        }
    } else {
        for (; i < count; ++i, in += 3, out += stride) {
            last = in;
            const uint8_t* entry = m_cache->Lookup(in[0], in[1], in[2]);
            std::memcpy(out, entry, cachedBytes);
            std::memset(out + cachedBytes, 0, channels - cachedBytes);
            if (stride > channels)
                StoreNoInk(out, channels, stride);
            progress.Report(i);
        }
    }
    // Remember the last pixel as the per-pixel path would have.
    const uint8_t* entry = m_cache->Lookup(last[0], last[1], last[2]);
    std::memset(m_previous, 0, sizeof m_previous);
    for (unsigned j = 0; j < cachedBytes; ++j)
        m_previous[j] = uint16_t(entry[j] * 257u);
    m_remembered[0] = uint16_t(last[0] * 257u);
    m_remembered[1] = uint16_t(last[1] * 257u);
    m_remembered[2] = uint16_t(last[2] * 257u);
    m_rememberedValid = 65535u;
    if (processed)
        *processed += count;
    return 0;
}

int CVarnelIF::Convert8(const uint8_t* in, uint8_t* out, uint32_t total, uint32_t count,
                        uint32_t* processed, VarnelProgressProc callback, long long value)
{
    // Without a configuration there is nothing to separate: the same answer
    // as Convert16.
    if (!Prepare())
        return -1;
    const uint64_t channels = m_channels;
    // A scratch block that cannot be had: -1, nothing written.
    if (m_workBuffer->Reserve(kScratchBytes) != 0)
        return -1;
    if (count < 1)
        return 0;

    // A chunk is the largest number of pixels whose 16-bit output stays
    // below the 8 MiB output area (2 * channels * k < 8 MiB); with fewer
    // than 3 channels the widened input (6 bytes a pixel) bounds it too. For
    // more than 16 channels only the computed 16 pass the scratch block, and
    // a chunk holds at least one pixel.
    uint64_t chunk = channels ? (kAreaBytes - 1) / (2 * channels) : UINT32_MAX;
    chunk = std::min<uint64_t>(chunk, kAreaBytes / 6);
    chunk = std::max<uint64_t>(chunk, 1);

    uint16_t* area16In = reinterpret_cast<uint16_t*>(m_workBuffer->GetData());
    const bool cached = m_cache && m_cache->IsUsable();
    int result = 0;
    uint32_t remaining = count;
    while (remaining > 0) {
        const uint32_t k = uint32_t(std::min<uint64_t>(chunk, remaining));
        if (cached) {
            result = ConvertCached8(in, out, total, k, processed, callback, value);
            in += 3u * uint64_t(k);
            out += channels * k;
        } else {
            for (uint32_t i = 0; i < 3u * k; ++i)
                area16In[i] = uint16_t(in[i] * 257u);
            in += 3u * uint64_t(k);
            // Narrowed as each pixel is stored: the same bytes as narrowing
            // the chunk's 16-bit output afterwards, without the second pass.
            result = ConvertPixels(area16In, out, channels, total, k, processed, callback, value);
            out += channels * k;
        }
        remaining -= k;
    }
    return result;
}

int CVarnelIF::ProcessRegion(const VarnelImageDesc& source, const VarnelImageDesc& destination,
                             const VarnelPoint& origin, const VarnelRect& rectangle)
{
    if (!m_config || !source.data || !destination.data)
        return -1;
    const uint64_t channels = m_config->GetChannels();
    uint16_t* values = new (std::nothrow) uint16_t[channels ? channels : 1];
    if (!values)
        return -108;
    uint8_t* sourceColumn = source.data + origin.y * source.rowStride + origin.x * source.pixelStride;
    uint8_t* destinationColumn =
        destination.data + rectangle.top * destination.rowStride + rectangle.left * destination.pixelStride;
    int status = 0;
    for (long column = 0; column < rectangle.right - rectangle.left; ++column) {
        uint8_t* s = sourceColumn;
        uint8_t* d = destinationColumn;
        for (long row = 0; row < rectangle.bottom - rectangle.top; ++row) {
            const uint16_t pixel[3] = {uint16_t(s[0] * 257u), uint16_t(s[source.componentStride] * 257u),
                                       uint16_t(s[2 * source.componentStride] * 257u)};
            uint32_t counter = 0;
            status = Convert16(pixel, values, 1, 1, &counter, nullptr, 0);
            if (status == 0) {
                for (uint64_t j = 0; j < channels; ++j)
                    d[j * destination.componentStride] = Narrow(values[j]);
            }
            s += source.rowStride;
            d += destination.rowStride;
        }
        sourceColumn += source.pixelStride;
        destinationColumn += destination.pixelStride;
    }
    delete[] values;
    return status;
}
