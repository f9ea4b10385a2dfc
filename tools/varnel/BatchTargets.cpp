#include "BatchTargets.h"

#include <sys/stat.h>

namespace varnel_tool {

namespace {

std::string inFolder(const std::string& folder, const std::string& name) {
    if (folder.empty()) return std::string();
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

} // namespace

bool namesFolder(const std::string& path) {
    struct stat info {};
    return (!path.empty() && path.back() == '/') || (stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode));
}

std::string stemOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = name.find_last_of('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

void BatchTargets::createFolders() const {
    for (const std::string* folder : {&output, &proof, &tacMap, &report}) {
        if (!folder->empty()) ensureFolder(*folder);
    }
}

OutputRequest BatchTargets::outputsFor(const std::string& input, int bits) const {
    const std::string stem = stemOf(input);
    OutputRequest request;
    request.separationPath = inFolder(output, stem + (psd ? ".psd" : ".tif"));
    request.psd = psd;
    request.platesFolder = plates;
    request.plateStem = stem;
    request.proofPath = inFolder(proof, stem + "-proof.png");
    request.tacMapPath = inFolder(tacMap, stem + "-tac-map.png");
    request.reportPath = inFolder(report, stem + ".json");
    request.bits = bits;
    return request;
}

} // namespace varnel_tool
