// The fixed-point arithmetic of the pixel pipeline and its channel limit,
// for the scalar refinement stages and for the lane kernel alike: each
// helper is a template, so that it takes unsigned 32-bit values one at a
// time or a vector of them lane by lane with the same operations.
//
// Channel values are unsigned 16-bit, 65535 meaning no ink, carried in
// unsigned 32-bit integers; a value stored back into a channel keeps its low
// 16 bits. The tests that pin these rules: RefinementTest.MatchesTheFormulas
// (tests/engine/VarnelRefinementTest.cpp) and the engine's golden and lane
// kernel tests (GoldenTable, GoldenDigest, EveryKernel in
// tests/engine/VarnelIFTest.cpp).
//
// Internal linkage: the lane kernel is compiled once per instruction set,
// and the linker must not pick a copy built for a wider set for a narrower
// one.
#pragma once

#include "varnel/separation.h"

#include <cstdint>
#include <type_traits>

// Up to this many channels are computed (the limit the public header
// states); further channels of a configuration are written as "no ink".
constexpr unsigned kMaxChannels = VARNEL_MAX_CHANNELS;

namespace {

// The type of the first argument decides: a second argument of a narrower
// type (a uint16_t channel) is widened to it, and a scalar must be the
// 32-bit type the rule is written for, never one that C++ would promote to
// int.
template <typename T>
struct FixedPointWord {
    using type = T;
    static_assert(!std::is_arithmetic<T>::value || std::is_same<T, uint32_t>::value ||
                      std::is_same<T, int32_t>::value,
                  "fixed-point helpers take 32-bit values");
};

// inv(x) = 65535 - x, modulo 2^32 on unsigned values.
template <typename U>
inline __attribute__((always_inline)) U Inv(U x)
{
    (void)sizeof(FixedPointWord<U>);
    return 65535u - x;
}

// mul(a, b) = (a * b + 65535) >> 16 on unsigned 32-bit values: the product
// wraps modulo 2^32 and the shift truncates.
template <typename U>
inline __attribute__((always_inline)) U Mul(U a, typename FixedPointWord<U>::type b)
{
    return (a * b + 65535u) >> 16;
}

// smul: mul on signed 32-bit values, with an arithmetic shift (it rounds
// toward minus infinity). Used on vector lanes only, where the product
// wraps instead of overflowing.
template <typename I>
inline __attribute__((always_inline)) I SMul(I d, typename FixedPointWord<I>::type s)
{
    return (d * s + 65535) >> 16;
}

// The channel value a 32-bit result leaves: its low 16 bits.
inline uint16_t Low16(uint32_t x)
{
    return static_cast<uint16_t>(x);
}

} // namespace
