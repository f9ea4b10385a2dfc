// varnel._varnel: the compiled part of the Python package varnel.
#include "Separation.h"

#include <varnel/separation.h>

#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <string>
#include <vector>

namespace py = pybind11;
using varnel_python::Separation;

namespace {

std::vector<std::string> presets()
{
    std::vector<std::string> names;
    for (size_t i = 0; const char* name = varnel_preset_name(i); ++i)
        names.emplace_back(name);
    return names;
}

} // namespace

PYBIND11_MODULE(_varnel, m)
{
    m.doc() = "Colour separation of RGB images into ink amounts for 4 to 8 inks.";
    m.attr("__version__") = varnel_version_text();
    m.def("presets", &presets, "The names of the built-in configurations.");
    m.def(
        "check", [](const py::handle& config, const py::handle& extra) { return varnel_python::checkOf(config, extra).run(); },
        py::arg("config"), py::arg("extra") = py::none(),
        R"(What the library would misread in a configuration, as a list of Finding.

config and extra as Separation takes them. Errors are statements the library
does not read as written and whatever keeps the configuration from loading
(a missing preset or file too); warnings are what loads but may surprise.
A configuration that does not load can be checked: that is when it helps.)");

    py::class_<Separation>(m, "Separation", R"(One loaded configuration.

Separation(config, extra=None, cache=False, cache_dir=None)

config is a preset name (see presets()) or the path of a .cfg file, extra
an optional configuration text applied over it. With cache, the separation
of every 8-bit colour is kept as a table, built at load or read from a
cache file in cache_dir (None: the user's own folder in the temporary
folder): 8-bit conversions then read the table, 16-bit ones read it at the
nearest 8-bit colour.

A Separation never changes once loaded: any number of threads may use one
at once, and conversions run without the GIL. Failures raise VarnelError.)")
        .def(py::init(&Separation::load), py::arg("config"), py::arg("extra") = py::none(),
             py::arg("cache") = false, py::arg("cache_dir") = py::none())
        .def_static("from_text", &Separation::loadText, py::arg("text"), py::arg("extra") = py::none(),
                    py::arg("cache") = false, py::arg("cache_dir") = py::none(),
                    "Loads a configuration text (such as another separation's .text).")
        .def_property_readonly("channels", &Separation::channels, "The number of inks.")
        .def_property_readonly("ink_names", &Separation::inkNames, "The inks' names, channel 0 first.")
        .def_property_readonly("ink_colors", &Separation::inkColors,
                               "How each ink looks on white paper, as 8-bit sRGB (r, g, b).")
        .def_property_readonly("text", &Separation::text,
                               "A configuration text that from_text loads back as this separation.")
        .def_property_readonly("cached", &Separation::cached,
                               "Whether a table of every 8-bit colour serves the separation.")
        .def("check", &Separation::check,
             "What the library would misread in the texts this was loaded from (see varnel.check).")
        .def("separate", &Separation::separate, py::arg("rgb"), py::arg("out") = py::none(),
             R"(The ink values of rgb.

rgb: uint8 or uint16 array of shape (H, W, 3) or (N, 3). The result has the
same dtype and the shape (H, W, channels) or (N, channels); 255 (65535 for
uint16) means no ink, 0 full ink. out: an array of exactly that dtype and
shape to write into instead of a new one.)")
        .def("coverage", &Separation::coverage, py::arg("rgb"),
             "Each ink's mean coverage of rgb in per cent (0: paper, 100: full ink), by ink name.")
        .def("__repr__", &Separation::repr);
}
