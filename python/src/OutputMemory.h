// The memory of the arrays that separate returns. Large blocks whose array
// has died are kept (two at most) and handed to the next output of about
// the same size: image after image of one size is then written into memory
// that is already mapped, as by a C host that reuses its buffer. Fresh
// memory costs the kernel's page faults, a tenth of the time of a 16-bit
// conversion of a photograph.
#ifndef VARNEL_PYTHON_OUTPUTMEMORY_H
#define VARNEL_PYTHON_OUTPUTMEMORY_H

#include <pybind11/numpy.h>

#include <cstddef>
#include <vector>

namespace varnel_python {

class OutputMemory {
public:
    // A new C-contiguous array. Throws std::bad_alloc when the memory cannot
    // be obtained.
    static pybind11::array newArray(const pybind11::dtype& type, const std::vector<pybind11::ssize_t>& shape);

private:
    struct Block {
        void* data;
        size_t bytes;
    };
    static Block* take(size_t bytes);
    static void give(Block* block);
};

} // namespace varnel_python

#endif
