// Raw, unbuffered reading and writing of a file: bytes move directly
// between the file and the caller's buffer through the device level of a
// POCO file stream buffer. Never throws; failures show as -1 from Open and
// 0 from Read, Write and GetSize.
#pragma once

#include "base/KBaseObject.h"

#include <Poco/FileStream.h>

class KFile;

// Poco::FileStreamBuf with its device-level transfer made public.
class KFileStreamBuf : public Poco::FileStreamBuf {
public:
    using Poco::FileStreamBuf::readFromDevice;
    using Poco::FileStreamBuf::writeToDevice;
};

// Index into the table of std::ios open modes.
enum KFileOpenMode : int32_t {
    FOM_WRITE = 0,      // out (an existing file is not truncated)
    FOM_READ = 1,       // in
    FOM_READWRITE = 2,  // in, out
    FOM_APPEND = 3,     // in, out, app
    FOM_ATEND = 4,      // in, out, ate
    FOM_READBYTES = 5   // in, binary
};

class KFileStream : public KBaseObject {
public:
    KFileStream();
    ~KFileStream() override;
    KFileStream(const KFileStream&) = delete;
    KFileStream& operator=(const KFileStream&) = delete;

    // 0 on success, -1 on failure (the stream stays closed). A stream that
    // is already open is left as it is and -1 returned.
    int Open(const KFile& file, KFileOpenMode mode);
    // Bytes read, fewer than count only at the end of the file; 0 when
    // closed or on failure.
    int Read(char* buf, int count);
    // Bytes written; 0 when closed or on failure.
    int Write(const char* buf, int count);
    // The file's size in bytes, without moving the position; 0 when closed
    // or when the size does not fit an int.
    int GetSize();
    void Close();
    bool IsOpen() const { return m_buffer != nullptr; }

private:
    KFileStreamBuf* m_buffer;
};
