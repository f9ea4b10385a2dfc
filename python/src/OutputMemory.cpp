#include "OutputMemory.h"

#include <array>
#include <cstdlib>
#include <limits>
#include <memory>
#include <mutex>
#include <new>

namespace py = pybind11;

namespace varnel_python {

namespace {

// Smaller arrays come from numpy, whose allocator reuses them well enough.
constexpr size_t smallestKept = size_t(1) << 20;

struct Kept {
    std::mutex lock;
    std::array<void*, 2> data{};  // nullptr: a free slot
    std::array<size_t, 2> bytes{};
    size_t next = 0;              // the slot that receives the next block
};

// Never destroyed: an array may die after the module's statics at exit.
Kept& kept()
{
    static Kept* blocks = new Kept;
    return *blocks;
}

} // namespace

py::array OutputMemory::newArray(const py::dtype& type, const std::vector<py::ssize_t>& shape)
{
    size_t bytes = static_cast<size_t>(type.itemsize());
    for (py::ssize_t extent : shape) {
        if (extent != 0 && bytes > std::numeric_limits<size_t>::max() / static_cast<size_t>(extent))
            throw std::bad_alloc();
        bytes *= static_cast<size_t>(extent);
    }
    if (bytes < smallestKept)
        return py::array(type, shape);
    Block* block = take(bytes);
    // The capsule owns the block from here; it dies with the last view of
    // the array.
    py::capsule owner;
    try {
        owner = py::capsule(block, [](void* pointer) { give(static_cast<Block*>(pointer)); });
    } catch (...) {
        give(block);
        throw;
    }
    void* data = block->data;
    return py::array(type, shape, {}, data, owner);
}

OutputMemory::Block* OutputMemory::take(size_t bytes)
{
    auto block = std::make_unique<Block>(Block{nullptr, bytes});
    {
        Kept& blocks = kept();
        std::lock_guard<std::mutex> guard(blocks.lock);
        // A kept block serves when it is at most a quarter larger: the last
        // blocks of a tiled image are a little smaller than the others.
        for (size_t i = 0; i < blocks.data.size(); ++i) {
            if (blocks.data[i] && blocks.bytes[i] >= bytes && blocks.bytes[i] - bytes <= bytes / 4) {
                *block = Block{blocks.data[i], blocks.bytes[i]};
                blocks.data[i] = nullptr;
                return block.release();
            }
        }
    }
    block->data = std::malloc(bytes);
    if (!block->data)
        throw std::bad_alloc();
    return block.release();
}

void OutputMemory::give(Block* block)
{
    void* dropped = block->data;
    {
        Kept& blocks = kept();
        std::lock_guard<std::mutex> guard(blocks.lock);
        size_t slot = blocks.data[0] == nullptr ? 0 : blocks.data[1] == nullptr ? 1 : blocks.next;
        std::swap(dropped, blocks.data[slot]);
        blocks.bytes[slot] = block->bytes;
        blocks.next = 1 - slot;
    }
    std::free(dropped);
    delete block;
}

} // namespace varnel_python
