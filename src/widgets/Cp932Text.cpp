#include "widgets/Cp932Text.h"

#include "platform/Cp932.h"

namespace oruvan {

QString FromCp932(std::string_view cp932) {
    std::string u;
    Cp932ToUtf8(cp932, u);
    return QString::fromUtf8(u.data(), static_cast<qsizetype>(u.size()));
}

std::string ToCp932(const QString& text) {
    const QByteArray u = text.toUtf8();
    return Utf8ToCp932(std::string_view(u.constData(), static_cast<std::size_t>(u.size())));
}

}  // namespace oruvan
