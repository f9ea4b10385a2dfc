#include "stages/VarnelSecondColors.h"

#include "base/KString.h"
#include "config/VarnelParser.h"
#include "stages/VarnelStageLoading.h"
#include "varnel/varnel.h"

#include <cmath>
#include <string>

CVarnelSecondColorItem::CVarnelSecondColorItem() = default;

CVarnelSecondColorItem::~CVarnelSecondColorItem() = default;

void CVarnelSecondColorItem::Initialize() {}

void CVarnelSecondColorItem::Reset()
{
    m_plain = false;
    m_tableC.Clear();
}

void CVarnelSecondColorItem::Release() {}

void CVarnelSecondColorItem::SetPlain(bool plain) { m_plain = plain; }
bool CVarnelSecondColorItem::IsPlain() const { return m_plain; }
uint16_t CVarnelSecondColorItem::LookupC(uint16_t v) const { return m_tableC[v]; }

void CVarnelSecondColorItem::BuildTableC(int32_t a, int32_t b)
{
    const int32_t x = PercentToTableX(a);
    // Strengths below 0 would need the square root of a negative number;
    // they are taken as 0 (the curve then starts at 65535).
    const double strength = b < 0 ? 0.0 : static_cast<double>(b);
    // Any 32-bit strength keeps this within int range (about -3e8 at most).
    const double start = 65535.0 - (100 * std::sqrt(strength / 100.0)) * 65535.0 / 100.0;
    const int y0 = static_cast<int>(std::trunc(start));
    DrawTableLine(m_tableC.Data(), 0, y0, x, 65535);
    DrawTableLine(m_tableC.Data(), x, 65535, 65535, 65535);
}

CVarnelSecondColorsContainer::~CVarnelSecondColorsContainer()
{
    Clear();
}

void CVarnelSecondColorsContainer::Reset()
{
    Clear();
}

CVarnelSecondColorItem* CVarnelSecondColorsContainer::FindItem(int32_t number) const
{
    return FindFirst<CVarnelSecondColorItem>([number](const CVarnelSecondColorItem& item) { return item.GetNumber() == number; });
}

bool CVarnelSecondColorsContainer::IsKeyActive(const char* text, long length, const char* key) const
{
    return IsKeyActive(text, length, KString(key));
}

int CVarnelSecondColorsContainer::LoadSecondColors(const char* text, long length, int /*reserved*/)
{
    return RunLoader([&] { return LoadStatements(text, length); });
}

int CVarnelSecondColorsContainer::LoadStatements(const char* text, long length)
{
    std::string value;
    if (!FindKey(text, length, "SECOND_COLOR", value))
        return 0;

    CVarnelStatementFields fields;
    return ForEachNumberedStatement(*this, text, length, "SECOND_COLOR", [&](long n, const std::string& value) {
        if (fields.Read(value, kLargeValueBuffer) != 0)
            return VARNEL_STATUS_FAILED;
        for (int i = 0; i < 4; ++i)
            if (!fields.Has(i))
                return VARNEL_STATUS_FAILED;
        // Checked before an item is created, so that a failing statement
        // leaves no half-set item behind.
        CVarnelVarContainer* vars = GetVarContainer();
        if (vars == nullptr)
            return VARNEL_STATUS_FAILED;

        const int32_t destination = ResolveFieldInt(fields.Field(0), *vars);
        const int32_t a = ResolveFieldInt(fields.Field(1), *vars);
        int32_t b = ResolveFieldInt(fields.Field(2), *vars);
        const std::string flag = ResolveFieldText(fields.Field(3), *vars);

        CVarnelSecondColorItem& item = FoundOrAdded(*this, FindItem(static_cast<int32_t>(n)));
        // Neither start nor strength: the destination copies the source.
        // A reused item stays plain once it has been.
        if (a == 0 && b == 0) {
            item.SetPlain(true);
            b = 100;
        }
        item.SetEnabled(true);
        if (flag == "N")
            item.SetEnabled(false);
        item.SetNumber(static_cast<int32_t>(n));
        item.SetParam1(destination);
        item.BuildTableC(a, b);
        item.SetParam2(a);
        item.SetParam3(b);
        return 0;
    });
}
