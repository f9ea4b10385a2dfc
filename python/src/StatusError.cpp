#include "StatusError.h"

#include <varnel/separation.h>

#include <pybind11/pybind11.h>

namespace py = pybind11;

namespace varnel_python {

void raiseStatus(int status, const std::string& message)
{
    py::object type = py::module_::import("varnel._error").attr("VarnelError");
    py::object error = type(status, varnel_status_name(status), message);
    PyErr_SetObject(type.ptr(), error.ptr());
    throw py::error_already_set();
}

void raiseArgument(const std::string& message) { raiseStatus(VARNEL_ERROR_ARGUMENT, message); }

} // namespace varnel_python
