// varnel.Separation: one loaded configuration of the library. Immutable once
// loaded, so that any number of Python threads convert with one object at
// once; each conversion runs without the GIL.
#ifndef VARNEL_PYTHON_SEPARATION_H
#define VARNEL_PYTHON_SEPARATION_H

#include "ConfigurationCheck.h"

#include <pybind11/numpy.h>

#include <cstddef>
#include <memory>
#include <string>

struct varnel_separation;

namespace varnel_python {

class RgbInput;

class Separation {
public:
    // A preset name or a .cfg path (str, bytes or path-like), then the
    // optional extra text over it. cacheDir: a folder, or None for the
    // library's default; it matters only with cache.
    static std::unique_ptr<Separation> load(const pybind11::handle& config, const pybind11::handle& extra,
                                            bool cache, const pybind11::handle& cacheDir);
    // The same from a configuration text.
    static std::unique_ptr<Separation> loadText(const pybind11::handle& text, const pybind11::handle& extra,
                                                bool cache, const pybind11::handle& cacheDir);
    ~Separation();
    Separation(const Separation&) = delete;
    Separation& operator=(const Separation&) = delete;

    size_t channels() const;
    pybind11::tuple inkNames() const;
    pybind11::tuple inkColors() const;
    pybind11::str text() const;
    bool cached() const;
    // What the library would misread in the texts this was loaded from.
    pybind11::list check() const { return m_check.run(); }
    pybind11::str repr() const;

    // The separation of rgb, into out when it is not None.
    pybind11::array separate(const pybind11::handle& rgb, const pybind11::handle& out) const;
    // Each ink's mean coverage of rgb in per cent (0: paper), by ink name.
    pybind11::dict coverage(const pybind11::handle& rgb) const;

private:
    Separation(varnel_separation* separation, ConfigurationCheck check)
        : m_separation(separation), m_check(std::move(check)) {}
    // Converts rows of input (width pixels, height rows from in) into out;
    // call it without the GIL.
    int convert(const RgbInput& input, const unsigned char* in, unsigned char* out, size_t outStride,
                size_t width, size_t height) const;
    [[noreturn]] static void raiseConversion(int status);

    varnel_separation* m_separation;
    ConfigurationCheck m_check;
};

// The check of a configuration given as Separation takes it.
ConfigurationCheck checkOf(const pybind11::handle& config, const pybind11::handle& extra);

} // namespace varnel_python

#endif
