#include "stages/VarnelStageLoading.h"

#include "config/VarnelTransformation.h"
#include "config/VarnelVarContainer.h"

#include <cstdio>

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
    return ValueToInt(ResolveFieldText(field, vars));
}

std::string NumberedKey(const char* name, long number)
{
    char digits[24];
    std::snprintf(digits, sizeof(digits), "%02ld", number);
    return std::string(name) + digits + "=";
}
