#include "interface/VarnelTemporaryFolder.h"

#include <cstring>

bool CVarnelTemporaryFolder::Store(char (&field)[kRoom], const char* folder)
{
    if (!folder)
        return false;
    const size_t length = strnlen(folder, kRoom);
    if (length >= kRoom)
        return false;
    std::memcpy(field, folder, length + 1);
    return true;
}

bool CVarnelTemporaryFolder::Copy(const char (&field)[kRoom], char* buffer, long size)
{
    const size_t length = strnlen(field, kRoom);
    if (!buffer || size < 0 || length >= size_t(size))
        return false;
    std::memcpy(buffer, field, length + 1);
    return true;
}
