#include "config/VarnelTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <thread>
#include <vector>

namespace {

using Tables = std::vector<std::unique_ptr<CVarnelTable>>;

void MakeAndScribble(Tables& tables, unsigned count)
{
    for (unsigned i = 0; i < count; ++i) {
        tables.push_back(std::make_unique<CVarnelTable>());
        ASSERT_TRUE(std::all_of(tables.back()->Data(), tables.back()->Data() + CVarnelTable::kEntries,
                                [](uint16_t v) { return v == 0; }));
        std::fill(tables.back()->Data(), tables.back()->Data() + CVarnelTable::kEntries, uint16_t(0xA5A5));
    }
}

// A table whose block another table used (kept by the thread, or past the
// kept number, from the system) starts all 0 like the first one.
TEST(VarnelTable, StartsAtZeroWhateverItsBlockHeld)
{
    Tables tables;
    MakeAndScribble(tables, CVarnelTable::kKeptBlocks + 2);
    tables.clear();
    MakeAndScribble(tables, CVarnelTable::kKeptBlocks + 2);
}

// A configuration may be loaded on one thread and released on another: the
// blocks go to the thread that ends the tables and are freed when it ends
// (the leak checker sees any that are not).
TEST(VarnelTable, EndsOnAnotherThread)
{
    Tables tables;
    std::thread([&tables] { MakeAndScribble(tables, 8); }).join();
    std::thread([&tables] {
        tables.clear();
        MakeAndScribble(tables, 2);
        tables.clear();
    }).join();
}

} // namespace
