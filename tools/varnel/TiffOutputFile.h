// A TIFF being written into a pending file through libtiff, with the
// system's own reason when writing fails ("No space left on device", "File
// too large") and the output's final name in every message: libtiff alone
// says neither, only that a write failed, and names the temporary file.
#ifndef VARNEL_TOOL_TIFFOUTPUTFILE_H
#define VARNEL_TOOL_TIFFOUTPUTFILE_H

#include "PendingFile.h"

#include <tiffio.h>

#include <string>

namespace varnel_tool {

class TiffOutputFile {
public:
    // Opens the pending file's data for a classic TIFF or a BigTIFF.
    // Throws ToolError.
    TiffOutputFile(const PendingFile& file, bool bigTiff);
    ~TiffOutputFile();
    TiffOutputFile(const TiffOutputFile&) = delete;
    TiffOutputFile& operator=(const TiffOutputFile&) = delete;

    TIFF* tiff() const { return m_tiff; }
    // Writes the directory and closes the file. Throws ToolError.
    void finish();
    // Throws "cannot write 'NAME': WHY" with the system's reason when a
    // system call failed, libtiff's otherwise.
    [[noreturn]] void fail() const;

private:
    // libtiff's file operations on the descriptor; self is this object.
    static tmsize_t writeData(thandle_t self, void* data, tmsize_t size);
    static tmsize_t readData(thandle_t self, void* data, tmsize_t size);
    static toff_t seek(thandle_t self, toff_t offset, int whence);
    static int closeFile(thandle_t self);
    static toff_t size(thandle_t self);

    std::string m_name;
    int m_fd = -1;
    int m_error = 0;  // errno of the first system call that failed
    TIFF* m_tiff = nullptr;
};

} // namespace varnel_tool

#endif
