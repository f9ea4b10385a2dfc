#include "InkOutput.h"

#include "OutputMemory.h"
#include "StatusError.h"

#include <varnel/separation.h>

#include <new>
#include <string>

namespace py = pybind11;

namespace varnel_python {

InkOutput::InkOutput(const RgbInput& input, size_t channels, const py::handle& out)
{
    const size_t rowLength = input.width() * channels * input.itemSize();
    if (out.is_none()) {
        try {
            m_array = OutputMemory::newArray(input.dtype(), input.outputShape(channels));
        } catch (const std::bad_alloc&) {
            raiseStatus(VARNEL_ERROR_MEMORY, "the output array cannot be allocated");
        } catch (py::error_already_set& error) {
            // numpy's MemoryError, or its ValueError for a size beyond what
            // an array can hold.
            raiseStatus(VARNEL_ERROR_MEMORY, "the output array cannot be allocated: " +
                                                 std::string(error.what()));
        }
        m_rowStride = rowLength;
        return;
    }
    if (!py::isinstance<py::array>(out))
        raiseArgument("out must be a numpy array");
    m_array = py::reinterpret_borrow<py::array>(out);
    checkOut(input, channels);
    m_rowStride = input.height() > 1 ? static_cast<size_t>(m_array.strides(0)) : rowLength;
}

void InkOutput::checkOut(const RgbInput& input, size_t channels) const
{
    const auto shape = input.outputShape(channels);
    const py::ssize_t dims = m_array.ndim();
    bool fits = m_array.dtype().equal(input.dtype()) && m_array.writeable() &&
                (m_array.flags() & py::detail::npy_api::NPY_ARRAY_ALIGNED_) != 0 &&
                dims == static_cast<py::ssize_t>(shape.size());
    for (py::ssize_t i = 0; fits && i < dims; ++i)
        fits = m_array.shape(i) == shape[i];
    if (fits) {
        const auto item = static_cast<py::ssize_t>(input.itemSize());
        const auto pixel = static_cast<py::ssize_t>(channels) * item;
        fits = (channels <= 1 || m_array.strides(dims - 1) == item) &&
               (input.width() <= 1 || m_array.strides(dims - 2) == pixel) &&
               (dims == 2 || input.height() <= 1 ||
                m_array.strides(0) >= static_cast<py::ssize_t>(input.width()) * pixel);
    }
    if (!fits) {
        std::string expected = "(";
        for (size_t i = 0; i < shape.size(); ++i)
            expected += (i ? ", " : "") + std::to_string(shape[i]);
        raiseArgument("out must be a writable, aligned array of dtype " +
                      std::string(py::str(input.dtype().attr("name"))) + " and shape " + expected +
                      ") whose pixels hold their channels side by side");
    }
}

} // namespace varnel_python
