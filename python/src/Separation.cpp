#include "Separation.h"

#include "InkCoverage.h"
#include "InkOutput.h"
#include "RgbInput.h"
#include "StatusError.h"

#include <varnel/separation.h>

#include <algorithm>
#include <cstdint>
#include <new>
#include <optional>

namespace py = pybind11;

namespace varnel_python {

namespace {

// Texts cross in UTF-8; bytes that are not UTF-8 travel as Python's
// surrogate escapes, so that a text read from the library loads back as
// it was.
py::str decoded(const char* text)
{
    PyObject* result = PyUnicode_DecodeUTF8(text, static_cast<Py_ssize_t>(std::char_traits<char>::length(text)),
                                            "surrogateescape");
    if (!result)
        throw py::error_already_set();
    return py::reinterpret_steal<py::str>(result);
}

// A text argument as bytes: str (UTF-8) or bytes; None gives nothing.
std::optional<std::string> textArgument(const py::handle& value, const char* name)
{
    if (value.is_none())
        return std::nullopt;
    if (py::isinstance<py::bytes>(value))
        return std::string(py::reinterpret_borrow<py::bytes>(value));
    if (!py::isinstance<py::str>(value))
        raiseArgument(std::string(name) + " must be a str, bytes or None");
    PyObject* bytes = PyUnicode_AsEncodedString(value.ptr(), "utf-8", "surrogateescape");
    if (!bytes)
        throw py::error_already_set();
    return std::string(py::reinterpret_steal<py::bytes>(bytes));
}

// A text that the library takes terminated by a zero.
std::optional<std::string> terminatedText(const py::handle& value, const char* name)
{
    std::optional<std::string> text = textArgument(value, name);
    if (text && text->find('\0') != std::string::npos)
        raiseArgument(std::string(name) + " must not contain a NUL character");
    return text;
}

// A file name as the operating system takes it, from str, bytes or a
// path-like object.
std::string fileName(const py::handle& value, const char* name)
{
    PyObject* bytes = nullptr;
    if (!PyUnicode_FSConverter(value.ptr(), &bytes)) {
        const py::error_already_set error;
        raiseArgument(std::string(name) + ": " + error.what());
    }
    return std::string(py::reinterpret_steal<py::bytes>(bytes));
}

// Loads with the options of cache and cacheDir, the GIL released while the
// library works (building a cache takes a while).
template <typename Load>
varnel_separation* loadWith(Load load, bool cache, const py::handle& cacheDir)
{
    std::optional<std::string> folder;
    if (!cacheDir.is_none())
        folder = fileName(cacheDir, "cache_dir");
    varnel_load_options options{};
    options.flags = cache ? VARNEL_LOAD_CACHE : 0u;
    options.cache_folder = folder ? folder->c_str() : nullptr;
    varnel_separation* separation = nullptr;
    char message[VARNEL_MESSAGE_SIZE] = "";
    int status;
    {
        py::gil_scoped_release released;
        status = load(&options, &separation, message);
    }
    if (status != VARNEL_OK)
        raiseStatus(status, message);
    return separation;
}

} // namespace

std::unique_ptr<Separation> Separation::load(const py::handle& config, const py::handle& extra, bool cache,
                                             const py::handle& cacheDir)
{
    const std::string name = fileName(config, "config");
    const std::optional<std::string> more = terminatedText(extra, "extra");
    auto load = [&](const varnel_load_options* options, varnel_separation** out, char* message) {
        return varnel_load(name.c_str(), more ? more->c_str() : nullptr, options, out, message,
                           VARNEL_MESSAGE_SIZE);
    };
    return std::unique_ptr<Separation>(new Separation(loadWith(load, cache, cacheDir), {name, false, more}));
}

ConfigurationCheck checkOf(const py::handle& config, const py::handle& extra)
{
    return {fileName(config, "config"), false, terminatedText(extra, "extra")};
}

std::unique_ptr<Separation> Separation::loadText(const py::handle& text, const py::handle& extra, bool cache,
                                                 const py::handle& cacheDir)
{
    const std::optional<std::string> body = textArgument(text, "text");
    if (!body)
        raiseArgument("text must be a str or bytes");
    const std::optional<std::string> more = terminatedText(extra, "extra");
    auto load = [&](const varnel_load_options* options, varnel_separation** out, char* message) {
        return varnel_load_text(body->data(), body->size(), more ? more->c_str() : nullptr, options, out,
                                message, VARNEL_MESSAGE_SIZE);
    };
    return std::unique_ptr<Separation>(new Separation(loadWith(load, cache, cacheDir), {*body, true, more}));
}

Separation::~Separation() { varnel_free(m_separation); }

size_t Separation::channels() const { return varnel_channels(m_separation); }

py::tuple Separation::inkNames() const
{
    py::tuple names(channels());
    for (size_t c = 0; c < channels(); ++c)
        names[c] = decoded(varnel_ink_name(m_separation, c));
    return names;
}

py::tuple Separation::inkColors() const
{
    py::tuple colors(channels());
    for (size_t c = 0; c < channels(); ++c) {
        unsigned char rgb[3] = {0, 0, 0};
        varnel_ink_color(m_separation, c, rgb);
        colors[c] = py::make_tuple(rgb[0], rgb[1], rgb[2]);
    }
    return colors;
}

py::str Separation::text() const { return decoded(varnel_config_text(m_separation)); }

bool Separation::cached() const { return varnel_is_cached(m_separation) != 0; }

py::str Separation::repr() const
{
    return py::str("<varnel.Separation: {} inks ({})>").format(channels(), py::str(", ").attr("join")(inkNames()));
}

int Separation::convert(const RgbInput& input, const unsigned char* in, unsigned char* out, size_t outStride,
                        size_t width, size_t height) const
{
    if (input.bits() == 8)
        return varnel_convert8(m_separation, in, input.rowStride(), out, outStride, width, height, nullptr,
                               nullptr);
    return varnel_convert16(m_separation, reinterpret_cast<const uint16_t*>(in), input.rowStride(),
                            reinterpret_cast<uint16_t*>(out), outStride, width, height, nullptr, nullptr);
}

void Separation::raiseConversion(int status)
{
    // The arrays were checked before the call: what the library still
    // refuses is an out= array that shares memory with the input.
    if (status == VARNEL_ERROR_ARGUMENT)
        raiseStatus(status, "the library refused the arrays: out shares memory with rgb");
    if (status == VARNEL_ERROR_MEMORY)
        raiseStatus(status, "memory for the conversion could not be obtained");
    raiseStatus(status, "the conversion failed");
}

py::array Separation::separate(const py::handle& rgb, const py::handle& out) const
{
    const RgbInput input(rgb);
    InkOutput output(input, channels(), out);
    if (input.empty())
        return output.array();
    unsigned char* target = output.data();
    int status;
    {
        py::gil_scoped_release released;
        status = convert(input, input.data(), target, output.rowStride(), input.width(), input.height());
    }
    if (status != VARNEL_OK)
        raiseConversion(status);
    return output.array();
}

py::dict Separation::coverage(const py::handle& rgb) const
{
    const RgbInput input(rgb);
    const size_t inks = channels();
    // Bands of at most 64 Ki pixels are separated and tallied one after the
    // other: the memory stays small whatever the image's size.
    constexpr size_t bandPixels = 65536;
    const size_t pieceWidth = std::min(input.width(), bandPixels);
    const size_t bandRows = std::max<size_t>(1, bandPixels / std::max<size_t>(1, input.width()));
    std::optional<varnel_tool::InkCoverage> tally;
    std::vector<unsigned char> band;
    try {
        tally.emplace(static_cast<int>(inks), input.bits(), 100u);
        band.resize(std::min(bandRows, input.height()) * pieceWidth * inks * input.itemSize());
    } catch (const std::bad_alloc&) {
        raiseStatus(VARNEL_ERROR_MEMORY, "memory for the coverage could not be obtained");
    }
    int status = VARNEL_OK;
    {
        py::gil_scoped_release released;
        for (size_t y = 0; status == VARNEL_OK && y < input.height(); y += bandRows) {
            const size_t rows = std::min(bandRows, input.height() - y);
            for (size_t x = 0; status == VARNEL_OK && x < input.width(); x += pieceWidth) {
                const size_t width = std::min(pieceWidth, input.width() - x);
                const unsigned char* in = input.data() + y * input.rowStride() + x * 3 * input.itemSize();
                status = convert(input, in, band.data(), 0, width, rows);
                if (status == VARNEL_OK)
                    tally->addRows(band.data(), static_cast<uint32_t>(width), 0, static_cast<uint32_t>(rows));
            }
        }
    }
    if (status != VARNEL_OK)
        raiseConversion(status);
    py::dict result;
    const py::tuple names = inkNames();
    for (size_t c = 0; c < inks; ++c)
        result[names[c]] = tally->meanPercent(static_cast<int>(c));
    return result;
}

} // namespace varnel_python
