#include "config/VarnelContainer.h"

#include "base/KString.h"
#include "config/VarnelItem.h"
#include "config/VarnelParser.h"

#include <iterator>
#include <string>

CVarnelContainer::CVarnelContainer() = default;

CVarnelContainer::~CVarnelContainer()
{
    // Concrete containers clear in their own destructors; whatever is left
    // (a container used through the base alone) is still owned here.
    for (CVarnelItem* item : m_items)
        delete item;
    m_items.clear();
}

uint32_t CVarnelContainer::GetTypeCode() const
{
    return 0x56434E54;
}

int CVarnelContainer::Load(const char*, long)
{
    return 0;
}

void CVarnelContainer::Reset()
{
    m_varContainer = nullptr;
    Clear();
}

void CVarnelContainer::Clear()
{
    for (CVarnelItem* item : m_items)
        delete item;
    m_items.clear();
}

void CVarnelContainer::AddItem(CVarnelItem* item)
{
    if (item != nullptr)
        m_items.push_back(item);
}

void CVarnelContainer::AddItemAt(int32_t, CVarnelItem* item)
{
    delete item;
}

void CVarnelContainer::Reserved1() {}

bool CVarnelContainer::HasItem(int32_t) const
{
    return false;
}

CVarnelItem* CVarnelContainer::GetItem(int position) const
{
    if (m_items.empty())
        return nullptr;
    if (position < 1)
        return m_items.front();
    if (static_cast<size_t>(position) >= m_items.size())
        return nullptr;
    return *std::next(m_items.begin(), position);
}

int CVarnelContainer::GetCount() const
{
    return static_cast<int>(m_items.size());
}

CVarnelContainer::ItemList& CVarnelContainer::GetItems()
{
    return m_items;
}

bool CVarnelContainer::IsKeyActive(const char* text, long /* the search runs to the zero */, const KString& key) const
{
    return FindKeyOffset(text, ("*" + key.StdString()).c_str()) < 0;
}

void CVarnelContainer::SetVarContainer(CVarnelVarContainer* vars)
{
    m_varContainer = vars;
}

CVarnelVarContainer* CVarnelContainer::GetVarContainer() const
{
    return m_varContainer;
}

bool CVarnelContainer::IsEmpty() const
{
    return m_items.empty();
}

void CVarnelContainer::Reinitialize()
{
    Reset();
}

void CVarnelContainer::Reserved2() {}
