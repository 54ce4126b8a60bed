#pragma once
// Text on its way into the view (typed, composed, pasted, dropped or set), as the document can hold it.
#include <string>
#include <string_view>

#include "platform/TextEncoding.h"

namespace oruvan {

// UTF-8 text as a document in `encoding` with breaks `breakStyle` can hold it; `altered` tells whether
// anything changed.
std::string EnteringText(std::string_view utf8, Encoding encoding, LineBreak breakStyle, bool& altered);

}  // namespace oruvan
