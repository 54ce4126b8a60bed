#include "settings/WindowGeometry.h"

namespace oruvan {

void KeepWindowOnScreen(WindowRect& window, int screenWidth, int screenHeight) {
    // 64-bit, so that a corrupt stored size cannot overflow the sums.
    using Wide = long long;
    if (Wide{window.left} >= Wide{screenWidth} - window.width / 2) window.left = 0;
    if (Wide{window.top} >= Wide{screenHeight} - window.height / 2) window.top = 0;
    if (Wide{window.left} <= -Wide{window.width / 2}) window.left = 0;
    if (window.top <= 0) window.top = 0;
}

void FitWindowToScreen(WindowRect& window, int screenWidth, int screenHeight) {
    if (window.width < 0) window.width = 0;
    if (window.height < 0) window.height = 0;
    if (window.width > screenWidth) window.width = screenWidth;
    if (window.height > screenHeight) window.height = screenHeight;
}

bool WindowSystemTellsPlace(std::string_view platformName) { return platformName.substr(0, 7) != "wayland"; }

}  // namespace oruvan
