// The RGB pixels that a conversion reads from a numpy array: uint8 or
// uint16 in the machine's byte order, of shape (H, W, 3) or (N, 3), seen as
// rows of packed pixels with a distance in bytes from one row to the next.
// Strided rows (a crop of a larger image) are read where they are; an array
// whose pixels are not 3 packed values (the RGB view of RGBA pixels, a
// reversed or broadcast axis, an unaligned buffer) is copied once.
#ifndef VARNEL_PYTHON_RGBINPUT_H
#define VARNEL_PYTHON_RGBINPUT_H

#include <pybind11/numpy.h>

#include <cstddef>
#include <vector>

namespace varnel_python {

class RgbInput {
public:
    // Raises VarnelError (VARNEL_ERROR_ARGUMENT) for anything else than such
    // an array, VARNEL_ERROR_MEMORY when the copy cannot be made.
    explicit RgbInput(const pybind11::handle& rgb);

    int bits() const { return m_itemSize * 8; }
    const pybind11::dtype dtype() const { return m_array.dtype(); }
    const unsigned char* data() const { return static_cast<const unsigned char*>(m_array.data()); }
    size_t width() const { return m_width; }
    size_t height() const { return m_height; }
    // Never 0: for a single row it is the row's length.
    size_t rowStride() const { return m_rowStride; }
    size_t itemSize() const { return m_itemSize; }
    bool empty() const { return m_width == 0 || m_height == 0; }
    // The shape of the separation: the input's, with channels values last.
    std::vector<pybind11::ssize_t> outputShape(size_t channels) const;

private:
    bool readsInPlace() const;
    void takeLayout();

    pybind11::array m_array;
    size_t m_itemSize = 1;
    size_t m_width = 0;
    size_t m_height = 0;
    size_t m_rowStride = 0;
};

} // namespace varnel_python

#endif
