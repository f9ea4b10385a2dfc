#include "stages/VarnelColorSubst.h"

#include "base/KString.h"
#include "config/VarnelParser.h"
#include "config/VarnelVarContainer.h"
#include "stages/VarnelStageLoading.h"
#include "varnel/varnel.h"

#include <muParser.h>

namespace {

// Room of the loader's flag and expression buffers, in characters. Longer
// texts are rejected with -1 rather than cut.
constexpr size_t kFlagRoom = 15;
constexpr size_t kExpressionRoom = 111;

}  // namespace

// ---------------------------------------------------------------------------
// Item
// ---------------------------------------------------------------------------

CVarnelColorSubstItem::CVarnelColorSubstItem()
{
    CVarnelColorSubstItem::Reset();
}

CVarnelColorSubstItem::~CVarnelColorSubstItem()
{
    delete m_evaluator;
}

void CVarnelColorSubstItem::Initialize() {}

void CVarnelColorSubstItem::Reset()
{
    m_number = 0;
    delete m_evaluator;
    m_evaluator = nullptr;
    m_released = false;
}

void CVarnelColorSubstItem::Release()
{
    delete m_evaluator;
    m_evaluator = nullptr;
    m_released = true;
}

mu::Parser* CVarnelColorSubstItem::Evaluator() const
{
    if (m_evaluator != nullptr || m_released)
        return m_evaluator;
    try {
        std::unique_ptr<mu::Parser> made(new mu::Parser());
        made->ClearFun();
        m_evaluator = made.release();
    } catch (const mu::ParserError& error) {
        (void)error.GetMsg();
    }
    return m_evaluator;
}

void CVarnelColorSubstItem::BuildTableA(int32_t a)
{
    DrawReshapedRise(m_tableA.Data(), a);
}

void CVarnelColorSubstItem::BuildTableB(int32_t a)
{
    DrawTableLine(m_tableB.Data(), PercentToTableX(a), 0, 65535, 65535);
}

void CVarnelColorSubstItem::SetFactor0(uint16_t factor) { m_factor0 = factor; }
void CVarnelColorSubstItem::SetFactor1(uint16_t factor) { m_factor1 = factor; }
void CVarnelColorSubstItem::SetFactor2(uint16_t factor) { m_factor2 = factor; }
uint16_t CVarnelColorSubstItem::GetFactor0() const { return m_factor0; }
uint16_t CVarnelColorSubstItem::GetFactor1() const { return m_factor1; }
uint16_t CVarnelColorSubstItem::GetFactor2() const { return m_factor2; }

void CVarnelColorSubstItem::SetExpression(const std::string& expression)
{
    if (expression.empty())
        return;
    mu::Parser* evaluator = Evaluator();
    if (evaluator == nullptr)
        throw VARNEL_STATUS_FAILED;
    evaluator->SetExpr(expression);
}

mu::Parser* CVarnelColorSubstItem::GetParser() const { return Evaluator(); }
uint16_t CVarnelColorSubstItem::LookupB(uint16_t v) const { return m_tableB[v]; }
uint16_t CVarnelColorSubstItem::LookupA(uint16_t v) const { return m_tableA[v]; }
void CVarnelColorSubstItem::SetGray(int32_t gray) { m_gray = gray; }
int32_t CVarnelColorSubstItem::IsGray() const { return m_gray; }

void CVarnelColorSubstItem::DefineVar(const std::string& name, double* value)
{
    mu::Parser* evaluator = Evaluator();
    if (evaluator == nullptr)
        throw VARNEL_STATUS_FAILED;
    evaluator->DefineVar(name, value);
}

bool CVarnelColorSubstItem::HasExpression() const
{
    return m_evaluator != nullptr && !m_evaluator->GetExpr().empty();
}

// ---------------------------------------------------------------------------
// Container
// ---------------------------------------------------------------------------

// The converted fields of one statement.
struct CVarnelColorSubstContainer::Statement {
    int32_t strength = 0;
    int32_t shares[3] = {};
    std::string flag;
    std::string expression;
};

CVarnelColorSubstContainer::~CVarnelColorSubstContainer()
{
    Clear();
}

