#include "RgbInput.h"

#include "StatusError.h"

#include <varnel/separation.h>

#include <string>

namespace py = pybind11;

namespace varnel_python {

namespace {

bool isNativeUint(const py::dtype& type, size_t size)
{
    return type.kind() == 'u' && static_cast<size_t>(type.itemsize()) == size &&
           (type.byteorder() == '=' || type.byteorder() == '|');
}

} // namespace

RgbInput::RgbInput(const py::handle& rgb)
{
    if (!py::isinstance<py::array>(rgb))
        raiseArgument("rgb must be a numpy array, not " +
                      std::string(py::str(py::type::handle_of(rgb).attr("__name__"))));
    m_array = py::reinterpret_borrow<py::array>(rgb);
    const py::dtype type = m_array.dtype();
    if (!isNativeUint(type, 1) && !isNativeUint(type, 2))
        raiseArgument("rgb must be of dtype uint8 or uint16 in the machine's byte order, not " +
                      std::string(py::str(type.attr("name"))));
    const py::ssize_t dims = m_array.ndim();
    if ((dims != 2 && dims != 3) || m_array.shape(dims - 1) != 3)
        raiseArgument("rgb must be of shape (H, W, 3) or (N, 3), not " +
                      std::string(py::str(m_array.attr("shape"))));
    m_itemSize = static_cast<size_t>(type.itemsize());
    takeLayout();
    if (!readsInPlace()) {
        // Not C-contiguous or not aligned (a C-contiguous, aligned array
        // always reads in place): numpy makes a packed copy.
        using api = py::detail::npy_api;
        m_array = py::array::ensure(m_array, api::NPY_ARRAY_C_CONTIGUOUS_ | api::NPY_ARRAY_ALIGNED_);
        if (!m_array) {
            PyErr_Clear();
            raiseStatus(VARNEL_ERROR_MEMORY, "the packed copy of rgb cannot be allocated");
        }
        takeLayout();
    }
}

void RgbInput::takeLayout()
{
    const bool rows = m_array.ndim() == 3;
    m_height = rows ? static_cast<size_t>(m_array.shape(0)) : 1;
    m_width = static_cast<size_t>(m_array.shape(rows ? 1 : 0));
    const py::ssize_t stride = rows ? m_array.strides(0) : 0;
    m_rowStride = m_height > 1 && stride > 0 ? static_cast<size_t>(stride) : m_width * 3 * m_itemSize;
}

bool RgbInput::readsInPlace() const
{
    const py::ssize_t dims = m_array.ndim();
    const auto item = static_cast<py::ssize_t>(m_itemSize);
    // A stride along an axis of one element means nothing (numpy leaves it
    // arbitrary); every other one must describe packed pixels.
    const bool packedValues = m_array.strides(dims - 1) == item;
    const bool packedPixels = m_width <= 1 || m_array.strides(dims - 2) == 3 * item;
    const bool rowsApart = dims == 2 || m_height <= 1 ||
                           m_array.strides(0) >= static_cast<py::ssize_t>(m_width * 3 * m_itemSize);
    const bool aligned = (m_array.flags() & py::detail::npy_api::NPY_ARRAY_ALIGNED_) != 0;
    return packedValues && packedPixels && rowsApart && aligned;
}

std::vector<py::ssize_t> RgbInput::outputShape(size_t channels) const
{
    std::vector<py::ssize_t> shape(m_array.shape(), m_array.shape() + m_array.ndim());
    shape.back() = static_cast<py::ssize_t>(channels);
    return shape;
}

} // namespace varnel_python
