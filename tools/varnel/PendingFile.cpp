#include "PendingFile.h"

#include "ToolError.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>
#include <vector>

namespace varnel_tool {

namespace {

// The signal handler may only use what is async-signal-safe: a fixed table
// of paths and unlink().
constexpr int kSlots = 64;
char g_paths[kSlots][PATH_MAX];
std::atomic<bool> g_slotUsed[kSlots];
mode_t g_fileMode = 0644;

int claimSlot(const std::string& path) {
    if (path.size() >= PATH_MAX) return -1;
    for (int i = 0; i < kSlots; ++i) {
        bool expected = false;
        if (g_slotUsed[i].load() || !g_slotUsed[i].compare_exchange_strong(expected, true)) continue;
        // The handler reads the path only while the slot is marked, and the
        // slot is marked before the path is complete; an empty first byte
        // keeps a half-written path from being used.
        g_paths[i][0] = '\0';
        std::memcpy(g_paths[i] + 1, path.c_str() + 1, path.size());
        std::atomic_signal_fence(std::memory_order_seq_cst);
        g_paths[i][0] = path[0];
        return i;
    }
    return -1;
}

void releaseSlot(int slot) {
    if (slot < 0) return;
    g_paths[slot][0] = '\0';
    std::atomic_signal_fence(std::memory_order_seq_cst);
    g_slotUsed[slot].store(false);
}

void onInterrupt(int signalNumber) {
    for (int i = 0; i < kSlots; ++i) {
        if (g_slotUsed[i].load() && g_paths[i][0] != '\0') unlink(g_paths[i]);
    }
    // End the way the signal would have ended the process.
    signal(signalNumber, SIG_DFL);
    raise(signalNumber);
}

std::string folderOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string fileNameOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

void installInterruptCleanup() {
    const mode_t mask = umask(0);
    umask(mask);
    g_fileMode = 0666 & ~mask;
    for (int signalNumber : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction action {};
        action.sa_handler = &onInterrupt;
        sigemptyset(&action.sa_mask);
        sigaction(signalNumber, &action, nullptr);
    }
}

PendingFile::PendingFile(const std::string& finalPath) : m_finalPath(finalPath) {
    const std::string name = fileNameOf(finalPath);
    if (name.empty()) throw ToolError("cannot write '" + finalPath + "': no file name");
    struct stat info {};
    if (stat(finalPath.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
        throw ToolError("cannot write '" + finalPath + "': " + systemErrorText(EISDIR));
    }
    std::string pattern = folderOf(finalPath) + "/." + name + ".varnel-XXXXXX";
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
        m_temporaryPath = buffer.data();
        m_slot = claimSlot(m_temporaryPath);
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    if (fd < 0) throw ToolError("cannot write '" + finalPath + "': " + systemErrorText(error));
    // mkstemp creates the file private to the user; give it the mode any
    // newly created file would have.
    fchmod(fd, g_fileMode);
    close(fd);
}

PendingFile::~PendingFile() {
    if (!m_committed && !m_temporaryPath.empty()) unlink(m_temporaryPath.c_str());
    releaseSlot(m_slot);
}

void PendingFile::commit() {
    if (rename(m_temporaryPath.c_str(), m_finalPath.c_str()) != 0) {
        throw ToolError("cannot write '" + m_finalPath + "': " + systemErrorText(errno));
    }
    m_committed = true;
    releaseSlot(m_slot);
    m_slot = -1;
}

} // namespace varnel_tool
