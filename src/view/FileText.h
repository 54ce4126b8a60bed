#pragma once
// Reading a file into the view's document.
#include <QtGlobal>
#include <optional>

#include "platform/TextDecoder.h"

class QFile;
class QsciScintillaBase;

namespace oruvan {

// Appends the text of `file` (`size` bytes as last seen) to the view's document, decoded from `encoding`
// or the one its first bytes show. The decoder tells the encoding, breaks and lines not read in canonical
// form; none when the file could not be read.
std::optional<TextDecoder> AppendFileText(QsciScintillaBase& view, QFile& file, qint64 size,
                                          std::optional<Encoding> encoding);

}  // namespace oruvan
