// The lane kernel with one lane: the pixel-by-pixel path, for every CPU.
// Also chooses the kernels the CPU runs.
#include "engine/VarnelLaneKernel.h"

void VarnelRunOnePixel(const VarnelKernelPlan& plan, const uint16_t* rgb, uint16_t* work)
{
    LaneKernel<1>::Run(plan, rgb, reinterpret_cast<uint16_t(*)[kMaxChannels]>(work));
}

void VarnelRunOneLane(const VarnelKernelPlan& plan, const uint16_t* rgb,
                      uint16_t (*work)[kMaxChannels])
{
    for (unsigned p = 0; p < 8; ++p)
        LaneKernel<1>::Run(plan, rgb + 3 * p, work + p);
}

bool VarnelKernelRuns(VarnelKernel kernel)
{
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__)) && defined(VARNEL_LANE_KERNELS)
    __builtin_cpu_init();
    switch (kernel) {
    case VarnelKernel::EightLanes:
        return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq") &&
               __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512bw");
    case VarnelKernel::FourLanes:
        return __builtin_cpu_supports("avx2");
    case VarnelKernel::OneLane:
        return true;
    }
    return false;
#else
    return kernel == VarnelKernel::OneLane;
#endif
}

VarnelKernel VarnelWidestKernel()
{
    if (VarnelKernelRuns(VarnelKernel::EightLanes))
        return VarnelKernel::EightLanes;
    if (VarnelKernelRuns(VarnelKernel::FourLanes))
        return VarnelKernel::FourLanes;
    return VarnelKernel::OneLane;
}
