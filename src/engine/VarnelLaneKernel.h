// The colour model, the hue masks and the channel contact for N pixels at
// once, one pixel per lane. There is one kernel for every lane count: the
// pixel-by-pixel path is this kernel with one lane, so the scalar and the
// vector paths cannot drift apart.
//
// Every lane performs the formulas in their order on IEEE doubles and
// unsigned 32-bit integers; choices a scalar code would make by branching
// are made by selecting between lanes' values, so each lane's result is the
// pixel's result whatever N is.
//
// Included only by the translation units that instantiate it, each built for
// its instruction set (VarnelKernelScalar.cpp, VarnelKernelAvx2.cpp,
// VarnelKernelAvx512.cpp). Everything here has internal linkage and calls no
// library function, so that no code built for a wider instruction set can be
// picked by the linker for a narrower one.
#pragma once

#include "engine/VarnelFixedPoint.h"
#include "engine/VarnelKernelPlan.h"

#include <cstdint>
#if defined(__AVX__)
#include <immintrin.h>
#endif

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
struct LaneTypes {
    typedef double D __attribute__((vector_size(8 * N)));
    typedef long long M __attribute__((vector_size(8 * N)));
    typedef unsigned long long Q __attribute__((vector_size(8 * N)));
    typedef int32_t I __attribute__((vector_size(4 * N)));
    typedef uint32_t U __attribute__((vector_size(4 * N)));
};

template <int N>
struct LaneKernel {
    using D = typename LaneTypes<N>::D;
    using M = typename LaneTypes<N>::M;
    using Q = typename LaneTypes<N>::Q;
    using I = typename LaneTypes<N>::I;
    using U = typename LaneTypes<N>::U;
    using Plan = VarnelKernelPlan;
    static constexpr unsigned kChannels = kMaxChannels;

    static VARNEL_INLINE D Select(M mask, D a, D b) { return (D)(((M)a & mask) | ((M)b & ~mask)); }
    static VARNEL_INLINE U SelectU(I mask, U a, U b) { return (a & (U)mask) | (b & ~(U)mask); }
    // Whether any lane of a comparison holds.
    static VARNEL_INLINE bool Any(M mask)
    {
#if defined(__AVX512F__)
        if constexpr (N == 8)
            return _mm512_test_epi64_mask(__m512i(mask), __m512i(mask)) != 0;
#endif
#if defined(__AVX__)
        if constexpr (N == 4)
            return !_mm256_testz_si256(__m256i(mask), __m256i(mask));
#endif
        long long any = 0;
        for (int lane = 0; lane < N; ++lane)
            any |= mask[lane];
        return any != 0;
    }
    static VARNEL_INLINE D All(double v) { return D{} + v; }
    static VARNEL_INLINE U AllU(uint32_t v) { return U{} + v; }
    static VARNEL_INLINE D ToDouble(U v) { return __builtin_convertvector((I)v, D); }
    // Truncation toward zero, for values within the 32-bit range.
    static VARNEL_INLINE U Truncate(D v) { return (U)__builtin_convertvector(v, I); }
    // min(bound, v) and max(bound, v) as std::min and std::max give them.
    static VARNEL_INLINE D MinWith(double bound, D v) { return Select(v < bound, v, All(bound)); }
    static VARNEL_INLINE D MaxWith(double bound, D v) { return Select(bound < v, v, All(bound)); }

    // The channel value of a mask at a level: inv(trunc(clamp(purity *
    // level / 65535) * 65535)).
    static VARNEL_INLINE U Ink(D purity, D level)
    {
        const D amount = MaxWith(0.0, MinWith(1.0, purity * level / 65535.0));
        return Inv(Truncate(amount * 65535.0));
    }

    // The crossing of a segment's line with the vertical x = h, in the
    // operation order of the general line intersection; dividing by -1 is
    // an exact negation.
    static VARNEL_INLINE D Crossing(const VarnelSegmentPlan& s, D h)
    {
        const D numerator = 1.0 * s.c - (-h) * s.a;
        return s.denominator == -1.0 ? -numerator : numerator / s.denominator;
    }

    // The walk over a mask's segments, each lane on its own: the wrap step,
    // then the first segment that holds the hue gives the level (0 when
    // none does).
    static VARNEL_INLINE D RampLevel(const VarnelMaskPlan& mask, D degrees)
    {
        D h = degrees;
        D level = All(0.0);
        M searching = M{} == M{};
        for (unsigned k = 0; k < mask.segments; ++k) {
            const VarnelSegmentPlan& s = mask.segment[k];
            if (s.wraps) {
                h = Select(searching & (s.end - 360.0 >= h), h + 360.0, h);
                h = Select(searching & (h == 0.0), All(360.0), h);
            }
            const M holds = searching & (s.start <= h) & (h <= s.end);
            if (!s.noCrossing)
                level = Select(holds, Crossing(s, h), level);
            searching &= ~holds;
        }
        return level;
    }

