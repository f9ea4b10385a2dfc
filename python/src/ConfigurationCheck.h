// The configuration check: what the library would misread in a
// configuration, as a list of varnel.Finding, in the order of the texts and
// their lines.
#ifndef VARNEL_PYTHON_CONFIGURATIONCHECK_H
#define VARNEL_PYTHON_CONFIGURATIONCHECK_H

#include <pybind11/pybind11.h>

#include <optional>
#include <string>

namespace varnel_python {

class ConfigurationCheck {
public:
    // A preset name or .cfg path, or (fromText) a configuration text, and
    // the optional extra text over it.
    ConfigurationCheck(std::string config, bool fromText, std::optional<std::string> extra)
        : m_config(std::move(config)), m_fromText(fromText), m_extra(std::move(extra)) {}

    // Runs the check without the GIL. A configuration that is missing or
    // does not load is no failure here: the findings say so. Raises
    // VarnelError only for VARNEL_ERROR_ARGUMENT and VARNEL_ERROR_MEMORY.
    pybind11::list run() const;

private:
    std::string m_config;
    bool m_fromText;
    std::optional<std::string> m_extra;
};

} // namespace varnel_python

#endif
