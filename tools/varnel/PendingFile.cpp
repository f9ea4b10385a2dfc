#include "PendingFile.h"

#include "InterruptCleanup.h"
#include "ToolError.h"

#include <dirent.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>
#include <vector>

namespace varnel_tool {

namespace {

std::string folderOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string fileNameOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The mode any newly created file of this process gets.
mode_t newFileMode() {
    static const mode_t mode = [] {
        const mode_t mask = umask(0);
        umask(mask);
        return 0666 & ~mask;
    }();
    return mode;
}

// The process id in a temporary name ".NAME.varnel-PID-XXXXXX"; 0 when
// the name is not one of ours.
pid_t ownerOf(const char* name) {
    if (name[0] != '.') return 0;
    const char* marker = std::strstr(name, PendingFile::kTemporaryMarker);
    if (marker == nullptr) return 0;
    const char* digits = marker + std::strlen(PendingFile::kTemporaryMarker);
    char* end = nullptr;
    const long pid = std::strtol(digits, &end, 10);
    if (end == digits || *end != '-' || std::strlen(end + 1) != 6 || pid <= 0) return 0;
    return static_cast<pid_t>(pid);
}

// Removes the temporary files that processes which no longer run left in
// the folder (killed outright, they could not clean up). Only regular
// files of this user are touched; a process that still runs, or whose id
// was taken by another process, keeps its files.
void removeStaleTemporaries(const std::string& folder) {
    static std::mutex lock;
    static std::set<std::string> swept;
    std::lock_guard<std::mutex> guard(lock);
    if (!swept.insert(folder).second) return;
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) return;
    while (const dirent* entry = readdir(dir)) {
        const pid_t owner = ownerOf(entry->d_name);
        if (owner == 0 || owner == getpid() || kill(owner, 0) == 0 || errno != ESRCH) continue;
        const std::string path = folder + "/" + entry->d_name;
        struct stat info {};
        if (lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == geteuid()) {
            unlink(path.c_str());
        }
    }
    closedir(dir);
}

const char* kindOf(mode_t mode) {
    if (S_ISFIFO(mode)) return "a FIFO";
    if (S_ISSOCK(mode)) return "a socket";
    return "a device";
}

} // namespace

PendingFile::PendingFile(const std::string& finalPath, Access access) : m_finalPath(finalPath) {
    if (fileNameOf(finalPath).empty()) throw ToolError("cannot write '" + finalPath + "': no file name");
    auto refuse = [&finalPath](const std::string& why) { return ToolError("cannot write '" + finalPath + "': " + why); };
    struct stat target {};
    const bool exists = stat(finalPath.c_str(), &target) == 0;
    if (exists && S_ISDIR(target.st_mode)) throw refuse(systemErrorText(EISDIR));
    if (exists && !S_ISREG(target.st_mode)) {
        if (S_ISSOCK(target.st_mode) || access == Access::Seekable) {
            throw refuse(std::string("it is ") + kindOf(target.st_mode) +
                         ", and this format is written only into a regular file");
        }
        m_targetPath = m_writePath = finalPath;
        m_direct = true;
        return;
    }
    struct stat link {};
    m_targetPath = finalPath;
    if (lstat(finalPath.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
        if (!exists) throw refuse("it is a link to a file that does not exist");
        char* resolved = realpath(finalPath.c_str(), nullptr);
        if (resolved == nullptr) throw refuse(systemErrorText(errno));
        m_targetPath = resolved;
        std::free(resolved);
    }
    const std::string folder = folderOf(m_targetPath);
    removeStaleTemporaries(folder);
    const std::string pattern = folder + "/." + fileNameOf(m_targetPath) + kTemporaryMarker +
                                std::to_string(getpid()) + "-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    // Signals are held while the file is created and registered, so an
    // interruption cannot slip in between and leave it behind.
    sigset_t all, previous;
    sigfillset(&all);
    pthread_sigmask(SIG_BLOCK, &all, &previous);
    const int fd = mkstemp(buffer.data());
    const int error = errno;
    if (fd >= 0) {
        m_writePath = buffer.data();
        m_slot = InterruptCleanup::trackFile(m_writePath);
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    if (fd < 0) throw refuse(systemErrorText(error));
    // mkstemp creates the file private to the user; give it the mode any
    // newly created file would have.
    fchmod(fd, newFileMode());
    close(fd);
}

PendingFile::~PendingFile() {
    if (!m_committed && !m_direct && !m_writePath.empty()) unlink(m_writePath.c_str());
    InterruptCleanup::forgetFile(m_slot);
}

void PendingFile::commit() {
    if (!m_direct && rename(m_writePath.c_str(), m_targetPath.c_str()) != 0) {
        throw ToolError("cannot write '" + m_finalPath + "': " + systemErrorText(errno));
    }
    m_committed = true;
    InterruptCleanup::forgetFile(m_slot);
    m_slot = -1;
}

} // namespace varnel_tool
