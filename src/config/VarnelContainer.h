// Base of the list-based stage containers: items in insertion order, owned
// by the container.
#pragma once

#include "varnel/varnel.h"

#include <cstdint>
#include <list>

class CVarnelItem;
class CVarnelVarContainer;
class KString;

// Runs a stage loader: a fault raised as an integer is its result, any
// other exception (memory, an error of the expression library) gives -1.
template <typename Loader>
int RunLoader(Loader load)
{
    try {
        return load();
    } catch (int code) {
        return code;
    } catch (...) {
        return VARNEL_STATUS_FAILED;
    }
}

class CVarnelContainer {
public:
    using ItemList = std::list<CVarnelItem*>;

    CVarnelContainer();
    // Deletes the items that are still held.
    virtual ~CVarnelContainer();
    virtual uint32_t GetTypeCode() const;  // 0x56434E54
    virtual int Load(const char* text, long length);
    virtual void Reset();
    virtual void Clear();
    virtual void AddItem(CVarnelItem* item);
    // A list has no numbers: the item is not added. The container takes it
    // anyway and deletes it, so that the caller never leaks it.
    virtual void AddItemAt(int32_t number, CVarnelItem* item);
    virtual void Reserved1();
    virtual bool HasItem(int32_t number) const;
    virtual CVarnelItem* GetItem(int position) const;
    virtual int GetCount() const;
    virtual ItemList& GetItems();
    virtual bool IsKeyActive(const char* text, long length, const KString& key) const;
    virtual void SetVarContainer(CVarnelVarContainer* vars);
    virtual CVarnelVarContainer* GetVarContainer() const;
    virtual bool IsEmpty() const;
    virtual void Reinitialize();
    virtual void Reserved2();

protected:
    // The first item of type Item for which matches(item) holds, or null.
    template <typename Item, typename Predicate>
    Item* FindFirst(Predicate matches) const
    {
        for (CVarnelItem* item : m_items) {
            auto* typed = dynamic_cast<Item*>(item);
            if (typed != nullptr && matches(*typed))
                return typed;
        }
        return nullptr;
    }

    ItemList m_items;
    CVarnelVarContainer* m_varContainer = nullptr;
};