    // Lanes that take different paths: the level of each lane on the
    // segment its choice names, by the formula of Crossing with that
    // segment's coefficients (a division by -1 is the exact negation, so a
    // mask whose segments all have that denominator negates).
    static VARNEL_INLINE D LaneLevel(const VarnelMaskPlan& mask, M choices, D degrees)
    {
        D a, c, denominator;
        static_assert(Plan::kChoiceWrapped >> 2 == 4, "a wrapped path indexes the upper half");
        const M index = (choices & 3) | ((choices & Plan::kChoiceWrapped) >> 2);
        // clang (the fuzz build) has no shuffle by a mask known only at run
        // time: there every lane reads its own entries.
#if !defined(__clang__)
        if constexpr (N == 8) {
            D table;
            __builtin_memcpy(&table, mask.pathA, sizeof table);
            a = __builtin_shuffle(table, index);
            __builtin_memcpy(&table, mask.pathC, sizeof table);
            c = __builtin_shuffle(table, index);
            __builtin_memcpy(&table, mask.pathDenominator, sizeof table);
            denominator = __builtin_shuffle(table, index);
        } else
#endif
        {
            for (int lane = 0; lane < N; ++lane) {
                a[lane] = mask.pathA[index[lane]];
                c[lane] = mask.pathC[index[lane]];
                denominator[lane] = mask.pathDenominator[index[lane]];
            }
        }
        const D h = Select(index >= 4, degrees + 360.0, degrees);
        const D numerator = 1.0 * c - (-h) * a;
        const D level = mask.negates ? -numerator : numerator / denominator;
        return Select((index & 3) == 0, All(0.0), level);
    }

