#include "ConfigurationCheck.h"

#include "StatusError.h"

#include <varnel/separation.h>

#include <vector>

namespace py = pybind11;

namespace varnel_python {

namespace {

struct Finding {
    int severity;
    int text;
    unsigned line;
    std::string statement;
    std::string message;
};

struct Findings {
    std::vector<Finding> list;
    bool incomplete = false;  // memory ran short
};

// The library's callback: collected while the GIL is released, handed to
// Python afterwards. Nothing is thrown through the library.
void collect(int severity, int text, unsigned line, const char* statement, const char* message, void* user)
{
    auto* findings = static_cast<Findings*>(user);
    try {
        findings->list.push_back(Finding{severity, text, line, statement ? statement : "", message ? message : ""});
    } catch (...) {
        findings->incomplete = true;
    }
}

py::str decoded(const std::string& text)
{
    PyObject* result = PyUnicode_DecodeUTF8(text.data(), static_cast<Py_ssize_t>(text.size()), "surrogateescape");
    if (!result)
        throw py::error_already_set();
    return py::reinterpret_steal<py::str>(result);
}

} // namespace

py::list ConfigurationCheck::run() const
{
    Findings findings;
    int status;
    {
        py::gil_scoped_release released;
        const char* extra = m_extra ? m_extra->c_str() : nullptr;
        status = m_fromText ? varnel_check_text(m_config.data(), m_config.size(), extra, collect, &findings,
                                                nullptr, nullptr)
                            : varnel_check(m_config.c_str(), extra, collect, &findings, nullptr, nullptr);
    }
    if (findings.incomplete)
        status = VARNEL_ERROR_MEMORY;
    if (status == VARNEL_ERROR_ARGUMENT || status == VARNEL_ERROR_MEMORY)
        raiseStatus(status, "the configuration could not be checked");
    const py::object type = py::module_::import("varnel._finding").attr("Finding");
    py::list result;
    for (const Finding& finding : findings.list)
        result.append(type(finding.severity == VARNEL_FINDING_ERROR ? "error" : "warning",
                           finding.text == VARNEL_TEXT_EXTRA ? "extra" : "config", finding.line,
                           decoded(finding.statement), decoded(finding.message)));
    return result;
}

} // namespace varnel_python
