#include "OutputClaims.h"

#include "ToolError.h"

#include <sys/stat.h>

namespace varnel_tool {

std::string OutputClaims::identityOf(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) == 0) {
        return std::to_string(info.st_dev) + ":" + std::to_string(info.st_ino);
    }
    // Not there yet: the folder's identity and the name, the folder's in
    // turn from its own folder when it does not exist either.
    std::string trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
    const size_t slash = trimmed.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : trimmed.substr(0, slash);
    const std::string name = slash == std::string::npos ? trimmed : trimmed.substr(slash + 1);
    if (folder == trimmed) return trimmed;
    return identityOf(folder) + "/" + name;
}

void OutputClaims::addInput(const std::string& path) {
    m_claims.emplace(identityOf(path), Claim{path, std::string()});
}

void OutputClaims::addOutput(const std::string& path, const std::string& role) {
    // A character device (/dev/null, a terminal) takes whatever it is given
    // and may serve several outputs.
    struct stat info {};
    if (stat(path.c_str(), &info) == 0 && S_ISCHR(info.st_mode)) return;
    const auto [existing, fresh] = m_claims.emplace(identityOf(path), Claim{path, role});
    if (fresh) return;
    const Claim& other = existing->second;
    if (other.role.empty()) {
        throw UsageError(role + " '" + path + "' is the input '" + other.path + "'; an output never replaces its input");
    }
    throw UsageError(role + " '" + path + "' and " + other.role + " '" + other.path + "' are the same file");
}

} // namespace varnel_tool
