#include "TiffOutputFile.h"

#include "TiffMessages.h"
#include "ToolError.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace varnel_tool {

namespace {

TiffOutputFile& fileOf(thandle_t handle) {
    return *static_cast<TiffOutputFile*>(handle);
}

int noMap(thandle_t, void**, toff_t*) {
    return 0;
}

void noUnmap(thandle_t, void*, toff_t) {}

} // namespace

TiffOutputFile::TiffOutputFile(const PendingFile& file, bool bigTiff) : m_name(file.finalPath()) {
    captureTiffMessages();
    m_fd = open(file.writePath().c_str(), O_RDWR | O_TRUNC | O_CLOEXEC);
    if (m_fd < 0) throw ToolError("cannot write '" + m_name + "': " + systemErrorText(errno));
    m_tiff = TIFFClientOpen(m_name.c_str(), bigTiff ? "w8" : "w", this, &TiffOutputFile::readData,
                            &TiffOutputFile::writeData, &TiffOutputFile::seek, &TiffOutputFile::closeFile,
                            &TiffOutputFile::size, &noMap, &noUnmap);
    if (m_tiff == nullptr) {
        close(m_fd);
        m_fd = -1;
        fail();
    }
}

TiffOutputFile::~TiffOutputFile() {
    if (m_tiff != nullptr) TIFFClose(m_tiff);
    if (m_fd >= 0) close(m_fd);
}

void TiffOutputFile::finish() {
    const bool written = TIFFWriteDirectory(m_tiff) != 0;
    TIFFClose(m_tiff);  // closes the descriptor through closeFile
    m_tiff = nullptr;
    if (!written || m_error != 0) fail();
}

void TiffOutputFile::fail() const {
    throw ToolError("cannot write '" + m_name + "': " + (m_error != 0 ? systemErrorText(m_error) : lastTiffError()));
}

tmsize_t TiffOutputFile::writeData(thandle_t self, void* data, tmsize_t size) {
    TiffOutputFile& file = fileOf(self);
    const auto* bytes = static_cast<const char*>(data);
    tmsize_t done = 0;
    while (done < size) {
        const ssize_t written = write(file.m_fd, bytes + done, static_cast<size_t>(size - done));
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            if (file.m_error == 0) file.m_error = written < 0 ? errno : ENOSPC;
            return -1;
        }
        done += written;
    }
    return done;
}

tmsize_t TiffOutputFile::readData(thandle_t self, void* data, tmsize_t size) {
    return read(fileOf(self).m_fd, data, static_cast<size_t>(size));
}

toff_t TiffOutputFile::seek(thandle_t self, toff_t offset, int whence) {
    TiffOutputFile& file = fileOf(self);
    const off_t position = lseek(file.m_fd, static_cast<off_t>(offset), whence);
    if (position < 0 && file.m_error == 0) file.m_error = errno;
    return static_cast<toff_t>(position);
}

int TiffOutputFile::closeFile(thandle_t self) {
    TiffOutputFile& file = fileOf(self);
    const int result = close(file.m_fd);
    if (result != 0 && file.m_error == 0) file.m_error = errno;
    file.m_fd = -1;
    return result;
}

toff_t TiffOutputFile::size(thandle_t self) {
    struct stat info {};
    return fstat(fileOf(self).m_fd, &info) == 0 ? static_cast<toff_t>(info.st_size) : 0;
}

} // namespace varnel_tool
