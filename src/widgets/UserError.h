#pragma once
// An error whose message is meant for the user; the one catch site shows it in the error box.
#include <QString>
#include <stdexcept>

namespace oruvan {

class UserError : public std::runtime_error {
public:
    explicit UserError(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString message() const { return QString::fromUtf8(what()); }
};

}  // namespace oruvan
