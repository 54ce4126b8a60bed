#pragma once
// Path helpers of the File menu and the document.
#include <QString>
#include <string>

namespace oruvan {

// A path as the system's file calls take it, and back.
std::string NativePath(const QString& path);
QString PathFromNative(const std::string& path);

// True when a and b name the same existing file (file identity, not string equality).
bool SameFilePath(const QString& a, const QString& b);

// The file-name part of a path: the text after its last "/".
QString FileNamePart(const QString& path);

// A relative path taken against base (the program's folder); an absolute path as it is.
QString ResolveAgainst(const QString& base, const QString& path);

}  // namespace oruvan
