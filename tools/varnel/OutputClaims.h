// Keeps a run from writing one file twice or over one of its inputs. Files
// are known by what they are, not by how they are named: an existing file
// by its device and inode (so "in.tif", "./in.tif", a link to it and a
// second hard link are one file), a file still to be created by the
// identity of its folder and its name in it.
#ifndef VARNEL_TOOL_OUTPUTCLAIMS_H
#define VARNEL_TOOL_OUTPUTCLAIMS_H

#include <map>
#include <string>

namespace varnel_tool {

class OutputClaims {
public:
    void addInput(const std::string& path);
    // role names the output in messages, e.g. "-o" or "--proof". Throws
    // UsageError when the file is an input or an output already claimed;
    // a character device is never claimed.
    void addOutput(const std::string& path, const std::string& role);

private:
    struct Claim {
        std::string path;
        std::string role;  // empty for an input
    };
    // A key that two paths share exactly when they lead to the same file.
    static std::string identityOf(const std::string& path);

    std::map<std::string, Claim> m_claims;
};

} // namespace varnel_tool

#endif
