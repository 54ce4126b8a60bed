#include <gtest/gtest.h>

#include <climits>

#include "settings/WindowGeometry.h"

namespace oruvan {
namespace {

struct GeomCase {
    const char* name;
    WindowRect before;
    int screenWidth, screenHeight;
    WindowRect after;
};

void ExpectRect(const WindowRect& actual, const WindowRect& expected, const char* name) {
    EXPECT_EQ(actual.left, expected.left) << name;
    EXPECT_EQ(actual.top, expected.top) << name;
    EXPECT_EQ(actual.width, expected.width) << name;
    EXPECT_EQ(actual.height, expected.height) << name;
}

TEST(WindowGeometryTest, KeepWindowOnScreen) {
    const GeomCase cases[] = {
        {"OnScreen", {272, 125, 423, 340}, 1024, 768, {272, 125, 423, 340}},
        {"HalfBeyondRight", {2000, 100, 423, 340}, 1024, 768, {0, 100, 423, 340}},
        {"JustHalfBeyondRight", {813, 100, 423, 340}, 1024, 768, {0, 100, 423, 340}},
        {"LessThanHalfBeyondRight", {812, 100, 423, 340}, 1024, 768, {812, 100, 423, 340}},
        {"HalfBelowBottom", {10, 598, 423, 340}, 1024, 768, {10, 0, 423, 340}},
        {"LessThanHalfBelowBottom", {10, 597, 423, 340}, 1024, 768, {10, 597, 423, 340}},
        {"HalfBeyondLeft", {-300, 100, 423, 340}, 1024, 768, {0, 100, 423, 340}},
        {"JustHalfBeyondLeft", {-211, 100, 423, 340}, 1024, 768, {0, 100, 423, 340}},
        {"LessThanHalfBeyondLeft", {-200, 100, 423, 340}, 1024, 768, {-200, 100, 423, 340}},
        {"AboveTop", {10, -5, 423, 340}, 1024, 768, {10, 0, 423, 340}},
        // The size is tested as read, before it is fitted to the screen.
        {"WiderThanScreen", {0, 0, 5000, 340}, 1280, 768, {0, 0, 5000, 340}},
        // -3 div 2 is -1: the thresholds become 1025 on the right and 1 on the left.
        {"NegativeWidthRight", {1025, 10, -3, 340}, 1024, 768, {0, 10, -3, 340}},
        {"NegativeWidthLeft", {2, 10, -3, 340}, 1024, 768, {2, 10, -3, 340}},
        {"ExtremeValues", {INT_MAX, INT_MIN, INT_MIN, INT_MAX}, 1024, 768, {0, 0, INT_MIN, INT_MAX}},
    };
    for (const GeomCase& c : cases) {
        WindowRect r = c.before;
        KeepWindowOnScreen(r, c.screenWidth, c.screenHeight);
        ExpectRect(r, c.after, c.name);
    }
}

TEST(WindowGeometryTest, FitWindowToScreen) {
    const GeomCase cases[] = {
        {"Fits", {272, 125, 423, 340}, 1024, 768, {272, 125, 423, 340}},
        {"TooWide", {0, 0, 5000, 340}, 1280, 1024, {0, 0, 1280, 340}},
        {"TooHigh", {0, 0, 423, 2000}, 1280, 1024, {0, 0, 423, 1024}},
        {"ScreenSized", {0, 0, 1280, 1024}, 1280, 1024, {0, 0, 1280, 1024}},
        {"Negative", {5, 6, -1, -100}, 1280, 1024, {5, 6, 0, 0}},
    };
    for (const GeomCase& c : cases) {
        WindowRect r = c.before;
        FitWindowToScreen(r, c.screenWidth, c.screenHeight);
        ExpectRect(r, c.after, c.name);
    }
}

// Qt names its Wayland platforms "wayland" and "wayland-egl"; every other platform reports the place.
TEST(WindowGeometryTest, WindowSystemTellsPlace) {
    for (const char* name : {"wayland", "wayland-egl", "wayland-brcm"})
        EXPECT_FALSE(WindowSystemTellsPlace(name)) << name;
    for (const char* name : {"xcb", "offscreen", "eglfs", "", "way", "xwayland"})
        EXPECT_TRUE(WindowSystemTellsPlace(name)) << name;
}

}  // namespace
}  // namespace oruvan
