#pragma once
// Reading a file only when it is a regular one: a FIFO or a device in its place would block or never end.
#include <sys/types.h>

#include <string>

namespace oruvan {

// Opens path for reading without waiting on a FIFO and checks what was opened: the descriptor, with its
// size in `size` when given, or -1 with errno set (EISDIR for a folder, EINVAL for anything else that is
// no regular file).
int OpenRegularFile(const std::string& path, off_t* size = nullptr);

// Appends the whole regular file at path to out; false with errno set when it cannot be read.
bool ReadRegularFile(const std::string& path, std::string& out);

}  // namespace oruvan
