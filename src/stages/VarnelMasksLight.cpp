#include "stages/VarnelMasksLight.h"

#include "base/KString.h"
#include "config/VarnelVarContainer.h"
#include "varnel/varnel.h"

#include <cstdio>
#include <cstdlib>

// ---------------------------------------------------------------------------
// Light-mask item
// ---------------------------------------------------------------------------

CVarnelMaskLightItem::~CVarnelMaskLightItem() = default;

void CVarnelMaskLightItem::Initialize() {}
void CVarnelMaskLightItem::Reset() {}
void CVarnelMaskLightItem::Release() {}

void CVarnelMaskLightItem::BuildTableB(int32_t a, int32_t b)
{
    const int32_t y = PercentToTableX(b);
    const int32_t x = PercentToTableX(a);
    DrawTableLine(m_tableB.Data(), 0, y, x, y);
    DrawTableLine(m_tableB.Data(), x, y, 65535, 65535);
}

void CVarnelMaskLightItem::BuildTableA(int32_t a, int32_t /*b*/)
{
    DrawReshapedRise(m_tableA.Data(), a);
}

uint16_t CVarnelMaskLightItem::LookupB(uint16_t v) const { return m_tableB[v]; }
uint16_t CVarnelMaskLightItem::LookupA(uint16_t v) const { return m_tableA[v]; }

// ---------------------------------------------------------------------------
// Light-mask container
// ---------------------------------------------------------------------------


CVarnelMasksLightContainer::~CVarnelMasksLightContainer()
{
    Clear();
}

uint32_t CVarnelMasksLightContainer::GetTypeCode() const
{
    return 0x564D4B4C;
}

void CVarnelMasksLightContainer::Reset()
{
    Clear();
}

CVarnelMaskLightItem* CVarnelMasksLightContainer::FindItem(int32_t number) const
{
    return FindFirst<CVarnelMaskLightItem>([number](const CVarnelMaskLightItem& item) { return item.GetNumber() == number; });
}

int CVarnelMasksLightContainer::Load(const char* text, long length)
{
    return RunLoader([&] { return LoadStatements(text, length); });
}

int CVarnelMasksLightContainer::LoadStatements(const char* text, long length)
{
    std::string value;
    if (!FindKey(text, length, "HUEMASK_LIGHT", value))
        return 0;

    CVarnelStatementFields fields;
    return ForEachNumberedStatement(*this, text, length, "HUEMASK_LIGHT", [&](long n, const std::string& value) {
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

        // d is read without variables; a, b and the flag may name one.
        const int32_t destination = ReadIntegerField(fields.Field(0), IntegerField::LeadingDigitsWrapped);
        const int32_t a = ResolveFieldInt(fields.Field(1), *vars);
        const int32_t b = ResolveFieldInt(fields.Field(2), *vars);
        const std::string flag = ResolveFieldText(fields.Field(3), *vars);

        CVarnelMaskLightItem& item = FoundOrAdded(*this, FindItem(static_cast<int32_t>(n)));
        item.SetParam1(destination);
        item.SetNumber(static_cast<int32_t>(n));
        item.SetEnabled(true);
        if (flag == "N")
            item.SetEnabled(false);
        item.BuildTableB(a, b);
        item.BuildTableA(a, b);
        item.SetParam2(a);
        item.SetParam3(b);
        return 0;
    });
}
