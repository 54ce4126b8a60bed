#include "app/ImageList.h"

#include <QString>
#include <vector>

namespace oruvan {

QIcon ImageList1(int n) {
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
