#include "base/KPath.h"

#include <Poco/Path.h>

namespace {

enum class NamePart { BaseName, Extension };

// The platform parses names in UTF-8; the part is handed back in the
// encoding the path was given in. A name the platform cannot parse has
// empty parts.
KString SplitName(const KPath& path, NamePart part)
{
    KString result(path.StdString(), path.GetEncoding());
    result.ConvertTo(ENC_UTF8);
    std::string piece;
    try {
        Poco::Path parsed(result.StdString(), Poco::Path::PATH_NATIVE);
        piece = part == NamePart::BaseName ? parsed.getBaseName() : parsed.getExtension();
    } catch (...) {
        piece.clear();
    }
    result = KString(piece, ENC_UTF8);
    result.ConvertTo(path.GetEncoding());
    return result;
}

} // namespace

KPath::KPath() = default;

KPath::KPath(const KString& name) : KString(name) {}

KPath::KPath(const char* name) : KString(name) {}

KPath::~KPath() = default;

KPath KPath::FromNative(const std::string& bytes)
{
    // The UTF-32 constructor gives empty UTF-8 text that was never
    // normalised; the bytes then go in unchanged.
    KPath path{KString(std::wstring())};
    path.StdString() = bytes;
    return path;
}

std::string KPath::NativeName() const
{
    if (GetEncoding() == ENC_UTF8)
        return StdString();
    KString copy(*this);
    copy.ConvertTo(ENC_UTF8);
    return copy.StdString();
}

KPath KPath::TempHome()
{
    std::string folder;
    try {
        folder = Poco::Path::tempHome();
    } catch (...) {
        // No home folder to speak of (no HOME, no password entry): the
        // system-wide temporary folder serves instead.
        try {
            folder = Poco::Path::temp();
        } catch (...) {
            folder = "/tmp/";
        }
    }
    if (folder.empty() || folder.back() != Poco::Path::separator())
        folder += Poco::Path::separator();
    return KPath(KString(folder, ENC_UTF8));
}

KString KPath::GetBaseName() const { return SplitName(*this, NamePart::BaseName); }

KString KPath::GetExtension() const { return SplitName(*this, NamePart::Extension); }

std::string KPath::GetStdString() const { return StdString(); }
