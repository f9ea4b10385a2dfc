// The format of an output file follows its name: a name whose extension
// does not name a format the output can take is refused rather than
// written in some other format under a misleading name. A FIFO or device
// (which has no extension to speak of) takes the output's first format.
#ifndef VARNEL_TOOL_OUTPUTFORMAT_H
#define VARNEL_TOOL_OUTPUTFORMAT_H

#include <initializer_list>
#include <string>

namespace varnel_tool {

enum class FileFormat { Tiff, Psd, Png, Json };

class OutputFormat {
public:
    // The format that path asks for among allowed (.tif or .tiff, .psd or
    // .psb, .png, .json; any case). Throws UsageError naming the option
    // (role) and the extensions it takes.
    static FileFormat of(const std::string& path, const std::string& role, std::initializer_list<FileFormat> allowed);
};

} // namespace varnel_tool

#endif
