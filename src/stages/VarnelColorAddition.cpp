#include "stages/VarnelColorAddition.h"

#include "base/KString.h"
#include "config/VarnelParser.h"
#include "stages/VarnelStageLoading.h"
#include "varnel/varnel.h"

#include <cstring>
#include <string>

namespace {

// Room of the loader's flag buffer, in characters; a longer flag is
// rejected with -1 rather than cut.
constexpr size_t kFlagRoom = 15;

}  // namespace

// ---------------------------------------------------------------------------
// Item
// ---------------------------------------------------------------------------

CVarnelColorAdditionItem::CVarnelColorAdditionItem() = default;

CVarnelColorAdditionItem::~CVarnelColorAdditionItem() = default;

void CVarnelColorAdditionItem::Initialize() {}

void CVarnelColorAdditionItem::Reset()
{
    m_number = 0;
    m_tableC.Clear();
    std::memset(m_amounts, 0, sizeof(m_amounts));
}

void CVarnelColorAdditionItem::Release() {}

void CVarnelColorAdditionItem::BuildTablesAB(int32_t strength)
{
    const int32_t x = PercentToTableX(ReshapedPercent(strength));
    DrawTableLine(m_tableA.Data(), 0, 0, x, 65535);
    DrawTableLine(m_tableA.Data(), x, 65535, 65535, 65535);
    DrawTableLine(m_tableB.Data(), 0, 65535, x, 0);
    DrawTableLine(m_tableB.Data(), x, 0, 65535, 0);
}

void CVarnelColorAdditionItem::BuildTableC(int32_t strength)
{
    // The plain strength, without the reshaping of the other two curves.
    const int32_t x = PercentToTableX(strength);
    DrawTableLine(m_tableC.Data(), 0, 0, x, 65535);
    DrawTableLine(m_tableC.Data(), x, 65535, 65535, 65535);
}

uint16_t* CVarnelColorAdditionItem::GetTableC() { return m_tableC.Data(); }
uint16_t CVarnelColorAdditionItem::GetTableBValue(uint16_t v) const { return m_tableB[v]; }
uint16_t CVarnelColorAdditionItem::GetTableAValue(uint16_t v) const { return m_tableA[v]; }
void CVarnelColorAdditionItem::SetKind(uint32_t kind) { m_kind = kind; }
uint32_t CVarnelColorAdditionItem::GetKind() const { return m_kind; }

void CVarnelColorAdditionItem::SetChannelValues(const uint16_t* values, int count)
{
    if (values == nullptr || count < 1)
        return;
    const int n = count < kAdditionAmounts ? count : kAdditionAmounts;
    std::memcpy(m_amounts, values, sizeof(uint16_t) * static_cast<size_t>(n));
}

uint16_t CVarnelColorAdditionItem::GetChannelValue(int i) const
{
    return i >= 0 && i < kAdditionAmounts ? m_amounts[i] : 0;
}

const uint16_t* CVarnelColorAdditionItem::GetChannelValues() const { return m_amounts; }

// ---------------------------------------------------------------------------
// Container
// ---------------------------------------------------------------------------

// The converted fields of one statement (the amounts live in the loader's
// list, which statements share).
struct CVarnelColorAdditionContainer::Statement {
    int32_t strength = 0;
    std::string flag;
};

CVarnelColorAdditionContainer::~CVarnelColorAdditionContainer()
{
    Clear();
}

uint32_t CVarnelColorAdditionContainer::GetTypeCode() const
{
    return 0x56414443;
}

void CVarnelColorAdditionContainer::Reset()
{
    Clear();
}

CVarnelColorAdditionItem* CVarnelColorAdditionContainer::FindItem(int32_t number) const
{
    return FindFirst<CVarnelColorAdditionItem>([number](const CVarnelColorAdditionItem& item) { return item.GetNumber() == number; });
}

CVarnelColorAdditionItem* CVarnelColorAdditionContainer::FindItemByKind(uint32_t kind) const
{
    return FindFirst<CVarnelColorAdditionItem>([kind](const CVarnelColorAdditionItem& item) { return item.GetKind() == kind; });
}

int CVarnelColorAdditionContainer::Load(const char* text, long length)
{
    return RunLoader([&] { return LoadStatements(text, length); });
}

// Fields: the strength first, the flag last, the amounts of channels 0, 1,
// ... in between. A single field is both strength and flag.
int CVarnelColorAdditionContainer::ReadStatement(const std::string& value, uint16_t* amounts,
                                                 Statement& statement) const
{
    CVarnelStatementFields fields;
    if (fields.Read(value, kSmallValueBuffer) != 0)
        return VARNEL_STATUS_FAILED;
    if (!fields.Has(0))
        return VARNEL_STATUS_FAILED;
    CVarnelVarContainer* vars = GetVarContainer();
    if (vars == nullptr)
        return VARNEL_STATUS_FAILED;

    const int last = fields.Count() - 1;
    const int amountCount = last - 1 > 0 ? last - 1 : 0;
    if (amountCount > kAdditionAmounts)
        return VARNEL_STATUS_FAILED;
    statement.flag = ResolveFieldText(fields.Field(last), *vars);
    if (statement.flag.size() > kFlagRoom)
        return VARNEL_STATUS_FAILED;

    statement.strength = ResolveFieldInt(fields.Field(0), *vars);
    // Positions past the last amount keep what the list holds.
    for (int j = 0; j < amountCount; ++j)
        amounts[j] = static_cast<uint16_t>(PercentToUnits(ResolveFieldInt(fields.Field(1 + j), *vars)));
    return 0;
}

void CVarnelColorAdditionContainer::SetItem(CVarnelColorAdditionItem& item, const Statement& statement,
                                            const uint16_t* amounts, uint32_t kind, int32_t number) const
{
    item.SetEnabled(true);
    if (statement.flag == "N")
        item.SetEnabled(false);
    item.SetKind(kind);
    item.SetNumber(number);
    item.BuildTablesAB(statement.strength);
    item.BuildTableC(statement.strength);
    item.SetParam2(PercentToUnits(statement.strength));
    item.SetChannelValues(amounts, kAdditionAmounts);
}

int CVarnelColorAdditionContainer::LoadStatements(const char* text, long length)
{
    std::string value;
    Statement statement;

    // The black channel's statement has no number and stands once; its item
    // is found again by kind.
    if (FindKey(text, length, "BLACK_ADD=", value) && IsKeyActive(text, length, KString("BLACK_ADD="))) {
        uint16_t amounts[kAdditionAmounts] = {};
        if (ReadStatement(value, amounts, statement) != 0)
            return VARNEL_STATUS_FAILED;
        CVarnelColorAdditionItem& item = FoundOrAdded(*this, FindItemByKind(0));
        SetItem(item, statement, amounts, 0, -1);
    }

    if (!FindKey(text, length, "COLOR_ADD", value))
        return 0;
    // One list for all numbered statements of this text, cleared once: the
    // positions a statement leaves unfilled keep the amounts of the statement
    // before it.
    uint16_t amounts[kAdditionAmounts] = {};
    return ForEachNumberedStatement(*this, text, length, "COLOR_ADD", [&](long n, const std::string& value) {
        if (ReadStatement(value, amounts, statement) != 0)
            return VARNEL_STATUS_FAILED;
        CVarnelColorAdditionItem& item = FoundOrAdded(*this, FindItem(static_cast<int32_t>(n)));
        SetItem(item, statement, amounts, 1, static_cast<int32_t>(n));
        return 0;
    });
}
