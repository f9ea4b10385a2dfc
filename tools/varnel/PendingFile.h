// An output file that appears under its name only when it is complete.
//
// The data goes to a hidden temporary file in the same folder (so that the
// final rename is atomic); commit() renames it. If the tool fails, the
// destructor removes the temporary file, and an interrupting signal
// (SIGINT, SIGTERM, SIGHUP) removes every pending temporary file before the
// process ends. A file of the requested name that existed before stays
// untouched until the commit replaces it.
#ifndef VARNEL_TOOL_PENDINGFILE_H
#define VARNEL_TOOL_PENDINGFILE_H

#include <string>

namespace varnel_tool {

class PendingFile {
public:
    // Creates the temporary file. Throws ToolError ("cannot write ...")
    // when the folder does not exist or is not writable.
    explicit PendingFile(const std::string& finalPath);
    ~PendingFile();
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    const std::string& finalPath() const { return m_finalPath; }
    const std::string& temporaryPath() const { return m_temporaryPath; }
    // Renames the temporary file to the final name. Throws ToolError.
    void commit();

private:
    std::string m_finalPath;
    std::string m_temporaryPath;
    int m_slot = -1;
    bool m_committed = false;
};

// Installs the signal handlers that remove pending files. Call once at
// start-up, before any thread is created.
void installInterruptCleanup();

} // namespace varnel_tool

#endif
