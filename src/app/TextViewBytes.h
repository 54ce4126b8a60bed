#pragma once
// What the text view's source files share about its UTF-8 buffer and the files it reads and writes.
#include <QtGlobal>
#include <algorithm>
#include <string_view>

namespace oruvan::textview {

// Files are read and written in blocks of this size.
constexpr qint64 kChunk = 4 << 20;

// The view holds LF breaks; each one stands for the two bytes CR LF of the document.
inline long lfCount(std::string_view u) { return static_cast<long>(std::count(u.begin(), u.end(), '\n')); }

}  // namespace oruvan::textview
