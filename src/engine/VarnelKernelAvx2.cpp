// The lane kernel with four lanes, built for AVX2 (the build gives this file
// its instruction set; it runs only where VarnelKernelRuns says so).
#include "engine/VarnelLaneKernel.h"

#if defined(VARNEL_LANE_KERNELS)
void VarnelRunFourLanes(const VarnelKernelPlan& plan, const uint16_t* rgb,
                        uint16_t (*work)[kMaxChannels])
{
    LaneKernel<4>::Run(plan, rgb, work);
    LaneKernel<4>::Run(plan, rgb + 12, work + 4);
}
#else
void VarnelRunFourLanes(const VarnelKernelPlan& plan, const uint16_t* rgb,
                        uint16_t (*work)[kMaxChannels])
{
    VarnelRunOneLane(plan, rgb, work);
}
#endif
