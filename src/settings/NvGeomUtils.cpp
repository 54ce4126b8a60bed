#include "settings/NvGeomUtils.h"

namespace oruvan {

void KeepFormOnScreen(FormRect& form, int screenWidth, int screenHeight) {
    // 64-bit, so that a corrupt stored size cannot overflow the sums.
    using Wide = long long;
    if (Wide{form.left} >= Wide{screenWidth} - form.width / 2) form.left = 0;
    if (Wide{form.top} >= Wide{screenHeight} - form.height / 2) form.top = 0;
    if (Wide{form.left} <= -Wide{form.width / 2}) form.left = 0;
    if (form.top <= 0) form.top = 0;
}

void FitFormToScreen(FormRect& form, int screenWidth, int screenHeight) {
    if (form.width < 0) form.width = 0;
    if (form.height < 0) form.height = 0;
    if (form.width > screenWidth) form.width = screenWidth;
    if (form.height > screenHeight) form.height = screenHeight;
}

}  // namespace oruvan
