#include "stages/VarnelMasksLight.h"

#include "base/KString.h"
#include "config/VarnelVarContainer.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

// ---------------------------------------------------------------------------
// Shared by the table-driven stages
// ---------------------------------------------------------------------------

namespace {

// The low 32 bits of v as a signed value, as a wrapping 32-bit computation
// would leave them.
int32_t Wrap32(int64_t v)
{
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(v)));
}

// Percentages come from 32-bit fields (or twice such a field), so the
// product below stays far inside 64 bits.
constexpr int64_t kPercentLimit = int64_t{1} << 40;

int64_t ClampPercent(int64_t percent)
{
    if (percent > kPercentLimit)
        return kPercentLimit;
    if (percent < -kPercentLimit)
        return -kPercentLimit;
    return percent;
}

}  // namespace

int32_t PercentToUnits(int64_t percent)
{
    // Division truncates toward zero, as the signed 32-bit form does.
    return Wrap32(ClampPercent(percent) * 65535 / 100);
}

int32_t PercentToTableX(int64_t percent)
{
    return Wrap32(65535 - static_cast<int64_t>(PercentToUnits(percent)));
}

int64_t ReshapedPercent(int32_t percent)
{
    // The threshold is compared as a double: 33 lies below 100 / 3, 34 above.
    if (static_cast<double>(percent) < 100.0 / 3.0) {
        const int64_t doubled = 2 * static_cast<int64_t>(percent);
        return doubled < 100 ? doubled : 100;
    }
    return 100 - (100 - static_cast<int64_t>(percent)) / 2;
}

void DrawReshapedRise(uint16_t* table, int32_t percent)
{
    const int32_t x = PercentToTableX(percent);
    const int32_t xc = PercentToTableX(ReshapedPercent(percent));
    DrawTableLine(table, xc, 0, x, 65535);
    DrawTableLine(table, x, 65535, 65535, 65535);
}

std::string ResolveFieldText(const char* field, CVarnelVarContainer& vars)
{
    if (field == nullptr)
        return std::string();
    if (field[0] != '_')
        return std::string(field);
    // The lookup leaves the buffer alone when nothing matches, so it starts
    // cleared: an unknown variable yields an empty text.
    char value[kVariableValueRoom + 1] = {};
    int room = kVariableValueRoom;
    vars.LookupVar(field, value, room);
    value[kVariableValueRoom] = '\0';
    return std::string(value);
}

int32_t ResolveFieldInt(const char* field, CVarnelVarContainer& vars)
{
    return KString(ResolveFieldText(field, vars)).ToInt();
}

std::string NumberedKey(const char* name, long number)
{
    char digits[24];
    std::snprintf(digits, sizeof(digits), "%02ld", number);
    return std::string(name) + digits + "=";
}

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

namespace {

// C library atol semantics (leading blanks, optional sign, digits up to the
// first other character, none gives 0), without atol's undefined behaviour
// on overflow: out-of-range numbers saturate and are then kept to 32 bits.
int32_t AtolField(const char* field)
{
    if (field == nullptr)
        return 0;
    return Wrap32(static_cast<int64_t>(std::strtol(field, nullptr, 10)));
}

}  // namespace

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
    for (long n = 0; n <= 15; ++n) {
        const std::string key = NumberedKey("HUEMASK_LIGHT", n);
        if (!FindKey(text, length, key.c_str(), value) || !IsKeyActive(text, length, KString(key)))
            continue;
        if (fields.Read(value, kLargeValueBuffer) != 0)
            return -1;
        for (int i = 0; i < 4; ++i)
            if (!fields.Has(i))
                return -1;
        // Checked before an item is created, so that a failing statement
        // leaves no half-set item behind.
        CVarnelVarContainer* vars = GetVarContainer();
        if (vars == nullptr)
            return -1;

        // d is read without variables; a, b and the flag may name one.
        const int32_t destination = AtolField(fields.Field(0));
        const int32_t a = ResolveFieldInt(fields.Field(1), *vars);
        const int32_t b = ResolveFieldInt(fields.Field(2), *vars);
        const std::string flag = ResolveFieldText(fields.Field(3), *vars);

        CVarnelMaskLightItem* item = FindItem(static_cast<int32_t>(n));
        if (item == nullptr) {
            auto created = std::make_unique<CVarnelMaskLightItem>();
            item = created.get();
            AddItem(item);  // the container owns it from here on
            created.release();
        }
        item->SetParam1(destination);
        item->SetNumber(static_cast<int32_t>(n));
        item->SetEnabled(true);
        if (flag == "N")
            item->SetEnabled(false);
        item->BuildTableB(a, b);
        item->BuildTableA(a, b);
        item->SetParam2(a);
        item->SetParam3(b);
    }
    return 0;
}
