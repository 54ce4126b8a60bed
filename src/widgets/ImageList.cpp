#include "widgets/ImageList.h"

#include <QString>
#include <vector>

// The pictures live in the static GUI library's resources, which must be registered by hand.
static void initResources() { Q_INIT_RESOURCE(oruvan); }

namespace oruvan {

void InitResources() {
    static const bool done = (initResources(), true);
    (void)done;
}

QIcon ImageList1(int n) {
    InitResources();
    static const std::vector<QIcon> icons = [] {
        std::vector<QIcon> v;
        for (int i = 0; i <= 16; ++i)
            v.emplace_back(QStringLiteral(":/images/action_%1.xpm").arg(i, 2, 10, QLatin1Char('0')));
        return v;
    }();
    if (n < 0 || n >= static_cast<int>(icons.size())) return {};
    return icons[static_cast<std::size_t>(n)];
}

}  // namespace oruvan
