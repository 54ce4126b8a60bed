#include "widgets/Pictures.h"

#include <QString>

// The pictures live in the static GUI library's resources, which must be registered by hand.
static void initResources() { Q_INIT_RESOURCE(oruvan); }

namespace oruvan {

void InitResources() {
    static const bool done = (initResources(), true);
    (void)done;
}

QIcon Picture(PictureId id) {
    InitResources();
    return QIcon(QStringLiteral(":/images/action_%1.xpm").arg(static_cast<int>(id), 2, 10, QLatin1Char('0')));
}

}  // namespace oruvan
