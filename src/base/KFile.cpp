#include "base/KFile.h"

#include <Poco/File.h>

KFile::KFile(const char* name) { m_path.Set(name); }

KFile::KFile(const KString& name) : m_path(name) {}

KFile::KFile(const KFile& other) : KBaseObject(), m_path(other.m_path) {}

KFile& KFile::operator=(const KFile& other)
{
    m_path = other.m_path;
    return *this;
}

KFile::~KFile() = default;

bool KFile::Exists() const
{
    // An empty name never reaches the file system.
    if (m_path.IsEmpty())
        return false;
    try {
        return Poco::File(m_path.NativeName()).exists();
    } catch (...) {
        return false;
    }
}

uint64_t KFile::GetSize() const
{
    try {
        return Poco::File(m_path.NativeName()).getSize();
    } catch (...) {
        return 0;
    }
}

std::string KFile::GetPath() const { return m_path.StdString(); }
