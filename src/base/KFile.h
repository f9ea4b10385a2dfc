// A file by name: whether it exists and how large it is. Never throws: a
// name the file system cannot answer for does not exist and has size 0.
#pragma once

#include "base/KBaseObject.h"
#include "base/KPath.h"

#include <cstdint>
#include <string>

class KFile : public KBaseObject {
public:
    // The name is taken with KString's Set, so a byte-order mark is
    // recognised.
    KFile(const char* name);
    explicit KFile(const KString& name);
    KFile(const KFile& other);
    KFile& operator=(const KFile& other);
    ~KFile() override;

    bool Exists() const;
    uint64_t GetSize() const;
    // A copy of the name, in its own encoding.
    std::string GetPath() const;
    const KPath& GetKPath() const { return m_path; }

private:
    KPath m_path;
};
