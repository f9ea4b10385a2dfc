// Every failure reaches Python as varnel.VarnelError, which carries the
// library's status (its number and its constant name) and a sentence that
// says what failed.
#ifndef VARNEL_PYTHON_STATUSERROR_H
#define VARNEL_PYTHON_STATUSERROR_H

#include <string>

namespace varnel_python {

// Sets varnel.VarnelError as the pending Python exception and throws
// pybind11::error_already_set, which hands it to the interpreter. Call it
// with the GIL held.
[[noreturn]] void raiseStatus(int status, const std::string& message);

// The same for a bad argument (VARNEL_ERROR_ARGUMENT).
[[noreturn]] void raiseArgument(const std::string& message);

} // namespace varnel_python

#endif
