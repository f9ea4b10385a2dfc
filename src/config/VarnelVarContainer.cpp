#include "config/VarnelVarContainer.h"

#include "config/VarnelParser.h"
#include "varnel/varnel.h"

#include <Poco/NumberFormatter.h>

#include <cstring>
#include <memory>

namespace {

// Copies a zero-terminated name into a fixed record, cut to the room the
// record has; the definitions the configuration accepts never reach the cut.
void CopyName(char (&target)[kVarNameRoom], const char* source)
{
    const size_t length = strnlen(source, kVarNameRoom - 1);
    std::memcpy(target, source, length);
    target[length] = '\0';
}

}  // namespace

CVar::~CVar() = default;
CAplhaVar::~CAplhaVar() = default;
CNumericVar::~CNumericVar() = default;

CVarnelVarContainer::CVarnelVarContainer()
{
    CVarnelVarContainer::Reinitialize();
}

CVarnelVarContainer::~CVarnelVarContainer()
{
    ClearVars();
}

int CVarnelVarContainer::AddVar(const CVar& record)
{
    if (record.kind == 'a') {
        // A text longer than the record holds would be cut and then looked
        // up as a different value; it is refused instead.
        if (record.value.size() >= static_cast<size_t>(kVarTextRoom))
            return VARNEL_STATUS_FAILED;
        auto var = std::make_unique<CAplhaVar>();
        CopyName(var->name, record.name);
        std::memcpy(var->value, record.value.c_str(), record.value.size() + 1);
        m_textVars.push_back(var.get());
        var.release();
        return 0;
    }
    if (record.kind == 'n') {
        auto var = std::make_unique<CNumericVar>();
        CopyName(var->name, record.name);
        // Integer conversion first, as every other number of the
        // configuration, then kept as a double so that expressions can bind
        // it by address.
        var->value = static_cast<double>(ValueToInt(record.value));
        m_numericVars.push_back(var.get());
        var.release();
        return 0;
    }
    return VARNEL_STATUS_FAILED;
}

void CVarnelVarContainer::LookupVar(const char* name, char* destination, int& room)
{
    if (name == nullptr || destination == nullptr || room < 0)
        return;
    // The numeric walk measures against the room the caller offered, not
    // against the length a text hit wrote, so that a numeric variable
    // always overrides a text one of the same name when it fits.
    const int offered = room;

    for (const CAplhaVar* var : m_textVars) {
        if (std::strcmp(var->name, name) != 0)
            continue;
        const size_t length = std::strlen(var->value);
        if (length > static_cast<size_t>(offered))
            continue;  // too long: the next one of that name may fit
        std::memcpy(destination, var->value, length + 1);
        room = static_cast<int>(length);
        break;
    }

    for (const CNumericVar* var : m_numericVars) {
        if (std::strcmp(var->name, name) != 0)
            continue;
        const std::string text = Poco::NumberFormatter::format(var->value, 2);
        if (text.size() > static_cast<size_t>(offered))
            continue;
        std::memcpy(destination, text.c_str(), text.size() + 1);
    }
}

std::list<CAplhaVar*>& CVarnelVarContainer::GetTextVars()
{
    return m_textVars;
}

std::list<CNumericVar*>& CVarnelVarContainer::GetNumericVars()
{
    return m_numericVars;
}

void CVarnelVarContainer::ResetAll()
{
    Reinitialize();
}

void CVarnelVarContainer::ResetText()
{
    ClearVars();
}

void CVarnelVarContainer::Reinitialize()
{
    ClearVars();
}

void CVarnelVarContainer::ClearVars()
{
    for (CAplhaVar* var : m_textVars)
        delete var;
    m_textVars.clear();
    for (CNumericVar* var : m_numericVars)
        delete var;
    m_numericVars.clear();
}
