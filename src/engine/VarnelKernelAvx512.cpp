// The lane kernel with eight lanes, built for AVX-512 (the build gives this
// file its instruction set; it runs only where VarnelKernelRuns says so).
#include "engine/VarnelLaneKernel.h"

#if defined(VARNEL_LANE_KERNELS)
void VarnelRunEightLanes(const VarnelKernelPlan& plan, const uint16_t* rgb,
                         uint16_t (*work)[kMaxChannels])
{
    LaneKernel<8>::Run(plan, rgb, work);
}
#else
void VarnelRunEightLanes(const VarnelKernelPlan& plan, const uint16_t* rgb,
                         uint16_t (*work)[kMaxChannels])
{
    VarnelRunOneLane(plan, rgb, work);
}
#endif
