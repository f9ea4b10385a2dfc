#include "config/VarnelIndexedContainer.h"

#include "base/KString.h"
#include "config/VarnelItem.h"
#include "config/VarnelParser.h"

#include <string>

CVarnelIndexedContainer::CVarnelIndexedContainer() = default;

CVarnelIndexedContainer::~CVarnelIndexedContainer()
{
    for (auto& entry : m_items)
        delete entry.second;
    m_items.clear();
}

uint32_t CVarnelIndexedContainer::GetTypeCode() const
{
    return 0x5649434E;
}

int CVarnelIndexedContainer::Load(const char*, long)
{
    return 0;
}

void CVarnelIndexedContainer::Reset()
{
    m_varContainer = nullptr;
    Clear();
}

void CVarnelIndexedContainer::Clear()
{
    for (auto& entry : m_items)
        delete entry.second;
    m_items.clear();
}

void CVarnelIndexedContainer::AddItem(CVarnelItem* item)
{
    AddItemAt(static_cast<int32_t>(m_items.size()), item);
}

void CVarnelIndexedContainer::AddItemAt(int32_t number, CVarnelItem* item)
{
    if (item == nullptr)
        return;
    // The container takes ownership in every case: an item it cannot file
    // is deleted rather than leaked by a caller that assumed it was kept.
    if (!m_items.emplace(number, item).second)
        delete item;
}

void CVarnelIndexedContainer::Reserved1() {}

bool CVarnelIndexedContainer::HasItem(int32_t number) const
{
    return m_items.find(number) != m_items.end();
}

CVarnelItem* CVarnelIndexedContainer::GetItem(int number) const
{
    auto it = m_items.find(number);
    return it == m_items.end() ? nullptr : it->second;
}

int CVarnelIndexedContainer::GetCount() const
{
    return static_cast<int>(m_items.size());
}

CVarnelIndexedContainer::ItemMap& CVarnelIndexedContainer::GetItems()
{
    return m_items;
}

bool CVarnelIndexedContainer::IsKeyActive(const char* text, long /* the search runs to the zero */,
                                          const KString& key) const
{
    return FindKeyOffset(text, ("*" + key.StdString()).c_str()) < 0;
}

void CVarnelIndexedContainer::SetVarContainer(CVarnelVarContainer* vars)
{
    m_varContainer = vars;
}

CVarnelVarContainer* CVarnelIndexedContainer::GetVarContainer() const
{
    return m_varContainer;
}

bool CVarnelIndexedContainer::IsEmpty() const
{
    return m_items.empty();
}

void CVarnelIndexedContainer::Reinitialize()
{
    Reset();
}

void CVarnelIndexedContainer::Reserved2() {}
