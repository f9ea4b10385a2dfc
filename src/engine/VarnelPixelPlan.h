// Everything the pixel path needs from a configuration, resolved once: the
// lift factors, the black channel, the active hue masks in number order with
// their segment coefficients, the channel-contact items, the refinement
// stages. Computes the separation of one pixel, or of a batch of pixels at
// once, with results equal to the formulas bit for bit: both run the lane
// kernel (VarnelLaneKernel.h), one pixel with one lane, a batch with the
// kernel chosen when the plan is built.
//
// Keeps pointers into the configuration's items: build a new plan when the
// configuration changes.
#pragma once

#include "engine/VarnelKernelPlan.h"

#include <cstdint>
#include <memory>
#include <vector>

class CVarnel;
class CVarnelRefinement;

class CVarnelPixelPlan {
public:
    // Pixels computed together by ComputeBatch.
    static constexpr unsigned kBatch = 8;

    // kernel: the lane count of the batch kernel; one the CPU does not run
    // is replaced by the widest one it runs below it (KernelInUse says
    // which).
    explicit CVarnelPixelPlan(CVarnel& config, VarnelKernel kernel = VarnelWidestKernel());
    ~CVarnelPixelPlan();
    CVarnelPixelPlan(const CVarnelPixelPlan&) = delete;
    CVarnelPixelPlan& operator=(const CVarnelPixelPlan&) = delete;

    // The configuration's channel count and the computed ones (at most 16).
    uint64_t Channels() const { return m_channels; }
    unsigned WorkChannels() const { return m_workChannels; }
    // False when a stage container is missing: Compute then fails.
    bool Complete() const { return !m_masksMissing && !m_contactMissing; }

    VarnelKernel KernelInUse() const { return m_kernel; }
    // True when every pixel computes: no stage container is missing, so
    // Compute and ComputeBatch always return 0.
    bool AlwaysComputes() const { return m_alwaysComputes; }

    // Separates one 16-bit pixel into work[0..15] (channels no stage writes
    // are 0). Returns VARNEL_STATUS_OK, or VARNEL_STATUS_FAILED when a stage
    // container is missing.
    int Compute(uint32_t r, uint32_t g, uint32_t b, uint16_t* work) const;

    // Separates kBatch pixels (3 values each) into work[pixel][0..15]; the
    // same values as Compute for each pixel, and the same statuses.
    // Both read nothing but the plan: threads may share one plan.
    int ComputeBatch(const uint16_t* rgb, uint16_t (*work)[kMaxChannels]) const;

private:
    static constexpr size_t kHueBuckets = VarnelKernelPlan::kHueBuckets;

    void BuildHueBuckets();
    void BuildSegmentChoices();

    uint64_t m_channels = 0;
    unsigned m_workChannels = 0;
    bool m_masksMissing = false;
    bool m_contactMissing = false;
    bool m_alwaysComputes = false;
    std::vector<VarnelMaskPlan> m_masks;
    std::vector<uint32_t> m_hueBuckets;  // masks that may find a hue, per degree
    std::vector<uint8_t> m_segmentChoices;
    std::vector<VarnelContactPlan> m_contacts;
    std::vector<uint8_t> m_unwritten;
    // What the kernel reads, pointing into the vectors above.
    VarnelKernelPlan m_kernelPlan;
    std::unique_ptr<CVarnelRefinement> m_refinement;
    bool m_refine = false;
    VarnelKernel m_kernel = VarnelKernel::OneLane;
    VarnelKernelFunction m_runBatch = nullptr;
};
