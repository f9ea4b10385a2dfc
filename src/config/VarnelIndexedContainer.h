// Base of the number-keyed stage container (hue masks): items in ascending
// number order, owned by the container.
#pragma once

#include <cstdint>
#include <map>

class CVarnelItem;
class CVarnelVarContainer;
class KString;

class CVarnelIndexedContainer {
public:
    using ItemMap = std::map<int32_t, CVarnelItem*>;

    CVarnelIndexedContainer();
    virtual ~CVarnelIndexedContainer();
    virtual uint32_t GetTypeCode() const;  // 0x5649434E
    virtual int Load(const char* text, long length);
    virtual void Reset();
    virtual void Clear();
    // Inserts under the number equal to the current item count.
    virtual void AddItem(CVarnelItem* item);
    // Inserts under number. When the number is taken the map is unchanged
    // and the offered item is deleted, so that the caller never leaks it.
    virtual void AddItemAt(int32_t number, CVarnelItem* item);
    virtual void Reserved1();
    virtual bool HasItem(int32_t number) const;
    virtual CVarnelItem* GetItem(int number) const;
    virtual int GetCount() const;
    virtual ItemMap& GetItems();
    virtual bool IsKeyActive(const char* text, long length, const KString& key) const;
    virtual void SetVarContainer(CVarnelVarContainer* vars);
    virtual CVarnelVarContainer* GetVarContainer() const;
    virtual bool IsEmpty() const;
    virtual void Reinitialize();
    virtual void Reserved2();

protected:
    ItemMap m_items;
    CVarnelVarContainer* m_varContainer = nullptr;
};
