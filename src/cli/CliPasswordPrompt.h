#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The password prompt of veltrane-cli: on the controlling terminal, without echo.
namespace CliPasswordPrompt {

// The line typed after prompt; nothing without a terminal or at its end.
std::optional<QByteArray> Ask(const QString &prompt);

} // namespace CliPasswordPrompt
