#include "InterruptCleanup.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <climits>
#include <cstring>

namespace varnel_tool {

namespace {

// Temporary files come and go from several threads; folders are only
// added, from the main thread, and removed in reverse order.
constexpr int kFileSlots = 64;
constexpr int kFolderSlots = 16;
char g_files[kFileSlots][PATH_MAX];
std::atomic<bool> g_fileUsed[kFileSlots];
char g_folders[kFolderSlots][PATH_MAX];
std::atomic<int> g_folderCount{0};

void removeFolders() {
    for (int i = g_folderCount.load() - 1; i >= 0; --i) {
        if (g_folders[i][0] != '\0') rmdir(g_folders[i]);
    }
}

void onInterrupt(int signalNumber) {
    for (int i = 0; i < kFileSlots; ++i) {
        if (g_fileUsed[i].load() && g_files[i][0] != '\0') unlink(g_files[i]);
    }
    removeFolders();
    // End the way the signal would have ended the process.
    signal(signalNumber, SIG_DFL);
    raise(signalNumber);
}

// Copies a path so that the handler never sees it half written: the first
// byte is set last, and an empty first byte means "no path".
void publish(char* slot, const std::string& path) {
    slot[0] = '\0';
    std::atomic_signal_fence(std::memory_order_seq_cst);
    std::memcpy(slot + 1, path.c_str() + 1, path.size());
    std::atomic_signal_fence(std::memory_order_seq_cst);
    slot[0] = path[0];
}

} // namespace

void InterruptCleanup::install() {
    for (int signalNumber : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction action {};
        action.sa_handler = &onInterrupt;
        sigemptyset(&action.sa_mask);
        sigaction(signalNumber, &action, nullptr);
    }
}

int InterruptCleanup::trackFile(const std::string& path) {
    if (path.empty() || path.size() >= PATH_MAX) return -1;
    for (int i = 0; i < kFileSlots; ++i) {
        bool expected = false;
        if (g_fileUsed[i].load() || !g_fileUsed[i].compare_exchange_strong(expected, true)) continue;
        publish(g_files[i], path);
        return i;
    }
    return -1;
}

void InterruptCleanup::forgetFile(int slot) {
    if (slot < 0) return;
    g_files[slot][0] = '\0';
    std::atomic_signal_fence(std::memory_order_seq_cst);
    g_fileUsed[slot].store(false);
}

void InterruptCleanup::trackFolder(const std::string& path) {
    const int index = g_folderCount.load();
    if (path.empty() || path.size() >= PATH_MAX || index >= kFolderSlots) return;
    publish(g_folders[index], path);
    g_folderCount.store(index + 1);
}

void InterruptCleanup::removeEmptyFolders() {
    removeFolders();
}

} // namespace varnel_tool
