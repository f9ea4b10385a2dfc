// The data the lane kernel reads, as plain structures and raw pointers: the
// kernel is compiled once per instruction set (see VarnelLaneKernel.h), and
// code built for AVX-512 must not share inline library functions (containers,
// algorithms) with code that runs on any x86-64 CPU.
//
// The kernel computes the colour model, the hue masks and the channel
// contact of N pixels at once, one pixel per lane; the refinement stages run
// after it, pixel by pixel.
#pragma once

#include "engine/VarnelFixedPoint.h"

#include <cstddef>
#include <cstdint>

// A mask ramp segment, resolved for the pixel path: its hue span and the
// coefficients of its line a*x + b*y + c = 0.
struct VarnelSegmentPlan {
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

struct VarnelMaskPlan {
    unsigned channel = 0;
    unsigned segments = 0;
    VarnelSegmentPlan segment[3];
    // The hue span all segments cover. While it ends below 720 degrees the
    // wrap step can add 360 at most once, so a hue h can only be found as h
    // or h + 360.
    bool quickReject = false;
    double lowest = 0;
    double highest = 0;
    // The coefficients by path (segment 1 to 3, 0 for none, plus 4 where
    // the hue is taken as h + 360), for lanes that take different paths;
    // negates: every segment's denominator is -1.
    double pathA[8] = {};
    double pathC[8] = {};
    double pathDenominator[8] = {1, 1, 1, 1, 1, 1, 1, 1};
    bool negates = true;
};

struct VarnelContactPlan {
    unsigned target = 0;
    unsigned first = 0;
    unsigned second = 0;
};

struct VarnelKernelPlan {
    static constexpr size_t kHueBuckets = 361;
    // Per hue bucket and mask: the segment (1 to 3) that holds the hues of
    // the bucket, with kChoiceWrapped when a hue is taken as h + 360;
    // kChoiceNone when none holds them (level 0); with kChoiceEdge when hues
    // within kEdge of the bucket's edges may take another path;
    // kChoiceOpen when the hues of the bucket take different paths.
    static constexpr uint8_t kChoiceNone = 0;
    static constexpr uint8_t kChoiceWrapped = 0x10;
    static constexpr uint8_t kChoiceEdge = 0x20;
    static constexpr uint8_t kChoicePath = 0x13;
    static constexpr uint8_t kChoiceOpen = 0xFF;
    // Far more than the rounding of h + 360 (below 2^-43), far less than a
    // degree.
    static constexpr double kEdge = 0x1p-20;

    unsigned workChannels = 0;
    bool liftActive[3] = {};
    double liftFactor[3] = {};
    int blackChannel = -1;  // -1 when the index is not a work channel
    uint32_t colorWithBlack = 0;
    int32_t inkLimit = 0;
    const VarnelMaskPlan* masks = nullptr;
    size_t maskCount = 0;
    // Per hue bucket (degree), the masks (the first 32) that may find a hue
    // of it; every mask for hues outside 0..360.
    const uint32_t* hueBuckets = nullptr;
    uint32_t allMasks = 0;
    // A row of kMaxChannels choices per bucket, one per mask; one more row,
    // all kChoiceOpen, for hues outside the buckets.
    const uint8_t* segmentChoices = nullptr;
    const VarnelContactPlan* contacts = nullptr;
    size_t contactCount = 0;
    // The work channels that no mask and not the black channel write.
    const uint8_t* unwritten = nullptr;
    unsigned unwrittenCount = 0;
};

// The lane counts a kernel can have. Which ones run depends on the CPU.
enum class VarnelKernel { OneLane = 1, FourLanes = 4, EightLanes = 8 };

// The widest kernel this CPU runs.
VarnelKernel VarnelWidestKernel();
// Whether this CPU runs the kernel.
bool VarnelKernelRuns(VarnelKernel kernel);

// Each computes 8 pixels (3 values each) into work[pixel][0..15]; the
// channels past plan.workChannels are left as they are.
typedef void (*VarnelKernelFunction)(const VarnelKernelPlan& plan, const uint16_t* rgb,
                                     uint16_t (*work)[kMaxChannels]);
void VarnelRunOneLane(const VarnelKernelPlan& plan, const uint16_t* rgb,
                      uint16_t (*work)[kMaxChannels]);
void VarnelRunFourLanes(const VarnelKernelPlan& plan, const uint16_t* rgb,
                        uint16_t (*work)[kMaxChannels]);
void VarnelRunEightLanes(const VarnelKernelPlan& plan, const uint16_t* rgb,
                         uint16_t (*work)[kMaxChannels]);
// One pixel, by the one-lane kernel.
void VarnelRunOnePixel(const VarnelKernelPlan& plan, const uint16_t* rgb,
                       uint16_t* work);
