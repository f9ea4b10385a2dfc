#include "base/KString.h"
#include "config/VarnelContainer.h"
#include "config/VarnelIndexedContainer.h"
#include "config/VarnelItem.h"
#include "config/VarnelVarContainer.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// Counts live items so that ownership mistakes show as leaks or double
// deletes.
struct CountedItem : CVarnelItem {
    static int live;
    CountedItem() { ++live; }
    ~CountedItem() override { --live; }
};
int CountedItem::live = 0;

TEST(ListContainer, GetItemByPosition)
{
    {
        CVarnelContainer list;
        EXPECT_EQ(list.GetItem(0), nullptr);
        EXPECT_EQ(list.GetItem(-3), nullptr);
        CVarnelItem* a = new CountedItem;
        CVarnelItem* b = new CountedItem;
        list.AddItem(a);
        list.AddItem(b);
        EXPECT_EQ(list.GetItem(-3), a);  // below 1: the first
        EXPECT_EQ(list.GetItem(0), a);
        EXPECT_EQ(list.GetItem(1), b);
        EXPECT_EQ(list.GetItem(2), nullptr);  // the count
        EXPECT_FALSE(list.HasItem(0));
        list.AddItemAt(0, new CountedItem);  // a list has no numbers
        EXPECT_EQ(list.GetCount(), 2);
        EXPECT_EQ(CountedItem::live, 2);
        EXPECT_EQ(list.GetTypeCode(), 0x56434E54u);
    }
    EXPECT_EQ(CountedItem::live, 0);
}

TEST(ListContainer, ResetDropsItemsAndVariables)
{
    CVarnelContainer list;
    CVarnelVarContainer vars;
    list.SetVarContainer(&vars);
    EXPECT_EQ(list.GetVarContainer(), &vars);
    list.AddItem(new CountedItem);
    EXPECT_FALSE(list.IsEmpty());
    list.Reinitialize();
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_EQ(list.GetVarContainer(), nullptr);
    EXPECT_EQ(CountedItem::live, 0);
    EXPECT_EQ(list.Load("X=1", 3), 0);
}

TEST(IndexedContainer, NumbersAndOwnership)
{
    {
        CVarnelIndexedContainer map;
        EXPECT_EQ(map.GetTypeCode(), 0x5649434Eu);
        CVarnelItem* four = new CountedItem;
        map.AddItemAt(4, four);
        map.AddItemAt(4, new CountedItem);  // taken: deleted, map unchanged
        EXPECT_EQ(map.GetItem(4), four);
        EXPECT_EQ(CountedItem::live, 1);
        CVarnelItem* next = new CountedItem;
        map.AddItem(next);  // under the count, 1
        EXPECT_EQ(map.GetItem(1), next);
        EXPECT_TRUE(map.HasItem(1));
        EXPECT_FALSE(map.HasItem(0));
        EXPECT_EQ(map.GetItem(0), nullptr);
        EXPECT_EQ(map.GetCount(), 2);
        EXPECT_EQ(map.GetItems().begin()->first, 1);  // ascending numbers
        EXPECT_EQ(map.Load("X=1", 3), 0);
    }
    EXPECT_EQ(CountedItem::live, 0);
}

}  // namespace
