// What a run must not leave behind when it is interrupted: the temporary
// files of its outputs and the folders it created for them. Both are kept in
// fixed tables that a signal handler can walk with nothing but unlink() and
// rmdir(), which are async-signal-safe. SIGINT, SIGTERM and SIGHUP remove
// them and then end the process the way the signal would have.
#ifndef VARNEL_TOOL_INTERRUPTCLEANUP_H
#define VARNEL_TOOL_INTERRUPTCLEANUP_H

#include <string>

namespace varnel_tool {

class InterruptCleanup {
public:
    // Installs the signal handlers. Call once at start-up, before any
    // thread is created.
    static void install();

    // A file to unlink on interruption; returns its slot (-1 when the
    // table is full or the path too long: the file is then not covered).
    static int trackFile(const std::string& path);
    static void forgetFile(int slot);

    // A folder this process created. It is removed when it is still empty
    // on interruption or at removeEmptyFolders(); a folder that holds
    // anything stays, so calling it after a success is harmless.
    static void trackFolder(const std::string& path);
    static void removeEmptyFolders();
};

} // namespace varnel_tool

#endif
