// A file name. Splits itself into base name and extension the way the
// platform's paths are written; every other operation is KString's.
#pragma once

#include "base/KString.h"

#include <string>

class KPath : public KString {
public:
    KPath();
    // Copy of a KString, keeping its encoding.
    KPath(const KString& name);
    // Detecting, as KString(const char*).
    KPath(const char* name);
    ~KPath() override;

    using KString::operator=;

    // A name as the file system spells it: the bytes are kept exactly as
    // given (UTF-8, never normalised), since the file system compares names
    // byte for byte.
    static KPath FromNative(const std::string& bytes);
    // The bytes to hand to the file system: UTF-8 text as it stands, text in
    // another encoding converted to UTF-8. No normal form is applied.
    std::string NativeName() const;

    // The platform's per-user temporary folder, with its trailing separator,
    // in ENC_UTF8.
    static KPath TempHome();

    // The last component without its extension, in the path's encoding.
    KString GetBaseName() const;
    // The extension without the dot (empty when there is none), in the
    // path's encoding.
    KString GetExtension() const;
    std::string GetStdString() const;
};
