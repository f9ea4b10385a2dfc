// An output file that appears under its name only when it is complete.
//
// The data goes to a hidden temporary file beside the target (so that the
// final rename is atomic); commit() renames it. If the tool fails, the
// destructor removes the temporary file, and an interrupting signal removes
// it too (InterruptCleanup). A file of the requested name that existed
// before stays untouched until the commit replaces it.
//
// The target is what the name leads to: a link to a regular file has that
// file replaced and stays a link; a FIFO or a device (/dev/stdout) is never
// replaced: formats that are written front to back go straight into it,
// formats that need to seek are refused. Temporary names carry the process
// id, and a process that was killed outright leaves its temporary files to
// the next run that writes into the same folder, which removes them.
#ifndef VARNEL_TOOL_PENDINGFILE_H
#define VARNEL_TOOL_PENDINGFILE_H

#include <string>

namespace varnel_tool {

class PendingFile {
public:
    // Sequential: the writer only appends (PNG, JSON); Seekable: it moves
    // back to fill in offsets (TIFF, PSD).
    enum class Access { Seekable, Sequential };

    // Creates the temporary file. Throws ToolError ("cannot write ...")
    // when the folder does not exist or is not writable, or when the
    // target is something this kind of file cannot be written into.
    explicit PendingFile(const std::string& finalPath, Access access = Access::Seekable);
    ~PendingFile();
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    // The name as given, for messages.
    const std::string& finalPath() const { return m_finalPath; }
    // Where the writer puts the data: the temporary file, or the FIFO or
    // device itself.
    const std::string& writePath() const { return m_writePath; }
    // Renames the temporary file over the target. Throws ToolError.
    void commit();

    // The hidden name prefix of every temporary file of the tool.
    static constexpr const char* kTemporaryMarker = ".varnel-";

private:
    std::string m_finalPath;
    std::string m_targetPath;  // the final path with links resolved
    std::string m_writePath;
    int m_slot = -1;
    bool m_direct = false;     // writes go straight into a FIFO or device
    bool m_committed = false;
};

} // namespace varnel_tool

#endif
