#pragma once
// Showing cp932 byte strings in widgets, and taking widget text back as cp932.
#include <QString>
#include <string>
#include <string_view>

namespace oruvan {

QString FromCp932(std::string_view cp932);
std::string ToCp932(const QString& text);

}  // namespace oruvan
