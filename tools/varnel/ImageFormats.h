// The readers of the individual formats; only the image factory uses them.
#ifndef VARNEL_TOOL_IMAGEFORMATS_H
#define VARNEL_TOOL_IMAGEFORMATS_H

#include "ImageReader.h"

namespace varnel_tool {

std::unique_ptr<ImageReader> openPng(const std::string& path);
// page: the first is 1.
std::unique_ptr<ImageReader> openTiff(const std::string& path, uint32_t page);
std::unique_ptr<ImageReader> openJpeg(const std::string& path);

} // namespace varnel_tool

#endif
