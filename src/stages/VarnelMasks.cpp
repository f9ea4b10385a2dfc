#include "stages/VarnelMasks.h"

#include "base/KString.h"
#include "config/VarnelParser.h"
#include "config/VarnelStatementFields.h"
#include "geometry/KSegment.h"
#include "stages/VarnelStageLoading.h"
#include "varnel/varnel.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr int kMaskValueRoom = 256;
constexpr int kMaskFields = 4;

// Moves a hue one turn further on. Wrapping arithmetic keeps an absurd hue
// near the 32-bit limit defined; sane hues are unaffected.
int32_t NextTurn(int32_t hue)
{
    return static_cast<int32_t>(static_cast<uint32_t>(hue) + 360u);
}

}  // namespace

CVarnelMaskItem::CVarnelMaskItem()
{
    ReplaceSegments();
}

CVarnelMaskItem::~CVarnelMaskItem()
{
    DeleteSegments();
}

void CVarnelMaskItem::Initialize() {}

void CVarnelMaskItem::Reset()
{
    m_number = 0;
    m_point1 = m_point2 = m_point3 = m_point4 = MaskPoint{0, 0};
    SetActive(1);
    ReplaceSegments();
}

int CVarnelMaskItem::GetPoint1(MaskPoint& point) const { point = m_point1; return 0; }
int CVarnelMaskItem::GetPoint2(MaskPoint& point) const { point = m_point2; return 0; }
int CVarnelMaskItem::GetPoint3(MaskPoint& point) const { point = m_point3; return 0; }
int CVarnelMaskItem::GetPoint4(MaskPoint& point) const { point = m_point4; return 0; }

void CVarnelMaskItem::SetPoint1(MaskPoint point)
{
    m_point1 = point;
    UpdateSegments();
}

void CVarnelMaskItem::SetPoint2(MaskPoint point)
{
    m_point2 = point;
    UpdateSegments();
}

void CVarnelMaskItem::SetPoint3(MaskPoint point)
{
    m_point3 = point;
    UpdateSegments();
}

void CVarnelMaskItem::SetPoint4(MaskPoint point)
{
    m_point4 = point;
    UpdateSegments();
}

void CVarnelMaskItem::SetActive(int32_t active)
{
    m_active = active;
}

int32_t CVarnelMaskItem::GetActive() const
{
    return m_active;
}

void CVarnelMaskItem::UpdateSegments()
{
    // A range that crosses 0 degrees (e.g. 300..60) is stored unwrapped
    // (300..420), so that every segment runs left to right; the engine
    // moves small hues up by a turn to meet such segments.
    if (m_point1.hue > m_point2.hue)
        m_point2.hue = NextTurn(m_point2.hue);
    m_segment0->SetFromTwoPoints(m_point1.hue, m_point1.level, m_point2.hue, m_point2.level);
    if (m_point2.hue > m_point3.hue)
        m_point3.hue = NextTurn(m_point3.hue);
    m_segment1->SetFromTwoPoints(m_point2.hue, m_point2.level, m_point3.hue, m_point3.level);
    if (m_point3.hue > m_point4.hue)
        m_point4.hue = NextTurn(m_point4.hue);
    m_segment2->SetFromTwoPoints(m_point3.hue, m_point3.level, m_point4.hue, m_point4.level);

    const MaskPoint* corners[5] = {&m_point1, &m_point2, &m_point3, &m_point4, &m_point1};
    for (int i = 0; i < 5; ++i) {
        m_outlineHues[i] = corners[i]->hue;
        m_outlineLevels[i] = corners[i]->level;
    }
}

KSegment* CVarnelMaskItem::GetSegment(unsigned index) const
{
    switch (index) {
    case 0: return m_segment0;
    case 1: return m_segment1;
    case 2: return m_segment2;
    default: return nullptr;
    }
}

const double* CVarnelMaskItem::GetOutlineHues() const
{
    return m_outlineHues;
}

const double* CVarnelMaskItem::GetOutlineLevels() const
{
    return m_outlineLevels;
}

void CVarnelMaskItem::ReplaceSegments()
{
    // Build all three before releasing the old ones, so that an allocation
    // failure leaves the item with valid segments.
    KSegment* s0 = new KSegment(0, 0, 0, 0);
    KSegment* s1 = nullptr;
    KSegment* s2 = nullptr;
    try {
        s1 = new KSegment(0, 0, 0, 0);
        s2 = new KSegment(0, 0, 0, 0);
    } catch (...) {
        delete s0;
        delete s1;
        throw;
    }
    DeleteSegments();
    m_segment0 = s0;
    m_segment1 = s1;
    m_segment2 = s2;
}

void CVarnelMaskItem::DeleteSegments()
{
    delete m_segment0;
    delete m_segment1;
    delete m_segment2;
    m_segment0 = m_segment1 = m_segment2 = nullptr;
}

CVarnelMasksContainer::~CVarnelMasksContainer()
{
    Clear();
}

void CVarnelMasksContainer::Reset() {}

int CVarnelMasksContainer::LoadMasks(const char* text, long length)
{
    try {
        std::string value;
        // The bare name also occurs in light-mask keys; it only serves to
        // skip the loop for texts without any mask.
        if (!FindKey(text, length, "HUEMASK", value))
            return 0;

        return ForEachNumberedStatement(*this, text, length, "HUEMASK", [this](long n, const std::string& value) {
            // The value, a CR that closes its last field and the zero must
            // fit the buffer; a longer value is refused rather than cut,
            // since a cut would silently move the ramp. More fields than the
            // table records, or fewer than the four corners: the statement
            // cannot describe a trapezoid.
            CVarnelStatementFields fields;
            if (fields.Read(value, kMaskValueRoom) != 0 || fields.Count() < kMaskFields)
                throw VARNEL_STATUS_FAILED;

            CVarnelItem* existing = GetItem(static_cast<int>(n));
            CVarnelMaskItem* item = dynamic_cast<CVarnelMaskItem*>(existing);
            if (existing != nullptr && item == nullptr)
                throw VARNEL_STATUS_FAILED;
            if (item == nullptr) {
                item = new CVarnelMaskItem();
                AddItemAt(static_cast<int32_t>(n), item);
            }
            // An item already there (the black mask, or a mask of an earlier
            // text) is reused and keeps its active flag.
            item->SetNumber(static_cast<int32_t>(n));
            item->SetPoint1(MaskPoint{0, ReadIntegerField(fields.Field(0), IntegerField::LeadingDigitsClamped)});
            item->SetPoint2(MaskPoint{65535, ReadIntegerField(fields.Field(1), IntegerField::LeadingDigitsClamped)});
            item->SetPoint3(MaskPoint{65535, ReadIntegerField(fields.Field(2), IntegerField::LeadingDigitsClamped)});
            item->SetPoint4(MaskPoint{0, ReadIntegerField(fields.Field(3), IntegerField::LeadingDigitsClamped)});
            return 0;
        });
    } catch (int code) {
        return code;
    } catch (...) {
        return VARNEL_STATUS_FAILED;
    }
}