uint32_t CVarnelColorSubstContainer::GetTypeCode() const
{
    return 0x56435355;
}

void CVarnelColorSubstContainer::Reset()
{
    Clear();
}

CVarnelColorSubstItem* CVarnelColorSubstContainer::FindGrayItem(int32_t gray) const
{
    return FindFirst<CVarnelColorSubstItem>([gray](const CVarnelColorSubstItem& item) { return item.IsGray() == gray; });
}

CVarnelColorSubstItem* CVarnelColorSubstContainer::FindItemByNumber(int32_t number) const
{
    return FindFirst<CVarnelColorSubstItem>([number](const CVarnelColorSubstItem& item) { return item.GetNumber() == number; });
}

int CVarnelColorSubstContainer::Load(const char* text, long length)
{
    return RunLoader([&] { return LoadStatements(text, length); });
}

int CVarnelColorSubstContainer::ReadStatement(const std::string& value, Statement& statement) const
{
    CVarnelStatementFields fields;
    if (fields.Read(value, kSmallValueBuffer) != 0)
        return VARNEL_STATUS_FAILED;
    for (int i = 0; i < 5; ++i)
        if (!fields.Has(i))
            return VARNEL_STATUS_FAILED;
    CVarnelVarContainer* vars = GetVarContainer();
    if (vars == nullptr)
        return VARNEL_STATUS_FAILED;

    statement.strength = ResolveFieldInt(fields.Field(0), *vars);
    for (int j = 0; j < 3; ++j)
        statement.shares[j] = ResolveFieldInt(fields.Field(1 + j), *vars);
    // A flag or expression named through a variable is at most
    // kVariableValueRoom characters long, so only written texts can exceed
    // their rooms.
    statement.flag = ResolveFieldText(fields.Field(4), *vars);
    if (statement.flag.size() > kFlagRoom)
        return VARNEL_STATUS_FAILED;
    statement.expression = ResolveFieldText(fields.Field(5), *vars);
    if (statement.expression.size() > kExpressionRoom)
        return VARNEL_STATUS_FAILED;
    return 0;
}

void CVarnelColorSubstContainer::SetItem(CVarnelColorSubstItem& item, const Statement& statement,
                                         int32_t gray, int32_t number) const
{
    item.SetEnabled(true);
    if (statement.flag == "N")
        item.SetEnabled(false);
    item.SetGray(gray);
    item.SetNumber(number);
    item.BuildTableA(statement.strength);
    item.BuildTableB(statement.strength);
    item.SetParam2(PercentToUnits(statement.strength));
    item.SetFactor0(static_cast<uint16_t>(PercentToUnits(statement.shares[0])));
    item.SetFactor1(static_cast<uint16_t>(PercentToUnits(statement.shares[1])));
    item.SetFactor2(static_cast<uint16_t>(PercentToUnits(statement.shares[2])));
    // Without an expression the item keeps the one it had.
    item.SetExpression(statement.expression);
    if (statement.expression.empty())
        return;
    // Numeric variables are bound by address; text variables are not.
    for (CNumericVar* var : GetVarContainer()->GetNumericVars())
        item.DefineVar(var->name, &var->value);
}

int CVarnelColorSubstContainer::LoadStatements(const char* text, long length)
{
    std::string value;
    Statement statement;

    // The black channel's statement has no number and stands once.
    if (FindKey(text, length, "GRAY_SUBST=", value) && IsKeyActive(text, length, KString("GRAY_SUBST="))) {
        if (ReadStatement(value, statement) != 0)
            return VARNEL_STATUS_FAILED;
        CVarnelColorSubstItem& item = FoundOrAdded(*this, FindGrayItem(1));
        SetItem(item, statement, 1, -1);
    }

    if (!FindKey(text, length, "COLOR_SUBST", value))
        return 0;
    return ForEachNumberedStatement(*this, text, length, "COLOR_SUBST", [&](long n, const std::string& value) {
        if (ReadStatement(value, statement) != 0)
            return VARNEL_STATUS_FAILED;
        CVarnelColorSubstItem& item = FoundOrAdded(*this, FindItemByNumber(static_cast<int32_t>(n)));
        SetItem(item, statement, 0, static_cast<int32_t>(n));
        return 0;
    });
}
