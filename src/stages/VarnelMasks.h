// Hue masks (HUEMASKnn): one trapezoid over the hue circle per ink channel,
// kept under the channel's number. The engine evaluates the three ramp
// segments of every active mask at the pixel's hue.
#pragma once

#include "config/VarnelIndexedContainer.h"
#include "config/VarnelItem.h"

#include <cstdint>

class KSegment;

// A corner of a mask: level 0..65535 at a hue in degrees.
struct MaskPoint {
    int32_t level;
    int32_t hue;
};

class CVarnelMaskItem : public CVarnelItem {
public:
    CVarnelMaskItem();
    ~CVarnelMaskItem() override;
    CVarnelMaskItem(const CVarnelMaskItem&) = delete;
    CVarnelMaskItem& operator=(const CVarnelMaskItem&) = delete;

    void Initialize() override;
    // Number and points 0, active again, fresh segments.
    void Reset() override;

    virtual int GetPoint1(MaskPoint& point) const;
    virtual int GetPoint2(MaskPoint& point) const;
    virtual int GetPoint3(MaskPoint& point) const;
    virtual int GetPoint4(MaskPoint& point) const;
    // Each setter stores its corner and rebuilds the segments.
    virtual void SetPoint1(MaskPoint point);
    virtual void SetPoint2(MaskPoint point);
    virtual void SetPoint3(MaskPoint point);
    virtual void SetPoint4(MaskPoint point);
    virtual void SetActive(int32_t active);
    virtual int32_t GetActive() const;
    // Unwraps the corners past 360 degrees where a hue falls below its
    // predecessor, then places the three ramp segments and the outline.
    virtual void UpdateSegments();
    // Segment 0, 1 or 2; null for any other index.
    virtual KSegment* GetSegment(unsigned index) const;
    virtual const double* GetOutlineHues() const;
    virtual const double* GetOutlineLevels() const;

    // The channel this mask drives.
    void SetNumber(int32_t number) { m_number = number; }
    int32_t GetNumber() const { return m_number; }

private:
    void ReplaceSegments();
    void DeleteSegments();

    int32_t m_number = 0;
    MaskPoint m_point1 = {0, 0};
    MaskPoint m_point2 = {0, 0};
    MaskPoint m_point3 = {0, 0};
    MaskPoint m_point4 = {0, 0};
    int32_t m_active = 1;
    KSegment* m_segment0 = nullptr;
    KSegment* m_segment1 = nullptr;
    KSegment* m_segment2 = nullptr;
    double m_outlineHues[5] = {};
    double m_outlineLevels[5] = {};
};

class CVarnelMasksContainer : public CVarnelIndexedContainer {
public:
    ~CVarnelMasksContainer() override;
    // Masks survive a reset of the configuration's containers.
    void Reset() override;
    // Reads HUEMASK00 to HUEMASK15. Returns 0, or the failure code; masks
    // read before a failure stay.
    virtual int LoadMasks(const char* text, long length);
};
