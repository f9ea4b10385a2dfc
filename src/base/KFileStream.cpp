#include "base/KFileStream.h"

#include "base/KErrorHandler.h"
#include "base/KException.h"
#include "base/KFile.h"

#include <climits>

namespace {

const std::ios::openmode kOpenModes[] = {
    std::ios::out,                                  // FOM_WRITE
    std::ios::in,                                   // FOM_READ
    std::ios::in | std::ios::out,                   // FOM_READWRITE
    std::ios::in | std::ios::out | std::ios::app,   // FOM_APPEND
    std::ios::in | std::ios::out | std::ios::ate,   // FOM_ATEND
    std::ios::in | std::ios::binary,                // FOM_READBYTES
};

const std::ios::openmode kSeekBoth = std::ios::in | std::ios::out;

} // namespace

KFileStream::KFileStream() : m_buffer(nullptr) {}

KFileStream::~KFileStream() { Close(); }

int KFileStream::Open(const KFile& file, KFileOpenMode mode)
{
    // Opening over an open stream would lose its buffer: refused, and the
    // open stream stays as it is.
    if (m_buffer != nullptr)
        return -1;
    if (mode < FOM_WRITE || mode > FOM_READBYTES)
        return -1;
    try {
        m_buffer = new KFileStreamBuf();
        m_buffer->open(file.GetKPath().NativeName(), kOpenModes[mode]);
        return 0;
    } catch (const KException& e) {
        KErrorHandler::Handle(e);
    } catch (...) {
        // File-system errors are expected here (a missing file opened for
        // reading) and are not reported.
    }
    delete m_buffer;
    m_buffer = nullptr;
    return -1;
}

namespace {

// Moves count bytes with one device operation, continuing short transfers
// (a large request, a signal) until the count is reached or the file ends,
// so that one call moves a whole file. Never throws; a KException is
// reported, and the bytes moved before a failure are not counted.
template <typename Device>
int Transfer(int count, Device move)
{
    try {
        int total = 0;
        while (total < count) {
            const int n = move(total, count - total);
            if (n <= 0)
                break;
            total += n;
        }
        return total;
    } catch (const KException& e) {
        KErrorHandler::Handle(e);
    } catch (...) {
    }
    return 0;
}

} // namespace

int KFileStream::Read(char* buf, int count)
{
    if (m_buffer == nullptr || buf == nullptr || count <= 0)
        return 0;
    return Transfer(count, [&](int done, int left) { return m_buffer->readFromDevice(buf + done, left); });
}

int KFileStream::Write(const char* buf, int count)
{
    if (m_buffer == nullptr || buf == nullptr || count <= 0)
        return 0;
    return Transfer(count, [&](int done, int left) { return m_buffer->writeToDevice(buf + done, left); });
}

int KFileStream::GetSize()
{
    if (m_buffer == nullptr)
        return 0;
    try {
        const std::streampos position = m_buffer->seekoff(0, std::ios::cur, kSeekBoth);
        const std::streampos end = m_buffer->seekoff(0, std::ios::end, kSeekBoth);
        m_buffer->seekpos(position, kSeekBoth);
        const std::streamoff size = end;
        // A size that does not fit the int result is reported as 0 rather
        // than as a wrapped, possibly negative, number.
        if (size < 0 || size > INT_MAX)
            return 0;
        return static_cast<int>(size);
    } catch (const KException& e) {
        KErrorHandler::Handle(e);
    } catch (...) {
    }
    return 0;
}

void KFileStream::Close()
{
    if (m_buffer == nullptr)
        return;
    try {
        m_buffer->close();
    } catch (...) {
        // Closing is best effort; the buffer is released either way.
    }
    delete m_buffer;
    m_buffer = nullptr;
}
