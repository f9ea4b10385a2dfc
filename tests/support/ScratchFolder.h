// A fresh folder for one test, removed with everything in it at the end.
#ifndef VARNEL_TESTS_SUPPORT_SCRATCHFOLDER_H
#define VARNEL_TESTS_SUPPORT_SCRATCHFOLDER_H

#include <Poco/File.h>
#include <Poco/TemporaryFile.h>

#include <string>

class ScratchFolder {
public:
    ScratchFolder() : m_path(Poco::TemporaryFile::tempName() + "/") { Poco::File(m_path).createDirectories(); }
    ~ScratchFolder() { Poco::File(m_path).remove(true); }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    // Ends with '/'.
    const std::string& Path() const { return m_path; }
    char* CPath() const { return const_cast<char*>(m_path.c_str()); }

private:
    std::string m_path;
};

#endif
