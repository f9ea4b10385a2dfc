// The image resources that image editors and RIPs read to rebuild named
// spot channels: the channel names (resource 1006, and 1045 in Unicode),
// the display info of each channel with its colour, solidity and kind
// "spot" (1077), and the alternate spot colours (1067). A separated TIFF
// carries them in its Photoshop tag (34377) for the inks past the four
// process inks; a multichannel PSD carries them for every ink.
#ifndef VARNEL_TOOL_IMAGERESOURCES_H
#define VARNEL_TOOL_IMAGERESOURCES_H

#include "Inks.h"
#include "Resolution.h"

#include <cstdint>
#include <vector>

namespace varnel_tool {

// The resource blocks for the inks from firstInk on, which are the file's
// channels firstInk, firstInk + 1 and so on. Colours are given in RGB.
std::vector<uint8_t> spotChannelResources(const std::vector<InkInfo>& inks, size_t firstInk);

// The resolution block (1005): dots per inch across and down, shown in
// inches. Empty when the resolution is unknown.
std::vector<uint8_t> resolutionResource(const Resolution& resolution);

// Appends big-endian integers, as every image resource stores them.
void appendBigEndian(std::vector<uint8_t>& out, uint64_t value, int bytes);

} // namespace varnel_tool

#endif
