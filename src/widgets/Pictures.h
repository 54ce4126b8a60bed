#pragma once
#include <QIcon>

namespace oruvan {

// Registers the pictures and icons compiled into the program; safe to call more than once.
void InitResources();

// The menu pictures, named by the items that show them (the number is the picture's file).
enum class PictureId {
    Exit = 1,
    Open = 2,
    Save = 3,
    CurrentFile = 5,
    Colour = 6,
    Font = 7,
    Undo = 8,  // also the word-wrap item's
    Cut = 9,
    Delete = 10,
    Paste = 11,
    Copy = 12,
    Settings = 14,
    NextHeading = 15,
    PreviousHeading = 16,
};

QIcon Picture(PictureId id);

}  // namespace oruvan