    static VARNEL_INLINE void Run(const Plan& plan, const uint16_t* rgb, uint16_t (*work)[kChannels])
    {
        // Channels that no mask and not the black channel write are 0; the
        // others are written before they are read.
        U channel[kChannels];
        for (unsigned k = 0; k < plan.unwrittenCount; ++k)
            channel[plan.unwritten[k]] = AllU(0u);

        // Lift.
        U x[3];
        for (int c = 0; c < 3; ++c) {
            uint32_t lanes[N];
            for (int lane = 0; lane < N; ++lane)
                lanes[lane] = rgb[3 * lane + c];
            __builtin_memcpy(&x[c], lanes, sizeof x[c]);
            if (plan.liftActive[c]) {
                const D lifted = plan.liftFactor[c] * (ToDouble(x[c]) - 65535.0) + 65535.0;
                x[c] = Truncate(MaxWith(0.0, MinWith(65535.0, lifted)));
            }
        }
        // Black.
        U maximum = SelectU((I)(x[1] > x[2]), x[1], x[2]);
        maximum = SelectU((I)(x[0] > maximum), x[0], maximum);
        if (plan.blackChannel >= 0)
            channel[plan.blackChannel] = maximum;

        // Normalise: floor(x * 65536 / M), capped at 65535, through a double
        // division: both operands are exact, and a quotient that is not a
        // whole number lies at least 1/65535 below the next one, far more
        // than the rounding of a double below 2^32, so the division never
        // rounds up to it.
        const M zero = ToDouble(maximum) == 0.0;
        const D divisor = Select(zero, All(1.0), ToDouble(maximum));
        D component[3];
        for (int c = 0; c < 3; ++c) {
            const D quotient = ToDouble(x[c]) * 65536.0 / divisor;
            const D normalised = Select(zero, All(65535.0), ToDouble(Truncate(MinWith(65535.0, quotient))));
            component[c] = normalised / 65535.0;
        }

        // Hue and lightness. Each hue rule is tested on its own: on a tie
        // the later rule decides.
        const D rr = component[0], gg = component[1], bb = component[2];
        D hi = Select(gg < bb, bb, gg);
        hi = Select(rr < hi, hi, rr);
        D lo = Select(bb < gg, bb, gg);
        lo = Select(lo < rr, lo, rr);
        const D delta = hi - lo;
        const D lightness = (hi + lo) / 2.0;
        const M coloured = delta != 0.0;
        const D safeDelta = Select(coloured, delta, All(1.0));
        // The rule of the last largest component decides: blue gives
        // 2/3 + dG - dR, else green 1/3 + dR - dB, else red dB - dG. Only
        // the two distances that rule reads are computed, from the
        // components selected for each lane.
        const M blueRule = bb == hi;
        const M greenRule = ~blueRule & (gg == hi);
        const D added = Select(blueRule, gg, Select(greenRule, rr, bb));
        const D taken = Select(blueRule, rr, Select(greenRule, bb, gg));
        const D dAdded = ((hi - added) / 6.0 + delta / 2.0) / safeDelta;
        const D dTaken = ((hi - taken) / 6.0 + delta / 2.0) / safeDelta;
        D hue = Select(blueRule, 2.0 / 3.0 + dAdded - dTaken,
                       Select(greenRule, 1.0 / 3.0 + dAdded - dTaken, dAdded - dTaken));
        hue = Select(hue < 0.0, hue + 1.0, hue);
        hue = Select(hue > 1.0, hue - 1.0, hue);
        hue = Select(coloured, hue, All(0.0));

        // Hue masks: only those some lane's hue bucket names are walked.
        const D purity = 2.0 * (1.0 - lightness);
        const D degrees = hue * 360.0;
        uint32_t candidates = 0;
        // Each lane's row of choices, eight masks to a word.
        uint64_t rowWords[2][N];
        for (int lane = 0; lane < N; ++lane) {
            const double h = degrees[lane];
            const bool inside = h >= 0.0 && h < double(Plan::kHueBuckets);
            const size_t bucket = inside ? size_t(h) : Plan::kHueBuckets;
            candidates |= inside ? plan.hueBuckets[bucket] : plan.allMasks;
            __builtin_memcpy(&rowWords[0][lane], plan.segmentChoices + bucket * kChannels, 8);
            __builtin_memcpy(&rowWords[1][lane], plan.segmentChoices + bucket * kChannels + 8, 8);
        }
        const D fraction = degrees - ToDouble(Truncate(degrees));
        const M atEdge = (fraction < Plan::kEdge) | (fraction > 1.0 - Plan::kEdge);
        M rows[2] = {};
        __builtin_memcpy(&rows[0], rowWords[0], sizeof rows[0]);
        if (plan.maskCount > 8)
            __builtin_memcpy(&rows[1], rowWords[1], sizeof rows[1]);
        // The levels first, then the inks, one after another.
        D level[kChannels];
        unsigned inked[kChannels];
        unsigned inks = 0;
        for (size_t i = 0; i < plan.maskCount; ++i) {
            const VarnelMaskPlan& mask = plan.masks[i];
            if (i < 32 && !((candidates >> i) & 1u)) {
                channel[mask.channel] = AllU(65535u);
                continue;
            }
            // Where each lane's bucket decides the path through this mask,
            // the level is that segment's line at h or h + 360; lanes at
            // the edge of a bucket that does not decide it, and masks that
            // have no choices, are walked.
            const M own = (M)((Q)rows[i >> 3] >> (8 * (i & 7))) & 0xFF;
            const M choices = own & Plan::kChoicePath;
            const long long choice = choices[0];
            if (Any((own == Plan::kChoiceOpen) | (atEdge & ((own & Plan::kChoiceEdge) != 0)))) {
                level[inks] = RampLevel(mask, degrees);
            } else if (Any(choices != choice)) {
                level[inks] = LaneLevel(mask, choices, degrees);
            } else if (choice == Plan::kChoiceNone) {
                channel[mask.channel] = AllU(65535u);
                continue;
            } else {
                const VarnelSegmentPlan& s = mask.segment[(choice & 3) - 1];
                const D h = (choice & Plan::kChoiceWrapped) ? degrees + 360.0 : degrees;
                level[inks] = Crossing(s, h);
            }
            inked[inks++] = mask.channel;
        }
        for (unsigned k = 0; k < inks; ++k)
            channel[inked[k]] = Ink(purity, level[k]);

        // Channel contact, on the snapshot of the channels. With the
        // strength s = 0 every target comes out unchanged.
        if (plan.inkLimit != 0 && plan.contactCount != 0) {
            U snapshot[kChannels];
            for (unsigned j = 0; j < plan.workChannels; ++j)
                snapshot[j] = channel[j];
            const I s = I{} + plan.inkLimit;
            I w;
            if (plan.colorWithBlack == 0 || plan.colorWithBlack == 1)
                w = I{} + 65535;
            else if (plan.colorWithBlack == 2)
                w = (I)Inv(maximum);
            else
                w = (I)maximum;
            for (size_t k = 0; k < plan.contactCount; ++k) {
                const VarnelContactPlan& contact = plan.contacts[k];
                const U b = snapshot[contact.target];
                const U x1 = Inv(Mul(snapshot[contact.first], Inv(b)));
                const U b1 = (b + (U)SMul(SMul((I)x1 - (I)b, s), w)) & 0xFFFFu;
                const U y = Inv(Mul(snapshot[contact.second], Inv(b1)));
                channel[contact.target] = (b1 + (U)SMul(SMul((I)y - (I)b1, s), w)) & 0xFFFFu;
            }
        }

        // Lanes back to pixels: the computed channels only (the callers read
        // no others).
        for (unsigned j = 0; j < plan.workChannels; ++j)
            for (int lane = 0; lane < N; ++lane)
                work[lane][j] = uint16_t(channel[j][lane]);
    }
};

} // namespace
