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
