#pragma once
#include <QIcon>

namespace oruvan {

// Registers the pictures and icons compiled into the program; safe to call more than once.
void InitResources();

// Picture n (0..16) of the main window's image list; an empty icon for any other number.
QIcon ImageList1(int n);

}  // namespace oruvan
