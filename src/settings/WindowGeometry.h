#pragma once
// Window placement rules applied to the geometry read from the settings file, before the window's
// minimum size. Divisions truncate toward zero.
#include <string_view>

namespace oruvan {

struct WindowRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// Moves the window back to the screen's left or top edge when at least half of it lies off the screen
// (to the right, below or to the left), or when its top is above the screen.
void KeepWindowOnScreen(WindowRect& window, int screenWidth, int screenHeight);

// Clamps the size to 0..screen size.
void FitWindowToScreen(WindowRect& window, int screenWidth, int screenHeight);

// Whether the window system (Qt's platform name) tells a program where its window is. A Wayland
// compositor places windows itself and tells no client where.
bool WindowSystemTellsPlace(std::string_view platformName);

}  // namespace oruvan
