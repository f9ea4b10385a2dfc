// The fixed-size temporary folder field of an instance.
#pragma once

#include <cstddef>

class CVarnelTemporaryFolder {
public:
    static constexpr size_t kRoom = 260;
    // Copies folder into field when it is shorter than kRoom characters; a
    // null or longer text is rejected and the field keeps its value.
    static bool Store(char (&field)[kRoom], const char* folder);
    // False, buffer untouched, when the folder text is size characters or
    // longer (or buffer is null).
    static bool Copy(const char (&field)[kRoom], char* buffer, long size);
};
