// Everything the pixel path needs from a configuration, resolved once: the
// lift factors, the black channel, the active hue masks in number order with
// their segment coefficients, the channel-contact items, the refinement
// stages. Computes the separation of one pixel, or of a batch of pixels at
// once, with results equal to the formulas bit for bit.
//
// Keeps pointers into the configuration's items: build a new plan when the
// configuration changes.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

class CVarnel;
class CVarnelRefinement;

class CVarnelPixelPlan {
public:
    static constexpr unsigned kMaxChannels = 16;
    // Pixels computed together by ComputeBatch.
    static constexpr unsigned kBatch = 8;

    explicit CVarnelPixelPlan(CVarnel& config);
    ~CVarnelPixelPlan();
    CVarnelPixelPlan(const CVarnelPixelPlan&) = delete;
    CVarnelPixelPlan& operator=(const CVarnelPixelPlan&) = delete;

    // The configuration's channel count and the computed ones (at most 16).
    uint64_t Channels() const { return m_channels; }
    unsigned WorkChannels() const { return m_workChannels; }
    // False when a stage container is missing: Compute then fails.
    bool Complete() const { return !m_masksMissing && !m_contactMissing; }

    // Caps the batch kernel that plans built from now on use: 0 pixel by
    // pixel, 1 four lanes, 2 eight lanes (never more than the CPU runs).
    // For tests that compare the kernels; not for use while other threads
    // build plans.
    static void LimitKernel(int highest);

    // Separates one 16-bit pixel into work[0..15] (channels no stage writes
    // are 0). Returns 0, or -1 when a stage container is missing.
    int Compute(uint32_t r, uint32_t g, uint32_t b, uint16_t* work);
    // The ramp level (0 to 65535) of the active mask that drives `channel`
    // at a hue in degrees; 0 when no mask drives it.
    double MaskLevel(unsigned channel, double degrees) const;

    // Separates kBatch pixels (3 values each) into work[pixel][0..15]; the
    // same values as Compute for each pixel. Returns 0 or -1 like Compute.
    int ComputeBatch(const uint16_t* rgb, uint16_t (*work)[kMaxChannels]);

private:
    struct SegmentPlan;
    struct MaskPlan;
    struct ContactPlan;

    void BuildHueBuckets();
    void BuildSegmentChoices();
    static double RampLevel(const MaskPlan& mask, double hue);
    void ApplyMasks(double hue, double lightness, uint16_t* work) const;
    void ApplyContact(uint32_t black, uint16_t* work) const;
    bool ComputeBatchVector(const uint16_t* rgb, uint16_t (*work)[kMaxChannels]) const;
    static int SelectKernel();

    uint64_t m_channels = 0;
    unsigned m_workChannels = 0;
    bool m_liftActive[3] = {};
    double m_liftFactor[3] = {};
    int m_blackChannel = -1;  // -1 when the index is not a work channel
    uint32_t m_colorWithBlack = 0;
    int32_t m_inkLimit = 0;
    bool m_masksMissing = false;
    bool m_contactMissing = false;
    std::vector<MaskPlan> m_masks;
    static constexpr size_t kHueBuckets = 361;
    std::vector<uint32_t> m_hueBuckets;  // masks that may find a hue, per degree
    uint32_t m_allMasks = 0;
    // Per mask and hue bucket: the segment (1 to 3) that holds every hue of
    // the bucket, with kChoiceWrapped when the hue is taken as h + 360;
    // kChoiceNone when none holds it (level 0); kChoiceOpen when hues of the
    // bucket take different paths.
    static constexpr uint8_t kChoiceNone = 0;
    static constexpr uint8_t kChoiceWrapped = 0x10;
    static constexpr uint8_t kChoiceOpen = 0xFF;
    std::vector<uint8_t> m_segmentChoices;
    std::vector<ContactPlan> m_contacts;
    std::unique_ptr<CVarnelRefinement> m_refinement;
    bool m_refine = false;
    // The batch kernel this CPU runs: 0 none (pixel by pixel), 1 four
    // lanes, 2 eight lanes.
    int m_kernel = 0;

    template <int N>
    friend struct CVarnelLaneKernel;
};
