#include "widgets/FilePaths.h"

#include <QDir>
#include <QFile>
#include <filesystem>
#include <system_error>

namespace oruvan {

std::string NativePath(const QString& path) { return QFile::encodeName(path).toStdString(); }

QString PathFromNative(const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); }

bool SameFilePath(const QString& a, const QString& b) {
    if (a.isEmpty() || b.isEmpty()) return false;
    std::error_code ec;
    const std::filesystem::path pa(NativePath(a));
    const std::filesystem::path pb(NativePath(b));
    if (!std::filesystem::is_regular_file(pa, ec) || !std::filesystem::is_regular_file(pb, ec)) return false;
    const bool same = std::filesystem::equivalent(pa, pb, ec);
    return !ec && same;
}

QString FileNamePart(const QString& path) { return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1); }

QString ResolveAgainst(const QString& base, const QString& path) {
    if (path.isEmpty() || QDir::isAbsolutePath(path)) return path;
    return QDir(base).filePath(path);
}

}  // namespace oruvan
