// Where the files of each image go when -o names a folder: the TIFF as
// OUTPUT/NAME.tif or the PSD as OUTPUT/NAME.psd (NAME: the input's file name without its extension), and
// beside it, in the folders that --plates, --proof, --tac-map and --report
// name, NAME-<ink>.png, NAME-proof.png, NAME-tac-map.png and NAME.json. The
// names keep the files of the images apart when the folders are the same.
#ifndef VARNEL_TOOL_BATCHTARGETS_H
#define VARNEL_TOOL_BATCHTARGETS_H

#include "SeparationOutputs.h"

#include <string>

namespace varnel_tool {

struct BatchTargets {
    std::string output;  // the folders; empty: no such file
    std::string plates;
    std::string proof;
    std::string tacMap;
    std::string report;
    bool psd = false;  // NAME.psd instead of NAME.tif

    // Creates the folders that do not exist yet (one level each); the plates
    // folder is created with the plates.
    void createFolders() const;
    OutputRequest outputsFor(const std::string& input, int bits) const;
};

// True when an -o argument names a folder: it ends in '/' or is one.
bool namesFolder(const std::string& path);

// The file name of a path without its folder and last extension.
std::string stemOf(const std::string& path);

} // namespace varnel_tool

#endif
