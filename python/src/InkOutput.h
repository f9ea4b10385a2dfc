// The array that receives a separation: a new array, or the caller's out=
// array, which must already be what a new one would be (same dtype as the
// input, the input's shape with the channels last, writable and aligned),
// except that its rows may lie apart.
#ifndef VARNEL_PYTHON_INKOUTPUT_H
#define VARNEL_PYTHON_INKOUTPUT_H

#include "RgbInput.h"

#include <pybind11/numpy.h>

#include <cstddef>

namespace varnel_python {

class InkOutput {
public:
    // Raises VarnelError: VARNEL_ERROR_ARGUMENT for an out= array that does
    // not fit, VARNEL_ERROR_MEMORY when a new one cannot be allocated.
    InkOutput(const RgbInput& input, size_t channels, const pybind11::handle& out);

    unsigned char* data() { return static_cast<unsigned char*>(m_array.mutable_data()); }
    size_t rowStride() const { return m_rowStride; }
    const pybind11::array& array() const { return m_array; }

private:
    void checkOut(const RgbInput& input, size_t channels) const;

    pybind11::array m_array;
    size_t m_rowStride = 0;
};

} // namespace varnel_python

#endif
